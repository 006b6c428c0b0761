// GDI text on the back surface: the font list, the font description the
// font operations build, measurement and word wrap of Japanese text, box
// alignment, the standard style of Print and Printf, the frame-rate line,
// and fonts that are held, replaced and released. Needs the IPA fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "platform/gdi.h"
#include "platform/portable/headless.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"
#include "text/elText.h"

using namespace plat;
namespace hl = plat::headless;
using test::PixelAt;
using test::Rgb565;

namespace {

constexpr std::uint32_t kGround = 0x1082;
constexpr std::uint32_t kWhite = 0xFFFF;
constexpr std::uint32_t kDarkBlue = Rgb565(0x800000);

struct Box {
    int left, top, right, bottom;  // right and bottom exclusive
    bool empty() const { return right <= left || bottom <= top; }
};

class Text : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        elText::FrameRate = {};
    }
    void Open() {
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, kGround);
    }
    // The back surface as pixel values (it must not be held by a font).
    std::vector<std::uint32_t> Snapshot(IDirectDrawSurface* s = nullptr) {
        if (!s) s = elDraw::BackSurface;
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        std::vector<std::uint32_t> out;
        if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return out;
        for (DWORD y = 0; y < d.dwHeight; ++y) {
            const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(d.lpSurface) +
                                                                     static_cast<std::ptrdiff_t>(y) * d.lPitch);
            out.insert(out.end(), row, row + d.dwWidth);
        }
        s->Unlock(d.lpSurface);
        return out;
    }
    static std::uint32_t At(const std::vector<std::uint32_t>& p, int x, int y) {
        return p[static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x)];
    }
    // Bounding box of the pixels of one value inside a region.
    static Box Ink(const std::vector<std::uint32_t>& p, std::uint32_t value, Box in = {0, 0, 800, 600}) {
        Box b{in.right, in.bottom, in.left, in.top};
        for (int y = in.top; y < in.bottom; ++y)
            for (int x = in.left; x < in.right; ++x)
                if (At(p, x, y) == value) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x + 1);
                    b.bottom = std::max(b.bottom, y + 1);
                }
        return b;
    }
    // Extent and cell height of a text in the font currently held.
    static SIZE Extent(const char* text) {
        SIZE s{};
        EXPECT_EQ(GetTextExtentPoint32A(elText::TextDC, text, static_cast<int>(std::strlen(text)), &s), 1);
        return s;
    }
    static int LineHeight() {
        TEXTMETRICA tm{};
        EXPECT_EQ(GetTextMetricsA(elText::TextDC, &tm), 1);
        return tm.tmHeight;
    }
    // The standard style's cell of a text.
    static SIZE StandardExtent(const char* text) {
        elText::SetFont(1, 12, 0, 0, 0, 0);
        SIZE s = Extent(text);
        elText::ReleaseFont();
        return s;
    }
};

// ---- Font list and font description ----------------------------------------------

TEST_F(Text, ScreenListsTheInstalledFacesWithTheirCharacterSets) {
    Open();
    ASSERT_GT(elText::FontCount, 0);
    ASSERT_LE(elText::FontCount, elText::kFontListSize);
    EXPECT_EQ(elText::DrawImmediately, 1);
    bool gothic = false;
    for (int i = 0; i < elText::FontCount; ++i) {
        const elText::FontListEntry& e = elText::FontList[i];
        ASSERT_LT(strnlen(e.name, sizeof e.name), 32u) << i;
        ASSERT_GT(std::strlen(e.name), 0u) << i;
        if (std::strcmp(e.name, "IPAGothic") == 0) {
            gothic = true;
            EXPECT_EQ(e.charSet, SHIFTJIS_CHARSET);
        }
    }
    EXPECT_TRUE(gothic);
    for (int i = elText::FontCount; i < elText::kFontListSize; ++i) ASSERT_EQ(elText::FontList[i].name[0], 0) << i;
    // The enumeration stops when its callback says so.
    int calls = 0;
    HDC dc = nullptr;
    ASSERT_EQ(elDraw::BackSurface->GetDC(&dc), DD_OK);
    auto stopAtThree = [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM data) {
        return ++*reinterpret_cast<int*>(data) < 3 ? 1 : 0;
    };
    EXPECT_EQ(EnumFontsA(dc, nullptr, stopAtThree, reinterpret_cast<LPARAM>(&calls)), 0);
    EXPECT_EQ(calls, std::min(3, elText::FontCount));
    calls = 0;
    EnumFontsA(dc, "IPAGothic", stopAtThree, reinterpret_cast<LPARAM>(&calls));
    EXPECT_EQ(calls, 1);
    elDraw::BackSurface->ReleaseDC(dc);
}

