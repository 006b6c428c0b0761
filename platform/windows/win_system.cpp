// Clock, kernel objects, kernel queries, files, the diagnostic trace, the
// display format and the command line, passed through to Windows. Texts the
// library hands over are Shift-JIS; they reach the system as UTF-16 through
// the wide calls, so they mean the same on any system locale.
#include <cstdlib>
#include <cstring>

#include "platform/windows/common.h"
#include "platform/windows/view.h"

namespace plat {

using win::CopyOut;
using win::Narrow;
using win::Ours;
using win::Real;
using win::WideArg;

namespace {

// Whether the vertical-blank wait paces frames (see ddraw.cpp) needs a
// millisecond timer resolution for Sleep; asked for once.
void RequestTimerResolution() {
    static const bool done = [] {
        ::timeBeginPeriod(1);
        return true;
    }();
    (void)done;
}

// EL_STILL_CLOCK (for picture tests under Wine, which has no headless mode):
// the millisecond clock stands still but for one millisecond per busy-wait
// turn, so waits end while frame times are zero: an animated program shows
// the picture of its first moment on every frame, the same on every run and
// every display.
bool StillClock() {
    static const bool still = [] {
        const char* v = std::getenv("EL_STILL_CLOCK");
        return v && *v && std::strcmp(v, "0") != 0;
    }();
    return still;
}
DWORD stillTime = 0;

}  // namespace

DWORD timeGetTime() {
    if (StillClock()) return stillTime;
    RequestTimerResolution();
    return static_cast<DWORD>(::timeGetTime());
}

// A real clock advances by itself; busy waits need no help.
void SpinPause() {
    if (StillClock()) ++stillTime;
}

HANDLE CreateMutexA(const char* name, BOOL initialOwner) {
    WideArg wide(name);
    return win::OursKernel(::CreateMutexW(nullptr, initialOwner, wide.get()));
}

DWORD GetLastError() { return static_cast<DWORD>(::GetLastError()); }

BOOL ReleaseMutex(HANDLE mutex) { return ::ReleaseMutex(Real(mutex)); }

HINSTANCE GetModuleHandleA(const char* name) {
    WideArg wide(name);
    return Ours(::GetModuleHandleW(wide.get()));
}

DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    std::wstring path(32768, L'\0');
    DWORD n = static_cast<DWORD>(
        ::GetModuleFileNameW(Real(module), path.data(), static_cast<::DWORD>(path.size())));
    path.resize(n);
    return CopyOut(Narrow(path), buffer, size);
}

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
    wchar_t dir[MAX_PATH + 1];
    UINT n = ::GetWindowsDirectoryW(dir, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return 0;
    std::string text = Narrow(std::wstring_view(dir, n));
    // As the ANSI call: the size needed (with the zero) when it does not fit.
    if (!buffer || text.size() + 1 > size) return static_cast<UINT>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<UINT>(text.size());
}

BOOL GetDiskFreeSpaceA(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                       DWORD* freeClusters, DWORD* totalClusters) {
    WideArg wide(root);
    ::DWORD spc = 0, bps = 0, free = 0, total = 0;
    BOOL ok = ::GetDiskFreeSpaceW(wide.get(), &spc, &bps, &free, &total);
    if (sectorsPerCluster) *sectorsPerCluster = static_cast<DWORD>(spc);
    if (bytesPerSector) *bytesPerSector = static_cast<DWORD>(bps);
    if (freeClusters) *freeClusters = static_cast<DWORD>(free);
    if (totalClusters) *totalClusters = static_cast<DWORD>(total);
    return ok;
}

std::uint64_t GlobalMemoryAvailable() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) return 0;
    return status.ullAvailPhys;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (!info) return 0;
    ::OSVERSIONINFOA real{};
    real.dwOSVersionInfoSize = sizeof real;
    if (!::GetVersionExA(&real)) return 0;
    info->dwMajorVersion = static_cast<DWORD>(real.dwMajorVersion);
    info->dwMinorVersion = static_cast<DWORD>(real.dwMinorVersion);
    info->dwBuildNumber = static_cast<DWORD>(real.dwBuildNumber);
    info->dwPlatformId = static_cast<DWORD>(real.dwPlatformId);
    static_assert(sizeof info->szCSDVersion == sizeof real.szCSDVersion);
    std::memcpy(info->szCSDVersion, real.szCSDVersion, sizeof real.szCSDVersion);
    return 1;
}

