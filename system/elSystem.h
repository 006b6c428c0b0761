// The application frame: window, frame loop and scene selection, frame timing
// and waits, error boxes and debug log, display checks and system queries.
//
// Texts passed to and returned by the library are Shift-JIS.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win.h"
#include "system/random.h"  // SeedRandom and Random: the effects' random numbers

// ---- Shared values of the application frame --------------------------------

extern float FrameDelta;         // seconds between the starts of the last two frames (0 on the first)
extern int SceneNumber;          // scene run by each frame: the number of a Program's Scene (0: none)
extern int NextSceneNumber;      // scene taken when a forward wipe ends
extern int SceneChanged;         // 1 during the first frame of a new scene, else 0
extern int BlinkOn;              // 1 for 1000 ms, then 0 for 200 ms, in turn (for blinking texts)
extern int AppActive;            // 1 while the application is the active one, else 0
extern plat::HWND MainWindow;    // the one window (null before Startup makes it)
extern int ErrorFlag;            // 1 once ReportError ran, cleared (0) by elDraw::Screen
extern char ProgramFolder[256];  // folder of the program file, trailing '\' (see GetProgramFolder)
extern char BaseFolder[256];     // redirection folder without trailing '\', empty when none (ReadBaseFolder)

// Shows the error box "context : message" under the caption "エラー発生",
// beeps, sets ErrorFlag and returns 0.
int ReportError(const char* context, const char* message);
// ReportError for a file that could not be used: the box is the same, and one
// line for the programmer goes to the debug output (standard error; on
// Windows also the trace and the debug log DEBUG.TXT): the box's text, the
// file tried, the folder it was looked up in and the reason. `problem` is
// the reason when the caller knows it; null asks the system why the file
// cannot be opened, or says that it opens but its contents cannot be used.
// Returns 0.
int ReportFileError(const char* context, const char* message, const char* path,
                    const char* problem = nullptr);
// The programmer's line of ReportFileError alone, for a file whose absence
// the program is not stopped for (no box, ErrorFlag unchanged).
void NoteFileProblem(const char* context, const char* message, const char* path,
                     const char* problem = nullptr);

namespace elSystem {

// ---- Start-up configuration and frame state ---------------------------------

// WindowOptions bit 1: keeps the window out of the topmost band.
constexpr int kOptionNotTopmost = 1;
// WindowOptions bit 2: keeps frames running while the window is inactive.
constexpr int kOptionRunInactive = 2;
// WindowOptions bit 4: creates the window hidden.
constexpr int kOptionHidden = 4;

extern int FullScreen;        // 1 = exclusive full screen, 0 = a window (the default; set in configure)
extern int ForcedWindow;      // 1 = captionless window covering the display
extern int WindowOptions;     // the kOption* bits, or-ed (3 by default; set in configure)
extern int StartWidth;        // width in pixels the window is built for (800 by default)
extern int StartHeight;       // height in pixels the window is built for (600 by default)
extern int CursorClipOption;  // 1 keeps the cursor clipped to the client area
extern int ClosingState;      // 0 running, 1 asked to close, 2 shutdown done
extern int MessageBoxOpen;    // 1 while a box of the library is shown (frames see no cursor change)
extern int CursorShown;       // 1 while the mouse cursor is shown, 0 while hidden over the window
extern plat::POINT ClientOrigin;     // desktop position in pixels of the window's client area
extern plat::RECT ClientRect;        // desktop rectangle of the client area (the screen's size)
extern std::uint32_t LastFrameTime;  // timeGetTime in ms at the start of the last frame

// A program built on the library: its window title, the set-up that opens
// the screen and loads the first scene, and the frame function of each scene
// number. The game and the test programs each describe themselves this way.
// One scene of a Program: the frame function run while SceneNumber is `number`.
struct Scene {
    int number;                   // the SceneNumber that selects it (not 0)
    std::function<void()> frame;  // draws one frame; ends with elDraw::Present
};
// A program: title, set-up and scenes, handed to Run.
struct Program {
    const char* title = "";            // Shift-JIS window title; also names the one-instance lock
    std::function<void()> init;        // runs after the window exists
    std::vector<Scene> scenes;         // the frame functions, by scene number
    // Applied after the start-up defaults and before the window is created.
    std::function<void()> configure;
};

// The whole entry point: start-up, loop, shutdown. Returns the exit code:
// 0 for a program that ended normally (or found another instance running),
// 1 for one that ended after a reported error (a set-up that failed, or
// QuitIfError) or could not make its window.
int Run(const Program& program, const char* commandLine, int showCommand);
// Set by QuitIfError when it ends the program; Run's exit code is then 1.
extern int QuitAfterError;
// Start-up up to the loop; false when the program must end at once (second
// instance, no window, or a set-up that failed and was reported).
bool Startup(const Program& program, const char* commandLine, int showCommand);
// One pass of the loop: a message, or a frame when none is waiting. Returns
// false once the quit message has been retrieved.
bool LoopPass();
// Runs one frame directly (what LoopPass does when the queue is empty).
void RunFrame();

// Internal (called by Startup; a game does not call it): puts every value of
// the application frame back to its start-up default.
void ResetState();
// Internal (called by Startup): takes the one-instance lock named after
// `title`. 1 when taken; 0 when another copy holds it (that copy's window is
// brought to the front).
int LockInstance(const char* title);
// Internal: the window procedure of the one window (system messages, input,
// activation, closing). Returns the message's result.
plat::LRESULT WndProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                      plat::LPARAM lParam);
// Internal (the window procedure calls it): sets AppActive to `flag` (1 or 0).
void SetActive(int flag);
// Ends the program in order: frees fonts, sound and the screen, gives back
// the one-instance lock and closes the window, so the loop ends after the
// current frame. A second call does nothing. Returns 1.
int Quit();
// Makes the next frame count as the first of a new scene (scene set-ups call
// it after choosing their scene number).
void ForgetPreviousScene();

