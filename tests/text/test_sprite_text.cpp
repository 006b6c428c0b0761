// Font sprite text: layout in a rectangle with the line-start rules, line
// feeds, shadow and thickening flags, the colour guard, the bottom limit, the
// box table's limit, the reveal, the smoothed renderer's pieces and its
// reduction arithmetic at every depth, the reduction's bounds, the caller's
// font arrangement across renders, and golden frames of both renderers.
// Needs the IPA fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"
#include "support/effect_surfaces.h"
#include "support/golden.h"
#include "support/sprite_text_layout.h"
#include "system/elSystem.h"
#include "text/elText.h"

using namespace plat;
namespace hl = plat::headless;
using test::PixelAt;
using test::Rgb565;

namespace {

constexpr std::uint32_t kGround = 0x1082;

class SpriteText : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, kGround);
    }
    void Reopen(DisplayFormat format) {
        SetDisplayFormat(format);
        elDraw::SetDepths(format == DisplayFormat::Xrgb8888 ? 32 : 16, 0, 0);
        ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    }
    static IDirectDrawSurface* FontObject() { return ObjectTable[2].surface; }
    static IDirectDrawSurface* FontBuffer() { return ObjectTable[3].surface; }
    // Cell of a character in the font held now.
    static SIZE Extent(const char* text) {
        SIZE s{};
        GetTextExtentPoint32A(elText::TextDC, text, static_cast<int>(std::strlen(text)), &s);
        return s;
    }
    static SIZE SpriteExtent(const char* text, int size) {
        elText::SetFont(1, size, 0, 0, 0, 0);
        SIZE s = Extent(text);
        elText::ReleaseFont();
        return s;
    }
    // Whether any pixel of a surface region is not `value`.
    static bool AnyOtherThan(IDirectDrawSurface* s, int left, int top, int right, int bottom, std::uint32_t value) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (PixelAt(s, x, y) != value) return true;
        return false;
    }
    static bool Lockable(IDirectDrawSurface* s) { return PixelAt(s, 0, 0) != 0xFFFFFFFFu; }
    void Sprite(int left, int top, int right, int bottom, const char* text, int flags, bool prepare = false) {
        elText::SetFont(1, 12, 0, 0, 0, 0);
        elText::SetColor(0xFFFFFF, 0x0000FF, 1);
        if (prepare) elText::PrepareSpriteText(left, top, right, bottom, text, flags);
        else elText::SpriteText(left, top, right, bottom, text, flags);
        elText::ReleaseFont();
    }
};

// ---- Layout ----------------------------------------------------------------------------

TEST_F(SpriteText, LinesWrapAtTheLimitAndForbiddenCharactersHangPastIt) {
    const SIZE a = SpriteExtent("あ", 12);
    const SIZE maru = SpriteExtent("。", 12);
    const int right = 100 + 3 * a.cx + a.cx / 2;  // room for three and a half
    Sprite(100, 50, right, 300, "あいう。えおかきくけ", 0);
    // あいう on the first line, 。 drawn past the limit without a box, え
    // first on the second line.
    ASSERT_GE(elText::BoxCount, 5);
    for (int i = 0; i < 3; ++i) {
        const elText::CharBox& b = elText::BoxTable[1 + i];
        EXPECT_EQ(b.left, 100 + i * a.cx);
        EXPECT_EQ(b.top, 50);
        EXPECT_EQ(b.right, b.left + a.cx);
        EXPECT_EQ(b.bottom, 50 + a.cy);
    }
    EXPECT_EQ(elText::BoxTable[4].left, 100);
    EXPECT_EQ(elText::BoxTable[4].top, 50 + 12);
    EXPECT_TRUE(AnyOtherThan(FontObject(), 100 + 3 * a.cx, 50, 100 + 3 * a.cx + maru.cx, 50 + maru.cy, 0));
    // The bounds reach one character width past the hanging character.
    EXPECT_GE(elText::BoxTable[0].right, 100 + 3 * a.cx + 2 * maru.cx);
    // A character that may start a line moves down instead.
    Sprite(100, 50, right, 300, "あいうえお", 0);
    EXPECT_EQ(elText::BoxCount, 6);
    EXPECT_EQ(elText::BoxTable[4].left, 100);
    EXPECT_EQ(elText::BoxTable[4].top, 62);
    EXPECT_FALSE(AnyOtherThan(FontObject(), 100 + 3 * a.cx, 50, right + a.cx, 62, 0));
    // Every one of the fifteen counts; ordinary characters do not.
    for (const char* c : {"、", "。", "，", "．", "・", "…", "‥", "”", "’", "（", "」", ",", ".", "　", " "})
        EXPECT_TRUE(elText::IsLineStartForbidden(c)) << c;
    for (const char* c : {"あ", "「", "！", "a", "\x81"}) EXPECT_FALSE(elText::IsLineStartForbidden(c)) << c;
}

