// Rotated, tiled, zoomed and warped object draws in 5:6:5 and 5:5:5: the
// exact source pixels at 0, 90 and 180 degrees, the mirrored tiling, the
// centred zoom, the floor's row-by-row zoom and colour factors, the ripple,
// cut draws equal to whole ones inside the clip, refused arguments, and
// golden images.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/portable/headless_display.h"
#include "support/effect_surfaces.h"

using namespace plat;
namespace hl = plat::headless;
using test::Channels;
using test::Pixels;
using test::Split;

namespace {

constexpr std::uint16_t kBack = 0x5555;

class RotatedDraws : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, kBack);
    }
    void InBothLayouts(const std::function<void()>& check) {
        for (DisplayFormat f : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
            SCOPED_TRACE(f == DisplayFormat::Rgb565 ? "5:6:5" : "5:5:5");
            SetDisplayFormat(f);
            ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
            test::FillSurface(elDraw::BackSurface, kBack);
            check();
        }
    }
    // An object holding the fixed picture (with transparent holes).
    int Picture(int w, int h, bool holes = true) {
        const int slot = elDraw::CreateObject(w, h, 2);
        EXPECT_GT(slot, 0);
        test::PaintPicture(ObjectTable[slot].surface, 0, 0, w, h, holes);
        return slot;
    }
    Pixels Back() { return test::ReadPixels(elDraw::BackSurface); }
    static std::uint16_t Src(int x, int y) { return test::PicturePixel(x, y, true); }
    static std::uint16_t Plain(int x, int y) { return test::PicturePixel(x, y, false); }
    // The back pixel expected where the source pixel (sx, sy) is drawn.
    static std::uint16_t Drawn(int sx, int sy) {
        const std::uint16_t p = Src(sx, sy);
        return p ? p : kBack;
    }
};

TEST_F(RotatedDraws, RightAnglesShowTheExactSourcePixels) {
    InBothLayouts([&] {
        const int obj = Picture(32, 32);
        EXPECT_EQ(elDraw::DrawRotate(100, 100, 132, 132, 0, obj, 0, 0, 32, 32), 1);
        EXPECT_EQ(elDraw::DrawRotate(200, 100, 232, 132, 90, obj, 0, 0, 32, 32), 1);
        EXPECT_EQ(elDraw::DrawRotate(300, 100, 332, 132, 180, obj, 0, 0, 32, 32), 1);
        // Angles outside 0-359 are the same turn.
        EXPECT_EQ(elDraw::DrawRotate(400, 100, 432, 132, 450, obj, 0, 0, 32, 32), 1);
        EXPECT_EQ(elDraw::DrawRotate(500, 100, 532, 132, -270, obj, 0, 0, 32, 32), 1);
        EXPECT_EQ(elDraw::DrawRotate(600, 100, 632, 132, -2147483647 - 1 + 8, obj, 0, 0, 32, 32), 1);
        const Pixels b = Back();
        for (int j = 0; j < 32; ++j)
            for (int i = 0; i < 32; ++i) {
                ASSERT_EQ(b.at(100 + i, 100 + j), Drawn(i, j)) << i << "," << j;
                const std::uint16_t turned = (j == 0) ? kBack : Drawn(32 - j, i);
                ASSERT_EQ(b.at(200 + i, 100 + j), turned) << i << "," << j;
                ASSERT_EQ(b.at(400 + i, 100 + j), turned) << i << "," << j;
                ASSERT_EQ(b.at(500 + i, 100 + j), turned) << i << "," << j;
                const std::uint16_t half = (i == 0 || j == 0) ? kBack : Drawn(32 - i, 32 - j);
                ASSERT_EQ(b.at(300 + i, 100 + j), half) << i << "," << j;
            }
        // -2147483640 leaves 240 degrees after whole turns: not the unchanged
        // object.
        long same = 0;
        for (int j = 0; j < 32; ++j)
            for (int i = 0; i < 32; ++i) same += b.at(600 + i, 100 + j) == Drawn(i, j);
        EXPECT_LT(same, 200);
    });
}

