// Drawing on the back surface and presenting it: the clip rectangle, colour
// fills, object draws with and without colour key, scaled draws, copies of
// screen regions into objects, and the present step with its tiled wipe and
// scrolling text panel.
#include <climits>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "system/elSystem.h"

using namespace plat;

RECT ClipRect{};

namespace elDraw {

int WipeCounter = 0;
int WipeDirection = 0;
int PanelShown = 0;
// The clip wipes animate ClipRect; the main loop puts the saved rectangle
// back when the scene changes during one.
int ClipWipeState = 0;
RECT ClipWipeSaved{};

int VSync = 1;
int WipePatternSlot = 0;
int PanelPageSlot = 0;
int PanelBackgroundSlot = 0;
float PanelScroll = 0.0f;
int PanelContentHeight = 0;
float PanelOffsetX = 0.0f;
float PanelOffsetY = 0.0f;

namespace {

constexpr int kWipeCell = 64;       // the wipe pattern's frames are 64 x 48
constexpr int kWipeCellHeight = 48;
constexpr int kWipeFrames = 10;

int FillRect(IDirectDrawSurface* surface, int left, int top, int right, int bottom, DWORD value) {
    if (!surface) return DDERR_INVALIDOBJECT;
    RECT r{left, top, right, bottom};
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = value;
    return surface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// A 64-bit value as an int when it fits.
bool FitsInt(long long v) { return v >= INT_MIN && v <= INT_MAX; }

// Cuts the source rectangle so that the draw at (x, y) stays inside ClipRect,
// then blits it; a lost surface is brought back for the next frame. The cut
// is worked out in 64 bits; a source rectangle that then lies beyond the
// int range cannot be part of any object and draws nothing.
void ClippedDraw(IDirectDrawSurface* target, int x0, int y0, int slot, int sx0, int sy0, int ex0, int ey0,
                 DWORD flags) {
    IDirectDrawSurface* source = ObjectSurface(slot);
    if (!target || !source) return;
    long long x = x0, y = y0, sx = sx0, sy = sy0, ex = ex0, ey = ey0;
    if (ClipRect.right < x + (ex - sx)) ex = sx + ClipRect.right - x;
    if (ClipRect.bottom < y + (ey - sy)) ey = sy + ClipRect.bottom - y;
    if (x < ClipRect.left) {
        sx += ClipRect.left - x;
        x = ClipRect.left;
    }
    if (y < ClipRect.top) {
        sy += ClipRect.top - y;
        y = ClipRect.top;
    }
    if (ex < sx || ey < sy) return;
    if (!FitsInt(sx) || !FitsInt(sy) || !FitsInt(ex) || !FitsInt(ey)) return;
    RECT src{static_cast<LONG>(sx), static_cast<LONG>(sy), static_cast<LONG>(ex), static_cast<LONG>(ey)};
    if (target->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), source, &src, flags) ==
        DDERR_SURFACELOST)
        Restore();
}

void ScaledDraw(int x, int y, int slot, int sx, int sy, int ex, int ey, int width, int height,
                bool keyed) {
    IDirectDrawSurface* source = ObjectSurface(slot);
    if (!BackSurface || !source) return;
    // A destination or source whose far edge lies beyond the int range
    // cannot be blitted or stretched: nothing is drawn.
    const long long right = static_cast<long long>(x) + width, bottom = static_cast<long long>(y) + height;
    const long long sourceWidth = static_cast<long long>(ex) - sx, sourceHeight = static_cast<long long>(ey) - sy;
    if (!FitsInt(right) || !FitsInt(bottom) || !FitsInt(sourceWidth) || !FitsInt(sourceHeight)) return;
    if (CanStretch) {
        RECT dest{x, y, static_cast<LONG>(right), static_cast<LONG>(bottom)};
        RECT src{sx, sy, ex, ey};
        if (BackSurface->Blt(&dest, source, &src, keyed ? (DDBLT_KEYSRC | DDBLT_WAIT) : DDBLT_WAIT,
                             nullptr) == DDERR_SURFACELOST)
            Restore();
        return;
    }
    // Without a stretching blitter GDI stretches into the Buffer object,
    // which is then drawn normally (keyed with the Buffer's own black key).
    IDirectDrawSurface* buffer = ObjectSurface(0);
    if (!buffer || buffer == source) return;
    HDC bufferDC = nullptr, sourceDC = nullptr;
    if (buffer->GetDC(&bufferDC) != DD_OK) return;
    if (source->GetDC(&sourceDC) == DD_OK) {
        StretchBlt(bufferDC, 0, 0, width, height, sourceDC, sx, sy, static_cast<int>(sourceWidth),
                   static_cast<int>(sourceHeight), SRCCOPY);
        buffer->ReleaseDC(bufferDC);
        source->ReleaseDC(sourceDC);
    } else {
        buffer->ReleaseDC(bufferDC);
        return;
    }
    if (keyed) Draw(x, y, 0, 0, 0, width, height);
    else DrawSolid(x, y, 0, 0, 0, width, height);
}

void DrawWipe() {
    if (WipeCounter == 0) return;
    int left = kWipeCell * (WipeCounter - 1);
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j)
            Draw(kWipeCell * i, kWipeCellHeight * j, WipePatternSlot, left, 0, left + kWipeCell,
                 kWipeCellHeight);
    WipeCounter += WipeDirection;
    if ((WipeDirection == -1 && WipeCounter < 1) || (WipeDirection == 1 && WipeCounter > kWipeFrames)) {
        WipeCounter = 0;
        WipeDirection = 0;
    }
}