TEST_F(SpriteText, LineFeedsStartLinesWithoutBoxesAndTheBottomIsTestedAtEachBreak) {
    Sprite(10, 20, 700, 500, "あ\nい\n\nう", 0);
    ASSERT_EQ(elText::BoxCount, 4);
    EXPECT_EQ(elText::BoxTable[1].top, 20);
    EXPECT_EQ(elText::BoxTable[2].left, 10);
    EXPECT_EQ(elText::BoxTable[2].top, 32);
    EXPECT_EQ(elText::BoxTable[3].top, 56);  // an empty line between
    // The first line is drawn even when the bottom is less than a line below.
    Sprite(10, 20, 60, 25, "あいうえおかきくけこ", 0);
    const SIZE a = SpriteExtent("あ", 12);
    EXPECT_EQ(elText::BoxCount, 1 + (60 - 10) / a.cx);
    for (int i = 1; i < elText::BoxCount; ++i) EXPECT_EQ(elText::BoxTable[i].top, 20);
    EXPECT_TRUE(AnyOtherThan(FontObject(), 10, 20, 60, 32, 0));
    // A second line needs its whole height above the bottom.
    Sprite(10, 20, 60, 20 + 3 * 12, "あいうえおかきくけこ", 0);
    EXPECT_EQ(elText::BoxTable[elText::BoxCount - 1].top, 32);
}

TEST_F(SpriteText, ShadowAndSpacingFlagsOnATwelvePixelFont) {
    const SIZE a = SpriteExtent("あ", 12);
    Sprite(10, 10, 10 + a.cx + 2, 400, "あい", 0x0104);
    ASSERT_EQ(elText::BoxCount, 3);
    EXPECT_EQ(elText::BoxTable[1].right - elText::BoxTable[1].left, a.cx + 1);
    EXPECT_EQ(elText::BoxTable[1].bottom - elText::BoxTable[1].top, a.cy + 1);
    EXPECT_EQ(elText::BoxTable[2].top - elText::BoxTable[1].top, 16);
    // The shadow (red) is the ink (white) moved one right and one down.
    const std::uint32_t white = 0xFFFF, red = Rgb565(0x0000FF);
    int inkPixels = 0;
    for (int y = 10; y < 10 + a.cy; ++y)
        for (int x = 10; x < 10 + a.cx; ++x) {
            if (PixelAt(FontObject(), x, y) != white) continue;
            ++inkPixels;
            const std::uint32_t below = PixelAt(FontObject(), x + 1, y + 1);
            EXPECT_TRUE(below == red || below == white) << x << "," << y;
        }
    EXPECT_GT(inkPixels, 10);
    EXPECT_NE(PixelAt(FontObject(), 10, 10), red);
    // Thickening widens and heightens each box by one more pixel.
    Sprite(10, 10, 500, 400, "あ", 0x0700);
    EXPECT_EQ(elText::BoxTable[1].right - elText::BoxTable[1].left, a.cx + 2);
    EXPECT_EQ(elText::BoxTable[1].bottom - elText::BoxTable[1].top, a.cy + 2);
}

TEST_F(SpriteText, DarkColoursAreLiftedAboveTheTransparentKey) {
    struct Case {
        COLORREF given, kept;
    };
    for (const Case c : {Case{0x000000, 0x101010}, Case{0x0F0F0F, 0x101010}, Case{0x100000, 0x100000}}) {
        elText::SetFont(1, 12, 0, 0, 0, 0);
        elText::SetColor(c.given, c.given, 1);
        elText::SpriteText(10, 10, 700, 100, "あ", 0x100);
        elText::ReleaseFont();
        EXPECT_EQ(elText::TextColor, c.kept);
        EXPECT_EQ(elText::BackColor, c.kept);
        EXPECT_TRUE(AnyOtherThan(FontObject(), 10, 10, 30, 30, 0)) << std::hex << c.given;
    }
    // Drawn onto the back surface, black text shows as 0x101010.
    EXPECT_NE(PixelAt(elDraw::BackSurface, 0, 0), 0xFFFFFFFFu);
}

