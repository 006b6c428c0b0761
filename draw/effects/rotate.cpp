// Rotated draws: every destination pixel of a rectangle is mapped back to a
// source pixel in fixed point (coordinates times 360, sine and cosine from
// SinTable) and sampled by nearest pixel. Plain, tiled, zoomed, zoomed and
// tiled, and a tiled floor whose zoom changes row by row.
//
// The mapping of pixel (i, j) does not depend on the clip: a row starts at
// U - j * S, V + j * C and a column adds i * C, i * S, so a cut draw starts
// at its first visible pixel and gives the same pixels as the whole draw.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <vector>

#include "draw/effects/elEffects.h"
#include "draw/effects/vector_rows.h"

namespace elDraw {

namespace {

// A rotation with both surfaces locked: the destination rectangle, its
// visible part, the source rectangle and the fixed-point frame.
struct Rotation {
    LockedPixels object, back;
    VisibleRange visible;
    std::int64_t x1 = 0, y1 = 0, width = 0, height = 0;
    std::int64_t left = 0, top = 0, sourceWidth = 0, sourceHeight = 0;
    // Source offsets whose pixel exists in the object: [firstU, endU) and
    // [firstV, endV), within the source rectangle.
    std::int64_t firstU = 0, endU = 0, firstV = 0, endV = 0;
    std::int64_t sine = 0, cosine = 0;
    std::int64_t rowU = 0, rowV = 0;  // u and v at the start of row 0

