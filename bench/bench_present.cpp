// The window picture of the present beside SDL2's own scaled presents, from
// the same 800 x 600 5:6:5 picture to a 32-bit (XRGB8888) window, at 1x
// (800 x 600) and 2x (1600 x 1200), in one run:
//
//   BM_WindowPicture/1|2     the portable present's step into the window:
//                            conversion to 8:8:8 and nearest-pixel
//                            enlargement (plat::portable::DrawWindowPicture)
//   BM_SdlBlitScaled/1|2     SDL_BlitScaled from an RGB565 surface onto an
//                            XRGB8888 surface of the window's size
//   BM_SdlRenderer/1|2       SDL's software renderer drawing into an XRGB8888
//                            surface with nearest scaling: the streaming
//                            texture updated from the picture, then copied
//                            over the whole target
//
// Everything works on memory, so no display is needed and the X server's
// share is left out; times are this thread's CPU time. "vs_sdl" is our time
// per iteration divided by the faster SDL peer's at the same scale, measured
// in the same run (goal: 1.0 or less).
//
//   bench_present --benchmark_counters_tabular=true
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "bench/bench_support.h"
#include "platform/portable/window_picture.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;

// A picture with detail everywhere: smooth gradients under a fine pattern.
std::vector<std::uint16_t>& Picture() {
    static std::vector<std::uint16_t> pixels = [] {
        std::vector<std::uint16_t> p(static_cast<std::size_t>(kW) * kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                unsigned r = static_cast<unsigned>(x * 31 / kW), g = static_cast<unsigned>(y * 63 / kH);
                unsigned b = static_cast<unsigned>((x ^ y) & 31);
                p[static_cast<std::size_t>(y) * kW + x] = static_cast<std::uint16_t>((r << 11) | (g << 5) | b);
            }
        return p;
    }();
    return pixels;
}

struct Target {
    std::vector<std::uint32_t> pixels;
    int width;
    int height;
    explicit Target(int scale) : pixels(static_cast<std::size_t>(kW * scale) * (kH * scale)), width(kW * scale), height(kH * scale) {}
};

void Ours(Target& t) {
    plat::portable::PixelView picture;
    picture.pixels = reinterpret_cast<std::uint8_t*>(Picture().data());
    picture.pitch = kW * 2;
    picture.width = kW;
    picture.height = kH;
    plat::portable::DrawWindowPicture(
        picture,
        {reinterpret_cast<std::uint8_t*>(t.pixels.data()), t.width * 4, t.width, t.height, plat::DisplayFormat::Xrgb8888},
        plat::portable::PlacePicture(kW, kH, t.width, t.height, plat::ScaleMode::WholeMultiple));
}

struct SdlPeer {
    SDL_Surface* source = nullptr;
    SDL_Surface* target = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;

    explicit SdlPeer(int scale) {
        source = SDL_CreateRGBSurfaceWithFormatFrom(Picture().data(), kW, kH, 16, kW * 2, SDL_PIXELFORMAT_RGB565);
        target = SDL_CreateRGBSurfaceWithFormat(0, kW * scale, kH * scale, 32, SDL_PIXELFORMAT_RGB888);
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        renderer = SDL_CreateSoftwareRenderer(target);
        if (renderer)
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, kW, kH);
    }
    void BlitScaled() const { SDL_BlitScaled(source, nullptr, target, nullptr); }
    void Render() const {
        SDL_UpdateTexture(texture, nullptr, Picture().data(), kW * 2);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }
};

SdlPeer& Peer(int scale) {
    static std::map<int, SdlPeer*> peers;
    auto& p = peers[scale];
    if (!p) p = new SdlPeer(scale);  // kept for the whole run
    return *p;
}

// Seconds per iteration of the faster SDL peer, by scale, measured first.
std::map<int, double> fastestPeer;

void MeasurePeers() {
    for (int scale : {1, 2}) {
        SdlPeer& p = Peer(scale);
        double blit = bench::CpuSecondsPerCall([&] { p.BlitScaled(); }, 3, 0.3);
        double render = p.texture ? bench::CpuSecondsPerCall([&] { p.Render(); }, 3, 0.3) : blit;
        fastestPeer[scale] = std::min(blit, render);
    }
}

template <typename F>
double TimedLoop(benchmark::State& state, F body) {
    const double start = bench::ThreadCpuNow();
    for (auto _ : state) body();
    return (bench::ThreadCpuNow() - start) / static_cast<double>(state.iterations());
}

void BM_WindowPicture(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    Target t(scale);
    const double perIteration = TimedLoop(state, [&] { Ours(t); });
    if (fastestPeer[scale] > 0) state.counters["vs_sdl"] = perIteration / fastestPeer[scale];
    benchmark::DoNotOptimize(t.pixels.data());
}

void BM_SdlBlitScaled(benchmark::State& state) {
    const SdlPeer& p = Peer(static_cast<int>(state.range(0)));
    TimedLoop(state, [&] { p.BlitScaled(); });
}

void BM_SdlRenderer(benchmark::State& state) {
    const SdlPeer& p = Peer(static_cast<int>(state.range(0)));
    if (!p.texture) {
        state.SkipWithError("no software renderer");
        return;
    }
    TimedLoop(state, [&] { p.Render(); });
}

BENCHMARK(BM_WindowPicture)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlBlitScaled)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlRenderer)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    MeasurePeers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