TEST_F(SpriteText, TextLongerThanTheBoxTableStopsAtItsLimit) {
    std::string text;
    for (int i = 0; i < 4000; ++i) text += "ｱ";
    elText::SetFont(1, 6, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::SpriteText(0, 0, 800, 600, text.c_str(), 0);
    elText::ReleaseFont();
    EXPECT_EQ(elText::BoxCount, elText::kBoxTableSize);
    elText::SetWorkFont(1, 3);
    elText::SmoothText(0, 0, 800, 600, text.c_str(), 0);
    elText::ReleaseWorkFont();
    EXPECT_EQ(elText::BoxCount, elText::kBoxTableSize);
}

TEST_F(SpriteText, ALeadByteAtTheEndIsNotReadPast) {
    // Exactly the bytes and the terminator, on the heap: a read past is caught.
    for (bool smooth : {false, true}) {
        std::vector<char> text = {'\x82', '\xA0', '\x82', '\0'};
        if (smooth) {
            elText::SetWorkFont(1, 12);
            elText::SmoothText(10, 10, 700, 100, text.data(), 0);
            elText::ReleaseWorkFont();
        } else {
            Sprite(10, 10, 700, 100, text.data(), 0);
        }
        EXPECT_EQ(elText::BoxCount, 3) << smooth;
    }
}

// ---- The caller's fonts, and a second render -----------------------------------------

TEST_F(SpriteText, TheCallersFontIsHeldAgainAfterEveryRender) {
    elText::SetFont(1, 12, 0, 0, 0, 0);
    elText::SetColor(0x00FFFF, 0x000080, 0);
    elText::SpriteText(10, 10, 700, 100, "あいう", 0);
    elText::SpriteText(10, 40, 700, 100, "えお", 0);  // a second render in the same hold
    EXPECT_EQ(elText::HeldFontSurface(), elDraw::BackSurface);
    ASSERT_NE(elText::TextDC, nullptr);
    EXPECT_EQ(GetTextColor(elText::TextDC), 0x00FFFFu);
    EXPECT_EQ(GetBkMode(elText::TextDC), OPAQUE);
    EXPECT_FALSE(Lockable(elDraw::BackSurface));
    elText::ReleaseFont();
    EXPECT_TRUE(Lockable(elDraw::BackSurface));
    EXPECT_EQ(elText::CurrentFont, nullptr);
    // Only the second text is left in the Font object and in the table.
    EXPECT_EQ(elText::BoxCount, 3);
    EXPECT_FALSE(AnyOtherThan(FontObject(), 10, 10, 60, 30, 0));
    // Both texts were drawn onto the back surface.
    EXPECT_TRUE(AnyOtherThan(elDraw::BackSurface, 10, 10, 60, 30, kGround));

    elText::SetWorkFont(1, 12);
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::SmoothText(10, 100, 700, 200, "あいう", 0);
    elText::SmoothText(10, 140, 700, 200, "えお", 0);
    EXPECT_EQ(elText::HeldFontSurface(), FontBuffer());
    EXPECT_TRUE(Lockable(elDraw::BackSurface));
    elText::ReleaseWorkFont();
    EXPECT_TRUE(Lockable(FontBuffer()));
    EXPECT_EQ(elText::BoxCount, 3);
    EXPECT_TRUE(AnyOtherThan(elDraw::BackSurface, 10, 100, 60, 120, kGround));
    EXPECT_TRUE(AnyOtherThan(elDraw::BackSurface, 10, 140, 60, 160, kGround));
}

// ---- Reveal ------------------------------------------------------------------------------

TEST_F(SpriteText, RevealUncoversOneCharacterPerIntervalAndTheHangingOneLast) {
    const SIZE a = SpriteExtent("あ", 12);
    const int right = 100 + 3 * a.cx + a.cx / 2;
    Sprite(100, 50, right, 300, "あいう。", 0, true);
    EXPECT_FALSE(AnyOtherThan(elDraw::BackSurface, 100, 50, right + 2 * a.cx, 80, kGround));  // kept, not drawn
    ASSERT_EQ(elText::BoxCount, 4);
    EXPECT_EQ(elText::DrawImmediately, 1);
    FrameDelta = 0.02f;  // 0.05-second interval: a character every third frame
    std::vector<int> shownAt;
    int frame = 0, result = 0;
    for (; frame < 40 && !result; ++frame) {
        test::FillSurface(elDraw::BackSurface, kGround);
        result = elText::RevealText(0.05f);
        int shown = 0;
        for (int i = 0; i < 3; ++i)
            if (AnyOtherThan(elDraw::BackSurface, 100 + i * a.cx, 50, 100 + (i + 1) * a.cx, 50 + a.cy, kGround)) ++shown;
        if (shown > static_cast<int>(shownAt.size())) shownAt.push_back(frame);
        const bool hanging = AnyOtherThan(elDraw::BackSurface, 100 + 3 * a.cx, 50, right + a.cx, 50 + a.cy, kGround);
        EXPECT_EQ(hanging, result == 1) << frame;
    }
    // A character is drawn from the frame after the one that counts it in:
    // the first at frame 6, the last at 12, the whole rectangle one interval
    // later.
    EXPECT_EQ(shownAt, (std::vector<int>{6, 9, 12}));
    EXPECT_EQ(frame - 1, 15);
    EXPECT_EQ(elText::RevealText(0.05f), 1);  // and from then on

    // A second Prepare render starts the reveal over; interval 0 shows all at once.
    Sprite(100, 50, right, 300, "あいう。", 0, true);
    EXPECT_EQ(elText::RevealedCount, 0);
    test::FillSurface(elDraw::BackSurface, kGround);
    EXPECT_EQ(elText::RevealText(0.0f), 1);
    EXPECT_TRUE(AnyOtherThan(elDraw::BackSurface, 100 + 3 * a.cx, 50, right + a.cx, 50 + a.cy, kGround));
}

TEST_F(SpriteText, RevealDrawsExactlyTheBoxesUncoveredFromTheFirstCharacterToTheLast) {
    // The Font object is painted over with a pattern after the render, so
    // every pixel of a box shows and each box's edges can be seen exactly.
    const SIZE a = SpriteExtent("あ", 12);
    const int right = 100 + 3 * a.cx + a.cx / 2;
    for (bool smooth : {false, true}) {
        SCOPED_TRACE(smooth ? "smooth" : "sprite");
        if (smooth) {
            elText::SetWorkFont(1, 12);
            elText::SetColor(0xFFFFFF, 0, 1);
            elText::PrepareSmoothText(100, 50, right, 300, "あいう。", 0);
            elText::ReleaseWorkFont();
        } else {
            Sprite(100, 50, right, 300, "あいう。", 0, true);
        }
        ASSERT_EQ(elText::BoxCount, 4);
        // The boxes of one line meet edge to edge, one character cell each.
        EXPECT_EQ(elText::BoxTable[1].left, 100);
        EXPECT_EQ(elText::BoxTable[1].right, 100 + a.cx);
        EXPECT_EQ(elText::BoxTable[1].bottom, 50 + a.cy);
        for (int i = 1; i < 3; ++i) {
            EXPECT_EQ(elText::BoxTable[i].right, elText::BoxTable[i + 1].left) << i;
            EXPECT_EQ(elText::BoxTable[i + 1].right - elText::BoxTable[i + 1].left, a.cx) << i;
        }
        for (int y = 0; y < 100; ++y)
            for (int x = 90; x < 200; ++x) test::SetPixelAt(FontObject(), x, y, 0x8000u | static_cast<std::uint32_t>(x + 3 * y));
        const auto inside = [](const elText::CharBox& b, int x, int y) {
            return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
        };
        // Two frames a character; the whole rectangle two frames after the last.
        FrameDelta = 0.02f;
        int frame = 0, result = 0;
        for (; frame < 20 && !result; ++frame) {
            const int revealed = elText::RevealedCount;
            test::FillSurface(elDraw::BackSurface, kGround);
            result = elText::RevealText(0.04f);
            for (int y = 40; y < 80; ++y)
                for (int x = 90; x < 200; ++x) {
                    bool shown = false;
                    if (result) shown = inside(elText::BoxTable[0], x, y);
                    for (int i = 1; i < revealed && i < elText::BoxCount; ++i) shown = shown || inside(elText::BoxTable[i], x, y);
                    const std::uint32_t expected = shown ? 0x8000u | static_cast<std::uint32_t>(x + 3 * y) : kGround;
                    ASSERT_EQ(PixelAt(elDraw::BackSurface, x, y), expected) << "frame " << frame << " at " << x << "," << y;
                }
        }
        // A character is counted in every second frame (1, 3, 5, 7, 9) and
        // drawn from the next after: the first from frame 4, the third from
        // frame 8, the whole rectangle (with the hanging character) at 10.
        EXPECT_EQ(frame - 1, 10);
        EXPECT_EQ(elText::RevealedCount, 5);
    }
    // The first and the last character on their own frames, with the
    // hanging character only in the whole rectangle.
    Sprite(100, 50, right, 300, "あいう。", 0, true);
    FrameDelta = 0.04f;
    std::vector<int> counts;
    for (int frame = 0; frame < 6; ++frame) {
        counts.push_back(elText::RevealedCount);
        elText::RevealText(0.04f);
    }
    EXPECT_EQ(counts, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(SpriteText, RevealFinishesForEveryInterval) {
    const SIZE a = SpriteExtent("あ", 12);
    const int right = 100 + 3 * a.cx + a.cx / 2;
    FrameDelta = 0.02f;
    // NaN and infinity never come round: the whole text at once.
    for (float interval : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        Sprite(100, 50, right, 300, "あいう。", 0, true);
        test::FillSurface(elDraw::BackSurface, kGround);
        EXPECT_EQ(elText::RevealText(interval), 1) << interval;
        EXPECT_TRUE(AnyOtherThan(elDraw::BackSurface, 100 + 3 * a.cx, 50, right + a.cx, 50 + a.cy, kGround));
    }
    // A negative one uncovers a character every frame.
    Sprite(100, 50, right, 300, "あいう。", 0, true);
    int frames = 0;
    while (frames < 20 && !elText::RevealText(-std::numeric_limits<float>::infinity())) ++frames;
    EXPECT_EQ(frames, 5);
}

TEST_F(SpriteText, AfterASurfaceLossTheRevealShowsTheRenderedTextAgain) {
    const SIZE a = SpriteExtent("あ", 12);
    const int right = 100 + 3 * a.cx + a.cx / 2;
    constexpr std::uint32_t kLostFill = 0x3C3C;  // what a lost headless surface holds
    for (bool smooth : {false, true}) {
        SCOPED_TRACE(smooth ? "smooth" : "sprite");
        test::FillSurface(elDraw::BackSurface, kLostFill);
        if (smooth) {
            elText::SetWorkFont(1, 12);
            elText::SetColor(0xFFFF00, 0x0000FF, 1);
            elText::PrepareSmoothText(100, 50, right, 300, "あいう。", 0x100);
            elText::ReleaseWorkFont();
        } else {
            elText::SetFont(1, 12, 0, 0, 0, 0);
            elText::SetColor(0xFFFF00, 0x0000FF, 1);
            elText::PrepareSpriteText(100, 50, right, 300, "あいう。", 0x100);
            elText::ReleaseFont();
        }
        // Another font and colours are current when the reveal runs.
        elText::SetFont(0, 20, 0, 1, 0, 0);
        elText::SetColor(0x00FF00, 0x000000, 0);
        elText::ReleaseFont();
        const LOGFONTA font = elText::FontDescription;
        test::FillSurface(elDraw::BackSurface, kLostFill);
        ASSERT_EQ(elText::RevealText(0.0f), 1);
        const test::Pixels whole = test::ReadPixels(elDraw::BackSurface);

        // Lost and restored before the reveal: the whole text as before.
        hl::LoseSurfaces();
        elDraw::Restore();
        test::FillSurface(elDraw::BackSurface, kLostFill);
        EXPECT_EQ(elText::RevealText(0.0f), 1);
        EXPECT_EQ(test::ReadPixels(elDraw::BackSurface).p, whole.p);
        // Lost, and found by the reveal's own draw.
        hl::LoseSurfaces();
        EXPECT_EQ(elText::RevealText(0.0f), 1);
        EXPECT_EQ(test::ReadPixels(elDraw::BackSurface).p, whole.p);
        // The font, colours and font arrangement of the program are as they were.
        EXPECT_EQ(std::memcmp(&elText::FontDescription, &font, sizeof font), 0);
        EXPECT_EQ(elText::TextColor, 0x00FF00u);
        EXPECT_EQ(elText::HeldFontSurface(), nullptr);
        EXPECT_EQ(elText::FontHeight, 20);
    }
    // A reveal half way goes on where it was: one character shown, the
    // loss, then the second one a frame later.
    Sprite(100, 50, right, 300, "あいう。", 0, true);
    FrameDelta = 1.0f;
    elText::RevealText(0.5f);
    elText::RevealText(0.5f);
    EXPECT_EQ(elText::RevealedCount, 2);
    hl::LoseSurfaces();
    elDraw::Restore();
    test::FillSurface(elDraw::BackSurface, kGround);
    EXPECT_EQ(elText::RevealText(0.5f), 0);
    EXPECT_EQ(elText::RevealedCount, 3);
    EXPECT_TRUE(AnyOtherThan(elDraw::BackSurface, 100, 50, 100 + a.cx, 50 + a.cy, kGround));
    EXPECT_FALSE(AnyOtherThan(elDraw::BackSurface, 100, 50 + a.cy, 800, 600, kGround));
    EXPECT_FALSE(AnyOtherThan(elDraw::BackSurface, 100 + a.cx, 40, 800, 50 + a.cy, kGround));
    // The Font object holds the whole text again, on transparent ground.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(AnyOtherThan(FontObject(), 100 + i * a.cx, 50, 100 + (i + 1) * a.cx, 50 + a.cy, 0)) << i;
    EXPECT_FALSE(AnyOtherThan(FontObject(), 0, 0, 100, 50, 0));
}

// ---- Lines, limits and extreme rectangles -----------------------------------------------

TEST_F(SpriteText, ALineGrowsWithATallerGlyphAndKeepsItsHeight) {
    const SIZE a = SpriteExtent("あ", 12);
    // Shadow and downward thickening: glyphs of a.cy + 2 rows, taller than
    // the 12-pixel lines. The sprite lines keep the height they grew to.
    ASSERT_GT(a.cy + 2, 12);
    Sprite(10, 10, 10 + 2 * (a.cx + 1), 400, "あいうえおか", 0x0500);
    ASSERT_EQ(elText::BoxCount, 7);
    EXPECT_EQ(elText::BoxTable[3].top, 10 + a.cy + 2);
    EXPECT_EQ(elText::BoxTable[5].top, 10 + 2 * (a.cy + 2));
    // A line feed has no height: it neither grows a line nor shrinks one.
    Sprite(10, 10, 700, 400, "\n\nあ\nい", 0);
    EXPECT_EQ(elText::BoxTable[1].top, 10 + 2 * 12);
    EXPECT_EQ(elText::BoxTable[2].top, 10 + 2 * 12 + std::max<int>(12, a.cy));

    // The smoothed lines grow per line, in double-size units.
    elText::SetWorkFont(1, 12);
    const SIZE d = Extent("あ");
    elText::SetColor(0xFFFFFF, 0, 1);
    const int glyph = d.cy + (d.cy & 1) + 3;  // even, a 2-pixel shadow, thickened
    const int advance = std::max(24, glyph) >> 1;
    const int step = (d.cx + (d.cx & 1) + 2) / 2;
    elText::SmoothText(10, 10, 10 + 2 * step + 1, 400, "あいうえ", 0x0500);
    elText::ReleaseWorkFont();
    ASSERT_GT(glyph, 24);
    ASSERT_EQ(elText::BoxCount, 5);
    EXPECT_EQ(elText::BoxTable[3].top, 10 + advance);
    EXPECT_EQ(elText::BoxTable[3].bottom, 10 + advance + (glyph >> 1));
}

TEST_F(SpriteText, ACharacterFittingOnNoLineEndsTheLayoutAtAnyBottomLimit) {
    const SIZE a = SpriteExtent("あ", 12);
    const SIZE k = SpriteExtent("ｱ", 12);
    ASSERT_LT(k.cx, a.cx);
    // Room for "ｱ" but not for "あ": the first line holds "ｱ", "あ" fits on
    // no line and nothing after it is laid out, whatever the bottom limit.
    for (int bottom : {1000, 2147483000, INT_MAX}) {
        Sprite(100, 50, 100 + k.cx, bottom, "ｱあｱ", 0);
        ASSERT_EQ(elText::BoxCount, 2) << bottom;
        EXPECT_EQ(elText::BoxTable[0].right, 100 + 2 * k.cx);
        EXPECT_EQ(elText::BoxTable[0].bottom, 50 + k.cy);
        const test::Pixels font = test::ReadPixels(FontObject());
        long inkBelow = 0;
        for (int y = 50 + k.cy; y < 600; ++y)
            for (int x = 0; x < 800; ++x) inkBelow += font.at(x, y) != 0;
        EXPECT_EQ(inkBelow, 0) << bottom;
    }
    // The smoothed renderer walks its empty lines down to the bottom limit:
    // the bounds end at the last line above it, cut at the limit.
    elText::SetWorkFont(1, 12);
    const SIZE d = Extent("あ");
    elText::ReleaseWorkFont();
    const long long line = std::max<long long>(24, d.cy + (d.cy & 1));
    const long long step = line >> 1;
    for (long long bottom : {1000LL, 1001LL, 2147483000LL, static_cast<long long>(INT_MAX)}) {
        elText::SetWorkFont(1, 12);
        elText::SetColor(0xFFFFFF, 0, 1);
        elText::SmoothText(100, 50, 105, static_cast<int>(bottom), "あい", 0);
        elText::ReleaseWorkFont();
        const long long y = 50 + (bottom - 1 - 50) / step * step;  // the last line above the limit
        const long long overhang = y + step - bottom;
        const long long h = overhang > 0 ? line - 2 * overhang : line;
        ASSERT_EQ(elText::BoxCount, 1) << bottom;
        EXPECT_EQ(elText::BoxTable[0].right, 100) << bottom;
        EXPECT_EQ(elText::BoxTable[0].bottom, y + (h >> 1)) << bottom;
    }
}

TEST_F(SpriteText, RectanglesAtTheEdgesOfTheIntRangeKeepTheirBoxesInIt) {
    const SIZE a = SpriteExtent("あ", 12);
    // A left edge a few pixels below INT_MAX: the first character already
    // passes the limit, fits on no line, and nothing is laid out.
    Sprite(INT_MAX - 5, 10, INT_MAX, 500, "あい", 0);
    EXPECT_EQ(elText::BoxCount, 1);
    EXPECT_EQ(elText::BoxTable[0].right, INT_MAX - 5);
    // A top a few pixels below INT_MAX: boxes end at INT_MAX.
    Sprite(10, INT_MAX - 5, 700, INT_MAX, "あい", 0);
    ASSERT_EQ(elText::BoxCount, 3);
    EXPECT_EQ(elText::BoxTable[1].top, INT_MAX - 5);
    EXPECT_EQ(elText::BoxTable[1].bottom, INT_MAX);
    EXPECT_EQ(elText::BoxTable[2].left, 10 + a.cx);
    EXPECT_EQ(elText::BoxTable[0].bottom, INT_MAX);
    // From INT_MIN to INT_MAX: one line of exact boxes.
    Sprite(INT_MIN, INT_MIN, INT_MAX, INT_MAX, "あい\nう", 0x0104);
    ASSERT_EQ(elText::BoxCount, 4);
    EXPECT_EQ(elText::BoxTable[2].left, INT_MIN + a.cx + 1);
    EXPECT_EQ(elText::BoxTable[3].top, INT_MIN + std::max<int>(16, a.cy + 1));

    elText::SetWorkFont(1, 12);
    const SIZE d = Extent("あ");
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::SmoothText(INT_MAX - 5, 10, INT_MAX, 500, "あい", 0);
    EXPECT_EQ(elText::BoxCount, 1);
    EXPECT_EQ(elText::BoxTable[0].right, INT_MAX - 5);
    elText::SmoothText(10, INT_MAX - 5, 700, INT_MAX, "あい", 0);
    ASSERT_EQ(elText::BoxCount, 3);
    EXPECT_EQ(elText::BoxTable[1].bottom, INT_MAX);
    EXPECT_EQ(elText::BoxTable[0].bottom, INT_MAX);
    elText::SmoothText(INT_MIN, INT_MIN, INT_MAX, INT_MAX, "あい\nう", 0);
    elText::ReleaseWorkFont();
    ASSERT_EQ(elText::BoxCount, 4);
    EXPECT_EQ(elText::BoxTable[2].left, INT_MIN + (d.cx + (d.cx & 1)) / 2);
    EXPECT_EQ(elText::BoxTable[3].top, INT_MIN + (std::max<int>(24, d.cy + (d.cy & 1)) >> 1));
}

// ---- The smoothed renderer ----------------------------------------------------------------

TEST_F(SpriteText, SmoothLinesWiderThanTheFontBufferAreReducedInPieces) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += "あ";
    elText::SetWorkFont(1, 12);
    const SIZE a = Extent("あ");  // double size
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::SmoothText(10, 100, 790, 400, text.c_str(), 0);
    elText::ReleaseWorkFont();
    const int step = (a.cx + (a.cx & 1)) / 2;
    const int perLine = (790 - 10) / step;
    ASSERT_GT(perLine * a.cx, 800);  // one line is more than the Font buffer holds
    ASSERT_EQ(elText::BoxCount, 51);
    for (int i = 1; i <= perLine && i <= 50; ++i) {
        EXPECT_EQ(elText::BoxTable[i].left, 10 + (i - 1) * step) << i;
        EXPECT_EQ(elText::BoxTable[i].top, 100) << i;
    }
    // Ink on both sides of the piece boundary (400 screen pixels in).
    EXPECT_TRUE(AnyOtherThan(FontObject(), 10, 100, 400, 100 + step, 0));
    EXPECT_TRUE(AnyOtherThan(FontObject(), 420, 100, 10 + perLine * step, 100 + step, 0));
    if (perLine < 50) {
        EXPECT_EQ(elText::BoxTable[perLine + 1].top, 100 + (a.cy + (a.cy & 1)) / 2);
    }
}

// Reduction of hand-made blocks: the Font buffer at (0,0)-(4,2) reduced into
// the Font object at (20, 30).
struct Block {
    std::uint32_t ink;         // pixel value of the ink samples
    std::uint32_t behind;      // back surface pixel at the output
    std::uint32_t firstOut;    // output at (20, 30): samples (0..1, 0..1), 4 of them
    std::uint32_t secondOut;   // output at (21, 30): samples (1..3, 0..1), 6 of them
};

void CheckBlock(const Block& b, const char* layout) {
    test::FillSurface(ObjectTable[3].surface, 0);
    test::FillSurface(ObjectTable[2].surface, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) test::SetPixelAt(ObjectTable[3].surface, x, y, b.ink);
    test::SetPixelAt(ObjectTable[3].surface, 4, 0, b.ink);  // outside the rectangle: never sampled
    test::SetPixelAt(elDraw::BackSurface, 20, 30, b.behind);
    test::SetPixelAt(elDraw::BackSurface, 21, 30, b.behind);
    test::SetPixelAt(ObjectTable[2].surface, 22, 30, 0x1234);  // no ink: left as it is
    EXPECT_EQ(elText::SmoothLine(20, 30, 0, 0, 4, 2), 1);
    EXPECT_EQ(PixelAt(ObjectTable[2].surface, 20, 30), b.firstOut) << layout;
    EXPECT_EQ(PixelAt(ObjectTable[2].surface, 21, 30), b.secondOut) << layout;
    EXPECT_EQ(PixelAt(ObjectTable[2].surface, 22, 30), 0x1234u) << layout;
    EXPECT_EQ(PixelAt(ObjectTable[2].surface, 20, 31), 0u) << layout;
}

TEST_F(SpriteText, ReductionArithmeticInBothSixteenBitLayoutsAndAtThirtyTwoBits) {
    // 5-bit channels: ink (31, 20, 4) over (8, 16, 0).
    // 4 samples: (4*31+31+4*8)/8 = 23, (80+31+64)/8 = 21, (16+31)/8 = 5.
    // 6 samples: (186+31+16)/8 = 29, (120+31+32)/8 = 22, (24+31)/8 = 6.
    const auto p565 = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 11) | (g << 6) | b; };
    CheckBlock({p565(31, 20, 4), p565(8, 16, 0), p565(23, 21, 5), p565(29, 22, 6)}, "565");
    // The lowest green bit of 5:6:5 is not a 5-bit channel value: it is read
    // away and written as 0, but it still makes a sample count.
    CheckBlock({0x0020, p565(8, 16, 0) | 0x20, p565(7, 11, 3), p565(5, 7, 3)}, "565 low green");

    Reopen(DisplayFormat::Rgb555);
    const auto p555 = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 10) | (g << 5) | b; };
    CheckBlock({p555(31, 20, 4), p555(8, 16, 0), p555(23, 21, 5), p555(29, 22, 6)}, "555");

    Reopen(DisplayFormat::Xrgb8888);
    // 8-bit channels: ink (255, 100, 0) over (40, 200, 8).
    // 4: (1020+255+160)/8 = 179, (400+255+800)/8 = 181, (0+255+32)/8 = 35.
    // 6: (1530+255+80)/8 = 233, (600+255+400)/8 = 156, (255+16)/8 = 33.
    const auto p32 = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 16) | (g << 8) | b; };
    CheckBlock({p32(255, 100, 0), p32(40, 200, 8), p32(179, 181, 35), p32(233, 156, 33)}, "32");
    // Nine samples of full white over white sum past the maximum: limited.
    test::FillSurface(ObjectTable[3].surface, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) test::SetPixelAt(ObjectTable[3].surface, x, y, 0xFFFFFF);
    EXPECT_EQ(elText::SmoothLine(40, 40, 0, 0, 4, 4), 1);
    EXPECT_EQ(PixelAt(ObjectTable[2].surface, 41, 41), 0xFFFFFFu);
}

