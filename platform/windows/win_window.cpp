// Window class, window, message loop, cursor, message boxes and the display
// depth, passed through to user32. Windows are Unicode windows: class names,
// titles and box texts go from Shift-JIS to UTF-16 and through the wide
// calls, so the title "ﾀｲﾙｽﾞ" and the Japanese boxes read right whatever the
// system's code page.
//
// The library's window procedure has the interface's signature; the system
// calls a trampoline that looks the procedure up by the window's class.
#include <map>

#include "platform/windows/common.h"
#include "platform/windows/view.h"
// After windows.h:
#include <winnls32.h>

namespace plat {
namespace win {
namespace {

std::map<::ATOM, WNDPROC>& Procedures() {
    static std::map<::ATOM, WNDPROC> procedures;
    return procedures;
}

// The window showing the screen's picture sees some messages first (mouse
// positions in picture pixels, Alt+Enter) and some after the library (the
// smallest size of a border drag); see view.h.
LRESULT CALLBACK Trampoline(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    ::LRESULT consumed = 0;
    if (BeforeLibrary(window, message, wParam, &lParam, &consumed)) return consumed;
    ::LRESULT result = 0;
    if (WNDPROC proc = ProcedureOf(window)) result = proc(Ours(window), message, wParam, lParam);
    else result = ::DefWindowProcW(window, message, wParam, lParam);
    AfterLibrary(window, message, lParam);
    return result;
}

// A captioned window can be resized and maximised. The outer size is
// adjusted for the thicker frame so that the client area stays what the
// caller's size gives with its own style.
void ResizableFrame(DWORD* style, DWORD exStyle, int* x, int* y, int* width, int* height,
                    bool menu) {
    if (!(*style & WS_CAPTION) || (*style & WS_POPUP) || (*style & WS_CHILD)) return;
    const DWORD resizable = *style | WS_THICKFRAME | WS_MAXIMIZEBOX;
    if (resizable == *style) return;
    ::RECT before{0, 0, 0, 0}, after{0, 0, 0, 0};
    ::AdjustWindowRectEx(&before, *style, menu, exStyle);
    ::AdjustWindowRectEx(&after, resizable, menu, exStyle);
    const int growX = (after.right - after.left) - (before.right - before.left);
    const int growY = (after.bottom - after.top) - (before.bottom - before.top);
    *style = resizable;
    if (*width != static_cast<int>(CW_USEDEFAULT)) {
        *width += growX;
        *x -= growX / 2;
    }
    if (*height != static_cast<int>(CW_USEDEFAULT)) {
        *height += growY;
        *y -= growY / 2;
    }
}

::MSG RealMessage(const MSG& m) {
    ::MSG r{};
    r.hwnd = win::Real(m.hwnd);
    r.message = m.message;
    r.wParam = m.wParam;
    r.lParam = m.lParam;
    r.time = m.time;
    r.pt = {m.pt.x, m.pt.y};
    return r;
}

}  // namespace

WNDPROC ProcedureOf(::HWND window) {
    auto atom = static_cast<::ATOM>(::GetClassLongPtrW(window, GCW_ATOM));
    auto it = Procedures().find(atom);
    return it == Procedures().end() ? nullptr : it->second;
}

}  // namespace win

using win::Ours;
using win::Real;
using win::WideArg;

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc) return 0;
    win::DeclareDpiAware();
    WideArg menu(wc->lpszMenuName);
    WideArg name(wc->lpszClassName);
    ::WNDCLASSW real{};
    real.style = wc->style;
    real.lpfnWndProc = win::Trampoline;
    real.cbClsExtra = wc->cbClsExtra;
    real.cbWndExtra = wc->cbWndExtra;
    real.hInstance = Real(wc->hInstance);
    real.hIcon = reinterpret_cast<::HICON>(wc->hIcon);
    real.hCursor = reinterpret_cast<::HCURSOR>(wc->hCursor);
    real.hbrBackground = reinterpret_cast<::HBRUSH>(wc->hbrBackground);
    real.lpszMenuName = menu.get();
    real.lpszClassName = name.get();
    ::ATOM atom = ::RegisterClassW(&real);
    if (atom) win::Procedures()[atom] = wc->lpfnWndProc;
    return atom;
}

HICON LoadIconA(HINSTANCE instance, const char* name) {
    WideArg wide(name);
    return reinterpret_cast<HICON>(::LoadIconW(Real(instance), wide.get()));
}

HCURSOR LoadCursorA(HINSTANCE instance, const char* name) {
    WideArg wide(name);
    return reinterpret_cast<HCURSOR>(::LoadCursorW(Real(instance), wide.get()));
}

