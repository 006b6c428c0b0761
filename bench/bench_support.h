// Helpers shared by the benchmark programs.
#pragma once

#include <sys/time.h>

#include <filesystem>
#include <string>

#include "draw/elDraw.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace bench {

// Wall-clock seconds. gettimeofday rather than <chrono>, whose literals the
// Shift-JIS execution character set of our sources defeats.
inline double Now() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// Seconds per call of f: a warm-up, then calls for at least `minimum` seconds.
template <typename F>
double SecondsPerCall(F f, int warmUp, double minimum) {
    for (int i = 0; i < warmUp; ++i) f();
    int n = 0;
    double start = Now();
    double elapsed = 0;
    do {
        f();
        ++n;
        elapsed = Now() - start;
    } while (elapsed < minimum);
    return elapsed / n;
}

// Opens one headless 800 x 600 screen for the whole run, the program file
// pretended to be in a temporary folder of that name. False when it failed.
inline bool OpenHeadlessScreen(const char* folderName) {
    static bool open = [folderName] {
        plat::headless::Enable(true);
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / folderName;
        std::filesystem::create_directories(folder);
        std::string exe = (folder / "prog.exe").string();
        for (char& c : exe)
            if (c == '/') c = '\\';
        plat::headless::SetModuleFileName(exe);
        static elSystem::Program program;
        program.title = "bench";
        program.init = [] {
            elDraw::Screen(800, 600, 1);
            SceneNumber = 1;
        };
        program.scenes = {{1, [] {}}};
        return elSystem::Startup(program, "", 1);
    }();
    return open;
}

}  // namespace bench
