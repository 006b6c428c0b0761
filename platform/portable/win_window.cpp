// Portable window, message queue, cursor and message boxes. One SDL window per
// created window; SDL events are translated into the window messages the
// library's window procedure expects and kept in a queue with PeekMessage
// semantics. In headless mode there is no SDL at all: input comes from the
// test's script and message boxes are answered by the test.
#include <SDL.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/display.h"
#include "platform/encoding.h"
#include "platform/portable/state.h"
#ifdef __EMSCRIPTEN__
#include "platform/portable/web/boxes.h"
#endif

namespace plat {
namespace portable {

State& S() {
    static State state;
    return state;
}

bool EnsureVideo() {
    State& s = S();
    if (s.headless) return false;
    if (s.sdlVideo) return true;
    static bool failed = false;  // asking again would only repeat SDL's complaints
    if (failed) return false;
    failed = true;
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // SDL falls back to an invisible driver when there is no display; a window
    // nobody can see is no window, unless that driver was asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
    bool invisible = driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
    if (invisible && !(wanted && SDL_strcmp(wanted, driver) == 0)) {
        SDL_SetError("no display found");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    s.sdlVideo = true;
    failed = false;
    return true;
}

WindowObject* MainWindowObject() {
    for (auto& w : S().windows)
        if (!w->destroyed && !w->remote) return w.get();
    return nullptr;
}

SDL_Window* SdlWindow(HWND window) { return window ? window->sdl : nullptr; }

void PictureSize(const WindowObject& w, int& width, int& height) {
    width = std::max(w.pictureWidth > 0 ? w.pictureWidth : w.clientWidth, 1);
    height = std::max(w.pictureHeight > 0 ? w.pictureHeight : w.clientHeight, 1);
}

void ShownSize(const WindowObject& w, int& width, int& height) {
    if (w.sdl) {
        SDL_GetWindowSize(w.sdl, &width, &height);
    } else if (w.shownWidth > 0 && w.shownHeight > 0) {
        width = w.shownWidth;
        height = w.shownHeight;
    } else {
        PictureSize(w, width, height);
    }
}

Placement PictureInWindow(const WindowObject& w) {
    int pw = 0, ph = 0, ww = 0, wh = 0;
    PictureSize(w, pw, ph);
    ShownSize(w, ww, wh);
    return PlacePicture(pw, ph, ww, wh, GetScaleMode());
}

POINT WindowPointToPicture(const WindowObject& w, int x, int y) {
    int pw = 0, ph = 0;
    PictureSize(w, pw, ph);
    WindowToPicture(PictureInWindow(w), pw, ph, x, y);
    return POINT{x, y};
}

namespace {

// A cursor clip in force follows the picture when the window changes size.
void Reclip() {
    State& s = S();
    if (s.cursorClipped) {
        RECT r = s.clipRect;
        ClipCursor(&r);
    }
}

void WindowChangedSize() {
    Reclip();
    RepaintWindow();
}

}  // namespace

void ResizeShown(WindowObject& w, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (w.sdl) {
        SDL_SetWindowSize(w.sdl, width, height);
    } else {
        w.shownWidth = width;
        w.shownHeight = height;
    }
    WindowChangedSize();
}

void ToggleDesktopFullScreen(WindowObject& w) {
    if (w.sdl && (SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_FULLSCREEN)) {
        // The program's own full screen (a display mode): to a window of the
        // picture's size.
        int width = 0, height = 0;
        PictureSize(w, width, height);
        SDL_SetWindowFullscreen(w.sdl, 0);
        SDL_SetWindowSize(w.sdl, width, height);
        w.desktopFullScreen = false;
    } else if (!w.desktopFullScreen) {
        ShownSize(w, w.windowedWidth, w.windowedHeight);
        w.desktopFullScreen = true;
        if (w.sdl) {
            // The window itself covers its display, without a border: the
            // same on every window manager and where there is none (a
            // full-screen request is carried out by the window manager).
            SDL_GetWindowPosition(w.sdl, &w.windowedX, &w.windowedY);
            w.windowedBorder = (SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_BORDERLESS) == 0;
            SDL_Rect bounds{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
            int display = SDL_GetWindowDisplayIndex(w.sdl);
            SDL_GetDisplayBounds(display >= 0 ? display : 0, &bounds);
            SDL_SetWindowBordered(w.sdl, SDL_FALSE);
            SDL_SetWindowPosition(w.sdl, bounds.x, bounds.y);
            SDL_SetWindowSize(w.sdl, bounds.w, bounds.h);
            SDL_RaiseWindow(w.sdl);
        } else {
            w.shownWidth = GetSystemMetrics(SM_CXSCREEN);
            w.shownHeight = GetSystemMetrics(SM_CYSCREEN);
        }
    } else {
        w.desktopFullScreen = false;
        int width = w.windowedWidth, height = w.windowedHeight;
        if (width <= 0 || height <= 0) PictureSize(w, width, height);
        if (w.sdl) {
            SDL_SetWindowBordered(w.sdl, w.windowedBorder ? SDL_TRUE : SDL_FALSE);
            SDL_SetWindowSize(w.sdl, width, height);
            SDL_SetWindowPosition(w.sdl, w.windowedX, w.windowedY);
        } else {
            w.shownWidth = width;
            w.shownHeight = height;
        }
    }
    WindowChangedSize();
}

void OpenPicture(WindowObject& w, int pictureWidth, int pictureHeight, bool windowMode) {
    w.pictureWidth = pictureWidth;
    w.pictureHeight = pictureHeight;
    if (!windowMode || w.initialScaleApplied) return;
    w.initialScaleApplied = true;
    // 0 asks for the platform's choice: the player's EL_SCALE, else 1.
    int scale = GetInitialScale();
    if (scale == 0) {
        const char* chosen = std::getenv("EL_SCALE");
        scale = chosen ? std::atoi(chosen) : 1;
    }
    if (scale <= 1) return;
    ResizeShown(w, pictureWidth * scale, pictureHeight * scale);
    if (w.sdl) {
        // Centred again, as the window was opened.
        int display = std::max(SDL_GetWindowDisplayIndex(w.sdl), 0);
        SDL_SetWindowPosition(w.sdl, static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display)),
                              static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display)));
    }
}

