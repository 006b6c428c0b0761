// Pixel rules of the portable rasteriser. Expected grids were taken from
// GDI's output for the same calls; '.' is the untouched background, '#' the
// pen (or hatch line), 'o' the brush, '+' the background colour of hatches.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/portable/ddraw_pixels.h"
#include "platform/portable/gdi_raster.h"

namespace {

using plat::portable::PixelView;
using plat::portable::ReadPixel;
namespace r = plat::portable::raster;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;

// A surface of its own memory, filled with white; 16-bit 5:6:5 unless asked.
struct Surface {
    std::vector<std::uint8_t> memory;
    PixelView view;

    Surface(int w, int h, int bytesPerPixel = 2) : memory(static_cast<std::size_t>(w * h * bytesPerPixel + 64), 0xA5) {
        view.pixels = memory.data() + 32;  // guard bytes on both sides
        view.width = w;
        view.height = h;
        view.bytesPerPixel = bytesPerPixel;
        view.pitch = w * bytesPerPixel;
        if (bytesPerPixel == 4) {
            view.redMask = 0xFF0000;
            view.greenMask = 0xFF00;
            view.blueMask = 0xFF;
        }
        r::FillPixels(r::Target(view), {0, 0, w, h}, Pixel(kWhite));
    }
    std::uint32_t Pixel(std::uint32_t colorref) const { return plat::portable::PixelFromColorRef(view, colorref); }
    r::Target Target() const { return r::Target(view); }

    // The surface as rows of symbols.
    std::vector<std::string> Grid(std::uint32_t pen = kBlack, std::uint32_t brush = kRed,
                                  std::uint32_t bk = kGreen) const {
        std::vector<std::string> rows;
        for (int y = 0; y < view.height; ++y) {
            std::string row;
            for (int x = 0; x < view.width; ++x) {
                std::uint32_t p = ReadPixel(view, x, y);
                row += p == Pixel(kWhite) ? '.' : p == Pixel(pen) ? '#' : p == Pixel(brush) ? 'o' : p == Pixel(bk) ? '+' : '?';
            }
            rows.push_back(row);
        }
        return rows;
    }
    bool GuardsIntact() const {
        for (int i = 0; i < 32; ++i)
            if (memory[static_cast<std::size_t>(i)] != 0xA5 || memory[memory.size() - 1 - static_cast<std::size_t>(i)] != 0xA5)
                return false;
        return true;
    }
};

r::State PenBrush(int penWidth, std::uint32_t penColor, r::BrushStyle brushStyle, std::uint32_t brushColor,
                  r::Hatch hatch = r::Hatch::Horizontal) {
    r::State s;
    s.pen = {penWidth < 0 ? r::PenStyle::Null : r::PenStyle::Solid, penWidth < 0 ? 1 : penWidth, penColor};
    s.brush = {brushStyle, brushColor, hatch};
    return s;
}

TEST(RasterBox, OnePixelPenCoversLeftToRightMinusOne) {
    Surface s(24, 24);
    r::State st = PenBrush(1, kBlack, r::BrushStyle::Solid, kRed);
    r::Rectangle(s.Target(), st, 10, 10, 20, 20);
    auto g = s.Grid();
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            char want = '.';
            if (x >= 10 && x <= 19 && y >= 10 && y <= 19)
                want = (x == 10 || x == 19 || y == 10 || y == 19) ? '#' : 'o';
            ASSERT_EQ(g[y][x], want) << "at " << x << "," << y;
        }
    }
}

TEST(RasterBox, NullPenLeavesShapeOnePixelSmallerAndReversedCornersSwap) {
    Surface s(14, 6);
    r::State st = PenBrush(-1, kBlack, r::BrushStyle::Solid, kRed);
    r::Rectangle(s.Target(), st, 1, 1, 6, 5);
    r::Rectangle(s.Target(), st, 13, 5, 8, 1);  // reversed: same as (8, 1, 13, 5)
    std::vector<std::string> want = {
        "..............",
        ".oooo...oooo..",
        ".oooo...oooo..",
        ".oooo...oooo..",
        "..............",
        "..............",
    };
    EXPECT_EQ(s.Grid(), want);
}

