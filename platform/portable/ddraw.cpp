// Portable DirectDraw. Surfaces live in memory in the display's pixel format;
// blits, colour fills, colour keys, locks and device contexts work on that
// memory with the results DirectDraw gives (rectangles outside a surface are
// refused, lost surfaces refuse everything until restored, a surface that is
// locked or lends a device context is busy). The primary surface is the
// picture of the program's window: whatever is written to it is shown in the
// SDL window, or, headless, kept as the presented frame, converted to the
// desktop's format and enlarged to the window's size (window_picture.h).
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/ddraw.h"
#include "platform/display.h"
#include "platform/portable/headless_display.h"
#include "platform/portable/gdi_objects.h"
#include "platform/portable/state.h"
#include "platform/portable/window_picture.h"
#ifdef __EMSCRIPTEN__
#include "platform/portable/web/frame.h"
#endif

namespace plat {
namespace portable {

namespace {

class Surface;

// Largest surface side and size this layer allocates.
constexpr int kMaxSide = 32767;
constexpr std::size_t kMaxSurfaceBytes = std::size_t{256} << 20;

struct DisplayWorld {
    std::vector<headless::DisplayDevice> devices{headless::DisplayDevice{}};
    std::vector<GUID> guids;
    std::vector<int> refusedDepths;
    std::vector<int> modesTried;
    int failSurfaceIn = 0;
    bool palettised = false;
    int verticalBlankWaits = 0;
    int presents = 0;
    headless::Frame frame;
    std::vector<std::uint8_t> frameScratch;  // the window's picture before it is widened
    std::unordered_set<Surface*> surfaces;
    Surface* primary = nullptr;  // the last primary surface made, while it lives
};

DisplayWorld& W() {
    static DisplayWorld world;
    return world;
}

WindowObject* LiveWindow(HWND window) {
    if (!window) return nullptr;
    for (auto& w : S().windows)
        if (w.get() == window) return (w->destroyed || w->remote) ? nullptr : w.get();
    return nullptr;
}

PixelView FormatView(DisplayFormat format) {
    PixelView v;
    switch (format) {
        case DisplayFormat::Rgb565:
            v.bytesPerPixel = 2;
            v.redMask = 0xF800;
            v.greenMask = 0x07E0;
            v.blueMask = 0x001F;
            break;
        case DisplayFormat::Rgb555:
            v.bytesPerPixel = 2;
            v.redMask = 0x7C00;
            v.greenMask = 0x03E0;
            v.blueMask = 0x001F;
            break;
        case DisplayFormat::Xrgb8888:
            v.bytesPerPixel = 4;
            v.redMask = 0xFF0000;
            v.greenMask = 0x00FF00;
            v.blueMask = 0x0000FF;
            break;
    }
    return v;
}

bool DescSizeOk(const DDSURFACEDESC* desc) {
    return desc && (desc->dwSize == sizeof(DDSURFACEDESC) || desc->dwSize == kSurfaceDescSize32);
}

// What one DirectDraw object shares with the surfaces made from it.
struct DeviceState {
    headless::DisplayDevice device;
    HWND window = nullptr;
    DWORD cooperation = 0;
    bool modeSet = false;
    int modeWidth = 0;
    int modeHeight = 0;
    DisplayFormat formatBeforeMode = DisplayFormat::Rgb565;
    bool released = false;
    bool verticalBlankPending = false;  // the next present waits for the refresh tick

    bool CanStretch() const { return device.hardwareStretch || device.emulationStretch; }
};

class Clipper final : public IDirectDrawClipper {
public:
    HRESULT SetHWnd(DWORD, HWND w) override {
        window = w;
        return DD_OK;
    }
    HRESULT GetHWnd(HWND* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        *out = window;
        return DD_OK;
    }
    ULONG Release() override {
        ULONG left = --refs;
        if (left == 0) delete this;
        return left;
    }
    void AddRef() { ++refs; }
    HWND window = nullptr;

private:
    ~Clipper() = default;
    ULONG refs = 1;
};

// Scratch memory for blits whose source and destination overlap; reused so
// the common path allocates nothing.
std::vector<std::uint8_t>& Scratch() {
    static std::vector<std::uint8_t> scratch;
    return scratch;
}

// The source pixels inside [low, high] are transparent. The test is one
// unsigned comparison, (p - low) <= (high - low), done on whole vectors of
// pixels: written out with vector types because compilers leave this select
// unvectorised at the optimisation level programs are normally built with,
// and it runs over the whole screen several times a frame.
template <typename Pixel>
struct Key {
    bool any;  // false: no pixel value can be transparent
    Pixel low;
    Pixel range;