TEST_F(SpriteText, ReductionStaysInsideEverySurfaceWhateverTheRectangleAndClip) {
    test::FillSurface(ObjectTable[3].surface, 0xFFFF);
    struct Args {
        int x, y, sx, sy, ex, ey;
    };
    const Args cases[] = {
        {790, 590, 0, 0, 100, 100},          {-50, -50, 0, 0, 2000, 2000},   {0, 0, -100, -100, 40, 40},
        {10, 10, 780, 580, 900, 700},        {0, 0, 0, 0, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX, 0, 0, 10, 10},
        {INT_MIN, INT_MIN, 0, 0, INT_MAX, 4}, {5, 5, INT_MIN, 0, 0, 40},     {5, 5, 40, 40, 0, 0},
    };
    for (const RECT clip : {RECT{0, 0, 800, 600}, RECT{-100, -100, 2000, 2000}, RECT{700, 500, 100, 100}}) {
        ClipRect = clip;
        for (const Args& a : cases) EXPECT_EQ(elText::SmoothLine(a.x, a.y, a.sx, a.sy, a.ex, a.ey), 1);
    }
    ClipRect = {0, 0, 800, 600};
    // Cut at the Font object's edge: the last column is written, nothing past it.
    test::FillSurface(ObjectTable[2].surface, 0);
    EXPECT_EQ(elText::SmoothLine(798, 598, 0, 0, 100, 100), 1);
    EXPECT_NE(PixelAt(ObjectTable[2].surface, 799, 599), 0u);
    // A surface that cannot be locked: 0, and the others are unlocked again.
    HDC dc = nullptr;
    ASSERT_EQ(elDraw::BackSurface->GetDC(&dc), DD_OK);
    EXPECT_EQ(elText::SmoothLine(0, 0, 0, 0, 10, 10), 0);
    elDraw::BackSurface->ReleaseDC(dc);
    EXPECT_TRUE(Lockable(ObjectTable[2].surface));
    EXPECT_TRUE(Lockable(ObjectTable[3].surface));
}

