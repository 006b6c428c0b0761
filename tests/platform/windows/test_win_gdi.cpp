// GDI shapes and text on the real gdi32, on a memory bitmap: the pixel rules
// the library relies on, Japanese text through the wide calls, and the font
// list coming back in Shift-JIS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi.h"
#include "win_support.h"

namespace {

class WinGdi : public ::testing::Test {
protected:
    void SetUp() override {
        dc = plat::CreateCompatibleDC(nullptr);
        plat::HDC screen = plat::GetDC(nullptr);
        bitmap = wintest::CompatibleBitmap(screen, 64, 32);
        plat::ReleaseDC(nullptr, screen);
        old = plat::SelectObject(dc, bitmap);
        plat::RECT all{0, 0, 64, 32};
        plat::HBRUSH white = plat::GetStockObject(plat::WHITE_BRUSH);
        plat::FillRect(dc, &all, white);
    }
    void TearDown() override {
        plat::SelectObject(dc, old);
        plat::DeleteObject(bitmap);
        plat::DeleteDC(dc);
    }
    int Ink(plat::COLORREF background) {
        int n = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x) n += plat::GetPixel(dc, x, y) != background;
        return n;
    }
    plat::HDC dc = nullptr;
    plat::HGDIOBJ bitmap = nullptr;
    plat::HGDIOBJ old = nullptr;
};

}  // namespace

TEST_F(WinGdi, RectangleAndLineLeaveOutTheirLastPixels) {
    plat::HPEN pen = plat::CreatePen(plat::PS_SOLID, 0, plat::RGB(0, 0, 0));
    plat::HGDIOBJ oldPen = plat::SelectObject(dc, pen);
    plat::HGDIOBJ oldBrush = plat::SelectObject(dc, plat::GetStockObject(plat::NULL_BRUSH));
    ASSERT_TRUE(plat::Rectangle(dc, 2, 3, 10, 8));
    EXPECT_EQ(plat::GetPixel(dc, 2, 3), 0u);
    EXPECT_EQ(plat::GetPixel(dc, 9, 7), 0u);
    EXPECT_EQ(plat::GetPixel(dc, 10, 7), 0xFFFFFFu);
    EXPECT_EQ(plat::GetPixel(dc, 9, 8), 0xFFFFFFu);
    EXPECT_EQ(plat::GetPixel(dc, 5, 5), 0xFFFFFFu);  // hollow
    plat::POINT previous{};
    ASSERT_TRUE(plat::MoveToEx(dc, 20, 20, &previous));
    ASSERT_TRUE(plat::LineTo(dc, 30, 20));
    EXPECT_EQ(plat::GetPixel(dc, 29, 20), 0u);
    EXPECT_EQ(plat::GetPixel(dc, 30, 20), 0xFFFFFFu);
    plat::RECT r{40, 0, 44, 2};
    ASSERT_TRUE(plat::InvertRect(dc, &r));
    EXPECT_EQ(plat::GetPixel(dc, 40, 0), 0u);
    EXPECT_EQ(plat::GetPixel(dc, 44, 0), 0xFFFFFFu);
    plat::SelectObject(dc, oldBrush);
    plat::SelectObject(dc, oldPen);
    plat::DeleteObject(pen);
}

TEST_F(WinGdi, JapaneseTextThroughTheLibrarysFontNames) {
    // The names the library asks for; the Wine script maps them to the IPA
    // fonts as a Japanese system does.
    for (const char* face : {"標準ゴシック", "標準明朝"}) {
        plat::RECT all{0, 0, 64, 32};
        plat::FillRect(dc, &all, plat::GetStockObject(plat::WHITE_BRUSH));
        plat::HFONT font = plat::CreateFontA(-16, 0, 0, 0, plat::FW_NORMAL, 0, 0, 0,
                                             plat::SHIFTJIS_CHARSET, 0, 0, plat::NONANTIALIASED_QUALITY,
                                             0, face);
        ASSERT_NE(font, nullptr);
        plat::HGDIOBJ oldFont = plat::SelectObject(dc, font);
        plat::SetBkMode(dc, plat::TRANSPARENT);
        plat::SetTextColor(dc, plat::RGB(0, 0, 0));
        plat::SIZE size{};
        ASSERT_TRUE(plat::GetTextExtentPoint32A(dc, "ﾀｲﾙｽﾞ", 5, &size));
        EXPECT_GT(size.cx, 0);
        EXPECT_GT(size.cy, 0);
        plat::SIZE wide{};
        plat::GetTextExtentPoint32A(dc, "漢字", 4, &wide);  // two full-width characters
        plat::SIZE narrow{};
        plat::GetTextExtentPoint32A(dc, "ab", 2, &narrow);
        EXPECT_GT(wide.cx, narrow.cx) << face;
        ASSERT_TRUE(plat::TextOutA(dc, 0, 0, "漢字", 4));
        EXPECT_GT(Ink(0xFFFFFF), 20) << face;
        plat::TEXTMETRICA metrics{};
        ASSERT_TRUE(plat::GetTextMetricsA(dc, &metrics));
        EXPECT_GT(metrics.tmHeight, 10);
        plat::RECT box{0, 0, 0, 0};
        EXPECT_GT(plat::DrawTextA(dc, "ab", -1, &box, plat::DT_CALCRECT | plat::DT_SINGLELINE), 0);
        EXPECT_EQ(box.right, narrow.cx);
        plat::SelectObject(dc, oldFont);
        plat::DeleteObject(font);
    }
}

TEST_F(WinGdi, FontListNamesComeBackInShiftJis) {
    struct Names {
        std::vector<std::string> faces;
    } names;
    auto callback = [](const plat::LOGFONTA* font, const plat::TEXTMETRICA*, plat::DWORD,
                       plat::LPARAM data) -> int {
        reinterpret_cast<Names*>(data)->faces.push_back(font->lfFaceName);
        return 1;
    };
    plat::EnumFontsA(dc, nullptr, callback, reinterpret_cast<plat::LPARAM>(&names));
    ASSERT_FALSE(names.faces.empty());
    // Every name reaches the system again as the same face.
    bool japanese = false;
    for (const std::string& face : names.faces) {
        EXPECT_EQ(face.find('?'), std::string::npos) << face;
        japanese |= face == "IPAゴシック" || face == "IPAGothic";
    }
    EXPECT_TRUE(japanese) << "no IPA Gothic among " << names.faces.size() << " faces";
}
