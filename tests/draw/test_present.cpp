// Drawing and presenting: clipping, keyed and solid draws, fills, scaled
// draws on both paths, screen copies, the present with its wipe and panel.
#include <gtest/gtest.h>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/portable/headless.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"

using namespace plat;
namespace hl = plat::headless;
using test::PixelAt;

namespace {

constexpr std::uint32_t kBackground = 0x5555;

// Pixel of the test pattern: never 0 (so never transparent) unless asked.
std::uint32_t Pattern(int x, int y) { return static_cast<std::uint32_t>(1 + x + 100 * y); }

class DrawPresent : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        test::FillSurface(elDraw::BackSurface, kBackground);
    }
    // A blank object holding the pattern; listed pixels are made 0.
    int PatternObject(int w, int h, std::initializer_list<std::pair<int, int>> zeros = {}) {
        int slot = elDraw::CreateObject(w, h, 2);
        EXPECT_GT(slot, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) test::SetPixelAt(ObjectTable[slot].surface, x, y, Pattern(x, y));
        for (auto [x, y] : zeros) test::SetPixelAt(ObjectTable[slot].surface, x, y, 0);
        return slot;
    }
    std::uint32_t Back(int x, int y) { return PixelAt(elDraw::BackSurface, x, y); }
};

TEST_F(DrawPresent, DrawsAreCutToTheClipRectangle) {
    int obj = PatternObject(20, 20);
    elDraw::Draw(-10, 5, obj, 0, 0, 20, 20);  // starts at source column 10
    EXPECT_EQ(Back(0, 5), Pattern(10, 0));
    EXPECT_EQ(Back(9, 24), Pattern(19, 19));
    EXPECT_EQ(Back(10, 5), kBackground);
    elDraw::Draw(780, 100, obj, 0, 0, 20, 20);  // ends exactly at the right edge: not cut
    EXPECT_EQ(Back(799, 119), Pattern(19, 19));
    elDraw::Draw(790, 580, obj, 0, 0, 20, 20);  // overhangs right and bottom
    EXPECT_EQ(Back(799, 599), Pattern(9, 19));
    EXPECT_EQ(Back(790, 580), Pattern(0, 0));
    elDraw::Draw(-20, 300, obj, 0, 0, 20, 20);  // wholly left: nothing
    EXPECT_EQ(Back(0, 300), kBackground);

    elDraw::SetClip(100, 100, 200, 150);
    elDraw::Draw(90, 140, obj, 0, 0, 20, 20);
    EXPECT_EQ(Back(100, 140), Pattern(10, 0));
    EXPECT_EQ(Back(109, 149), Pattern(19, 9));
    EXPECT_EQ(Back(99, 140), kBackground);
    EXPECT_EQ(Back(100, 150), kBackground);
    // Fills are not cut.
    elDraw::FillBox(0, 0, 2, 2, 0x1234);
    EXPECT_EQ(Back(0, 0), 0x1234u);
}

TEST_F(DrawPresent, KeyedDrawsSkipBlackAndSolidDrawsCopyIt) {
    int obj = PatternObject(4, 4, {{1, 1}});
    elDraw::Draw(10, 10, obj, 0, 0, 4, 4);
    EXPECT_EQ(Back(11, 11), kBackground);
    EXPECT_EQ(Back(12, 11), Pattern(2, 1));
    elDraw::DrawSolid(20, 10, obj, 0, 0, 4, 4);
    EXPECT_EQ(Back(21, 11), 0u);

    int target = PatternObject(8, 8);
    elDraw::DrawToObject(target, 2, 2, obj, 0, 0, 4, 4);
    EXPECT_EQ(PixelAt(ObjectTable[target].surface, 3, 3), Pattern(3, 3));  // kept: source was 0
    EXPECT_EQ(PixelAt(ObjectTable[target].surface, 4, 3), Pattern(2, 1));
    elDraw::DrawSolidToObject(target, 2, 2, obj, 0, 0, 4, 4);
    EXPECT_EQ(PixelAt(ObjectTable[target].surface, 3, 3), 0u);
    // A draw that does not fit the destination object is refused whole.
    elDraw::DrawSolidToObject(target, 6, 6, obj, 0, 0, 4, 4);
    EXPECT_EQ(PixelAt(ObjectTable[target].surface, 6, 6), Pattern(6, 6));
    // An object drawn onto itself moves as a whole, overlap included.
    elDraw::DrawSolidToObject(target, 1, 0, target, 0, 0, 7, 1);
    EXPECT_EQ(PixelAt(ObjectTable[target].surface, 1, 0), Pattern(0, 0));
    EXPECT_EQ(PixelAt(ObjectTable[target].surface, 7, 0), Pattern(6, 0));
}