namespace {

bool IsLiveWindow(HWND window) {
    for (auto& w : S().windows)
        if (w.get() == window) return !w->destroyed && !w->remote;
    return false;
}

}  // namespace

LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsLiveWindow(window) || !window->proc) return 0;
    return window->proc(window, message, wParam, lParam);
}

namespace {

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = timeGetTime();
    S().queue.push_back(m);
}

// Windows virtual-key code of an SDL scancode (US layout positions, which is
// what the Windows codes for letters, digits and the main keys describe).
int VirtualKeyOf(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
    if (sc == SDL_SCANCODE_0) return '0';
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return VK_F1 + (sc - SDL_SCANCODE_F1);
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return 0x61 + (sc - SDL_SCANCODE_KP_1);
    switch (sc) {
        case SDL_SCANCODE_KP_0: return 0x60;
        case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
        case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
        case SDL_SCANCODE_BACKSPACE: return VK_BACK;
        case SDL_SCANCODE_TAB: return VK_TAB;
        case SDL_SCANCODE_SPACE: return VK_SPACE;
        case SDL_SCANCODE_LSHIFT: case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
        case SDL_SCANCODE_LCTRL: case SDL_SCANCODE_RCTRL: return VK_CONTROL;
        case SDL_SCANCODE_LALT: case SDL_SCANCODE_RALT: return VK_MENU;
        case SDL_SCANCODE_PAUSE: return VK_PAUSE;
        case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
        case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
        case SDL_SCANCODE_END: return VK_END;
        case SDL_SCANCODE_HOME: return VK_HOME;
        case SDL_SCANCODE_LEFT: return VK_LEFT;
        case SDL_SCANCODE_UP: return VK_UP;
        case SDL_SCANCODE_RIGHT: return VK_RIGHT;
        case SDL_SCANCODE_DOWN: return VK_DOWN;
        case SDL_SCANCODE_INSERT: return VK_INSERT;
        case SDL_SCANCODE_DELETE: return VK_DELETE;
        case SDL_SCANCODE_CAPSLOCK: return 0x14;
        case SDL_SCANCODE_NUMLOCKCLEAR: return 0x90;
        case SDL_SCANCODE_SCROLLLOCK: return 0x91;
        case SDL_SCANCODE_PRINTSCREEN: return 0x2C;
        case SDL_SCANCODE_KP_MULTIPLY: return 0x6A;
        case SDL_SCANCODE_KP_PLUS: return 0x6B;
        case SDL_SCANCODE_KP_MINUS: return 0x6D;
        case SDL_SCANCODE_KP_PERIOD: return 0x6E;
        case SDL_SCANCODE_KP_DIVIDE: return 0x6F;
        case SDL_SCANCODE_SEMICOLON: return 0xBA;
        case SDL_SCANCODE_EQUALS: return 0xBB;
        case SDL_SCANCODE_COMMA: return 0xBC;
        case SDL_SCANCODE_MINUS: return 0xBD;
        case SDL_SCANCODE_PERIOD: return 0xBE;
        case SDL_SCANCODE_SLASH: return 0xBF;
        case SDL_SCANCODE_GRAVE: return 0xC0;
        case SDL_SCANCODE_LEFTBRACKET: return 0xDB;
        case SDL_SCANCODE_BACKSLASH: return 0xDC;
        case SDL_SCANCODE_RIGHTBRACKET: return 0xDD;
        case SDL_SCANCODE_APOSTROPHE: return 0xDE;
        case SDL_SCANCODE_INTERNATIONAL1: return 0xE2;
        case SDL_SCANCODE_LANG1: return 0x15;
        case SDL_SCANCODE_LANG2: return 0x19;
        default: return 0;
    }
}

