// BMP headers checked against the file, and run-length decoding.
//
// SDL2's loader decodes the uncompressed layouts the way Windows does, but
// it takes on trust what the headers say: it reads a palette of 256 colours
// when a file claims more than its depth can index or than it holds, and it
// decodes BI_RLE8 / BI_RLE4 codes without regard to rows (runs past the end
// of a row spill into the next one, deltas may leave the picture, top-down
// and wrong-depth files are decoded as garbage) and refuses files whose
// codes end with the last row instead of an end-of-bitmap code. So every
// file is checked here first, and run-length codes are decoded here.
#include "platform/portable/gdi_bmp.h"

#include <algorithm>

namespace plat::portable::bmp {

namespace {

std::uint32_t Le(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// A channel mask: one run of set bits.
bool Contiguous(std::uint32_t mask) {
    if (mask == 0) return false;
    while (!(mask & 1u)) mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

bool ValidMasks(const std::uint32_t (&m)[3], int bits) {
    for (std::uint32_t mask : m)
        if (!Contiguous(mask) || (bits == 16 && mask > 0xFFFFu)) return false;
    return (m[0] & m[1]) == 0 && (m[0] & m[2]) == 0 && (m[1] & m[2]) == 0;
}

}  // namespace

bool ReadLayout(const std::uint8_t* d, std::size_t size, Layout* out) {
    if (!d || !out || size < 14 + 12 || d[0] != 'B' || d[1] != 'M') return false;
    const std::uint64_t pixelOffset = Le(d + 10, 4);
    const std::uint32_t header = Le(d + 14, 4);
    // Core (OS/2 1.x), BITMAPINFOHEADER, its V2 and V3 extensions, V4, V5.
    if (header != 12 && header != 40 && header != 52 && header != 56 && header != 108 && header != 124)
        return false;
    if (14 + static_cast<std::uint64_t>(header) > size) return false;

    Layout l;
    std::int64_t width = 0, height = 0;
    std::uint32_t used = 0;
    if (header == 12) {
        width = Le(d + 18, 2);
        height = Le(d + 20, 2);
        l.bits = static_cast<int>(Le(d + 24, 2));
        l.paletteEntrySize = 3;
        if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 24) return false;
    } else {
        width = static_cast<std::int32_t>(Le(d + 18, 4));
        height = static_cast<std::int32_t>(Le(d + 22, 4));
        l.bits = static_cast<int>(Le(d + 28, 2));
        l.compression = Le(d + 30, 4);
        used = Le(d + 46, 4);
    }
    if (height < 0) {
        l.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        return false;
    l.width = static_cast<int>(width);
    l.height = static_cast<int>(height);

    std::uint64_t paletteOffset = 14 + static_cast<std::uint64_t>(header);
    switch (l.compression) {
        case kRgb:
            if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32)
                return false;
            break;
        case kBitFields:
            if (l.bits != 16 && l.bits != 32) return false;
            // The masks sit in the V2+ header, or follow a 40-byte one; in
            // both cases at byte 54 of the file.
            if (header == 40) paletteOffset += 12;
            if (54 + 12 > size) return false;
            for (int i = 0; i < 3; ++i) l.masks[i] = Le(d + 54 + 4 * i, 4);
            if (!ValidMasks(l.masks, l.bits)) return false;
            break;
        case kRle8:
        case kRle4:
            // Codes of one depth only, and only bottom-up.
            if (l.bits != (l.compression == kRle8 ? 8 : 4) || l.topDown) return false;
            break;
        default:
            return false;  // JPEG, PNG and the rest: not for bitmaps Windows loads
    }

    // The colour table: 2^bits entries unless fewer are said to be used;
    // deeper pictures may carry one too (used entries only).
    std::uint64_t entries = used;
    if (l.bits <= 8) {
        std::uint64_t most = std::uint64_t{1} << l.bits;
        if (entries > most) return false;
        if (entries == 0) entries = most;
    }
    if (paletteOffset + entries * l.paletteEntrySize > size) return false;
    l.paletteOffset = static_cast<std::size_t>(paletteOffset);
    l.paletteEntries = static_cast<std::size_t>(entries);

    if (pixelOffset < 14 + static_cast<std::uint64_t>(header) || pixelOffset >= size) return false;
    l.pixelOffset = static_cast<std::size_t>(pixelOffset);
    const std::uint64_t available = size - pixelOffset;
    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (l.compression == kRle8 || l.compression == kRle4) {
        // A run covers at most 255 pixels for two bytes; deltas skip more,
        // but a picture of mostly skipped pixels is no real file.
        if (pixels > 256 * available + 65536) return false;
    } else {
        std::uint64_t stride = ((static_cast<std::uint64_t>(width) * l.bits + 31) / 32) * 4;
        if (stride * static_cast<std::uint64_t>(height) > available) return false;
    }
    *out = l;
    return true;
}

std::vector<std::uint32_t> ReadPalette(const std::uint8_t* data, const Layout& layout) {
    std::vector<std::uint32_t> colours(layout.paletteEntries);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint8_t* e = data + layout.paletteOffset + i * layout.paletteEntrySize;
        colours[i] = (std::uint32_t{e[2]} << 16) | (std::uint32_t{e[1]} << 8) | e[0];
    }
    return colours;
}

bool DecodeRle(const std::uint8_t* data, std::size_t size, const Layout& layout,
               const std::vector<std::uint32_t>& palette, std::uint32_t* pixels) {
    const bool four = layout.compression == kRle4;
    const std::int64_t w = layout.width;
    const std::int64_t h = layout.height;
    auto colour = [&palette](unsigned index) { return index < palette.size() ? palette[index] : 0u; };
    std::fill(pixels, pixels + w * h, colour(0));
    std::size_t at = layout.pixelOffset;
    std::int64_t x = 0;
    std::int64_t y = 0;  // rows from the bottom, as the codes count them
    auto put = [&](unsigned index) {
        pixels[(h - 1 - y) * w + x] = colour(index);
        ++x;
    };
    for (;;) {
        // Codes may stop after the last row without an end-of-bitmap code.
        if (at > size || size - at < 2) return y >= h;
        const unsigned first = data[at];
        const unsigned second = data[at + 1];
        at += 2;
        if (first > 0) {
            // A run: `first` pixels of one index (RLE4: the byte's two
            // nibbles in turn, high one first).
            if (y >= h || x + first > w) return false;
            for (unsigned i = 0; i < first; ++i) put(four ? (i % 2 ? second & 15u : second >> 4) : second);
            continue;
        }
        switch (second) {
            case 0:  // end of line
                x = 0;
                if (y < h) ++y;
                break;
            case 1:  // end of bitmap
                return true;
            case 2: {  // delta: right and up
                if (size - at < 2) return false;
                std::int64_t dx = data[at];
                std::int64_t dy = data[at + 1];
                at += 2;
                if (x + dx > w || y + dy >= h) return false;
                x += dx;
                y += dy;
                break;
            }
            default: {  // absolute: `second` indexes as they are, padded to 16 bits
                const unsigned count = second;
                const std::size_t bytes = four ? (count + 1) / 2 : count;
                if (y >= h || x + count > w || size - at < bytes) return false;
                for (unsigned i = 0; i < count; ++i)
                    put(four ? (data[at + i / 2] >> (i % 2 ? 0 : 4)) & 15u : data[at + i]);
                at += bytes + (bytes % 2);
                break;
            }
        }
    }
}

}  // namespace plat::portable::bmp
