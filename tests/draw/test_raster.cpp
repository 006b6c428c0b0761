// Raster draws (waves, tiling, row repeats and skips, shake, roll, mirror)
// and the clip wipes that animate ClipRect.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "draw/elDraw.h"
#include "support/draw_support.h"
#include "system/elSystem.h"
#include "system/random.h"

using test::PixelAt;

namespace {

constexpr std::uint32_t kBackground = 0x5555;

// Pixel of the test pattern: never 0 (so never transparent) unless asked.
std::uint32_t Pattern(int x, int y) { return static_cast<std::uint32_t>(1 + x + 100 * y); }

class DrawRaster : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::ResetRasterAnimations();
        elDraw::ClipWipeState = 0;
        FrameDelta = 0.0f;
    }
    void TearDown() override {
        elDraw::ClipWipeState = 0;
        test::DrawTest::TearDown();
    }
    int PatternObject(int w, int h) {
        int slot = elDraw::CreateObject(w, h, 2);
        EXPECT_GT(slot, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) test::SetPixelAt(ObjectTable[slot].surface, x, y, Pattern(x, y));
        return slot;
    }
    std::uint32_t Back(int x, int y) { return PixelAt(elDraw::BackSurface, x, y); }
    // Column at which source pixel (0, row) landed on screen row y, or -1.
    int FindRowStart(int y, int row, int from, int to) {
        for (int x = from; x < to; ++x)
            if (Back(x, y) == Pattern(0, row)) return x;
        return -1;
    }
};

// ---- Wave draws -------------------------------------------------------------------

TEST_F(DrawRaster, WaveWithoutAmplitudeIsAPlainDrawAndTheWobbleFollowsTheCosine) {
    int obj = PatternObject(8, 6);
    elDraw::DrawWave(10, 10, 0, 0, 90.0f, obj, 0, 0, 8, 6, 0);
    elDraw::Draw(100, 10, obj, 0, 0, 8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = -1; x <= 8; ++x) EXPECT_EQ(Back(10 + x, 10 + y), Back(100 + x, 10 + y)) << x << "," << y;

    // Phase 0, divisor 0: row 0 swings by the full amplitude, later rows by
    // trunc(5 cos(r degrees)) = 4.
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWave(100, 50, 5, 0, 0.0f, obj, 0, 0, 8, 6, 0);
    EXPECT_EQ(FindRowStart(50, 0, 90, 120), 105);
    EXPECT_EQ(FindRowStart(53, 3, 90, 120), 104);

    // Alternating: successive rows swing opposite ways.
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWave(100, 50, 5, 0, 0.0f, obj, 0, 0, 8, 4, 1);
    EXPECT_EQ(FindRowStart(50, 0, 90, 120), 105);
    EXPECT_EQ(FindRowStart(51, 1, 90, 120), 96);
    EXPECT_EQ(FindRowStart(52, 2, 90, 120), 104);
    EXPECT_EQ(FindRowStart(53, 3, 90, 120), 96);
    // The sign carries over to the next call (4 rows: back at +1).
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWave(100, 50, 5, 0, 0.0f, obj, 0, 0, 8, 1, 1);
    EXPECT_EQ(FindRowStart(50, 0, 90, 120), 105);

    // A quarter turn of phase puts row 0 at cos(90 degrees) = 0; with a
    // divisor of 2 rows 0 and 1 share an angle.
    FrameDelta = 1.0f;
    elDraw::DrawWave(100, 200, 5, 2, 90.0f, obj, 0, 0, 8, 2, 0);
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWave(100, 50, 5, 2, 0.0f, obj, 0, 0, 8, 2, 0);
    EXPECT_EQ(FindRowStart(50, 0, 90, 120), 100);
    EXPECT_EQ(FindRowStart(51, 1, 90, 120), 100);
    // A phase carried far past a turn (large delta or negative speed) still
    // draws the same wobble as its remainder.
    FrameDelta = 1.0f;
    elDraw::DrawWave(100, 200, 5, 2, -3600.0f, obj, 0, 0, 8, 2, 0);
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWave(100, 50, 5, 2, 0.0f, obj, 0, 0, 8, 2, 0);
    EXPECT_EQ(FindRowStart(50, 0, 90, 120), 100);
}