TEST_F(DrawPresent, FillsAndTheirResults) {
    EXPECT_EQ(elDraw::ClearWhite(), DD_OK);
    EXPECT_EQ(Back(799, 599), 0xFFFFu);
    EXPECT_EQ(elDraw::FillBox(0, 0, 10, 10, 0x10000), DD_OK);  // only the low 16 bits count
    EXPECT_EQ(Back(5, 5), 0u);
    elDraw::FillBox(0, 0, 10, 10, 0x1F801F);
    EXPECT_EQ(Back(9, 9), 0x801Fu);
    elDraw::ClearWhite();
    elDraw::FrameBox(10, 10, 20, 15);
    EXPECT_EQ(Back(10, 10), 0u);
    EXPECT_EQ(Back(19, 10), 0u);
    EXPECT_EQ(Back(15, 14), 0u);
    EXPECT_EQ(Back(10, 12), 0u);
    EXPECT_EQ(Back(19, 12), 0u);
    EXPECT_EQ(Back(11, 11), 0xFFFFu);
    EXPECT_EQ(Back(20, 12), 0xFFFFu);
    elDraw::WhiteBox(0, 0, 1, 1);
    EXPECT_EQ(Back(0, 0), 0xFFFFu);
    EXPECT_EQ(elDraw::ClearBox(790, 0, 810, 10), DDERR_INVALIDRECT);  // off the surface: refused
    EXPECT_EQ(Back(795, 5), 0xFFFFu);
    int obj = PatternObject(3, 3);
    EXPECT_EQ(elDraw::ClearObject(obj), DD_OK);
    EXPECT_EQ(PixelAt(ObjectTable[obj].surface, 2, 2), 0u);
    EXPECT_EQ(elDraw::Clear(), DD_OK);
    EXPECT_EQ(Back(400, 300), 0u);
}

TEST_F(DrawPresent, ScaledDrawStretchesByNearestPixel) {
    ASSERT_EQ(elDraw::CanStretch, 1);
    int obj = PatternObject(2, 2, {{1, 1}});
    elDraw::DrawScaled(100, 100, obj, 0, 0, 2, 2, 4, 6);
    EXPECT_EQ(Back(101, 102), Pattern(0, 0));
    EXPECT_EQ(Back(102, 100), Pattern(1, 0));
    EXPECT_EQ(Back(100, 105), Pattern(0, 1));
    EXPECT_EQ(Back(103, 105), kBackground);  // the black source pixel is transparent
    EXPECT_EQ(Back(104, 100), kBackground);
    elDraw::DrawScaledSolid(200, 100, obj, 0, 0, 2, 2, 1, 1);  // shrinking
    EXPECT_EQ(Back(200, 100), Pattern(0, 0));
    EXPECT_EQ(Back(201, 100), kBackground);
    // The blitter's path is not cut to ClipRect.
    elDraw::SetClip(0, 0, 10, 10);
    elDraw::DrawScaledSolid(300, 300, obj, 0, 0, 2, 2, 2, 2);
    EXPECT_EQ(Back(301, 301), 0u);
}

