// Object draws whose pixels are computed in software: mixes of the object
// with the back surface (half, opacity, cross-fade, gradient, add, subtract)
// and recoloured copies (channel mask, brightness, darkening, grey).
//
// Parameters are kept inside their domains (levels 0-31, opacities,
// strengths and factors 0.0-1.0), so that no level indexes past a table and
// no factor spills one channel into the next.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "draw/effects/elEffects.h"
#include "draw/effects/vector_rows.h"

namespace elDraw {

namespace {

int ClampLevel(int level) { return std::clamp(level, 0, 31); }

// NaN and negatives give 0.
float ClampUnit(float value) {
    if (!(value > 0.0f)) return 0.0f;
    return value > 1.0f ? 1.0f : value;
}

// The full-precision layout of a channel: (p >> shift) & max.
struct Channel {
    unsigned shift;
    unsigned max;
};

struct Layout {
    Channel c[3];
};

Layout FullLayout() {
    return Layout{{{PixelFormat.redShift, PixelFormat.redMax},
                   {PixelFormat.greenShift, PixelFormat.greenMax},
                   {PixelFormat.blueShift, PixelFormat.blueMax}}};
}

// One channel mixed at extended precision and truncated once.
inline unsigned Mix(unsigned s, unsigned d, double sourceWeight, double destWeight) {
    return static_cast<unsigned>(s * sourceWeight + d * destWeight);
}

inline std::uint16_t MixPixel(const Layout& l, unsigned s, unsigned d, const double* sw,
                              const double* dw) {
    unsigned out = 0;
    for (int c = 0; c < 3; ++c) {
        const Channel ch = l.c[c];
        out |= Mix((s >> ch.shift) & ch.max, (d >> ch.shift) & ch.max, sw[c], dw[c]) << ch.shift;
    }
    return static_cast<std::uint16_t>(out);
}

inline std::uint16_t FadePixel(unsigned s, unsigned d, const int* k) {
    const std::uint8_t* a = PixelSplitTable[s];
    const std::uint8_t* b = PixelSplitTable[d];
    return static_cast<std::uint16_t>(CrossFadeTable[0][k[0]][a[0]][b[0]] |
                                      CrossFadeTable[1][k[1]][a[1]][b[1]] |
                                      CrossFadeTable[2][k[2]][a[2]][b[2]]);
}

// How many gradient steps have been taken at position p: one every `step`
// positions after `start`.
inline int GradientSteps(int position, unsigned start, int step, int cap) {
    const auto p = static_cast<unsigned>(position);
    if (p <= start) return 0;
    return static_cast<int>(std::min<unsigned>((p - start) / static_cast<unsigned>(step),
                                               static_cast<unsigned>(cap)));
}

// Weights of a gradient after n steps: each step takes 1/32 from the back
// surface's weight (rounded to a float each time) until it reaches 0. The
// opacities are within 0-1, so every weight is 0 after at most 32 steps;
// the table goes a little further to be safe from rounding.
constexpr int kGradientCap = 40;

// Calls run(first, count, n) for each stretch of a row's columns along which
// the gradient has taken the same number of steps n.
template <class Run>
void GradientRuns(int column, int width, unsigned start, int step, int cap, Run run) {
    int i = 0;
    while (i < width) {
        const int n = GradientSteps(column + i, start, step, cap);
        const auto p = static_cast<std::int64_t>(static_cast<unsigned>(column + i));
        std::int64_t next = static_cast<std::int64_t>(start) + 1;  // first position that may step
        if (n >= cap) next = std::int64_t{column} + width;
        else if (p > static_cast<std::int64_t>(start))
            next = static_cast<std::int64_t>(start) + static_cast<std::int64_t>(n + 1) * step;
        const int end = static_cast<int>(std::min<std::int64_t>(next - column, width));
        run(i, end - i, n);
        i = end;
    }
}

// The vector row of op, when one runs for this processor and pixel layout,
// with the layout part of its parameters.
struct VectorPass {
    RowKernel row;
    RowParams params;
};
VectorPass Vector(RowOp op) { return {VectorRow(op), LayoutParams()}; }

void SetLevels(RowParams& p, const int* k) {
    for (int c = 0; c < 3; ++c) p.level[c] = static_cast<std::uint16_t>(k[c]);
}

}  // namespace

// ---- Mixing ----------------------------------------------------------------------

int DrawHalfBlend(int x, int y, int slot, int left, int top, int right, int bottom) {
    const auto half = static_cast<std::uint16_t>(PixelFormat.halfMask);
    VectorPass vec = Vector(RowOp::Half);
    vec.params.mask = half;
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [half, &vec](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               for (int i = 0; i < w; ++i) {
                                   const std::uint16_t v = s[i];
                                   const auto mixed = static_cast<std::uint16_t>(
                                       ((v >> 1) & half) + ((d[i] >> 1) & half));
                                   d[i] = v ? mixed : d[i];
                               }
                           });
}

