// The graphics core's blits side by side with SDL2's on the same 5:6:5
// pictures, in one run:
//
//   BM_KeyedBltFast/8|64|768      BltFast with the source colour key: 1024
//                                 blits of 8 x 8, 96 of 64 x 64, or one of
//                                 768 x 576 per iteration, from a 768 x 576
//                                 source onto the 800 x 600 back surface
//   BM_SdlKeyedBlit/8|64|768      the same rectangles with SDL_BlitSurface
//                                 between RGB565 SDL surfaces of the same
//                                 sizes, colour key set on the source
//   BM_MapComposition             the map scene's composition: six times a
//                                 clear, 96 x 72 keyed 8 x 8 tile draws and
//                                 a 768 x 576 copy into an object (41,472
//                                 draws, six copies) through elDraw
//   BM_SdlMapComposition          the same with SDL_FillRect/SDL_BlitSurface
//   BM_Present                    one elDraw::Present of 800 x 600 without
//                                 vertical sync: the blit to the primary
//                                 surface, conversion and upload to the
//                                 window
//   BM_SdlPresentRenderer         SDL's own streaming-texture present of an
//                                 RGB565 800 x 600 picture in a window of its
//                                 own (update texture, copy, present)
//   BM_SdlPresentWindowSurface    SDL_BlitSurface onto the window surface and
//                                 SDL_UpdateWindowSurface
//
// Half the source pixels are the key colour (black), scattered at random,
// so the key test cannot be predicted. Times for the ratios are this
// thread's CPU time, so other programs on the machine do not distort them
// (a windowed present's work in the X server is not counted). The "vs_sdl" counter of each of our
// benchmarks is its time per iteration divided by the SDL peer's, measured
// in the same run (goal: 1.0 or less). With DISPLAY set the present goes to
// a real window (run under xvfb-run on a machine without a display);
// without it, or with EL_BENCH_HEADLESS=1, the present is headless and only
// converts (the "window" label says which).
//
//   bench_blit_peer --benchmark_counters_tabular=true
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/time.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "draw/elDraw.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr int kMapW = 768;
constexpr int kMapH = 576;

double SecondsPerCall(const std::function<void()>& f) { return bench::CpuSecondsPerCall(f, 20, 0.5); }
double Now() { return bench::ThreadCpuNow(); }

// The same pseudo-random picture for both sides: half the pixels 0.
void FillPattern(std::uint8_t* pixels, int pitch, int w, int h, std::uint32_t seed) {
    bench::Random random{seed};
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(pixels + static_cast<std::ptrdiff_t>(y) * pitch);
        for (int x = 0; x < w; ++x) row[x] = random.HalfTransparentPixel();
    }
}

// Rectangles of one size: source corner and destination corner, cycled.
struct Blit {
    int sx, sy, dx, dy;
};
std::vector<Blit> Blits(int size) {
    std::vector<Blit> out;
    if (size == kMapW) {
        out.push_back({0, 0, 16, 12});
        return out;
    }
    int count = size == 8 ? 1024 : 96;
    int sourceColumns = kMapW / size, sourceRows = kMapH / size;
    int destColumns = kW / size, destRows = kH / size;
    for (int i = 0; i < count; ++i)
        out.push_back({size * ((i * 7) % sourceColumns), size * ((i * 13) % sourceRows),
                       size * (i % destColumns), size * ((i / destColumns) % destRows)});
    return out;
}
int Height(int size) { return size == kMapW ? kMapH : size; }

// ---- Our side --------------------------------------------------------------

struct Ours {
    elSystem::Program program;
    bool window = false;
    int source = 0;               // 768 x 576, keyed black
    int sheet = 0;                // 640 x 64 tile sheet, keyed black
    int screens[6] = {};          // composed map screens

    Ours() {
        const char* display = std::getenv("DISPLAY");
        const char* forced = std::getenv("EL_BENCH_HEADLESS");
        window = display && *display && !(forced && *forced == '1');
        plat::headless::Enable(!window);
        program.title = "bench";
        program.init = [] { elDraw::Screen(kW, kH, 1); };
        elSystem::Startup(program, "", 1);
        elDraw::SetVSync(0);
        source = Filled(elDraw::CreateObject(kMapW, kMapH, 2), 7);
        sheet = Filled(elDraw::CreateObject(640, 64, 2), 11);
        for (int& s : screens) s = elDraw::CreateObject(kMapW, kMapH, 2);
    }

