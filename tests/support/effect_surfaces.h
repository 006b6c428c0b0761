// Helpers for tests of the in-place and rotated software effects: whole
// surfaces read and written at once, fixed pictures, and golden images of a
// part of the back surface.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "draw/effects/elEffects.h"
#include "platform/display.h"
#include "support/draw_support.h"
#include "support/golden.h"

namespace test {

// The pixels of a surface, row-major.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> p;
    std::uint16_t at(int x, int y) const { return p[static_cast<std::size_t>(y) * width + x]; }
    std::uint16_t& at(int x, int y) { return p[static_cast<std::size_t>(y) * width + x]; }
};

inline Pixels ReadPixels(plat::IDirectDrawSurface* surface) {
    Pixels out;
    elDraw::LockedPixels locked;
    EXPECT_TRUE(elDraw::LockPixels(surface, locked));
    if (!locked.bits) return out;
    out.width = locked.width;
    out.height = locked.height;
    out.p.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y) = locked.Row(y)[x];
    elDraw::UnlockPixels(locked);
    return out;
}

inline void WritePixels(plat::IDirectDrawSurface* surface, const Pixels& in) {
    elDraw::LockedPixels locked;
    ASSERT_TRUE(elDraw::LockPixels(surface, locked));
    for (int y = 0; y < in.height && y < locked.height; ++y)
        for (int x = 0; x < in.width && x < locked.width; ++x) locked.Row(y)[x] = in.at(x, y);
    elDraw::UnlockPixels(locked);
}

// A fixed picture with varied channels everywhere and no pixel of 0 except,
// with `holes`, every seventh one (transparent for the object draws).
inline std::uint16_t PicturePixel(int x, int y, bool holes) {
    if (holes && (x * 3 + y * 5) % 7 == 0) return 0;
    const unsigned r = static_cast<unsigned>(x * 31 / 127) & 31;
    const unsigned g = static_cast<unsigned>(y * 31 / 95) & 31;
    const unsigned b = static_cast<unsigned>(((x ^ y) + ((x / 16 + y / 16) % 2) * 12) % 31 + 1);
    return elDraw::Pack5(r, g, b);
}

inline void PaintPicture(plat::IDirectDrawSurface* surface, int left, int top, int width,
                         int height, bool holes) {
    elDraw::LockedPixels locked;
    ASSERT_TRUE(elDraw::LockPixels(surface, locked));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            locked.Row(top + y)[left + x] = PicturePixel(x, y, holes);
    elDraw::UnlockPixels(locked);
}

// Compares a part of the back surface with tests/golden/<name>.png.
inline long CompareBackWithGolden(const std::string& name, int left, int top, int width,
                                  int height) {
    Pixels all = ReadPixels(elDraw::BackSurface);
    plat::headless::Frame frame;
    frame.width = width;
    frame.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) frame.pixels.push_back(all.at(left + x, top + y));
    return CompareWithGolden(name, frame);
}

// 5-bit channels of a pixel in the current format.
struct Channels {
    unsigned r, g, b;
    bool operator==(const Channels&) const = default;
};
inline Channels Split(std::uint16_t p) {
    const std::uint8_t* c = PixelSplitTable[p];
    return {c[0], c[1], c[2]};
}

}  // namespace test