namespace {

// Products of every channel value with a channel's weight: the same doubles
// the per-pixel multiplication would give, looked up instead.
struct ProductTable {
    double v[3][64];
    ProductTable(const Layout& l, const double* weight) {
        for (int c = 0; c < 3; ++c)
            for (unsigned i = 0; i < 64; ++i) v[c][i] = i <= l.c[c].max ? i * weight[c] : 0.0;
    }
};

// Per channel: trunc(source product + destination product).
void MixRow(std::uint16_t* d, const std::uint16_t* s, int w, const Layout& l, const ProductTable& sp,
            const ProductTable& dp) {
    const unsigned rs = l.c[0].shift, gs = l.c[1].shift, bs = l.c[2].shift;
    // 16-bit channels have at most 6 bits; the cap keeps look-ups in the tables.
    const unsigned rm = std::min(l.c[0].max, 63u), gm = std::min(l.c[1].max, 63u),
                   bm = std::min(l.c[2].max, 63u);
    for (int i = 0; i < w; ++i) {
        const unsigned a = s[i];
        if (!a) continue;
        const unsigned b = d[i];
        const auto r = static_cast<unsigned>(sp.v[0][(a >> rs) & rm] + dp.v[0][(b >> rs) & rm]);
        const auto g = static_cast<unsigned>(sp.v[1][(a >> gs) & gm] + dp.v[1][(b >> gs) & gm]);
        const auto bl = static_cast<unsigned>(sp.v[2][(a >> bs) & bm] + dp.v[2][(b >> bs) & bm]);
        d[i] = static_cast<std::uint16_t>((r << rs) | (g << gs) | (bl << bs));
    }
}

void SetWeights(RowParams& p, const double* sourceWeight, const double* destWeight) {
    for (int c = 0; c < 3; ++c) {
        p.sourceWeight[c] = sourceWeight[c];
        p.destWeight[c] = destWeight[c];
    }
}

// Below this many pixels, checking integer weights costs more than it saves.
constexpr std::int64_t kFixedMixArea = 8192;

bool LargeArea(int left, int top, int right, int bottom) {
    const std::int64_t area = std::max<std::int64_t>(0, std::int64_t{right} - left) *
                              std::max<std::int64_t>(0, std::int64_t{bottom} - top);
    return area >= kFixedMixArea;
}

// The mix's vector row: in integers when the rectangle is large enough and
// integer weights give the double results for every channel pair.
VectorPass MixPass(const double* sourceWeight, const double* destWeight, int left, int top, int right,
                   int bottom) {
    VectorPass vec = Vector(RowOp::Mix);
    SetWeights(vec.params, sourceWeight, destWeight);
    if (vec.row && LargeArea(left, top, right, bottom) && FixedWeights(vec.params))
        vec.row = VectorRow(RowOp::MixFixed);
    return vec;
}

}  // namespace

int DrawAlphaBlendRGB(int x, int y, float red, float green, float blue, int slot, int left, int top,
                      int right, int bottom) {
    const float a[3] = {ClampUnit(red), ClampUnit(green), ClampUnit(blue)};
    const double sw[3] = {a[0], a[1], a[2]};
    const double dw[3] = {static_cast<float>(1.0f - a[0]), static_cast<float>(1.0f - a[1]),
                          static_cast<float>(1.0f - a[2])};
    const Layout l = FullLayout();
    const ProductTable sp(l, sw);
    const ProductTable dp(l, dw);
    const VectorPass vec = MixPass(sw, dw, left, top, right, bottom);
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [&](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               MixRow(d, s, w, l, sp, dp);
                           });
}

