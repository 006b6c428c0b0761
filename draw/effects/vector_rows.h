// Row loops of the blended and recoloured draws written for vector units:
// SSE2 (the baseline of every x86-64 processor) and AVX2 (chosen at run time
// when the processor has it). Each row rule gives exactly the pixels of the
// plain per-pixel loop in blend.cpp; the 5-bit table look-ups are replaced by
// the arithmetic the tables were built from. Elsewhere (other processors or
// compilers) no vector rows exist and the plain loops run.
#pragma once

#include <cstdint>

namespace elDraw {

enum class VectorLevel { Plain = 0, Sse2 = 1, Avx2 = 2 };

// The widest level this build and processor can run.
VectorLevel BestVectorLevel();
// The level the draws use: the best one unless lowered by SetVectorLevel.
VectorLevel ActiveVectorLevel();
// Chooses a level (capped at the best one); the tests compare every level
// with the plain loops.
void SetVectorLevel(VectorLevel level);

// What a row rule needs besides the pixels: the channel layout of
// PixelFormat and the draw's own parameters.
struct RowParams {
    std::uint16_t shift5[3];   // where a 0-31 channel value goes
    std::uint16_t shift[3];    // full precision: (p >> shift) & max
    std::uint16_t max[3];
    std::uint16_t foreign;     // bits outside the channels: such pixels split into zeros
    std::uint16_t mask;        // channel mask, or the half mask
    std::uint16_t level[3];    // cross-fade, darkening or add index per channel (0-31)
    double sourceWeight[3];    // full-precision mixes
    double destWeight[3];
    std::uint32_t fixedSource[3];  // the same weights in units of 2^-kFixedBits
    std::uint32_t fixedDest[3];
    // Per-column integer weights, from the row's first pixel on, readable
    // kMaxLanes entries past the row's end.
    const std::uint32_t* columnSource[3];
    const std::uint32_t* columnDest[3];
    // Per-column cross-fade levels, laid out the same way.
    const std::uint16_t* columnLevel[3];
};

constexpr int kMaxLanes = 16;

constexpr int kFixedBits = 26;

enum class RowOp {
    Half,       // ((s >> 1) & mask) + ((d >> 1) & mask)
    Fade,       // per 5-bit channel: max(0, s - k) + max(0, d - (31 - k))
    DarkenAdd,  // min(31, max(0, s - k) + d), k = level[0]
    Subtract,   // max(0, d - red of s) in every channel
    Mask,       // s & mask
    Dark,       // max(0, s - k)
    Gray,       // (r + g + b) / 3 in every channel
    Mix,        // full precision: trunc(s * sourceWeight + d * destWeight)
    MixFixed,   // the same in integers: (s * fixedSource + d * fixedDest) >> kFixedBits
    MixFixedColumns,  // the same with the weights of each column
    FadeColumns,      // Fade with the levels of each column
    Count
};

// Runs over one row: d[i] = rule(s[i], d[i]) wherever s[i] is not 0.
using RowKernel = void (*)(std::uint16_t* d, const std::uint16_t* s, int width, const RowParams& p);

// The vector row for op at the active level, or nullptr when the plain loop
// must run (no vector level, or a pixel layout other than 5:6:5 and 5:5:5).
RowKernel VectorRow(RowOp op);
// RowParams with the layout of PixelFormat filled in.
RowParams LayoutParams();
// Fills the fixed-point weights from the double ones and checks every pair
// of channel values: true when the integer mix gives the double mix's result
// for all of them (so MixFixed may replace Mix), false when rounding the
// weights changed any result.
bool FixedWeights(RowParams& p);

// The kernels of one level, for the dispatch (nullptr entries when the level
// is not built).
const RowKernel* Sse2Rows();
const RowKernel* Avx2Rows();

}  // namespace elDraw
