// The row rules of vector_rows.h, written once over GCC's vector types and
// compiled twice: with 16-byte vectors in vector_rows.cpp (SSE2) and with
// 32-byte vectors in vector_rows_avx2.cpp (built with AVX2 enabled). Every
// name here has internal linkage, so no AVX2 instruction can leak into the
// baseline code through a shared inline function.
#pragma once

#include <cstdint>
#include <cstring>

#include "draw/effects/vector_rows.h"

namespace elDraw {
namespace {

// Lanes of 16-bit pixels and the same count of 32-bit integers and doubles
// (the vector attribute needs concrete sizes).
template <int Bytes>
struct Lanes;
template <>
struct Lanes<16> {
    using U16 = std::uint16_t __attribute__((vector_size(16)));
    using I32 = std::int32_t __attribute__((vector_size(32)));
    using U32 = std::uint32_t __attribute__((vector_size(32)));
    using F64 = double __attribute__((vector_size(64)));
    static constexpr int kCount = 8;
};
template <>
struct Lanes<32> {
    using U16 = std::uint16_t __attribute__((vector_size(32)));
    using I32 = std::int32_t __attribute__((vector_size(64)));
    using U32 = std::uint32_t __attribute__((vector_size(64)));
    using F64 = double __attribute__((vector_size(128)));
    static constexpr int kCount = 16;
};

// Applies rule(s, d, x) to whole vectors of the row (x: the first column of
// the vector) and keeps d where s is 0.
// The last partial vector goes through zero-padded copies (padding is
// transparent), so the rule is the same for every pixel.
template <int Bytes, class Rule>
[[gnu::always_inline]] inline void RunRow(std::uint16_t* d, const std::uint16_t* s, int width, Rule rule) {
    using U = typename Lanes<Bytes>::U16;
    constexpr int n = Lanes<Bytes>::kCount;
    auto one = [&rule](std::uint16_t* dp, const std::uint16_t* sp, int column) {
        U sv, dv;
        std::memcpy(&sv, sp, sizeof sv);
        std::memcpy(&dv, dp, sizeof dv);
        const U keep = (U)(sv == 0);
        const U out = rule(sv, dv, column);
        dv = (dv & keep) | (out & ~keep);
        std::memcpy(dp, &dv, sizeof dv);
    };
    int x = 0;
    for (; x + n <= width; x += n) one(d + x, s + x, x);
    if (x < width) {
        std::uint16_t sb[n] = {}, db[n] = {};
        const auto rest = static_cast<std::size_t>(width - x) * 2;
        std::memcpy(sb, s + x, rest);
        std::memcpy(db, d + x, rest);
        one(db, sb, x);
        std::memcpy(d + x, db, rest);
    }
}

template <class U>
[[gnu::always_inline]] inline U Min(U a, U b) { return a < b ? a : b; }
// max(0, a - b) for unsigned lanes.
template <class U>
[[gnu::always_inline]] inline U SubFloor(U a, U b) { return a - Min(a, b); }

// The 5-bit channels of pixels as the split table gives them: pixels with
// bits outside the channels split into zeros.
template <class U>
struct Split5 {
    U c[3];
    [[gnu::always_inline]] Split5(U p, const RowParams& q) {
        if (q.foreign) p &= (U)((p & q.foreign) == 0);  // 5:6:5 has no such bits
        for (int i = 0; i < 3; ++i) c[i] = (p >> q.shift5[i]) & 31;
    }
};

template <class U>
[[gnu::always_inline]] inline U Place5(const U* c, const RowParams& q) {
    return (U)((c[0] << q.shift5[0]) | (c[1] << q.shift5[1]) | (c[2] << q.shift5[2]));
}

template <int Bytes>
void HalfRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int) { return (U)(((a >> 1) & q.mask) + ((b >> 1) & q.mask)); });
}

template <int Bytes>
void FadeRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int) {
        const Split5<U> x(a, q), y(b, q);
        U out[3];
        for (int i = 0; i < 3; ++i)
            out[i] = SubFloor(x.c[i], U{} + q.level[i]) +
                     SubFloor(y.c[i], U{} + static_cast<std::uint16_t>(31 - q.level[i]));
        return Place5(out, q);
    });
}

template <int Bytes>
void FadeColumnsRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int column) {
        const Split5<U> x(a, q), y(b, q);
        U out[3];
        for (int i = 0; i < 3; ++i) {
            U k;
            std::memcpy(&k, q.columnLevel[i] + column, sizeof k);
            out[i] = SubFloor(x.c[i], k) + SubFloor(y.c[i], (U)(31 - k));
        }
        return Place5(out, q);
    });
}

