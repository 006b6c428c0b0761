// Keyboard and mouse: state recorded from window messages, the per-key
// four-state machine and the click detector.
#pragma once

#include "platform/win.h"

// Key state values of elInput::UpdateKey (and of joystick buttons).
constexpr int kKeyUp = 0;
constexpr int kKeyPressed = 1;
constexpr int kKeyReleased = 2;
constexpr int kKeyHeld = 3;

extern int HeldKey;   // the most recently pressed key while it is still down
extern int LastKey;   // the most recently pressed key, latched
extern int PanelKey;  // the key that scrolls the panel while it is shown
extern int MouseX;    // client coordinates of the last mouse move
extern int MouseY;

namespace elInput {

// Recorded state beside the named values above.
extern int CaptureKey;
extern int ShiftToggle;
extern int WatchedKey;
extern int WatchCount;
extern int CaptureMode;
extern int AltMode;
extern int MouseMoveX;  // movement during the current frame
extern int MouseMoveY;
extern int LeftHeld, RightHeld;
extern int LeftPressed, RightPressed;
extern int LeftClicked, RightClicked;
extern int CurrentButton;
extern int LastButton;
extern int LeftDoubleClick, RightDoubleClick;
extern int CaptureClick;
extern int PushState;  // click detector: 0 idle, 1 armed, 2 hit
extern int PushCode;

void UpdateKey(int virtualKey, int& state);
int CheckPush(const int* codes);
void OnKeyDown(int virtualKey);
void BeginCapture();
void EndCapture();
void WatchKey(int virtualKey);
int GetWatchCount();
void SetAltMode(int mode);
// Clears the latched left and right clicked flags.
void ClearClicks();

// Window-procedure side: handles one key or mouse message. Returns true when
// the message is consumed (no default processing), with the result in *result.
bool OnMessage(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam,
               plat::LRESULT* result);
// Main-loop side: movement at the start of a frame, flags at its end.
void BeginFrame();
void EndFrame();
// Clears every input variable (start-up reset).
void ResetAll();

}  // namespace elInput

namespace elInput {
// Forgets both joysticks and looks for them again (the screen calls it).
void ResetJoysticks();
}  // namespace elInput