    static int Filled(int slot, std::uint32_t seed) {
        plat::IDirectDrawSurface* s = ObjectTable[slot].surface;
        plat::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        s->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr);
        FillPattern(static_cast<std::uint8_t*>(d.lpSurface), static_cast<int>(d.lPitch),
                    static_cast<int>(d.dwWidth), static_cast<int>(d.dwHeight), seed);
        s->Unlock(d.lpSurface);
        return slot;
    }

    void KeyedBlits(const std::vector<Blit>& blits, int w, int h) const {
        plat::IDirectDrawSurface* from = ObjectTable[source].surface;
        for (const Blit& b : blits) {
            plat::RECT r{b.sx, b.sy, b.sx + w, b.sy + h};
            elDraw::BackSurface->BltFast(static_cast<plat::DWORD>(b.dx), static_cast<plat::DWORD>(b.dy), from,
                                         &r, plat::DDBLTFAST_SRCCOLORKEY | plat::DDBLTFAST_WAIT);
        }
    }

    void Compose() const {
        for (int screen = 0; screen < 6; ++screen) {
            elDraw::Clear();
            for (int k = 0; k < 96; ++k)
                for (int l = 0; l < 72; ++l) {
                    int n = (k * 7 + l * 13 + screen * 31) % 640;
                    int sx = 8 * (n % 80), sy = 8 * (n / 80);
                    elDraw::Draw(8 * k, 8 * l, sheet, sx, sy, sx + 8, sy + 8);
                }
            elDraw::CopyScreen(screens[screen], 0, 0, kMapW, kMapH);
        }
    }
};

Ours& TheOurs() {
    static Ours ours;
    return ours;
}

// ---- SDL's side --------------------------------------------------------------

struct Sdl {
    SDL_Surface* dest = nullptr;    // 800 x 600
    SDL_Surface* source = nullptr;  // 768 x 576, colour key black
    SDL_Surface* sheet = nullptr;   // 640 x 64, colour key black
    SDL_Surface* screens[6] = {};
    SDL_Window* window = nullptr;   // present peers (real window only)
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_Window* surfaceWindow = nullptr;
    SDL_Surface* converted = nullptr;  // headless: conversion target

    static SDL_Surface* Make(int w, int h) {
        return SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
    }
    static SDL_Surface* Keyed(int w, int h, std::uint32_t seed) {
        SDL_Surface* s = Make(w, h);
        FillPattern(static_cast<std::uint8_t*>(s->pixels), s->pitch, w, h, seed);
        SDL_SetColorKey(s, SDL_TRUE, 0);
        return s;
    }

    explicit Sdl(bool realWindow) {
        dest = Make(kW, kH);
        source = Keyed(kMapW, kMapH, 7);
        sheet = Keyed(640, 64, 11);
        for (SDL_Surface*& s : screens) s = Make(kMapW, kMapH);
        if (realWindow) {
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            window = SDL_CreateWindow("sdl peer", 0, 0, kW, kH, SDL_WINDOW_SHOWN);
            renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
            texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                                   kW, kH)
                               : nullptr;
            surfaceWindow = SDL_CreateWindow("sdl peer surface", 0, 0, kW, kH, SDL_WINDOW_SHOWN);
        } else {
            converted = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_RGB888);
        }
        SDL_FillRect(dest, nullptr, 0x1234);
    }

    void KeyedBlits(const std::vector<Blit>& blits, int w, int h) const {
        for (const Blit& b : blits) {
            SDL_Rect from{b.sx, b.sy, w, h};
            SDL_Rect to{b.dx, b.dy, w, h};
            SDL_BlitSurface(source, &from, dest, &to);
        }
    }

    void Compose() const {
        for (int screen = 0; screen < 6; ++screen) {
            SDL_FillRect(dest, nullptr, 0);
            for (int k = 0; k < 96; ++k)
                for (int l = 0; l < 72; ++l) {
                    int n = (k * 7 + l * 13 + screen * 31) % 640;
                    SDL_Rect from{8 * (n % 80), 8 * (n / 80), 8, 8};
                    SDL_Rect to{8 * k, 8 * l, 8, 8};
                    SDL_BlitSurface(sheet, &from, dest, &to);
                }
            SDL_Rect all{0, 0, kMapW, kMapH};
            SDL_Rect at{0, 0, kMapW, kMapH};
            SDL_BlitSurface(dest, &all, screens[screen], &at);
        }
    }

    bool PresentRenderer() const {
        if (!texture) return false;
        SDL_UpdateTexture(texture, nullptr, dest->pixels, dest->pitch);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
        return true;
    }

    bool PresentWindowSurface() const {
        if (converted) return SDL_BlitSurface(dest, nullptr, converted, nullptr) == 0;
        SDL_Surface* target = surfaceWindow ? SDL_GetWindowSurface(surfaceWindow) : nullptr;
        if (!target) return false;
        SDL_BlitSurface(dest, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(surfaceWindow);
        return true;
    }
};

