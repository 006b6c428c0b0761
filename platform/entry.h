// The program entry point: WinMain on Windows, main elsewhere. A program
// writes its body as `int Body(const char* commandLine, int showCommand)`
// and names it with EL_ENTRY_POINT(Body).
#pragma once

#include <string>

namespace plat {
// The command line without the program name, as WinMain receives it.
std::string CommandLineFromArgs(int argc, char** argv);
#if !defined(_WIN32)
// Settings a program takes from its environment before it starts:
// EL_HEADLESS=1 runs it without a display or audio device, on the virtual
// clock (every present is one 60 Hz frame), with message boxes answered
// "OK"/"Yes" and written to standard error, so examples and games run in
// tests and on build machines.
void PrepareProcess();
#endif
#if defined(_WIN32)
// The process's command line without the program name, in Shift-JIS
// (WinMain's own text is in the system's code page, which need not be 932).
std::string CommandLineOfProcess();
#endif
}  // namespace plat

// EL_ENTRY_POINT(Body) defines the program's entry point (WinMain on Windows,
// main elsewhere) that calls `int Body(const char* commandLine, int
// showCommand)` with the command line without the program's name
// (Shift-JIS) and returns Body's result as the exit status.
#if defined(_WIN32)
// The entry point WinMain calling body (see above).
#define EL_ENTRY_POINT(body)                                                              \
    extern "C" int __stdcall WinMain(struct HINSTANCE__*, struct HINSTANCE__*, char*,     \
                                     int show) {                                          \
        return body(plat::CommandLineOfProcess().c_str(), show);                          \
    }
#else
// The entry point main calling body (see above).
#define EL_ENTRY_POINT(body)                                                   \
    int main(int argc, char** argv) {                                          \
        plat::PrepareProcess();                                                \
        return body(plat::CommandLineFromArgs(argc, argv).c_str(), 1 /*SW_SHOWNORMAL*/); \
    }
#endif
