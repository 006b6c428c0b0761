// Rasteriser with GDI's pixel rules; see raster.h for the rules and for why
// it is written here instead of being taken from cairo or pixman.
#include "platform/portable/gdi_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace plat::portable::raster {
namespace {

constexpr int kCoordinateLimit = 1 << 27;

int Clamp(int v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); }
Point Clamp(Point p) { return {Clamp(p.x), Clamp(p.y)}; }

// Floor of n / d for d > 0.
std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

// Ceiling of n / d for d > 0.
std::int64_t CeilDiv(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d;
    return (n % d != 0 && n > 0) ? q + 1 : q;
}

// What a span of pixels is painted with: one pixel value, or a hatch whose
// lines take `fg` and whose gaps take `bg` (opaque) or stay as they are.
struct Paint {
    enum class Kind { None, Solid, Hatched } kind = Kind::None;
    std::uint32_t fg = 0;
    std::uint32_t bg = 0;
    bool opaque = true;
    Hatch hatch = Hatch::Horizontal;
};

Paint SolidPaint(const Target& t, std::uint32_t colorref) {
    Paint p;
    p.kind = Paint::Kind::Solid;
    p.fg = PixelFromColorRef(t.view, colorref);
    return p;
}

Paint BrushPaint(const Target& t, const Brush& brush, BkMode bkMode, std::uint32_t bkColor) {
    Paint p;
    switch (brush.style) {
    case BrushStyle::Null:
        return p;
    case BrushStyle::Solid:
        return SolidPaint(t, brush.color);
    case BrushStyle::Hatched:
        p.kind = Paint::Kind::Hatched;
        p.fg = PixelFromColorRef(t.view, brush.color);
        p.bg = PixelFromColorRef(t.view, bkColor);
        p.opaque = bkMode == BkMode::Opaque;
        p.hatch = brush.hatch;
        return p;
    }
    return p;
}

// Paints pixels x0 .. x1 - 1 of row y, cut to the clip.
void Span(const Target& t, int y, std::int64_t x0, std::int64_t x1, const Paint& paint) {
    if (paint.kind == Paint::Kind::None || y < t.clip.top || y >= t.clip.bottom) return;
    int a = static_cast<int>(std::max<std::int64_t>(x0, t.clip.left));
    int b = static_cast<int>(std::min<std::int64_t>(x1, t.clip.right));
    if (a >= b) return;
    if (paint.kind == Paint::Kind::Solid) {
        for (int x = a; x < b; ++x) WritePixel(t.view, x, y, paint.fg);
        return;
    }
    for (int x = a; x < b; ++x) {
        if (HatchBit(paint.hatch, x, y)) WritePixel(t.view, x, y, paint.fg);
        else if (paint.opaque) WritePixel(t.view, x, y, paint.bg);
    }
}

void Plot(const Target& t, std::int64_t x, std::int64_t y, std::uint32_t pixel) {
    if (x < t.clip.left || x >= t.clip.right || y < t.clip.top || y >= t.clip.bottom) return;
    WritePixel(t.view, static_cast<int>(x), static_cast<int>(y), pixel);
}

// One-pixel line from a to b without b. The major axis is stepped one pixel
// at a time; the minor coordinate is the ideal one rounded to nearest with
// ties going to the smaller value. Only the part of the major range that
// lies in the clip is visited, so lines far outside cost nothing.
void ThinLine(const Target& t, Point a, Point b, std::uint32_t pixel) {
    const std::int64_t dx = static_cast<std::int64_t>(b.x) - a.x;
    const std::int64_t dy = static_cast<std::int64_t>(b.y) - a.y;
    if (dx == 0 && dy == 0) return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t major = xMajor ? dx : dy;
    const std::int64_t minor = xMajor ? dy : dx;
    const std::int64_t start = xMajor ? a.x : a.y;
    const std::int64_t minorStart = xMajor ? a.y : a.x;
    const std::int64_t len = std::llabs(major);
    const std::int64_t step = major > 0 ? 1 : -1;
    const std::int64_t lo = xMajor ? t.clip.left : t.clip.top;
    const std::int64_t hi = (xMajor ? t.clip.right : t.clip.bottom) - 1;
    // Steps k = 0 .. len - 1 reach start + step * k; keep those in [lo, hi].
    std::int64_t k0 = 0;
    std::int64_t k1 = len - 1;
    if (step > 0) {
        k0 = std::max(k0, lo - start);
        k1 = std::min(k1, hi - start);
    } else {
        k0 = std::max(k0, start - hi);
        k1 = std::min(k1, start - lo);
    }
    for (std::int64_t k = k0; k <= k1; ++k) {
        // minor offset = round(minor * k / len), ties down: ceil((2 n - len) / (2 len)).
        const std::int64_t n = minor * k;
        const std::int64_t m = minorStart + CeilDiv(2 * n - len, 2 * len);
        const std::int64_t p = start + step * k;
        if (xMajor) Plot(t, p, m, pixel);
        else Plot(t, m, p, pixel);
    }
}

