// Primitives on the back surface through GDI, the half-transparent box on the
// locked surface, and the screen save.
#include "draw/primitives.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "system/elSystem.h"

using namespace plat;

namespace elDraw {

namespace {

// Takes the back surface's device context, runs `draw` on it and gives it
// back; the result of giving it back, or the failure of taking it.
template <typename Draw>
HRESULT OnBackDC(Draw draw) {
    if (!BackSurface) return DDERR_INVALIDOBJECT;
    HDC dc = nullptr;
    HRESULT taken = BackSurface->GetDC(&dc);
    if (taken != DD_OK) return taken;
    draw(dc);
    return BackSurface->ReleaseDC(dc);
}

COLORREF Colour(int colour) { return static_cast<COLORREF>(colour) & 0x00FFFFFF; }

// A pen twice as wide as the screen's width plus its height covers the
// whole back surface from any point on it, so wider pens are cut to that:
// they draw the same on the screen and a careless width cannot make a
// round dot of millions of pixels.
int PenWidth(int width) {
    const int most = 2 * (std::clamp(ScreenWidth, 1, 1 << 20) + std::clamp(ScreenHeight, 1, 1 << 20));
    return std::min(width, most);
}

// A solid pen (and a brush, when given) selected for the length of `draw`,
// then selected out and deleted.
template <typename Draw>
void WithPenAndBrush(HDC dc, COLORREF penColour, int width, const LOGBRUSH* brush, Draw draw) {
    HPEN pen = CreatePen(PS_SOLID, PenWidth(width), penColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HBRUSH newBrush = brush ? CreateBrushIndirect(brush) : nullptr;
    HGDIOBJ oldBrush = newBrush ? SelectObject(dc, newBrush) : nullptr;
    draw();
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    if (newBrush) {
        SelectObject(dc, oldBrush);
        DeleteObject(newBrush);
    }
}

void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The 58-byte header of a 24-bit bottom-up BMP: file header, the 40-byte
// information header and four reserved zero bytes before the pixels.
constexpr std::size_t kSaveHeaderSize = 58;

void WriteSaveHeader(std::vector<std::uint8_t>& out, int width, int height, std::uint32_t rowSize) {
    const std::uint32_t image = rowSize * static_cast<std::uint32_t>(height);
    out[0] = 'B';
    out[1] = 'M';
    PutLe(out, 2, static_cast<std::uint32_t>(kSaveHeaderSize) + image, 4);
    PutLe(out, 10, static_cast<std::uint32_t>(kSaveHeaderSize), 4);
    PutLe(out, 14, 40, 4);
    PutLe(out, 18, static_cast<std::uint32_t>(width), 4);
    PutLe(out, 22, static_cast<std::uint32_t>(height), 4);
    PutLe(out, 26, 1, 2);
    PutLe(out, 28, 24, 2);
    PutLe(out, 30, 0, 4);
    PutLe(out, 34, image, 4);
    PutLe(out, 38, 2834, 4);
    PutLe(out, 42, 2834, 4);
    // Colours used, important colours and the reserved word stay 0.
}

}  // namespace

HRESULT SetPixel(int x, int y, int colour) {
    return OnBackDC([&](HDC dc) { plat::SetPixel(dc, x, y, Colour(colour)); });
}

void GetPixel(int x, int y, int* red, int* green, int* blue) {
    COLORREF value = CLR_INVALID;
    OnBackDC([&](HDC dc) { value = plat::GetPixel(dc, x, y); });
    if (value == CLR_INVALID) value = 0;
    if (red) *red = static_cast<int>(value & 0xFF);
    if (green) *green = static_cast<int>((value >> 8) & 0xFF);
    if (blue) *blue = static_cast<int>((value >> 16) & 0xFF);
}

HRESULT Line(int x1, int y1, int x2, int y2, int colour, int width) {
    return OnBackDC([&](HDC dc) {
        WithPenAndBrush(dc, Colour(colour), width, nullptr, [&] {
            MoveToEx(dc, x1, y1, nullptr);
            LineTo(dc, x2, y2);
        });
    });
}

void Box(int left, int top, int right, int bottom, int fill, int line, int width) {
    OnBackDC([&](HDC dc) {
        const LOGBRUSH brush{BS_SOLID, Colour(fill), 0};
        WithPenAndBrush(dc, Colour(line), width, &brush, [&] { plat::Rectangle(dc, left, top, right, bottom); });
    });
}

HRESULT Polygon(const POINT* points, int count, int colour, int background, int width, int mode) {
    return OnBackDC([&](HDC dc) {
        if (!points || count < 2) return;
        const LOGBRUSH brush = mode == 0 ? LOGBRUSH{BS_HOLLOW, Colour(colour), 0}
                                         : LOGBRUSH{BS_HATCHED, Colour(colour), HS_DIAGCROSS};
        WithPenAndBrush(dc, Colour(colour), width, &brush, [&] {
            if (mode == 2) SetBkMode(dc, TRANSPARENT);
            else SetBkColor(dc, Colour(background));
            plat::Polygon(dc, points, count);
        });
    });
}

HRESULT Bezier(const POINT* points, int count, int colour, int width) {
    return OnBackDC([&](HDC dc) {
        if (!points || count < 1) return;
        WithPenAndBrush(dc, Colour(colour), width, nullptr,
                        [&] { PolyBezier(dc, points, static_cast<DWORD>(count)); });
    });
}

HRESULT InvertBox(int left, int top, int right, int bottom) {
    return OnBackDC([&](HDC dc) {
        const RECT rect{left, top, right, bottom};
        InvertRect(dc, &rect);
    });
}

// Shifts and one mask per pixel: ((pixel >> 1) & half) + ((colour >> 1) & half).
int HalfBox(int left, int top, int right, int bottom, int colour) {
    right = std::min(right, static_cast<int>(ClipRect.right));
    bottom = std::min(bottom, static_cast<int>(ClipRect.bottom));
    left = std::max(left, static_cast<int>(ClipRect.left));
    top = std::max(top, static_cast<int>(ClipRect.top));
    if (right < left || bottom < top) return 1;
    if (!BackSurface) return 0;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (BackSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return 0;
    // ClipRect is whatever SetClip was given: keep to the surface as well.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, static_cast<int>(desc.dwWidth));
    bottom = std::min(bottom, static_cast<int>(desc.dwHeight));
    const std::uint32_t half = PixelFormat.halfMask;
    const std::uint32_t h = (static_cast<std::uint32_t>(colour) >> 1) & half;
    auto* base = static_cast<std::uint8_t*>(desc.lpSurface);
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* row = base + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
        if (bits == 16) {
            auto* p = reinterpret_cast<std::uint16_t*>(row);
            const auto h16 = static_cast<std::uint16_t>(h);
            for (int x = left; x < right; ++x)
                p[x] = static_cast<std::uint16_t>(((p[x] >> 1) & half) + h16);
        } else if (bits == 32) {
            auto* p = reinterpret_cast<std::uint32_t*>(row);
            for (int x = left; x < right; ++x) p[x] = ((p[x] >> 1) & half) + h;
        }
    }
    BackSurface->Unlock(desc.lpSurface);
    return 1;
}

int SaveScreen(const char* name, int width, int height) {
    if (!BackSurface || !name) return 0;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (BackSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return 0;
    // The pixels are read as the surface holds them; the display depth only
    // chooses whether to write at all, and must agree with the surface.
    const int depth = elSystem::GetDisplayDepth();
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    const bool sixteen = depth == 16 && bits == 16;
    const bool thirtyTwo = depth == 32 && bits == 32;
    if (!(sixteen || thirtyTwo)) {
        BackSurface->Unlock(desc.lpSurface);
        return 1;  // nothing to write at this depth
    }
    // The region is kept inside the surface.
    width = std::min(width, static_cast<int>(desc.dwWidth));
    height = std::min(height, static_cast<int>(desc.dwHeight));
    std::vector<std::uint8_t> file;
    if (width > 0 && height > 0) {
        const std::uint32_t rowSize = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
        file.assign(kSaveHeaderSize + static_cast<std::size_t>(rowSize) * static_cast<std::size_t>(height), 0);
        WriteSaveHeader(file, width, height, rowSize);
        const auto* base = static_cast<const std::uint8_t*>(desc.lpSurface);
        std::uint8_t* out = file.data() + kSaveHeaderSize;
        for (int y = height - 1; y >= 0; --y, out += rowSize) {
            const std::uint8_t* row = base + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
            std::uint8_t* o = out;
            for (int x = 0; x < width; ++x, o += 3) {
                if (sixteen) {
                    const std::uint8_t* split = PixelSplitTable[reinterpret_cast<const std::uint16_t*>(row)[x]];
                    o[0] = static_cast<std::uint8_t>(split[2] << 3);
                    o[1] = static_cast<std::uint8_t>(split[1] << 3);
                    o[2] = static_cast<std::uint8_t>(split[0] << 3);
                } else {
                    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
                    o[0] = static_cast<std::uint8_t>(p >> PixelFormat.blueShift);
                    o[1] = static_cast<std::uint8_t>(p >> PixelFormat.greenShift);
                    o[2] = static_cast<std::uint8_t>(p >> PixelFormat.redShift);
                }
            }
        }
    }
    BackSurface->Unlock(desc.lpSurface);
    if (file.empty()) return 0;
    const std::string path = std::string(elSystem::GetProgramFolder(0)) + name;
    std::FILE* f = OpenFile(path.c_str(), "wb");
    if (!f) return 0;
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return (std::fclose(f) == 0 && written) ? 1 : 0;
}

}  // namespace elDraw