    const std::uint16_t& Sample(std::int64_t su, std::int64_t sv) const {
        return object.Row(top + sv)[left + su];
    }
    bool Exists(std::int64_t su, std::int64_t sv) const {
        return su >= firstU && su < endU && sv >= firstV && sv < endV;
    }
};

// Checks the arguments, cuts the rectangle to ClipRect and the back surface
// and locks the object, then the back surface. kPassLocked, or the result
// to return: 1 when nothing is to be drawn, 0 when a lock failed.
int BeginRotation(int x1, int y1, int x2, int y2, int angle, int slot, int left, int top,
                  int right, int bottom, Rotation& r) {
    r.x1 = x1;
    r.y1 = y1;
    r.width = static_cast<std::int64_t>(x2) - x1;
    r.height = static_cast<std::int64_t>(y2) - y1;
    r.left = left;
    r.top = top;
    r.sourceWidth = static_cast<std::int64_t>(right) - left;
    r.sourceHeight = static_cast<std::int64_t>(bottom) - top;
    if (r.width <= 0 || r.height <= 0 || r.sourceWidth <= 0 || r.sourceHeight <= 0) return 1;
    // First against ClipRect alone, so a draw wholly outside locks nothing.
    if (!CutDestination(r.x1, r.y1, r.width, r.height, ClipRect.right, ClipRect.bottom, r.visible))
        return 1;
    if (LockPair(slot, r.object, r.back) != kPassLocked) return 0;
    if (!CutDestination(r.x1, r.y1, r.width, r.height, r.back.width, r.back.height, r.visible)) {
        UnlockPair(r.object, r.back);
        return 1;
    }
    r.firstU = std::max<std::int64_t>(0, -r.left);
    r.endU = std::min<std::int64_t>(r.sourceWidth, r.object.width - r.left);
    r.firstV = std::max<std::int64_t>(0, -r.top);
    r.endV = std::min<std::int64_t>(r.sourceHeight, r.object.height - r.top);

    const int a = NormalizeAngle(angle);
    r.sine = SinTable[a];
    r.cosine = SinTable[a + 90];
    const std::int64_t hw = r.width >> 1, hh = r.height >> 1;
    r.rowU = 360 * hw - hw * r.cosine + hh * r.sine;
    r.rowV = 360 * hh - hw * r.sine - hh * r.cosine;
    return kPassLocked;
}

// Calls rowStart(j) before each visible row and pixel(qu, qv, dest) for each
// visible pixel, where qu = u / 360 and qv = v / 360 (truncated) and dest is
// the back pixel; then unlocks. Returns 1.
template <class RowStart, class Pixel>
int RunRotation(Rotation& r, RowStart&& rowStart, Pixel&& pixel) {
    const VisibleRange& vis = r.visible;
    for (std::int64_t j = vis.j0; j < vis.j1; ++j) {
        rowStart(j);
        std::int64_t u = r.rowU - j * r.sine + vis.i0 * r.cosine;
        std::int64_t v = r.rowV + j * r.cosine + vis.i0 * r.sine;
        std::uint16_t* dest = r.back.Row(r.y1 + j) + (r.x1 + vis.i0);
        for (std::int64_t i = vis.i0; i < vis.i1; ++i, ++dest) {
            pixel(u / 360, v / 360, *dest);
            u += r.cosine;
            v += r.sine;
        }
    }
    UnlockPair(r.object, r.back);
    return 1;
}

void NoRowSetup(std::int64_t) {}

// A zoom's quotient, truncated, when it lies within what a 64-bit integer
// holds; false for infinities, NaN and values beyond.
inline bool TruncatedQuotient(double numerator, double zoom, std::int64_t& out) {
    const double q = numerator / zoom;
    if (!(std::fabs(q) < 9.0e18)) return false;
    out = static_cast<std::int64_t>(q);
    return true;
}

// trunc(n / zoom) as TruncatedQuotient gives it, from a product with the
// reciprocal where that cannot differ: the product lies within 2^-51 of the
// quotient (relative), as does the rounded quotient, so unless the product
// comes within 2^-48 of a whole number both truncate alike. Near whole
// numbers, for huge values and for odd zooms it divides.
inline bool QuotientByInverse(double numerator, double zoom, double inverse, std::int64_t& out) {
    const double t = numerator * inverse;
    const double a = std::fabs(t);
    if (a < 4.0e15) {
        const double fraction = a - static_cast<double>(static_cast<std::int64_t>(a));
        const double margin = a * 0x1p-48 + 0x1p-60;
        if (fraction > margin && fraction < 1.0 - margin) {
            out = static_cast<std::int64_t>(t);
            return true;
        }
    }
    return TruncatedQuotient(numerator, zoom, out);
}

// trunc(n / zoom) for every numerator n that a draw can meet, worked out
// once per draw: the same double division each pixel would do, looked up.
// A draw that could meet more numerators than the table holds divides per
// pixel instead.
class ZoomQuotients {
public:
    void Build(std::int64_t low, std::int64_t high, double zoom) {
        zoom_ = zoom;
        first_ = low;
        count_ = 0;
        if (high < low || high - low >= kSize) return;
        count_ = static_cast<std::uint64_t>(high - low + 1);
        for (std::uint64_t k = 0; k < count_; ++k)
            valid_[k] = TruncatedQuotient(static_cast<double>(low + static_cast<std::int64_t>(k)), zoom,
                                          value_[k]);
    }
    bool Get(std::int64_t n, std::int64_t& out) const {
        const auto k = static_cast<std::uint64_t>(n - first_);
        if (k < count_) {
            out = value_[k];
            return valid_[k];
        }
        return TruncatedQuotient(static_cast<double>(n), zoom_, out);
    }

private:
    static constexpr std::int64_t kSize = 4096;
    double zoom_ = 1.0;
    std::int64_t first_ = 0;
    std::uint64_t count_ = 0;
    std::int64_t value_[kSize] = {};
    bool valid_[kSize] = {};
};
ZoomQuotients QuotientsU, QuotientsV;

// The least and greatest u / 360 (or v / 360) over the visible pixels: u and
// v are linear in the pixel position, so both lie at corners.
void QuotientRange(const Rotation& r, bool vertical, std::int64_t& low, std::int64_t& high) {
    const VisibleRange& vis = r.visible;
    low = INT64_MAX;
    high = INT64_MIN;
    for (std::int64_t j : {vis.j0, vis.j1 - 1})
        for (std::int64_t i : {vis.i0, vis.i1 - 1}) {
            const std::int64_t value = vertical ? (r.rowV + j * r.cosine + i * r.sine) / 360
                                                : (r.rowU - j * r.sine + i * r.cosine) / 360;
            low = std::min(low, value);
            high = std::max(high, value);
        }
}

// Fills the tables for numerators u / 360 - ox and v / 360 - oy.
void BuildQuotients(const Rotation& r, std::int64_t ox, std::int64_t oy, double zoom) {
    std::int64_t low, high;
    QuotientRange(r, false, low, high);
    QuotientsU.Build(low - ox, high - ox, zoom);
    QuotientRange(r, true, low, high);
    QuotientsV.Build(low - oy, high - oy, zoom);
}

bool UsableZoom(float zoom) { return zoom != 0.0f && std::isfinite(zoom); }

// Colour factors are kept within 0-1 so that no channel spills into the next.
double UnitFactor(float value) {
    if (!(value > 0.0f)) return 0.0;
    return value > 1.0f ? 1.0 : value;
}

// A colour factor (a float within 0-1, as a double) as multiplier / 2^shift,
// the multiplier below 2^24: trunc(v * factor) = (v * multiplier) >> shift
// for every 5-bit v, both sides exact (v * multiplier stays below 2^29).
// A shift past 31 means a factor below 2^-8, which gives 0 for every v: it
// becomes 0 / 1.
void ExactFactor(double factor, std::uint32_t& multiplier, std::uint32_t& shift) {
    int exponent = 0;
    const double fraction = std::frexp(factor, &exponent);
    auto m = static_cast<std::uint32_t>(std::ldexp(fraction, 24));  // exact: 24 bits
    int s = 24 - exponent;
    const int zeros = m == 0 ? 0 : std::min(std::countr_zero(m), std::max(s, 0));
    m >>= zeros;
    s -= zeros;
    if (m == 0 || s > 31) {
        m = 0;
        s = 0;
    }
    multiplier = m;
    shift = static_cast<std::uint32_t>(s);
}

// The 16-bit form of a colour factor whose truncated products of the 5-bit
// values are scaled[0..31]: trunc(v * factor) = (v * multiplier) >> (5 +
// shift), which a 16-bit high multiply of v << 11 by the multiplier, then
// a shift, gives. Each v bounds the multiplier from both sides; the least
// one within all the bounds is taken. False when no shift up to 10 has one.
bool HighFactor(const unsigned (&scaled)[32], std::uint16_t& multiplier, std::uint16_t& shift) {
    for (int s = 0; s <= 10; ++s) {
        const std::uint64_t unit = std::uint64_t{1} << (5 + s);
        std::uint64_t low = 0, high = UINT64_MAX;  // multipliers in [low, high)
        for (std::uint64_t v = 1; v < 32; ++v) {
            low = std::max(low, (scaled[v] * unit + v - 1) / v);
            high = std::min(high, ((scaled[v] + 1) * unit + v - 1) / v);
        }
        if (low < high && low <= 0xFFFF) {
            multiplier = static_cast<std::uint16_t>(low);
            shift = static_cast<std::uint16_t>(s);
            return true;
        }
    }
    return false;
}

// (W - trunc(sw * zoom)) >> 1, the product kept within 64 bits.
std::int64_t ZoomedOffset(std::int64_t width, std::int64_t sourceWidth, float zoom) {
    double scaled = static_cast<double>(sourceWidth) * zoom;
    if (scaled > 4.0e18) scaled = 4.0e18;
    if (scaled < -4.0e18) scaled = -4.0e18;
    return (width - static_cast<std::int64_t>(scaled)) >> 1;
}

// abs(t) mod size, for a tile. A hardware division per pixel would cost more
// than the rest of the mapping, so the remainder of a 32-bit value is taken
// from the fraction part of its product with a 64-bit reciprocal of the size,
// fixed once per draw; with both below 2^32 this is exact.
__extension__ typedef unsigned __int128 Wide;
struct Wrapper {
    std::uint64_t size;
    std::uint64_t reciprocal;
    explicit Wrapper(std::int64_t s)
        : size(static_cast<std::uint64_t>(s)),
          reciprocal(s <= 0xFFFFFFFF ? UINT64_MAX / static_cast<std::uint64_t>(s) + 1 : 0) {}
    std::int64_t operator()(std::int64_t t) const {
        const std::uint64_t a = static_cast<std::uint64_t>(std::llabs(t));
        if (a > 0xFFFFFFFF || reciprocal == 0) return static_cast<std::int64_t>(a % size);
        const std::uint64_t low = reciprocal * a;
        return static_cast<std::int64_t>((static_cast<Wide>(low) * size) >> 64);
    }
};

// The mapping in two look-ups per pixel: each source column and row depends
// on u / 360 (v / 360) alone, so they are worked out once per value that the
// visible pixels meet (at most the rectangle's width plus height of them)
// with the same formulas, instead of once per pixel. A column map entry is
// the object column of the source pixel, a row map entry the offset of its
// object row (both 0 or more, their sum the pixel's place); -1 marks pixels
// that are not drawn. Used at every
// level but the plain one, which keeps the per-pixel formulas.
template <class Entry>
struct AxisMapOf {
    std::vector<Entry> entries;
    std::int64_t low = 0;
};
using AxisMap = AxisMapOf<std::int64_t>;
AxisMap ColumnMap, RowMap;
// The floor's maps hold 32-bit places (half the memory of the others' to
// fill and to read per pixel) and mark missing pixels with a place of their
// own; see DrawRotateFloor.
using FloorMap = AxisMapOf<std::uint32_t>;
FloorMap FloorColumns, FloorRows;
std::vector<std::uint16_t> FloorColours;
constexpr std::int64_t kMapLimit = std::int64_t{1} << 20;

bool UseMaps() { return ActiveVectorLevel() != VectorLevel::Plain; }

// Fills map for the quotients low..high: source(q, s) gives the source
// position s of quotient q and whether there is one; inside [first, end) the
// entry is place(s), else none. False when the range is too large to map.
template <class Entry, class Source, class Place>
bool FillMap(AxisMapOf<Entry>& map, std::int64_t low, std::int64_t high, std::int64_t first, std::int64_t end,
             Entry none, Source&& source, Place&& place) {
    if (high < low || high - low >= kMapLimit) return false;
    map.low = low;
    map.entries.resize(static_cast<std::size_t>(high - low + 1));
    for (std::int64_t q = low; q <= high; ++q) {
        std::int64_t s = 0;
        const bool has = source(q, s) && s >= first && s < end;
        map.entries[static_cast<std::size_t>(q - low)] = has ? static_cast<Entry>(place(s)) : none;
    }
    return true;
}

// Both maps over the whole visible rectangle; column(q, s) and row(q, s)
// give the source column of u / 360 = q and the source row of v / 360 = q.
template <class Column, class Row>
bool FillMaps(const Rotation& r, Column&& column, Row&& row) {
    std::int64_t lowU, highU, lowV, highV;
    QuotientRange(r, false, lowU, highU);
    QuotientRange(r, true, lowV, highV);
    return FillMap(ColumnMap, lowU, highU, r.firstU, r.endU, std::int64_t{-1}, column,
                   [&r](std::int64_t s) { return r.left + s; }) &&
           FillMap(RowMap, lowV, highV, r.firstV, r.endV, std::int64_t{-1}, row,
                   [&r](std::int64_t s) { return (r.top + s) * r.object.pitch; });
}

// A float zoom as a fraction: |zoom| = numerator / 2^shift, the numerator
// odd unless the shift is 0. False for zooms of 2^24 or more and below
// about 2^-7 (their numerators would not fit the exact walk below).
struct ZoomFraction {
    std::uint64_t numerator = 1;
    int shift = 0;
};
bool SplitZoom(float zoom, ZoomFraction& out) {
    // The float's own fields (made per row, so no library calls): |zoom| =
    // numerator * 2^power, the hidden bit restored for normal numbers.
    std::uint32_t bits;  // memcpy: the browser build's library has no std::bit_cast
    static_assert(sizeof bits == sizeof zoom);
    std::memcpy(&bits, &zoom, sizeof bits);
    const std::uint32_t field = (bits >> 23) & 0xFF;
    if (field == 0xFF) return false;  // infinite or not a number
    std::uint64_t numerator = bits & 0x7FFFFF;
    int power = -149;
    if (field != 0) {
        numerator |= 0x800000;
        power = static_cast<int>(field) - 150;
    }
    if (numerator == 0) return false;
    // The trailing zero bits of the numerator dropped at once (made per row).
    const int zeros = std::min(std::countr_zero(numerator), std::max(-power, 0));
    numerator >>= zeros;
    power += zeros;
    if (power > 0 || power < -30) return false;
    out.numerator = numerator;
    out.shift = -power;
    return true;
}

// Where a tiled source position goes in a floor map: base + s * scale when s
// lies in [first, end), else none (the caller keeps places below 2^32).
struct TilePlace {
    std::int64_t size, first, end, base, scale;
    std::uint32_t none;
    std::uint32_t operator()(std::int64_t s) const {
        return s >= first && s < end ? static_cast<std::uint32_t>(base + s * scale) : none;
    }
};

// The tiled floor's positions abs(trunc(n / zoom)) mod size, walked over
// |n| without a division per entry. With |zoom| = m / 2^k, |n| / |zoom| =
// (|n| * 2^k) / m exactly, so the quotient (taken mod size) and the
// remainder of that integer division advance by fixed amounts per step of
// |n|. The caller keeps every quotient below 2^28, where the double
// division of the plain rule truncates to the same integer: a quotient
// that is not whole lies at least 1/m (m < 2^24) from the next integer,
// farther than the division's rounding error (quotient * 2^-53) moves it.
// The sign of n and of the zoom drop out with the abs.
std::vector<std::uint32_t> WalkScratch;

// a / b and a % b (b above 0); without a division where b is a power of
// two or a is 0 (a floor row whose numerators cross 0 walks from 0, and
// tiles are mostly powers of two wide), in 32 bits where both fit, the
// quicker division.
void Divide(std::uint64_t a, std::uint64_t b, std::uint64_t& quotient, std::uint64_t& remainder) {
    if (b != 0 && (b & (b - 1)) == 0) {
        quotient = a >> std::countr_zero(b);
        remainder = a & (b - 1);
        return;
    }
    if (a == 0) {
        quotient = remainder = 0;
        return;
    }
    if ((a | b) >> 32 == 0) {
        const auto a32 = static_cast<std::uint32_t>(a), b32 = static_cast<std::uint32_t>(b);
        quotient = a32 / b32;
        remainder = a32 % b32;
        return;
    }
    quotient = a / b;
    remainder = a % b;
}
std::uint64_t Remainder(std::uint64_t a, std::uint64_t b) {
    std::uint64_t quotient = 0, remainder = 0;
    Divide(a, b, quotient, remainder);
    return remainder;
}

struct TileWalk {
    static constexpr int kLanes = 4;  // independent walks, interleaved
    static_assert(kLanes <= kMaxWordLanes);
    std::uint64_t m = 1, size = 1;
    int shift = 0;
    // The advance of one step of |n| and of kLanes steps.
    std::uint64_t oneRemainder = 0, onePosition = 0, lanesRemainder = 0, lanesPosition = 0;

