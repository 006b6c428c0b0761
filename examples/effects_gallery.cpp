// A gallery of the software effects: one animated screen per effect, with a
// line naming the effect and its current parameters. The arrow keys step
// through the screens (Right / Down forward, Left / Up back), Esc ends.
//
//   effects_gallery [seconds] [--frames N] [--cycle N] [--screen K] [--seed N] [--headless]
//
// A number ends the gallery after that many seconds, --frames after N frames;
// --cycle moves on to the next screen every N frames by itself; --screen
// starts at screen K, numbered from 1 as the top line shows it ("K/18");
// --seed fixes the random numbers, so two runs draw the same frames.
// --headless (not on Windows) runs without a
// display, on the virtual clock, for tests.
//
// Every picture is made at run time. Adding an effect is one entry in
// Screens below: a title and a function that draws a frame and writes the
// parameter line.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "draw/effects/elEffects.h"
#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/entry.h"
#include "system/elSystem.h"
#include "text/elText.h"
#if !defined(_WIN32)
#include "platform/portable/headless.h"
#endif

namespace {

constexpr int kW = 800, kH = 600;
constexpr int kBall = 96;       // the ball sprite is kBall x kBall
constexpr int kMapW = 512, kMapH = 160;  // refraction map
constexpr int kTex = 256;       // tunnel texture

constexpr int kPanelW = 340, kPanelH = 260;  // the panels of the region effects

int Backdrop = 0, Ball = 0, Ring = 0, Map = 0, Texture = 0, Lens = 0;
int PanelLeft = 0, PanelRight = 0;  // keep the panels that build up frame by frame
int Round = -1;                     // the round of the current screen's build-up
float Seconds = 0;       // since the gallery started
float ScreenTime = 0;    // since the current screen was shown
int Frames = 0;
float RunFor = 0;        // seconds, 0: until Esc
int FrameLimit = 0;      // frames, 0: no limit
int Seed = -1;           // --seed: the random numbers' seed, or -1 for the clock
int Cycle = 0;           // frames per screen when stepping by itself
int Current = 0;
int KeyRight = 0, KeyLeft = 0, KeyUp = 0, KeyDown = 0;
char Line[256];          // the parameter line of the current frame

// ---- Pictures made at run time -----------------------------------------------------

// 5-bit channels packed for the screen's format.
std::uint16_t Colour(int r, int g, int b) {
    auto c = [](int v) { return static_cast<unsigned>(std::clamp(v, 0, 31)); };
    return elDraw::Pack5(c(r), c(g), c(b));
}

// Writes pixel(x, y) into every pixel of an object.
template <typename Pixel>
void Paint(int slot, Pixel pixel) {
    plat::IDirectDrawSurface* surface = elDraw::ObjectSurface(slot);
    if (!surface) return;
    plat::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK) return;
    for (int y = 0; y < static_cast<int>(desc.dwHeight); ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                     static_cast<std::ptrdiff_t>(y) * desc.lPitch);
        for (int x = 0; x < static_cast<int>(desc.dwWidth); ++x) row[x] = pixel(x, y);
    }
    surface->Unlock(desc.lpSurface);
}

int MakeObject(int width, int height) {
    int slot = elDraw::CreateObject(width, height, 2);
    elSystem::QuitIfError();
    return slot;
}

