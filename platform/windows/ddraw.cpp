// DirectDraw, first interface version, over the system's COM objects. Each
// interface object of the library wraps one reference to the system's object
// and lets it go on Release (the library never adds references). Records are
// copied field by field into the system's own records, whose sizes are the
// system's.
#include <cstring>

#include "platform/windows/common.h"

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

class Surface final : public IDirectDrawSurface {
public:
    explicit Surface(::IDirectDrawSurface* real) : real_(real) {}

    static ::IDirectDrawSurface* RealOf(IDirectDrawSurface* s) {
        return s ? static_cast<Surface*>(s)->real_ : nullptr;
    }

    HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                DDBLTFX* fx) override {
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
        return real_->SetClipper(clipper ? static_cast<Clipper*>(clipper)->real() : nullptr);
    }
    ULONG Release() override {
        ULONG left = real_->Release();
        delete this;
        return left;
    }

private:
    ~Surface() = default;
    ::IDirectDrawSurface* real_;
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
    explicit DirectDraw(::IDirectDraw* real) : real_(real) {}

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
        ::IDirectDrawSurface* s = nullptr;
        HRESULT r = real_->CreateSurface(&d, &s, nullptr);
        if (r == DD_OK && s) *surface = new Surface(s);
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
        return real_->SetCooperativeLevel(win::Real(window), flags);
    }
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override {
        return real_->SetDisplayMode(width, height, bitsPerPixel);
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
