// Portable clock, single-instance locks, kernel queries, files and the
// headless controls.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "platform/display.h"
#include "platform/encoding.h"
#include "platform/entry.h"
#include "platform/portable/state.h"

namespace plat {
namespace portable {

std::string RuntimeFolder() {
    std::string dir;
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && *x && access(x, W_OK) == 0) {
        dir = std::string(x) + "/el";
    } else {
        dir = "/tmp/el-" + std::to_string(getuid());
    }
    mkdir(dir.c_str(), 0700);
    return dir;
}

namespace {

std::string HexName(const std::string& name) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : name) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Socket path of the window with this class and title, through which a
// second instance asks the first one to come to the front.
std::string WindowSocketPath(const std::string& cls, const std::string& title) {
    std::string path = RuntimeFolder() + "/" + HexName(cls + "\x01" + title) + ".sock";
    // sun_path holds 108 bytes; long titles are hashed down.
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        std::size_t h = std::hash<std::string>{}(cls + "\x01" + title);
        path = RuntimeFolder() + "/w" + std::to_string(h) + ".sock";
    }
    return path;
}

}  // namespace

void ListenForForeground(const std::string& cls, const std::string& title) {
    State& s = S();
    if (s.headless || s.listenFd >= 0) return;
    std::string path = WindowSocketPath(cls, title);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return;
    }
    s.listenFd = fd;
    s.listenPath = path;
}

}  // namespace portable

using portable::S;
using portable::State;

DWORD timeGetTime() {
    State& s = S();
    if (s.headless) return s.clock;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                       static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

void SpinPause() {
    State& s = S();
    if (s.headless) ++s.clock;
}

HANDLE CreateMutexA(const char* name, BOOL) {
    State& s = S();
    std::string n = name ? name : "";
    s.lastError = 0;
    static KernelObject* token = reinterpret_cast<KernelObject*>(std::uintptr_t{0x1000});
    if (s.headless) {
        for (auto& m : s.headlessMutexes)
            if (m == n) {
                s.lastError = ERROR_ALREADY_EXISTS;
                return token;
            }
        s.headlessMutexes.push_back(n);
        return token;
    }
    // A named mutex becomes an advisory lock on a file in the per-user runtime
    // folder: the lock dies with its process, as an owned mutex would.
    std::string path = portable::RuntimeFolder() + "/" + [&] {
        std::string hex;
        for (unsigned char c : n) {
            hex += "0123456789abcdef"[c >> 4];
            hex += "0123456789abcdef"[c & 15];
        }
        return hex.size() > 200 ? std::to_string(std::hash<std::string>{}(n)) : hex;
    }() + ".lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return token;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        s.lastError = ERROR_ALREADY_EXISTS;
        return token;
    }
    s.lockFiles.emplace_back(n, fd);
    return token;
}

DWORD GetLastError() { return S().lastError; }

BOOL ReleaseMutex(HANDLE) {
    State& s = S();
    if (s.headless) {
        if (!s.headlessMutexes.empty()) s.headlessMutexes.pop_back();
        return 1;
    }
    for (auto& [name, fd] : s.lockFiles) close(fd);
    s.lockFiles.clear();
    return 1;
}

HWND FindWindowA(const char* className, const char* title) {
    State& s = S();
    std::string cls = className ? className : "";
    std::string t = title ? title : "";
    for (auto& w : s.windows)
        if (!w->destroyed && !w->remote && w->className == cls && w->title == t) return w.get();
    if (s.headless) return nullptr;
    // Another process's window: reachable through its socket.
    auto w = std::make_unique<WindowObject>();
    w->remote = true;
    w->className = cls;
    w->title = t;
    w->remoteSocket = portable::WindowSocketPath(cls, t);
    struct stat st{};
    if (stat(w->remoteSocket.c_str(), &st) != 0) return nullptr;
    HWND h = w.get();
    s.windows.push_back(std::move(w));
    return h;
}

BOOL SetForegroundWindow(HWND window) {
    if (!window) return 0;
    State& s = S();
    if (!window->remote) {
        if (s.headless) ++s.foregroundRequests;
        else if (window->sdl) SDL_RaiseWindow(window->sdl);
        return 1;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, window->remoteSocket.c_str(), sizeof addr.sun_path - 1);
    BOOL ok = 0;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
        ok = write(fd, "front\n", 6) == 6;
    close(fd);
    return ok;
}