// ---- Frame timing and waits ---------------------------------------------------

// Starts frame timing afresh: FrameDelta becomes 0 and the next frame
// measures from now (after a long pause such as a box or a load).
void ResetFrameTimer();
// Sets FrameDelta to the seconds since the last call and restarts the
// measure (the loop calls it for each frame).
void UpdateFrameDelta();
// Arms wait slot `number` (1-10) to be reached `ms` milliseconds from now.
// 1; 0 after the error box "ウェイトNoが範囲外です" for a number outside 1-10.
int SetWait(int number, int ms);
// Disarms wait slot `number` (1-10): CheckWait reads 0 until it is set again.
// 1; 0 after the error box for a number outside 1-10.
int InitWait(int number);
// 1 once the time set by SetWait for slot `number` (1-10) has come, else 0
// (also 0 for a disarmed slot or a number outside 1-10; no box).
int CheckWait(int number);
// Blocks for `ms` milliseconds (no frames run), then resets the frame timer.
void Wait(int ms);
// Disarms every wait slot, ends a key capture and the Alt mode, and clips
// the cursor again in full screen. Returns 1.
int ResetInput();

// ---- Boxes and debug log --------------------------------------------------------

// Shows a box with the printf-formatted Shift-JIS text (cut to 257 bytes)
// and an OK button, and waits until it is closed.
void ShowMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Shows a Yes/No box with the printf-formatted Shift-JIS text; 1 for Yes, 0 for No.
int AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends the printf-formatted text and "\r\n" to DEBUG.TXT in the working
// folder (nothing when it cannot be opened).
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// 1 while ErrorFlag is set (after a reported error), else 0.
int HasError();
// Ends the program (Quit) when an error has been reported; returns ErrorFlag.
// A program ended this way exits with status 1 (see Run).
int QuitIfError();
// Internal. Set by the screen while it is open: brings the desktop's own
// surface to the front so a box can be seen over a full-screen display.
extern void (*FlipToGdi)();

// ---- Display checks and system queries ------------------------------------------

// Checks, for a windowed program, that the desktop has at least the colour
// depth the screen asks for; if not, explains it in a box and asks whether
// to switch to full screen. `settings` names a value file (SaveValue) that
// records the choice, "*" asks without recording, "" or null does not ask.
// 1 to go on (FullScreen may now be 1); 0 when the program is ending (Quit ran).
int CheckDisplay(const char* settings);
// 1 when the program runs in a window, 0 in full screen.
int IsWindowed();
// Bits per pixel of the desktop (for example 16 or 32).
int GetDisplayDepth();
// The folder of the program file, Shift-JIS with a trailing '\': where the
// library looks up pictures, waves, packs and value files. `redirect` 1
// gives BaseFolder with the program folder's own name instead, when a base
// folder was read (ReadBaseFolder). Points into ProgramFolder.
const char* GetProgramFolder(int redirect);
// Reads the first line of the file `name` in the Windows folder into
// BaseFolder (see GetProgramFolder). 1 when read; 0 when there is no such
// file (BaseFolder is then "").
int ReadBaseFolder(const char* name);
// Writes `value` as decimal text to the file `name` in the program folder
// (GetProgramFolder(1)). Failures are silent.
void SaveValue(const char* name, int value);
// The value SaveValue wrote to `name`; 0 when the file is missing or unreadable.
int LoadValue(const char* name);
// The program's command line without its name, Shift-JIS (at most 255 bytes).
const char* GetCommandLine();
// Today's local date: year (e.g. 2026), month 1-12, day 1-31 and the day of
// the week as one Shift-JIS character ("日" to "土") with its NUL in
// `weekday` (3 bytes). Null pointers are skipped.
void GetDate(int* year, int* month, int* day, char* weekday);
// The local time: hour 0-23, minute 0-59, second 0-59. Null pointers are skipped.
void GetTime(int* hour, int* minute, int* second);
// Free bytes on drive `letter` ('C' ...), as a 32-bit product that wraps on
// large drives; 0 when the drive cannot be read.
std::int32_t GetFreeDisk(char letter);
// Free physical memory in bytes.
std::uint64_t GetFreeMemory();
// The system's version code (see VersionCode), -1 when unknown.
int GetOSVersion();
// Turns the input method on (1) or off (0) for the window; the system's result.
int EnableIME(int flag);
// Moves the mouse cursor to (x, y) in client pixels. Non-zero on success.
int SetMousePos(int x, int y);
// Keeps the cursor inside the desktop rectangle (pixels, right and bottom
// exclusive). Non-zero on success.
int ClipCursorRect(int left, int top, int right, int bottom);
// Keeps the cursor on the screen (the client area in a window).
void ClipCursorToScreen();
// Lets the cursor move freely again. Non-zero on success.
int ReleaseCursor();
// 1 while the cursor is kept in a rectangle, else 0.
int IsCursorClipped();

// Version code of a platform identifier and version numbers (the rule behind
// GetOSVersion, exposed so it can be checked for every Windows family):
// 310 for Win32s (platform 0); 950 / 980 for Windows 95 / 98 and major x 100
// + minor for other 9x versions (platform 1); 2000 for Windows 2000/XP and
// major x 1000 + minor x 10 for later NT versions (platform 2); -1 otherwise.
int VersionCode(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);

}  // namespace elSystem
