// Fonts and text of the portable GDI through FreeType and fontconfig; see
// fonts.h. Glyphs are rendered as one-bit masks (FreeType's monochrome
// mode with monochrome hinting), so every pixel a glyph touches takes the
// text colour exactly, as GDI drew text on 16-bit displays.
#include "platform/portable/gdi_fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <numbers>
#include <tuple>
#include <unordered_map>

#include "platform/encoding.h"
#ifdef __EMSCRIPTEN__
#include "platform/portable/web/cp932.h"
#endif

namespace plat::portable::fonts {
namespace {

struct Glyph {
    int advance = 0;  // pixels along the baseline
    int left = 0;     // mask position relative to the pen (pixels, y down)
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<std::uint8_t> mask;  // width x rows, 1 where ink
};

constexpr char32_t kReplacement = 0xFFFD;

// ---------------------------------------------------------------------------
// Shift-JIS decoding.

#ifdef __EMSCRIPTEN__
// Emscripten's iconv has no CP932: the table made from glibc's at build time.
char32_t DecodeDoubleByte(unsigned char lead, unsigned char trail) { return cp932::DecodeDoubleByte(lead, trail); }
#else
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Two-byte characters are converted by iconv's CP932 table, which holds the
// NEC and IBM extensions of Windows; the converter is opened once.
char32_t DecodeDoubleByte(unsigned char lead, unsigned char trail) {
    static std::mutex mutex;
    static iconv_t cd = iconv_open("UTF-32LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1) || !IsTrailByte(trail)) return kReplacement;
    std::lock_guard<std::mutex> lock(mutex);
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8] = {};
    char* src = in;
    char* dst = reinterpret_cast<char*>(out);
    std::size_t srcLeft = 2;
    std::size_t dstLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || dstLeft != 4)
        return kReplacement;
    return static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24));
}
#endif

// ---------------------------------------------------------------------------
// FreeType and fontconfig, shared by all fonts. Everything below runs under
// one lock; the library is used from the main thread, the lock only keeps
// the caches sound if that ever changes.

std::recursive_mutex& Lock() {
    static std::recursive_mutex m;
    return m;
}

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
        return lib;
    }();
    return library;
}

FcConfig* Config() {
    static FcConfig* config = [] { return FcInit() ? FcConfigGetCurrent() : nullptr; }();
    return config;
}

