// Raster draws and clip wipes: pictures drawn row by row with a cosine wobble,
// tiled and scrolling, with rows repeated, skipped or jittered, rolled like a
// drum, mirrored pixel by pixel; and wipes that animate ClipRect itself so
// that every following draw opens or closes from an edge, the centre or a band.
//
// The row draws issue one keyed (or solid) blit per source row through
// elDraw::Draw, so they share its clipping and surface-loss handling. Every
// animation keeps its own phase or offsets, advanced by FrameDelta at the end
// of each call.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "draw/elDraw.h"
#include "system/elSystem.h"
#include "system/random.h"

using namespace plat;

namespace elDraw {

int ClipWipeClosing = 0;
int ClipWipeType = 0;
float ClipWipeSpeed = 0.0f;
int ClipWipeBand = 0;
int ClipWipeOpened = 0;
int ClipWipeClosed = 0;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Persistent animation state, one set per operation.
float wavePhase = 0.0f;
int waveSign = 1;  // shared by every alternating DrawWave call
float tiledOffsetX = 0.0f;
float tiledOffsetY = 0.0f;
float waveScrollPhase = 0.0f;
float waveScrollOffset = 0.0f;
float waveTiledPhase = 0.0f;
float waveTiledOffset = 0.0f;
float rollPhase = 0.0f;

// Float to int, truncating toward zero; values beyond the int range (or NaN)
// are held at a bound instead of being undefined.
int Trunc(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

// Horizontal offset of the wave for a source row.
int WaveOffset(int amplitude, int divisor, float phase, long long row) {
    // 64 bits: a row far down a band plus the phase must not overflow.
    const long long angle = divisor == 0 ? Trunc(phase) + row : row / divisor + Trunc(phase);
    return Trunc(amplitude * std::cos(static_cast<double>(angle) * 2.0 * kPi / 360.0));
}

// Brings a value into [0, period) however far a large FrameDelta or a
// negative speed has carried it.
float Wrap(float value, float period) {
    if (!(period > 0.0f) || !std::isfinite(value)) return 0.0f;
    value = std::fmod(value, period);
    if (value < 0.0f) value += period;
    if (value >= period) value = 0.0f;  // rounding of a tiny negative remainder
    return value;
}

// Below this size a float phase (degrees or rows) is exact to 1/64 of a
// unit: hundreds of turns, minutes of animation at any ordinary speed.
constexpr float kLargestExactPhase = 262144.0f;

// A wave phase advances by one step and turns back by 360 degrees when it
// reaches a full turn. A negative speed carries it below 0 without a turn
// back: cos of an angle and of the angle less a turn differ in the last bit,
// which can change a truncated offset, so the phase is kept as it is until it
// leaves the range where a float holds it exactly; only then is it taken to
// its remainder (exact, and the same angle).
void AdvanceWavePhase(float& phase, float speed) {
    phase += FrameDelta * speed;
    if (phase >= 360.0f) phase -= 360.0f;
    if (!std::isfinite(phase)) phase = 0.0f;
    else if (!(std::fabs(phase) < kLargestExactPhase)) phase = std::fmod(phase, 360.0f);
}

// A tiling offset moves by one step and is put back by one tile when it
// leaves [-tile, 0]; a step of more than a tile is brought into (-tile, 0].
float AdvanceTileOffset(float offset, float step, int tile) {
    const auto t = static_cast<float>(tile);
    offset += step;
    if (offset < -t) offset += t;
    if (offset > 0.0f) offset -= t;
    if (offset < -t || offset > 0.0f || !std::isfinite(offset)) {
        offset = Wrap(offset, t);
        if (offset > 0.0f) offset -= t;
    }
    return offset;
}

// A scroll offset moves by one step and is put back by one period when it
// leaves [0, period); a step of more than a period takes the remainder.
float AdvanceScroll(float scroll, float step, int period) {
    const auto h = static_cast<float>(period);
    scroll += step;
    if (scroll < 0.0f) scroll += h;
    if (scroll >= h) scroll -= h;
    if (!(scroll >= 0.0f && scroll < h)) scroll = Wrap(scroll, h);
    return scroll;
}

void DrawRow(int x, int y, int slot, int sx, int ex, int row) { Draw(x, y, slot, sx, row, ex, row + 1); }

bool FitsInt(long long v) { return v >= INT_MIN && v <= INT_MAX; }

// Rows a shake takes a random number for one by one (a few milliseconds' worth).
constexpr long long kMostShakenRows = 1LL << 20;

// Draws source row `row` at (x, y) given in 64 bits; a place beyond the int
// range is off every surface and draws nothing.
void DrawRowAt(long long x, long long y, int slot, int sx, int ex, long long row) {
    if (FitsInt(x) && FitsInt(y) && FitsInt(row))
        DrawRow(static_cast<int>(x), static_cast<int>(y), slot, sx, ex, static_cast<int>(row));
}

// Rows of the back surface that a row draw can reach: inside ClipRect and
// inside the surface. Rows outside are cut away whole by the blit, so the
// row loops skip them instead of visiting billions of them.
struct RowRange {
    long long first, end;
};
RowRange VisibleRows() {
    return {std::max<long long>(ClipRect.top, 0), std::min<long long>(ClipRect.bottom, ScreenHeight)};
}

// Rows that exist in an object: a source row outside them draws nothing.
long long ObjectRows(int slot) {
    const ObjectRecord* record = Object(slot);
    return record ? record->height : 0;
}

}  // namespace

void ResetRasterAnimations() {
    wavePhase = 0.0f;
    waveSign = 1;
    tiledOffsetX = tiledOffsetY = 0.0f;
    waveScrollPhase = waveScrollOffset = 0.0f;
    waveTiledPhase = waveTiledOffset = 0.0f;
    rollPhase = 0.0f;
}

void DrawWave(int x, int y, int amplitude, int divisor, float speed, int slot, int sx, int sy, int ex,
              int ey, int alternate) {
    if (ObjectSurface(slot) && ey > sy) {
        // Only source rows of the object whose place is visible can draw;
        // the alternating sign still turns once for every row skipped.
        const RowRange visible = VisibleRows();
        const long long first = std::max({static_cast<long long>(sy), 0LL, sy + visible.first - y});
        const long long end = std::min({static_cast<long long>(ey), ObjectRows(slot), sy + visible.end - y});
        const long long rows = static_cast<long long>(ey) - sy;
        if (first >= end) {
            if (alternate && (rows & 1)) waveSign = -waveSign;
        } else {
            if (alternate && ((first - sy) & 1)) waveSign = -waveSign;
            for (long long r = first; r < end; ++r) {
                int offset = WaveOffset(amplitude, divisor, wavePhase, r);
                if (alternate) {
                    offset *= waveSign;
                    waveSign = -waveSign;
                }
                DrawRowAt(static_cast<long long>(x) + offset, static_cast<long long>(y) + (r - sy), slot, sx, ex, r);
            }
            if (alternate && ((ey - end) & 1)) waveSign = -waveSign;
        }
    }
    AdvanceWavePhase(wavePhase, speed);
}

void DrawTiled(float speedX, float speedY, int slot, int sx, int sy, int ex, int ey) {
    const long long tileWidth = static_cast<long long>(ex) - sx, tileHeight = static_cast<long long>(ey) - sy;
    // An empty tile would never cover the screen; one wider than the int
    // range cannot be part of an object.
    if (tileWidth <= 0 || tileHeight <= 0 || !FitsInt(tileWidth) || !FitsInt(tileHeight) || !ObjectSurface(slot))
        return;
    const int w = static_cast<int>(tileWidth), h = static_cast<int>(tileHeight);
    const int columns = ScreenWidth / w + 2, rows = ScreenHeight / h + 2;
    const long long ox = Trunc(tiledOffsetX), oy = Trunc(tiledOffsetY);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const long long tx = tileWidth * i + ox, ty = tileHeight * j + oy;
            if (FitsInt(tx) && FitsInt(ty)) Draw(static_cast<int>(tx), static_cast<int>(ty), slot, sx, sy, ex, ey);
        }
    // Offsets stay within one tile of 0 so that the grid covers the screen
    // whichever way it scrolls.
    tiledOffsetX = AdvanceTileOffset(tiledOffsetX, FrameDelta * speedX, w);
    tiledOffsetY = AdvanceTileOffset(tiledOffsetY, FrameDelta * speedY, h);
}

