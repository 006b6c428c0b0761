// Costs of the software object draws over a whole 800 x 600 screen, headless,
// beside a plain keyed draw (a blit) of the same object in the same run: the
// table-driven 5-bit draws, the shift-and-mask half blend and the float
// opacity blend. The ratios to the blit are what to compare across machines.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "draw/effects/elEffects.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace {

// One headless screen and one full-screen object of varied opaque pixels.
int Object() {
    static int slot = [] {
        if (!bench::OpenHeadlessScreen("el-bench-effects")) std::abort();
        const int s = elDraw::CreateObject(800, 600, 2);
        plat::DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        if (s <= 0 || ObjectTable[s].surface->Lock(nullptr, &desc, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK)
            std::abort();
        for (int y = 0; y < 600; ++y) {
            auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                         static_cast<std::ptrdiff_t>(y) * desc.lPitch);
            for (int x = 0; x < 800; ++x) row[x] = static_cast<std::uint16_t>(1 + x * 37 + y * 101);
        }
        ObjectTable[s].surface->Unlock(desc.lpSurface);
        return s;
    }();
    return slot;
}

void BM_PlainDrawPeer(benchmark::State& state) {
    const int s = Object();
    for (auto _ : state) elDraw::Draw(0, 0, s, 0, 0, 800, 600);
}
BENCHMARK(BM_PlainDrawPeer)->Unit(benchmark::kMicrosecond);

void BM_HalfBlend(benchmark::State& state) {
    const int s = Object();
    for (auto _ : state) elDraw::DrawHalfBlend(0, 0, s, 0, 0, 800, 600);
}
BENCHMARK(BM_HalfBlend)->Unit(benchmark::kMicrosecond);

void BM_FadeBlend(benchmark::State& state) {
    const int s = Object();
    for (auto _ : state) elDraw::DrawFadeBlend(0, 0, 16, s, 0, 0, 800, 600);
}
BENCHMARK(BM_FadeBlend)->Unit(benchmark::kMicrosecond);

void BM_Add(benchmark::State& state) {
    const int s = Object();
    for (auto _ : state) elDraw::DrawAdd(0, 0, s, 0, 0, 800, 600);
}
BENCHMARK(BM_Add)->Unit(benchmark::kMicrosecond);

void BM_Gray(benchmark::State& state) {
    const int s = Object();
    for (auto _ : state) elDraw::DrawGray(0, 0, s, 0, 0, 800, 600);
}
BENCHMARK(BM_Gray)->Unit(benchmark::kMicrosecond);

void BM_AlphaBlend(benchmark::State& state) {
    const int s = Object();
    for (auto _ : state) elDraw::DrawAlphaBlend(0, 0, 0.3f, s, 0, 0, 800, 600);
}
BENCHMARK(BM_AlphaBlend)->Unit(benchmark::kMicrosecond);

void BM_GradientAlphaAlongRows(benchmark::State& state) {
    const int s = Object();
    for (auto _ : state) elDraw::DrawGradientAlpha(0, 0, 0, 0, 0, 0, 100, 4, s, 0, 0, 800, 600);
}
BENCHMARK(BM_GradientAlphaAlongRows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