void MakePictures() {
    // A landscape of colour: a diagonal gradient, a checker and stripes, so
    // that every effect has detail to work on.
    Backdrop = MakeObject(kW, kH);
    Paint(Backdrop, [](int x, int y) {
        const bool check = ((x / 40) + (y / 40)) % 2 == 0;
        const bool stripe = (x + y) % 24 < 3;
        int r = 4 + x * 18 / kW, g = 6 + y * 16 / kH, b = 24 - x * 14 / kW;
        if (check) r += 5, g += 4, b += 3;
        if (stripe) r += 8, g += 8, b += 8;
        return Colour(r, g, b);
    });
    // A shaded ball with coloured bands, black (transparent) around it.
    Ball = MakeObject(kBall, kBall);
    Paint(Ball, [](int x, int y) {
        const double dx = x + 0.5 - kBall / 2.0, dy = y + 0.5 - kBall / 2.0;
        const double r = std::sqrt(dx * dx + dy * dy) / (kBall / 2.0);
        if (r > 1.0) return std::uint16_t{0};
        const double light = 1.0 - std::hypot(dx + kBall * 0.18, dy + kBall * 0.18) / kBall;
        const int band = static_cast<int>(r * 6);
        const int v = static_cast<int>(light * 31);
        return Colour(v + band * 3, v / 2 + (band % 2) * 10, 31 - v / 2 - band * 2);
    });
    // A ring of hard-edged bands for the edge and blur screens.
    Ring = MakeObject(kBall, kBall);
    Paint(Ring, [](int x, int y) {
        const double r = std::hypot(x + 0.5 - kBall / 2.0, y + 0.5 - kBall / 2.0);
        if (r < 20 || r > 46) return std::uint16_t{0};
        const int band = static_cast<int>(r) / 6 % 3;
        return band == 0 ? Colour(31, 30, 8) : band == 1 ? Colour(4, 28, 31) : Colour(31, 6, 20);
    });
    // Refraction map: the red channel is the displacement, in ripples.
    Map = MakeObject(kMapW, kMapH);
    Paint(Map, [](int x, int y) {
        const double wave = std::sin(x * 0.07) * std::cos(y * 0.11 + x * 0.02);
        return Colour(16 + static_cast<int>(15 * wave), 1, 1);
    });
    // Tunnel texture: interleaved colour bands.
    Lens = MakeObject(40, 40);
    PanelLeft = MakeObject(kPanelW, kPanelH);
    PanelRight = MakeObject(kPanelW, kPanelH);
    Texture = MakeObject(kTex, kTex);
    Paint(Texture, [](int x, int y) {
        const int v = (x ^ y) & 0x3F;
        return Colour(v / 2, (x / 8) % 2 ? 31 - v / 2 : 8, (y / 16) % 2 ? 28 : v / 3);
    });
}

// ---- Shared drawing ------------------------------------------------------------------

void DrawBackdrop() { elDraw::DrawSolid(0, 0, Backdrop, 0, 0, kW, kH); }

// A label under a panel.
void Label(int x, int y, const char* text) { elText::Print(x, y, text); }

// A 40 x 40 patch of the back surface at (x, y) shown four times as large
// at (x - 60, y) on the screen row top.
void Magnify(int x, int y, int top) {
    elDraw::CopyScreen(Lens, x, y, x + 40, y + 40);
    elDraw::DrawScaledSolid(x - 60, top, Lens, 0, 0, 40, 40, 160, 160);
}

float Wave(float speed, float phase = 1.0f) { return 0.5f + 0.5f * std::sin(ScreenTime * speed + phase); }

// ---- The screens ------------------------------------------------------------------

void BlendScreen() {
    DrawBackdrop();
    const float opacity = Wave(1.3f);
    const int level = static_cast<int>(Wave(0.9f) * 31);
    const float addLevel = Wave(1.7f, 1.0f);
    const int y = 200;
    auto at = [](int i) { return 30 + i * 128; };
    elDraw::DrawHalfBlend(at(0), y, Ball, 0, 0, kBall, kBall);
    elDraw::DrawAlphaBlend(at(1), y, opacity, Ball, 0, 0, kBall, kBall);
    elDraw::DrawFadeBlend(at(2), y, level, Ball, 0, 0, kBall, kBall);
    elDraw::DrawAdd(at(3), y, Ball, 0, 0, kBall, kBall);
    elDraw::DrawAddLevel(at(4), y, addLevel, Ball, 0, 0, kBall, kBall);
    elDraw::DrawSubtract(at(5), y, Ball, 0, 0, kBall, kBall);
    elDraw::DrawGradientAlpha(40, 380, 1, 1, 1, 0, static_cast<unsigned>(Wave(0.8f) * 120), 4, Texture, 0, 0,
                              kTex, 160);
    Label(at(0), y + 104, "HalfBlend");
    Label(at(1), y + 104, "AlphaBlend");
    Label(at(2), y + 104, "FadeBlend");
    Label(at(3), y + 104, "Add");
    Label(at(4), y + 104, "AddLevel");
    Label(at(5), y + 104, "Subtract");
    Label(40, 546, "GradientAlpha");
    std::snprintf(Line, sizeof Line, "合成描画  不透明度 %.2f  フェード %d  加算 %.2f", opacity, level, addLevel);
}