TEST_F(Text, FontOperationsFillTheDescriptionAndKeepWhatTheyDoNotSet) {
    Open();
    const LOGFONTA& lf = elText::FontDescription;
    EXPECT_EQ(lf.lfFaceName[0], 0);  // as the list was made
    elText::SetFont(2, 20, 90, 5, 7, 1);
    EXPECT_EQ(lf.lfFaceName[0], 0);  // selector 2 keeps the (empty) face
    EXPECT_EQ(lf.lfHeight, 20);
    EXPECT_EQ(elText::FontHeight, 20);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfEscapement, 900);
    EXPECT_EQ(lf.lfWeight, 0);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(lf.lfQuality, NONANTIALIASED_QUALITY);
    EXPECT_NE(elText::TextDC, nullptr);
    elText::ReleaseFont();
    elText::SetFont(0, -16, 450, 1, 0, 0);
    EXPECT_STREQ(lf.lfFaceName, "標準明朝");
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfEscapement, 900);  // a turn and a quarter is a quarter
    EXPECT_EQ(lf.lfItalic, 0);
    elText::SetFont(2, 12, 0, 0, 0, 0);
    EXPECT_STREQ(lf.lfFaceName, "標準明朝");
    EXPECT_EQ(lf.lfWeight, 400);
    elText::SetFont(1, 12, 0, 0, 0, 0);
    EXPECT_STREQ(lf.lfFaceName, "標準ゴシック");
    elText::ReleaseFont();
}

TEST_F(Text, NamedFacesTakeTheListedCharacterSetAndAreCutToTheirField) {
    Open();
    const LOGFONTA& lf = elText::FontDescription;
    elText::SetFontName("NoSuchFaceAnywhere", 12, 0, 0, 0, 0);
    EXPECT_STREQ(lf.lfFaceName, "NoSuchFaceAnywhere");
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    elText::ReleaseFont();
    const auto western = std::find_if(elText::FontList, elText::FontList + elText::FontCount,
                                      [](const elText::FontListEntry& e) { return e.charSet == ANSI_CHARSET; });
    if (western != elText::FontList + elText::FontCount) {
        elText::SetFontName(western->name, 12, 0, 0, 0, 0);
        EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET) << western->name;
        elText::ReleaseFont();
    }
    // Names longer than the field are cut, never past it, and never inside a
    // double-byte character.
    elText::SetFontName(std::string(40, 'A').c_str(), 12, 0, 0, 0, 0);
    EXPECT_EQ(std::string(lf.lfFaceName), std::string(31, 'A'));
    elText::ReleaseFont();
    elText::SetFontName("あいうえおかきくけこさしすせそたちつてと", 12, 0, 0, 0, 0);
    EXPECT_STREQ(lf.lfFaceName, "あいうえおかきくけこさしすせそ");
    elText::ReleaseFont();
    elText::SetWorkFontName(nullptr, 8);  // no name: the empty face
    EXPECT_EQ(lf.lfFaceName[0], 0);
    elText::ReleaseWorkFont();
}

// ---- Measurement, wrapping and alignment -------------------------------------------

TEST_F(Text, JapaneseTextWrapsBetweenAnyTwoCharactersInBothFaces) {
    Open();
    const auto before = Snapshot();
    for (int face : {0, 1}) {
        elText::SetFont(face, 16, 0, 0, 0, 0);
        const SIZE one = Extent("あ");
        const int h = LineHeight();
        EXPECT_EQ(one.cy, h) << face;
        EXPECT_GE(one.cx, 10) << face;
        const char* text = "あいうえおかきくけこ";
        EXPECT_EQ(Extent(text).cx, 10 * one.cx) << face;  // full-width characters all advance alike
        EXPECT_EQ(elText::MeasureBox(0, 0, 10 * one.cx, 0, text), h) << face;
        EXPECT_EQ(elText::MeasureBox(0, 0, 5 * one.cx, 0, text), 2 * h) << face;
        EXPECT_EQ(elText::MeasureBox(50, 50, 50 + 5 * one.cx - 1, 0, text), 3 * h) << face;  // 4, 4, 2
        // Spaces break western words; a word wider than the box stays whole.
        const int w = Extent("abcd ").cx;
        EXPECT_EQ(elText::MeasureBox(0, 0, w, 0, "abcd abcd abcd"), 3 * h) << face;
        EXPECT_EQ(elText::MeasureBox(0, 0, 3, 0, "abcdefgh"), h) << face;
        EXPECT_EQ(elText::MeasureBox(0, 0, 400, 0, "一行目\n二行目"), 2 * h) << face;
        elText::ReleaseFont();
    }
    EXPECT_EQ(Snapshot(), before);  // measuring draws nothing
}

