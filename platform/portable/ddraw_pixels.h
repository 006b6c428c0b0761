// A view of locked surface memory, shared by the portable surfaces, the GDI
// rasteriser and text rendering.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat::portable {

struct PixelView {
    std::uint8_t* pixels = nullptr;  // first byte of row 0
    int pitch = 0;                   // bytes from one row to the next
    int width = 0;
    int height = 0;
    int bytesPerPixel = 2;           // 2 (16-bit formats) or 4 (32-bit)
    std::uint32_t redMask = 0xF800;
    std::uint32_t greenMask = 0x07E0;
    std::uint32_t blueMask = 0x001F;
};

inline int LowestBit(std::uint32_t mask) {
    int shift = 0;
    if (mask == 0) return 0;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

inline int BitCount(std::uint32_t mask) {
    int n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

// Pixel value of a GDI colour (0x00BBGGRR): each 8-bit channel keeps its top
// bits, as the display drivers of 16-bit desktops convert colours.
inline std::uint32_t PixelFromColorRef(const PixelView& v, std::uint32_t colorref) {
    auto channel = [](std::uint32_t value8, std::uint32_t mask) {
        int bits = BitCount(mask);
        return ((value8 >> (8 - bits)) << LowestBit(mask)) & mask;
    };
    return channel(colorref & 0xFF, v.redMask) | channel((colorref >> 8) & 0xFF, v.greenMask) |
           channel((colorref >> 16) & 0xFF, v.blueMask);
}

// GDI colour of a pixel value: channels widened by shifting left (low bits 0),
// as GetPixel reports them on 16-bit desktops.
inline std::uint32_t ColorRefFromPixel(const PixelView& v, std::uint32_t pixel) {
    auto channel = [](std::uint32_t p, std::uint32_t mask) {
        int bits = BitCount(mask);
        return ((p & mask) >> LowestBit(mask)) << (8 - bits);
    };
    return channel(pixel, v.redMask) | (channel(pixel, v.greenMask) << 8) |
           (channel(pixel, v.blueMask) << 16);
}

inline std::uint32_t ReadPixel(const PixelView& v, int x, int y) {
    const std::uint8_t* row = v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch;
    if (v.bytesPerPixel == 2) return reinterpret_cast<const std::uint16_t*>(row)[x];
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

inline void WritePixel(const PixelView& v, int x, int y, std::uint32_t value) {
    std::uint8_t* row = v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch;
    if (v.bytesPerPixel == 2) reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(value);
    else reinterpret_cast<std::uint32_t*>(row)[x] = value;
}

}  // namespace plat::portable