void RecolourScreen() {
    DrawBackdrop();
    const float bright = Wave(1.1f) * 1.0f;
    const int dark = static_cast<int>(Wave(0.7f) * 31);
    const int mask = static_cast<int>(ScreenTime) % 7 + 1;
    const int y = 220;
    auto at = [](int i) { return 40 + i * 150; };
    elDraw::DrawChannelMask(at(0), y, mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, Ball, 0, 0, kBall, kBall);
    elDraw::DrawBright(at(1), y, bright, Ball, 0, 0, kBall, kBall);
    elDraw::DrawBrightRGB(at(2), y, 1.0f, bright, 1.0f - bright, Ball, 0, 0, kBall, kBall);
    elDraw::DrawDark(at(3), y, dark, Ball, 0, 0, kBall, kBall);
    elDraw::DrawGray(at(4), y, Ball, 0, 0, kBall, kBall);
    Label(at(0), y + 104, "ChannelMask");
    Label(at(1), y + 104, "Bright");
    Label(at(2), y + 104, "BrightRGB");
    Label(at(3), y + 104, "Dark");
    Label(at(4), y + 104, "Gray");
    std::snprintf(Line, sizeof Line, "色変え描画  マスク r%d g%d b%d  明るさ %.2f  暗さ %d", mask & 1,
                  (mask >> 1) & 1, (mask >> 2) & 1, bright, dark);
}

void RasterScreen() {
    elDraw::Clear();
    elDraw::DrawWave(30, 60, 12, 8, 4.0f, Backdrop, 0, 0, 220, 200, 0);
    elDraw::DrawWaveScroll(290, 60, 8, 6, 3.0f, 40.0f, Backdrop, 200, 0, 420, 200);
    elDraw::DrawRoll(550, 60, 0, 60.0f, Backdrop, 400, 100, 620, 300);
    const int block = 1 + static_cast<int>(Wave(1.0f) * 7);
    elDraw::DrawBlockRows(30, 320, block, Backdrop, 0, 300, 220, 500);
    elDraw::DrawShake(290, 320, 6, Backdrop, 200, 300, 420, 500);
    elDraw::DrawMirror(550, 320, static_cast<int>(ScreenTime) % 4, Ball, 0, 0, kBall, kBall);
    elDraw::DrawSkipRows(660, 320, 2, Ball, 0, 0, kBall, kBall);
    Label(30, 265, "Wave");
    Label(290, 265, "WaveScroll");
    Label(550, 265, "Roll");
    Label(30, 525, "BlockRows");
    Label(290, 525, "Shake");
    Label(550, 425, "Mirror");
    Label(660, 425, "SkipRows");
    std::snprintf(Line, sizeof Line, "ラスター描画  ブロック %d 行  鏡像モード %d", block,
                  static_cast<int>(ScreenTime) % 4);
}

int WipeType = 1;
void ClipWipeScreen() {
    // Open and close in turn, trying every type.
    if (elDraw::ClipWipeState == 0 || elDraw::ClipWipeState == -1) {
        const int closing = elDraw::ClipWipeState == 0 ? 1 : 0;
        if (!closing) WipeType = WipeType % 9 + 1;
        elDraw::StartWipe(closing, WipeType, 500.0f, 40);
    }
    elDraw::StepClipWipe();
    elDraw::Clear();
    elDraw::DrawSolid(0, 0, Backdrop, 0, 0, kW, kH);
    elDraw::Draw(352, 252, Ball, 0, 0, kBall, kBall);
    std::snprintf(Line, sizeof Line, "クリップワイプ  種類 %d  %s", WipeType,
                  elDraw::ClipWipeState == 2 ? "閉じる" : "開く");
}

