// Software object draws on locked 16-bit surfaces: cutting to the clip
// rectangle and to the surfaces, refused slots and locks, transparency, and
// the pixel values of every blend and recolouring in 5:6:5 and 5:5:5.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "draw/effects/elEffects.h"
#include "platform/display.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"
#include "system/random.h"

using namespace plat;
namespace hl = plat::headless;
using test::PixelAt;

namespace {

constexpr std::uint32_t kBack = 0x5555;

constexpr std::uint32_t P565(std::uint32_t r, std::uint32_t g6, std::uint32_t b) {
    return (r << 11) | (g6 << 5) | b;
}
constexpr std::uint32_t P555(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r << 10) | (g << 5) | b;
}
// A 5:6:5 pixel from 5-bit channels (green's lowest bit 0).
constexpr std::uint32_t P565of5(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return P565(r, g << 1, b);
}

std::uint32_t Pattern(int x, int y) { return static_cast<std::uint32_t>(1 + x + 100 * y); }

class EffectDraws : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, kBack);
    }
    void Reopen(DisplayFormat format) {
        SetDisplayFormat(format);
        elDraw::SetDepths(format == DisplayFormat::Xrgb8888 ? 32 : 16, 0, 0);
        ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
        test::FillSurface(elDraw::BackSurface, kBack);
    }
    int Solid(int w, int h, std::uint32_t value) {
        int slot = elDraw::CreateObject(w, h, 2);
        EXPECT_GT(slot, 0);
        test::FillSurface(ObjectTable[slot].surface, value);
        return slot;
    }
    int PatternObject(int w, int h) {
        int slot = Solid(w, h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) test::SetPixelAt(ObjectTable[slot].surface, x, y, Pattern(x, y));
        return slot;
    }
    std::uint32_t Back(int x, int y) { return PixelAt(elDraw::BackSurface, x, y); }
    void SetBack(int x, int y, std::uint32_t v) { test::SetPixelAt(elDraw::BackSurface, x, y, v); }
    // Draws a one-pixel object of value s onto a back pixel of value d and
    // returns the result.
    std::uint32_t One(std::uint32_t s, std::uint32_t d,
                      const std::function<int(int x, int y, int slot)>& draw) {
        int slot = Solid(1, 1, s);
        SetBack(400, 300, d);
        EXPECT_EQ(draw(400, 300, slot), 1);
        elDraw::ReleaseObject(slot);
        return Back(400, 300);
    }
};

// A plain copy through the effects: every channel kept.
int Copy(int x, int y, int slot, int l, int t, int r, int b) {
    return elDraw::DrawChannelMask(x, y, 1, 1, 1, slot, l, t, r, b);
}

