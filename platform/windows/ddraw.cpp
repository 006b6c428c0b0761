// DirectDraw, first interface version, over the system's COM objects. Each
// interface object of the library wraps one reference to the system's object
// and lets it go on Release (the library never adds references). Records are
// copied field by field into the system's own records, whose sizes are the
// system's.
//
// Two things are the layer's own (view.h): a 16-bit program on a 32-bit
// desktop gets 5:6:5 surfaces in system memory and a 16-bit pixel format,
// and the present widens its picture to the desktop's format; and the
// present puts the picture where the window's layout says, enlarged when the
// window is larger than the picture. At the picture's own size on its own
// format the present is the system's blit, as the library asked for it.
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/windows/common.h"
#include "platform/windows/present_rows.h"
#include "platform/windows/view.h"

namespace plat {
namespace {

::DDCOLORKEY Real(const DDCOLORKEY& k) { return {k.dwColorSpaceLowValue, k.dwColorSpaceHighValue}; }
DDCOLORKEY Ours(const ::DDCOLORKEY& k) {
    return {static_cast<DWORD>(k.dwColorSpaceLowValue), static_cast<DWORD>(k.dwColorSpaceHighValue)};
}

::DDPIXELFORMAT Real(const DDPIXELFORMAT& f) {
    ::DDPIXELFORMAT r{};
    r.dwSize = sizeof r;
    r.dwFlags = f.dwFlags;
    r.dwFourCC = f.dwFourCC;
    r.dwRGBBitCount = f.dwRGBBitCount;
    r.dwRBitMask = f.dwRBitMask;
    r.dwGBitMask = f.dwGBitMask;
    r.dwBBitMask = f.dwBBitMask;
    r.dwRGBAlphaBitMask = f.dwRGBAlphaBitMask;
    return r;
}

void CopyBack(const ::DDPIXELFORMAT& r, DDPIXELFORMAT* f) {
    f->dwSize = sizeof(DDPIXELFORMAT);
    f->dwFlags = static_cast<DWORD>(r.dwFlags);
    f->dwFourCC = static_cast<DWORD>(r.dwFourCC);
    f->dwRGBBitCount = static_cast<DWORD>(r.dwRGBBitCount);
    f->dwRBitMask = static_cast<DWORD>(r.dwRBitMask);
    f->dwGBitMask = static_cast<DWORD>(r.dwGBitMask);
    f->dwBBitMask = static_cast<DWORD>(r.dwBBitMask);
    f->dwRGBAlphaBitMask = static_cast<DWORD>(r.dwRGBAlphaBitMask);
}

// The library fills its description with its own size, or with 108, the
// size of the record in 32-bit programs.
bool ValidDesc(const DDSURFACEDESC* d) {
    return d && (d->dwSize == sizeof(DDSURFACEDESC) || d->dwSize == kSurfaceDescSize32);
}

::DDSURFACEDESC Real(const DDSURFACEDESC& d) {
    ::DDSURFACEDESC r{};
    r.dwSize = sizeof r;
    r.dwFlags = d.dwFlags;
    r.dwHeight = d.dwHeight;
    r.dwWidth = d.dwWidth;
    r.lPitch = d.lPitch;
    r.dwBackBufferCount = d.dwBackBufferCount;
    r.dwZBufferBitDepth = d.dwZBufferBitDepth;
    r.dwAlphaBitDepth = d.dwAlphaBitDepth;
    r.lpSurface = d.lpSurface;
    r.ddckCKDestOverlay = Real(d.ddckCKDestOverlay);
    r.ddckCKDestBlt = Real(d.ddckCKDestBlt);
    r.ddckCKSrcOverlay = Real(d.ddckCKSrcOverlay);
    r.ddckCKSrcBlt = Real(d.ddckCKSrcBlt);
    r.ddpfPixelFormat = Real(d.ddpfPixelFormat);
    r.ddsCaps.dwCaps = d.ddsCaps.dwCaps;
    return r;
}

void CopyBack(const ::DDSURFACEDESC& r, DDSURFACEDESC* d) {
    DWORD size = d->dwSize;
    d->dwFlags = static_cast<DWORD>(r.dwFlags);
    d->dwHeight = static_cast<DWORD>(r.dwHeight);
    d->dwWidth = static_cast<DWORD>(r.dwWidth);
    d->lPitch = static_cast<LONG>(r.lPitch);
    d->dwBackBufferCount = static_cast<DWORD>(r.dwBackBufferCount);
    d->dwZBufferBitDepth = static_cast<DWORD>(r.dwZBufferBitDepth);
    d->dwAlphaBitDepth = static_cast<DWORD>(r.dwAlphaBitDepth);
    d->dwReserved = 0;
    d->lpSurface = r.lpSurface;
    d->ddckCKDestOverlay = Ours(r.ddckCKDestOverlay);
    d->ddckCKDestBlt = Ours(r.ddckCKDestBlt);
    d->ddckCKSrcOverlay = Ours(r.ddckCKSrcOverlay);
    d->ddckCKSrcBlt = Ours(r.ddckCKSrcBlt);
    CopyBack(r.ddpfPixelFormat, &d->ddpfPixelFormat);
    d->ddsCaps.dwCaps = static_cast<DWORD>(r.ddsCaps.dwCaps);
    d->dwSize = size;
}

class Clipper final : public IDirectDrawClipper {
public:
    explicit Clipper(::IDirectDrawClipper* real) : real_(real) {}
    ::IDirectDrawClipper* real() const { return real_; }

