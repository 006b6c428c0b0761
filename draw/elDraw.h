// The graphics core: the DirectDraw screen and its surfaces, the pixel format
// and the effect tables, the object table and bitmap loading, clipping,
// drawing and presenting.
//
// Pictures live in drawing objects, one surface per slot of ObjectTable,
// addressed by slot number. Slots 0-3 are the screen's own work surfaces;
// loaders hand out slots 4-511. Every frame is drawn on the back surface and
// shown by one blit in elDraw::Present.
//
// Colours come in two kinds. GDI colours (0x00BBGGRR: red in the low byte)
// are taken by Box, SetPixel, Line and the other GDI primitives, by
// elText::SetColor and by the key functions (SetKeyColor, SetObjectKey).
// Pixel values of the back surface (16-bit 5:6:5 or 5:5:5 on a 16-bit
// display) are taken by FillBox and HalfBox; MatchColor(BackSurface,
// colour) turns a GDI colour into the back surface's pixel value, and
// PixelFormat describes the channel layout. The object loaders return the
// slot (4-511), or 0 after an error box. Files are looked up beside the
// program (elSystem::GetProgramFolder), not in the working folder.
#pragma once

#include <cstdint>

#include "platform/ddraw.h"
#include "platform/gdi.h"
#include "platform/win.h"

// ---- Screen size, clipping, pixel format and effect tables --------------------

extern int ScreenWidth;   // width in pixels the screen was opened with
extern int ScreenHeight;  // height in pixels the screen was opened with
extern plat::RECT ClipRect;  // right and bottom exclusive; cuts every object draw

// The back surface's channel layout. For 5:6:5: shifts 11, 5, 0; maxima 31,
// 63, 31; 5-bit shifts 11, 6, 0; half mask 0x7BEF; full mask 0xFFFF.
struct PixelFormatInfo {
    std::uint32_t redMask;     // bits of red in a pixel value
    std::uint32_t greenMask;   // bits of green
    std::uint32_t blueMask;    // bits of blue
    std::uint16_t redShift;    // lowest set bit of redMask
    std::uint16_t greenShift;  // lowest set bit of greenMask
    std::uint16_t blueShift;   // lowest set bit of blueMask
    std::uint32_t redMax;      // redMask >> redShift (31 or 63)
    std::uint32_t greenMax;    // greenMask >> greenShift (31 or 63)
    std::uint32_t blueMax;     // blueMask >> blueShift (31 or 63)
    std::uint16_t red5Shift;   // where a 0-31 red value goes
    std::uint16_t green5Shift; // where a 0-31 green value goes
    std::uint16_t blue5Shift;  // where a 0-31 blue value goes
    std::uint32_t halfMask;        // for 50% blends: ((a >> 1) & half) + ((b >> 1) & half)
    std::uint32_t doubleHalfMask;  // the half mask for two 16-bit pixels in one word
    std::uint32_t fullMask;        // white
};
// The back surface's channel layout, filled by elDraw::Screen.
extern PixelFormatInfo PixelFormat;

// Built by elDraw::Screen. SinTable always: entry i = trunc(360 sin(i deg)),
// i = 0..449, so entry i + 90 is the cosine. The others only on 16-bit
// displays (their contents are undefined otherwise). Channel index: 0 red,
// 1 green, 2 blue; the last index varies fastest.
extern std::int32_t SinTable[450];
extern std::uint8_t PixelSplitTable[65536][3];            // 5-bit r, g, b of a pixel
extern std::uint16_t CrossFadeTable[3][32][32][32];       // (max(0,b-a) + max(0,c-(31-a))) << 5-bit shift
extern std::uint16_t DarkenAddTable[3][32][32][32];       // min(31, max(0,b-a) + c) << 5-bit shift
extern std::uint16_t SubtractTable[3][32][32];            // max(0, b-c) << 5-bit shift
extern std::uint16_t Average3Table[94];                   // s / 3
extern std::uint8_t NoiseTable[10000];                    // elSystem::Random() % 3, in order

// ---- The object table ---------------------------------------------------------

