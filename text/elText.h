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

#include "platform/gdi.h"

namespace elText {

// ---- State ----------------------------------------------------------------------

// One face of the font list and its character set.
struct FontListEntry {
    char name[36];
    plat::BYTE charSet;
};
constexpr int kFontListSize = 200;
extern FontListEntry FontList[kFontListSize];
extern int FontCount;  // filled entries

// The font description every font operation edits and creates its font
// from; fields an operation does not set keep the value of the previous call.
extern plat::LOGFONTA FontDescription;
extern int FontHeight;  // height of the last font made

// The font made by the last font operation, the font it replaced, and the
// device context it is selected into; all null when no
// font is held.
extern plat::HFONT CurrentFont;
extern plat::HGDIOBJ PreviousFont;
extern plat::HDC TextDC;

// The colours of the last SetColor (0x00BBGGRR).
extern plat::COLORREF TextColor;
extern plat::COLORREF BackColor;

// 1 normally; the font sprite text clears it for one render that is kept in
// the Font object instead of being drawn.
extern int DrawImmediately;

// The frame-rate figures of ShowFps.
struct FrameRateState {
    int frames = 0;              // counted since the last sample, at most 999
    unsigned int nextSample = 0; // timeGetTime of the next sample
    float current = 0.0f;
    float highest = 0.0f;
    float lowest = 999.9f;
    char text[64] = {};
};
extern FrameRateState FrameRate;

// Face selectors: 0 "標準明朝" (serif), 1 "標準ゴシック" (sans-serif); any other
// value keeps the face of the previous call. Weight selector: 0 normal (400),
// 1 bold (700), other values the default weight.
constexpr int kFaceSerif = 0;
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
void ReleaseFont();
// Fonts of height 2 x size, normal weight, upright, selected into the Font
// buffer object (slot 3) for the smoothed font sprite text.
void SetWorkFont(int face, int size);
void SetWorkFontName(const char* face, int size);
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

}  // namespace elText
