// The object table: slots, loading from files and resources, bitmap
// formats, damaged files, blank objects, refilling in place and colour keys.
#include <gtest/gtest.h>

#include <string>

#include "draw/elDraw.h"
#include "platform/portable/headless.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

class DrawObjects : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        test::Picture p(3, 2, RGB(0, 255, 0));
        WriteFile("a.bmp", test::Bmp24(p));
    }
    std::string LastBox() const { return hl::Boxes().empty() ? "" : hl::Boxes().back().text; }
};

TEST_F(DrawObjects, LoadsFileIntoLowestFreeSlotWithRecord) {
    StartWithScreen();
    int slot = elDraw::LoadObject("a.bmp", 2);
    ASSERT_EQ(slot, 4);
    const ObjectRecord& r = ObjectTable[slot];
    EXPECT_STREQ(r.name, "a.bmp");
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(r.fromPack, 0);
    EXPECT_EQ(r.reloadMemory, 2);
    EXPECT_EQ(r.keySetting, 0);
    EXPECT_EQ(test::PixelAt(r.surface, 2, 1), 0x07E0u);
    EXPECT_FALSE(test::SurfaceCaps(r.surface) & DDSCAPS_SYSTEMMEMORY);
    int system = elDraw::LoadObject("A.BMP", 1);  // letter case of file names does not matter
    ASSERT_EQ(system, 5);
    EXPECT_TRUE(test::SurfaceCaps(ObjectTable[system].surface) & DDSCAPS_SYSTEMMEMORY);
    EXPECT_EQ(ObjectTable[system].reloadMemory, 2);
}

TEST_F(DrawObjects, NameLengthLimitIsThirtyAndChecksBeforeTakingASlot) {
    std::string thirty = std::string(24, 'n') + "30.bmp";
    ASSERT_EQ(thirty.size(), 30u);
    WriteFile(thirty, test::Bmp24(test::Picture(1, 1, RGB(1, 2, 3))));
    StartWithScreen();
    EXPECT_EQ(elDraw::LoadObject(thirty.c_str(), 2), 4);
    EXPECT_EQ(elDraw::LoadObject(("x" + thirty).c_str(), 2), 0);
    EXPECT_EQ(LastBox(), "elDraw::LoadObject : ファイル名またはリソース名が長すぎます");
    EXPECT_EQ(ObjectTable[5].name[0], 0);
    EXPECT_EQ(elDraw::SwapObject(("x" + thirty).c_str(), 4, 2), 0);
    EXPECT_EQ(LastBox(), "elDraw::SwapObject : ファイル名またはリソース名が長すぎます");
}

TEST_F(DrawObjects, FullTableRefusesAndReleasedSlotIsReusedFirst) {
    StartWithScreen();
    for (int i = 4; i < kObjectSlots; ++i) ASSERT_EQ(elDraw::CreateObject(1, 1, 1), i);
    EXPECT_EQ(elDraw::LoadObject("a.bmp", 2), 0);
    EXPECT_EQ(LastBox(), "elDraw::LoadObject : オブジェクト数が多過ぎます");
    EXPECT_EQ(elDraw::CreateObject(1, 1, 1), 0);
    EXPECT_EQ(LastBox(), "elDraw::CreateObject : オブジェクト数が多過ぎます");
    elDraw::ReleaseObject(300);
    elDraw::ReleaseObject(7);
    EXPECT_EQ(elDraw::LoadObject("a.bmp", 2), 7);
    EXPECT_EQ(elDraw::LoadObject("a.bmp", 2), 300);
}

TEST_F(DrawObjects, FailedLoadKeepsItsSlotTakenEvenAfterRelease) {
    StartWithScreen();
    EXPECT_EQ(elDraw::LoadObject("missing.bmp", 2), 0);
    EXPECT_EQ(LastBox(), "elDraw::LoadObject : BMPファイルを読み込めません");
    EXPECT_EQ(ErrorFlag, 1);
    EXPECT_STREQ(ObjectTable[4].name, "missing.bmp");
    elDraw::ReleaseObject(4);  // no surface: nothing to release
    EXPECT_STREQ(ObjectTable[4].name, "missing.bmp");
    EXPECT_EQ(elDraw::LoadObject("a.bmp", 2), 5);
}