    Key(bool keyed, std::uint32_t lo, std::uint32_t hi) {
        constexpr std::uint32_t kMax = static_cast<Pixel>(~Pixel{0});
        any = keyed && lo <= hi && lo <= kMax;
        low = static_cast<Pixel>(lo);
        range = static_cast<Pixel>(std::min(hi, kMax) - lo);
    }
    bool Transparent(Pixel p) const { return static_cast<Pixel>(p - low) <= range; }
};

// Sixteen bytes of pixels (the vector attribute needs a concrete type).
using Vec16 = std::uint16_t __attribute__((vector_size(16)));
using Vec32 = std::uint32_t __attribute__((vector_size(16)));
template <typename Pixel> struct VectorOf;
template <> struct VectorOf<std::uint16_t> { using type = Vec16; };
template <> struct VectorOf<std::uint32_t> { using type = Vec32; };

template <typename Pixel>
void KeyedRow(const Pixel* s, Pixel* d, int width, const Key<Pixel>& key) {
    using Vec = typename VectorOf<Pixel>::type;
    static_assert(sizeof(Vec) == 16);
    constexpr int kLanes = static_cast<int>(sizeof(Vec) / sizeof(Pixel));
    const Vec low = Vec{} + key.low;
    const Vec range = Vec{} + key.range;
    int x = 0;
    for (; x + kLanes <= width; x += kLanes) {
        Vec sv, dv;
        std::memcpy(&sv, s + x, sizeof sv);
        std::memcpy(&dv, d + x, sizeof dv);
        Vec transparent = (Vec)((sv - low) <= range);
        dv = (dv & transparent) | (sv & ~transparent);
        std::memcpy(d + x, &dv, sizeof dv);
    }
    for (; x < width; ++x)
        if (!key.Transparent(s[x])) d[x] = s[x];
}

template <typename Pixel>
void CopyRows(const std::uint8_t* src, int srcPitch, std::uint8_t* dst, int dstPitch, int width,
              int height, const Key<Pixel>& key) {
    for (int y = 0; y < height; ++y) {
        const auto* s = reinterpret_cast<const Pixel*>(src + static_cast<std::ptrdiff_t>(y) * srcPitch);
        auto* d = reinterpret_cast<Pixel*>(dst + static_cast<std::ptrdiff_t>(y) * dstPitch);
        if (key.any) KeyedRow(s, d, width, key);
        else std::memcpy(d, s, static_cast<std::size_t>(width) * sizeof(Pixel));
    }
}

// Nearest-pixel stretch; `columns` holds the source column of every visible
// destination column.
template <typename Pixel>
void StretchRows(const std::uint8_t* src, int srcPitch, int srcHeight, std::uint8_t* dst,
                 int dstPitch, int dstHeight, const std::vector<int>& columns, int firstCol,
                 int firstRow, int lastRow, const Key<Pixel>& key) {
    static std::vector<Pixel> row;  // reused: no allocation per call once grown
    if (key.any) row.resize(columns.size());
    for (int j = firstRow; j < lastRow; ++j) {
        std::int64_t sy = static_cast<std::int64_t>(j) * srcHeight / dstHeight;
        const auto* s = reinterpret_cast<const Pixel*>(src + sy * srcPitch);
        auto* d = reinterpret_cast<Pixel*>(dst + static_cast<std::ptrdiff_t>(j) * dstPitch) + firstCol;
        const int* column = columns.data();
        const int count = static_cast<int>(columns.size());
        // Keyed rows are gathered first and then merged without branches.
        Pixel* out = key.any ? row.data() : d;
        for (int i = 0; i < count; ++i) out[i] = s[column[i]];
        if (key.any) KeyedRow(out, d, count, key);
    }
}

// 16-bit pixels widened to 32-bit values, eight at a time (the row loop of
// single reads is several times slower than the memory allows).
void WidenRow(const std::uint16_t* s, std::uint32_t* d, int width) {
    using Wide = std::uint32_t __attribute__((vector_size(32)));
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        Vec16 v;
        std::memcpy(&v, s + x, sizeof v);
        const Wide w = __builtin_convertvector(v, Wide);
        std::memcpy(d + x, &w, sizeof w);
    }
    for (; x < width; ++x) d[x] = s[x];
}

bool Inside(const RECT& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height &&
           r.left < r.right && r.top < r.bottom;
}

class Surface final : public IDirectDrawSurface {
public:
    Surface(std::shared_ptr<DeviceState> state, DWORD caps, int width, int height,
            const PixelView& format, bool palettised)
        : state_(std::move(state)), caps_(caps), palettised_(palettised) {
        view_ = format;
        view_.width = width;
        view_.height = height;
        // Rows are padded to 8 bytes, as display drivers align them; so the
        // pitch is not always width x bytes per pixel.
        view_.pitch = (width * format.bytesPerPixel + 7) & ~7;
        memory_.assign(static_cast<std::size_t>(view_.pitch) * static_cast<std::size_t>(height),
                       0xA5);
        view_.pixels = memory_.data();
        W().surfaces.insert(this);
        if (primary()) W().primary = this;
    }

