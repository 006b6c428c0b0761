// GDI pens, brushes and shapes, passed through to gdi32 and user32.
#include <vector>

#include "platform/windows/common.h"

namespace plat {

using win::Ours;
using win::Real;

namespace {

::HBRUSH RealBrush(HBRUSH b) { return reinterpret_cast<::HBRUSH>(b); }

std::vector<::POINT> RealPoints(const POINT* points, std::size_t count) {
    std::vector<::POINT> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = {points[i].x, points[i].y};
    return out;
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF colour) {
    return Ours(static_cast<::HGDIOBJ>(::CreatePen(style, width, colour)));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    return Ours(static_cast<::HGDIOBJ>(::CreateSolidBrush(colour)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF colour) {
    return Ours(static_cast<::HGDIOBJ>(::CreateHatchBrush(hatch, colour)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) return nullptr;
    ::LOGBRUSH b{brush->lbStyle, brush->lbColor, static_cast<ULONG_PTR>(brush->lbHatch)};
    return Ours(static_cast<::HGDIOBJ>(::CreateBrushIndirect(&b)));
}

int SetBkMode(HDC dc, int mode) { return ::SetBkMode(Real(dc), mode); }
int GetBkMode(HDC dc) { return ::GetBkMode(Real(dc)); }
COLORREF SetBkColor(HDC dc, COLORREF colour) { return static_cast<COLORREF>(::SetBkColor(Real(dc), colour)); }
COLORREF GetBkColor(HDC dc) { return static_cast<COLORREF>(::GetBkColor(Real(dc))); }
COLORREF SetTextColor(HDC dc, COLORREF colour) {
    return static_cast<COLORREF>(::SetTextColor(Real(dc), colour));
}
COLORREF GetTextColor(HDC dc) { return static_cast<COLORREF>(::GetTextColor(Real(dc))); }
int SetPolyFillMode(HDC dc, int mode) { return ::SetPolyFillMode(Real(dc), mode); }

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    ::POINT p{};
    BOOL ok = ::MoveToEx(Real(dc), x, y, &p);
    if (previous) *previous = {static_cast<LONG>(p.x), static_cast<LONG>(p.y)};
    return ok;
}

BOOL LineTo(HDC dc, int x, int y) { return ::LineTo(Real(dc), x, y); }

BOOL Polyline(HDC dc, const POINT* points, int count) {
    if (!points || count < 0) return 0;
    std::vector<::POINT> p = RealPoints(points, static_cast<std::size_t>(count));
    return ::Polyline(Real(dc), p.data(), count);
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    return ::Rectangle(Real(dc), left, top, right, bottom);
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    if (!points || count < 0) return 0;
    std::vector<::POINT> p = RealPoints(points, static_cast<std::size_t>(count));
    return ::Polygon(Real(dc), p.data(), count);
}

BOOL PolyBezier(HDC dc, const POINT* points, DWORD count) {
    if (!points) return 0;
    std::vector<::POINT> p = RealPoints(points, count);
    return ::PolyBezier(Real(dc), p.data(), count);
}

BOOL InvertRect(HDC dc, const RECT* rect) {
    if (!rect) return 0;
    ::RECT r = Real(*rect);
    return ::InvertRect(Real(dc), &r);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (!rect) return 0;
    ::RECT r = Real(*rect);
    return ::FillRect(Real(dc), &r, RealBrush(brush));
}

}  // namespace plat