TEST_F(DrawObjects, MissingFileFallsBackToResourceOfTheBareName) {
    test::Picture p(5, 7, RGB(255, 255, 255));
    hl::AddBitmapResource("Title.bmp", test::Bmp24(p));
    hl::AddBitmapResource("#101", test::Bmp24(test::Picture(2, 2)));
    StartWithScreen();
    int slot = elDraw::LoadObject("TITLE.BMP", 2);
    ASSERT_EQ(slot, 4);
    EXPECT_EQ(ObjectTable[slot].width, 5);
    EXPECT_EQ(ObjectTable[slot].height, 7);
    EXPECT_EQ(test::PixelAt(ObjectTable[slot].surface, 4, 6), 0xFFFFu);
    HGDIOBJ numbered = LoadImageA(GetModuleHandleA(nullptr), MakeIntResource(101), IMAGE_BITMAP, 0, 0, 0);
    ASSERT_NE(numbered, nullptr);
    EXPECT_TRUE(DeleteObject(numbered));
}

TEST_F(DrawObjects, ReadsPalettedTopDownAndPaddedBitmaps) {
    test::Picture p(3, 3, RGB(0, 0, 0));  // odd width: rows are padded
    p.at(0, 0) = RGB(255, 0, 0);
    p.at(2, 0) = RGB(0, 0, 255);
    p.at(1, 2) = RGB(8, 16, 24);
    WriteFile("p8.bmp", test::Bmp8(p));
    WriteFile("td.bmp", test::Bmp24(p, true));
    StartWithScreen();
    for (const char* name : {"p8.bmp", "td.bmp", "p8.bmp"}) {
        int slot = elDraw::LoadObject(name, 2);
        ASSERT_GT(slot, 0) << name;
        IDirectDrawSurface* s = ObjectTable[slot].surface;
        EXPECT_EQ(test::PixelAt(s, 0, 0), 0xF800u) << name;
        EXPECT_EQ(test::PixelAt(s, 2, 0), 0x001Fu) << name;
        EXPECT_EQ(test::PixelAt(s, 1, 2), (1u << 11) | (4u << 5) | 3u) << name;  // channels keep their top bits
        EXPECT_EQ(test::PixelAt(s, 1, 1), 0u) << name;
    }
}

TEST_F(DrawObjects, DamagedFilesAreReportedNotRead) {
    test::Picture p(40, 30, RGB(10, 20, 30));
    std::vector<std::uint8_t> good = test::Bmp24(p);
    std::vector<std::uint8_t> truncated(good.begin(), good.end() - 200);
    std::vector<std::uint8_t> huge = good;
    huge[18] = 0xFF;  // width 0x7F0000FF: far more than the file holds
    huge[21] = 0x7F;
    std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 20);
    std::vector<std::uint8_t> notBmp = {'G', 'I', 'F', '8', '9', 'a'};
    WriteFile("trunc.bmp", truncated);
    WriteFile("huge.bmp", huge);
    WriteFile("short.bmp", headerOnly);
    WriteFile("gif.bmp", notBmp);
    WriteFile("empty.bmp", {});
    StartWithScreen();
    for (const char* name : {"trunc.bmp", "huge.bmp", "short.bmp", "gif.bmp", "empty.bmp"}) {
        hl::ClearBoxes();
        EXPECT_EQ(elDraw::LoadObject(name, 2), 0) << name;
        EXPECT_EQ(LastBox(), "elDraw::LoadObject : BMPファイルを読み込めません") << name;
    }
}

TEST_F(DrawObjects, CreateObjectMakesBlankSlotsAndRefusesImpossibleSizes) {
    StartWithScreen();
    int slot = elDraw::CreateObject(33, 17, 2);
    ASSERT_EQ(slot, 4);
    EXPECT_STREQ(ObjectTable[slot].name, "*");
    EXPECT_EQ(ObjectTable[slot].width, 33);
    EXPECT_EQ(ObjectTable[slot].height, 17);
    for (auto [w, h] : {std::pair{0, 5}, std::pair{-4, 5}, std::pair{40000, 1}, std::pair{30000, 30000}}) {
        hl::ClearBoxes();
        int failed = elDraw::CreateObject(w, h, 2);
        EXPECT_EQ(failed, 0) << w << "x" << h;
        EXPECT_EQ(LastBox(), "elDraw::CreateObject : スプライトを作成できません");
    }
    // The failed attempts keep their slots, as failed loads do.
    EXPECT_STREQ(ObjectTable[5].name, "*");
    EXPECT_EQ(ObjectTable[5].surface, nullptr);
}

