// The window's picture: conversion to the desktop's format, nearest-pixel
// enlargement into a window of any size, the mouse mapped back to picture
// pixels, Alt+Enter and the initial scale, headless.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/display.h"
#include "platform/portable/headless.h"
#include "platform/portable/headless_display.h"
#include "platform/portable/window_picture.h"
#include "support/draw_support.h"

using namespace plat;
namespace hl = plat::headless;
using portable::Placement;

namespace {

void ExpectPlace(const Placement& p, int x, int y, int w, int h) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.width, w);
    EXPECT_EQ(p.height, h);
}

TEST(WindowPicture, PlacesWholeMultiplesOrTheLargestFitCentredOnBlack) {
    using portable::PlacePicture;
    ExpectPlace(PlacePicture(800, 600, 800, 600, ScaleMode::WholeMultiple), 0, 0, 800, 600);
    ExpectPlace(PlacePicture(800, 600, 1600, 1200, ScaleMode::WholeMultiple), 0, 0, 1600, 1200);
    ExpectPlace(PlacePicture(800, 600, 1920, 1080, ScaleMode::WholeMultiple), 560, 240, 800, 600);
    ExpectPlace(PlacePicture(800, 600, 3840, 2160, ScaleMode::WholeMultiple), 720, 180, 2400, 1800);
    ExpectPlace(PlacePicture(800, 600, 1920, 1080, ScaleMode::FitAspect), 240, 0, 1440, 1080);
    ExpectPlace(PlacePicture(800, 600, 1000, 1000, ScaleMode::FitAspect), 0, 125, 1000, 750);
    // Smaller than the picture: no whole multiple fits, so it shrinks to fit.
    ExpectPlace(PlacePicture(800, 600, 400, 600, ScaleMode::WholeMultiple), 0, 150, 400, 300);
    ExpectPlace(PlacePicture(800, 600, 0, 0, ScaleMode::WholeMultiple), 0, 0, 1, 1);
}

TEST(WindowPicture, WindowPointsMapToPicturePixelsAndBack) {
    const Placement twice{0, 0, 1600, 1200};
    int x = 800, y = 600;
    portable::WindowToPicture(twice, 800, 600, x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    const Placement fit{240, 0, 1440, 1080};  // 1.8 times, with borders
    for (int px : {0, 1, 399, 799}) {
        int wx = px, wy = px % 600;
        portable::PictureToWindow(fit, 800, 600, wx, wy);
        portable::WindowToPicture(fit, 800, 600, wx, wy);
        EXPECT_EQ(wx, px);
        EXPECT_EQ(wy, px % 600);
    }
    // The black border gives the nearest picture pixel.
    x = 10, y = 5000;
    portable::WindowToPicture(fit, 800, 600, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 599);
}

// Every 5:6:5 value widens to 8:8:8 and reduces back to itself, through the
// vector rows and the row ends; 5:5:5 and 32-bit pictures also reach a
// 16-bit window with their top bits.
TEST(WindowPicture, ConversionsKeepEveryPixelValue) {
    const int w = 259, h = 254;  // rows of 8 pixels and a tail of 3
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint16_t>(i);
    portable::PixelView picture;
    picture.pixels = reinterpret_cast<std::uint8_t*>(pixels.data());
    picture.pitch = w * 2;
    picture.width = w;
    picture.height = h;
    std::vector<std::uint32_t> wide(pixels.size());
    portable::DrawWindowPicture(picture, {reinterpret_cast<std::uint8_t*>(wide.data()), w * 4, w, h, DisplayFormat::Xrgb8888},
                                {0, 0, w, h});
    EXPECT_EQ(wide[0xF800], 0xFF0000u);
    EXPECT_EQ(wide[0x07E0], 0x00FF00u);
    EXPECT_EQ(wide[0x001F], 0x0000FFu);
    EXPECT_EQ(wide[0x8410], 0x848284u);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        std::uint32_t p = wide[i];
        std::uint32_t back = ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x1F);
        ASSERT_EQ(back, pixels[i]) << i;
    }
    // 32 bits back to 5:6:5 through the same rows gives the picture again.
    portable::PixelView deep = picture;
    deep.pixels = reinterpret_cast<std::uint8_t*>(wide.data());
    deep.pitch = w * 4;
    deep.bytesPerPixel = 4;
    std::vector<std::uint16_t> again(pixels.size());
    portable::DrawWindowPicture(deep, {reinterpret_cast<std::uint8_t*>(again.data()), w * 2, w, h, DisplayFormat::Rgb565},
                                {0, 0, w, h});
    EXPECT_EQ(again, pixels);
    // 5:5:5 red and green at full strength.
    picture.redMask = 0x7C00;
    portable::DrawWindowPicture(picture, {reinterpret_cast<std::uint8_t*>(wide.data()), w * 4, w, h, DisplayFormat::Xrgb8888},
                                {0, 0, w, h});
    EXPECT_EQ(wide[0x7C00], 0xFF0000u);
    EXPECT_EQ(wide[0x03E0], 0x00FF00u);
}

