// The game's costs, headless: start-up to the first presented frame, the
// first frame (which composes the six screens), and one steady frame while
// the view slides; resident memory is reported as a counter.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/MapScene.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace {

elSystem::Program GameProgram() {
    elSystem::Program program;
    program.title = "ﾀｲﾙｽﾞ";
    program.init = MapScene::Init;
    program.scenes = {{1, MapScene::Frame}};
    return program;
}

void StartHeadless() {
    plat::headless::Enable(true);
    std::string exe = std::string(EL_GAME_DIR) + "/tiles";
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat::headless::SetModuleFileName(exe);
    std::filesystem::current_path(EL_GAME_DIR);
    MapScene::Reset();
}

double ResidentMegabytes() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    double kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atof(line + 6);
    std::fclose(f);
    return kb / 1024.0;
}

void BM_StartToFirstFrame(benchmark::State& state) {
    elSystem::Program program = GameProgram();
    for (auto _ : state) {
        StartHeadless();
        elSystem::Startup(program, "", 1);
        elSystem::RunFrame();
        state.PauseTiming();
        elSystem::Quit();
        while (elSystem::LoopPass()) {
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_FirstFrameComposition(benchmark::State& state) {
    elSystem::Program program = GameProgram();
    for (auto _ : state) {
        state.PauseTiming();
        StartHeadless();
        elSystem::Startup(program, "", 1);
        state.ResumeTiming();
        elSystem::RunFrame();
        state.PauseTiming();
        elSystem::Quit();
        while (elSystem::LoopPass()) {
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstFrameComposition)->Unit(benchmark::kMillisecond);

void BM_SteadyFrame(benchmark::State& state) {
    elSystem::Program program = GameProgram();
    StartHeadless();
    elSystem::Startup(program, "", 1);
    elSystem::RunFrame();
    int frame = 0;
    for (auto _ : state) {
        // Keep the view moving: slide right and back again.
        if (MapScene::SlideState == MapScene::kIdle && frame % 3 == 0)
            plat::headless::KeyDown(MapScene::ScreenColumn < 2 ? plat::VK_RIGHT : plat::VK_LEFT);
        if (frame % 3 == 1) plat::headless::KeyUp(MapScene::ScreenColumn < 2 ? plat::VK_RIGHT : plat::VK_LEFT);
        while (plat::headless::QueuedMessages() > 0) elSystem::LoopPass();
        elSystem::RunFrame();
        ++frame;
    }
    state.counters["resident_MB"] = ResidentMegabytes();
    elSystem::Quit();
    while (elSystem::LoopPass()) {
    }
}
BENCHMARK(BM_SteadyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
