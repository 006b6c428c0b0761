// Text of the portable GDI: faces, measurement of Japanese text, monochrome
// glyphs, background modes and DrawText's word breaking. Needs the IPA
// fonts of Debian (fonts-ipafont-gothic, fonts-ipafont-mincho).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/portable/gdi_fonts.h"
#include "platform/portable/ddraw_pixels.h"
#include "platform/portable/gdi_raster.h"

namespace {

using plat::portable::PixelFromColorRef;
using plat::portable::PixelView;
using plat::portable::ReadPixel;
namespace r = plat::portable::raster;
namespace f = plat::portable::fonts;

constexpr const char* kMincho = "標準明朝";
constexpr const char* kGothic = "標準ゴシック";

f::LogFont Desc(const char* face, int height) {
    f::LogFont lf;
    lf.faceName = face;
    lf.height = height;
    return lf;
}

struct Surface {
    std::vector<std::uint8_t> memory;
    PixelView view;
    Surface(int w, int h, std::uint32_t fill = 0x202020, int bpp = 2)
        : memory(static_cast<std::size_t>(w * h * bpp)) {
        view.pixels = memory.data();
        view.width = w;
        view.height = h;
        view.pitch = w * bpp;
        view.bytesPerPixel = bpp;
        if (bpp == 4) {
            view.redMask = 0xFF0000;
            view.greenMask = 0xFF00;
            view.blueMask = 0xFF;
        }
        r::FillPixels(r::Target(view), {0, 0, w, h}, Px(fill));
    }
    std::uint32_t Px(std::uint32_t colorref) const { return PixelFromColorRef(view, colorref); }
    std::uint32_t At(int x, int y) const { return ReadPixel(view, x, y); }
    int Count(std::uint32_t colorref) const {
        int n = 0;
        for (int y = 0; y < view.height; ++y)
            for (int x = 0; x < view.width; ++x) n += At(x, y) == Px(colorref);
        return n;
    }
    // Bounding box of the pixels of one colour; right and bottom exclusive.
    r::Rect Ink(std::uint32_t colorref) const {
        r::Rect b{view.width, view.height, 0, 0};
        for (int y = 0; y < view.height; ++y)
            for (int x = 0; x < view.width; ++x)
                if (At(x, y) == Px(colorref)) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x + 1);
                    b.bottom = std::max(b.bottom, y + 1);
                }
        return b;
    }
};

TEST(FontsFaces, SelectorsAndNamesResolveToInstalledFaces) {
    EXPECT_EQ(f::Font(Desc(kMincho, 12)).FamilyName(), "IPAMincho");
    EXPECT_EQ(f::Font(Desc(kGothic, 12)).FamilyName(), "IPAGothic");
    EXPECT_EQ(f::Font(Desc("ＭＳ Ｐゴシック", 12)).FamilyName(), "IPAPGothic");
    EXPECT_EQ(f::Font(Desc("IPAPMincho", 12)).FamilyName(), "IPAPMincho");
    // Unknown and empty names for the Shift-JIS character set: the Japanese default face.
    EXPECT_EQ(f::Font(Desc("存在しない書体", 12)).FamilyName(), "IPAGothic");
    EXPECT_EQ(f::Font(Desc("", 12)).FamilyName(), "IPAGothic");
    f::LogFont latin = Desc("DejaVu Sans", 12);
    latin.charSet = f::kAnsiCharset;
    EXPECT_EQ(f::Font(latin).FamilyName(), "DejaVu Sans");
}

TEST(FontsFaces, EnumerationListsFamiliesWithCharacterSets) {
    const std::vector<f::FaceInfo> faces = f::EnumerateFaces();
    ASSERT_FALSE(faces.empty());
    std::set<std::string> seen;
    int gothic = -1, mincho = -1, dejavu = -1;
    for (const f::FaceInfo& face : faces) {
        EXPECT_LE(face.name.size(), 31u) << face.name;
        EXPECT_FALSE(face.name.empty());
        EXPECT_TRUE(seen.insert(face.name).second) << "listed twice: " << face.name;
        if (face.name == "IPAGothic") gothic = face.charSet;
        if (face.name == "IPAMincho") mincho = face.charSet;
        if (face.name == "DejaVu Sans") dejavu = face.charSet;
    }
    EXPECT_EQ(gothic, f::kShiftJisCharset);
    EXPECT_EQ(mincho, f::kShiftJisCharset);
    EXPECT_EQ(dejavu, f::kAnsiCharset);
}