TEST_F(DrawPresent, ScaledDrawWithoutStretchingHardwareKeysWithBlack) {
    hl::DisplayDevice device;
    device.threeD = device.textures = true;
    hl::SetDisplayDevices({device});
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    ASSERT_EQ(elDraw::CanStretch, 0);
    test::FillSurface(elDraw::BackSurface, kBackground);
    int obj = PatternObject(2, 1, {{1, 0}});
    test::SetPixelAt(ObjectTable[obj].surface, 0, 0, 0xF81F);  // magenta
    elDraw::SetObjectKey(obj, RGB(255, 0, 255));
    elDraw::DrawScaled(10, 10, obj, 0, 0, 2, 1, 4, 2);
    EXPECT_EQ(Back(10, 10), 0xF81Fu);  // the source's own key does not apply here
    EXPECT_EQ(Back(11, 11), 0xF81Fu);
    EXPECT_EQ(Back(12, 10), kBackground);  // black is the Buffer object's key
    // This path goes through a normal draw, so it is cut to ClipRect.
    elDraw::SetClip(0, 0, 11, 600);
    elDraw::DrawScaledSolid(10, 20, obj, 0, 0, 2, 1, 4, 2);
    EXPECT_EQ(Back(10, 20), 0xF81Fu);
    EXPECT_EQ(Back(12, 20), kBackground);
}

TEST_F(DrawPresent, CopyScreenTakesARegionIntoAnObject) {
    int obj = PatternObject(10, 10);
    test::SetPixelAt(elDraw::BackSurface, 50, 60, 0x4321);
    elDraw::CopyScreen(obj, 50, 60, 55, 65);
    EXPECT_EQ(PixelAt(ObjectTable[obj].surface, 0, 0), 0x4321u);
    EXPECT_EQ(PixelAt(ObjectTable[obj].surface, 4, 4), kBackground);
    EXPECT_EQ(PixelAt(ObjectTable[obj].surface, 5, 5), Pattern(5, 5));
}

TEST_F(DrawPresent, PresentShowsTheBackSurfaceAndWaitsForVerticalBlank) {
    test::SetPixelAt(elDraw::BackSurface, 799, 599, 0xABCD);
    DWORD before = hl::Clock();
    elDraw::Present();
    EXPECT_EQ(hl::VerticalBlankWaits(), 1);
    EXPECT_GT(hl::Clock(), before);  // the next 60 Hz tick
    EXPECT_LE(hl::Clock() - before, 17u);
    const hl::Frame& frame = hl::PresentedFrame();
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);
    EXPECT_EQ(frame.at(799, 599), 0xABCDu);
    EXPECT_EQ(frame.at(0, 0), kBackground);
    elDraw::SetVSync(0);
    before = hl::Clock();
    elDraw::Present();
    EXPECT_EQ(hl::VerticalBlankWaits(), 1);
    EXPECT_EQ(hl::Clock(), before);
    EXPECT_EQ(hl::Presents(), 2);
    // The picture follows the window when it moves.
    hl::MoveWindow(300, 200);
    ASSERT_TRUE(test::DrainMessages());
    test::SetPixelAt(elDraw::BackSurface, 0, 0, 0x0F0F);
    elDraw::Present();
    EXPECT_EQ(hl::PresentedFrame().at(0, 0), 0x0F0Fu);
    EXPECT_EQ(hl::PresentedFrame().at(799, 599), 0xABCDu);
}

TEST_F(DrawPresent, LostSurfacesAtPresentAreRestored) {
    hl::LoseSurfaces();
    elDraw::Present();
    EXPECT_EQ(elDraw::BackSurface->IsLost(), DD_OK);
    elDraw::Clear();
    elDraw::Present();
    EXPECT_EQ(hl::PresentedFrame().at(10, 10), 0u);
}