struct FaceRef {
    std::string path;
    int index = 0;
    std::string family;  // UTF-8
    bool valid = false;
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Asks fontconfig for the best face for a family; `matched` tells whether
// the face really belongs to that family (fontconfig always answers).
FaceRef Match(const std::string& familyUtf8, bool japanese, bool bold, bool italic, bool* matched) {
    FaceRef ref;
    if (matched) *matched = false;
    FcConfig* config = Config();
    if (!config) return ref;
    FcPattern* pattern = FcPatternCreate();
    if (!familyUtf8.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
    if (japanese) {
        FcLangSet* langs = FcLangSetCreate();
        FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
        FcPatternAddLangSet(pattern, FC_LANG, langs);
        FcLangSetDestroy(langs);
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return ref;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        ref.path = reinterpret_cast<const char*>(file);
        int index = 0;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) ref.index = index;
        FcChar8* family = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family)
            ref.family = reinterpret_cast<const char*>(family);
        const std::string wanted = Lower(familyUtf8);
        for (int i = 0; matched && FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
            if (family && Lower(reinterpret_cast<const char*>(family)) == wanted) *matched = true;
        ref.valid = true;
    }
    FcPatternDestroy(match);
    return ref;
}

// Face names of Japanese Windows and of the two face selectors, in
// Shift-JIS (this file's literals are compiled to code page 932), with the
// IPA face of the same kind.
struct Alias {
    const char* sjis;
    const char* family;
};
const Alias kAliases[] = {
    {"標準明朝", "IPAMincho"},          {"標準ゴシック", "IPAGothic"},     {"ＭＳ 明朝", "IPAMincho"},
    {"ＭＳ ゴシック", "IPAGothic"},     {"ＭＳ Ｐ明朝", "IPAPMincho"},     {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"MS Mincho", "IPAMincho"},         {"MS Gothic", "IPAGothic"},        {"MS PMincho", "IPAPMincho"},
    {"MS PGothic", "IPAPGothic"},       {"MS UI Gothic", "IPAPGothic"},
};

bool JapaneseCharset(int charSet) { return charSet == kShiftJisCharset || charSet == kDefaultCharset; }

FaceRef ResolveUncached(const std::string& faceSjis, int charSet, bool bold, bool italic) {
    const bool japanese = JapaneseCharset(charSet);
    for (const Alias& a : kAliases) {
        if (faceSjis == a.sjis) {
            FaceRef ref = Match(a.family, true, bold, italic, nullptr);
            if (ref.valid) return ref;
        }
    }
    if (!faceSjis.empty()) {
        bool matched = false;
        FaceRef ref = Match(SjisToUtf8(faceSjis), japanese, bold, italic, &matched);
        if (ref.valid && matched) return ref;
        if (ref.valid && !japanese) return ref;  // fontconfig's nearest face
    }
    // An empty or unknown name: the default face of the character set.
    if (japanese) {
        bool matched = false;
        FaceRef ref = Match("IPAGothic", true, bold, italic, &matched);
        if (ref.valid && matched) return ref;
        return Match("", true, bold, italic, nullptr);
    }
    return Match("sans-serif", false, bold, italic, nullptr);
}

FaceRef Resolve(const std::string& faceSjis, int charSet, bool bold, bool italic) {
    static std::map<std::tuple<std::string, bool, bool, bool>, FaceRef> cache;
    auto key = std::make_tuple(faceSjis, JapaneseCharset(charSet), bold, italic);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    FaceRef ref = ResolveUncached(faceSjis, charSet, bold, italic);
    cache.emplace(key, ref);
    return ref;
}

// Open FreeType faces, one per file and index, kept for the program's life.
FT_Face OpenFace(const FaceRef& ref) {
    static std::map<std::pair<std::string, int>, FT_Face> faces;
    if (!ref.valid || !Library()) return nullptr;
    auto key = std::make_pair(ref.path, ref.index);
    auto it = faces.find(key);
    if (it != faces.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(Library(), ref.path.c_str(), ref.index, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face) && face->num_fixed_sizes == 0) {
        FT_Done_Face(face);
        face = nullptr;
    }
    faces.emplace(key, face);
    return face;
}

// The face that supplies characters a chosen face lacks.
FT_Face FallbackFace() {
    static FT_Face face = [] {
        bool matched = false;
        FaceRef ref = Match("IPAGothic", true, false, false, &matched);
        if (!matched) ref = Match("", true, false, false, nullptr);
        return OpenFace(ref);
    }();
    return face;
}

long Round(double v) { return std::lround(v); }

// One face at one size and style, with its metrics and rendered glyphs.
struct Sized {
    FT_Face face = nullptr;
    FT_Face fallback = nullptr;
    int ppem = 0;   // em height in pixels
    int ppemX = 0;  // em width in pixels (differs when LOGFONT's width is set)
    bool simulateBold = false;
    bool simulateItalic = false;
    int escapement = 0;
    TextMetrics metrics;
    int underlineOffset = 1;  // below the baseline
    int underlineThickness = 1;
    int strikeOffset = 3;  // above the baseline
    int strikeThickness = 1;
    std::unordered_map<char32_t, Glyph> glyphs;
};

struct WinMetrics {
    double upem = 2048;
    double ascent = 0;
    double descent = 0;
    double avgWidth = 0;
    double lineGap = 0;
    double strikePos = 0;
    double strikeSize = 0;
};

WinMetrics ReadWinMetrics(FT_Face face) {
    WinMetrics m;
    if (!face) return m;
    m.upem = face->units_per_EM ? face->units_per_EM : 2048;
    m.ascent = face->ascender;
    m.descent = -face->descender;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            m.ascent = os2->usWinAscent;
            m.descent = os2->usWinDescent;
        }
        m.avgWidth = os2->xAvgCharWidth;
        m.strikePos = os2->yStrikeoutPosition;
        m.strikeSize = os2->yStrikeoutSize;
    }
    // Windows' external leading: the line gap the hhea metrics leave beyond
    // the Windows ascent and descent.
    const double hheaLine = face->height;
    m.lineGap = std::max(0.0, hheaLine - (m.ascent + m.descent));
    if (m.avgWidth <= 0) m.avgWidth = m.upem / 2;
    if (m.ascent + m.descent <= 0) {
        m.ascent = m.upem * 0.88;
        m.descent = m.upem * 0.12;
    }
    return m;
}

