// The ripple: sampled pixels of an object moved along a radial cosine wave,
// scaled and sheared, onto the back surface. Unlike the other object draws it
// copies pixels of value 0 too.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "draw/effects/elEffects.h"

namespace elDraw {

namespace {

// trunc(value) when it is a finite number within 32-bit range.
inline bool TruncatedOffset(double value, std::int64_t& out) {
    if (!(std::fabs(value) < 2147483648.0)) return false;
    out = static_cast<std::int64_t>(value);
    return true;
}

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
    const double* keptWave = kept ? Waves.wave.data() : nullptr;
    for (std::int64_t yy = firstY; yy < endY; yy += e) {
        const std::uint16_t* sourceRow = object.Row(cut.top + yy);
        for (std::int64_t xx = firstX; xx < endX; xx += e) {
            const double wave = kept ? *keptWave++ : WaveTable::Wave(xx, yy, w0, h0, frequency);
            const float Q = static_cast<float>((wave + 1.0) * amplitude / 2.0 + static_cast<double>(yy));
            std::int64_t dx, dy;
            if (!TruncatedOffset((static_cast<double>(xx) + static_cast<double>(yy) * g) * s, dx) ||
                !TruncatedOffset(static_cast<double>(Q) * s, dy))
                continue;
            const std::int64_t tx = cut.x + dx, ty = cut.y + dy;
            if (tx < clipLeft || tx >= clipRight || ty < clipTop || ty >= clipBottom) continue;
            back.Row(ty)[tx] = sourceRow[cut.left + xx];
        }
    }
    UnlockPair(object, back);
    return 1;
}

}  // namespace elDraw