    HRESULT SetHWnd(DWORD flags, HWND window) override {
        return real_->SetHWnd(flags, win::Real(window));
    }
    HRESULT GetHWnd(HWND* window) override {
        ::HWND w = nullptr;
        HRESULT r = real_->GetHWnd(&w);
        if (window) *window = win::Ours(w);
        return r;
    }
    ULONG Release() override {
        ULONG left = real_->Release();
        delete this;
        return left;
    }

private:
    ~Clipper() = default;
    ::IDirectDrawClipper* real_;
};

// What the surfaces of one DirectDraw object share: the object itself, the
// window of its cooperative level, and the size of the picture its primary
// surface shows (the first off-screen surface made after the primary, which
// is the back surface of the screen).
struct DisplayState {
    ::IDirectDraw* real = nullptr;  // null once the object is released
    ::HWND cooperativeWindow = nullptr;
    bool exclusive = false;
    bool primaryMade = false;
    int pictureWidth = 0;
    int pictureHeight = 0;
    ::HWND viewWindow = nullptr;  // the window this object's present showed last
};

// The 16-bit 5:6:5 format the layer offers on a 32-bit desktop.
::DDPIXELFORMAT Format565() {
    ::DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    f.dwFlags = DDPF_RGB;
    f.dwRGBBitCount = 16;
    f.dwRBitMask = 0xF800;
    f.dwGBitMask = 0x07E0;
    f.dwBBitMask = 0x001F;
    return f;
}

bool IsXrgb8888(const ::DDPIXELFORMAT& f) {
    return f.dwRGBBitCount == 32 && f.dwRBitMask == 0xFF0000 && f.dwGBitMask == 0xFF00 &&
           f.dwBBitMask == 0xFF;
}

class Surface final : public IDirectDrawSurface {
public:
    Surface(::IDirectDrawSurface* real, std::shared_ptr<DisplayState> state, bool primary,
            bool sixteen)
        : real_(real), state_(std::move(state)), primary_(primary), sixteen_(sixteen) {}

    static ::IDirectDrawSurface* RealOf(IDirectDrawSurface* s) {
        return s ? static_cast<Surface*>(s)->real_ : nullptr;
    }

    HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                DDBLTFX* fx) override {
        if (primary_ && source && !(flags & DDBLT_COLORFILL)) {
            if (::HWND window = PresentWindow())
                return Present(destRect, static_cast<Surface*>(source), sourceRect, flags, window);
        }
        ::RECT dest{}, src{};
        if (destRect) dest = win::Real(*destRect);
        if (sourceRect) src = win::Real(*sourceRect);
        ::DDBLTFX realFx{};
        if (fx) {
            if (fx->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
            realFx.dwSize = sizeof realFx;
            realFx.dwDDFX = fx->dwDDFX;
            realFx.dwROP = fx->dwROP;
            realFx.dwFillColor = fx->dwFillColor;
            realFx.ddckDestColorkey = Real(fx->ddckDestColorkey);
            realFx.ddckSrcColorkey = Real(fx->ddckSrcColorkey);
        }
        return real_->Blt(destRect ? &dest : nullptr, RealOf(source), sourceRect ? &src : nullptr,
                          flags, fx ? &realFx : nullptr);
    }
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect,
                    DWORD trans) override {
        ::RECT src{};
        if (sourceRect) src = win::Real(*sourceRect);
        return real_->BltFast(x, y, RealOf(source), sourceRect ? &src : nullptr, trans);
    }
    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) override {
        ::DDCOLORKEY k{};
        HRESULT r = real_->GetColorKey(flags, &k);
        if (key && r == DD_OK) *key = Ours(k);
        return r;
    }
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override {
        if (!key) return real_->SetColorKey(flags, nullptr);
        ::DDCOLORKEY k = Real(*key);
        return real_->SetColorKey(flags, &k);
    }
    HRESULT GetDC(HDC* dc) override {
        ::HDC h = nullptr;
        HRESULT r = real_->GetDC(&h);
        if (dc) *dc = r == DD_OK ? win::Ours(h) : nullptr;
        return r;
    }
    HRESULT ReleaseDC(HDC dc) override { return real_->ReleaseDC(win::Real(dc)); }
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override {
        if (!format) return DDERR_INVALIDPARAMS;
        ::DDPIXELFORMAT f{};
        f.dwSize = sizeof f;
        HRESULT r = real_->GetPixelFormat(&f);
        // The display offered is 16-bit: so is the primary surface's format.
        if (r == DD_OK && primary_ && win::OffersSixteenBits()) f = Format565();
        if (r == DD_OK) CopyBack(f, format);
        return r;
    }
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override {
        if (!ValidDesc(desc)) return DDERR_INVALIDPARAMS;
        ::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        HRESULT r = real_->GetSurfaceDesc(&d);
        if (r == DD_OK) CopyBack(d, desc);
        return r;
    }
    HRESULT IsLost() override { return real_->IsLost(); }
    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) override {
        if (!ValidDesc(desc)) return DDERR_INVALIDPARAMS;
        ::RECT area{};
        if (rect) area = win::Real(*rect);
        ::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        HRESULT r = real_->Lock(rect ? &area : nullptr, &d, flags, win::Real(event));
        if (r == DD_OK) CopyBack(d, desc);
        return r;
    }
    HRESULT Unlock(void* surfaceData) override { return real_->Unlock(surfaceData); }
    HRESULT Restore() override { return real_->Restore(); }
    HRESULT SetClipper(IDirectDrawClipper* clipper) override {
        HRESULT r = real_->SetClipper(clipper ? static_cast<Clipper*>(clipper)->real() : nullptr);
        // A window-mode screen binds its window here, after its back surface
        // exists: the window takes the picture's size times the initial scale.
        if (r == DD_OK && primary_ && !state_->exclusive && state_->pictureWidth > 0) {
            if (::HWND window = PresentWindow()) {
                win::SetView(window, state_->pictureWidth, state_->pictureHeight, false);
                state_->viewWindow = window;
                win::SizeWindowForPicture(window, state_->pictureWidth, state_->pictureHeight);
            }
        }
        return r;
    }
    ULONG Release() override {
        if (staging_) staging_->Release();
        ULONG left = real_->Release();
        delete this;
        return left;
    }

