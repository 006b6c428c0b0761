// Resources embedded in the test program from tests/resources/el_tests.txt:
// bitmaps found by the object loader's three-way look-up, by number and by a
// Japanese name, waves in the same table, and resources added at run time in
// front of the embedded ones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "draw/elDraw.h"
#include "platform/dsound.h"
#include "platform/portable/headless_display.h"
#include "platform/resources.h"
#include "support/draw_support.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

class DrawResources : public test::DrawTest {
protected:
    void TearDown() override {
        ClearRegisteredResources();
        test::DrawTest::TearDown();
    }
    // Checks the picture of badge.bmp: red, green, blue over white, black,
    // magenta.
    static void ExpectBadge(int slot) {
        ASSERT_GT(slot, 0);
        const ObjectRecord& r = ObjectTable[slot];
        ASSERT_EQ(r.width, 3);
        ASSERT_EQ(r.height, 2);
        EXPECT_EQ(test::PixelAt(r.surface, 0, 0), 0xF800u);
        EXPECT_EQ(test::PixelAt(r.surface, 1, 0), 0x07E0u);
        EXPECT_EQ(test::PixelAt(r.surface, 2, 0), 0x001Fu);
        EXPECT_EQ(test::PixelAt(r.surface, 0, 1), 0xFFFFu);
        EXPECT_EQ(test::PixelAt(r.surface, 1, 1), 0x0000u);
        EXPECT_EQ(test::PixelAt(r.surface, 2, 1), 0xF81Fu);
    }
};

TEST_F(DrawResources, MissingFileLoadsTheEmbeddedBitmapOfTheBareName) {
    StartWithScreen();
    int slot = elDraw::LoadObject("BADGE.BMP", 2);
    ExpectBadge(slot);
    EXPECT_STREQ(ObjectTable[slot].name, "BADGE.BMP");
    EXPECT_TRUE(hl::Boxes().empty());
    // Keyed like any loaded object (black by default): restore reloads it
    // from the resource too.
    hl::LoseSurfaces();
    elDraw::Restore();
    ExpectBadge(slot);
    // A name that is neither a file nor a resource is still refused.
    EXPECT_EQ(elDraw::LoadObject("badge2.bmp", 2), 0);
    ASSERT_FALSE(hl::Boxes().empty());
    EXPECT_EQ(hl::Boxes().back().text, "elDraw::LoadObject : BMPファイルを読み込めません");
}

TEST_F(DrawResources, FileBeatsTheResourceOfTheBareName) {
    WriteFile("badge.bmp", test::Bmp24(test::Picture(4, 4, RGB(0, 0, 255))));
    StartWithScreen();
    int slot = elDraw::LoadObject("badge.bmp", 2);
    ASSERT_GT(slot, 0);
    EXPECT_EQ(ObjectTable[slot].width, 4);
    EXPECT_EQ(test::PixelAt(ObjectTable[slot].surface, 3, 3), 0x001Fu);
}

TEST_F(DrawResources, NumberedAndJapaneseNamesAreFound) {
    StartWithScreen();
    // dot.bmp: 5 x 3, 4 bits per pixel, two palette entries, yellow dots in
    // the top-left and bottom-right corners.
    for (const char* name : {MakeIntResource(101), "#101", "#0101"}) {
        auto* bitmap = static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, 5);
        EXPECT_EQ(info.bmHeight, 3);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 0));
        EXPECT_EQ(GetPixel(dc, 4, 2), RGB(255, 255, 0));
        EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0, 0, 0));
        SelectObject(dc, old);
        DeleteDC(dc);
        EXPECT_TRUE(DeleteObject(bitmap));
    }
    // The list is UTF-8; the name is compared in Shift-JIS, as the program
    // spells it. ASCII letters still match without regard to case.
    ExpectBadge(elDraw::LoadObject("絵 ﾀｲﾙ.BMP", 2));
    EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), MakeIntResource(102), IMAGE_BITMAP, 0, 0, 0), nullptr);
    // Without a module there is no resource look-up at all.
    EXPECT_EQ(LoadImageA(nullptr, "badge.bmp", IMAGE_BITMAP, 0, 0, 0), nullptr);
}