TEST_F(DrawRaster, WaveScrollAndWaveBandDrawRowsAndSurviveEmptyRectangles) {
    int obj = PatternObject(8, 4);
    // Scroll 0, amplitude 0: source row r lands on y + r (not y + r - sy).
    elDraw::DrawWaveScroll(10, 100, 0, 0, 0.0f, 0.0f, obj, 0, 1, 8, 4);
    EXPECT_EQ(Back(10, 101), Pattern(0, 1));
    EXPECT_EQ(Back(17, 103), Pattern(7, 3));
    EXPECT_EQ(Back(10, 100), kBackground);
    // Scrolled by one row: row 1's place shows row 2, and the last place
    // wraps to the top of the rectangle.
    FrameDelta = 1.0f;
    elDraw::DrawWaveScroll(10, 300, 0, 0, 0.0f, -1.0f, obj, 0, 1, 8, 4);
    FrameDelta = 0.0f;
    elDraw::DrawWaveScroll(10, 100, 0, 0, 0.0f, 0.0f, obj, 0, 1, 8, 4);
    EXPECT_EQ(Back(10, 101), Pattern(0, 2));
    EXPECT_EQ(Back(10, 102), Pattern(0, 3));
    EXPECT_EQ(Back(10, 103), Pattern(0, 2));

    // The band covers the full width between top and bottom, tiling the rows.
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWaveTiled(200, 210, 0, 0, 0.0f, 0.0f, obj, 0, 0, 8, 4);
    EXPECT_EQ(Back(0, 200), Pattern(0, 0));
    EXPECT_EQ(Back(799, 205), Pattern(799 % 8, 1));
    EXPECT_EQ(Back(0, 199), kBackground);
    EXPECT_EQ(Back(0, 210), kBackground);

    // Empty rectangles and empty slots draw nothing and do not divide by zero.
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWaveTiled(0, 600, 3, 0, 10.0f, 10.0f, obj, 0, 0, 0, 4);
    elDraw::DrawWaveTiled(0, 600, 3, 0, 10.0f, 10.0f, obj, 0, 2, 8, 2);
    elDraw::DrawWaveScroll(0, 0, 3, 0, 10.0f, 10.0f, obj, 0, 2, 8, 2);
    elDraw::DrawTiled(1.0f, 1.0f, obj, 3, 0, 3, 4);
    elDraw::DrawWave(0, 0, 3, 0, 1.0f, 700, 0, 0, 8, 4, 0);
    elDraw::DrawWave(0, 0, 3, 0, 1.0f, -5, 0, 0, 8, 4, 1);
    EXPECT_EQ(Back(0, 0), kBackground);
    EXPECT_EQ(Back(400, 300), kBackground);
}

// ---- Tiling --------------------------------------------------------------------------

TEST_F(DrawRaster, TilesCoverTheScreenAndTheOffsetStaysWithinOneTile) {
    int obj = PatternObject(64, 64);
    elDraw::DrawTiled(0.0f, 0.0f, obj, 0, 0, 64, 64);
    EXPECT_EQ(Back(0, 0), Pattern(0, 0));
    EXPECT_EQ(Back(799, 599), Pattern(799 % 64, 599 % 64));
    elDraw::DrawTiled(0.0f, 0.0f, obj, 0, 0, 64, 64);  // speed 0: same grid
    EXPECT_EQ(Back(65, 0), Pattern(1, 0));

    // Moving left at 30 pixels a second, one second per call: the grid is
    // drawn at the offset reached, which stays in (-64, 0].
    FrameDelta = 1.0f;
    elDraw::DrawTiled(-30.0f, 0.0f, obj, 0, 0, 64, 64);
    int expected = 0;
    for (int call = 1; call <= 12; ++call) {
        expected -= 30;
        if (expected <= -64) expected += 64;
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::DrawTiled(-30.0f, 0.0f, obj, 0, 0, 64, 64);
        EXPECT_EQ(Back(0, 0), Pattern(-expected, 0)) << "call " << call;
        EXPECT_NE(Back(799, 599), kBackground) << "call " << call;
    }
    // Moving right and down: still covered.
    for (int call = 0; call < 5; ++call) {
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::DrawTiled(100.0f, 45.0f, obj, 0, 0, 64, 64);
        EXPECT_NE(Back(0, 0), kBackground);
        EXPECT_NE(Back(799, 599), kBackground);
    }
}

// ---- Row repeats, skips and shake ------------------------------------------------------

