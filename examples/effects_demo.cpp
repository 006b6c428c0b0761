// One software effect on the game's own pictures: the tile sheet laid over
// the screen under the frame picture, reworked by a region effect or overdrawn
// by a rotated, tiled or rippled piece of the tile sheet.
//
//   effects_demo [seconds [effect]]     Esc ends it; 0 seconds runs on
//
// Without an effect number the demo shows each effect for two seconds in
// turn. effect: 0 rise, 1 rise fade, 2 blur, 3 blur fade, 4 zoom 2, 5 zoom 2
// dotted, 6 zoom 4, 7 zoom 4 dotted, 8 mosaic, 9 noise, 10 noise on red
// and blue, 11 rotate, 12 rotate tiled, 13 rotate zoomed, 14 rotate zoomed
// and tiled, 15 floor, 16 ripple. The pictures are the game's, read from its
// folder beside this one ("..\game\BMP\m_cp.bmp" and "..\game\BMP\waku.BMP").
// Without them the demo works on a picture of its own.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "draw/effects/elEffects.h"
#include "input/elInput.h"
#include "platform/entry.h"
#include "system/elSystem.h"

namespace {

constexpr int kEffects = 17;
int Effect = 0;
bool Cycle = true;  // no effect chosen: show each in turn
int Shown = -1;     // the effect of the previous frame
float RunFor = 0;
float Seconds = 0;
int Frames = 0;
int TileSheet = 0, FramePicture = 0;
int EscapeKey = 0;

void DrawScene() {
    elDraw::Clear();
    for (int y = 0; y < 600; y += 64)
        for (int x = 0; x < 800; x += 640) elDraw::DrawSolid(x, y, TileSheet, 0, 0, 640, 64);
    if (FramePicture) elDraw::Draw(0, 0, FramePicture, 0, 0, 800, 600);
}

// Stripes and bands of colour in place of the game's tile sheet.
void MakeOwnPicture() {
    TileSheet = elDraw::CreateObject(640, 64, 2);
    elDraw::LockedPixels sheet;
    if (!TileSheet || !elDraw::LockPixels(ObjectTable[TileSheet].surface, sheet)) return;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 640; ++x)
            sheet.Row(y)[x] = elDraw::Pack5(static_cast<unsigned>(x / 20 % 32), static_cast<unsigned>(y / 2),
                                            static_cast<unsigned>((x + y) / 8 % 32) | 1u);
    elDraw::UnlockPixels(sheet);
}

bool GamePicturesExist() {
    const std::string folder = ProgramFolder;
    std::string path = folder + "../game/BMP/m_cp.bmp";
    for (char& c : path)
        if (c == '\\') c = '/';
    return std::filesystem::exists(path);
}

// Region effects that build up over frames work on the picture of the first
// frame; the others start from a fresh picture every frame.
bool Accumulates(int effect) { return effect <= 3; }

void ApplyEffect() {
    const int angle = Frames * 2;
    switch (Effect) {
    case 0: elDraw::ScreenRise(200, 150, 400, 300); break;
    case 1: elDraw::ScreenRiseFade(0, 1, 1, 200, 150, 400, 300); break;
    case 2: elDraw::ScreenBlur(200, 150, 400, 300); break;
    case 3: elDraw::ScreenBlurFade(1, 0, 0, 200, 150, 400, 300); break;
    case 4: elDraw::ScreenZoom2(300, 250, 200, 100, 0); break;
    case 5: elDraw::ScreenZoom2(300, 250, 200, 100, 1); break;
    case 6: elDraw::ScreenZoom4(350, 250, 100, 75, 0); break;
    case 7: elDraw::ScreenZoom4(350, 250, 100, 75, 1); break;
    case 8: elDraw::ScreenMosaicCircle(400, 300, 200, 12); break;
    case 9: elDraw::ScreenNoise(1, 200, 150, 400, 300); break;
    case 10: elDraw::ScreenNoiseRGB(1, 0, 1, 2, 200, 150, 400, 300); break;
    case 11: elDraw::DrawRotate(272, 172, 528, 428, angle, TileSheet, 0, 0, 256, 64); break;
    case 12: elDraw::DrawRotateTile(144, 108, 656, 492, angle, TileSheet, 0, 0, 256, 64); break;
    case 13: elDraw::DrawRotateZoom(144, 44, 656, 556, angle, 2.0f, TileSheet, 0, 0, 256, 64); break;
    case 14: elDraw::DrawRotateZoomTile(144, 108, 656, 492, angle, 1.5f, TileSheet, 0, 0, 256, 64); break;
    case 15:
        elDraw::DrawRotateFloor(0, 300, 800, 600, angle, 0.3f, 0.01f, 0.2f, 0.03f, 1.0f, 0.9f, 0.8f,
                                TileSheet, 0, 0, 128, 64);
        break;
    case 16:
        elDraw::DrawRipple(144, 200, 40, 12, 1, 1.0f, 0.5f, TileSheet, 0, 0, 256, 64);
        break;
    default: break;
    }
}

void Init() {
    if (!elDraw::Screen(800, 600, 1)) return;
    if (GamePicturesExist()) {
        TileSheet = elDraw::LoadObject("..\\game\\BMP\\m_cp.bmp", 2);
        FramePicture = elDraw::LoadObject("..\\game\\BMP\\waku.BMP", 2);
    } else {
        MakeOwnPicture();
    }
    elSystem::QuitIfError();
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

void Frame() {
    Seconds += FrameDelta;
    ++Frames;
    elInput::UpdateKey(plat::VK_ESCAPE, EscapeKey);
    if ((RunFor > 0 && Seconds >= RunFor) || EscapeKey == 1) {
        elSystem::Quit();
        return;
    }
    if (Cycle) Effect = static_cast<int>(Seconds / 2) % kEffects;
    if (!Accumulates(Effect) || Effect != Shown) DrawScene();
    Shown = Effect;
    ApplyEffect();
    elDraw::Present();
}

int Body(const char* commandLine, int show) {
    char* rest = nullptr;
    RunFor = std::strtof(commandLine, &rest);
    char* end = nullptr;
    const long chosen = std::strtol(rest, &end, 10);
    if (end != rest && chosen >= 0 && chosen < kEffects) {
        Effect = static_cast<int>(chosen);
        Cycle = false;
    }
    elSystem::Program program;
    program.title = "effects";
    program.init = Init;
    program.scenes = {{1, Frame}};
    return elSystem::Run(program, commandLine, show);
}

}  // namespace

EL_ENTRY_POINT(Body)
