// GDI objects and device contexts of the portable platform, shared by the
// files that draw through GDI (bitmaps and transfers, shapes, text). Nothing
// outside platform/portable includes this.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi.h"
#include "platform/portable/ddraw_pixels.h"
#include "platform/portable/gdi_raster.h"

namespace plat {

// Base of every GDI object. Objects are registered when made (RegisterObject)
// so that handles can be checked, and deleted through DeleteObject.
struct GdiObject {
    enum class Kind { Bitmap, Pen, Brush, Font };
    explicit GdiObject(Kind k) : kind(k) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() = default;

    const Kind kind;
    int selections = 0;  // device contexts it is currently selected into
    bool stock = false;  // made by GetStockObject: never deleted
};

// One device context: the pixels it draws on and the objects selected into
// it. (The drawing state of shapes and text belongs here too, added by the
// code that draws them.)
struct DeviceContext {
    portable::PixelView view;  // the pixels it draws on; empty (no pixels) draws nothing
    bool memory = false;       // made by CreateCompatibleDC (else lent by a surface)
    GdiObject* bitmap = nullptr;  // memory device contexts: the selected bitmap
    GdiObject* pen = nullptr;     // null: the default pen
    GdiObject* brush = nullptr;   // null: the default brush
    GdiObject* font = nullptr;    // null: the default font
    // Shapes and text: background mode and colour, fill mode and current
    // position (the pen and brush fields are taken from the selected
    // objects when drawing), and the text colour.
    portable::raster::State draw;
    std::uint32_t textColor = 0x000000;
};

namespace portable {

namespace fonts {
class Font;
}

// A pen or brush: the rasteriser's description of it.
struct PenObject : GdiObject {
    explicit PenObject(const raster::Pen& p) : GdiObject(Kind::Pen), pen(p) {}
    raster::Pen pen;
};
struct BrushObject : GdiObject {
    explicit BrushObject(const raster::Brush& b) : GdiObject(Kind::Brush), brush(b) {}
    raster::Brush brush;
};
// A font: its description and the face made from it.
struct FontObject : GdiObject {
    explicit FontObject(const LOGFONTA& description);
    ~FontObject() override;
    LOGFONTA logFont;
    std::unique_ptr<fonts::Font> font;
};

// What a device context holds while nothing else of that kind is selected
// (the stock black pen, white brush and system font); null for bitmaps.
GdiObject* DefaultObject(GdiObject::Kind kind);

// A bitmap: 32-bit pixels 0x00RRGGBB, rows top to bottom.
struct Bitmap : GdiObject {
    Bitmap(int w, int h);
    int width;
    int height;
    std::vector<std::uint32_t> pixels;
    PixelView View();
};

void RegisterObject(GdiObject* object);
bool IsLiveObject(HGDIOBJ object);
// Device contexts lent by surfaces, over their pixels.
HDC CreateSurfaceDC(const PixelView& view);
void DestroySurfaceDC(HDC dc);
// The context behind a handle, or null for handles that are not (or no
// longer) device contexts of this layer, such as a window's.
DeviceContext* LiveDC(HDC dc);

// Decodes a BMP file held in memory into a new registered bitmap; null when
// the data are not a BMP this layer reads. Sizes are checked against the
// data before anything is allocated for the pixels.
Bitmap* DecodeBmp(const std::uint8_t* data, std::size_t size);

// Decodes a bitmap resource: a packed DIB (a BMP file without its file
// header), bounded by `size` like DecodeBmp.
Bitmap* DecodePackedDib(const std::uint8_t* dib, std::size_t size);

// Forgets the bitmap resources added at run time (headless reset); the
// executable's embedded ones stay.
void ResetBitmapResources();

}  // namespace portable
}  // namespace plat