void DrawWaveScroll(int x, int y, int amplitude, int divisor, float waveSpeed, float scrollSpeed, int slot,
                    int sx, int sy, int ex, int ey) {
    const long long h = static_cast<long long>(ey) - sy;
    if (h <= 0 || !FitsInt(h) || !ObjectSurface(slot)) return;
    const long long scroll = Trunc(waveScrollOffset);
    // Only rows whose place is visible can draw.
    const RowRange visible = VisibleRows();
    const long long first = std::max<long long>(sy, visible.first - y);
    const long long end = std::min<long long>(ey, visible.end - y);
    for (long long r = first; r < end; ++r) {
        const int offset = WaveOffset(amplitude, divisor, waveScrollPhase, r);
        long long s = scroll + r;
        if (s >= ey) s = sy + (s - ey) + 1;
        DrawRowAt(static_cast<long long>(x) + offset, y + r, slot, sx, ex, s);
    }
    AdvanceWavePhase(waveScrollPhase, waveSpeed);
    waveScrollOffset = AdvanceScroll(waveScrollOffset, -(FrameDelta * scrollSpeed), static_cast<int>(h));
}

void DrawWaveTiled(int top, int bottom, int amplitude, int divisor, float waveSpeed, float scrollSpeed,
                   int slot, int sx, int sy, int ex, int ey) {
    const long long tileHeight = static_cast<long long>(ey) - sy, tileWidth = static_cast<long long>(ex) - sx;
    if (tileHeight <= 0 || tileWidth <= 0 || !FitsInt(tileHeight) || !FitsInt(tileWidth) || !ObjectSurface(slot))
        return;
    const int h = static_cast<int>(tileHeight);
    const long long scroll = Trunc(waveTiledOffset);
    const int tiles = ScreenWidth / static_cast<int>(tileWidth) + 2;
    // Only band rows whose place is visible can draw.
    const RowRange visible = VisibleRows();
    const long long first = std::max<long long>(0, visible.first - top);
    const long long end = std::min<long long>(static_cast<long long>(bottom) - top, visible.end - top);
    for (long long k = first; k < end; ++k) {
        long long s = k % h + scroll;
        if (s > h - 1) s -= h;
        const int offset = WaveOffset(amplitude, divisor, waveTiledPhase, k);
        for (int n = 0; n < tiles; ++n)
            DrawRowAt(tileWidth * n + offset - static_cast<long long>(amplitude), top + k, slot, sx, ex, sy + s);
    }
    AdvanceWavePhase(waveTiledPhase, waveSpeed);
    waveTiledOffset = AdvanceScroll(waveTiledOffset, -(FrameDelta * scrollSpeed), h);
}