int DrawAlphaBlend(int x, int y, float opacity, int slot, int left, int top, int right, int bottom) {
    return DrawAlphaBlendRGB(x, y, opacity, opacity, opacity, slot, left, top, right, bottom);
}

int DrawFadeBlendRGB(int x, int y, int red, int green, int blue, int slot, int left, int top,
                     int right, int bottom) {
    const int k[3] = {31 - ClampLevel(red), 31 - ClampLevel(green), 31 - ClampLevel(blue)};
    VectorPass vec = Vector(RowOp::Fade);
    SetLevels(vec.params, k);
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [&k, &vec](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               for (int i = 0; i < w; ++i)
                                   if (s[i]) d[i] = FadePixel(s[i], d[i], k);
                           });
}

int DrawFadeBlend(int x, int y, int level, int slot, int left, int top, int right, int bottom) {
    return DrawFadeBlendRGB(x, y, level, level, level, slot, left, top, right, bottom);
}

int DrawGradientAlpha(int x, int y, float red, float green, float blue, int direction,
                      unsigned start, int step, int slot, int left, int top, int right, int bottom) {
    const float a[3] = {ClampUnit(red), ClampUnit(green), ClampUnit(blue)};
    // Source and destination weights after n steps.
    double sw[kGradientCap + 1][3];
    double dw[kGradientCap + 1][3];
    for (int c = 0; c < 3; ++c) {
        float w = 1.0f - a[c];
        for (int n = 0; n <= kGradientCap; ++n) {
            dw[n][c] = w;
            sw[n][c] = static_cast<float>(1.0f - w);
            w = static_cast<float>(static_cast<double>(w) - 0.03125);
            if (w < 0.0f) w = 0.0f;
        }
    }
    start &= 0xFFFFu;
    step = std::max(step, 1);
    const Layout l = FullLayout();
    VectorPass vec = Vector(RowOp::Mix);
    // Integer weights for every step count, when all of them reproduce the
    // double results.
    RowParams fixed[kGradientCap + 1];
    bool allFixed = vec.row && LargeArea(left, top, right, bottom);
    for (int n = 0; allFixed && n <= kGradientCap; ++n) {
        fixed[n] = vec.params;
        SetWeights(fixed[n], sw[n], dw[n]);
        allFixed = FixedWeights(fixed[n]);
    }
    // Along the rows every row has the same weights column by column.
    std::vector<std::uint32_t> columnWeights;
    return RunObjectEffect(
        x, y, slot, left, top, right, bottom,
        [&](std::uint16_t* d, const std::uint16_t* s, int w, int row, int column) {
            if (allFixed && direction != 0) {
                const int n = GradientSteps(row, start, step, kGradientCap);
                return VectorRow(RowOp::MixFixed)(d, s, w, fixed[n]);
            }
            if (allFixed) {
                if (columnWeights.empty()) {
                    const std::size_t stride = static_cast<std::size_t>(w) + kMaxLanes;
                    columnWeights.assign(stride * 6, 0);
                    for (int c = 0; c < 3; ++c) {
                        vec.params.columnSource[c] = columnWeights.data() + stride * c;
                        vec.params.columnDest[c] = columnWeights.data() + stride * (3 + c);
                    }
                    GradientRuns(column, w, start, step, kGradientCap, [&](int first, int count, int n) {
                        for (int c = 0; c < 3; ++c)
                            for (int i = first; i < first + count; ++i) {
                                columnWeights[stride * c + i] = fixed[n].fixedSource[c];
                                columnWeights[stride * (3 + c) + i] = fixed[n].fixedDest[c];
                            }
                    });
                }
                return VectorRow(RowOp::MixFixedColumns)(d, s, w, vec.params);
            }
            if (vec.row) {
                auto run = [&](int first, int count, int n) {
                    SetWeights(vec.params, sw[n], dw[n]);
                    vec.row(d + first, s + first, count, vec.params);
                };
                if (direction != 0) run(0, w, GradientSteps(row, start, step, kGradientCap));
                else GradientRuns(column, w, start, step, kGradientCap, run);
                return;
            }
            if (direction != 0) {
                const int n = GradientSteps(row, start, step, kGradientCap);
                for (int i = 0; i < w; ++i)
                    if (s[i]) d[i] = MixPixel(l, s[i], d[i], sw[n], dw[n]);
                return;
            }
            for (int i = 0; i < w; ++i) {
                const int n = GradientSteps(column + i, start, step, kGradientCap);
                if (s[i]) d[i] = MixPixel(l, s[i], d[i], sw[n], dw[n]);
            }
        });
}

