// Cost of the graphics core's blits against plain memory copies of the same
// size, measured in one run so the ratios compare like with like.
//
//   BM_Memcpy / BM_Memset      peers: one 800 x 600 x 16-bit copy / fill
//   BM_DrawSolid               elDraw::DrawSolid of a whole-screen object
//   BM_DrawKeyed               elDraw::Draw of the same, half its pixels keyed out
//   BM_Clear                   elDraw::Clear
//   BM_DrawTiles               the map scene's composition: 96 x 72 tiles of 8 x 8
//   BM_DrawScaled              a 400 x 300 object stretched to the screen
//
// Run with --benchmark_counters_tabular=true; the "vs_peer" counter is the
// time per frame divided by the peer's (1.0 = as fast as memcpy/memset).
#include <benchmark/benchmark.h>
#include <sys/time.h>

#include <cstdlib>
#include <functional>
#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "draw/elDraw.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr std::size_t kBytes = std::size_t{kW} * kH * 2;

// Seconds per iteration of the peers, measured once before the blits.
double memcpySeconds = 0;
double memsetSeconds = 0;

double SecondsPerCall(const std::function<void()>& f) { return bench::SecondsPerCall(f, 50, 0.3); }

void MeasurePeers() {
    static std::vector<std::uint8_t> a(kBytes, 1), b(kBytes, 2);
    memcpySeconds = SecondsPerCall([] {
        std::memcpy(b.data(), a.data(), kBytes);
        benchmark::ClobberMemory();
    });
    memsetSeconds = SecondsPerCall([] {
        std::memset(b.data(), 0, kBytes);
        benchmark::ClobberMemory();
    });
}

struct Screen {
    elSystem::Program program;
    int full = 0;    // whole-screen object, pattern without black
    int keyed = 0;   // the same with every other pixel black
    int sheet = 0;   // a sheet of 8 x 8 tiles
    int half = 0;    // 400 x 300

    Screen() {
        plat::headless::Enable(true);
        program.title = "bench";
        program.init = [] { elDraw::Screen(kW, kH, 1); };
        elSystem::Startup(program, "", 1);
        elDraw::SetVSync(0);
        full = Fill(elDraw::CreateObject(kW, kH, 2), false);
        keyed = Fill(elDraw::CreateObject(kW, kH, 2), true);
        sheet = Fill(elDraw::CreateObject(640, 64, 2), false);
        half = Fill(elDraw::CreateObject(kW / 2, kH / 2, 2), true);
    }

    static int Fill(int slot, bool holes) {
        plat::IDirectDrawSurface* s = ObjectTable[slot].surface;
        plat::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        s->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr);
        std::srand(7);
        for (plat::DWORD y = 0; y < d.dwHeight; ++y) {
            auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch);
            for (plat::DWORD x = 0; x < d.dwWidth; ++x)
                row[x] = (holes && std::rand() % 2) ? 0 : static_cast<std::uint16_t>(1 + std::rand() % 0xFFFE);
        }
        s->Unlock(d.lpSurface);
        return slot;
    }
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

void Report(benchmark::State& state, double peerSeconds) {
    // peer x iterations / time, inverted: time per iteration / peer time.
    state.counters["vs_peer"] = benchmark::Counter(
        peerSeconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBytes));
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<std::uint8_t> a(kBytes, 1), b(kBytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), kBytes);
        benchmark::ClobberMemory();
    }
    Report(state, memcpySeconds);
}

void BM_Memset(benchmark::State& state) {
    std::vector<std::uint8_t> b(kBytes, 2);
    for (auto _ : state) {
        std::memset(b.data(), 0, kBytes);
        benchmark::ClobberMemory();
    }
    Report(state, memsetSeconds);
}

void BM_DrawSolid(benchmark::State& state) {
    Screen& s = TheScreen();
    for (auto _ : state) elDraw::DrawSolid(0, 0, s.full, 0, 0, kW, kH);
    Report(state, memcpySeconds);
}

void BM_DrawKeyed(benchmark::State& state) {
    Screen& s = TheScreen();
    for (auto _ : state) elDraw::Draw(0, 0, s.keyed, 0, 0, kW, kH);
    Report(state, memcpySeconds);
}

void BM_Clear(benchmark::State& state) {
    TheScreen();
    for (auto _ : state) elDraw::Clear();
    Report(state, memsetSeconds);
}

void BM_DrawTiles(benchmark::State& state) {
    Screen& s = TheScreen();
    for (auto _ : state)
        for (int k = 0; k < 96; ++k)
            for (int l = 0; l < 72; ++l) {
                int n = (k * 7 + l * 13) % 640;
                int sx = 8 * (n % 80), sy = 8 * (n / 80);
                elDraw::Draw(8 * k, 8 * l, s.sheet, sx, sy, sx + 8, sy + 8);
            }
    state.counters["draws"] = benchmark::Counter(96 * 72, benchmark::Counter::kIsIterationInvariantRate);
    Report(state, memcpySeconds);
}

void BM_DrawScaled(benchmark::State& state) {
    Screen& s = TheScreen();
    for (auto _ : state) elDraw::DrawScaled(0, 0, s.half, 0, 0, kW / 2, kH / 2, kW, kH);
    Report(state, memcpySeconds);
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_Memset);
BENCHMARK(BM_DrawSolid);
BENCHMARK(BM_DrawKeyed);
BENCHMARK(BM_Clear);
BENCHMARK(BM_DrawTiles);
BENCHMARK(BM_DrawScaled);

}  // namespace

int main(int argc, char** argv) {
    MeasurePeers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