TEST_F(Text, DrawBoxAlignsLeftCentreRightAndOtherAlignmentsDrawNothing) {
    Open();
    const char* text = "日本語の文章";
    elText::SetFont(1, 16, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0, 1);
    const int width = Extent(text).cx;
    for (int alignment : {3, -1, 100}) elText::DrawBox(100, 100, 400, 150, text, alignment);
    elText::ReleaseFont();
    auto shot = Snapshot();
    EXPECT_TRUE(Ink(shot, kWhite).empty());

    elText::SetFont(1, 16, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::DrawBox(100, 100, 400, 150, text, 0);
    elText::DrawBox(100, 200, 400, 250, text, 1);
    elText::DrawBox(100, 300, 400, 350, text, 2);
    elText::ReleaseFont();
    shot = Snapshot();
    const Box left = Ink(shot, kWhite, {0, 100, 800, 150});
    const Box centre = Ink(shot, kWhite, {0, 200, 800, 250});
    const Box right = Ink(shot, kWhite, {0, 300, 800, 350});
    ASSERT_FALSE(left.empty());
    EXPECT_GE(left.left, 100);
    EXPECT_LE(left.left, 103);
    EXPECT_GE(right.right, 397);
    EXPECT_LE(right.right, 400);
    EXPECT_EQ(centre.left - left.left, (300 - width) / 2);
    EXPECT_EQ(right.left - left.left, 300 - width);
    EXPECT_EQ(left.top, 100 + (centre.top - 200));  // same line position
}

TEST_F(Text, DrawBoxWrapsInsideItsRectangleAndCutsAtItsBottom) {
    Open();
    elText::SetFont(0, 16, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0x800000, 0);
    const int h = LineHeight();
    const int w = Extent("漢").cx;
    elText::DrawBox(100, 100, 100 + 4 * w, 100 + 2 * h, "漢字漢字漢字漢字漢字漢字", 0);  // three lines' worth
    elText::ReleaseFont();
    const auto shot = Snapshot();
    // Opaque cells fill both lines exactly; the third line is cut away.
    const Box cells = Ink(shot, kDarkBlue);
    EXPECT_EQ(cells.left, 100);
    EXPECT_EQ(cells.top, 100);
    EXPECT_EQ(cells.right, 100 + 4 * w);
    EXPECT_EQ(cells.bottom, 100 + 2 * h);
    const Box ink = Ink(shot, kWhite);
    EXPECT_GE(ink.top, 100);
    EXPECT_LE(ink.bottom, 100 + 2 * h);
}

TEST_F(Text, AmpersandIsDrawnAsItselfByDrawAndDrawBox) {
    Open();
    elText::SetFont(1, 16, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0, 1);
    const int h = LineHeight();
    elText::Draw(10, 10, "A&B && C&");
    elText::DrawBox(10, 10 + 2 * h, 400, 10 + 3 * h, "A&B && C&", 0);
    const SIZE size = Extent("A&B && C&");
    elText::ReleaseFont();
    const auto shot = Snapshot();
    int ink = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 10; x < 400; ++x) {
            ASSERT_EQ(At(shot, x, 10 + y), At(shot, x, 10 + 2 * h + y)) << x << "," << y;
            ink += At(shot, x, 10 + y) == kWhite;
        }
    EXPECT_GT(ink, 40);
    const Box drawn = Ink(shot, kWhite, {0, 0, 800, 10 + h});
    EXPECT_LE(drawn.right, 10 + size.cx);
    EXPECT_GT(drawn.right, 10 + size.cx - 6);  // the last '&' is there
}

// ---- Standard style ------------------------------------------------------------------

