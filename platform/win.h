// Window, message and kernel services used by the application frame, the
// error boxes, the system queries and input.
//
// The shapes follow the Win32 calls the library was written against, so the
// Windows implementation is a pass-through and the portable one reproduces
// the results the library relies on. Texts are Shift-JIS (code page 932).
//
// Include this header before <windows.h> in any translation unit that uses
// both: the constants below share their names with Win32 macros.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace plat {

//@{
// Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ATOM = WORD;

struct WindowObject;
struct KernelObject;
struct ModuleObject;
struct IconObject;
struct CursorObject;
struct GdiObject;
struct DeviceContext;

using HWND = WindowObject*;
using HANDLE = KernelObject*;
using HINSTANCE = ModuleObject*;
using HICON = IconObject*;
using HCURSOR = CursorObject*;
using HBRUSH = GdiObject*;
using HGDIOBJ = GdiObject*;
using HDC = DeviceContext*;

// The Win32 / DirectX type of this name, with the same members and meaning.
struct POINT {
    //@{
    // The field of this name of the Win32 / DirectX type.
    LONG x;
    LONG y;
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct RECT {
    //@{
    // The field of this name of the Win32 / DirectX type.
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct MSG {
    //@{
    // The field of this name of the Win32 / DirectX type.
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
    //@}
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// The Win32 / DirectX type of this name, with the same members and meaning.
struct WNDCLASSA {
    //@{
    // The field of this name of the Win32 / DirectX type.
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct SYSTEMTIME {
    //@{
    // The field of this name of the Win32 / DirectX type.
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct OSVERSIONINFOA {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
    //@}
};

// Messages.
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 1;
constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 2;
constexpr WPARAM MCI_NOTIFY_ABORTED = 4;
constexpr WPARAM MCI_NOTIFY_FAILURE = 8;

// Mouse key flags carried in wParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// Virtual-key codes used by the library and its tests.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F4 = 0x73;
constexpr int VK_F10 = 0x79;

// Class and window styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;

constexpr int BITSPIXEL = 12;
constexpr int BLACK_BRUSH = 4;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;

// Message boxes.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Resource names given as small integers, as MAKEINTRESOURCE does.
inline const char* MakeIntResource(int id) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}
inline const char* const IDC_ARROW = MakeIntResource(32512);

// Platform identifier the portable build reports from GetVersionExA: none of
// the Windows families, so the version query answers "other platform".
constexpr DWORD VER_PLATFORM_PORTABLE = 0x100;

inline WORD LoWord(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HiWord(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline LPARAM MakeLParam(int lo, int hi) {
    return static_cast<LPARAM>((static_cast<DWORD>(lo) & 0xFFFF) |
                               ((static_cast<DWORD>(hi) & 0xFFFF) << 16));
}

// Multimedia timer.
DWORD timeGetTime();
// Called by busy-wait loops on each turn. A no-op on a real clock; the
// headless virtual clock advances by one millisecond so spins terminate.
void SpinPause();

// Kernel objects and errors.
HANDLE CreateMutexA(const char* name, BOOL initialOwner);
DWORD GetLastError();
BOOL ReleaseMutex(HANDLE mutex);

// Window class and window.
ATOM RegisterClassA(const WNDCLASSA* wc);
HICON LoadIconA(HINSTANCE instance, const char* name);
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);
HGDIOBJ GetStockObject(int which);
int GetSystemMetrics(int index);
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                     int y, int width, int height, HWND parent, void* menu, HINSTANCE instance,
                     void* param);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL DestroyWindow(HWND window);
BOOL CloseWindow(HWND window);
HWND FindWindowA(const char* className, const char* title);
BOOL SetForegroundWindow(HWND window);
HINSTANCE GetModuleHandleA(const char* name);

// Messages.
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
BOOL WaitMessage();
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Bit 0x8000 (negative result) while the key is down, as of the messages
// already retrieved from the queue.
short GetKeyState(int virtualKey);

// Cursor.
BOOL GetCursorPos(POINT* point);
int ShowCursor(BOOL show);
HCURSOR SetCursor(HCURSOR cursor);
BOOL SetCursorPos(int x, int y);
BOOL ClipCursor(const RECT* rect);

// Message boxes and the beep.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
BOOL MessageBeep(UINT type);

// Display depth through the window's device context.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int GetDeviceCaps(HDC dc, int index);

// Kernel queries.
DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size);
UINT GetWindowsDirectoryA(char* buffer, UINT size);
BOOL GetDiskFreeSpaceA(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                       DWORD* freeClusters, DWORD* totalClusters);
// Available physical memory in bytes (the dwAvailPhys field of MEMORYSTATUS).
std::uint64_t GlobalMemoryAvailable();
BOOL GetVersionExA(OSVERSIONINFOA* info);
void GetLocalTime(SYSTEMTIME* time);
BOOL WINNLSEnableIME(HWND window, BOOL enable);

// Files. Names may use '\' or '/' and any letter case; the portable build
// maps them onto the real file system (Shift-JIS names become UTF-8).
std::FILE* OpenFile(const char* path, const char* mode);
// The name of that file on the real file system (UTF-8 on the portable build).
std::string NativePath(const char* path);

// Directory search. The pattern is a folder and a last component with the
// wildcards '*' and '?'; letters match in any case. Every entry of the
// folder that matches is reported, directories marked by their attribute.
// FindFirstFileA answers null when nothing matches (Win32 gives
// INVALID_HANDLE_VALUE) and FindClose ends the search. The portable build
// reports names in byte order; Windows in the order the file system keeps.
struct WIN32_FIND_DATAA {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwFileAttributes;
    char cFileName[260];
    //@}
};
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE search);
// Upper-cases the ASCII letters of a Shift-JIS text in place, leaving the
// second bytes of double-byte characters alone. Returns the length.
DWORD CharUpperBuffA(char* text, DWORD length);
BOOL DeleteFileA(const char* path);
// Renames a file, replacing a file of the new name (MoveFileExA with
// MOVEFILE_REPLACE_EXISTING); the replacement is atomic where the system
// allows it.
BOOL MoveFileReplaceA(const char* from, const char* to);

// A line on the diagnostic channel (standard error on the portable build)
// when the environment variable EL_TRACE is set; end-to-end tests read it.
void Trace(const char* what);

//@}
}  // namespace plat