// ---- Golden frames and the shared layout -------------------------------------------------

TEST_F(SpriteText, LayoutBoxesMatchTheSharedTable) {
    elText::SetFont(1, test::kLayoutFontSize, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0x000000, 1);
    elText::SpriteText(test::kLayoutLeft, test::kLayoutTop, test::kLayoutRight, test::kLayoutBottom, test::kLayoutText,
                       test::kLayoutFlags);
    elText::ReleaseFont();
    ASSERT_EQ(elText::BoxCount, test::kLayoutBoxCount);
    for (int i = 0; i < test::kLayoutBoxCount; ++i) {
        const elText::CharBox& b = elText::BoxTable[i];
        const test::LayoutBox& e = test::kLayoutBoxes[i];
        EXPECT_EQ(b.left, e.left) << i;
        EXPECT_EQ(b.top, e.top) << i;
        EXPECT_EQ(b.right, e.right) << i;
        EXPECT_EQ(b.bottom, e.bottom) << i;
    }
}

TEST_F(SpriteText, GoldenFramesOfBothRenderers) {
    const char* text = "今日は朝から雨が降っている。窓の外では、傘をさした人たちが急ぎ足で"
                       "通り過ぎていく。午後には晴れるだろうか。「そうだといいね」";
    for (bool smooth : {false, true}) {
        // A striped picture behind, so the smoothed edges show their blend.
        for (int y = 0; y < 600; y += 8)
            elDraw::FillBox(0, y, 800, y + 8, static_cast<int>((y / 8) % 2 ? Rgb565(0x402010) : Rgb565(0x806040)));
        if (smooth) {
            elText::SetWorkFont(1, 16);
            elText::SetColor(0xFFFFFF, 0x000000, 1);
            elText::SmoothText(40, 40, 400, 300, text, 0x104);
            elText::ReleaseWorkFont();
        } else {
            elText::SetFont(1, 16, 0, 0, 0, 0);
            elText::SetColor(0xFFFFFF, 0x000000, 1);
            elText::SpriteText(40, 40, 400, 300, text, 0x104);
            elText::ReleaseFont();
        }
        elDraw::Present();
        EXPECT_EQ(test::CompareWithGolden(smooth ? "smooth_text" : "sprite_text", plat::headless::PresentedFrame()), 0);
    }
}

}  // namespace
