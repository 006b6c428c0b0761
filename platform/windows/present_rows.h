// The rows of the Windows present: a 16-bit 5:6:5 picture widened to the
// desktop's 32-bit X8R8G8B8 pixels, and a picture enlarged by whole multiples
// or to any larger size with nearest-neighbour sampling (sharp pixels).
// Written here because the present runs on every frame and the system's own
// blitter neither widens 5:6:5 the same way on every system nor keeps
// enlarged pixels sharp; the widening is vectorised with SSE2, which every
// x86-64 processor has.
//
// No system headers: the test program checks these rows directly.
#pragma once

#include <cstdint>
#include <vector>

namespace plat::win {

// One 5:6:5 pixel as X8R8G8B8: each channel widened by repeating its top
// bits below it (so 0x1F becomes 0xFF and the top 5 or 6 bits stay the
// pixel's own); the unused top byte is 0xFF.
inline std::uint32_t Widen565(std::uint16_t p) {
    std::uint32_t r = (p >> 11) & 0x1Fu, g = (p >> 5) & 0x3Fu, b = p & 0x1Fu;
    return 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) |
           ((b << 3) | (b >> 2));
}

// count pixels of a 5:6:5 row widened into a 32-bit row.
void Widen565Row(std::uint32_t* dest, const std::uint16_t* source, int count);
// The same with every pixel written twice side by side (2 * count pixels).
void Widen565RowTwice(std::uint32_t* dest, const std::uint16_t* source, int count);

// A block of pixel rows: 2 or 4 bytes per pixel, pitch in bytes.
struct PixelPlane {
    void* bits = nullptr;
    long pitch = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
};

// Draws `source` into the whole of `dest`, which is at least as large in
// both directions: a whole multiple of the source's size repeats every pixel
// that many times; any other size takes for each destination pixel the
// source pixel under its top-left corner. With widen565 the source is 5:6:5
// and the destination 32-bit; otherwise both have the same bytes per pixel.
// Returns false (and draws nothing) for planes it cannot take.
class PictureScaler {
public:
    bool Draw(const PixelPlane& source, const PixelPlane& dest, bool widen565);

private:
    std::vector<std::uint32_t> row_;  // one source row in the destination's format
    std::vector<int> columns_;        // source column of each destination column
};

}  // namespace plat::win
