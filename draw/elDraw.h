// The graphics core: screen and surfaces, the object table, drawing and
// presenting.
#pragma once

#include <cstdint>

#include "platform/win.h"

extern int ScreenWidth;
extern int ScreenHeight;
extern plat::RECT ClipRect;  // right and bottom exclusive; cuts every object draw

namespace elDraw {

// Present state read by input and the main loop.
extern int WipeCounter;    // 0 none, 1-10 the wipe frame shown by this present
extern int WipeDirection;  // +1, -1 or 0
extern int PanelShown;     // the scroll panel is drawn by present
// Clip wipe state: above 0 while a clip wipe runs; the rectangle it saved.
extern int ClipWipeState;
extern plat::RECT ClipWipeSaved;

// Bits per pixel for full screen: requested, first and second fallback.
extern int RequestedDepth[3];
void SetDepths(int requested, int fallback1, int fallback2);

int Screen(int width, int height, int memoryMode);
void Close();
void Restore();
void Present();

}  // namespace elDraw
