// Opening the screen: devices, display modes, surfaces and their memory, the
// pixel format and effect tables, failures, surface loss and closing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "draw/elDraw.h"
#include "platform/display.h"
#include "platform/portable/headless.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"
#include "system/random.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

class DrawScreen : public test::DrawTest {
protected:
    // A program that starts without a screen; tests open it themselves.
    test::CountingProgram bare_{false};
    void StartBare(bool fullScreen = false) {
        bare_.program.configure = [fullScreen] { elSystem::FullScreen = fullScreen ? 1 : 0; };
        ASSERT_TRUE(elSystem::Startup(bare_.program, "", SW_SHOWNORMAL));
    }
};

TEST_F(DrawScreen, OpensWindowedScreenWithWorkObjectsAndClip) {
    StartBare();
    ASSERT_EQ(elDraw::Screen(-1, 123, 1), 1);  // -1: the start-up size, height ignored
    EXPECT_EQ(ScreenWidth, 800);
    EXPECT_EQ(ScreenHeight, 600);
    EXPECT_EQ(ClipRect.right, 800);
    EXPECT_EQ(ClipRect.bottom, 600);
    EXPECT_NE(elDraw::Clipper, nullptr);
    EXPECT_EQ(elDraw::RequestedDepth[0], 16);  // window mode: the display's depth
    const char* names[4] = {"内部用１", "内部用２", "内部用３", "内部用４"};
    for (int slot = 0; slot < 4; ++slot) {
        const ObjectRecord& r = ObjectTable[slot];
        ASSERT_NE(r.surface, nullptr) << slot;
        EXPECT_STREQ(r.name, names[slot]);
        EXPECT_EQ(r.width, 800);
        EXPECT_EQ(r.height, 600);
        DDCOLORKEY key{};
        ASSERT_EQ(r.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 0u);  // black
    }
    for (int slot = 4; slot < kObjectSlots; ++slot) ASSERT_EQ(ObjectTable[slot].name[0], 0) << slot;
    EXPECT_EQ(hl::Boxes().size(), 0u);
}

TEST_F(DrawScreen, MemoryModesPlaceSurfaces) {
    StartBare();
    auto system = [](IDirectDrawSurface* s) { return (test::SurfaceCaps(s) & DDSCAPS_SYSTEMMEMORY) != 0; };
    ASSERT_EQ(elDraw::Screen(800, 600, 3), 1);
    EXPECT_FALSE(system(elDraw::PrimarySurface));
    EXPECT_FALSE(system(elDraw::BackSurface));
    for (int slot = 0; slot < 4; ++slot) EXPECT_TRUE(system(ObjectTable[slot].surface)) << slot;
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_FALSE(system(ObjectTable[0].surface));
    EXPECT_FALSE(system(ObjectTable[1].surface));
    EXPECT_TRUE(system(ObjectTable[2].surface));
    EXPECT_TRUE(system(ObjectTable[3].surface));
    ASSERT_EQ(elDraw::Screen(800, 600, 0), 1);
    EXPECT_TRUE(system(elDraw::PrimarySurface));
    EXPECT_TRUE(system(elDraw::BackSurface));
    EXPECT_TRUE(system(ObjectTable[0].surface));
}

TEST_F(DrawScreen, FirstThreeDimensionalDeviceWinsElseDefaultDriver) {
    hl::DisplayDevice plain, threeD;
    threeD.threeD = threeD.textures = true;
    threeD.hardwareStretch = false;  // and no stretching in hardware
    hl::SetDisplayDevices({plain, threeD});
    StartBare();
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(elDraw::HardwareDevice, 1);
    EXPECT_EQ(elDraw::CanStretch, 0);  // the hardware's caps count, not the emulation's

    hl::DisplayDevice textureless;
    textureless.threeD = true;
    hl::SetDisplayDevices({plain, textureless});
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(elDraw::HardwareDevice, 0);
    EXPECT_EQ(elDraw::CanStretch, 1);  // software device: emulation stretches

    hl::SetDisplayDevices({});
    EXPECT_EQ(elDraw::Screen(800, 600, 1), 0);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elDraw::Screen : DirectDrawが使用できません");
    EXPECT_EQ(ErrorFlag, 1);
}