TEST_F(DrawRaster, BlockAndSkipRowsPickTheRightSourceRows) {
    int obj = PatternObject(4, 5);
    elDraw::DrawBlockRows(10, 10, 2, obj, 0, 0, 4, 5);
    const int blockRows[] = {0, 0, 2, 2, 4, 4};  // the last block overhangs
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Back(10, 10 + i), Pattern(0, blockRows[i])) << i;
    EXPECT_EQ(Back(10, 16), kBackground);
    // A block of no rows (or fewer) draws nothing and returns.
    elDraw::DrawBlockRows(100, 10, 0, obj, 0, 0, 4, 5);
    elDraw::DrawBlockRows(100, 10, -3, obj, 0, 0, 4, 5);
    EXPECT_EQ(Back(100, 10), kBackground);

    elDraw::DrawSkipRows(200, 10, 0, obj, 0, 0, 4, 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Back(200, 10 + i), kBackground);
    elDraw::DrawSkipRows(200, 10, 2, obj, 0, 0, 4, 5);  // every second row from the second
    const bool drawn[] = {false, false, true, false, true};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Back(200, 10 + i), drawn[i] ? Pattern(0, i) : kBackground) << i;

    // Random gaps of 1 .. -step; every row drawn sits in its own place.
    elSystem::SeedRandom(7);
    int obj2 = PatternObject(2, 60);
    elDraw::DrawSkipRows(300, 100, -3, obj2, 0, 0, 2, 60);
    int last = -1;
    for (int r = 0; r < 60; ++r) {
        std::uint32_t v = Back(300, 100 + r);
        if (v == kBackground) continue;
        EXPECT_EQ(v, Pattern(0, r));
        EXPECT_LE(r - last, 3) << r;
        last = r;
    }
    EXPECT_GE(last, 57);
    EXPECT_EQ(Back(300, 100), kBackground);  // the first row is never drawn
    elDraw::DrawSkipRows(400, 100, -2147483647 - 1, obj2, 0, 0, 2, 60);  // no overflow
}

TEST_F(DrawRaster, ShakeWithoutRangeIsAPlainDrawAndRowsStayWithinRange) {
    int obj = PatternObject(6, 5);
    elDraw::DrawShake(10, 10, 0, obj, 0, 0, 6, 5);
    elDraw::Draw(100, 10, obj, 0, 0, 6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = -1; x <= 6; ++x) EXPECT_EQ(Back(10 + x, 10 + y), Back(100 + x, 10 + y));

    elSystem::SeedRandom(3);
    elDraw::DrawShake(300, 50, 4, obj, 0, 0, 6, 5);
    for (int r = 0; r < 5; ++r) {
        int at = FindRowStart(50 + r, r, 290, 310);
        EXPECT_GE(at, 296) << r;
        EXPECT_LE(at, 303) << r;
    }
    elDraw::DrawShake(300, 50, 2147483647, obj, 0, 0, 6, 5);  // 2 x range does not overflow
}

// ---- Roll -----------------------------------------------------------------------------

TEST_F(DrawRaster, RollStretchesRowsAlongTheDrumAndHandlesOneRow) {
    int obj = PatternObject(4, 8);
    test::SetPixelAt(ObjectTable[obj].surface, 1, 0, 0);
    // Phase 0: row 0 reaches the far end of the drum (ends 8 6 3 0 0 3 6 8);
    // the edge falls back through rows 1-4 and rows 5-7 draw again over the
    // places row 0 took. The draw is solid, so the 0 pixel is copied.
    elDraw::DrawRoll(10, 10, 0, 0.0f, obj, 0, 0, 4, 8);
    const int drum[] = {0, 5, 5, 5, 6, 6, 6, 7, 7};
    for (int o = 0; o <= 8; ++o) EXPECT_EQ(Back(10, 10 + o), Pattern(0, drum[o])) << o;
    EXPECT_EQ(Back(11, 10), 0u);
    EXPECT_EQ(Back(10, 19), kBackground);

    // Half a turn on (3.5 rows of 7): rows 0-3 share the drum.
    FrameDelta = 1.0f;
    elDraw::DrawRoll(100, 300, 1, 3.5f, obj, 0, 0, 4, 8);
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawRoll(10, 10, 1, 0.0f, obj, 0, 0, 4, 8);
    EXPECT_EQ(Back(10, 10), Pattern(0, 0));
    EXPECT_EQ(Back(10, 11), Pattern(0, 1));
    EXPECT_EQ(Back(10, 12), Pattern(0, 2));
    EXPECT_EQ(Back(10, 14), Pattern(0, 2));
    EXPECT_EQ(Back(10, 15), Pattern(0, 3));
    EXPECT_EQ(Back(10, 17), Pattern(0, 3));
    EXPECT_EQ(Back(10, 18), kBackground);

    // A one-row picture has no period: it is drawn once, in place.
    test::FillSurface(elDraw::BackSurface, kBackground);
    FrameDelta = 1.0f;
    elDraw::DrawRoll(10, 10, 0, 5.0f, obj, 0, 0, 4, 1);
    EXPECT_EQ(Back(10, 10), Pattern(0, 0));
    EXPECT_EQ(Back(10, 11), kBackground);
    elDraw::DrawRoll(10, 10, 0, 5.0f, obj, 0, 0, 4, 0);  // empty: nothing
}