TEST_F(DrawPresent, WipeShowsTenPatternFramesThenStops) {
    test::Picture pattern(640, 48);
    for (int frame = 0; frame < 10; ++frame)
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) pattern.at(64 * frame + x, y) = RGB(0, 0, static_cast<BYTE>(8 * (frame + 1)));
    WriteFile("wipe.bmp", test::Bmp24(pattern));
    int slot = elDraw::LoadWipePattern("wipe.bmp");
    ASSERT_GT(slot, 0);
    elDraw::WipeForward();
    for (int frame = 1; frame <= 10; ++frame) {
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::Present();
        EXPECT_EQ(Back(0, 0), static_cast<std::uint32_t>(frame)) << frame;
        EXPECT_EQ(Back(639, 479), static_cast<std::uint32_t>(frame)) << frame;
        EXPECT_EQ(Back(640, 0), kBackground);
        EXPECT_EQ(Back(0, 480), kBackground);
    }
    EXPECT_EQ(elDraw::WipeCounter, 0);
    EXPECT_EQ(elDraw::WipeDirection, 0);
    test::FillSurface(elDraw::BackSurface, kBackground);
    elDraw::Present();
    EXPECT_EQ(Back(0, 0), kBackground);

    elDraw::WipeBackward();
    std::vector<std::uint32_t> shown;
    for (int i = 0; i < 11; ++i) {
        test::FillSurface(elDraw::BackSurface, kBackground);
        elDraw::Present();
        shown.push_back(Back(5, 5));
    }
    EXPECT_EQ(shown, (std::vector<std::uint32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, kBackground}));
}

TEST_F(DrawPresent, PanelScrollsWithTheArrowKeysWithinItsPage) {
    elDraw::TogglePanel();
    EXPECT_EQ(elDraw::PanelShown, 0);  // no content yet
    test::Picture page(800, 1000, RGB(0, 0, 248));
    for (int y = 0; y < 1000; ++y) page.at(0, y) = RGB(0, 0, static_cast<std::uint8_t>(8 * (1 + y % 31)));
    WriteFile("page.bmp", test::Bmp24(page));
    WriteFile("tile.bmp", test::Bmp24(test::Picture(64, 48, RGB(248, 0, 0))));
    elDraw::SetPanel("page.bmp", "tile.bmp", 1000);
    int pageSlot = elDraw::PanelPageSlot;
    ASSERT_GT(pageSlot, 0);
    ASSERT_GT(elDraw::PanelBackgroundSlot, 0);
    elDraw::TogglePanel();
    ASSERT_EQ(elDraw::PanelShown, 1);

    FrameDelta = 1.0f / 60.0f;
    elDraw::PanelScroll = 200;
    PanelKey = VK_UP;
    for (int i = 0; i < 59; ++i) elDraw::Present();
    int top = static_cast<int>(elDraw::PanelScroll);
    elDraw::Present();  // draws the page from the scroll, then scrolls on
    EXPECT_EQ(Back(0, 0), static_cast<std::uint32_t>(1 + top % 31));
    EXPECT_NEAR(elDraw::PanelScroll, 100.0f, 1.0f);
    for (int i = 0; i < 120; ++i) elDraw::Present();
    EXPECT_EQ(elDraw::PanelScroll, 0.0f);
    PanelKey = VK_RIGHT;
    for (int i = 0; i < 600; ++i) elDraw::Present();
    EXPECT_EQ(elDraw::PanelScroll, 400.0f);  // content height less the view
    PanelKey = 0;
    // The background tiles drift by 10 pixels a second and wrap.
    EXPECT_GT(elDraw::PanelOffsetX, -64.0f);
    EXPECT_LE(elDraw::PanelOffsetX, 0.0f);

    // Loading another panel reuses the two slots; a short page ends with a
    // negative scroll.
    elDraw::SetPanel("page.bmp", "tile.bmp", 300);
    EXPECT_EQ(elDraw::PanelPageSlot, pageSlot);
    elDraw::Present();
    EXPECT_EQ(elDraw::PanelScroll, -300.0f);
    elDraw::TogglePanel();
    EXPECT_EQ(elDraw::PanelShown, 0);
}

}  // namespace
