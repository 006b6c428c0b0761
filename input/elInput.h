// Keyboard and mouse: state recorded from window messages, the per-key
// four-state machine and the click detector.
#pragma once

#include "platform/win.h"

// Key codes are the Windows virtual-key codes, named in platform/win.h as
// plat::VK_LEFT, plat::VK_ESCAPE, plat::VK_SPACE, ...; letters and digits
// are their upper-case ASCII codes ('A', '0').

// Key state of UpdateKey (and of joystick buttons): not down.
constexpr int kKeyUp = 0;
// Key state: went down since the last update (one frame).
constexpr int kKeyPressed = 1;
// Key state: went up since the last update (one frame).
constexpr int kKeyReleased = 2;
// Key state: down at this update and the one before.
constexpr int kKeyHeld = 3;

extern int HeldKey;   // virtual-key code of the most recently pressed key while it is still down, else 0
extern int LastKey;   // virtual-key code of the most recently pressed key, latched (0 until one is pressed)
extern int PanelKey;  // the key that scrolls the panel while it is shown, else 0
extern int MouseX;    // x in client pixels of the last mouse move
extern int MouseY;    // y in client pixels of the last mouse move

namespace elInput {

// Recorded state beside the named values above (read them; the window's
// messages write them).
extern int CaptureKey;     // during a capture (BeginCapture): the key down, else 0
extern int ShiftToggle;    // flips between 0 and 1 each time Shift is let go
extern int WatchedKey;     // the key WatchKey counts
extern int WatchCount;     // releases of WatchedKey since WatchKey
extern int CaptureMode;    // 1 during a capture: keys and clicks reach only CaptureKey / CaptureClick
extern int AltMode;        // SetAltMode: 0 Alt keys are swallowed, 1 passed on, 2 passed on but Alt itself
extern int MouseMoveX;     // x movement in pixels during the current frame
extern int MouseMoveY;     // y movement in pixels during the current frame
extern int LeftHeld;       // 1 while the left button is down
extern int RightHeld;      // 1 while the right button is down
extern int LeftPressed;    // 1 in the frame the left button went down
extern int RightPressed;   // 1 in the frame the right button went down
extern int LeftClicked;    // 1 once the left button went down, until ClearClicks
extern int RightClicked;   // 1 once the right button went down, until ClearClicks
extern int CurrentButton;  // the button down: 1 left, 2 right, 0 none
extern int LastButton;     // the last button pressed (1 left, 2 right), latched
extern int LeftDoubleClick;   // 1 in the frame of a left double click
extern int RightDoubleClick;  // 1 in the frame of a right double click
extern int CaptureClick;   // during a capture: 1 while the left button is down
extern int PushState;      // click detector (CheckPush): 0 idle, 1 armed, 2 hit
extern int PushCode;       // the code CheckPush looked at last

// Steps the four-state machine `state` of one key (a virtual-key code) from
// the key's state now: kKeyPressed on the first frame it is down, kKeyHeld
// while it stays down, kKeyReleased on the first frame it is up, kKeyUp
// after. Keep one int per key, starting at kKeyUp, and call once a frame.
// Reads kKeyUp during a capture, a wipe or while the panel is shown.
void UpdateKey(int virtualKey, int& state);
// A press-and-release detector over a 0-terminated list of key codes (and
// plat::VK_LBUTTON / VK_RBUTTON for the mouse buttons): returns the code
// once, in the frame it is let go after being pressed, else 0. Call every frame.
int CheckPush(const int* codes);
// Internal (the window procedure calls it): records a key going down; Esc
// ends the program (elSystem::Quit).
void OnKeyDown(int virtualKey);
// Starts a capture: keys go to CaptureKey and clicks to CaptureClick only.
void BeginCapture();
// Ends a capture and forgets the held key.
void EndCapture();
// Starts counting releases of `virtualKey` from 0 (see GetWatchCount).
void WatchKey(int virtualKey);
// Releases of the watched key since WatchKey.
int GetWatchCount();
// How Alt key combinations are handled: 0 swallowed (the default), 1 passed
// to the system, 2 passed on except Alt alone.
void SetAltMode(int mode);
// Clears the latched left and right clicked flags.
void ClearClicks();

// Internal (the window procedure calls it): handles one key or mouse message. Returns true when
// the message is consumed (no default processing), with the result in *result.
bool OnMessage(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam,
               plat::LRESULT* result);
// Internal (the loop calls it): mouse movement at the start of a frame.
void BeginFrame();
// Internal (the loop calls it): clears the per-frame button flags at its end.
void EndFrame();
// Internal: clears every input variable (start-up reset).
void ResetAll();

}  // namespace elInput