TEST_F(DrawRaster, RollMovesBackWhereTheEdgeFallsOnEveryFrame) {
    int obj = PatternObject(4, 8);
    // Two rows a second backwards, a quarter of a second a frame: each frame
    // the drum is drawn from its own phase, and wherever an end falls the
    // next rows start over at end + 1.
    FrameDelta = 0.25f;
    float phase = 0.0f;
    for (int frame = 0; frame < 12; ++frame) {
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::DrawRoll(10, 10, 0, 2.0f, obj, 0, 0, 4, 8);
        std::uint32_t expected[9];
        for (auto& e : expected) e = kBackground;
        int p = 0;
        for (int c = 0; c < 8; ++c) {
            const double turn = (c + static_cast<double>(phase)) * 2.0 * 3.14159265358979323846 / 7;
            const int end = static_cast<int>(4 + std::cos(turn) * 4);
            for (int o = p; o <= end; ++o) expected[o] = Pattern(0, c);
            p = end + 1;
        }
        for (int o = 0; o <= 8; ++o) EXPECT_EQ(Back(10, 10 + o), expected[o]) << "frame " << frame << " row " << o;
        phase -= 0.25f * 2.0f;
        if (phase < 0.0f) phase += 8.0f;
    }
}

// ---- Negative speeds -------------------------------------------------------------------

TEST_F(DrawRaster, WavePhaseOfANegativeSpeedKeepsItsSignUntilAFullTurn) {
    int obj = PatternObject(8, 20);
    // One step of -18.88 degrees: row 19 is at trunc(-18.88) + 19 = 1 degree,
    // trunc(100 cos 1) = 99 (a phase taken into [0, 360) would give 0 and 100).
    FrameDelta = 1.0f;
    elDraw::DrawWave(100, 300, 100, 0, -18.88f, obj, 0, 0, 8, 20, 0);
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWave(100, 50, 100, 0, 0.0f, obj, 0, 0, 8, 20, 0);
    EXPECT_EQ(FindRowStart(69, 19, 150, 250), 199);
    EXPECT_EQ(FindRowStart(68, 18, 150, 250), 200);  // 0 degrees: the full amplitude

    // Nineteen more steps carry the phase past -360 without a turn back:
    // -377.6, row 18 at -359 degrees (1 degree), row 17 at -360.
    FrameDelta = 1.0f;
    for (int i = 0; i < 19; ++i) elDraw::DrawWave(100, 300, 100, 0, -18.88f, obj, 0, 0, 8, 20, 0);
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWave(100, 50, 100, 0, 0.0f, obj, 0, 0, 8, 20, 0);
    EXPECT_EQ(FindRowStart(68, 18, 150, 250), 199);
    EXPECT_EQ(FindRowStart(67, 17, 150, 250), 200);  // 0 degrees

    // The scrolling and banded waves keep their phases the same way.
    FrameDelta = 1.0f;
    elDraw::DrawWaveScroll(100, 300, 100, 0, -18.88f, 0.0f, obj, 0, 0, 8, 20);
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWaveScroll(100, 50, 100, 0, 0.0f, 0.0f, obj, 0, 0, 8, 20);
    EXPECT_EQ(FindRowStart(69, 19, 150, 250), 199);
    FrameDelta = 1.0f;
    elDraw::DrawWaveTiled(400, 420, 100, 0, -18.88f, 0.0f, obj, 0, 0, 8, 20);
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWaveTiled(100, 120, 100, 0, 0.0f, 0.0f, obj, 0, 0, 8, 20);
    // Band row 19 at 1 degree: tiles start at 99 - 100 = -1.
    EXPECT_EQ(Back(0, 119), Pattern(1, 19));
}

TEST_F(DrawRaster, TiledOffsetFollowsTheOneTileCorrectionsExactly) {
    int obj = PatternObject(64, 64);
    // -196 pixels a second at 60 frames a second: after 15 frames the rule
    // gives exactly -49.0 (a remainder taken with fmod drifts to -48.9999962
    // and draws the grid one pixel over). Every frame is checked.
    const float delta = 1.0f / 60.0f;
    FrameDelta = delta;
    float offset = 0.0f;
    for (int frame = 0; frame < 40; ++frame) {
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::DrawTiled(-196.0f, 0.0f, obj, 0, 0, 64, 64);
        const int ox = static_cast<int>(offset);
        EXPECT_EQ(Back(0, 0), Pattern(-ox, 0)) << "frame " << frame;
        EXPECT_NE(Back(799, 599), kBackground) << "frame " << frame;
        offset += delta * -196.0f;
        if (offset < -64.0f) offset += 64.0f;
        if (offset > 0.0f) offset -= 64.0f;
    }
    // A step of several tiles at once still leaves the grid covering the screen.
    FrameDelta = 10.0f;
    for (int frame = 0; frame < 3; ++frame) {
        elDraw::DrawTiled(-1000.3f, 777.7f, obj, 0, 0, 64, 64);
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::DrawTiled(0.0f, 0.0f, obj, 0, 0, 64, 64);
        EXPECT_NE(Back(0, 0), kBackground);
        EXPECT_NE(Back(799, 599), kBackground);
    }
}