void GlowScreen() {
    elDraw::Clear();
    elDraw::DrawSolid(0, 0, Backdrop, 0, 400, kW, kH);
    const int shift = static_cast<int>(ScreenTime / 2) % 4;
    static const int kDirections[] = {0xFF, 0x18, 0x42, 0xA5, 0x10};
    const int directions = kDirections[static_cast<int>(ScreenTime / 3) % 5];
    for (int i = 0; i < 3; ++i) {
        const int x = 100 + i * 230 + static_cast<int>(40 * std::sin(ScreenTime * 1.1f + static_cast<float>(i)));
        const int y = 180 + static_cast<int>(60 * std::cos(ScreenTime * 0.8f + static_cast<float>(2 * i)));
        elDraw::DrawGlow(x, y, static_cast<unsigned>(shift + (i == 1)), static_cast<unsigned>(shift + 1),
                         static_cast<unsigned>(shift + (i == 2)), directions, 1, Ring, 0, 0, kBall, kBall);
    }
    std::snprintf(Line, sizeof Line, "グロー DrawGlow  シフト %d  方向 0x%02X  複写あり", shift, directions);
}

void SmoothEdgeScreen() {
    DrawBackdrop();
    const int x = 180 + static_cast<int>(80 * std::sin(ScreenTime * 0.7f));
    elDraw::Draw(x, 220, Ring, 0, 0, kBall, kBall);
    elDraw::DrawSmoothEdge(x + 300, 220, Ring, 0, 0, kBall, kBall);
    Label(x, 330, "Draw");
    Label(x + 300, 330, "SmoothEdge");
    Magnify(x + 8, 230, 420);
    Magnify(x + 308, 230, 420);
    std::snprintf(Line, sizeof Line, "縁のなめらか描画 DrawSmoothEdge  (左は通常の描画)");
}

void BlurScreen() {
    DrawBackdrop();
    const int n = 1 + static_cast<int>(ScreenTime * 1.5f) % 9;
    elDraw::DrawBlur(120, 200, n, Ring, 0, 0, kBall, kBall);
    elDraw::DrawBlur(350, 200, n, Ball, 0, 0, kBall, kBall);
    elDraw::DrawBlur(560, 180, n, Backdrop, 0, 0, 160, 140);
    Magnify(130, 210, 400);
    Magnify(580, 200, 400);
    Label(120, 300, "DrawBlur: 輪");
    Label(350, 300, "DrawBlur: 玉");
    Label(560, 330, "DrawBlur: 背景");
    Label(70, 380, "下: 輪と背景のぼかしを 4 倍に拡大");
    std::snprintf(Line, sizeof Line, "ぼかし DrawBlur  ブロック %d x %d", n, n);
}

void RefractScreen() {
    DrawBackdrop();
    const float strength = 0.25f + 0.75f * Wave(0.8f);
    const int scroll = static_cast<int>(ScreenTime * 40) % (kMapW - 300);
    elDraw::DrawRefract(100, 120, strength, Map, scroll, 0, scroll + 300, kMapH);
    elDraw::DrawRefract(420, 330, strength, Map, 0, 0, 300, kMapH);
    Label(100, 120 + kMapH + 6, "DrawRefract: 流れる地図");
    Label(420, 330 + kMapH + 6, "DrawRefract: 止まった地図");
    std::snprintf(Line, sizeof Line, "屈折 DrawRefract  強さ %.2f", strength);
}

void StretchScreen() {
    DrawBackdrop();
    const int type = static_cast<int>(ScreenTime / 2.5f) % 4;
    const auto position = static_cast<unsigned>(kBall / 4 + Wave(1.2f) * (kBall / 2));
    static const char* const kNames[] = {"右へ", "左へ", "下へ", "上へ"};
    elDraw::DrawStretchEdge(352, 252, type, position, Ball, 0, 0, kBall, kBall);
    Label(352, 252 + kBall + 8, "DrawStretchEdge: 位置の列 (行) から画面の端まで");
    std::snprintf(Line, sizeof Line, "端まで引き伸ばし DrawStretchEdge  種類 %d (%s)  位置 %u", type,
                  kNames[type], position);
}

