// GDI text on the back surface and the Font buffer object, the standard
// style, the frame-rate line and the font list.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "draw/elDraw.h"
#include "platform/gdi.h"
#include "platform/win.h"
#include "text/elText.h"

using namespace plat;

namespace elText {

FontListEntry FontList[kFontListSize];
int FontCount = 0;
LOGFONTA FontDescription{};
int FontHeight = 0;
HFONT CurrentFont = nullptr;
HGDIOBJ PreviousFont = nullptr;
HDC TextDC = nullptr;
COLORREF TextColor = 0xFFFFFF;
COLORREF BackColor = 0x000000;
int DrawImmediately = 1;
FrameRateState FrameRate;

namespace {

// The surface whose device context TextDC is.
IDirectDrawSurface* textSurface = nullptr;

const char* const kFaceNames[2] = {"標準明朝", "標準ゴシック"};

// The standard style.
constexpr int kStandardFace = kFaceSansSerif;
constexpr int kStandardHeight = 12;
constexpr COLORREF kStandardText = 0xFFFFFF;
constexpr COLORREF kStandardBack = 0x800000;

// Copies a face name into the description, cut at a character boundary so
// that it fits with its terminating zero.
void SetFaceName(const char* face) {
    char* out = FontDescription.lfFaceName;
    const std::size_t limit = sizeof FontDescription.lfFaceName - 1;
    std::size_t n = 0;
    if (face) {
        while (face[n]) {
            const auto lead = static_cast<unsigned char>(face[n]);
            const bool dbcs = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && face[n + 1];
            const std::size_t len = dbcs ? 2 : 1;
            if (n + len > limit) break;
            n += len;
        }
        std::memcpy(out, face, n);
    }
    std::memset(out + n, 0, sizeof FontDescription.lfFaceName - n);
}

// Height, width, escapement, weight, italic, underline, the Shift-JIS
// character set and the quality. The angle is taken modulo a full turn, so that any int
// gives a valid escapement.
void SetShape(int height, int angle, int weight, int italic, int underline) {
    FontHeight = height;
    FontDescription.lfHeight = height;
    FontDescription.lfWidth = 0;
    FontDescription.lfEscapement = (angle % 360) * 10;
    FontDescription.lfWeight = weight == 0 ? FW_NORMAL : weight == 1 ? FW_BOLD : FW_DONTCARE;
    FontDescription.lfItalic = italic ? 1 : 0;
    FontDescription.lfUnderline = underline ? 1 : 0;
    FontDescription.lfCharSet = SHIFTJIS_CHARSET;
    // Glyphs without anti-aliasing, as GDI drew them on 16-bit desktops: the
    // Font objects key out pixel value 0, so blended edges would leave dark
    // fringes. (Systems that smooth text by default would smooth it here.)
    FontDescription.lfQuality = static_cast<BYTE>(NONANTIALIASED_QUALITY);
}

// A listed face gives its own character set (exact byte comparison).
void UseListedCharset(const char* face) {
    if (!face) return;
    for (int i = 0; i < FontCount; ++i) {
        if (std::strcmp(FontList[i].name, face) == 0) {
            FontDescription.lfCharSet = FontList[i].charSet;
            return;
        }
    }
}

// Makes the font of the description and selects it into the surface's
// device context. A font still held would keep the context taken for good,
// so it is given back first.
void MakeAndSelect(IDirectDrawSurface* surface) {
    if (CurrentFont || TextDC) ReleaseFont();
    CurrentFont = CreateFontIndirectA(&FontDescription);
    if (!surface) return;
    HDC dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK) return;
    TextDC = dc;
    textSurface = surface;
    PreviousFont = SelectObject(dc, CurrentFont);
}

IDirectDrawSurface* FontBuffer() { return ObjectTable[3].surface; }

int ListFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM) {
    if (FontCount < kFontListSize && font) {
        FontListEntry& e = FontList[FontCount];
        std::memset(e.name, 0, sizeof e.name);
        std::memcpy(e.name, font->lfFaceName, strnlen(font->lfFaceName, sizeof font->lfFaceName));
        e.charSet = font->lfCharSet;
        ++FontCount;
    }
    return FontCount < kFontListSize ? 1 : 0;
}

}  // namespace

int EnumFonts() {
    FontDescription = LOGFONTA{};
    for (FontListEntry& e : FontList) e = FontListEntry{};
    FontCount = 0;
    if (elDraw::GetBackDC() == DD_OK) {
        EnumFontsA(elDraw::BackDC, nullptr, ListFace, 0);
        elDraw::ReleaseBackDC();
    }
    DrawImmediately = 1;
    return FontCount;
}

