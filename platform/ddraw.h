// DirectDraw (first interface version): display devices, the display mode,
// surfaces, the window clipper, blits, colour keys and locking.
//
// Shaped after the DirectDraw calls the graphics core is written against:
// same method names, flags, structure fields and error codes. A Windows build
// wraps the real COM objects; the portable build keeps surfaces in memory and
// shows the primary surface in the program's SDL window.
//
// Include this header before <windows.h>/<ddraw.h> in any translation unit
// that uses both: the constants share their names with DirectX macros.
#pragma once

#include <cstdint>

#include "platform/win.h"

namespace plat {

//@{
// Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
using HRESULT = std::int32_t;
using ULONG = std::uint32_t;

constexpr HRESULT MakeDdResult(int code) {
    return static_cast<HRESULT>(0x88760000u | static_cast<std::uint32_t>(code));
}

// Results.
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDMODE = MakeDdResult(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDdResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDdResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDdResult(150);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDdResult(215);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDdResult(225);
constexpr HRESULT DDERR_NOSTRETCHHW = MakeDdResult(310);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDdResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDdResult(450);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDdResult(540);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDdResult(563);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = MakeDdResult(574);
constexpr HRESULT DDERR_NOTLOCKED = MakeDdResult(584);
constexpr HRESULT DDERR_DCALREADYCREATED = MakeDdResult(620);

// Cooperative levels.
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;

// Surface description fields in use (DDSURFACEDESC::dwFlags).
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;

// Surface capabilities.
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_TEXTURE = 0x00001000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;

// Driver capabilities (DDCAPS::dwCaps).
constexpr DWORD DDCAPS_3D = 0x00000001;
constexpr DWORD DDCAPS_BLT = 0x00000040;
constexpr DWORD DDCAPS_BLTCOLORFILL = 0x04000000;
constexpr DWORD DDCAPS_BLTSTRETCH = 0x00000200;
constexpr DWORD DDCAPS_COLORKEY = 0x00400000;

// Pixel format flags.
constexpr DWORD DDPF_RGB = 0x00000040;

// Colour keys.
constexpr DWORD DDCKEY_SRCBLT = 0x00000008;

// Blt and BltFast.
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;

// Lock and vertical blank.
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x00000001;

// Enumeration callback results.
constexpr BOOL DDENUMRET_CANCEL = 0;
constexpr BOOL DDENUMRET_OK = 1;

// Identifies a display device (declared, not defined, by other device
// headers too).
struct GUID {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct DDCOLORKEY {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct DDPIXELFORMAT {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct DDSCAPS {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwCaps;
    //@}
};

// The first version's surface description. Callers zero it and set dwSize to
// sizeof(DDSURFACEDESC); 108, its size in 32-bit Windows programs, is
// accepted as well.
struct DDSURFACEDESC {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwZBufferBitDepth;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
    //@}
};
constexpr DWORD kSurfaceDescSize32 = 108;

// The blit effects record; only the fields the library sets.
struct DDBLTFX {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwFillColor;
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
    //@}
};

// Capabilities of a driver or of the emulation layer; only the fields the
// library reads.
struct DDCAPS {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCKeyCaps;
    DWORD dwFXCaps;
    DWORD dwVidMemTotal;
    DWORD dwVidMemFree;
    DDSCAPS ddsCaps;
    //@}
};

// The Win32 / DirectX type of this name, with the same members and meaning.
class IDirectDrawClipper {
public:
    //@{
    // Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
    virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
    virtual HRESULT GetHWnd(HWND* window) = 0;
    virtual ULONG Release() = 0;
    //@}

protected:
    ~IDirectDrawClipper() = default;
};

// The Win32 / DirectX type of this name, with the same members and meaning.
class IDirectDrawSurface {
public:
    // Rectangles are left, top, right, bottom with right and bottom
    // exclusive; a null rectangle is the whole surface.
    //@{
    // Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
    virtual HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                        DDBLTFX* fx) = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect,
                            DWORD trans) = 0;
    virtual HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
    // A null key removes the surface's key.
    virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT GetPixelFormat(DDPIXELFORMAT* format) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) = 0;
    // DD_OK, or DDERR_SURFACELOST while the surface memory is lost.
    virtual HRESULT IsLost() = 0;
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(void* surfaceData) = 0;
    // Makes a lost surface usable again; its contents are undefined.
    virtual HRESULT Restore() = 0;
    virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
    virtual ULONG Release() = 0;
    //@}

protected:
    ~IDirectDrawSurface() = default;
};

// The Win32 / DirectX type of this name, with the same members and meaning.
class IDirectDraw {
public:
    //@{
    // Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
    virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, void* outer) = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                                  void* outer) = 0;
    virtual HRESULT FlipToGDISurface() = 0;
    virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) = 0;
    virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
    virtual ULONG Release() = 0;
    //@}

protected:
    ~IDirectDraw() = default;
};

// Called once per display device; the first (primary) device has a null GUID.
// Returning DDENUMRET_CANCEL stops the enumeration.
using LPDDENUMCALLBACKA = BOOL (*)(GUID* guid, char* description, char* driverName,
                                   void* context);
HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context);
// A null GUID creates the object of the primary display driver.
HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** directDraw, void* outer);

//@}
}  // namespace plat