LPARAM KeyLParam(bool up, bool repeat) {
    DWORD lp = 1;
    if (repeat || up) lp |= 1u << 30;
    if (up) lp |= 1u << 31;
    return static_cast<LPARAM>(static_cast<std::int32_t>(lp));
}

void AcceptForegroundRequests() {
    State& s = S();
    if (s.listenFd < 0) return;
    for (;;) {
        int fd = accept(s.listenFd, nullptr, nullptr);
        if (fd < 0) break;
        char buf[16];
        ssize_t n = read(fd, buf, sizeof buf);
        close(fd);
        if (n > 0) {
            ++s.foregroundRequests;
            Trace("foreground request");
            if (WindowObject* w = MainWindowObject(); w && w->sdl) {
                SDL_RestoreWindow(w->sdl);
                SDL_RaiseWindow(w->sdl);
            }
        }
    }
}

}  // namespace

void PumpEvents() {
    State& s = S();
    AcceptForegroundRequests();
    PollAudio();
    if (s.headless || !s.sdlVideo) return;
    WindowObject* main = MainWindowObject();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (!main) continue;
        HWND w = main;
        switch (e.type) {
            case SDL_QUIT:
                Post(w, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: Post(w, WM_SYSCOMMAND, SC_CLOSE, 0); break;
                    case SDL_WINDOWEVENT_MOVED:
                        main->client = {e.window.data1, e.window.data2};
                        Post(w, WM_MOVE, 0, MakeLParam(e.window.data1, e.window.data2));
                        break;
                    case SDL_WINDOWEVENT_SIZE_CHANGED: WindowChangedSize(); break;
                    case SDL_WINDOWEVENT_EXPOSED: RepaintWindow(); break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED: Post(w, WM_ACTIVATEAPP, 1, 0); break;
                    case SDL_WINDOWEVENT_FOCUS_LOST: Post(w, WM_ACTIVATEAPP, 0, 0); break;
                    default: break;
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                int vk = VirtualKeyOf(e.key.keysym.scancode);
                if (vk == 0) break;
                bool up = e.type == SDL_KEYUP;
                // Alt+Enter switches between the window and the whole desktop;
                // the program sees neither the Enter press nor its release.
                static bool enterSwallowed = false;
                if (vk == VK_RETURN && !up && (e.key.keysym.mod & KMOD_ALT) && !(e.key.keysym.mod & KMOD_CTRL)) {
                    if (!e.key.repeat) ToggleDesktopFullScreen(*main);
                    enterSwallowed = true;
                    break;
                }
                if (vk == VK_RETURN && up && enterSwallowed) {
                    enterSwallowed = false;
                    break;
                }
                bool alt = (e.key.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
                bool sys = alt || vk == VK_F10;
                // Ctrl+Alt is AltGr on many layouts and gives plain key messages.
                if ((e.key.keysym.mod & KMOD_CTRL) != 0 && vk != VK_MENU) sys = false;
                UINT msg = up ? (sys ? WM_SYSKEYUP : WM_KEYUP) : (sys ? WM_SYSKEYDOWN : WM_KEYDOWN);
                Post(w, msg, static_cast<WPARAM>(vk), KeyLParam(up, e.key.repeat != 0));
                break;
            }
            case SDL_MOUSEMOTION: {
                WPARAM flags = 0;
                if (e.motion.state & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
                if (e.motion.state & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
                POINT p = WindowPointToPicture(*main, e.motion.x, e.motion.y);
                Post(w, WM_MOUSEMOVE, flags, MakeLParam(p.x, p.y));
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                bool down = e.type == SDL_MOUSEBUTTONDOWN;
                UINT msg = 0;
                if (e.button.button == SDL_BUTTON_LEFT)
                    msg = down ? (e.button.clicks == 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN)
                               : WM_LBUTTONUP;
                else if (e.button.button == SDL_BUTTON_RIGHT)
                    msg = down ? (e.button.clicks == 2 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN)
                               : WM_RBUTTONUP;
                POINT p = WindowPointToPicture(*main, e.button.x, e.button.y);
                if (msg != 0) Post(w, msg, 0, MakeLParam(p.x, p.y));
                break;
            }
            default:
                break;
        }
    }
}

}  // namespace portable

using portable::S;
using portable::State;

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName) return 0;
    State& s = S();
    std::string name = wc->lpszClassName;
    if (s.classes.count(name)) {
        s.lastError = 1410;  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    WNDCLASSA copy = *wc;
    s.classNames[name] = name;
    copy.lpszClassName = s.classNames[name].c_str();
    copy.lpszMenuName = nullptr;
    s.classes[name] = copy;
    return static_cast<ATOM>(s.classes.size());
}

