// Writes the code page 932 table of the browser build (whose C library's
// iconv has no CP932) from the build machine's glibc iconv, whose CP932
// holds the NEC and IBM extension rows Windows uses:
//   cp932_table OUT.inc
// OUT.inc defines kSingle[256] (byte -> code point), kDouble[60][189]
// (lead 0x81-0x9F, 0xE0-0xFC; trail 0x40-0xFC) with 0xFFFF where iconv
// refuses the sequence, and kReverse, the code points iconv writes to
// CP932 with their bytes (one or two), sorted by code point.
#include <iconv.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The code point of a byte sequence, or 0xFFFF (a non-character) if refused.
unsigned Decode(iconv_t cd, const std::string& bytes) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string in = bytes;
    unsigned char out[8] = {};
    char* src = in.data();
    char* dst = reinterpret_cast<char*>(out);
    std::size_t srcLeft = in.size();
    std::size_t dstLeft = sizeof out;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0 ||
        dstLeft != 4)
        return 0xFFFF;
    unsigned cp = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<unsigned>(out[3]) << 24);
    return cp > 0xFFFF ? 0xFFFF : cp;
}

// The CP932 bytes of a code point (0 if refused), a two-byte one as lead * 256 + trail.
unsigned Encode(iconv_t cd, unsigned cp) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    unsigned char in[4] = {static_cast<unsigned char>(cp), static_cast<unsigned char>(cp >> 8), 0, 0};
    unsigned char out[8] = {};
    char* src = reinterpret_cast<char*>(in);
    char* dst = reinterpret_cast<char*>(out);
    std::size_t srcLeft = 4;
    std::size_t dstLeft = sizeof out;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return 0;
    std::size_t n = sizeof out - dstLeft;
    if (n == 1) return out[0];
    if (n == 2) return out[0] * 256u + out[1];
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cp932_table OUT.inc\n");
        return 2;
    }
    iconv_t decoder = iconv_open("UTF-32LE", "CP932");
    iconv_t encoder = iconv_open("CP932", "UTF-32LE");
    if (decoder == reinterpret_cast<iconv_t>(-1) || encoder == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "cp932_table: this C library's iconv has no CP932\n");
        return 1;
    }
    std::string text = "// Made by tools/cp932_table.cpp from the build machine's iconv CP932.\n";
    text += "const std::uint16_t kSingle[256] = {";
    for (int b = 0; b < 256; ++b)
        text += (b % 16 ? " " : "\n    ") + std::to_string(Decode(decoder, std::string(1, static_cast<char>(b)))) + ",";
    text += "\n};\nconst std::uint16_t kDouble[60][189] = {";
    int rows = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        text += "\n    {";
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            text += ((trail - 0x40) % 16 ? " " : "\n     ") + std::to_string(Decode(decoder, pair)) + ",";
        }
        text += "},";
        ++rows;
    }
    text += "\n};\nconst std::uint16_t kReverse[][2] = {";
    int pairs = 0;
    for (unsigned cp = 0; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        if (unsigned bytes = Encode(encoder, cp); bytes != 0 || cp == 0) {
            text += (pairs % 8 ? " " : "\n    ") + std::string("{") + std::to_string(cp) + ", " +
                    std::to_string(bytes) + "},";
            ++pairs;
        }
    }
    text += "\n};\n";
    iconv_close(decoder);
    iconv_close(encoder);
    if (rows != 60 || pairs < 7000) {
        std::fprintf(stderr, "cp932_table: unexpected table (%d rows, %d code points)\n", rows, pairs);
        return 1;
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cp932_table: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
