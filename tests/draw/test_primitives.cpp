// Primitives on the back surface: GDI's pixel rules for boxes, lines,
// hatched polygons, curves and inverted boxes through the elDraw calls; the
// half-transparent box in 5:6:5, 5:5:5 and 32 bits; the screen save's bytes;
// and the device-context rules of the GDI layer beneath them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/portable/headless.h"
#include "platform/portable/gdi_raster.h"
#include "support/draw_support.h"

using namespace plat;
namespace hl = plat::headless;
using test::PixelAt;
using test::Rgb565;

namespace {

constexpr std::uint32_t kGround = 0x1082;  // a dark grey no primitive below draws

class Primitives : public test::DrawTest {
protected:
    void Open(DisplayFormat format = DisplayFormat::Rgb565) {
        SetDisplayFormat(format);
        // A 32-bit desktop is drawn on in full colour by a program that asks for it.
        if (format == DisplayFormat::Xrgb8888) elDraw::SetDepths(32, 0, 0);
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, ground());
    }
    std::uint32_t ground() const { return GetDisplayFormat() == DisplayFormat::Xrgb8888 ? 0x102030u : kGround; }
    std::uint32_t Back(int x, int y) { return PixelAt(elDraw::BackSurface, x, y); }
    std::vector<std::uint8_t> ReadFile(const std::string& name) {
        std::ifstream in(folder_ + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Every pixel of [x0, x1) x [y0, y1) checked against `expected`.
    template <typename F>
    void ExpectRegion(int x0, int y0, int x1, int y1, F expected) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) ASSERT_EQ(Back(x, y), expected(x, y)) << "at " << x << "," << y;
    }
};

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

// ---- GDI primitives -------------------------------------------------------------

TEST_F(Primitives, BoxIsRedSquareWithBlackBorderOverColumnsAndRowsTenToNineteen) {
    Open();
    elDraw::Box(10, 10, 20, 20, 255, 0, 1);
    ExpectRegion(8, 8, 22, 22, [&](int x, int y) -> std::uint32_t {
        if (x < 10 || x > 19 || y < 10 || y > 19) return kGround;
        if (x == 10 || x == 19 || y == 10 || y == 19) return 0;
        return 0xF800;
    });
    // A pen of width 0 is a one-pixel pen; wide pens straddle the outline.
    test::FillSurface(elDraw::BackSurface, kGround);
    elDraw::Box(10, 10, 20, 20, 0xFF0000, 0x00FF00, 0);
    EXPECT_EQ(Back(10, 10), Rgb565(0x00FF00));
    EXPECT_EQ(Back(11, 11), Rgb565(0xFF0000));
    EXPECT_EQ(Back(20, 20), kGround);
    elDraw::Box(100, 100, 120, 120, 0xFF0000, 0x00FF00, 5);
    EXPECT_EQ(Back(98, 110), Rgb565(0x00FF00));  // 2 pixels outside the path
    EXPECT_EQ(Back(97, 110), kGround);
    EXPECT_EQ(Back(110, 110), Rgb565(0xFF0000));
}

TEST_F(Primitives, PrimitivesAreNotCutToTheClipRectangle) {
    Open();
    elDraw::SetClip(0, 0, 50, 50);
    elDraw::Box(100, 100, 110, 110, 255, 0, 1);
    elDraw::Line(200, 200, 210, 200, 0xFFFFFF, 1);
    EXPECT_EQ(Back(105, 105), 0xF800u);
    EXPECT_EQ(Back(205, 200), 0xFFFFu);
    // Drawing off the surface is cut to it without harm.
    elDraw::Box(-50, 590, 900, 700, 255, 0, 1);
    EXPECT_EQ(Back(0, 595), 0xF800u);
    EXPECT_EQ(Back(799, 599), 0xF800u);
}

