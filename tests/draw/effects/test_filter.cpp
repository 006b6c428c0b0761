// Filtered object draws and the tunnel: the glow's rays, fall-off, clipping
// and noise cursor; the smoothed edge; the blur against a plain block
// average; refraction; the four stretches; the tunnel table's coordinates,
// shapes and refusals and its wrapped draw; and golden images of each.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "draw/effects/elEffects.h"
#include "platform/display.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"
#include "support/golden.h"
#include "system/elSystem.h"

using namespace plat;
namespace hl = plat::headless;
using test::PixelAt;

namespace {

constexpr std::uint32_t P565of5(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r << 11) | (g << 6) | b;
}
constexpr std::uint32_t P555(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r << 10) | (g << 5) | b;
}

class Filters : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, 0);
        QuietNoise();
    }
    void Reopen(DisplayFormat format) {
        SetDisplayFormat(format);
        ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
        test::FillSurface(elDraw::BackSurface, 0);
        QuietNoise();
    }
    // The glow reads noise 0 from the start of the table.
    void QuietNoise() {
        for (int i = 0; i < 100; ++i) NoiseTable[i] = 0;
        elDraw::GlowNoiseCursor = 0;
    }
    int Solid(int w, int h, std::uint32_t value) {
        int slot = elDraw::CreateObject(w, h, 2);
        EXPECT_GT(slot, 0);
        test::FillSurface(ObjectTable[slot].surface, value);
        return slot;
    }
    void SetObj(int slot, int x, int y, std::uint32_t v) { test::SetPixelAt(ObjectTable[slot].surface, x, y, v); }
    std::uint32_t Back(int x, int y) { return PixelAt(elDraw::BackSurface, x, y); }
    void SetBack(int x, int y, std::uint32_t v) { test::SetPixelAt(elDraw::BackSurface, x, y, v); }
    // The 5-bit channels of a back pixel.
    std::vector<int> Channels(int x, int y) {
        const std::uint8_t* c = PixelSplitTable[Back(x, y)];
        return {c[0], c[1], c[2]};
    }
    // A back surface of varied colours, each pixel different from its neighbours.
    void NoisyBack() {
        for (int y = 0; y < 600; y += 1)
            for (int x = 0; x < 120; ++x) SetBack(x, y, (x * 2654435761u + y * 40503u) & 0xFFFF);
    }
};

using Grey = std::vector<int>;

// ---- Glow -----------------------------------------------------------------------

TEST_F(Filters, GlowOfOneWhitePixelFadesToTheRightAndStops) {
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        int dot = Solid(1, 1, PixelFormat.fullMask);
        EXPECT_EQ(elDraw::DrawGlow(100, 50, 0, 0, 0, 0x10, 0, dot, 0, 0, 1, 1), 1);
        for (int k = 0; k < 30; ++k) EXPECT_EQ(Channels(100 + k, 50), Grey(3, 30 - k)) << k;
        EXPECT_EQ(Back(130, 50), 0u);
        EXPECT_EQ(Back(99, 50), 0u);
        EXPECT_EQ(Back(101, 49), 0u);
        EXPECT_EQ(Back(101, 51), 0u);
        const std::uint32_t light30 = format == DisplayFormat::Rgb565 ? P565of5(30, 30, 30) : P555(30, 30, 30);
        EXPECT_EQ(Back(100, 50), light30);
        // With the copy the pixel itself saturates; 5:6:5 loses green's low bit.
        test::FillSurface(elDraw::BackSurface, 0);
        EXPECT_EQ(elDraw::DrawGlow(100, 50, 0, 0, 0, 0x10, 1, dot, 0, 0, 1, 1), 1);
        EXPECT_EQ(Back(100, 50), format == DisplayFormat::Rgb565 ? 0xFFDFu : 0x7FFFu);
        EXPECT_EQ(Channels(101, 50), Grey(3, 29));
        elDraw::ReleaseObject(dot);
    }
}

