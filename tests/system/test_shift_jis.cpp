// Japanese string literals in UTF-8 sources are compiled into Shift-JIS
// (code page 932) bytes, whatever the compiler: the library's texts, the
// names it compares and the boxes it shows all depend on it.
#include <gtest/gtest.h>

#include <string>

#include "platform/portable/headless.h"
#include "support/headless_app.h"
#include "support/shift_jis_texts.h"
#include "system/elSystem.h"

namespace {

std::string Bytes(const char* text) { return text; }

TEST(ShiftJisLiterals, JapaneseTextsAreCodePage932Bytes) {
    EXPECT_EQ(Bytes("エラー発生"), "\x83\x47\x83\x89\x81\x5B\x94\xAD\x90\xB6");
    // Half-width katakana are one byte each; the full-width reverse solidus
    // is 81 5F, beside an escaped backslash that stays 5C.
    EXPECT_EQ(Bytes("ﾀｲﾙｽﾞ"), "\xC0\xB2\xD9\xBD\xDE");
    EXPECT_EQ(Bytes("＼\\"), "\x81\x5F\\");
    // NEC and IBM extensions of code page 932.
    EXPECT_EQ(Bytes("①ⅰ"), "\x87\x40\xFA\x40");
    EXPECT_EQ(sizeof("発"), 3u);
    EXPECT_EQ(static_cast<unsigned char>('ｱ'), 0xB1);
    // A header's literal is converted like a source's.
    EXPECT_EQ(Bytes(test::kHeaderText), "\xC0\xB2\xD9\xBD\xDE");
}

TEST(ShiftJisLiterals, NeighbouringDigitsEscapesAndOtherLiteralsStayIntact) {
    // Hexadecimal and octal digits after a converted character stay
    // characters of their own; escapes of the source keep their meaning.
    EXPECT_EQ(Bytes("発A1"), "\x94\xAD" "A1");
    EXPECT_EQ(Bytes("発777"), "\x94\xAD" "777");
    EXPECT_EQ(Bytes("\x41発\101"), "A\x94\xAD" "A");
    EXPECT_EQ(Bytes("\"発\"\\n"), "\"\x94\xAD\"\\n");
    // Digit separators are not character literals.
    EXPECT_EQ(1'000'000 + sizeof("万"), 1000003u);
    // UTF-8 and wide literals keep their own encodings.
    EXPECT_EQ(Bytes(reinterpret_cast<const char*>(u8"発")), "\xE7\x99\xBA");
    EXPECT_EQ(std::wstring(L"発"), std::wstring(1, static_cast<wchar_t>(0x767A)));
    // The text of an ordinary raw string, lines and backslashes included.
    EXPECT_EQ(Bytes(R"x(発\n
"ア"?)x"), "\x94\xAD\\n\n\"\x83\x41\"?");
}

TEST(ShiftJisLiterals, LinesAndFileNamesAreThoseOfTheRealSource) {
    const int before = __LINE__;
    const char* raw = R"(一
二
三)";
    EXPECT_EQ(__LINE__ - before, 4);
    EXPECT_EQ(Bytes(raw), "\x88\xEA\n\x93\xF1\n\x8E\x4F");
    const std::string file = __FILE__;
    EXPECT_TRUE(file.ends_with("/tests/system/test_shift_jis.cpp")) << file;
    EXPECT_EQ(file.find("/cp932/"), std::string::npos);
}

class ShiftJisLibraryTexts : public test::Headless {};

TEST_F(ShiftJisLibraryTexts, ErrorBoxCaptionAndMessageAreShiftJis) {
    plat::headless::ClearBoxes();
    elSystem::SetWait(-1, 0);
    ASSERT_FALSE(plat::headless::Boxes().empty());
    const plat::headless::Box& box = plat::headless::Boxes().back();
    EXPECT_EQ(box.caption, "\x83\x47\x83\x89\x81\x5B\x94\xAD\x90\xB6");
    EXPECT_EQ(box.text, "elSystem::SetWait : \x83\x45\x83\x46\x83\x43\x83\x67No"
                        "\x82\xAA\x94\xCD\x88\xCD\x8A\x4F\x82\xC5\x82\xB7");
}

}  // namespace
