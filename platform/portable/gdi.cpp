// Portable GDI: bitmap objects, BMP files and bitmap resources (from the
// module's resource table, platform/portable/resources.cpp), device
// contexts over surface and bitmap pixels, and pixel transfers between them.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>

#include "platform/gdi.h"
#include "platform/resources.h"
#include "platform/portable/gdi_bmp.h"
#include "platform/portable/gdi_objects.h"

namespace plat {
namespace portable {

namespace {

std::unordered_set<GdiObject*>& Objects() {
    static std::unordered_set<GdiObject*> objects;
    return objects;
}

std::vector<std::unique_ptr<DeviceContext>>& Contexts() {
    static std::vector<std::unique_ptr<DeviceContext>> contexts;
    return contexts;
}

// What a memory device context holds before a bitmap is selected into it
// (Windows gives it a 1 x 1 monochrome bitmap); selecting it back is how
// callers hand their own bitmap back before deleting it.
Bitmap* StockBitmap() {
    static Bitmap* stock = [] {
        auto* b = new Bitmap(1, 1);
        RegisterObject(b);
        return b;
    }();
    return stock;
}

std::uint32_t ReadLe(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Moves pixels between two pixel formats, channel by channel, keeping the
// top bits of each channel (as GDI does on 16-bit desktops).
struct Converter {
    struct Channel {
        std::uint32_t sourceMask;
        int sourceShift;
        int up;      // to 8 bits: << up
        int down;    // from 8 bits: >> down
        int destShift;
        std::uint32_t destMask;
    };
    Channel channels[3];
    bool same;

    Converter(const PixelView& from, const PixelView& to) {
        same = from.bytesPerPixel == to.bytesPerPixel && from.redMask == to.redMask &&
               from.greenMask == to.greenMask && from.blueMask == to.blueMask;
        const std::uint32_t fm[3] = {from.redMask, from.greenMask, from.blueMask};
        const std::uint32_t tm[3] = {to.redMask, to.greenMask, to.blueMask};
        for (int i = 0; i < 3; ++i)
            channels[i] = {fm[i], LowestBit(fm[i]), 8 - BitCount(fm[i]), 8 - BitCount(tm[i]),
                           LowestBit(tm[i]), tm[i]};
    }

    std::uint32_t operator()(std::uint32_t p) const {
        if (same) return p;
        std::uint32_t out = 0;
        for (const Channel& c : channels) {
            std::uint32_t v8 = (((p & c.sourceMask) >> c.sourceShift) << c.up) & 0xFF;
            out |= ((v8 >> c.down) << c.destShift) & c.destMask;
        }
        return out;
    }
};

}  // namespace

Bitmap::Bitmap(int w, int h)
    : GdiObject(Kind::Bitmap), width(w), height(h),
      pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0u) {}

PixelView Bitmap::View() {
    PixelView v;
    v.pixels = reinterpret_cast<std::uint8_t*>(pixels.data());
    v.pitch = width * 4;
    v.width = width;
    v.height = height;
    v.bytesPerPixel = 4;
    v.redMask = 0xFF0000;
    v.greenMask = 0x00FF00;
    v.blueMask = 0x0000FF;
    return v;
}

void RegisterObject(GdiObject* object) { Objects().insert(object); }

bool IsLiveObject(HGDIOBJ object) { return object && Objects().count(object) != 0; }

DeviceContext* LiveDC(HDC dc) {
    for (auto& c : Contexts())
        if (c.get() == dc) return c.get();
    return nullptr;
}

HDC CreateSurfaceDC(const PixelView& view) {
    auto dc = std::make_unique<DeviceContext>();
    dc->view = view;
    Contexts().push_back(std::move(dc));
    return Contexts().back().get();
}

namespace {

void Deselect(GdiObject*& slot) {
    if (slot) --slot->selections;
    slot = nullptr;
}

void DestroyContext(DeviceContext* dc) {
    Deselect(dc->bitmap);
    Deselect(dc->pen);
    Deselect(dc->brush);
    Deselect(dc->font);
    auto& all = Contexts();
    all.erase(std::remove_if(all.begin(), all.end(), [dc](auto& c) { return c.get() == dc; }),
              all.end());
}

}  // namespace

void DestroySurfaceDC(HDC dc) {
    if (DeviceContext* c = LiveDC(dc); c && !c->memory) DestroyContext(c);
}

Bitmap* DecodeBmp(const std::uint8_t* data, std::size_t size) {
    // Headers are checked against the real size first; run-length codes are
    // decoded by our own decoder (platform/portable/gdi_bmp.cpp says why), the
    // uncompressed layouts by SDL2's loader.
    bmp::Layout layout;
    if (!data || size > 0x7FFFFFFF || !bmp::ReadLayout(data, size, &layout)) return nullptr;
    if (layout.compression == bmp::kRle8 || layout.compression == bmp::kRle4) {
        auto bitmap = std::make_unique<Bitmap>(layout.width, layout.height);
        if (!bmp::DecodeRle(data, size, layout, bmp::ReadPalette(data, layout), bitmap->pixels.data()))
            return nullptr;
        RegisterObject(bitmap.get());
        return bitmap.release();
    }
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!rw) return nullptr;
    SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
    if (!loaded) return nullptr;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) return nullptr;
    Bitmap* bitmap = nullptr;
    if (rgb->w > 0 && rgb->h > 0 && SDL_LockSurface(rgb) == 0) {
        bitmap = new Bitmap(rgb->w, rgb->h);
        for (int y = 0; y < rgb->h; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(rgb->pixels) +
                              static_cast<std::ptrdiff_t>(y) * rgb->pitch;
            std::memcpy(&bitmap->pixels[static_cast<std::size_t>(y) * rgb->w], row,
                        static_cast<std::size_t>(rgb->w) * 4);
        }
        for (std::uint32_t& p : bitmap->pixels) p &= 0x00FFFFFF;
        SDL_UnlockSurface(rgb);
        RegisterObject(bitmap);
    }
    SDL_FreeSurface(rgb);
    return bitmap;
}