int DrawGradientFade(int x, int y, int red, int green, int blue, int direction, unsigned start,
                     int step, int slot, int left, int top, int right, int bottom) {
    const int k0[3] = {31 - ClampLevel(red), 31 - ClampLevel(green), 31 - ClampLevel(blue)};
    start &= 0xFFFFu;
    step = std::max(step, 1);
    auto levels = [&k0](int n, int* k) {
        for (int c = 0; c < 3; ++c) k[c] = std::max(0, k0[c] - n);
    };
    VectorPass vec = Vector(RowOp::Fade);
    // Along the rows every row has the same levels column by column.
    std::vector<std::uint16_t> columnLevels;
    return RunObjectEffect(
        x, y, slot, left, top, right, bottom,
        [&](std::uint16_t* d, const std::uint16_t* s, int w, int row, int column) {
            int k[3];
            if (vec.row && direction == 0) {
                if (columnLevels.empty()) {
                    const std::size_t stride = static_cast<std::size_t>(w) + kMaxLanes;
                    columnLevels.assign(stride * 3, 0);
                    for (int c = 0; c < 3; ++c) vec.params.columnLevel[c] = columnLevels.data() + stride * c;
                    GradientRuns(column, w, start, step, 31, [&](int first, int count, int n) {
                        levels(n, k);
                        for (int c = 0; c < 3; ++c)
                            std::fill_n(columnLevels.begin() + static_cast<std::ptrdiff_t>(stride * c + first), count,
                                        static_cast<std::uint16_t>(k[c]));
                    });
                }
                return VectorRow(RowOp::FadeColumns)(d, s, w, vec.params);
            }
            if (vec.row) {
                levels(GradientSteps(row, start, step, 31), k);
                SetLevels(vec.params, k);
                return vec.row(d, s, w, vec.params);
            }
            if (direction != 0) {
                levels(GradientSteps(row, start, step, 31), k);
                for (int i = 0; i < w; ++i)
                    if (s[i]) d[i] = FadePixel(s[i], d[i], k);
                return;
            }
            for (int i = 0; i < w; ++i) {
                if (!s[i]) continue;
                levels(GradientSteps(column + i, start, step, 31), k);
                d[i] = FadePixel(s[i], d[i], k);
            }
        });
}

namespace {

int AddWithDarkening(int x, int y, int k, int slot, int left, int top, int right, int bottom) {
    VectorPass vec = Vector(RowOp::DarkenAdd);
    vec.params.level[0] = static_cast<std::uint16_t>(k);
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [k, &vec](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               for (int i = 0; i < w; ++i) {
                                   if (!s[i]) continue;
                                   const std::uint8_t* a = PixelSplitTable[s[i]];
                                   const std::uint8_t* b = PixelSplitTable[d[i]];
                                   d[i] = static_cast<std::uint16_t>(
                                       DarkenAddTable[0][k][a[0]][b[0]] |
                                       DarkenAddTable[1][k][a[1]][b[1]] |
                                       DarkenAddTable[2][k][a[2]][b[2]]);
                               }
                           });
}

}  // namespace

int DrawAdd(int x, int y, int slot, int left, int top, int right, int bottom) {
    return AddWithDarkening(x, y, 0, slot, left, top, right, bottom);
}