class WindowScaling : public test::DrawTest {
protected:
    void Open(DisplayFormat display) {
        SetDisplayFormat(display);
        StartWithScreen();
        // A picture with a different value in every pixel of its corners.
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (x < 4 || y < 4 || x > 795 || y > 595) test::SetPixelAt(elDraw::BackSurface, x, y, Value(x, y));
        elDraw::FillBox(100, 100, 200, 150, 0xF800);
        elDraw::SetVSync(0);
    }
    static std::uint32_t Value(int x, int y) { return static_cast<std::uint32_t>(x * 37 + y * 1013 + 1) & 0xFFFF; }
    static std::uint32_t Shown(std::uint32_t v565) {
        return GetDisplayFormat() == DisplayFormat::Xrgb8888
                   ? (((v565 & 0xF800) << 8) | ((v565 & 0xE000) << 3) | ((v565 & 0x07E0) << 5) |
                      ((v565 & 0x0600) >> 1) | ((v565 & 0x001F) << 3) | ((v565 & 0x001C) >> 2))
                   : v565;
    }
    // The frame shows the picture `times` times enlarged at (left, top).
    void ExpectEnlarged(int times, int left, int top) {
        const hl::Frame& f = hl::PresentedFrame();
        for (int y : {0, 1, 3, 120, 596, 599})
            for (int x : {0, 2, 3, 150, 797, 799}) {
                std::uint32_t want = Shown(test::PixelAt(elDraw::BackSurface, x, y));
                for (int dy = 0; dy < times; ++dy)
                    for (int dx = 0; dx < times; ++dx)
                        ASSERT_EQ(f.at(left + x * times + dx, top + y * times + dy), want) << x << "," << y;
            }
        if (left > 0) {
            EXPECT_EQ(f.at(left - 1, top), 0u);
        }
        if (top > 0) {
            EXPECT_EQ(f.at(left, top - 1), 0u);
        }
    }
};

class WindowScalingOnDisplay : public WindowScaling, public ::testing::WithParamInterface<DisplayFormat> {};

TEST_P(WindowScalingOnDisplay, PictureFollowsTheWindowAndTheMouseMapsBack) {
    {
        Open(GetParam());
        elDraw::Present();
        ASSERT_EQ(hl::PresentedFrame().width, 800);  // scale 1: the picture as it is
        ExpectEnlarged(1, 0, 0);

        hl::SetWindowSize(1600, 1200);
        elDraw::Present();
        ASSERT_EQ(hl::PresentedFrame().width, 1600);
        ASSERT_EQ(hl::PresentedFrame().height, 1200);
        ExpectEnlarged(2, 0, 0);
        const std::vector<std::uint32_t> twice = hl::PresentedFrame().pixels;

        // Mouse moves, clicks and double clicks reach the program in picture pixels.
        hl::WindowMouse(WM_MOUSEMOVE, 800, 600);
        ASSERT_TRUE(test::DrainMessages());
        EXPECT_EQ(MouseX, 400);
        EXPECT_EQ(MouseY, 300);
        hl::WindowMouse(WM_LBUTTONDOWN, 1599, 1199);
        hl::WindowMouse(WM_LBUTTONUP, 1599, 1199);
        hl::WindowMouse(WM_MOUSEMOVE, 1599, 1199);
        ASSERT_TRUE(test::DrainMessages());
        EXPECT_EQ(MouseX, 799);
        EXPECT_EQ(MouseY, 599);

        // Alt+Enter: the whole desktop, the picture centred at 1x; then back.
        hl::AltEnter();
        EXPECT_EQ(hl::WindowSize().width, 1024);
        elDraw::Present();
        ASSERT_EQ(hl::PresentedFrame().width, 1024);
        ExpectEnlarged(1, 112, 84);
        hl::AltEnter();
        EXPECT_EQ(hl::WindowSize().width, 1600);
        EXPECT_EQ(hl::WindowSize().height, 1200);
        elDraw::Present();
        EXPECT_EQ(hl::PresentedFrame().pixels, twice);

        // Filling keeps the aspect ratio; switching back gives the same picture.
        hl::SetWindowSize(1000, 1000);
        elDraw::SetScaleFill(1);
        elDraw::Present();
        const hl::Frame& fit = hl::PresentedFrame();
        EXPECT_EQ(fit.at(500, 124), 0u);  // black above the picture
        EXPECT_EQ(fit.at(0, 125), Shown(test::PixelAt(elDraw::BackSurface, 0, 0)));
        EXPECT_EQ(fit.at(999, 874), Shown(test::PixelAt(elDraw::BackSurface, 799, 599)));
        EXPECT_EQ(fit.at(999, 875), 0u);
        hl::WindowMouse(WM_MOUSEMOVE, 500, 500);
        ASSERT_TRUE(test::DrainMessages());
        EXPECT_EQ(MouseX, 400);
        EXPECT_EQ(MouseY, 300);
        elDraw::SetScaleFill(0);
        hl::SetWindowSize(1600, 1200);
        elDraw::Present();
        EXPECT_EQ(hl::PresentedFrame().pixels, twice);
    }
}

INSTANTIATE_TEST_SUITE_P(SixteenAnd32Bits, WindowScalingOnDisplay,
                         ::testing::Values(DisplayFormat::Rgb565, DisplayFormat::Xrgb8888));

TEST_F(WindowScaling, InitialScaleSizesTheWindowForTheNewScreen) {
    elDraw::SetWindowScale(3);
    Open(DisplayFormat::Rgb565);
    EXPECT_EQ(hl::WindowSize().width, 2400);
    EXPECT_EQ(hl::WindowSize().height, 1800);
    elDraw::Present();
    ExpectEnlarged(3, 0, 0);
    // The player's size stays when the program opens its screen again.
    hl::SetWindowSize(1600, 1200);
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(hl::WindowSize().width, 1600);
}

}  // namespace
