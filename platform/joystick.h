// The multimedia joystick interface: position and buttons of joysticks 0
// and 1.
#pragma once

#include "platform/win.h"

namespace plat {

struct JOYINFOEX {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwXpos;
    DWORD dwYpos;
    DWORD dwZpos;
    DWORD dwRpos;
    DWORD dwUpos;
    DWORD dwVpos;
    DWORD dwButtons;
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
static_assert(sizeof(JOYINFOEX) == 52, "JOYINFOEX is 52 bytes");

constexpr DWORD JOY_RETURNX = 0x01;
constexpr DWORD JOY_RETURNY = 0x02;
constexpr DWORD JOY_RETURNBUTTONS = 0x80;
constexpr DWORD JOY_RETURNALL = 0xFF;
constexpr DWORD JOY_USEDEADZONE = 0x800;
constexpr UINT JOYERR_NOERROR = 0;
constexpr UINT JOYERR_PARMS = 165;
constexpr UINT JOYERR_UNPLUGGED = 167;

// 0 (JOYERR_NOERROR) when the joystick was read. Positions run from 0 to
// 65535 with the middle of the range at rest; button n is bit n - 1.
UINT joyGetPosEx(UINT id, JOYINFOEX* info);
UINT joyConfigChanged(DWORD flags);

}  // namespace plat
