// Helpers shared by the benchmark programs.
#pragma once

#include <sys/time.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "draw/elDraw.h"
#include "game/MapScene.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace bench {

// The map scene as a program, and a headless start beside the game's own
// pictures and map (the build's game folder).
inline elSystem::Program GameProgram() {
    elSystem::Program program;
    program.title = "ﾀｲﾙｽﾞ";
    program.init = MapScene::Init;
    program.scenes = {{1, MapScene::Frame}};
    return program;
}

inline void StartGameHeadless() {
    plat::headless::Enable(true);
    std::string exe = std::string(EL_GAME_DIR) + "/tiles";
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat::headless::SetModuleFileName(exe);
    std::filesystem::current_path(EL_GAME_DIR);
    MapScene::Reset();
}

// Resident memory of this process in megabytes (0 where /proc is missing).
inline double ResidentMegabytes() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    double kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atof(line + 6);
    std::fclose(f);
    return kb / 1024.0;
}


// Wall-clock seconds.
inline double Now() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// CPU seconds used by this thread: what a draw costs, unaffected by other
// programs sharing the processor.
inline double ThreadCpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Thread CPU seconds per call of f: a warm-up, then calls for at least
// `minimum` CPU seconds.
template <typename F>
double CpuSecondsPerCall(F f, int warmUp, double minimum) {
    for (int i = 0; i < warmUp; ++i) f();
    // The clock is read once per group of calls, the group doubling while
    // it takes under a millisecond: reading the thread's CPU clock is a
    // system call of about a microsecond, which would otherwise be counted
    // into every call (a tenth of a full-screen copy).
    int n = 0, group = 1;
    const double start = ThreadCpuNow();
    double elapsed = 0;
    do {
        for (int i = 0; i < group; ++i) f();
        n += group;
        const double before = elapsed;
        elapsed = ThreadCpuNow() - start;
        if (elapsed - before < 1e-3 && group < 1024) group *= 2;
    } while (elapsed < minimum);
    return elapsed / n;
}

// Thread CPU seconds of one 16-bit 800 x 600 memory copy, measured when
// called (a twentieth of a second of copies): the floor of any full-screen
// pass, which the effects' costs are stated against.
inline double FullScreenCopySeconds() {
    static std::uint16_t from[800 * 600], to[800 * 600];
    // Pages never written would all read the one zero page, faster than a
    // real picture.
    static const bool written = [] {
        for (std::size_t i = 0; i < 800 * 600; ++i) from[i] = static_cast<std::uint16_t>(i * 2654435761u >> 16);
        return true;
    }();
    (void)written;
    return CpuSecondsPerCall(
        [] {
            std::memcpy(to, from, sizeof to);
            asm volatile("" : : "r"(to) : "memory");  // the copy is used
        },
        20, 0.05);
}

// Sets the counter "vs_copy": the benchmark's thread CPU time per iteration
// over the full-screen copy's, the copy measured right after the benchmark
// so that both see the same load on the machine (a copy measured once at
// the start let ratios drift with other programs' load).
inline void RatioToCopy(benchmark::State& state, double cpuSecondsPerIteration) {
    state.counters["vs_copy"] = cpuSecondsPerIteration / FullScreenCopySeconds();
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

// splitmix64: every output bit depends on the whole state, so pictures made
// from it have no pattern a branch predictor could learn (unlike the low
// bits of a power-of-two linear congruential generator).
struct Random {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A 16-bit pixel, 0 (transparent) half of the time.
    std::uint16_t HalfTransparentPixel() {
        const std::uint64_t v = Next();
        return (v & 1) ? 0 : static_cast<std::uint16_t>(1 + (v >> 8) % 0xFFFF);
    }
};

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
