// Font sprite text on the real GDI and DirectDraw: the layout's character
// boxes equal those of the portable build (the same table), and both
// renderers leave ink in the Font object and give the caller's font back.
#include <gtest/gtest.h>

#include "../../support/sprite_text_layout.h"
#include "draw/elDraw.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

// One program for the whole suite: the instance mutex lives as long as the
// test program, so a second start would take itself for a second instance.
class WinSpriteText : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static elSystem::Program program;
        program.title = "文字スプライト試験";
        program.init = [] {
            elDraw::Screen(800, 600, 1);
            SceneNumber = 1;
        };
        program.scenes = {{1, [] {}}};
        started = elSystem::Startup(program, "", plat::SW_SHOWNORMAL);
    }
    static void TearDownTestSuite() { elSystem::Quit(); }
    void SetUp() override {
        ASSERT_TRUE(started);
        ASSERT_NE(elDraw::BackSurface, nullptr);
    }
    static inline bool started = false;
    // Whether the Font object holds any pixel other than 0 in the rectangle.
    static bool Ink(int left, int top, int right, int bottom) {
        plat::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        plat::IDirectDrawSurface* s = ObjectTable[2].surface;
        if (s->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK) return false;
        const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
        bool any = false;
        for (int y = top; y < bottom && !any; ++y) {
            const auto* row = static_cast<const unsigned char*>(d.lpSurface) + y * d.lPitch;
            for (int x = left * bytes; x < right * bytes && !any; ++x) any = row[x] != 0;
        }
        s->Unlock(d.lpSurface);
        return any;
    }
};

}  // namespace

TEST_F(WinSpriteText, LayoutBoxesEqualThePortableBuilds) {
    elText::SetFont(1, test::kLayoutFontSize, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0x000000, 1);
    elText::SpriteText(test::kLayoutLeft, test::kLayoutTop, test::kLayoutRight, test::kLayoutBottom, test::kLayoutText,
                       test::kLayoutFlags);
    EXPECT_EQ(elText::HeldFontSurface(), elDraw::BackSurface);
    elText::ReleaseFont();
    ASSERT_EQ(elText::BoxCount, test::kLayoutBoxCount);
    for (int i = 0; i < test::kLayoutBoxCount; ++i) {
        const elText::CharBox& b = elText::BoxTable[i];
        const test::LayoutBox& e = test::kLayoutBoxes[i];
        EXPECT_EQ(b.left, e.left) << i;
        EXPECT_EQ(b.top, e.top) << i;
        EXPECT_EQ(b.right, e.right) << i;
        EXPECT_EQ(b.bottom, e.bottom) << i;
    }
    EXPECT_TRUE(Ink(test::kLayoutLeft, test::kLayoutTop, test::kLayoutRight, test::kLayoutTop + test::kLayoutFontSize));
}

TEST_F(WinSpriteText, SmoothTextReducesIntoTheFontObject) {
    elText::SetWorkFont(1, 16);
    elText::SetColor(0xFFFFFF, 0x000000, 1);
    elText::SmoothText(40, 40, 400, 200, "今日は、いい天気ですね。", 0x100);
    EXPECT_EQ(elText::HeldFontSurface(), ObjectTable[3].surface);
    elText::ReleaseWorkFont();
    EXPECT_EQ(elText::BoxCount, 13);  // twelve characters and the bounds
    EXPECT_TRUE(Ink(40, 40, 400, 60));
}