private:
    ~Surface() = default;

    // The window the primary surface is shown in: its clipper's window, or
    // the window of an exclusive (full-screen) cooperative level.
    ::HWND PresentWindow() const {
        ::IDirectDrawClipper* clipper = nullptr;
        ::HWND window = nullptr;
        if (real_->GetClipper(&clipper) == DD_OK && clipper) {
            clipper->GetHWnd(&window);
            clipper->Release();
        }
        if (!window && state_->exclusive) window = state_->cooperativeWindow;
        return window;
    }

    // Cuts a destination rectangle to the primary surface, and the source
    // rectangle of the same size with it; false when nothing is left.
    bool ClipToPrimary(::RECT* dest, ::RECT* source) {
        ::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        if (real_->GetSurfaceDesc(&d) != DD_OK) return true;
        const ::RECT bounds{0, 0, static_cast<LONG>(d.dwWidth), static_cast<LONG>(d.dwHeight)};
        ::RECT cut{};
        if (!::IntersectRect(&cut, dest, &bounds)) return false;
        source->left += cut.left - dest->left;
        source->top += cut.top - dest->top;
        source->right -= dest->right - cut.right;
        source->bottom -= dest->bottom - cut.bottom;
        *dest = cut;
        return true;
    }

    // Fills the parts of the client area around the picture with black.
    void FillSurround(::HWND window, const win::Layout& l) {
        const ::RECT parts[4] = {{0, 0, l.clientWidth, l.y},
                                 {0, l.y + l.height, l.clientWidth, l.clientHeight},
                                 {0, l.y, l.x, l.y + l.height},
                                 {l.x + l.width, l.y, l.clientWidth, l.y + l.height}};
        ::POINT origin{0, 0};
        ::ClientToScreen(window, &origin);
        ::DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = 0;
        for (::RECT part : parts) {
            if (part.right <= part.left || part.bottom <= part.top) continue;
            ::OffsetRect(&part, origin.x, origin.y);
            ::RECT unused = part;
            if (ClipToPrimary(&part, &unused))
                real_->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        }
    }

    // A system-memory surface of the primary's format and the given size,
    // the enlarged or widened picture's way to the primary.
    ::IDirectDrawSurface* Staging(int width, int height, const ::DDPIXELFORMAT& format) {
        if (staging_ && stagingWidth_ == width && stagingHeight_ == height) {
            if (staging_->IsLost() != DD_OK) staging_->Restore();
            return staging_;
        }
        if (staging_) staging_->Release();
        staging_ = nullptr;
        if (!state_->real) return nullptr;
        ::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        d.dwWidth = static_cast<::DWORD>(width);
        d.dwHeight = static_cast<::DWORD>(height);
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        d.ddpfPixelFormat = format;
        if (state_->real->CreateSurface(&d, &staging_, nullptr) != DD_OK) staging_ = nullptr;
        stagingWidth_ = width;
        stagingHeight_ = height;
        return staging_;
    }

    // The present: the picture (the source rectangle of the back surface)
    // goes to where the window's layout puts it, widened from 5:6:5 when the
    // display offered is 16-bit on a 32-bit desktop, enlarged when the window
    // is larger. At the picture's own size on its own format it is the
    // system's blit, exactly as asked.
    HRESULT Present(RECT* destRect, Surface* source, RECT* sourceRect, DWORD flags, ::HWND window) {
        ::DDSURFACEDESC whole{};
        whole.dwSize = sizeof whole;
        if (source->real_->GetSurfaceDesc(&whole) != DD_OK) return DDERR_GENERIC;
        ::RECT picture{0, 0, static_cast<LONG>(whole.dwWidth), static_cast<LONG>(whole.dwHeight)};
        if (sourceRect) picture = win::Real(*sourceRect);
        const int pictureWidth = picture.right - picture.left;
        const int pictureHeight = picture.bottom - picture.top;
        if (pictureWidth <= 0 || pictureHeight <= 0 || picture.left < 0 || picture.top < 0 ||
            picture.right > static_cast<LONG>(whole.dwWidth) ||
            picture.bottom > static_cast<LONG>(whole.dwHeight))
            return DDERR_INVALIDRECT;
        win::SetView(window, pictureWidth, pictureHeight, state_->exclusive);
        state_->viewWindow = window;
        win::Layout l;
        ::DDPIXELFORMAT target{};
        target.dwSize = sizeof target;
        if (!win::ViewLayout(window, &l) || real_->GetPixelFormat(&target) != DD_OK)
            return DDERR_GENERIC;
        const ::DDPIXELFORMAT& from = whole.ddpfPixelFormat;
        const bool widen = source->sixteen_ && IsXrgb8888(target);
        const bool sameFormat = from.dwRGBBitCount == target.dwRGBBitCount &&
                                (from.dwRGBBitCount == 16 || from.dwRGBBitCount == 32);
        const bool layoutChanged = l.x != last_.x || l.y != last_.y || l.width != last_.width ||
                                   l.height != last_.height || l.clientWidth != last_.clientWidth ||
                                   l.clientHeight != last_.clientHeight;
        last_ = l;
        if (layoutChanged) {
            // The diagnostic channel tells tests where the picture went.
            char line[128];
            std::snprintf(line, sizeof line, "view: client %dx%d, picture %dx%d at %d,%d as %dx%d",
                          l.clientWidth, l.clientHeight, l.pictureWidth, l.pictureHeight, l.x, l.y,
                          l.width, l.height);
            Trace(line);
        }
        if (l.Identity() && !widen) {
            ::RECT dest{}, src = picture;
            if (destRect) dest = win::Real(*destRect);
            return real_->Blt(destRect ? &dest : nullptr, source->real_, &src, flags, nullptr);
        }
        if (layoutChanged) FillSurround(window, l);
        ::POINT origin{l.x, l.y};
        ::ClientToScreen(window, &origin);
        ::RECT dest{origin.x, origin.y, origin.x + l.width, origin.y + l.height};
        const bool ownCopy = widen || (sameFormat && !(l.width == pictureWidth && l.height == pictureHeight));
        if (!ownCopy) {
            if (!ClipToPrimary(&dest, &picture)) return DD_OK;
            return real_->Blt(&dest, source->real_, &picture, flags, nullptr);
        }
        ::IDirectDrawSurface* staging = Staging(l.width, l.height, target);
        if (!staging) return DDERR_OUTOFMEMORY;
        ::DDSURFACEDESC in{}, out{};
        in.dwSize = out.dwSize = sizeof in;
        HRESULT r = source->real_->Lock(nullptr, &in, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
        if (r != DD_OK) return r;
        r = staging->Lock(nullptr, &out, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
        if (r != DD_OK) {
            source->real_->Unlock(in.lpSurface);
            return r;
        }
        const int sourceBytes = static_cast<int>(in.ddpfPixelFormat.dwRGBBitCount / 8);
        win::PixelPlane sourcePlane;
        sourcePlane.bits = static_cast<unsigned char*>(in.lpSurface) + picture.top * in.lPitch +
                           picture.left * sourceBytes;
        sourcePlane.pitch = in.lPitch;
        sourcePlane.width = pictureWidth;
        sourcePlane.height = pictureHeight;
        sourcePlane.bytesPerPixel = sourceBytes;
        win::PixelPlane destPlane;
        destPlane.bits = out.lpSurface;
        destPlane.pitch = out.lPitch;
        destPlane.width = l.width;
        destPlane.height = l.height;
        destPlane.bytesPerPixel = static_cast<int>(out.ddpfPixelFormat.dwRGBBitCount / 8);
        const bool drawn = scaler_.Draw(sourcePlane, destPlane, widen);
        staging->Unlock(out.lpSurface);
        source->real_->Unlock(in.lpSurface);
        if (!drawn) return DDERR_UNSUPPORTED;
        // The part of the picture on the desktop: a blit reaching past the
        // primary surface would be refused whole.
        ::RECT shown{0, 0, l.width, l.height};
        if (!ClipToPrimary(&dest, &shown)) return DD_OK;
        return real_->Blt(&dest, staging, &shown, flags, nullptr);
    }

    ::IDirectDrawSurface* real_;
    std::shared_ptr<DisplayState> state_;
    bool primary_;
    bool sixteen_;  // a 5:6:5 surface offered on a 32-bit desktop
    ::IDirectDrawSurface* staging_ = nullptr;
    int stagingWidth_ = 0;
    int stagingHeight_ = 0;
    win::PictureScaler scaler_;
    win::Layout last_;
};

// Wine's vertical-blank wait returns at once instead of waiting, which would
// let the frame loop spin as fast as the processor goes. A wait that comes
// back within a millisecond, twice in a row less than a frame apart, marks
// the wait as not blocking; from then on the wait sleeps to the next 60 Hz
// boundary of the millisecond clock itself. A real wait never trips this,
// so on Windows every wait stays the system's.
class VerticalBlankPacer {
public:
    void AfterWait(DWORD startMs, DWORD endMs) {
        if (emulate_) return;
        bool instant = endMs - startMs <= 1;
        bool soon = havePrevious_ && endMs - previousEnd_ < 10;
        quick_ = instant && soon ? quick_ + 1 : 0;
        previousEnd_ = endMs;
        havePrevious_ = true;
        if (quick_ >= 2) emulate_ = true;
    }
    bool emulating() const { return emulate_; }
    void Wait() {
        DWORD now = timeGetTime();
        if (!started_) {
            origin_ = now;
            started_ = true;
        }
        // Frame boundaries at origin + k * 1000 / 60 ms.
        std::uint64_t elapsed = now - origin_;
        std::uint64_t frame = elapsed * 60 / 1000 + 1;
        std::uint64_t boundary = (frame * 1000 + 59) / 60;  // rounded up to a millisecond
        ::Sleep(static_cast<::DWORD>(boundary - elapsed));
    }

private:
    bool emulate_ = false;
    bool havePrevious_ = false;
    bool started_ = false;
    int quick_ = 0;
    DWORD previousEnd_ = 0;
    DWORD origin_ = 0;
};

class DirectDraw final : public IDirectDraw {
public:
    explicit DirectDraw(::IDirectDraw* real) : real_(real), state_(std::make_shared<DisplayState>()) {
        state_->real = real;
    }

    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, void*) override {
        if (!clipper) return DDERR_INVALIDPARAMS;
        *clipper = nullptr;
        ::IDirectDrawClipper* c = nullptr;
        HRESULT r = real_->CreateClipper(flags, &c, nullptr);
        if (r == DD_OK && c) *clipper = new Clipper(c);
        return r;
    }
    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void*) override {
        if (!surface || !ValidDesc(desc)) return DDERR_INVALIDPARAMS;
        *surface = nullptr;
        ::DDSURFACEDESC d = Real(*desc);
        const bool primary = (d.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0;
        // The 16-bit display offered on a 32-bit desktop: every other surface
        // is a 5:6:5 surface in system memory, where the system keeps any
        // format; the present widens the picture to the desktop's.
        const bool sixteen = !primary && !(d.dwFlags & DDSD_PIXELFORMAT) && win::OffersSixteenBits();
        if (sixteen) {
            d.dwFlags |= DDSD_PIXELFORMAT;
            d.ddpfPixelFormat = Format565();
            d.ddsCaps.dwCaps &= ~static_cast<::DWORD>(DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM);
            d.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
        }
        ::IDirectDrawSurface* s = nullptr;
        HRESULT r = real_->CreateSurface(&d, &s, nullptr);
        if (r != DD_OK || !s) return r;
        *surface = new Surface(s, state_, primary, sixteen);
        if (primary) {
            state_->primaryMade = true;
            state_->pictureWidth = state_->pictureHeight = 0;
        } else if (state_->primaryMade && state_->pictureWidth == 0 && (d.dwFlags & DDSD_WIDTH) &&
                   (d.dwFlags & DDSD_HEIGHT)) {
            state_->pictureWidth = static_cast<int>(d.dwWidth);
            state_->pictureHeight = static_cast<int>(d.dwHeight);
        }
        return r;
    }
    HRESULT FlipToGDISurface() override { return real_->FlipToGDISurface(); }
    HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) override {
        ::DDCAPS driver{}, emulation{};
        driver.dwSize = emulation.dwSize = sizeof(::DDCAPS);
        HRESULT r = real_->GetCaps(driverCaps ? &driver : nullptr,
                                   emulationCaps ? &emulation : nullptr);
        if (r != DD_OK) return r;
        auto copy = [](const ::DDCAPS& from, DDCAPS* to) {
            if (!to) return;
            to->dwSize = sizeof(DDCAPS);
            to->dwCaps = static_cast<DWORD>(from.dwCaps);
            to->dwCaps2 = static_cast<DWORD>(from.dwCaps2);
            to->dwCKeyCaps = static_cast<DWORD>(from.dwCKeyCaps);
            to->dwFXCaps = static_cast<DWORD>(from.dwFXCaps);
            to->dwVidMemTotal = static_cast<DWORD>(from.dwVidMemTotal);
            to->dwVidMemFree = static_cast<DWORD>(from.dwVidMemFree);
            to->ddsCaps.dwCaps = static_cast<DWORD>(from.ddsCaps.dwCaps);
        };
        copy(driver, driverCaps);
        copy(emulation, emulationCaps);
        return r;
    }
    HRESULT RestoreDisplayMode() override { return real_->RestoreDisplayMode(); }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        HRESULT r = real_->SetCooperativeLevel(win::Real(window), flags);
        if (r == DD_OK) {
            state_->cooperativeWindow = win::Real(window);
            state_->exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        }
        return r;
    }
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override {
        HRESULT r = real_->SetDisplayMode(width, height, bitsPerPixel);
        // A 16-bit program on a 32-bit desktop that cannot switch to 16 bits
        // keeps the desktop's mode: the layer offers it a 16-bit display and
        // the present shows the picture on the desktop, enlarged.
        if (r != DD_OK && bitsPerPixel == 16 && win::OffersSixteenBits()) return DD_OK;
        return r;
    }
    HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override {
        if (Pacer().emulating()) {
            Pacer().Wait();
            return DD_OK;
        }
        DWORD start = timeGetTime();
        HRESULT r = real_->WaitForVerticalBlank(flags, win::Real(event));
        if (r == DD_OK) Pacer().AfterWait(start, timeGetTime());
        return r;
    }
    ULONG Release() override {
        if (state_->viewWindow) win::ClearView(state_->viewWindow);
        state_->real = nullptr;
        ULONG left = real_->Release();
        delete this;
        return left;
    }

private:
    ~DirectDraw() = default;
    static VerticalBlankPacer& Pacer() {
        static VerticalBlankPacer pacer;
        return pacer;
    }
    ::IDirectDraw* real_;
    std::shared_ptr<DisplayState> state_;
};

struct EnumerationContext {
    LPDDENUMCALLBACKA callback;
    void* context;
};

BOOL WINAPI EnumerationThunk(::GUID* guid, LPSTR description, LPSTR driverName, LPVOID context) {
    auto* c = static_cast<EnumerationContext*>(context);
    return c->callback(reinterpret_cast<GUID*>(guid), description, driverName, c->context);
}

}  // namespace

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    static_assert(sizeof(GUID) == sizeof(::GUID));
    EnumerationContext c{callback, context};
    return ::DirectDrawEnumerateA(EnumerationThunk, &c);
}

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** directDraw, void*) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    ::IDirectDraw* dd = nullptr;
    HRESULT r = ::DirectDrawCreate(reinterpret_cast<::GUID*>(guid), &dd, nullptr);
    if (r == DD_OK && dd) *directDraw = new DirectDraw(dd);
    return r;
}

}  // namespace plat