TEST_F(Primitives, LineLeavesOutItsEndPointInEveryDirection) {
    Open();
    const std::uint32_t white = 0xFFFF;
    elDraw::Line(100, 100, 110, 100, 0xFFFFFF, 1);
    ExpectRegion(99, 99, 112, 102, [&](int x, int y) { return y == 100 && x >= 100 && x <= 109 ? white : kGround; });
    elDraw::Line(300, 310, 300, 300, 0xFFFFFF, 1);  // upwards: (300, 300) is not drawn
    EXPECT_EQ(Back(300, 310), white);
    EXPECT_EQ(Back(300, 301), white);
    EXPECT_EQ(Back(300, 300), kGround);
    elDraw::Line(400, 400, 404, 404, 0xFFFFFF, 1);  // diagonal
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Back(400 + i, 400 + i), white) << i;
    EXPECT_EQ(Back(404, 404), kGround);
    // A three-pixel pen covers the rows either side and rounds its ends.
    elDraw::Line(500, 500, 520, 500, 0x0000FF, 3);
    EXPECT_EQ(Back(510, 499), 0xF800u);
    EXPECT_EQ(Back(510, 501), 0xF800u);
    EXPECT_EQ(Back(510, 502), kGround);
    EXPECT_EQ(Back(520, 500), 0xF800u);  // the round end reaches past the end point
    // Each line is drawn with a fresh pen: colour and width do not stick.
    elDraw::Line(600, 100, 610, 100, 0x00FF00, 1);
    EXPECT_EQ(Back(605, 100), 0x07E0u);
    EXPECT_EQ(Back(605, 101), kGround);
}

TEST_F(Primitives, PolygonModesHollowHatchedOpaqueAndHatchedTransparent) {
    Open();
    namespace r = plat::portable::raster;
    // Squares 40 pixels wide with corners on (x, 100) .. (x + 40, 140).
    auto square = [](int x) {
        return std::vector<POINT>{{x, 100}, {x + 40, 100}, {x + 40, 140}, {x, 140}};
    };
    const std::uint32_t red = 0xF800, blue = Rgb565(0xFF0000);
    auto hollow = square(100), opaque = square(200), clear = square(300);
    EXPECT_EQ(elDraw::Polygon(hollow.data(), 4, 255, 0xFF0000, 1, 0), DD_OK);
    elDraw::Polygon(opaque.data(), 4, 255, 0xFF0000, 1, 1);
    elDraw::Polygon(clear.data(), 4, 255, 0xFF0000, 1, 2);
    // Outlines in the colour; polygons include their closing edge.
    for (int x0 : {100, 200, 300}) {
        EXPECT_EQ(Back(x0, 100), red);
        EXPECT_EQ(Back(x0 + 40, 120), red);
        EXPECT_EQ(Back(x0 + 20, 140), red);
        EXPECT_EQ(Back(x0 + 41, 120), kGround);
    }
    int hatch = 0;
    for (int y = 102; y < 139; ++y)
        for (int x = 2; x < 39; ++x) {
            const bool line = r::HatchBit(r::Hatch::DiagonalCross, 200 + x, y);
            ASSERT_EQ(Back(100 + x, y), kGround) << x << "," << y;  // hollow
            // The hatch is aligned to the surface, and the same lines are
            // drawn in both modes; only the gaps differ.
            ASSERT_EQ(Back(200 + x, y), line ? red : blue) << x << "," << y;
            ASSERT_EQ(Back(300 + x, y), r::HatchBit(r::Hatch::DiagonalCross, 300 + x, y) ? red : kGround);
            hatch += line;
        }
    EXPECT_GT(hatch, 300);
    // Fewer than two points or no points draw nothing.
    elDraw::Polygon(nullptr, 4, 255, 0, 1, 1);
    elDraw::Polygon(opaque.data(), 1, 0xFFFFFF, 0, 1, 1);
    EXPECT_EQ(Back(200, 100), red);
}

