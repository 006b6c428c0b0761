// Display check, program folder and its redirection, value files, date and
// time, disk and memory, version, input method and cursor placement.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "draw/elDraw.h"
#include "system/elSystem.h"

using namespace plat;

char ProgramFolder[256] = "";
char BaseFolder[256] = "";

namespace elSystem {

int CursorClipOption = 0;
HINSTANCE InstanceHandle = nullptr;
char CommandLine[256] = "";

namespace {

char lastFolderName[128] = "";
int cursorClipped = 0;
int imeFlag = 0;
const char* const kColourNames[4] = {"16", "256", "65536", "1670万"};

// Copies at most size - 1 bytes and terminates; reports whether all fitted.
bool CopyBounded(char* dst, std::size_t size, const char* src) {
    std::size_t n = std::strlen(src);
    bool fits = n < size;
    if (!fits) n = size - 1;
    std::memcpy(dst, src, n);
    dst[n] = 0;
    return fits;
}

}  // namespace

int CheckDisplay(const char* settings) {
    int requested = elDraw::RequestedDepth[0];
    int index = requested == 8 ? 1 : requested == 16 ? 2 : (requested == 24 || requested == 32) ? 3 : 0;
    if (index == 0) return 1;
    if (FullScreen) return 1;
    if (GetDisplayDepth() >= requested) return 1;
    ShowMessage(
        "　ウィンドウ状態で実行しようとしていますが、"
        "画面が%s色以下に設定されています。\n"
        "正しく動作させるには、%s色以上に設定するか、"
        "フルスクリーンで実行させて下さい。",
        kColourNames[index - 1], kColourNames[index]);
    const char* name = settings ? settings : "";
    const char* question = nullptr;
    if (name[0] == 0) question = nullptr;
    else if (std::strcmp(name, "*") == 0) question = "フルスクリーンに切り換えますか？";
    else question = "フルスクリーンに設定し直しますか？";
    if (!question || !AskYesNo("%s", question)) {
        Quit();
        return 0;
    }
    if (std::strcmp(name, "*") != 0) SaveValue(name, 1);
    FullScreen = 1;
    return 1;
}

int IsWindowed() { return FullScreen == 0 ? 1 : 0; }

int GetDisplayDepth() {
    HDC dc = GetDC(MainWindow);
    int bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(MainWindow, dc);
    return bits;
}

const char* GetProgramFolder(int redirect) {
    GetModuleFileNameA(InstanceHandle, ProgramFolder, sizeof ProgramFolder);
    // Cut back to the last backslash, which stays.
    std::size_t n = std::strlen(ProgramFolder);
    while (n > 0 && ProgramFolder[n - 1] != '\\') ProgramFolder[--n] = 0;
    if (redirect == 0 || BaseFolder[0] == 0) return ProgramFolder;
    lastFolderName[0] = 0;
    if (n >= 2) {
        // The folder's own name: from the backslash before the trailing one.
        std::size_t i = n - 1;
        while (i > 0 && ProgramFolder[i - 1] != '\\') --i;
        // A name (with its backslash) too long for its buffer would be cut
        // and name another folder: such a program folder is not redirected.
        if (i > 0 && !CopyBounded(lastFolderName, sizeof lastFolderName, ProgramFolder + i)) {
            lastFolderName[0] = 0;
            return ProgramFolder;
        }
    }
    // A result that does not fit would name another folder: use the plain
    // program folder instead.
    std::size_t baseLength = std::strlen(BaseFolder);
    std::size_t nameLength = std::strlen(lastFolderName);
    if (baseLength + 1 + nameLength >= sizeof ProgramFolder) return ProgramFolder;
    std::memcpy(ProgramFolder, BaseFolder, baseLength);
    ProgramFolder[baseLength] = '\\';
    std::memcpy(ProgramFolder + baseLength + 1, lastFolderName, nameLength + 1);
    return ProgramFolder;
}

int ReadBaseFolder(const char* name) {
    char windows[256] = "";
    UINT len = GetWindowsDirectoryA(windows, sizeof windows);
    if (len == 0 || len >= sizeof windows) windows[0] = 0;
    char path[256];
    const char* sep = windows[3] == 0 && windows[0] != 0 ? "" : "\\";
    int written = std::snprintf(path, sizeof path, "%s%s%s", windows, sep, name ? name : "");
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof path) {
        BaseFolder[0] = 0;
        return 0;
    }
    std::FILE* f = OpenFile(path, "rt");
    if (!f) {
        BaseFolder[0] = 0;
        return 0;
    }
    char line[256] = "";
    if (!std::fgets(line, sizeof line, f)) line[0] = 0;
    std::fclose(f);
    std::size_t n = std::strlen(line);
    if (n > 0 && line[n - 1] == '\n') line[--n] = 0;
    if (n > 0 && line[n - 1] == '\r') line[--n] = 0;  // a file written on Windows
    if (n > 0 && line[n - 1] == '\\') line[--n] = 0;
    std::strcpy(BaseFolder, line);
    return 1;
}