    HRESULT Blt(RECT* destRect, IDirectDrawSurface* sourceI, RECT* sourceRect, DWORD flags,
                DDBLTFX* fx) override {
        if (lost_) return DDERR_SURFACELOST;
        if (Busy()) return DDERR_SURFACEBUSY;
        // With a clipper the destination is in desktop coordinates and is
        // cut to the window; without one it must lie inside the surface.
        RECT dest = destRect ? *destRect : RECT{0, 0, view_.width, view_.height};
        RECT visible = dest;
        if (Clipper* c = clipper_; c && destRect) {
            POINT origin = WindowOrigin(c->window);
            dest = {dest.left - origin.x, dest.top - origin.y, dest.right - origin.x,
                    dest.bottom - origin.y};
            visible = {std::max<LONG>(dest.left, 0), std::max<LONG>(dest.top, 0),
                       std::min<LONG>(dest.right, view_.width), std::min<LONG>(dest.bottom, view_.height)};
            if (dest.left >= dest.right || dest.top >= dest.bottom) return DDERR_INVALIDRECT;
            if (visible.left >= visible.right || visible.top >= visible.bottom) return DD_OK;
        } else if (!Inside(dest, view_.width, view_.height)) {
            return DDERR_INVALIDRECT;
        }

        if (flags & DDBLT_COLORFILL) {
            if (!fx || fx->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
            Fill(visible, fx->dwFillColor);
            Changed();
            return DD_OK;
        }

        auto* source = static_cast<Surface*>(sourceI);
        if (!source) return DDERR_INVALIDPARAMS;
        if (source->lost_) return DDERR_SURFACELOST;
        if (source != this && source->Busy()) return DDERR_SURFACEBUSY;
        RECT src = sourceRect ? *sourceRect : RECT{0, 0, source->view_.width, source->view_.height};
        if (!Inside(src, source->view_.width, source->view_.height)) return DDERR_INVALIDRECT;
        if (source->view_.bytesPerPixel != view_.bytesPerPixel) return DDERR_INVALIDPIXELFORMAT;
        bool keyed = (flags & DDBLT_KEYSRC) && source->hasKey_;
        int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
        int sw = src.right - src.left, sh = src.bottom - src.top;
        if (dw == sw && dh == sh) {
            // Same size: only the visible part moves.
            RECT s{src.left + (visible.left - dest.left), src.top + (visible.top - dest.top), 0, 0};
            s.right = s.left + (visible.right - visible.left);
            s.bottom = s.top + (visible.bottom - visible.top);
            CopyFrom(*source, s, visible.left, visible.top, keyed);
        } else {
            if (!state_->CanStretch()) return DDERR_NOSTRETCHHW;
            StretchFrom(*source, src, dest, visible, keyed);
        }
        Changed();
        return DD_OK;
    }

    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* sourceI, RECT* sourceRect,
                    DWORD trans) override {
        if (clipper_) return DDERR_BLTFASTCANTCLIP;
        if (lost_) return DDERR_SURFACELOST;
        if (Busy()) return DDERR_SURFACEBUSY;
        auto* source = static_cast<Surface*>(sourceI);
        if (!source) return DDERR_INVALIDPARAMS;
        if (source->lost_) return DDERR_SURFACELOST;
        if (source != this && source->Busy()) return DDERR_SURFACEBUSY;
        RECT src = sourceRect ? *sourceRect : RECT{0, 0, source->view_.width, source->view_.height};
        if (!Inside(src, source->view_.width, source->view_.height)) return DDERR_INVALIDRECT;
        std::int64_t right = static_cast<std::int64_t>(x) + (src.right - src.left);
        std::int64_t bottom = static_cast<std::int64_t>(y) + (src.bottom - src.top);
        if (right > view_.width || bottom > view_.height) return DDERR_INVALIDRECT;
        if (source->view_.bytesPerPixel != view_.bytesPerPixel) return DDERR_INVALIDPIXELFORMAT;
        bool keyed = (trans & DDBLTFAST_SRCCOLORKEY) && source->hasKey_;
        CopyFrom(*source, src, static_cast<int>(x), static_cast<int>(y), keyed);
        Changed();
        return DD_OK;
    }

    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) override {
        if (!key || !(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
        if (!hasKey_) return DDERR_NOCOLORKEY;
        *key = key_;
        return DD_OK;
    }

    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override {
        if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
        if (lost_) return DDERR_SURFACELOST;
        hasKey_ = key != nullptr;
        if (key) key_ = *key;
        return DD_OK;
    }

    HRESULT GetDC(HDC* dc) override {
        if (!dc) return DDERR_INVALIDPARAMS;
        if (lost_) return DDERR_SURFACELOST;
        if (dc_) return DDERR_DCALREADYCREATED;
        if (locked_) return DDERR_SURFACEBUSY;
        dc_ = CreateSurfaceDC(view_);
        *dc = dc_;
        return DD_OK;
    }

    HRESULT ReleaseDC(HDC dc) override {
        if (!dc_ || dc != dc_) return DDERR_INVALIDPARAMS;
        DestroySurfaceDC(dc_);
        dc_ = nullptr;
        Changed();
        return DD_OK;
    }

    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override {
        if (!format) return DDERR_INVALIDPARAMS;
        FillFormat(*format);
        return DD_OK;
    }

    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override {
        if (!DescSizeOk(desc)) return DDERR_INVALIDPARAMS;
        Describe(*desc, nullptr);
        return DD_OK;
    }

    HRESULT IsLost() override { return lost_ ? DDERR_SURFACELOST : DD_OK; }

    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD, HANDLE) override {
        if (!DescSizeOk(desc)) return DDERR_INVALIDPARAMS;
        if (lost_) return DDERR_SURFACELOST;
        if (locked_ || dc_) return DDERR_SURFACEBUSY;
        std::uint8_t* first = view_.pixels;
        if (rect) {
            if (!Inside(*rect, view_.width, view_.height)) return DDERR_INVALIDRECT;
            first += static_cast<std::ptrdiff_t>(rect->top) * view_.pitch +
                     static_cast<std::ptrdiff_t>(rect->left) * view_.bytesPerPixel;
        }
        Describe(*desc, first);
        locked_ = true;
        lockedAt_ = first;
        return DD_OK;
    }

    HRESULT Unlock(void* data) override {
        if (!locked_) return DDERR_NOTLOCKED;
        if (data && data != lockedAt_) return DDERR_INVALIDPARAMS;
        locked_ = false;
        lockedAt_ = nullptr;
        Changed();
        return DD_OK;
    }

    HRESULT Restore() override {
        lost_ = false;
        return DD_OK;
    }

    HRESULT SetClipper(IDirectDrawClipper* clipperI) override {
        auto* c = static_cast<Clipper*>(clipperI);
        if (c) c->AddRef();
        if (clipper_) clipper_->Release();
        clipper_ = c;
        return DD_OK;
    }

    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    void Lose() {
        lost_ = true;
        std::fill(memory_.begin(), memory_.end(), std::uint8_t{0x3C});
    }

    bool primary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
    const PixelView& view() const { return view_; }
    DeviceState& device() const { return *state_; }

private:
    ~Surface() {
        if (dc_) DestroySurfaceDC(dc_);
        if (clipper_) clipper_->Release();
        W().surfaces.erase(this);
        if (W().primary == this) W().primary = nullptr;
    }

    bool Busy() const { return locked_ || dc_ != nullptr; }

    POINT WindowOrigin(HWND window) const {
        if (WindowObject* w = LiveWindow(window)) return w->client;
        return POINT{0, 0};
    }

    void FillFormat(DDPIXELFORMAT& f) const {
        f = DDPIXELFORMAT{};
        f.dwSize = sizeof(DDPIXELFORMAT);
        f.dwFlags = DDPF_RGB;
        f.dwRGBBitCount = static_cast<DWORD>(view_.bytesPerPixel * 8);
        if (!palettised_) {
            f.dwRBitMask = view_.redMask;
            f.dwGBitMask = view_.greenMask;
            f.dwBBitMask = view_.blueMask;
        }
    }

    void Describe(DDSURFACEDESC& d, void* data) const {
        DWORD size = d.dwSize;
        d = DDSURFACEDESC{};
        d.dwSize = size;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
        if (data) d.dwFlags |= DDSD_LPSURFACE;
        d.dwWidth = static_cast<DWORD>(view_.width);
        d.dwHeight = static_cast<DWORD>(view_.height);
        d.lPitch = view_.pitch;
        d.lpSurface = data;
        FillFormat(d.ddpfPixelFormat);
        d.ddsCaps.dwCaps = caps_;
    }

    // Fills the first row, then copies it down: as fast as a memory copy.
    void Fill(const RECT& r, DWORD value) {
        std::size_t rowBytes = static_cast<std::size_t>(r.right - r.left) * view_.bytesPerPixel;
        std::uint8_t* first = view_.pixels + static_cast<std::ptrdiff_t>(r.top) * view_.pitch +
                              static_cast<std::ptrdiff_t>(r.left) * view_.bytesPerPixel;
        if (view_.bytesPerPixel == 2)
            std::fill_n(reinterpret_cast<std::uint16_t*>(first), r.right - r.left,
                        static_cast<std::uint16_t>(value));
        else
            std::fill_n(reinterpret_cast<std::uint32_t*>(first), r.right - r.left, value);
        for (LONG y = r.top + 1; y < r.bottom; ++y)
            std::memcpy(view_.pixels + static_cast<std::ptrdiff_t>(y) * view_.pitch +
                            static_cast<std::ptrdiff_t>(r.left) * view_.bytesPerPixel,
                        first, rowBytes);
    }

    // Where the source pixels are read from: the surface itself, or a copy
    // when source and destination are one surface and the rectangles overlap.
    const std::uint8_t* SourceRows(const Surface& source, const RECT& src, const RECT& dst,
                                   int& pitch) const {
        int bpp = source.view_.bytesPerPixel;
        const std::uint8_t* first = source.view_.pixels +
                                    static_cast<std::ptrdiff_t>(src.top) * source.view_.pitch +
                                    static_cast<std::ptrdiff_t>(src.left) * bpp;
        pitch = source.view_.pitch;
        bool overlap = &source == this && src.left < dst.right && dst.left < src.right &&
                       src.top < dst.bottom && dst.top < src.bottom;
        if (!overlap) return first;
        int rowBytes = (src.right - src.left) * bpp;
        auto& scratch = Scratch();
        scratch.resize(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(src.bottom - src.top));
        for (LONG y = 0; y < src.bottom - src.top; ++y)
            std::memcpy(scratch.data() + static_cast<std::ptrdiff_t>(y) * rowBytes,
                        first + static_cast<std::ptrdiff_t>(y) * pitch, static_cast<std::size_t>(rowBytes));
        pitch = rowBytes;
        return scratch.data();
    }

    void CopyFrom(const Surface& source, const RECT& src, int x, int y, bool keyed) {
        int w = src.right - src.left, h = src.bottom - src.top;
        if (w <= 0 || h <= 0) return;
        RECT dst{x, y, x + w, y + h};
        int srcPitch = 0;
        const std::uint8_t* s = SourceRows(source, src, dst, srcPitch);
        std::uint8_t* d = view_.pixels + static_cast<std::ptrdiff_t>(y) * view_.pitch +
                          static_cast<std::ptrdiff_t>(x) * view_.bytesPerPixel;
        DDCOLORKEY k = source.key_;
        if (view_.bytesPerPixel == 2)
            CopyRows(s, srcPitch, d, view_.pitch, w, h,
                     Key<std::uint16_t>(keyed, k.dwColorSpaceLowValue, k.dwColorSpaceHighValue));
        else
            CopyRows(s, srcPitch, d, view_.pitch, w, h,
                     Key<std::uint32_t>(keyed, k.dwColorSpaceLowValue, k.dwColorSpaceHighValue));
    }

    // Nearest-pixel stretch of src onto dest, writing only the visible part.
    void StretchFrom(const Surface& source, const RECT& src, const RECT& dest, const RECT& visible,
                     bool keyed) {
        int srcPitch = 0;
        const std::uint8_t* s = SourceRows(source, src, dest, srcPitch);
        std::uint8_t* d = view_.pixels + static_cast<std::ptrdiff_t>(dest.top) * view_.pitch +
                          static_cast<std::ptrdiff_t>(dest.left) * view_.bytesPerPixel;
        int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
        int sw = src.right - src.left, sh = src.bottom - src.top;
        int firstCol = visible.left - dest.left, lastCol = visible.right - dest.left;
        int firstRow = visible.top - dest.top, lastRow = visible.bottom - dest.top;
        static std::vector<int> columns;  // reused: no allocation per call once grown
        columns.resize(static_cast<std::size_t>(lastCol - firstCol));
        for (int i = firstCol; i < lastCol; ++i)
            columns[static_cast<std::size_t>(i - firstCol)] =
                static_cast<int>(static_cast<std::int64_t>(i) * sw / dw);
        DDCOLORKEY k = source.key_;
        if (view_.bytesPerPixel == 2)
            StretchRows(s, srcPitch, sh, d, view_.pitch, dh, columns, firstCol, firstRow, lastRow,
                        Key<std::uint16_t>(keyed, k.dwColorSpaceLowValue, k.dwColorSpaceHighValue));
        else
            StretchRows(s, srcPitch, sh, d, view_.pitch, dh, columns, firstCol, firstRow, lastRow,
                        Key<std::uint32_t>(keyed, k.dwColorSpaceLowValue, k.dwColorSpaceHighValue));
    }

    // Whatever reaches the primary surface is shown at once.
    void Changed();

    std::shared_ptr<DeviceState> state_;
    DWORD caps_;
    bool palettised_;
    PixelView view_;
    std::vector<std::uint8_t> memory_;
    bool lost_ = false;
    bool locked_ = false;
    void* lockedAt_ = nullptr;
    HDC dc_ = nullptr;
    bool hasKey_ = false;
    DDCOLORKEY key_{};
    Clipper* clipper_ = nullptr;
    ULONG refs_ = 1;
};

// Waits, outside headless mode, for the next tick of the display's refresh
// (a window's own framebuffer has no vertical sync of its own).
void SleepToNextRefresh(SDL_Window* window) {
#ifdef __EMSCRIPTEN__
    (void)window;
    web::WaitForAnimationFrame();  // the browser's own refresh tick
#else
    SDL_DisplayMode mode{};
    int hz = (SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0) ? mode.refresh_rate : 60;
    Uint64 frequency = SDL_GetPerformanceFrequency();
    Uint64 period = frequency / static_cast<Uint64>(hz);
    if (period == 0) return;
    Uint64 now = SDL_GetPerformanceCounter();
    Uint64 next = (now / period + 1) * period;
    Uint32 ms = static_cast<Uint32>((next - now) * 1000 / frequency);
    if (ms > 0) SDL_Delay(ms);
#endif
}

// The window's format, when the picture can be written straight into it.
bool WindowFormat(Uint32 sdlFormat, DisplayFormat& format) {
    switch (sdlFormat) {
        case SDL_PIXELFORMAT_RGB888:
        case SDL_PIXELFORMAT_ARGB8888: format = DisplayFormat::Xrgb8888; return true;
        case SDL_PIXELFORMAT_RGB565: format = DisplayFormat::Rgb565; return true;
        case SDL_PIXELFORMAT_RGB555: format = DisplayFormat::Rgb555; return true;
        default: return false;
    }
}

// Writes the picture into the SDL window's own framebuffer. An accelerated
// renderer, or SDL's accelerated window framebuffer, makes SDL destroy and
// re-create the X window to give it a GL visual: the window found by the
// user's tools would vanish after the first frame. The window's framebuffer
// is plain memory, and the conversion and enlargement are done here.
void ShowInWindow(DeviceState& st, const PixelView& picture) {
    if (st.released) return;
    WindowObject* w = LiveWindow(st.window);
    if (!w || !w->sdl) return;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Surface* surface = SDL_GetWindowSurface(w->sdl);
    if (!surface) return;
    bool waitForRefresh = st.verticalBlankPending;
    st.verticalBlankPending = false;
    Placement place = PlacePicture(picture.width, picture.height, surface->w, surface->h, GetScaleMode());
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    DisplayFormat format{};
    if (WindowFormat(surface->format->format, format)) {
        DrawWindowPicture(picture, {static_cast<std::uint8_t*>(surface->pixels), surface->pitch, surface->w,
                                    surface->h, format},
                          place);
    } else {
        // Any other window format: through a 32-bit copy and SDL's converter.
        auto& scratch = W().frameScratch;
        scratch.resize(static_cast<std::size_t>(surface->w) * static_cast<std::size_t>(surface->h) * 4);
        DrawWindowPicture(picture, {scratch.data(), surface->w * 4, surface->w, surface->h, DisplayFormat::Xrgb8888},
                          place);
        SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_RGB888, scratch.data(), surface->w * 4,
                          surface->format->format, surface->pixels, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (waitForRefresh) SleepToNextRefresh(w->sdl);
    SDL_UpdateWindowSurface(w->sdl);
}

// Headless: the frame is what the window shows, in the desktop's format.
void KeepFrame(const DeviceState& st, const PixelView& picture) {
    headless::Frame& f = W().frame;
    const DisplayFormat desktop = GetDisplayFormat();
    int width = picture.width, height = picture.height;
    const WindowObject* w = LiveWindow(st.window);
    if (w) ShownSize(*w, width, height);
    f.width = width;
    f.height = height;
    f.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (width == picture.width && height == picture.height && FormatOf(picture) == desktop) {
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch;
            std::uint32_t* out = f.pixels.data() + static_cast<std::size_t>(y) * width;
            if (picture.bytesPerPixel == 2) WidenRow(reinterpret_cast<const std::uint16_t*>(row), out, width);
            else std::memcpy(out, row, static_cast<std::size_t>(width) * 4);
        }
        return;
    }
    Placement place = w ? PictureInWindow(*w) : Placement{0, 0, width, height};
    if (desktop == DisplayFormat::Xrgb8888) {
        DrawWindowPicture(picture, {reinterpret_cast<std::uint8_t*>(f.pixels.data()), width * 4, width, height, desktop},
                          place);
        return;
    }
    auto& scratch = W().frameScratch;
    scratch.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 2);
    DrawWindowPicture(picture, {scratch.data(), width * 2, width, height, desktop}, place);
    for (int y = 0; y < height; ++y)
        WidenRow(reinterpret_cast<const std::uint16_t*>(scratch.data()) + static_cast<std::size_t>(y) * width,
                 f.pixels.data() + static_cast<std::size_t>(y) * width, width);
}

// Headless runs started with EL_FRAME_LOG=<file> write one line per present:
// its number and a hash of the frame reduced to 5:6:5. Two runs on desktops
// of different depths draw the same pictures when their logs are equal.
void LogFrame(const headless::Frame& f, int present) {
    static std::FILE* log = [] {
        const char* name = std::getenv("EL_FRAME_LOG");
        return name && *name ? std::fopen(name, "w") : nullptr;
    }();
    if (!log) return;
    const DisplayFormat desktop = GetDisplayFormat();
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (std::uint32_t p : f.pixels) {
        std::uint32_t v = p;
        if (desktop == DisplayFormat::Xrgb8888)
            v = ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x1F);
        else if (desktop == DisplayFormat::Rgb555)
            v = ((p << 1) & 0xFFC0) | (p & 0x1F);
        hash = (hash ^ (v & 0xFFFF)) * 1099511628211ull;
    }
    std::fprintf(log, "%d %dx%d %016llx\n", present, f.width, f.height, static_cast<unsigned long long>(hash));
    std::fflush(log);
}

