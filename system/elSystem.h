// The application frame: window, frame loop and scene selection, frame timing
// and waits, error boxes and debug log, display checks and system queries.
//
// Texts passed to and returned by the library are Shift-JIS.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win.h"

// ---- Shared values of the application frame --------------------------------

extern float FrameDelta;         // seconds between the starts of the last two frames
extern int SceneNumber;          // scene run by each frame
extern int NextSceneNumber;      // scene taken when a forward wipe ends
extern int SceneChanged;         // 1 during the first frame of a new scene
extern int BlinkOn;              // 1 for 1000 ms, then 0 for 200 ms
extern int AppActive;            // 1 while the application is the active one
extern plat::HWND MainWindow;    // the one window
extern int ErrorFlag;            // set by ReportError, cleared by elDraw::Screen
extern char ProgramFolder[256];  // folder of the program file, trailing '\'
extern char BaseFolder[256];     // optional redirection folder, no trailing '\'

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

namespace elSystem {

// ---- Start-up configuration and frame state ---------------------------------

// Window options: bit 1 keeps the window out of the topmost band, bit 2 keeps
// frames running while inactive, bit 4 creates the window hidden.
constexpr int kOptionNotTopmost = 1;
constexpr int kOptionRunInactive = 2;
constexpr int kOptionHidden = 4;

extern int FullScreen;        // 1 = exclusive full screen
extern int ForcedWindow;      // 1 = captionless window covering the display
extern int WindowOptions;
extern int StartWidth;        // size the window is built for
extern int StartHeight;
extern int CursorClipOption;  // 1 keeps the cursor clipped to the client area
extern int ClosingState;      // 0 running, 1 asked to close, 2 shutdown done
extern int MessageBoxOpen;
extern int CursorShown;
extern plat::POINT ClientOrigin;
extern plat::RECT ClientRect;
extern std::uint32_t LastFrameTime;

// A program built on the library: its window title, the set-up that opens
// the screen and loads the first scene, and the frame function of each scene
// number. The game and the test programs each describe themselves this way.
struct Scene {
    int number;
    std::function<void()> frame;
};
struct Program {
    const char* title = "";            // Shift-JIS window title
    std::function<void()> init;        // runs after the window exists
    std::vector<Scene> scenes;
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

void ResetState();
int LockInstance(const char* title);
plat::LRESULT WndProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                      plat::LPARAM lParam);
void SetActive(int flag);
int Quit();
// Makes the next frame count as the first of a new scene (scene set-ups call
// it after choosing their scene number).
void ForgetPreviousScene();

// ---- Frame timing and waits ---------------------------------------------------

void ResetFrameTimer();
void UpdateFrameDelta();
int SetWait(int number, int ms);
int InitWait(int number);
int CheckWait(int number);
void Wait(int ms);
int ResetInput();

// ---- Boxes and debug log --------------------------------------------------------

void ShowMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
int AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// 1 while ErrorFlag is set (after a reported error), else 0.
int HasError();
// Ends the program (Quit) when an error has been reported; returns ErrorFlag.
// A program ended this way exits with status 1 (see Run).
int QuitIfError();
// Set by the screen while it is open: brings the desktop's own surface to the
// front so a box can be seen over a full-screen display.
extern void (*FlipToGdi)();

// ---- Display checks and system queries ------------------------------------------

int CheckDisplay(const char* settings);
int IsWindowed();
int GetDisplayDepth();
const char* GetProgramFolder(int redirect);
int ReadBaseFolder(const char* name);
void SaveValue(const char* name, int value);
int LoadValue(const char* name);
const char* GetCommandLine();
void GetDate(int* year, int* month, int* day, char* weekday);
void GetTime(int* hour, int* minute, int* second);
std::int32_t GetFreeDisk(char letter);
std::uint64_t GetFreeMemory();
int GetOSVersion();
int EnableIME(int flag);
int SetMousePos(int x, int y);
int ClipCursorRect(int left, int top, int right, int bottom);
void ClipCursorToScreen();
int ReleaseCursor();
int IsCursorClipped();

// Version code of a platform identifier and version numbers (the rule behind
// GetOSVersion, exposed so it can be checked for every Windows family).
int VersionCode(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);

}  // namespace elSystem