void GetLocalTime(SYSTEMTIME* out) {
    if (!out) return;
    ::SYSTEMTIME t{};
    ::GetLocalTime(&t);
    out->wYear = t.wYear;
    out->wMonth = t.wMonth;
    out->wDayOfWeek = t.wDayOfWeek;
    out->wDay = t.wDay;
    out->wHour = t.wHour;
    out->wMinute = t.wMinute;
    out->wSecond = t.wSecond;
    out->wMilliseconds = t.wMilliseconds;
}

std::FILE* OpenFile(const char* path, const char* mode) {
    if (!path || !mode) return nullptr;
    std::wstring wpath = win::Wide(path);
    std::wstring wmode = win::Wide(mode);
    return ::_wfopen(wpath.c_str(), wmode.c_str());
}

// Windows takes the library's names as they are (the wide calls convert them).
std::string NativePath(const char* path) { return path ? path : ""; }

void Trace(const char* what) {
    // A program of the window subsystem started from a console-less parent
    // may have no standard error; EL_TRACE_FILE names a file that receives
    // the same lines.
    static const bool enabled = std::getenv("EL_TRACE") != nullptr;
    if (!enabled) return;
    std::fprintf(stderr, "trace: %s\n", what ? what : "");
    std::fflush(stderr);
    if (const char* file = std::getenv("EL_TRACE_FILE"); file && *file) {
        if (std::FILE* f = std::fopen(file, "a")) {
            std::fprintf(f, "trace: %s\n", what ? what : "");
            std::fclose(f);
        }
    }
}

// The display's format: the 16-bit 5:6:5 display offered to a 16-bit program
// on a 32-bit desktop (ddraw.cpp), otherwise the desktop's own, read from
// DirectDraw's display mode. Windows cannot be told to pretend another one:
// SetDisplayFormat has no effect here.
DisplayFormat GetDisplayFormat() {
    if (win::OffersSixteenBits()) return DisplayFormat::Rgb565;
    ::IDirectDraw* dd = nullptr;
    DisplayFormat format = DisplayFormat::Xrgb8888;
    if (SUCCEEDED(::DirectDrawCreate(nullptr, &dd, nullptr)) && dd) {
        ::DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        if (SUCCEEDED(dd->GetDisplayMode(&desc)) &&
            desc.ddpfPixelFormat.dwRGBBitCount == 16) {
            format = desc.ddpfPixelFormat.dwGBitMask == 0x03E0 ? DisplayFormat::Rgb555
                                                                : DisplayFormat::Rgb565;
        }
        dd->Release();
    }
    return format;
}

void SetDisplayFormat(DisplayFormat) {}

int DisplayBitsPerPixel(DisplayFormat format) { return format == DisplayFormat::Xrgb8888 ? 32 : 16; }

namespace {
int requestedDepth = 16;
int initialScale = 0;
ScaleMode scaleMode = ScaleMode::WholeMultiple;
}  // namespace

void SetRequestedDepth(int bits) { requestedDepth = bits; }
int GetRequestedDepth() { return requestedDepth; }
void SetInitialScale(int scale) { initialScale = scale < 0 ? 0 : scale; }
int GetInitialScale() { return initialScale; }
void SetScaleMode(ScaleMode mode) { scaleMode = mode; }
ScaleMode GetScaleMode() { return scaleMode; }

std::string CommandLineFromArgs(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!line.empty()) line += ' ';
        line += argv[i];
    }
    return line;
}

std::string CommandLineOfProcess() {
    // The wide command line, without the program name, in Shift-JIS: WinMain's
    // own text is in the system's ANSI code page, which need not be 932.
    const wchar_t* p = ::GetCommandLineW();
    if (!p) return {};
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return Narrow(p);
}

}  // namespace plat