struct TunnelShape {
    int sides, drift, measure, curve;
    const char* name;
};
const TunnelShape kShapes[] = {
    {-1, 0, 0, 0, "丸"}, {-1, 0, 1, 0, "四角"}, {-1, 0, 2, 0, "ひし形"},
    {6, 1, 0, 0, "斜め"}, {-1, 0, 0, 4, "深さ曲線 4"}, {5, 4, 1, 1, "移動する中心"},
};
int TunnelMade = -1;

void TunnelScreen() {
    const int shape = static_cast<int>(ScreenTime / 4) % 6;
    const TunnelShape& s = kShapes[shape];
    if (shape != TunnelMade) {
        elDraw::MakeTunnel(kTex, kTex, 640, 480, -1, -1, s.sides, s.drift, s.measure, s.curve);
        TunnelMade = shape;
    }
    elDraw::Clear();
    const int du = static_cast<int>(ScreenTime * 40), dv = static_cast<int>(ScreenTime * 120);
    elDraw::DrawTunnel(80, 80, du, dv, Texture);
    Label(80, 60, "DrawTunnel: 640 x 480 の表でテクスチャを流す");
    std::snprintf(Line, sizeof Line, "トンネル DrawTunnel  %s  距離 %d  曲線 %d  中心移動 %d  u %d  v %d", s.name,
                  s.measure, s.curve, s.drift, du % kTex, dv % kTex);
}

// ---- Region effects that build up frame by frame ---------------------------------

// Whether a new round of seconds has begun on this screen (true on its
// first frame).
bool NewRound(float seconds) {
    const int round = static_cast<int>(ScreenTime / seconds);
    if (round == Round) return false;
    Round = round;
    return true;
}

// Puts a panel at (x, y) back on the screen: a fresh piece of the backdrop
// with a ball when a round begins, else the picture its effect left last
// frame. The picture is kept in an object rather than left on the back
// surface, so it survives however the screen is presented.
void PanelBefore(int panel, int x, int y, bool fresh) {
    if (fresh) {
        elDraw::DrawSolid(x, y, Backdrop, x, y, x + kPanelW, y + kPanelH);
        elDraw::Draw(x + (kPanelW - kBall) / 2, y + kPanelH - kBall - 20, Ball, 0, 0, kBall, kBall);
        elDraw::Draw(x + 30, y + 40, Ring, 0, 0, kBall, kBall);
    } else {
        elDraw::DrawSolid(x, y, panel, 0, 0, kPanelW, kPanelH);
    }
}

void PanelAfter(int panel, int x, int y) { elDraw::CopyScreen(panel, x, y, x + kPanelW, y + kPanelH); }

constexpr int kLeftX = 40, kRightX = 420, kPanelY = 150;

// Flags r, g, b from a number 1-7.
struct Channels {
    int r, g, b;
};
Channels ChannelsOf(int mask) { return {mask & 1, (mask >> 1) & 1, (mask >> 2) & 1}; }

// Two panels that build up over a round of `period` seconds: the plain
// effect on the left, its fading variant (channels chosen by the round) on
// the right.
void BuildUpScreen(float period, int (*plain)(int, int, int, int),
                   int (*faded)(int, int, int, int, int, int, int), const char* plainName,
                   const char* fadedName, const char* title) {
    const bool fresh = NewRound(period);
    const Channels c = ChannelsOf(Round % 7 + 1);
    DrawBackdrop();
    PanelBefore(PanelLeft, kLeftX, kPanelY, fresh);
    PanelBefore(PanelRight, kRightX, kPanelY, fresh);
    plain(kLeftX, kPanelY, kPanelW, kPanelH);
    faded(c.r, c.g, c.b, kRightX, kPanelY, kPanelW, kPanelH);
    PanelAfter(PanelLeft, kLeftX, kPanelY);
    PanelAfter(PanelRight, kRightX, kPanelY);
    Label(kLeftX, kPanelY + kPanelH + 12, plainName);
    Label(kRightX, kPanelY + kPanelH + 12, fadedName);
    std::snprintf(Line, sizeof Line, "%s %s / %s  減色 r%d g%d b%d  %.1f 秒", title, plainName, fadedName,
                  c.r, c.g, c.b, ScreenTime - static_cast<float>(Round) * period);
}

