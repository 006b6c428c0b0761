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
bool Enabled();
// Reset the headless world without leaving headless mode.
void Reset();

// The virtual millisecond clock behind timeGetTime.
void SetClock(DWORD ms);
void AdvanceClock(DWORD ms);
DWORD Clock();

// Input from "the system": appended to the message queue of the main
// window, as the real platform does for keyboard and mouse events.
void PostInput(UINT message, WPARAM wParam, LPARAM lParam);
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);
void SysKeyDown(int virtualKey);
void MouseMove(int x, int y);
void MouseButton(UINT message, int x, int y);
// The user pressed the close box.
void CloseBox();
void Activate(bool active);
void MoveWindow(int clientX, int clientY);
// Where the cursor is on the virtual desktop (screen coordinates).
void SetCursorScreenPos(int x, int y);
// The main window's size on the desktop in pixels, as the user drags its
// border: the picture is shown in it enlarged (plat::GetScaleMode) and the
// presented frame has this size. Until set, the window is the picture's size.
void SetWindowSize(int width, int height);
struct WindowPixels {
    int width = 0;
    int height = 0;
};
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
    UINT style;
    int answer;
};
void QueueAnswer(int answer);
const std::vector<Box>& Boxes();
void ClearBoxes();
void SetBoxHook(std::function<void(const Box&)> hook);
int BeepCount();

// Display and system answers.
void SetDisplayDepth(int bitsPerPixel);
void SetModuleFileName(const std::string& path);  // Windows-style path, '\' separators
void SetWindowsDirectory(const std::string& path);

// Observations.
int CursorShowCount();  // the display count kept by ShowCursor
bool CursorClipped();
RECT CursorClipRect();
int ForegroundRequests();  // times another instance asked this one to the front
bool ImeEnabled();
bool WindowExists();
bool WindowShown();
RECT WindowRect();  // outer rectangle given to CreateWindowExA
DWORD WindowStyle();
int QueuedMessages();
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
    int rate = 0;
    int channels = 0;
    int bits = 0;
    DWORD startClock = 0;  // virtual time of the first recorded frame
    std::vector<float> samples;
};
// The format of the last secondary buffer asked for, as the device read it:
// the WAVEFORMATEX and, for a format other than PCM, its cbSize extra bytes.
std::vector<BYTE> LastBufferFormat();
void StartAudioCapture();  // drops what was recorded before
void StopAudioCapture();
AudioCapture CapturedAudio();  // a copy of the recording so far
// Every MCI command string sent, in order.
std::vector<std::string> MciCommands();
void ClearMciCommands();

// Joysticks 0 and 1: attached or not, position (0-65535 per axis, 32767 at
// rest) and the button bits (button n is bit n - 1). None at the start.
void SetJoystick(int id, bool present, int x, int y, DWORD buttons);
void ResetJoysticks();

}  // namespace plat::headless