TEST(FontsDecode, ShiftJisCharacters) {
    const std::string text = "aあｱ\x81";  // ASCII, double-byte, half-width katakana, lone lead byte
    const std::vector<f::DecodedChar> chars = f::DecodeShiftJis(text);
    ASSERT_EQ(chars.size(), 4u);
    EXPECT_EQ(chars[0].code, U'a');
    EXPECT_EQ(chars[1].code, U'\u3042');
    EXPECT_EQ(chars[1].offset, 1u);
    EXPECT_EQ(chars[1].length, 2u);
    EXPECT_EQ(chars[2].code, U'\uFF71');
    EXPECT_EQ(chars[3].code, U'\uFFFD');
    EXPECT_EQ(f::DecodeShiftJis("①髙")[0].code, U'\u2460');  // NEC and IBM extensions of code page 932
    EXPECT_EQ(f::DecodeShiftJis("①髙")[1].code, U'\u9AD9');
    EXPECT_TRUE(f::IsShiftJisLeadByte(0x81));
    EXPECT_TRUE(f::IsShiftJisLeadByte(0xFC));
    EXPECT_FALSE(f::IsShiftJisLeadByte(0xA1));
    EXPECT_FALSE(f::IsShiftJisLeadByte('A'));
}

// A negative height is the em height; a positive one the cell height
// (ascent + descent), as GDI maps LOGFONT heights.
TEST(FontsMetrics, HeightsFollowLogfont) {
    for (const char* face : {kMincho, kGothic}) {
        f::Font em(Desc(face, -16));
        EXPECT_EQ(em.PixelsPerEm(), 16) << face;
        f::TextMetrics m = em.Metrics();
        EXPECT_EQ(m.height, m.ascent + m.descent);
        EXPECT_EQ(m.internalLeading, m.height - 16);
        EXPECT_GT(m.height, 16);
        f::Font cell(Desc(face, 12));
        EXPECT_EQ(cell.Metrics().height, 12) << face;
        EXPECT_LE(cell.PixelsPerEm(), 12);
    }
}

TEST(FontsMeasure, JapaneseTextInBothFaces) {
    for (const char* face : {kMincho, kGothic}) {
        f::Font font(Desc(face, -16));
        const int h = font.Metrics().height;
        f::Size full = font.TextExtent("吾輩は猫である");  // seven full-width characters
        EXPECT_EQ(full.cx, 7 * 16) << face;
        EXPECT_EQ(full.cy, h);
        EXPECT_EQ(font.TextExtent("ｶﾀｶﾅ").cx, 4 * 8) << face;  // half-width katakana: half an em
        EXPECT_EQ(font.TextExtent("abc").cx, 3 * 8) << face;      // the IPA faces are fixed-pitch
        EXPECT_EQ(font.TextExtent("猫abc").cx, 16 + 24);
        EXPECT_EQ(font.TextExtent("").cx, 0);
        EXPECT_EQ(font.TextExtent("").cy, h);
    }
    // The proportional face differs from the fixed one on Latin letters.
    EXPECT_NE(f::Font(Desc("IPAPGothic", -16)).TextExtent("iiii").cx, f::Font(Desc(kGothic, -16)).TextExtent("iiii").cx);
}