TEST_F(DrawRaster, NegativeWaveSpeedsKeepTheExactPhaseFarPastAFullTurn) {
    int obj = PatternObject(8, 4);
    // -13.125 degrees a frame: every frame's rows sit where the unwrapped
    // phase puts them. At frame 32 the phase is -420: row 0 at -420 degrees,
    // trunc(12 cos) = 5, where -60 degrees (the phase turned back) gives 6.
    FrameDelta = 1.0f;
    float phase = 0.0f;
    for (int frame = 0; frame <= 60; ++frame) {
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::DrawWave(100, 50, 12, 0, -13.125f, obj, 0, 0, 8, 4, 0);
        for (int r = 0; r < 4; ++r) {
            const double angle = static_cast<int>(phase) + r;
            const int offset = static_cast<int>(12 * std::cos(angle * 2.0 * 3.14159265358979323846 / 360.0));
            ASSERT_EQ(FindRowStart(50 + r, r, 80, 130), 100 + offset) << "frame " << frame << " row " << r;
        }
        if (frame == 32) {
            EXPECT_EQ(FindRowStart(50, 0, 80, 130), 105);
        }
        phase += 1.0f * -13.125f;
        if (phase >= 360.0f) phase -= 360.0f;
    }
    // The scrolling wave and the band: 32 steps, then drawn still.
    for (int i = 0; i < 32; ++i) {
        elDraw::DrawWaveScroll(100, 300, 12, 0, -13.125f, 0.0f, obj, 0, 0, 8, 4);
        elDraw::DrawWaveTiled(400, 404, 12, 0, -13.125f, 0.0f, obj, 0, 0, 8, 4);
    }
    FrameDelta = 0.0f;
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::DrawWaveScroll(100, 50, 12, 0, 0.0f, 0.0f, obj, 0, 0, 8, 4);
    elDraw::DrawWaveTiled(100, 104, 12, 0, 0.0f, 0.0f, obj, 0, 0, 8, 4);
    EXPECT_EQ(FindRowStart(50, 0, 80, 130), 105);
    EXPECT_EQ(Back(0, 100), Pattern(7, 0));  // tiles start at 5 - 12 = -7
}

TEST_F(DrawRaster, RollAgainstItsDirectionKeepsItsPhase) {
    int obj = PatternObject(4, 8);
    // Direction 1 at -2 rows a second: the phase goes below 0 with no turn
    // back (a phase brought into [0, 8) would be a different drum, the
    // cosine's period being 7).
    FrameDelta = 0.25f;
    float phase = 0.0f;
    for (int frame = 0; frame < 12; ++frame) {
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::DrawRoll(10, 10, 1, -2.0f, obj, 0, 0, 4, 8);
        std::uint32_t expected[9];
        for (auto& e : expected) e = kBackground;
        int p = 0;
        for (int c = 0; c < 8; ++c) {
            const double turn = (c + static_cast<double>(phase)) * 2.0 * 3.14159265358979323846 / 7;
            const int end = static_cast<int>(4 + std::cos(turn) * 4);
            for (int o = p; o <= end; ++o) expected[o] = Pattern(0, c);
            p = end + 1;
        }
        for (int o = 0; o <= 8; ++o) EXPECT_EQ(Back(10, 10 + o), expected[o]) << "frame " << frame << " row " << o;
        phase += 0.25f * -2.0f;
        if (phase >= 8.0f) phase -= 8.0f;
    }
}

TEST_F(DrawRaster, ShakeTakesOneRandomNumberForEveryRowFromTheTop) {
    int obj = PatternObject(6, 5);
    // Rows -3 to 6 of the rectangle: the three above the object and the two
    // below it take their numbers too, so row r shakes by number r + 3.
    elSystem::SeedRandom(11);
    std::vector<int> numbers;
    for (int k = 0; k < 11; ++k) numbers.push_back(elSystem::Random());
    elSystem::SeedRandom(11);
    elDraw::DrawShake(300, 50, 4, obj, 0, -3, 6, 7);
    EXPECT_EQ(elSystem::Random(), numbers[10]);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(FindRowStart(53 + r, r, 290, 310), 300 + numbers[r + 3] % 8 - 4) << r;
}