std::shared_ptr<Sized> MakeSized(const LogFont& lf) {
    const bool wantBold = lf.weight >= 600;
    const FaceRef ref = Resolve(lf.faceName, lf.charSet, wantBold, lf.italic);
    auto sized = std::make_shared<Sized>();
    sized->face = OpenFace(ref);
    sized->fallback = FallbackFace();
    if (!sized->face) sized->face = sized->fallback;
    const WinMetrics wm = ReadWinMetrics(sized->face);
    const int cell = lf.height == 0 ? 16 : lf.height;
    // Sizes are held to what a glyph can be before they become ints, so an
    // extreme height or width (INT_MIN has no negation) cannot overflow.
    const double cellPixels = std::clamp(cell * wm.upem / (wm.ascent + wm.descent), 0.0, 4096.0);
    const int ppem = cell < 0 ? static_cast<int>(std::clamp(-static_cast<double>(cell), 1.0, 2048.0))
                              : std::clamp(static_cast<int>(Round(cellPixels)), 1, 2048);
    int ppemX = ppem;
    if (lf.width > 0) {
        const double widthPixels = std::clamp(lf.width * wm.upem / wm.avgWidth, 0.0, 8192.0);
        ppemX = std::clamp(static_cast<int>(Round(widthPixels)), 1, 4096);
    }
    sized->ppem = ppem;
    sized->ppemX = ppemX;
    // The face's own style decides what is simulated (fontconfig reports the
    // requested weight and slant for faces it would embolden or slant itself).
    const bool faceBold = sized->face && (sized->face->style_flags & FT_STYLE_FLAG_BOLD);
    const bool faceItalic = sized->face && (sized->face->style_flags & FT_STYLE_FLAG_ITALIC);
    sized->simulateBold = wantBold && !faceBold;
    sized->simulateItalic = lf.italic && !faceItalic;
    sized->escapement = lf.escapement % 3600;
    const double scale = ppem / wm.upem;
    const double scaleX = ppemX / wm.upem;
    TextMetrics& m = sized->metrics;
    m.ascent = static_cast<int>(Round(wm.ascent * scale));
    m.descent = static_cast<int>(Round(wm.descent * scale));
    m.height = m.ascent + m.descent;
    m.internalLeading = std::max(0, m.height - ppem);
    m.externalLeading = static_cast<int>(Round(wm.lineGap * scale));
    m.aveCharWidth = std::max(1, static_cast<int>(Round(wm.avgWidth * scaleX))) + (sized->simulateBold ? 1 : 0);
    m.maxCharWidth = sized->face ? static_cast<int>(Round(sized->face->max_advance_width * scaleX)) : ppemX;
    m.maxCharWidth += sized->simulateBold ? 1 : 0;
    m.weight = (wantBold || faceBold) ? 700 : 400;
    m.charSet = lf.charSet;
    m.italic = lf.italic;
    m.underlined = lf.underline;
    if (sized->face) {
        sized->underlineThickness = std::max(1, static_cast<int>(Round(sized->face->underline_thickness * scale)));
        sized->underlineOffset = std::max(1, static_cast<int>(Round(-sized->face->underline_position * scale)));
    }
    // The underline stays inside the cell, as GDI keeps it.
    sized->underlineOffset = std::min(sized->underlineOffset, std::max(0, m.descent - sized->underlineThickness));
    sized->strikeThickness = std::max(1, static_cast<int>(Round(wm.strikeSize * scale)));
    sized->strikeOffset = wm.strikePos > 0 ? static_cast<int>(Round(wm.strikePos * scale)) : m.ascent / 3;
    return sized;
}