TEST_F(RotatedDraws, LargerRectanglesLeaveTheRestOrTileItMirroredAtTheOrigin) {
    InBothLayouts([&] {
        const int obj = Picture(8, 8, false);
        EXPECT_EQ(elDraw::DrawRotate(100, 100, 124, 124, 0, obj, 0, 0, 8, 8), 1);
        EXPECT_EQ(elDraw::DrawRotateTile(200, 100, 224, 124, 0, obj, 0, 0, 8, 8), 1);
        EXPECT_EQ(elDraw::DrawRotateZoomTile(300, 100, 324, 124, 0, 1.0f, obj, 0, 0, 8, 8), 1);
        const Pixels b = Back();
        // Offsets (24 - 8) / 2 = 8: source column |i - 8| mod 8.
        for (int j = 0; j < 24; ++j)
            for (int i = 0; i < 24; ++i) {
                const bool inside = i >= 8 && i < 16 && j >= 8 && j < 16;
                ASSERT_EQ(b.at(100 + i, 100 + j), inside ? Plain(i - 8, j - 8) : kBack);
                const std::uint16_t tile = Plain(std::abs(i - 8) % 8, std::abs(j - 8) % 8);
                ASSERT_EQ(b.at(200 + i, 100 + j), tile) << i << "," << j;
                ASSERT_EQ(b.at(300 + i, 100 + j), tile) << i << "," << j;
            }
        EXPECT_EQ(b.at(203, 100), Plain(5, 0));  // mirrored left of the origin
        EXPECT_EQ(b.at(217, 100), Plain(1, 0));  // repeated right of the source
    });
}