// ---- Mirror ---------------------------------------------------------------------------

TEST_F(DrawRaster, MirrorFlipsEachWayKeepsZeroTransparentAndIsClipped) {
    int obj = PatternObject(4, 3);
    test::SetPixelAt(ObjectTable[obj].surface, 0, 0, 0);
    EXPECT_EQ(elDraw::DrawMirror(10, 10, 0, obj, 0, 0, 4, 3), 1);
    EXPECT_EQ(Back(10, 10), kBackground);  // 0 is not written
    EXPECT_EQ(Back(13, 12), Pattern(3, 2));
    EXPECT_EQ(elDraw::DrawMirror(20, 10, 1, obj, 0, 0, 4, 3), 1);
    EXPECT_EQ(Back(20, 10), Pattern(3, 0));
    EXPECT_EQ(Back(23, 11), Pattern(0, 1));
    EXPECT_EQ(Back(23, 10), kBackground);
    EXPECT_EQ(elDraw::DrawMirror(30, 10, 2, obj, 0, 0, 4, 3), 1);
    EXPECT_EQ(Back(30, 10), Pattern(0, 2));
    EXPECT_EQ(Back(31, 12), Pattern(1, 0));
    EXPECT_EQ(elDraw::DrawMirror(40, 10, 3, obj, 1, 1, 4, 3), 1);  // a sub-rectangle, both ways
    EXPECT_EQ(Back(40, 10), Pattern(3, 2));
    EXPECT_EQ(Back(42, 11), Pattern(1, 1));
    EXPECT_EQ(Back(43, 10), kBackground);

    // Cut on the left by ClipRect: the visible columns still come from the
    // mirrored places.
    elDraw::SetClip(52, 0, 800, 600);
    EXPECT_EQ(elDraw::DrawMirror(50, 20, 1, obj, 0, 0, 4, 3), 1);
    EXPECT_EQ(Back(51, 20), kBackground);
    EXPECT_EQ(Back(52, 20), Pattern(1, 0));
    EXPECT_EQ(Back(53, 20), kBackground);  // source (0, 0) is 0
    EXPECT_EQ(Back(53, 21), Pattern(0, 1));
    // A clip larger than the screen and a rectangle past the object's edges
    // neither write nor read outside the surfaces.
    elDraw::SetClip(-100, -100, 2000, 2000);
    EXPECT_EQ(elDraw::DrawMirror(797, 598, 3, obj, -2, -2, 6, 5), 1);
    EXPECT_EQ(elDraw::DrawMirror(-3, -2, 0, obj, 0, 0, 40, 30), 1);
    EXPECT_EQ(Back(0, 0), Pattern(3, 2));

    EXPECT_EQ(elDraw::DrawMirror(0, 0, 0, 700, 0, 0, 4, 3), 0);
    EXPECT_EQ(elDraw::DrawMirror(0, 0, 0, 300, 0, 0, 4, 3), 0);  // empty slot
}

// ---- Clip wipes -----------------------------------------------------------------------

TEST_F(DrawRaster, WipeRefusesToStartWhileOneRunsAndOpensOnePixelAtSpeedZero) {
    FrameDelta = 1.0f / 60.0f;
    ASSERT_EQ(elDraw::StartWipe(0, 1, 0.0f, 0), 1);
    EXPECT_EQ(elDraw::ClipWipeState, 1);
    EXPECT_EQ(ClipRect.top, 600);
    EXPECT_EQ(ClipRect.bottom, 600);
    EXPECT_EQ(elDraw::StartWipe(1, 5, 100.0f, 0), 0);
    EXPECT_EQ(elDraw::ClipWipeState, 1);
    EXPECT_EQ(elDraw::ClipWipeType, 1);
    EXPECT_EQ(ClipRect.top, 600);

    EXPECT_EQ(elDraw::StepClipWipe(), 1);
    EXPECT_EQ(ClipRect.top, 599);
    EXPECT_EQ(elDraw::StepClipWipe(), 1);
    EXPECT_EQ(ClipRect.top, 598);
    // Draws are cut to the opening strip.
    int obj = PatternObject(4, 4);
    elDraw::Draw(10, 596, obj, 0, 0, 4, 4);
    EXPECT_EQ(Back(10, 597), kBackground);
    EXPECT_EQ(Back(10, 598), Pattern(0, 2));

    int steps = 0;
    while (elDraw::ClipWipeState == 1 && steps < 1000) {
        elDraw::StepClipWipe();
        ++steps;
    }
    EXPECT_EQ(steps, 598);
    EXPECT_EQ(ClipRect.top, 0);
    EXPECT_EQ(elDraw::ClipWipeOpened, 1);
    EXPECT_EQ(elDraw::StepClipWipe(), 0);

    // A negative speed moves a pixel per call too, and an unknown type is refused.
    ASSERT_EQ(elDraw::StartWipe(0, 2, -500.0f, 0), 1);
    elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.bottom, 1);
    elDraw::ClipWipeState = 0;
    ClipRect = {0, 0, 800, 600};
    EXPECT_EQ(elDraw::StartWipe(0, 10, 100.0f, 0), 0);
    EXPECT_EQ(elDraw::StartWipe(0, -1, 100.0f, 0), 0);
    EXPECT_EQ(elDraw::ClipWipeState, 0);
}

