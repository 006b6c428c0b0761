// Font sprite text: word-wrapped Shift-JIS text rendered into the Font
// object, sharp at screen size or drawn at double size in the Font buffer and
// reduced with blended edges, with a box per character for the reveal.
//
// The reduction is our own filter (a 3 x 3 gather around every second pixel,
// filled up with the picture behind): no library offers this blend of glyph
// coverage with the back surface, and it must give the same pixels at every
// depth the display may have.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "draw/elDraw.h"
#include "platform/gdi.h"
#include "system/elSystem.h"
#include "text/elText.h"

using namespace plat;

namespace elText {

CharBox BoxTable[kBoxTableSize];
int BoxCount = 0;
int RevealedCount = 0;
float RevealTimer = 0.0f;
char CurrentChar[3] = {};

namespace {

constexpr int kFontObject = 2;
constexpr int kFontBuffer = 3;

// Characters that may not start a line; they hang past the right limit.
const char* const kLineStartForbidden[15] = {
    "\x81\x41",  // 、
    "\x81\x42",  // 。
    "\x81\x43",  // ，
    "\x81\x44",  // ．
    "\x81\x45",  // ・
    "\x81\x63",  // …
    "\x81\x64",  // ‥
    "\x81\x68",  // ”
    "\x81\x66",  // ’
    "\x81\x69",  // （
    "\x81\x76",  // 」
    ",",
    ".",
    "\x81\x40",  // ideographic space
    " ",
};

// Pixel value 0 is the Font object's transparent key: a colour whose three
// channels are all below 16 would be stored as 0 at 16 bits and vanish.
COLORREF GuardColour(COLORREF c) {
    const bool dark = (c & 0xFF) < 16 && ((c >> 8) & 0xFF) < 16 && ((c >> 16) & 0xFF) < 16;
    return dark ? 0x101010 : c;
}

// The caller's font arrangement, given up at the start of a render and taken
// back at its end on the same surface, with the same colours and mode.
struct HeldFont {
    IDirectDrawSurface* surface = nullptr;
    int mode = TRANSPARENT;
};

HeldFont GiveUpCallerFont() {
    HeldFont held;
    held.surface = HeldFontSurface();
    if (held.surface && TextDC) held.mode = GetBkMode(TextDC);
    ReleaseFont();
    return held;
}

void TakeBackCallerFont(const HeldFont& held) {
    if (!held.surface) return;
    HoldFont(held.surface);
    SetTextColor(TextDC, TextColor);
    SetBkColor(TextDC, BackColor);
    SetBkMode(TextDC, held.mode);
}

// Holds the font on a work object, ready for transparent glyphs.
void HoldOn(int slot) {
    HoldFont(elDraw::ObjectSurface(slot));
    SetBkMode(TextDC, TRANSPARENT);
}

// Copies the character at text[i] into CurrentChar; returns its length. A
// lead byte that is the text's last byte is a character of its own.
std::size_t TakeChar(const char* text, std::size_t i, std::size_t n) {
    const bool dbcs = IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < n;
    const std::size_t len = dbcs ? 2 : 1;
    CurrentChar[0] = text[i];
    CurrentChar[1] = dbcs ? text[i + 1] : 0;
    CurrentChar[2] = 0;
    return len;
}

bool IsLineFeed() { return CurrentChar[0] == '\n' && CurrentChar[1] == 0; }

// Layout positions and sizes are summed in 64 bits: a text may start at any
// int position and its rectangle may reach any int limit.
using Pos = long long;

// A box edge or line argument: a position beyond the int range lies off
// every surface and is held at the range's bound.
int HeldInInt(Pos v) { return static_cast<int>(std::clamp<Pos>(v, INT_MIN, INT_MAX)); }

// A GDI text position: far outside every surface it is held where the
// glyph's own extent cannot overflow.
int GdiPosition(Pos v) { return static_cast<int>(std::clamp<Pos>(v, -(Pos{1} << 28), Pos{1} << 28)); }

CharBox Box(Pos left, Pos top, Pos right, Pos bottom) {
    return {HeldInInt(left), HeldInInt(top), HeldInInt(right), HeldInInt(bottom)};
}

struct Glyph {
    Pos width = 0;
    Pos height = 0;
};

// Size of the current character with its shadow and thickening; doubled
// glyphs are first rounded up to even sizes and take a 2-pixel shadow.
Glyph Measure(int flags, bool doubled) {
    if (IsLineFeed()) return {};
    SIZE s{};
    GetTextExtentPoint32A(TextDC, CurrentChar, CurrentChar[1] ? 2 : 1, &s);
    Glyph g{s.cx, s.cy};
    if (doubled) {
        g.width += g.width & 1;
        g.height += g.height & 1;
    }
    const int shadow = doubled ? 2 : 1;
    if (flags & kFlagShadow) {
        g.width += shadow;
        g.height += shadow;
    }
    if (flags & kFlagThickenRight) ++g.width;
    if (flags & kFlagThickenDown) ++g.height;
    return g;
}

void Out(Pos x, Pos y) { TextOutA(TextDC, GdiPosition(x), GdiPosition(y), CurrentChar, CurrentChar[1] ? 2 : 1); }

// The current character at (x, y): shadow first (offset by `shadow` pixels),
// then the ink with its thickening.
void DrawGlyph(Pos x, Pos y, int flags, int shadow) {
    const int right = (flags & kFlagThickenRight) ? 1 : 0;
    const int down = (flags & kFlagThickenDown) ? 1 : 0;
    if (flags & kFlagShadow) {
        SetTextColor(TextDC, BackColor);
        Out(x + shadow + right, y + shadow + down);
    }
    SetTextColor(TextDC, TextColor);
    Out(x, y);
    if (right) Out(x + 1, y);
    if (right && down) Out(x + 1, y + 1);
    if (down) Out(x, y + 1);
}

void GrowBounds(Pos right, Pos bottom) {
    BoxTable[0].right = std::max(BoxTable[0].right, HeldInInt(right));
    BoxTable[0].bottom = std::max(BoxTable[0].bottom, HeldInInt(bottom));
}

void DrawFontBox(const CharBox& b) {
    if (b.right <= b.left || b.bottom <= b.top) return;
    elDraw::Draw(b.left, b.top, kFontObject, b.left, b.top, b.right, b.bottom);
}

void StartRender(int left, int top) {
    TextColor = GuardColour(TextColor);
    BackColor = GuardColour(BackColor);
    BoxTable[0] = {left, top, left, top};
    BoxCount = 1;
}

void FinishRender() {
    if (DrawImmediately == 1) DrawFontBox(BoxTable[0]);
    RevealedCount = 0;
    RevealTimer = 0.0f;
    DrawImmediately = 1;
}

void LayOutSprite(Pos left, Pos right, Pos top, Pos bottom, const char* text, int flags) {
    const std::size_t n = text ? std::strlen(text) : 0;
    Pos x = left;
    Pos y = top;
    Pos lineHeight = (flags & 0xFF) + Pos{FontHeight};
    std::size_t i = 0;
    while (i < n && BoxCount < kBoxTableSize) {
        const std::size_t len = TakeChar(text, i, n);
        const Glyph g = Measure(flags, false);
        BoxTable[BoxCount++] = Box(x, y, x + g.width, y + g.height);
        x += g.width;
        lineHeight = std::max(lineHeight, g.height);
        const bool lineFeed = IsLineFeed();
        const bool past = x > right;
        if (!past && !lineFeed) {
            DrawGlyph(x - g.width, y, flags, 1);
            GrowBounds(x + g.width, y + g.height);
            i += len;
            continue;
        }
        --BoxCount;
        const bool hangs = past && IsLineStartForbidden(CurrentChar);
        if (hangs) {
            DrawGlyph(x - g.width, y, flags, 1);
            GrowBounds(x + g.width, y + g.height);
        }
        const bool again = !hangs && !lineFeed;
        const bool startedLine = x - g.width == left;
        x = left;
        y += lineHeight;
        if (y + lineHeight >= bottom) break;
        // A character that does not fit even at a line's start fits on no
        // line: it would be laid out again on every line down to the bottom
        // limit (for ever where lines do not advance), drawing nothing and
        // changing nothing else. The layout ends here with that result.
        if (again && startedLine) break;
        if (!again) i += len;
    }
}

// One double-size line of the Font buffer ends: reduce it into the Font
// object, cut at the bottom limit, and start the buffer afresh.
void EndSmoothLine(Pos x0, Pos y, Pos lx, Pos lineHeight, Pos bottom) {
    ReleaseFont();
    Pos h = lineHeight;
    const Pos overhang = y + (lineHeight >> 1) - bottom;
    if (overhang > 0) h -= 2 * overhang;
    GrowBounds(x0 + (lx >> 1), y + (h >> 1));
    SmoothLine(HeldInInt(x0), HeldInInt(y), 0, 0, HeldInInt(lx), HeldInInt(h));
    elDraw::ClearObject(kFontBuffer);
    HoldOn(kFontBuffer);
}

void LayOutSmooth(Pos left, Pos right, Pos top, Pos bottom, const char* text, int flags) {
    const std::size_t n = text ? std::strlen(text) : 0;
    const Pos spacing = flags & 0xFF;
    Pos x0 = left;
    Pos y = top;
    Pos lx = 0;
    Pos lineHeight = spacing + FontHeight;
    std::size_t i = 0;
    while (i < n && BoxCount < kBoxTableSize) {
        const std::size_t len = TakeChar(text, i, n);
        const bool lineFeed = IsLineFeed();
        if (!lineFeed) DrawGlyph(lx, 0, flags, 2);
        const Glyph g = Measure(flags, true);
        const Pos boxLeft = x0 + (lx >> 1);
        BoxTable[BoxCount++] = Box(boxLeft, y, boxLeft + (g.width >> 1), y + (g.height >> 1));
        lx += g.width;
        lineHeight = std::max(lineHeight, g.height);
        const bool atRight = x0 + (lx >> 1) >= right;
        if (!atRight && lx < ScreenWidth && !lineFeed) {
            i += len;
            continue;
        }
        --BoxCount;
        const bool stays = atRight && IsLineStartForbidden(CurrentChar);
        const bool again = !stays && !lineFeed;
        if (again) lx -= g.width;
        EndSmoothLine(x0, y, lx, lineHeight, bottom);
        x0 += lx >> 1;
        bool newLine = x0 + (g.width >> 1) >= right || lineFeed;
        // A character wider than the whole Font buffer leaves an empty piece:
        // it goes to a fresh line, and where even that cannot hold it (or
        // lines do not advance) the layout stops instead of looping.
        const bool wholeLineTooNarrow = again && lx == 0 && x0 == left;
        if (again && lx == 0) {
            if (!newLine && x0 == left) break;
            if (newLine && (lineHeight >> 1) <= 0) break;
            newLine = true;
        }
        if (newLine) {
            x0 = left;
            y += lineHeight >> 1;
        }
        // A character that does not fit even at a line's start is laid out
        // again on every line down to the bottom limit, each time an empty
        // line that only moves the bounds' bottom down to it. Going straight
        // to the last of those lines gives the same bounds without walking
        // (up to) billions of lines.
        if (wholeLineTooNarrow && y < bottom) {
            const Pos step = lineHeight >> 1;
            y += (bottom - 1 - y) / step * step;
        }
        lx = 0;
        lineHeight = spacing + FontHeight;
        if (!again) i += len;
        if (y >= bottom) break;
    }
    if (lx != 0) EndSmoothLine(x0, y, lx, lineHeight, bottom);
}

// What the last render was made from, so that it can be made again when a
// lost surface has brought the Font object back blank.
struct RenderRecord {
    bool made = false;
    bool smooth = false;
    int left = 0, top = 0, right = 0, bottom = 0, flags = 0;
    std::string text;
    LOGFONTA font{};
    int fontHeight = 0;
    COLORREF textColour = 0, backColour = 0;
    int restoreCount = 0;  // elDraw::RestoreCount when the render began
};
RenderRecord lastRender;

void Record(bool smooth, int left, int top, int right, int bottom, const char* text, int flags, int restoreCount) {
    lastRender.made = true;
    lastRender.smooth = smooth;
    lastRender.left = left;
    lastRender.top = top;
    lastRender.right = right;
    lastRender.bottom = bottom;
    lastRender.flags = flags;
    lastRender.text = text ? text : "";
    lastRender.font = FontDescription;
    lastRender.fontHeight = FontHeight;
    lastRender.textColour = TextColor;
    lastRender.backColour = BackColor;
    lastRender.restoreCount = restoreCount;
}

void RenderSprite(int left, int top, int right, int bottom, const char* text, int flags) {
    const int restoreCount = elDraw::RestoreCount;
    const HeldFont caller = GiveUpCallerFont();
    elDraw::ClearObject(kFontObject);
    HoldOn(kFontObject);
    StartRender(left, top);
    Record(false, left, top, right, bottom, text, flags, restoreCount);
    LayOutSprite(left, right, top, bottom, text, flags & 0xFFFF);
    ReleaseFont();
    FinishRender();
    TakeBackCallerFont(caller);
}

void RenderSmooth(int left, int top, int right, int bottom, const char* text, int flags) {
    const int restoreCount = elDraw::RestoreCount;
    elDraw::ClearObject(kFontObject);
    const HeldFont caller = GiveUpCallerFont();
    elDraw::ClearObject(kFontBuffer);
    HoldOn(kFontBuffer);
    StartRender(left, top);
    Record(true, left, top, right, bottom, text, flags, restoreCount);
    LayOutSmooth(left, right, top, bottom, text, flags & 0xFFFF);
    ReleaseFont();
    FinishRender();
    TakeBackCallerFont(caller);
}

// Renders the last text again into the Font object, with the font and
// colours it was made with, without drawing it and without touching the
// reveal or the caller's font, colours and font arrangement.
void RenderAgain() {
    const RenderRecord r = lastRender;  // the render records itself anew
    const HeldFont caller = GiveUpCallerFont();
    const LOGFONTA font = FontDescription;
    const int fontHeight = FontHeight;
    const COLORREF textColour = TextColor, backColour = BackColor;
    const int drawImmediately = DrawImmediately, revealed = RevealedCount;
    const float timer = RevealTimer;
    FontDescription = r.font;
    FontHeight = r.fontHeight;
    TextColor = r.textColour;
    BackColor = r.backColour;
    DrawImmediately = 0;
    if (r.smooth) RenderSmooth(r.left, r.top, r.right, r.bottom, r.text.c_str(), r.flags);
    else RenderSprite(r.left, r.top, r.right, r.bottom, r.text.c_str(), r.flags);
    FontDescription = font;
    FontHeight = fontHeight;
    TextColor = textColour;
    BackColor = backColour;
    DrawImmediately = drawImmediately;
    RevealedCount = revealed;
    RevealTimer = timer;
    TakeBackCallerFont(caller);
}

// Draws what the reveal shows now; stops at a draw that found the surfaces
// lost (the Font object then holds nothing worth drawing).
void DrawRevealed(bool whole) {
    const int restoreCount = elDraw::RestoreCount;
    if (whole || RevealedCount > BoxCount) {
        DrawFontBox(BoxTable[0]);
        RevealedCount = BoxCount + 1;
        return;
    }
    const int last = std::min(RevealedCount, BoxCount);
    for (int i = 1; i < last && elDraw::RestoreCount == restoreCount; ++i) DrawFontBox(BoxTable[i]);
}

// ---- The reduction ----------------------------------------------------------------

// A locked surface: first byte, bytes per row, and the pixels each row holds
// (never more than the pitch allows).
struct Plane {
    IDirectDrawSurface* surface = nullptr;
    std::uint8_t* bits = nullptr;
    std::ptrdiff_t pitch = 0;
    int width = 0;
    int height = 0;
};

bool LockPlane(IDirectDrawSurface* surface, int bytes, Plane& plane) {
    if (!surface) return false;
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    if (surface->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    plane.surface = surface;
    plane.bits = static_cast<std::uint8_t*>(d.lpSurface);
    plane.pitch = d.lPitch;
    const long rowPixels = (d.lPitch < 0 ? -d.lPitch : d.lPitch) / bytes;
    plane.width = static_cast<int>(std::min<long>(static_cast<long>(d.dwWidth), rowPixels));
    plane.height = static_cast<int>(d.dwHeight);
    return true;
}

void UnlockPlane(Plane& plane) {
    if (plane.surface) plane.surface->Unlock(plane.bits);
    plane.surface = nullptr;
}

// Where each channel sits in a pixel and its largest value.
struct Channels {
    unsigned shift[3];
    std::uint32_t max;
};

template <int Bytes>
std::uint32_t Load(const std::uint8_t* p) {
    if constexpr (Bytes == 2) {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    } else if constexpr (Bytes == 4) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else {
        return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    }
}

template <int Bytes>
void Store(std::uint8_t* p, std::uint32_t v) {
    if constexpr (Bytes == 2) {
        const auto w = static_cast<std::uint16_t>(v);
        std::memcpy(p, &w, 2);
    } else if constexpr (Bytes == 4) {
        std::memcpy(p, &v, 4);
    } else {
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
    }
}

// The rectangle of one reduction, already cut to every surface.
struct Reduction {
    int x, y, sx, sy, w, h;
};

template <int Bytes>
void Reduce(const Reduction& r, const Plane& source, const Plane& dest, const Plane& back, const Channels& ch) {
    const int spanW = 2 * r.w;
    const int spanH = 2 * r.h;
    for (int j = 0; j < r.h; ++j) {
        std::uint8_t* out = dest.bits + (r.y + j) * dest.pitch + static_cast<std::ptrdiff_t>(r.x) * Bytes;
        const std::uint8_t* behind = back.bits + (r.y + j) * back.pitch + static_cast<std::ptrdiff_t>(r.x) * Bytes;
        for (int i = 0; i < r.w; ++i, out += Bytes, behind += Bytes) {
            std::uint32_t sum[3] = {0, 0, 0};
            std::uint32_t n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const int row = 2 * j + dy;
                if (row < 0 || row >= spanH) continue;
                const std::uint8_t* line = source.bits + (r.sy + row) * source.pitch;
                for (int dx = -1; dx <= 1; ++dx) {
                    const int column = 2 * i + dx;
                    if (column < 0 || column >= spanW) continue;
                    const std::uint32_t v = Load<Bytes>(line + static_cast<std::ptrdiff_t>(r.sx + column) * Bytes);
                    if (v == 0) continue;
                    ++n;
                    for (int k = 0; k < 3; ++k) sum[k] += (v >> ch.shift[k]) & ch.max;
                }
            }
            if (n == 0) continue;
            const std::uint32_t fill = n < 8 ? 8 - n : 0;
            const std::uint32_t b = Load<Bytes>(behind);
            std::uint32_t pixel = 0;
            for (int k = 0; k < 3; ++k) {
                const std::uint32_t total = sum[k] + ch.max + fill * ((b >> ch.shift[k]) & ch.max);
                pixel |= std::min(total / 8, ch.max) << ch.shift[k];
            }
            Store<Bytes>(out, pixel);
        }
    }
}

// Cuts the reduction to the three surfaces themselves, so that a clip
// rectangle or arguments reaching past them read and write nothing outside.
// False when nothing is left.
bool CutToPlanes(Reduction& r, const Plane& source, const Plane& dest, const Plane& back) {
    if (r.x < 0) {
        r.sx -= 2 * r.x;
        r.w += r.x;
        r.x = 0;
    }
    if (r.y < 0) {
        r.sy -= 2 * r.y;
        r.h += r.y;
        r.y = 0;
    }
    if (r.sx < 0) {
        const int d = (1 - r.sx) / 2;
        r.sx += 2 * d;
        r.x += d;
        r.w -= d;
    }
    if (r.sy < 0) {
        const int d = (1 - r.sy) / 2;
        r.sy += 2 * d;
        r.y += d;
        r.h -= d;
    }
    r.w = std::min({r.w, dest.width - r.x, back.width - r.x, (source.width - r.sx) / 2});
    r.h = std::min({r.h, dest.height - r.y, back.height - r.y, (source.height - r.sy) / 2});
    return r.w > 0 && r.h > 0;
}

}  // namespace

bool IsLineStartForbidden(const char* character) {
    if (!character) return false;
    for (const char* c : kLineStartForbidden)
        if (std::strcmp(c, character) == 0) return true;
    return false;
}

void SpriteText(int left, int top, int right, int bottom, const char* text, int flags) {
    RenderSprite(left, top, right, bottom, text, flags);
}

void PrepareSpriteText(int left, int top, int right, int bottom, const char* text, int flags) {
    DrawImmediately = 0;
    RenderSprite(left, top, right, bottom, text, flags);
}

void SmoothText(int left, int top, int right, int bottom, const char* text, int flags) {
    RenderSmooth(left, top, right, bottom, text, flags);
}

void PrepareSmoothText(int left, int top, int right, int bottom, const char* text, int flags) {
    DrawImmediately = 0;
    RenderSmooth(left, top, right, bottom, text, flags);
}

int RevealText(float interval) {
    // A NaN or infinite interval never comes round: it shows everything at
    // once, as 0 does.
    const bool whole = interval == 0.0f || std::isnan(interval) || (std::isinf(interval) && interval > 0.0f);
    // A surface loss leaves the Font object blank: the text is rendered again
    // first, and once more if a draw of this call is the one that finds the
    // loss.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lastRender.made && lastRender.restoreCount != elDraw::RestoreCount) RenderAgain();
        const int restoreCount = elDraw::RestoreCount;
        DrawRevealed(whole);
        if (elDraw::RestoreCount == restoreCount) break;
    }
    if (RevealedCount > BoxCount) return 1;
    RevealTimer += FrameDelta;
    // Also a timer that FrameDelta made NaN moves the reveal on.
    if (!(RevealTimer < interval)) {
        ++RevealedCount;
        RevealTimer = 0.0f;
    }
    return 0;
}

