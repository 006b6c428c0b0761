// Code page 932 conversions from a table made at build time from glibc's
// iconv CP932 (tools/cp932_table.cpp), for C libraries whose iconv has no
// CP932 (emscripten's). The results are those of glibc's iconv, sequence
// for sequence.
#pragma once

#include <string>
#include <string_view>

namespace plat::cp932 {

// The code point of a two-byte character, U+FFFD if CP932 has none.
char32_t DecodeDoubleByte(unsigned char lead, unsigned char trail);

// Shift-JIS to UTF-8; a byte that starts no character becomes U+FFFD and is
// skipped, a lead byte cut off at the end becomes U+FFFD.
std::string ToUtf8(std::string_view sjis);

// UTF-8 to Shift-JIS; a sequence that is not UTF-8 or has no CP932
// character becomes "?" and is skipped.
std::string FromUtf8(std::string_view utf8);

}  // namespace plat::cp932
