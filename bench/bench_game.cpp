// The game's costs, headless: start-up to the first presented frame, the
// first frame (which composes the six screens), and one steady frame while
// the view slides; resident memory is reported as a counter.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "game/MapScene.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace {

using bench::GameProgram;
using bench::ResidentMegabytes;

void BM_StartToFirstFrame(benchmark::State& state) {
    elSystem::Program program = GameProgram();
    for (auto _ : state) {
        bench::StartGameHeadless();
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
        bench::StartGameHeadless();
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
    bench::StartGameHeadless();
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