TEST_F(DrawScreen, FullScreenTriesFallbackDepthsInOrder) {
    hl::RefuseDisplayDepths({16});
    StartBare(true);
    elDraw::SetDepths(16, 24, 0);  // 24 is never offered
    EXPECT_EQ(elDraw::Screen(800, 600, 1), 0);
    EXPECT_EQ(hl::DisplayModesTried(), (std::vector<int>{16, 24}));
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elDraw::Screen : 解像度が変更できません");

    elDraw::SetDepths(16, 0, 24);  // the second fallback only follows a first
    EXPECT_EQ(elDraw::Screen(800, 600, 1), 0);
    EXPECT_EQ(hl::DisplayModesTried(), (std::vector<int>{16, 24, 16}));

    elDraw::SetDepths(16, 24, 32);
    ASSERT_EQ(elDraw::Screen(640, 480, 1), 1);
    EXPECT_EQ(hl::DisplayModesTried(), (std::vector<int>{16, 24, 16, 16, 24, 32}));
    EXPECT_EQ(elDraw::RequestedDepth[0], 32);
    EXPECT_EQ(elDraw::Clipper, nullptr);
    EXPECT_EQ(PixelFormat.fullMask, 0xFFFFFFu);
    EXPECT_EQ(elSystem::GetDisplayDepth(), 32);
    elSystem::Quit();  // closing gives the desktop its mode back
    EXPECT_EQ(elSystem::GetDisplayDepth(), 16);
}

TEST_F(DrawScreen, PixelFormatOf565And555Displays) {
    StartBare();
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(PixelFormat.redShift, 11);
    EXPECT_EQ(PixelFormat.greenMax, 63u);
    EXPECT_EQ(PixelFormat.red5Shift, 11);
    EXPECT_EQ(PixelFormat.green5Shift, 6);
    EXPECT_EQ(PixelFormat.blue5Shift, 0);
    EXPECT_EQ(PixelFormat.halfMask, 0x7BEFu);
    EXPECT_EQ(PixelFormat.doubleHalfMask, 0x7BEF7BEFu);
    EXPECT_EQ(PixelFormat.fullMask, 0xFFFFu);

    SetDisplayFormat(DisplayFormat::Rgb555);
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(PixelFormat.redShift, 10);
    EXPECT_EQ(PixelFormat.red5Shift, 10);
    EXPECT_EQ(PixelFormat.green5Shift, 5);
    EXPECT_EQ(PixelFormat.blue5Shift, 0);
    EXPECT_EQ(PixelFormat.halfMask, 0x3DEFu);
    EXPECT_EQ(PixelFormat.fullMask, 0x7FFFu);
    // 5:5:5 splits every channel without halving.
    EXPECT_EQ(PixelSplitTable[0x7FFF][0], 31);
    EXPECT_EQ(PixelSplitTable[(3 << 10) | (4 << 5) | 5][1], 4);
}

TEST_F(DrawScreen, EffectTablesHoldTheirFormulas) {
    StartBare();
    elSystem::SeedRandom(4321);
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(SinTable[0], 0);
    EXPECT_EQ(SinTable[90], 360);
    EXPECT_EQ(SinTable[270], -360);
    EXPECT_EQ(SinTable[89], 359);   // truncated, not rounded
    EXPECT_EQ(SinTable[449], 359);
    EXPECT_EQ(SinTable[30], 179);   // 180 * (1 - tiny): truncation shows
    // 5:6:5 pixel with red 31, green 63 (halved to 31), blue 1.
    const std::uint8_t* split = PixelSplitTable[0xFFE1];
    EXPECT_EQ(split[0], 31);
    EXPECT_EQ(split[1], 31);
    EXPECT_EQ(split[2], 1);
    EXPECT_EQ(PixelSplitTable[(10 << 11) | (21 << 5) | 7][1], 10);
    // Green (5-bit shift 6): max(0, 20 - 5) + max(0, 30 - (31 - 5)) = 19.
    EXPECT_EQ(CrossFadeTable[1][5][20][30], 19 << 6);
    EXPECT_EQ(CrossFadeTable[0][31][0][31], 31 << 11);
    EXPECT_EQ(DarkenAddTable[2][3][10][30], 31);      // clamped at 31
    EXPECT_EQ(DarkenAddTable[0][12][10][5], 5 << 11);  // b - a below 0 counts 0
    EXPECT_EQ(SubtractTable[1][7][9], 0);
    EXPECT_EQ(SubtractTable[1][9][7], 2 << 6);
    EXPECT_EQ(Average3Table[93], 31);
    EXPECT_EQ(Average3Table[5], 1);
    elSystem::SeedRandom(4321);
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(NoiseTable[i], elSystem::Random() % 3) << i;
}