TEST(FontsMeasure, SimulatedBoldWidensEachCharacterByOnePixel) {
    f::LogFont lf = Desc(kGothic, -16);
    f::Font regular(lf);
    lf.weight = 700;
    f::Font bold(lf);
    EXPECT_EQ(bold.TextExtent("日本語ab").cx, regular.TextExtent("日本語ab").cx + 5);
    EXPECT_EQ(bold.Metrics().weight, 700);
    Surface a(120, 30), b(120, 30);
    regular.TextOut(r::Target(a.view), 2, 2, "語", {0xFFFFFF, 0, r::BkMode::Transparent});
    bold.TextOut(r::Target(b.view), 2, 2, "語", {0xFFFFFF, 0, r::BkMode::Transparent});
    // Simulated bold is the glyph drawn again one pixel to the right.
    int ink = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x + 1 < 120; ++x)
            if (a.At(x, y) == a.Px(0xFFFFFF)) {
                ++ink;
                ASSERT_EQ(b.At(x, y), b.Px(0xFFFFFF)) << x << "," << y;
                ASSERT_EQ(b.At(x + 1, y), b.Px(0xFFFFFF)) << x + 1 << "," << y;
            }
    EXPECT_GT(ink, 40);
    EXPECT_GT(b.Count(0xFFFFFF), ink);
}

// Glyphs are drawn without anti-aliasing: every pixel is either untouched
// or exactly the text colour, in both pixel formats.
TEST(FontsDraw, GlyphPixelsAreExactlyTheTextColour) {
    for (int bpp : {2, 4}) {
        for (const char* face : {kMincho, kGothic}) {
            Surface s(200, 40, 0x203040, bpp);
            f::Font font(Desc(face, 24));
            font.TextOut(r::Target(s.view), 3, 5, "永遠の猫ｶﾀｶﾅAg", {0x3399FF, 0, r::BkMode::Transparent});
            int text = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 200; ++x) {
                    const std::uint32_t p = s.At(x, y);
                    ASSERT_TRUE(p == s.Px(0x203040) || p == s.Px(0x3399FF)) << face << " at " << x << "," << y;
                    text += p == s.Px(0x3399FF);
                }
            EXPECT_GT(text, 150) << face;
        }
    }
}

TEST(FontsDraw, OpaqueFillsTheCellsTransparentLeavesThem) {
    f::Font font(Desc(kGothic, 16));
    const f::Size size = font.TextExtent("あいうabc");
    Surface opaque(120, 40), transparent(120, 40);
    font.TextOut(r::Target(opaque.view), 10, 8, "あいうabc", {0xFFFFFF, 0x800000, r::BkMode::Opaque});
    font.TextOut(r::Target(transparent.view), 10, 8, "あいうabc", {0xFFFFFF, 0x800000, r::BkMode::Transparent});
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool cell = x >= 10 && x < 10 + size.cx && y >= 8 && y < 8 + size.cy;
            const std::uint32_t p = opaque.At(x, y);
            if (cell) {
                ASSERT_TRUE(p == opaque.Px(0x800000) || p == opaque.Px(0xFFFFFF)) << x << "," << y;
            } else {
                ASSERT_EQ(p, opaque.Px(0x202020)) << x << "," << y;
            }
            ASSERT_NE(transparent.At(x, y), transparent.Px(0x800000));
        }
    EXPECT_EQ(opaque.Count(0xFFFFFF), transparent.Count(0xFFFFFF));
    EXPECT_GT(opaque.Count(0x800000), size.cx * size.cy / 2);
    // Text stands inside its cell: no ink above the top or below the bottom.
    const r::Rect ink = transparent.Ink(0xFFFFFF);
    EXPECT_GE(ink.top, 8);
    EXPECT_LE(ink.bottom, 8 + size.cy);
    EXPECT_GE(ink.left, 10);
}

TEST(FontsDraw, ClippedToTheTarget) {
    f::Font font(Desc(kMincho, -24));
    Surface s(60, 30);
    const r::Target clipped(s.view, {10, 5, 40, 20});
    font.TextOut(clipped, -7, -3, "漢字漢字漢字", {0xFFFFFF, 0x0000FF, r::BkMode::Opaque});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            if (x < 10 || x >= 40 || y < 5 || y >= 20) {
                ASSERT_EQ(s.At(x, y), s.Px(0x202020)) << x << "," << y;
            }
    font.TextOut(r::Target(s.view), 5000, -5000, "遠い", {0xFFFFFF, 0x0000FF, r::BkMode::Opaque});  // nothing, no crash
}