template <int Bytes>
void DarkenAddRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int) {
        const Split5<U> x(a, q), y(b, q);
        const U k = U{} + q.level[0];
        const U top = U{} + 31;
        U out[3];
        for (int i = 0; i < 3; ++i) out[i] = Min((U)(SubFloor(x.c[i], k) + y.c[i]), top);
        return Place5(out, q);
    });
}

template <int Bytes>
void SubtractRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int) {
        const Split5<U> x(a, q), y(b, q);
        U out[3];
        for (int i = 0; i < 3; ++i) out[i] = SubFloor(y.c[i], x.c[0]);
        return Place5(out, q);
    });
}

template <int Bytes>
void MaskRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U, int) { return (U)(a & q.mask); });
}

template <int Bytes>
void DarkRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U, int) {
        const Split5<U> x(a, q);
        U out[3];
        for (int i = 0; i < 3; ++i) out[i] = SubFloor(x.c[i], U{} + q.level[i]);
        return Place5(out, q);
    });
}

template <int Bytes>
void GrayRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [&q](U a, U, int) {
        const Split5<U> x(a, q);
        // sum / 3 for sums 0-93: sum * 171 stays below 2^16.
        const U v = (U)(((x.c[0] + x.c[1] + x.c[2]) * 171) >> 9);
        const U out[3] = {v, v, v};
        return Place5(out, q);
    });
}

// Full precision in doubles, as the plain loop computes: each product is
// rounded once, their sum once, and the sum truncated. The same IEEE
// operations in the same order give the same bits lane by lane.
template <int Bytes>
void MixRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using I = typename Lanes<Bytes>::I32;
    using F = typename Lanes<Bytes>::F64;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int) {
        U out = U{};
        for (int i = 0; i < 3; ++i) {
            const F x = __builtin_convertvector(__builtin_convertvector((a >> q.shift[i]) & q.max[i], I), F);
            const F y = __builtin_convertvector(__builtin_convertvector((b >> q.shift[i]) & q.max[i], I), F);
            const F sum = x * q.sourceWeight[i] + y * q.destWeight[i];
            out |= (U)(__builtin_convertvector(__builtin_convertvector(sum, I), U) << q.shift[i]);
        }
        return out;
    });
}

// The mix in 32-bit integers with weights checked by FixedWeights.
template <int Bytes>
void MixFixedRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using W = typename Lanes<Bytes>::U32;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int) {
        U out = U{};
        for (int i = 0; i < 3; ++i) {
            const W x = __builtin_convertvector((a >> q.shift[i]) & q.max[i], W);
            const W y = __builtin_convertvector((b >> q.shift[i]) & q.max[i], W);
            const W sum = (x * q.fixedSource[i] + y * q.fixedDest[i]) >> kFixedBits;
            out |= (U)(__builtin_convertvector(sum, U) << q.shift[i]);
        }
        return out;
    });
}

// The integer mix with weights per column (gradients along the rows).
template <int Bytes>
void MixFixedColumnsRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams& q) {
    using U = typename Lanes<Bytes>::U16;
    using W = typename Lanes<Bytes>::U32;
    RunRow<Bytes>(d, s, w, [&q](U a, U b, int column) {
        U out = U{};
        for (int i = 0; i < 3; ++i) {
            W sw, dw;
            std::memcpy(&sw, q.columnSource[i] + column, sizeof sw);
            std::memcpy(&dw, q.columnDest[i] + column, sizeof dw);
            const W x = __builtin_convertvector((a >> q.shift[i]) & q.max[i], W);
            const W y = __builtin_convertvector((b >> q.shift[i]) & q.max[i], W);
            const W sum = (x * sw + y * dw) >> kFixedBits;
            out |= (U)(__builtin_convertvector(sum, U) << q.shift[i]);
        }
        return out;
    });
}

template <int Bytes>
void KeyedRow(std::uint16_t* d, const std::uint16_t* s, int w, const RowParams&) {
    using U = typename Lanes<Bytes>::U16;
    RunRow<Bytes>(d, s, w, [](U a, U, int) { return a; });
}

template <int Bytes>
struct RowTable {
    RowKernel rows[static_cast<int>(RowOp::Count)] = {
        HalfRow<Bytes>, FadeRow<Bytes>, DarkenAddRow<Bytes>, SubtractRow<Bytes>,
        MaskRow<Bytes>, DarkRow<Bytes>, GrayRow<Bytes>,     MixRow<Bytes>,
        MixFixedRow<Bytes>, MixFixedColumnsRow<Bytes>, FadeColumnsRow<Bytes>, KeyedRow<Bytes>};
};

}  // namespace
}  // namespace elDraw
