// Software pixel effects: draws and filters computed on the CPU on locked
// 16-bit surfaces, with the channel layout of PixelFormat and the lookup
// tables that elDraw::Screen builds.
//
// Object effects take the destination point, their own parameters, the
// object slot and the source rectangle (right and bottom exclusive). They
// return 1 when done or when nothing was to be drawn, 0 when a surface could
// not be locked, the slot holds no surface or the display is not 16-bit.
// An object pixel of value 0 is transparent and leaves the back surface as it is.
#pragma once

#include <cstddef>
#include <cstdint>

#include "draw/elDraw.h"

namespace elDraw {

// ---- Shared machinery ------------------------------------------------------------

// One pass of an object effect: the clipped rectangle, its first rows in both
// surfaces and the pitches in pixels. firstColumn and firstRow tell how far
// the pass starts past the origin left after cutting to ClipRect (non-zero
// only when the rectangle also had to be cut to the surfaces themselves).
struct ObjectPass {
    const std::uint16_t* source = nullptr;
    std::uint16_t* dest = nullptr;
    std::ptrdiff_t sourcePitch = 0;
    std::ptrdiff_t destPitch = 0;
    int width = 0;
    int height = 0;
    int firstColumn = 0;
    int firstRow = 0;
    plat::IDirectDrawSurface* objectSurface = nullptr;
    void* objectBits = nullptr;
    void* backBits = nullptr;
};

// Result of BeginObjectPass when both surfaces are locked.
constexpr int kPassLocked = 2;

// Cuts the rectangle to ClipRect, locks the object's surface and then the back
// surface, and cuts further to both surfaces' real sizes. Returns kPassLocked
// (EndObjectPass must follow), or the effect's result: 1 when the rectangle
// lies wholly outside ClipRect (nothing locked), 0 when a lock failed, the
// slot is empty or out of range, or a surface is not 16-bit.
int BeginObjectPass(int x, int y, int slot, int left, int top, int right, int bottom,
                    ObjectPass& pass);
// Unlocks the object's surface, then the back surface.
void EndObjectPass(ObjectPass& pass);

// Runs rowRule(dest, source, width, row, column) over every row of the pass.
// row and column are the positions of the row and of its first pixel counted
// from the corner left after cutting to ClipRect.
template <class RowRule>
int RunObjectEffect(int x, int y, int slot, int left, int top, int right, int bottom,
                    RowRule&& rowRule) {
    ObjectPass pass;
    const int started = BeginObjectPass(x, y, slot, left, top, right, bottom, pass);
    if (started != kPassLocked) return started;
    const std::uint16_t* source = pass.source;
    std::uint16_t* dest = pass.dest;
    for (int row = 0; row < pass.height; ++row) {
        rowRule(dest, source, pass.width, pass.firstRow + row, pass.firstColumn);
        source += pass.sourcePitch;
        dest += pass.destPitch;
    }
    EndObjectPass(pass);
    return 1;
}

// A cursor into NoiseTable, kept by each effect that reads noise. Reads the
// entries in order; after the last one it goes on at rand() % 1000, so later
// passes differ from the first.
struct NoiseCursor {
    int index = 0;
    std::uint8_t Next();
};

// 5-bit packing with the 5-bit shifts of PixelFormat.
inline std::uint16_t Pack5(unsigned r, unsigned g, unsigned b) {
    return static_cast<std::uint16_t>((r << PixelFormat.red5Shift) | (g << PixelFormat.green5Shift) |
                                      (b << PixelFormat.blue5Shift));
}

// ---- Blended draws (mix the object with the back surface) -------------------------

int DrawHalfBlend(int x, int y, int slot, int left, int top, int right, int bottom);
int DrawAlphaBlend(int x, int y, float opacity, int slot, int left, int top, int right, int bottom);
int DrawAlphaBlendRGB(int x, int y, float red, float green, float blue, int slot, int left, int top,
                      int right, int bottom);
int DrawFadeBlend(int x, int y, int level, int slot, int left, int top, int right, int bottom);
int DrawFadeBlendRGB(int x, int y, int red, int green, int blue, int slot, int left, int top,
                     int right, int bottom);
// The object's share grows by 1/32 every step positions after start (its low
// 16 bits), along each row (direction 0) or down the rows.
int DrawGradientAlpha(int x, int y, float red, float green, float blue, int direction,
                      unsigned start, int step, int slot, int left, int top, int right, int bottom);
int DrawGradientFade(int x, int y, int red, int green, int blue, int direction, unsigned start,
                     int step, int slot, int left, int top, int right, int bottom);
int DrawAdd(int x, int y, int slot, int left, int top, int right, int bottom);
int DrawAddLevel(int x, int y, float strength, int slot, int left, int top, int right, int bottom);
// Darkens every channel of the back surface by the object's red channel.
int DrawSubtract(int x, int y, int slot, int left, int top, int right, int bottom);

// ---- Recoloured draws (replace the back surface) -------------------------------------

int DrawChannelMask(int x, int y, int red, int green, int blue, int slot, int left, int top,
                    int right, int bottom);
int DrawBright(int x, int y, float factor, int slot, int left, int top, int right, int bottom);
int DrawBrightRGB(int x, int y, float red, float green, float blue, int slot, int left, int top,
                  int right, int bottom);
int DrawDark(int x, int y, int level, int slot, int left, int top, int right, int bottom);
int DrawDarkRGB(int x, int y, int red, int green, int blue, int slot, int left, int top, int right,
                int bottom);
int DrawGray(int x, int y, int slot, int left, int top, int right, int bottom);

}  // namespace elDraw