Bitmap* DecodePackedDib(const std::uint8_t* dib, std::size_t size) {
    // The pixels follow the header, the bit masks of a 40-byte header with
    // BI_BITFIELDS and the colour table, as Windows lays out a packed DIB;
    // the file header put in front tells the decoder where they start.
    if (!dib || size < 12 || size > 0x7FFFFFF0) return nullptr;
    std::uint64_t header = ReadLe(dib, 4);
    if (header < 12 || header > size) return nullptr;
    std::uint64_t offset = header;
    if (header == 12) {
        std::uint32_t bits = ReadLe(dib + 10, 2);
        if (bits <= 8) offset += 3u << bits;
    } else {
        if (header < 40) return nullptr;
        std::uint32_t bits = ReadLe(dib + 14, 2);
        std::uint32_t compression = ReadLe(dib + 16, 4);
        std::uint64_t used = ReadLe(dib + 32, 4);
        if (header == 40 && compression == 3) offset += 12;
        offset += 4 * (used ? used : bits <= 8 ? std::uint64_t{1} << bits : 0);
    }
    if (offset > size) return nullptr;
    std::vector<std::uint8_t> file(14 + size);
    file[0] = 'B';
    file[1] = 'M';
    auto put32 = [&file](std::size_t at, std::uint64_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(2, file.size());
    put32(10, 14 + offset);
    std::memcpy(file.data() + 14, dib, size);
    return DecodeBmp(file.data(), file.size());
}

}  // namespace portable

using portable::Bitmap;
using portable::LiveDC;

HGDIOBJ LoadImageA(HINSTANCE module, const char* name, UINT type, int, int, UINT flags) {
    if (type != IMAGE_BITMAP || !name) return nullptr;
    if (flags & LR_LOADFROMFILE) {
        if (reinterpret_cast<std::uintptr_t>(name) < 0x10000) return nullptr;
        std::FILE* f = OpenFile(name, "rb");
        if (!f) return nullptr;
        // Read the whole file, bounded by its real size.
        std::vector<std::uint8_t> bytes;
        long size = -1;
        if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
        constexpr long kMaxFile = 256L << 20;
        if (size > 0 && size <= kMaxFile && std::fseek(f, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<std::size_t>(size));
            if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
        }
        std::fclose(f);
        return portable::DecodeBmp(bytes.data(), bytes.size());
    }
    if (!module) return nullptr;
    const BYTE* dib = nullptr;
    DWORD size = 0;
    if (!FindModuleResource(RT_BITMAP, name, &dib, &size)) return nullptr;
    return portable::DecodePackedDib(dib, size);
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
    if (!portable::IsLiveObject(object) || object->kind != GdiObject::Kind::Bitmap) return 0;
    if (!out) return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    auto* b = static_cast<Bitmap*>(object);
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = b->width;
    info.bmHeight = b->height;
    info.bmWidthBytes = b->width * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = 32;
    info.bmBits = b->pixels.data();
    std::memcpy(out, &info, sizeof info);
    return static_cast<int>(sizeof info);
}

BOOL DeleteObject(HGDIOBJ object) {
    if (!portable::IsLiveObject(object)) return 0;
    if (object == portable::StockBitmap() || object->stock) return 1;  // stock objects are never deleted
    if (object->selections > 0) return 0;
    portable::Objects().erase(object);
    delete object;
    return 1;
}

