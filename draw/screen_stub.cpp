// Placeholder graphics core: opens nothing. Replaced by the real screen.
#include "draw/elDraw.h"
#include "system/elSystem.h"

int ScreenWidth = 0;
int ScreenHeight = 0;
plat::RECT ClipRect{};

namespace elDraw {
int WipeCounter = 0;
int WipeDirection = 0;
int PanelShown = 0;
int ClipWipeState = 0;
plat::RECT ClipWipeSaved{};

int RequestedDepth[3] = {16, 0, 0};
void SetDepths(int requested, int fallback1, int fallback2) {
    RequestedDepth[0] = requested;
    RequestedDepth[1] = fallback1;
    RequestedDepth[2] = fallback2;
}

int Screen(int width, int height, int) {
    ErrorFlag = 0;
    if (width == -1) {
        width = elSystem::StartWidth;
        height = elSystem::StartHeight;
    }
    ScreenWidth = width;
    ScreenHeight = height;
    ClipRect = {0, 0, width, height};
    elSystem::ResetInput();
    return 1;
}
void Close() {}
void Restore() {}
void Present() {}
}  // namespace elDraw