TEST_F(Text, PrintIsWhiteOnADarkBlueBoxOfTheTwelvePixelSansSerifFace) {
    Open();
    const SIZE cell = StandardExtent("kyori_x=0");
    elText::Print(200, 200, "kyori_x=0");
    EXPECT_EQ(elText::TextDC, nullptr);  // the font and context are given back
    const auto shot = Snapshot();
    ASSERT_FALSE(shot.empty());
    const Box box = Ink(shot, kDarkBlue);
    EXPECT_EQ(box.left, 200);
    EXPECT_EQ(box.top, 200);
    EXPECT_EQ(box.right, 200 + cell.cx);
    EXPECT_EQ(box.bottom, 200 + cell.cy);
    EXPECT_EQ(cell.cy, 12);  // a cell 12 pixels high
    int white = 0;
    for (int y = 195; y < 220; ++y)
        for (int x = 195; x < 200 + cell.cx + 5; ++x) {
            const std::uint32_t p = At(shot, x, y);
            const bool inside = x >= 200 && x < 200 + cell.cx && y >= 200 && y < 200 + cell.cy;
            if (inside) {
                ASSERT_TRUE(p == kWhite || p == kDarkBlue) << x << "," << y;
            } else {
                ASSERT_EQ(p, kGround) << x << "," << y;
            }
            white += p == kWhite;
        }
    EXPECT_GT(white, 30);
    EXPECT_EQ(elText::TextColor, 0xFFFFFFu);
    EXPECT_EQ(elText::BackColor, 0x800000u);
    EXPECT_STREQ(elText::FontDescription.lfFaceName, "標準ゴシック");
}

TEST_F(Text, PrintfFormatsAsPrintAndCutsLongResults) {
    Open();
    elText::Printf(200, 200, "kyori_y=%d", -384);
    elText::Print(200, 300, "kyori_y=-384");
    auto shot = Snapshot();
    for (int y = 0; y < 12; ++y)
        for (int x = 200; x < 300; ++x) ASSERT_EQ(At(shot, x, 200 + y), At(shot, x, 300 + y)) << x << "," << y;
    // A result longer than the 260-byte buffer is cut, not written past it:
    // the first 259 characters are printed.
    const std::string lots(1000, 'W');
    test::FillSurface(elDraw::BackSurface, kGround);
    elText::Printf(-259 * StandardExtent("W").cx + 20, 400, "%s", lots.c_str());
    shot = Snapshot();
    const Box box = Ink(shot, kDarkBlue);
    EXPECT_EQ(box.left, 0);
    EXPECT_LT(box.right, 21);
    EXPECT_GT(box.right, 10);
    elText::Printf(0, 0, nullptr);  // nothing, no crash
}

TEST_F(Text, TransparentColourDrawsTextWithoutABox) {
    Open();
    elText::SetFont(1, 16, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::Draw(50, 50, "白い文字");
    elText::ReleaseFont();
    const auto shot = Snapshot();
    int white = 0;
    for (std::uint32_t p : shot) {
        ASSERT_TRUE(p == kGround || p == kWhite);
        white += p == kWhite;
    }
    EXPECT_GT(white, 50);
}

// ---- Frame-rate line -----------------------------------------------------------------

TEST_F(Text, ShowFpsSamplesEveryTwoSecondsAndKeepsTheExtremes) {
    Open();
    const DWORD start = 100000;
    hl::SetClock(start);
    elText::ShowFps();  // samples at once: nothing counted yet
    EXPECT_STREQ(elText::FrameRate.text, "0.0 fps ( max 0.0 / min 999.9 )");
    for (int k = 1; k < 120; ++k) {
        hl::SetClock(start + static_cast<DWORD>(k * 1000 / 60));
        elText::ShowFps();
    }
    EXPECT_STREQ(elText::FrameRate.text, "0.0 fps ( max 0.0 / min 999.9 )");
    hl::SetClock(start + 2000);
    elText::ShowFps();
    EXPECT_STREQ(elText::FrameRate.text, "60.0 fps ( max 60.0 / min 60.0 )");
    for (int k = 1; k <= 60; ++k) {
        hl::SetClock(start + 2000 + static_cast<DWORD>(k * 1000 / 30));
        elText::ShowFps();
    }
    EXPECT_STREQ(elText::FrameRate.text, "30.0 fps ( max 60.0 / min 30.0 )");
    // Printed at (0, 0) in the standard style.
    const auto shot = Snapshot();
    const Box box = Ink(shot, kDarkBlue);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, StandardExtent("30.0 fps ( max 60.0 / min 30.0 )").cx);
}

