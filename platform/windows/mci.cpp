// MCI command strings, passed through to winmm's wide entry: the command
// (which may hold a Shift-JIS file name) goes out as UTF-16, the answer comes
// back as Shift-JIS.
#include <vector>

#include "platform/windows/common.h"

namespace plat {

DWORD mciSendStringA(const char* command, char* answer, UINT answerSize, HWND callback) {
    std::wstring wide = win::Wide(command ? command : "");
    std::vector<wchar_t> reply(answer && answerSize > 0 ? answerSize : 1, L'\0');
    ::MCIERROR result = ::mciSendStringW(wide.c_str(), reply.data(),
                                         answer && answerSize > 0 ? answerSize : 0,
                                         win::Real(callback));
    if (answer && answerSize > 0) win::CopyOut(win::Narrow(reply.data()), answer, answerSize);
    return static_cast<DWORD>(result);
}

}  // namespace plat
