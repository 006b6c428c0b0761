// The row kernels of the glow and the region effects, written once over
// GCC's vector types and compiled with the row rules of vector_rows_impl.h:
// 16-byte vectors in vector_rows.cpp (SSE2), 32-byte vectors in
// vector_rows_avx2.cpp. Internal linkage, as there.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <type_traits>

#include <immintrin.h>

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

// max(0, a - b) per lane: the processor's saturating subtract for 8- and
// 16-bit lanes (the compiler makes four instructions of the comparison
// form, and two of a - min(a, b)).
[[gnu::always_inline]] inline ByteLanes<16>::Full SubSat(ByteLanes<16>::Full a, ByteLanes<16>::Full b) {
    return (ByteLanes<16>::Full)_mm_subs_epu8((__m128i)a, (__m128i)b);
}
[[gnu::always_inline]] inline Lanes<16>::U16 SubSat(Lanes<16>::U16 a, Lanes<16>::U16 b) {
    return (Lanes<16>::U16)_mm_subs_epu16((__m128i)a, (__m128i)b);
}
#if defined(__AVX2__)
[[gnu::always_inline]] inline ByteLanes<32>::Full SubSat(ByteLanes<32>::Full a, ByteLanes<32>::Full b) {
    return (ByteLanes<32>::Full)_mm256_subs_epu8((__m256i)a, (__m256i)b);
}
[[gnu::always_inline]] inline Lanes<32>::U16 SubSat(Lanes<32>::U16 a, Lanes<32>::U16 b) {
    return (Lanes<32>::U16)_mm256_subs_epu16((__m256i)a, (__m256i)b);
}
#endif

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

// The high 16 bits of the lanes' 32-bit products: one instruction where
// the generic form would widen to 32-bit lanes and narrow again.
[[gnu::always_inline]] inline Lanes<16>::U16 MulHigh(Lanes<16>::U16 a, Lanes<16>::U16 b) {
    return (Lanes<16>::U16)_mm_mulhi_epu16((__m128i)a, (__m128i)b);
}
// a[0] * b[0] + a[1] * b[1] of each pair of signed 16-bit lanes, in the
// 32-bit lane they share.
[[gnu::always_inline]] inline Lanes<16>::U16 MulAddPairs(Lanes<16>::U16 a, Lanes<16>::U16 b) {
    return (Lanes<16>::U16)_mm_madd_epi16((__m128i)a, (__m128i)b);
}
#if defined(__AVX2__)
[[gnu::always_inline]] inline Lanes<32>::U16 MulAddPairs(Lanes<32>::U16 a, Lanes<32>::U16 b) {
    return (Lanes<32>::U16)_mm256_madd_epi16((__m256i)a, (__m256i)b);
}
#endif

// Whether any lane of the mask is set.
[[gnu::always_inline]] inline bool AnyLane(Lanes<16>::U16 mask) { return _mm_movemask_epi8((__m128i)mask) != 0; }
#if defined(__AVX2__)
[[gnu::always_inline]] inline bool AnyLane(Lanes<32>::U16 mask) { return _mm256_movemask_epi8((__m256i)mask) != 0; }
[[gnu::always_inline]] inline Lanes<32>::U16 MulHigh(Lanes<32>::U16 a, Lanes<32>::U16 b) {
    return (Lanes<32>::U16)_mm256_mulhi_epu16((__m256i)a, (__m256i)b);
}
#endif

// The box sums of one vector of pixels: column[c][x] + ... + column[c][x + size - 1].
template <class U>
[[gnu::always_inline]] inline void BoxSums(const std::uint16_t* const column[3], int x, int size, U* sum) {
    for (int i = 0; i < 3; ++i) sum[i] = Load<U>(column[i] + x);
    for (int k = 1; k < size; ++k)
        for (int i = 0; i < 3; ++i) sum[i] += Load<U>(column[i] + x + k);
}

template <int Bytes>
void BlurStoreRow(std::uint16_t* d, const std::uint16_t* s, const std::uint16_t* const column[3], int width,
                  int size, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using W = typename Lanes<Bytes>::U32;
    if (q.highReciprocal != 0) {
        // Divided by the high half of a 16-bit product and a shift.
        const U multiplier = U{} + q.highReciprocal;
        const U shift = U{} + q.highShift;
        RunRow<Bytes>(d, s, width, [&](U, U, int x) {
            U sum[3];
            BoxSums(column, x, size, sum);
            for (int i = 0; i < 3; ++i) sum[i] = MulHigh(sum[i], multiplier) >> shift;
            return Place5(sum, q);
        });
        return;
    }
    // The multiplier made a vector once, outside the loop.
    const W multiplier = W{} + q.reciprocal;
    const W shift = W{} + q.reciprocalShift;
    RunRow<Bytes>(d, s, width, [&](U, U, int x) {
        U sum[3];
        BoxSums(column, x, size, sum);
        for (int i = 0; i < 3; ++i) {
            const W wide = __builtin_convertvector(sum[i], W);
            sum[i] = __builtin_convertvector((W)((wide * multiplier) >> shift), U);
        }
        return Place5(sum, q);
    });
}