std::shared_ptr<Sized> GetSized(const LogFont& lf) {
    using Key = std::tuple<std::string, int, int, int, int, bool, bool, bool, bool, int>;
    static std::map<Key, std::shared_ptr<Sized>> cache;
    Key key{lf.faceName, lf.height, lf.width, lf.escapement % 3600, lf.weight >= 600 ? 1 : 0, lf.italic,
            lf.underline, lf.strikeOut, JapaneseCharset(lf.charSet), lf.charSet};
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    // Fonts are made per call by the text services; a small set of recent
    // sizes keeps their glyphs. When it grows past the bound it is emptied
    // (fonts still in use keep their own reference).
    if (cache.size() >= 64) cache.clear();
    auto sized = MakeSized(lf);
    cache.emplace(key, sized);
    return sized;
}

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F; }

// Renders one glyph of `face` into `out`; false when the face lacks it.
bool RenderGlyph(const Sized& s, FT_Face face, char32_t code, Glyph& out) {
    if (!face) return false;
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0) return false;
    if (FT_IS_SCALABLE(face)) FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(s.ppemX), static_cast<FT_UInt>(s.ppem));
    // Slant for simulated italics, then the turn of the escapement.
    const double angle = s.escapement / 10.0 * std::numbers::pi / 180.0;
    const double shear = s.simulateItalic ? 0.25 : 0.0;
    const double c = std::cos(angle);
    const double sn = std::sin(angle);
    FT_Matrix matrix;
    matrix.xx = static_cast<FT_Fixed>(Round(c * 65536.0));
    matrix.xy = static_cast<FT_Fixed>(Round((c * shear - sn) * 65536.0));
    matrix.yx = static_cast<FT_Fixed>(Round(sn * 65536.0));
    matrix.yy = static_cast<FT_Fixed>(Round((sn * shear + c) * 65536.0));
    const bool transformed = s.escapement != 0 || s.simulateItalic;
    FT_Set_Transform(face, transformed ? &matrix : nullptr, nullptr);
    FT_Error err = FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO);
    if (!err && face->glyph->format != FT_GLYPH_FORMAT_BITMAP)
        err = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
    FT_Set_Transform(face, nullptr, nullptr);
    if (err) return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    out.advance = static_cast<int>((slot->metrics.horiAdvance + 32) >> 6);
    out.left = slot->bitmap_left;
    out.top = -slot->bitmap_top;
    out.width = static_cast<int>(bm.width);
    out.rows = static_cast<int>(bm.rows);
    out.mask.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.rows), 0);
    for (int y = 0; y < out.rows; ++y) {
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        for (int x = 0; x < out.width; ++x) {
            bool ink = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0 : row[x] >= 128;
            out.mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) + static_cast<std::size_t>(x)] = ink ? 1 : 0;
        }
    }
    return true;
}

// Simulated bold: each glyph again one pixel along the baseline, one pixel wider.
void Embolden(Glyph& g, int escapement) {
    const double angle = escapement / 10.0 * std::numbers::pi / 180.0;
    const int dx = static_cast<int>(Round(std::cos(angle)));
    const int dy = static_cast<int>(Round(-std::sin(angle)));
    Glyph out = g;
    out.width = g.width + std::abs(dx);
    out.rows = g.rows + std::abs(dy);
    if (dx < 0) out.left -= 1;
    if (dy < 0) out.top -= 1;
    out.mask.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.rows), 0);
    auto put = [&](int x, int y) { out.mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) + static_cast<std::size_t>(x)] = 1; };
    for (int y = 0; y < g.rows; ++y)
        for (int x = 0; x < g.width; ++x)
            if (g.mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(g.width) + static_cast<std::size_t>(x)]) {
                const int bx = x + (dx < 0 ? 1 : 0);
                const int by = y + (dy < 0 ? 1 : 0);
                put(bx, by);
                put(bx + dx, by + dy);
            }
    out.advance = g.advance + 1;
    g = std::move(out);
}

