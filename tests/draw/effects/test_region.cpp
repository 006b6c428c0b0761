// Effects that rework a region of the back surface in place, in 5:6:5 and
// 5:5:5: the rise and its noise-driven run counter (also across calls), the
// in-place blur order, the magnifications through the Buffer, the mosaic
// circle and the noise; regions cut at every surface edge; golden images.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>
#include <functional>
#include <string>
#include <vector>

#include "platform/portable/headless_display.h"
#include "support/effect_surfaces.h"
#include "system/random.h"

using namespace plat;
namespace hl = plat::headless;
using test::Channels;
using test::Pixels;
using test::Split;

namespace {

class RegionEffects : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        Prepare();
    }
    // A fixed noise table and every cursor and counter at its start, so the
    // results do not depend on the random generator.
    void Prepare() {
        for (int i = 0; i < 10000; ++i) NoiseTable[i] = static_cast<std::uint8_t>(i % 3);
        ResetNoise();
        test::FillSurface(elDraw::BackSurface, 0);
    }
    static void ResetNoise() {
        elSystem::SeedRandom(1);  // a cursor that passes the last entry restarts at rand() % 1000
        elDraw::RiseNoise = elDraw::RiseFadeNoise = elDraw::ScreenNoiseCursor =
            elDraw::ScreenNoiseRGBCursor = elDraw::NoiseCursor{};
        elDraw::RiseRunCounter = elDraw::RiseFadeRunCounter = 0;
    }
    void Reopen(DisplayFormat format) {
        SetDisplayFormat(format);
        ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
        Prepare();
    }
    // Runs the check once in 5:6:5 and once in 5:5:5.
    void InBothLayouts(const std::function<void()>& check) {
        for (DisplayFormat f : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
            SCOPED_TRACE(f == DisplayFormat::Rgb565 ? "5:6:5" : "5:5:5");
            Reopen(f);
            check();
        }
    }
    Pixels Back() { return test::ReadPixels(elDraw::BackSurface); }
    void SetBack(const Pixels& p) { test::WritePixels(elDraw::BackSurface, p); }
    static std::uint16_t P(unsigned r, unsigned g, unsigned b) { return elDraw::Pack5(r, g, b); }
};

// Every pixel of `after` equals `before` except those listed as changed.
void ExpectOnlyChanged(const Pixels& before, const Pixels& after,
                       const std::function<bool(int, int)>& mayChange) {
    long unexpected = 0;
    for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x)
            if (!mayChange(x, y) && before.at(x, y) != after.at(x, y)) ++unexpected;
    EXPECT_EQ(unexpected, 0);
}

TEST_F(RegionEffects, RiseOfThreeRowsWritesRowOneFromRowTwoAndTheRowBelow) {
    InBothLayouts([&] {
        std::fill(NoiseTable, NoiseTable + 10000, 2);  // smooth one, copy the next
        Pixels p = Back();
        for (int x = 10; x < 15; ++x) {
            p.at(x, 20) = P(1, 1, 1);   // row 0 of the region: not read
            p.at(x, 21) = P(8, 0, 0);   // row 1: the upper neighbour
            p.at(x, 22) = P(0, 12, 4);  // row 2: left, right and the copied pixel
            p.at(x, 23) = P(0, 0, 16);  // row 3, below the region
        }
        p.at(11, 22) = P(31, 31, 31);
        SetBack(p);
        EXPECT_EQ(elDraw::ScreenRise(10, 20, 5, 3), 1);
        Pixels after = Back();
        // Column 11: averaged: (8 + 0 + 0 + 0) / 4 red, (12 + 12 + 0) / 4 green...
        EXPECT_EQ(Split(after.at(11, 21)), (Channels{2, 6, 6}));
        // Column 12: copied from below, the run counter restarted.
        EXPECT_EQ(after.at(12, 21), P(0, 12, 4));
        // Column 13: averaged again; the white pixel itself was never used.
        EXPECT_EQ(Split(after.at(13, 21)), (Channels{2, 6, 6}));
        ExpectOnlyChanged(p, after, [](int x, int y) { return y == 21 && x >= 11 && x <= 13; });
        EXPECT_EQ(elDraw::RiseRunCounter, 1);
        EXPECT_EQ(elDraw::RiseNoise.index, 1);
    });
}