void Surface::Changed() {
    if (!primary()) return;
    DisplayWorld& world = W();
    ++world.presents;
    if (S().headless) {
        KeepFrame(*state_, view_);
        LogFrame(world.frame, world.presents);
    } else {
        ShowInWindow(*state_, view_);
    }
}

class DirectDrawObject final : public IDirectDraw {
public:
    explicit DirectDrawObject(const headless::DisplayDevice& device)
        : state_(std::make_shared<DeviceState>()) {
        state_->device = device;
    }

    HRESULT CreateClipper(DWORD, IDirectDrawClipper** out, void*) override {
        if (!out) return DDERR_INVALIDPARAMS;
        *out = new Clipper();
        return DD_OK;
    }

    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** out, void*) override {
        if (!out || !DescSizeOk(desc)) return DDERR_INVALIDPARAMS;
        *out = nullptr;
        DisplayWorld& world = W();
        if (world.failSurfaceIn > 0 && --world.failSurfaceIn == 0) return DDERR_OUTOFMEMORY;
        DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
        int width = 0, height = 0;
        if (caps & DDSCAPS_PRIMARYSURFACE) {
            PrimarySize(width, height);
        } else {
            if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
                return DDERR_INVALIDPARAMS;
            if (desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > kMaxSide ||
                desc->dwHeight > kMaxSide)
                return DDERR_INVALIDPARAMS;
            width = static_cast<int>(desc->dwWidth);
            height = static_cast<int>(desc->dwHeight);
        }
        PixelView format = FormatView(OfferedDisplayFormat());
        std::size_t bytes = static_cast<std::size_t>((width * format.bytesPerPixel + 7) & ~7) *
                            static_cast<std::size_t>(height);
        if (bytes > kMaxSurfaceBytes) return DDERR_OUTOFMEMORY;
        caps |= (caps & DDSCAPS_SYSTEMMEMORY) ? 0 : (DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM);
        try {
            *out = new Surface(state_, caps, width, height, format, world.palettised);
        } catch (const std::bad_alloc&) {
            return DDERR_OUTOFMEMORY;
        }
        if (caps & DDSCAPS_PRIMARYSURFACE)
            if (WindowObject* w = LiveWindow(state_->window)) OpenPicture(*w, width, height, !state_->modeSet);
        return DD_OK;
    }

    HRESULT FlipToGDISurface() override { return DD_OK; }

    HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation) override {
        const headless::DisplayDevice& d = state_->device;
        DWORD common = DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY;
        if (driver) {
            *driver = DDCAPS{};
            driver->dwSize = sizeof(DDCAPS);
            driver->dwCaps = common | (d.threeD ? DDCAPS_3D : 0) | (d.hardwareStretch ? DDCAPS_BLTSTRETCH : 0);
            driver->ddsCaps.dwCaps = d.textures ? DDSCAPS_TEXTURE : 0;
        }
        if (emulation) {
            *emulation = DDCAPS{};
            emulation->dwSize = sizeof(DDCAPS);
            emulation->dwCaps = common | (d.emulationStretch ? DDCAPS_BLTSTRETCH : 0);
        }
        return (driver || emulation) ? DD_OK : DDERR_INVALIDPARAMS;
    }

    HRESULT RestoreDisplayMode() override {
        DeviceState& st = *state_;
        if (!st.modeSet) return DD_OK;
        st.modeSet = false;
        SetDisplayFormat(st.formatBeforeMode);
        if (WindowObject* w = LiveWindow(st.window); w && w->sdl) SDL_SetWindowFullscreen(w->sdl, 0);
        return DD_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
        bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        if (fullScreen != exclusive) return DDERR_INVALIDPARAMS;
        if (exclusive && !LiveWindow(window)) return DDERR_INVALIDPARAMS;
        if (!exclusive && !(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
        state_->window = window;
        state_->cooperation = flags;
        return DD_OK;
    }

    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits) override {
        DisplayWorld& world = W();
        world.modesTried.push_back(static_cast<int>(bits));
        DeviceState& st = *state_;
        if (!(st.cooperation & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
        bool offered = bits == 16 || bits == 32;
        if (!offered || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
            std::find(world.refusedDepths.begin(), world.refusedDepths.end(), static_cast<int>(bits)) !=
                world.refusedDepths.end())
            return DDERR_INVALIDMODE;
        if (!st.modeSet) st.formatBeforeMode = GetDisplayFormat();
        DisplayFormat now = GetDisplayFormat();
        // A 16-bit mode on a 32-bit desktop is only emulated for a program
        // that asks for 16 bits: it draws in 16 bits on the desktop's format.
        if (bits == 32) SetDisplayFormat(DisplayFormat::Xrgb8888);
        else if (now == DisplayFormat::Xrgb8888 && GetRequestedDepth() >= 24) SetDisplayFormat(DisplayFormat::Rgb565);
        st.modeSet = true;
        st.modeWidth = static_cast<int>(width);
        st.modeHeight = static_cast<int>(height);
        if (WindowObject* w = LiveWindow(st.window); w && w->sdl)
            SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return DD_OK;
    }

    HRESULT WaitForVerticalBlank(DWORD, HANDLE) override {
        DisplayWorld& world = W();
        ++world.verticalBlankWaits;
        if (S().headless) {
            // The next 60 Hz boundary of the virtual clock.
            std::uint64_t now = S().clock;
            std::uint64_t tick = now * 60 / 1000 + 1;
            S().clock = static_cast<DWORD>((tick * 1000 + 59) / 60);
        } else {
            state_->verticalBlankPending = true;
        }
        return DD_OK;
    }

    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) {
            RestoreDisplayMode();
            state_->released = true;
            delete this;
        }
        return left;
    }

private:
    ~DirectDrawObject() = default;

    void PrimarySize(int& width, int& height) const {
        const DeviceState& st = *state_;
        if (st.modeSet) {
            width = st.modeWidth;
            height = st.modeHeight;
        } else if (WindowObject* w = LiveWindow(st.window)) {
            width = w->clientWidth;
            height = w->clientHeight;
        } else {
            width = GetSystemMetrics(SM_CXSCREEN);
            height = GetSystemMetrics(SM_CYSCREEN);
        }
        width = std::clamp(width, 1, kMaxSide);
        height = std::clamp(height, 1, kMaxSide);
    }

    std::shared_ptr<DeviceState> state_;
    ULONG refs_ = 1;
};

}  // namespace