HICON LoadIconA(HINSTANCE, const char*) { return nullptr; }

HCURSOR LoadCursorA(HINSTANCE, const char*) {
    static CursorObject* arrow = reinterpret_cast<CursorObject*>(std::uintptr_t{32512});
    return arrow;
}

int GetSystemMetrics(int index) {
    State& s = S();
    int w = 1024, h = 768;
    if (!s.headless && portable::EnsureVideo()) {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            w = mode.w;
            h = mode.h;
        }
    }
    switch (index) {
        case SM_CXSCREEN: return w;
        case SM_CYSCREEN: return h;
        // The window manager draws the frame outside the client area, so the
        // window is created at its client size: every frame metric is 0.
        default: return 0;
    }
}

HWND CreateWindowExA(DWORD, const char* className, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND, void*, HINSTANCE, void*) {
    State& s = S();
    auto cls = s.classes.find(className ? className : "");
    if (cls == s.classes.end()) {
        s.lastError = 1407;  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    auto w = std::make_unique<WindowObject>();
    w->className = className;
    w->title = title ? title : "";
    w->proc = cls->second.lpfnWndProc;
    w->style = style;
    w->rect = {x, y, x + width, y + height};
    w->client = {x, y};
    w->clientWidth = width;
    w->clientHeight = height;
    if (!s.headless) {
        if (!portable::EnsureVideo()) {
            std::fprintf(stderr,
                         "No display to open the window on (%s).\n"
                         "Run the program under a virtual display, for example:\n"
                         "  xvfb-run -s '-screen 0 1024x768x24' <program>\n",
                         SDL_GetError());
            s.lastError = 1400;
            return nullptr;
        }
        // The user may enlarge the window: the picture follows it.
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
        if (style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
        w->sdl = SDL_CreateWindow(SjisToUtf8(w->title).c_str(), x, y, width, height, flags);
        if (!w->sdl) {
            s.lastError = 1400;
            return nullptr;
        }
        SDL_GetWindowPosition(w->sdl, &w->client.x, &w->client.y);
    }
    HWND handle = w.get();
    s.windows.push_back(std::move(w));
    portable::ListenForForeground(handle->className, handle->title);
    // Windows sends WM_MOVE while it creates the window.
    portable::SendToWindow(handle, WM_MOVE, 0, MakeLParam(handle->client.x, handle->client.y));
    return handle;
}

BOOL ShowWindow(HWND window, int command) {
    if (!window || window->remote || window->destroyed) return 0;
    bool was = window->shown;
    window->shown = command != SW_HIDE;
    if (window->sdl) {
        if (window->shown) {
            SDL_ShowWindow(window->sdl);
            SDL_RaiseWindow(window->sdl);
        } else {
            SDL_HideWindow(window->sdl);
        }
    } else if (window->shown && !was) {
        // Showing a window activates the application.
        portable::SendToWindow(window, WM_ACTIVATEAPP, 1, 0);
    }
    return was ? 1 : 0;
}

BOOL UpdateWindow(HWND window) { return window != nullptr; }

BOOL SetWindowPos(HWND window, HWND insertAfter, int, int, int, int, UINT) {
    if (!window || window->remote) return 0;
    if (window->sdl) SDL_SetWindowAlwaysOnTop(window->sdl, insertAfter == HWND_TOPMOST ? SDL_TRUE : SDL_FALSE);
    return 1;
}

BOOL DestroyWindow(HWND window) {
    if (!portable::S().windows.empty() && window && !window->destroyed && !window->remote) {
        portable::SendToWindow(window, WM_DESTROY, 0, 0);
        window->destroyed = true;
        if (window->sdl) {
            SDL_DestroyWindow(window->sdl);
            window->sdl = nullptr;
        }
        State& s = S();
        if (s.listenFd >= 0) {
            close(s.listenFd);
            unlink(s.listenPath.c_str());
            s.listenFd = -1;
        }
        return 1;
    }
    return 0;
}

BOOL CloseWindow(HWND window) {
    if (!window || window->remote) return 0;
    if (window->sdl) SDL_MinimizeWindow(window->sdl);
    return 1;
}

HINSTANCE GetModuleHandleA(const char*) {
    static ModuleObject* self = reinterpret_cast<ModuleObject*>(std::uintptr_t{0x400000});
    return self;
}

BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT remove) {
    State& s = S();
    if (s.queue.empty()) portable::PumpEvents();
    if (s.queue.empty()) {
        if (!s.quitPosted) return 0;
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(s.quitCode);
        msg->time = timeGetTime();
        if (remove & PM_REMOVE) s.quitPosted = false;
        return 1;
    }
    *msg = s.queue.front();
    if (!(remove & PM_REMOVE)) return 1;
    s.queue.pop_front();
    // The key state follows the messages as they are retrieved.
    int vk = static_cast<int>(msg->wParam & 0xFF);
    switch (msg->message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!(s.keys[vk] & 0x80)) s.keys[vk] ^= 0x01;
            s.keys[vk] |= 0x80;
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP: s.keys[vk] &= static_cast<BYTE>(~0x80); break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: s.keys[VK_LBUTTON] |= 0x80; break;
        case WM_LBUTTONUP: s.keys[VK_LBUTTON] &= static_cast<BYTE>(~0x80); break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: s.keys[VK_RBUTTON] |= 0x80; break;
        case WM_RBUTTONUP: s.keys[VK_RBUTTON] &= static_cast<BYTE>(~0x80); break;
        default: break;
    }
    return 1;
}