// Round dot of a wide pen at (x, y): the pixels x - w/2 .. x - w/2 + w - 1
// (and likewise for rows) whose centres lie within the pen's circle. In
// doubled units, with the circle's centre between pixels for even widths,
// a pixel is inside when 8 (DX^2 + DY^2) <= 8 (w-1)^2 + 13 (w-1); this
// reproduces GDI's round dots.
void Dot(const Target& t, Point c, int w, std::uint32_t pixel) {
    const std::int64_t half = w / 2;
    const std::int64_t even = (w % 2 == 0) ? 1 : 0;
    const std::int64_t limit = 8 * static_cast<std::int64_t>(w - 1) * (w - 1) + 13 * static_cast<std::int64_t>(w - 1);
    // Only the rows inside the clip are visited, and each row's run is
    // solved for rather than searched, so a wide pen costs its visible rows.
    const std::int64_t jFirst = std::max<std::int64_t>(-half, t.clip.top - static_cast<std::int64_t>(c.y));
    const std::int64_t jEnd = std::min<std::int64_t>(-half + w, t.clip.bottom - static_cast<std::int64_t>(c.y));
    for (std::int64_t j = jFirst; j < jEnd; ++j) {
        const std::int64_t y = c.y + j;
        const std::int64_t dy = 2 * j + even;
        // Largest m with 8 m^2 <= limit - 8 dy^2; then dx = 2 i + even in [-m, m].
        const std::int64_t rest = limit - 8 * dy * dy;
        if (rest < 0) continue;
        auto m = static_cast<std::int64_t>(std::sqrt(static_cast<double>(rest) / 8.0));
        while (8 * (m + 1) * (m + 1) <= rest) ++m;
        while (m > 0 && 8 * m * m > rest) --m;
        const std::int64_t first = std::max(-half, FloorDiv(-m - even + 1, 2));
        const std::int64_t last = std::min(-half + w - 1, FloorDiv(m - even, 2));
        Paint p;
        p.kind = Paint::Kind::Solid;
        p.fg = pixel;
        if (last >= first) Span(t, static_cast<int>(y), c.x + first, c.x + last + 1, p);
    }
}

struct PointF {
    double x;
    double y;
};

// Fills a convex polygon with real vertices by the top-left rule (a pixel
// centre (x, y) is inside when ymin <= y < ymax and xl <= x < xr).
void FillConvexF(const Target& t, const PointF* pts, int n, const Paint& paint) {
    double ymin = pts[0].y;
    double ymax = pts[0].y;
    for (int i = 1; i < n; ++i) {
        ymin = std::min(ymin, pts[i].y);
        ymax = std::max(ymax, pts[i].y);
    }
    const std::int64_t y0 = std::max<std::int64_t>(static_cast<std::int64_t>(std::ceil(ymin)), t.clip.top);
    const std::int64_t y1 = std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(ymax)), t.clip.bottom);
    for (std::int64_t y = y0; y < y1; ++y) {
        const double yc = static_cast<double>(y);
        double xl = 0;
        double xr = 0;
        int found = 0;
        for (int i = 0; i < n; ++i) {
            const PointF& p = pts[i];
            const PointF& q = pts[(i + 1) % n];
            if (p.y == q.y) continue;
            const double lo = std::min(p.y, q.y);
            const double hi = std::max(p.y, q.y);
            if (yc < lo || yc >= hi) continue;
            const double x = p.x + (yc - p.y) * (q.x - p.x) / (q.y - p.y);
            if (found == 0) {
                xl = xr = x;
            } else {
                xl = std::min(xl, x);
                xr = std::max(xr, x);
            }
            ++found;
        }
        if (found < 2) continue;
        Span(t, static_cast<int>(y), static_cast<std::int64_t>(std::ceil(xl)),
             static_cast<std::int64_t>(std::ceil(xr)), paint);
    }
}