const Glyph& GetGlyph(Sized& s, char32_t code) {
    auto it = s.glyphs.find(code);
    if (it != s.glyphs.end()) return it->second;
    Glyph g;
    if (!IsControl(code)) {
        bool ok = RenderGlyph(s, s.face, code, g);
        if (!ok && s.fallback != s.face) ok = RenderGlyph(s, s.fallback, code, g);
        if (!ok) {
            // The default character: the face's missing-glyph shape.
            FT_Face face = s.face ? s.face : s.fallback;
            if (face && FT_IS_SCALABLE(face)) {
                FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(s.ppemX), static_cast<FT_UInt>(s.ppem));
                if (FT_Load_Glyph(face, 0, FT_LOAD_TARGET_MONO | FT_LOAD_RENDER | FT_LOAD_MONOCHROME) == 0)
                    g.advance = static_cast<int>((face->glyph->metrics.horiAdvance + 32) >> 6);
            }
            if (g.advance <= 0) g.advance = std::max(1, s.ppemX / 2);
        }
        if (s.simulateBold) Embolden(g, s.escapement);
    }
    return s.glyphs.emplace(code, std::move(g)).first->second;
}

// Text after "&" processing for DrawText without kDtNoPrefix: the bytes to
// show, and the byte offset of the character to underline (or npos).
struct Prefixed {
    std::string text;
    std::size_t underline = std::string::npos;
};

Prefixed StripPrefixes(std::string_view in) {
    Prefixed out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(in[i]);
        if (IsShiftJisLeadByte(b) && i + 1 < in.size()) {
            out.text.append(in.substr(i, 2));
            ++i;
            continue;
        }
        if (b == '&') {
            if (i + 1 < in.size() && in[i + 1] == '&') {
                out.text += '&';
                ++i;
            } else if (i + 1 < in.size()) {
                out.underline = out.text.size();
            }
            continue;
        }
        out.text += static_cast<char>(b);
    }
    return out;
}

// A break is allowed between two characters when one of them is Japanese:
// double-byte, or half-width katakana.
bool BreaksAround(const DecodedChar& c) {
    return c.length == 2 || (c.code >= 0xFF61 && c.code <= 0xFF9F);
}

}  // namespace

// ---------------------------------------------------------------------------

bool IsShiftJisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::vector<DecodedChar> DecodeShiftJis(std::string_view sjis) {
    std::vector<DecodedChar> out;
    out.reserve(sjis.size());
    for (std::size_t i = 0; i < sjis.size();) {
        const unsigned char b = static_cast<unsigned char>(sjis[i]);
        DecodedChar c;
        c.offset = i;
        if (b < 0x80) {
            c.code = b;
        } else if (b >= 0xA1 && b <= 0xDF) {
            c.code = 0xFF61 + (b - 0xA1);  // half-width katakana
        } else if (IsShiftJisLeadByte(b) && i + 1 < sjis.size()) {
            c.code = DecodeDoubleByte(b, static_cast<unsigned char>(sjis[i + 1]));
            c.length = 2;
        } else {
            c.code = kReplacement;
        }
        out.push_back(c);
        i += c.length;
    }
    return out;
}

struct Font::Impl {
    LogFont description;
    std::shared_ptr<Sized> sized;
};

Font::Font(const LogFont& description) : impl_(std::make_unique<Impl>()) {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    impl_->description = description;
    impl_->sized = GetSized(description);
}