void RepaintWindow() {
    DisplayWorld& world = W();
    if (S().headless || !world.primary) return;
    ShowInWindow(world.primary->device(), world.primary->view());
}

void ResetDisplayWorld() {
    DisplayWorld& world = W();
    world.devices = {headless::DisplayDevice{}};
    world.refusedDepths.clear();
    world.modesTried.clear();
    world.failSurfaceIn = 0;
    world.palettised = false;
    world.verticalBlankWaits = 0;
    world.presents = 0;
    world.frame = headless::Frame{};
    ResetBitmapResources();
}

}  // namespace portable

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    auto& world = portable::W();
    world.guids.assign(world.devices.size(), GUID{});
    for (std::size_t i = 0; i < world.devices.size(); ++i) {
        world.guids[i].Data1 = static_cast<DWORD>(i);
        world.guids[i].Data4[7] = 0xE1;
        std::string description = world.devices[i].description;
        std::string driver = i == 0 ? "display" : "display" + std::to_string(i);
        if (!callback(i == 0 ? nullptr : &world.guids[i], description.data(), driver.data(), context))
            break;
    }
    return DD_OK;
}

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, void*) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    auto& world = portable::W();
    if (world.devices.empty()) return DDERR_NODIRECTDRAWHW;
    std::size_t index = guid ? guid->Data1 : 0;
    if (index >= world.devices.size()) return DDERR_INVALIDPARAMS;
    if (!world.devices[index].creatable) return DDERR_NODIRECTDRAWHW;
    *out = new portable::DirectDrawObject(world.devices[index]);
    return DD_OK;
}

namespace headless {

void SetDisplayDevices(std::vector<DisplayDevice> devices) { portable::W().devices = std::move(devices); }
void RefuseDisplayDepths(std::vector<int> depths) { portable::W().refusedDepths = std::move(depths); }
const std::vector<int>& DisplayModesTried() { return portable::W().modesTried; }
void FailSurfaceCreation(int n) { portable::W().failSurfaceIn = std::max(n, 0); }
void ReportPalettisedFormat(bool on) { portable::W().palettised = on; }
void LoseSurfaces() {
    for (auto* s : portable::W().surfaces) s->Lose();
}
int LiveSurfaces() { return static_cast<int>(portable::W().surfaces.size()); }
int VerticalBlankWaits() { return portable::W().verticalBlankWaits; }
int Presents() { return portable::W().presents; }
const Frame& PresentedFrame() { return portable::W().frame; }

}  // namespace headless
}  // namespace plat
