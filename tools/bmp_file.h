// Writing BMP files: the one writer of the asset generator, the examples,
// the benchmarks and the tests. Header-only and standard C++ only, so that
// the asset generator can be built alone with the host compiler of a cross
// build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bmpfile {

inline void PutLE(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Bytes of one stored row: `width` pixels of `bits` each, padded to 4 bytes.
inline std::size_t RowBytes(int width, int bits) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

// A whole file with a 40-byte BITMAPINFOHEADER. A negative height stores the
// rows top-down. Palette entries are 0x00RRGGBB. `pixels` are the rows as
// stored (each padded to 4 bytes), or the codes of BI_RLE8 / BI_RLE4.
inline std::vector<std::uint8_t> File(int width, int height, int bits, std::uint32_t compression,
                                      const std::vector<std::uint32_t>& palette,
                                      const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> out = {'B', 'M'};
    const std::uint64_t offset = 14 + 40 + 4 * std::uint64_t{palette.size()};
    PutLE(out, offset + pixels.size(), 4);  // file size
    PutLE(out, 0, 4);                       // reserved
    PutLE(out, offset, 4);                  // where the pixels start
    PutLE(out, 40, 4);                      // BITMAPINFOHEADER
    PutLE(out, static_cast<std::uint32_t>(width), 4);
    PutLE(out, static_cast<std::uint32_t>(height), 4);
    PutLE(out, 1, 2);  // planes
    PutLE(out, static_cast<std::uint32_t>(bits), 2);
    PutLE(out, compression, 4);
    PutLE(out, pixels.size(), 4);
    PutLE(out, 2835, 4);  // 72 dots per inch
    PutLE(out, 2835, 4);
    PutLE(out, palette.size(), 4);
    PutLE(out, 0, 4);
    for (std::uint32_t c : palette) PutLE(out, c, 4);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// A 24-bit picture: colour(x, y) is 0x00RRGGBB with y counted from the top;
// rows are stored bottom row first unless topDown.
inline std::vector<std::uint8_t> File24(int width, int height,
                                        const std::function<std::uint32_t(int, int)>& colour,
                                        bool topDown = false) {
    const std::size_t row = RowBytes(width, 24);
    std::vector<std::uint8_t> pixels;
    pixels.reserve(row * static_cast<std::size_t>(height));
    for (int i = 0; i < height; ++i) {
        const int y = topDown ? i : height - 1 - i;
        for (int x = 0; x < width; ++x) PutLE(pixels, colour(x, y), 3);  // blue, green, red
        for (std::size_t pad = static_cast<std::size_t>(width) * 3; pad < row; ++pad) pixels.push_back(0);
    }
    return File(width, topDown ? -height : height, 24, 0, {}, pixels);
}

// The bytes into a file (replaced); false when it could not be written whole.
inline bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace bmpfile