template <int Bytes>
void SmoothEdgeRow(std::uint16_t* d, const std::uint16_t* s, const std::uint16_t* const source[3],
                   const std::uint16_t* const dest[3], int width, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, width, [&](U sv, U, int x) {
        // The four neighbours: left, right, above, below.
        U lends[4] = {Load<U>(source[1] + x - 1), Load<U>(source[1] + x + 1), Load<U>(source[0] + x),
                      Load<U>(source[2] + x)};
        for (U& l : lends) l = (U)(l == 0);  // all ones where the neighbour is transparent
        // Inside the object and outside it nothing changes; only its border
        // takes the average.
        if (!AnyLane((U)((lends[0] | lends[1] | lends[2] | lends[3]) & (U)(sv != 0)))) return sv;
        const U under[4] = {Load<U>(dest[1] + x - 1), Load<U>(dest[1] + x + 1), Load<U>(dest[0] + x),
                            Load<U>(dest[2] + x)};
        const Split5<U> own(sv, q);
        U sum[3] = {own.c[0], own.c[1], own.c[2]};
        U count = U{} + 1;
        for (int k = 0; k < 4; ++k) {
            const Split5<U> c(under[k], q);
            for (int i = 0; i < 3; ++i) sum[i] += c.c[i] & lends[k];
            count -= lends[k];
        }
        // Sums up to 5 * 31 divide exactly by the high half of a product
        // with 2^16 / count rounded up.
        U multiplier = U{} + 13108;  // five
        multiplier = (U)(count == 4) ? (U)(U{} + 16384) : multiplier;
        multiplier = (U)(count == 3) ? (U)(U{} + 21846) : multiplier;
        multiplier = (U)(count == 2) ? (U)(U{} + 32768) : multiplier;
        for (int i = 0; i < 3; ++i) sum[i] = MulHigh(sum[i], multiplier);
        const U alone = (U)(count == 1);  // no transparent neighbour: the pixel stays as it is
        return (U)((sv & alone) | (Place5(sum, q) & ~alone));
    });
}

template <int Bytes>
void RefractShiftsRow(std::uint8_t* shifts, const std::uint16_t* s, int width, int lowered, int below,
                      const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using H = typename ByteLanes<Bytes>::Half;
    constexpr int n = Lanes<Bytes>::kCount;
    const U k = U{} + static_cast<std::uint16_t>(lowered);
    const U rows = U{} + static_cast<std::uint16_t>(below < 32 ? below : 32);  // shifts stay below 32
    auto one = [&](const std::uint16_t* sp, std::uint8_t* out) {
        const U sv = Load<U>(sp);
        const U red = Split5<U>(sv, q).c[0];
        const U d = red - k;
        const U moves = (U)(red > k) & (U)(d < rows) & (U)(sv != 0);
        Store(out, __builtin_convertvector((U)(d & moves), H));
    };
    int x = 0;
    for (; x + n <= width; x += n) one(s + x, shifts + x);
    if (x < width) {
        std::uint16_t sb[n] = {};
        std::memcpy(sb, s + x, static_cast<std::size_t>(width - x) * 2);
        one(sb, shifts + x);  // shifts has room for a whole vector
    }
}

