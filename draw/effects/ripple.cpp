// The ripple: sampled pixels of an object moved along a radial cosine wave,
// scaled and sheared, onto the back surface. Unlike the other object draws it
// copies pixels of value 0 too.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "draw/effects/elEffects.h"

namespace elDraw {

namespace {

// The first multiple of step at or above value (value >= 0).
inline std::int64_t RoundUpToStep(std::int64_t value, std::int64_t step) {
    return (value + step - 1) / step * step;
}

// cos(R * F) * E of every sample, the wave's costly part: it depends only
// on the sample grid, the rectangle's extent and the frequency, not on the
// amplitude, so a ripple animated by its amplitude (or drawn again alike)
// works it out once. The values are those the per-sample formula gives.
struct WaveTable {
    std::int64_t w0 = -1, h0 = -1, firstX = 0, endX = 0, firstY = 0, endY = 0, step = 0;
    int frequency = 0;
    std::int64_t columns = 0;
    std::vector<double> wave;

    static double Wave(std::int64_t xx, std::int64_t yy, std::int64_t w0, std::int64_t h0, int frequency) {
        const float Y = static_cast<float>(2.0 / static_cast<double>(h0) * static_cast<double>(yy) - 1.0);
        const float X = static_cast<float>(2.0 / static_cast<double>(w0) * static_cast<double>(xx) - 1.0);
        const float E = std::exp(Y * Y - X * X);
        const float R = std::sqrt(X * X + Y * Y);
        return std::cos(static_cast<double>(R * static_cast<float>(frequency))) * E;
    }
    // False when the grid is too large to keep.
    bool Prepare(std::int64_t w, std::int64_t h, std::int64_t fx, std::int64_t ex, std::int64_t fy, std::int64_t ey,
                 std::int64_t e, int f) {
        if (w == w0 && h == h0 && fx == firstX && ex == endX && fy == firstY && ey == endY && e == step &&
            f == frequency)
            return true;
        const std::int64_t cols = ex > fx ? (ex - fx + e - 1) / e : 0;
        const std::int64_t rows = ey > fy ? (ey - fy + e - 1) / e : 0;
        if (cols * rows > (std::int64_t{1} << 22)) return false;
        w0 = w, h0 = h, firstX = fx, endX = ex, firstY = fy, endY = ey, step = e, frequency = f;
        columns = cols;
        wave.resize(static_cast<std::size_t>(cols * rows));
        std::size_t k = 0;
        for (std::int64_t yy = fy; yy < ey; yy += e)
            for (std::int64_t xx = fx; xx < ex; xx += e) wave[k++] = Wave(xx, yy, w, h, f);
        return true;
    }
};
WaveTable Waves;

// One row's wave (when the table is not kept) and its samples' moves.
std::vector<double> WaveRow;
std::vector<std::int32_t> MovesX, MovesY;
std::vector<std::uint8_t> Movable;

// The moves of a row's samples xx = firstX, firstX + e, ... (count of
// them) at row yy: dx = trunc((xx + yy * g) * s), dy = trunc(Q * s) with Q
// = (wave + 1) * amplitude / 2 + yy as a 32-bit float, and whether both are
// finite and within 32 bits, in the same double operations as the
// per-sample formula; the copies that follow only test and move.
void RippleOffsets(const double* wave, std::int64_t count, std::int64_t firstX, std::int64_t e, std::int64_t yy,
                   int amplitude, double s, double g) {
    const double shift = static_cast<double>(yy) * g, row = static_cast<double>(yy);
    const double a = amplitude, first = static_cast<double>(firstX), by = static_cast<double>(e);
    constexpr double kLimit = 2147483648.0;
    // xx = first + k * by is exact: every sample position is a whole number
    // below the object's width, far below 2^53.
    const int n = static_cast<int>(count);
    std::int32_t* const movesX = MovesX.data();
    std::int32_t* const movesY = MovesY.data();
    std::uint8_t* const movable = Movable.data();
    int k = 0;
#if defined(__SSE2__)
    // Two samples at a time in the lanes of SSE2 (every x86-64 processor
    // has it): the same operations, each rounded as the scalar one is (no
    // fused multiply-adds), the float conversion included.
    const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
    const __m128d limit = _mm_set1_pd(kLimit), one = _mm_set1_pd(1.0), two = _mm_set1_pd(2.0);
    const __m128d amplitudes = _mm_set1_pd(a), rows = _mm_set1_pd(row), scales = _mm_set1_pd(s);
    const __m128d shifts = _mm_set1_pd(shift), firsts = _mm_set1_pd(first), steps = _mm_set1_pd(by);
    for (; k + 2 <= n; k += 2) {
        const __m128d xx = _mm_add_pd(firsts, _mm_mul_pd(_mm_set_pd(k + 1, k), steps));
        const __m128d w = _mm_loadu_pd(wave + k);
        const __m128d q = _mm_cvtps_pd(_mm_cvtpd_ps(
            _mm_add_pd(_mm_div_pd(_mm_mul_pd(_mm_add_pd(w, one), amplitudes), two), rows)));
        const __m128d vx = _mm_mul_pd(_mm_add_pd(xx, shifts), scales), vy = _mm_mul_pd(q, scales);
        const __m128d ok = _mm_and_pd(_mm_cmplt_pd(_mm_and_pd(vx, absMask), limit),
                                      _mm_cmplt_pd(_mm_and_pd(vy, absMask), limit));
        const __m128i x32 = _mm_cvttpd_epi32(_mm_and_pd(vx, ok)), y32 = _mm_cvttpd_epi32(_mm_and_pd(vy, ok));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(movesX + k), x32);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(movesY + k), y32);
        const int mask = _mm_movemask_pd(ok);
        movable[k] = static_cast<std::uint8_t>(mask & 1);
        movable[k + 1] = static_cast<std::uint8_t>(mask >> 1);
    }
#endif
    for (; k < n; ++k) {
        const double xx = first + static_cast<double>(k) * by;
        const float q = static_cast<float>((wave[k] + 1.0) * a / 2.0 + row);
        const double vx = (xx + shift) * s, vy = static_cast<double>(q) * s;
        const bool ok = (std::fabs(vx) < kLimit) & (std::fabs(vy) < kLimit);
        movesX[k] = static_cast<std::int32_t>(ok ? vx : 0.0);
        movesY[k] = static_cast<std::int32_t>(ok ? vy : 0.0);
        movable[k] = ok ? 1 : 0;
    }
}

}  // namespace