// ---- Joysticks 0 and 1 ---------------------------------------------------------

namespace elInput {

// Joysticks are numbered 0 and 1 (`id`); other ids read as not connected
// (0 results). Buttons are numbered 1-4.

// The state kept for one joystick.
struct JoyRecord {
    float axisX;         // analog-like x in [-100, 100] (JoyAnalog)
    float axisY;         // analog-like y in [-100, 100] (JoyAnalog)
    float axisRate;      // units per second the axes move
    float ramps[4];      // 0-100, growing while buttons 1-4 are held
    float rampRate;      // units per second the ramps grow
    int states[4];       // key-state values (kKey*) of buttons 1-4
};
extern int JoyCentreX[2];  // x position at rest of each joystick, taken by JoyInit (0 when absent)
extern int JoyCentreY[2];  // y position at rest of each joystick, taken by JoyInit (0 when absent)
extern JoyRecord Joy[2];   // the state of joysticks 0 and 1

// Internal: rereads the configuration, takes both centres and clears the
// records (the screen calls it when it opens).
void JoyInit();
// Puts both joysticks' axes and ramps back to 0.
void JoyReset();
// Sets how fast (units per second) joystick `id`'s axes and button ramps move.
void JoySetRates(int id, float axisRate, float rampRate);
// The centre JoyInit took for joystick `id` (0, 0 when absent). Null pointers are skipped.
void JoyGetCentre(int id, int* x, int* y);
// The raw position of joystick `id` (0, 0 when absent). Null pointers are skipped.
void JoyPosition(int id, int* x, int* y);
// 1 while button `button` (1-32) of joystick `id` is down, else 0.
int JoyButton(int id, int button);
// Buttons 1-4 of joystick `id`: 1 down, 0 up (all 0 when absent). Null pointers are skipped.
void JoyButtons(int id, int* b1, int* b2, int* b3, int* b4);
// Steps and returns button `button` (1-4)'s key state (kKey*, as UpdateKey); 0 when absent.
int JoyButtonState(int id, int button);
// JoyButtonState of buttons 1-4 at once. Null pointers are skipped.
void JoyButtonStates(int id, int* s1, int* s2, int* s3, int* s4);
// Steps and returns button `button` (1-4)'s ramp, 0-100: it grows by the ramp
// rate per second while the button is held and drops to 0 when let go.
int JoyButtonRamp(int id, int button);
// JoyButtonRamp of buttons 1-4 at once. Null pointers are skipped.
void JoyButtonRamps(int id, int* r1, int* r2, int* r3, int* r4);
// The stick's direction on each axis: -1 at or below half the centre, +1 at
// or beyond one and a half times it, else 0 (0, 0 when absent).
void JoyDirection(int id, int* dx, int* dy);
// The stick's direction as one of 8 (a numeric-keypad digit: 8 up, 2 down,
// 4 left, 6 right, 7 9 1 3 the diagonals) or 5 when centred or absent.
int JoyDirection8(int id);
// Each axis moves toward -100 or +100 by the axis rate times FrameDelta
// while the stick is pushed and back toward 0 when it is centred. A rate
// whose step is not a number (NaN, or infinite times a FrameDelta of 0)
// reports 0 and puts the axis back at rest; an infinite rate jumps to the end.
void JoyAnalog(int id, int* x, int* y);

}  // namespace elInput
