// The tunnel beyond its basic shapes: every cell of a table against the
// coordinate rules with a texture whose sides differ (each coordinate wraps
// by its own side), the draw's wraps with a texture taller than wide, tables
// larger than the screen, and places far off the back surface.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "draw/effects/elEffects.h"
#include "support/draw_support.h"
#include "support/effect_surfaces.h"
#include "system/elSystem.h"

using test::PixelAt;

namespace {

constexpr std::uint32_t kGround = 9;

class TunnelRules : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, kGround);
    }
    static TunnelCell Cell(int row, int col) { return TunnelTable[row * elDraw::TunnelWidth + col]; }
    static std::uint32_t Back(int x, int y) { return PixelAt(elDraw::BackSurface, x, y); }
    // A texture whose every texel differs: 1 + u + 100 v.
    int Texture(int tw, int th) {
        const int slot = elDraw::CreateObject(tw, th, 2);
        EXPECT_GT(slot, 0);
        for (int v = 0; v < th; ++v)
            for (int u = 0; u < tw; ++u) test::SetPixelAt(ObjectTable[slot].surface, u, v, Texel(u, v));
        return slot;
    }
    static std::uint32_t Texel(std::int64_t u, std::int64_t v) { return static_cast<std::uint32_t>(1 + u + 100 * v); }
};

// value mod size in 0 .. size - 1.
std::int64_t Mod(std::int64_t value, std::int64_t size) { return ((value % size) + size) % size; }

TEST_F(TunnelRules, EveryCellWrapsUByTheWidthAndVByTheHeight) {
    // A round tunnel (measure 0, flat depth, 64 sides for a deep one) of a
    // 40 x 24 texture, centred off the middle so that cells beyond the
    // corner's distance get negative v: u comes from the angle and wraps by
    // 40, v from the inverse distance and wraps by 24, in every cell.
    const int tw = 40, th = 24, w = 50, h = 30, cx = 12, cy = 9;
    elDraw::MakeTunnel(tw, th, w, h, cx, cy, 64, 0, 0, 0);
    const double pi = 3.141592653589793;
    const double base = th / (2 * std::tan(pi / 64 / 2));
    const auto depth = static_cast<float>(base / 32);
    const double corner = std::sqrt(static_cast<double>(cx * cx + cy * cy));
    int wrappedV = 0;
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            const int dx = j - cx, dy = i - cy;
            const auto distance = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
            auto u = static_cast<std::int64_t>(std::atan2(dy, dx) * (tw / (2 * pi)));
            std::int64_t v = 0;
            if (distance != 0.0f)
                v = static_cast<std::int64_t>(static_cast<double>(depth) * (corner - distance) / distance);
            wrappedV += v >= th || v < 0;
            ASSERT_EQ(Cell(i, j).u, Mod(u, tw)) << i << "," << j;
            ASSERT_EQ(Cell(i, j).v, Mod(v, th)) << i << "," << j;
        }
    EXPECT_GT(wrappedV, 500);  // the wrap of v is at work in many cells
}

TEST_F(TunnelRules, TheDrawWrapsEachCoordinateByItsOwnSide) {
    // Both orders of sizes: a texture taller than wide, and wider than tall,
    // with offsets that carry u and v past their sides.
    for (const auto& [tw, th] : {std::pair{16, 40}, std::pair{40, 16}}) {
        const int texture = Texture(tw, th);
        elDraw::MakeTunnel(tw, th, 64, 48, -1, -1, -1, 0, 0, 0);
        for (const auto& [du, dv] : {std::pair{13, 37}, std::pair{-5, -39}, std::pair{tw - 1, th - 1},
                                    std::pair{INT_MAX, INT_MIN}}) {
            EXPECT_EQ(elDraw::DrawTunnel(100, 200, du, dv, texture), 1);
            const test::Pixels b = test::ReadPixels(elDraw::BackSurface);
            for (int row = 0; row < 48; ++row)
                for (int col = 0; col < 64; ++col) {
                    const TunnelCell c = Cell(row, col);
                    ASSERT_EQ(b.at(100 + col, 200 + row),
                              Texel(Mod(std::int64_t{du} + c.u, tw), Mod(std::int64_t{dv} + c.v, th)))
                        << tw << "x" << th << " offsets " << du << "," << dv << " at " << row << "," << col;
                }
        }
    }
}

TEST_F(TunnelRules, ATableLargerThanTheScreenIsMadeSilentlyAndDrawnWhereItLies) {
    const int texture = Texture(64, 64);
    ErrorFlag = 0;
    elDraw::MakeTunnel(64, 64, 1000, 300, -1, -1, -1, 0, 0, 0);  // 300,000 cells
    EXPECT_EQ(ErrorFlag, 0);
    EXPECT_EQ(elDraw::TunnelWidth, 1000);
    EXPECT_EQ(elDraw::TunnelHeight, 300);
    elDraw::MakeTunnel(64, 64, 300, 1000, -1, -1, -1, 0, 0, 0);
    EXPECT_EQ(ErrorFlag, 0);
    EXPECT_EQ(elDraw::TunnelHeight, 1000);
    // Only more cells than the table holds is refused.
    elDraw::MakeTunnel(64, 64, 1000, 308, -1, -1, -1, 0, 0, 0);
    EXPECT_EQ(ErrorFlag, 1);
    EXPECT_EQ(elDraw::TunnelHeight, 1000);
    ErrorFlag = 0;

    elDraw::MakeTunnel(64, 64, 1000, 300, -1, -1, -1, 0, 0, 0);
    EXPECT_EQ(elDraw::DrawTunnel(-100, 0, 0, 0, texture), 1);
    EXPECT_EQ(Back(0, 0), Texel(Cell(0, 100).u, Cell(0, 100).v));
    EXPECT_EQ(Back(799, 299), Texel(Cell(299, 899).u, Cell(299, 899).v));
    EXPECT_EQ(Back(0, 300), kGround);
}

TEST_F(TunnelRules, PlacesFarOffTheBackSurfaceDrawNothing) {
    const int texture = Texture(32, 16);
    elDraw::MakeTunnel(32, 16, 64, 48, -1, -1, -1, 0, 0, 0);
    const test::Pixels before = test::ReadPixels(elDraw::BackSurface);
    const std::pair<int, int> places[] = {{INT_MIN, 0},       {0, INT_MIN},       {INT_MIN, INT_MIN},
                                          {INT_MAX, INT_MAX}, {INT_MIN + 5, 100}, {100, INT_MIN + 5},
                                          {-64, 0},           {0, -48},           {800, 0},
                                          {0, 600},           {INT_MAX, -10}};
    for (const auto& [x, y] : places) {
        EXPECT_EQ(elDraw::DrawTunnel(x, y, 0, 0, texture), 1) << x << "," << y;
        const test::Pixels after = test::ReadPixels(elDraw::BackSurface);
        ASSERT_EQ(after.p, before.p) << x << "," << y;
    }
    // One cell on the surface: the table's last, at the top-left pixel.
    EXPECT_EQ(elDraw::DrawTunnel(-63, -47, 0, 0, texture), 1);
    EXPECT_EQ(Back(0, 0), Texel(Cell(47, 63).u, Cell(47, 63).v));
    EXPECT_EQ(Back(1, 0), kGround);
    EXPECT_EQ(Back(0, 1), kGround);
}

}  // namespace