int DrawRipple(int x, int y, int amplitude, int frequency, int step, float scale, float shear,
               int slot, int left, int top, int right, int bottom) {
    if (step < 1) return 1;
    ClippedRect cut;
    if (!CutToClip(x, y, left, top, right, bottom, cut)) return 1;
    // The wave spans the rectangle from its (moved) corner to its far edge;
    // with nothing left there it has no extent to normalise by.
    const std::int64_t w0 = static_cast<std::int64_t>(right) - cut.left;
    const std::int64_t h0 = static_cast<std::int64_t>(bottom) - cut.top;
    if (cut.width <= 0 || cut.height <= 0 || w0 <= 0 || h0 <= 0) return 1;

    LockedPixels object, back;
    if (LockPair(slot, object, back) != kPassLocked) return 0;
    // Samples whose pixel exists in the object, and targets inside both
    // ClipRect and the back surface.
    const std::int64_t e = step;
    const std::int64_t firstX = RoundUpToStep(std::max<std::int64_t>(0, -cut.left), e);
    const std::int64_t endX = std::min<std::int64_t>(cut.width, object.width - cut.left);
    const std::int64_t firstY = RoundUpToStep(std::max<std::int64_t>(0, -cut.top), e);
    const std::int64_t endY = std::min<std::int64_t>(cut.height, object.height - cut.top);
    const std::int64_t clipLeft = std::max<std::int64_t>(ClipRect.left, 0);
    const std::int64_t clipTop = std::max<std::int64_t>(ClipRect.top, 0);
    const std::int64_t clipRight = std::min<std::int64_t>(ClipRect.right, back.width);
    const std::int64_t clipBottom = std::min<std::int64_t>(ClipRect.bottom, back.height);

    const double s = scale, g = shear;
    const bool kept = Waves.Prepare(w0, h0, firstX, endX, firstY, endY, e, frequency);
    const std::int64_t columns = endX > firstX ? (endX - firstX + e - 1) / e : 0;
    WaveRow.resize(static_cast<std::size_t>(columns));
    MovesX.resize(static_cast<std::size_t>(columns));
    MovesY.resize(static_cast<std::size_t>(columns));
    Movable.resize(static_cast<std::size_t>(columns));
    const double* keptWave = kept ? Waves.wave.data() : nullptr;
    for (std::int64_t yy = firstY; yy < endY; yy += e) {
        const double* wave = keptWave;
        if (kept) {
            keptWave += columns;
        } else {
            for (std::int64_t k = 0; k < columns; ++k)
                WaveRow[static_cast<std::size_t>(k)] = WaveTable::Wave(firstX + k * e, yy, w0, h0, frequency);
            wave = WaveRow.data();
        }
        RippleOffsets(wave, columns, firstX, e, yy, amplitude, s, g);
        const std::uint16_t* sourceRow = object.Row(cut.top + yy) + cut.left;
        for (std::int64_t k = 0; k < columns; ++k) {
            const auto i = static_cast<std::size_t>(k);
            if (!Movable[i]) continue;
            const std::int64_t tx = cut.x + MovesX[i], ty = cut.y + MovesY[i];
            if (tx < clipLeft || tx >= clipRight || ty < clipTop || ty >= clipBottom) continue;
            back.Row(ty)[tx] = sourceRow[firstX + k * e];
        }
    }
    UnlockPair(object, back);
    return 1;
}

}  // namespace elDraw
