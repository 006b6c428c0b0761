// A 16-bit surface locked for direct pixel access, for the effects whose
// rectangles do not follow the object-effect clipping (the stretched draws
// and the tunnel).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ddraw.h"

namespace elDraw {

// Internal: the effects' view of a locked surface; a game draws through the
// effect functions instead.
struct LockedPixels {
    plat::IDirectDrawSurface* surface = nullptr;  // the locked surface, or null when none is locked
    std::uint16_t* bits = nullptr;                // its first pixel (top left)
    std::ptrdiff_t pitch = 0;                     // distance between rows, in pixels
    int width = 0;                                // size in pixels
    int height = 0;                               // size in pixels

    // The first pixel of row y (0 = top); y is not checked. The effects
    // cut their rows in 64 bits; a row of the surface fits a pointer
    // difference on every target, 32-bit ones too.
    std::uint16_t* Row(std::int64_t y) const { return bits + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// Internal. Locks the whole surface. False when there is no surface, the lock fails or
// the pixels are not 16-bit (the surface is then unlocked again).
inline bool LockPixels(plat::IDirectDrawSurface* surface, LockedPixels& out) {
    out = LockedPixels{};
    if (!surface) return false;
    plat::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK || !desc.lpSurface)
        return false;
    if (desc.ddpfPixelFormat.dwRGBBitCount != 16) {
        surface->Unlock(desc.lpSurface);
        return false;
    }
    out.surface = surface;
    out.bits = static_cast<std::uint16_t*>(desc.lpSurface);
    out.pitch = desc.lPitch / 2;
    out.width = static_cast<int>(desc.dwWidth);
    out.height = static_cast<int>(desc.dwHeight);
    return true;
}

// Unlocks what LockPixels locked (nothing when nothing is locked) and empties
// the view.
inline void UnlockPixels(LockedPixels& locked) {
    if (locked.surface) locked.surface->Unlock(locked.bits);
    locked = LockedPixels{};
}

}  // namespace elDraw
