// Object draws that look at neighbouring pixels: the glow, the softened
// edge, the box blur, the refraction and the stretch to the screen edge.
//
// Arguments are kept inside what the pixels can bear: glow shifts above 5
// leave no light, blur sizes below 1 are refused and larger ones than the
// visible rectangle shrink to it, refraction strengths are clamped to
// 0.0-1.0, and stretch positions to the visible part of the object. No draw
// reads or writes outside its surfaces.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "draw/effects/elEffects.h"
#include "draw/effects/locked_pixels.h"
#include "draw/effects/vector_rows.h"

namespace elDraw {

int GlowNoiseCursor = 0;

namespace {

// The glow's noise: like the other cursors, but after the last entry it
// starts again at the first.
unsigned NextGlowNoise() {
    if (GlowNoiseCursor < 0 || GlowNoiseCursor > 9999) GlowNoiseCursor = 0;
    const unsigned value = NoiseTable[GlowNoiseCursor];
    GlowNoiseCursor = GlowNoiseCursor == 9999 ? 0 : GlowNoiseCursor + 1;
    return value;
}

// Where an object pass lands on the back surface, and the part of the back
// surface that light may reach: ClipRect cut to the surface.
struct BackArea {
    std::uint16_t* bits = nullptr;
    std::ptrdiff_t pitch = 0;
    int originX = 0;  // back position of the pass's first pixel
    int originY = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

BackArea BackAreaOf(const ObjectPass& pass) {
    BackArea a;
    a.bits = static_cast<std::uint16_t*>(pass.backBits);
    a.pitch = pass.destPitch;
    const std::ptrdiff_t offset = pass.dest - a.bits;
    a.originX = static_cast<int>(offset % a.pitch);
    a.originY = static_cast<int>(offset / a.pitch);
    plat::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    int width = 0, height = 0;
    if (BackSurface->GetSurfaceDesc(&desc) == plat::DD_OK) {
        width = static_cast<int>(desc.dwWidth);
        height = static_cast<int>(desc.dwHeight);
    }
    a.left = std::max(ClipRect.left, 0);
    a.top = std::max(ClipRect.top, 0);
    a.right = std::min(ClipRect.right, width);
    a.bottom = std::min(ClipRect.bottom, height);
    return a;
}

// Adds the intensities to one back pixel, each 5-bit channel saturating at 31.
inline void AddLight(std::uint16_t& p, unsigned r, unsigned g, unsigned b) {
    const std::uint8_t* c = PixelSplitTable[p];
    p = Pack5(std::min(31u, c[0] + r), std::min(31u, c[1] + g), std::min(31u, c[2] + b));
}

// The light of one object pixel at back position (px, py), sent along the
// chosen directions, fading by one step per pixel until it is spent.
void SendGlow(const BackArea& a, int px, int py, unsigned r, unsigned g, unsigned b,
              unsigned directions) {
    auto at = [&a](int col, int row) -> std::uint16_t& { return a.bits[row * a.pitch + col]; };
    for (int k = 0; k <= 30; ++k) {
        if (r) --r;
        if (g) --g;
        if (b) --b;
        if (r + g + b == 0) return;
        const int left = px - k, right = px + k;
        const bool leftIn = left >= a.left, rightIn = right < a.right;
        const int up = py - (k + 1), down = py + (k + 1);
        if (up >= a.top) {
            if (directions & 0x40) AddLight(at(px, up), r, g, b);
            if ((directions & 0x20) && leftIn) AddLight(at(left, up), r, g, b);
            if ((directions & 0x80) && rightIn) AddLight(at(right, up), r, g, b);
        }
        if (down < a.bottom) {
            if (directions & 0x02) AddLight(at(px, down), r, g, b);
            if ((directions & 0x01) && leftIn) AddLight(at(left, down), r, g, b);
            if ((directions & 0x04) && rightIn) AddLight(at(right, down), r, g, b);
        }
        if ((directions & 0x08) && leftIn) AddLight(at(left, py), r, g, b);
        if ((directions & 0x10) && rightIn) AddLight(at(right, py), r, g, b);
    }
}

// A 5-bit value shifted right; shifts of 5 and more leave nothing.
inline unsigned Dim(unsigned value, unsigned shift) { return shift > 5 ? 0 : value >> shift; }

inline unsigned LessNoise(unsigned value, unsigned noise) {
    return value < noise ? 0 : value - noise;
}

}  // namespace

namespace {

// The glow gathered instead of sent. Light adds up per 5-bit channel and
// stops at 31, and such sums may be taken in any order: so every back pixel
// can take the light of all rays that reach it at once, as one sum per
// channel, and be written once. Only the copy sets an order: an opaque
// pixel's copy replaces the light that reached it before (the rays to the
// right from its row and those going down from the rows above), so at such
// pixels those rays are left out of the sum.
//
// The light of the object lies in byte planes with kGlowPad bytes of
// nothing on every side (rays reach at most 30 pixels out, and pixels at
// most 30 out read 30 further) and room for whole vectors past each row.
constexpr int kGlowPad = 64;

struct GlowPlanes {
    std::vector<std::uint8_t> light[3], shielded, noise, noiseTwice, sum[3];
    std::ptrdiff_t stride = 0;
    // The plane position of pass pixel (0, 0).
    std::ptrdiff_t origin = 0;
};
GlowPlanes Glow;

// The rays that reach a pixel, as taps: the late ones arrive after its copy
// (from its own row to the left and from the rows below), the early ones
// before it.
void GlowTaps(unsigned dirs, int reach, std::ptrdiff_t stride, bool copy, std::vector<GlowTap>& late,
              std::vector<GlowTap>& early) {
    late.clear();
    early.clear();
    auto tap = [&](bool isLate, int dx, int dy, int k) {
        (isLate || !copy ? late : early).push_back(GlowTap{dy * stride + dx, static_cast<std::uint8_t>(k + 1)});
    };
    for (int k = 0; k < reach; ++k) {
        if (dirs & 0x40) tap(true, 0, k + 1, k);
        if (dirs & 0x20) tap(true, k, k + 1, k);
        if (dirs & 0x80) tap(true, -k, k + 1, k);
        if (dirs & 0x02) tap(false, 0, -(k + 1), k);
        if (dirs & 0x01) tap(false, k, -(k + 1), k);
        if (dirs & 0x04) tap(false, -k, -(k + 1), k);
        if (dirs & 0x08) tap(true, k, 0, k);
        if (dirs & 0x10) tap(k == 0, -k, 0, k);
    }
}

// Four pixels of a row as one word.
inline std::uint64_t FourPixels(const std::uint16_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The first column from i on whose pixel is 0, or w; four pixels a step
// while none of them is (a word has a 0 lane exactly when the borrow of
// subtracting 1 from every lane reaches a lane's top bit that was clear).
int OpaqueRunEnd(const std::uint16_t* s, int i, int w) {
    constexpr std::uint64_t kOnes = 0x0001000100010001, kTops = 0x8000800080008000;
    for (; i + 4 <= w; i += 4) {
        const std::uint64_t v = FourPixels(s + i);
        if ((v - kOnes) & ~v & kTops) break;
    }
    while (i < w && s[i]) ++i;
    return i;
}

// The first column from i on whose pixel is not 0, or w.
int TransparentRunEnd(const std::uint16_t* s, int i, int w) {
    while (i + 4 <= w && FourPixels(s + i) == 0) i += 4;
    while (i < w && !s[i]) ++i;
    return i;
}

// The glow with the vector kernels; the pass is locked and not empty.
void GatheredGlow(const EffectKernels& kernels, const ObjectPass& pass, const BackArea& area,
                  unsigned redShift, unsigned greenShift, unsigned blueShift, unsigned dirs, bool copy) {
    const int w = pass.width, h = pass.height;
    GlowPlanes& g = Glow;
    g.stride = w + 2 * kGlowPad + 2 * kMaxLanes;
    g.origin = kGlowPad * g.stride + kGlowPad;
    const std::size_t planeSize = static_cast<std::size_t>(g.stride) * static_cast<std::size_t>(h + 2 * kGlowPad);
    for (auto& plane : g.light) plane.resize(planeSize);
    if (copy) g.shielded.resize(planeSize);
    g.noise.resize(static_cast<std::size_t>(w));

    RowParams params = LayoutParams();
    const unsigned shifts[3] = {redShift, greenShift, blueShift};
    for (int c = 0; c < 3; ++c) params.level[c] = static_cast<std::uint16_t>(std::min(shifts[c], 5u));

    // Nothing around the object: the pad rows above and below and the pad
    // columns beside each row.
    auto clearPad = [&](std::uint8_t* plane) {
        std::uint8_t* at = plane;
        std::fill(at, at + g.origin, 0);
        for (int j = 0; j < h; ++j) {
            std::uint8_t* row = plane + g.origin + j * g.stride;
            std::fill(row + w, row + g.stride - kGlowPad, 0);
            std::fill(row + g.stride - kGlowPad, row + g.stride, 0);  // the next row's left pad
        }
        std::fill(plane + g.origin + h * g.stride - kGlowPad, plane + static_cast<std::ptrdiff_t>(planeSize), 0);
    };
    for (auto& plane : g.light) clearPad(plane.data());
    if (copy) clearPad(g.shielded.data());

    // The object's light, its noise values taken in order of the opaque pixels.
    if (GlowNoiseCursor < 0 || GlowNoiseCursor > 9999) GlowNoiseCursor = 0;
    int cursor = GlowNoiseCursor;
    g.noiseTwice.resize(20000);
    std::copy(NoiseTable, NoiseTable + 10000, g.noiseTwice.begin());
    std::copy(NoiseTable, NoiseTable + 10000, g.noiseTwice.begin() + 10000);
    unsigned brightest = 0;
    const RowKernel keyed = VectorRow(RowOp::Keyed);
    for (int j = 0; j < h; ++j) {
        const std::uint16_t* source = pass.source + j * pass.sourcePitch;
        // The table twice over lets the cursor run on for up to 10000
        // pixels before it is brought back.
        // (Plain pointers: the byte stores could otherwise alias the
        // vectors' own fields and force a reload every pixel.)
        const std::uint8_t* const twice = g.noiseTwice.data();
        std::uint8_t* const noise = g.noise.data();
        // A transparent pixel's light is 0 whatever its noise, so only the
        // runs of opaque pixels take values: each run a piece of the table.
        for (int i = 0; i < w;) {
            if (!source[i]) {
                i = TransparentRunEnd(source, i, w);
                continue;
            }
            const int end = OpaqueRunEnd(source, i, w);
            for (int count; i < end; i += count) {
                count = std::min(end - i, 10000);
                std::memcpy(noise + i, twice + cursor, static_cast<std::size_t>(count));
                cursor += count;
                if (cursor >= 10000) cursor -= 10000;
            }
        }
        const std::ptrdiff_t at = g.origin + j * g.stride;
        std::uint8_t* const light[3] = {g.light[0].data() + at, g.light[1].data() + at, g.light[2].data() + at};
        brightest = std::max(brightest, kernels.glowLight(source, g.noise.data(), w, params, light,
                                                          copy ? g.shielded.data() + at : nullptr));
        if (copy) {
            std::uint16_t* dest = pass.dest + j * pass.destPitch;
            if (keyed)
                keyed(dest, source, w, params);
            else
                for (int i = 0; i < w; ++i) dest[i] = source[i] ? source[i] : dest[i];
        }
    }
    GlowNoiseCursor = cursor;

    // Light of l reaches l - 1 pixels: taps 0 .. l - 2, losing 1 .. l - 1.
    const int reach = static_cast<int>(brightest) - 1;
    if (reach <= 0 || dirs == 0) return;
    static std::vector<GlowTap> late, early;
    GlowTaps(dirs, reach, g.stride, copy, late, early);
    const int firstX = std::max(-reach, area.left - area.originX);
    const int endX = std::min(w + reach, area.right - area.originX);
    const int firstY = std::max(-reach, area.top - area.originY);
    const int endY = std::min(h + reach, area.bottom - area.originY);
    if (firstX >= endX) return;
    for (auto& plane : g.sum) plane.resize(static_cast<std::size_t>(endX - firstX + 4 * kMaxLanes));
    std::uint8_t* const sum[3] = {g.sum[0].data(), g.sum[1].data(), g.sum[2].data()};
    for (int j = firstY; j < endY; ++j) {
        const std::ptrdiff_t at = g.origin + j * g.stride + firstX;
        const std::uint8_t* const light[3] = {g.light[0].data() + at, g.light[1].data() + at,
                                              g.light[2].data() + at};
        kernels.glowGather(light, copy ? g.shielded.data() + at : nullptr, late.data(), static_cast<int>(late.size()),
                           early.data(), static_cast<int>(early.size()), endX - firstX, sum);
        std::uint16_t* dest = area.bits + (area.originY + j) * area.pitch + area.originX + firstX;
        kernels.glowApply(dest, sum, endX - firstX, params);
    }
}

}  // namespace

int DrawGlow(int x, int y, unsigned redShift, unsigned greenShift, unsigned blueShift,
             int directions, int copy, int slot, int left, int top, int right, int bottom) {
    ObjectPass pass;
    const int started = BeginObjectPass(x, y, slot, left, top, right, bottom, pass);
    if (started != kPassLocked) return started;
    const BackArea area = BackAreaOf(pass);
    const unsigned dirs = static_cast<unsigned>(directions) & 0xFF;
    if (const EffectKernels* kernels = VectorEffects(); kernels && pass.width > 0 && pass.height > 0) {
        GatheredGlow(*kernels, pass, area, redShift, greenShift, blueShift, dirs, copy != 0);
        EndObjectPass(pass);
        return 1;
    }
    // The rule as stated: each pixel's light sent out ray by ray.
    for (int j = 0; j < pass.height; ++j) {
        const std::uint16_t* source = pass.source + j * pass.sourcePitch;
        std::uint16_t* dest = pass.dest + j * pass.destPitch;
        for (int i = 0; i < pass.width; ++i) {
            const std::uint16_t s = source[i];
            if (!s) continue;
            if (copy) dest[i] = s;
            const std::uint8_t* c = PixelSplitTable[s];
            const unsigned noise = NextGlowNoise();
            const unsigned r = LessNoise(Dim(c[0], redShift), noise);
            const unsigned g = LessNoise(Dim(c[1], greenShift), noise);
            const unsigned b = LessNoise(Dim(c[2], blueShift), noise);
            SendGlow(area, area.originX + i, area.originY + j, r, g, b, dirs);
        }
    }
    EndObjectPass(pass);
    return 1;
}

namespace {

// Rows of the vector smooth edge: three object rows and three back rows
// around the row being drawn, each with a pixel before column 0 and whole
// vectors after its end.
std::vector<std::uint16_t> SmoothEdgeRows;

// Only transparent neighbours lend their back pixel, and those pixels are
// never written by the pass, so every row can be worked out from copies of
// the rows around it as they were.
void VectorSmoothEdge(const EffectKernels& kernels, const ObjectPass& pass) {
    const RowParams params = LayoutParams();
    const int w = pass.width, h = pass.height;
    const std::size_t stride = static_cast<std::size_t>(w) + 2 + kMaxLanes;
    SmoothEdgeRows.assign(6 * stride, 0);
    std::uint16_t* const base = SmoothEdgeRows.data();
    // Row j of the pass goes to slot j mod 3; rows outside it are opaque.
    auto copyRow = [&](int j) {
        const std::size_t slot = static_cast<std::size_t>((j + 3) % 3);
        std::uint16_t* source = base + slot * stride;
        std::uint16_t* dest = base + (3 + slot) * stride;
        if (j < 0 || j >= h) {
            std::fill(source, source + stride, std::uint16_t{1});
            return;
        }
        source[0] = 1;
        std::memcpy(source + 1, pass.source + j * pass.sourcePitch, static_cast<std::size_t>(w) * 2);
        source[w + 1] = 1;
        std::memcpy(dest + 1, pass.dest + j * pass.destPitch, static_cast<std::size_t>(w) * 2);
    };
    copyRow(-1);
    copyRow(0);
    for (int j = 0; j < h; ++j) {
        copyRow(j + 1);
        const std::uint16_t* source[3];
        const std::uint16_t* dest[3];
        for (int k = 0; k < 3; ++k) {
            const std::size_t slot = static_cast<std::size_t>((j + k + 2) % 3);  // rows j - 1, j, j + 1
            source[k] = base + slot * stride + 1;
            dest[k] = base + (3 + slot) * stride + 1;
        }
        kernels.smoothEdgeRow(pass.dest + j * pass.destPitch, pass.source + j * pass.sourcePitch, source, dest, w,
                              params);
    }
}

}  // namespace

int DrawSmoothEdge(int x, int y, int slot, int left, int top, int right, int bottom) {
    ObjectPass pass;
    const int started = BeginObjectPass(x, y, slot, left, top, right, bottom, pass);
    if (started != kPassLocked) return started;
    const int w = pass.width, h = pass.height;
    if (const EffectKernels* kernels = VectorEffects(); kernels && w > 0 && h > 0) {
        VectorSmoothEdge(*kernels, pass);
        EndObjectPass(pass);
        return 1;
    }
    for (int j = 0; j < h; ++j) {
        const std::uint16_t* source = pass.source + j * pass.sourcePitch;
        std::uint16_t* dest = pass.dest + j * pass.destPitch;
        for (int i = 0; i < w; ++i) {
            const std::uint16_t s = source[i];
            if (!s) continue;
            const std::uint8_t* c = PixelSplitTable[s];
            unsigned r = c[0], g = c[1], b = c[2], count = 1;
            // A transparent neighbour lends the background under it.
            auto lend = [&](const std::uint16_t& neighbourSource, const std::uint16_t& neighbourDest) {
                if (neighbourSource) return;
                const std::uint8_t* n = PixelSplitTable[neighbourDest];
                r += n[0];
                g += n[1];
                b += n[2];
                ++count;
            };
            if (i > 0) lend(source[i - 1], dest[i - 1]);
            if (i < w - 1) lend(source[i + 1], dest[i + 1]);
            if (j > 0) lend(source[i - pass.sourcePitch], dest[i - pass.destPitch]);
            if (j < h - 1) lend(source[i + pass.sourcePitch], dest[i + pass.destPitch]);
            dest[i] = count == 1 ? s : Pack5(r / count, g / count, b / count);
        }
    }
    EndObjectPass(pass);
    return 1;
}

namespace {

// Exact quotients of channel sums by one divisor, by multiplying with a
// rounded-up reciprocal: for sums up to 31 * divisor and divisors below
// 150000 the error stays under one part in a divisor, so the quotient is
// the integer division's. Larger divisors divide.
struct Divider {
    std::uint64_t divisor;
    std::uint64_t reciprocal;
    explicit Divider(std::uint64_t d) : divisor(d), reciprocal(((std::uint64_t{1} << 40) + d - 1) / d) {}
    unsigned operator()(std::uint64_t sum) const {
        if (divisor >= 150000) return static_cast<unsigned>(sum / divisor);
        return static_cast<unsigned>((sum * reciprocal) >> 40);
    }
};

// Per-channel column sums of the blur's current band of rows, kept between
// calls so that a draw allocates only when the width grows.
std::vector<std::uint32_t> BlurColumns;

// Whether sum / divisor == (sum * multiplier) >> shift for every channel
// sum 0 .. 31 * divisor (the caller keeps the products within 64 bits).
bool DividesExactly(std::uint64_t divisor, std::uint64_t multiplier, int shift) {
    const std::uint64_t top = 31 * divisor;
    for (std::uint64_t sum = 0; sum <= top; ++sum)
        if ((sum * multiplier) >> shift != sum / divisor) return false;
    return true;
}

// A rounded-up reciprocal of the divisor and its shift that divide every
// channel sum exactly, the smallest shift of 8 .. 31 whose product fits
// `productBits`; the multiplier fits `multiplierBits`. False when none does.
// The answer for the last divisor is kept, as a game blurs with one size.
struct ExactReciprocal {
    int multiplierBits, productBits, lowestShift;
    std::uint32_t divisor = 0, multiplier = 0;
    int shift = 0;
    bool found = false;