void DrawBlockRows(int x, int y, int block, int slot, int sx, int sy, int ex, int ey) {
    if (block <= 0 || !ObjectSurface(slot)) return;  // a block of no rows would never advance
    // Source rows outside the object and places outside the visible rows
    // draw nothing: the loops start and stop at them.
    const RowRange visible = VisibleRows();
    const long long rowsEnd = std::min<long long>(ey, ObjectRows(slot));
    long long r = sy;
    if (r < 0) r += (-r + block - 1) / block * block;  // first block row at or below row 0
    for (; r < rowsEnd; r += block) {
        const long long dest = static_cast<long long>(y) + (r - sy);
        const long long from = std::max(dest, visible.first);
        const long long last = std::min(dest + block, visible.end);
        for (long long o = from; o < last; ++o) DrawRow(x, static_cast<int>(o), slot, sx, ex, static_cast<int>(r));
    }
}

void DrawSkipRows(int x, int y, int step, int slot, int sx, int sy, int ex, int ey) {
    if (step == 0 || !ObjectSurface(slot)) return;
    // Source rows past the object draw nothing: the loops stop there.
    const long long rowsEnd = std::min<long long>(ey, ObjectRows(slot));
    if (step > 0) {
        long long r = static_cast<long long>(sy) + step;
        if (r < 0) r += (-r + step - 1) / step * step;  // first drawn row at or below row 0
        for (; r < rowsEnd; r += step) DrawRowAt(x, static_cast<long long>(y) + (r - sy), slot, sx, ex, r);
        return;
    }
    const long long range = -static_cast<long long>(step);  // -INT_MIN does not fit an int
    long long r = sy + elSystem::Random() % range + 1;
    if (r < 0) r %= range;  // rows above the object draw nothing: start within one gap of row 0
    for (; r < rowsEnd; r += elSystem::Random() % range + 1)
        DrawRowAt(x, static_cast<long long>(y) + (r - sy), slot, sx, ex, r);
}