TEST_F(RegionEffects, RiseCarriesItsRunCounterAndCursorIntoTheNextCall) {
    InBothLayouts([&] {
        std::fill(NoiseTable, NoiseTable + 10000, 2);
        NoiseTable[1] = 0;  // the second entry copies at once
        Pixels p = Back();
        p.at(1, 1) = P(4, 0, 0);   // above
        p.at(1, 2) = P(0, 9, 0);   // the visited pixel, copied
        p.at(1, 3) = P(0, 0, 20);  // below
        SetBack(p);
        // One visit per call: average, then copy (counter reaches 2), then
        // copy at once on the zero entry, then average again.
        EXPECT_EQ(elDraw::ScreenRise(0, 0, 3, 3), 1);
        EXPECT_EQ(Split(Back().at(1, 1)), (Channels{1, 0, 5}));
        SetBack(p);
        EXPECT_EQ(elDraw::ScreenRise(0, 0, 3, 3), 1);
        EXPECT_EQ(Back().at(1, 1), P(0, 9, 0));
        EXPECT_EQ(elDraw::RiseNoise.index, 1);
        SetBack(p);
        EXPECT_EQ(elDraw::ScreenRise(0, 0, 3, 3), 1);
        EXPECT_EQ(Back().at(1, 1), P(0, 9, 0));
        EXPECT_EQ(elDraw::RiseNoise.index, 2);
        SetBack(p);
        EXPECT_EQ(elDraw::ScreenRise(0, 0, 3, 3), 1);
        EXPECT_EQ(Split(Back().at(1, 1)), (Channels{1, 0, 5}));
        // The fading rise keeps a counter and cursor of its own.
        EXPECT_EQ(elDraw::RiseFadeRunCounter, 0);
        EXPECT_EQ(elDraw::RiseFadeNoise.index, 0);
    });
}

TEST_F(RegionEffects, RiseCursorRestartsAtARandomEntryAfterTheLast) {
    std::fill(NoiseTable, NoiseTable + 10000, 0);  // every visit copies and advances
    elDraw::RiseNoise.index = 9998;
    elSystem::SeedRandom(77);
    const int expected = elSystem::Random() % 1000;
    elSystem::SeedRandom(77);
    EXPECT_EQ(elDraw::ScreenRise(100, 100, 4, 3), 1);  // two visits
    EXPECT_EQ(elDraw::RiseNoise.index, expected);
}

TEST_F(RegionEffects, NarrowOrFlatRegionsAndEmptyOnesChangeNothing) {
    InBothLayouts([&] {
        test::PaintPicture(elDraw::BackSurface, 0, 0, 128, 96, false);
        const Pixels before = Back();
        for (auto [w, h] : std::vector<std::pair<int, int>>{{2, 50}, {50, 2}, {0, 50}, {50, 0},
                                                            {-5, 50}, {50, -1}, {1, 1}}) {
            EXPECT_EQ(elDraw::ScreenRise(10, 10, w, h), 1);
            EXPECT_EQ(elDraw::ScreenRiseFade(1, 1, 1, 10, 10, w, h), 1);
            EXPECT_EQ(elDraw::ScreenBlur(10, 10, w, h), 1);
            EXPECT_EQ(elDraw::ScreenBlurFade(1, 1, 1, 10, 10, w, h), 1);
            if (w <= 0 || h <= 0) {
                EXPECT_EQ(elDraw::ScreenNoise(3, 10, 10, w, h), 1);
                EXPECT_EQ(elDraw::ScreenZoom2(10, 10, w, h, 0), 1);
                EXPECT_EQ(elDraw::ScreenZoom4(10, 10, w, h, 1), 1);
            }
        }
        EXPECT_EQ(elDraw::ScreenMosaicCircle(60, 40, 30, 1), 1);
        EXPECT_EQ(elDraw::ScreenMosaicCircle(60, 40, 0, 4), 1);
        EXPECT_EQ(elDraw::ScreenMosaicCircle(60, 40, -3, 4), 1);
        // A block below 1 would never advance: refused rather than looping.
        EXPECT_EQ(elDraw::ScreenMosaicCircle(60, 40, 30, 0), 1);
        EXPECT_EQ(elDraw::ScreenMosaicCircle(60, 40, 30, -2), 1);
        EXPECT_TRUE(Back().p == before.p);
        EXPECT_EQ(elDraw::ScreenNoiseCursor.index, 0);
    });
}

