// Row loops of the blended and recoloured draws written for vector units:
// SSE2 (the baseline of every x86-64 processor) and AVX2 (chosen at run time
// when the processor has it). Each row rule gives exactly the pixels of the
// plain per-pixel loop in blend.cpp; the 5-bit table look-ups are replaced by
// the arithmetic the tables were built from. Elsewhere (other processors or
// compilers) no vector rows exist and the plain loops run.
#pragma once

#include <cstddef>
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
    std::uint16_t channels;    // region effects: bit 0 red, 1 green, 2 blue take noise or fade
    std::uint32_t reciprocal;  // the blur: sum / divisor = (sum * reciprocal) >> reciprocalShift
    std::uint16_t reciprocalShift;
    std::uint16_t highReciprocal;  // or, when not 0: sum / divisor = mulhi(sum, highReciprocal) >> highShift
    std::uint16_t highShift;
    std::uint16_t mask;        // channel mask, or the half mask
    std::uint16_t level[3];    // cross-fade, darkening or add index per channel (0-31); the glow's shifts
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
    Keyed,            // s: the keyed copy
    Count
};

// One ray step of the glow: light is read at this many pixels (of the light
// planes' layout) from the pixel it lands on and arrives this much weaker.
struct GlowTap {
    std::ptrdiff_t offset;
    std::uint8_t loss;
};

// 32-bit lanes of the widest vector.
constexpr int kMaxWordLanes = 8;

// The advance of the tiled floor's walk over k entries, k = 0..kMaxWordLanes:
// a remainder below divisor (under 2^24) carries 1 into a position that
// wraps at size (under 2^31); one entry advances by (position[1],
// remainder[1]).
struct TileSteps {
    std::uint32_t divisor, size;
    std::uint32_t position[kMaxWordLanes + 1], remainder[kMaxWordLanes + 1];
};

// The floor's colour factors as exact fractions: a 5-bit value v becomes
// (v * multiplier[c]) >> shift[c], multiplier below 2^24, shift below 32.
// marker: a bit outside the three 5-bit channels, set in every premade
// colour so that a colour that became 0 is still drawn.
struct FloorShade {
    std::uint32_t multiplier[3];
    std::uint32_t shift[3];
    std::uint16_t marker;
    // When high is set, the same values in 16-bit lanes as well:
    // (v * multiplier[c]) >> shift[c] = mulhi(v << 11, highMultiplier[c])
    // >> highShift[c] for every 5-bit v.
    bool high;
    std::uint16_t highMultiplier[3];
    std::uint16_t highShift[3];
};

// One row of the floor with its colours made beforehand. Pixel i has the
// quotients qu = trunc((u + i * stepU) / 360) and qv likewise (u and v of
// every pixel within +-2^30); its colour is colours[min(columns[qu - lowU]
// + rows[qv - lowV], none)] and is drawn, less the marker bit, when not 0.
// Map entries are `none` (or more) for positions outside the object, and
// colours[none] is 0, so such pixels draw nothing without a test. The maps
// need kMaxLanes readable entries past their ends.
struct FloorRow {
    const std::uint32_t* columns;
    const std::uint32_t* rows;
    const std::uint16_t* colours;
    std::uint32_t none;
    std::uint16_t marker;
    std::int32_t u, stepU, lowU;
    std::int32_t v, stepV, lowV;
};