// Band of a wide pen along a segment: the rectangle of the pen's width
// centred on the segment (pixel centres half-way between rows for even
// widths, as for the dots).
void Band(const Target& t, Point a, Point b, int w, std::uint32_t pixel) {
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0) return;
    const double off = (w % 2 == 0) ? -0.5 : 0.0;
    const double nx = -dy / len * (w / 2.0);
    const double ny = dx / len * (w / 2.0);
    const PointF pts[4] = {{a.x + off + nx, a.y + off + ny},
                           {b.x + off + nx, b.y + off + ny},
                           {b.x + off - nx, b.y + off - ny},
                           {a.x + off - nx, a.y + off - ny}};
    Paint p;
    p.kind = Paint::Kind::Solid;
    p.fg = pixel;
    FillConvexF(t, pts, 4, p);
}

// Strokes the path through the points with the pen; `closed` adds the
// segment back to the first point. One-pixel pens draw every segment
// without its end point; wide pens draw bands and round dots at every vertex.
void Stroke(const Target& t, const Pen& pen, const Point* pts, int n, bool closed) {
    if (pen.style == PenStyle::Null || n < 1) return;
    const std::uint32_t pixel = PixelFromColorRef(t.view, pen.color);
    // Points are held within the coordinate limit, so a pen twice that wide
    // already covers every reachable pixel; this also keeps the dot's
    // squared radius within 64 bits.
    const int width = std::min(pen.width, 2 * kCoordinateLimit);
    const int segments = closed ? n : n - 1;
    if (width <= 1) {
        for (int i = 0; i < segments; ++i) ThinLine(t, Clamp(pts[i]), Clamp(pts[(i + 1) % n]), pixel);
        return;
    }
    for (int i = 0; i < segments; ++i) Band(t, Clamp(pts[i]), Clamp(pts[(i + 1) % n]), width, pixel);
    for (int i = 0; i < n; ++i) Dot(t, Clamp(pts[i]), width, pixel);
}

