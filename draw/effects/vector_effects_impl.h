// The row kernels of the glow and the region effects, written once over
// GCC's vector types and compiled with the row rules of vector_rows_impl.h:
// 16-byte vectors in vector_rows.cpp (SSE2), 32-byte vectors in
// vector_rows_avx2.cpp. Internal linkage, as there.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "draw/effects/vector_rows_impl.h"

namespace elDraw {
namespace {

// Bytes of one whole vector, and bytes lined up with the pixels of one
// vector of 16-bit lanes.
template <int Bytes>
struct ByteLanes;
template <>
struct ByteLanes<16> {
    using Full = std::uint8_t __attribute__((vector_size(16)));
    using Half = std::uint8_t __attribute__((vector_size(8)));
};
template <>
struct ByteLanes<32> {
    using Full = std::uint8_t __attribute__((vector_size(32)));
    using Half = std::uint8_t __attribute__((vector_size(16)));
};

template <class V, class T>
[[gnu::always_inline]] inline V Load(const T* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class V, class T>
[[gnu::always_inline]] inline void Store(T* p, V v) {
    std::memcpy(p, &v, sizeof v);
}

// max(0, a - b) in the form the compiler turns into one saturating subtract.
template <class U>
[[gnu::always_inline]] inline U SubSat(U a, U b) {
    return a > b ? a - b : U{};
}

template <int Bytes>
unsigned GlowLightRow(const std::uint16_t* s, const std::uint8_t* noise, int width, const RowParams& q,
                      std::uint8_t* const light[3], std::uint8_t* opaque) {
    using U = typename Lanes<Bytes>::U16;
    using H = typename ByteLanes<Bytes>::Half;
    constexpr int n = Lanes<Bytes>::kCount;
    U most = U{};
    auto one = [&](const std::uint16_t* sp, const std::uint8_t* np, std::uint8_t* const out[3], std::uint8_t* op) {
        const U sv = Load<U>(sp);
        const U nv = __builtin_convertvector(Load<H>(np), U);
        const Split5<U> c(sv, q);
        for (int i = 0; i < 3; ++i) {
            const U v = SubSat((U)(c.c[i] >> q.level[i]), nv);
            most = most > v ? most : v;
            Store(out[i], __builtin_convertvector(v, H));
        }
        if (op) Store(op, __builtin_convertvector((U)(sv != 0), H));
    };
    int x = 0;
    for (; x + n <= width; x += n) {
        std::uint8_t* const out[3] = {light[0] + x, light[1] + x, light[2] + x};
        one(s + x, noise + x, out, opaque ? opaque + x : nullptr);
    }
    if (x < width) {
        // The last pixels through copies padded past the row's end.
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t sb[n] = {};
        std::uint8_t nb[n] = {}, lb[3][n], ob[n];
        std::memcpy(sb, s + x, count * 2);
        std::memcpy(nb, noise + x, count);
        std::uint8_t* const out[3] = {lb[0], lb[1], lb[2]};
        one(sb, nb, out, ob);
        for (int i = 0; i < 3; ++i) std::memcpy(light[i] + x, lb[i], count);
        if (opaque) std::memcpy(opaque + x, ob, count);
    }
    unsigned top = 0;
    for (int i = 0; i < n; ++i) top = top > most[i] ? top : most[i];
    return top;
}

// Adds the taps' light to the three channel sums, stopping at 31. Each tap
// adds at most 30, so seven taps fit in a byte before the sums are cut back
// to 31 again.
template <class F>
[[gnu::always_inline]] inline void GatherTaps(const std::uint8_t* const light[3], std::ptrdiff_t x,
                                              const GlowTap* taps, int count, F* sum) {
    const F top = F{} + 31;
    const std::uint8_t* const l0 = light[0] + x;
    const std::uint8_t* const l1 = light[1] + x;
    const std::uint8_t* const l2 = light[2] + x;
    int i = 0;
    while (i < count) {
        const int end = i + 7 < count ? i + 7 : count;
        for (; i < end; ++i) {
            const std::ptrdiff_t o = taps[i].offset;
            const F loss = F{} + taps[i].loss;
            sum[0] += SubSat(Load<F>(l0 + o), loss);
            sum[1] += SubSat(Load<F>(l1 + o), loss);
            sum[2] += SubSat(Load<F>(l2 + o), loss);
        }
        for (int c = 0; c < 3; ++c) sum[c] = Min(sum[c], top);
    }
}

template <int Bytes>
void GlowGatherRow(const std::uint8_t* const light[3], const std::uint8_t* shielded, const GlowTap* late,
                   int lateCount, const GlowTap* early, int earlyCount, int width, std::uint8_t* const sum[3]) {
    using F = typename ByteLanes<Bytes>::Full;
    const F top = F{} + 31;
    for (int x = 0; x < width; x += Bytes) {
        F total[3] = {F{}, F{}, F{}};
        GatherTaps(light, x, late, lateCount, total);
        if (earlyCount) {
            const F open = shielded ? ~Load<F>(shielded + x) : F{} - 1;
            F before[3] = {F{}, F{}, F{}};
            GatherTaps(light, x, early, earlyCount, before);
            for (int c = 0; c < 3; ++c) total[c] = Min((F)(total[c] + (before[c] & open)), top);
        }
        for (int c = 0; c < 3; ++c) Store(sum[c] + x, total[c]);
    }
}

template <int Bytes>
void GlowApplyRow(std::uint16_t* d, const std::uint8_t* const sum[3], int width, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using H = typename ByteLanes<Bytes>::Half;
    constexpr int n = Lanes<Bytes>::kCount;
    // The sums have room past the row's end; only the pixels need copies.
    auto one = [&](std::uint16_t* dp, int x) {
        const U dv = Load<U>(dp);
        U add[3];
        for (int i = 0; i < 3; ++i) add[i] = __builtin_convertvector(Load<H>(sum[i] + x), U);
        const U lit = (U)((add[0] | add[1] | add[2]) != 0);
        const Split5<U> c(dv, q);
        U out[3];
        for (int i = 0; i < 3; ++i) out[i] = Min((U)(c.c[i] + add[i]), U{} + 31);
        Store(dp, (U)((Place5(out, q) & lit) | (dv & ~lit)));
    };
    int x = 0;
    for (; x + n <= width; x += n) one(d + x, x);
    if (x < width) {
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t db[n] = {};
        std::memcpy(db, d + x, count * 2);
        one(db, x);
        std::memcpy(d + x, db, count * 2);
    }
}

template <int Bytes>
void NoiseRow(std::uint16_t* d, const std::uint8_t* noise, int width, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using H = typename ByteLanes<Bytes>::Half;
    constexpr int n = Lanes<Bytes>::kCount;
    const bool take[3] = {(q.channels & 1) != 0, (q.channels & 2) != 0, (q.channels & 4) != 0};
    auto one = [&](std::uint16_t* dp, const std::uint8_t* np) {
        const U add = (U)(__builtin_convertvector(Load<H>(np), U) << q.level[0]);
        Split5<U> c(Load<U>(dp), q);
        for (int i = 0; i < 3; ++i) {
            const U more = Min((U)(c.c[i] + add), U{} + 31);
            c.c[i] = take[i] ? more : c.c[i];
        }
        Store(dp, Place5(c.c, q));
    };
    int x = 0;
    for (; x + n <= width; x += n) one(d + x, noise + x);
    if (x < width) {
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t db[n] = {};
        std::uint8_t nb[n] = {};
        std::memcpy(db, d + x, count * 2);
        std::memcpy(nb, noise + x, count);
        one(db, nb);
        std::memcpy(d + x, db, count * 2);
    }
}

// The four-neighbour average of n pixels given as their left, right, upper
// and lower neighbours, faded in the channels named in q.channels.
template <class U>
[[gnu::always_inline]] inline U AverageOfFour(U left, U right, U up, U down, const RowParams& q) {
    const Split5<U> l(left, q), r(right, q), u(up, q), d(down, q);
    U out[3];
    for (int i = 0; i < 3; ++i) {
        out[i] = (U)((l.c[i] + r.c[i] + u.c[i] + d.c[i]) >> 2);
        if (q.channels & (1 << i)) out[i] = SubSat(out[i], U{} + 1);
    }
    return Place5(out, q);
}

template <int Bytes>
void RiseRow(std::uint16_t* target, const std::uint16_t* below, std::ptrdiff_t pitch, const std::uint8_t* average,
             int width, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using H = typename ByteLanes<Bytes>::Half;
    constexpr int n = Lanes<Bytes>::kCount;
    const std::uint16_t* under = below + pitch;
    auto one = [&q](std::uint16_t* t, const std::uint16_t* b, const std::uint16_t* u, const std::uint8_t* a) {
        const U here = Load<U>(b);
        const U pick = (U)(__builtin_convertvector(Load<H>(a), U) != 0);
        const U mean = AverageOfFour(Load<U>(b - 1), Load<U>(b + 1), Load<U>(t), Load<U>(u), q);
        Store(t, (U)((mean & pick) | (here & ~pick)));
    };
    int x = 0;
    for (; x + n <= width; x += n) one(target + x, below + x, under + x, average + x);
    if (x < width) {
        // The last pixels through copies padded past the row's end.
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t t[n] = {}, b[n + 2] = {}, u[n] = {};
        std::uint8_t a[n] = {};
        std::memcpy(t, target + x, count * 2);
        std::memcpy(b, below + x - 1, (count + 2) * 2);
        std::memcpy(u, under + x, count * 2);
        std::memcpy(a, average + x, count);
        one(t, b + 1, u, a);
        std::memcpy(target + x, t, count * 2);
    }
}

template <int Bytes>
void BlurColumnsRow(std::uint16_t* const column[3], const std::uint16_t* add, const std::uint16_t* sub, int width,
                    const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    constexpr int n = Lanes<Bytes>::kCount;
    auto one = [&](int x, const std::uint16_t* ap, const std::uint16_t* sp, std::uint16_t* const cp[3]) {
        (void)x;
        const Split5<U> a(Load<U>(ap), q);
        if (sp) {
            const Split5<U> b(Load<U>(sp), q);
            for (int i = 0; i < 3; ++i) Store(cp[i], (U)(Load<U>(cp[i]) + a.c[i] - b.c[i]));
        } else {
            for (int i = 0; i < 3; ++i) Store(cp[i], (U)(Load<U>(cp[i]) + a.c[i]));
        }
    };
    int x = 0;
    for (; x + n <= width; x += n) {
        std::uint16_t* const cp[3] = {column[0] + x, column[1] + x, column[2] + x};
        one(x, add + x, sub ? sub + x : nullptr, cp);
    }
    if (x < width) {
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t ab[n] = {}, sb[n] = {}, cb[3][n] = {};
        std::memcpy(ab, add + x, count * 2);
        if (sub) std::memcpy(sb, sub + x, count * 2);
        for (int i = 0; i < 3; ++i) std::memcpy(cb[i], column[i] + x, count * 2);
        std::uint16_t* const cp[3] = {cb[0], cb[1], cb[2]};
        one(x, ab, sub ? sb : nullptr, cp);
        for (int i = 0; i < 3; ++i) std::memcpy(column[i] + x, cb[i], count * 2);
    }
}

template <int Bytes>
void BlurBoxesRow(std::uint16_t* const box[3], const std::uint16_t* const column[3], int width, int size) {
    using U = typename Lanes<Bytes>::U16;
    constexpr int n = Lanes<Bytes>::kCount;
    for (int x = 0; x < width; x += n)
        for (int i = 0; i < 3; ++i) {
            U sum = Load<U>(column[i] + x);
            for (int k = 1; k < size; ++k) sum += Load<U>(column[i] + x + k);
            Store(box[i] + x, sum);
        }
}

template <int Bytes>
void BlurStoreRow(std::uint16_t* d, const std::uint16_t* s, const std::uint16_t* const box[3], int width,
                  const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using W = typename Lanes<Bytes>::U32;
    // The multiplier made a vector once, outside the loop.
    const W multiplier = W{} + q.reciprocal;
    const W shift = W{} + q.reciprocalShift;
    RunRow<Bytes>(d, s, width, [&](U, U, int x) {
        U out[3];
        for (int i = 0; i < 3; ++i) {
            const W sum = __builtin_convertvector(Load<U>(box[i] + x), W);
            out[i] = __builtin_convertvector((W)((sum * multiplier) >> shift), U);
        }
        return Place5(out, q);
    });
}

template <int Bytes>
void FieldSumsRow(std::uint32_t* out, const std::uint16_t* right, const std::uint16_t* up,
                  const std::uint16_t* down, int width, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using W = typename Lanes<Bytes>::U32;
    constexpr int n = Lanes<Bytes>::kCount;
    auto one = [&](std::uint32_t* o, const std::uint16_t* r, const std::uint16_t* u, const std::uint16_t* d) {
        const Split5<U> a(Load<U>(r), q), b(Load<U>(u), q), c(Load<U>(d), q);
        W sum = W{};
        for (int i = 0; i < 3; ++i)
            sum |= __builtin_convertvector((U)(a.c[i] + b.c[i] + c.c[i]), W) << kFieldShift[i];
        // memcpy, not Store: the 32-bit lanes are wider than a vector
        // register and must not pass through a function's return.
        std::memcpy(o, &sum, sizeof sum);
    };
    int x = 0;
    for (; x + n <= width; x += n) one(out + x, right + x, up + x, down + x);
    if (x < width) {
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t rb[n] = {}, ub[n] = {}, db[n] = {};
        std::uint32_t ob[n];
        std::memcpy(rb, right + x, count * 2);
        std::memcpy(ub, up + x, count * 2);
        std::memcpy(db, down + x, count * 2);
        one(ob, rb, ub, db);
        std::memcpy(out + x, ob, count * 4);
    }
}

template <int Bytes>
void PackFieldsRow(std::uint16_t* d, const std::uint32_t* fields, int width, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using W = typename Lanes<Bytes>::U32;
    constexpr int n = Lanes<Bytes>::kCount;
    auto one = [&](std::uint16_t* o, const std::uint32_t* f) {
        W v;
        std::memcpy(&v, f, sizeof v);
        U c[3];
        for (int i = 0; i < 3; ++i) c[i] = __builtin_convertvector((v >> kFieldShift[i]) & 31, U);
        Store(o, Place5(c, q));
    };
    int x = 0;
    for (; x + n <= width; x += n) one(d + x, fields + x);
    if (x < width) {
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t ob[n];
        std::uint32_t fb[n] = {};
        std::memcpy(fb, fields + x, count * 4);
        one(ob, fb);
        std::memcpy(d + x, ob, count * 2);
    }
}

// Lanes of 32-bit integers filling one register.
template <int Bytes>
struct WordLanes;
template <>
struct WordLanes<16> {
    using U32 = std::uint32_t __attribute__((vector_size(16)));
    using I32 = std::int32_t __attribute__((vector_size(16)));
};
template <>
struct WordLanes<32> {
    using U32 = std::uint32_t __attribute__((vector_size(32)));
    using I32 = std::int32_t __attribute__((vector_size(32)));
};

constexpr std::uint32_t kQuotientBias = 2982617;  // 360 * kQuotientBias = 1073742120 > 2^30

// trunc(u / 360) + kQuotientBias in every lane (u read as signed, within
// +-2^30) without a division: u + 359 for negative u makes it a floor, and
// the bias (360 * kQuotientBias above 2^30) makes the numerator positive,
// so the compiler's unsigned division by a constant (a multiply and shifts
// per lane) gives floor. Lanes run in unsigned arithmetic, so lanes past a
// row's end may wrap harmlessly.
template <class W, class I>
[[gnu::always_inline]] inline W BiasedQuotients(W u) {
    const W negative = (W)((I)u >> 31);
    return (u + (negative & 359u) + 360u * kQuotientBias) / 360u;
}

// start, start + step, ... in the lanes of one vector.
template <class W>
[[gnu::always_inline]] inline W Ramp(std::int32_t start, std::int32_t step) {
    W u = W{};
    for (int l = 0; l < static_cast<int>(sizeof(W) / 4); ++l)
        u[l] = static_cast<std::uint32_t>(start) + static_cast<std::uint32_t>(l) * static_cast<std::uint32_t>(step);
    return u;
}

template <int Bytes>
void RotationQuotientsRow(std::int32_t* out, std::int32_t start, std::int32_t step, std::int32_t low, int width) {
    // 32-bit lanes of one register: the compiler turns the division into
    // multiplies only at the width the unit has.
    using W = typename WordLanes<Bytes>::U32;
    using I = typename WordLanes<Bytes>::I32;
    constexpr int n = Bytes / 4;
    W u = Ramp<W>(start, step);
    const W advance = W{} + static_cast<std::uint32_t>(n) * static_cast<std::uint32_t>(step);
    const std::uint32_t offset = kQuotientBias + static_cast<std::uint32_t>(low);
    for (int x = 0; x < width; x += n, u += advance) Store(out + x, (W)(BiasedQuotients<W, I>(u) - offset));
}

// Positions and remainders are kept less the size and the divisor, below 0
// while in range, so that one signed shift tells a carry or a wrap. The
// walk runs kChains vectors of lanes at once, each advancing by a constant
// per round, so their additions overlap instead of waiting on each other.
template <int Bytes>
void TileWalkRow(std::uint32_t* out, std::uint32_t position, std::uint32_t remainder, const TileSteps& steps,
                 std::uint32_t base, std::uint32_t scale, int count) {
    using W = typename WordLanes<Bytes>::U32;
    using I = typename WordLanes<Bytes>::I32;
    constexpr int n = Bytes / 4;
    constexpr int kChains = 3;
    const std::uint32_t divisor = steps.divisor, size = steps.size;
    const W divisors = W{} + divisor, sizes = W{} + size;
    // Advances biased lanes by (byP, byR), byP below size and byR below
    // divisor.
    auto advanceLanes = [&divisors, &sizes](W& p, W& r, W byP, W byR) {
        r += byR;
        const W carry = ~(W)((I)r >> 31);  // all ones where it reached 0
        r -= carry & divisors;
        p += byP;
        p -= carry;
        p -= ~(W)((I)p >> 31) & sizes;
    };
    // Lane l of chain 0 starts l entries on; chain c starts c * n entries
    // after chain 0.
    W lanePosition[kChains], laneRemainder[kChains];
    lanePosition[0] = W{} + (position - size);
    laneRemainder[0] = W{} + (remainder - divisor);
    advanceLanes(lanePosition[0], laneRemainder[0], Load<W>(steps.position), Load<W>(steps.remainder));
    const W byPosition = W{} + steps.position[n], byRemainder = W{} + steps.remainder[n];
    for (int c = 1; c < kChains; ++c) {
        lanePosition[c] = lanePosition[c - 1];
        laneRemainder[c] = laneRemainder[c - 1];
        advanceLanes(lanePosition[c], laneRemainder[c], byPosition, byRemainder);
    }
    // The advance of a round, kChains * n entries.
    std::uint32_t roundP = 0, roundR = 0;
    for (int c = 0; c < kChains; ++c) {
        roundR += steps.remainder[n];
        roundP += steps.position[n];
        if (roundR >= divisor) {
            roundR -= divisor;
            ++roundP;
        }
        if (roundP >= size) roundP -= size;
    }
    const W roundPosition = W{} + roundP, roundRemainder = W{} + roundR;
    // base + position * scale, from the biased position.
    const std::uint32_t biasedBase = base + size * scale;
    int x = 0;
    for (; x + kChains * n <= count; x += kChains * n)
        for (int c = 0; c < kChains; ++c) {
            Store(out + x + c * n, (W)(biasedBase + lanePosition[c] * scale));
            advanceLanes(lanePosition[c], laneRemainder[c], roundPosition, roundRemainder);
        }
    // The rest by chain 0 alone, whole vectors.
    for (; x < count; x += n) {
        Store(out + x, (W)(biasedBase + lanePosition[0] * scale));
        advanceLanes(lanePosition[0], laneRemainder[0], byPosition, byRemainder);
    }
}

#if defined(__AVX2__)
// map[q[l]] in each of 8 lanes whose quotients come from 8 neighbouring
// pixels of a rotation: u moves at most 360 a pixel, so the quotients run
// one way and span at most 8 entries, read as one window from the least one
// (in lane `least` in every lane: 0 when they rise, 7 when they fall) and
// permuted into place. The map needs 8 readable entries past its end.
[[gnu::always_inline]] inline WordLanes<32>::U32 WindowLookup(const std::uint32_t* map, WordLanes<32>::U32 q,
                                                              WordLanes<32>::U32 least) {
    using W = WordLanes<32>::U32;
    const W first = (W)_mm256_permutevar8x32_epi32((__m256i)q, (__m256i)least);
    const W window = Load<W>(map + first[0]);
    return (W)_mm256_permutevar8x32_epi32((__m256i)window, (__m256i)(q - first));
}
#endif

// The floor's row in three passes over up to kChunk pixels: the places
// (quotients in vector lanes, map entries by windows in AVX2 or lane by
// lane), the colours one by one (a gather instruction is slower here), and
// the colours put into the row in vectors.
template <int Bytes>
void FloorPixelsRow(std::uint16_t* d, const FloorRow& f, int width) {
    using W = typename WordLanes<Bytes>::U32;
    using I = typename WordLanes<Bytes>::I32;
    using U = typename Lanes<Bytes>::U16;
    constexpr int n = Bytes / 4;              // pixels of one vector of places
    constexpr int m = Lanes<Bytes>::kCount;  // pixels of one vector of colours
    constexpr int kChunk = 256;
    W u = Ramp<W>(f.u, f.stepU), v = Ramp<W>(f.v, f.stepV);
    const W advanceU = W{} + static_cast<std::uint32_t>(n) * static_cast<std::uint32_t>(f.stepU);
    const W advanceV = W{} + static_cast<std::uint32_t>(n) * static_cast<std::uint32_t>(f.stepV);
    const W lowU = W{} + static_cast<std::uint32_t>(f.lowU), lowV = W{} + static_cast<std::uint32_t>(f.lowV);
    const W offsetU = lowU + kQuotientBias, offsetV = lowV + kQuotientBias;
    const W none = W{} + f.none;
    const U marker = U{} + f.marker;
    // Where u and v stay at 0 or above along the whole row (they are linear
    // in the pixel, so at both ends), the quotients need no sign fix.
    const std::int64_t lastU = f.u + std::int64_t{width - 1} * f.stepU;
    const std::int64_t lastV = f.v + std::int64_t{width - 1} * f.stepV;
    const bool wholeRowNonnegative = f.u >= 0 && lastU >= 0 && f.v >= 0 && lastV >= 0;
#if defined(__AVX2__)
    const W leastU = W{} + (f.stepU >= 0 ? 0u : 7u), leastV = W{} + (f.stepV >= 0 ? 0u : 7u);
#endif
    std::uint32_t places[kChunk];
    std::uint16_t found[kChunk];
    for (int x = 0; x < width; x += kChunk) {
        const int count = width - x < kChunk ? width - x : kChunk;
        // Whole vectors of places, then the last pixels one by one: lanes
        // past the row's end could lie outside the maps.
        int k = 0;
        auto placesOf = [&](auto nonnegative) {
            for (; k + n <= count; k += n, u += advanceU, v += advanceV) {
                W qu, qv;
                if constexpr (decltype(nonnegative)::value) {
                    qu = (W)(u / 360u - lowU);
                    qv = (W)(v / 360u - lowV);
                } else {
                    qu = (W)(BiasedQuotients<W, I>(u) - offsetU);
                    qv = (W)(BiasedQuotients<W, I>(v) - offsetV);
                }
                W place;
#if defined(__AVX2__)
                if constexpr (Bytes == 32)
                    place = WindowLookup(f.columns, qu, leastU) + WindowLookup(f.rows, qv, leastV);
                else
#endif
                    for (int l = 0; l < n; ++l) place[l] = f.columns[qu[l]] + f.rows[qv[l]];
                Store(places + k, (W)(place < none ? place : none));
            }
        };
        if (wholeRowNonnegative)
            placesOf(std::true_type{});
        else
            placesOf(std::false_type{});
        for (; k < count; ++k) {
            const std::int64_t i = x + k;
            const std::int64_t qu = (static_cast<std::int64_t>(f.u) + i * f.stepU) / 360 - f.lowU;
            const std::int64_t qv = (static_cast<std::int64_t>(f.v) + i * f.stepV) / 360 - f.lowV;
            const std::uint32_t place = f.columns[qu] + f.rows[qv];
            places[k] = place < f.none ? place : f.none;
        }
        // Four at a time: the loop's own count and test cost as much as a
        // look-up.
        for (k = 0; k + 4 <= count; k += 4) {
            found[k] = f.colours[places[k]];
            found[k + 1] = f.colours[places[k + 1]];
            found[k + 2] = f.colours[places[k + 2]];
            found[k + 3] = f.colours[places[k + 3]];
        }
        for (; k < count; ++k) found[k] = f.colours[places[k]];
        std::uint16_t* dx = d + x;
        for (k = 0; k + m <= count; k += m) {
            const U colour = Load<U>(found + k), dv = Load<U>(dx + k);
            const U drawn = (U)(colour != 0);
            Store(dx + k, (U)((dv & ~drawn) | (colour & ~marker & drawn)));
        }
        for (; k < count; ++k)
            if (found[k]) dx[k] = static_cast<std::uint16_t>(found[k] & ~f.marker);
    }
}

template <int Bytes>
void FloorColoursRow(std::uint16_t* out, const std::uint16_t* s, int width, const RowParams& q,
                     const FloorShade& shade) {
    using U = typename Lanes<Bytes>::U16;
    using W = typename Lanes<Bytes>::U32;  // as many 32-bit lanes
    constexpr int n = Lanes<Bytes>::kCount;
    auto one = [&](std::uint16_t* op, const std::uint16_t* sp) {
        const U sv = Load<U>(sp);
        const Split5<U> c(sv, q);
        U scaled[3];
        for (int i = 0; i < 3; ++i)
            scaled[i] = __builtin_convertvector(
                (W)((__builtin_convertvector(c.c[i], W) * shade.multiplier[i]) >> shade.shift[i]), U);
        Store(op, (U)((Place5(scaled, q) | shade.marker) & (U)(sv != 0)));
    };
    int x = 0;
    for (; x + n <= width; x += n) one(out + x, s + x);
    if (x < width) {
        // The last pixels through copies padded past the row's end.
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t sb[n] = {}, ob[n];
        std::memcpy(sb, s + x, count * 2);
        one(ob, sb);
        std::memcpy(out + x, ob, count * 2);
    }
}

template <int Bytes>
struct EffectTable {
    EffectKernels kernels = {GlowLightRow<Bytes>, GlowGatherRow<Bytes>, GlowApplyRow<Bytes>, NoiseRow<Bytes>,
                             RiseRow<Bytes>, BlurColumnsRow<Bytes>, BlurBoxesRow<Bytes>, BlurStoreRow<Bytes>,
                             FieldSumsRow<Bytes>, PackFieldsRow<Bytes>, RotationQuotientsRow<Bytes>,
                             TileWalkRow<Bytes>, FloorPixelsRow<Bytes>, FloorColoursRow<Bytes>};
};

}  // namespace
}  // namespace elDraw
