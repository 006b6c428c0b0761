// Headless mode of the portable platform: no display, no audio device, a
// virtual clock, scripted input and message boxes answered by the caller.
// Tests, tools and benchmarks switch it on before anything creates a window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win.h"

namespace plat::headless {

// Switch headless mode on or off. Turning it on resets every piece of
// headless state (clock, queues, windows, recorded boxes, mutexes).
void Enable(bool on);
// True while headless mode is on.
bool Enabled();
// Reset the headless world without leaving headless mode.
void Reset();

// The virtual millisecond clock behind timeGetTime.
void SetClock(DWORD ms);
// Moves the virtual clock `ms` milliseconds on.
void AdvanceClock(DWORD ms);
// The virtual clock's time in milliseconds.
DWORD Clock();

// Input from "the system": appended to the message queue of the main
// window, as the real platform does for keyboard and mouse events.
void PostInput(UINT message, WPARAM wParam, LPARAM lParam);
// A key (virtual-key code) goes down: WM_KEYDOWN, and the key reads as down.
void KeyDown(int virtualKey);
// The key goes up: WM_KEYUP.
void KeyUp(int virtualKey);
// A key goes down with Alt: WM_SYSKEYDOWN.
void SysKeyDown(int virtualKey);
// The mouse moves to (x, y) in client pixels: WM_MOUSEMOVE.
void MouseMove(int x, int y);
// A mouse button message (WM_LBUTTONDOWN ...) at (x, y) in client pixels.
void MouseButton(UINT message, int x, int y);
// The user pressed the close box.
void CloseBox();
// The window becomes the active one (true) or loses that (false).
void Activate(bool active);
// The window's client area moves to (clientX, clientY) on the desktop: WM_MOVE.
void MoveWindow(int clientX, int clientY);
// Where the cursor is on the virtual desktop (screen coordinates).
void SetCursorScreenPos(int x, int y);
// The main window's size on the desktop in pixels, as the user drags its
// border: the picture is shown in it enlarged (plat::GetScaleMode) and the
// presented frame has this size. Until set, the window is the picture's size.
void SetWindowSize(int width, int height);
// A window's size in pixels.
struct WindowPixels {
    int width = 0;   // in pixels
    int height = 0;  // in pixels
};
// The main window's size now: the picture's size until the window is resized
// (SetWindowSize, AltEnter or a scale set before the screen opened).
WindowPixels WindowSize();
// Alt+Enter as the user presses it: the window to the whole desktop
// (1024 x 768 here) and back to the size it had.
void AltEnter();
// A mouse message at a point of the window (pixels from its corner), mapped
// to the picture as real mouse input is.
void WindowMouse(UINT message, int x, int y);

// Message boxes: every box is recorded; the answer comes from the queue of
// answers, or IDOK / IDYES when the queue is empty. The hook, when set, runs
// while the box is "open" (tests use it to send messages or read state).
struct Box {
    std::string caption;  // Shift-JIS, as given
    std::string text;     // Shift-JIS, as given
    UINT style;           // the MB_ flags
    int answer;           // the answer given (IDOK, IDYES, IDNO ...)
};
// Queues the answer of a coming box.
void QueueAnswer(int answer);
// Every box shown since the last reset, in order.
const std::vector<Box>& Boxes();
// Forgets the recorded boxes.
void ClearBoxes();
// Runs `hook` while each box is open (an empty function removes it).
void SetBoxHook(std::function<void(const Box&)> hook);
// MessageBeep calls since the last reset.
int BeepCount();

// Display and system answers.
void SetDisplayDepth(int bitsPerPixel);
void SetModuleFileName(const std::string& path);  // Windows-style path, '\' separators
// The folder GetWindowsDirectoryA reports.
void SetWindowsDirectory(const std::string& path);

// Observations.
int CursorShowCount();  // the display count kept by ShowCursor
bool CursorClipped();     // true while ClipCursor keeps the cursor in a rectangle
RECT CursorClipRect();    // that rectangle
int ForegroundRequests();  // times another instance asked this one to the front
bool ImeEnabled();        // the last WINNLSEnableIME setting
bool WindowExists();      // true while the main window exists
bool WindowShown();       // true while it is shown
RECT WindowRect();  // outer rectangle given to CreateWindowExA
DWORD WindowStyle();      // the style given to CreateWindowExA
int QueuedMessages();     // messages waiting in the queue
// Every line given to plat::Trace since the last reset, printed or not.
const std::vector<std::string>& TraceLines();

// Audio. Headless mode has an audio device that mixes into memory in step
// with the virtual clock: what would be heard up to the clock's time is
// rendered whenever the audio layer is used or a test asks for it.
// None of these settings is changed by Reset().
void SetAudioDevicePresent(bool present);  // false: the sound device cannot be created
// Mix on SDL's own audio thread (for example its "dummy" driver) instead of
// in step with the virtual clock; takes effect when the output next opens.
void UseRealAudioDevice(bool on);
void SyncAudio();  // renders up to the virtual clock
// Recording of the mixed output, as the output format holds it, converted
// to floats in -1..1 (interleaved when stereo).
struct AudioCapture {
    int rate = 0;      // frames per second of the output
    int channels = 0;  // 1 or 2
    int bits = 0;      // bits per sample of the output (8 or 16)
    DWORD startClock = 0;  // virtual time of the first recorded frame
    std::vector<float> samples;  // the recorded samples, -1..1
};
// The format of the last secondary buffer asked for, as the device read it:
// the WAVEFORMATEX and, for a format other than PCM, its cbSize extra bytes.
std::vector<BYTE> LastBufferFormat();
void StartAudioCapture();  // drops what was recorded before
void StopAudioCapture();   // stops recording (the recording is kept)
AudioCapture CapturedAudio();  // a copy of the recording so far
// Every MCI command string sent, in order.
std::vector<std::string> MciCommands();
// Forgets the recorded MCI commands.
void ClearMciCommands();

// Joysticks 0 and 1: attached or not, position (0-65535 per axis, 32767 at
// rest) and the button bits (button n is bit n - 1). None at the start.
void SetJoystick(int id, bool present, int x, int y, DWORD buttons);
// Detaches both joysticks.
void ResetJoysticks();

}  // namespace plat::headless
