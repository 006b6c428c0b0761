// The picture a window shows: the program's picture (the primary surface)
// converted to the window's pixel format and enlarged, with nearest-pixel
// sampling, to the place it takes in the window; the rest of the window is
// black. Also the mapping of points between the window and the picture, so
// the mouse reaches the program in picture pixels whatever the window's size.
#pragma once

#include <cstdint>

#include "platform/display.h"
#include "platform/portable/ddraw_pixels.h"

namespace plat::portable {

// Where the picture lies in the window, in window pixels.
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The place of a picture in a window of the given size, centred:
// WholeMultiple gives the largest whole multiple of the picture that fits
// (a window smaller than the picture shows it shrunk to fit, keeping its
// aspect ratio); FitAspect the largest size of the same aspect ratio.
// Sizes below 1 count as 1.
Placement PlacePicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight,
                       ScaleMode mode);

// A window point as a picture point: the picture pixel under it, with
// points on the black border taken to the nearest picture pixel.
void WindowToPicture(const Placement& place, int pictureWidth, int pictureHeight, int& x, int& y);
// A picture point as the window point at the middle of that pixel's
// enlarged block (WindowToPicture gives the picture point back).
void PictureToWindow(const Placement& place, int pictureWidth, int pictureHeight, int& x, int& y);
// A picture edge (a rectangle side, exclusive on the right and bottom) as a
// window edge.
int PictureEdgeToWindow(int edge, int placeStart, int placeSize, int pictureSize);

// Memory the window's picture is written to.
struct WindowPixels {
    std::uint8_t* pixels = nullptr;
    int pitch = 0;  // bytes from one row to the next
    int width = 0;
    int height = 0;
    DisplayFormat format = DisplayFormat::Xrgb8888;
};

// The format of a surface's pixels (16-bit 5:6:5, 5:5:5 or 32-bit).
DisplayFormat FormatOf(const PixelView& view);

// Writes the picture into `out` at `place`, converted to out's format and
// enlarged or shrunk by nearest-pixel sampling, and paints the rest of out
// black. 16-bit channels widen to 8 bits by repeating their top bits, so
// reducing the result back to the picture's format gives the picture again.
void DrawWindowPicture(const PixelView& picture, const WindowPixels& out, const Placement& place);

}  // namespace plat::portable