TEST(RasterBox, EmptyRectanglesDrawNothingWhateverThePen) {
    Surface s(12, 12);
    r::State st = PenBrush(5, kBlack, r::BrushStyle::Solid, kRed);
    r::Rectangle(s.Target(), st, 5, 2, 5, 9);
    r::Rectangle(s.Target(), st, 2, 6, 9, 6);
    st.pen.width = 1;
    r::Rectangle(s.Target(), st, 1, 1, 2, 2);  // one pixel: the outline has no length
    std::vector<std::string> blank(12, std::string(12, '.'));
    EXPECT_EQ(s.Grid(), blank);
}

TEST(RasterBox, WidePenStraddlesThePathWithRoundCorners) {
    Surface s(16, 12);
    r::State st = PenBrush(3, kBlack, r::BrushStyle::Solid, kRed);
    r::Rectangle(s.Target(), st, 2, 2, 12, 10);
    std::vector<std::string> want = {
        "................",
        "..##########....",
        ".############...",
        ".############...",
        ".###oooooo###...",
        ".###oooooo###...",
        ".###oooooo###...",
        ".###oooooo###...",
        ".############...",
        ".############...",
        "..##########....",
        "................",
    };
    EXPECT_EQ(s.Grid(), want);
}

// Lines from the centre to eight points whose ideal lines pass half-way
// between pixels: in every octant the tie goes to the smaller coordinate,
// and no end point is drawn.
TEST(RasterLine, AllOctantsTiesAndExcludedEndPoints) {
    Surface shallow(13, 13);
    Surface steep(13, 13);
    r::State st;
    for (auto [x, y] : {std::pair{12, 9}, {0, 3}, {12, 3}, {0, 9}}) {
        r::MoveTo(st, 6, 6);
        r::LineTo(shallow.Target(), st, x, y);
    }
    for (auto [x, y] : {std::pair{9, 12}, {3, 0}, {3, 12}, {9, 0}}) {
        r::MoveTo(st, 6, 6);
        r::LineTo(steep.Target(), st, x, y);
    }
    std::vector<std::string> wantShallow = {
        ".............", ".............", ".............", ".#.........#.", "..##.....##..",
        "....##.##....", ".....###.....", "...##...##...", ".##.......##.", ".............",
        ".............", ".............", ".............",
    };
    std::vector<std::string> wantSteep = {
        ".............", "...#....#....", "....#...#....", "....#..#.....", ".....#.#.....",
        ".....##......", "......#......", ".....##......", ".....#.#.....", "....#..#.....",
        "....#...#....", "...#....#....", ".............",
    };
    EXPECT_EQ(shallow.Grid(), wantShallow);
    EXPECT_EQ(steep.Grid(), wantSteep);
}

TEST(RasterLine, CurrentPositionFollowsLineTo) {
    Surface s(8, 8);
    r::State st;
    r::Point old{-1, -1};
    r::MoveTo(st, 1, 1, &old);
    EXPECT_EQ(old.x, 0);
    EXPECT_EQ(old.y, 0);
    r::LineTo(s.Target(), st, 5, 1);
    r::LineTo(s.Target(), st, 5, 5);  // continues from (5, 1), which the first line left out
    EXPECT_EQ(st.position.x, 5);
    EXPECT_EQ(st.position.y, 5);
    auto g = s.Grid();
    EXPECT_EQ(g[1], ".#####..");
    EXPECT_EQ(g[4], ".....#..");
    EXPECT_EQ(g[5], "........");
}

// A line and its reverse cover the same pixels apart from their end points.
TEST(RasterLine, ReverseCoversSamePixels) {
    unsigned seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(n));
    };
    for (int i = 0; i < 300; ++i) {
        int x1 = next(40), y1 = next(40), x2 = next(40), y2 = next(40);
        if (x1 == x2 && y1 == y2) continue;
        Surface a(40, 40), b(40, 40);
        r::State st;
        r::MoveTo(st, x1, y1);
        r::LineTo(a.Target(), st, x2, y2);
        r::SetPixel(a.Target(), x2, y2, kBlack);
        r::MoveTo(st, x2, y2);
        r::LineTo(b.Target(), st, x1, y1);
        r::SetPixel(b.Target(), x1, y1, kBlack);
        ASSERT_EQ(a.Grid(), b.Grid()) << x1 << "," << y1 << " - " << x2 << "," << y2;
    }
}

