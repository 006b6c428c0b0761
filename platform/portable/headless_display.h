// Headless display: the display devices and modes the portable DirectDraw
// offers, surface loss, injected failures, bitmap resources, and what was
// presented. Everything here is reset by plat::headless::Enable / Reset.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win.h"

namespace plat::headless {

// One display device as DirectDrawEnumerateA reports it. The first device is
// the primary one (null GUID, the one DirectDrawCreate(nullptr) opens).
struct DisplayDevice {
    std::string description = "Display";  // the name DirectDrawEnumerateA reports
    bool threeD = false;            // driver caps DDCAPS_3D
    bool textures = false;          // driver surface caps DDSCAPS_TEXTURE
    bool hardwareStretch = false;   // driver caps DDCAPS_BLTSTRETCH
    bool emulationStretch = true;   // emulation caps DDCAPS_BLTSTRETCH
    bool creatable = true;          // DirectDrawCreate succeeds on it
};
// Default: one software device that can stretch through emulation. An empty
// list means no DirectDraw at all.
void SetDisplayDevices(std::vector<DisplayDevice> devices);

// Depths SetDisplayMode refuses (besides the ones the platform never offers:
// only 16 and 32 bits per pixel exist).
void RefuseDisplayDepths(std::vector<int> depths);
// The depth of every SetDisplayMode call, in order.
const std::vector<int>& DisplayModesTried();

// The n-th CreateSurface call from now fails (1 = the next one); 0 disarms.
void FailSurfaceCreation(int n);
// Makes GetPixelFormat of the next created surfaces report zero masks, as a
// palettised display would.
void ReportPalettisedFormat(bool on);

// Every live surface loses its memory: blits, locks and device contexts
// report DDERR_SURFACELOST until the surface is restored, and the contents
// are scrambled.
void LoseSurfaces();
// Surfaces created and not yet released.
int LiveSurfaces();

// Bitmap resources of the program, by name (compared without case) or as
// "#<number>" for MakeIntResource numbers: the bytes of a BMP file, kept in
// the module's resource table (platform/resources.h) without the file header
// as a resource compiler keeps them, in front of the executable's embedded
// resources. The headless reset forgets them again.
void AddBitmapResource(const std::string& name, std::vector<std::uint8_t> bmpFile);

// Presents and vertical-blank waits. Each wait advances the virtual clock to
// the next 60 Hz boundary.
int VerticalBlankWaits();
// Blits to the window (presents) since the last reset.
int Presents();
// The last picture presented to the window (client area), as pixel values of
// the display format, row-major; empty before the first present.
struct Frame {
    int width = 0;                      // width in pixels
    int height = 0;                     // height in pixels
    std::vector<std::uint32_t> pixels;  // width x height pixel values
    // The pixel value at (x, y) (inside the frame).
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
// The last presented picture (see Frame).
const Frame& PresentedFrame();

}  // namespace plat::headless