TEST_F(Primitives, BezierEndsOnItsEndPointAndStraightCurveIsTheLine) {
    Open();
    const POINT curve[4] = {{100, 300}, {150, 200}, {250, 400}, {300, 300}};
    EXPECT_EQ(elDraw::Bezier(curve, 4, 0xFFFFFF, 1), DD_OK);
    EXPECT_EQ(Back(100, 300), 0xFFFFu);
    EXPECT_EQ(Back(300, 300), kGround);  // the last point, as LineTo's
    int beside = 0;  // the curve still reaches the pixels next to it
    for (int y = 299; y <= 301; ++y) beside += Back(299, y) == 0xFFFF;
    EXPECT_EQ(beside, 1);
    int above = 0, below = 0;  // it swings up, then down
    for (int y = 200; y < 400; ++y) {
        above += Back(150, y) == 0xFFFF && y < 300;
        below += Back(250, y) == 0xFFFF && y > 300;
    }
    EXPECT_GT(above, 0);
    EXPECT_GT(below, 0);
    const POINT straight[4] = {{100, 500}, {120, 500}, {140, 500}, {160, 500}};
    elDraw::Bezier(straight, 4, 0x00FF00, 1);
    ExpectRegion(98, 499, 162, 502, [&](int x, int y) { return y == 500 && x >= 100 && x < 160 ? 0x07E0u : kGround; });
    // A count that is not 1 + 3n draws nothing.
    const POINT five[5] = {{400, 500}, {450, 450}, {500, 550}, {550, 500}, {600, 500}};
    elDraw::Bezier(five, 5, 0xFFFFFF, 1);
    EXPECT_EQ(Back(400, 500), kGround);
}

TEST_F(Primitives, InvertBoxFlipsEveryBitAndTwiceRestores) {
    Open();
    test::SetPixelAt(elDraw::BackSurface, 11, 11, 0x1234);
    elDraw::InvertBox(10, 10, 20, 20);
    EXPECT_EQ(Back(10, 10), static_cast<std::uint32_t>(~kGround & 0xFFFF));
    EXPECT_EQ(Back(11, 11), 0xEDCBu);
    EXPECT_EQ(Back(19, 19), static_cast<std::uint32_t>(~kGround & 0xFFFF));
    EXPECT_EQ(Back(20, 19), kGround);
    EXPECT_EQ(Back(19, 20), kGround);
    elDraw::InvertBox(10, 10, 20, 20);
    EXPECT_EQ(Back(11, 11), 0x1234u);
    EXPECT_EQ(Back(15, 15), kGround);
}

TEST_F(Primitives, SetAndGetPixelReportTheNearestColour) {
    Open();
    int r = -1, g = -1, b = -1;
    elDraw::SetPixel(5, 6, 0x0000FF);
    elDraw::GetPixel(5, 6, &r, &g, &b);
    EXPECT_EQ(r, 248);  // pure red as a 5:6:5 display holds it
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 0);
    elDraw::SetPixel(7, 6, 0x80FF10);
    elDraw::GetPixel(7, 6, &r, &g, &b);
    EXPECT_EQ(r, 0x10);
    EXPECT_EQ(g, 0xFC);
    EXPECT_EQ(b, 0x80);
    EXPECT_EQ(Back(7, 6), Rgb565(0x80FF10));
    // Outside the surface there is no pixel: all three read 0.
    elDraw::GetPixel(800, 0, &r, &g, &b);
    EXPECT_EQ(r + g + b, 0);
    elDraw::GetPixel(5, 6, nullptr, nullptr, &b);  // null outputs are skipped
    EXPECT_EQ(elDraw::SetPixel(-1, 0, 255), DD_OK);
}

TEST_F(Primitives, NothingIsDrawnWhileTheBackDeviceContextIsLent) {
    Open();
    ASSERT_EQ(elDraw::GetBackDC(), DD_OK);
    EXPECT_NE(elDraw::Line(0, 0, 10, 0, 0xFFFFFF, 1), DD_OK);
    elDraw::Box(0, 0, 10, 10, 255, 0, 1);
    EXPECT_EQ(elDraw::HalfBox(0, 0, 10, 10, 0xFFFF), 0);  // cannot lock
    EXPECT_EQ(elDraw::SaveScreen("busy.bmp", 4, 4), 0);
    ASSERT_EQ(elDraw::ReleaseBackDC(), DD_OK);
    EXPECT_EQ(Back(5, 0), kGround);
    EXPECT_EQ(Back(5, 5), kGround);
    EXPECT_TRUE(ReadFile("busy.bmp").empty());
    // Each primitive gives the context back: the surface locks afterwards.
    EXPECT_EQ(elDraw::Line(0, 0, 10, 0, 0xFFFFFF, 1), DD_OK);
    EXPECT_EQ(Back(5, 0), 0xFFFFu);
}

