// GDI bitmaps, device contexts and pixel transfers, passed through to gdi32
// and user32. Bitmap file names go out as UTF-16.
#include "platform/windows/common.h"

namespace plat {

using win::Ours;
using win::Real;

HGDIOBJ LoadImageA(HINSTANCE module, const char* name, UINT type, int width, int height,
                   UINT flags) {
    win::WideArg wide(name);
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
