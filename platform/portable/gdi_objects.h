// GDI objects and device contexts of the portable platform, shared by the
// files that draw through GDI (bitmaps and transfers, shapes, text). Nothing
// outside platform/portable includes this.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi.h"
#include "platform/portable/pixels.h"

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
};

namespace portable {

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

// Forgets the bitmap resources (headless reset).
void ResetBitmapResources();

}  // namespace portable
}  // namespace plat