// The row kernels of the glow and the region effects.
struct EffectKernels {
    // The light of a row of object pixels: per channel the 5-bit value
    // shifted right by level[c] (at most 5) less the pixel's noise value,
    // not below 0; opaque[i] = 0xFF where s[i] is not 0, else 0 (when
    // opaque is not null). Returns the largest light of the row.
    unsigned (*glowLight)(const std::uint16_t* s, const std::uint8_t* noise, int width, const RowParams& p,
                          std::uint8_t* const light[3], std::uint8_t* opaque);
    // Sums the light arriving at `width` pixels, per channel: late taps
    // always, early taps only where shielded is 0 (null: everywhere); each
    // tap adds max(0, light - loss) and the sums stop at 31. light[c] and
    // shielded point at the first pixel; sum[c] receives whole vectors, so
    // it must have room for kMaxLanes * 2 entries past width.
    void (*glowGather)(const std::uint8_t* const light[3], const std::uint8_t* shielded, const GlowTap* late,
                       int lateCount, const GlowTap* early, int earlyCount, int width, std::uint8_t* const sum[3]);
    // Adds the sums to a row of back pixels (5-bit channels, at most 31);
    // pixels whose three sums are 0 stay as they are.
    void (*glowApply)(std::uint16_t* d, const std::uint8_t* const sum[3], int width, const RowParams& p);
    // Adds noise[i] << level[0] to each 5-bit channel of d[i] named in
    // channels, stopping at 31, and repacks every pixel.
    void (*noiseRow)(std::uint16_t* d, const std::uint8_t* noise, int width, const RowParams& p);
    // One row of the rise: target[i] (the row above `below`) becomes the
    // four-neighbour average of below[i] where average[i] is not 0, each
    // channel named in channels lowered by 1 (not below 0), else below[i].
    // Reads below[-1] to below[width] and the row under `below`.
    void (*riseRow)(std::uint16_t* target, const std::uint16_t* below, std::ptrdiff_t pitch,
                    const std::uint8_t* average, int width, const RowParams& p);
    // One row of the smooth edge: d[i], where s[i] is opaque, becomes the
    // average of s[i]'s channels and those of the back pixels under its
    // transparent neighbours. source[0..2] and dest[0..2] are the object's
    // and the back's rows above, at and below d, each readable from column
    // -1 to whole vectors past width; source's column -1 and width hold an
    // opaque guard, as do rows past the edge.
    void (*smoothEdgeRow)(std::uint16_t* d, const std::uint16_t* s, const std::uint16_t* const source[3],
                          const std::uint16_t* const dest[3], int width, const RowParams& p);
    // The refraction's shifts of one row: shifts[i] = the 5-bit red of s[i]
    // less `lowered` where s[i] is opaque and that is 1 .. below - 1, else
    // 0. shifts has room for whole vectors past width.
    void (*refractShifts)(std::uint8_t* shifts, const std::uint16_t* s, int width, int lowered, int below,
                          const RowParams& p);
    // The tunnel's texture places of count cells (TunnelCell: signed 16-bit
    // u, then v): out[i] = v * pitch + u after adding (u0, v0) and taking
    // width or height off once where that reaches them. Sizes and pitch
    // below 32768. False when any cell lies outside the texture (out is
    // then of no use); out has room for whole vectors past count.
    bool (*tunnelIndices)(std::uint32_t* out, const void* cells, int count, int u0, int v0, int width, int height,
                          int pitch);
    // The blur's column sums: adds the 5-bit channels of row `add` and
    // subtracts those of row `sub` (none when null) to column[c][i].
    void (*blurColumns)(std::uint16_t* const column[3], const std::uint16_t* add, const std::uint16_t* sub,
                        int width, const RowParams& p);
    // d[i] = the box sum column[c][i] + ... + column[c][i + size - 1]
    // divided (highReciprocal, else reciprocal), packed, wherever s[i] is
    // not 0. Columns are read to whole vectors past width + size - 1.
    void (*blurStore)(std::uint16_t* d, const std::uint16_t* s, const std::uint16_t* const column[3], int width,
                      int size, const RowParams& p);
    // out[i] = the 5-bit channels of pixels[i] in the fields of kFieldShift
    // (pixels with bits outside the channels give zeros, as the split table).
    void (*pixelFields)(std::uint32_t* out, const std::uint16_t* pixels, int width, const RowParams& p);
    // d[i] = the 5-bit channels held in the fields of fields[i], packed.
    void (*packFields)(std::uint16_t* d, const std::uint32_t* fields, int width, const RowParams& p);
    // The rotations' source quotients along a row: out[i] = trunc((start +
    // i * step) / 360) - low, truncated toward zero, for values within
    // +-2^30 (the caller keeps them there). Writes whole vectors: out needs
    // room for kMaxLanes entries past width.
    void (*rotationQuotients)(std::int32_t* out, std::int32_t start, std::int32_t step, std::int32_t low,
                              int width);
    // The tiled floor's walk: a position in 0..size-1 and a remainder in
    // 0..divisor-1 of steps start at (position, remainder) and advance per
    // entry as steps tells; out[i] = base + position * scale for each of
    // `count` entries (the caller keeps every place below 2^32). Writes
    // whole vectors: out needs room for kMaxLanes entries past count. Then
    // out[-k] = out[k] for k = 1..mirror (mirror below count), the entries
    // before out being the caller's too.
    void (*tileWalk)(std::uint32_t* out, std::uint32_t position, std::uint32_t remainder, const TileSteps& steps,
                     std::uint32_t base, std::uint32_t scale, int count, int mirror);
    // The screen blur over a block of kBlurWaveRows rows, in the fields of
    // kFieldShift. Row r of `fields` (rows pitch words apart) holds the
    // fields of its pixels c = 0, 1, ... from entry r + c on; row
    // kBlurWaveRows holds those of the row under the block the same way, and
    // up[c] those of the finished row above. Row r does one pixel per step
    // from step r on, `steps` steps in all: pixel c + 1 becomes, per field,
    // (left + right + upper + lower) / 4, less 1 in the fields of fadeBits
    // where that is not 0, the left and upper ones already blurred, and is
    // written at entry r + c, one left of its old fields (pixel 0 and the
    // last one stay). Reads entries below s + 2 of every row and below s of
    // up, writes entries below s of the block's rows, s being steps rounded
    // up to a multiple of kMaxLanes; entries that hold no pixel must hold
    // fields below 32 (rows of the block past the image's end included).
    // The layout must have each channel at or below its field (5:6:5, 5:5:5).
    void (*blurWave)(std::uint32_t* fields, std::ptrdiff_t pitch, const std::uint32_t* up, int steps,
                     std::uint32_t fadeBits);
    // One row of a floor with premade colours, see FloorRow.
    void (*floorRow)(std::uint16_t* d, const FloorRow& row, int width);
    // The floor's premade colours of a row of object pixels: out[i] = 0
    // where s[i] is 0, else the marker | the 5-bit channels of s[i] (as
    // the split table gives them) each scaled by its FloorShade, packed.
    void (*floorColours)(std::uint16_t* out, const std::uint16_t* s, int width, const RowParams& p,
                         const FloorShade& shade);
};

// Channel fields of a 32-bit word: red at bit 16, green at 8, blue at 0,
// one byte each, so that sums of up to eight 5-bit values never carry into
// the next field and byte operations work on single fields. In both vector
// layouts (5:6:5 and 5:5:5, blue low) each channel of a pixel lies at or
// below its field.
constexpr int kFieldShift[3] = {16, 8, 0};

// The rows of one block of the screen blur's wavefront.
constexpr int kBlurWaveRows = 32;

// The effect kernels at the active level; nullptr where the plain loops run.
const EffectKernels* VectorEffects();
const EffectKernels* Sse2Effects();
const EffectKernels* Avx2Effects();

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