TEST_F(RotatedDraws, TilesFarFromTheOriginRepeatWithExactRemainders) {
    const int obj = Picture(7, 13, false);
    // Angle 0: pixel (i, j) shows source (|i - ox| mod 7, |j - oy| mod 13).
    const long long x1 = -1000000007, y1 = -999999937;
    const long long w = 800 - x1, h = 600 - y1;
    const long long ox = (w - 7) >> 1, oy = (h - 13) >> 1;
    EXPECT_EQ(elDraw::DrawRotateTile(static_cast<int>(x1), static_cast<int>(y1), 800, 600, 0, obj, 0, 0, 7, 13), 1);
    const Pixels b = Back();
    long wrong = 0;
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 800; ++x) {
            const long long i = x - x1, j = y - y1;
            wrong += b.at(x, y) != Plain(static_cast<int>(std::llabs(i - ox) % 7),
                                         static_cast<int>(std::llabs(j - oy) % 13));
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(RotatedDraws, ZoomTwoShowsTheWholeObjectTwiceAsLargeCentred) {
    InBothLayouts([&] {
        const int obj = Picture(16, 16);
        EXPECT_EQ(elDraw::DrawRotateZoom(100, 100, 132, 132, 0, 2.0f, obj, 0, 0, 16, 16), 1);
        // Into a rectangle larger still, the picture sits in its middle.
        EXPECT_EQ(elDraw::DrawRotateZoom(200, 100, 240, 140, 0, 2.0f, obj, 0, 0, 16, 16), 1);
        const Pixels b = Back();
        for (int j = 0; j < 32; ++j)
            for (int i = 0; i < 32; ++i) {
                ASSERT_EQ(b.at(100 + i, 100 + j), Drawn(i / 2, j / 2)) << i << "," << j;
                ASSERT_EQ(b.at(204 + i, 104 + j), Drawn(i / 2, j / 2)) << i << "," << j;
            }
        // Quotients truncate toward zero: the column just left of the
        // picture also shows source column 0, the one before it nothing.
        EXPECT_EQ(b.at(203, 110), Drawn(0, 3));
        EXPECT_EQ(b.at(202, 110), kBack);
        EXPECT_EQ(b.at(236, 110), kBack);
    });
}

// The zoomed mapping written out from its rules: rows start at U, V and step
// by -S, +C, columns by +C, +S; the quotient by 360 less the centring
// offset, divided by the zoom and truncated, is the source pixel. The plain
// zoom centres the scaled source (offset (W - trunc(sw * zoom)) >> 1), the
// tiled one the unscaled source ((W - sw) >> 1) and mirrors at the origin.
void ExpectZoomedMapping(const Pixels& b, int x1, int y1, int w, int h, int angle, float zoom, bool tile,
                         int sw, int sh) {
    const std::int64_t s = SinTable[angle], c = SinTable[angle + 90];
    const std::int64_t hw = w >> 1, hh = h >> 1;
    const std::int64_t ox = tile ? (w - sw) >> 1 : (w - static_cast<std::int64_t>(sw * static_cast<double>(zoom))) >> 1;
    const std::int64_t oy = tile ? (h - sh) >> 1 : (h - static_cast<std::int64_t>(sh * static_cast<double>(zoom))) >> 1;
    std::int64_t rowU = 360 * hw - hw * c + hh * s, rowV = 360 * hh - hw * s - hh * c;
    long wrong = 0, drawn = 0;
    for (int j = 0; j < h; ++j, rowU -= s, rowV += c) {
        std::int64_t u = rowU, v = rowV;
        for (int i = 0; i < w; ++i, u += c, v += s) {
            auto su = static_cast<std::int64_t>(static_cast<double>(u / 360 - ox) / zoom);
            auto sv = static_cast<std::int64_t>(static_cast<double>(v / 360 - oy) / zoom);
            if (tile) {
                su = std::llabs(su) % sw;
                sv = std::llabs(sv) % sh;
            }
            const bool inside = su >= 0 && su < sw && sv >= 0 && sv < sh;
            const std::uint16_t p = inside ? test::PicturePixel(static_cast<int>(su), static_cast<int>(sv), true) : 0;
            const std::uint16_t want = p ? p : kBack;
            drawn += p != 0;
            if (b.at(x1 + i, y1 + j) != want && ++wrong <= 3)
                ADD_FAILURE() << "angle " << angle << " zoom " << zoom << " " << w << "x" << h << " at " << i << ","
                              << j;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(drawn, 0);
}

TEST_F(RotatedDraws, ZoomedMappingsCentreExactlyAtEveryOddAndEvenSize) {
    // Sizes where the centring offsets differ by the order of halving and
    // truncating: even and odd rectangles, scaled sources of fractional
    // width, and rectangles smaller than the scaled source (negative offsets
    // shifted arithmetically).
    struct Case {
        int w, h, sw, sh;
        float zoom;
    };
    const int obj = Picture(16, 16);
    const int angles[] = {0, 90, 37, 200, 315};
    for (const Case k : {Case{20, 21, 7, 5, 1.5f}, Case{21, 20, 7, 9, 1.6f}, Case{8, 7, 7, 5, 1.5f},
                         Case{9, 6, 5, 7, 2.25f}, Case{30, 26, 11, 13, 0.75f}}) {
        // Each angle in a column of its own: the plain zoom above, the tiled one below.
        test::FillSurface(elDraw::BackSurface, kBack);
        for (int a = 0; a < 5; ++a) {
            const int x = 100 + 50 * a;
            EXPECT_EQ(elDraw::DrawRotateZoom(x, 100, x + k.w, 100 + k.h, angles[a], k.zoom, obj, 0, 0, k.sw, k.sh), 1);
            EXPECT_EQ(elDraw::DrawRotateZoomTile(x, 200, x + k.w, 200 + k.h, angles[a], k.zoom, obj, 0, 0, k.sw, k.sh),
                      1);
        }
        const Pixels b = Back();
        for (int a = 0; a < 5; ++a) {
            const int x = 100 + 50 * a;
            ExpectZoomedMapping(b, x, 100, k.w, k.h, angles[a], k.zoom, false, k.sw, k.sh);
            ExpectZoomedMapping(b, x, 200, k.w, k.h, angles[a], k.zoom, true, k.sw, k.sh);
            EXPECT_EQ(b.at(x - 1, 100 + k.h / 2), kBack);
            EXPECT_EQ(b.at(x + k.w, 100 + k.h / 2), kBack);
        }
    }
}

TEST_F(RotatedDraws, FloorZoomsGrowRowByRowAndScaleTheChannels) {
    InBothLayouts([&] {
        const int obj = Picture(8, 8, false);
        EXPECT_EQ(elDraw::DrawRotateFloor(100, 100, 116, 116, 0, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                                          1.0f, obj, 0, 0, 8, 8), 1);
        EXPECT_EQ(elDraw::DrawRotateFloor(200, 100, 216, 116, 0, 1.0f, 0.0f, 1.0f, 1.0f, 0.5f, 0.0f,
                                          2.0f /* kept to 1 */, obj, 0, 0, 8, 8), 1);
        const Pixels b = Back();
        // Row j has y zoom 1 + j; offsets 4: source row |trunc((j - 4) / (1 + j))| mod 8.
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < 16; ++i) {
                const int sv = std::abs(static_cast<int>((j - 4) / (1.0 + j))) % 8;
                const Channels c = Split(Plain(std::abs(i - 4) % 8, sv));
                ASSERT_EQ(b.at(100 + i, 100 + j), elDraw::Pack5(c.r, c.g, c.b)) << i << "," << j;
                ASSERT_EQ(b.at(200 + i, 100 + j), elDraw::Pack5(c.r / 2, 0, c.b)) << i << "," << j;
            }
    });
}

TEST_F(RotatedDraws, RippleWithoutAmplitudeMovesSamplesByScaleAndShear) {
    InBothLayouts([&] {
        const int obj = Picture(10, 8);  // holes of 0 are copied too
        EXPECT_EQ(elDraw::DrawRipple(100, 100, 0, 7, 2, 1.5f, 0.5f, obj, 0, 0, 10, 8), 1);
        const Pixels b = Back();
        Pixels want = b;
        std::fill(want.p.begin(), want.p.end(), kBack);
        for (int yy = 0; yy < 8; yy += 2)
            for (int xx = 0; xx < 10; xx += 2)
                want.at(100 + static_cast<int>((xx + yy * 0.5) * 1.5),
                        100 + static_cast<int>(yy * 1.5)) = Src(xx, yy);
        EXPECT_TRUE(b.p == want.p);
        EXPECT_EQ(b.at(100, 100), 0);  // the hole at (0, 0)
    });
}

// The ripple keeps the wave of its last sample grid and frequency: a draw
// after others with another frequency, step, rectangle or clip gives the
// pixels it gave the first time, and a draw with only the amplitude changed
// moves the samples by that amplitude.
TEST_F(RotatedDraws, RippleDrawnAgainAfterOtherRipplesGivesTheSamePixels) {
    const int obj = Picture(40, 30);
    auto draw = [&](int amplitude, int frequency, int step, int right) {
        test::FillSurface(elDraw::BackSurface, kBack);
        EXPECT_EQ(elDraw::DrawRipple(50, 60, amplitude, frequency, step, 1.0f, 0.25f, obj, 0, 0, right, 30), 1);
        return Back();
    };
    const Pixels first = draw(9, 5, 1, 40);
    const Pixels otherAmplitude = draw(3, 5, 1, 40);
    EXPECT_FALSE(first.p == otherAmplitude.p);
    draw(9, 5, 2, 40);
    draw(9, 5, 1, 33);
    elDraw::SetClip(60, 0, 800, 600);
    draw(9, 5, 1, 40);
    elDraw::SetClip(0, 0, 800, 600);
    EXPECT_TRUE(draw(3, 5, 1, 40).p == otherAmplitude.p);
    draw(9, 11, 1, 40);
    EXPECT_TRUE(draw(9, 5, 1, 40).p == first.p);
}

// The ripple against its formula sample by sample, written out here: sample
// counts odd and even (the moves are worked out two at a time), scales and
// shears that push samples off the screen or past 32 bits, negative and
// not-a-number ones, and every step from 1 to 3.
TEST_F(RotatedDraws, RippleMatchesItsFormulaOnRandomDraws) {
    const int w = 23, h = 17;
    const int obj = Picture(w, h);
    std::uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    // 1.1e8 and 2.2e8 take some samples of a row past 32 bits and leave
    // their neighbours within.
    const float scales[] = {1.0f, 1.5f, -2.0f, 3.0e9f, 1.1e8f, 2.2e8f, std::numeric_limits<float>::quiet_NaN()};
    for (int round = 0; round < 90; ++round) {
        const int x = 200 + static_cast<int>(next() % 200), y = 150 + static_cast<int>(next() % 200);
        const int amplitude = static_cast<int>(next() % 101) - 50, frequency = static_cast<int>(next() % 21);
        const int step = 1 + static_cast<int>(next() % 3);
        const int right = 1 + static_cast<int>(next() % w), bottom = 1 + static_cast<int>(next() % h);
        const float scale = round % 3 == 0 ? scales[next() % 7] : 0.25f + static_cast<float>(next() % 300) / 100.0f;
        const float shear = round % 7 == 0 ? 1.0e9f : static_cast<float>(next() % 200) / 100.0f - 1.0f;
        test::FillSurface(elDraw::BackSurface, kBack);
        Pixels want = Back();
        const double s = scale, g = shear;
        for (int yy = 0; yy < bottom; yy += step)
            for (int xx = 0; xx < right; xx += step) {
                const float Y = static_cast<float>(2.0 / bottom * yy - 1.0);
                const float X = static_cast<float>(2.0 / right * xx - 1.0);
                const float E = std::exp(Y * Y - X * X), R = std::sqrt(X * X + Y * Y);
                const double wave = std::cos(static_cast<double>(R * static_cast<float>(frequency))) * E;
                const float Q = static_cast<float>((wave + 1.0) * amplitude / 2.0 + yy);
                const double vx = (xx + yy * g) * s, vy = static_cast<double>(Q) * s;
                if (!(std::fabs(vx) < 2147483648.0) || !(std::fabs(vy) < 2147483648.0)) continue;
                const std::int64_t tx = x + static_cast<std::int64_t>(vx), ty = y + static_cast<std::int64_t>(vy);
                if (tx < 0 || tx >= 800 || ty < 0 || ty >= 600) continue;
                want.at(static_cast<int>(tx), static_cast<int>(ty)) = Src(xx, yy);
            }
        ASSERT_EQ(elDraw::DrawRipple(x, y, amplitude, frequency, step, scale, shear, obj, 0, 0, right, bottom), 1);
        ASSERT_TRUE(Back().p == want.p) << "round " << round;
    }
}

TEST_F(RotatedDraws, CutDrawsShowTheSamePixelsAsWholeOnesInsideTheClip) {
    const int obj = Picture(48, 40);
    using Draw = std::function<int()>;
    const std::vector<std::pair<std::string, Draw>> draws = {
        {"rotate", [&] { return elDraw::DrawRotate(100, 80, 190, 170, 37, obj, 0, 0, 48, 40); }},
        {"tile", [&] { return elDraw::DrawRotateTile(100, 80, 190, 170, 200, obj, 2, 3, 45, 38); }},
        {"zoom", [&] { return elDraw::DrawRotateZoom(100, 80, 190, 170, 311, 1.7f, obj, 0, 0, 48, 40); }},
        {"zoom tile", [&] { return elDraw::DrawRotateZoomTile(100, 80, 190, 170, 15, 0.6f, obj, 0, 0, 48, 40); }},
        {"floor", [&] {
             return elDraw::DrawRotateFloor(100, 80, 190, 170, 355, 0.5f, 0.01f, 0.25f, 0.03f, 1.0f,
                                            0.7f, 0.4f, obj, 0, 0, 48, 40);
         }},
    };
    const std::vector<RECT> clips = {{120, 0, 800, 600}, {0, 100, 800, 600}, {0, 0, 150, 600},
                                     {0, 0, 800, 130}, {130, 110, 160, 140}};
    for (const auto& [name, draw] : draws) {
        test::FillSurface(elDraw::BackSurface, kBack);
        EXPECT_EQ(draw(), 1);
        const Pixels whole = Back();
        for (const RECT& clip : clips) {
            SCOPED_TRACE(name + " clipped at " + std::to_string(clip.left) + "," + std::to_string(clip.top));
            test::FillSurface(elDraw::BackSurface, kBack);
            elDraw::SetClip(clip.left, clip.top, clip.right, clip.bottom);
            EXPECT_EQ(draw(), 1);
            elDraw::SetClip(0, 0, 800, 600);
            const Pixels cut = Back();
            long wrong = 0, shown = 0;
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < 800; ++x) {
                    const bool in = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                    const std::uint16_t want = in ? whole.at(x, y) : kBack;
                    wrong += cut.at(x, y) != want;
                    shown += in && cut.at(x, y) != kBack;
                }
            EXPECT_EQ(wrong, 0);
            EXPECT_GT(shown, 0);
        }
    }
}

// Rectangles partly outside the surface, a clip rectangle larger than it and
// source rectangles reaching outside the object: only pixels that exist are
// read or written (the sanitizer build catches any other access).
TEST_F(RotatedDraws, DrawsAtEveryEdgeStayInsideBothSurfaces) {
    const int obj = Picture(20, 20);
    struct Rect { int x1, y1, x2, y2; };
    const std::vector<Rect> rects = {{-30, 100, 30, 160}, {100, -25, 150, 25}, {770, 300, 840, 350},
                                     {400, 580, 450, 650}, {-40, -40, 840, 640},
                                     {-2000000000, -2000000000, 2000000000, 2000000000}};
    for (RECT clip : {RECT{0, 0, 800, 600}, RECT{-100, -100, 1000, 900}}) {
        for (const Rect& r : rects) {
            ClipRect = clip;
            SCOPED_TRACE(std::to_string(r.x1) + "," + std::to_string(r.y1));
            EXPECT_EQ(elDraw::DrawRotate(r.x1, r.y1, r.x2, r.y2, 33, obj, -5, -5, 30, 30), 1);
            EXPECT_EQ(elDraw::DrawRotateTile(r.x1, r.y1, r.x2, r.y2, 123, obj, 5, 5, 40, 40), 1);
            EXPECT_EQ(elDraw::DrawRotateZoom(r.x1, r.y1, r.x2, r.y2, 250, 0.3f, obj, 0, 0, 20, 20), 1);
            EXPECT_EQ(elDraw::DrawRotateZoomTile(r.x1, r.y1, r.x2, r.y2, 80, 1e-30f, obj, 0, 0, 20, 20), 1);
            EXPECT_EQ(elDraw::DrawRotateFloor(r.x1, r.y1, r.x2, r.y2, 10, 1, -0.1f, 1, 0.5f, 1, 1, 1, obj,
                                              -10, 0, 20, 30), 1);
            EXPECT_EQ(elDraw::DrawRipple(r.x1, r.y1, 40, 3, 1, 3.0f, 2.0f, obj, -3, -3, 25, 25), 1);
        }
    }
    // With the clip as large, a draw gives what the surface-sized clip gives.
    elDraw::SetClip(0, 0, 800, 600);
    test::FillSurface(elDraw::BackSurface, kBack);
    EXPECT_EQ(elDraw::DrawRotateTile(-30, -30, 830, 630, 123, obj, 0, 0, 20, 20), 1);
    const Pixels plain = Back();
    ClipRect = {-100, -100, 1000, 900};
    test::FillSurface(elDraw::BackSurface, kBack);
    EXPECT_EQ(elDraw::DrawRotateTile(-30, -30, 830, 630, 123, obj, 0, 0, 20, 20), 1);
    EXPECT_TRUE(Back().p == plain.p);
    // A source rectangle reaching outside the object draws only what exists.
    elDraw::SetClip(0, 0, 800, 600);
    test::FillSurface(elDraw::BackSurface, kBack);
    EXPECT_EQ(elDraw::DrawRotate(200, 200, 225, 225, 0, obj, -5, -5, 20, 20), 1);
    EXPECT_EQ(Back().at(204, 210), kBack);
    EXPECT_EQ(Back().at(206, 206), Drawn(1, 1));
}

TEST_F(RotatedDraws, EmptyRectanglesZeroZoomsAndStepsDrawNothing) {
    const int obj = Picture(20, 20);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Pixels before = Back();
    EXPECT_EQ(elDraw::DrawRotate(100, 100, 100, 150, 10, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRotate(100, 100, 150, 90, 10, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRotateTile(100, 100, 150, 150, 10, obj, 0, 0, 0, 20), 1);
    EXPECT_EQ(elDraw::DrawRotateTile(100, 100, 150, 150, 10, obj, 0, 5, 20, 2), 1);
    EXPECT_EQ(elDraw::DrawRotateZoom(100, 100, 150, 150, 10, 0.0f, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRotateZoom(100, 100, 150, 150, 10, nan, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRotateZoomTile(100, 100, 150, 150, 10, -0.0f, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRotateFloor(100, 100, 150, 150, 10, 0.0f, 0.0f, 1, 0, 1, 1, 1, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRipple(100, 100, 5, 5, 0, 1, 0, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRipple(100, 100, 5, 5, -3, 1, 0, obj, 0, 0, 20, 20), 1);
    // Cut to nothing before the wave is normalised: at the clip's right
    // edge, and with the source's left moved onto its right.
    EXPECT_EQ(elDraw::DrawRipple(800, 100, 5, 5, 1, 1, 0, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRipple(-20, 100, 5, 5, 1, 1, 0, obj, 0, 0, 20, 20), 1);
    EXPECT_TRUE(Back().p == before.p);
}

TEST_F(RotatedDraws, FailedLocksReturnZeroUnlessNothingIsVisible) {
    const int obj = Picture(20, 20);
    hl::LoseSurfaces();
    EXPECT_EQ(elDraw::DrawRotate(100, 100, 150, 150, 10, obj, 0, 0, 20, 20), 0);
    EXPECT_EQ(elDraw::DrawRipple(100, 100, 5, 5, 1, 1, 0, obj, 0, 0, 20, 20), 0);
    EXPECT_EQ(elDraw::DrawRotateTile(900, 100, 950, 150, 10, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRotateZoom(100, -80, 150, -30, 10, 1, obj, 0, 0, 20, 20), 1);
    EXPECT_EQ(elDraw::DrawRotate(100, 100, 150, 150, 10, 700, 0, 0, 20, 20), 0);
    // Only the back surface lost: the object is unlocked again.
    elDraw::Restore();
    hl::LoseSurfaces();
    ASSERT_EQ(ObjectTable[obj].surface->Restore(), DD_OK);
    EXPECT_EQ(elDraw::DrawRotateFloor(100, 100, 150, 150, 10, 1, 0, 1, 0, 1, 1, 1, obj, 0, 0, 20, 20), 0);
    EXPECT_NE(test::PixelAt(ObjectTable[obj].surface, 0, 0), 0xFFFFFFFFu);
}

TEST_F(RotatedDraws, GoldenImages) {
    struct Golden { const char* name; std::function<int(int)> run; };
    const std::vector<Golden> goldens = {
        {"effect_rotate", [](int o) { return elDraw::DrawRotate(16, 8, 112, 88, 30, o, 0, 0, 64, 48); }},
        {"effect_rotate_tile", [](int o) { return elDraw::DrawRotateTile(16, 8, 112, 88, 30, o, 0, 0, 64, 48); }},
        {"effect_rotate_zoom", [](int o) { return elDraw::DrawRotateZoom(8, 4, 120, 92, 300, 1.5f, o, 0, 0, 64, 48); }},
        {"effect_rotate_zoom_tile", [](int o) { return elDraw::DrawRotateZoomTile(8, 4, 120, 92, 45, 0.75f, o, 0, 0, 64, 48); }},
        {"effect_rotate_floor", [](int o) {
             return elDraw::DrawRotateFloor(0, 30, 128, 96, 20, 1.0f, 0.02f, 0.5f, 0.05f, 1.0f, 0.8f, 0.6f,
                                            o, 0, 0, 64, 48);
         }},
        {"effect_ripple", [](int o) { return elDraw::DrawRipple(30, 20, 6, 10, 1, 1.0f, 0.2f, o, 0, 0, 64, 48); }},
    };
    const int obj = Picture(64, 48);
    for (const Golden& g : goldens) {
        SCOPED_TRACE(g.name);
        test::PaintPicture(elDraw::BackSurface, 0, 0, 128, 96, false);
        EXPECT_EQ(g.run(obj), 1);
        EXPECT_EQ(test::CompareBackWithGolden(g.name, 0, 0, 128, 96), 0);
    }
}

}  // namespace