TEST_F(RegionEffects, RiseFadeLowersSmoothedWhiteToThirtyAndKeepsCopiedWhite) {
    InBothLayouts([&] {
        std::fill(NoiseTable, NoiseTable + 10000, 2);
        const std::uint16_t white = static_cast<std::uint16_t>(PixelFormat.fullMask);
        elDraw::FillBox(0, 0, 40, 40, white);
        EXPECT_EQ(elDraw::ScreenRiseFade(1, 1, 1, 5, 5, 6, 4), 1);
        const Pixels after = Back();
        // Visits alternate smooth, copy along rows 6 and 7.
        for (int j = 6; j <= 7; ++j) {
            for (int x = 6; x <= 9; ++x) {
                const bool smoothed = ((j - 6) * 4 + (x - 6)) % 2 == 0;
                if (smoothed)
                    EXPECT_EQ(Split(after.at(x, j)), (Channels{30, 30, 30})) << x << "," << j;
                else
                    EXPECT_EQ(after.at(x, j), white) << x << "," << j;
            }
        }
        EXPECT_EQ(after.at(5, 6), white);
        EXPECT_EQ(after.at(6, 5), white);
        EXPECT_EQ(after.at(6, 8), white);
    });
}

TEST_F(RegionEffects, BlurSmoothsInPlaceLeftToRightAndTopToBottom) {
    InBothLayouts([&] {
        Pixels p = Back();
        p.at(10, 11) = P(16, 0, 0);
        p.at(12, 10) = P(0, 0, 31);
        SetBack(p);
        EXPECT_EQ(elDraw::ScreenBlur(10, 10, 4, 3), 1);
        const Pixels after = Back();
        // (11, 11) sees the unsmoothed left pixel: 16 / 4 = 4.
        EXPECT_EQ(Split(after.at(11, 11)), (Channels{4, 0, 0}));
        // (12, 11) sees its left neighbour already smoothed (4 / 4 = 1) and
        // the blue pixel above: 31 / 4 = 7.
        EXPECT_EQ(Split(after.at(12, 11)), (Channels{1, 0, 7}));
        ExpectOnlyChanged(p, after, [](int x, int y) { return y == 11 && (x == 11 || x == 12); });

        // The fading blur lowers only the flagged channels of every pixel.
        SetBack(p);
        EXPECT_EQ(elDraw::ScreenBlurFade(1, 0, 1, 10, 10, 4, 3), 1);
        EXPECT_EQ(Split(Back().at(11, 11)), (Channels{3, 0, 0}));
        EXPECT_EQ(Split(Back().at(12, 11)), (Channels{0, 0, 6}));
    });
}