HDC CreateCompatibleDC(HDC) {
    HDC dc = portable::CreateSurfaceDC(portable::PixelView{});
    dc->memory = true;
    Bitmap* stock = portable::StockBitmap();
    dc->bitmap = stock;
    ++stock->selections;
    dc->view = stock->View();
    return dc;
}

BOOL DeleteDC(HDC dc) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !c->memory) return 0;
    portable::DestroyContext(c);
    return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !portable::IsLiveObject(object)) return nullptr;
    GdiObject** slot = nullptr;
    switch (object->kind) {
        case GdiObject::Kind::Bitmap:
            // A bitmap goes into one memory device context at a time (the
            // stock bitmap into any number).
            if (!c->memory) return nullptr;
            if (object->selections > 0 && object != portable::StockBitmap() && c->bitmap != object)
                return nullptr;
            slot = &c->bitmap;
            break;
        case GdiObject::Kind::Pen: slot = &c->pen; break;
        case GdiObject::Kind::Brush: slot = &c->brush; break;
        case GdiObject::Kind::Font: slot = &c->font; break;
    }
    GdiObject* previous = *slot;
    if (previous) --previous->selections;
    else previous = portable::DefaultObject(object->kind);
    *slot = object;
    ++object->selections;
    if (object->kind == GdiObject::Kind::Bitmap) c->view = static_cast<Bitmap*>(object)->View();
    return previous;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !c->view.pixels || x < 0 || y < 0 || x >= c->view.width || y >= c->view.height)
        return CLR_INVALID;
    return portable::ColorRefFromPixel(c->view, portable::ReadPixel(c->view, x, y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !c->view.pixels || x < 0 || y < 0 || x >= c->view.width || y >= c->view.height)
        return CLR_INVALID;
    std::uint32_t pixel = portable::PixelFromColorRef(c->view, colour & 0x00FFFFFF);
    portable::WritePixel(c->view, x, y, pixel);
    return portable::ColorRefFromPixel(c->view, pixel);
}

BOOL StretchBlt(HDC dest, int destX, int destY, int destWidth, int destHeight, HDC source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    DeviceContext* d = LiveDC(dest);
    DeviceContext* s = LiveDC(source);
    if (!d || !s || rop != SRCCOPY) return 0;
    if (destWidth == 0 || destHeight == 0 || sourceWidth == 0 || sourceHeight == 0) return 1;
    if (!d->view.pixels || !s->view.pixels) return 1;
    // Negative extents run leftwards (upwards) from the given corner; the
    // picture is mirrored where the two signs differ.
    auto span = [](int origin, int extent, std::int64_t& first, std::int64_t& count) {
        count = extent < 0 ? -static_cast<std::int64_t>(extent) : extent;
        first = extent < 0 ? static_cast<std::int64_t>(origin) + extent + 1 : origin;
    };
    std::int64_t dx0, dw, dy0, dh, sx0, sw, sy0, sh;
    span(destX, destWidth, dx0, dw);
    span(destY, destHeight, dy0, dh);
    span(sourceX, sourceWidth, sx0, sw);
    span(sourceY, sourceHeight, sy0, sh);
    bool mirrorX = (destWidth < 0) != (sourceWidth < 0);
    bool mirrorY = (destHeight < 0) != (sourceHeight < 0);
    const portable::PixelView& dv = d->view;
    const portable::PixelView& sv = s->view;
    portable::Converter convert(sv, dv);
    // Only the destination pixels that exist are visited.
    std::int64_t iBegin = std::max<std::int64_t>(0, -dx0);
    std::int64_t iEnd = std::min<std::int64_t>(dw, dv.width - dx0);
    std::int64_t jBegin = std::max<std::int64_t>(0, -dy0);
    std::int64_t jEnd = std::min<std::int64_t>(dh, dv.height - dy0);
    for (std::int64_t j = jBegin; j < jEnd; ++j) {
        std::int64_t sj = j * sh / dh;
        std::int64_t sy = sy0 + (mirrorY ? sh - 1 - sj : sj);
        if (sy < 0 || sy >= sv.height) continue;
        int y = static_cast<int>(dy0 + j);
        for (std::int64_t i = iBegin; i < iEnd; ++i) {
            std::int64_t si = i * sw / dw;
            std::int64_t sx = sx0 + (mirrorX ? sw - 1 - si : si);
            if (sx < 0 || sx >= sv.width) continue;
            std::uint32_t p = portable::ReadPixel(sv, static_cast<int>(sx), static_cast<int>(sy));
            portable::WritePixel(dv, static_cast<int>(dx0 + i), y, convert(p));
        }
    }
    return 1;
}

}  // namespace plat