TEST_F(DrawScreen, FullColourProgramOnA32BitDisplayBuildsOnlyTheSineTable) {
    SetDisplayFormat(DisplayFormat::Xrgb8888);
    elDraw::SetDepths(32, 0, 0);
    StartBare();
    std::memset(CrossFadeTable, 0x77, sizeof CrossFadeTable);
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(PixelFormat.redShift, 16);
    EXPECT_EQ(PixelFormat.redMax, 255u);
    EXPECT_EQ(SinTable[90], 360);
    EXPECT_EQ(CrossFadeTable[0][0][0][0], 0x7777);
}

// A program that asks for 16 bits draws in 16-bit 5:6:5 on a 32-bit desktop,
// in a window and in full screen, exactly as on a 16-bit one; the window
// shows its frames in the desktop's format.
class SixteenBitsOn32 : public DrawScreen, public ::testing::WithParamInterface<bool> {};

TEST_P(SixteenBitsOn32, DrawsIn565AndShowsInTheDesktopFormat) {
    SetDisplayFormat(DisplayFormat::Xrgb8888);
    StartBare(GetParam());
    EXPECT_EQ(elSystem::CheckDisplay("*"), 1);
    EXPECT_TRUE(hl::Boxes().empty());  // no complaint about the desktop
    std::memset(CrossFadeTable, 0x77, sizeof CrossFadeTable);
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(elSystem::GetDisplayDepth(), 16);
    EXPECT_EQ(elDraw::RequestedDepth[0], 16);
    EXPECT_EQ(PixelFormat.red5Shift, 11);
    EXPECT_EQ(PixelFormat.greenMax, 63u);
    EXPECT_EQ(CrossFadeTable[0][31][0][31], 31 << 11);  // the effect tables are built
    for (IDirectDrawSurface* s : {elDraw::PrimarySurface, elDraw::BackSurface, ObjectTable[0].surface}) {
        DDPIXELFORMAT f{};
        f.dwSize = sizeof f;
        ASSERT_EQ(s->GetPixelFormat(&f), DD_OK);
        EXPECT_EQ(f.dwRGBBitCount, 16u);
        EXPECT_EQ(f.dwRBitMask, 0xF800u);
    }
    // Red fills red, and the window shows it as 8-bit red.
    elDraw::Clear();
    elDraw::FillBox(10, 10, 20, 20, 0xF800);
    EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 15, 15), 0xF800u);
    elDraw::Present();
    const hl::Frame& frame = hl::PresentedFrame();
    ASSERT_EQ(frame.width, 800);
    EXPECT_EQ(frame.at(15, 15), 0xFF0000u);
    EXPECT_EQ(frame.at(25, 25), 0u);
    EXPECT_EQ(GetDisplayFormat(), DisplayFormat::Xrgb8888);  // no 16-bit mode was set
    // The converter needs a full-colour program.
    EXPECT_EQ(elDraw::Convert("X.PAK", "", 1), 0);
}

INSTANTIATE_TEST_SUITE_P(WindowAndFullScreen, SixteenBitsOn32, ::testing::Bool());