TEST_F(RegionEffects, BlurOfAUniformRegionOnlyDropsTheLowGreenBit) {
    InBothLayouts([&] {
        const bool is565 = PixelFormat.greenMax == 63;
        const std::uint16_t colour = is565 ? 0x8C71 /* 6-bit green 35 */ : 0x4631;
        elDraw::FillBox(0, 0, 30, 30, colour);
        EXPECT_EQ(elDraw::ScreenBlur(2, 2, 20, 20), 1);
        const Pixels after = Back();
        const std::uint16_t smoothed = is565 ? static_cast<std::uint16_t>(colour & ~0x20) : colour;
        EXPECT_EQ(after.at(3, 3), smoothed);
        EXPECT_EQ(after.at(20, 20), smoothed);
        EXPECT_EQ(after.at(2, 3), colour);
        EXPECT_EQ(after.at(21, 20), colour);
    });
}

TEST_F(RegionEffects, Zoom2OfTenByTenGivesTwentyByTwentyUnderTheClip) {
    InBothLayouts([&] {
        test::PaintPicture(elDraw::BackSurface, 0, 0, 10, 10, false);
        const Pixels before = Back();
        elDraw::SetClip(0, 0, 15, 800);
        EXPECT_EQ(elDraw::ScreenZoom2(0, 0, 10, 10, 0), 1);
        const Pixels after = Back();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 15; ++x)
                ASSERT_EQ(after.at(x, y), before.at(x / 2, y / 2)) << x << "," << y;
        for (int y = 0; y < 20; ++y) EXPECT_EQ(after.at(15, y), before.at(15, y));
        EXPECT_EQ(after.at(0, 20), before.at(0, 20));
        elDraw::SetClip(0, 0, 800, 600);
    });
}

TEST_F(RegionEffects, DottedZoomsKeepWhatTheBufferHeldBetweenTheDots) {
    InBothLayouts([&] {
        test::PaintPicture(elDraw::BackSurface, 0, 0, 40, 40, false);
        const Pixels before = Back();
        // A plain 4x zoom of one region leaves its blocks in the Buffer...
        EXPECT_EQ(elDraw::ScreenZoom4(0, 0, 8, 8, 0), 1);
        test::PaintPicture(elDraw::BackSurface, 0, 0, 40, 40, false);
        // ...and a dotted one of another region writes 2 x 2 dots over them.
        EXPECT_EQ(elDraw::ScreenZoom4(20, 20, 8, 8, 1), 1);
        const Pixels after = Back();
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool dot = x % 4 < 2 && y % 4 < 2;
                const std::uint16_t want = dot ? before.at(20 + x / 4, 20 + y / 4) : before.at(x / 4, y / 4);
                ASSERT_EQ(after.at(20 + x, 20 + y), want) << x << "," << y;
            }
        // The same for the 2x zoom with one pixel per block.
        test::PaintPicture(elDraw::BackSurface, 0, 0, 40, 40, false);
        EXPECT_EQ(elDraw::ScreenZoom2(0, 0, 6, 6, 0), 1);
        test::PaintPicture(elDraw::BackSurface, 0, 0, 40, 40, false);
        EXPECT_EQ(elDraw::ScreenZoom2(1, 30, 6, 6, 1), 1);
        const Pixels after2 = Back();
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool dot = x % 2 == 0 && y % 2 == 0;
                const std::uint16_t want = dot ? before.at(1 + x / 2, 30 + y / 2) : before.at(x / 2, y / 2);
                ASSERT_EQ(after2.at(1 + x, 30 + y), want) << x << "," << y;
            }
    });
}

