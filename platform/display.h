// The pixel format of the display the portable build emulates. Windows
// reports the real desktop; the portable build presents a chosen format so
// that every depth-dependent path of the library can be run and tested.
#pragma once

namespace plat {

enum class DisplayFormat {
    Rgb565,    // 16 bits per pixel, masks F800 / 07E0 / 001F (the default)
    Rgb555,    // 16 bits per pixel, masks 7C00 / 03E0 / 001F
    Xrgb8888,  // 32 bits per pixel, masks FF0000 / FF00 / FF
};

// Read once from the environment variable EL_DISPLAY ("565", "555" or
// "32"); 565 when unset or unknown. Tests may override it.
DisplayFormat GetDisplayFormat();
void SetDisplayFormat(DisplayFormat format);
int DisplayBitsPerPixel(DisplayFormat format);

}  // namespace plat