TEST_F(DrawScreen, EachFailingStepReportsItsOwnMessage) {
    struct Case {
        int failAt;  // which surface creation fails (primary, back, slots 0-3)
        const char* message;
    };
    const Case cases[] = {
        {1, "表画面が生成できません"},
        {2, "裏画面が生成できません"},
        {3, "Bufferスプライトが生成できません"},
        {4, "Screenスプライトが生成できません"},
        {5, "Fontスプライトが生成できません"},
        {6, "Fontバッファスプライトが生成できません"},
    };
    StartBare();
    for (const Case& c : cases) {
        hl::ClearBoxes();
        hl::FailSurfaceCreation(c.failAt);
        EXPECT_EQ(elDraw::Screen(800, 600, 1), 0) << c.message;
        ASSERT_EQ(hl::Boxes().size(), 1u) << c.message;
        EXPECT_EQ(hl::Boxes()[0].caption, "エラー発生");
        EXPECT_EQ(hl::Boxes()[0].text, std::string("elDraw::Screen : ") + c.message);
    }
    hl::ClearBoxes();
    hl::ReportPalettisedFormat(true);
    EXPECT_EQ(elDraw::Screen(800, 600, 1), 0);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elDraw::Screen : ピクセル情報が取得できません");
}

TEST_F(DrawScreen, CloseReleasesEverySurfaceAndReopeningLeaksNothing) {
    StartWithScreen();
    int slot = elDraw::CreateObject(16, 16, 2);
    ASSERT_GE(slot, 4);
    int withObject = hl::LiveSurfaces();
    EXPECT_EQ(withObject, 2 + 4 + 1);
    ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    EXPECT_EQ(hl::LiveSurfaces(), 6);  // the object went with the old screen
    EXPECT_EQ(ObjectTable[slot].name[0], 0);
    elSystem::Quit();
    EXPECT_EQ(hl::LiveSurfaces(), 0);
    EXPECT_EQ(elDraw::DirectDraw, nullptr);
    EXPECT_EQ(ObjectTable[0].surface, nullptr);
}

TEST_F(DrawScreen, BackDeviceContextIsLentOnce) {
    StartWithScreen();
    ASSERT_EQ(elDraw::GetBackDC(), DD_OK);
    EXPECT_NE(elDraw::BackDC, nullptr);
    EXPECT_EQ(SetPixel(elDraw::BackDC, 3, 4, RGB(255, 0, 0)), RGB(248, 0, 0));
    EXPECT_EQ(elDraw::GetBackDC(), DDERR_DCALREADYCREATED);
    // While lent, the back surface cannot be drawn on by blits.
    EXPECT_EQ(elDraw::Clear(), DDERR_SURFACEBUSY);
    ASSERT_EQ(elDraw::ReleaseBackDC(), DD_OK);
    EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 3, 4), 0xF800u);
}

TEST_F(DrawScreen, RestoreReloadsLoadedObjectsAndLeavesBlankOnesBlank) {
    test::Picture picture(4, 2, RGB(0, 0, 255));
    picture.at(0, 0) = RGB(255, 0, 255);
    WriteFile("pic.bmp", test::Bmp24(picture));
    StartWithScreen();
    elDraw::SetKeyCorner();
    int loaded = elDraw::LoadObject("pic.bmp", 2);
    elDraw::SetKeyColor(RGB(0, 0, 255));
    int blank = elDraw::CreateObject(4, 2, 2);
    ASSERT_GT(loaded, 0);
    ASSERT_GT(blank, 0);
    test::FillSurface(ObjectTable[blank].surface, 0x1234);
    elDraw::SetKeyColor(0);

    hl::LoseSurfaces();
    EXPECT_EQ(elDraw::BackSurface->IsLost(), DDERR_SURFACELOST);
    // A draw that meets the loss brings everything back for the next frame.
    elDraw::Draw(0, 0, loaded, 0, 0, 4, 2);
    EXPECT_EQ(elDraw::BackSurface->IsLost(), DD_OK);
    EXPECT_EQ(ObjectTable[0].surface->IsLost(), DD_OK);
    EXPECT_EQ(test::PixelAt(ObjectTable[loaded].surface, 1, 0), test::Rgb565(RGB(0, 0, 255)));
    EXPECT_EQ(test::PixelAt(ObjectTable[loaded].surface, 0, 0), test::Rgb565(RGB(255, 0, 255)));
    DDCOLORKEY key{};
    ObjectTable[loaded].surface->GetColorKey(DDCKEY_SRCBLT, &key);
    EXPECT_EQ(key.dwColorSpaceLowValue, test::Rgb565(RGB(255, 0, 255)));  // corner key again
    EXPECT_EQ(ObjectTable[loaded].keySetting, -1);
    // The blank object is usable again but keeps nothing of its contents.
    EXPECT_EQ(ObjectTable[blank].surface->IsLost(), DD_OK);
    EXPECT_NE(test::PixelAt(ObjectTable[blank].surface, 0, 0), 0x1234u);
    EXPECT_STREQ(ObjectTable[blank].name, "*");
    EXPECT_EQ(hl::Boxes().size(), 0u);
}