TEST_F(RegionEffects, ZoomsCutAtEveryEdgeShowTheSamePixelsAsTheWholeRegion) {
    InBothLayouts([&] {
        test::PaintPicture(elDraw::BackSurface, 0, 0, 800, 600, false);
        const Pixels picture = Back();
        struct Case { int x, y, w, h, factor; };
        for (Case c : {Case{-6, 40, 20, 10, 2}, Case{40, -7, 10, 20, 4}, Case{790, 300, 30, 10, 2},
                       Case{300, 595, 10, 30, 4}, Case{-3, -3, 900, 700, 2}, Case{-2000000000, 0, 5, 5, 2},
                       Case{0, 0, 2000000000, 2000000000, 4}}) {
            SCOPED_TRACE(c.x);
            SetBack(picture);
            if (c.factor == 2) EXPECT_EQ(elDraw::ScreenZoom2(c.x, c.y, c.w, c.h, 0), 1);
            else EXPECT_EQ(elDraw::ScreenZoom4(c.x, c.y, c.w, c.h, 0), 1);
            const Pixels after = Back();
            // A back pixel inside the zoomed picture shows its source pixel
            // when that exists; every other pixel is unchanged.
            long wrong = 0;
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < 800; ++x) {
                    const long long i = (x - static_cast<long long>(c.x)) / c.factor;
                    const long long j = (y - static_cast<long long>(c.y)) / c.factor;
                    const long long sx = c.x + i, sy = c.y + j;
                    const bool inside = x >= c.x && y >= c.y && i < c.w && j < c.h;
                    std::uint16_t want = picture.at(x, y);
                    if (inside && sx >= 0 && sx < 800 && sy >= 0 && sy < 600 &&
                        c.factor * (i + 1) <= 800 && c.factor * (j + 1) <= 600)
                        want = picture.at(static_cast<int>(sx), static_cast<int>(sy));
                    if (after.at(x, y) != want) ++wrong;
                }
            EXPECT_EQ(wrong, 0);
        }
    });
}

TEST_F(RegionEffects, MosaicFillsBlocksInsideTheCircleFromTheirCorner) {
    InBothLayouts([&] {
        test::PaintPicture(elDraw::BackSurface, 0, 0, 128, 96, false);
        const Pixels before = Back();
        EXPECT_EQ(elDraw::ScreenMosaicCircle(50, 40, 10, 4), 1);
        const Pixels after = Back();
        for (int y = 25; y < 55; ++y)
            for (int x = 35; x < 65; ++x) {
                const int dx = x - 50, dy = y - 40;
                const bool inCircle = dx >= -10 && dx < 10 && dy >= -10 && dy < 10 &&
                                      static_cast<int>(std::sqrt(dx * dx + dy * dy)) < 10;
                const int bx = 40 + ((dx + 10) / 4) * 4, by = 30 + ((dy + 10) / 4) * 4;
                const std::uint16_t want = inCircle ? before.at(bx, by) : before.at(x, y);
                ASSERT_EQ(after.at(x, y), want) << x << "," << y;
            }
    });
}

TEST_F(RegionEffects, MosaicNearTheEdgesStartsItsBlocksAtTheEdge) {
    test::PaintPicture(elDraw::BackSurface, 0, 0, 800, 600, false);
    const Pixels before = Back();
    // Centre at (2, 598): blocks start at column 0 and the bottom block is cut.
    EXPECT_EQ(elDraw::ScreenMosaicCircle(2, 597, 10, 4), 1);
    const Pixels after = Back();
    EXPECT_EQ(after.at(3, 598), before.at(0, 595));
    EXPECT_EQ(after.at(5, 599), before.at(4, 599));
    EXPECT_EQ(after.at(1, 592), before.at(0, 591));
    EXPECT_EQ(after.at(13, 597), before.at(13, 597));
    // Centres off the screen and huge radii stay inside the surface.
    for (auto [cx, cy, r] : std::vector<std::tuple<int, int, int>>{
             {-5, 300, 20}, {805, 300, 20}, {400, -30, 40}, {400, 620, 40}, {400, 300, 2000000000},
             {-2000000000, 0, 2000000000}})
        EXPECT_EQ(elDraw::ScreenMosaicCircle(cx, cy, r, 7), 1);
}