TEST(FontsDraw, UnderlineAndEscapement) {
    f::LogFont lf = Desc(kGothic, -16);
    lf.underline = true;
    f::Font underlined(lf);
    Surface s(120, 40);
    underlined.TextOut(r::Target(s.view), 4, 4, "下線abc", {0xFFFFFF, 0, r::BkMode::Transparent});
    const int width = underlined.TextExtent("下線abc").cx;
    // Some row below the baseline is inked across the whole text.
    bool fullRow = false;
    for (int y = 4 + underlined.Metrics().ascent; y < 4 + underlined.Metrics().height; ++y) {
        bool all = true;
        for (int x = 4; x < 4 + width; ++x) all = all && s.At(x, y) == s.Px(0xFFFFFF);
        fullRow = fullRow || all;
    }
    EXPECT_TRUE(fullRow);

    lf.underline = false;
    lf.escapement = 900;  // upwards
    f::Font turned(lf);
    Surface t(40, 120);
    turned.TextOut(r::Target(t.view), 4, 115, "縦書き風", {0xFFFFFF, 0, r::BkMode::Transparent});
    const r::Rect ink = t.Ink(0xFFFFFF);
    EXPECT_GT(ink.bottom - ink.top, 3 * (ink.right - ink.left));
    EXPECT_LE(ink.bottom, 116);
}

// DrawText's line breaking, checked through the lines it makes.
std::vector<std::string> Lines(const f::Font& font, const std::string& text, int width,
                               unsigned format = f::kDtWordBreak | f::kDtNoPrefix) {
    std::vector<std::string> out;
    for (const f::TextLine& l : font.LayoutLines(text, width, format)) out.push_back(text.substr(l.begin, l.end - l.begin));
    return out;
}

TEST(FontsWrap, JapaneseBreaksBetweenAnyDoubleByteCharacters) {
    for (const char* face : {kMincho, kGothic}) {
        f::Font font(Desc(face, -16));
        const std::string text = "吾輩は猫である。名前はまだ無い。";  // 16 characters
        EXPECT_EQ(Lines(font, text, 80), (std::vector<std::string>{"吾輩は猫で", "ある。名前", "はまだ無い", "。"}));
        EXPECT_EQ(Lines(font, text, 95), (std::vector<std::string>{"吾輩は猫で", "ある。名前", "はまだ無い", "。"}));
        EXPECT_EQ(Lines(font, text, 96).size(), 3u);
        // Half-width katakana break like double-byte characters.
        EXPECT_EQ(Lines(font, "ｱｲｳｴｵｶｷ", 24), (std::vector<std::string>{"ｱｲｳ", "ｴｵｶ", "ｷ"}));
        // Latin words inside Japanese stay whole; a break may fall on either side of them.
        EXPECT_EQ(Lines(font, "日本Windows語", 64), (std::vector<std::string>{"日本", "Windows", "語"}));
    }
}

TEST(FontsWrap, SpacesAndLineBreaksAsGdi) {
    f::Font font(Desc(kGothic, -16));  // 8 pixels per Latin character
    // The line ends after its last space (kept in the line)...
    EXPECT_EQ(Lines(font, "ab cd", 32), (std::vector<std::string>{"ab ", "cd"}));
    // ...and a space that itself passes the edge is dropped.
    EXPECT_EQ(Lines(font, "abcd efgh", 32), (std::vector<std::string>{"abcd", "efgh"}));
    EXPECT_EQ(Lines(font, "abcd    efgh", 32), (std::vector<std::string>{"abcd", "   ", "efgh"}));
    // A word wider than the line is not broken.
    EXPECT_EQ(Lines(font, "x abcdefghijk y", 40), (std::vector<std::string>{"x ", "abcdefghijk", "y"}));
    // Explicit breaks: CR LF, LF and CR each end one line; a final break adds none.
    EXPECT_EQ(Lines(font, "ab\r\ncd\nef\rgh\r\n", 400), (std::vector<std::string>{"ab", "cd", "ef", "gh"}));
    EXPECT_EQ(Lines(font, "ab\n\ncd", 400), (std::vector<std::string>{"ab", "", "cd"}));
    // Without word break only explicit breaks count; single-line ignores them too.
    EXPECT_EQ(Lines(font, "abc def\nあいう", 8, f::kDtNoPrefix), (std::vector<std::string>{"abc def", "あいう"}));
    EXPECT_EQ(Lines(font, "abc\ndef", 8, f::kDtSingleLine | f::kDtWordBreak).size(), 1u);
    // Every line holds at least one character, however narrow the rectangle.
    EXPECT_EQ(Lines(font, "あいう", 0), (std::vector<std::string>{"あ", "い", "う"}));
}