    // The same advances over 0..kMaxWordLanes entries for the vector walk,
    // when the size suits it.
    TileSteps steps{};
    bool vectorSteps = false;

    TileWalk(const ZoomFraction& z, std::int64_t tileSize)
        : m(z.numerator), size(static_cast<std::uint64_t>(tileSize)), shift(z.shift) {
        std::uint64_t whole = 0;
        Divide(std::uint64_t{1} << shift, m, whole, oneRemainder);
        onePosition = Remainder(whole, size);
        // The advances over 0, 1, ... entries, each the sum of two of half
        // as many (made per row: a chain of three sums, not of eight).
        // Each is narrowed for the vector walk as soon as it is made: a
        // separate narrowing loop becomes vector loads of 64-bit values
        // just stored one by one, which stall.
        std::uint64_t remainder[kMaxWordLanes + 1] = {0, oneRemainder};
        std::uint64_t position[kMaxWordLanes + 1] = {0, onePosition};
        for (int k = 0; k <= kMaxWordLanes; ++k) {
            if (k >= 2) {
                remainder[k] = remainder[k / 2];
                position[k] = position[k / 2];
                Advance(remainder[k], position[k], remainder[k - k / 2], position[k - k / 2]);
            }
            steps.position[k] = static_cast<std::uint32_t>(position[k]);
            steps.remainder[k] = static_cast<std::uint32_t>(remainder[k]);
        }
        lanesRemainder = remainder[kLanes];
        lanesPosition = position[kLanes];
        vectorSteps = size < (std::uint64_t{1} << 31);
        steps.divisor = static_cast<std::uint32_t>(m);
        steps.size = static_cast<std::uint32_t>(size);
    }
    void Advance(std::uint64_t& remainder, std::uint64_t& position, std::uint64_t byRemainder,
                 std::uint64_t byPosition) const {
        // Without branches: the carries follow the zoom's digits, which
        // a branch predictor cannot learn.
        remainder += byRemainder;
        const std::uint64_t carry = remainder >= m ? 1 : 0;
        remainder -= carry * m;
        position += byPosition + carry;
        position -= position >= size ? size : 0;
    }
    // out[0], out[step], ... (count of them) receive the places of
    // |n| = a, a + 1, ...; a tile whose positions all exist in the object
    // skips the test. Then out[-k] = out[k] for k = 1..mirror (a forward
    // run only, mirror below count).
    void Run(std::int64_t a, std::int64_t count, std::uint32_t* out, std::ptrdiff_t step, const TilePlace& place,
             std::int64_t mirror = 0) const {
        auto mirrorAfter = [&] { std::reverse_copy(out + 1, out + mirror + 1, out - mirror); };
        if (place.first > 0 || place.end < place.size) {
            Walk(a, count, out, step, place);
            return mirrorAfter();
        }
        const std::int64_t base = place.base, scale = place.scale;
        const EffectKernels* kernels = VectorEffects();
        if (kernels && vectorSteps) {
            // The same walk in the lanes of a vector row; a backward run is
            // walked into a scratch row and copied in reverse.
            const std::uint64_t scaled = static_cast<std::uint64_t>(a) << shift;
            std::uint32_t* target = out;
            if (step < 0) {
                WalkScratch.resize(static_cast<std::size_t>(count) + kMaxLanes);
                target = WalkScratch.data();
            }
            std::uint64_t whole = 0, remainder = 0;
            Divide(scaled, m, whole, remainder);
            kernels->tileWalk(target, static_cast<std::uint32_t>(Remainder(whole, size)),
                              static_cast<std::uint32_t>(remainder), steps, static_cast<std::uint32_t>(base),
                              static_cast<std::uint32_t>(scale), static_cast<int>(count), static_cast<int>(mirror));
            if (step < 0) std::reverse_copy(target, target + count, out - (count - 1));
            return;
        }
        Walk(a, count, out, step, [base, scale](std::int64_t s) { return static_cast<std::uint32_t>(base + s * scale); });
        mirrorAfter();
    }
    template <class Place>
    void Walk(std::int64_t a, std::int64_t count, std::uint32_t* out, std::ptrdiff_t step, const Place& place) const {
        std::uint64_t remainder[kLanes], position[kLanes];
        const std::uint64_t scaled = static_cast<std::uint64_t>(a) << shift;
        std::uint64_t whole = 0;
        Divide(scaled, m, whole, remainder[0]);
        position[0] = Remainder(whole, size);
        for (int l = 1; l < kLanes; ++l) {
            remainder[l] = remainder[l - 1];
            position[l] = position[l - 1];
            Advance(remainder[l], position[l], oneRemainder, onePosition);
        }
        std::int64_t k = 0;
        for (; k + kLanes <= count; k += kLanes)
            for (int l = 0; l < kLanes; ++l) {
                out[(k + l) * step] = place(static_cast<std::int64_t>(position[l]));
                Advance(remainder[l], position[l], lanesRemainder, lanesPosition);
            }
        for (int l = 0; k + l < count; ++l) out[(k + l) * step] = place(static_cast<std::int64_t>(position[l]));
    }
};

// The floor's map for the quotients low..high of one row: entry q holds the
// place of abs(trunc((q - offset) / zoom)) mod size, as the per-pixel rule
// gives it. False (nothing filled) when the exact walk does not apply: a
// zoom SplitZoom refuses, numerators of 2^31 or more, or quotients of 2^28
// or more.
bool FillTiledMap(FloorMap& map, std::int64_t low, std::int64_t high, std::int64_t offset, float zoom,
                  const TilePlace& place) {
    ZoomFraction z;
    if (high < low || high - low >= kMapLimit || !SplitZoom(zoom, z)) return false;
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    if (low < -kLimit || high > kLimit || offset < -kLimit || offset > kLimit) return false;
    const std::int64_t first = low - offset, last = high - offset;
    if (first <= -kLimit || last >= kLimit) return false;
    const auto most = static_cast<std::uint64_t>(std::max(-first, last));
    if ((most << z.shift) >= (z.numerator << 28)) return false;  // a quotient of 2^28 or more
    map.low = low;
    // Numerators on both sides of 0 are walked over |n| = 0..most in place
    // from n = 0 on, which may run past the map's end (when the negative
    // side is the longer); and room past that for the vector walk's whole
    // vectors.
    const bool bothSides = first < 0 && last >= 0;
    const std::int64_t walked = bothSides ? -first + static_cast<std::int64_t>(most) + 1 : last - first + 1;
    map.entries.resize(static_cast<std::size_t>(walked) + kMaxLanes);
    std::uint32_t* entries = map.entries.data();
    const TileWalk walk(z, place.size);
    if (first >= 0) {
        walk.Run(first, last - first + 1, entries, 1, place);
    } else if (last < 0) {
        // |n| grows as q falls: walked from the numerator nearest 0 down.
        walk.Run(-last, last - first + 1, entries + (last - first), -1, place);
    } else {
        // n and -n have the same entry: the negative numerators are the
        // mirror of the walked ones.
        walk.Run(0, static_cast<std::int64_t>(most) + 1, entries - first, 1, place, -first);
    }
    return true;
}

std::vector<std::int32_t> AlongU, AlongV;

// True when u and v of every visible pixel lie within +-2^30 (they are
// linear in the position, so at the corners), where the vector quotients
// apply, and the maps' first quotients fit 32 bits.
bool SmallFrame(const Rotation& r) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 30;
    const VisibleRange& vis = r.visible;
    for (std::int64_t j : {vis.j0, vis.j1 - 1})
        for (std::int64_t i : {vis.i0, vis.i1 - 1}) {
            const std::int64_t u = r.rowU - j * r.sine + i * r.cosine, v = r.rowV + j * r.cosine + i * r.sine;
            if (u < -kLimit || u > kLimit || v < -kLimit || v > kLimit) return false;
        }
    return true;
}

// Visible row j drawn by the pixel rows from the colour table through
// FloorColumns and FloorRows (the caller keeps u and v within 32 bits).
FloorRow TableRow(const Rotation& r, std::int64_t j, const std::uint16_t* colours, std::uint32_t none,
                  std::uint16_t marker) {
    const VisibleRange& vis = r.visible;
    const std::int64_t u = r.rowU - j * r.sine + vis.i0 * r.cosine;
    const std::int64_t v = r.rowV + j * r.cosine + vis.i0 * r.sine;
    return FloorRow{FloorColumns.entries.data(),
                    FloorRows.entries.data(),
                    colours,
                    none,
                    marker,
                    static_cast<std::int32_t>(u),
                    static_cast<std::int32_t>(r.cosine),
                    static_cast<std::int32_t>(FloorColumns.low),
                    static_cast<std::int32_t>(v),
                    static_cast<std::int32_t>(r.sine),
                    static_cast<std::int32_t>(FloorRows.low)};
}

std::vector<std::uint16_t> RotationColours;

// Turns a map of 64-bit places (-1 for a missing pixel) into one of 32-bit
// indexes, index(place) each, `none` for a missing pixel and for the
// whole vectors the pixel rows read past its end.
template <class Index>
void NarrowMap(const AxisMap& from, FloorMap& to, std::uint32_t none, Index&& index) {
    to.low = from.low;
    to.entries.assign(from.entries.size() + kMaxLanes, none);
    for (std::size_t k = 0; k < from.entries.size(); ++k)
        if (from.entries[k] >= 0) to.entries[k] = index(from.entries[k]);
}

// The plain rotations through the floor's pixel rows: the source rectangle
// copied into a table of its own with a 0 after it, the maps made indexes
// of that table. Used when the table is no larger than the visible part
// (so that the copy costs less than a pass) and its indexes fit the pixel
// rows; false (nothing drawn) otherwise.
bool TabledRotation(const Rotation& r, const EffectKernels& kernels) {
    const VisibleRange& vis = r.visible;
    const std::int64_t texture = r.sourceWidth * r.sourceHeight;
    if (texture > (vis.i1 - vis.i0) * (vis.j1 - vis.j0) || texture >= (std::int64_t{1} << 30)) return false;
    const auto none = static_cast<std::uint32_t>(texture);
    RotationColours.resize(static_cast<std::size_t>(texture) + 1);
    for (std::int64_t sv = r.firstV; sv < r.endV; ++sv)
        std::memcpy(RotationColours.data() + sv * r.sourceWidth + r.firstU, &r.Sample(r.firstU, sv),
                    static_cast<std::size_t>(r.endU - r.firstU) * 2);
    RotationColours[static_cast<std::size_t>(texture)] = 0;
    NarrowMap(ColumnMap, FloorColumns, none,
              [&r](std::int64_t place) { return static_cast<std::uint32_t>(place - r.left); });
    NarrowMap(RowMap, FloorRows, none, [&r](std::int64_t place) {
        return static_cast<std::uint32_t>((place / r.object.pitch - r.top) * r.sourceWidth);
    });
    for (std::int64_t j = vis.j0; j < vis.j1; ++j)
        kernels.floorRow(r.back.Row(r.y1 + j) + (r.x1 + vis.i0),
                         TableRow(r, j, RotationColours.data(), none, 0),  // the colours are the object's own
                         static_cast<int>(vis.i1 - vis.i0));
    return true;
}

// The visible pixels through ColumnMap and RowMap: each opaque source pixel
// that exists is copied. Unlocks; returns 1.
int RunMapped(Rotation& r) {
    const VisibleRange& vis = r.visible;
    const auto* bits = reinterpret_cast<const std::uint16_t*>(r.object.bits);
    const EffectKernels* kernels = VectorEffects();
    if (kernels && SmallFrame(r)) {
        // The quotients of a row from the vector rows, then two look-ups per pixel.
        const auto count = static_cast<std::size_t>(vis.i1 - vis.i0);
        AlongU.resize(count + kMaxLanes);
        AlongV.resize(count + kMaxLanes);
        for (std::int64_t j = vis.j0; j < vis.j1; ++j) {
            const std::int64_t u = r.rowU - j * r.sine + vis.i0 * r.cosine;
            const std::int64_t v = r.rowV + j * r.cosine + vis.i0 * r.sine;
            kernels->rotationQuotients(AlongU.data(), static_cast<std::int32_t>(u), static_cast<std::int32_t>(r.cosine),
                                       static_cast<std::int32_t>(ColumnMap.low), static_cast<int>(count));
            kernels->rotationQuotients(AlongV.data(), static_cast<std::int32_t>(v), static_cast<std::int32_t>(r.sine),
                                       static_cast<std::int32_t>(RowMap.low), static_cast<int>(count));
            std::uint16_t* dest = r.back.Row(r.y1 + j) + (r.x1 + vis.i0);
            const std::int64_t* columns = ColumnMap.entries.data();
            const std::int64_t* rows = RowMap.entries.data();
            const std::int32_t* qu = AlongU.data();
            const std::int32_t* qv = AlongV.data();
            for (std::size_t k = 0; k < count; ++k) {
                const std::int64_t column = columns[qu[k]], row = rows[qv[k]];
                if ((column | row) < 0) continue;
                const std::uint16_t p = bits[row + column];
                if (p) dest[k] = p;
            }
        }
        UnlockPair(r.object, r.back);
        return 1;
    }
    for (std::int64_t j = vis.j0; j < vis.j1; ++j) {
        std::int64_t u = r.rowU - j * r.sine + vis.i0 * r.cosine;
        std::int64_t v = r.rowV + j * r.cosine + vis.i0 * r.sine;
        std::uint16_t* dest = r.back.Row(r.y1 + j) + (r.x1 + vis.i0);
        const std::int64_t* columns = ColumnMap.entries.data() - ColumnMap.low;
        const std::int64_t* rows = RowMap.entries.data() - RowMap.low;
        for (std::int64_t i = vis.i0; i < vis.i1; ++i, ++dest, u += r.cosine, v += r.sine) {
            const std::int64_t column = columns[u / 360], row = rows[v / 360];
            if ((column | row) < 0) continue;
            const std::uint16_t p = bits[row + column];
            if (p) *dest = p;
        }
    }
    UnlockPair(r.object, r.back);
    return 1;
}

// The lowest bit outside the three 5-bit channels of PixelFormat (they
// fill 15 of the 16 bits), or 0 if there is none.
std::uint16_t SpareBit() {
    const unsigned used = (31u << PixelFormat.red5Shift) | (31u << PixelFormat.green5Shift) |
                          (31u << PixelFormat.blue5Shift);
    const unsigned spare = ~used & 0xFFFFu;
    return static_cast<std::uint16_t>(spare & (0u - spare));
}

// True when the floor's places fit its 32-bit maps: the premade colours'
// indexes (and the missing pixels' one past them) below 2^30, or every
// object pixel's place below 2^31, clear of the UINT32_MAX marker and with
// no carry when a column and a row place are added.
bool FloorPlacesFit(const Rotation& r, bool premade) {
    if (premade) return r.sourceWidth * r.sourceHeight < (std::int64_t{1} << 30);
    return std::int64_t{r.object.height} * r.object.pitch < (std::int64_t{1} << 31);
}

// The floor's visible pixels through FloorColumns and FloorRows; rowStart(j)
// fills them for row j and returns false to skip the row. With premade
// colours, pixel colours[min(column + row, none)] is drawn where it is not
// 0 (colours[none] is 0); without, a place of none (top bit set) is a
// missing pixel and recolour(p, dest) draws each opaque object pixel p.
// Unlocks; returns 1.
template <class RowStart, class Recolour>
int RunFloor(Rotation& r, RowStart&& rowStart, const std::uint16_t* colours, std::uint32_t none,
             std::uint16_t marker, Recolour&& recolour) {
    const VisibleRange& vis = r.visible;
    const auto* bits = reinterpret_cast<const std::uint16_t*>(r.object.bits);
    const EffectKernels* kernels = colours && SmallFrame(r) ? VectorEffects() : nullptr;
    const std::int64_t width = vis.i1 - vis.i0;
    for (std::int64_t j = vis.j0; j < vis.j1; ++j) {
        if (!rowStart(j)) continue;
        std::int64_t u = r.rowU - j * r.sine + vis.i0 * r.cosine;
        std::int64_t v = r.rowV + j * r.cosine + vis.i0 * r.sine;
        std::uint16_t* dest = r.back.Row(r.y1 + j) + (r.x1 + vis.i0);
        const std::uint32_t* columns = FloorColumns.entries.data();
        const std::uint32_t* rows = FloorRows.entries.data();
        if (kernels) {
            kernels->floorRow(dest, TableRow(r, j, colours, none, marker), static_cast<int>(width));
            continue;
        }
        for (std::int64_t i = 0; i < width; ++i, u += r.cosine, v += r.sine) {
            const std::uint32_t column = columns[u / 360 - FloorColumns.low];
            const std::uint32_t row = rows[v / 360 - FloorRows.low];
            if (colours) {
                const std::uint16_t colour = colours[std::min(column + row, none)];
                if (colour) dest[i] = static_cast<std::uint16_t>(colour & ~marker);
            } else if (((column | row) >> 31) == 0) {
                const std::uint16_t p = bits[column + row];
                if (p) recolour(p, dest[i]);
            }
        }
    }
    UnlockPair(r.object, r.back);
    return 1;
}


// The plain rotations' pixels through the filled maps, by the table where
// it suits them. Unlocks; returns 1.
int RunCopyMaps(Rotation& r) {
    if (const EffectKernels* kernels = VectorEffects(); kernels && SmallFrame(r) && TabledRotation(r, *kernels)) {
        UnlockPair(r.object, r.back);
        return 1;
    }
    return RunMapped(r);
}

}  // namespace