Font::~Font() {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    impl_.reset();
}

const LogFont& Font::Description() const { return impl_->description; }

std::string Font::FamilyName() const {
    const FT_Face f = impl_->sized->face;
    return f && f->family_name ? f->family_name : "";
}

std::string Font::FilePath() const {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    const LogFont& lf = impl_->description;
    return Resolve(lf.faceName, lf.charSet, lf.weight >= 600, lf.italic).path;
}

int Font::PixelsPerEm() const { return impl_->sized->ppem; }

TextMetrics Font::Metrics() const { return impl_->sized->metrics; }

Size Font::TextExtent(std::string_view sjis) const {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    Size size;
    for (const DecodedChar& c : DecodeShiftJis(sjis)) size.cx += GetGlyph(*impl_->sized, c.code).advance;
    size.cy = impl_->sized->metrics.height;
    return size;
}

namespace {

void DrawGlyphMask(const raster::Target& t, const Glyph& g, int ox, int oy, std::uint32_t pixel) {
    for (int y = 0; y < g.rows; ++y) {
        const int py = oy + g.top + y;
        if (py < t.clip.top || py >= t.clip.bottom) continue;
        const std::uint8_t* row = g.mask.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(g.width);
        for (int x = 0; x < g.width; ++x) {
            const int px = ox + g.left + x;
            if (row[x] && px >= t.clip.left && px < t.clip.right) WritePixel(t.view, px, py, pixel);
        }
    }
}

// Fills the rectangle of `length` pixels along the baseline direction and
// `depth` rows across it, starting at (x, y) + `down` rows across.
void FillAlong(const raster::Target& t, int x, int y, double c, double s, int from, int length, int down, int depth,
               std::uint32_t colorref) {
    if (length <= 0 || depth <= 0) return;
    if (s == 0 && c == 1) {
        const std::uint32_t pixel = PixelFromColorRef(t.view, colorref);
        raster::FillPixels(t, {x + from, y + down, x + from + length, y + down + depth}, pixel);
        return;
    }
    // Turned: the rectangle's corners, filled as a polygon.
    auto at = [&](double along, double across) {
        return raster::Point{static_cast<int>(Round(x + along * c + across * s)),
                             static_cast<int>(Round(y - along * s + across * c))};
    };
    const raster::Point pts[4] = {at(from, down), at(from + length, down), at(from + length, down + depth),
                                  at(from, down + depth)};
    raster::State st;
    st.pen.style = raster::PenStyle::Null;
    st.brush = {raster::BrushStyle::Solid, colorref, raster::Hatch::Horizontal};
    raster::Polygon(t, st, pts, 4);
}

void TextOutLocked(Sized& s, const LogFont& lf, const raster::Target& t, int x, int y, std::string_view sjis,
                   const TextStyle& style, std::size_t underlineOffset) {
    const std::vector<DecodedChar> chars = DecodeShiftJis(sjis);
    const double angle = s.escapement / 10.0 * std::numbers::pi / 180.0;
    const double c = s.escapement ? std::cos(angle) : 1.0;
    const double sn = s.escapement ? std::sin(angle) : 0.0;
    const TextMetrics& m = s.metrics;
    int total = 0;
    for (const DecodedChar& ch : chars) total += GetGlyph(s, ch.code).advance;
    if (style.bkMode == raster::BkMode::Opaque) FillAlong(t, x, y, c, sn, 0, total, 0, m.height, style.bkColor);
    const std::uint32_t pixel = PixelFromColorRef(t.view, style.textColor);
    int pen = 0;
    for (const DecodedChar& ch : chars) {
        const Glyph& g = GetGlyph(s, ch.code);
        // Pen position on the baseline: (x, y) + ascent across + pen along.
        const int ox = static_cast<int>(Round(x + pen * c + m.ascent * sn));
        const int oy = static_cast<int>(Round(y - pen * sn + m.ascent * c));
        DrawGlyphMask(t, g, ox, oy, pixel);
        if (ch.offset == underlineOffset)
            FillAlong(t, x, y, c, sn, pen, g.advance, m.ascent + s.underlineOffset, s.underlineThickness, style.textColor);
        pen += g.advance;
    }
    if (lf.underline)
        FillAlong(t, x, y, c, sn, 0, total, m.ascent + s.underlineOffset, s.underlineThickness, style.textColor);
    if (lf.strikeOut)
        FillAlong(t, x, y, c, sn, 0, total, m.ascent - s.strikeOffset, s.strikeThickness, style.textColor);
}

}  // namespace

