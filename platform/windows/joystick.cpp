// Joysticks: the multimedia joystick calls, record copied field by field.
#include "platform/joystick.h"
#include "platform/windows/common.h"

namespace plat {

UINT joyGetPosEx(UINT id, JOYINFOEX* info) {
    if (!info) return JOYERR_PARMS;
    ::JOYINFOEX sys{};
    sys.dwSize = sizeof sys;
    sys.dwFlags = info->dwFlags;
    MMRESULT r = ::joyGetPosEx(id, &sys);
    if (r != JOYERR_NOERROR) return r;
    info->dwXpos = sys.dwXpos;
    info->dwYpos = sys.dwYpos;
    info->dwZpos = sys.dwZpos;
    info->dwRpos = sys.dwRpos;
    info->dwUpos = sys.dwUpos;
    info->dwVpos = sys.dwVpos;
    info->dwButtons = sys.dwButtons;
    info->dwButtonNumber = sys.dwButtonNumber;
    info->dwPOV = sys.dwPOV;
    return JOYERR_NOERROR;
}

// The system headers of the cross compiler do not declare this call of
// winmm, so it is looked up by name.
UINT joyConfigChanged(DWORD flags) {
    using Fn = MMRESULT(WINAPI*)(::DWORD);
    HMODULE winmm = ::GetModuleHandleW(L"winmm.dll");
    if (!winmm) winmm = ::LoadLibraryW(L"winmm.dll");
    auto fn = winmm ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(winmm, "joyConfigChanged"))) : nullptr;
    return fn ? fn(flags) : JOYERR_NOERROR;
}

}  // namespace plat