// The mosaic against its rule pixel by pixel: every block inside the cut
// takes the colour its top-left pixel had, wherever trunc(sqrt(dx^2 + dy^2))
// of the pixel is below the radius. Centres near and past every edge, radii
// whose rim crosses blocks, tiny and huge blocks.
TEST_F(RegionEffects, MosaicMatchesItsRuleOnRandomCircles) {
    test::PaintPicture(elDraw::BackSurface, 0, 0, 800, 600, false);
    std::uint64_t state = 7;
    auto below = [&state](int n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
    };
    for (int round = 0; round < 40; ++round) {
        const int cx = below(1000) - 100, cy = below(800) - 100;
        const int radius = round % 10 == 9 ? 400 + below(400) : 1 + below(120);
        const int block = round % 7 == 6 ? 32 + below(600) : 1 + below(12);
        Pixels want = Back();
        const Pixels before = want;
        const std::int64_t r = radius;
        for (std::int64_t dy = std::max<std::int64_t>(-r, -cy); dy < std::min<std::int64_t>(r, 600 - cy); dy += block)
            for (std::int64_t dx = std::max<std::int64_t>(-r, -cx); dx < std::min<std::int64_t>(r, 800 - cx);
                 dx += block)
                for (std::int64_t y = cy + dy; y < std::min<std::int64_t>(cy + dy + block, 600); ++y)
                    for (std::int64_t x = cx + dx; x < std::min<std::int64_t>(cx + dx + block, 800); ++x) {
                        const std::int64_t ox = x - cx, oy = y - cy;
                        if (static_cast<std::int64_t>(std::sqrt(static_cast<double>(ox * ox + oy * oy))) < r)
                            want.at(static_cast<int>(x), static_cast<int>(y)) =
                                before.at(static_cast<int>(cx + dx), static_cast<int>(cy + dy));
                    }
        ASSERT_EQ(elDraw::ScreenMosaicCircle(cx, cy, radius, block), 1);
        ASSERT_EQ(Back().p, want.p) << "centre " << cx << "," << cy << " radius " << radius << " block " << block;
    }
    // Centres and radii at the ends of int: nothing of the screen is inside.
    const Pixels still = Back();
    EXPECT_EQ(elDraw::ScreenMosaicCircle(INT32_MAX, INT32_MAX, INT32_MAX, 1), 1);
    EXPECT_EQ(elDraw::ScreenMosaicCircle(INT32_MIN + 1, INT32_MIN + 1, INT32_MAX, 3), 1);
    EXPECT_EQ(Back().p, still.p);
}

TEST_F(RegionEffects, NoiseWithShiftThreeAddsZeroEightOrSixteenSaturating) {
    InBothLayouts([&] {
        elDraw::FillBox(0, 0, 20, 4, P(20, 10, 0));
        EXPECT_EQ(elDraw::ScreenNoise(3, 0, 0, 6, 1), 1);  // noise 0, 1, 2, 0, 1, 2
        const Pixels after = Back();
        EXPECT_EQ(Split(after.at(0, 0)), (Channels{20, 10, 0}));
        EXPECT_EQ(Split(after.at(1, 0)), (Channels{28, 18, 8}));
        EXPECT_EQ(Split(after.at(2, 0)), (Channels{31, 26, 16}));
        EXPECT_EQ(after.at(6, 0), P(20, 10, 0));
        // The cursor goes on where the last call ended: entry 6 is 0.
        EXPECT_EQ(elDraw::ScreenNoise(3, 0, 1, 2, 1), 1);
        EXPECT_EQ(Split(Back().at(0, 1)), (Channels{20, 10, 0}));
        EXPECT_EQ(Split(Back().at(1, 1)), (Channels{28, 18, 8}));
        // Only the flagged channels, with a cursor of its own.
        EXPECT_EQ(elDraw::ScreenNoiseRGB(0, 1, 0, 0, 0, 2, 3, 1), 1);
        const Pixels rgb = Back();
        EXPECT_EQ(Split(rgb.at(0, 2)), (Channels{20, 10, 0}));
        EXPECT_EQ(Split(rgb.at(1, 2)), (Channels{20, 11, 0}));
        EXPECT_EQ(Split(rgb.at(2, 2)), (Channels{20, 12, 0}));
        EXPECT_EQ(elDraw::ScreenNoiseRGBCursor.index, 3);
        EXPECT_EQ(elDraw::ScreenNoiseCursor.index, 8);
        // Shifts beyond the channel saturate, negative ones add the values.
        EXPECT_EQ(elDraw::ScreenNoise(40, 0, 3, 3, 1), 1);  // entries 8-10: 2, 0, 1
        EXPECT_EQ(Split(Back().at(0, 3)), (Channels{31, 31, 31}));
        EXPECT_EQ(Split(Back().at(1, 3)), (Channels{20, 10, 0}));
        EXPECT_EQ(elDraw::ScreenNoise(-4, 4, 3, 3, 1), 1);  // entry 11: 2
        EXPECT_EQ(Split(Back().at(4, 3)), (Channels{22, 12, 2}));
    });
}