// ---- Half-transparent box ----------------------------------------------------------

TEST_F(Primitives, HalfBoxBlendsHalfAndHalfIn565) {
    Open();
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::HalfBox(10, 10, 20, 20, 0xFFFF), 1);
    ExpectRegion(8, 8, 22, 22, [](int x, int y) -> std::uint32_t {
        return x >= 10 && x < 20 && y >= 10 && y < 20 ? 0x7BEF : 0;
    });
    test::SetPixelAt(elDraw::BackSurface, 50, 50, 0x001F);
    test::SetPixelAt(elDraw::BackSurface, 51, 50, 0xFFFF);
    elDraw::HalfBox(50, 50, 52, 51, 0xF800);
    EXPECT_EQ(Back(50, 50), 0x780Fu);  // half blue and half red
    EXPECT_EQ(Back(51, 50), 0x7BEFu + 0x7800u);
}

TEST_F(Primitives, HalfBoxBlendsHalfAndHalfIn555) {
    Open(DisplayFormat::Rgb555);
    test::FillSurface(elDraw::BackSurface, 0);
    EXPECT_EQ(elDraw::HalfBox(0, 0, 4, 4, 0x7FFF), 1);
    EXPECT_EQ(Back(0, 0), 0x3DEFu);
    EXPECT_EQ(Back(3, 3), 0x3DEFu);
    EXPECT_EQ(Back(4, 3), 0u);
    // Green of 5:5:5 is bits 5-9: no bit may spill into the next channel.
    test::SetPixelAt(elDraw::BackSurface, 10, 0, 0x03E0);
    elDraw::HalfBox(10, 0, 11, 1, 0x03E0);
    EXPECT_EQ(Back(10, 0), 0x01E0u + 0x01E0u);
}

TEST_F(Primitives, HalfBoxIn32Bits) {
    Open(DisplayFormat::Xrgb8888);
    test::FillSurface(elDraw::BackSurface, 0);
    elDraw::HalfBox(0, 0, 2, 2, 0xFFFFFF);
    EXPECT_EQ(Back(1, 1), 0x7F7F7Fu);
    EXPECT_EQ(Back(2, 1), 0u);
}

TEST_F(Primitives, HalfBoxIsCutToTheClipRectangleAndTheSurface) {
    Open();
    elDraw::SetClip(100, 100, 110, 105);
    EXPECT_EQ(elDraw::HalfBox(0, 0, 800, 600, 0), 1);
    const std::uint32_t halved = (kGround >> 1) & 0x7BEF;
    ExpectRegion(98, 98, 112, 107, [&](int x, int y) {
        return x >= 100 && x < 110 && y >= 100 && y < 105 ? halved : kGround;
    });
    // Wholly outside the clip: 1, nothing touched.
    EXPECT_EQ(elDraw::HalfBox(0, 0, 50, 50, 0xFFFF), 1);
    EXPECT_EQ(elDraw::HalfBox(200, 200, 300, 300, 0xFFFF), 1);
    EXPECT_EQ(Back(0, 0), kGround);
    EXPECT_EQ(Back(250, 250), kGround);
    // A clip rectangle larger than the surface does not carry the box off it.
    elDraw::SetClip(-100, -100, 5000, 5000);
    EXPECT_EQ(elDraw::HalfBox(-100, -100, 5000, 5000, 0xFFFF), 1);
    EXPECT_EQ(Back(799, 599), halved + 0x7BEF);
    EXPECT_EQ(Back(0, 0), halved + 0x7BEF);
}

// ---- Screen save -------------------------------------------------------------------