void DrawShake(int x, int y, int range, int slot, int sx, int sy, int ex, int ey) {
    if (range <= 0) {
        Draw(x, y, slot, sx, sy, ex, ey);
        return;
    }
    if (!ObjectSurface(slot)) return;
    const long long span = 2LL * range;  // 2 x range overflows an int for large ranges
    const long long objectRows = ObjectRows(slot);
    // Every source row from sy takes its own random number, drawn or not, so the
    // rows inside the object shake by the same amounts wherever sy starts and
    // the numbers left for the program are the same. Rows outside the object
    // draw nothing. A rectangle of more than a million rows (far beyond any
    // object) would take seconds of random numbers: then only the object's own rows
    // take numbers.
    const long long rows = static_cast<long long>(ey) - sy;
    const bool everyRow = rows <= kMostShakenRows;
    const long long first = everyRow ? sy : std::max(sy, 0);
    const long long end = everyRow ? ey : std::min<long long>(ey, objectRows);
    for (long long r = first; r < end; ++r) {
        const long long jitter = elSystem::Random() % span - range;
        if (r < 0 || r >= objectRows) continue;
        DrawRowAt(std::clamp<long long>(x + jitter, INT_MIN, INT_MAX), static_cast<long long>(y) + (r - sy), slot, sx,
                  ex, r);
    }
}

void DrawRoll(int x, int y, int direction, float speed, int slot, int sx, int sy, int ex, int ey) {
    const long long h = static_cast<long long>(ey) - sy;
    if (h <= 0 || !ObjectSurface(slot)) return;
    const long long half = h / 2;
    // A one-row picture has no turn to make (the period h - 1 would be 0).
    const double period = h > 1 ? static_cast<double>(h - 1) : 1.0;
    // Rows past the object draw nothing (and what p they leave is not used
    // after the last row); places outside the visible rows are skipped.
    const RowRange visible = VisibleRows();
    const long long rows = std::min(h, ObjectRows(slot));
    long long p = 0;
    for (long long c = 0; c < rows; ++c) {
        const long long end =
            h > 1 ? Trunc(static_cast<double>(half) +
                          std::cos((static_cast<double>(c) + static_cast<double>(rollPhase)) * 2.0 * kPi / period) *
                              static_cast<double>(half))
                  : 0;
        const long long from = std::max(p, visible.first - y), last = std::min(end, visible.end - 1 - y);
        for (long long o = from; o <= last; ++o)
            DrawSolid(x, static_cast<int>(y + o), slot, sx, static_cast<int>(c), ex, static_cast<int>(c) + 1);
        // Where the drum's edge falls back, the next rows draw again over
        // the places already drawn: that is the far side turning away.
        p = end + 1;
    }
    const float delta = FrameDelta * speed;
    const auto turn = static_cast<float>(h);
    if (direction) {
        rollPhase += delta;
        if (rollPhase >= turn) rollPhase -= turn;
    } else {
        rollPhase -= delta;
        if (rollPhase < 0.0f) rollPhase += turn;
    }
    // A speed against the direction carries the phase out of [0, h) with no
    // turn back: it is kept as it is while a float holds it exactly, and only
    // then taken to its remainder.
    if (!std::isfinite(rollPhase)) rollPhase = 0.0f;
    else if (!(rollPhase >= 0.0f && rollPhase < turn) && !(std::fabs(rollPhase) < kLargestExactPhase))
        rollPhase = Wrap(rollPhase, turn);
}

