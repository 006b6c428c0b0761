// Shift-JIS <-> UTF-8 through iconv (glibc's CP932 table, which holds the
// NEC and IBM extensions Windows uses).
#include "platform/encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace plat {
namespace {

std::size_t Utf8SequenceLength(unsigned char c) {
    return c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
}

// Converts with iconv; an input sequence iconv refuses becomes `bad` and is
// skipped (one byte, or a whole UTF-8 sequence when the input is UTF-8).
std::string Convert(std::string_view in, const char* to, const char* from, const char* bad,
                    bool utf8Input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    std::vector<char> buffer(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer.data();
        std::size_t dstLeft = buffer.size();
        std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer.data(), static_cast<std::size_t>(dst - buffer.data()));
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        out += bad;
        std::size_t skip = utf8Input ? Utf8SequenceLength(static_cast<unsigned char>(*src)) : 1;
        if (errno == EINVAL || skip > srcLeft) skip = srcLeft;  // truncated at the end
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
    return Convert(sjis, "UTF-8", "CP932", "\xEF\xBF\xBD", false);
}

std::string Utf8ToSjis(std::string_view utf8) { return Convert(utf8, "CP932", "UTF-8", "?", true); }

}  // namespace plat
