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

// ---- Joysticks 0 and 1 ---------------------------------------------------------

namespace elInput {

struct JoyRecord {
    float axisX, axisY;  // analog-like values in [-100, 100]
    float axisRate;      // units per second
    float ramps[4];      // 0-100, growing while buttons 1-4 are held
    float rampRate;      // units per second
    int states[4];       // key-state values of buttons 1-4
};
extern int JoyCentreX[2];
extern int JoyCentreY[2];
extern JoyRecord Joy[2];

// Rereads the configuration, takes both centres and clears the records
// (the screen calls it when it opens).
void JoyInit();
void JoyReset();
void JoySetRates(int id, float axisRate, float rampRate);
void JoyGetCentre(int id, int* x, int* y);
void JoyPosition(int id, int* x, int* y);
int JoyButton(int id, int button);
void JoyButtons(int id, int* b1, int* b2, int* b3, int* b4);
int JoyButtonState(int id, int button);
void JoyButtonStates(int id, int* s1, int* s2, int* s3, int* s4);
int JoyButtonRamp(int id, int button);
void JoyButtonRamps(int id, int* r1, int* r2, int* r3, int* r4);
void JoyDirection(int id, int* dx, int* dy);
int JoyDirection8(int id);
// Each axis moves toward -100 or +100 by the axis rate times FrameDelta
// while the stick is pushed and back toward 0 when it is centred. A rate
// whose step is not a number (NaN, or infinite times a FrameDelta of 0)
// reports 0 and puts the axis back at rest; an infinite rate jumps to the end.
void JoyAnalog(int id, int* x, int* y);

}  // namespace elInput
