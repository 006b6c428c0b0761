// The map-scrolling scene: a world of 3 x 2 screens of 8 x 8 tiles, shown one
// screen at a time inside the frame picture; the arrow keys slide the view to
// a neighbouring screen.
#pragma once

#include <cstdint>

namespace MapScene {

constexpr int kMapRows = 144;
constexpr int kMapColumns = 288;
constexpr int kScreenColumns = 3;
constexpr int kScreenRows = 2;

// Slide states.
constexpr int kIdle = 0;
constexpr int kSlideRight = 1;
constexpr int kSlideLeft = 2;
constexpr int kSlideUp = 3;
constexpr int kSlideDown = 4;

extern std::int32_t MapTable[kMapRows][kMapColumns];
extern int ScreenObjects[kScreenColumns][kScreenRows];
extern int TileSheet;
extern int FramePicture;
extern int MapRead;
// elDraw::RestoreCount when the screens were last composed.
extern int ComposedAtRestore;
extern int SlideState;
extern int ScreenColumn;
extern int ScreenRow;
extern int KeyUpState, KeyDownState, KeyLeftState, KeyRightState;
extern float kyori_x;
extern float kyori_y;
extern float VelocityX, VelocityY;
extern float ScrollX, ScrollY;

void Init();
void Frame();
void LoadMap();
void BuildScreens();
void DrawScreens();
// Back to the start values (tests run the scene more than once).
void Reset();

}  // namespace MapScene
