// Portable GDI: pens, brushes, stock objects, the drawing state of device
// contexts and the shape calls, passed through to the rasteriser.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/gdi.h"
#include "platform/portable/gdi_objects.h"
#include "platform/portable/gdi_raster.h"

namespace plat {
namespace portable {

namespace {

namespace r = raster;

template <typename T>
T* MakeObject(T* object) {
    RegisterObject(object);
    return object;
}

template <typename T>
T* MakeStock(T* object) {
    object->stock = true;
    return MakeObject(object);
}

PenObject* StockPen(int which) {
    static PenObject* white = MakeStock(new PenObject({r::PenStyle::Solid, 1, 0xFFFFFF}));
    static PenObject* black = MakeStock(new PenObject({r::PenStyle::Solid, 1, 0x000000}));
    static PenObject* none = MakeStock(new PenObject({r::PenStyle::Null, 1, 0x000000}));
    switch (which) {
        case WHITE_PEN: return white;
        case BLACK_PEN: return black;
        case NULL_PEN: return none;
        default: return nullptr;
    }
}

BrushObject* StockBrush(int which) {
    auto solid = [](std::uint32_t colour) {
        return MakeStock(new BrushObject({r::BrushStyle::Solid, colour, r::Hatch::Horizontal}));
    };
    static BrushObject* white = solid(0xFFFFFF);
    static BrushObject* light = solid(0xC0C0C0);
    static BrushObject* gray = solid(0x808080);
    static BrushObject* dark = solid(0x404040);
    static BrushObject* black = solid(0x000000);
    static BrushObject* none = MakeStock(new BrushObject({r::BrushStyle::Null, 0, r::Hatch::Horizontal}));
    switch (which) {
        case WHITE_BRUSH: return white;
        case LTGRAY_BRUSH: return light;
        case GRAY_BRUSH: return gray;
        case DKGRAY_BRUSH: return dark;
        case BLACK_BRUSH: return black;
        case NULL_BRUSH: return none;
        default: return nullptr;
    }
}

// The system font of a Japanese desktop: a 16-pixel cell, Shift-JIS.
FontObject* StockFont() {
    static FontObject* font = [] {
        LOGFONTA lf{};
        lf.lfHeight = 16;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        return MakeStock(new FontObject(lf));
    }();
    return font;
}

// The drawing state of a context with its selected pen and brush.
r::State StateOf(const DeviceContext& c) {
    r::State s = c.draw;
    const GdiObject* pen = c.pen ? c.pen : DefaultObject(GdiObject::Kind::Pen);
    const GdiObject* brush = c.brush ? c.brush : DefaultObject(GdiObject::Kind::Brush);
    s.pen = static_cast<const PenObject*>(pen)->pen;
    s.brush = static_cast<const BrushObject*>(brush)->brush;
    return s;
}

std::vector<r::Point> Points(const POINT* points, std::size_t count) {
    std::vector<r::Point> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = {points[i].x, points[i].y};
    return out;
}

}  // namespace

GdiObject* DefaultObject(GdiObject::Kind kind) {
    switch (kind) {
        case GdiObject::Kind::Pen: return StockPen(BLACK_PEN);
        case GdiObject::Kind::Brush: return StockBrush(WHITE_BRUSH);
        case GdiObject::Kind::Font: return StockFont();
        case GdiObject::Kind::Bitmap: break;
    }
    return nullptr;
}

}  // namespace portable

using portable::LiveDC;
namespace r = portable::raster;

HGDIOBJ GetStockObject(int which) {
    if (which == SYSTEM_FONT || which == DEFAULT_GUI_FONT) return portable::StockFont();
    if (GdiObject* pen = portable::StockPen(which)) return pen;
    return portable::StockBrush(which);
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    r::Pen pen;
    pen.style = style == PS_NULL ? r::PenStyle::Null : r::PenStyle::Solid;
    // Width 0 (and, as GDI treats it, a negative width) draws one pixel.
    pen.width = std::max(1, width);
    pen.color = colour & 0x00FFFFFF;
    return portable::MakeObject(new portable::PenObject(pen));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) return nullptr;
    r::Brush b;
    b.color = brush->lbColor & 0x00FFFFFF;
    switch (brush->lbStyle) {
        case BS_SOLID: b.style = r::BrushStyle::Solid; break;
        case BS_NULL: b.style = r::BrushStyle::Null; break;
        case BS_HATCHED:
            if (brush->lbHatch > static_cast<std::uintptr_t>(HS_DIAGCROSS)) return nullptr;
            b.style = r::BrushStyle::Hatched;
            b.hatch = static_cast<r::Hatch>(brush->lbHatch);
            break;
        default: return nullptr;
    }
    return portable::MakeObject(new portable::BrushObject(b));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    LOGBRUSH lb{BS_SOLID, colour, 0};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF colour) {
    if (hatch < 0) return nullptr;
    LOGBRUSH lb{BS_HATCHED, colour, static_cast<std::uintptr_t>(hatch)};
    return CreateBrushIndirect(&lb);
}

