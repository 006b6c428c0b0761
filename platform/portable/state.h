// Internal state shared by the files of the portable platform. Nothing
// outside platform/portable includes this.
#pragma once

#include <SDL.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/portable/headless.h"
#include "platform/portable/window_picture.h"
#include "platform/win.h"

namespace plat {

struct WindowObject {
    std::string className;
    std::string title;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    RECT rect{};          // outer rectangle as created
    POINT client{};       // client origin on the desktop
    int clientWidth = 0;
    int clientHeight = 0;
    SDL_Window* sdl = nullptr;
    bool shown = false;
    bool destroyed = false;
    bool remote = false;  // a window of another process (found by FindWindowA)
    std::string remoteSocket;
    // The window may be larger than the picture the program draws (the user
    // enlarged it, or Alt+Enter put it on the whole desktop): the picture is
    // shown enlarged in it and the mouse is mapped back to picture pixels.
    int pictureWidth = 0;  // the primary surface's size; 0: the client size
    int pictureHeight = 0;
    int shownWidth = 0;    // headless: the window's size in pixels; 0: the picture's
    int shownHeight = 0;
    bool desktopFullScreen = false;  // switched by Alt+Enter
    int windowedWidth = 0;           // the place Alt+Enter returns to
    int windowedHeight = 0;
    int windowedX = 0;
    int windowedY = 0;
    bool windowedBorder = true;
    bool initialScaleApplied = false;
};

namespace portable {

struct State {
    bool headless = false;
    bool sdlVideo = false;
    DWORD lastError = 0;
    std::map<std::string, WNDCLASSA> classes;
    std::map<std::string, std::string> classNames;  // storage for class name copies
    std::vector<std::unique_ptr<WindowObject>> windows;
    std::deque<MSG> queue;
    bool quitPosted = false;
    int quitCode = 0;
    BYTE keys[256]{};  // 0x80 down, 0x01 toggled
    int cursorCount = 0;
    bool cursorClipped = false;
    RECT clipRect{};
    bool imeEnabled = true;
    int displayDepthOverride = 0;

    // Headless world.
    DWORD clock = 0;
    POINT cursor{};
    std::deque<int> answers;
    std::vector<headless::Box> boxes;
    std::function<void(const headless::Box&)> boxHook;
    int beeps = 0;
    int foregroundRequests = 0;
    std::vector<std::string> traces;  // headless: every Trace line, traced or not
    std::string moduleFileName;
    std::string windowsDirectory;
    std::vector<std::string> headlessMutexes;

    // Single-instance locks and the listening socket of the first instance.
    std::vector<std::pair<std::string, int>> lockFiles;  // name, fd
    int listenFd = -1;
    std::string listenPath;
};

State& S();

// Starts SDL's video subsystem once; false when there is no display.
bool EnsureVideo();
// Called by the window layer to let the real platform turn SDL events into
// window messages.
void PumpEvents();
WindowObject* MainWindowObject();
SDL_Window* SdlWindow(HWND window);
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
std::string RuntimeFolder();
// Lets a second instance find this window and ask it to the front.
void ListenForForeground(const std::string& className, const std::string& title);
// Hands the main thread what the audio output has for it (the end of a
// notified music play); called whenever the message queue is pumped.
void PollAudio();
// Forgets the display devices, modes, injected failures, bitmap resources
// and presented frames of the headless display (part of the headless reset).
void ResetDisplayWorld();

// The format surfaces are made in: the desktop's, except that a program that
// asks for fewer than 24 bits gets 16-bit 5:6:5 on a 32-bit desktop.
DisplayFormat OfferedDisplayFormat();

// The picture's size, the window's size in pixels and where the picture
// lies in the window.
void PictureSize(const WindowObject& w, int& width, int& height);
void ShownSize(const WindowObject& w, int& width, int& height);
Placement PictureInWindow(const WindowObject& w);
// A window point (pixels from the window's corner) as a point of the picture.
POINT WindowPointToPicture(const WindowObject& w, int x, int y);
// Sizes the window to width x height pixels (the picture follows).
void ResizeShown(WindowObject& w, int width, int height);
// Alt+Enter: the window to the whole desktop (no mode change) and back to
// the size it had.
void ToggleDesktopFullScreen(WindowObject& w);
// A new screen's picture in this window: remembers its size and, the first
// time, sizes the window by the initial scale (plat::GetInitialScale).
void OpenPicture(WindowObject& w, int pictureWidth, int pictureHeight, bool windowMode);
// Shows the last presented picture again (after the window changed size).
void RepaintWindow();

}  // namespace portable
}  // namespace plat
