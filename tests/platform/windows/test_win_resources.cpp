// The program's resources on Windows: the resource list compiled into the
// module as a .rc script (found by the system, Japanese names included), and
// resources added at run time, which come first.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/gdi.h"
#include "platform/resources.h"
#include "win_support.h"

namespace {


plat::LONG WidthOf(plat::HGDIOBJ bitmap) {
    plat::BITMAP b{};
    return plat::GetObjectA(bitmap, sizeof b, &b) ? b.bmWidth : -1;
}

// A 5 x 3 picture as a bitmap resource holds it: the BMP without its file header.
std::vector<plat::BYTE> PackedDib(int width, int height) {
    std::size_t pixels = static_cast<std::size_t>(((width * 3 + 3) & ~3) * height);
    std::vector<plat::BYTE> d(40 + pixels, 0x80);
    std::fill(d.begin(), d.begin() + 40, plat::BYTE{0});
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) d[at + static_cast<std::size_t>(i)] = static_cast<plat::BYTE>(v >> (8 * i));
    };
    put(0, 40, 4);
    put(4, static_cast<std::uint32_t>(width), 4);
    put(8, static_cast<std::uint32_t>(height), 4);
    put(12, 1, 2);
    put(14, 24, 2);
    return d;
}

}  // namespace

TEST(SoundResources, CompiledResourcesAreFoundByNameNumberAndType) {
    const plat::BYTE* data = nullptr;
    plat::DWORD size = 0;
    ASSERT_TRUE(plat::FindModuleResource("wave", "embeddedtick", &data, &size));
    EXPECT_EQ(size, 60u);
    EXPECT_EQ(data[0], 'R');
    ASSERT_TRUE(plat::FindModuleResource(plat::RT_RCDATA, "TICK.RAW", &data, &size));
    EXPECT_EQ(size, 60u);
    EXPECT_FALSE(plat::FindModuleResource("WAVE", "tick.raw", &data, &size));  // other type
}

TEST(WinResources, BitmapResourcesByJapaneseNameAndNumber) {
    plat::HINSTANCE self = plat::GetModuleHandleA(nullptr);
    plat::HGDIOBJ badge = plat::LoadImageA(self, "絵 ﾀｲﾙ.bmp", plat::IMAGE_BITMAP, 0, 0, 0);
    ASSERT_NE(badge, nullptr);
    plat::HGDIOBJ dot = plat::LoadImageA(self, plat::MakeIntResource(101), plat::IMAGE_BITMAP, 0, 0, 0);
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(WidthOf(dot), 5);
    EXPECT_GT(WidthOf(badge), 0);
    EXPECT_EQ(plat::LoadImageA(self, "nothing.bmp", plat::IMAGE_BITMAP, 0, 0, 0), nullptr);
    plat::DeleteObject(badge);
    plat::DeleteObject(dot);
}

TEST(WinResources, RuntimeBitmapsComeFirstAndBadOnesAreRefused) {
    plat::HINSTANCE self = plat::GetModuleHandleA(nullptr);
    plat::RegisterResource(plat::RT_BITMAP, "BADGE.BMP", PackedDib(7, 2));
    plat::HGDIOBJ added = plat::LoadImageA(self, "badge.bmp", plat::IMAGE_BITMAP, 0, 0, 0);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(WidthOf(added), 7);
    plat::DeleteObject(added);
    std::vector<plat::BYTE> cut = PackedDib(64, 64);
    cut.resize(100);
    plat::RegisterResource(plat::RT_BITMAP, "cut", cut);
    EXPECT_EQ(plat::LoadImageA(self, "cut", plat::IMAGE_BITMAP, 0, 0, 0), nullptr);
    plat::ClearRegisteredResources();
    plat::HGDIOBJ compiled = plat::LoadImageA(self, "badge.bmp", plat::IMAGE_BITMAP, 0, 0, 0);
    ASSERT_NE(compiled, nullptr);
    EXPECT_NE(WidthOf(compiled), 7);
    plat::DeleteObject(compiled);
}