int DrawMirror(int x, int y, int mode, int slot, int sx, int sy, int ex, int ey) {
    IDirectDrawSurface* source = ObjectSurface(slot);
    if (!source || !BackSurface || source == BackSurface) return 0;
    const long long w = static_cast<long long>(ex) - sx, h = static_cast<long long>(ey) - sy;
    if (w <= 0 || h <= 0) return 1;
    // Visible part of the destination: ClipRect, and the back surface itself
    // (SetClip accepts any rectangle).
    int left = std::max(x, static_cast<int>(ClipRect.left)), top = std::max(y, static_cast<int>(ClipRect.top));
    int right = static_cast<int>(std::min<long long>(static_cast<long long>(x) + w, ClipRect.right));
    int bottom = static_cast<int>(std::min<long long>(static_cast<long long>(y) + h, ClipRect.bottom));

    DDSURFACEDESC src{};
    src.dwSize = sizeof src;
    if (source->Lock(nullptr, &src, DDLOCK_WAIT, nullptr) != DD_OK) return 0;
    DDSURFACEDESC dst{};
    dst.dwSize = sizeof dst;
    if (BackSurface->Lock(nullptr, &dst, DDLOCK_WAIT, nullptr) != DD_OK) {
        source->Unlock(src.lpSurface);
        return 0;
    }
    // Pixels are read and written as 16-bit values only.
    if (src.ddpfPixelFormat.dwRGBBitCount == 16 && dst.ddpfPixelFormat.dwRGBBitCount == 16) {
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, static_cast<int>(dst.dwWidth));
        bottom = std::min(bottom, static_cast<int>(dst.dwHeight));
        const bool flipX = (mode == 1 || mode == 3), flipY = (mode == 2 || mode == 3);
        const auto srcWidth = static_cast<long long>(src.dwWidth), srcHeight = static_cast<long long>(src.dwHeight);
        auto* srcBase = static_cast<const std::uint8_t*>(src.lpSurface);
        auto* dstBase = static_cast<std::uint8_t*>(dst.lpSurface);
        for (int dy = top; dy < bottom; ++dy) {
            const long long row = flipY ? static_cast<long long>(ey) - 1 - (dy - static_cast<long long>(y))
                                   : static_cast<long long>(sy) + (dy - static_cast<long long>(y));
            if (row < 0 || row >= srcHeight) continue;  // the source rectangle may overhang the object
            const auto* in = reinterpret_cast<const std::uint16_t*>(srcBase + row * src.lPitch);
            auto* out = reinterpret_cast<std::uint16_t*>(dstBase + static_cast<std::ptrdiff_t>(dy) * dst.lPitch);
            for (int dx = left; dx < right; ++dx) {
                const long long column =
                    flipX ? static_cast<long long>(ex) - 1 - (dx - static_cast<long long>(x))
                      : static_cast<long long>(sx) + (dx - static_cast<long long>(x));
                if (column < 0 || column >= srcWidth) continue;
                const std::uint16_t value = in[column];
                if (value != 0) out[dx] = value;
            }
        }
    }
    source->Unlock(src.lpSurface);
    BackSurface->Unlock(dst.lpSurface);
    return 1;
}

// ---- Clip wipes -------------------------------------------------------------------