void Font::TextOut(const raster::Target& target, int x, int y, std::string_view sjis, const TextStyle& style) const {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    // An origin far beyond any surface draws nothing either way; holding it
    // within 2^27 keeps the glyph and underline sums inside the int range.
    constexpr int kFar = 1 << 27;
    TextOutLocked(*impl_->sized, impl_->description, target, std::clamp(x, -kFar, kFar), std::clamp(y, -kFar, kFar),
                  sjis, style, std::string::npos);
}

std::vector<TextLine> Font::LayoutLines(std::string_view sjis, int width, unsigned format) const {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    Sized& s = *impl_->sized;
    const std::vector<DecodedChar> chars = DecodeShiftJis(sjis);
    const std::size_t n = chars.size();
    const bool singleLine = (format & kDtSingleLine) != 0;
    const bool wordBreak = (format & kDtWordBreak) != 0 && !singleLine;
    auto offset = [&](std::size_t i) { return i < n ? chars[i].offset : sjis.size(); };
    auto advance = [&](std::size_t i) { return GetGlyph(s, chars[i].code).advance; };
    auto widthOf = [&](std::size_t a, std::size_t b) {
        int w = 0;
        for (std::size_t i = a; i < b; ++i) w += advance(i);
        return w;
    };
    auto isBreak = [&](std::size_t i) { return chars[i].code == '\r' || chars[i].code == '\n'; };
    std::vector<TextLine> lines;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t start = i;
        std::size_t end = n;   // the line is [start, end)
        std::size_t next = n;  // where the next line starts
        int x = 0;
        for (; i < n; ++i) {
            if (!singleLine && isBreak(i)) {
                end = i;
                next = i + 1;
                if (chars[i].code == '\r' && i + 1 < n && chars[i + 1].code == '\n') ++next;
                break;
            }
            const int adv = advance(i);
            if (wordBreak && x + adv > width && i > start) {
                if (chars[i].code == ' ') {  // a space passing the edge ends the line and is dropped
                    end = i;
                    next = i + 1;
                    break;
                }
                // The latest break: after a space, or at a Japanese character's side.
                std::size_t cut = start;
                for (std::size_t k = i; k > start; --k) {
                    if (chars[k - 1].code == ' ' || BreaksAround(chars[k - 1]) || BreaksAround(chars[k])) {
                        cut = k;
                        break;
                    }
                }
                if (cut > start) {
                    end = next = cut;
                    break;
                }
                // One word wider than the line: it stays whole, up to the next break.
                std::size_t k = i + 1;
                while (k < n && !isBreak(k) && chars[k].code != ' ' && !BreaksAround(chars[k]) &&
                       !BreaksAround(chars[k - 1]))
                    ++k;
                end = k;
                next = (k < n && chars[k].code == ' ') ? k + 1 : k;
                break;
            }
            x += adv;
        }
        lines.push_back({offset(start), offset(end), widthOf(start, end)});
        i = next;
    }
    return lines;
}

