// Keyboard and mouse recording, the key state machine and the click detector.
#include "draw/elDraw.h"
#include "input/elInput.h"
#include "system/elSystem.h"

int HeldKey = 0;
int LastKey = 0;
int PanelKey = 0;
int MouseX = 0;
int MouseY = 0;

namespace elInput {

int CaptureKey = 0;
int ShiftToggle = 0;
int WatchedKey = 0;
int WatchCount = 0;
int CaptureMode = 0;
int AltMode = 0;
int MouseMoveX = 0;
int MouseMoveY = 0;
int LeftHeld = 0, RightHeld = 0;
int LeftPressed = 0, RightPressed = 0;
int LeftClicked = 0, RightClicked = 0;
int CurrentButton = 0;
int LastButton = 0;
int LeftDoubleClick = 0, RightDoubleClick = 0;
int CaptureClick = 0;
int PushState = 0;
int PushCode = 0;

namespace {
int previousMouseX = 0;
int previousMouseY = 0;

bool IsMouseCode(int code) { return code == plat::VK_LBUTTON || code == plat::VK_RBUTTON; }
}  // namespace

void ResetAll() {
    HeldKey = LastKey = PanelKey = 0;
    MouseX = MouseY = 0;
    CaptureKey = ShiftToggle = WatchedKey = WatchCount = 0;
    CaptureMode = AltMode = 0;
    MouseMoveX = MouseMoveY = 0;
    LeftHeld = RightHeld = LeftPressed = RightPressed = 0;
    LeftClicked = RightClicked = CurrentButton = LastButton = 0;
    LeftDoubleClick = RightDoubleClick = CaptureClick = 0;
    PushState = PushCode = 0;
    previousMouseX = previousMouseY = 0;
}

void UpdateKey(int virtualKey, int& state) {
    bool down = (plat::GetKeyState(virtualKey) & 0x80) != 0;
    if (down) state = state == kKeyUp ? kKeyPressed : kKeyHeld;
    else state = (state == kKeyPressed || state == kKeyHeld) ? kKeyReleased : kKeyUp;
    if (CaptureMode || elDraw::PanelShown || elDraw::WipeCounter != 0) state = kKeyUp;
}

int CheckPush(const int* codes) {
    if (PushState == 0 && HeldKey == 0 && CurrentButton == 0) PushState = 1;
    if (PushState == 1 && codes) {
        for (const int* c = codes; *c != 0; ++c) {
            PushCode = *c;
            if (LastKey == *c || LastButton == *c) {
                PushState = 2;
                break;
            }
        }
    }
    if (PushState == 2) {
        int c = PushCode;
        bool mouse = IsMouseCode(c);
        if ((!mouse && LastKey != c) || (mouse && LastButton != c)) PushState = 0;
        if ((!mouse && HeldKey == 0) || (mouse && CurrentButton == 0)) {
            PushState = 0;
            LastKey = 0;
            LastButton = 0;
            return c;
        }
    }
    return 0;
}

void OnKeyDown(int virtualKey) {
    if (!elDraw::PanelShown) {
        HeldKey = virtualKey;
        LastKey = virtualKey;
    } else {
        PanelKey = virtualKey;
    }
    if (virtualKey == plat::VK_ESCAPE) elSystem::Quit();
}

void BeginCapture() { CaptureMode = 1; }

void EndCapture() {
    CaptureMode = 0;
    HeldKey = 0;
}

void WatchKey(int virtualKey) {
    WatchedKey = virtualKey;
    WatchCount = 0;
}

int GetWatchCount() { return WatchCount; }

void SetAltMode(int mode) { AltMode = mode; }

void ClearClicks() { LeftClicked = RightClicked = 0; }

bool OnMessage(plat::HWND, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam,
               plat::LRESULT* result) {
    int code = static_cast<int>(wParam);
    // A caller that does not want the result may pass none.
    plat::LRESULT unused = 0;
    if (!result) result = &unused;
    *result = 0;
    switch (message) {
        case plat::WM_SYSKEYDOWN:
            if (AltMode == 0) return true;
            if (AltMode == 2 && code == plat::VK_MENU) return true;
            [[fallthrough]];
        case plat::WM_KEYDOWN:
            if (CaptureMode) CaptureKey = code;
            else OnKeyDown(code);
            return false;
        case plat::WM_KEYUP:
            if (code == HeldKey) HeldKey = 0;
            if (code == PanelKey) PanelKey = 0;
            if (code == CaptureKey) CaptureKey = 0;
            if (code == plat::VK_SHIFT) ShiftToggle ^= 1;
            if (code == WatchedKey) ++WatchCount;
            return false;
        case plat::WM_MOUSEMOVE:
            MouseX = plat::LoWord(static_cast<std::uintptr_t>(lParam));
            MouseY = plat::HiWord(static_cast<std::uintptr_t>(lParam));
            return false;
        case plat::WM_LBUTTONDOWN:
            if (CaptureMode) {
                CaptureClick = 1;
            } else {
                LeftHeld = LeftPressed = LeftClicked = 1;
                CurrentButton = LastButton = 1;
            }
            return false;
        case plat::WM_LBUTTONUP:
            LeftHeld = 0;
            if (CurrentButton == 1) CurrentButton = 0;
            CaptureClick = 0;
            return false;
        case plat::WM_LBUTTONDBLCLK:
            if (!CaptureMode) LeftDoubleClick = 1;
            return true;
        case plat::WM_RBUTTONDOWN:
            if (!CaptureMode) {
                RightHeld = RightPressed = RightClicked = 1;
                CurrentButton = LastButton = 2;
            }
            return false;
        case plat::WM_RBUTTONUP:
            RightHeld = 0;
            if (CurrentButton == 2) CurrentButton = 0;
            return false;
        case plat::WM_RBUTTONDBLCLK:
            if (!CaptureMode) {
                RightDoubleClick = 1;
                if (elSystem::CursorClipOption) {
                    if (elSystem::IsCursorClipped()) elSystem::ReleaseCursor();
                    else elSystem::ClipCursorToScreen();
                }
            }
            return true;
        default:
            return false;
    }
}

void BeginFrame() {
    MouseMoveX = MouseX - previousMouseX;
    MouseMoveY = MouseY - previousMouseY;
}

void EndFrame() {
    previousMouseX = MouseX;
    previousMouseY = MouseY;
    LeftPressed = RightPressed = 0;
    LeftDoubleClick = RightDoubleClick = 0;
}

}  // namespace elInput