Sdl& TheSdl() {
    static Sdl sdl(TheOurs().window);
    return sdl;
}

// Seconds per iteration of each SDL peer, measured before the benchmarks.
std::map<std::string, double> peer;

void MeasurePeers() {
    Sdl& sdl = TheSdl();
    for (int size : {8, 64, kMapW}) {
        std::vector<Blit> blits = Blits(size);
        peer["blit" + std::to_string(size)] = SecondsPerCall([&] { sdl.KeyedBlits(blits, size, Height(size)); });
    }
    peer["compose"] = SecondsPerCall([&] { sdl.Compose(); });
    if (sdl.texture) peer["present"] = SecondsPerCall([&] { sdl.PresentRenderer(); });
    peer["surface"] = SecondsPerCall([&] { sdl.PresentWindowSurface(); });
}

// Runs the loop, timing it, and reports the time per iteration divided by
// the peer's (plain numbers: Google Benchmark's rate counters would print
// them as seconds).
template <typename F>
double TimedLoop(benchmark::State& state, F body) {
    double start = Now();
    for (auto _ : state) body();
    double perIteration = (Now() - start) / static_cast<double>(state.iterations());
    return perIteration;
}

void VsSdl(benchmark::State& state, double perIteration, const std::string& name, const char* counter = "vs_sdl") {
    if (peer.count(name) && peer[name] > 0) state.counters[counter] = perIteration / peer[name];
}

void BM_KeyedBltFast(benchmark::State& state) {
    const Ours& ours = TheOurs();
    int size = static_cast<int>(state.range(0));
    std::vector<Blit> blits = Blits(size);
    double t = TimedLoop(state, [&] { ours.KeyedBlits(blits, size, Height(size)); });
    state.counters["blits"] = static_cast<double>(blits.size());
    state.counters["ns_per_blit"] = t * 1e9 / static_cast<double>(blits.size());
    VsSdl(state, t, "blit" + std::to_string(size));
}

void BM_SdlKeyedBlit(benchmark::State& state) {
    const Sdl& sdl = TheSdl();
    int size = static_cast<int>(state.range(0));
    std::vector<Blit> blits = Blits(size);
    double t = TimedLoop(state, [&] { sdl.KeyedBlits(blits, size, Height(size)); });
    state.counters["blits"] = static_cast<double>(blits.size());
    state.counters["ns_per_blit"] = t * 1e9 / static_cast<double>(blits.size());
}

void BM_MapComposition(benchmark::State& state) {
    const Ours& ours = TheOurs();
    VsSdl(state, TimedLoop(state, [&] { ours.Compose(); }), "compose");
}

void BM_SdlMapComposition(benchmark::State& state) {
    const Sdl& sdl = TheSdl();
    TimedLoop(state, [&] { sdl.Compose(); });
}

void BM_Present(benchmark::State& state) {
    const Ours& ours = TheOurs();
    state.SetLabel(ours.window ? "window" : "headless: conversion only");
    double t = TimedLoop(state, [] { elDraw::Present(); });
    VsSdl(state, t, "present");
    VsSdl(state, t, "surface", "vs_sdl_surface");
}

void BM_SdlPresentRenderer(benchmark::State& state) {
    const Sdl& sdl = TheSdl();
    if (!sdl.texture) {
        state.SkipWithError("no window");
        return;
    }
    TimedLoop(state, [&] { sdl.PresentRenderer(); });
}

void BM_SdlPresentWindowSurface(benchmark::State& state) {
    const Sdl& sdl = TheSdl();
    state.SetLabel(sdl.converted ? "headless: conversion only" : "window");
    TimedLoop(state, [&] { sdl.PresentWindowSurface(); });
}

BENCHMARK(BM_KeyedBltFast)->Arg(8)->Arg(64)->Arg(kMapW);
BENCHMARK(BM_SdlKeyedBlit)->Arg(8)->Arg(64)->Arg(kMapW);
BENCHMARK(BM_MapComposition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdlMapComposition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Present)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlPresentRenderer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlPresentWindowSurface)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    TheOurs();
    MeasurePeers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