void FreeFonts() {
    if (CurrentFont || TextDC) ReleaseFont();
    FontDescription = LOGFONTA{};
}

void SetFont(int face, int height, int angle, int weight, int italic, int underline) {
    if (face == kFaceSerif || face == kFaceSansSerif) SetFaceName(kFaceNames[face]);
    SetShape(height, angle, weight, italic, underline);
    MakeAndSelect(elDraw::BackSurface);
}

void SetFontName(const char* face, int height, int angle, int weight, int italic, int underline) {
    SetFaceName(face);
    SetShape(height, angle, weight, italic, underline);
    UseListedCharset(face);
    MakeAndSelect(elDraw::BackSurface);
}

// Gives the font back to the surface it was selected into, whichever
// release is called.
void ReleaseFont() {
    if (TextDC) SelectObject(TextDC, PreviousFont);
    if (CurrentFont) DeleteObject(CurrentFont);
    if (TextDC && textSurface) textSurface->ReleaseDC(TextDC);
    CurrentFont = nullptr;
    PreviousFont = nullptr;
    TextDC = nullptr;
    textSurface = nullptr;
}

// The work font is drawn at twice the size and reduced; the doubled height is
// held within the int range for extreme sizes.
namespace {
int DoubledSize(int size) { return static_cast<int>(std::clamp(2LL * size, -2147483647LL, 2147483647LL)); }
}  // namespace

void SetWorkFont(int face, int size) {
    if (face == kFaceSerif || face == kFaceSansSerif) SetFaceName(kFaceNames[face]);
    SetShape(DoubledSize(size), 0, 0, 0, 0);
    MakeAndSelect(FontBuffer());
}

void SetWorkFontName(const char* face, int size) {
    SetFaceName(face);
    SetShape(DoubledSize(size), 0, 0, 0, 0);
    UseListedCharset(face);
    MakeAndSelect(FontBuffer());
}

void ReleaseWorkFont() { ReleaseFont(); }

void SetColor(COLORREF text, COLORREF background, int transparent) {
    TextColor = text;
    BackColor = background;
    SetTextColor(TextDC, text);
    SetBkColor(TextDC, background);
    SetBkMode(TextDC, transparent ? TRANSPARENT : OPAQUE);
}

void Draw(int x, int y, const char* text) {
    if (!text) return;
    TextOutA(TextDC, x, y, text, static_cast<int>(strnlen(text, 0x7FFFFFFF)));
}

void DrawBox(int left, int top, int right, int bottom, const char* text, int alignment) {
    static constexpr UINT kFormats[3] = {DT_WORDBREAK | DT_NOPREFIX | DT_LEFT, DT_WORDBREAK | DT_NOPREFIX | DT_CENTER,
                                         DT_WORDBREAK | DT_NOPREFIX | DT_RIGHT};
    if (!text || alignment < 0 || alignment > 2) return;
    RECT rect{left, top, right, bottom};
    DrawTextA(TextDC, text, -1, &rect, kFormats[alignment]);
}

int MeasureBox(int left, int top, int right, int bottom, const char* text) {
    if (!text) return 0;
    RECT rect{left, top, right, bottom};
    return DrawTextA(TextDC, text, -1, &rect, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
}

void Print(int x, int y, const char* text) {
    SetFont(kStandardFace, kStandardHeight, 0, 0, 0, 0);
    SetColor(kStandardText, kStandardBack, 0);
    Draw(x, y, text);
    ReleaseFont();
}

void Printf(int x, int y, const char* format, ...) {
    if (!format) return;
    char buffer[260];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Print(x, y, buffer);
}

void ShowFps() {
    FrameRateState& f = FrameRate;
    const DWORD now = timeGetTime();
    if (now >= f.nextSample) {
        f.current = static_cast<float>(f.frames) / 2.0f;
        if (f.current > f.highest) f.highest = f.current;
        if (f.current > 0.0f && f.current < f.lowest) f.lowest = f.current;
        f.nextSample = now + 2000;
        f.frames = 0;
    }
    if (++f.frames > 999) f.frames = 999;
    std::snprintf(f.text, sizeof f.text, "%3.1f fps ( max %3.1f / min %3.1f )", static_cast<double>(f.current),
                  static_cast<double>(f.highest), static_cast<double>(f.lowest));
    Print(0, 0, f.text);
}

}  // namespace elText
