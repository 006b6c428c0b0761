// Conversion and nearest-pixel enlargement of the program's picture into the
// window. Written by hand because it runs over the whole window once a frame:
// each picture row is converted once (eight pixels at a time), widened
// sideways by repeating pixels, and copied down for the repeated rows, which
// is several times cheaper than a general scaling blit that converts every
// destination pixel on its own.
#include "platform/portable/window_picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace plat::portable {

namespace {

using Narrow = std::uint16_t __attribute__((vector_size(16)));  // 8 pixels of 16 bits
using Wide = std::uint32_t __attribute__((vector_size(32)));    // 8 pixels of 32 bits

// 5:6:5 to 8:8:8, each channel's top bits repeated into its low bits.
void Row565To8888(const std::uint16_t* s, std::uint32_t* d, int width) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        Narrow n;
        std::memcpy(&n, s + x, sizeof n);
        const Wide w = __builtin_convertvector(n, Wide);
        const Wide out = ((w & 0xF800) << 8) | ((w & 0xE000) << 3) | ((w & 0x07E0) << 5) |
                         ((w & 0x0600) >> 1) | ((w & 0x001F) << 3) | ((w & 0x001C) >> 2);
        std::memcpy(d + x, &out, sizeof out);
    }
    for (; x < width; ++x) {
        const std::uint32_t w = s[x];
        d[x] = ((w & 0xF800) << 8) | ((w & 0xE000) << 3) | ((w & 0x07E0) << 5) | ((w & 0x0600) >> 1) |
               ((w & 0x001F) << 3) | ((w & 0x001C) >> 2);
    }
}

// 5:5:5 to 8:8:8, the same way.
void Row555To8888(const std::uint16_t* s, std::uint32_t* d, int width) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        Narrow n;
        std::memcpy(&n, s + x, sizeof n);
        const Wide w = __builtin_convertvector(n, Wide);
        const Wide out = ((w & 0x7C00) << 9) | ((w & 0x7000) << 4) | ((w & 0x03E0) << 6) |
                         ((w & 0x0380) << 1) | ((w & 0x001F) << 3) | ((w & 0x001C) >> 2);
        std::memcpy(d + x, &out, sizeof out);
    }
    for (; x < width; ++x) {
        const std::uint32_t w = s[x];
        d[x] = ((w & 0x7C00) << 9) | ((w & 0x7000) << 4) | ((w & 0x03E0) << 6) | ((w & 0x0380) << 1) |
               ((w & 0x001F) << 3) | ((w & 0x001C) >> 2);
    }
}

// 8:8:8 to 16 bits: the top bits of each channel.
void Row8888To16(const std::uint32_t* s, std::uint16_t* d, int width, bool sixSixFive) {
    const std::uint32_t rm = sixSixFive ? 0xF800 : 0x7C00, gm = sixSixFive ? 0x07E0 : 0x03E0;
    const int rs = sixSixFive ? 8 : 9, gs = sixSixFive ? 5 : 6;
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        Wide w;
        std::memcpy(&w, s + x, sizeof w);
        const Wide out = ((w >> rs) & rm) | ((w >> gs) & gm) | ((w >> 3) & 0x1F);
        const Narrow n = __builtin_convertvector(out, Narrow);
        std::memcpy(d + x, &n, sizeof n);
    }
    for (; x < width; ++x)
        d[x] = static_cast<std::uint16_t>(((s[x] >> rs) & rm) | ((s[x] >> gs) & gm) | ((s[x] >> 3) & 0x1F));
}

template <typename Pixel>
const Pixel* RowOf(const PixelView& v, int y) {
    return reinterpret_cast<const Pixel*>(v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch);
}

template <typename Pixel>
Pixel* RowOf(const WindowPixels& v, int y) {
    return reinterpret_cast<Pixel*>(v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch);
}

// Reused row buffers: no allocation per frame once grown.
std::vector<std::uint32_t>& WideRow() {
    static std::vector<std::uint32_t> row;
    return row;
}

// One picture row in the window's format, `width` pixels long.
template <typename Out>
void ConvertRow(const PixelView& picture, DisplayFormat from, DisplayFormat to, int y, Out* d) {
    const int width = picture.width;
    if (from == to) {
        std::memcpy(d, picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch,
                    static_cast<std::size_t>(width) * sizeof(Out));
        return;
    }
    std::uint32_t* wide = nullptr;
    if constexpr (sizeof(Out) == 4) {
        wide = d;
    } else {
        WideRow().resize(static_cast<std::size_t>(width));
        wide = WideRow().data();
    }
    if (from == DisplayFormat::Rgb565) Row565To8888(RowOf<std::uint16_t>(picture, y), wide, width);
    else if (from == DisplayFormat::Rgb555) Row555To8888(RowOf<std::uint16_t>(picture, y), wide, width);
    else std::memcpy(wide, RowOf<std::uint32_t>(picture, y), static_cast<std::size_t>(width) * 4);
    if constexpr (sizeof(Out) == 2) Row8888To16(wide, d, width, to == DisplayFormat::Rgb565);
}

// Each pixel of `s` repeated `times` times.
template <typename Out>
void RepeatPixels(const Out* s, Out* d, int width, int times) {
    if (times == 2) {
        for (int x = 0; x < width; ++x) d[2 * x] = d[2 * x + 1] = s[x];
        return;
    }
    for (int x = 0; x < width; ++x, d += times)
        for (int i = 0; i < times; ++i) d[i] = s[x];
}