int DrawAddLevel(int x, int y, float strength, int slot, int left, int top, int right, int bottom) {
    const int k = static_cast<int>(31.0 - static_cast<double>(ClampUnit(strength)) * 31.0);
    return AddWithDarkening(x, y, k, slot, left, top, right, bottom);
}

int DrawSubtract(int x, int y, int slot, int left, int top, int right, int bottom) {
    const VectorPass vec = Vector(RowOp::Subtract);
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [&vec](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               for (int i = 0; i < w; ++i) {
                                   if (!s[i]) continue;
                                   const unsigned r = PixelSplitTable[s[i]][0];
                                   const std::uint8_t* b = PixelSplitTable[d[i]];
                                   d[i] = static_cast<std::uint16_t>(SubtractTable[0][b[0]][r] |
                                                                     SubtractTable[1][b[1]][r] |
                                                                     SubtractTable[2][b[2]][r]);
                               }
                           });
}

// ---- Recolouring -------------------------------------------------------------------

int DrawChannelMask(int x, int y, int red, int green, int blue, int slot, int left, int top,
                    int right, int bottom) {
    const auto mask = static_cast<std::uint16_t>((red ? PixelFormat.redMask : 0u) |
                                                 (green ? PixelFormat.greenMask : 0u) |
                                                 (blue ? PixelFormat.blueMask : 0u));
    VectorPass vec = Vector(RowOp::Mask);
    vec.params.mask = mask;
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [mask, &vec](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               for (int i = 0; i < w; ++i) {
                                   const std::uint16_t v = s[i];
                                   d[i] = v ? static_cast<std::uint16_t>(v & mask) : d[i];
                               }
                           });
}

int DrawBrightRGB(int x, int y, float red, float green, float blue, int slot, int left, int top,
                  int right, int bottom) {
    const double f[3] = {ClampUnit(red), ClampUnit(green), ClampUnit(blue)};
    const double none[3] = {0.0, 0.0, 0.0};
    const Layout l = FullLayout();
    const ProductTable sp(l, f);
    const ProductTable dp(l, none);
    const VectorPass vec = MixPass(f, none, left, top, right, bottom);
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [&](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               MixRow(d, s, w, l, sp, dp);
                           });
}

int DrawBright(int x, int y, float factor, int slot, int left, int top, int right, int bottom) {
    return DrawBrightRGB(x, y, factor, factor, factor, slot, left, top, right, bottom);
}

int DrawDarkRGB(int x, int y, int red, int green, int blue, int slot, int left, int top, int right,
                int bottom) {
    const int k[3] = {31 - ClampLevel(red), 31 - ClampLevel(green), 31 - ClampLevel(blue)};
    VectorPass vec = Vector(RowOp::Dark);
    SetLevels(vec.params, k);
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [&k, &vec](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               for (int i = 0; i < w; ++i) {
                                   if (!s[i]) continue;
                                   const std::uint8_t* a = PixelSplitTable[s[i]];
                                   d[i] = static_cast<std::uint16_t>(SubtractTable[0][a[0]][k[0]] |
                                                                     SubtractTable[1][a[1]][k[1]] |
                                                                     SubtractTable[2][a[2]][k[2]]);
                               }
                           });
}

int DrawDark(int x, int y, int level, int slot, int left, int top, int right, int bottom) {
    return DrawDarkRGB(x, y, level, level, level, slot, left, top, right, bottom);
}

int DrawGray(int x, int y, int slot, int left, int top, int right, int bottom) {
    const VectorPass vec = Vector(RowOp::Gray);
    return RunObjectEffect(x, y, slot, left, top, right, bottom,
                           [&vec](std::uint16_t* d, const std::uint16_t* s, int w, int, int) {
                               if (vec.row) return vec.row(d, s, w, vec.params);
                               for (int i = 0; i < w; ++i) {
                                   if (!s[i]) continue;
                                   const std::uint8_t* a = PixelSplitTable[s[i]];
                                   const unsigned v = Average3Table[a[0] + a[1] + a[2]];
                                   d[i] = Pack5(v, v, v);
                               }
                           });
}

}  // namespace elDraw
