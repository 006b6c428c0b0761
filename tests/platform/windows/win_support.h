// Helpers of the Windows test program: answering message boxes from another
// thread, a scratch folder, direct looks at the system (in UTF-16) and the
// expectations the Wine script passes in the environment. The system headers
// stay inside win_support.cpp, so test files use the interface's names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/gdi.h"
#include "platform/win.h"

namespace wintest {

// UTF-8 text of a u8 literal, for comparisons with SjisToUtf8.
std::string U8(const char8_t* s);
// The value of an expectation variable ("" when unset).
std::string Expect(const char* name);

// Waits on another thread for a message box with the given caption, reads
// its text and presses the button (plat::IDOK, IDYES or IDNO).
class BoxAnswerer {
public:
    BoxAnswerer(std::wstring caption, int button);
    ~BoxAnswerer();
    // The box's longest static text once the box was answered ("" if none).
    std::wstring Text();
    bool Seen() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A fresh folder in the temporary folder, the current folder while it lives.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();

private:
    std::wstring path_;
    std::wstring previous_;
};

std::wstring WindowTitle(plat::HWND window);
plat::POINT ClientSize(plat::HWND window);
plat::POINT ClientOrigin(plat::HWND window);
bool WindowAlive(plat::HWND window);
// Moves a window to the desktop's top-left corner and sizes it for a client
// area of width x height.
void SetClientSize(plat::HWND window, int width, int height);
// The colour shown at a client position, read through the window's device
// context.
plat::COLORREF WindowPixel(plat::HWND window, int x, int y);
// The cursor's real desktop position, as the system has it.
plat::POINT RealCursorPos();
// Unregisters a window class of the test program (after its windows are
// gone), so that a later registration of the name takes its own procedure.
void UnregisterWindowClass(const wchar_t* name);
// The primary monitor's size.
plat::POINT MonitorSize();
bool MutexExists(const wchar_t* name);
void CloseKernelHandle(plat::HANDLE handle);
bool FileExists(const wchar_t* name);
void WriteBytes(const wchar_t* name, const std::vector<unsigned char>& bytes);
std::string ReadBytes(const wchar_t* name);
void MakeFolder(const wchar_t* name);
void RemoveFolder(const wchar_t* name);
// The folder of the test program, with its trailing backslash.
std::wstring ModuleFolder();
std::wstring FromSjis(const std::string& sjis);
plat::HGDIOBJ CompatibleBitmap(plat::HDC dc, int width, int height);
// The primary surface of dd, or null when it cannot be made.
plat::IDirectDrawSurface* PrimarySurface(plat::IDirectDraw* dd);
// An off-screen surface of dd of the given size, or null when it cannot be made.
plat::IDirectDrawSurface* OffscreenSurface(plat::IDirectDraw* dd, int width, int height);

}  // namespace wintest
