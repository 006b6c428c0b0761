// Software pixel effects: draws and filters computed on the CPU on locked
// 16-bit surfaces, with the channel layout of PixelFormat and the lookup
// tables that elDraw::Screen builds.
//
// Object effects take the destination point, their own parameters, the
// object slot and the source rectangle (right and bottom exclusive). They
// return 1 when done or when nothing was to be drawn, 0 when a surface could
// not be locked, the slot holds no surface or the display is not 16-bit.
// An object pixel of value 0 is transparent and leaves the back surface as it is.
//
// The shared machinery below (ObjectPass to Pack5, the noise cursors and run
// counters, the tunnel table) is internal: the effects use it, a game does not.
#pragma once

#include <cstddef>
#include <cstdint>

#include "draw/effects/locked_pixels.h"
#include "draw/elDraw.h"

namespace elDraw {

// ---- Shared machinery ------------------------------------------------------------

// One pass of an object effect: the clipped rectangle, its first rows in both
// surfaces and the pitches in pixels. firstColumn and firstRow tell how far
// the pass starts past the origin left after cutting to ClipRect (non-zero
// only when the rectangle also had to be cut to the surfaces themselves).
struct ObjectPass {
    const std::uint16_t* source = nullptr;  // first source pixel of the pass
    std::uint16_t* dest = nullptr;          // first back-surface pixel of the pass
    std::ptrdiff_t sourcePitch = 0;         // source row step in pixels
    std::ptrdiff_t destPitch = 0;           // back-surface row step in pixels
    int width = 0;                          // pixels per row
    int height = 0;                         // rows
    int firstColumn = 0;                    // columns cut away at the left (see above)
    int firstRow = 0;                       // rows cut away at the top (see above)
    plat::IDirectDrawSurface* objectSurface = nullptr;  // the locked object surface
    void* objectBits = nullptr;             // the object's locked bits
    void* backBits = nullptr;               // the back surface's locked bits
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
// entries in order; after the last one it goes on at elSystem::Random() % 1000, so later
// passes differ from the first.
struct NoiseCursor {
    int index = 0;       // next entry of NoiseTable
    std::uint8_t Next(); // the next noise value (0-2)
};

// The object rectangle cut to ClipRect: first at the right and bottom, then at
// the left and top, moving the source corner with the destination. False when
// nothing is left (a width or height below 0; exactly 0 still counts).
struct ClippedRect {
    std::int64_t x = 0;       // destination corner x
    std::int64_t y = 0;       // destination corner y
    std::int64_t left = 0;    // source corner x
    std::int64_t top = 0;     // source corner y
    std::int64_t width = 0;   // width left after the cut
    std::int64_t height = 0;  // height left after the cut
};
// Cuts the rectangle as described above into `cut`.
bool CutToClip(int x, int y, int left, int top, int right, int bottom, ClippedRect& cut);

// Locks the slot's surface, then the back surface. 0 (nothing locked) when
// the slot is empty or either lock fails, else kPassLocked; UnlockPair undoes
// it in the same order.
int LockPair(int slot, LockedPixels& object, LockedPixels& back);
// Unlocks what LockPair locked.
void UnlockPair(LockedPixels& object, LockedPixels& back);

// The part [first, end) of the span [start, start + length) that lies inside
// [0, limit); empty (first == end) when none does.
struct Span {
    int first = 0;                             // first position inside
    int end = 0;                               // one past the last position inside
    int size() const { return end - first; }   // positions inside
};
// The part of [start, start + length) inside [0, limit) (see Span).
Span CutSpan(std::int64_t start, std::int64_t length, std::int64_t limit);

// Visible part of a destination rectangle: columns [i0, i1) and rows
// [j0, j1) counted from its corner (x1, y1), cut to ClipRect and to the back
// surface of the given size. False when no pixel is visible.
struct VisibleRange {
    std::int64_t i0 = 0;  // first visible column
    std::int64_t i1 = 0;  // one past the last visible column
    std::int64_t j0 = 0;  // first visible row
    std::int64_t j1 = 0;  // one past the last visible row
};
// Finds the visible part of a destination rectangle (see VisibleRange).
bool CutDestination(std::int64_t x1, std::int64_t y1, std::int64_t width, std::int64_t height,
                    int surfaceWidth, int surfaceHeight, VisibleRange& range);

// An angle in whole degrees brought into 0-359 (negative ones too).
int NormalizeAngle(int angle);

// 5-bit packing with the 5-bit shifts of PixelFormat.
inline std::uint16_t Pack5(unsigned r, unsigned g, unsigned b) {
    return static_cast<std::uint16_t>((r << PixelFormat.red5Shift) | (g << PixelFormat.green5Shift) |
                                      (b << PixelFormat.blue5Shift));
}

// ---- Blended draws (mix the object with the back surface) -------------------------

// Each pixel half the object's and half the back surface's.
int DrawHalfBlend(int x, int y, int slot, int left, int top, int right, int bottom);
// The object over the back surface at `opacity` (0.0 back surface only to
// 1.0 object only; held in range).
int DrawAlphaBlend(int x, int y, float opacity, int slot, int left, int top, int right, int bottom);
// As DrawAlphaBlend with an opacity of its own for each channel (0.0-1.0).
int DrawAlphaBlendRGB(int x, int y, float red, float green, float blue, int slot, int left, int top,
                      int right, int bottom);
// A cross fade in 5-bit steps: `level` 31 shows the object alone, 0 the back
// surface alone (0-31; held in range).
int DrawFadeBlend(int x, int y, int level, int slot, int left, int top, int right, int bottom);
// As DrawFadeBlend with a level of its own for each channel (0-31).
int DrawFadeBlendRGB(int x, int y, int red, int green, int blue, int slot, int left, int top,
                     int right, int bottom);
// The object's share grows by 1/32 every step positions after start (its low
// 16 bits), along each row (direction 0) or down the rows.
int DrawGradientAlpha(int x, int y, float red, float green, float blue, int direction,
                      unsigned start, int step, int slot, int left, int top, int right, int bottom);
// As DrawFadeBlendRGB, each level (0-31) rising by 1 towards 31 (the object
// alone) every `step` positions (at least 1) after `start` (its low 16
// bits), along each row (direction 0) or down the rows.
int DrawGradientFade(int x, int y, int red, int green, int blue, int direction, unsigned start,
                     int step, int slot, int left, int top, int right, int bottom);
// Adds the object's channels to the back surface's, each held at 31.
int DrawAdd(int x, int y, int slot, int left, int top, int right, int bottom);
// As DrawAdd with the object first scaled by `strength` (0.0-1.0).
int DrawAddLevel(int x, int y, float strength, int slot, int left, int top, int right, int bottom);
// Darkens every channel of the back surface by the object's red channel.
int DrawSubtract(int x, int y, int slot, int left, int top, int right, int bottom);

// ---- Recoloured draws (replace the back surface) -------------------------------------

// The object with only the channels whose flag is non-zero.
int DrawChannelMask(int x, int y, int red, int green, int blue, int slot, int left, int top,
                    int right, int bottom);
// The object with every channel scaled by `factor` (0.0 black to 1.0 as it is).
int DrawBright(int x, int y, float factor, int slot, int left, int top, int right, int bottom);
// As DrawBright with a factor of its own for each channel (0.0-1.0).
int DrawBrightRGB(int x, int y, float red, float green, float blue, int slot, int left, int top,
                  int right, int bottom);
// The object with every 5-bit channel lowered by 31 - level (level 31 as it
// is, 0 black; 0-31, held in range).
int DrawDark(int x, int y, int level, int slot, int left, int top, int right, int bottom);
// As DrawDark with a level of its own for each channel (0-31).
int DrawDarkRGB(int x, int y, int red, int green, int blue, int slot, int left, int top, int right,
                int bottom);
// The object in grey.
int DrawGray(int x, int y, int slot, int left, int top, int right, int bottom);

// ---- Screen region effects (rework a region of the back surface in place) -------
//
// A region is x, y, width, height of the back surface. The part of it that
// lies outside the surface is cut away first (for the rises, the row below
// the region must exist too); the effect then runs on what is left as if
// that had been given. Empty regions return 1 without touching anything.

// Noise cursors and run counters of the region effects, one each per
// operation, kept for the whole program.
extern NoiseCursor RiseNoise;             // noise of ScreenRise
extern NoiseCursor RiseFadeNoise;         // noise of ScreenRiseFade
extern NoiseCursor ScreenNoiseCursor;     // noise of ScreenNoise
extern NoiseCursor ScreenNoiseRGBCursor;  // noise of ScreenNoiseRGB
extern int RiseRunCounter;                // runs of ScreenRise
extern int RiseFadeRunCounter;            // runs of ScreenRiseFade

// Rows 1 to height - 2 rise by one row, each pixel copied from below or
// replaced by the four-neighbour average of the pixel below, as the noise
// decides; reads the row below the region.
int ScreenRise(int x, int y, int width, int height);
// As ScreenRise; averaged pixels lose 1 in each flagged 5-bit channel.
int ScreenRiseFade(int red, int green, int blue, int x, int y, int width, int height);
// In-place four-neighbour average of the inner pixels, left to right and top
// to bottom (so left and upper neighbours are already smoothed).
int ScreenBlur(int x, int y, int width, int height);
// As ScreenBlur; averaged pixels lose 1 in each flagged 5-bit channel.
int ScreenBlurFade(int red, int green, int blue, int x, int y, int width, int height);
// Magnify the region 2x or 4x through the Buffer object (slot 0) and draw it
// solid at (x, y), cut to ClipRect. Dotted: one pixel (2x) or a 2 x 2 dot
// (4x) per source pixel; the rest of each block keeps what the Buffer held.
int ScreenZoom2(int x, int y, int width, int height, int dotted);
// The 4x magnification (see ScreenZoom2).
int ScreenZoom4(int x, int y, int width, int height, int dotted);
// Blocks of block x block pixels, each the colour of its top-left pixel,
// inside the circle of the radius around (cx, cy).
int ScreenMosaicCircle(int cx, int cy, int radius, int block);
// Adds noise (0-2, shifted left by shift) to every 5-bit channel, or to the
// flagged ones, saturating at 31.
int ScreenNoise(int shift, int x, int y, int width, int height);
// As ScreenNoise, only to the channels whose flag is non-zero.
int ScreenNoiseRGB(int red, int green, int blue, int shift, int x, int y, int width, int height);

// ---- Rotated and warped draws ---------------------------------------------------------
//
// The rotations fill the destination rectangle (x1, y1)-(x2, y2) (right and
// bottom exclusive) with the source rectangle turned by angle degrees about
// the rectangle's centre, nearest pixel, cut to ClipRect pixel by pixel so a
// cut draw shows exactly the pixels of the whole one. The tiled variants
// repeat the source over the whole rectangle, mirrored at its origin.

// The source turned by `angle` degrees (any value) into the rectangle.
int DrawRotate(int x1, int y1, int x2, int y2, int angle, int slot, int left, int top, int right,
               int bottom);
// As DrawRotate, the source repeated over the whole rectangle.
int DrawRotateTile(int x1, int y1, int x2, int y2, int angle, int slot, int left, int top,
                   int right, int bottom);
// As DrawRotate, magnified `zoom` times.
int DrawRotateZoom(int x1, int y1, int x2, int y2, int angle, float zoom, int slot, int left,
                   int top, int right, int bottom);
// As DrawRotateTile, magnified `zoom` times.
int DrawRotateZoomTile(int x1, int y1, int x2, int y2, int angle, float zoom, int slot, int left,
                       int top, int right, int bottom);
// A tiled floor: the zooms grow by their steps after every row, and every
// pixel's 5-bit channels are scaled by the colour factors (0.0-1.0).
int DrawRotateFloor(int x1, int y1, int x2, int y2, int angle, float xZoom, float xZoomStep,
                    float yZoom, float yZoomStep, float red, float green, float blue, int slot,
                    int left, int top, int right, int bottom);
// Every step-th pixel of every step-th row is moved by a radial cosine wave
// of the amplitude and frequency, scaled and sheared; copies 0 as well.
int DrawRipple(int x, int y, int amplitude, int frequency, int step, float scale, float shear,
               int slot, int left, int top, int right, int bottom);

// ---- Filtered draws (look at neighbouring pixels) -----------------------------------

// Sends light from every object pixel along the chosen directions (bits:
// 0x01 down-left, 0x02 down, 0x04 down-right, 0x08 left, 0x10 right,
// 0x20 up-left, 0x40 up, 0x80 up-right), fading by one 5-bit step per pixel
// and adding up on the back surface within ClipRect. Each channel's light is
// the object's 5-bit value shifted right by its shift (5 or more: none), less
// a noise value; with copy non-zero the object is drawn too.
int DrawGlow(int x, int y, unsigned redShift, unsigned greenShift, unsigned blueShift,
             int directions, int copy, int slot, int left, int top, int right, int bottom);
// Index of the glow's next noise value in NoiseTable; after the last entry
// it starts again at 0.
extern int GlowNoiseCursor;
// Averages each border pixel of the object with the background under its
// transparent neighbours.
int DrawSmoothEdge(int x, int y, int slot, int left, int top, int right, int bottom);
// Each opaque pixel becomes the average of the n x n block of the object
// starting at it, the block moved back to end inside the visible rectangle
// (and narrowed to it where it is smaller). n below 1 is refused with 0.
int DrawBlur(int x, int y, int n, int slot, int left, int top, int right, int bottom);
// Under each opaque pixel the back surface shows itself d rows further down,
// d = the object's red 5-bit value less 31 - trunc(strength * 31); strength
// is clamped to 0.0-1.0.
int DrawRefract(int x, int y, float strength, int slot, int left, int top, int right, int bottom);
// Repeats one column or row of the object, position counted from the first
// visible one, out to a screen edge: type 0 right, 1 left, 2 down, 3 up.
// Types 1 and 3 also fill the screen beyond the object's left or top edge,
// regardless of ClipRect. The position (low 16 bits) may lie past a clipped
// edge; one outside the source rectangle or the object is held at its last
// column or row.
int DrawStretchEdge(int x, int y, int type, unsigned position, int slot, int left, int top,
                    int right, int bottom);

// ---- Tunnel mapping -------------------------------------------------------------------

// Computes TunnelTable for a texture of the given size: per cell, u from the
// angle around the centre (-1: the table's middle) and v from the inverse
// distance. sides (-1: 8, at least 2) sets the depth scale; drift 1 moves
// the centre up one cell per row, 2 right to left along each row, 3 left and
// 4 right one cell per row; measure 0 round, 1 square, 2 diamond, 3 min,
// 4 |dx|, 5 |dy|, 6 the centre's x; curve 0 flat, 1 by rows, 2 by columns,
// 3 square, 4 diamond, 5 min. The centre cell, and cells where a curve
// divides by zero, get v = 0. A table may be larger than the screen (the
// draw shows the part on the back surface). Textures above 32767 pixels,
// tables of more cells than TunnelTable holds, and other measures or curves
// are refused through the error box, leaving the previous table.
void MakeTunnel(int textureWidth, int textureHeight, int tableWidth, int tableHeight, int centreX,
                int centreY, int sides, int drift, int measure, int curve);
// Draws the texture through the table with its top-left cell at (x, y) of the
// back surface (not cut to ClipRect, only to the surface), scrolled by du
// along u and dv along v (any sign; they wrap). 0 when a lock fails or the
// texture is smaller than the tunnel was made for.
int DrawTunnel(int x, int y, int du, int dv, int slot);
// The sizes MakeTunnel last stored.
extern int TunnelTextureWidth;   // texture width MakeTunnel last stored
extern int TunnelTextureHeight;  // texture height MakeTunnel last stored
extern int TunnelWidth;          // table width MakeTunnel last stored
extern int TunnelHeight;         // table height MakeTunnel last stored

}  // namespace elDraw

// Texture coordinates of the tunnel, row-major with the table width as stride.
struct TunnelCell {
    std::int16_t u;  // texture column
    std::int16_t v;  // texture row
};
constexpr int kTunnelCells = 307200;  // room for 640 x 480
// Internal: the table MakeTunnel fills and DrawTunnel reads.
extern TunnelCell TunnelTable[kTunnelCells];