int DrawRotate(int x1, int y1, int x2, int y2, int angle, int slot, int left, int top, int right,
               int bottom) {
    Rotation r;
    const int started = BeginRotation(x1, y1, x2, y2, angle, slot, left, top, right, bottom, r);
    if (started != kPassLocked) return started;
    const std::int64_t ox = (r.width - r.sourceWidth) >> 1;
    const std::int64_t oy = (r.height - r.sourceHeight) >> 1;
    if (UseMaps() && FillMaps(
                         r, [&](std::int64_t q, std::int64_t& su) { return su = q - ox, true; },
                         [&](std::int64_t q, std::int64_t& sv) { return sv = q - oy, true; }))
        return RunCopyMaps(r);
    return RunRotation(r, NoRowSetup, [&](std::int64_t qu, std::int64_t qv, std::uint16_t& dest) {
        const std::int64_t su = qu - ox, sv = qv - oy;
        if (!r.Exists(su, sv)) return;
        const std::uint16_t p = r.Sample(su, sv);
        if (p) dest = p;
    });
}

int DrawRotateTile(int x1, int y1, int x2, int y2, int angle, int slot, int left, int top,
                   int right, int bottom) {
    Rotation r;
    const int started = BeginRotation(x1, y1, x2, y2, angle, slot, left, top, right, bottom, r);
    if (started != kPassLocked) return started;
    const std::int64_t ox = (r.width - r.sourceWidth) >> 1;
    const std::int64_t oy = (r.height - r.sourceHeight) >> 1;
    const Wrapper wrapU(r.sourceWidth), wrapV(r.sourceHeight);
    if (UseMaps() && FillMaps(
                         r, [&](std::int64_t q, std::int64_t& su) { return su = wrapU(q - ox), true; },
                         [&](std::int64_t q, std::int64_t& sv) { return sv = wrapV(q - oy), true; }))
        return RunCopyMaps(r);
    return RunRotation(r, NoRowSetup, [&](std::int64_t qu, std::int64_t qv, std::uint16_t& dest) {
        const std::int64_t su = wrapU(qu - ox), sv = wrapV(qv - oy);
        if (!r.Exists(su, sv)) return;
        const std::uint16_t p = r.Sample(su, sv);
        if (p) dest = p;
    });
}