TEST_F(Primitives, SaveScreenOfWidthThreePadsRowsToTwelveBytes) {
    Open();
    // Top row: red, green, blue; second row: white, black, a mixed pixel.
    const std::uint32_t pixels[2][3] = {{0xF800, 0x07E0, 0x001F}, {0xFFFF, 0x0000, (5u << 11) | (42u << 5) | 17u}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) test::SetPixelAt(elDraw::BackSurface, x, y, pixels[y][x]);
    ASSERT_EQ(elDraw::SaveScreen("shot.bmp", 3, 2), 1);
    const std::vector<std::uint8_t> f = ReadFile("shot.bmp");
    ASSERT_EQ(f.size(), 58u + 12u * 2u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(Le(f, 2, 4), 82u);
    EXPECT_EQ(Le(f, 6, 4), 0u);
    EXPECT_EQ(Le(f, 10, 4), 58u);
    EXPECT_EQ(Le(f, 14, 4), 40u);
    EXPECT_EQ(Le(f, 18, 4), 3u);
    EXPECT_EQ(Le(f, 22, 4), 2u);
    EXPECT_EQ(Le(f, 26, 2), 1u);
    EXPECT_EQ(Le(f, 28, 2), 24u);
    EXPECT_EQ(Le(f, 30, 4), 0u);
    EXPECT_EQ(Le(f, 34, 4), 24u);
    EXPECT_EQ(Le(f, 38, 4), 2834u);
    EXPECT_EQ(Le(f, 42, 4), 2834u);
    EXPECT_EQ(Le(f, 46, 4), 0u);
    EXPECT_EQ(Le(f, 50, 4), 0u);
    EXPECT_EQ(Le(f, 54, 4), 0u);
    // Bottom row first; blue, green, red; channels of 5 bits shifted up by 3
    // (the sixth bit of green is dropped).
    const std::vector<std::uint8_t> rows = {
        0xF8, 0xF8, 0xF8, 0, 0, 0, 17 << 3, 21 << 3, 5 << 3, 0, 0, 0,
        0, 0, 0xF8, 0, 0xF8, 0, 0xF8, 0, 0, 0, 0, 0,
    };
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin() + 58, f.end()), rows);
}

TEST_F(Primitives, SaveScreenIn32BitsReadsTheChannelsByTheirShifts) {
    Open(DisplayFormat::Xrgb8888);
    test::SetPixelAt(elDraw::BackSurface, 0, 0, 0x123456);
    test::SetPixelAt(elDraw::BackSurface, 1, 0, 0xFFFFFFFF);  // the unused byte is ignored
    ASSERT_EQ(elDraw::SaveScreen("wide.bmp", 2, 1), 1);
    const std::vector<std::uint8_t> f = ReadFile("wide.bmp");
    ASSERT_EQ(f.size(), 58u + 8u);
    const std::vector<std::uint8_t> row = {0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin() + 58, f.end()), row);
}

TEST_F(Primitives, SaveScreenWritesNothingAtOtherDepthsOrWhereItCannot) {
    Open();
    hl::SetDisplayDepth(24);
    EXPECT_EQ(elDraw::SaveScreen("deep.bmp", 10, 10), 1);
    EXPECT_TRUE(ReadFile("deep.bmp").empty());
    // A display that claims 32 bits over a 16-bit surface must not read past
    // the surface's rows.
    hl::SetDisplayDepth(32);
    EXPECT_EQ(elDraw::SaveScreen("mismatch.bmp", 800, 600), 1);
    EXPECT_TRUE(ReadFile("mismatch.bmp").empty());
    hl::SetDisplayDepth(16);
    EXPECT_EQ(elDraw::SaveScreen("no-such-folder/x.bmp", 10, 10), 0);
    EXPECT_EQ(elDraw::SaveScreen("empty.bmp", 0, 10), 0);
    EXPECT_EQ(elDraw::SaveScreen(nullptr, 10, 10), 0);
    // A region larger than the screen is cut to it.
    ASSERT_EQ(elDraw::SaveScreen("big.bmp", 5000, 5000), 1);
    const std::vector<std::uint8_t> f = ReadFile("big.bmp");
    ASSERT_EQ(f.size(), 58u + 2400u * 600u);
    EXPECT_EQ(Le(f, 18, 4), 800u);
    EXPECT_EQ(Le(f, 22, 4), 600u);
}