// The row under each region is the backdrop, fresh every frame: the source
// the smoke rises from.
void RiseScreen() {
    BuildUpScreen(5.0f, elDraw::ScreenRise, elDraw::ScreenRiseFade, "ScreenRise", "ScreenRiseFade",
                  "立ちのぼり");
}

void ScreenBlurScreen() {
    BuildUpScreen(4.0f, elDraw::ScreenBlur, elDraw::ScreenBlurFade, "ScreenBlur", "ScreenBlurFade",
                  "画面ぼかし");
}

// ---- Region effects redone every frame ----------------------------------------------

// Clears the Buffer object, so the dotted magnifications show their dots
// on black rather than on what an earlier magnification left there.
void ClearBuffer() {
    Paint(0, [](int, int) { return std::uint16_t{0}; });
}

void ZoomScreen() {
    DrawBackdrop();
    // The pictures move under four fixed regions, each magnified over
    // itself: 160 x 100 twice, 80 x 50 four times, to 320 x 200 each.
    const int dx = static_cast<int>(Wave(0.6f) * 120), dy = static_cast<int>(Wave(0.9f, 2.0f) * 60);
    const int left[] = {40, 440, 40, 440}, top[] = {60, 60, 330, 330};
    for (int i = 0; i < 4; ++i) {
        elDraw::Draw(left[i] + dx - 40, top[i] + dy - 30, Ball, 0, 0, kBall, kBall);
        elDraw::Draw(left[i] + 120 - dx, top[i] + 20, Ring, 0, 0, kBall, kBall);
    }
    elDraw::ScreenZoom2(left[0], top[0], 160, 100, 0);
    ClearBuffer();
    elDraw::ScreenZoom2(left[1], top[1], 160, 100, 1);
    elDraw::ScreenZoom4(left[2], top[2], 80, 50, 0);
    ClearBuffer();
    elDraw::ScreenZoom4(left[3], top[3], 80, 50, 1);
    Label(left[0], 266, "ScreenZoom2");
    Label(left[1], 266, "ScreenZoom2 点描");
    Label(left[2], 536, "ScreenZoom4");
    Label(left[3], 536, "ScreenZoom4 点描");
    std::snprintf(Line, sizeof Line, "拡大 ScreenZoom2 / ScreenZoom4  通常と点描  ずれ %d, %d", dx, dy);
}

void MosaicNoiseScreen() {
    DrawBackdrop();
    const int radius = 60 + static_cast<int>(Wave(0.8f) * 130);
    const int block = 2 + static_cast<int>(Wave(0.5f, 3.0f) * 14);
    const int cx = 220 + static_cast<int>(40 * std::sin(ScreenTime * 0.7f));
    const int shift = static_cast<int>(ScreenTime / 1.5f) % 4;
    const Channels c = ChannelsOf(static_cast<int>(ScreenTime / 3.0f) % 7 + 1);
    elDraw::Draw(cx - kBall / 2, 300 - kBall / 2, Ball, 0, 0, kBall, kBall);
    elDraw::ScreenMosaicCircle(cx, 300, radius, block);
    elDraw::ScreenNoise(shift, 460, 60, 300, 220);
    elDraw::ScreenNoiseRGB(c.r, c.g, c.b, shift, 460, 320, 300, 220);
    Label(40, 530, "ScreenMosaicCircle");
    Label(460, 286, "ScreenNoise");
    Label(460, 546, "ScreenNoiseRGB");
    std::snprintf(Line, sizeof Line, "モザイク円 半径 %d  ブロック %d   ノイズ シフト %d  RGB r%d g%d b%d", radius,
                  block, shift, c.r, c.g, c.b);
}

// ---- Rotated and warped draws ---------------------------------------------------------

int Angle(float degreesPerSecond) { return static_cast<int>(ScreenTime * degreesPerSecond) % 360; }

