// Rasteriser of the portable GDI: pixels, lines, rectangles, polygons, Bézier
// curves, inverted rectangles and brush fills on a PixelView, with the pixel
// rules of Windows GDI on a device context without anti-aliasing.
//
// The rules reproduced (compared pixel by pixel with the output of Wine 8's
// GDI, whose DIB engine follows Windows, on thousands of random shapes):
// - Coordinates name pixels; a pixel's centre is at its integer coordinates.
// - One-pixel lines step along the major axis and never draw their end
//   point; where the ideal line passes exactly half-way between two pixels
//   the one with the smaller minor coordinate is taken, in every octant, so
//   a line and its reverse cover the same pixels (apart from the end points).
// - Rectangle(l, t, r, b) strokes the closed path (l, t)-(r-1, b-1) with the
//   pen and fills [l, r-1) x [t, b-1) with the brush, so a one-pixel pen
//   covers columns l..r-1 and rows t..b-1, and a null pen leaves a shape one
//   pixel smaller each way. Reversed corners are swapped first.
// - Polygons are filled with the top-left rule: a pixel is inside when its
//   centre is inside, or on a left or top edge; then the closed outline is
//   stroked with the pen. Alternate and winding fill modes.
// - Hatched brushes use GDI's 8 x 8 hatch patterns aligned to the origin of
//   the surface; hatch lines take the brush colour and the gaps the
//   background colour, or are left untouched in transparent mode.
// - InvertRect inverts every bit of each pixel (destination invert).
//
// Wide pens (width 2 and more) are GDI's geometric pens with round caps and
// round joins: every segment covers the pixels whose centres lie in the band
// of the pen's width around it (top-left rule on its edges), and every vertex
// a round dot of the pen's width (a zero-length line draws the dot). Dots,
// horizontal and vertical segments, and so rectangles with wide pens, equal
// GDI's for widths up to 14; GDI draws slanted wide segments up to a pixel
// thicker than the geometric band, which is not reproduced. Pen width 0 is
// one pixel.
//
// Bézier curves are halved until the control points lie within half a pixel
// of the chord; the inner points are rounded to pixels and each curve ends
// exactly on its end point. GDI's own subdivision is not documented, so
// inner pixels may differ from GDI's by a pixel.
//
// Written here rather than taken from cairo or pixman: with anti-aliasing off
// cairo strokes a one-pixel line as a thin polygon sampled at pixel centres,
// which leaves runs of two and three pixels, covers the end point and rounds
// ties its own way; neither library has the one-pixel-smaller rectangles of
// null pens nor GDI's hatch patterns. Only the polygon fill rule would be
// the same, and it is a few lines here.
//
// Coordinates are clamped to +-2^27, the range GDI accepts.
#pragma once

#include <cstdint>

#include "platform/portable/ddraw_pixels.h"

namespace plat::portable::raster {

inline constexpr std::uint32_t kInvalidColor = 0xFFFFFFFF;  // CLR_INVALID

struct Point {
    int x = 0;
    int y = 0;
};

// Right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

enum class PenStyle { Solid, Null };  // PS_SOLID, PS_NULL
enum class BrushStyle { Solid, Null, Hatched };  // BS_SOLID, BS_NULL (BS_HOLLOW), BS_HATCHED
// Hatch styles in GDI's order, so HS_* values convert directly.
enum class Hatch { Horizontal = 0, Vertical = 1, ForwardDiagonal = 2, BackwardDiagonal = 3, Cross = 4,
                   DiagonalCross = 5 };
enum class BkMode { Transparent = 1, Opaque = 2 };
enum class FillMode { Alternate = 1, Winding = 2 };

struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    std::uint32_t color = 0x000000;  // COLORREF 0x00BBGGRR
};

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    std::uint32_t color = 0xFFFFFF;
    Hatch hatch = Hatch::Horizontal;
};

// The drawing state a device context carries; the defaults are GDI's
// (black pen, white brush, opaque white background, alternate fill, current
// position at the origin).
struct State {
    Pen pen;
    Brush brush;
    BkMode bkMode = BkMode::Opaque;
    std::uint32_t bkColor = 0xFFFFFF;
    FillMode fillMode = FillMode::Alternate;
    Point position;
};

// Where drawing goes: a view and the clip rectangle inside it (the whole view
// unless narrowed). Every operation writes only inside `clip`.
struct Target {
    PixelView view;
    Rect clip;

    explicit Target(const PixelView& v) : view(v), clip{0, 0, v.width, v.height} {}
    // The clip is intersected with the view.
    Target(const PixelView& v, const Rect& clipRect);
};

// The pattern bit of a hatch at surface position (x, y): true where the
// hatch line lies.
bool HatchBit(Hatch hatch, int x, int y);

// SetPixel: returns the colour the pixel received (the nearest the format
// holds), or kInvalidColor when (x, y) is outside the clip.
std::uint32_t SetPixel(const Target& target, int x, int y, std::uint32_t colorref);
// GetPixel: the pixel's colour, or kInvalidColor outside the clip.
std::uint32_t GetPixel(const Target& target, int x, int y);

// MoveToEx: sets the current position; `previous` (if given) receives the old one.
void MoveTo(State& state, int x, int y, Point* previous = nullptr);
// LineTo: a line from the current position to (x, y) with the pen, without
// its end point for one-pixel pens; the current position becomes (x, y).
void LineTo(const Target& target, State& state, int x, int y);
// Polyline: connected lines through the points (the last point not drawn with
// a one-pixel pen); fewer than two points draw nothing. Returns false when count < 2.
bool Polyline(const Target& target, const State& state, const Point* points, int count);

// Rectangle with the pen and brush of `state`.
void Rectangle(const Target& target, const State& state, int left, int top, int right, int bottom);
// Polygon with the pen, brush and fill mode of `state`; closed automatically.
// Returns false when count < 2 (nothing drawn).
bool Polygon(const Target& target, const State& state, const Point* points, int count);
// PolyBezier: cubic curves through points[0], points[3], points[6], ...
// with points[3k+1], points[3k+2] as control points, flattened into lines
// drawn with the pen (the last point is not drawn with a one-pixel pen).
// count must be 1 + 3n; otherwise nothing is drawn and false is returned.
bool PolyBezier(const Target& target, const State& state, const Point* points, int count);
// The line points PolyBezier draws through, first and last point included.
// Exposed for tests and for path users; empty when count is not 1 + 3n.
int FlattenBezier(const Point* points, int count, Point* out, int capacity);

// InvertRect: inverts every bit of the pixels of the rectangle. Reversed
// extents behave as GDI's pattern blits: a negative width covers the columns
// right + 1 .. left (and likewise for rows).
void InvertRect(const Target& target, const Rect& rect);
// FillRect: fills [left, right) x [top, bottom) with the brush (hatch gaps
// follow bkMode/bkColor); a null brush draws nothing. Empty or reversed
// rectangles draw nothing.
void FillRect(const Target& target, const Rect& rect, const Brush& brush, BkMode bkMode = BkMode::Opaque,
              std::uint32_t bkColor = 0xFFFFFF);
// Fills a rectangle with a raw pixel value (clipped), for callers that
// already hold a pixel.
void FillPixels(const Target& target, const Rect& rect, std::uint32_t pixel);

}  // namespace plat::portable::raster
