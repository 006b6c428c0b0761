// Directory search, case conversion of names, deleting and replacing files
// on the portable build. Names are Shift-JIS with '\' or '/' as separators;
// the real file system sees them in UTF-8 through NativePath.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/win.h"

namespace plat {
namespace {

struct Search {
    std::vector<WIN32_FIND_DATAA> found;
    std::size_t next = 0;
};

bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// '*' any run of bytes, '?' one byte, letters in any case.
bool Matches(const char* mask, const char* name) {
    if (*mask == 0) return *name == 0;
    if (*mask == '*') {
        for (const char* n = name;; ++n) {
            if (Matches(mask + 1, n)) return true;
            if (*n == 0) return false;
        }
    }
    if (*name == 0) return false;
    if (*mask != '?' && UpperAscii(*mask) != UpperAscii(*name)) return false;
    return Matches(mask + 1, name + 1);
}

}  // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    if (!pattern || !data) return nullptr;
    std::string p = pattern;
    std::size_t cut = p.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? "" : p.substr(0, cut + 1);
    std::string mask = cut == std::string::npos ? p : p.substr(cut + 1);
    std::string native = NativePath(folder.empty() ? "." : folder.c_str());
    DIR* dir = opendir(native.c_str());
    if (!dir) return nullptr;
    auto* search = new Search;
    while (dirent* e = readdir(dir)) {
        std::string name = Utf8ToSjis(e->d_name);
        if (name.size() >= sizeof data->cFileName || !Matches(mask.c_str(), name.c_str())) continue;
        WIN32_FIND_DATAA f{};
        std::memcpy(f.cFileName, name.c_str(), name.size() + 1);
        struct stat st{};
        std::string full = native + (native.empty() || native.back() == '/' ? "" : "/") + e->d_name;
        if (stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) f.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        search->found.push_back(f);
    }
    closedir(dir);
    // Directory order on Linux is arbitrary; byte order keeps packs made from
    // the same folder identical from run to run.
    std::sort(search->found.begin(), search->found.end(),
              [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
                  return std::strcmp(a.cFileName, b.cFileName) < 0;
              });
    if (search->found.empty()) {
        delete search;
        return nullptr;
    }
    *data = search->found[0];
    search->next = 1;
    return reinterpret_cast<HANDLE>(search);
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
    auto* search = reinterpret_cast<Search*>(handle);
    if (!search || !data || search->next >= search->found.size()) return 0;
    *data = search->found[search->next++];
    return 1;
}

BOOL FindClose(HANDLE handle) {
    delete reinterpret_cast<Search*>(handle);
    return handle != nullptr;
}

DWORD CharUpperBuffA(char* text, DWORD length) {
    if (!text) return 0;
    for (DWORD i = 0; i < length; ++i) {
        if (ShiftJisLead(static_cast<unsigned char>(text[i])) && i + 1 < length) {
            ++i;  // the second byte of a double-byte character is no letter
            continue;
        }
        text[i] = UpperAscii(text[i]);
    }
    return length;
}

BOOL DeleteFileA(const char* path) {
    if (!path) return 0;
    return std::remove(NativePath(path).c_str()) == 0;
}

BOOL MoveFileReplaceA(const char* from, const char* to) {
    if (!from || !to) return 0;
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

}  // namespace plat