// Fills a polygon with integer vertices, top-left rule, exact arithmetic.
void FillPolygon(const Target& t, const Point* raw, int n, FillMode mode, const Paint& paint) {
    if (paint.kind == Paint::Kind::None || n < 3) return;
    std::vector<Point> pts(raw, raw + n);
    for (Point& p : pts) p = Clamp(p);
    int ymin = pts[0].y;
    int ymax = pts[0].y;
    for (const Point& p : pts) {
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    struct Crossing {
        std::int64_t x;
        int dir;
    };
    std::vector<Crossing> xs;
    const int y0 = std::max(ymin, t.clip.top);
    const int y1 = std::min(ymax, t.clip.bottom);
    for (int y = y0; y < y1; ++y) {
        xs.clear();
        for (int i = 0; i < n; ++i) {
            const Point& p = pts[i];
            const Point& q = pts[(i + 1) % n];
            if (p.y == q.y) continue;
            const int lo = std::min(p.y, q.y);
            const int hi = std::max(p.y, q.y);
            if (y < lo || y >= hi) continue;
            std::int64_t num = static_cast<std::int64_t>(y - p.y) * (static_cast<std::int64_t>(q.x) - p.x);
            std::int64_t den = static_cast<std::int64_t>(q.y) - p.y;
            if (den < 0) {
                num = -num;
                den = -den;
            }
            xs.push_back({p.x + CeilDiv(num, den), q.y > p.y ? 1 : -1});
        }
        std::sort(xs.begin(), xs.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        if (mode == FillMode::Alternate) {
            for (std::size_t i = 0; i + 1 < xs.size(); i += 2) Span(t, y, xs[i].x, xs[i + 1].x, paint);
        } else {
            int winding = 0;
            for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
                winding += xs[i].dir;
                if (winding != 0) Span(t, y, xs[i].x, xs[i + 1].x, paint);
            }
        }
    }
}

// Flattens one cubic into `out` (without its first point) by recursive
// halving until the control points lie within half a pixel of the chord.
void FlattenCubic(PointF p0, PointF p1, PointF p2, PointF p3, int depth, std::vector<PointF>& out) {
    auto distance = [](PointF p, PointF a, PointF b) {
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double len = std::sqrt(dx * dx + dy * dy);
        if (len < 1e-9) return std::hypot(p.x - a.x, p.y - a.y);
        return std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / len;
    };
    if (depth >= 16 || std::max(distance(p1, p0, p3), distance(p2, p0, p3)) <= 0.5) {
        out.push_back(p3);
        return;
    }
    auto mid = [](PointF a, PointF b) { return PointF{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
    const PointF a = mid(p0, p1);
    const PointF b = mid(p1, p2);
    const PointF c = mid(p2, p3);
    const PointF ab = mid(a, b);
    const PointF bc = mid(b, c);
    const PointF m = mid(ab, bc);
    FlattenCubic(p0, a, ab, m, depth + 1, out);
    FlattenCubic(m, bc, c, p3, depth + 1, out);
}

std::vector<Point> FlattenAll(const Point* points, int count) {
    std::vector<Point> line;
    if (count < 1 || (count - 1) % 3 != 0) return line;
    line.push_back(Clamp(points[0]));
    std::vector<PointF> pieces;
    for (int i = 0; i + 3 < count; i += 3) {
        auto f = [](Point p) { Point c = Clamp(p); return PointF{static_cast<double>(c.x), static_cast<double>(c.y)}; };
        pieces.clear();
        FlattenCubic(f(points[i]), f(points[i + 1]), f(points[i + 2]), f(points[i + 3]), 0, pieces);
        // Interior points are rounded; each curve ends exactly on its end point.
        for (std::size_t k = 0; k + 1 < pieces.size(); ++k) {
            Point p{static_cast<int>(std::floor(pieces[k].x + 0.5)), static_cast<int>(std::floor(pieces[k].y + 0.5))};
            if (p.x != line.back().x || p.y != line.back().y) line.push_back(p);
        }
        Point end = Clamp(points[i + 3]);
        if (end.x != line.back().x || end.y != line.back().y || line.size() == 1) line.push_back(end);
    }
    return line;
}

}  // namespace

Target::Target(const PixelView& v, const Rect& c) : view(v) {
    clip.left = std::max(0, c.left);
    clip.top = std::max(0, c.top);
    clip.right = std::min(v.width, c.right);
    clip.bottom = std::min(v.height, c.bottom);
    if (clip.right < clip.left) clip.right = clip.left;
    if (clip.bottom < clip.top) clip.bottom = clip.top;
}

bool HatchBit(Hatch hatch, int x, int y) {
    const int hx = x & 7;
    const int hy = y & 7;
    switch (hatch) {
    case Hatch::Horizontal: return hy == 3;
    case Hatch::Vertical: return hx == 4;
    case Hatch::ForwardDiagonal: return hx == hy;
    case Hatch::BackwardDiagonal: return hx + hy == 7;
    case Hatch::Cross: return hy == 3 || hx == 4;
    case Hatch::DiagonalCross: return hx == hy || hx + hy == 7;
    }
    return false;
}

std::uint32_t SetPixel(const Target& t, int x, int y, std::uint32_t colorref) {
    if (x < t.clip.left || x >= t.clip.right || y < t.clip.top || y >= t.clip.bottom) return kInvalidColor;
    const std::uint32_t pixel = PixelFromColorRef(t.view, colorref);
    WritePixel(t.view, x, y, pixel);
    return ColorRefFromPixel(t.view, pixel);
}

std::uint32_t GetPixel(const Target& t, int x, int y) {
    if (x < t.clip.left || x >= t.clip.right || y < t.clip.top || y >= t.clip.bottom) return kInvalidColor;
    return ColorRefFromPixel(t.view, ReadPixel(t.view, x, y));
}

void MoveTo(State& state, int x, int y, Point* previous) {
    if (previous) *previous = state.position;
    state.position = {x, y};
}

void LineTo(const Target& t, State& state, int x, int y) {
    const Point pts[2] = {state.position, {x, y}};
    Stroke(t, state.pen, pts, 2, false);
    state.position = {x, y};
}

bool Polyline(const Target& t, const State& state, const Point* points, int count) {
    if (count < 2) return false;
    Stroke(t, state.pen, points, count, false);
    return true;
}

void Rectangle(const Target& t, const State& state, int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom) return;  // GDI draws nothing, whatever the pen
    left = Clamp(left);
    top = Clamp(top);
    right = Clamp(right);
    bottom = Clamp(bottom);
    const Paint brush = BrushPaint(t, state.brush, state.bkMode, state.bkColor);
    const int y0 = std::max(top, t.clip.top);
    const int y1 = std::min(bottom - 1, t.clip.bottom);
    for (int y = y0; y < y1; ++y) Span(t, y, left, right - 1, brush);
    const Point path[4] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
    Stroke(t, state.pen, path, 4, true);
}

bool Polygon(const Target& t, const State& state, const Point* points, int count) {
    if (count < 2) return false;
    FillPolygon(t, points, count, state.fillMode, BrushPaint(t, state.brush, state.bkMode, state.bkColor));
    Stroke(t, state.pen, points, count, true);
    return true;
}

bool PolyBezier(const Target& t, const State& state, const Point* points, int count) {
    if (count < 1 || (count - 1) % 3 != 0) return false;
    const std::vector<Point> line = FlattenAll(points, count);
    if (line.size() >= 2) Stroke(t, state.pen, line.data(), static_cast<int>(line.size()), false);
    return true;
}

int FlattenBezier(const Point* points, int count, Point* out, int capacity) {
    const std::vector<Point> line = FlattenAll(points, count);
    const int n = std::min(capacity, static_cast<int>(line.size()));
    for (int i = 0; i < n; ++i) out[i] = line[i];
    return static_cast<int>(line.size());
}

void InvertRect(const Target& t, const Rect& r) {
    // As a destination-invert pattern blit of (left, top, width, height),
    // in 64 bits so that edges at the ends of the int range cannot overflow.
    auto range = [](std::int64_t origin, std::int64_t extent, std::int64_t& lo, std::int64_t& hi) {
        if (extent >= 0) {
            lo = origin;
            hi = origin + extent;
        } else {
            lo = origin + extent + 1;
            hi = origin + 1;
        }
    };
    std::int64_t x0, x1, y0, y1;
    range(r.left, static_cast<std::int64_t>(r.right) - r.left, x0, x1);
    range(r.top, static_cast<std::int64_t>(r.bottom) - r.top, y0, y1);
    x0 = std::max<std::int64_t>(x0, t.clip.left);
    x1 = std::min<std::int64_t>(x1, t.clip.right);
    y0 = std::max<std::int64_t>(y0, t.clip.top);
    y1 = std::min<std::int64_t>(y1, t.clip.bottom);
    const std::uint32_t all = t.view.bytesPerPixel == 2 ? 0xFFFFu : 0xFFFFFFFFu;
    for (auto y = static_cast<int>(y0); y < y1; ++y)
        for (auto x = static_cast<int>(x0); x < x1; ++x) WritePixel(t.view, x, y, ReadPixel(t.view, x, y) ^ all);
}

void FillRect(const Target& t, const Rect& r, const Brush& brush, BkMode bkMode, std::uint32_t bkColor) {
    const Paint paint = BrushPaint(t, brush, bkMode, bkColor);
    const int y0 = std::max(r.top, t.clip.top);
    const int y1 = std::min(r.bottom, t.clip.bottom);
    for (int y = y0; y < y1; ++y) Span(t, y, r.left, r.right, paint);
}

void FillPixels(const Target& t, const Rect& r, std::uint32_t pixel) {
    Paint paint;
    paint.kind = Paint::Kind::Solid;
    paint.fg = pixel;
    const int y0 = std::max(r.top, t.clip.top);
    const int y1 = std::min(r.bottom, t.clip.bottom);
    for (int y = y0; y < y1; ++y) Span(t, y, r.left, r.right, paint);
}

}  // namespace plat::portable::raster