HGDIOBJ GetStockObject(int which) { return Ours(::GetStockObject(which)); }

int GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                     int y, int width, int height, HWND parent, void* menu, HINSTANCE instance,
                     void* param) {
    win::DeclareDpiAware();
    WideArg cls(className);
    WideArg text(title);
    if (!parent) win::ResizableFrame(&style, exStyle, &x, &y, &width, &height, false);
    return Ours(::CreateWindowExW(exStyle, cls.get(), text.get(), style, x, y, width, height,
                                  Real(parent), static_cast<::HMENU>(menu), Real(instance),
                                  param));
}

BOOL ShowWindow(HWND window, int command) { return ::ShowWindow(Real(window), command); }
BOOL UpdateWindow(HWND window) { return ::UpdateWindow(Real(window)); }
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(Real(window), Real(insertAfter), x, y, cx, cy, flags);
}
BOOL DestroyWindow(HWND window) { return ::DestroyWindow(Real(window)); }
BOOL CloseWindow(HWND window) { return ::CloseWindow(Real(window)); }

HWND FindWindowA(const char* className, const char* title) {
    WideArg cls(className);
    WideArg text(title);
    return Ours(::FindWindowW(cls.get(), text.get()));
}

BOOL SetForegroundWindow(HWND window) { return ::SetForegroundWindow(Real(window)); }

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    if (!msg) return 0;
    ::MSG m{};
    BOOL got = ::PeekMessageW(&m, Real(window), filterMin, filterMax, remove);
    if (got) {
        msg->hwnd = Ours(m.hwnd);
        msg->message = m.message;
        msg->wParam = m.wParam;
        msg->lParam = m.lParam;
        msg->time = static_cast<DWORD>(m.time);
        msg->pt = {static_cast<LONG>(m.pt.x), static_cast<LONG>(m.pt.y)};
    }
    return got;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg) return 0;
    ::MSG m = win::RealMessage(*msg);
    return ::TranslateMessage(&m);
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    ::MSG m = win::RealMessage(*msg);
    return ::DispatchMessageW(&m);
}

BOOL WaitMessage() { return ::WaitMessage(); }

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(Real(window), message, wParam, lParam);
}

void PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(Real(window), message, wParam, lParam);
}

short GetKeyState(int virtualKey) { return ::GetKeyState(virtualKey); }

// Cursor positions are the library's: over an enlarged picture, the client
// origin plus the picture pixel under the cursor (view.h).
BOOL GetCursorPos(POINT* point) {
    if (!point) return 0;
    ::POINT p{};
    BOOL ok = ::GetCursorPos(&p);
    if (ok) p = win::LibraryFromReal(p);
    *point = {static_cast<LONG>(p.x), static_cast<LONG>(p.y)};
    return ok;
}

int ShowCursor(BOOL show) { return ::ShowCursor(show); }

HCURSOR SetCursor(HCURSOR cursor) {
    return reinterpret_cast<HCURSOR>(::SetCursor(reinterpret_cast<::HCURSOR>(cursor)));
}

BOOL SetCursorPos(int x, int y) {
    ::POINT p = win::RealFromLibrary(::POINT{x, y});
    return ::SetCursorPos(p.x, p.y);
}

BOOL ClipCursor(const RECT* rect) {
    if (!rect) return ::ClipCursor(nullptr);
    ::POINT topLeft = win::RealFromLibrary(::POINT{rect->left, rect->top});
    ::POINT bottomRight = win::RealFromLibrary(::POINT{rect->right, rect->bottom});
    ::RECT r{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return ::ClipCursor(&r);
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    WideArg wideText(text);
    WideArg wideCaption(caption);
    return ::MessageBoxW(Real(owner), wideText.get(), wideCaption.get(), type);
}

BOOL MessageBeep(UINT type) { return ::MessageBeep(type); }

HDC GetDC(HWND window) { return Ours(::GetDC(Real(window))); }
int ReleaseDC(HWND window, HDC dc) { return ::ReleaseDC(Real(window), Real(dc)); }
// The display offered to a 16-bit program on a 32-bit desktop is 16-bit.
int GetDeviceCaps(HDC dc, int index) {
    int value = ::GetDeviceCaps(Real(dc), index);
    if (index == BITSPIXEL && value == 32 && win::OffersSixteenBits()) return 16;
    return value;
}

BOOL WINNLSEnableIME(HWND window, BOOL enable) { return ::WINNLSEnableIME(Real(window), enable); }

}  // namespace plat