int SmoothLine(int x, int y, int sx, int sy, int ex, int ey) {
    // In 64 bits: arguments far outside the screen must not overflow the cut.
    long long w = (static_cast<long long>(ex) - sx) >> 1;
    long long h = (static_cast<long long>(ey) - sy) >> 1;
    long long px = x, py = y, psx = sx, psy = sy;
    if (px + w > ClipRect.right) w = ClipRect.right - px;
    if (py + h > ClipRect.bottom) h = ClipRect.bottom - py;
    if (px < ClipRect.left) {
        const long long d = ClipRect.left - px;
        psx += 2 * d;
        w -= d;
        px = ClipRect.left;
    }
    if (py < ClipRect.top) {
        const long long d = ClipRect.top - py;
        psy += 2 * d;
        h -= d;
        py = ClipRect.top;
    }
    if (w < 0 || h < 0) return 1;

    const int depth = elSystem::GetDisplayDepth();
    const int bytes = depth == 16 ? 2 : depth == 32 ? 4 : 3;
    Plane source, dest, back;
    if (!LockPlane(elDraw::ObjectSurface(kFontBuffer), bytes, source)) return 0;
    if (!LockPlane(elDraw::ObjectSurface(kFontObject), bytes, dest)) {
        UnlockPlane(source);
        return 0;
    }
    if (!LockPlane(elDraw::BackSurface, bytes, back)) {
        UnlockPlane(dest);
        UnlockPlane(source);
        return 0;
    }

    // Everything that survives the cut to the surfaces fits in an int.
    auto bounded = [](long long v) { return static_cast<int>(std::clamp(v, -(1LL << 28), 1LL << 28)); };
    Reduction r{bounded(px), bounded(py), bounded(psx), bounded(psy), bounded(w), bounded(h)};
    if (CutToPlanes(r, source, dest, back)) {
        const PixelFormatInfo& p = PixelFormat;
        if (bytes == 2) {
            Reduce<2>(r, source, dest, back, {{p.red5Shift, p.green5Shift, p.blue5Shift}, 31});
        } else if (bytes == 4) {
            Reduce<4>(r, source, dest, back, {{p.redShift, p.greenShift, p.blueShift}, 255});
        } else {
            Reduce<3>(r, source, dest, back, {{0, 8, 16}, 255});
        }
    }
    UnlockPlane(back);
    UnlockPlane(dest);
    UnlockPlane(source);
    return 1;
}

}  // namespace elText