TEST_F(DrawResources, BitmapsAreStoredWithoutTheFileHeaderAndOtherTypesAsTheyAre) {
    const BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(FindModuleResource(RT_BITMAP, "Badge.bmp", &data, &size));
    EXPECT_EQ(size, 78u - 14u);
    std::uint32_t header = 0;
    std::memcpy(&header, data, 4);
    EXPECT_EQ(header, 40u);
    // The wave, found as a "WAVE" and as RCDATA, keeps its RIFF header.
    ASSERT_TRUE(FindModuleResource("wave", "embeddedtick", &data, &size));
    EXPECT_EQ(size, 60u);
    EXPECT_EQ(std::memcmp(data, "RIFF", 4), 0);
    ASSERT_TRUE(FindModuleResource(RT_RCDATA, "TICK.RAW", &data, &size));
    EXPECT_EQ(size, 60u);
    EXPECT_FALSE(FindModuleResource(RT_BITMAP, "EmbeddedTick", &data, &size));
    EXPECT_FALSE(FindModuleResource("WAVE", "badge.bmp", &data, &size));
}

TEST_F(DrawResources, RegisteredResourcesGoInFrontAndLeaveTheEmbeddedOnesOnClear) {
    const BYTE* data = nullptr;
    DWORD size = 0;
    // The headless reset forgets bitmaps added at run time, not waves, and
    // never the embedded resources.
    hl::AddBitmapResource("badge.bmp", test::Bmp24(test::Picture(2, 2, RGB(0, 255, 0))));
    RegisterResource("WAVE", "extra", {1, 2, 3});
    hl::Reset();
    EXPECT_TRUE(FindModuleResource("WAVE", "EXTRA", nullptr, nullptr));
    ASSERT_TRUE(FindModuleResource(RT_BITMAP, "BADGE.BMP", &data, &size));
    EXPECT_EQ(size, 64u);

    hl::AddBitmapResource("badge.bmp", test::Bmp24(test::Picture(2, 2, RGB(0, 255, 0))));
    StartWithScreen();
    int slot = elDraw::LoadObject("badge.bmp", 2);
    ASSERT_GT(slot, 0);
    EXPECT_EQ(ObjectTable[slot].width, 2);
    EXPECT_EQ(test::PixelAt(ObjectTable[slot].surface, 1, 1), 0x07E0u);
    ClearRegisteredResources();
    EXPECT_FALSE(FindModuleResource("WAVE", "EXTRA", nullptr, nullptr));
    EXPECT_TRUE(FindModuleResource("WAVE", "EmbeddedTick", nullptr, nullptr));
    ExpectBadge(elDraw::LoadObject("badge.bmp", 2));
}

TEST_F(DrawResources, BitmapResourcesThatLieAboutTheirSizesAreRefused) {
    std::vector<std::uint8_t> good = test::Bmp24(test::Picture(8, 8, RGB(1, 2, 3)));
    std::vector<std::uint8_t> shortPixels(good.begin(), good.end() - 10);
    std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 14 + 20);
    std::vector<std::uint8_t> paletteLie = test::Bmp8(test::Picture(2, 2, RGB(9, 9, 9)));
    paletteLie[14 + 32] = 0xFF;  // biClrUsed: 0x00FFFF01 colours
    paletteLie[14 + 33] = 0xFF;
    paletteLie[14 + 34] = 0xFF;
    hl::AddBitmapResource("short", shortPixels);
    hl::AddBitmapResource("header", headerOnly);
    hl::AddBitmapResource("palette", paletteLie);
    hl::AddBitmapResource("empty", {});
    StartWithScreen();
    for (const char* name : {"short", "header", "palette", "empty"}) {
        EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, 0), nullptr) << name;
        EXPECT_EQ(elDraw::LoadObject(name, 2), 0) << name;
        ASSERT_FALSE(hl::Boxes().empty());
        EXPECT_EQ(hl::Boxes().back().text, "elDraw::LoadObject : BMPファイルを読み込めません") << name;
    }
}

}  // namespace
