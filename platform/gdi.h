// GDI: bitmaps, device contexts and pixel transfer between them.
//
// Shaped after the Win32 GDI calls the library uses (same names, flags and
// results). A device context is lent by a DirectDraw surface (its GetDC), or
// made with CreateCompatibleDC to hold a bitmap. Colours are GDI colour values
// 0x00BBGGRR.
//
// Include this header before <windows.h> in any translation unit that uses
// both: the constants share their names with Win32 macros.
#pragma once

#include "platform/win.h"

namespace plat {

using COLORREF = DWORD;
using HBITMAP = GdiObject*;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}

// LoadImageA.
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// A bitmap resource of `module` (module non-null: `name` is the resource
// name, or a MakeIntResource number), or with LR_LOADFROMFILE and no module
// the BMP file `name`. Only IMAGE_BITMAP is supported. Win32 returns the
// image as a HANDLE; bitmaps are GDI objects, so they are returned as such.
// Null when there is no such resource or the file is missing or not a
// readable BMP.
HGDIOBJ LoadImageA(HINSTANCE module, const char* name, UINT type, int width, int height,
                   UINT flags);
// Fills a BITMAP for a bitmap object; returns the bytes written, 0 on failure.
int GetObjectA(HGDIOBJ object, int size, void* out);
// Deletes a GDI object; fails (0) while it is selected into a device context.
BOOL DeleteObject(HGDIOBJ object);

// A memory device context (no bitmap selected yet: nothing to draw on).
HDC CreateCompatibleDC(HDC reference);
BOOL DeleteDC(HDC dc);
// Selects a bitmap (memory device contexts only), pen, brush or font; returns
// the object it replaces (null for the built-in default), null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

// CLR_INVALID outside the device context's pixels.
COLORREF GetPixel(HDC dc, int x, int y);
// The colour actually set (the nearest the pixel format holds), or
// CLR_INVALID when (x, y) lies outside.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
// Copies a rectangle of `source`, stretched or shrunk by nearest pixel, onto
// a rectangle of `dest`; negative extents mirror. Destination pixels outside
// the destination and pixels whose source lies outside the source are left
// alone. Only SRCCOPY is supported.
BOOL StretchBlt(HDC dest, int destX, int destY, int destWidth, int destHeight, HDC source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, DWORD rop);

}  // namespace plat
