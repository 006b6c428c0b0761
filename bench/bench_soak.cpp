// Soak run of the game, headless: the map scene for 100,000 frames with
// random arrow presses and mouse moves. Resident memory is read at frame
// 1,000 (after the screens are composed and every path has run) and at the
// end; the two should agree, as the scene allocates nothing per frame.
// One iteration; the figures are printed and kept as counters.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "bench_support.h"
#include "game/MapScene.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace {

constexpr int kFrames = 100000;
constexpr int kEarlyFrame = 1000;

void StartGame() {
    bench::StartGameHeadless();
    static elSystem::Program program = bench::GameProgram();
    elSystem::Startup(program, "", 1);
}

// One frame of play: now and then an arrow goes down (and the one held
// comes up), the mouse moves most frames, then the loop takes the messages
// and runs the frame.
void PlayFrame(std::mt19937& random, int& heldKey) {
    static const int kArrows[4] = {plat::VK_LEFT, plat::VK_UP, plat::VK_RIGHT, plat::VK_DOWN};
    std::uniform_int_distribution<int> percent(0, 99);
    if (heldKey != 0 && percent(random) < 30) {
        plat::headless::KeyUp(heldKey);
        heldKey = 0;
    } else if (heldKey == 0 && percent(random) < 10) {
        heldKey = kArrows[std::uniform_int_distribution<int>(0, 3)(random)];
        plat::headless::KeyDown(heldKey);
    }
    if (percent(random) < 80)
        plat::headless::MouseMove(std::uniform_int_distribution<int>(-20, 819)(random),
                                  std::uniform_int_distribution<int>(-20, 619)(random));
    while (plat::headless::QueuedMessages() > 0) elSystem::LoopPass();
    elSystem::RunFrame();
}

void BM_Soak100kFrames(benchmark::State& state) {
    for (auto _ : state) {
        StartGame();
        std::mt19937 random(20261208);
        int heldKey = 0;
        double early = 0;
        int slides = 0;
        int previousState = MapScene::kIdle;
        for (int frame = 1; frame <= kFrames; ++frame) {
            PlayFrame(random, heldKey);
            if (previousState == MapScene::kIdle && MapScene::SlideState != MapScene::kIdle) ++slides;
            previousState = MapScene::SlideState;
            if (frame == kEarlyFrame) early = bench::ResidentMegabytes();
        }
        const double end = bench::ResidentMegabytes();
        std::printf("soak: %d frames, %d slides; resident memory %.1f MB at frame %d, %.1f MB at the end\n",
                    kFrames, slides, early, kEarlyFrame, end);
        state.counters["resident_MB_frame_1000"] = early;
        state.counters["resident_MB_end"] = end;
        state.counters["growth_MB"] = end - early;
        state.counters["slides"] = slides;
        elSystem::Quit();
        while (elSystem::LoopPass()) {
        }
    }
}
BENCHMARK(BM_Soak100kFrames)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
