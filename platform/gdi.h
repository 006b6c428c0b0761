// GDI: bitmaps, device contexts and pixel transfer between them; pens,
// brushes and shapes; fonts and text.
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

//@{
// Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
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

// The Win32 / DirectX type of this name, with the same members and meaning.
struct BITMAP {
    //@{
    // The field of this name of the Win32 / DirectX type.
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
    //@}
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
// the object it replaces (a device context starts with the stock black pen,
// white brush and system font, which can be selected back), null on failure.
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

// ---- Pens, brushes and shapes ----------------------------------------------

using HPEN = GdiObject*;
using HFONT = GdiObject*;

// Pen styles (CreatePen).
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// Brush styles and hatches (LOGBRUSH, CreateHatchBrush).
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_HATCHED = 2;
constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

// Stock objects (GetStockObject, declared in win.h; BLACK_BRUSH is there too).
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Background modes and polygon fill modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// The Win32 / DirectX type of this name, with the same members and meaning.
struct LOGBRUSH {
    //@{
    // The field of this name of the Win32 / DirectX type.
    UINT lbStyle;
    COLORREF lbColor;
    std::uintptr_t lbHatch;  // HS_* for BS_HATCHED
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct SIZE {
    //@{
    // The field of this name of the Win32 / DirectX type.
    LONG cx;
    LONG cy;
    //@}
};

// Width 0 is one pixel. Styles other than PS_SOLID and PS_NULL draw solid.
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
HBRUSH CreateHatchBrush(int hatch, COLORREF colour);
// BS_SOLID, BS_NULL (BS_HOLLOW) and BS_HATCHED; null for other styles.
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

// Drawing state of a device context. The setters return the previous value
// (0 or CLR_INVALID for a handle that is not a device context).
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
int SetPolyFillMode(HDC dc, int mode);

// Shapes with the selected pen and brush, as GDI draws them: a line leaves
// out its end point; Rectangle with a one-pixel pen covers left .. right - 1
// and top .. bottom - 1; hatch gaps follow the background mode and colour.
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Polygon(HDC dc, const POINT* points, int count);
// count = 1 + 3n: start point, then two control points and an end point per curve.
BOOL PolyBezier(HDC dc, const POINT* points, DWORD count);
// Inverts every bit of the pixels of the rectangle.
BOOL InvertRect(HDC dc, const RECT* rect);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);

// ---- Fonts and text ------------------------------------------------------------

constexpr int LF_FACESIZE = 32;

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;

constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SHIFTJIS_CHARSET = 128;

constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD DEFAULT_QUALITY = 0;
constexpr DWORD NONANTIALIASED_QUALITY = 3;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;

// Font types reported to EnumFontsA callbacks.
constexpr DWORD RASTER_FONTTYPE = 0x0001;
constexpr DWORD DEVICE_FONTTYPE = 0x0002;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

// DrawTextA formats.
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_EXTERNALLEADING = 0x0200;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// The font description of Win32, byte for byte (60 bytes).
struct LOGFONTA {
    //@{
    // The field of this name of the Win32 / DirectX type.
    LONG lfHeight;       // < 0: character height; > 0: cell height; 0: default size
    LONG lfWidth;        // 0: the face's own proportions
    LONG lfEscapement;   // tenths of a degree, counter-clockwise
    LONG lfOrientation;
    LONG lfWeight;       // FW_*; 0 the default weight
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];  // Shift-JIS, zero-terminated
    //@}
};
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA is 60 bytes, as in Win32");

// The Win32 / DirectX type of this name, with the same members and meaning.
struct TEXTMETRICA {
    //@{
    // The field of this name of the Win32 / DirectX type.
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
    //@}
};

// Called once per face; returning 0 stops the enumeration.
using FONTENUMPROCA = int (*)(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType,
                              LPARAM data);

HFONT CreateFontIndirectA(const LOGFONTA* font);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* face);

// Text is Shift-JIS; `length` is in bytes. TextOutA puts the top-left corner
// of the text's cell at (x, y); in OPAQUE mode the cells are filled with the
// background colour first.
BOOL TextOutA(HDC dc, int x, int y, const char* text, int length);
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
// `length` -1: up to the terminating zero. Returns the height of the text,
// 0 on failure. With DT_CALCRECT nothing is drawn and the rectangle's right
// and bottom are set to fit the text.
int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format);

// Whether a byte starts a double-byte character of code page 932 (Shift-JIS).
BOOL IsDBCSLeadByte(BYTE byte);

// One callback per installed face (face null) or per face of that name;
// returns the last callback result, or 0 when there was nothing to report.
int EnumFontsA(HDC dc, const char* face, FONTENUMPROCA callback, LPARAM data);

//@}
}  // namespace plat