void DrawPanel() {
    if (!PanelShown) return;
    int ox = static_cast<int>(PanelOffsetX), oy = static_cast<int>(PanelOffsetY);
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 10; ++j)
            Draw(kWipeCell * i + ox, kWipeCellHeight * j + oy, PanelBackgroundSlot, 0, 0, kWipeCell,
                 kWipeCellHeight);
    PanelOffsetX -= 10 * FrameDelta;
    PanelOffsetY -= 10 * FrameDelta;
    if (PanelOffsetX <= -kWipeCell) PanelOffsetX += kWipeCell;
    if (PanelOffsetY <= -kWipeCellHeight) PanelOffsetY += kWipeCellHeight;

    // 64-bit sizes: a clip rectangle or content height at the ends of the
    // int range must not overflow.
    const long long viewWidth = static_cast<long long>(ClipRect.right) - ClipRect.left;
    const long long viewHeight = static_cast<long long>(ClipRect.bottom) - ClipRect.top;
    const long long top = static_cast<long long>(PanelScroll);
    if (FitsInt(viewWidth) && FitsInt(top + viewHeight))
        Draw(ClipRect.left, ClipRect.top, PanelPageSlot, 0, static_cast<int>(top), static_cast<int>(viewWidth),
             static_cast<int>(top + viewHeight));
    switch (PanelKey) {
        case VK_UP: PanelScroll -= 100 * FrameDelta; break;
        case VK_LEFT: PanelScroll -= 300 * FrameDelta; break;
        case VK_DOWN: PanelScroll += 100 * FrameDelta; break;
        case VK_RIGHT: PanelScroll += 300 * FrameDelta; break;
        default: break;
    }
    if (PanelScroll < 0) PanelScroll = 0;
    float last = static_cast<float>(static_cast<long long>(PanelContentHeight) - viewHeight);
    if (PanelScroll > last) PanelScroll = last;
}

}  // namespace

void SetClip(int left, int top, int right, int bottom) { ClipRect = {left, top, right, bottom}; }

int Clear() { return FillRect(BackSurface, 0, 0, ScreenWidth, ScreenHeight, 0); }

int ClearObject(int slot) {
    ObjectRecord* r = Object(slot);
    if (!r) return DDERR_INVALIDOBJECT;
    return FillRect(r->surface, 0, 0, r->width, r->height, 0);
}

int ClearBox(int left, int top, int right, int bottom) {
    return FillRect(BackSurface, left, top, right, bottom, 0);
}

int FrameBox(int left, int top, int right, int bottom) {
    // An edge at the end of the int range has no pixel beyond it: the
    // one-pixel side is cut to the range (and so is empty there).
    auto plusOne = [](int v) { return v == INT_MAX ? v : v + 1; };
    auto minusOne = [](int v) { return v == INT_MIN ? v : v - 1; };
    ClearBox(left, top, right, plusOne(top));
    ClearBox(left, minusOne(bottom), right, bottom);
    ClearBox(left, top, plusOne(left), bottom);
    return ClearBox(minusOne(right), top, right, bottom);
}