// Clipping cuts the drawn pixels but never moves them, even for lines whose
// ends lie far outside the surface.
TEST(RasterLine, ClippingKeepsThePathOfFarLines) {
    const int lines[][4] = {{-99980, -36980, 100020, 37020}, {5, -90000, 30, 90000}, {-7, 3, 50, 29},
                            {70015, 65018, -69985, -64982}};
    for (auto& l : lines) {
        Surface whole(40, 40), clipped(40, 40);
        r::State st;
        r::MoveTo(st, l[0], l[1]);
        r::LineTo(whole.Target(), st, l[2], l[3]);
        r::MoveTo(st, l[0], l[1]);
        r::LineTo(r::Target(clipped.view, {10, 12, 31, 27}), st, l[2], l[3]);
        auto g = whole.Grid();
        auto c = clipped.Grid();
        int drawn = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                bool inside = x >= 10 && x < 31 && y >= 12 && y < 27;
                ASSERT_EQ(c[y][x], inside ? g[y][x] : '.') << x << "," << y;
                drawn += g[y][x] == '#';
            }
        EXPECT_GT(drawn, 20);
    }
}

TEST(RasterLine, WidePenDotsAndSegments) {
    Surface s(20, 12);
    r::State st;
    st.pen.width = 3;
    r::MoveTo(st, 3, 3);
    r::LineTo(s.Target(), st, 3, 3);  // a zero-length line draws the round dot
    st.pen.width = 4;
    r::MoveTo(st, 8, 3);
    r::LineTo(s.Target(), st, 8, 3);
    st.pen.width = 2;
    r::MoveTo(st, 2, 8);
    r::LineTo(s.Target(), st, 10, 8);  // the end point is covered by the round cap
    std::vector<std::string> want = {
        "....................", ".......##...........", "...#..####..........", "..###.####..........",
        "...#...##...........", "....................", "....................", ".##########.........",
        ".##########.........", "....................", "....................", "....................",
    };
    EXPECT_EQ(s.Grid(), want);
}

// HS_DIAGCROSS: hatch lines where x = y or x + y = 7 (mod 8), counted from
// the surface's origin whatever the shape's position; gaps take the
// background colour when opaque and stay untouched when transparent.
TEST(RasterHatch, DiagonalCrossAlignedToSurfaceOrigin) {
    Surface s(16, 10);
    r::State st = PenBrush(-1, kBlack, r::BrushStyle::Hatched, kRed, r::Hatch::DiagonalCross);
    st.bkColor = kGreen;
    r::Rectangle(s.Target(), st, 3, 1, 15, 10);
    std::vector<std::string> opaque = {
        "................", "...+++o++o++++..", "...++o++++o++o..", "...oo++++++oo+..", "...oo++++++oo+..",
        "...++o++++o++o..", "...+++o++o++++..", "...++++oo+++++..", "...++++oo+++++..", "................",
    };
    EXPECT_EQ(s.Grid(kBlack, kRed, kGreen), opaque);

    Surface t(16, 10);
    st.bkMode = r::BkMode::Transparent;
    r::Rectangle(t.Target(), st, 3, 1, 15, 10);
    std::vector<std::string> transparent = {
        "................", "......o..o......", ".....o....o..o..", "...oo......oo...", "...oo......oo...",
        ".....o....o..o..", "......o..o......", ".......oo.......", ".......oo.......", "................",
    };
    EXPECT_EQ(t.Grid(kBlack, kRed, kGreen), transparent);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(r::HatchBit(r::Hatch::DiagonalCross, x, y), (x % 8 == y % 8) || ((x + y) % 8 == 7));
}

TEST(RasterHatch, OtherPatterns) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(r::HatchBit(r::Hatch::Horizontal, x, y), y == 3);
            EXPECT_EQ(r::HatchBit(r::Hatch::Vertical, x, y), x == 4);
            EXPECT_EQ(r::HatchBit(r::Hatch::ForwardDiagonal, x, y), x == y);
            EXPECT_EQ(r::HatchBit(r::Hatch::BackwardDiagonal, x, y), x + y == 7);
            EXPECT_EQ(r::HatchBit(r::Hatch::Cross, x, y), x == 4 || y == 3);
        }
}