int DrawRotateZoom(int x1, int y1, int x2, int y2, int angle, float zoom, int slot, int left,
                   int top, int right, int bottom) {
    if (!UsableZoom(zoom)) return 1;
    Rotation r;
    const int started = BeginRotation(x1, y1, x2, y2, angle, slot, left, top, right, bottom, r);
    if (started != kPassLocked) return started;
    const std::int64_t ox = ZoomedOffset(r.width, r.sourceWidth, zoom);
    const std::int64_t oy = ZoomedOffset(r.height, r.sourceHeight, zoom);
    if (UseMaps() &&
        FillMaps(
            r, [&](std::int64_t q, std::int64_t& su) { return TruncatedQuotient(static_cast<double>(q - ox), zoom, su); },
            [&](std::int64_t q, std::int64_t& sv) { return TruncatedQuotient(static_cast<double>(q - oy), zoom, sv); }))
        return RunCopyMaps(r);
    BuildQuotients(r, ox, oy, zoom);
    return RunRotation(r, NoRowSetup, [&](std::int64_t qu, std::int64_t qv, std::uint16_t& dest) {
        std::int64_t su, sv;
        if (!QuotientsU.Get(qu - ox, su) || !QuotientsV.Get(qv - oy, sv) || !r.Exists(su, sv)) return;
        const std::uint16_t p = r.Sample(su, sv);
        if (p) dest = p;
    });
}

