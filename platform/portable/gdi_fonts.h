// Text of the portable GDI: fonts made from a LOGFONT-like description,
// Shift-JIS text drawn without anti-aliasing onto a PixelView, measured and
// laid out as GDI's TextOut, GetTextExtentPoint32, GetTextMetrics and
// DrawText do, and the list of installed faces. Built on FreeType (glyphs,
// monochrome rendering as GDI on a 16-bit display) and fontconfig (finding
// faces by name, listing them).
//
// Faces: "標準明朝" is IPA Mincho and "標準ゴシック" IPA Gothic (the Japanese
// serif and sans-serif faces of Debian); the usual faces of Japanese Windows
// ("ＭＳ 明朝", "ＭＳ ゴシック", their proportional forms, "MS UI Gothic") map
// to the IPA faces of the same kind; any other name is looked up through
// fontconfig. A name fontconfig does not know, or an empty name, gives IPA
// Gothic for the Shift-JIS character set and fontconfig's default face
// otherwise. Characters the chosen face lacks are drawn from IPA Gothic, as
// Windows links Japanese glyphs into other faces.
//
// Sizes follow LOGFONT: a negative height is the character (em) height in
// pixels, a positive one the cell height (ascent + descent from the face's
// Windows metrics), 0 a 16-pixel cell. Bold is simulated, where the face
// has no bold of its own, by drawing each glyph again one pixel to the right
// and widening its advance by one pixel, as GDI does; italic by slanting the
// outline. Escapement (tenths of a degree, counter-clockwise) turns the
// baseline and the glyphs. No kerning is applied, as in TextOut.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/portable/ddraw_pixels.h"
#include "platform/portable/gdi_raster.h"

namespace plat::portable::fonts {

inline constexpr int kAnsiCharset = 0;
inline constexpr int kDefaultCharset = 1;
inline constexpr int kShiftJisCharset = 128;

// DrawText formats (the Win32 DT_* values).
inline constexpr unsigned kDtLeft = 0x0;
inline constexpr unsigned kDtCenter = 0x1;
inline constexpr unsigned kDtRight = 0x2;
inline constexpr unsigned kDtVCenter = 0x4;
inline constexpr unsigned kDtBottom = 0x8;
inline constexpr unsigned kDtWordBreak = 0x10;
inline constexpr unsigned kDtSingleLine = 0x20;
inline constexpr unsigned kDtNoClip = 0x100;
inline constexpr unsigned kDtExternalLeading = 0x200;
inline constexpr unsigned kDtCalcRect = 0x400;
inline constexpr unsigned kDtNoPrefix = 0x800;

// The fields of LOGFONTA that choose a font. The face name is Shift-JIS.
struct LogFont {
    int height = 0;
    int width = 0;        // average character width; 0 keeps the face's proportions
    int escapement = 0;   // tenths of a degree, counter-clockwise
    int orientation = 0;  // ignored: glyphs turn with the escapement, as on Windows 9x
    int weight = 0;       // 0 default (400), 700 bold; 600 and above are bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = kShiftJisCharset;
    std::string faceName;
};

// GetTextMetrics' main fields, in pixels.
struct TextMetrics {
    int height = 0;  // ascent + descent: the cell height and DrawText's line height
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;  // height minus the em height
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = 400;
    int overhang = 0;
    int charSet = kShiftJisCharset;
    bool italic = false;
    bool underlined = false;
};

struct Size {
    int cx = 0;
    int cy = 0;
};

// Colours and background mode of a device context, for drawing text.
struct TextStyle {
    std::uint32_t textColor = 0x000000;  // COLORREF
    std::uint32_t bkColor = 0xFFFFFF;
    raster::BkMode bkMode = raster::BkMode::Opaque;
};

// One line of DrawText's layout: bytes [begin, end) of the text, its width.
struct TextLine {
    std::size_t begin = 0;
    std::size_t end = 0;
    int width = 0;
};

class Font {
public:
    // Never fails: a face is always found (see above).
    explicit Font(const LogFont& description);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const LogFont& Description() const;
    std::string FamilyName() const;  // UTF-8 family of the face used
    std::string FilePath() const;
    int PixelsPerEm() const;
    TextMetrics Metrics() const;

    // GetTextExtentPoint32A: sum of the advances, and the cell height.
    Size TextExtent(std::string_view sjis) const;
    // TextOutA: the text's cell has its top-left corner at (x, y) (before
    // turning by the escapement). In opaque mode the cells are filled with
    // the background colour first; glyph pixels take exactly the text colour.
    void TextOut(const raster::Target& target, int x, int y, std::string_view sjis, const TextStyle& style) const;
    // DrawTextA with the formats above. Returns the height of the text (with
    // kDtVCenter / kDtBottom in single-line mode, the offset from rect.top to
    // the bottom of the text). With kDtCalcRect nothing is drawn and rect's
    // right and bottom are set to fit the text. Unless kDtNoClip, drawing is
    // cut to rect. Lines are broken at "\r\n", "\n" or "\r"; with
    // kDtWordBreak also where a character would pass the right edge, as
    // GDI does: a space that passes the edge ends the line and is dropped;
    // otherwise the line ends after its last space, or between two
    // characters of which one is double-byte or half-width katakana,
    // whichever comes later. A single word wider than the rectangle is not
    // broken and passes the edge. Without kDtNoPrefix "&x" underlines x and
    // "&&" draws "&".
    int DrawText(const raster::Target& target, std::string_view sjis, raster::Rect& rect, unsigned format,
                 const TextStyle& style) const;
    // The lines DrawText makes of the text in a rectangle `width` wide.
    std::vector<TextLine> LayoutLines(std::string_view sjis, int width, unsigned format) const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// One face of the installed fonts, as EnumFontsA reports it.
struct FaceInfo {
    std::string name;  // Shift-JIS, at most 31 bytes
    int charSet = kAnsiCharset;  // kShiftJisCharset for faces that cover Japanese
};

// Every font family fontconfig knows, one entry each (its first family
// name), sorted by name without regard to case.
std::vector<FaceInfo> EnumerateFaces();

// Unicode code points of a Shift-JIS (code page 932) text, one per
// character, with the byte offset where each starts. Bytes that are no
// character become U+FFFD; a lead byte at the very end is one such byte.
struct DecodedChar {
    char32_t code = 0;
    std::size_t offset = 0;
    std::size_t length = 1;
};
std::vector<DecodedChar> DecodeShiftJis(std::string_view sjis);
// Whether a byte starts a double-byte character in code page 932
// (IsDBCSLeadByte).
bool IsShiftJisLeadByte(unsigned char byte);

}  // namespace plat::portable::fonts