namespace {

struct WipeGeometry {
    int midX, midY;
    int bandLeft, bandRight, bandTop, bandBottom;
};

WipeGeometry Geometry() {
    const RECT& s = ClipWipeSaved;
    WipeGeometry g{};
    // 64-bit sums: a saved rectangle or band at the ends of the int range
    // must not overflow.
    g.midX = static_cast<int>(s.left + (static_cast<long long>(s.right) - s.left) / 2);
    g.midY = static_cast<int>(s.top + (static_cast<long long>(s.bottom) - s.top) / 2);
    const long long halfBand = std::max(ClipWipeBand, 0) / 2;
    // The band is kept inside the saved rectangle.
    auto within = [](long long v, long long lo, long long hi) { return static_cast<int>(std::clamp(v, lo, hi)); };
    g.bandLeft = within(g.midX - halfBand, s.left, g.midX);
    g.bandRight = within(g.midX + halfBand, g.midX, std::max<long long>(g.midX, s.right));
    g.bandTop = within(g.midY - halfBand, s.top, g.midY);
    g.bandBottom = within(g.midY + halfBand, g.midY, std::max<long long>(g.midY, s.bottom));
    return g;
}

// Moves an edge toward a target by step, stopping on it.
void Toward(LONG& edge, int target, int step) {
    if (edge < target) edge = static_cast<LONG>(std::min<long long>(static_cast<long long>(edge) + step, target));
    else if (edge > target) edge = static_cast<LONG>(std::max<long long>(static_cast<long long>(edge) - step, target));
}

// Closes a pair of edges inward; when they meet or cross both go to the meeting point.
void ClosePair(LONG& low, LONG& high, bool moveLow, bool moveHigh, int meet, int step) {
    if (high <= low) return;
    if (moveLow) low = static_cast<LONG>(std::min<long long>(static_cast<long long>(low) + step, high));
    if (moveHigh) high = static_cast<LONG>(std::max<long long>(static_cast<long long>(high) - step, low));
    if (high <= low) low = high = meet;
}

void StepOpening(int step) {
    const RECT& s = ClipWipeSaved;
    RECT& c = ClipRect;
    const bool verticalOpen = c.top == s.top && c.bottom == s.bottom;
    const bool horizontalOpen = c.left == s.left && c.right == s.right;
    switch (ClipWipeType) {
    case 8:  // top and bottom first, then left and right
        if (!verticalOpen) {
            Toward(c.top, static_cast<int>(s.top), step);
            Toward(c.bottom, static_cast<int>(s.bottom), step);
        } else {
            Toward(c.left, static_cast<int>(s.left), step);
            Toward(c.right, static_cast<int>(s.right), step);
        }
        break;
    case 9:  // left and right first, then top and bottom
        if (!horizontalOpen) {
            Toward(c.left, static_cast<int>(s.left), step);
            Toward(c.right, static_cast<int>(s.right), step);
        } else {
            Toward(c.top, static_cast<int>(s.top), step);
            Toward(c.bottom, static_cast<int>(s.bottom), step);
        }
        break;
    default:  // the edges not collapsed already lie on the saved rectangle
        Toward(c.left, static_cast<int>(s.left), step);
        Toward(c.top, static_cast<int>(s.top), step);
        Toward(c.right, static_cast<int>(s.right), step);
        Toward(c.bottom, static_cast<int>(s.bottom), step);
        break;
    }
    if (c.left == s.left && c.top == s.top && c.right == s.right && c.bottom == s.bottom) {
        ClipWipeState = 0;
        ClipWipeOpened = 1;
    }
}

void StepClosing(int step) {
    RECT& c = ClipRect;
    const WipeGeometry g = Geometry();
    switch (ClipWipeType) {
    case 1: ClosePair(c.top, c.bottom, true, false, static_cast<int>(c.bottom), step); break;
    case 2: ClosePair(c.top, c.bottom, false, true, static_cast<int>(c.top), step); break;
    case 3: ClosePair(c.left, c.right, true, false, static_cast<int>(c.right), step); break;
    case 4: ClosePair(c.left, c.right, false, true, static_cast<int>(c.left), step); break;
    case 5: ClosePair(c.top, c.bottom, true, true, g.midY, step); break;
    case 6: ClosePair(c.left, c.right, true, true, g.midX, step); break;
    case 7:
        ClosePair(c.top, c.bottom, true, true, g.midY, step);
        ClosePair(c.left, c.right, true, true, g.midX, step);
        break;
    case 8:  // left and right close to the band, then top and bottom
        if (c.left != g.bandLeft || c.right != g.bandRight) {
            c.left = static_cast<LONG>(std::min<long long>(static_cast<long long>(c.left) + step, g.bandLeft));
            c.right = static_cast<LONG>(std::max<long long>(static_cast<long long>(c.right) - step, g.bandRight));
        } else {
            ClosePair(c.top, c.bottom, true, true, g.midY, step);
        }
        break;
    case 9:  // top and bottom close to the band, then left and right
        if (c.top != g.bandTop || c.bottom != g.bandBottom) {
            c.top = static_cast<LONG>(std::min<long long>(static_cast<long long>(c.top) + step, g.bandTop));
            c.bottom = static_cast<LONG>(std::max<long long>(static_cast<long long>(c.bottom) - step, g.bandBottom));
        } else {
            ClosePair(c.left, c.right, true, true, g.midX, step);
        }
        break;
    default: break;
    }
    if (c.right <= c.left || c.bottom <= c.top) {
        ClipWipeState = -1;
        ClipWipeClosed = 1;
    }
}

}  // namespace

