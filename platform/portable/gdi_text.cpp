// Portable GDI: font objects, text output, measurement and the list of
// faces, passed through to the FreeType text of fonts.h.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/gdi.h"
#include "platform/portable/gdi_fonts.h"
#include "platform/portable/gdi_objects.h"

namespace plat {
namespace portable {

namespace {

fonts::LogFont Describe(const LOGFONTA& lf) {
    fonts::LogFont d;
    d.height = lf.lfHeight;
    d.width = lf.lfWidth;
    d.escapement = lf.lfEscapement;
    d.orientation = lf.lfOrientation;
    d.weight = lf.lfWeight;
    d.italic = lf.lfItalic != 0;
    d.underline = lf.lfUnderline != 0;
    d.strikeOut = lf.lfStrikeOut != 0;
    d.charSet = lf.lfCharSet;
    // The face name need not be terminated within its field.
    d.faceName.assign(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof lf.lfFaceName));
    return d;
}

// The font selected into a context (the system font when none is).
const fonts::Font& FontOf(const DeviceContext& c) {
    const GdiObject* font = c.font ? c.font : DefaultObject(GdiObject::Kind::Font);
    return *static_cast<const FontObject*>(font)->font;
}

fonts::TextStyle StyleOf(const DeviceContext& c) {
    return {c.textColor, c.draw.bkColor, c.draw.bkMode};
}

}  // namespace

FontObject::FontObject(const LOGFONTA& description)
    : GdiObject(Kind::Font), logFont(description), font(std::make_unique<fonts::Font>(Describe(description))) {}

FontObject::~FontObject() = default;

}  // namespace portable

using portable::LiveDC;

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (!font) return nullptr;
    auto* object = new portable::FontObject(*font);
    portable::RegisterObject(object);
    return object;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* face) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) {
        // Cut to the field, at a character boundary, always terminated.
        std::size_t n = 0;
        const std::size_t limit = sizeof lf.lfFaceName - 1;
        while (face[n]) {
            std::size_t len = portable::fonts::IsShiftJisLeadByte(static_cast<unsigned char>(face[n])) && face[n + 1] ? 2 : 1;
            if (n + len > limit) break;
            n += len;
        }
        std::memcpy(lf.lfFaceName, face, n);
    }
    return CreateFontIndirectA(&lf);
}

BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) {
    DeviceContext* c = LiveDC(dc);
    if (!c || length < 0 || (!text && length > 0)) return 0;
    if (c->view.pixels && length > 0)
        portable::FontOf(*c).TextOut(portable::raster::Target(c->view), x, y,
                                     std::string_view(text, static_cast<std::size_t>(length)),
                                     portable::StyleOf(*c));
    return 1;
}

BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !size || length < 0 || (!text && length > 0)) return 0;
    const std::string_view sjis = length > 0 ? std::string_view(text, static_cast<std::size_t>(length))
                                             : std::string_view();
    const portable::fonts::Size s = portable::FontOf(*c).TextExtent(sjis);
    size->cx = s.cx;
    size->cy = s.cy;
    return 1;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !metrics) return 0;
    const portable::fonts::TextMetrics m = portable::FontOf(*c).Metrics();
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = m.height;
    metrics->tmAscent = m.ascent;
    metrics->tmDescent = m.descent;
    metrics->tmInternalLeading = m.internalLeading;
    metrics->tmExternalLeading = m.externalLeading;
    metrics->tmAveCharWidth = m.aveCharWidth;
    metrics->tmMaxCharWidth = m.maxCharWidth;
    metrics->tmWeight = m.weight;
    metrics->tmOverhang = m.overhang;
    metrics->tmDigitizedAspectX = 96;
    metrics->tmDigitizedAspectY = 96;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFC;
    metrics->tmDefaultChar = 0x81;
    metrics->tmBreakChar = 0x20;
    metrics->tmItalic = m.italic ? 1 : 0;
    metrics->tmUnderlined = m.underlined ? 1 : 0;
    metrics->tmCharSet = static_cast<BYTE>(m.charSet);
    return 1;
}

int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format) {
    DeviceContext* c = LiveDC(dc);
    if (!c || !rect || (!text && length != 0)) return 0;
    const std::size_t bytes = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
    const std::string_view sjis = bytes > 0 ? std::string_view(text, bytes) : std::string_view();
    portable::raster::Rect r{rect->left, rect->top, rect->right, rect->bottom};
    const int height = portable::FontOf(*c).DrawText(portable::raster::Target(c->view), sjis, r, format,
                                                     portable::StyleOf(*c));
    if (format & DT_CALCRECT) {
        rect->right = r.right;
        rect->bottom = r.bottom;
    }
    return height;
}

int EnumFontsA(HDC dc, const char* face, FONTENUMPROCA callback, LPARAM data) {
    if (!LiveDC(dc) || !callback) return 0;
    int result = 0;
    for (const portable::fonts::FaceInfo& info : portable::fonts::EnumerateFaces()) {
        if (face && info.name != face) continue;
        // Outline faces are reported at a nominal 16-pixel cell.
        LOGFONTA lf{};
        lf.lfHeight = 16;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = static_cast<BYTE>(info.charSet);
        std::memcpy(lf.lfFaceName, info.name.data(), std::min(info.name.size(), sizeof lf.lfFaceName - 1));
        TEXTMETRICA tm{};
        tm.tmHeight = 16;
        tm.tmAscent = 14;
        tm.tmDescent = 2;
        tm.tmAveCharWidth = 8;
        tm.tmMaxCharWidth = 16;
        tm.tmWeight = FW_NORMAL;
        tm.tmCharSet = lf.lfCharSet;
        result = callback(&lf, &tm, TRUETYPE_FONTTYPE, data);
        if (result == 0) break;
    }
    return result;
}

}  // namespace plat
