// Locked-surface pixel access shared by the software effects: cutting an
// object rectangle to ClipRect and to the surfaces, the lock order, and the
// noise cursors.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "draw/effects/elEffects.h"
#include "system/random.h"

using namespace plat;

namespace elDraw {

namespace {

bool LockSurface(IDirectDrawSurface* surface, DDSURFACEDESC& desc) {
    desc = DDSURFACEDESC{};
    desc.dwSize = sizeof desc;
    return surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK && desc.lpSurface;
}

}  // namespace

bool CutToClip(int x, int y, int left, int top, int right, int bottom, ClippedRect& cut) {
    // 64-bit sums, so extreme coordinates cannot overflow.
    cut.x = x;
    cut.y = y;
    cut.left = left;
    cut.top = top;
    cut.width = static_cast<std::int64_t>(right) - left;
    cut.height = static_cast<std::int64_t>(bottom) - top;
    if (cut.x + cut.width > ClipRect.right) cut.width = ClipRect.right - cut.x;
    if (cut.y + cut.height > ClipRect.bottom) cut.height = ClipRect.bottom - cut.y;
    if (cut.x < ClipRect.left) {
        cut.left += ClipRect.left - cut.x;
        cut.width -= ClipRect.left - cut.x;
        cut.x = ClipRect.left;
    }
    if (cut.y < ClipRect.top) {
        cut.top += ClipRect.top - cut.y;
        cut.height -= ClipRect.top - cut.y;
        cut.y = ClipRect.top;
    }
    return cut.width >= 0 && cut.height >= 0;
}

int BeginObjectPass(int x, int y, int slot, int left, int top, int right, int bottom,
                    ObjectPass& pass) {
    ClippedRect cut;
    if (!CutToClip(x, y, left, top, right, bottom, cut)) return 1;
    std::int64_t dx = cut.x, dy = cut.y, sl = cut.left, st = cut.top;
    std::int64_t width = cut.width, height = cut.height;

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

int LockPair(int slot, LockedPixels& object, LockedPixels& back) {
    IDirectDrawSurface* surface = ObjectSurface(slot);
    if (!surface || !BackSurface) return 0;
    if (!LockPixels(surface, object)) return 0;
    if (!LockPixels(BackSurface, back)) {
        UnlockPixels(object);
        return 0;
    }
    return kPassLocked;
}

void UnlockPair(LockedPixels& object, LockedPixels& back) {
    UnlockPixels(object);
    UnlockPixels(back);
}

Span CutSpan(std::int64_t start, std::int64_t length, std::int64_t limit) {
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    const std::int64_t end = std::min<std::int64_t>(start + std::max<std::int64_t>(length, 0), limit);
    if (end <= first) return Span{};
    return Span{static_cast<int>(first), static_cast<int>(end)};
}

bool CutDestination(std::int64_t x1, std::int64_t y1, std::int64_t width, std::int64_t height,
                    int surfaceWidth, int surfaceHeight, VisibleRange& range) {
    range = VisibleRange{0, width, 0, height};
    // ClipRect may reach past the surface: cut to the smaller of the two.
    const std::int64_t clipLeft = std::max<std::int64_t>(ClipRect.left, 0);
    const std::int64_t clipTop = std::max<std::int64_t>(ClipRect.top, 0);
    const std::int64_t clipRight = std::min<std::int64_t>(ClipRect.right, surfaceWidth);
    const std::int64_t clipBottom = std::min<std::int64_t>(ClipRect.bottom, surfaceHeight);
    if (clipRight < x1 + width) range.i1 = clipRight - x1;
    if (clipBottom < y1 + height) range.j1 = clipBottom - y1;
    if (x1 < clipLeft) range.i0 = clipLeft - x1;
    if (y1 < clipTop) range.j0 = clipTop - y1;
    return range.i0 < range.i1 && range.j0 < range.j1;
}

int NormalizeAngle(int angle) {
    const int reduced = angle % 360;
    return reduced < 0 ? reduced + 360 : reduced;
}

std::uint8_t NoiseCursor::Next() {
    if (index < 0 || index > 9999) index = 0;
    const std::uint8_t value = NoiseTable[index];
    index = index == 9999 ? elSystem::Random() % 1000 : index + 1;
    return value;
}

}  // namespace elDraw
