// MCI command strings, passed through to winmm's wide entry: the command
// (which may hold a Shift-JIS file name) goes out as UTF-16, the answer comes
// back as Shift-JIS.
#include <vector>

#include "platform/windows/common.h"

namespace plat {

namespace {

// Quoted arguments that name existing files are handed over by a name the
// device can open whatever the system's code page (see common.h).
std::wstring WithOpenableFileNames(const std::wstring& command) {
    std::wstring out;
    std::size_t pos = 0;
    while (pos < command.size()) {
        std::size_t open = command.find(L'"', pos);
        std::size_t close = open == std::wstring::npos ? open : command.find(L'"', open + 1);
        if (close == std::wstring::npos) {
            out += command.substr(pos);
            break;
        }
        out += command.substr(pos, open + 1 - pos);
        out += win::FileNameForNarrowingCalls(command.substr(open + 1, close - open - 1));
        out += L'"';
        pos = close + 1;
    }
    return out;
}

}  // namespace

DWORD mciSendStringA(const char* command, char* answer, UINT answerSize, HWND callback) {
    std::wstring wide = WithOpenableFileNames(win::Wide(command ? command : ""));
    std::vector<wchar_t> reply(answer && answerSize > 0 ? answerSize : 1, L'\0');
    ::MCIERROR result = ::mciSendStringW(wide.c_str(), reply.data(),
                                         answer && answerSize > 0 ? answerSize : 0,
                                         win::Real(callback));
    if (answer && answerSize > 0) win::CopyOut(win::Narrow(reply.data()), answer, answerSize);
    return static_cast<DWORD>(result);
}

}  // namespace plat