namespace {

bool ValuePath(char (&path)[256], const char* name) {
    int n = std::snprintf(path, sizeof path, "%s%s", GetProgramFolder(1), name ? name : "");
    return n >= 0 && static_cast<std::size_t>(n) < sizeof path;
}

}  // namespace

void SaveValue(const char* name, int value) {
    char path[256];
    if (!ValuePath(path, name)) return;
    std::FILE* f = OpenFile(path, "wt");
    if (!f) return;
    std::fprintf(f, "%d", value);
    std::fclose(f);
}

int LoadValue(const char* name) {
    char path[256];
    if (!ValuePath(path, name)) return 0;
    std::FILE* f = OpenFile(path, "rt");
    if (!f) return 0;
    int value = 0;
    if (std::fscanf(f, "%d", &value) != 1) value = 0;
    std::fclose(f);
    return value;
}

const char* GetCommandLine() { return CommandLine; }

void GetDate(int* year, int* month, int* day, char* weekday) {
    static const char* const kDays[7] = {"日", "月", "火", "水", "木", "金", "土"};
    SYSTEMTIME t{};
    GetLocalTime(&t);
    if (year) *year = t.wYear;
    if (month) *month = t.wMonth;
    if (day) *day = t.wDay;
    if (weekday) std::strcpy(weekday, kDays[t.wDayOfWeek % 7]);
}

void GetTime(int* hour, int* minute, int* second) {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    if (hour) *hour = t.wHour;
    if (minute) *minute = t.wMinute;
    if (second) *second = t.wSecond;
}

std::int32_t GetFreeDisk(char letter) {
    char root[] = "?:\\";
    root[0] = letter;
    DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
    if (!GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &total)) return 0;
    // 32-bit product: large drives wrap, as the callers of this query expect.
    return static_cast<std::int32_t>(spc * bps * freeClusters);
}

std::uint64_t GetFreeMemory() { return GlobalMemoryAvailable(); }

int VersionCode(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
    switch (platformId) {
        case 0: return 310;
        case 1:
            if (major == 4) return minor == 0 ? 950 : 980;
            return static_cast<int>(major * 100 + minor);
        case 2:
            if (major == 5) return 2000;
            return static_cast<int>(major * 1000 + minor * 10);
        default: return -1;
    }
}

int GetOSVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return -1;
    return VersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

int EnableIME(int flag) {
    imeFlag = flag;
    return WINNLSEnableIME(nullptr, flag);
}

int SetMousePos(int x, int y) {
    // Desktop coordinates beyond the int range are held at its ends.
    auto desktop = [](int v, plat::LONG origin) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(v) + origin, INT_MIN, INT_MAX));
    };
    return SetCursorPos(desktop(x, ClientOrigin.x), desktop(y, ClientOrigin.y));
}

int ClipCursorRect(int left, int top, int right, int bottom) {
    RECT r{left, top, right, bottom};
    int result = ClipCursor(&r);
    cursorClipped = 1;
    return result;
}

void ClipCursorToScreen() {
    if (FullScreen) ClipCursorRect(0, 0, ScreenWidth, ScreenHeight);
    else
        ClipCursorRect(ClientOrigin.x, ClientOrigin.y, ClientOrigin.x + ScreenWidth,
                       ClientOrigin.y + ScreenHeight);
}

int ReleaseCursor() {
    int result = ClipCursor(nullptr);
    cursorClipped = 0;
    return result;
}

int IsCursorClipped() { return cursorClipped; }

}  // namespace elSystem