TEST_F(DrawRaster, CloseClipThenAnOpeningWipeFromTheRightEdge) {
    elDraw::CloseClip();
    EXPECT_EQ(elDraw::ClipWipeState, -1);
    EXPECT_EQ(ClipRect.right, ClipRect.left);
    EXPECT_EQ(ClipRect.bottom, ClipRect.top);
    int obj = PatternObject(4, 4);
    elDraw::Draw(10, 10, obj, 0, 0, 4, 4);
    EXPECT_EQ(Back(10, 10), kBackground);
    EXPECT_EQ(elDraw::StepClipWipe(), 0);

    FrameDelta = 1.0f / 60.0f;
    ASSERT_EQ(elDraw::StartWipe(0, 3, 600.0f, 0), 1);
    EXPECT_EQ(ClipRect.left, 800);
    EXPECT_EQ(ClipRect.top, 0);
    EXPECT_EQ(ClipRect.right, 800);
    EXPECT_EQ(ClipRect.bottom, 600);
    elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.left, 789);  // trunc(600 / 60) + 1
    while (elDraw::ClipWipeState == 1) elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.left, 0);  // stops exactly on the saved edge
    EXPECT_EQ(elDraw::ClipWipeOpened, 1);

    // Closing again while closed keeps the full rectangle to come back to.
    elDraw::CloseClip();
    elDraw::CloseClip();
    ASSERT_EQ(elDraw::StartWipe(1, 4, 600.0f, 0), 1);
    EXPECT_EQ(ClipRect.right, 800);
    EXPECT_EQ(ClipRect.bottom, 600);
}

TEST_F(DrawRaster, ClosingWipesMeetInTheMiddleAndReopenTheSavedRectangle) {
    FrameDelta = 1.0f / 60.0f;
    elDraw::SetClip(100, 100, 700, 501);  // middles 400 and 300
    ASSERT_EQ(elDraw::StartWipe(1, 5, 600.0f, 0), 1);
    EXPECT_EQ(elDraw::ClipWipeState, 2);
    EXPECT_EQ(ClipRect.top, 100);  // the clip stays full until the first step
    elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.top, 111);
    EXPECT_EQ(ClipRect.bottom, 490);
    while (elDraw::ClipWipeState == 2) elDraw::StepClipWipe();
    EXPECT_EQ(elDraw::ClipWipeState, -1);
    EXPECT_EQ(elDraw::ClipWipeClosed, 1);
    EXPECT_EQ(ClipRect.top, 300);
    EXPECT_EQ(ClipRect.bottom, 300);

    // The next start puts the saved rectangle back first.
    ASSERT_EQ(elDraw::StartWipe(0, 7, 600.0f, 0), 1);
    EXPECT_EQ(elDraw::ClipWipeClosed, 0);
    EXPECT_EQ(ClipRect.left, 400);
    EXPECT_EQ(ClipRect.right, 400);
    EXPECT_EQ(ClipRect.top, 300);
    while (elDraw::ClipWipeState == 1) elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.left, 100);
    EXPECT_EQ(ClipRect.top, 100);
    EXPECT_EQ(ClipRect.right, 700);
    EXPECT_EQ(ClipRect.bottom, 501);

    // Edge wipes close onto the far edge.
    ASSERT_EQ(elDraw::StartWipe(1, 2, 6000.0f, 0), 1);
    while (elDraw::ClipWipeState == 2) elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.bottom, 100);
    EXPECT_EQ(ClipRect.top, 100);
}