TEST_F(Filters, GlowRaysFollowTheKeypadLayout) {
    int dot = Solid(1, 1, 0xFFFF);  // 31 >> 2 = 7 per channel, 6 at the first step
    EXPECT_EQ(elDraw::DrawGlow(200, 200, 2, 2, 2, 0xFF, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_EQ(Channels(200, 199), Grey(3, 18));  // up, up-left and up-right all start above
    EXPECT_EQ(Channels(200, 201), Grey(3, 18));
    EXPECT_EQ(Channels(200, 200), Grey(3, 12));  // left and right start on the pixel
    EXPECT_EQ(Channels(199, 198), Grey(3, 5));   // up-left, second step
    EXPECT_EQ(Channels(200, 198), Grey(3, 5));   // up, second step
    EXPECT_EQ(Channels(201, 198), Grey(3, 5));
    EXPECT_EQ(Channels(195, 206), Grey(3, 1));   // down-left, sixth step: the last light
    EXPECT_EQ(Back(195, 205), 0u);
    EXPECT_EQ(Back(194, 207), 0u);
    EXPECT_EQ(Channels(206, 200), Grey(3, 0));
    EXPECT_EQ(Channels(205, 200), Grey(3, 1));
    EXPECT_EQ(Back(199, 199), 0u);  // between the rays

    // Only the chosen directions; bits above 0x80 are ignored.
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawGlow(200, 200, 2, 2, 2, 0x102, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_EQ(Channels(200, 201), Grey(3, 6));
    EXPECT_EQ(Back(200, 199), 0u);
    EXPECT_EQ(Back(200, 200), 0u);
}

TEST_F(Filters, GlowShiftsCutTheLightPerChannel) {
    int dot = Solid(1, 1, 0xFFFF);
    EXPECT_EQ(elDraw::DrawGlow(100, 100, 0, 3, 5, 0x10, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_EQ(Channels(100, 100), (Grey{30, 2, 0}));
    EXPECT_EQ(Channels(102, 100), (Grey{28, 0, 0}));
    // Shift 5 and beyond leave nothing to add: only the copy is drawn.
    for (unsigned shift : {5u, 6u, 31u, 32u, 1000u, 0xFFFFFFFFu}) {
        test::FillSurface(elDraw::BackSurface, 0);
        EXPECT_EQ(elDraw::DrawGlow(100, 100, shift, shift, shift, 0xFF, 1, dot, 0, 0, 1, 1), 1);
        EXPECT_EQ(Back(100, 100), 0xFFFFu) << shift;
        EXPECT_EQ(Back(101, 100), 0u) << shift;
        EXPECT_EQ(Back(100, 99), 0u) << shift;
    }
}

TEST_F(Filters, GlowStaysInsideTheClipRectangle) {
    int dot = Solid(1, 1, 0xFFFF);
    elDraw::SetClip(100, 100, 200, 200);
    EXPECT_EQ(elDraw::DrawGlow(150, 100, 0, 0, 0, 0xFF, 0, dot, 0, 0, 1, 1), 1);  // top row
    EXPECT_EQ(Back(150, 99), 0u);
    EXPECT_EQ(Back(149, 99), 0u);
    EXPECT_NE(Back(150, 101), 0u);
    EXPECT_EQ(elDraw::DrawGlow(150, 199, 0, 0, 0, 0xFF, 0, dot, 0, 0, 1, 1), 1);  // bottom row
    EXPECT_EQ(Back(150, 200), 0u);
    EXPECT_NE(Back(150, 198), 0u);
    EXPECT_EQ(elDraw::DrawGlow(105, 150, 0, 0, 0, 0xFF, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_NE(Back(100, 150), 0u);
    EXPECT_EQ(Back(99, 150), 0u);
    EXPECT_EQ(Back(99, 144), 0u);
    // A clip reaching past the back surface: light stops at its edges.
    ClipRect = {-100, -100, 900, 700};
    EXPECT_EQ(elDraw::DrawGlow(0, 0, 0, 0, 0, 0xFF, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_EQ(elDraw::DrawGlow(799, 599, 0, 0, 0, 0xFF, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_NE(Back(799, 598), 0u);
}

TEST_F(Filters, GlowOfNeighboursAccumulatesAndTheCopyComesFirst) {
    int pair = Solid(2, 1, P565of5(4, 0, 0));
    EXPECT_EQ(elDraw::DrawGlow(10, 10, 0, 0, 0, 0x10, 1, pair, 0, 0, 2, 1), 1);
    // The first pixel's light on the second is overwritten by its copy, then
    // the second adds its own: 4 + 3 = 7.
    EXPECT_EQ(Channels(11, 10), (Grey{7, 0, 0}));
    EXPECT_EQ(Channels(10, 10), (Grey{7, 0, 0}));
    EXPECT_EQ(Channels(12, 10), (Grey{1 + 2, 0, 0}));
    EXPECT_EQ(Channels(13, 10), (Grey{1, 0, 0}));
    EXPECT_EQ(Back(14, 10), 0u);
}

TEST_F(Filters, GlowNoiseCursorRunsOnAndRestartsAtZero) {
    int dot = Solid(1, 1, 0xFFFF);
    NoiseTable[0] = 0;
    NoiseTable[9999] = 2;
    elDraw::GlowNoiseCursor = 9999;
    EXPECT_EQ(elDraw::DrawGlow(100, 100, 0, 0, 0, 0x10, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_EQ(Channels(100, 100), Grey(3, 28));  // 31 - 2, less one step
    EXPECT_EQ(elDraw::GlowNoiseCursor, 0);
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawGlow(100, 100, 0, 0, 0, 0x10, 0, dot, 0, 0, 1, 1), 1);
    EXPECT_EQ(Channels(100, 100), Grey(3, 30));
    EXPECT_EQ(elDraw::GlowNoiseCursor, 1);
    // One value per opaque pixel, none for transparent ones.
    int row = Solid(4, 1, 0xFFFF);
    SetObj(row, 1, 0, 0);
    EXPECT_EQ(elDraw::DrawGlow(100, 300, 0, 0, 0, 0x10, 0, row, 0, 0, 4, 1), 1);
    EXPECT_EQ(elDraw::GlowNoiseCursor, 4);
}

// ---- Smooth edge -------------------------------------------------------------

TEST_F(Filters, SmoothEdgeAveragesOnlyBorderPixels) {
    const std::uint32_t inside = P565of5(20, 10, 6) | 0x20;  // green's low bit set
    int obj = Solid(5, 5, 0);
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 4; ++x) SetObj(obj, x, y, inside);
    test::FillSurface(elDraw::BackSurface, P565of5(10, 30, 2));
    EXPECT_EQ(elDraw::DrawSmoothEdge(100, 100, obj, 0, 0, 5, 5), 1);
    EXPECT_EQ(Back(102, 102), inside);                         // no transparent neighbour
    EXPECT_EQ(Channels(102, 101), (Grey{15, 20, 4}));          // one: 50:50
    EXPECT_EQ(Channels(101, 101), (Grey{13, 23, 3}));          // two: (20+10+10)/3 ...
    EXPECT_EQ(Back(100, 100), P565of5(10, 30, 2));             // transparent: untouched
    EXPECT_EQ(Back(104, 102), P565of5(10, 30, 2));

    // Neighbours outside the drawn rectangle do not count: drawing only the
    // inner block leaves it as it is.
    test::FillSurface(elDraw::BackSurface, P565of5(10, 30, 2));
    EXPECT_EQ(elDraw::DrawSmoothEdge(200, 200, obj, 1, 1, 4, 4), 1);
    EXPECT_EQ(Back(200, 200), inside);
    EXPECT_EQ(Back(202, 201), inside);
}

TEST_F(Filters, SmoothEdgeReadsTheBackgroundAsItWas) {
    int obj = Solid(3, 1, 0);
    SetObj(obj, 0, 0, P565of5(30, 0, 0));
    SetObj(obj, 2, 0, P565of5(0, 0, 30));
    SetBack(301, 50, P565of5(0, 20, 0));
    EXPECT_EQ(elDraw::DrawSmoothEdge(300, 50, obj, 0, 0, 3, 1), 1);
    EXPECT_EQ(Channels(300, 50), (Grey{15, 10, 0}));
    EXPECT_EQ(Channels(302, 50), (Grey{0, 10, 15}));
    EXPECT_EQ(Back(301, 50), P565of5(0, 20, 0));
}

// ---- Blur -----------------------------------------------------------------------

// The plain block average: n x n (narrowed to the rectangle) moved back to
// end inside it, transparent pixels as black.
std::vector<int> BlockAverage(const std::vector<std::uint32_t>& pixels, int w, int h, int n, int i, int j) {
    const int bw = std::min(n, w), bh = std::min(n, h);
    const int x0 = std::min(i, w - bw), y0 = std::min(j, h - bh);
    int sum[3] = {0, 0, 0};
    for (int y = y0; y < y0 + bh; ++y)
        for (int x = x0; x < x0 + bw; ++x)
            for (int c = 0; c < 3; ++c) sum[c] += PixelSplitTable[pixels[y * w + x]][c];
    return {sum[0] / (bw * bh), sum[1] / (bw * bh), sum[2] / (bw * bh)};
}

TEST_F(Filters, BlurIsTheBlockAverageForEverySize) {
    const int w = 23, h = 17;
    std::vector<std::uint32_t> pixels(w * h);
    int obj = Solid(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t v = (x * 7919u + y * 104729u + x * y * 31u) & 0xFFFF;
            if ((x + 2 * y) % 7 == 0) v = 0;
            pixels[y * w + x] = v;
            SetObj(obj, x, y, v);
        }
    for (int n : {1, 2, 3, 5, 16, 17, 23, 40}) {
        test::FillSurface(elDraw::BackSurface, 0x1234);
        ASSERT_EQ(elDraw::DrawBlur(100, 100, n, obj, 0, 0, w, h), 1);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                if (!pixels[j * w + i]) {
                    ASSERT_EQ(Back(100 + i, 100 + j), 0x1234u);
                    continue;
                }
                ASSERT_EQ(Channels(100 + i, 100 + j), BlockAverage(pixels, w, h, n, i, j))
                    << "n " << n << " at " << i << "," << j;
            }
    }
    // n = 1 is the object itself with green's lowest bit cleared.
    test::FillSurface(elDraw::BackSurface, 0);
    ASSERT_EQ(elDraw::DrawBlur(100, 100, 1, obj, 0, 0, w, h), 1);
    EXPECT_EQ(Back(101, 100), pixels[1] & ~0x20u);
}

TEST_F(Filters, BlurUsesOnlyTheVisiblePartAndRefusesSizesBelowOne) {
    const int w = 8, h = 8;
    int obj = Solid(w, h, P565of5(8, 8, 8));
    for (int x = 0; x < w; ++x) SetObj(obj, x, 0, P565of5(31, 31, 31));
    // Cut at the left by the clip: the block never reaches the hidden columns
    // or the first row's white when the top is cut away.
    EXPECT_EQ(elDraw::DrawBlur(-5, -1, 4, obj, 0, 0, w, h), 1);
    EXPECT_EQ(Channels(0, 0), Grey(3, 8));
    EXPECT_EQ(Channels(2, 6), Grey(3, 8));
    EXPECT_EQ(Back(3, 0), 0u);
    // Blocks whose 5-bit sums pass 16 bits still average exactly.
    int white = Solid(60, 60, 0xFFFF);
    EXPECT_EQ(elDraw::DrawBlur(300, 300, 50, white, 0, 0, 60, 60), 1);
    EXPECT_EQ(Channels(300, 300), Grey(3, 31));
    EXPECT_EQ(Channels(359, 359), Grey(3, 31));
    for (int n : {0, -1, -1000}) {
        test::FillSurface(elDraw::BackSurface, 0x1234);
        EXPECT_EQ(elDraw::DrawBlur(10, 10, n, obj, 0, 0, w, h), 0);
        EXPECT_EQ(Back(10, 10), 0x1234u);
    }
}

// ---- Refraction --------------------------------------------------------------

TEST_F(Filters, RefractionShiftsTheBackgroundUpByTheRedChannel) {
    NoisyBack();
    std::vector<std::uint32_t> before;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) before.push_back(Back(x, y));
    int obj = Solid(30, 30, 0xFFFF);
    EXPECT_EQ(elDraw::DrawRefract(0, 0, 0.0f, obj, 0, 0, 30, 30), 1);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(Back(x, y), before[y * 40 + x]);

    // Red 5-bit 3 at full strength: each row shows the one 3 below, read
    // before it changed; the last three rows stay.
    int red = Solid(2, 10, P565of5(3, 9, 9));
    SetObj(red, 1, 4, 0);
    for (float strength : {1.0f, 7.5f}) {
        NoisyBack();
        std::vector<std::uint32_t> column;
        for (int y = 0; y < 10; ++y) column.push_back(Back(51, 200 + y));
        EXPECT_EQ(elDraw::DrawRefract(50, 200, strength, red, 0, 0, 2, 10), 1);
        for (int y = 0; y < 7; ++y) EXPECT_EQ(Back(51, 200 + y), y == 4 ? column[4] : column[y + 3]) << y;
        for (int y = 7; y < 10; ++y) EXPECT_EQ(Back(51, 200 + y), column[y]) << y;
    }
    // Strengths below 0 and NaN are 0.0: nothing moves.
    for (float strength : {-3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        NoisyBack();
        const std::uint32_t kept = Back(51, 200);
        EXPECT_EQ(elDraw::DrawRefract(50, 200, strength, red, 0, 0, 2, 10), 1);
        EXPECT_EQ(Back(51, 200), kept);
    }
    // Half strength: k = 15, red 20 moves by 5.
    int half = Solid(1, 10, P565of5(20, 0, 0));
    NoisyBack();
    const std::uint32_t below = Back(60, 305);
    EXPECT_EQ(elDraw::DrawRefract(60, 300, 0.5f, half, 0, 0, 1, 10), 1);
    EXPECT_EQ(Back(60, 300), below);
}

// ---- Stretch to the screen edge --------------------------------------------------

TEST_F(Filters, StretchRightRepeatsTheChosenColumnToTheEdge) {
    int obj = Solid(4, 3, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) SetObj(obj, x, y, 1 + x + 10 * y);
    SetObj(obj, 3, 2, 0);
    EXPECT_EQ(elDraw::DrawStretchEdge(700, 100, 0, 3, obj, 0, 0, 4, 3), 1);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Back(700 + x, 101), 1u + x + 10);
    for (int x = 704; x < 800; ++x) ASSERT_EQ(Back(x, 101), 14u) << x;
    EXPECT_EQ(Back(799, 102), 0u);  // the repeated pixel is transparent
    EXPECT_EQ(Back(700, 103), 0u);
    // Earlier columns, and only the low 16 bits of the position.
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawStretchEdge(700, 100, 0, 0x10001, obj, 0, 0, 4, 3), 1);
    EXPECT_EQ(Back(701, 100), 2u);
    EXPECT_EQ(Back(702, 100), 2u);
    EXPECT_EQ(Back(799, 100), 2u);
    // A position past the object repeats its last column instead of reading beyond it.
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawStretchEdge(700, 100, 0, 500, obj, 0, 0, 4, 3), 1);
    EXPECT_EQ(Back(799, 100), 4u);
    // Respects the clip on the right.
    test::FillSurface(elDraw::BackSurface, 0);
    elDraw::SetClip(0, 0, 750, 600);
    EXPECT_EQ(elDraw::DrawStretchEdge(700, 100, 0, 3, obj, 0, 0, 4, 3), 1);
    EXPECT_EQ(Back(749, 100), 4u);
    EXPECT_EQ(Back(750, 100), 0u);
}

TEST_F(Filters, StretchDownRepeatsTheChosenRow) {
    int obj = Solid(3, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) SetObj(obj, x, y, 1 + x + 10 * y);
    EXPECT_EQ(elDraw::DrawStretchEdge(100, 500, 2, 1, obj, 0, 0, 3, 4), 1);
    EXPECT_EQ(Back(101, 500), 2u);
    EXPECT_EQ(Back(101, 501), 12u);
    for (int y = 502; y < 600; ++y) ASSERT_EQ(Back(102, y), 13u) << y;
    EXPECT_EQ(Back(103, 550), 0u);
}

TEST_F(Filters, StretchLeftAndUpFillToTheScreenEdgePastTheClip) {
    int obj = Solid(3, 3, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) SetObj(obj, x, y, 1 + x + 10 * y);
    SetObj(obj, 1, 2, 0);
    elDraw::SetClip(50, 50, 800, 600);
    EXPECT_EQ(elDraw::DrawStretchEdge(100, 100, 1, 1, obj, 0, 0, 3, 3), 1);
    EXPECT_EQ(Back(0, 100), 2u);  // left of the clip too
    EXPECT_EQ(Back(99, 101), 12u);
    EXPECT_EQ(Back(100, 101), 12u);
    EXPECT_EQ(Back(101, 101), 12u);
    EXPECT_EQ(Back(102, 101), 13u);
    test::FillSurface(elDraw::BackSurface, 7);
    EXPECT_EQ(elDraw::DrawStretchEdge(100, 100, 1, 1, obj, 0, 0, 3, 3), 1);
    EXPECT_EQ(Back(0, 102), 0u);    // the fill copies a transparent pixel
    EXPECT_EQ(Back(100, 102), 7u);  // the object's own pixels do not
    EXPECT_EQ(Back(102, 102), 23u);

    test::FillSurface(elDraw::BackSurface, 7);
    EXPECT_EQ(elDraw::DrawStretchEdge(200, 300, 3, 2, obj, 0, 0, 3, 3), 1);
    EXPECT_EQ(Back(200, 0), 21u);
    EXPECT_EQ(Back(201, 0), 0u);
    EXPECT_EQ(Back(202, 299), 23u);
    EXPECT_EQ(Back(202, 300), 23u);
    EXPECT_EQ(Back(201, 301), 7u);
    EXPECT_EQ(Back(203, 0), 7u);
    // Drawn above the screen's top: no rows to fill, nothing outside.
    EXPECT_EQ(elDraw::DrawStretchEdge(200, 10, 3, 9, obj, 0, 0, 3, 3), 1);
}

TEST_F(Filters, StretchPositionCountsFromTheFirstVisibleColumnAndMayLiePastTheClip) {
    int wide = Solid(6, 3, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) SetObj(wide, x, y, 1 + x + 10 * y);
    // Left, with the clip cutting the rectangle to three columns: position 4
    // is source column 4, which every visible column and the fill show.
    elDraw::SetClip(0, 0, 103, 600);
    EXPECT_EQ(elDraw::DrawStretchEdge(100, 100, 1, 4, wide, 0, 0, 6, 3), 1);
    EXPECT_EQ(Back(0, 100), 5u);
    EXPECT_EQ(Back(99, 101), 15u);
    for (int x = 100; x < 103; ++x) EXPECT_EQ(Back(x, 102), 25u) << x;
    EXPECT_EQ(Back(103, 100), 0u);
    // The clip's left edge moves the first visible column: position 1 is
    // source column 3, and the fill reaches the clipped left edge.
    test::FillSurface(elDraw::BackSurface, 0);
    elDraw::SetClip(102, 0, 800, 600);
    EXPECT_EQ(elDraw::DrawStretchEdge(100, 100, 1, 1, wide, 0, 0, 6, 3), 1);
    EXPECT_EQ(Back(0, 100), 4u);
    EXPECT_EQ(Back(101, 100), 4u);
    EXPECT_EQ(Back(102, 100), 4u);
    EXPECT_EQ(Back(103, 100), 4u);
    EXPECT_EQ(Back(104, 100), 5u);
    EXPECT_EQ(Back(105, 100), 6u);
    EXPECT_EQ(Back(106, 100), 0u);
    // A position past the source rectangle (inside the object) is held at
    // the rectangle's last column.
    test::FillSurface(elDraw::BackSurface, 0);
    elDraw::SetClip(0, 0, 800, 600);
    EXPECT_EQ(elDraw::DrawStretchEdge(100, 100, 1, 4, wide, 0, 0, 3, 3), 1);
    EXPECT_EQ(Back(0, 100), 3u);
    EXPECT_EQ(Back(102, 100), 3u);
    EXPECT_EQ(Back(103, 100), 0u);

    // Up, with the clip cutting the rectangle to two rows: position 4 is
    // source row 4 in both rows and in every row above.
    int tall = Solid(3, 6, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 3; ++x) SetObj(tall, x, y, 1 + x + 10 * y);
    test::FillSurface(elDraw::BackSurface, 0);
    elDraw::SetClip(0, 0, 800, 302);
    EXPECT_EQ(elDraw::DrawStretchEdge(200, 300, 3, 4, tall, 0, 0, 3, 6), 1);
    EXPECT_EQ(Back(200, 0), 41u);
    EXPECT_EQ(Back(202, 299), 43u);
    EXPECT_EQ(Back(201, 300), 42u);
    EXPECT_EQ(Back(201, 301), 42u);
    EXPECT_EQ(Back(201, 302), 0u);
}

TEST_F(Filters, StretchNeverReadsOutsideTheObject) {
    int obj = Solid(4, 4, 5);
    ClipRect = {-100, -100, 900, 700};
    for (int type = 0; type < 4; ++type) {
        EXPECT_EQ(elDraw::DrawStretchEdge(-2, -2, type, 0xFFFF, obj, -3, -3, 9, 9), 1) << type;
        EXPECT_EQ(elDraw::DrawStretchEdge(798, 598, type, 2, obj, 2, 2, 40, 40), 1) << type;
        EXPECT_EQ(elDraw::DrawStretchEdge(10, 10, type, 0, obj, 50, 50, 60, 60), 1) << type;
    }
    EXPECT_EQ(elDraw::DrawStretchEdge(10, 10, 7, 0, obj, 0, 0, 4, 4), 1);
    EXPECT_EQ(elDraw::DrawStretchEdge(10, 10, 0, 0, 999, 0, 0, 4, 4), 0);
}

// ---- Tunnel ---------------------------------------------------------------------

class Tunnel : public Filters {
protected:
    TunnelCell Cell(int row, int col) { return TunnelTable[row * elDraw::TunnelWidth + col]; }
};

TEST_F(Tunnel, AngleGivesUAroundTheCentre) {
    elDraw::MakeTunnel(256, 256, 200, 100, -1, -1, -1, 0, 0, 0);
    EXPECT_EQ(elDraw::TunnelWidth, 200);
    EXPECT_EQ(Cell(50, 130).u, 0);    // right of (100, 50)
    EXPECT_EQ(Cell(80, 100).u, 64);   // below: tw / 4
    EXPECT_EQ(Cell(20, 100).u, 192);  // above: -tw / 4 wrapped
    EXPECT_EQ(Cell(50, 60).u, 128);   // left: tw / 2
    EXPECT_EQ(Cell(51, 60).u, 126);   // just below the left ray
    EXPECT_EQ(Cell(50, 100).v, 0);    // the centre itself
    // Odd sizes halve toward zero; an explicit centre is taken as it is.
    elDraw::MakeTunnel(100, 64, 31, 21, 3, 4, -1, 0, 0, 0);
    EXPECT_EQ(Cell(4, 10).u, 0);
    EXPECT_EQ(Cell(14, 3).u, 25);
}

TEST_F(Tunnel, VFallsToZeroAtTheCornerDistance) {
    elDraw::MakeTunnel(256, 32767, 200, 100, -1, -1, -1, 0, 0, 0);
    EXPECT_EQ(Cell(0, 0).v, 0);  // the corner itself
    EXPECT_EQ(Cell(99, 0).v, Cell(1, 0).v);
    int previous = 32767;
    for (int dx = 10; dx < 100; dx += 10) {
        EXPECT_LT(Cell(50, 100 + dx).v, previous) << dx;
        previous = Cell(50, 100 + dx).v;
    }
    // Exact value of one cell: B = th / (2 tan(pi/16)), J = B / 32, I = 20.
    const double base = 32767 / (2 * std::tan(3.141592653589793 / 8 / 2));
    const float depth = static_cast<float>(base / 32);
    const double corner = std::sqrt(100.0 * 100 + 50 * 50);
    EXPECT_EQ(Cell(50, 120).v, static_cast<int>(static_cast<double>(depth) * (corner - 20.0) / 20.0));
    // Nearer than the corner wraps v into the texture.
    elDraw::MakeTunnel(256, 64, 200, 100, -1, -1, -1, 0, 0, 0);
    for (int col = 0; col < 200; col += 7)
        for (int row = 0; row < 100; row += 3) {
            ASSERT_GE(Cell(row, col).v, 0);
            ASSERT_LT(Cell(row, col).v, 64);
            ASSERT_GE(Cell(row, col).u, 0);
            ASSERT_LT(Cell(row, col).u, 256);
        }
}

TEST_F(Tunnel, MeasuresGiveSquaresAndDiamonds) {
    elDraw::MakeTunnel(256, 30000, 120, 120, -1, -1, -1, 0, 1, 0);
    for (int d = 8; d < 50; d += 9) {
        const int v = Cell(60, 60 + d).v;
        EXPECT_EQ(Cell(60 - d, 60 - d + 3).v, v) << d;  // top side of the square
        EXPECT_EQ(Cell(60 + d, 60 + d).v, v) << d;      // its corner
        EXPECT_EQ(Cell(60 + 2, 60 - d).v, v) << d;      // left side
        EXPECT_NE(Cell(60 + d, 60 + d / 2).v, Cell(60 + d + 1, 60).v);
    }
    elDraw::MakeTunnel(256, 30000, 120, 120, -1, -1, -1, 0, 2, 0);
    for (int d = 8; d < 50; d += 8) {
        const int v = Cell(60, 60 + d).v;
        EXPECT_EQ(Cell(60 + d / 2, 60 + d / 2).v, v) << d;  // |dx| + |dy| = d
        EXPECT_EQ(Cell(60 - d, 60).v, v) << d;
        EXPECT_NE(Cell(60 + d, 60 + d).v, v) << d;
    }
}

TEST_F(Tunnel, DriftOneMovesTheCentreUpEachRow) {
    const int w = 64, h = 48;
    elDraw::MakeTunnel(128, 128, w, h, 20, -1, 6, 1, 0, 0);
    std::vector<TunnelCell> drifted(TunnelTable, TunnelTable + w * h);
    for (int row : {0, 10, 23, 47}) {
        // The same row of a still tunnel centred where the drifting centre is.
        elDraw::MakeTunnel(128, 128, w, h, 20, h - 1 - row, 6, 0, 0, 0);
        for (int col = 0; col < w; ++col) {
            ASSERT_EQ(drifted[row * w + col].u, Cell(row, col).u) << row << "," << col;
            ASSERT_EQ(drifted[row * w + col].v, Cell(row, col).v) << row << "," << col;
        }
    }
    // So the axis slants: column 20 is above the centre (u = 3 tw / 4) down to
    // row 23, whose centre is row 24, and below it (tw / 4) from row 24 on.
    EXPECT_EQ(drifted[23 * w + 20].u, 96);
    EXPECT_EQ(drifted[24 * w + 20].u, 32);
}

TEST_F(Tunnel, UndefinedCellsGetZeroAndBadShapesAreRefused) {
    elDraw::MakeTunnel(64, 64, 40, 40, -1, -1, 3, 0, 0, 5);  // min(|dx|, |dy|) = 0 on the axes
    EXPECT_EQ(Cell(20, 35).v, 0);
    EXPECT_EQ(Cell(5, 20).v, 0);
    EXPECT_EQ(Cell(20, 20).v, 0);
    EXPECT_NE(Cell(25, 27).v, Cell(25, 33).v);
    for (int curve : {1, 2, 3, 4}) {
        elDraw::MakeTunnel(64, 64, 40, 40, -1, -1, -1, 0, 0, curve);
        EXPECT_EQ(Cell(20, 20).v, 0) << curve;
    }
    EXPECT_EQ(ErrorFlag, 0);

    elDraw::MakeTunnel(64, 64, 40, 40, -1, -1, -1, 0, 2, 0);
    const std::vector<TunnelCell> kept(TunnelTable, TunnelTable + 1600);
    struct Bad { int tw, th, w, h, measure, curve; };
    for (Bad bad : {Bad{64, 64, 40, 40, 7, 0}, Bad{64, 64, 40, 40, -1, 0}, Bad{64, 64, 40, 40, 0, 6},
                    Bad{64, 64, 2000, 154, 0, 0}, Bad{64, 64, 640, 481, 0, 0}, Bad{64, 64, 0, 40, 0, 0},
                    Bad{0, 64, 40, 40, 0, 0}, Bad{64, 40000, 40, 40, 0, 0}}) {
        ErrorFlag = 0;
        elDraw::MakeTunnel(bad.tw, bad.th, bad.w, bad.h, -1, -1, -1, 0, bad.measure, bad.curve);
        EXPECT_EQ(ErrorFlag, 1) << bad.w << " " << bad.measure << " " << bad.curve;
        EXPECT_EQ(elDraw::TunnelWidth, 40);
        EXPECT_EQ(elDraw::TunnelTextureWidth, 64);
    }
    for (int i = 0; i < 1600; ++i) ASSERT_EQ(TunnelTable[i].v, kept[i].v) << i;
    elDraw::MakeTunnel(64, 64, 640, 480, -1, -1, -1, 0, 0, 0);  // the largest table
    EXPECT_EQ(elDraw::TunnelHeight, 480);
}

TEST_F(Tunnel, DrawReadsTheTextureThroughTheTableWithWrappedOffsets) {
    const int tw = 32, th = 16;
    int texture = Solid(tw, th, 0);
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) SetObj(texture, x, y, 1 + x + 100 * y);
    auto texel = [&](std::int64_t u, std::int64_t v) {
        return static_cast<std::uint32_t>(1 + ((u % tw) + tw) % tw + 100 * (((v % th) + th) % th));
    };
    elDraw::MakeTunnel(tw, th, 64, 48, -1, -1, -1, 0, 0, 0);
    const std::vector<std::pair<int, int>> offsets = {
        {0, 0}, {1, 0}, {0, 1}, {31, 15}, {-1, -1}, {-33, 1000000},
        {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}};
    for (auto [du, dv] : offsets) {
        EXPECT_EQ(elDraw::DrawTunnel(100, 200, du, dv, texture), 1);
        for (int row = 0; row < 48; row += 5)
            for (int col = 0; col < 64; col += 3) {
                const TunnelCell c = Cell(row, col);
                ASSERT_EQ(Back(100 + col, 200 + row), texel(std::int64_t{du} + c.u, std::int64_t{dv} + c.v))
                    << du << "," << dv << " at " << row << "," << col;
            }
    }
    EXPECT_EQ(Back(99, 200), 0u);
    EXPECT_EQ(Back(164, 200), 0u);
    EXPECT_EQ(Back(100, 248), 0u);
    // Copied without a transparency test, and without regard to the clip.
    SetObj(texture, Cell(0, 0).u, Cell(0, 0).v, 0);
    test::FillSurface(elDraw::BackSurface, 9);
    elDraw::SetClip(150, 150, 160, 160);
    EXPECT_EQ(elDraw::DrawTunnel(100, 200, 0, 0, texture), 1);
    EXPECT_EQ(Back(100, 200), 0u);
    SetObj(texture, Cell(0, 0).u, Cell(0, 0).v, texel(Cell(0, 0).u, Cell(0, 0).v));
    // Hanging over the surface's edges: only the part on it is drawn.
    EXPECT_EQ(elDraw::DrawTunnel(-30, -20, 0, 0, texture), 1);
    EXPECT_EQ(Back(0, 0), texel(Cell(20, 30).u, Cell(20, 30).v));
    EXPECT_EQ(elDraw::DrawTunnel(780, 590, 0, 0, texture), 1);
    EXPECT_EQ(Back(799, 599), texel(Cell(9, 19).u, Cell(9, 19).v));
}

TEST_F(Tunnel, DrawRefusesSmallTexturesAndFailedLocks) {
    int texture = Solid(32, 16, 3);
    int small = Solid(31, 16, 3);
    elDraw::MakeTunnel(32, 16, 64, 48, -1, -1, -1, 0, 0, 0);
    EXPECT_EQ(elDraw::DrawTunnel(0, 0, 0, 0, small), 0);
    EXPECT_EQ(Back(0, 0), 0u);
    EXPECT_EQ(elDraw::DrawTunnel(0, 0, 0, 0, 999), 0);
    hl::LoseSurfaces();
    EXPECT_EQ(elDraw::DrawTunnel(0, 0, 0, 0, texture), 0);
    elDraw::Restore();
    test::FillSurface(elDraw::BackSurface, 0);
    test::FillSurface(ObjectTable[texture].surface, 3);
    // Both surfaces were unlocked: the next draw locks them again.
    EXPECT_EQ(elDraw::DrawTunnel(0, 0, 0, 0, texture), 1);
    EXPECT_EQ(Back(10, 10), 3u);
}

}  // namespace

namespace {

// ---- Golden images --------------------------------------------------------------

// A fixed scene: a colour gradient behind a ring of bands, 160 x 120 at
// (40, 40) of the back surface.
class FilterGolden : public Filters {
protected:
    static constexpr int kLeft = 40, kTop = 40, kWidth = 160, kHeight = 120;
    void SetUp() override {
        Filters::SetUp();
        Scene();
    }
    // The gradient, the ring, the noise and the clip as they were at the start.
    void Scene() {
        elDraw::SetClip(0, 0, 800, 600);
        elDraw::GlowNoiseCursor = 0;
        for (int i = 0; i < 10000; ++i) NoiseTable[i] = static_cast<std::uint8_t>((i * 7) % 3);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                SetBack(kLeft + x, kTop + y, elDraw::Pack5(x * 31 / kWidth, 8 + y * 20 / kHeight, 31 - x * 31 / kWidth));
        if (!elDraw::ObjectSurface(ring_)) ring_ = Solid(64, 64, 0);  // again after a reopen
        test::FillSurface(ObjectTable[ring_].surface, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const double r = std::hypot(x - 31.5, y - 31.5);
                if (r < 14 || r > 30) continue;
                const auto band = static_cast<unsigned>(r) % 8;
                SetObj(ring_, x, y, elDraw::Pack5(4 * band, 31 - 3 * band, 10 + band * 2));
            }
    }
    long Compare(const std::string& name) {
        elDraw::Present();
        const hl::Frame& shown = hl::PresentedFrame();
        hl::Frame crop;
        crop.width = kWidth;
        crop.height = kHeight;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) crop.pixels.push_back(shown.at(kLeft + x, kTop + y));
        return test::CompareWithGolden(name, crop);
    }
    int ring_ = 0;
};

TEST_F(FilterGolden, EachFilterOnAFixedPicture) {
    EXPECT_EQ(elDraw::DrawGlow(60, 60, 1, 2, 1, 0xFF, 1, ring_, 0, 0, 64, 64), 1);
    EXPECT_EQ(Compare("filter_glow"), 0);
    Scene();
    EXPECT_EQ(elDraw::DrawSmoothEdge(60, 60, ring_, 0, 0, 64, 64), 1);
    EXPECT_EQ(Compare("filter_smooth_edge"), 0);
    Scene();
    EXPECT_EQ(elDraw::DrawBlur(60, 60, 5, ring_, 0, 0, 64, 64), 1);
    EXPECT_EQ(Compare("filter_blur"), 0);
    Scene();
    EXPECT_EQ(elDraw::DrawRefract(60, 60, 0.8f, ring_, 0, 0, 64, 64), 1);
    EXPECT_EQ(Compare("filter_refract"), 0);
    Scene();
    elDraw::SetClip(kLeft, kTop, kLeft + kWidth, kTop + kHeight);
    EXPECT_EQ(elDraw::DrawStretchEdge(100, 70, 0, 40, ring_, 0, 0, 64, 64), 1);
    EXPECT_EQ(elDraw::DrawStretchEdge(70, 90, 3, 20, ring_, 0, 32, 64, 64), 1);
    EXPECT_EQ(Compare("filter_stretch"), 0);
}

TEST_F(FilterGolden, TunnelShapesInBothFormats) {
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Scene();
        // Round tunnel on the left half, a slanted diamond one on the right.
        elDraw::MakeTunnel(64, 64, 80, 120, -1, -1, -1, 0, 0, 0);
        EXPECT_EQ(elDraw::DrawTunnel(kLeft, kTop, 5, 9, ring_), 1);
        elDraw::MakeTunnel(64, 64, 80, 120, 40, -1, 5, 1, 2, 4);
        EXPECT_EQ(elDraw::DrawTunnel(kLeft + 80, kTop, -7, 3, ring_), 1);
        EXPECT_EQ(Compare(format == DisplayFormat::Rgb565 ? "tunnel_565" : "tunnel_555"), 0);
    }
}

}  // namespace
