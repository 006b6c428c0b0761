// Locked-surface pixel access shared by the software effects: cutting an
// object rectangle to ClipRect and to the surfaces, the lock order, and the
// noise cursors.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "draw/effects/elEffects.h"

using namespace plat;

namespace elDraw {

namespace {

bool LockSurface(IDirectDrawSurface* surface, DDSURFACEDESC& desc) {
    desc = DDSURFACEDESC{};
    desc.dwSize = sizeof desc;
    return surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK && desc.lpSurface;
}

}  // namespace

int BeginObjectPass(int x, int y, int slot, int left, int top, int right, int bottom,
                    ObjectPass& pass) {
    // Cut to ClipRect: first at the right and bottom, then at the left and
    // top, moving the source corner with the destination. 64-bit sums, so
    // extreme coordinates cannot overflow.
    std::int64_t dx = x, dy = y, sl = left, st = top;
    std::int64_t width = static_cast<std::int64_t>(right) - left;
    std::int64_t height = static_cast<std::int64_t>(bottom) - top;
    if (dx + width > ClipRect.right) width = ClipRect.right - dx;
    if (dy + height > ClipRect.bottom) height = ClipRect.bottom - dy;
    if (dx < ClipRect.left) {
        sl += ClipRect.left - dx;
        width -= ClipRect.left - dx;
        dx = ClipRect.left;
    }
    if (dy < ClipRect.top) {
        st += ClipRect.top - dy;
        height -= ClipRect.top - dy;
        dy = ClipRect.top;
    }
    if (width < 0 || height < 0) return 1;

    // An empty or out-of-range slot has nothing to lock.
    IDirectDrawSurface* object = ObjectSurface(slot);
    if (!object || !BackSurface) return 0;
    DDSURFACEDESC objectDesc;
    if (!LockSurface(object, objectDesc)) return 0;
    DDSURFACEDESC backDesc;
    if (!LockSurface(BackSurface, backDesc)) {
        object->Unlock(objectDesc.lpSurface);
        return 0;
    }
    pass.objectSurface = object;
    pass.objectBits = objectDesc.lpSurface;
    pass.backBits = backDesc.lpSurface;
    // The tables only describe 16-bit pixels.
    if (objectDesc.ddpfPixelFormat.dwRGBBitCount != 16 ||
        backDesc.ddpfPixelFormat.dwRGBBitCount != 16) {
        EndObjectPass(pass);
        return 0;
    }

    // ClipRect may reach past the back surface and the source rectangle past
    // the object: keep every access inside both surfaces.
    std::int64_t skipX = 0, skipY = 0;
    if (sl < 0) { skipX -= sl; dx -= sl; width += sl; sl = 0; }
    if (st < 0) { skipY -= st; dy -= st; height += st; st = 0; }
    if (dx < 0) { skipX -= dx; sl -= dx; width += dx; dx = 0; }
    if (dy < 0) { skipY -= dy; st -= dy; height += dy; dy = 0; }
    width = std::min({width, static_cast<std::int64_t>(objectDesc.dwWidth) - sl,
                      static_cast<std::int64_t>(backDesc.dwWidth) - dx});
    height = std::min({height, static_cast<std::int64_t>(objectDesc.dwHeight) - st,
                       static_cast<std::int64_t>(backDesc.dwHeight) - dy});
    if (width <= 0 || height <= 0) {
        width = 0;
        height = 0;
        sl = st = dx = dy = 0;
    }
    pass.width = static_cast<int>(width);
    pass.height = static_cast<int>(height);
    pass.firstColumn = static_cast<int>(std::min<std::int64_t>(skipX, 1 << 30));
    pass.firstRow = static_cast<int>(std::min<std::int64_t>(skipY, 1 << 30));
    pass.sourcePitch = objectDesc.lPitch / 2;
    pass.destPitch = backDesc.lPitch / 2;
    pass.source = static_cast<const std::uint16_t*>(objectDesc.lpSurface) + sl + st * pass.sourcePitch;
    pass.dest = static_cast<std::uint16_t*>(backDesc.lpSurface) + dx + dy * pass.destPitch;
    return kPassLocked;
}

void EndObjectPass(ObjectPass& pass) {
    pass.objectSurface->Unlock(pass.objectBits);
    BackSurface->Unlock(pass.backBits);
}

std::uint8_t NoiseCursor::Next() {
    if (index < 0 || index > 9999) index = 0;
    const std::uint8_t value = NoiseTable[index];
    index = index == 9999 ? std::rand() % 1000 : index + 1;
    return value;
}

}  // namespace elDraw