TEST_F(DrawRaster, BandWipesCloseAndOpenInTwoPhases) {
    FrameDelta = 1.0f / 60.0f;
    // Type 8 closing: left and right reach the band first, top and bottom stay.
    ASSERT_EQ(elDraw::StartWipe(1, 8, 600.0f, 100), 1);
    for (int i = 0; i < 32; ++i) elDraw::StepClipWipe();  // 350 pixels at 11 a step
    EXPECT_EQ(ClipRect.left, 350);
    EXPECT_EQ(ClipRect.right, 450);
    EXPECT_EQ(ClipRect.top, 0);
    EXPECT_EQ(ClipRect.bottom, 600);
    elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.top, 11);
    while (elDraw::ClipWipeState == 2) elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.top, 300);
    EXPECT_EQ(ClipRect.bottom, 300);
    EXPECT_EQ(elDraw::ClipWipeClosed, 1);

    // Type 9 opening: from a horizontal band, left and right open first.
    ASSERT_EQ(elDraw::StartWipe(0, 9, 600.0f, 60), 1);
    EXPECT_EQ(ClipRect.left, 400);
    EXPECT_EQ(ClipRect.right, 400);
    EXPECT_EQ(ClipRect.top, 270);
    EXPECT_EQ(ClipRect.bottom, 330);
    for (int i = 0; i < 37; ++i) elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.left, 0);
    EXPECT_EQ(ClipRect.right, 800);
    EXPECT_EQ(ClipRect.top, 270);
    elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.top, 259);
    while (elDraw::ClipWipeState == 1) elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.top, 0);
    EXPECT_EQ(ClipRect.bottom, 600);

    // A band wider than the rectangle stays inside it; a negative one is none.
    ASSERT_EQ(elDraw::StartWipe(0, 8, 600.0f, 5000), 1);
    EXPECT_EQ(ClipRect.left, 0);
    EXPECT_EQ(ClipRect.right, 800);
    while (elDraw::ClipWipeState == 1) elDraw::StepClipWipe();
    ASSERT_EQ(elDraw::StartWipe(1, 9, 600.0f, -40), 1);
    while (elDraw::ClipWipeState == 2) elDraw::StepClipWipe();
    EXPECT_EQ(ClipRect.top, 300);  // the first phase already closes it
    EXPECT_EQ(ClipRect.bottom, 300);
    EXPECT_EQ(elDraw::ClipWipeClosed, 1);
}

TEST_F(DrawRaster, RandomTypesAndCloseClipDuringAWipeKeepTheFullRectangle) {
    FrameDelta = 1.0f / 60.0f;
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(elDraw::StartWipe(i % 2, 0, 100000.0f, 50), 1);
        EXPECT_GE(elDraw::ClipWipeType, 1);
        EXPECT_LE(elDraw::ClipWipeType, 9);
        int steps = 0;
        while (elDraw::ClipWipeState > 0 && steps < 10) {
            elDraw::StepClipWipe();
            ++steps;
        }
        EXPECT_LE(elDraw::ClipWipeState, 0) << "type " << elDraw::ClipWipeType;
    }
    // Whatever state that left, the start restores; then a close during an
    // opening wipe keeps the full rectangle, not the partial one.
    ASSERT_EQ(elDraw::StartWipe(0, 6, 60.0f, 0), 1);
    elDraw::StepClipWipe();
    elDraw::CloseClip();
    EXPECT_EQ(elDraw::ClipWipeState, -1);
    EXPECT_EQ(elDraw::ClipWipeSaved.left, 0);
    EXPECT_EQ(elDraw::ClipWipeSaved.right, 800);
    ASSERT_EQ(elDraw::StartWipe(1, 1, 60.0f, 0), 1);
    EXPECT_EQ(ClipRect.left, 0);
    EXPECT_EQ(ClipRect.right, 800);
}

// A scene change during a running wipe gives the next scene the full clip.
class DrawRasterLoop : public test::DrawTest {};

TEST_F(DrawRasterLoop, SceneChangeDuringAWipePutsTheSavedRectangleBack) {
    int frame = 0;
    program_.program.scenes = {{1, [&] {
                                    if (++frame == 1) {
                                        elDraw::SetClip(10, 20, 300, 400);
                                        EXPECT_EQ(elDraw::StartWipe(0, 1, 0.0f, 0), 1);
                                        SceneNumber = 2;
                                    }
                                }},
                               {2, [] {}}};
    StartWithScreen();
    elDraw::ClipWipeState = 0;
    elSystem::LoopPass();
    EXPECT_EQ(elDraw::ClipWipeState, 0);
    EXPECT_EQ(ClipRect.left, 10);
    EXPECT_EQ(ClipRect.top, 20);
    EXPECT_EQ(ClipRect.right, 300);
    EXPECT_EQ(ClipRect.bottom, 400);
}

}  // namespace