BOOL TranslateMessage(const MSG*) { return 0; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    return portable::SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WaitMessage() {
    State& s = S();
    if (s.headless) return 1;
    while (s.queue.empty() && !s.quitPosted) {
        if (s.sdlVideo) SDL_WaitEventTimeout(nullptr, 50);
        else SDL_Delay(10);
        portable::PumpEvents();
    }
    return 1;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && (window->destroyed || window->remote)) return 0;
    portable::Post(window, message, wParam, lParam);
    return 1;
}

void PostQuitMessage(int exitCode) {
    S().quitPosted = true;
    S().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) portable::SendToWindow(window, WM_CLOSE, 0, 0);
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+F4 closes the window through the system menu.
            if (wParam == static_cast<WPARAM>(VK_F4) && (S().keys[VK_MENU] & 0x80))
                portable::SendToWindow(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        default: return 0;
    }
}

short GetKeyState(int virtualKey) {
    BYTE k = S().keys[virtualKey & 0xFF];
    return static_cast<short>(((k & 0x80) ? 0xFF80 : 0) | (k & 0x01));
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return 0;
    State& s = S();
    if (!s.headless && s.sdlVideo) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        *point = {x, y};
        // Desktop points are the window's client origin plus picture pixels.
        if (WindowObject* w = portable::MainWindowObject(); w && w->sdl) {
            int wx = 0, wy = 0, pw = 0, ph = 0;
            SDL_GetWindowPosition(w->sdl, &wx, &wy);
            portable::PictureSize(*w, pw, ph);
            portable::Placement place = portable::PictureInWindow(*w);
            auto toPicture = [](int v, int start, int size, int picture) {
                std::int64_t p = (static_cast<std::int64_t>(v) - start) * picture;
                return static_cast<int>(p >= 0 ? p / size : -((-p + size - 1) / size));
            };
            point->x = w->client.x + toPicture(x - wx, place.x, place.width, pw);
            point->y = w->client.y + toPicture(y - wy, place.y, place.height, ph);
        }
        return 1;
    }
    *point = s.cursor;
    return 1;
}