// Regions partly outside the surface: each runs on the part that exists,
// exactly as if that part had been given, and touches nothing outside it.
TEST_F(RegionEffects, RegionsCutAtEveryEdgeRunOnThePartThatExists) {
    using Effect = std::function<int(int x, int y, int w, int h)>;
    const std::vector<std::pair<std::string, Effect>> effects = {
        {"rise", [](int x, int y, int w, int h) { return elDraw::ScreenRise(x, y, w, h); }},
        {"rise fade", [](int x, int y, int w, int h) { return elDraw::ScreenRiseFade(1, 0, 1, x, y, w, h); }},
        {"blur", [](int x, int y, int w, int h) { return elDraw::ScreenBlur(x, y, w, h); }},
        {"blur fade", [](int x, int y, int w, int h) { return elDraw::ScreenBlurFade(0, 1, 1, x, y, w, h); }},
        {"noise", [](int x, int y, int w, int h) { return elDraw::ScreenNoise(2, x, y, w, h); }},
        {"noise rgb", [](int x, int y, int w, int h) { return elDraw::ScreenNoiseRGB(1, 0, 1, 1, x, y, w, h); }},
    };
    struct Cut { int x, y, w, h; int cx, cy, cw, ch; bool rise; };
    // Given region, the part that exists (for the rises the last row of the
    // surface is the row below, so the part ends one row higher).
    const std::vector<Cut> cuts = {
        {-10, 100, 50, 40, 0, 100, 40, 40, false},
        {700, -15, 60, 50, 700, 0, 60, 35, false},
        {770, 200, 90, 30, 770, 200, 30, 30, false},
        {100, 570, 40, 100, 100, 570, 40, 30, false},
        {100, 570, 40, 100, 100, 570, 40, 29, true},
        {-5, -5, 900, 800, 0, 0, 800, 600, false},
        {-5, -5, 900, 800, 0, 0, 800, 599, true},
        {-2000000000, -2000000000, 2100000000, 2100000000, 0, 0, 800, 600, false},
        {-2000000000, -2000000000, 2100000000, 2100000000, 0, 0, 800, 599, true},
    };
    test::PaintPicture(elDraw::BackSurface, 0, 0, 800, 600, false);
    const Pixels picture = Back();
    for (const auto& [name, effect] : effects) {
        const bool rise = name.rfind("rise", 0) == 0;
        for (const Cut& c : cuts) {
            if (c.rise != rise && (c.cy + c.ch == 600 || c.cy + c.ch == 599)) continue;
            SCOPED_TRACE(name + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
            SetBack(picture);
            ResetNoise();
            EXPECT_EQ(effect(c.x, c.y, c.w, c.h), 1);
            const Pixels cut = Back();
            SetBack(picture);
            ResetNoise();
            EXPECT_EQ(effect(c.cx, c.cy, c.cw, c.ch), 1);
            EXPECT_TRUE(Back().p == cut.p);
            ExpectOnlyChanged(picture, cut, [&](int x, int y) {
                return x >= c.cx && x < c.cx + c.cw && y >= c.cy && y < c.cy + c.ch;
            });
        }
    }
}

TEST_F(RegionEffects, FailedLocksReturnZeroAndLeaveNothingLocked) {
    hl::LoseSurfaces();
    EXPECT_EQ(elDraw::ScreenRise(0, 0, 10, 10), 0);
    EXPECT_EQ(elDraw::ScreenBlur(0, 0, 10, 10), 0);
    EXPECT_EQ(elDraw::ScreenNoise(0, 0, 0, 10, 10), 0);
    EXPECT_EQ(elDraw::ScreenMosaicCircle(5, 5, 5, 2), 0);
    EXPECT_EQ(elDraw::ScreenZoom2(0, 0, 10, 10, 0), 0);
    // Only the back surface lost: the Buffer is unlocked again.
    elDraw::Restore();
    hl::LoseSurfaces();
    ASSERT_EQ(ObjectTable[0].surface->Restore(), DD_OK);
    EXPECT_EQ(elDraw::ScreenZoom4(0, 0, 10, 10, 1), 0);
    EXPECT_NE(test::PixelAt(ObjectTable[0].surface, 0, 0), 0xFFFFFFFFu);
    elDraw::Restore();
    EXPECT_EQ(elDraw::ScreenZoom4(0, 0, 10, 10, 1), 1);
}

// Golden images of every region effect on the fixed picture, so that a
// later speed-up that changes one pixel fails here.
TEST_F(RegionEffects, GoldenImages) {
    struct Golden { const char* name; std::function<int()> run; };
    const std::vector<Golden> goldens = {
        {"effect_rise", [] { for (int i = 0; i < 8; ++i) elDraw::ScreenRise(8, 8, 112, 80); return 1; }},
        {"effect_rise_fade", [] { for (int i = 0; i < 8; ++i) elDraw::ScreenRiseFade(1, 1, 0, 8, 8, 112, 80); return 1; }},
        {"effect_blur", [] { for (int i = 0; i < 4; ++i) elDraw::ScreenBlur(8, 8, 112, 80); return 1; }},
        {"effect_blur_fade", [] { for (int i = 0; i < 4; ++i) elDraw::ScreenBlurFade(0, 1, 1, 8, 8, 112, 80); return 1; }},
        {"effect_zoom2", [] { return elDraw::ScreenZoom2(20, 20, 40, 30, 0); }},
        {"effect_zoom2_dotted", [] { return elDraw::ScreenZoom2(20, 20, 40, 30, 1); }},
        {"effect_zoom4", [] { return elDraw::ScreenZoom4(40, 30, 20, 15, 0); }},
        {"effect_zoom4_dotted", [] { return elDraw::ScreenZoom4(40, 30, 20, 15, 1); }},
        {"effect_mosaic", [] { return elDraw::ScreenMosaicCircle(64, 48, 40, 6); }},
        {"effect_noise", [] { return elDraw::ScreenNoise(2, 8, 8, 112, 80); }},
        {"effect_noise_rgb", [] { return elDraw::ScreenNoiseRGB(1, 0, 1, 3, 8, 8, 112, 80); }},
    };
    for (const Golden& g : goldens) {
        SCOPED_TRACE(g.name);
        Prepare();
        // The Buffer holds a known picture for the dotted zooms.
        test::PaintPicture(ObjectTable[0].surface, 0, 0, 128, 96, true);
        test::PaintPicture(elDraw::BackSurface, 0, 0, 128, 96, false);
        EXPECT_EQ(g.run(), 1);
        EXPECT_EQ(test::CompareBackWithGolden(g.name, 0, 0, 128, 96), 0);
    }
}

}  // namespace