DWORD GetModuleFileNameA(HINSTANCE, char* buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    State& s = S();
    std::string path = s.moduleFileName;
    if (path.empty()) {
        char raw[4096];
        ssize_t n = readlink("/proc/self/exe", raw, sizeof raw - 1);
        if (n <= 0) return 0;
        raw[n] = 0;
        path = Utf8ToSjis(raw);
        for (char& c : path)
            if (c == '/') c = '\\';
    }
    // As on Windows: a name that does not fit is cut and zero-terminated.
    DWORD n = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
    std::memcpy(buffer, path.data(), n);
    buffer[n] = 0;
    return n;
}

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
    State& s = S();
    std::string dir = s.windowsDirectory;
    if (dir.empty()) {
        // The per-user configuration folder stands in for the Windows folder.
        const char* xdg = std::getenv("XDG_CONFIG_HOME");
        const char* home = std::getenv("HOME");
        if (xdg && *xdg) dir = xdg;
        else if (home && *home) dir = std::string(home) + "/.config";
        else dir = "/tmp";
        dir = Utf8ToSjis(dir);
        for (char& c : dir)
            if (c == '/') c = '\\';
    }
    if (!buffer || dir.size() + 1 > size) return static_cast<UINT>(dir.size() + 1);
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<UINT>(dir.size());
}

BOOL GetDiskFreeSpaceA(const char*, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                       DWORD* freeClusters, DWORD* totalClusters) {
    // Drive letters do not exist here: every letter names the file system
    // that holds the program.
    char module[4096];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    for (char& c : path)
        if (c == '\\') c = '/';
    if (auto slash = path.rfind('/'); slash != std::string::npos) path.resize(slash + 1);
    struct statvfs v{};
    if (statvfs(SjisToUtf8(path).c_str(), &v) != 0 && statvfs("/", &v) != 0) return 0;
    std::uint64_t unit = v.f_frsize ? v.f_frsize : v.f_bsize;
    DWORD bps = 512;
    DWORD spc = static_cast<DWORD>(std::max<std::uint64_t>(1, unit / bps));
    std::uint64_t clusterBytes = std::uint64_t{spc} * bps;
    auto clamp = [](std::uint64_t n) { return static_cast<DWORD>(std::min<std::uint64_t>(n, 0xFFFFFFFFu)); };
    if (sectorsPerCluster) *sectorsPerCluster = spc;
    if (bytesPerSector) *bytesPerSector = bps;
    if (freeClusters) *freeClusters = clamp(v.f_bavail * unit / clusterBytes);
    if (totalClusters) *totalClusters = clamp(v.f_blocks * unit / clusterBytes);
    return 1;
}

std::uint64_t GlobalMemoryAvailable() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t value = 0;
    std::string unit;
    while (in >> key >> value >> unit)
        if (key == "MemAvailable:") return value * 1024u;
    long pages = sysconf(_SC_AVPHYS_PAGES);
    long page = sysconf(_SC_PAGESIZE);
    return pages > 0 && page > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page) : 0;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (!info) return 0;
    info->dwMajorVersion = 0;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 0;
    info->dwPlatformId = VER_PLATFORM_PORTABLE;
    info->szCSDVersion[0] = 0;
    return 1;
}

void GetLocalTime(SYSTEMTIME* out) {
    if (!out) return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    out->wYear = static_cast<WORD>(tm.tm_year + 1900);
    out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    out->wDay = static_cast<WORD>(tm.tm_mday);
    out->wHour = static_cast<WORD>(tm.tm_hour);
    out->wMinute = static_cast<WORD>(tm.tm_min);
    out->wSecond = static_cast<WORD>(tm.tm_sec);
    out->wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
}

namespace {

// Finds one path component in a directory, exactly or, failing that, with
// ASCII letters compared without case.
std::string FindComponent(const std::string& dir, const std::string& name) {
    std::string full = dir + "/" + name;
    if (access(full.c_str(), F_OK) == 0) return name;
    DIR* d = opendir(dir.c_str());
    if (!d) return name;
    std::string found = name;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

}  // namespace

std::string NativePath(const char* path) {
    std::string p = SjisToUtf8(path ? path : "");
    for (char& c : p)
        if (c == '\\') c = '/';
    bool absolute = !p.empty() && p[0] == '/';
    std::string out = absolute ? "/" : "";
    std::size_t pos = 0;
    while (pos < p.size()) {
        std::size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        std::string comp = p.substr(pos, next - pos);
        if (!comp.empty()) {
            std::string dir = out.empty() ? "." : out;
            std::string real = (comp == "." || comp == "..") ? comp : FindComponent(dir, comp);
            if (!out.empty() && out.back() != '/') out += '/';
            out += real;
        }
        pos = next + 1;
    }
    if (!p.empty() && p.back() == '/' && (out.empty() || out.back() != '/')) out += '/';
    return out;
}

std::FILE* OpenFile(const char* path, const char* mode) {
    if (!path || !mode) return nullptr;
    std::string native = NativePath(path);
    std::FILE* f = std::fopen(native.c_str(), mode);
    if (f) {
        // Directories open as streams on Linux but not on Windows.
        struct stat st{};
        if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
            std::fclose(f);
            return nullptr;
        }
    }
    return f;
}