TEST_F(EffectDraws, RectangleIsCutToTheClipRectangle) {
    int obj = PatternObject(10, 10);
    EXPECT_EQ(Copy(-3, -4, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Back(0, 0), Pattern(3, 4));
    EXPECT_EQ(Back(6, 5), Pattern(9, 9));
    EXPECT_EQ(Back(7, 0), kBack);
    EXPECT_EQ(Back(0, 6), kBack);

    EXPECT_EQ(Copy(795, 597, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Back(799, 599), Pattern(4, 2));

    elDraw::SetClip(100, 100, 200, 150);
    EXPECT_EQ(Copy(95, 145, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Back(100, 145), Pattern(5, 0));
    EXPECT_EQ(Back(104, 149), Pattern(9, 4));
    EXPECT_EQ(Back(99, 145), kBack);
    EXPECT_EQ(Back(100, 150), kBack);
}

TEST_F(EffectDraws, NothingVisibleReturnsWithoutLocking) {
    int obj = PatternObject(10, 10);
    hl::LoseSurfaces();  // any lock would now fail and give 0
    EXPECT_EQ(Copy(900, 10, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Copy(10, 700, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Copy(-11, 10, obj, 0, 0, 10, 10), 1);
    // Ending exactly at the clip's left edge leaves width 0: locked, so 0 here.
    EXPECT_EQ(Copy(-10, 10, obj, 0, 0, 10, 10), 0);
    elDraw::Restore();
    test::FillSurface(elDraw::BackSurface, kBack);
    EXPECT_EQ(Copy(-10, 10, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Back(0, 10), kBack);
}

TEST_F(EffectDraws, AccessStaysInsideBothSurfaces) {
    int obj = PatternObject(10, 10);
    ClipRect = {-50, -50, 900, 700};  // reaches past the back surface
    EXPECT_EQ(Copy(795, 595, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Back(799, 599), Pattern(4, 4));
    EXPECT_EQ(Copy(-5, -6, obj, 0, 0, 10, 10), 1);
    EXPECT_EQ(Back(0, 0), Pattern(5, 6));
    EXPECT_EQ(Copy(-100, 300, obj, 0, 0, 10, 10), 1);
    // A source rectangle reaching outside the object draws only its inside.
    elDraw::SetClip(0, 0, 800, 600);
    EXPECT_EQ(Copy(100, 100, obj, -2, -2, 20, 20), 1);
    EXPECT_EQ(Back(101, 101), kBack);
    EXPECT_EQ(Back(102, 102), Pattern(0, 0));
    EXPECT_EQ(Back(111, 111), Pattern(9, 9));
    EXPECT_EQ(Back(112, 111), kBack);
    EXPECT_EQ(Back(111, 112), kBack);
    EXPECT_EQ(Copy(200, 200, obj, 50, 50, 60, 60), 1);
    EXPECT_EQ(Back(200, 200), kBack);
}

TEST_F(EffectDraws, BadSlotsAndFailedLocksReturnZero) {
    for (int slot : {-1, 512, 100000, 300}) {
        EXPECT_EQ(elDraw::DrawAdd(10, 10, slot, 0, 0, 4, 4), 0) << slot;
        EXPECT_EQ(elDraw::DrawGray(10, 10, slot, 0, 0, 4, 4), 0) << slot;
    }
    EXPECT_EQ(Back(10, 10), kBack);

    int obj = Solid(4, 4, 0x1234);
    hl::LoseSurfaces();
    ASSERT_EQ(ObjectTable[obj].surface->Restore(), DD_OK);  // only the back stays lost
    EXPECT_EQ(elDraw::DrawHalfBlend(10, 10, obj, 0, 0, 4, 4), 0);
    // The object was unlocked again.
    EXPECT_NE(PixelAt(ObjectTable[obj].surface, 0, 0), 0xFFFFFFFFu);
}

TEST_F(EffectDraws, DisplaysOtherThan16BitsAreRefused) {
    Reopen(DisplayFormat::Xrgb8888);
    int obj = Solid(4, 4, 0x00FF00);
    EXPECT_EQ(elDraw::DrawAdd(10, 10, obj, 0, 0, 4, 4), 0);
    EXPECT_EQ(elDraw::DrawBright(10, 10, 0.5f, obj, 0, 0, 4, 4), 0);
    EXPECT_EQ(Back(10, 10), kBack);
    EXPECT_NE(PixelAt(ObjectTable[obj].surface, 0, 0), 0xFFFFFFFFu);
    EXPECT_NE(Back(0, 0), 0xFFFFFFFFu);
}

TEST_F(EffectDraws, ObjectPixelsOfZeroAreTransparentInEveryDraw) {
    using Op = std::function<int(int, int, int)>;
    const std::vector<Op> ops = {
        [](int x, int y, int s) { return elDraw::DrawHalfBlend(x, y, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawAlphaBlend(x, y, 0.5f, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawAlphaBlendRGB(x, y, 1, 0, 1, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawFadeBlend(x, y, 20, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawFadeBlendRGB(x, y, 31, 30, 29, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawGradientAlpha(x, y, 1, 0.5f, 1, 0, 0, 1, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawGradientFade(x, y, 31, 20, 0, 1, 0, 1, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawAdd(x, y, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawAddLevel(x, y, 0.7f, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawSubtract(x, y, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawChannelMask(x, y, 0, 0, 0, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawBright(x, y, 0.3f, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawBrightRGB(x, y, 1, 1, 0, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawDark(x, y, 3, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawDarkRGB(x, y, 3, 4, 5, s, 0, 0, 2, 1); },
        [](int x, int y, int s) { return elDraw::DrawGray(x, y, s, 0, 0, 2, 1); },
    };
    int obj = Solid(2, 1, 0);
    test::SetPixelAt(ObjectTable[obj].surface, 1, 0, 0xFFFF);
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const int y = 20 + static_cast<int>(i);
        EXPECT_EQ(ops[i](10, y, obj), 1) << i;
        EXPECT_EQ(Back(10, y), kBack) << "draw " << i << " wrote a transparent pixel";
        EXPECT_NE(Back(11, y), kBack) << "draw " << i << " skipped an opaque pixel";
    }
}

TEST_F(EffectDraws, HalfAndOpacityBlends565) {
    auto half = [](int x, int y, int s) { return elDraw::DrawHalfBlend(x, y, s, 0, 0, 1, 1); };
    EXPECT_EQ(One(0xFFFF, 0, half), 0x7BEFu);
    EXPECT_EQ(One(0xFFFF, 0xFFFF, half), 0xF7DEu);

    auto alpha = [](float a) {
        return [a](int x, int y, int s) { return elDraw::DrawAlphaBlend(x, y, a, s, 0, 0, 1, 1); };
    };
    EXPECT_EQ(One(0x1234, kBack, alpha(1.0f)), 0x1234u);
    EXPECT_EQ(One(0x1234, kBack, alpha(0.0f)), kBack);
    // Channels mixed at full precision, green at 6 bits, truncated.
    EXPECT_EQ(One(P565(31, 63, 0), P565(0, 0, 31), alpha(0.5f)), P565(15, 31, 15));
    auto rgb = [](int x, int y, int s) {
        return elDraw::DrawAlphaBlendRGB(x, y, 1.0f, 0.25f, 0.0f, s, 0, 0, 1, 1);
    };
    // green: 63 * 0.25 + 0 * 0.75 = 15.75 -> 15.
    EXPECT_EQ(One(P565(31, 63, 31), P565(0, 0, 7), rgb), P565(31, 15, 7));
}

TEST_F(EffectDraws, CrossFadesDarkenBothSides) {
    auto fade = [](int level) {
        return [level](int x, int y, int s) { return elDraw::DrawFadeBlend(x, y, level, s, 0, 0, 1, 1); };
    };
    // Level 16: object - 15 and back - 16, each at least 0, summed.
    EXPECT_EQ(One(P565of5(31, 31, 0), P565of5(31, 0, 31), fade(16)), P565of5(31, 16, 15));
    EXPECT_EQ(One(P565of5(5, 6, 7), P565of5(9, 9, 9), fade(31)), P565of5(5, 6, 7));
    EXPECT_EQ(One(P565of5(5, 6, 7), P565of5(9, 9, 9), fade(0)), P565of5(9, 9, 9));
    // Out-of-range levels act as the nearest end.
    EXPECT_EQ(One(P565of5(5, 6, 7), P565of5(9, 9, 9), fade(99)), P565of5(5, 6, 7));
    EXPECT_EQ(One(P565of5(5, 6, 7), P565of5(9, 9, 9), fade(-4)), P565of5(9, 9, 9));
    auto perChannel = [](int x, int y, int s) {
        return elDraw::DrawFadeBlendRGB(x, y, 31, 0, 16, s, 0, 0, 1, 1);
    };
    EXPECT_EQ(One(P565of5(20, 20, 31), P565of5(3, 4, 0), perChannel), P565of5(20, 4, 16));

    Reopen(DisplayFormat::Rgb555);
    EXPECT_EQ(One(P555(31, 31, 0), P555(31, 0, 31), fade(16)), P555(31, 16, 15));
}

TEST_F(EffectDraws, AddAndSubtract) {
    auto add = [](int x, int y, int s) { return elDraw::DrawAdd(x, y, s, 0, 0, 1, 1); };
    auto level = [](float v) {
        return [v](int x, int y, int s) { return elDraw::DrawAddLevel(x, y, v, s, 0, 0, 1, 1); };
    };
    EXPECT_EQ(One(P565of5(20, 1, 0), P565of5(20, 2, 5), add), P565of5(31, 3, 5));
    EXPECT_EQ(One(P565of5(20, 1, 0), P565of5(20, 2, 5), level(0.0f)), P565of5(20, 2, 5));
    EXPECT_EQ(One(P565of5(20, 1, 0), P565of5(20, 2, 5), level(1.0f)), P565of5(31, 3, 5));
    // Strength 0.5: k = trunc(15.5) = 15; red 20 - 15 + 3 = 8.
    EXPECT_EQ(One(P565of5(20, 10, 0), P565of5(3, 3, 3), level(0.5f)), P565of5(8, 3, 3));
    EXPECT_EQ(One(P565of5(20, 1, 0), P565of5(20, 2, 5), level(7.0f)), P565of5(31, 3, 5));

    auto sub = [](int x, int y, int s) { return elDraw::DrawSubtract(x, y, s, 0, 0, 1, 1); };
    EXPECT_EQ(One(P565of5(0, 31, 0), P565of5(12, 13, 14), sub), P565of5(12, 13, 14));
    EXPECT_EQ(One(P565of5(10, 0, 0), P565of5(12, 13, 4), sub), P565of5(2, 3, 0));

    Reopen(DisplayFormat::Rgb555);
    EXPECT_EQ(One(P555(20, 1, 0), P555(20, 2, 5), add), P555(31, 3, 5));
    EXPECT_EQ(One(P555(10, 31, 31), P555(12, 13, 4), sub), P555(2, 3, 0));
}

TEST_F(EffectDraws, GradientAlphaStepsAlongRowsOrDownRows) {
    int obj = Solid(40, 3, P565(31, 0, 0));
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawGradientAlpha(0, 0, 0, 0, 0, 0, 0, 1, obj, 0, 0, 40, 3), 1);
    for (int y = 0; y < 3; ++y)
        for (int x : {0, 1, 2, 16, 31, 32, 39})
            EXPECT_EQ(Back(x, y), P565(31u * static_cast<std::uint32_t>(std::min(x, 32)) / 32, 0, 0))
                << x << "," << y;

    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawGradientAlpha(0, 0, 0, 0, 0, 1, 0, 1, obj, 0, 0, 40, 3), 1);
    for (int y = 0; y < 3; ++y)
        for (int x : {0, 5, 39}) EXPECT_EQ(Back(x, y), P565(31u * static_cast<std::uint32_t>(y) / 32, 0, 0));

    // A start beyond the width never steps; a clipped draw starts at the edge.
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawGradientAlpha(0, 0, 0, 0, 0, 0, 0x10000 + 40, 1, obj, 0, 0, 40, 3), 1);
    EXPECT_EQ(Back(39, 0), 0u);
    EXPECT_EQ(elDraw::DrawGradientAlpha(-10, 5, 0, 0, 0, 0, 0, 1, obj, 0, 0, 40, 3), 1);
    EXPECT_EQ(Back(0, 5), 0u);
    EXPECT_EQ(Back(8, 5), P565(31 * 8 / 32, 0, 0));
}

TEST_F(EffectDraws, GradientFadeStepsEveryStepPositionsAfterStart) {
    int obj = Solid(12, 12, P565of5(31, 0, 0));
    test::SetPixelAt(ObjectTable[obj].surface, 4, 0, 0);  // transparent pixels count too
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawGradientFade(0, 0, 0, 0, 0, 0, 2, 2, obj, 0, 0, 12, 1), 1);
    // Steps at positions 4, 6, 8, 10: level 0, 0, 0, 0, -, 1, 2, 2, 3, 3, 4, 4.
    const std::uint32_t expect[12] = {0, 0, 0, 0, 0, 1, 2, 2, 3, 3, 4, 4};
    for (int x = 0; x < 12; ++x) EXPECT_EQ(Back(x, 0), P565of5(expect[x], 0, 0)) << x;

    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::DrawGradientFade(0, 0, 0, 10, 31, 1, 0, 3, obj, 0, 0, 12, 12), 1);
    EXPECT_EQ(Back(7, 2), 0u);
    EXPECT_EQ(Back(7, 3), P565of5(1, 0, 0));
    EXPECT_EQ(Back(7, 11), P565of5(3, 0, 0));
    EXPECT_EQ(elDraw::DrawGradientFade(0, 0, 0, 0, 0, 1, 0, -5, obj, 0, 0, 12, 12), 1);  // step 1
    EXPECT_EQ(Back(0, 11), P565of5(11, 0, 0));
}

TEST_F(EffectDraws, RecolouringReplacesTheBackSurface) {
    auto mask = [](int r, int g, int b) {
        return [=](int x, int y, int s) { return elDraw::DrawChannelMask(x, y, r, g, b, s, 0, 0, 1, 1); };
    };
    EXPECT_EQ(One(0xFFFF, kBack, mask(0, 0, 0)), 0u);
    EXPECT_EQ(One(0x1234, kBack, mask(1, 0, 1)), 0x1234u & 0xF81Fu);

    auto bright = [](float r, float g, float b) {
        return [=](int x, int y, int s) { return elDraw::DrawBrightRGB(x, y, r, g, b, s, 0, 0, 1, 1); };
    };
    EXPECT_EQ(One(P565(31, 63, 31), kBack, bright(0.5f, 0.5f, 0.5f)), P565(15, 31, 15));
    EXPECT_EQ(One(P565(31, 63, 31), kBack, bright(1.0f, 0.0f, 0.1f)), P565(31, 0, 3));
    // Factors above 1 do not spill into the next channel.
    EXPECT_EQ(One(P565(31, 63, 31), kBack, bright(3.0f, 2.0f, 1.5f)), P565(31, 63, 31));
    auto bright1 = [](int x, int y, int s) { return elDraw::DrawBright(x, y, 0.25f, s, 0, 0, 1, 1); };
    EXPECT_EQ(One(P565(31, 63, 8), kBack, bright1), P565(7, 15, 2));

    auto dark = [](int level) {
        return [level](int x, int y, int s) { return elDraw::DrawDark(x, y, level, s, 0, 0, 1, 1); };
    };
    EXPECT_EQ(One(P565(31, 63, 31), kBack, dark(31)), P565(31, 62, 31));  // green's low bit lost
    EXPECT_EQ(One(P565(31, 63, 31), kBack, dark(0)), 0u);
    EXPECT_EQ(One(P565of5(31, 20, 5), kBack, dark(21)), P565of5(21, 10, 0));
    auto darkRgb = [](int x, int y, int s) { return elDraw::DrawDarkRGB(x, y, 31, 30, 0, s, 0, 0, 1, 1); };
    EXPECT_EQ(One(P565of5(9, 9, 9), kBack, darkRgb), P565of5(9, 8, 0));

    auto gray = [](int x, int y, int s) { return elDraw::DrawGray(x, y, s, 0, 0, 1, 1); };
    EXPECT_EQ(One(P565(31, 0, 0), kBack, gray), P565of5(10, 10, 10));
    EXPECT_EQ(One(P565(31, 63, 31), kBack, gray), P565of5(31, 31, 31));

    Reopen(DisplayFormat::Rgb555);
    EXPECT_EQ(One(0x7FFF, kBack, dark(31)), 0x7FFFu);
    EXPECT_EQ(One(P555(31, 0, 0), kBack, gray), P555(10, 10, 10));
    EXPECT_EQ(One(0x7FFF, kBack, mask(0, 1, 0)), 0x03E0u);
    EXPECT_EQ(One(0x7FFF, 0, [](int x, int y, int s) { return elDraw::DrawHalfBlend(x, y, s, 0, 0, 1, 1); }),
              0x3DEFu);
    EXPECT_EQ(One(P555(31, 31, 0), P555(0, 0, 31),
                  [](int x, int y, int s) { return elDraw::DrawAlphaBlend(x, y, 0.5f, s, 0, 0, 1, 1); }),
              P555(15, 15, 15));
}

TEST_F(EffectDraws, NoiseCursorRunsThroughTheTableThenRestartsAtRandom) {
    elDraw::NoiseCursor cursor;
    for (int i = 0; i < 9999; ++i) ASSERT_EQ(cursor.Next(), NoiseTable[i]) << i;
    elSystem::SeedRandom(99);
    const int restart = elSystem::Random() % 1000;
    elSystem::SeedRandom(99);
    EXPECT_EQ(cursor.Next(), NoiseTable[9999]);
    EXPECT_EQ(cursor.index, restart);
    EXPECT_EQ(cursor.Next(), NoiseTable[restart]);
}

}  // namespace