TEST_F(DrawScreen, RestoreOfPackObjectsGoesThroughThePackLoader) {
    StartWithScreen();
    int slot = elDraw::CreateObject(8, 8, 2);
    elDraw::SetObjectName(slot, "WAKU.BMP");
    ObjectTable[slot].fromPack = 1;
    hl::LoseSurfaces();
    elDraw::Restore();
    // No pack file has been chosen, so the refill fails and says so.
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elDraw::SwapPack : パックファイル名が指定されていません");
}

TEST_F(DrawScreen, RestoreLeavesTheDefaultKeyAndCornerModeAsTheProgramSetThem) {
    test::Picture picture(4, 2, RGB(0, 0, 255));
    picture.at(0, 0) = RGB(255, 0, 255);
    WriteFile("pic.bmp", test::Bmp24(picture));
    StartWithScreen();
    elDraw::SetKeyColor(RGB(0, 0, 255));
    int loaded = elDraw::LoadObject("pic.bmp", 2);
    ASSERT_GT(loaded, 0);
    ASSERT_EQ(ObjectTable[loaded].keySetting, RGB(0, 0, 255));

    // Corner mode on: a reload keyed blue must not switch it off.
    elDraw::SetKeyCorner();
    hl::LoseSurfaces();
    elDraw::Restore();
    int first = elDraw::CreateObject(4, 2, 2);
    EXPECT_EQ(ObjectTable[first].keySetting, -1);
    EXPECT_EQ(ObjectTable[loaded].keySetting, RGB(0, 0, 255));

    // A green default with a corner-keyed object: the second restore keys the
    // object by its corner again and leaves the default green.
    elDraw::SetObjectKeyCorner(loaded);
    elDraw::SetKeyColor(RGB(0, 255, 0));
    hl::LoseSurfaces();
    elDraw::Restore();
    int second = elDraw::CreateObject(4, 2, 2);
    EXPECT_EQ(ObjectTable[second].keySetting, RGB(0, 255, 0));
    EXPECT_EQ(ObjectTable[loaded].keySetting, -1);
    DDCOLORKEY key{};
    ObjectTable[loaded].surface->GetColorKey(DDCKEY_SRCBLT, &key);
    EXPECT_EQ(key.dwColorSpaceLowValue, test::Rgb565(RGB(255, 0, 255)));
    EXPECT_EQ(hl::Boxes().size(), 0u);
}

TEST_F(DrawScreen, EveryRestoreIsCountedSoProgramsCanComposeAgain) {
    StartWithScreen();
    int before = elDraw::RestoreCount;
    elDraw::Draw(0, 0, 1, 0, 0, 4, 4);  // nothing lost: no restore
    EXPECT_EQ(elDraw::RestoreCount, before);
    hl::LoseSurfaces();
    elDraw::Draw(0, 0, 1, 0, 0, 4, 4);
    EXPECT_EQ(elDraw::RestoreCount, before + 1);
    hl::LoseSurfaces();
    elDraw::Present();
    EXPECT_EQ(elDraw::RestoreCount, before + 2);
}

}  // namespace