int ShowCursor(BOOL show) {
    State& s = S();
    s.cursorCount += show ? 1 : -1;
    if (!s.headless && s.sdlVideo) SDL_ShowCursor(s.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return s.cursorCount;
}

HCURSOR SetCursor(HCURSOR cursor) { return cursor; }

BOOL SetCursorPos(int x, int y) {
    State& s = S();
    if (!s.headless && s.sdlVideo) {
        WindowObject* w = portable::MainWindowObject();
        if (!w || !w->sdl) return SDL_WarpMouseGlobal(x, y) == 0;
        // To the middle of the picture pixel, wherever the picture lies.
        int px = x - w->client.x, py = y - w->client.y, pw = 0, ph = 0;
        portable::PictureSize(*w, pw, ph);
        portable::PictureToWindow(portable::PictureInWindow(*w), pw, ph, px, py);
        SDL_WarpMouseInWindow(w->sdl, px, py);
        return 1;
    }
    s.cursor = {x, y};
    return 1;
}

BOOL ClipCursor(const RECT* rect) {
    State& s = S();
    s.cursorClipped = rect != nullptr;
    if (rect) s.clipRect = *rect;
    if (!s.headless) {
        if (WindowObject* w = portable::MainWindowObject(); w && w->sdl) {
            if (rect) {
                // The rectangle is in picture pixels from the client origin.
                int pw = 0, ph = 0;
                portable::PictureSize(*w, pw, ph);
                portable::Placement p = portable::PictureInWindow(*w);
                int l = portable::PictureEdgeToWindow(rect->left - w->client.x, p.x, p.width, pw);
                int t = portable::PictureEdgeToWindow(rect->top - w->client.y, p.y, p.height, ph);
                int r = portable::PictureEdgeToWindow(rect->right - w->client.x, p.x, p.width, pw);
                int b = portable::PictureEdgeToWindow(rect->bottom - w->client.y, p.y, p.height, ph);
                SDL_Rect area{l, t, r - l, b - t};
                SDL_SetWindowMouseRect(w->sdl, &area);
            } else {
                SDL_SetWindowMouseRect(w->sdl, nullptr);
            }
        }
    }
    return 1;
}

int MessageBoxA(HWND, const char* text, const char* caption, UINT type) {
    State& s = S();
    bool yesNo = (type & 0x0F) == MB_YESNO;
    if (s.headless) {
        headless::Box box{caption ? caption : "", text ? text : "", type, 0};
        if (!s.answers.empty()) {
            box.answer = s.answers.front();
            s.answers.pop_front();
        } else {
            box.answer = yesNo ? IDYES : IDOK;
        }
        s.boxes.push_back(box);
        if (s.boxHook) s.boxHook(s.boxes.back());
        return box.answer;
    }
    std::string t = SjisToUtf8(text ? text : "");
    std::string c = SjisToUtf8(caption ? caption : "");
    // Windows boxes take "\r\n" line breaks; the X11 dialog would show the CR.
    t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
#ifdef __EMSCRIPTEN__
    // The page's alert and confirm (modal to the page; nothing is system modal there).
    bool accepted = web::ShowBox(c, t, yesNo);
    SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYUP);
    return yesNo ? (accepted ? IDYES : IDNO) : IDOK;
#endif
    Uint32 flags = (type & 0xF0) == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                                       : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (yesNo) {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "\xE3\x81\xAF\xE3\x81\x84"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO,
                      "\xE3\x81\x84\xE3\x81\x84\xE3\x81\x88"};
        count = 2;
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      IDOK, "OK"};
        count = 1;
    }
    WindowObject* owner = portable::MainWindowObject();
    SDL_MessageBoxData data{flags, owner ? owner->sdl : nullptr, c.c_str(), t.c_str(), count,
                            buttons, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) {
        // No display to show the box on: say it on the terminal instead.
        std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
        return yesNo ? IDNO : IDOK;
    }
    // Keys pressed in the dialog were never seen by the window.
    SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYUP);
    return pressed;
}

BOOL MessageBeep(UINT) {
    State& s = S();
    ++s.beeps;
    if (!s.headless && isatty(2)) {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
    return 1;
}

HDC GetDC(HWND window) {
    // The window's device context is only asked for the display depth here.
    return reinterpret_cast<HDC>(window ? static_cast<void*>(window) : reinterpret_cast<void*>(1));
}

int ReleaseDC(HWND, HDC) { return 1; }

int GetDeviceCaps(HDC, int index) {
    if (index != BITSPIXEL) return 0;
    if (S().displayDepthOverride) return S().displayDepthOverride;
    return DisplayBitsPerPixel(portable::OfferedDisplayFormat());
}

BOOL WINNLSEnableIME(HWND, BOOL enable) {
    State& s = S();
    BOOL previous = s.imeEnabled ? 1 : 0;
    s.imeEnabled = enable != 0;
    if (!s.headless && s.sdlVideo) {
        if (enable) SDL_StartTextInput();
        else SDL_StopTextInput();
    }
    return previous;
}

}  // namespace plat