TEST(FontsDrawText, CalcRectMeasuresWithoutDrawing) {
    f::Font font(Desc(kGothic, -16));
    const int h = font.Metrics().height;
    Surface s(200, 100);
    r::Rect rect{10, 20, 90, 20};
    const int height = font.DrawText(r::Target(s.view), "吾輩は猫である。名前はまだ無い。", rect,
                                     f::kDtWordBreak | f::kDtNoPrefix | f::kDtCalcRect, {});
    EXPECT_EQ(height, 4 * h);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 10 + 80);
    EXPECT_EQ(rect.bottom, 20 + 4 * h);
    EXPECT_EQ(s.Count(0x202020), 200 * 100);  // nothing drawn
    // A long word widens the rectangle.
    r::Rect narrow{0, 0, 20, 0};
    font.DrawText(r::Target(s.view), "abcdefgh ij", narrow, f::kDtWordBreak | f::kDtCalcRect | f::kDtNoPrefix, {});
    EXPECT_EQ(narrow.right, 64);
    EXPECT_EQ(narrow.bottom, 2 * h);
    // Empty text.
    r::Rect empty{5, 5, 50, 50};
    EXPECT_EQ(font.DrawText(r::Target(s.view), "", empty, f::kDtWordBreak | f::kDtCalcRect, {}), h);
    EXPECT_EQ(empty.right, 5);
    EXPECT_EQ(empty.bottom, 5);
}

TEST(FontsDrawText, AlignmentAndClippingToTheRectangle) {
    f::Font font(Desc(kGothic, -16));
    const unsigned base = f::kDtWordBreak | f::kDtNoPrefix;
    struct Case {
        unsigned align;
        int expectLeft;
    };
    // One line "あいう" (48 pixels) in a 100-pixel-wide rectangle from x = 20.
    for (Case c : {Case{f::kDtLeft, 20}, Case{f::kDtCenter, 20 + 26}, Case{f::kDtRight, 120 - 48}}) {
        Surface s(160, 40);
        r::Rect rect{20, 4, 120, 36};
        EXPECT_EQ(font.DrawText(r::Target(s.view), "あいう", rect, base | c.align, {0xFFFFFF, 0x800000, r::BkMode::Opaque}),
                  font.Metrics().height);
        const r::Rect cells = s.Ink(0x800000);  // the opaque cells show where the line went
        EXPECT_EQ(cells.left, c.expectLeft) << c.align;
        EXPECT_EQ(cells.top, 4);
    }
    // Text is cut to the rectangle unless kDtNoClip.
    Surface s(100, 60);
    r::Rect rect{10, 10, 40, 30};
    font.DrawText(r::Target(s.view), "吾輩は猫である。名前はまだ無い。", rect, base, {0xFFFFFF, 0x800000, r::BkMode::Opaque});
    const r::Rect ink = s.Ink(0x800000);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 40);
    EXPECT_LE(ink.bottom, 30);
    Surface u(100, 60);
    font.DrawText(r::Target(u.view), "abcdefgh", rect, base | f::kDtNoClip, {0xFFFFFF, 0x800000, r::BkMode::Opaque});
    EXPECT_EQ(u.Ink(0x800000).right, 10 + 64);
}

TEST(FontsDrawText, PrefixCharacters) {
    f::Font font(Desc(kGothic, -16));
    Surface s(200, 40);
    r::Rect calc{0, 0, 200, 0};
    font.DrawText(r::Target(s.view), "a&&b&c", calc, f::kDtCalcRect, {});
    EXPECT_EQ(calc.right, font.TextExtent("a&bc").cx);
    r::Rect literal{0, 0, 200, 0};
    font.DrawText(r::Target(s.view), "a&&b&c", literal, f::kDtCalcRect | f::kDtNoPrefix, {});
    EXPECT_EQ(literal.right, font.TextExtent("a&&b&c").cx);
}

}  // namespace