int Font::DrawText(const raster::Target& target, std::string_view sjis, raster::Rect& rect, unsigned format,
                   const TextStyle& style) const {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    Sized& s = *impl_->sized;
    const TextMetrics& m = s.metrics;
    const int lineHeight = m.height + ((format & kDtExternalLeading) ? m.externalLeading : 0);
    const bool calc = (format & kDtCalcRect) != 0;
    const bool singleLine = (format & kDtSingleLine) != 0;
    // A box reaching far beyond any surface is held within 2^27 on each side,
    // so that its width, centre and line positions are sums inside the int range.
    constexpr int kFar = 1 << 27;
    rect = {std::clamp(rect.left, -kFar, kFar), std::clamp(rect.top, -kFar, kFar), std::clamp(rect.right, -kFar, kFar),
            std::clamp(rect.bottom, -kFar, kFar)};
    if (sjis.empty()) {
        if (calc) {
            rect.right = rect.left;
            rect.bottom = singleLine ? rect.top + lineHeight : rect.top;
        }
        return lineHeight;
    }
    Prefixed shown;
    if (format & kDtNoPrefix) shown.text = std::string(sjis);
    else shown = StripPrefixes(sjis);
    const std::vector<TextLine> lines = LayoutLines(shown.text, rect.right - rect.left, format);
    int widest = 0;
    for (const TextLine& l : lines) widest = std::max(widest, l.width);
    const int total = static_cast<int>(lines.size()) * lineHeight;
    if (calc) {
        rect.right = rect.left + widest;
        rect.bottom = rect.top + total;
        return total;
    }
    int y = rect.top;
    if (singleLine && (format & kDtVCenter)) y = rect.top + (rect.bottom - rect.top - lineHeight) / 2;
    else if (singleLine && (format & kDtBottom)) y = rect.bottom - lineHeight;
    const raster::Target t = (format & kDtNoClip)
                                 ? target
                                 : raster::Target(target.view, {std::max(rect.left, target.clip.left),
                                                                std::max(rect.top, target.clip.top),
                                                                std::min(rect.right, target.clip.right),
                                                                std::min(rect.bottom, target.clip.bottom)});
    for (const TextLine& l : lines) {
        int x = rect.left;
        if (format & kDtCenter) x = rect.left + (rect.right - rect.left - l.width) / 2;
        else if (format & kDtRight) x = rect.right - l.width;
        const std::size_t underline = (shown.underline >= l.begin && shown.underline < l.end)
                                          ? shown.underline - l.begin
                                          : std::string::npos;
        TextOutLocked(s, impl_->description, t, x, y, std::string_view(shown.text).substr(l.begin, l.end - l.begin),
                      style, underline);
        y += lineHeight;
    }
    if (singleLine && (format & (kDtVCenter | kDtBottom))) return y - rect.top;
    return total;
}

std::vector<FaceInfo> EnumerateFaces() {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    std::vector<FaceInfo> faces;
    FcConfig* config = Config();
    if (!config) return faces;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_LANG, static_cast<char*>(nullptr));
    FcFontSet* set = FcFontList(config, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (!set) return faces;
    std::map<std::string, bool> families;  // lower-case name -> covers Japanese
    std::map<std::string, std::string> names;
    for (int i = 0; i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch || !family) continue;
        const std::string name = reinterpret_cast<const char*>(family);
        FcLangSet* langs = nullptr;
        bool japanese = FcPatternGetLangSet(set->fonts[i], FC_LANG, 0, &langs) == FcResultMatch && langs &&
                        FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
        const std::string key = Lower(name);
        names.emplace(key, name);
        families[key] = families[key] || japanese;
    }
    FcFontSetDestroy(set);
    for (const auto& [key, japanese] : families) {
        std::string sjis = Utf8ToSjis(names[key]);
        // LOGFONT names hold 31 bytes; cut at a character boundary.
        std::size_t cut = 0;
        while (cut < sjis.size()) {
            std::size_t len = IsShiftJisLeadByte(static_cast<unsigned char>(sjis[cut])) ? 2 : 1;
            if (cut + len > 31) break;
            cut += len;
        }
        sjis.resize(cut);
        faces.push_back({sjis, japanese ? kShiftJisCharset : kAnsiCharset});
    }
    return faces;
}

}  // namespace plat::portable::fonts