int ClearWhite() { return FillRect(BackSurface, 0, 0, ScreenWidth, ScreenHeight, PixelFormat.fullMask); }

int WhiteBox(int left, int top, int right, int bottom) {
    return FillRect(BackSurface, left, top, right, bottom, PixelFormat.fullMask);
}

int FillBox(int left, int top, int right, int bottom, int colour) {
    return FillRect(BackSurface, left, top, right, bottom, static_cast<DWORD>(colour) & 0xFFFF);
}

void Draw(int x, int y, int slot, int sx, int sy, int ex, int ey) {
    ClippedDraw(BackSurface, x, y, slot, sx, sy, ex, ey, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void DrawSolid(int x, int y, int slot, int sx, int sy, int ex, int ey) {
    ClippedDraw(BackSurface, x, y, slot, sx, sy, ex, ey, DDBLTFAST_WAIT);
}

void DrawToObject(int destSlot, int x, int y, int slot, int sx, int sy, int ex, int ey) {
    ClippedDraw(ObjectSurface(destSlot), x, y, slot, sx, sy, ex, ey,
                DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void DrawSolidToObject(int destSlot, int x, int y, int slot, int sx, int sy, int ex, int ey) {
    ClippedDraw(ObjectSurface(destSlot), x, y, slot, sx, sy, ex, ey, DDBLTFAST_WAIT);
}

void DrawScaled(int x, int y, int slot, int sx, int sy, int ex, int ey, int width, int height) {
    ScaledDraw(x, y, slot, sx, sy, ex, ey, width, height, true);
}

void DrawScaledSolid(int x, int y, int slot, int sx, int sy, int ex, int ey, int width, int height) {
    ScaledDraw(x, y, slot, sx, sy, ex, ey, width, height, false);
}

void CopyScreen(int slot, int left, int top, int right, int bottom) {
    IDirectDrawSurface* target = ObjectSurface(slot);
    if (!target || !BackSurface) return;
    RECT src{left, top, right, bottom};
    if (target->BltFast(0, 0, BackSurface, &src, DDBLTFAST_WAIT) == DDERR_SURFACELOST) Restore();
}

void Present() {
    if (!DirectDraw || !PrimarySurface || !BackSurface) return;
    DrawWipe();
    DrawPanel();
    if (VSync) DirectDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    // The window's client area, kept current by the window procedure.
    RECT dest{elSystem::ClientOrigin.x, elSystem::ClientOrigin.y,
              elSystem::ClientOrigin.x + ScreenWidth, elSystem::ClientOrigin.y + ScreenHeight};
    RECT src{0, 0, ScreenWidth, ScreenHeight};
    if (PrimarySurface->Blt(&dest, BackSurface, &src, DDBLT_WAIT, nullptr) == DDERR_SURFACELOST)
        Restore();
}

void SetVSync(int flag) { VSync = flag; }

int LoadWipePattern(const char* name) {
    SetKeyColor(0);
    WipePatternSlot = LoadObject(name, kDefaultMemory);
    return WipePatternSlot;
}

void WipeForward() {
    WipeCounter = 1;
    WipeDirection = 1;
}

void WipeBackward() {
    WipeCounter = kWipeFrames;
    WipeDirection = -1;
}

void SetPanel(const char* page, const char* background, int contentHeight) {
    SetKeyColor(0);
    if (PanelPageSlot != 0) {
        SwapObject(page, PanelPageSlot, kDefaultMemory);
        SwapObject(background, PanelBackgroundSlot, kDefaultMemory);
    } else {
        PanelPageSlot = LoadObject(page, kDefaultMemory);
        PanelBackgroundSlot = LoadObject(background, kDefaultMemory);
    }
    PanelScroll = 0;
    PanelContentHeight = contentHeight;
}

void TogglePanel() {
    if (PanelShown) PanelShown = 0;
    else if (PanelContentHeight != 0) PanelShown = 1;
}

}  // namespace elDraw
