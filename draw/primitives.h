// Primitives on the back surface: pixels, lines, boxes, polygons, curves,
// inverted and half-transparent boxes, and saving the screen as a BMP file.
//
// Colours are GDI colour values (0x00BBGGRR), except HalfBox's, which is a
// pixel value of the back surface. Rectangles are left, top, right, bottom
// with right and bottom exclusive. Only HalfBox is cut to ClipRect; the
// others are cut to the surface alone.
//
// The GDI primitives take the back surface's device context for the length
// of the call, so they draw nothing while it is lent out by GetBackDC or
// held by a text font; they return the result of giving the context back
// (or the failure of taking it).
//
// Pen widths are cut to twice the screen's width plus its height: a pen that
// wide drawn anywhere on the surface covers all of it, so wider ones draw the
// same there and return as quickly.
#pragma once

#include "platform/ddraw.h"
#include "platform/gdi.h"

namespace elDraw {

// Sets the pixel at (x, y) to the GDI colour `colour` (0x00BBGGRR). Returns
// DD_OK (0), or a failure code when the device context cannot be had.
plat::HRESULT SetPixel(int x, int y, int colour);
// The red, green and blue bytes of the pixel's GDI colour; all three 0 when
// the pixel cannot be read (outside the surface, or no device context).
// Any of the outputs may be null.
void GetPixel(int x, int y, int* red, int* green, int* blue);
// A line from (x1, y1) to (x2, y2), the end point itself not drawn.
plat::HRESULT Line(int x1, int y1, int x2, int y2, int colour, int width);
// A rectangle filled with `fill` and outlined with a pen of `line` colour and
// `width` pixels; with a one-pixel pen it covers left .. right - 1 and
// top .. bottom - 1.
void Box(int left, int top, int right, int bottom, int fill, int line, int width);
// A closed polygon outlined in `colour`: hollow (mode 0), or hatched with a
// diagonal cross of `colour` over `background` (mode 1 and others) or over
// what is there (mode 2).
plat::HRESULT Polygon(const plat::POINT* points, int count, int colour, int background, int width,
                      int mode);
// Cubic curves through points 0, 3, 6, ... (count = 1 + 3n).
plat::HRESULT Bezier(const plat::POINT* points, int count, int colour, int width);
// Inverts every bit of the pixels of the rectangle.
plat::HRESULT InvertBox(int left, int top, int right, int bottom);
// Blends every pixel of the rectangle (cut to ClipRect) half and half with
// the pixel value `colour`. 1, or 0 when the back surface cannot be locked.
int HalfBox(int left, int top, int right, int bottom, int colour);
// Writes the top-left width x height of the back surface (cut to the
// surface) to the program folder + name as a 24-bit BMP, on 16- and 32-bit
// displays; other depths write nothing. 1, or 0 when the back surface cannot
// be locked or the file cannot be written.
int SaveScreen(const char* name, int width, int height);

}  // namespace elDraw
