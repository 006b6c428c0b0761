// The browser build's CP932 table gives glibc's iconv results, sequence for
// sequence: every single byte, every lead and trail pair, every BMP code
// point, and the invalid and cut-off sequences.
#include <gtest/gtest.h>

#include <string>

#include "platform/encoding.h"
#include "platform/portable/web/cp932.h"

namespace {

std::string Utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

TEST(Cp932Table, EqualsGlibcIconv) {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "checked where the C library's iconv has CP932 (glibc)";
#endif
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        ASSERT_EQ(plat::cp932::ToUtf8(one), plat::SjisToUtf8(one)) << b;
    }
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string glibc = plat::SjisToUtf8(pair);
            ASSERT_EQ(plat::cp932::ToUtf8(pair), glibc) << lead << " " << trail;
            // A pair glibc reads as one character is that character alone,
            // and every other pair is none.
            const auto first = static_cast<unsigned char>(glibc[0]);
            const std::size_t firstLength = first < 0x80 ? 1 : first >= 0xE0 ? 3 : 2;
            const bool oneCharacter = glibc.size() == firstLength && glibc != "\xEF\xBF\xBD";
            const char32_t decoded =
                plat::cp932::DecodeDoubleByte(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            ASSERT_EQ(oneCharacter ? Utf8Of(decoded) : "\xEF\xBF\xBD",
                      oneCharacter ? glibc : Utf8Of(decoded)) << lead << " " << trail;
        }
    }
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string utf8 = Utf8Of(c);
        ASSERT_EQ(plat::cp932::FromUtf8(utf8), plat::Utf8ToSjis(utf8)) << static_cast<unsigned>(c);
    }
    // Malformed, overlong, surrogate, beyond the BMP, cut off.
    for (const std::string text : {"a\x82\xA0z\x82", "\xC0\xAF!", "\xED\xA0\x80x", "\xF0\x9F\x98\x80y",
                                   "\xE3\x81", "\x80\xBF", "\xE3\x41\x42" "c", "\x81\x7F\x81"}) {
        EXPECT_EQ(plat::cp932::FromUtf8(text), plat::Utf8ToSjis(text)) << text;
        EXPECT_EQ(plat::cp932::ToUtf8(text), plat::SjisToUtf8(text)) << text;
    }
}

}  // namespace