DisplayFormat& CurrentDisplayFormat() {
    static DisplayFormat format = [] {
        const char* e = std::getenv("EL_DISPLAY");
        std::string v = e ? e : "";
        if (v == "555") return DisplayFormat::Rgb555;
        if (v == "32" || v == "8888") return DisplayFormat::Xrgb8888;
        return DisplayFormat::Rgb565;
    }();
    return format;
}

DisplayFormat GetDisplayFormat() { return CurrentDisplayFormat(); }
void SetDisplayFormat(DisplayFormat format) { CurrentDisplayFormat() = format; }
int DisplayBitsPerPixel(DisplayFormat format) { return format == DisplayFormat::Xrgb8888 ? 32 : 16; }

namespace {
int requestedDepth = 16;
int initialScale = 0;
ScaleMode scaleMode = ScaleMode::WholeMultiple;
}  // namespace

void SetRequestedDepth(int bits) { requestedDepth = bits; }

namespace portable {
DisplayFormat OfferedDisplayFormat() {
    DisplayFormat desktop = GetDisplayFormat();
    // A 16-bit desktop (5:6:5 or 5:5:5) is offered as it is; a deeper one is
    // offered at 16 bits, as a compatibility mode would, to a program that
    // does not ask for full colour.
    if (desktop == DisplayFormat::Xrgb8888 && requestedDepth < 24) return DisplayFormat::Rgb565;
    return desktop;
}
}  // namespace portable

int GetRequestedDepth() { return requestedDepth; }
void SetInitialScale(int scale) { initialScale = scale < 0 ? 0 : scale; }
int GetInitialScale() { return initialScale; }
void SetScaleMode(ScaleMode mode) { scaleMode = mode; }
ScaleMode GetScaleMode() { return scaleMode; }