int StartWipe(int closing, int type, float speed, int band) {
    if (ClipWipeState == 1 || ClipWipeState == 2) return 0;
    if (type < 0 || type > 9) return 0;  // no such shape
    if (ClipWipeState == -1) ClipRect = ClipWipeSaved;
    ClipWipeSaved = ClipRect;
    if (type == 0) type = elSystem::Random() % 9 + 1;
    ClipWipeOpened = 0;
    ClipWipeClosed = 0;
    ClipWipeClosing = closing ? 1 : 0;
    ClipWipeType = type;
    ClipWipeSpeed = speed;
    ClipWipeBand = band;
    if (closing) {
        ClipWipeState = 2;
        return 1;
    }
    ClipWipeState = 1;
    const RECT& s = ClipWipeSaved;
    RECT& c = ClipRect;
    const WipeGeometry g = Geometry();
    switch (type) {
    case 1: c.top = s.bottom; break;
    case 2: c.bottom = s.top; break;
    case 3: c.left = s.right; break;
    case 4: c.right = s.left; break;
    case 5: c.top = c.bottom = g.midY; break;
    case 6: c.left = c.right = g.midX; break;
    case 7:
        c.top = c.bottom = g.midY;
        c.left = c.right = g.midX;
        break;
    case 8:
        c.top = c.bottom = g.midY;
        c.left = g.bandLeft;
        c.right = g.bandRight;
        break;
    default:  // 9
        c.left = c.right = g.midX;
        c.top = g.bandTop;
        c.bottom = g.bandBottom;
        break;
    }
    return 1;
}

int StepClipWipe() {
    if (ClipWipeState <= 0) return 0;
    // At least one pixel per call, whatever the speed (a negative one included).
    const double pixels = static_cast<double>(FrameDelta) * static_cast<double>(ClipWipeSpeed);
    const int step = std::clamp(Trunc(pixels), 0, 1 << 24) + 1;
    if (ClipWipeState == 1) StepOpening(step);
    else StepClosing(step);
    return 1;
}

void CloseClip() {
    // A wipe that is running or a clip already closed keeps the full
    // rectangle it saved; saving the partial one would lose it.
    if (ClipWipeState == 0) ClipWipeSaved = ClipRect;
    ClipRect.right = ClipRect.left;
    ClipRect.bottom = ClipRect.top;
    ClipWipeState = -1;
}

}  // namespace elDraw