// Slots of the object table (0-511).
constexpr int kObjectSlots = 512;
constexpr int kFirstLoadedSlot = 4;   // slots below are the screen's work surfaces
// Bytes of an object record's name buffer.
constexpr int kObjectNameSize = 32;
constexpr int kMaxObjectName = 30;    // longest name a loader accepts, in bytes

// One drawing object. A slot is taken while its name is non-empty, whether
// or not it holds a surface; "*" marks a blank object with nothing to reload.
struct ObjectRecord {
    plat::IDirectDrawSurface* surface;  // the picture, or null
    char name[kObjectNameSize];         // the name it was loaded under (empty: slot free)
    int fromPack;            // 1 when filled from a pack file
    int reloadMemory;        // memory flag used when reloading after surface loss
    int keySetting;          // GDI colour it was keyed with, or -1: its top-left pixel
    std::uint16_t width;     // width in pixels
    std::uint16_t height;    // height in pixels
};
// The drawing objects, by slot (read it; the loaders fill it).
extern ObjectRecord ObjectTable[kObjectSlots];

namespace elDraw {

// The memoryFlag argument of the loaders: where the object's surface lives.
// kDefaultMemory (2) lets the driver choose (normally video memory, fastest
// to draw); any other value asks for system memory (needed by objects the
// software effects read or write often).
constexpr int kDefaultMemory = 2;

// ---- Screen ---------------------------------------------------------------------

extern plat::IDirectDraw* DirectDraw;   // null while the screen is closed
extern plat::IDirectDrawSurface* PrimarySurface;  // the visible surface, null while closed
extern plat::IDirectDrawSurface* BackSurface;  // target of every draw
extern plat::IDirectDrawClipper* Clipper;      // window mode only
extern int HardwareDevice;  // 1 when a 3D-capable device was chosen
extern int CanStretch;      // 1 when blits can stretch (else scaled draws go through GDI)
extern plat::HDC BackDC;    // the back surface's device context while lent out
// Bits per pixel for full screen: requested, first and second fallback
// (0 = none). The requested value becomes the depth actually tried.
extern int RequestedDepth[3];
// Counts the runs of Restore. Restored objects come back blank unless they
// were loaded from a picture, so a program that composes objects itself
// compares this with the count it saw when it composed them, and composes
// them again when it has changed.
extern int RestoreCount;

// Opens DirectDraw, the surfaces, the work objects, the pixel format and the
// tables, then starts sound, music, waits and input, fonts and joysticks.
// Width -1 takes the start-up size. Memory mode 1: driver's choice except the
// font work objects; 3: also the Buffer and Screen objects in system memory;
// anything else: everything in system memory. 1, or 0 after a reported failure.
int Screen(int width, int height, int memoryMode);
// The depth the program draws in, with two full-screen fallbacks (0 = none);
// before the display check and Screen. A program that asks for 16 bits (the
// default) draws in 16-bit 5:6:5 whatever the desktop's depth, and its
// frames are converted to the desktop's format when shown; one that asks for
// 24 or 32 draws in the desktop's own format.
void SetDepths(int requested, int fallback1, int fallback2);
// Before Screen: the window opens at `scale` times the screen's size (2 gives
// a 1600 x 1200 window for an 800 x 600 screen); 0 (the default) lets the
// platform choose. The player can still resize the window afterwards.
void SetWindowScale(int scale);
// How a window larger than the screen shows it: 0 (the default) the largest
// whole multiple that fits, centred on black; 1 as large as fits keeping the
// aspect ratio. Both sample the nearest pixel. May be called at any time.
void SetScaleFill(int fill);
// Brings every surface back after a loss and reloads every loaded object.
void Restore();
// Releases every surface and DirectDraw (elSystem::Quit calls it).
void Close();
// Lends the back surface's device context out as BackDC for GDI calls of the
// program's own; DD_OK (0) or the failure code. Give it back with
// ReleaseBackDC before drawing objects or presenting.
plat::HRESULT GetBackDC();
// Gives BackDC back; DD_OK (0) or the failure code.
plat::HRESULT ReleaseBackDC();

// ---- Objects ----------------------------------------------------------------------

// A name is tried as a resource named by the full path, as a file under the
// program folder, and as a resource named by itself. Slot, or 0 after a
// reported failure.
int LoadObject(const char* name, int memoryFlag);
// A blank object (contents undefined); slot, or 0 after a reported failure.
int CreateObject(int width, int height, int memoryFlag);
// Refills a slot in place; 1, or 0 after a failure.
int SwapObject(const char* name, int slot, int memoryFlag);
// Frees a slot that holds a surface; a slot without one stays as it is.
void ReleaseObject(int slot);
// Default key of new objects: a GDI colour, or (corner mode) each object's
// own top-left pixel.
void SetKeyColor(int colour);
// Default key of new objects: each object's own top-left pixel.
void SetKeyCorner();
// The default key as a whole (colour and corner mode), so that a reload that
// keys each object with its own setting can put the program's back after.
struct KeyDefault {
    int colour;  // GDI colour of SetKeyColor
    int corner;  // 1 after SetKeyCorner, 0 after SetKeyColor
};
// The default key now.
KeyDefault GetKeyDefault();
// Puts back a default key GetKeyDefault returned.
void SetKeyDefault(KeyDefault key);
// Keys slot `slot` with the GDI colour `colour` (-1: its top-left pixel).
// DD_OK (0), or DDERR_INVALIDOBJECT for a slot without a surface.
plat::HRESULT SetObjectKey(int slot, int colour);
// Keys slot `slot` with its own top-left pixel (SetObjectKey(slot, -1)).
plat::HRESULT SetObjectKeyCorner(int slot);
// Gives `destSlot` the key of `sourceSlot`. DD_OK (0) or a failure code.
plat::HRESULT CopyObjectKey(int destSlot, int sourceSlot);

// The record of a slot, or null outside 0-511.
ObjectRecord* Object(int slot);
// The surface of a slot, or null when the slot is out of range or empty.
plat::IDirectDrawSurface* ObjectSurface(int slot);

// ---- Building blocks shared by the loaders (objects, packs, restore) ------------
// Internal: the library's loaders use these; a game calls the loaders above.

// A new plain surface of the given size with the loaders' memory placement.
plat::IDirectDrawSurface* CreatePlainSurface(int width, int height, int memoryFlag);
// Loads a bitmap (resource named by path, else the file) into a new surface
// of its size; null when neither exists or the surface cannot be made.
plat::IDirectDrawSurface* LoadBitmapSurface(const char* path, int* width, int* height,
                                            int memoryFlag);
// Restores the surface and copies the bitmap (from x, y; width/height 0 = the
// bitmap's own) stretched over the whole surface. Returns the GetDC result.
plat::HRESULT CopyBitmapToSurface(plat::IDirectDrawSurface* surface, plat::HBITMAP bitmap, int x,
                                  int y, int width, int height);
// The surface's pixel value for a GDI colour; -1 gives the top-left pixel's
// own value. 0xFFFFFFFF when the surface cannot be locked.
plat::DWORD MatchColor(plat::IDirectDrawSurface* surface, int colour);
// Source colour key of exactly the matched colour.
plat::HRESULT SetSurfaceKey(plat::IDirectDrawSurface* surface, int colour);
// Keys a slot's new surface with the default key and records the key.
void KeyNewObject(int slot);
// Writes a slot's name, cut to the record's size.
void SetObjectName(int slot, const char* name);

// ---- Bitmap packs -------------------------------------------------------------------
// A pack holds many pictures, already cut to 15-bit colour, under their
// upper-case file names (draw/pack_format.h). Lookups ignore case and the
// first entry of a name wins. When surfaces are restored, every pack object
// is reloaded from the pack it was filled from, whichever pack is set then.
// Names are at most 30 characters, as for LoadObject; an empty name finds
// no entry.

// Chooses the pack (a name under the program folder); returns its full path.
const char* SetPackFile(const char* name);
// A new object filled from the entry `name`; slot, or 0 after a reported failure.
int LoadPack(const char* name, int memoryFlag);
// Refills `slot` (4-511) from the entry `name`, at the entry's size; the
// slot, or 0 after a failure (the slot keeps its picture when the entry
// cannot be found).
int SwapPack(const char* name, int slot, int memoryFlag);
// Refills a pack object from the pack it was filled from, under the name in
// its record (Restore); the slot, or 0 after a failure. The pack set by the
// program stays set.
int ReloadPackObject(int slot, int memoryFlag);
// Appends an entry for every BMP file of `folder` (under the program folder;
// empty: the program folder itself) to the pack, first deleting the pack
// when deleteFlag is set. Needs a display deeper than 16 bits. 1, or 0
// after a reported failure (the pack is then left as it was).
int Convert(const char* pack, const char* folder, int deleteFlag);

// ---- Drawing and presenting ----------------------------------------------------------

// Present state read by input and the main loop.
extern int WipeCounter;    // 0 none, 1-10 the wipe frame shown by this present
extern int WipeDirection;  // +1, -1 or 0
extern int PanelShown;     // the scroll panel is drawn by present
// Clip wipe state: above 0 while a clip wipe runs; the rectangle it saved.
extern int ClipWipeState;
extern plat::RECT ClipWipeSaved;  // the ClipRect a running clip wipe put aside

// Sets ClipRect, the rectangle every object draw is cut to (screen pixels,
// right and bottom exclusive).
void SetClip(int left, int top, int right, int bottom);
// Fills: not cut to ClipRect; they return the Blt result (DD_OK, 0, on success).
// Fills the back surface with black (pixel value 0).
int Clear();
// Fills object `slot` with pixel value 0; DDERR_INVALIDOBJECT outside 0-511.
int ClearObject(int slot);
// Fills the rectangle of the back surface with black.
int ClearBox(int left, int top, int right, int bottom);
// A black frame one pixel wide on the rectangle's edges.
int FrameBox(int left, int top, int right, int bottom);
// Fills the back surface with white.
int ClearWhite();
// Fills the rectangle of the back surface with white.
int WhiteBox(int left, int top, int right, int bottom);
// Fills the rectangle with a pixel value of the back surface (its low 16
// bits; see MatchColor), not a GDI colour.
int FillBox(int left, int top, int right, int bottom, int colour);
// Object draws of the source rectangle (sx, sy, ex, ey) at (x, y), cut to
// ClipRect; keyed draws leave the object's key colour transparent.
void Draw(int x, int y, int slot, int sx, int sy, int ex, int ey);
// As Draw, without the key: every pixel is copied.
void DrawSolid(int x, int y, int slot, int sx, int sy, int ex, int ey);
// As Draw, onto object `destSlot` instead of the back surface.
void DrawToObject(int destSlot, int x, int y, int slot, int sx, int sy, int ex, int ey);
// As DrawSolid, onto object `destSlot`.
void DrawSolidToObject(int destSlot, int x, int y, int slot, int sx, int sy, int ex, int ey);
// As Draw, stretched to width x height pixels.
void DrawScaled(int x, int y, int slot, int sx, int sy, int ex, int ey, int width, int height);
// As DrawSolid, stretched to width x height pixels.
void DrawScaledSolid(int x, int y, int slot, int sx, int sy, int ex, int ey, int width, int height);
// Copies a rectangle of the back surface to (0, 0) of the object.
void CopyScreen(int slot, int left, int top, int right, int bottom);
// Completes the frame (wipe, panel), waits for the vertical blank when
// enabled, and shows the back surface.
void Present();
// 1 makes Present wait for the vertical blank, 0 not.
void SetVSync(int flag);
// Loads the tiled wipe's pattern picture (keyed black); its slot, or 0 after
// a reported failure.
int LoadWipePattern(const char* name);
// Starts the tiled wipe that covers the screen over 10 frames; when it ends
// SceneNumber becomes NextSceneNumber.
void WipeForward();
// Starts the tiled wipe that uncovers the screen over 10 frames.
void WipeBackward();
// Loads the scroll panel's page and background pictures (keyed black);
// `contentHeight` is the page's height in pixels to scroll through.
void SetPanel(const char* page, const char* background, int contentHeight);
// Shows the scroll panel, or hides it when shown (nothing without SetPanel).
void TogglePanel();

// More present state (the wipe pattern and the scroll panel).
extern int VSync;                 // 1 while Present waits for the vertical blank
extern int WipePatternSlot;       // slot of the wipe pattern (0: none)
extern int PanelPageSlot;         // slot of the panel's page (0: none)
extern int PanelBackgroundSlot;   // slot of the panel's background
extern float PanelScroll;         // the panel's scroll position in pixels
extern int PanelContentHeight;    // the page height of SetPanel
extern float PanelOffsetX;        // the panel's x offset in pixels
extern float PanelOffsetY;        // the panel's y offset in pixels

}  // namespace elDraw