TEST(RasterPolygon, TriangleFillAndOutline) {
    Surface s(12, 10);
    r::State st = PenBrush(1, kBlack, r::BrushStyle::Solid, kRed);
    const r::Point tri[3] = {{1, 1}, {10, 1}, {5, 8}};
    EXPECT_TRUE(r::Polygon(s.Target(), st, tri, 3));
    std::vector<std::string> want = {
        "............", ".##########.", "..#oooooo#..", "..#oooooo#..", "...#oooo#...",
        "...#ooo#....", "....#o#.....", "....#o#.....", ".....#......", "............",
    };
    EXPECT_EQ(s.Grid(), want);
}

// Top-left rule: a polygon's right and bottom edges are outside, so a square
// polygon with a null pen covers as much as a Rectangle with a one-pixel pen
// and one more column and row than a Rectangle with a null pen.
TEST(RasterPolygon, TopLeftRule) {
    Surface s(8, 8);
    r::State st = PenBrush(-1, kBlack, r::BrushStyle::Solid, kRed);
    const r::Point sq[4] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}};
    r::Polygon(s.Target(), st, sq, 4);
    auto g = s.Grid();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(g[y][x], (x >= 1 && x <= 5 && y >= 1 && y <= 5) ? 'o' : '.');
}

TEST(RasterPolygon, AlternateAndWindingStar) {
    const r::Point star[5] = {{10, 0}, {13, 10}, {5, 4}, {15, 4}, {7, 10}};
    Surface a(20, 12), w(20, 12);
    r::State st = PenBrush(-1, kBlack, r::BrushStyle::Solid, kRed);
    r::Polygon(a.Target(), st, star, 5);
    st.fillMode = r::FillMode::Winding;
    r::Polygon(w.Target(), st, star, 5);
    std::vector<std::string> alternate = {
        "....................", "..........o.........", "..........o.........", "..........o.........",
        ".....oooo...ooo.....", ".......oo...oo......", "........o...o.......", "........o..oo.......",
        "........oo.oo.......", "........o...o.......", "....................", "....................",
    };
    std::vector<std::string> winding = {
        "....................", "..........o.........", "..........o.........", "..........o.........",
        ".....oooooooooo.....", ".......ooooooo......", "........ooooo.......", "........ooooo.......",
        "........oo.oo.......", "........o...o.......", "....................", "....................",
    };
    EXPECT_EQ(a.Grid(), alternate);
    EXPECT_EQ(w.Grid(), winding);
}

TEST(RasterPolygon, DegenerateCounts) {
    Surface s(10, 4);
    r::State st = PenBrush(1, kBlack, r::BrushStyle::Solid, kRed);
    const r::Point pts[3] = {{1, 2}, {4, 2}, {7, 2}};
    EXPECT_FALSE(r::Polygon(s.Target(), st, pts, 1));
    EXPECT_FALSE(r::Polygon(s.Target(), st, pts, 0));
    EXPECT_TRUE(r::Polygon(s.Target(), st, pts, 3));  // collinear: outline only, both ways
    EXPECT_EQ(s.Grid()[2], ".#######..");
}

TEST(RasterBezier, EndPointsExactAndLastPointNotDrawn) {
    const r::Point curve[7] = {{1, 1}, {5, 1}, {10, 10}, {14, 10}, {18, 10}, {20, 5}, {25, 1}};
    r::Point line[256];
    int n = r::FlattenBezier(curve, 7, line, 256);
    ASSERT_GE(n, 6);
    EXPECT_EQ(line[0].x, 1);
    EXPECT_EQ(line[0].y, 1);
    EXPECT_EQ(line[n - 1].x, 25);
    EXPECT_EQ(line[n - 1].y, 1);
    bool passesJoint = false;
    for (int i = 0; i < n; ++i) passesJoint |= line[i].x == 14 && line[i].y == 10;
    EXPECT_TRUE(passesJoint);

    Surface s(32, 14);
    r::State st;
    EXPECT_TRUE(r::PolyBezier(s.Target(), st, curve, 7));
    auto g = s.Grid();
    EXPECT_EQ(g[1][1], '#');
    EXPECT_EQ(g[10][14], '#');
    EXPECT_EQ(g[1][25], '.');
    EXPECT_FALSE(r::PolyBezier(s.Target(), st, curve, 6));
    EXPECT_FALSE(r::PolyBezier(s.Target(), st, curve, 0));
}