int SetBkMode(HDC dc, int mode) {
    DeviceContext* c = LiveDC(dc);
    if (!c || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = static_cast<int>(c->draw.bkMode);
    c->draw.bkMode = static_cast<r::BkMode>(mode);
    return previous;
}

int GetBkMode(HDC dc) {
    DeviceContext* c = LiveDC(dc);
    return c ? static_cast<int>(c->draw.bkMode) : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    DeviceContext* c = LiveDC(dc);
    if (!c) return CLR_INVALID;
    COLORREF previous = c->draw.bkColor;
    c->draw.bkColor = colour & 0x00FFFFFF;
    return previous;
}

COLORREF GetBkColor(HDC dc) {
    DeviceContext* c = LiveDC(dc);
    return c ? c->draw.bkColor : CLR_INVALID;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    DeviceContext* c = LiveDC(dc);
    if (!c) return CLR_INVALID;
    COLORREF previous = c->textColor;
    c->textColor = colour & 0x00FFFFFF;
    return previous;
}

COLORREF GetTextColor(HDC dc) {
    DeviceContext* c = LiveDC(dc);
    return c ? c->textColor : CLR_INVALID;
}

int SetPolyFillMode(HDC dc, int mode) {
    DeviceContext* c = LiveDC(dc);
    if (!c || (mode != ALTERNATE && mode != WINDING)) return 0;
    int previous = static_cast<int>(c->draw.fillMode);
    c->draw.fillMode = static_cast<r::FillMode>(mode);
    return previous;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    DeviceContext* c = LiveDC(dc);
    if (!c) return 0;
    r::Point old;
    r::MoveTo(c->draw, x, y, &old);
    if (previous) *previous = {old.x, old.y};
    return 1;
}

BOOL LineTo(HDC dc, int x, int y) {
    DeviceContext* c = LiveDC(dc);
    if (!c) return 0;
    if (!c->view.pixels) {
        c->draw.position = {x, y};
        return 1;
    }
    r::State s = portable::StateOf(*c);
    r::LineTo(r::Target(c->view), s, x, y);
    c->draw.position = s.position;
    return 1;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !points || count < 2) return 0;
    if (!c->view.pixels) return 1;
    auto pts = portable::Points(points, static_cast<std::size_t>(count));
    return r::Polyline(r::Target(c->view), portable::StateOf(*c), pts.data(), count) ? 1 : 0;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    DeviceContext* c = LiveDC(dc);
    if (!c) return 0;
    if (c->view.pixels) r::Rectangle(r::Target(c->view), portable::StateOf(*c), left, top, right, bottom);
    return 1;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !points || count < 2) return 0;
    if (!c->view.pixels) return 1;
    auto pts = portable::Points(points, static_cast<std::size_t>(count));
    return r::Polygon(r::Target(c->view), portable::StateOf(*c), pts.data(), count) ? 1 : 0;
}

BOOL PolyBezier(HDC dc, const POINT* points, DWORD count) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !points || count % 3 != 1 ||
        count > static_cast<DWORD>(std::numeric_limits<int>::max()))
        return 0;
    if (!c->view.pixels) return 1;
    auto pts = portable::Points(points, count);
    return r::PolyBezier(r::Target(c->view), portable::StateOf(*c), pts.data(), static_cast<int>(count)) ? 1
                                                                                                          : 0;
}

BOOL InvertRect(HDC dc, const RECT* rect) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !rect) return 0;
    if (c->view.pixels) r::InvertRect(r::Target(c->view), {rect->left, rect->top, rect->right, rect->bottom});
    return 1;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !rect || !portable::IsLiveObject(brush) || brush->kind != GdiObject::Kind::Brush) return 0;
    if (c->view.pixels)
        r::FillRect(r::Target(c->view), {rect->left, rect->top, rect->right, rect->bottom},
                    static_cast<portable::BrushObject*>(brush)->brush, c->draw.bkMode, c->draw.bkColor);
    return 1;
}

}  // namespace plat
