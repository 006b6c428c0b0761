// Joysticks through SDL's joystick subsystem, opened on the first read after
// joyConfigChanged; headless, the test's scripted joysticks.
#include <SDL.h>

#include "platform/portable/headless.h"
#include "platform/joystick.h"
#include "platform/portable/state.h"

namespace plat {
namespace {

struct Scripted {
    bool present = false;
    int x = 32767;
    int y = 32767;
    DWORD buttons = 0;
};
Scripted scripted[2];
SDL_Joystick* opened[2] = {nullptr, nullptr};
bool subsystem = false;

// SDL axes run from -32768 to 32767; the multimedia interface from 0 to 65535.
DWORD AxisPosition(SDL_Joystick* joystick, int axis) {
    if (axis >= SDL_JoystickNumAxes(joystick)) return 32767;
    return static_cast<DWORD>(static_cast<int>(SDL_JoystickGetAxis(joystick, axis)) + 32768);
}

}  // namespace

UINT joyConfigChanged(DWORD) {
    if (portable::S().headless) return JOYERR_NOERROR;
    for (auto& j : opened) {
        if (j) SDL_JoystickClose(j);
        j = nullptr;
    }
    if (!subsystem) subsystem = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!subsystem) return JOYERR_NOERROR;
    for (int i = 0; i < SDL_NumJoysticks() && i < 2; ++i) opened[i] = SDL_JoystickOpen(i);
    return JOYERR_NOERROR;
}

UINT joyGetPosEx(UINT id, JOYINFOEX* info) {
    if (id > 1 || !info || info->dwSize != sizeof(JOYINFOEX)) return JOYERR_PARMS;
    if (portable::S().headless) {
        const Scripted& s = scripted[id];
        if (!s.present) return JOYERR_UNPLUGGED;
        if (info->dwFlags & JOY_RETURNX) info->dwXpos = static_cast<DWORD>(s.x);
        if (info->dwFlags & JOY_RETURNY) info->dwYpos = static_cast<DWORD>(s.y);
        if (info->dwFlags & JOY_RETURNBUTTONS) info->dwButtons = s.buttons;
        return JOYERR_NOERROR;
    }
    SDL_Joystick* j = opened[id];
    if (!j || !SDL_JoystickGetAttached(j)) return JOYERR_UNPLUGGED;
    SDL_JoystickUpdate();
    if (info->dwFlags & JOY_RETURNX) info->dwXpos = AxisPosition(j, 0);
    if (info->dwFlags & JOY_RETURNY) info->dwYpos = AxisPosition(j, 1);
    if (info->dwFlags & JOY_RETURNBUTTONS) {
        DWORD bits = 0;
        for (int b = 0; b < SDL_JoystickNumButtons(j) && b < 32; ++b)
            if (SDL_JoystickGetButton(j, b)) bits |= 1u << b;
        info->dwButtons = bits;
    }
    return JOYERR_NOERROR;
}

namespace headless {

void SetJoystick(int id, bool present, int x, int y, DWORD buttons) {
    if (id < 0 || id > 1) return;
    scripted[id] = {present, x, y, buttons};
}

void ResetJoysticks() {
    scripted[0] = {};
    scripted[1] = {};
}

}  // namespace headless
}  // namespace plat
