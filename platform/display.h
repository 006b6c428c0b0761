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

// ---- The depth the program draws in ------------------------------------------
// The program's requested depth (elDraw::SetDepths; 16 by default). With 16 the
// platform offers a 16-bit 5:6:5 display whatever the desktop's depth: display
// mode queries, the device context's bits per pixel and new surfaces are 16-bit,
// and the present converts to the desktop's format. With 24 or 32 the program
// gets the desktop's own format. Set before the screen opens.
void SetRequestedDepth(int bits);
int GetRequestedDepth();

// ---- Window scaling -------------------------------------------------------------
// The picture keeps the size the screen was opened with; a window larger than it
// shows it enlarged with nearest-neighbour sampling (sharp pixels).
enum class ScaleMode {
    WholeMultiple,  // the largest whole multiple that fits, centred on black (default)
    FitAspect,      // as large as fits, keeping the aspect ratio, centred on black
};

// The scale a window opens at: 1, 2, 3 ... times the picture's size; 0 (the
// default) asks for the platform's choice: the whole part of the desktop's
// scale factor on Windows; elsewhere the player's EL_SCALE, else 1. Values below 0 are taken as 0. Read
// when a window is sized for a newly opened screen.
void SetInitialScale(int scale);
int GetInitialScale();  // the value last set (0 when never set)
void SetScaleMode(ScaleMode mode);
ScaleMode GetScaleMode();

}  // namespace plat