void RotateScreen() {
    DrawBackdrop();
    const int angle = Angle(40.0f);
    const float zoom = 0.5f + 1.5f * Wave(0.7f);
    elDraw::DrawRotate(60, 130, 380, 450, angle, Texture, 0, 0, 192, 128);
    elDraw::DrawRotateZoom(420, 130, 740, 450, -angle, zoom, Texture, 0, 0, 192, 128);
    Label(60, 470, "DrawRotate");
    Label(420, 470, "DrawRotateZoom");
    std::snprintf(Line, sizeof Line, "回転 DrawRotate / DrawRotateZoom  角度 %d 度  倍率 %.2f", angle, zoom);
}

void RotateTileScreen() {
    DrawBackdrop();
    const int angle = Angle(25.0f);
    const float zoom = 0.4f + 1.2f * Wave(0.5f);
    elDraw::DrawRotateTile(40, 110, 380, 470, angle, Texture, 0, 0, 64, 64);
    elDraw::DrawRotateZoomTile(420, 110, 760, 470, angle, zoom, Ball, 0, 0, kBall, kBall);
    Label(40, 490, "DrawRotateTile");
    Label(420, 490, "DrawRotateZoomTile");
    std::snprintf(Line, sizeof Line, "回転タイル DrawRotateTile / DrawRotateZoomTile  角度 %d 度  倍率 %.2f",
                  angle, zoom);
}

void FloorScreen() {
    elDraw::Clear();
    elDraw::DrawSolid(0, 40, Backdrop, 0, 0, kW, 200);
    const int angle = Angle(20.0f);
    const float step = 0.01f + 0.03f * Wave(0.6f);
    const float light = 0.4f + 0.6f * Wave(0.9f, 2.0f);
    elDraw::DrawRotateFloor(0, 240, kW, 570, angle, 0.2f, step, 0.1f, step, light, light * 0.9f, 0.8f, Texture,
                            0, 0, 128, 128);
    Label(8, 44, "上: 背景 (そのまま)");
    Label(8, 244, "下: DrawRotateFloor (回る床、奥ほど縮小)");
    std::snprintf(Line, sizeof Line, "床 DrawRotateFloor  角度 %d 度  拡大の増分 %.3f  色 %.2f %.2f 0.80", angle,
                  step, light, light * 0.9f);
}

void RippleScreen() {
    elDraw::Clear();
    const int amplitude = 10 + static_cast<int>(Wave(1.1f) * 60);
    const int frequency = 4 + static_cast<int>(Wave(0.4f, 3.0f) * 16);
    const int step = 1 + static_cast<int>(ScreenTime / 4) % 2;
    const float shear = 0.4f * std::sin(ScreenTime * 0.5f);
    elDraw::DrawRipple(80, 120, amplitude, frequency, step, 1.0f, shear, Backdrop, 100, 100, 420, 420);
    elDraw::DrawRipple(560, 180, amplitude / 2, frequency, 1, 1.5f, 0.0f, Ball, 0, 0, kBall, kBall);
    Label(80, 100, "DrawRipple: 背景 (拡大 1.0、傾きあり)");
    Label(560, 160, "DrawRipple: 玉 (拡大 1.5)");
    std::snprintf(Line, sizeof Line, "波紋 DrawRipple  振幅 %d  周波数 %d  間隔 %d  拡大 1.0 / 1.5  傾き %.2f",
                  amplitude, frequency, step, shear);
}

// The gallery: one entry per screen.
struct Screen {
    const char* title;
    void (*draw)();
};
const Screen Screens[] = {
    {"合成", BlendScreen},
    {"色変え", RecolourScreen},
    {"ラスター", RasterScreen},
    {"クリップワイプ", ClipWipeScreen},
    {"グロー", GlowScreen},
    {"縁", SmoothEdgeScreen},
    {"ぼかし", BlurScreen},
    {"屈折", RefractScreen},
    {"引き伸ばし", StretchScreen},
    {"トンネル", TunnelScreen},
    {"立ちのぼり", RiseScreen},
    {"画面ぼかし", ScreenBlurScreen},
    {"拡大", ZoomScreen},
    {"モザイクとノイズ", MosaicNoiseScreen},
    {"回転", RotateScreen},
    {"回転タイル", RotateTileScreen},
    {"床", FloorScreen},
    {"波紋", RippleScreen},
};
constexpr int kScreenCount = static_cast<int>(sizeof Screens / sizeof Screens[0]);

