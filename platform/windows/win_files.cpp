// Directory search, case conversion of names, deleting and replacing files
// through the wide Win32 calls; names cross over as Shift-JIS.
#include <cstring>
#include <string>

#include "platform/windows/common.h"

namespace plat {
namespace {

// The system's search handle and the names it reports, carried as ours.
void Fill(const ::WIN32_FIND_DATAW& real, WIN32_FIND_DATAA* data) {
    data->dwFileAttributes = (real.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    win::CopyOut(win::Narrow(real.cFileName), data->cFileName, sizeof data->cFileName);
}

}  // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    if (!pattern || !data) return nullptr;
    ::WIN32_FIND_DATAW real{};
    ::HANDLE h = ::FindFirstFileW(win::Wide(pattern).c_str(), &real);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    Fill(real, data);
    return win::OursKernel(h);
}

BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data) {
    if (!search || !data) return 0;
    ::WIN32_FIND_DATAW real{};
    if (!::FindNextFileW(win::Real(search), &real)) return 0;
    Fill(real, data);
    return 1;
}

BOOL FindClose(HANDLE search) { return search ? ::FindClose(win::Real(search)) : 0; }

DWORD CharUpperBuffA(char* text, DWORD length) {
    if (!text) return 0;
    // Letters only: the system call would also change full-width letters,
    // which the names of pack entries keep as they are.
    for (DWORD i = 0; i < length; ++i) {
        auto b = static_cast<unsigned char>(text[i]);
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < length) {
            ++i;
            continue;
        }
        if (b >= 'a' && b <= 'z') text[i] = static_cast<char>(b - 'a' + 'A');
    }
    return length;
}

BOOL DeleteFileA(const char* path) { return path && ::DeleteFileW(win::Wide(path).c_str()); }

BOOL MoveFileReplaceA(const char* from, const char* to) {
    if (!from || !to) return 0;
    return ::MoveFileExW(win::Wide(from).c_str(), win::Wide(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace plat