namespace headless {

void Reset() {
    State& s = S();
    for (auto& w : s.windows) {
        if (w->sdl) SDL_DestroyWindow(w->sdl);
    }
    s.windows.clear();
    s.classes.clear();
    s.classNames.clear();
    s.queue.clear();
    s.quitPosted = false;
    s.quitCode = 0;
    std::memset(s.keys, 0, sizeof s.keys);
    s.cursorCount = 0;
    s.cursorClipped = false;
    s.clipRect = {};
    s.imeEnabled = true;
    s.displayDepthOverride = 0;
    s.clock = 0;
    s.cursor = {};
    s.answers.clear();
    s.boxes.clear();
    s.boxHook = nullptr;
    s.beeps = 0;
    s.foregroundRequests = 0;
    s.traces.clear();
    s.moduleFileName.clear();
    s.windowsDirectory.clear();
    s.headlessMutexes.clear();
    s.lastError = 0;
    portable::ResetDisplayWorld();
    ResetJoysticks();
}

void Enable(bool on) {
    S().headless = on;
    Reset();
}

bool Enabled() { return S().headless; }

void SetClock(DWORD ms) { S().clock = ms; }
void AdvanceClock(DWORD ms) { S().clock += ms; }
DWORD Clock() { return S().clock; }

void PostInput(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = portable::MainWindowObject();
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = S().clock;
    S().queue.push_back(m);
}

void KeyDown(int vk) {
    bool repeat = (S().keys[vk & 0xFF] & 0x80) != 0;
    PostInput(WM_KEYDOWN, static_cast<WPARAM>(vk), repeat ? (1 << 30) | 1 : 1);
}
void KeyUp(int vk) {
    PostInput(WM_KEYUP, static_cast<WPARAM>(vk),
              static_cast<LPARAM>(static_cast<std::int32_t>(0xC0000001u)));
}
void SysKeyDown(int vk) { PostInput(WM_SYSKEYDOWN, static_cast<WPARAM>(vk), 1 | (1 << 29)); }
void MouseMove(int x, int y) { PostInput(WM_MOUSEMOVE, 0, MakeLParam(x, y)); }
void MouseButton(UINT message, int x, int y) { PostInput(message, 0, MakeLParam(x, y)); }
void CloseBox() { PostInput(WM_SYSCOMMAND, SC_CLOSE, 0); }
void Activate(bool active) { PostInput(WM_ACTIVATEAPP, active ? 1 : 0, 0); }
void MoveWindow(int clientX, int clientY) {
    if (WindowObject* w = portable::MainWindowObject()) w->client = {clientX, clientY};
    PostInput(WM_MOVE, 0, MakeLParam(clientX, clientY));
}
void SetCursorScreenPos(int x, int y) { S().cursor = {x, y}; }
void SetWindowSize(int width, int height) {
    if (WindowObject* w = portable::MainWindowObject()) portable::ResizeShown(*w, width, height);
}
WindowPixels WindowSize() {
    WindowPixels size{};
    if (WindowObject* w = portable::MainWindowObject()) {
        int width = 0, height = 0;
        portable::ShownSize(*w, width, height);
        size = {width, height};
    }
    return size;
}
void AltEnter() {
    if (WindowObject* w = portable::MainWindowObject()) portable::ToggleDesktopFullScreen(*w);
}
void WindowMouse(UINT message, int x, int y) {
    if (WindowObject* w = portable::MainWindowObject()) {
        POINT p = portable::WindowPointToPicture(*w, x, y);
        x = p.x;
        y = p.y;
    }
    PostInput(message, 0, MakeLParam(x, y));
}

void QueueAnswer(int answer) { S().answers.push_back(answer); }
const std::vector<Box>& Boxes() { return S().boxes; }
void ClearBoxes() { S().boxes.clear(); }
void SetBoxHook(std::function<void(const Box&)> hook) { S().boxHook = std::move(hook); }
int BeepCount() { return S().beeps; }

void SetDisplayDepth(int bitsPerPixel) { S().displayDepthOverride = bitsPerPixel; }
void SetModuleFileName(const std::string& path) { S().moduleFileName = path; }
void SetWindowsDirectory(const std::string& path) { S().windowsDirectory = path; }

int CursorShowCount() { return S().cursorCount; }
bool CursorClipped() { return S().cursorClipped; }
RECT CursorClipRect() { return S().clipRect; }
int ForegroundRequests() { return S().foregroundRequests; }
const std::vector<std::string>& TraceLines() { return S().traces; }
bool ImeEnabled() { return S().imeEnabled; }
bool WindowExists() { return portable::MainWindowObject() != nullptr; }
bool WindowShown() {
    WindowObject* w = portable::MainWindowObject();
    return w && w->shown;
}
RECT WindowRect() {
    WindowObject* w = portable::MainWindowObject();
    return w ? w->rect : RECT{};
}
DWORD WindowStyle() {
    WindowObject* w = portable::MainWindowObject();
    return w ? w->style : 0;
}
int QueuedMessages() { return static_cast<int>(S().queue.size()); }

}  // namespace headless
}  // namespace plat

namespace plat {

void PrepareProcess() {
    const char* headless = std::getenv("EL_HEADLESS");
    if (!headless || !*headless || std::string(headless) == "0") return;
    headless::Enable(true);
    // Nobody sees a box: say what it said.
    headless::SetBoxHook([](const headless::Box& box) {
        std::fprintf(stderr, "%s: %s\n", SjisToUtf8(box.caption).c_str(),
                     SjisToUtf8(box.text).c_str());
    });
}

std::string CommandLineFromArgs(int argc, char** argv) {
    // Arguments arrive in the locale's encoding (UTF-8); the library keeps
    // Shift-JIS. Arguments with spaces are quoted as Windows would show them.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        std::string a = Utf8ToSjis(argv[i]);
        if (!line.empty()) line += ' ';
        if (a.find(' ') != std::string::npos) line += '"' + a + '"';
        else line += a;
    }
    return line;
}

}  // namespace plat

namespace plat {

void Trace(const char* what) {
    static const bool enabled = std::getenv("EL_TRACE") != nullptr;
    if (enabled) std::fprintf(stderr, "trace: %s\n", what ? what : "");
    // Headless runs keep the lines whether or not they are printed, so tests
    // can read the order of start-up and shutdown steps.
    if (S().headless) S().traces.emplace_back(what ? what : "");
}

}  // namespace plat