void Show(int screen) {
    Current = (screen % kScreenCount + kScreenCount) % kScreenCount;
    ScreenTime = 0;
    Round = -1;
    // Screens start from a full clip, no wipe running, and fresh animations.
    elDraw::ClipWipeState = 0;
    elDraw::SetClip(0, 0, kW, kH);
    elDraw::ResetRasterAnimations();
}

// ---- The scene ------------------------------------------------------------------

void Init() {
    // A fixed seed makes a run repeatable (the noise table and the random
    // effects); by default the start-up seeds from the clock.
    if (Seed >= 0) elSystem::SeedRandom(static_cast<unsigned>(Seed));
    if (!elDraw::Screen(kW, kH, 1)) return;
    MakePictures();
    elSystem::QuitIfError();
    Show(Current);
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

bool Pressed(int key, int& state) {
    elInput::UpdateKey(key, state);
    return state == kKeyPressed;
}

void Frame() {
    Seconds += FrameDelta;
    ScreenTime += FrameDelta;
    ++Frames;
    if ((RunFor > 0 && Seconds >= RunFor) || (FrameLimit > 0 && Frames > FrameLimit)) {
        elSystem::Quit();
        return;
    }
    if (Pressed(plat::VK_RIGHT, KeyRight) | Pressed(plat::VK_DOWN, KeyDown)) Show(Current + 1);
    if (Pressed(plat::VK_LEFT, KeyLeft) | Pressed(plat::VK_UP, KeyUp)) Show(Current - 1);
    if (Cycle > 0 && Frames % Cycle == 0) Show(Current + 1);

    Line[0] = '\0';
    Screens[Current].draw();
    elText::Printf(8, 8, "%d/%d %s", Current + 1, kScreenCount, Line);
    elText::Print(8, 578, "←→ 切り替え   Esc 終了");
    elDraw::Present();
}

// Reads the options; false for an unknown one.
bool ParseOptions(const char* commandLine, bool& headless) {
    const std::string words = commandLine;
    std::size_t at = 0;
    auto next = [&]() -> std::string {
        while (at < words.size() && words[at] == ' ') ++at;
        const std::size_t start = at;
        while (at < words.size() && words[at] != ' ') ++at;
        return words.substr(start, at - start);
    };
    for (std::string word = next(); !word.empty(); word = next()) {
        if (word == "--headless") headless = true;
        else if (word == "--frames") FrameLimit = std::atoi(next().c_str());
        else if (word == "--cycle") Cycle = std::atoi(next().c_str());
        else if (word == "--screen") Current = std::atoi(next().c_str()) - 1;  // shown from 1
        else if (word == "--seed") Seed = std::atoi(next().c_str());
        else if (word[0] != '-') RunFor = static_cast<float>(std::atof(word.c_str()));
        else return false;
    }
    return true;
}

int Body(const char* commandLine, int show) {
    bool headless = false;
    if (!ParseOptions(commandLine, headless)) {
        std::fprintf(stderr, "usage: effects_gallery [seconds] [--frames N] [--cycle N] [--screen K] [--seed N] [--headless]\n");
        return 2;
    }
    if (headless) {
#if defined(_WIN32)
        std::fprintf(stderr, "effects_gallery: --headless is not available on Windows\n");
        return 2;
#else
        plat::headless::Enable(true);
#endif
    }
    elSystem::Program program;
    program.title = "エフェクト ギャラリー";
    program.init = Init;
    program.scenes = {{1, Frame}};
    const int code = elSystem::Run(program, commandLine, show);
    // A headless run that ended before its frames were drawn failed.
    if (headless && FrameLimit > 0 && Frames <= FrameLimit) return 1;
    return code;
}

}  // namespace

EL_ENTRY_POINT(Body)
