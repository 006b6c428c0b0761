// Helpers for tests of the graphics core: BMP files written on the fly, a
// program folder of the test's own, and pixel access to surfaces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/gdi.h"
#include "support/headless_app.h"

namespace test {

// A picture of GDI colours (0x00BBGGRR), row-major, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> colours;
    Picture(int w, int h, std::uint32_t fill = 0) : width(w), height(h), colours(static_cast<std::size_t>(w) * h, fill) {}
    std::uint32_t& at(int x, int y) { return colours[static_cast<std::size_t>(y) * width + x]; }
};

// The bytes of a BMP file: 24 bits per pixel stored bottom-up, or (topDown)
// with a negative height; or 8 bits per pixel with a palette of the
// picture's colours (at most 256).
std::vector<std::uint8_t> Bmp24(const Picture& picture, bool topDown = false);
std::vector<std::uint8_t> Bmp8(const Picture& picture);

// A headless test whose program file lies in a fresh folder of its own, so
// that pictures written there load by their bare names.
class DrawTest : public Headless {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes a file into the program folder (name may contain '/').
    void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
    // Starts a program whose set-up opens the screen (800 x 600, memory mode 1).
    void StartWithScreen();
    std::string folder_;  // real path, ending in '/'
    CountingProgram program_;
};

// Pixel value at (x, y) of a surface (locks and unlocks it); 0xFFFFFFFF when
// the surface cannot be locked.
std::uint32_t PixelAt(plat::IDirectDrawSurface* surface, int x, int y);
void SetPixelAt(plat::IDirectDrawSurface* surface, int x, int y, std::uint32_t value);
// Fills the whole surface with one pixel value.
void FillSurface(plat::IDirectDrawSurface* surface, std::uint32_t value);
// Caps of a surface as its description reports them.
plat::DWORD SurfaceCaps(plat::IDirectDrawSurface* surface);

// 5:6:5 pixel of a GDI colour as a 16-bit display stores it.
constexpr std::uint32_t Rgb565(std::uint32_t colour) {
    return ((colour & 0xF8) << 8) | ((colour >> 5) & 0x07E0) | ((colour >> 19) & 0x1F);
}

}  // namespace test
