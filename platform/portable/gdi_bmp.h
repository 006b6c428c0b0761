// BMP files of the portable GDI: the headers read and checked against the
// file's real size, and the run-length decoder. Uncompressed pixels are
// decoded by SDL2's BMP loader (platform/portable/gdi.cpp), which reads only
// files that passed these checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat::portable::bmp {

constexpr std::uint32_t kRgb = 0;        // BI_RGB
constexpr std::uint32_t kRle8 = 1;       // BI_RLE8
constexpr std::uint32_t kRle4 = 2;       // BI_RLE4
constexpr std::uint32_t kBitFields = 3;  // BI_BITFIELDS

// Largest picture side this layer makes (widths and heights of drawing
// objects are kept in 16 bits by the library), and most pixels in one
// picture (a 32-bit bitmap of 256 MB).
constexpr std::int64_t kMaxSide = 32767;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

// Where the parts of a BMP file lie, once checked.
struct Layout {
    int width = 0;
    int height = 0;          // rows, positive
    bool topDown = false;    // rows stored top row first (negative height)
    int bits = 0;            // 1, 4, 8, 16, 24 or 32
    std::uint32_t compression = kRgb;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue of BI_BITFIELDS
    std::size_t paletteOffset = 0;       // first colour-table entry
    std::size_t paletteEntries = 0;      // entries the file holds there
    std::size_t paletteEntrySize = 4;    // 3 in OS/2 core headers
    std::size_t pixelOffset = 0;         // first byte of pixels or codes
};

// Reads the headers of a BMP file held in memory. False, leaving nothing
// allocated or read beyond `size`, for anything Windows does not load or the
// file cannot hold: unknown header sizes (OS/2 2.x included), depths and
// compressions; bit fields that are empty or overlap; more palette colours
// than the depth can index or the file holds; pixels or codes past the end;
// sides of 0 or beyond kMaxSide, more than kMaxPixels pixels, or more pixels
// than run-length codes of that size can describe; run-length pictures
// stored top-down or at the other code's depth.
bool ReadLayout(const std::uint8_t* data, std::size_t size, Layout* layout);

// The colour table as 0x00RRGGBB values.
std::vector<std::uint32_t> ReadPalette(const std::uint8_t* data, const Layout& layout);

// Decodes BI_RLE8 or BI_RLE4 codes into `pixels` (width x height values
// 0x00RRGGBB, top row first). Pixels the codes skip (end of line, delta, end
// of bitmap) take colour 0 of the palette, as they read in a new DIB
// section. False for damaged codes: runs past the end of a row, deltas
// leaving the picture, pixels after the last row, codes ending before the
// last row or in the middle of a code.
bool DecodeRle(const std::uint8_t* data, std::size_t size, const Layout& layout,
               const std::vector<std::uint32_t>& palette, std::uint32_t* pixels);

}  // namespace plat::portable::bmp
