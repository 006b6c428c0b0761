// Costs of the primitives and GDI text on the back surface, headless, each
// beside a peer in the same run: a read-out of elText::Printf and the
// game's mouse marker (elDraw::Box) against a colour fill of the same
// rectangle, and a full-screen elDraw::HalfBox against a full-screen fill
// and a full-screen SaveScreen. The ratios are what to compare across
// machines.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

void OpenScreen() {
    if (!bench::OpenHeadlessScreen("el-bench-primitives")) std::abort();
}

void BM_PrintfReadOut(benchmark::State& state) {
    OpenScreen();
    int v = 0;
    for (auto _ : state) elText::Printf(200, 200, "kyori_x=%d", ++v % 768);
}
BENCHMARK(BM_PrintfReadOut)->Unit(benchmark::kMicrosecond);

void BM_FillOfTheReadOutBox(benchmark::State& state) {
    OpenScreen();
    for (auto _ : state) elDraw::FillBox(200, 200, 260, 212, 0x0010);
}
BENCHMARK(BM_FillOfTheReadOutBox)->Unit(benchmark::kMicrosecond);

void BM_MarkerBox(benchmark::State& state) {
    OpenScreen();
    int x = 0;
    for (auto _ : state) {
        x = (x + 7) % 780;
        elDraw::Box(x, 300, x + 10, 310, 255, 0, 1);
    }
}
BENCHMARK(BM_MarkerBox)->Unit(benchmark::kMicrosecond);

void BM_FillOfTheMarker(benchmark::State& state) {
    OpenScreen();
    int x = 0;
    for (auto _ : state) {
        x = (x + 7) % 780;
        elDraw::FillBox(x, 300, x + 10, 310, 0xF800);
    }
}
BENCHMARK(BM_FillOfTheMarker)->Unit(benchmark::kMicrosecond);

void BM_HalfBoxFullScreen(benchmark::State& state) {
    OpenScreen();
    for (auto _ : state) elDraw::HalfBox(0, 0, 800, 600, 0xFFFF);
}
BENCHMARK(BM_HalfBoxFullScreen)->Unit(benchmark::kMicrosecond);

void BM_FillFullScreen(benchmark::State& state) {
    OpenScreen();
    for (auto _ : state) elDraw::FillBox(0, 0, 800, 600, 0x1234);
}
BENCHMARK(BM_FillFullScreen)->Unit(benchmark::kMicrosecond);

void BM_SaveScreenFull(benchmark::State& state) {
    OpenScreen();
    for (auto _ : state) elDraw::SaveScreen("bench.bmp", 800, 600);
}
BENCHMARK(BM_SaveScreenFull)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
