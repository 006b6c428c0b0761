#include "platform/windows/view.h"

#include <algorithm>

namespace plat::win {
namespace {

struct View {
    ::HWND window = nullptr;
    int pictureWidth = 0;
    int pictureHeight = 0;
    bool exclusive = false;
    // The borderless full-monitor window of Alt+Enter, and what it replaced.
    bool fullWindow = false;
    ::LONG_PTR savedStyle = 0;
    ::WINDOWPLACEMENT savedPlacement{};
};

View& TheView() {
    static View view;
    return view;
}

// Floor of a / b for b > 0.
long long FloorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

::RECT MonitorArea(::HWND window, bool work) {
    ::MONITORINFO info{};
    info.cbSize = sizeof info;
    ::HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && ::GetMonitorInfoW(monitor, &info)) return work ? info.rcWork : info.rcMonitor;
    return ::RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

// The frame a window of this style adds around its client area.
::RECT FrameOf(::HWND window) {
    ::RECT r{0, 0, 0, 0};
    ::AdjustWindowRectEx(&r, static_cast<::DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)),
                         ::GetMenu(window) != nullptr,
                         static_cast<::DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
    return r;
}

// The desktop's scale factor's whole part (1 at 96 dots per inch).
int DesktopScale() {
    int dpi = 0;
    if (::HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
        using GetDpi = ::UINT(WINAPI*)();
        if (auto proc = ::GetProcAddress(user32, "GetDpiForSystem"))
            dpi = static_cast<int>(reinterpret_cast<GetDpi>(reinterpret_cast<void (*)()>(proc))());
    }
    if (dpi <= 0) {
        ::HDC screen = ::GetDC(nullptr);
        dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    return std::max(1, dpi / 96);
}

void ToggleFullWindow(View& view) {
    ::HWND w = view.window;
    if (!view.fullWindow) {
        view.savedPlacement = {};
        view.savedPlacement.length = sizeof view.savedPlacement;
        if (!::GetWindowPlacement(w, &view.savedPlacement)) return;
        view.savedStyle = ::GetWindowLongPtrW(w, GWL_STYLE);
        ::LONG_PTR style = view.savedStyle & ~static_cast<::LONG_PTR>(WS_CAPTION | WS_THICKFRAME |
                                                                      WS_MAXIMIZEBOX | WS_MINIMIZEBOX |
                                                                      WS_SYSMENU);
        ::SetWindowLongPtrW(w, GWL_STYLE, style | static_cast<::LONG_PTR>(WS_POPUP));
        ::RECT m = MonitorArea(w, false);
        view.fullWindow = true;
        ::SetWindowPos(w, nullptr, m.left, m.top, m.right - m.left, m.bottom - m.top,
                       SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    } else {
        view.fullWindow = false;
        ::SetWindowLongPtrW(w, GWL_STYLE, view.savedStyle);
        ::SetWindowPos(w, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        ::SetWindowPlacement(w, &view.savedPlacement);
    }
    ::InvalidateRect(w, nullptr, TRUE);
}

bool IsMouseMessage(::UINT message) {
    return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN || message == WM_RBUTTONUP ||
           message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN || message == WM_MBUTTONUP ||
           message == WM_MBUTTONDBLCLK;
}

}  // namespace

Layout LayoutFor(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                 ScaleMode mode) {
    Layout l;
    l.pictureWidth = pictureWidth;
    l.pictureHeight = pictureHeight;
    l.clientWidth = clientWidth;
    l.clientHeight = clientHeight;
    l.width = pictureWidth;
    l.height = pictureHeight;
    if (pictureWidth <= 0 || pictureHeight <= 0 || clientWidth < pictureWidth ||
        clientHeight < pictureHeight)
        return l;
    if (mode == ScaleMode::FitAspect) {
        const long long byWidth = static_cast<long long>(clientWidth) * pictureHeight;
        const long long byHeight = static_cast<long long>(clientHeight) * pictureWidth;
        if (byWidth <= byHeight) {
            l.width = clientWidth;
            l.height = static_cast<int>(byWidth / pictureWidth);
        } else {
            l.height = clientHeight;
            l.width = static_cast<int>(byHeight / pictureHeight);
        }
    } else {
        const int scale = std::min(clientWidth / pictureWidth, clientHeight / pictureHeight);
        l.width = pictureWidth * scale;
        l.height = pictureHeight * scale;
    }
    l.x = (clientWidth - l.width) / 2;
    l.y = (clientHeight - l.height) / 2;
    return l;
}

int PictureFromClient(int client, int offset, int shown, int picture) {
    if (shown <= 0) return client;
    return static_cast<int>(FloorDiv(static_cast<long long>(client - offset) * picture, shown));
}

int ClientFromPicture(int picture, int offset, int shown, int pictureSize) {
    if (pictureSize <= 0) return picture;
    // Ceiling: the first client pixel whose picture pixel is this one.
    return offset + static_cast<int>(-FloorDiv(-static_cast<long long>(picture) * shown, pictureSize));
}

void SetView(::HWND window, int pictureWidth, int pictureHeight, bool exclusive) {
    View& view = TheView();
    if (view.window != window) {
        view = View{};
        view.window = window;
    }
    view.pictureWidth = pictureWidth;
    view.pictureHeight = pictureHeight;
    view.exclusive = exclusive;
}

void ClearView(::HWND window) {
    View& view = TheView();
    if (view.window != window) return;
    if (view.fullWindow && ::IsWindow(window)) ToggleFullWindow(view);
    view = View{};
}

::HWND ViewWindow() { return TheView().window; }

bool ViewLayout(::HWND window, Layout* layout) {
    const View& view = TheView();
    if (!window || window != view.window || view.pictureWidth <= 0) return false;
    // A full-screen (exclusive) screen shows the picture on the display
    // mode's whole area, whatever its window's size; a window, on its
    // client area.
    ::RECT client{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (!view.exclusive && !::GetClientRect(window, &client)) return false;
    *layout = LayoutFor(client.right - client.left, client.bottom - client.top, view.pictureWidth,
                        view.pictureHeight, GetScaleMode());
    return true;
}

void SizeWindowForPicture(::HWND window, int pictureWidth, int pictureHeight) {
    const ::LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    if (!(style & WS_CAPTION) || (style & WS_POPUP) || ::IsZoomed(window) || TheView().fullWindow)
        return;
    int scale = GetInitialScale();
    if (scale <= 0) scale = DesktopScale();
    const ::RECT frame = FrameOf(window);
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    const ::RECT work = MonitorArea(window, true);
    while (scale > 1 && (pictureWidth * scale + frameWidth > work.right - work.left ||
                         pictureHeight * scale + frameHeight > work.bottom - work.top))
        --scale;
    ::RECT client{}, outer{};
    ::GetClientRect(window, &client);
    ::GetWindowRect(window, &outer);
    const int width = pictureWidth * scale, height = pictureHeight * scale;
    if (client.right - client.left == width && client.bottom - client.top == height) return;
    // Keep the window's centre, inside the work area where it fits.
    const int outerWidth = width + frameWidth, outerHeight = height + frameHeight;
    int x = (outer.left + outer.right - outerWidth) / 2;
    int y = (outer.top + outer.bottom - outerHeight) / 2;
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - outerWidth));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - outerHeight));
    ::SetWindowPos(window, nullptr, x, y, outerWidth, outerHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

bool BeforeLibrary(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM* lParam,
                   ::LRESULT* result) {
    View& view = TheView();
    if (!window || window != view.window) return false;
    const bool altDown = (*lParam & (1 << 29)) != 0;
    if (message == WM_SYSKEYDOWN && wParam == VK_RETURN && altDown && !view.exclusive) {
        if (!(*lParam & (1 << 30))) ToggleFullWindow(view);  // not on auto-repeat
        *result = 0;
        return true;
    }
    if (message == WM_SYSCHAR && wParam == '\r' && altDown && !view.exclusive) {
        *result = 0;  // no beep for the consumed Alt+Enter
        return true;
    }
    if (IsMouseMessage(message)) {
        Layout l;
        if (!ViewLayout(window, &l) || l.Identity()) return false;
        const int cx = static_cast<short>(*lParam & 0xFFFF);
        const int cy = static_cast<short>((*lParam >> 16) & 0xFFFF);
        int px = PictureFromClient(cx, l.x, l.width, l.pictureWidth);
        int py = PictureFromClient(cy, l.y, l.height, l.pictureHeight);
        px = std::clamp(px, 0, l.pictureWidth - 1);
        py = std::clamp(py, 0, l.pictureHeight - 1);
        *lParam = MAKELPARAM(px, py);
    }
    return false;
}

void AfterLibrary(::HWND window, ::UINT message, ::LPARAM lParam) {
    const View& view = TheView();
    if (message != WM_GETMINMAXINFO || window != view.window || view.pictureWidth <= 0 ||
        view.fullWindow || !lParam)
        return;
    const ::LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    if (!(style & WS_THICKFRAME)) return;
    const ::RECT frame = FrameOf(window);
    auto* info = reinterpret_cast<::MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = view.pictureWidth + (frame.right - frame.left);
    info->ptMinTrackSize.y = view.pictureHeight + (frame.bottom - frame.top);
}

::POINT RealFromLibrary(::POINT p) {
    Layout l;
    const ::HWND w = ViewWindow();
    if (!ViewLayout(w, &l) || l.Identity()) return p;
    ::POINT origin{0, 0};
    ::ClientToScreen(w, &origin);
    return ::POINT{origin.x + ClientFromPicture(p.x - origin.x, l.x, l.width, l.pictureWidth),
                   origin.y + ClientFromPicture(p.y - origin.y, l.y, l.height, l.pictureHeight)};
}

::POINT LibraryFromReal(::POINT p) {
    Layout l;
    const ::HWND w = ViewWindow();
    if (!ViewLayout(w, &l) || l.Identity()) return p;
    ::POINT origin{0, 0};
    ::ClientToScreen(w, &origin);
    return ::POINT{origin.x + PictureFromClient(p.x - origin.x, l.x, l.width, l.pictureWidth),
                   origin.y + PictureFromClient(p.y - origin.y, l.y, l.height, l.pictureHeight)};
}

void DeclareDpiAware() {
    static const bool done = [] {
        ::HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        if (!user32) return true;
        // The system-aware context (-2): one scale for the whole session.
        using SetContext = ::BOOL(WINAPI*)(::HANDLE);
        if (auto proc = ::GetProcAddress(user32, "SetProcessDpiAwarenessContext")) {
            auto set = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(proc));
            if (set(reinterpret_cast<::HANDLE>(static_cast<::INT_PTR>(-2)))) return true;
        }
        using SetAware = ::BOOL(WINAPI*)();
        if (auto proc = ::GetProcAddress(user32, "SetProcessDPIAware"))
            reinterpret_cast<SetAware>(reinterpret_cast<void (*)()>(proc))();
        return true;
    }();
    (void)done;
}

int DesktopBitsPerPixel() {
    ::HDC screen = ::GetDC(nullptr);
    int bits = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(nullptr, screen);
    return bits;
}

bool OffersSixteenBits() { return GetRequestedDepth() == 16 && DesktopBitsPerPixel() == 32; }

}  // namespace plat::win