TEST_F(DrawObjects, SwapObjectRefillsInPlaceAndReturnsOne) {
    test::Picture big(6, 4, RGB(255, 0, 0));
    WriteFile("b.bmp", test::Bmp24(big));
    StartWithScreen();
    int slot = elDraw::CreateObject(2, 2, 2);
    ASSERT_EQ(slot, 4);
    EXPECT_EQ(elDraw::SwapObject("b.bmp", slot, 2), 1);
    EXPECT_STREQ(ObjectTable[slot].name, "b.bmp");
    EXPECT_EQ(ObjectTable[slot].width, 6);
    EXPECT_EQ(test::PixelAt(ObjectTable[slot].surface, 5, 3), 0xF800u);
    EXPECT_EQ(hl::LiveSurfaces(), 6 + 1);  // the old surface was released
    EXPECT_EQ(elDraw::SwapObject("gone.bmp", slot, 2), 0);
    EXPECT_EQ(LastBox(), "elDraw::SwapObject : BMPファイルを読み込めません");
    EXPECT_EQ(ObjectTable[slot].surface, nullptr);
    EXPECT_STREQ(ObjectTable[slot].name, "gone.bmp");
}

TEST_F(DrawObjects, CornerModeKeysEachObjectWithItsTopLeftPixel) {
    test::Picture p(2, 2, RGB(255, 255, 0));
    p.at(0, 0) = RGB(255, 0, 255);
    WriteFile("m.bmp", test::Bmp24(p));
    StartWithScreen();
    elDraw::SetKeyCorner();
    int corner = elDraw::LoadObject("m.bmp", 2);
    EXPECT_EQ(ObjectTable[corner].keySetting, -1);
    elDraw::Clear();
    elDraw::Draw(10, 10, corner, 0, 0, 2, 2);
    EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 10, 10), 0u);  // magenta is transparent
    EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 11, 10), test::Rgb565(RGB(255, 255, 0)));
    // The key colour was read without disturbing the picture.
    EXPECT_EQ(test::PixelAt(ObjectTable[corner].surface, 0, 0), test::Rgb565(RGB(255, 0, 255)));

    elDraw::SetKeyColor(0);  // corner mode off again
    int black = elDraw::LoadObject("m.bmp", 2);
    EXPECT_EQ(ObjectTable[black].keySetting, 0);
    elDraw::Draw(20, 10, black, 0, 0, 2, 2);
    EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 20, 10), test::Rgb565(RGB(255, 0, 255)));
}

TEST_F(DrawObjects, ObjectKeysCanBeSetAndCopied) {
    test::Picture p(2, 1, RGB(0, 0, 255));
    p.at(1, 0) = RGB(255, 255, 255);
    WriteFile("k.bmp", test::Bmp24(p));
    StartWithScreen();
    int a = elDraw::LoadObject("k.bmp", 2);
    int b = elDraw::LoadObject("k.bmp", 2);
    EXPECT_EQ(elDraw::SetObjectKey(a, RGB(255, 255, 255)), DD_OK);
    EXPECT_EQ(ObjectTable[a].keySetting, static_cast<int>(RGB(255, 255, 255)));
    EXPECT_EQ(elDraw::CopyObjectKey(b, a), DD_OK);
    EXPECT_EQ(ObjectTable[b].keySetting, 0);  // the record keeps what it had
    elDraw::Clear();
    elDraw::Draw(0, 0, b, 0, 0, 2, 1);
    EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 0, 0), 0x001Fu);
    EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 1, 0), 0u);  // white is now transparent
    EXPECT_EQ(elDraw::SetObjectKeyCorner(b), DD_OK);
    EXPECT_EQ(ObjectTable[b].keySetting, -1);
}

TEST_F(DrawObjects, SlotNumbersOutsideTheTableAreIgnored) {
    StartWithScreen();
    for (int slot : {-1, 512, 100000}) {
        elDraw::ReleaseObject(slot);
        EXPECT_EQ(elDraw::SwapObject("a.bmp", slot, 2), 0);
        EXPECT_EQ(elDraw::SetObjectKey(slot, 0), DDERR_INVALIDOBJECT);
        EXPECT_EQ(elDraw::CopyObjectKey(slot, 0), DDERR_INVALIDOBJECT);
        EXPECT_EQ(elDraw::ClearObject(slot), DDERR_INVALIDOBJECT);
        elDraw::Draw(0, 0, slot, 0, 0, 4, 4);
        elDraw::DrawToObject(slot, 0, 0, 0, 0, 0, 4, 4);
        elDraw::DrawScaled(0, 0, slot, 0, 0, 4, 4, 8, 8);
        elDraw::CopyScreen(slot, 0, 0, 4, 4);
    }
    EXPECT_EQ(hl::Boxes().size(), 0u);
}

}  // namespace
