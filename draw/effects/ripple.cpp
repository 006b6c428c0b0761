// The ripple: sampled pixels of an object moved along a radial cosine wave,
// scaled and sheared, onto the back surface. Unlike the other object draws it
// copies pixels of value 0 too.
#include <algorithm>
#include <cmath>
#include <cstdint>

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
    for (std::int64_t yy = firstY; yy < endY; yy += e) {
        const float Y = static_cast<float>(2.0 / static_cast<double>(h0) * static_cast<double>(yy) - 1.0);
        const std::uint16_t* sourceRow = object.Row(cut.top + yy);
        for (std::int64_t xx = firstX; xx < endX; xx += e) {
            const float X = static_cast<float>(2.0 / static_cast<double>(w0) * static_cast<double>(xx) - 1.0);
            const float E = std::exp(Y * Y - X * X);
            const float R = std::sqrt(X * X + Y * Y);
            const float wave = R * static_cast<float>(frequency);
            const float Q = static_cast<float>((std::cos(static_cast<double>(wave)) * E + 1.0) *
                                                   amplitude / 2.0 +
                                               static_cast<double>(yy));
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