template <typename Out>
void Draw(const PixelView& picture, const WindowPixels& out, const Placement& place) {
    const DisplayFormat from = FormatOf(picture), to = out.format;
    const int pw = picture.width, ph = picture.height;
    // Black around the picture.
    for (int y = 0; y < out.height; ++y) {
        Out* row = RowOf<Out>(out, y);
        if (y < place.y || y >= place.y + place.height) {
            std::memset(row, 0, static_cast<std::size_t>(out.width) * sizeof(Out));
            continue;
        }
        std::memset(row, 0, static_cast<std::size_t>(place.x) * sizeof(Out));
        const int right = place.x + place.width;
        std::memset(row + right, 0, static_cast<std::size_t>(out.width - right) * sizeof(Out));
    }
    const bool sameWidth = place.width == pw;
    const int times = place.width % pw == 0 ? place.width / pw : 0;  // 0: not a whole multiple
    static std::vector<Out> converted;
    static std::vector<int> columns;
    if (!sameWidth) {
        converted.resize(static_cast<std::size_t>(pw));
        if (times == 0) {
            columns.resize(static_cast<std::size_t>(place.width));
            for (int i = 0; i < place.width; ++i)
                columns[static_cast<std::size_t>(i)] = static_cast<int>(static_cast<std::int64_t>(i) * pw / place.width);
        }
    }
    int lastSource = -1;
    const Out* lastRow = nullptr;
    for (int j = 0; j < place.height; ++j) {
        const int sy = static_cast<int>(static_cast<std::int64_t>(j) * ph / place.height);
        Out* d = RowOf<Out>(out, place.y + j) + place.x;
        if (sy == lastSource) {
            std::memcpy(d, lastRow, static_cast<std::size_t>(place.width) * sizeof(Out));
            continue;
        }
        if (sameWidth) {
            ConvertRow(picture, from, to, sy, d);
        } else {
            ConvertRow(picture, from, to, sy, converted.data());
            if (times > 0) {
                RepeatPixels(converted.data(), d, pw, times);
            } else {
                const Out* s = converted.data();
                const int* column = columns.data();
                for (int i = 0; i < place.width; ++i) d[i] = s[column[i]];
            }
        }
        lastSource = sy;
        lastRow = d;
    }
}

}  // namespace

Placement PlacePicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight,
                       ScaleMode mode) {
    const std::int64_t pw = std::max(pictureWidth, 1), ph = std::max(pictureHeight, 1);
    const std::int64_t ww = std::max(windowWidth, 1), wh = std::max(windowHeight, 1);
    std::int64_t w = 0, h = 0;
    const std::int64_t times = std::min(ww / pw, wh / ph);
    if (mode == ScaleMode::WholeMultiple && times >= 1) {
        w = pw * times;
        h = ph * times;
    } else if (ww * ph <= wh * pw) {
        // The window's width limits the picture.
        w = ww;
        h = std::max<std::int64_t>(1, ww * ph / pw);
    } else {
        h = wh;
        w = std::max<std::int64_t>(1, wh * pw / ph);
    }
    Placement p;
    p.width = static_cast<int>(w);
    p.height = static_cast<int>(h);
    p.x = static_cast<int>((ww - w) / 2);
    p.y = static_cast<int>((wh - h) / 2);
    return p;
}

void WindowToPicture(const Placement& place, int pictureWidth, int pictureHeight, int& x, int& y) {
    auto map = [](int v, int start, int size, int picture) {
        if (size <= 0 || picture <= 0) return 0;
        std::int64_t p = (static_cast<std::int64_t>(v) - start) * picture;
        // Floor division, so points left of the picture stay left of it.
        std::int64_t q = p >= 0 ? p / size : -((-p + size - 1) / size);
        return static_cast<int>(std::clamp<std::int64_t>(q, 0, picture - 1));
    };
    x = map(x, place.x, place.width, pictureWidth);
    y = map(y, place.y, place.height, pictureHeight);
}

void PictureToWindow(const Placement& place, int pictureWidth, int pictureHeight, int& x, int& y) {
    auto map = [](int v, int start, int size, int picture) {
        if (picture <= 0) return start;
        // The middle of the pixel's block: (2v + 1) / 2 picture pixels in.
        std::int64_t w = (2 * static_cast<std::int64_t>(v) + 1) * size / (2 * static_cast<std::int64_t>(picture));
        return static_cast<int>(start + w);
    };
    x = map(x, place.x, place.width, pictureWidth);
    y = map(y, place.y, place.height, pictureHeight);
}

int PictureEdgeToWindow(int edge, int placeStart, int placeSize, int pictureSize) {
    if (pictureSize <= 0) return placeStart;
    return static_cast<int>(placeStart + static_cast<std::int64_t>(edge) * placeSize / pictureSize);
}

DisplayFormat FormatOf(const PixelView& view) {
    if (view.bytesPerPixel == 4) return DisplayFormat::Xrgb8888;
    return view.redMask == 0x7C00 ? DisplayFormat::Rgb555 : DisplayFormat::Rgb565;
}

void DrawWindowPicture(const PixelView& picture, const WindowPixels& out, const Placement& placeIn) {
    if (!picture.pixels || !out.pixels || picture.width <= 0 || picture.height <= 0 || out.width <= 0 ||
        out.height <= 0)
        return;
    // The place is kept inside the window.
    Placement place = placeIn;
    place.x = std::clamp(place.x, 0, out.width - 1);
    place.y = std::clamp(place.y, 0, out.height - 1);
    place.width = std::clamp(place.width, 1, out.width - place.x);
    place.height = std::clamp(place.height, 1, out.height - place.y);
    if (out.format == DisplayFormat::Xrgb8888) Draw<std::uint32_t>(picture, out, place);
    else Draw<std::uint16_t>(picture, out, place);
}

}  // namespace plat::portable