// The saved file opens in ImageMagick, at its size and with its colours.
TEST_F(Primitives, SaveScreenOpensInImageMagick) {
    if (std::system("identify -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick identify not installed";
    Open();
    elDraw::Box(0, 0, 7, 5, 255, 255, 1);  // red
    test::SetPixelAt(elDraw::BackSurface, 6, 4, 0x001F);  // blue, bottom right
    ASSERT_EQ(elDraw::SaveScreen("magick.bmp", 7, 5), 1);
    const std::string command =
        "identify -format '%m %w %h %[pixel:p{0,0}] %[pixel:p{6,4}]' '" + folder_ + "magick.bmp' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    char out[256] = {};
    const std::size_t n = std::fread(out, 1, sizeof out - 1, pipe.get());
    // ImageMagick names a BMP with a 40-byte information header "BMP3".
    EXPECT_EQ(std::string(out, n), "BMP3 7 5 srgb(248,0,0) srgb(0,0,248)");
}

// ---- The GDI layer beneath ---------------------------------------------------------

TEST_F(Primitives, SelectObjectHandsBackStockObjectsAndSelectedObjectsSurviveDelete) {
    Open();
    HDC dc = nullptr;
    ASSERT_EQ(elDraw::BackSurface->GetDC(&dc), DD_OK);
    HPEN pen = CreatePen(PS_SOLID, 1, 0x00FF00);
    HGDIOBJ old = SelectObject(dc, pen);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN));  // a fresh context holds the stock pen
    EXPECT_EQ(DeleteObject(pen), 0);            // still selected
    EXPECT_EQ(SelectObject(dc, old), pen);
    EXPECT_EQ(DeleteObject(pen), 1);
    EXPECT_EQ(DeleteObject(GetStockObject(BLACK_PEN)), 1);  // stock objects stay
    EXPECT_NE(GetStockObject(BLACK_PEN), nullptr);
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_BRUSH)), brush);
    EXPECT_EQ(DeleteObject(brush), 1);
    EXPECT_NE(SelectObject(dc, GetStockObject(SYSTEM_FONT)), nullptr);
    // Background and fill settings hand back what they replace.
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 7), 0);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(SetBkColor(dc, 0x123456), 0xFFFFFFu);
    EXPECT_EQ(SetTextColor(dc, 0xFFFFFF), 0u);
    EXPECT_EQ(SetPolyFillMode(dc, WINDING), ALTERNATE);
    POINT previous{};
    MoveToEx(dc, 5, 6, nullptr);
    MoveToEx(dc, 7, 8, &previous);
    EXPECT_EQ(previous.x, 5);
    EXPECT_EQ(previous.y, 6);
    // Unknown brush styles and hatches are refused.
    LOGBRUSH odd{7, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&odd), nullptr);
    EXPECT_EQ(CreateHatchBrush(6, 0), nullptr);
    EXPECT_EQ(elDraw::BackSurface->ReleaseDC(dc), DD_OK);
    // A handle that is no longer a device context is refused everywhere.
    EXPECT_EQ(LineTo(dc, 1, 1), 0);
    EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);
    EXPECT_EQ(Rectangle(dc, 0, 0, 1, 1), 0);
}

TEST_F(Primitives, FillRectUsesTheBrushAndTheBackgroundOfTheContext) {
    Open();
    HDC dc = nullptr;
    ASSERT_EQ(elDraw::BackSurface->GetDC(&dc), DD_OK);
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, 0xFFFFFF);
    SetBkMode(dc, TRANSPARENT);
    const RECT r{0, 0, 8, 8};
    EXPECT_EQ(FillRect(dc, &r, hatch), 1);
    DeleteObject(hatch);
    elDraw::BackSurface->ReleaseDC(dc);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(Back(0, y), y == 3 ? 0xFFFFu : kGround) << y;
}

}  // namespace
