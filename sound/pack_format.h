// The sound pack file: a plain run of entries to the end of the file, each
// N (32-bit little-endian count of sample bytes), the upper-case file name
// with its zero byte, F (32-bit size of the format block), the format block
// (the 16 bytes of the wave's "fmt " chunk, a 16-bit extra-byte count and
// the extra bytes; F = 18 for PCM) and the N sample bytes. No header, no
// index. Shared by the loaders, the converter and the command-line pack tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace elSound::pack {

// Longest stored name with its zero byte: the readers' name buffer.
constexpr std::size_t kNameBuffer = 128;
// The fixed part of a format block: the "fmt " fields without extra bytes.
constexpr std::uint32_t kFormatFields = 16;

void AppendEntry(std::vector<std::uint8_t>& out, const std::string& name,
                 const std::vector<std::uint8_t>& format, const std::uint8_t* samples,
                 std::uint32_t size);

struct Entry {
    std::string name;
    std::uint32_t size = 0;        // N
    std::size_t format = 0;        // offset of the format block
    std::uint32_t formatSize = 0;  // F
    std::size_t samples = 0;       // offset of the first sample byte
};

// Reads every entry of a whole pack held in memory. False at the first
// damaged entry (cut short, a name with no zero byte within the name
// buffer, a format block under 16 bytes or past the end, samples past the
// end), with a one-line description in *problem.
bool ReadEntries(const std::uint8_t* data, std::size_t size, std::vector<Entry>* entries,
                 std::string* problem);

// Fields of a format block (at least 16 bytes).
struct Format {
    std::uint16_t tag, channels;
    std::uint32_t rate, bytesPerSecond;
    std::uint16_t blockAlign, bits;
};
Format ReadFormat(const std::uint8_t* block);
// Whether a stream can be cut into two-second chunks of whole sample frames:
// a non-zero rate of bytes and a block alignment that divides it.
bool Streamable(const Format& f);

}  // namespace elSound::pack