TEST(RasterBezier, StraightCurveEqualsLine) {
    Surface a(30, 20), b(30, 20);
    r::State st;
    const r::Point curve[4] = {{2, 3}, {10, 7}, {18, 11}, {26, 15}};
    r::PolyBezier(a.Target(), st, curve, 4);
    r::MoveTo(st, 2, 3);
    r::LineTo(b.Target(), st, 26, 15);
    EXPECT_EQ(a.Grid(), b.Grid());
}

TEST(RasterInvert, TwiceIsIdentityOnceFlipsEveryBit) {
    for (int bpp : {2, 4}) {
        Surface s(12, 9, bpp);
        r::State st = PenBrush(1, kBlack, r::BrushStyle::Hatched, kRed, r::Hatch::DiagonalCross);
        r::Rectangle(s.Target(), st, 1, 1, 11, 8);
        const std::vector<std::uint8_t> before = s.memory;
        r::InvertRect(s.Target(), {-3, 2, 20, 6});
        const std::uint32_t all = bpp == 2 ? 0xFFFFu : 0xFFFFFFFFu;
        PixelView old = s.view;
        std::vector<std::uint8_t> copy = before;
        old.pixels = copy.data() + 32;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x)
                ASSERT_EQ(ReadPixel(s.view, x, y), ReadPixel(old, x, y) ^ (y >= 2 && y < 6 ? all : 0u)) << x << "," << y;
        EXPECT_EQ(ReadPixel(s.view, 5, 1), s.Pixel(kBlack));
        r::InvertRect(s.Target(), {-3, 2, 20, 6});
        EXPECT_EQ(s.memory, before);
        EXPECT_TRUE(s.GuardsIntact());
    }
}

TEST(RasterInvert, ReversedExtentsMirrorFromTheStartPixel) {
    Surface s(5, 3);
    r::InvertRect(s.Target(), {3, 1, 1, 0});  // width -2, height -1: columns 2..3 of row 1
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(ReadPixel(s.view, x, y), (y == 1 && (x == 2 || x == 3)) ? 0u : 0xFFFFu) << x << "," << y;
}

TEST(RasterPixel, SetPixelReportsNearestColourAndClips) {
    Surface s(4, 2);
    EXPECT_EQ(r::SetPixel(s.Target(), 3, 1, 0x123456), 0x103450u);
    EXPECT_EQ(r::GetPixel(s.Target(), 3, 1), 0x103450u);
    EXPECT_EQ(r::SetPixel(s.Target(), 4, 0, kRed), r::kInvalidColor);
    EXPECT_EQ(r::SetPixel(s.Target(), -1, 0, kRed), r::kInvalidColor);
    EXPECT_EQ(r::GetPixel(s.Target(), 0, 2), r::kInvalidColor);
    EXPECT_EQ(r::GetPixel(s.Target(), 0, 0), 0xF8FCF8u);  // white in 5:6:5
    Surface w(2, 2, 4);
    EXPECT_EQ(r::SetPixel(w.Target(), 1, 1, 0x123456), 0x123456u);
}

// Shapes far larger than the surface write only inside it (and inside a
// narrower clip when one is given).
TEST(RasterClip, NothingOutsideTheClip) {
    Surface s(30, 30);
    const r::Target clipped(s.view, {5, 6, 25, 22});
    r::State st = PenBrush(7, kBlack, r::BrushStyle::Hatched, kRed, r::Hatch::Cross);
    r::Rectangle(clipped, st, -50, -50, 80, 80);
    const r::Point tri[3] = {{-1000, -1000}, {2000, 15}, {15, 3000}};
    r::Polygon(clipped, st, tri, 3);
    const r::Point curve[4] = {{-500, 10}, {15, -900}, {15, 900}, {500, 10}};
    r::PolyBezier(clipped, st, curve, 4);
    r::InvertRect(clipped, {-9, -9, 99, 99});
    r::FillRect(clipped, {-9, -9, 99, 99}, st.brush, r::BkMode::Transparent);
    auto g = s.Grid();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if (x < 5 || x >= 25 || y < 6 || y >= 22) {
                ASSERT_EQ(g[y][x], '.') << x << "," << y;
            }
    EXPECT_TRUE(s.GuardsIntact());
    const r::Target outside(s.view, {40, 40, 60, 60});  // entirely off the view: empty
    EXPECT_EQ(outside.clip.left, outside.clip.right);
}

}  // namespace
