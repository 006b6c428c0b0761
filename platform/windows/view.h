// The window that shows the screen's picture, and how the picture sits in it.
// The window can be resized, maximised and switched to a borderless window
// covering the monitor (Alt+Enter); the picture keeps the size the screen was
// opened with and is shown enlarged (a whole multiple, or as large as fits
// keeping the aspect ratio), centred on black. Mouse positions, the cursor
// position and cursor clipping are translated between the window and the
// picture here, so the library sees the picture's own pixels whatever the
// window's size. At the picture's own size nothing is translated.
//
// Also the depth the program sees: with the requested depth 16 on a 32-bit
// desktop, the layer offers a 16-bit 5:6:5 display (surfaces, the pixel
// format and the device contexts' bits per pixel) and converts at present.
#pragma once

#include "platform/windows/common.h"

namespace plat::win {

// Where the picture lands in the client area of its window.
struct Layout {
    int pictureWidth = 0, pictureHeight = 0;
    int clientWidth = 0, clientHeight = 0;
    int x = 0, y = 0, width = 0, height = 0;  // the enlarged picture, client pixels
    // The picture at its own size at the client's origin: nothing to translate.
    bool Identity() const {
        return x == 0 && y == 0 && width == pictureWidth && height == pictureHeight;
    }
};
// The layout for a client area and a picture under a scale mode. A client
// smaller than the picture shows it at its own size from the top-left corner.
Layout LayoutFor(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                 ScaleMode mode);

// Picture coordinate of a client coordinate along one axis (not clamped).
int PictureFromClient(int client, int offset, int shown, int picture);
// The first client coordinate that shows a picture coordinate along one axis.
int ClientFromPicture(int picture, int offset, int shown, int pictureSize);

// The view: the window the picture is presented to and the picture's size.
// Set by the present and when a screen binds its window; cleared when the
// screen closes.
void SetView(::HWND window, int pictureWidth, int pictureHeight, bool exclusive);
void ClearView(::HWND window);
// The layout of the view's window now; false when `window` is not the view
// or has no picture yet.
bool ViewLayout(::HWND window, Layout* layout);
::HWND ViewWindow();

// Sizes a captioned window for a newly opened screen: a client area of the
// picture times the initial scale (GetInitialScale; 0 = the whole part of
// the desktop's scale factor), less where it would not fit the work area.
void SizeWindowForPicture(::HWND window, int pictureWidth, int pictureHeight);

// Messages of the view's window handled before the library sees them: the
// mouse messages' positions are made picture positions (lParam is rewritten),
// Alt+Enter switches between the window and the borderless full-monitor
// window and is consumed (true, with *result set).
bool BeforeLibrary(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM* lParam,
                   ::LRESULT* result);
// Messages handled after the library: the smallest size a border drag gives
// is the picture's own.
void AfterLibrary(::HWND window, ::UINT message, ::LPARAM lParam);

// Desktop coordinates as the library knows them (the client origin plus a
// picture position) to the real ones and back.
::POINT RealFromLibrary(::POINT p);
::POINT LibraryFromReal(::POINT p);

// Declares the program DPI-aware (once), so that the system does not scale
// its windows with blurred pixels.
void DeclareDpiAware();

// The desktop's real bits per pixel.
int DesktopBitsPerPixel();
// True when the program asked for 16 bits and the desktop is 32-bit: the
// layer then offers a 16-bit 5:6:5 display.
bool OffersSixteenBits();

}  // namespace plat::win