template <int Bytes>
bool TunnelIndicesRow(std::uint32_t* out, const void* cells, int count, int u0, int v0, int width, int height,
                      int pitch) {
    using U = typename Lanes<Bytes>::U16;
    constexpr int n = Lanes<Bytes>::kCount;  // 16-bit lanes: n / 2 cells a vector
    // The lanes alternate u and v, as the cells do.
    U start = U{}, sizes = U{}, weights = U{};
    for (int i = 0; i < n; i += 2) {
        start[i] = static_cast<std::uint16_t>(u0);
        start[i + 1] = static_cast<std::uint16_t>(v0);
        sizes[i] = static_cast<std::uint16_t>(width);
        sizes[i + 1] = static_cast<std::uint16_t>(height);
        weights[i] = 1;
        weights[i + 1] = static_cast<std::uint16_t>(pitch);
    }
    U outside = U{};  // all ones in lanes that met a cell outside the texture
    auto one = [&](const std::uint16_t* from, std::uint32_t* to) {
        const U cell = Load<U>(from);
        outside |= (U)(cell >= sizes);  // negative ones too, taken unsigned
        U t = cell + start;             // below 2 * 32767: no wrap
        t -= (U)(t >= sizes) & sizes;
        // v * pitch + u of each cell in its 32-bit lane (all below 2^31).
        Store(to, MulAddPairs(t, weights));
    };
    const auto* lanes = static_cast<const std::uint16_t*>(cells);
    constexpr int perVector = n / 2;
    int x = 0;
    for (; x + perVector <= count; x += perVector) one(lanes + 2 * x, out + x);
    if (x < count) {
        // The last cells through a copy padded with cell (0, 0).
        std::uint16_t padded[n] = {};
        std::memcpy(padded, lanes + 2 * x, static_cast<std::size_t>(count - x) * 4);
        one(padded, out + x);  // out has room for a whole vector
    }
    return !AnyLane(outside);
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

// TileWalkRow's walk for sizes that are (PowerOfTwo) or are not powers of
// two and for a scale of 1 (UnitScale) or any.
template <int Bytes, bool PowerOfTwo, bool UnitScale>
void TileWalkRowOf(std::uint32_t* out, std::uint32_t position, std::uint32_t remainder, const TileSteps& steps,
                   std::uint32_t base, std::uint32_t scale, int count) {
    using W = typename WordLanes<Bytes>::U32;
    using I = typename WordLanes<Bytes>::I32;
    constexpr int n = Bytes / 4;
    constexpr int kChains = 3;
    const std::uint32_t divisor = steps.divisor, size = steps.size;
    const W divisors = W{} + divisor, sizes = W{} + size;
    // Advances biased lanes by (byP, byR), byP below size and byR below
    // divisor. A size that is a power of two divides 2^32, so its
    // positions may run on unwrapped and be masked when stored.
    auto advanceLanes = [&](W& p, W& r, W byP, W byR) {
        r += byR;
        const W carry = ~(W)((I)r >> 31);  // all ones where it reached 0
        r -= carry & divisors;
        p += byP;
        p -= carry;
        if constexpr (!PowerOfTwo) p -= ~(W)((I)p >> 31) & sizes;
    };
    // base + position * scale, from the biased position.
    const std::uint32_t biasedBase = PowerOfTwo ? base : base + size * scale;
    const W mask = W{} + (size - 1);
    auto place = [&](W p) {
        if constexpr (PowerOfTwo) p &= mask;
        if constexpr (UnitScale) return (W)(biasedBase + p);
        else return (W)(biasedBase + p * scale);
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
    int x = 0;
    for (; x + kChains * n <= count; x += kChains * n)
        for (int c = 0; c < kChains; ++c) {
            Store(out + x + c * n, place(lanePosition[c]));
            advanceLanes(lanePosition[c], laneRemainder[c], roundPosition, roundRemainder);
        }
    // The rest by chain 0 alone, whole vectors.
    for (; x < count; x += n) {
        Store(out + x, place(lanePosition[0]));
        advanceLanes(lanePosition[0], laneRemainder[0], byPosition, byRemainder);
    }
}

// Positions and remainders are kept less the size and the divisor, below 0
// while in range, so that one signed shift tells a carry or a wrap. The
// walk runs kChains vectors of lanes at once, each advancing by a constant
// per round, so their additions overlap instead of waiting on each other.
// Sizes that are powers of two and a scale of 1 (every column map) take
// loops with fewer steps per entry.
template <int Bytes>
void TileWalkRow(std::uint32_t* out, std::uint32_t position, std::uint32_t remainder, const TileSteps& steps,
                 std::uint32_t base, std::uint32_t scale, int count, int mirror) {
    const bool powerOfTwo = (steps.size & (steps.size - 1)) == 0;
    if (powerOfTwo && scale == 1)
        TileWalkRowOf<Bytes, true, true>(out, position, remainder, steps, base, scale, count);
    else if (powerOfTwo)
        TileWalkRowOf<Bytes, true, false>(out, position, remainder, steps, base, scale, count);
    else if (scale == 1)
        TileWalkRowOf<Bytes, false, true>(out, position, remainder, steps, base, scale, count);
    else
        TileWalkRowOf<Bytes, false, false>(out, position, remainder, steps, base, scale, count);
    // The mirror, whole vectors with their lanes reversed, then one by one.
    using W = typename WordLanes<Bytes>::U32;
    constexpr int n = Bytes / 4;
    int k = 1;
    for (; k + n - 1 <= mirror; k += n) {
        const W v = Load<W>(out + k);
        if constexpr (n == 8)
            Store(out - k - (n - 1), (W)__builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0));
        else
            Store(out - k - (n - 1), (W)__builtin_shufflevector(v, v, 3, 2, 1, 0));
    }
    for (; k <= mirror; ++k) out[-k] = out[k];
}

// u / 360 less low, the quotient truncated as the per-pixel rule divides,
// in the lanes of u = start, start + step, ... (within +-2^30), a vector
// at a time without dividing: each lane keeps floor(u / 360) - low and
// u mod 360 less 360 (below 0 while in range), which one vector's step
// moves by a fixed quotient and remainder. Where u is below 0 and not a
// multiple of 360 the truncated quotient is the floor's plus 1. The lanes
// live in the caller's variables (kept in registers; a struct holding them
// went through memory on every step).
template <class W>
struct QuotientSteps {
    W byQuotient, byRemainder, belowZero;
    int negativeFrom, negativeTo;  // the pixels whose value is below 0 (u is linear in the pixel)
};
[[gnu::always_inline]] inline void FloorDivide360(std::int64_t u, std::int64_t& q, std::int64_t& r) {
    q = u / 360;
    r = u % 360;
    if (r < 0) {
        r += 360;
        --q;
    }
}
template <class W>
QuotientSteps<W> StartQuotients(std::int32_t start, std::int32_t step, std::int32_t low, int width, W& quotient,
                                W& remainder) {
    constexpr int kLanes = static_cast<int>(sizeof(W) / 4);
    // The lanes' floors through the bias that makes every u positive (see
    // BiasedQuotients), a division by a constant in vector lanes.
    const W biased = Ramp<W>(start, step) + 360u * kQuotientBias;
    const W whole = biased / 360u;
    quotient = whole - (kQuotientBias + static_cast<std::uint32_t>(low));
    remainder = biased - whole * 360u - 360u;
    std::int64_t q = 0, r = 0;
    FloorDivide360(std::int64_t{kLanes} * step, q, r);
    QuotientSteps<W> steps;
    // The carry mask is -1 where none came, hence the 1 more.
    steps.byQuotient = W{} + static_cast<std::uint32_t>(q + 1);
    steps.byRemainder = W{} + static_cast<std::uint32_t>(r);
    steps.belowZero = W{} + static_cast<std::uint32_t>(-std::int64_t{low});
    // u < 0 before the first pixel at or above 0 when u grows, after the
    // last one when it falls.
    const std::int64_t u = start, by = step;
    std::int64_t from = 0, to = 0;
    if (by > 0) {
        to = u >= 0 ? 0 : (-u + by - 1) / by;
    } else if (by < 0) {
        from = u < 0 ? 0 : u / -by + 1;
        to = width;
    } else if (u < 0) {
        to = width;
    }
    steps.negativeFrom = static_cast<int>(std::min<std::int64_t>(from, width));
    steps.negativeTo = static_cast<int>(std::min<std::int64_t>(to, width));
    return steps;
}
// The quotients of the current lanes; then steps the lanes on a vector.
template <bool Negative, class W, class I>
[[gnu::always_inline]] inline W NextQuotients(W& quotient, W& remainder, W byQuotient, W byRemainder, W belowZero) {
    W out = quotient;
    if constexpr (Negative) out -= (W)(((I)quotient < (I)belowZero) & ((I)remainder != (I)(W{} - 360u)));
    remainder += byRemainder;
    const W noCarry = (W)((I)remainder >> 31);
    remainder -= ~noCarry & 360u;
    quotient += byQuotient + noCarry;
    return out;
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

// Vectors of 64-bit lanes.
template <int Bytes>
struct QuadLanes;
template <>
struct QuadLanes<16> {
    using Q = std::uint64_t __attribute__((vector_size(16)));
};
template <>
struct QuadLanes<32> {
    using Q = std::uint64_t __attribute__((vector_size(32)));
};

// The floor's row, a vector of colours at a time: the places of its pixels
// (quotients stepped in vector lanes, map entries by windows in AVX2 or
// lane by lane), the colours looked up from them one by one, two places
// taken from the register at a time, and put into the row.
template <int Bytes>
void FloorPixelsRow(std::uint16_t* d, const FloorRow& f, int width) {
    using W = typename WordLanes<Bytes>::U32;
    using I = typename WordLanes<Bytes>::I32;
    using U = typename Lanes<Bytes>::U16;
    constexpr int n = Bytes / 4;              // pixels of one vector of places
    constexpr int m = Lanes<Bytes>::kCount;  // pixels of one vector of colours
    W quotientU, remainderU, quotientV, remainderV;
    const QuotientSteps<W> stepsU = StartQuotients(f.u, f.stepU, f.lowU, width, quotientU, remainderU);
    const QuotientSteps<W> stepsV = StartQuotients(f.v, f.stepV, f.lowV, width, quotientV, remainderV);
    const W none = W{} + f.none;
    const U marker = U{} + f.marker;
#if defined(__AVX2__)
    const W leastU = W{} + (f.stepU >= 0 ? 0u : 7u), leastV = W{} + (f.stepV >= 0 ? 0u : 7u);
#endif
    // The places stay in registers (the look-ups are bound by loads, the
    // places by vector arithmetic, so the two overlap), and a gather
    // instruction is slower here than looking up one by one. The last
    // pixels (fewer than a vector) take the places one by one, since lanes
    // past the row's end could lie outside the maps, padded with colour 0
    // and written through a copy.
    auto put = [&](std::uint16_t* at, U colour, int count) {
        const U drawn = (U)(colour != 0);
        if (count == m) {
            Store(at, (U)((Load<U>(at) & ~drawn) | (colour & ~marker & drawn)));
            return;
        }
        std::uint16_t last[m] = {};
        const auto bytes = static_cast<std::size_t>(count) * 2;
        std::memcpy(last, at, bytes);
        Store(last, (U)((Load<U>(last) & ~drawn) | (colour & ~marker & drawn)));
        std::memcpy(at, last, bytes);
    };
    using Q = typename QuadLanes<Bytes>::Q;
    int x = 0;
    auto rowOf = [&](auto fixU, auto fixV, int until) {
        W qU = quotientU, rU = remainderU, qV = quotientV, rV = remainderV;
        const W byQU = stepsU.byQuotient, byRU = stepsU.byRemainder, zeroU = stepsU.belowZero;
        const W byQV = stepsV.byQuotient, byRV = stepsV.byRemainder, zeroV = stepsV.belowZero;
        for (; x + m <= width && x < until; x += m) {
            U colour;
            for (int h = 0; h < m; h += n) {
                const W qu = NextQuotients<decltype(fixU)::value, W, I>(qU, rU, byQU, byRU, zeroU);
                const W qv = NextQuotients<decltype(fixV)::value, W, I>(qV, rV, byQV, byRV, zeroV);
                W place;
#if defined(__AVX2__)
                if constexpr (Bytes == 32)
                    place = WindowLookup(f.columns, qu, leastU) + WindowLookup(f.rows, qv, leastV);
                else
#endif
                    for (int l = 0; l < n; ++l) place[l] = f.columns[qu[l]] + f.rows[qv[l]];
                const Q pairs = (Q)(W)(place < none ? place : none);
                for (int l = 0; l < n; l += 2) {
                    const std::uint64_t two = pairs[l / 2];
                    colour[h + l] = f.colours[static_cast<std::uint32_t>(two)];
                    colour[h + l + 1] = f.colours[two >> 32];
                }
            }
            put(d + x, colour, m);
        }
        quotientU = qU;
        remainderU = rU;
        quotientV = qV;
        remainderV = rV;
    };
    // Runs of vectors alike in which axes have values below 0 and need the
    // quotients' sign fix (a vector at pixel p has one in the span [from,
    // to) when from - n < p < to; a group of m pixels when from - m < p < to).
    auto needsFix = [](const QuotientSteps<W>& a, int p) { return p < a.negativeTo && p + m > a.negativeFrom; };
    auto runEnd = [&](int from) {
        int end = width;
        for (const int change :
             {stepsU.negativeFrom - m + 1, stepsU.negativeTo, stepsV.negativeFrom - m + 1, stepsV.negativeTo})
            if (change > from && change < end) end = change;
        return end;
    };
    while (x + m <= width) {
        const int until = runEnd(x);
        const bool fixU = needsFix(stepsU, x), fixV = needsFix(stepsV, x);
        if (fixU && fixV)
            rowOf(std::true_type{}, std::true_type{}, until);
        else if (fixU)
            rowOf(std::true_type{}, std::false_type{}, until);
        else if (fixV)
            rowOf(std::false_type{}, std::true_type{}, until);
        else
            rowOf(std::false_type{}, std::false_type{}, until);
    }
    if (x == width) return;
    U colour;
    for (int k = 0; k < m; ++k) {
        const std::int64_t i = x + k;
        if (i >= width) {
            colour[k] = 0;
            continue;
        }
        const std::int64_t qu = (static_cast<std::int64_t>(f.u) + i * f.stepU) / 360 - f.lowU;
        const std::int64_t qv = (static_cast<std::int64_t>(f.v) + i * f.stepV) / 360 - f.lowV;
        const std::uint32_t place = f.columns[qu] + f.rows[qv];
        colour[k] = f.colours[place < f.none ? place : f.none];
    }
    put(d + x, colour, width - x);
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
            if (shade.high)
                scaled[i] = MulHigh((U)(c.c[i] << 11), U{} + shade.highMultiplier[i]) >> shade.highShift[i];
            else
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

// Two registers of 32-bit lanes below 2^16 narrowed into one vector of
// 16-bit lanes, lo first.
template <int Bytes>
[[gnu::always_inline]] inline typename Lanes<Bytes>::U16 NarrowPixels(typename WordLanes<Bytes>::U32 lo,
                                                                     typename WordLanes<Bytes>::U32 hi) {
    using U = typename Lanes<Bytes>::U16;
    if constexpr (Bytes == 16) {
        return __builtin_shufflevector((U)lo, (U)hi, 0, 2, 4, 6, 8, 10, 12, 14);
    } else {
        return __builtin_shufflevector((U)lo, (U)hi, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    }
}

// The words of pixels' fields, lower and upper halves apart: lanes 0 to
// n/2 - 1 (First) or n/2 to n - 1 of `low` interleaved with those of `high`.
template <int Bytes, bool First>
[[gnu::always_inline]] inline typename Lanes<Bytes>::U16 InterleaveWords(typename Lanes<Bytes>::U16 low,
                                                                         typename Lanes<Bytes>::U16 high) {
    if constexpr (Bytes == 16) {
        if constexpr (First) return __builtin_shufflevector(low, high, 0, 8, 1, 9, 2, 10, 3, 11);
        else return __builtin_shufflevector(low, high, 4, 12, 5, 13, 6, 14, 7, 15);
    } else {
        if constexpr (First)
            return __builtin_shufflevector(low, high, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
        else
            return __builtin_shufflevector(low, high, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    }
}

// The channels are split in 16-bit lanes, a whole vector of pixels at a
// time: blue and green make the lower word of each field word (fields at
// 0 and 8), red the upper one (field 16).
static_assert(kFieldShift[0] == 16 && kFieldShift[1] == 8 && kFieldShift[2] == 0);
template <int Bytes, bool Foreign>
void PixelFieldsLoop(std::uint32_t* out, const std::uint16_t* pixels, int width, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    constexpr int n = Lanes<Bytes>::kCount;
    const unsigned shift[3] = {q.shift5[0], q.shift5[1], q.shift5[2]};
    const std::uint16_t foreign = q.foreign;
    auto one = [&](std::uint32_t* o, const std::uint16_t* p) {
        U v = Load<U>(p);
        if constexpr (Foreign) v &= (U)((v & foreign) == 0);  // such pixels split into zeros
        const U low = (U)(((v >> shift[2]) & 31) | (((v >> shift[1]) & 31) << 8));
        const U high = (U)((v >> shift[0]) & 31);
        Store(o, InterleaveWords<Bytes, true>(low, high));
        Store(o + n / 2, InterleaveWords<Bytes, false>(low, high));
    };
    int x = 0;
    for (; x + n <= width; x += n) one(out + x, pixels + x);
    if (x < width) {
        const auto count = static_cast<std::size_t>(width - x);
        std::uint16_t pb[n] = {};
        std::uint32_t ob[n];
        std::memcpy(pb, pixels + x, count * 2);
        one(ob, pb);
        std::memcpy(out + x, ob, count * 4);
    }
}

template <int Bytes>
void PixelFieldsRow(std::uint32_t* out, const std::uint16_t* pixels, int width, const RowParams& q) {
    if (q.foreign)
        PixelFieldsLoop<Bytes, true>(out, pixels, width, q);
    else
        PixelFieldsLoop<Bytes, false>(out, pixels, width, q);
}

#if defined(__AVX2__)
// With AVX2, a row of pixels (a multiple of 16) from their byte fields
// [blue, green, red, 0] in two multiply-adds: pairs of bytes give the words
// blue + green * 2^g and red, pairs of those words the pixel, blue + green *
// 2^g + red * 2^r (g and r the places of green and red, blue at 0, g at most
// 6 so the byte weight fits). The pixels are below 2^16, so the narrowing
// with unsigned saturation keeps them; it works within each half of the
// register, so the middle quarters swap places after it.
void PackByteFieldsRow(std::uint16_t* d, const std::uint32_t* fields, int width, const RowParams& q) {
    using Bytes8 = char __attribute__((vector_size(32)));
    using Words16 = short __attribute__((vector_size(32)));
    using Words32 = int __attribute__((vector_size(32)));
    using Quads = long long __attribute__((vector_size(32)));
    const Bytes8 byteWeights = (Bytes8)(Words32{} + (1 | (1 << q.shift5[1]) << 8 | 1 << 16));
    const Words16 wordWeights = (Words16)(Words32{} + ((1 << q.shift5[0]) << 16 | 1));
    for (int x = 0; x < width; x += 16) {
        const Bytes8 lo = Load<Bytes8>(fields + x), hi = Load<Bytes8>(fields + x + 8);
        const Words32 a = __builtin_ia32_pmaddwd256(__builtin_ia32_pmaddubsw256(lo, byteWeights), wordWeights);
        const Words32 b = __builtin_ia32_pmaddwd256(__builtin_ia32_pmaddubsw256(hi, byteWeights), wordWeights);
        const Quads packed = (Quads)__builtin_ia32_packusdw256(a, b);
        Store(d + x, (Lanes<32>::U16)__builtin_shufflevector(packed, packed, 0, 2, 1, 3));
    }
}
#endif

template <int Bytes>
void PackFieldsRow(std::uint16_t* d, const std::uint32_t* fields, int width, const RowParams& q) {
    using W = typename WordLanes<Bytes>::U32;
    constexpr int n = Lanes<Bytes>::kCount;
    // Each field moved down to its channel and masked there; the shifts are
    // held apart from q, which the stores of pixels could change.
    std::uint32_t mask[3];
    unsigned down[3];
    for (int i = 0; i < 3; ++i) {
        mask[i] = 31u << q.shift5[i];
        down[i] = static_cast<unsigned>(kFieldShift[i] - q.shift5[i]);
    }
    auto pack = [&](const std::uint32_t* f) {
        const W v = Load<W>(f);
        W p = W{};
        for (int i = 0; i < 3; ++i) p |= (v >> down[i]) & mask[i];
        return p;
    };
    auto one = [&](std::uint16_t* o, const std::uint32_t* f) { Store(o, NarrowPixels<Bytes>(pack(f), pack(f + n / 2))); };
    int x = 0;
#if defined(__AVX2__)
    if constexpr (Bytes == 32) {
        if (q.shift5[2] == 0 && q.shift5[1] <= 6 && q.shift5[0] <= 14) {
            x = width / n * n;
            PackByteFieldsRow(d, fields, x, q);
        }
    }
#endif
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

// ---- The screen blur's wavefront ---------------------------------------------------
//
// The blur is a chain along each row (the left neighbour is the pixel just
// written) and down the rows (the upper neighbour too). Lane r of a block
// of kBlurWaveRows rows runs r pixels behind lane r - 1: at step t it makes
// pixel t - r of its row, whose upper neighbour lane r - 1 made at step
// t - 1 and whose left neighbour is the lane's own last pixel. A step is
// then a few vector operations for the whole block.

// The lanes moved up by one: lane 0 takes the last lane of `before`, lane
// i > 0 lane i - 1 of `v`.
template <class W>
[[gnu::always_inline]] inline W LanesAfter(W before, W v) {
    if constexpr (sizeof(W) == 16) {
        return __builtin_shufflevector(before, v, 3, 4, 5, 6);
    } else {
        return __builtin_shufflevector(before, v, 7, 8, 9, 10, 11, 12, 13, 14);
    }
}

// Transposes a square of n x n words (n the lanes of W): lane j of r[i]
// becomes lane i of r[j].
template <class W>
[[gnu::always_inline]] inline void TransposeWords(W* r) {
    if constexpr (sizeof(W) == 16) {
        const W t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
        const W t1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
        const W t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
        const W t3 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
        r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
        r[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
        r[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
        r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
    } else {
        // Pairs of words interleaved, then pairs of pairs, within each half
        // of the register; the halves are swapped last.
        W t[8], u[8];
        for (int i = 0; i < 8; i += 2) {
            t[i] = __builtin_shufflevector(r[i], r[i + 1], 0, 8, 1, 9, 4, 12, 5, 13);
            t[i + 1] = __builtin_shufflevector(r[i], r[i + 1], 2, 10, 3, 11, 6, 14, 7, 15);
        }
        for (int i = 0; i < 8; i += 4) {
            u[i] = __builtin_shufflevector(t[i], t[i + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            u[i + 1] = __builtin_shufflevector(t[i], t[i + 2], 2, 3, 10, 11, 6, 7, 14, 15);
            u[i + 2] = __builtin_shufflevector(t[i + 1], t[i + 3], 0, 1, 8, 9, 4, 5, 12, 13);
            u[i + 3] = __builtin_shufflevector(t[i + 1], t[i + 3], 2, 3, 10, 11, 6, 7, 14, 15);
        }
        for (int i = 0; i < 4; ++i) {
            r[i] = __builtin_shufflevector(u[i], u[i + 4], 0, 1, 2, 3, 8, 9, 10, 11);
            r[i + 4] = __builtin_shufflevector(u[i], u[i + 4], 4, 5, 6, 7, 12, 13, 14, 15);
        }
    }
}

template <int Bytes, bool Fade>
void BlurWaveSteps(std::uint32_t* fields, std::ptrdiff_t pitch, const std::uint32_t* up, int steps,
                   std::uint32_t fadeBits) {
    using W = typename WordLanes<Bytes>::U32;
    constexpr int n = Bytes / 4;
    constexpr int kVectors = kBlurWaveRows / n;
    constexpr std::uint32_t kMask = (31u << kFieldShift[0]) | (31u << kFieldShift[1]) | (31u << kFieldShift[2]);
    using F = typename ByteLanes<Bytes>::Full;
    const F fade = (F)(W{} + fadeBits);
    // Lane r has started at step t when r <= t: all ones from entry
    // kBlurWaveRows - 1 - t + r of this table.
    static constexpr auto kStarted = [] {
        struct Table {
            std::uint32_t bits[2 * kBlurWaveRows];
        } table{};
        for (int i = 0; i < kBlurWaveRows; ++i) table.bits[i] = ~0u;
        return table;
    }();
    // Before its first step a lane holds its row's left edge, entry r of row r.
    alignas(64) std::uint32_t edge[kBlurWaveRows];
    for (int r = 0; r < kBlurWaveRows; ++r) edge[r] = fields[r * pitch + r];
    W v[kVectors], start[kVectors];
    for (int k = 0; k < kVectors; ++k) v[k] = start[k] = Load<W>(edge + k * n);
    // n steps at a time: the sums of their old neighbours made along the
    // rows and turned into steps, the steps run, and their pixels turned
    // back into rows.
    alignas(64) std::uint32_t block[n * kBlurWaveRows];
    for (int first = 0; first < steps; first += n) {
        for (int k = 0; k < kVectors; ++k) {
            // Right and lower neighbours of step t: entry t + 2 of the row
            // and of the row under it.
            const std::uint32_t* from = fields + k * n * pitch + first + 2;
            W sums[n];
            W below = Load<W>(from);
            for (int i = 0; i < n; ++i) {
                const W here = below;
                below = Load<W>(from + (i + 1) * pitch);
                sums[i] = here + below;
            }
            if (k == 0) sums[0] += Load<W>(up + first + 1);  // the finished row above
            TransposeWords(sums);
            for (int i = 0; i < n; ++i) Store(block + i * kBlurWaveRows + k * n, sums[i]);
        }
        // One step of every lane; while some lanes have not started, those
        // keep their row's left edge.
        auto step = [&](int t, auto starting) {
            std::uint32_t* lanes = block + (t - first) * kBlurWaveRows;
            W before = W{};  // no lane above lane 0: its upper neighbour is in its sums
            for (int k = 0; k < kVectors; ++k) {
                const W sum = v[k] + (LanesAfter(before, v[k]) + Load<W>(lanes + k * n));
                before = v[k];
                W out = (sum >> 2) & kMask;
                // The fields are bytes: fading is a subtract that stops at 0
                // (in this form the compiler makes it two byte operations).
                if constexpr (Fade) out = (W)((F)out - Min((F)out, fade));
                if constexpr (decltype(starting)::value) {
                    const W started = Load<W>(kStarted.bits + kBlurWaveRows - 1 - t + k * n);
                    out = (out & started) | (start[k] & ~started);
                }
                v[k] = out;
                Store(lanes + k * n, out);
            }
        };
        if (first < kBlurWaveRows) {
            for (int t = first; t < first + n; ++t) step(t, std::true_type{});
        } else {
            for (int t = first; t < first + n; ++t) step(t, std::false_type{});
        }
        for (int k = 0; k < kVectors; ++k) {
            W out[n];
            for (int i = 0; i < n; ++i) out[i] = Load<W>(block + i * kBlurWaveRows + k * n);
            TransposeWords(out);
            for (int i = 0; i < n; ++i) Store(fields + (k * n + i) * pitch + first, out[i]);
        }
    }
}

template <int Bytes>
void BlurWaveRows(std::uint32_t* fields, std::ptrdiff_t pitch, const std::uint32_t* up, int steps,
                  std::uint32_t fadeBits) {
    if (fadeBits)
        BlurWaveSteps<Bytes, true>(fields, pitch, up, steps, fadeBits);
    else
        BlurWaveSteps<Bytes, false>(fields, pitch, up, steps, 0);
}

template <int Bytes>
struct EffectTable {
    EffectKernels kernels = {GlowLightRow<Bytes>, GlowGatherRow<Bytes>, GlowApplyRow<Bytes>, NoiseRow<Bytes>,
                             RiseRow<Bytes>, SmoothEdgeRow<Bytes>, RefractShiftsRow<Bytes>,
                             TunnelIndicesRow<Bytes>, BlurColumnsRow<Bytes>, BlurStoreRow<Bytes>,
                             PixelFieldsRow<Bytes>, PackFieldsRow<Bytes>, RotationQuotientsRow<Bytes>,
                             TileWalkRow<Bytes>, BlurWaveRows<Bytes>, FloorPixelsRow<Bytes>,
                             FloorColoursRow<Bytes>};
};

}  // namespace
}  // namespace elDraw
