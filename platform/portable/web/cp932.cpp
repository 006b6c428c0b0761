// Code page 932 through the table made from glibc's iconv at build time.
#include "platform/portable/web/cp932.h"

#include <algorithm>
#include <cstdint>

namespace plat::cp932 {
namespace {

#include "cp932_table.inc"

constexpr std::uint16_t kNone = 0xFFFF;
constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::uint16_t Double(unsigned char lead, unsigned char trail) {
    if (!IsLead(lead) || trail < 0x40 || trail > 0xFC) return kNone;
    const int row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 0x1F;
    return kDouble[row][trail - 0x40];
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::size_t Utf8SequenceLength(unsigned char c) {
    return c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
}

// The code point of the UTF-8 sequence at `s`, or -1 if it is not one
// (malformed, overlong, a surrogate or cut off).
long DecodeUtf8(std::string_view s, std::size_t length) {
    if (length > s.size()) return -1;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (length == 1) return b0 < 0x80 ? b0 : -1;
    long c = b0 & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return -1;
        c = (c << 6) | (b & 0x3F);
    }
    const long least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    return c;
}

}  // namespace

char32_t DecodeDoubleByte(unsigned char lead, unsigned char trail) {
    const std::uint16_t c = Double(lead, trail);
    return c == kNone ? U'\xFFFD' : c;
}

std::string ToUtf8(std::string_view sjis) {
    std::string out;
    for (std::size_t i = 0; i < sjis.size();) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (IsLead(b)) {
            if (i + 1 >= sjis.size()) {  // cut off at the end
                out += kUtf8Replacement;
                break;
            }
            const std::uint16_t c = Double(b, static_cast<unsigned char>(sjis[i + 1]));
            if (c != kNone) {
                AppendUtf8(out, c);
                i += 2;
                continue;
            }
        } else if (kSingle[b] != kNone) {
            AppendUtf8(out, kSingle[b]);
            ++i;
            continue;
        }
        out += kUtf8Replacement;
        ++i;
    }
    return out;
}

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(utf8[i]));
        const long c = DecodeUtf8(utf8.substr(i), length);
        if (length > utf8.size() - i) {  // cut off at the end
            out += '?';
            break;
        }
        const auto* end = std::end(kReverse);
        const auto* it = c < 0 ? end
                               : std::lower_bound(std::begin(kReverse), end, c,
                                                  [](const std::uint16_t(&e)[2], long v) { return e[0] < v; });
        if (it != end && (*it)[0] == c) {
            const std::uint16_t bytes = (*it)[1];
            if (bytes > 0xFF) out += static_cast<char>(bytes >> 8);
            out += static_cast<char>(bytes & 0xFF);
        } else {
            out += '?';
        }
        i += length;
    }
    return out;
}

}  // namespace plat::cp932