    bool Find(std::uint32_t d) {
        if (d == divisor) return found;
        divisor = d;
        found = false;
        const std::uint64_t top = 31ull * d;
        for (int s = lowestShift; s < 32 && !found; ++s) {
            const std::uint64_t m = ((std::uint64_t{1} << s) + d - 1) / d;
            if (m >> multiplierBits != 0 || (top * m) >> productBits != 0) break;
            if (!DividesExactly(d, m, s)) continue;
            multiplier = static_cast<std::uint32_t>(m);
            shift = s;
            found = true;
        }
        return found;
    }
};
// Sums times a 32-bit multiplier in 32-bit lanes, and the high half of a
// 16-bit product (shift 16 and more), one instruction for a vector.
ExactReciprocal WideReciprocal{32, 32, 8}, HighReciprocal{16, 32, 16};

// Column sums of the vector blur, one row per channel.
std::vector<std::uint16_t> BlurPlanes;

// The blur with the vector rows: blocks of up to kVectorBlock columns whose
// sums fit 16 bits. False (nothing drawn) when the block does not suit them.
constexpr int kVectorBlock = 16;
bool VectorBlur(const ObjectPass& pass, int bw, int bh) {
    const EffectKernels* kernels = VectorEffects();
    const auto divisor = static_cast<std::uint32_t>(bw * bh);
    if (!kernels || bw > kVectorBlock || 31 * divisor > 0xFFFF || !WideReciprocal.Find(divisor)) return false;
    RowParams params = LayoutParams();
    params.reciprocal = WideReciprocal.multiplier;
    params.reciprocalShift = static_cast<std::uint16_t>(WideReciprocal.shift);
    if (HighReciprocal.Find(divisor)) {
        params.highReciprocal = static_cast<std::uint16_t>(HighReciprocal.multiplier);
        params.highShift = static_cast<std::uint16_t>(HighReciprocal.shift - 16);
    }
    const int w = pass.width, h = pass.height;
    const std::size_t stride = static_cast<std::size_t>(w) + 4 * kMaxLanes;
    BlurPlanes.assign(3 * stride, 0);
    std::uint16_t* const column[3] = {BlurPlanes.data(), BlurPlanes.data() + stride, BlurPlanes.data() + 2 * stride};
    auto sourceRow = [&](int row) { return pass.source + row * pass.sourcePitch; };
    for (int row = 0; row < bh; ++row) kernels->blurColumns(column, sourceRow(row), nullptr, w, params);
    int bandTop = 0;
    const int lastBlock = w - bw;  // blocks further right are moved back to start here
    const int rest = bw - 1;       // the columns right of it
    for (int j = 0; j < h; ++j) {
        for (const int wantTop = std::min(j, h - bh); bandTop < wantTop; ++bandTop)
            kernels->blurColumns(column, sourceRow(bandTop + bh), sourceRow(bandTop), w, params);
        std::uint16_t* const dest = pass.dest + j * pass.destPitch;
        kernels->blurStore(dest, sourceRow(j), column, lastBlock + 1, bw, params);
        if (rest == 0) continue;
        // The columns right of the last whole block take that block's
        // average: a few pixels, cheaper by hand than through another row.
        unsigned sum[3] = {};
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < bw; ++i) sum[c] += column[c][lastBlock + i];
        const std::uint16_t average = Pack5(sum[0] / divisor, sum[1] / divisor, sum[2] / divisor);
        const std::uint16_t* const source = sourceRow(j);
        for (int i = lastBlock + 1; i < w; ++i)
            if (source[i]) dest[i] = average;
    }
    return true;
}

}  // namespace

int DrawBlur(int x, int y, int n, int slot, int left, int top, int right, int bottom) {
    if (n < 1) return 0;
    ObjectPass pass;
    const int started = BeginObjectPass(x, y, slot, left, top, right, bottom, pass);
    if (started != kPassLocked) return started;
    const int w = pass.width, h = pass.height;
    if (w > 0 && h > 0 && VectorBlur(pass, std::min(n, w), std::min(n, h))) {
        EndObjectPass(pass);
        return 1;
    }
    if (w > 0 && h > 0) {
        // The block is n x n, narrowed to the visible rectangle where that is
        // smaller, and moved left and up to end inside it. Its sum is built
        // from per-column sums over its rows and slid along each row.
        const int bw = std::min(n, w), bh = std::min(n, h);
        const Divider divide(static_cast<std::uint64_t>(bw) * static_cast<std::uint64_t>(bh));
        BlurColumns.assign(static_cast<std::size_t>(w) * 3, 0);
        std::uint32_t* cols = BlurColumns.data();
        auto addRow = [&](int row, int sign) {
            const std::uint16_t* s = pass.source + row * pass.sourcePitch;
            for (int i = 0; i < w; ++i) {
                const std::uint8_t* c = PixelSplitTable[s[i]];
                cols[3 * i] += static_cast<std::uint32_t>(sign * c[0]);
                cols[3 * i + 1] += static_cast<std::uint32_t>(sign * c[1]);
                cols[3 * i + 2] += static_cast<std::uint32_t>(sign * c[2]);
            }
        };
        for (int row = 0; row < bh; ++row) addRow(row, 1);
        int bandTop = 0;
        for (int j = 0; j < h; ++j) {
            const int wantTop = std::min(j, h - bh);
            while (bandTop < wantTop) {
                addRow(bandTop, -1);
                addRow(bandTop + bh, 1);
                ++bandTop;
            }
            const std::uint16_t* source = pass.source + j * pass.sourcePitch;
            std::uint16_t* dest = pass.dest + j * pass.destPitch;
            std::uint32_t r = 0, g = 0, b = 0;
            for (int i = 0; i < bw; ++i) {
                r += cols[3 * i];
                g += cols[3 * i + 1];
                b += cols[3 * i + 2];
            }
            int blockLeft = 0;
            for (int i = 0; i < w; ++i) {
                if (i <= w - bw && i > blockLeft) {
                    const int out = 3 * blockLeft, in = 3 * (blockLeft + bw);
                    r += cols[in] - cols[out];
                    g += cols[in + 1] - cols[out + 1];
                    b += cols[in + 2] - cols[out + 2];
                    ++blockLeft;
                }
                if (source[i]) dest[i] = Pack5(divide(r), divide(g), divide(b));
            }
        }
    }
    EndObjectPass(pass);
    return 1;
}

namespace {

std::vector<std::uint8_t> RefractShifts;  // one row's shifts

// The shifts of a row worked out on the vector rows, then the moves. A
// pixel is taken from a row further down, which the pass has not reached
// yet, so every move reads the back as it was; a shift of 0 copies the
// pixel onto itself, so every pixel is moved without a branch (a test per
// pixel mispredicts wherever the red channel varies).
void VectorRefract(const EffectKernels& kernels, const ObjectPass& pass, int lowered) {
    const RowParams params = LayoutParams();
    const int w = pass.width;
    RefractShifts.resize(static_cast<std::size_t>(w) + kMaxLanes);
    std::uint8_t* const shifts = RefractShifts.data();
    std::ptrdiff_t rowOffset[32];
    for (int d = 0; d < 32; ++d) rowOffset[d] = d * pass.destPitch;
    for (int j = 0; j < pass.height; ++j) {
        kernels.refractShifts(shifts, pass.source + j * pass.sourcePitch, w, lowered, pass.height - j, params);
        std::uint16_t* dest = pass.dest + j * pass.destPitch;
        // Unrolled: the one-pixel loop ran up to 40% slower or faster with
        // where the linker happened to place it.
#pragma GCC unroll 4
        for (int i = 0; i < w; ++i) dest[i] = dest[i + rowOffset[shifts[i]]];
    }
}

}  // namespace

int DrawRefract(int x, int y, float strength, int slot, int left, int top, int right, int bottom) {
    // NaN counts as 0.
    const float f = strength > 0.0f ? std::min(strength, 1.0f) : 0.0f;
    const int k = static_cast<int>(31.0 - static_cast<double>(f) * 31.0);
    ObjectPass pass;
    const int started = BeginObjectPass(x, y, slot, left, top, right, bottom, pass);
    if (started != kPassLocked) return started;
    if (const EffectKernels* kernels = VectorEffects(); kernels && pass.width > 0) {
        VectorRefract(*kernels, pass, k);
        EndObjectPass(pass);
        return 1;
    }
    for (int j = 0; j < pass.height; ++j) {
        const std::uint16_t* source = pass.source + j * pass.sourcePitch;
        std::uint16_t* dest = pass.dest + j * pass.destPitch;
        const int below = pass.height - j;  // rows from this one to the last
        for (int i = 0; i < pass.width; ++i) {
            const std::uint16_t s = source[i];
            if (!s) continue;
            int d = PixelSplitTable[s][0] - k;
            if (d < 1 || d >= below) d = 0;
            dest[i] = dest[i + d * pass.destPitch];
        }
    }
    EndObjectPass(pass);
    return 1;
}

namespace {

// Source position of a destination position along the stretched axis: the
// run before (type 0, 2) or after (1, 3) position p shows p's pixel.
inline std::int64_t StretchedIndex(int type, std::int64_t i, std::int64_t p) {
    const bool repeatsAfter = type == 0 || type == 2;
    return repeatsAfter ? std::min(i, p) : std::max(i, p);
}

// What a stretch draws: the type and the position, the source corner, the
// destination corner, and the columns i0 .. i1 - 1 and rows j0 .. j1 - 1 of
// the rectangle that lie on the back surface.
struct StretchArea {
    int type;
    std::int64_t p, sl, st, dx, dy, i0, i1, j0, j1;
};

// The stretch a row at a time. Along the stretched axis a row is one run
// copied from the object and one run of the repeated pixel, so the runs are
// worked out once per row and copied with the keyed vector row instead of
// finding each pixel's source.
void StretchBySpans(const StretchArea& a, const LockedPixels& object, const LockedPixels& back, RowKernel keyed) {
    const RowParams params = LayoutParams();
    const std::int64_t ow = object.width, oh = object.height;
    // The columns [from, to) of destination row `row` from the object's row
    // sy, starting at source column sl + from; keyed or not.
    auto copyRun = [&](std::int64_t row, std::int64_t sy, std::int64_t from, std::int64_t to, bool keyedCopy) {
        from = std::max(from, -a.sl);
        to = std::min(to, ow - a.sl);
        if (from >= to) return;
        std::uint16_t* d = back.Row(row) + a.dx + from;
        const std::uint16_t* s = object.Row(sy) + a.sl + from;
        if (keyedCopy)
            keyed(d, s, static_cast<int>(to - from), params);
        else
            std::memcpy(d, s, static_cast<std::size_t>(to - from) * 2);
    };
    if (a.type >= 2) {
        // Rows: every destination row is a source row, the stretched one
        // repeated beyond (type 2) or before (type 3) the position.
        const std::int64_t stretched = a.st + a.p;
        if (a.type == 3)
            for (std::int64_t row = 0; row < std::min(a.dy, std::int64_t{back.height}); ++row)
                copyRun(row, stretched, a.i0, a.i1, false);  // the screen above, unkeyed
        for (std::int64_t j = a.j0; j < a.j1; ++j) {
            const std::int64_t sy = a.st + StretchedIndex(a.type, j, a.p);
            if (sy >= 0 && sy < oh) copyRun(a.dy + j, sy, a.i0, a.i1, true);
        }
        return;
    }
    // Columns: the source columns up to the position (type 0) or from it
    // (type 1), and the position's pixel repeated over the rest.
    const std::int64_t sx = a.sl + a.p;
    for (std::int64_t j = a.j0; j < a.j1; ++j) {
        const std::int64_t sy = a.st + j;
        if (sy < 0 || sy >= oh) continue;
        const std::uint16_t v = object.Row(sy)[sx];
        std::uint16_t* const row = back.Row(a.dy + j);
        std::int64_t fillFrom = a.p + 1, fillTo = a.i1;  // type 0: right of the position
        if (a.type == 0) {
            copyRun(a.dy + j, sy, a.i0, std::min(a.i1, a.p + 1), true);
        } else {
            // Every screen column left of the rectangle shows the stretched column.
            std::fill(row, row + std::clamp<std::int64_t>(a.dx, 0, back.width), v);
            copyRun(a.dy + j, sy, std::max(a.i0, a.p), a.i1, true);
            fillFrom = a.i0;
            fillTo = std::min(a.i1, a.p);
        }
        fillFrom = std::max(fillFrom, a.i0);
        if (v && fillFrom < fillTo) std::fill(row + a.dx + fillFrom, row + a.dx + fillTo, v);
    }
}

}  // namespace

int DrawStretchEdge(int x, int y, int type, unsigned position, int slot, int left, int top,
                    int right, int bottom) {
    if (type < 0 || type > 3) return 1;
    std::int64_t p = position & 0xFFFF;
    // Types 0 and 2 reach the right or bottom screen edge through a source
    // rectangle enlarged to it.
    std::int64_t sl = left, st = top, dx = x, dy = y;
    std::int64_t sr = type == 0 ? std::int64_t{ScreenWidth} - left : right;
    std::int64_t sb = type == 2 ? std::int64_t{ScreenHeight} - top : bottom;
    std::int64_t width = sr - sl, height = sb - st;
    if (dx + width > ClipRect.right) width = ClipRect.right - dx;
    if (dy + height > ClipRect.bottom) height = ClipRect.bottom - dy;
    if (dx < ClipRect.left) {
        sl += ClipRect.left - dx;
        width -= ClipRect.left - dx;
        dx = ClipRect.left;
    }
    if (dy < ClipRect.top) {
        st += ClipRect.top - dy;
        height -= ClipRect.top - dy;
        dy = ClipRect.top;
    }
    if (width < 0 || height < 0) return 1;

    LockedPixels object, back;
    if (!LockPixels(ObjectSurface(slot), object)) return 0;
    if (!LockPixels(BackSurface, back)) {
        UnlockPixels(object);
        return 0;
    }
    // The position counts from the first visible column (row) and may lie
    // anywhere in the source rectangle, also past a clipped edge; one
    // outside the rectangle or the object is kept at their last column (row)
    // instead of reading beyond. Across the axis, only rows (columns) that
    // lie in the object are drawn.
    const bool columns = type < 2;
    const std::int64_t sourceRun = columns ? sr - sl : sb - st;
    const std::int64_t runStart = columns ? sl : st;
    const std::int64_t objectRun = columns ? object.width : object.height;
    const std::int64_t lowest = std::max<std::int64_t>(0, -runStart);
    const std::int64_t highest = std::min(sourceRun, objectRun - runStart) - 1;
    if (lowest <= highest) {
        p = std::clamp(p, lowest, highest);
        // Source position (sx, sy) of destination position (i, j); false
        // when it lies outside the object.
        auto sourceOf = [&](std::int64_t i, std::int64_t j, std::int64_t& sx, std::int64_t& sy) {
            sx = sl + (columns ? StretchedIndex(type, i, p) : i);
            sy = st + (columns ? j : StretchedIndex(type, j, p));
            return sx >= 0 && sx < object.width && sy >= 0 && sy < object.height;
        };
        // Rows and columns of the rectangle that lie on the back surface.
        const std::int64_t i0 = std::max<std::int64_t>(0, -dx);
        const std::int64_t i1 = std::min<std::int64_t>(width, back.width - dx);
        const std::int64_t j0 = std::max<std::int64_t>(0, -dy);
        const std::int64_t j1 = std::min<std::int64_t>(height, back.height - dy);
        const StretchArea area{type, p, sl, st, dx, dy, i0, i1, j0, j1};
        if (const RowKernel keyed = VectorRow(RowOp::Keyed); keyed && i0 < i1) {
            StretchBySpans(area, object, back, keyed);
            UnlockPixels(object);
            UnlockPixels(back);
            return 1;
        }
        std::int64_t sx = 0, sy = 0;
        if (type == 3) {
            // Every screen row above the rectangle shows the stretched row.
            const std::int64_t rows = std::min<std::int64_t>(dy, back.height);
            for (std::int64_t row = 0; row < rows; ++row)
                for (std::int64_t i = i0; i < i1; ++i)
                    if (sourceOf(i, p, sx, sy)) back.Row(row)[dx + i] = object.Row(sy)[sx];
        }
        for (std::int64_t j = j0; j < j1; ++j) {
            std::uint16_t* dest = back.Row(dy + j) + dx;
            if (type == 1 && sourceOf(p, j, sx, sy)) {
                // Every screen column left of the rectangle shows the stretched column.
                const std::uint16_t v = object.Row(sy)[sx];
                const std::int64_t count = std::clamp<std::int64_t>(dx, 0, back.width);
                std::fill(back.Row(dy + j), back.Row(dy + j) + count, v);
            }
            for (std::int64_t i = i0; i < i1; ++i) {
                if (!sourceOf(i, j, sx, sy)) continue;
                const std::uint16_t v = object.Row(sy)[sx];
                if (v) dest[i] = v;
            }
        }
    }
    UnlockPixels(object);
    UnlockPixels(back);
    return 1;
}

}  // namespace elDraw
