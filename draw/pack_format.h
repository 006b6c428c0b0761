// The bitmap pack file: a plain run of entries to the end of the file, each
// width and height (16 bits, little-endian), the upper-case file name with
// its NUL, and width x height 15-bit pixels (0RRRRRGGGGGBBBBB), rows top to
// bottom. No header, no index. Shared by the loaders, the converter and the
// command-line pack tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace elDraw::pack {

// Longest stored name with its NUL: the readers' name buffer.
constexpr std::size_t kNameBuffer = 128;

// The stored value of a GDI colour (0x00BBGGRR). Black is 0, the default
// transparent colour; any other colour keeps at least blue 1, so no colour
// turns into the key by being cut to 5 bits.
std::uint16_t ColourToPixel(std::uint32_t colour);
// The GDI colour a stored value stands for, each 5-bit channel widened to 8
// bits by repeating its top bits.
std::uint32_t PixelToColour(std::uint16_t pixel);

// Appends one entry. `name` is stored as given (callers upper-case it).
void AppendEntry(std::vector<std::uint8_t>& out, const std::string& name, int width, int height,
                 const std::vector<std::uint16_t>& pixels);

struct Entry {
    std::string name;
    int width = 0;
    int height = 0;
    std::size_t pixels = 0;  // offset of the first pixel byte
};

// Reads every entry of a whole pack held in memory. False at the first
// damaged entry (cut short, a name with no NUL within the name buffer,
// pixels past the end), with a one-line description in *problem; the
// entries before it are in *entries.
bool ReadEntries(const std::uint8_t* data, std::size_t size, std::vector<Entry>* entries,
                 std::string* problem);

}  // namespace elDraw::pack