TEST_F(Text, ShowFpsCountsAtMost999Frames) {
    Open();
    hl::SetClock(100000);
    for (int i = 0; i < 1200; ++i) elText::ShowFps();
    EXPECT_EQ(elText::FrameRate.frames, 999);
    hl::SetClock(102000);
    elText::ShowFps();
    EXPECT_EQ(elText::FrameRate.current, 499.5f);
}

// ---- Holding and releasing fonts -----------------------------------------------------

TEST_F(Text, AHeldFontKeepsTheSurfaceUntilReleasedAndAnotherFontReplacesIt) {
    Open();
    elText::SetFont(1, 12, 0, 0, 0, 0);
    EXPECT_EQ(PixelAt(elDraw::BackSurface, 0, 0), 0xFFFFFFFFu);  // cannot lock while held
    elDraw::Box(0, 0, 10, 10, 255, 0, 1);                       // nor draw primitives
    // A second font without a release gives the first one back first.
    elText::SetFont(0, 24, 0, 0, 0, 0);
    HDC second = elText::TextDC;
    ASSERT_NE(second, nullptr);
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::Draw(100, 100, "字");
    elText::ReleaseFont();
    EXPECT_EQ(elText::TextDC, nullptr);
    EXPECT_EQ(PixelAt(elDraw::BackSurface, 5, 5), kGround);
    const Box ink = Ink(Snapshot(), kWhite);
    EXPECT_GT(ink.bottom - ink.top, 15);  // the 24-pixel font drew
    elText::ReleaseFont();  // a second release does nothing
    // Shutdown gives back a font still held.
    elText::SetFont(1, 12, 0, 0, 0, 0);
    elText::FreeFonts();
    EXPECT_EQ(elText::TextDC, nullptr);
    EXPECT_NE(PixelAt(elDraw::BackSurface, 0, 0), 0xFFFFFFFFu);
}

TEST_F(Text, WorkFontsAreTwiceTheSizeAndDrawIntoTheFontBuffer) {
    Open();
    IDirectDrawSurface* buffer = ObjectTable[3].surface;
    test::FillSurface(buffer, 0);
    elText::SetWorkFont(1, 10);
    EXPECT_EQ(elText::FontHeight, 20);
    EXPECT_EQ(elText::FontDescription.lfHeight, 20);
    EXPECT_EQ(elText::FontDescription.lfWeight, 400);
    EXPECT_NEAR(LineHeight(), 20, 1);  // a cell of 20 pixels, give or take rounding of the face's metrics
    EXPECT_NE(PixelAt(elDraw::BackSurface, 0, 0), 0xFFFFFFFFu);  // the back surface stays free
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::Draw(0, 0, "文");
    elText::ReleaseWorkFont();
    const Box ink = Ink(Snapshot(buffer), kWhite);
    EXPECT_FALSE(ink.empty());
    EXPECT_LE(ink.bottom, 21);
    EXPECT_GT(ink.bottom - ink.top, 12);
    EXPECT_TRUE(Ink(Snapshot(), kWhite).empty());
}

// ---- In a frame ------------------------------------------------------------------------

TEST_F(Text, ReadOutsAndMarkerReachThePresentedFrame) {
    program_.program.scenes = {{1, [this] {
                                    ++program_.frames;
                                    elDraw::Clear();
                                    elText::Printf(200, 200, "kyori_x=%d", 0);
                                    elText::Printf(300, 200, "kyori_y=%d", 0);
                                    elDraw::Box(400, 300, 410, 310, 255, 0, 1);
                                    elDraw::Present();
                                }}};
    StartWithScreen();
    ASSERT_TRUE(test::RunFrames(1, program_));
    const hl::Frame& f = hl::PresentedFrame();
    ASSERT_EQ(f.width, 800);
    EXPECT_EQ(f.at(200, 200), kDarkBlue);
    EXPECT_EQ(f.at(300, 200), kDarkBlue);
    EXPECT_EQ(f.at(199, 200), 0u);
    EXPECT_EQ(f.at(400, 300), 0u);
    EXPECT_EQ(f.at(405, 305), 0xF800u);
    EXPECT_EQ(f.at(410, 305), 0u);
    int white = 0;
    for (int y = 200; y < 212; ++y)
        for (int x = 200; x < 260; ++x) white += f.at(x, y) == kWhite;
    EXPECT_GT(white, 30);
}

}  // namespace
