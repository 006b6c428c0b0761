// The vector row dispatch: SSE2 rows on every x86-64 build, AVX2 rows when
// the processor has AVX2, nothing elsewhere.
#include "draw/effects/vector_rows.h"

#include <cstring>

#include "draw/elDraw.h"

#if defined(__GNUC__) && defined(__SSE2__) && (defined(__x86_64__) || defined(_M_X64))
#define EL_VECTOR_ROWS 1
#include "draw/effects/vector_effects_impl.h"
#include "draw/effects/vector_rows_impl.h"
#else
#define EL_VECTOR_ROWS 0
#endif

namespace elDraw {

#if EL_VECTOR_ROWS
const RowKernel* Sse2Rows() {
    static const RowTable<16> table;
    return table.rows;
}
const EffectKernels* Sse2Effects() {
    static const EffectTable<16> table;
    return &table.kernels;
}
#else
const RowKernel* Sse2Rows() { return nullptr; }
const EffectKernels* Sse2Effects() { return nullptr; }
#endif

namespace {

VectorLevel DetectBest() {
#if EL_VECTOR_ROWS
    __builtin_cpu_init();
    if (Avx2Rows() && __builtin_cpu_supports("avx2")) return VectorLevel::Avx2;
    return Sse2Rows() ? VectorLevel::Sse2 : VectorLevel::Plain;
#else
    return VectorLevel::Plain;
#endif
}

VectorLevel& Chosen() {
    static VectorLevel level = BestVectorLevel();
    return level;
}

// The vector rules reproduce the split table for the two 16-bit layouts of
// the display: 5:6:5 and 5:5:5 with blue in the low bits.
bool VectorLayout() {
    const PixelFormatInfo& f = PixelFormat;
    const bool rgb565 = f.redMask == 0xF800 && f.greenMask == 0x07E0 && f.blueMask == 0x001F;
    const bool rgb555 = f.redMask == 0x7C00 && f.greenMask == 0x03E0 && f.blueMask == 0x001F;
    return rgb565 || rgb555;
}

}  // namespace

VectorLevel BestVectorLevel() {
    static const VectorLevel best = DetectBest();
    return best;
}

VectorLevel ActiveVectorLevel() { return Chosen(); }

void SetVectorLevel(VectorLevel level) {
    Chosen() = static_cast<int>(level) < static_cast<int>(BestVectorLevel()) ? level : BestVectorLevel();
}

RowKernel VectorRow(RowOp op) {
    const RowKernel* rows = nullptr;
    switch (Chosen()) {
        case VectorLevel::Avx2: rows = Avx2Rows(); break;
        case VectorLevel::Sse2:
            // The compiler vectorises the plain half blend and channel mask
            // loops itself, and they ran faster than these rows (50 and 50
            // against 65 and 71 microseconds for 800 x 600).
            if (op == RowOp::Half || op == RowOp::Mask) return nullptr;
            rows = Sse2Rows();
            break;
        case VectorLevel::Plain: break;
    }
    if (!rows || !VectorLayout()) return nullptr;
    return rows[static_cast<int>(op)];
}

const EffectKernels* VectorEffects() {
    if (!VectorLayout()) return nullptr;
    switch (Chosen()) {
        case VectorLevel::Avx2: return Avx2Effects();
        case VectorLevel::Sse2: return Sse2Effects();
        case VectorLevel::Plain: break;
    }
    return nullptr;
}

RowParams LayoutParams() {
    const PixelFormatInfo& f = PixelFormat;
    RowParams p{};
    p.shift5[0] = f.red5Shift;
    p.shift5[1] = f.green5Shift;
    p.shift5[2] = f.blue5Shift;
    p.shift[0] = f.redShift;
    p.shift[1] = f.greenShift;
    p.shift[2] = f.blueShift;
    p.max[0] = static_cast<std::uint16_t>(f.redMax);
    p.max[1] = static_cast<std::uint16_t>(f.greenMax);
    p.max[2] = static_cast<std::uint16_t>(f.blueMax);
    p.foreign = static_cast<std::uint16_t>(~f.fullMask);
    return p;
}

namespace {

// One channel's integer weights and whether they reproduce the double mix
// for every pair of channel values 0..max.
struct FixedChannel {
    double sourceWeight = -1.0;
    double destWeight = -1.0;
    std::uint32_t max = 0;
    bool exact = false;
    std::uint32_t source = 0;
    std::uint32_t dest = 0;
};

FixedChannel CheckFixed(double sw, double dw, std::uint32_t max) {
    constexpr double kUnit = 1 << kFixedBits;
    FixedChannel f{sw, dw, max, false, 0, 0};
    if (!(sw >= 0.0 && sw <= 1.0 && dw >= 0.0 && dw <= 1.0)) return f;
    const auto a = static_cast<std::uint64_t>(sw * kUnit + 0.5);
    const auto b = static_cast<std::uint64_t>(dw * kUnit + 0.5);
    if (std::uint64_t{max} * (a + b) > 0xFFFFFFFFu) return f;
    // The products and sums the plain loop computes, compared for every
    // pair of channel values.
    for (std::uint64_t i = 0; i <= max; ++i) {
        const double x = static_cast<double>(i) * sw;
        for (std::uint64_t j = 0; j <= max; ++j) {
            const auto exact = static_cast<std::uint64_t>(x + static_cast<double>(j) * dw);
            if (((i * a + j * b) >> kFixedBits) != exact) return f;
        }
    }
    f.exact = true;
    f.source = static_cast<std::uint32_t>(a);
    f.dest = static_cast<std::uint32_t>(b);
    return f;
}

// Draws repeat their weights frame after frame (and a gradient runs through
// the same few dozen): checked weights are remembered in a small table,
// probed linearly from the weights' hash over up to kProbes slots.
const FixedChannel& CachedFixed(double sw, double dw, std::uint32_t max) {
    constexpr std::size_t kSlots = 1024, kProbes = 8;
    static FixedChannel cache[kSlots];
    std::uint64_t bits = 0, more = 0;
    std::memcpy(&bits, &sw, sizeof bits);
    std::memcpy(&more, &dw, sizeof more);
    std::uint64_t h = bits ^ ((more << 32) | (more >> 32)) ^ max;
    h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
    const std::size_t home = static_cast<std::size_t>(h ^ (h >> 31)) % kSlots;
    for (std::size_t i = 0; i < kProbes; ++i) {
        FixedChannel& slot = cache[(home + i) % kSlots];
        if (slot.sourceWeight == sw && slot.destWeight == dw && slot.max == max) return slot;
        // Unused slots hold the weight -1, which no draw asks for.
        if (slot.sourceWeight < 0.0) return slot = CheckFixed(sw, dw, max);
    }
    return cache[home] = CheckFixed(sw, dw, max);
}

}  // namespace

bool FixedWeights(RowParams& p) {
    for (int c = 0; c < 3; ++c) {
        const FixedChannel& f = CachedFixed(p.sourceWeight[c], p.destWeight[c], p.max[c]);
        if (!f.exact) return false;
        p.fixedSource[c] = f.source;
        p.fixedDest[c] = f.dest;
    }
    return true;
}

}  // namespace elDraw
