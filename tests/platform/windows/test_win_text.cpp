// Shift-JIS texts on the Windows platform layer: the conversions to UTF-8 go
// through the system's code page 932 table, including the NEC and IBM
// extensions and half-width katakana.
#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "win_support.h"

using wintest::U8;

TEST(WinText, ConvertsTitleCaptionsAndExtensionsBothWays) {
    struct Case {
        const char* sjis;
        const char8_t* utf8;
    };
    const Case cases[] = {
        {"ﾀｲﾙｽﾞ", u8"ﾀｲﾙｽﾞ"},                    // half-width katakana, one byte each
        {"エラー発生", u8"エラー発生"},
        {"1670万", u8"1670万"},
        {"\x87\x40\x87\x54", u8"①Ⅰ"},             // NEC row 13
        {"\xFA\x40", u8"ⅰ"},                       // IBM extension
        {"\x81\x5F", u8"＼"},                      // full-width reverse solidus (CP932 mapping)
        {"C:\\GAMES\\", u8"C:\\GAMES\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plat::SjisToUtf8(c.sjis), U8(c.utf8)) << c.sjis;
        EXPECT_EQ(plat::Utf8ToSjis(U8(c.utf8)), c.sjis);
    }
    // The title is five one-byte characters in Shift-JIS.
    EXPECT_EQ(std::string("ﾀｲﾙｽﾞ").size(), 5u);
}

TEST(WinText, EmptyAndUnmappableTexts) {
    EXPECT_EQ(plat::SjisToUtf8(""), "");
    EXPECT_EQ(plat::Utf8ToSjis(""), "");
    // Characters without a Shift-JIS form become '?'.
    EXPECT_EQ(plat::Utf8ToSjis(U8(u8"a\u00E9b")), "a?b");
    // Sequences that are not Shift-JIS become U+FFFD, the rest converts.
    EXPECT_EQ(plat::SjisToUtf8("ab\x82"), U8(u8"ab\uFFFD"));
    EXPECT_EQ(plat::SjisToUtf8("\x82\x20x"), U8(u8"\uFFFD x"));
    EXPECT_EQ(plat::SjisToUtf8("\xA0\xB1"), U8(u8"\uFFFD\uFF71"));
}
