// GDI bitmaps, device contexts and pixel transfers, passed through to gdi32
// and user32. Bitmap file names go out as UTF-16.
#include <cstdio>

#include "platform/resources.h"
#include "platform/windows/common.h"
#include "platform/windows/resources_table.h"

namespace plat {

using win::Ours;
using win::Real;

namespace {

std::uint32_t Le(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Whether a BMP file's headers fit the file: the system's loader (Wine's at
// least) makes a bitmap out of a file cut short, reading past its end. The
// pixel rows an uncompressed picture claims must all be in the file; a
// run-length picture cannot expand beyond 255 pixels per two bytes.
bool BmpFitsItsFile(const std::wstring& name) {
    std::FILE* f = ::_wfopen(name.c_str(), L"rb");
    if (!f) return true;  // the system reports the missing file itself
    unsigned char h[54] = {};
    std::size_t got = std::fread(h, 1, sizeof h, f);
    std::fseek(f, 0, SEEK_END);
    long end = std::ftell(f);
    std::fclose(f);
    if (got < 26 || end < 0 || h[0] != 'B' || h[1] != 'M') return false;
    std::uint64_t size = static_cast<std::uint64_t>(end);
    std::uint32_t offset = Le(h + 10, 4);
    std::uint32_t info = Le(h + 14, 4);
    std::int64_t w = 0, ht = 0;
    std::uint32_t bits = 0, compression = 0;
    if (info == 12) {
        w = static_cast<std::int16_t>(Le(h + 18, 2));
        ht = static_cast<std::int16_t>(Le(h + 20, 2));
        bits = Le(h + 24, 2);
    } else if (info >= 40 && got >= 54) {
        w = static_cast<std::int32_t>(Le(h + 18, 4));
        ht = static_cast<std::int32_t>(Le(h + 22, 4));
        bits = Le(h + 28, 2);
        compression = Le(h + 30, 4);
    } else {
        return false;
    }
    if (ht < 0) ht = -ht;
    if (w <= 0 || ht <= 0 || w > 32767 || ht > 32767 || offset >= size) return false;
    std::uint64_t available = size - offset;
    if (compression == 1 || compression == 2)
        return static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(ht) <= 256 * available + 65536;
    std::uint64_t row = ((static_cast<std::uint64_t>(w) * bits + 31) / 32) * 4;
    return row * static_cast<std::uint64_t>(ht) <= available;
}

// A bitmap made from a packed DIB (a bitmap resource: the BMP file without
// its file header), whose headers are checked against its size first.
::HBITMAP BitmapFromPackedDib(const BYTE* data, DWORD size) {
    if (size < 16) return nullptr;
    std::uint32_t header = Le(data, 4);
    if (header < 40 || header >= size) return nullptr;  // core headers are not kept
    std::int64_t w = static_cast<std::int32_t>(Le(data + 4, 4));
    std::int64_t h = static_cast<std::int32_t>(Le(data + 8, 4));
    std::uint32_t bits = Le(data + 14, 2);
    std::uint32_t compression = Le(data + 16, 4);
    std::uint32_t used = Le(data + 32, 4);
    if (h < 0) h = -h;
    if (w <= 0 || h <= 0 || w > 32767 || h > 32767 || compression > 3) return nullptr;
    std::uint64_t colours = used ? used : (bits <= 8 ? (1u << bits) : 0);
    std::uint64_t offset = header + colours * 4 + (compression == 3 && header == 40 ? 12 : 0);
    if (offset > size) return nullptr;
    std::uint64_t available = size - offset;
    std::uint64_t need = compression == 1 || compression == 2
                             ? 0
                             : ((static_cast<std::uint64_t>(w) * bits + 31) / 32) * 4 *
                                   static_cast<std::uint64_t>(h);
    if (need > available) return nullptr;
    const auto* info = reinterpret_cast<const ::BITMAPINFO*>(data);
    ::HDC screen = ::GetDC(nullptr);
    ::HBITMAP bitmap = ::CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, data + offset, info,
                                        DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

HGDIOBJ LoadImageA(HINSTANCE module, const char* name, UINT type, int width, int height,
                   UINT flags) {
    win::WideArg wide(name);
    if ((flags & LR_LOADFROMFILE) && name && !IS_INTRESOURCE(name) && !BmpFitsItsFile(wide.get()))
        return nullptr;
    // Bitmap resources added at run time are not in the module for the
    // system to find; they come first, as in FindModuleResource.
    const BYTE* dib = nullptr;
    DWORD dibSize = 0;
    if (!(flags & LR_LOADFROMFILE) && module && type == IMAGE_BITMAP && name &&
        win::FindAddedResource(RT_BITMAP, name, &dib, &dibSize))
        return Ours(static_cast<::HGDIOBJ>(BitmapFromPackedDib(dib, dibSize)));
    return Ours(static_cast<::HGDIOBJ>(
        ::LoadImageW(Real(module), wide.get(), type, width, height, flags)));
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
    // Only bitmaps are asked about.
    if (!out || size < static_cast<int>(sizeof(BITMAP))) return 0;
    ::BITMAP b{};
    if (::GetObjectW(Real(object), sizeof b, &b) == 0) return 0;
    BITMAP* bm = static_cast<BITMAP*>(out);
    bm->bmType = static_cast<LONG>(b.bmType);
    bm->bmWidth = static_cast<LONG>(b.bmWidth);
    bm->bmHeight = static_cast<LONG>(b.bmHeight);
    bm->bmWidthBytes = static_cast<LONG>(b.bmWidthBytes);
    bm->bmPlanes = b.bmPlanes;
    bm->bmBitsPixel = b.bmBitsPixel;
    bm->bmBits = b.bmBits;
    return sizeof(BITMAP);
}

BOOL DeleteObject(HGDIOBJ object) { return ::DeleteObject(Real(object)); }

HDC CreateCompatibleDC(HDC reference) { return Ours(::CreateCompatibleDC(Real(reference))); }

BOOL DeleteDC(HDC dc) { return ::DeleteDC(Real(dc)); }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) { return Ours(::SelectObject(Real(dc), Real(object))); }

COLORREF GetPixel(HDC dc, int x, int y) { return static_cast<COLORREF>(::GetPixel(Real(dc), x, y)); }

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    return static_cast<COLORREF>(::SetPixel(Real(dc), x, y, colour));
}

BOOL StretchBlt(HDC dest, int destX, int destY, int destWidth, int destHeight, HDC source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    // Shrinking takes the nearest pixel, not the AND of the dropped ones that
    // the default stretch mode would give.
    ::SetStretchBltMode(Real(dest), COLORONCOLOR);
    return ::StretchBlt(Real(dest), destX, destY, destWidth, destHeight, Real(source), sourceX,
                        sourceY, sourceWidth, sourceHeight, rop);
}

}  // namespace plat