int DrawRotateZoomTile(int x1, int y1, int x2, int y2, int angle, float zoom, int slot, int left,
                       int top, int right, int bottom) {
    if (!UsableZoom(zoom)) return 1;
    Rotation r;
    const int started = BeginRotation(x1, y1, x2, y2, angle, slot, left, top, right, bottom, r);
    if (started != kPassLocked) return started;
    const std::int64_t ox = (r.width - r.sourceWidth) >> 1;
    const std::int64_t oy = (r.height - r.sourceHeight) >> 1;
    const Wrapper wrapU(r.sourceWidth), wrapV(r.sourceHeight);
    auto tiled = [zoom](const Wrapper& wrap, std::int64_t numerator, std::int64_t& s) {
        std::int64_t t;
        if (!TruncatedQuotient(static_cast<double>(numerator), zoom, t)) return false;
        s = wrap(t);
        return true;
    };
    if (UseMaps() && FillMaps(
                         r, [&](std::int64_t q, std::int64_t& su) { return tiled(wrapU, q - ox, su); },
                         [&](std::int64_t q, std::int64_t& sv) { return tiled(wrapV, q - oy, sv); }))
        return RunCopyMaps(r);
    BuildQuotients(r, ox, oy, zoom);
    return RunRotation(r, NoRowSetup, [&](std::int64_t qu, std::int64_t qv, std::uint16_t& dest) {
        std::int64_t tu, tv;
        if (!QuotientsU.Get(qu - ox, tu) || !QuotientsV.Get(qv - oy, tv)) return;
        const std::int64_t su = wrapU(tu), sv = wrapV(tv);
        if (!r.Exists(su, sv)) return;
        const std::uint16_t p = r.Sample(su, sv);
        if (p) dest = p;
    });
}

