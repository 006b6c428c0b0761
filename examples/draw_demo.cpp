// A small tour of the drawing services: pictures made at run time (a BMP
// file written and loaded, objects filled on the screen and copied), keyed,
// scaled and clipped draws, and the tiled wipe.
//
//   draw_demo [seconds]     Esc ends it; with a number it also ends by itself
//
// The program writes "demo_ball.bmp" (8 bits per pixel, run-length coded)
// and "demo_wipe.bmp" (24 bits, ten 64 x 48 wipe frames) beside itself and
// loads them like any picture.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "platform/entry.h"
#include "system/elSystem.h"
#include "text/elText.h"
#include "tools/bmp_file.h"

namespace {

constexpr int kBall = 32;      // the ball picture is kBall x kBall
constexpr int kTile = 16;      // four tiles side by side in the tile sheet
constexpr int kSprite = 24;    // a diamond keyed with magenta

int Ball = 0, Tiles = 0, Sprite = 0;
float Seconds = 0;     // time since the scene started
float RunFor = 0;      // end after this many seconds (0: until Esc)
int Frames = 0;

// ---- Pictures made at run time -------------------------------------------------

// A file beside the program (the program folder is given with '\', which
// both systems' file functions take as '/').
bool WriteBesideProgram(const char* name, const std::vector<std::uint8_t>& bytes) {
    std::string path = std::string(elSystem::GetProgramFolder(0)) + name;
    for (char& c : path)
        if (c == '\\') c = '/';
    return bmpfile::Save(path, bytes);
}

// A shaded ball on black (index 0, the transparent colour), coded with
// BI_RLE8: each row skips its black left part with a delta code, then runs
// of equal indexes, then an end-of-line code.
void WriteBall() {
    std::vector<std::uint32_t> palette = {0x000000};
    for (std::uint32_t i = 1; i < 16; ++i) {
        std::uint32_t v = 40 + i * 14;
        palette.push_back((v << 16) | ((v / 3) << 8) | (v / 5 + 20));
    }
    std::vector<unsigned char> codes;
    for (int row = 0; row < kBall; ++row) {  // bottom row first
        int y = kBall - 1 - row;
        std::vector<unsigned char> line(kBall, 0);
        for (int x = 0; x < kBall; ++x) {
            double dx = x + 0.5 - kBall / 2.0, dy = y + 0.5 - kBall / 2.0;
            if (dx * dx + dy * dy > (kBall / 2.0) * (kBall / 2.0)) continue;
            double hx = x - kBall * 0.35, hy = y - kBall * 0.35;  // light from the top left
            double shade = 1.0 - std::sqrt(hx * hx + hy * hy) / (kBall * 0.95);
            line[x] = static_cast<unsigned char>(1 + std::lround(std::max(0.0, shade) * 14));
        }
        int x = 0;
        while (x < kBall && line[x] == 0) ++x;
        if (x > 0 && x < kBall) codes.insert(codes.end(), {0, 2, static_cast<unsigned char>(x), 0});
        int end = kBall;
        while (end > x && line[end - 1] == 0) --end;
        while (x < end) {
            int run = 1;
            while (x + run < end && line[x + run] == line[x] && run < 255) ++run;
            codes.insert(codes.end(), {static_cast<unsigned char>(run), line[x]});
            x += run;
        }
        codes.insert(codes.end(), {0, 0});
    }
    codes.insert(codes.end(), {0, 1});
    WriteBesideProgram("demo_ball.bmp", bmpfile::File(kBall, kBall, 8, 1, palette, codes));
}

// Ten 64 x 48 frames: a dark blue diamond growing until it covers its cell.
void WriteWipe() {
    const int width = 640, height = 48, stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> rows(static_cast<std::size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y) {
        unsigned char* row = &rows[static_cast<std::size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            int frame = x / 64 + 1;
            double dx = std::abs((x % 64) + 0.5 - 32) / 32.0, dy = std::abs(y + 0.5 - 24) / 24.0;
            if (dx + dy <= frame / 5.0) {
                row[3 * x] = 0x60;      // blue
                row[3 * x + 1] = 0x20;  // green
                row[3 * x + 2] = 0x10;  // red
            }
        }
    }
    WriteBesideProgram("demo_wipe.bmp", bmpfile::File(width, height, 24, 0, {}, rows));
}

// A pixel value of the screen's format for 8-bit channels.
int Pixel(int r, int g, int b) {
    auto channel = [](int v, unsigned max, unsigned shift) {
        return static_cast<int>((static_cast<unsigned>(v) * max / 255) << shift);
    };
    return channel(r, PixelFormat.redMax, PixelFormat.redShift) |
           channel(g, PixelFormat.greenMax, PixelFormat.greenShift) |
           channel(b, PixelFormat.blueMax, PixelFormat.blueShift);
}

// Objects filled on the back surface and copied out of it.
void MakeTilesAndSprite() {
    elDraw::Clear();
    const int colours[4][2][3] = {{{40, 110, 50}, {70, 150, 70}},
                                  {{30, 60, 140}, {60, 100, 190}},
                                  {{110, 110, 120}, {150, 150, 160}},
                                  {{180, 160, 100}, {210, 190, 130}}};
    for (int t = 0; t < 4; ++t) {
        int x = t * kTile;
        elDraw::FillBox(x, 0, x + kTile, kTile, Pixel(colours[t][0][0], colours[t][0][1], colours[t][0][2]));
        elDraw::FillBox(x + 2, 2, x + kTile - 2, kTile - 2,
                        Pixel(colours[t][1][0], colours[t][1][1], colours[t][1][2]));
        elDraw::FillBox(x + 5, 5, x + 8, 8, Pixel(colours[t][0][0], colours[t][0][1], colours[t][0][2]));
    }
    Tiles = elDraw::CreateObject(4 * kTile, kTile, 2);
    elDraw::CopyScreen(Tiles, 0, 0, 4 * kTile, kTile);

    elDraw::FillBox(0, 0, kSprite, kSprite, Pixel(255, 0, 255));
    for (int y = 0; y < kSprite; ++y) {
        int half = y < kSprite / 2 ? y : kSprite - 1 - y;
        elDraw::FillBox(kSprite / 2 - half - 1, y, kSprite / 2 + half + 1, y + 1,
                        Pixel(255, 200 - 6 * half, 40));
    }
    Sprite = elDraw::CreateObject(kSprite, kSprite, 2);
    elDraw::CopyScreen(Sprite, 0, 0, kSprite, kSprite);
    elDraw::SetObjectKey(Sprite, 0xFF00FF);  // magenta is transparent
}

// ---- The scene ------------------------------------------------------------------

void Init() {
    if (!elDraw::Screen(800, 600, 1)) return;
    WriteBall();
    WriteWipe();
    Ball = elDraw::LoadObject("demo_ball.bmp", 2);      // keyed black (the default)
    elDraw::LoadWipePattern("demo_wipe.bmp");
    MakeTilesAndSprite();
    elSystem::QuitIfError();
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

void Frame() {
    Seconds += FrameDelta;
    ++Frames;
    if (RunFor > 0 && Seconds >= RunFor) {
        elSystem::Quit();
        return;
    }
    elDraw::Clear();

    // Background: solid tiles.
    for (int y = 32; y < 600; y += kTile)
        for (int x = 0; x < 800; x += kTile) {
            int t = ((x / kTile) * 3 + (y / kTile) * 5) / 7 % 4;
            elDraw::DrawSolid(x, y, Tiles, t * kTile, 0, (t + 1) * kTile, kTile);
        }
    elDraw::FillBox(0, 0, 800, 32, Pixel(16, 24, 48));
    elText::Print(8, 10, "elDraw デモ: 透過、拡大縮小、クリップ、ワイプ  (Esc で終了)");

    // Keyed balls on a circle.
    for (int i = 0; i < 10; ++i) {
        double a = Seconds * 1.2 + i * 0.628;
        int x = 210 + static_cast<int>(150 * std::cos(a)) - kBall / 2;
        int y = 250 + static_cast<int>(150 * std::sin(a)) - kBall / 2;
        elDraw::Draw(x, y, Ball, 0, 0, kBall, kBall);
    }
    elDraw::Draw(210 - kBall / 2, 250 - kBall / 2, Ball, 0, 0, kBall, kBall);

    // Scaled: the ball growing and shrinking, the sprite stretched.
    int size = 24 + static_cast<int>(56 * (1 + std::sin(Seconds * 2.0)));
    elDraw::DrawScaled(560 - size / 2, 130 - size / 2, Ball, 0, 0, kBall, kBall, size, size);
    elDraw::DrawScaled(440, 220, Sprite, 0, 0, kSprite, kSprite, 96, 48);
    elDraw::DrawScaledSolid(560, 220, Sprite, 0, 0, kSprite, kSprite, 48, 48);

    // Clipped: sprites crossing a window of the screen.
    elDraw::FrameBox(469, 339, 771, 561);
    elDraw::SetClip(470, 340, 770, 560);
    for (int i = 0; i < 6; ++i) {
        int x = 440 + static_cast<int>(std::fmod(static_cast<double>(Seconds) * (60 + 25 * i) + 70.0 * i, 380.0));
        int y = 330 + i * 40;
        elDraw::Draw(x, y, Sprite, 0, 0, kSprite, kSprite);
        elDraw::Draw(x - 60, y + 8, Ball, 0, 0, kBall, kBall);
    }
    elDraw::SetClip(0, 0, 800, 600);

    // What each part shows.
    elText::Print(110, 440, "Draw: 黒をキーにした玉 (透過)");
    elText::Print(640, 100, "DrawScaled");
    elText::Print(436, 272, "DrawScaled (キー付き)");
    elText::Print(566, 272, "DrawScaledSolid (キーなし)");
    elText::Print(470, 320, "SetClip: 枠の中だけ描く");

    // A wipe every eight seconds: covered in ten frames, then uncovered.
    int cycle = Frames % 480;
    if (cycle == 300) {
        NextSceneNumber = 1;
        elDraw::WipeForward();  // the loop shows only the wipe until it ends
    } else if (cycle == 301) {
        elDraw::WipeBackward();
    }
    elDraw::Present();
}

int Body(const char* commandLine, int show) {
    RunFor = static_cast<float>(std::atof(commandLine));
    elSystem::Program program;
    program.title = "elDraw デモ";
    program.init = Init;
    program.scenes = {{1, Frame}};
    return elSystem::Run(program, commandLine, show);
}

}  // namespace

EL_ENTRY_POINT(Body)
