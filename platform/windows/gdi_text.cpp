// GDI fonts and text, passed through to gdi32 and user32. Texts and face
// names are Shift-JIS in the library; they go to the wide calls as UTF-16
// and come back from font enumeration as Shift-JIS.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/windows/common.h"

namespace plat {

using win::Ours;
using win::Real;

namespace {
// A text of `length` bytes (-1: up to the zero) in UTF-16.
std::wstring WideText(const char* text, int length) {
    if (!text) return {};
    std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
    return win::Wide(std::string_view(text, n));
}

::LOGFONTW RealFont(const LOGFONTA& f) {
    ::LOGFONTW r{};
    r.lfHeight = f.lfHeight;
    r.lfWidth = f.lfWidth;
    r.lfEscapement = f.lfEscapement;
    r.lfOrientation = f.lfOrientation;
    r.lfWeight = f.lfWeight;
    r.lfItalic = f.lfItalic;
    r.lfUnderline = f.lfUnderline;
    r.lfStrikeOut = f.lfStrikeOut;
    r.lfCharSet = f.lfCharSet;
    r.lfOutPrecision = f.lfOutPrecision;
    r.lfClipPrecision = f.lfClipPrecision;
    r.lfQuality = f.lfQuality;
    r.lfPitchAndFamily = f.lfPitchAndFamily;
    std::wstring face = win::Wide(std::string_view(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE)));
    face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    std::wmemcpy(r.lfFaceName, face.c_str(), face.size() + 1);
    return r;
}

LOGFONTA OurFont(const ::LOGFONTW& r) {
    LOGFONTA f{};
    f.lfHeight = static_cast<LONG>(r.lfHeight);
    f.lfWidth = static_cast<LONG>(r.lfWidth);
    f.lfEscapement = static_cast<LONG>(r.lfEscapement);
    f.lfOrientation = static_cast<LONG>(r.lfOrientation);
    f.lfWeight = static_cast<LONG>(r.lfWeight);
    f.lfItalic = r.lfItalic;
    f.lfUnderline = r.lfUnderline;
    f.lfStrikeOut = r.lfStrikeOut;
    f.lfCharSet = r.lfCharSet;
    f.lfOutPrecision = r.lfOutPrecision;
    f.lfClipPrecision = r.lfClipPrecision;
    f.lfQuality = r.lfQuality;
    f.lfPitchAndFamily = r.lfPitchAndFamily;
    win::CopyOut(win::Narrow(r.lfFaceName), f.lfFaceName, LF_FACESIZE);
    return f;
}

TEXTMETRICA OurMetrics(const ::TEXTMETRICW& m) {
    TEXTMETRICA t{};
    t.tmHeight = static_cast<LONG>(m.tmHeight);
    t.tmAscent = static_cast<LONG>(m.tmAscent);
    t.tmDescent = static_cast<LONG>(m.tmDescent);
    t.tmInternalLeading = static_cast<LONG>(m.tmInternalLeading);
    t.tmExternalLeading = static_cast<LONG>(m.tmExternalLeading);
    t.tmAveCharWidth = static_cast<LONG>(m.tmAveCharWidth);
    t.tmMaxCharWidth = static_cast<LONG>(m.tmMaxCharWidth);
    t.tmWeight = static_cast<LONG>(m.tmWeight);
    t.tmOverhang = static_cast<LONG>(m.tmOverhang);
    t.tmDigitizedAspectX = static_cast<LONG>(m.tmDigitizedAspectX);
    t.tmDigitizedAspectY = static_cast<LONG>(m.tmDigitizedAspectY);
    // The character range of the A structure is in bytes of the code page.
    auto byte = [](wchar_t c) { return static_cast<BYTE>(c < 0x100 ? c : 0xFF); };
    t.tmFirstChar = byte(m.tmFirstChar);
    t.tmLastChar = byte(m.tmLastChar);
    t.tmDefaultChar = byte(m.tmDefaultChar);
    t.tmBreakChar = byte(m.tmBreakChar);
    t.tmItalic = m.tmItalic;
    t.tmUnderlined = m.tmUnderlined;
    t.tmStruckOut = m.tmStruckOut;
    t.tmPitchAndFamily = m.tmPitchAndFamily;
    t.tmCharSet = m.tmCharSet;
    return t;
}

struct FontEnumeration {
    FONTENUMPROCA callback;
    LPARAM data;
};

int CALLBACK FontThunk(const ::LOGFONTW* font, const ::TEXTMETRICW* metrics, ::DWORD type,
                       ::LPARAM param) {
    auto* e = reinterpret_cast<FontEnumeration*>(param);
    LOGFONTA f = OurFont(*font);
    TEXTMETRICA m = OurMetrics(*metrics);
    return e->callback(&f, &m, static_cast<DWORD>(type), e->data);
}

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (!font) return nullptr;
    ::LOGFONTW f = RealFont(*font);
    return Ours(static_cast<::HGDIOBJ>(::CreateFontIndirectW(&f)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* face) {
    win::WideArg wideFace(face);
    return Ours(static_cast<::HGDIOBJ>(
        ::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                      charSet, outPrecision, clipPrecision, quality, pitchAndFamily, wideFace.get())));
}

BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) {
    std::wstring w = WideText(text, length < 0 ? 0 : length);
    return ::TextOutW(Real(dc), x, y, w.c_str(), static_cast<int>(w.size()));
}

BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size) {
    if (!size) return 0;
    std::wstring w = WideText(text, length < 0 ? 0 : length);
    ::SIZE s{};
    BOOL ok = ::GetTextExtentPoint32W(Real(dc), w.c_str(), static_cast<int>(w.size()), &s);
    *size = {static_cast<LONG>(s.cx), static_cast<LONG>(s.cy)};
    return ok;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    if (!metrics) return 0;
    ::TEXTMETRICW m{};
    if (!::GetTextMetricsW(Real(dc), &m)) return 0;
    *metrics = OurMetrics(m);
    return 1;
}

int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format) {
    if (!rect) return 0;
    std::wstring w = WideText(text, length);
    ::RECT r = Real(*rect);
    int height = ::DrawTextW(Real(dc), w.c_str(), static_cast<int>(w.size()), &r, format);
    *rect = Ours(r);
    return height;
}

int EnumFontsA(HDC dc, const char* face, FONTENUMPROCA callback, LPARAM data) {
    if (!callback) return 0;
    win::WideArg wideFace(face);
    FontEnumeration e{callback, data};
    return ::EnumFontsW(Real(dc), wideFace.get(), FontThunk,
                        reinterpret_cast<::LPARAM>(&e));
}

}  // namespace plat
