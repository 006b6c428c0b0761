// GDI text on the back surface: fonts, colours, text in boxes, the standard
// style of Print and Printf, the frame-rate line, and the list of installed
// font faces.
//
// Calling order: a font operation (SetFont, SetFontName; SetWorkFont,
// SetWorkFontName for the Font buffer object), then SetColor, then any
// number of Draw, DrawBox or MeasureBox, then the matching release, all in
// one frame. While a font is held the surface's device context is taken:
// the surface cannot be locked or blitted until the release. Print, Printf
// and ShowFps do the whole sequence themselves.
//
// Texts are Shift-JIS.
#pragma once

#include "platform/ddraw.h"
#include "platform/gdi.h"

namespace elText {

// ---- State ----------------------------------------------------------------------

// One face of the font list and its character set.
struct FontListEntry {
    char name[36];       // the face name, Shift-JIS with its zero byte
    plat::BYTE charSet;  // the face's character set (128 Shift-JIS, 0 ANSI, ...)
};
// Entries of FontList.
constexpr int kFontListSize = 200;
// The installed faces EnumFonts found; the first FontCount entries are filled.
extern FontListEntry FontList[kFontListSize];
extern int FontCount;  // filled entries

// The font description every font operation edits and creates its font
// from; fields an operation does not set keep the value of the previous call.
extern plat::LOGFONTA FontDescription;
extern int FontHeight;  // height of the last font made

// The font made by the last font operation, the font it replaced, and the
// device context it is selected into; all null when no
// font is held.
extern plat::HFONT CurrentFont;    // the font held, or null
extern plat::HGDIOBJ PreviousFont;  // the font it replaced in TextDC, or null
extern plat::HDC TextDC;            // the device context the font is selected into, or null

// The colours of the last SetColor (0x00BBGGRR).
extern plat::COLORREF TextColor;  // text colour of the last SetColor (GDI 0x00BBGGRR)
extern plat::COLORREF BackColor;  // background colour of the last SetColor (GDI 0x00BBGGRR)

// 1 normally; the font sprite text clears it for one render that is kept in
// the Font object instead of being drawn.
extern int DrawImmediately;

// The frame-rate figures of ShowFps.
struct FrameRateState {
    int frames = 0;              // counted since the last sample, at most 999
    unsigned int nextSample = 0; // timeGetTime of the next sample
    float current = 0.0f;        // frames per second of the last sample
    float highest = 0.0f;        // highest sample so far
    float lowest = 999.9f;       // lowest sample so far
    char text[64] = {};          // the line ShowFps prints
};
// The frame-rate figures ShowFps keeps.
extern FrameRateState FrameRate;

// Face selectors: 0 "標準明朝" (serif), 1 "標準ゴシック" (sans-serif); any other
// value keeps the face of the previous call. Weight selector: 0 normal (400),
// 1 bold (700), other values the default weight.
constexpr int kFaceSerif = 0;
// Face selector 1: "標準ゴシック" (sans-serif).
constexpr int kFaceSansSerif = 1;

// ---- Operations -------------------------------------------------------------------

// Clears the font description and fills the font list with the first 200
// faces of the back surface; returns the number listed. Called by the
// screen set-up.
int EnumFonts();
// Gives back a font still held and clears the description; called at shutdown.
void FreeFonts();

// Makes the font (angle in degrees, counter-clockwise) and selects it into
// the back surface's device context. A font still held is released first.
void SetFont(int face, int height, int angle, int weight, int italic, int underline);
// As SetFont with a face given by name (at most 31 bytes are kept); the
// character set is the listed face's, or Shift-JIS for faces not listed.
void SetFontName(const char* face, int height, int angle, int weight, int italic, int underline);
// Gives back the font of SetFont / SetFontName and the device context it held.
void ReleaseFont();
// Fonts of height 2 x size, normal weight, upright, selected into the Font
// buffer object (slot 3) for the smoothed font sprite text.
void SetWorkFont(int face, int size);
// As SetWorkFont with a face given by name.
void SetWorkFontName(const char* face, int size);
// Gives back the font of SetWorkFont / SetWorkFontName.
void ReleaseWorkFont();

// Text and background colour; background transparent when the flag is
// non-zero, else the text stands on a box of the background colour.
void SetColor(plat::COLORREF text, plat::COLORREF background, int transparent);
// The text with its top-left corner at (x, y).
void Draw(int x, int y, const char* text);
// The text word-wrapped in the rectangle; alignment 0 left, 1 centre,
// 2 right; any other value draws nothing. '&' is drawn as itself.
void DrawBox(int left, int top, int right, int bottom, const char* text, int alignment);
// Height in pixels the word-wrapped text needs in a rectangle that wide.
int MeasureBox(int left, int top, int right, int bottom, const char* text);

// Text at (x, y) in the standard style: the sans-serif face 12 pixels high,
// white on dark blue (0x800000).
void Print(int x, int y, const char* text);
// Formats with printf rules into 260 bytes (longer results are cut), then
// as Print.
void Printf(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
// Called once per frame: counts frames, samples the rate every 2 seconds and
// prints "current fps ( max highest / min lowest )" at (0, 0).
void ShowFps();

// ---- Font sprite text ------------------------------------------------------------
//
// Word-wrapped Shift-JIS text laid out in a rectangle, rendered into the
// Font object (slot 2) and drawn from there, keyed on pixel value 0, onto
// the back surface. A character that passes the right limit moves to the
// next line unless it may not start a line ("、", "。", closing brackets,
// spaces...): then it hangs past the limit. Every character drawn gets a box,
// so that RevealText can uncover the text one character at a time.
//
// Layout flags: bits 0-7 extra line spacing (font pixels), 0x100 shadow in
// the background colour of SetColor, one right and one down; 0x200 thicken
// one pixel to the right; 0x400 thicken one pixel down.

// Layout flag: a shadow in the background colour, one pixel right and down.
constexpr int kFlagShadow = 0x100;
// Layout flag: thickens the strokes one pixel to the right.
constexpr int kFlagThickenRight = 0x200;
// Layout flag: thickens the strokes one pixel down.
constexpr int kFlagThickenDown = 0x400;

// One box in screen pixels, right and bottom exclusive.
struct CharBox {
    int left;    // left edge
    int top;     // top edge
    int right;   // right edge (exclusive)
    int bottom;  // bottom edge (exclusive)
};
// Entry 0 bounds all text of the last render (left and top are its start);
// entries 1 to BoxCount - 1 are the characters drawn, in order. A render
// holds at most kBoxTableSize - 1 characters; longer texts stop there.
constexpr int kBoxTableSize = 3200;
extern CharBox BoxTable[kBoxTableSize];  // the boxes of the last render (see above)
extern int BoxCount;                     // entries of BoxTable in use (1 + characters)
// Reveal state, reset by every render.
extern int RevealedCount;  // characters RevealText has uncovered
extern float RevealTimer;  // seconds since the last character was uncovered
// The character being laid out (one or two bytes and a zero).
extern char CurrentChar[3];

// Whether a one- or two-byte character may not start a line.
bool IsLineStartForbidden(const char* character);

// Between SetFont (or SetFontName) and ReleaseFont, after SetColor: renders
// with the current font at screen size into the Font object and draws it.
// The caller's font is given up and taken again, so its release stays valid.
// Text colours whose channels are all below 16 become 0x101010 (0 is the
// transparent key). A character too wide for a whole line ends the layout
// (it would fit on no line). Boxes beyond the int range are held at its
// bounds.
void SpriteText(int left, int top, int right, int bottom, const char* text, int flags);
// Renders only, for RevealText.
void PrepareSpriteText(int left, int top, int right, int bottom, const char* text, int flags);
// Between SetWorkFont (or SetWorkFontName) and ReleaseWorkFont: each line is
// drawn at double size in the Font buffer (slot 3) and reduced to half with
// its edges blended into the back surface's current pixels. Spacing flags
// count double-size pixels.
void SmoothText(int left, int top, int right, int bottom, const char* text, int flags);
// Renders only, for RevealText (as SmoothText).
void PrepareSmoothText(int left, int top, int right, int bottom, const char* text, int flags);
// Once per frame after a Prepare render: draws the characters uncovered so
// far and uncovers one more each `interval` seconds of FrameDelta; with
// interval 0 (or NaN or infinity, which never come round) draws everything.
// 1 once all is shown, else 0. After a surface loss (elDraw::RestoreCount
// changed) the text is first rendered again into the Font object with the
// font and colours it was made with; the reveal goes on where it was.
int RevealText(float interval);
// Reduces the double-size rectangle (sx, sy)-(ex, ey) of the Font buffer to
// half size at (x, y) of the Font object, cut to ClipRect and to the three
// surfaces. 1, or 0 when a surface cannot be locked.
int SmoothLine(int x, int y, int sx, int sy, int ex, int ey);

// Internal: makes the font of the description and selects it into the
// surface's device context (as SetFont does once the description is built).
void HoldFont(plat::IDirectDrawSurface* surface);
// Internal: the surface the held font's device context belongs to, or null.
plat::IDirectDrawSurface* HeldFontSurface();

}  // namespace elText