int DrawRotateFloor(int x1, int y1, int x2, int y2, int angle, float xZoom, float xZoomStep,
                    float yZoom, float yZoomStep, float red, float green, float blue, int slot,
                    int left, int top, int right, int bottom) {
    Rotation r;
    const int started = BeginRotation(x1, y1, x2, y2, angle, slot, left, top, right, bottom, r);
    if (started != kPassLocked) return started;
    const std::int64_t ox = (r.width - r.sourceWidth) >> 1;
    const std::int64_t oy = (r.height - r.sourceHeight) >> 1;
    // Every 5-bit channel value times its factor, truncated, looked up
    // instead of multiplied per pixel.
    const double factor[3] = {UnitFactor(red), UnitFactor(green), UnitFactor(blue)};
    unsigned scaled[3][32];
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 32; ++v) scaled[c][v] = static_cast<unsigned>(v * factor[c]);
    const Wrapper wrapU(r.sourceWidth), wrapV(r.sourceHeight);
    // The zooms grow after every row, the invisible ones above included.
    float rowXZoom = xZoom, rowYZoom = yZoom;
    std::int64_t zoomRow = 0;
    bool rowUsable = true;
    auto rowStart = [&](std::int64_t j) {
        for (; zoomRow < j; ++zoomRow) {
            const float nextX = rowXZoom + xZoomStep, nextY = rowYZoom + yZoomStep;
            // Once the sums no longer change (or are NaN) the rows above a
            // far-off clip need not be summed one by one.
            if ((nextX == rowXZoom && nextY == rowYZoom) || std::isnan(nextX) || std::isnan(nextY)) {
                rowXZoom = nextX;
                rowYZoom = nextY;
                zoomRow = j;
                break;
            }
            rowXZoom = nextX;
            rowYZoom = nextY;
        }
        rowUsable = UsableZoom(rowXZoom) && UsableZoom(rowYZoom);
    };
    auto recolour = [&](std::uint16_t p, std::uint16_t& dest) {
        const std::uint8_t* c = PixelSplitTable[p];
        dest = Pack5(scaled[0][c[0]], scaled[1][c[1]], scaled[2][c[2]]);
    };
    const VisibleRange& vis = r.visible;
    // A small texture over a larger floor is recoloured once (see below).
    const std::int64_t visible = (vis.i1 - vis.i0) * (vis.j1 - vis.j0);
    const std::int64_t texture = r.sourceWidth * r.sourceHeight;
    const std::uint16_t marker = SpareBit();
    const bool premade = marker != 0 && texture <= visible / 2;
    if (UseMaps() && vis.i1 - vis.i0 < kMapLimit && FloorPlacesFit(r, premade)) {
        // The zooms change every row, so the maps are made per row, over
        // the quotients of that row. With premade colours a place is an
        // index into them, and the missing pixels' place `texture` holds
        // 0; else it is the object pixel's place, UINT32_MAX marking a
        // missing one.
        const std::uint32_t none = premade ? static_cast<std::uint32_t>(texture) : UINT32_MAX;
        double inverseX = 1.0, inverseY = 1.0;
        auto tiled = [](const Wrapper& wrap, float zoom, double inverse, std::int64_t numerator, std::int64_t& s) {
            std::int64_t t;
            if (!QuotientByInverse(static_cast<double>(numerator), zoom, inverse, t)) return false;
            s = wrap(t);
            return true;
        };
        FloorShade shade{};
        shade.marker = marker;
        if (premade) {
            // Each opaque pixel's colour with the marker bit, so that a
            // colour that became 0 is still drawn; 0 for transparent ones.
            FloorColours.resize(static_cast<std::size_t>(texture) + 1);
            const EffectKernels* kernels = VectorEffects();
            const RowParams layout = LayoutParams();
            shade.high = true;
            for (int c = 0; c < 3; ++c) {
                ExactFactor(factor[c], shade.multiplier[c], shade.shift[c]);
                shade.high = shade.high && HighFactor(scaled[c], shade.highMultiplier[c], shade.highShift[c]);
            }
            for (std::int64_t sv = r.firstV; sv < r.endV; ++sv) {
                std::uint16_t* out = FloorColours.data() + sv * r.sourceWidth;
                if (kernels) {
                    kernels->floorColours(out + r.firstU, &r.Sample(r.firstU, sv), static_cast<int>(r.endU - r.firstU),
                                          layout, shade);
                    continue;
                }
                for (std::int64_t su = r.firstU; su < r.endU; ++su) {
                    const std::uint16_t p = r.Sample(su, sv);
                    std::uint16_t colour = 0;
                    if (p) recolour(p, colour);
                    out[su] = p ? static_cast<std::uint16_t>(colour | shade.marker) : std::uint16_t{0};
                }
            }
            FloorColours[static_cast<std::size_t>(texture)] = 0;
        }
        auto mappedRow = [&](std::int64_t j) {
            rowStart(j);
            if (!rowUsable) return false;
            const std::int64_t u0 = r.rowU - j * r.sine, v0 = r.rowV + j * r.cosine;
            const std::int64_t ua = (u0 + vis.i0 * r.cosine) / 360, ub = (u0 + (vis.i1 - 1) * r.cosine) / 360;
            const std::int64_t va = (v0 + vis.i0 * r.sine) / 360, vb = (v0 + (vis.i1 - 1) * r.sine) / 360;
            const TilePlace columnPlace{r.sourceWidth, r.firstU, r.endU, premade ? 0 : r.left, 1, none};
            const TilePlace rowPlace{r.sourceHeight, r.firstV, r.endV, premade ? 0 : r.top * r.object.pitch,
                                     premade ? r.sourceWidth : r.object.pitch, none};
            // The vector rows read whole windows past a map's end, which
            // FillTiledMap leaves room for.
            // The inverses serve only the divisions of the fallback maps.
            if (!FillTiledMap(FloorColumns, std::min(ua, ub), std::max(ua, ub), ox, rowXZoom, columnPlace)) {
                inverseX = 1.0 / static_cast<double>(rowXZoom);
                FillMap(
                    FloorColumns, std::min(ua, ub), std::max(ua, ub), r.firstU, r.endU, none,
                    [&](std::int64_t q, std::int64_t& su) { return tiled(wrapU, rowXZoom, inverseX, q - ox, su); },
                    [&](std::int64_t s) { return premade ? s : r.left + s; });
                FloorColumns.entries.resize(FloorColumns.entries.size() + kMaxLanes);
            }
            if (!FillTiledMap(FloorRows, std::min(va, vb), std::max(va, vb), oy, rowYZoom, rowPlace)) {
                inverseY = 1.0 / static_cast<double>(rowYZoom);
                FillMap(
                    FloorRows, std::min(va, vb), std::max(va, vb), r.firstV, r.endV, none,
                    [&](std::int64_t q, std::int64_t& sv) { return tiled(wrapV, rowYZoom, inverseY, q - oy, sv); },
                    [&](std::int64_t s) { return premade ? s * r.sourceWidth : (r.top + s) * r.object.pitch; });
                FloorRows.entries.resize(FloorRows.entries.size() + kMaxLanes);
            }
            return true;
        };
        return RunFloor(r, mappedRow, premade ? FloorColours.data() : nullptr, none, shade.marker, recolour);
    }
    return RunRotation(r, rowStart, [&](std::int64_t qu, std::int64_t qv, std::uint16_t& dest) {
        std::int64_t tu, tv;
        if (!rowUsable || !TruncatedQuotient(static_cast<double>(qu - ox), rowXZoom, tu) ||
            !TruncatedQuotient(static_cast<double>(qv - oy), rowYZoom, tv))
            return;
        const std::int64_t su = wrapU(tu), sv = wrapV(tv);
        if (!r.Exists(su, sv)) return;
        const std::uint16_t p = r.Sample(su, sv);
        if (!p) return;
        const std::uint8_t* c = PixelSplitTable[p];
        dest = Pack5(scaled[0][c[0]], scaled[1][c[1]], scaled[2][c[2]]);
    });
}

}  // namespace elDraw
