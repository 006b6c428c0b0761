// Two joysticks read on demand: raw position and buttons, three-way axis
// decisions against the position seen at start, the eight-way direction,
// button state machines, button ramps and accelerating axis values.
#include <cmath>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/joystick.h"
#include "system/elSystem.h"

namespace elInput {

int JoyCentreX[2] = {0, 0};
int JoyCentreY[2] = {0, 0};
JoyRecord Joy[2] = {};

namespace {

constexpr plat::DWORD kCentreFlags = plat::JOY_RETURNALL | plat::JOY_USEDEADZONE;
constexpr plat::DWORD kButtonFlags = plat::JOY_RETURNBUTTONS;
constexpr plat::DWORD kPositionFlags = plat::JOY_RETURNX | plat::JOY_RETURNY | plat::JOY_USEDEADZONE;

plat::JOYINFOEX info;  // shared by every read

bool ValidId(int id) { return id == 0 || id == 1; }

bool Read(int id, plat::DWORD flags) {
    if (!ValidId(id)) return false;
    info = {};
    info.dwSize = sizeof info;
    info.dwFlags = flags;
    return plat::joyGetPosEx(static_cast<plat::UINT>(id), &info) == plat::JOYERR_NOERROR;
}

int Position(plat::DWORD v) { return static_cast<int>(v); }

// -1 at or below half the centre, +1 at or beyond one and a half times it.
int Decide(int p, int c) {
    if (p <= c / 2) return -1;
    if (p >= c / 2 + c) return 1;
    return 0;
}

bool Suppressed() { return CaptureMode || elDraw::PanelShown || elDraw::WipeCounter != 0; }

int NextState(int state, bool down) {
    if (down) return state == kKeyUp ? kKeyPressed : kKeyHeld;
    return (state == kKeyPressed || state == kKeyHeld) ? kKeyReleased : kKeyUp;
}

bool Down(int button) { return button >= 1 && button <= 32 && (info.dwButtons >> (button - 1)) & 1u; }

// One button's state machine on the buttons just read.
int StepState(int id, int button) {
    int state = NextState(Joy[id].states[button - 1], Down(button));
    if (Suppressed()) state = kKeyUp;
    Joy[id].states[button - 1] = state;
    return state;
}

int StepRamp(int id, int button) {
    float& ramp = Joy[id].ramps[button - 1];
    if (Down(button)) {
        ramp += Joy[id].rampRate * FrameDelta;
        if (ramp >= 100.0f) ramp = 100.0f;
        if (std::isnan(ramp)) ramp = 0.0f;  // as for the axes: no number, no ramp
        // A negative rate falls; it is held where the value still fits an int.
        if (ramp < -2147483520.0f) ramp = -2147483520.0f;
    } else {
        ramp = 0.0f;
    }
    return static_cast<int>(ramp);
}

void StepAxis(float& v, int d, float rate) {
    float step = rate * FrameDelta;
    // A step that is not a number (a NaN rate, or an infinite one in a frame
    // of no time) would leave no value to report: the axis rests at 0.
    if (std::isnan(step)) {
        v = 0.0f;
        return;
    }
    if (d != 0) {
        v += static_cast<float>(d) * step;
        if (v >= 100.0f) v = 100.0f;
        if (v <= -100.0f) v = -100.0f;
        return;
    }
    if (v > 0.0f) {
        v -= step;
        if (v < 0.0f) v = 0.0f;
    }
    if (v < 0.0f) {
        v += step;
        if (v > 0.0f) v = 0.0f;
    }
}

}  // namespace

void JoyInit() {
    plat::joyConfigChanged(0);
    for (int id = 0; id < 2; ++id) {
        bool ok = Read(id, kCentreFlags);
        JoyCentreX[id] = ok ? Position(info.dwXpos) : 0;
        JoyCentreY[id] = ok ? Position(info.dwYpos) : 0;
        Joy[id] = {};
    }
}

void JoyReset() {
    for (JoyRecord& j : Joy) {
        j.axisX = j.axisY = 0.0f;
        for (float& r : j.ramps) r = 0.0f;
    }
}

void JoySetRates(int id, float axisRate, float rampRate) {
    if (!ValidId(id)) return;
    Joy[id].axisRate = axisRate;
    Joy[id].rampRate = rampRate;
}

void JoyGetCentre(int id, int* x, int* y) {
    if (x) *x = ValidId(id) ? JoyCentreX[id] : 0;
    if (y) *y = ValidId(id) ? JoyCentreY[id] : 0;
}

void JoyPosition(int id, int* x, int* y) {
    bool ok = Read(id, kPositionFlags);
    if (x) *x = ok ? Position(info.dwXpos) : 0;
    if (y) *y = ok ? Position(info.dwYpos) : 0;
}

int JoyButton(int id, int button) { return Read(id, kButtonFlags) && Down(button) ? 1 : 0; }

void JoyButtons(int id, int* b1, int* b2, int* b3, int* b4) {
    bool ok = Read(id, kButtonFlags);
    int* outs[4] = {b1, b2, b3, b4};
    for (int n = 1; n <= 4; ++n)
        if (outs[n - 1]) *outs[n - 1] = ok && Down(n) ? 1 : 0;
}

int JoyButtonState(int id, int button) {
    if (button < 1 || button > 4 || !Read(id, kButtonFlags)) return 0;
    return StepState(id, button);
}

void JoyButtonStates(int id, int* s1, int* s2, int* s3, int* s4) {
    int* outs[4] = {s1, s2, s3, s4};
    bool ok = Read(id, kButtonFlags);
    for (int n = 1; n <= 4; ++n) {
        int state = ok ? StepState(id, n) : 0;
        if (outs[n - 1]) *outs[n - 1] = state;
    }
}

int JoyButtonRamp(int id, int button) {
    if (button < 1 || button > 4 || !ValidId(id)) return 0;
    if (!Read(id, kButtonFlags)) {
        Joy[id].ramps[button - 1] = 0.0f;
        return 0;
    }
    return StepRamp(id, button);
}

void JoyButtonRamps(int id, int* r1, int* r2, int* r3, int* r4) {
    int* outs[4] = {r1, r2, r3, r4};
    bool ok = Read(id, kButtonFlags);
    for (int n = 1; n <= 4; ++n) {
        int ramp = ok ? StepRamp(id, n) : 0;
        if (outs[n - 1]) *outs[n - 1] = ramp;
    }
}

void JoyDirection(int id, int* dx, int* dy) {
    bool ok = Read(id, kPositionFlags);
    if (dx) *dx = ok ? Decide(Position(info.dwXpos), JoyCentreX[id]) : 0;
    if (dy) *dy = ok ? Decide(Position(info.dwYpos), JoyCentreY[id]) : 0;
}

int JoyDirection8(int id) {
    if (!Read(id, kPositionFlags)) return 5;
    int dx = Decide(Position(info.dwXpos), JoyCentreX[id]);
    int dy = Decide(Position(info.dwYpos), JoyCentreY[id]);
    // Numeric-keypad layout: 7 8 9 on top, y growing downward.
    return 5 + dx - 3 * dy;
}

void JoyAnalog(int id, int* x, int* y) {
    if (!Read(id, kPositionFlags)) {
        if (x) *x = 0;
        if (y) *y = 0;
        return;
    }
    JoyRecord& j = Joy[id];
    StepAxis(j.axisX, Decide(Position(info.dwXpos), JoyCentreX[id]), j.axisRate);
    StepAxis(j.axisY, Decide(Position(info.dwYpos), JoyCentreY[id]), j.axisRate);
    if (x) *x = static_cast<int>(j.axisX);
    if (y) *y = static_cast<int>(j.axisY);
}

}  // namespace elInput