// ---- Raster draws and clip wipes ---------------------------------------------------

namespace elDraw {

// Animated row draws, meant to be called once per frame. Each keeps its own
// phase or offsets (advanced by FrameDelta at the end of the call), shared by
// every picture drawn with it. Speeds are per second. A wave phase turns
// back by a full turn at 360 degrees; one carried below 0 by a negative
// speed (or a roll's phase carried out of its rows) is kept as it is for
// hundreds of turns and only then taken to its remainder.
// Rows drawn with a horizontal cosine wobble; with alternate set, successive
// rows (and calls) swing opposite ways.
void DrawWave(int x, int y, int amplitude, int divisor, float speed, int slot, int sx, int sy, int ex,
              int ey, int alternate);
// The rectangle tiled over the whole screen, scrolling.
void DrawTiled(float speedX, float speedY, int slot, int sx, int sy, int ex, int ey);
// Wobbling rows that also scroll upward through the rectangle.
void DrawWaveScroll(int x, int y, int amplitude, int divisor, float waveSpeed, float scrollSpeed, int slot,
                    int sx, int sy, int ex, int ey);
// A full-width wavy band between screen rows top and bottom.
void DrawWaveTiled(int top, int bottom, int amplitude, int divisor, float waveSpeed, float scrollSpeed,
                   int slot, int sx, int sy, int ex, int ey);
// Every block-th row repeated block times (block <= 0 draws nothing).
void DrawBlockRows(int x, int y, int block, int slot, int sx, int sy, int ex, int ey);
// Every step-th row; a negative step takes random gaps of 1 to -step.
void DrawSkipRows(int x, int y, int step, int slot, int sx, int sy, int ex, int ey);
// Each row moved sideways at random within +-range: one rand() for every
// row of the rectangle from sy, also for rows outside the object.
void DrawShake(int x, int y, int range, int slot, int sx, int sy, int ex, int ey);
// The picture rolled like a drum (solid); direction 0 rolls upward.
void DrawRoll(int x, int y, int direction, float speed, int slot, int sx, int sy, int ex, int ey);
// Mirrored draw on 16-bit surfaces (mode 0 none, 1 left-right, 2 upside
// down, 3 both); pixel value 0 is transparent. 0 when a lock failed.
int DrawMirror(int x, int y, int mode, int slot, int sx, int sy, int ex, int ey);
// Puts every phase and offset of the draws above back to its start (sign +1).
void ResetRasterAnimations();

// Clip wipes animate ClipRect. ClipWipeState: 0 idle, 1 opening, 2 closing,
// -1 closed (ClipWipeSaved holds the full rectangle).
extern int ClipWipeClosing;
extern int ClipWipeType;    // 1-9
extern float ClipWipeSpeed; // pixels per second
extern int ClipWipeBand;    // band size of types 8 and 9
extern int ClipWipeOpened;  // set when an opening wipe has finished
extern int ClipWipeClosed;  // set when a closing wipe has finished
// Type 0 picks one at random. 0 while a wipe runs (or for an unknown type).
int StartWipe(int closing, int type, float speed, int band);
// Call once per frame before drawing; 0 when no wipe runs.
int StepClipWipe();
// Collapses the clip at once; the next StartWipe puts the full rectangle back.
void CloseClip();

}  // namespace elDraw
