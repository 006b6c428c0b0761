// Conversions between the library's Shift-JIS texts (code page 932) and
// UTF-8, for the places where the system below wants Unicode (window titles,
// dialog texts, file names, font lookups).
#pragma once

#include <string>
#include <string_view>

namespace plat {

// Invalid or truncated sequences become U+FFFD; never throws.
std::string SjisToUtf8(std::string_view sjis);
// Characters without a Shift-JIS form become '?'.
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace plat
