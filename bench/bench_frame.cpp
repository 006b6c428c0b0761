// One whole game frame at 800 x 600, 5:6:5, headless, drawn by the library
// and by SDL2's software blitter in the same run:
//
//   BM_Frame      elDraw: clear; one map screen of 96 x 72 keyed 8 x 8
//                 tiles (what the map scene draws when it composes a
//                 screen); 200 keyed 32 x 32 sprites; one 128 x 128
//                 half-opaque blended draw (DrawAlphaBlend 0.5); one region
//                 effect (ScreenRise over the lowest 200 rows: smoke); and a
//                 line of text (elText::Printf)
//   BM_SdlFrame   the same frame with SDL_FillRect and SDL_BlitSurface:
//                 keyed tiles and sprites, the blended draw as a keyed blit
//                 with alpha modulation 128, the rise as the plain loop a
//                 programmer would write on the surface's pixels (SDL has no
//                 such effect), and the text as a keyed blit of a
//                 pre-rendered strip of the line's size (SDL has no text)
//
// Half the source pixels are the key colour (black), scattered at random.
// Times are this thread's CPU time; BM_Frame's "vs_sdl" counter is its time
// divided by the SDL frame's, and "fps" the frames per second one core
// would draw.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "bench/bench_support.h"
#include "draw/effects/elEffects.h"
#include "text/elText.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr int kSprites = 200;
constexpr int kRiseTop = 400;

void FillPattern(std::uint8_t* pixels, int pitch, int w, int h, std::uint32_t seed) {
    bench::Random random{seed};
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(pixels + static_cast<std::ptrdiff_t>(y) * pitch);
        for (int x = 0; x < w; ++x) row[x] = random.HalfTransparentPixel();
    }
}

// Where sprite k goes this frame: spread over the screen, partly off its edges.
struct Place {
    int x, y, sx, sy;
};
Place SpritePlace(int k) {
    return {(k * 97) % (kW + 32) - 16, (k * 61) % (kH + 32) - 16, 32 * (k % 8), 32 * ((k / 8) % 8)};
}
int TileIndex(int k, int l) { return (k * 7 + l * 13) % 640; }

struct Ours {
    int sheet = 0;    // 640 x 64 tiles
    int sprites = 0;  // 256 x 256: 8 x 8 sprites of 32 x 32
    int blend = 0;    // 128 x 128

    Ours() {
        if (!bench::OpenHeadlessScreen("el-bench-frame")) std::abort();
        sheet = Filled(elDraw::CreateObject(640, 64, 2), 11);
        sprites = Filled(elDraw::CreateObject(256, 256, 2), 12);
        blend = Filled(elDraw::CreateObject(128, 128, 2), 13);
    }
    static int Filled(int slot, std::uint32_t seed) {
        elDraw::LockedPixels p;
        if (slot <= 0 || !elDraw::LockPixels(ObjectTable[slot].surface, p)) std::abort();
        FillPattern(reinterpret_cast<std::uint8_t*>(p.bits), static_cast<int>(p.pitch * 2), p.width, p.height, seed);
        elDraw::UnlockPixels(p);
        return slot;
    }
    void Frame() const {
        elDraw::Clear();
        for (int k = 0; k < 96; ++k)
            for (int l = 0; l < 72; ++l) {
                const int n = TileIndex(k, l), sx = 8 * (n % 80), sy = 8 * (n / 80);
                elDraw::Draw(16 + 8 * k, 12 + 8 * l, sheet, sx, sy, sx + 8, sy + 8);
            }
        for (int k = 0; k < kSprites; ++k) {
            const Place p = SpritePlace(k);
            elDraw::Draw(p.x, p.y, sprites, p.sx, p.sy, p.sx + 32, p.sy + 32);
        }
        elDraw::DrawAlphaBlend(336, 236, 0.5f, blend, 0, 0, 128, 128);
        elDraw::ScreenRise(0, kRiseTop, kW, kH - kRiseTop - 1);
        elText::Printf(200, 200, "kyori_x=%d", 123);
    }
};

const Ours& TheOurs() {
    static const Ours ours;
    return ours;
}

struct Sdl {
    SDL_Surface* dest = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* sheet = Keyed(640, 64, 11);
    SDL_Surface* sprites = Keyed(256, 256, 12);
    SDL_Surface* blend = Keyed(128, 128, 13);
    SDL_Surface* text = Keyed(66, 12, 14);  // the size of "kyori_x=123" in the 12-pixel font

    Sdl() {
        SDL_SetSurfaceAlphaMod(blend, 128);
        SDL_SetSurfaceBlendMode(blend, SDL_BLENDMODE_BLEND);
    }
    static SDL_Surface* Keyed(int w, int h, std::uint32_t seed) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
        FillPattern(static_cast<std::uint8_t*>(s->pixels), s->pitch, w, h, seed);
        SDL_SetColorKey(s, SDL_TRUE, 0);
        return s;
    }
    static void Blit(SDL_Surface* from, int sx, int sy, int w, int h, SDL_Surface* to, int x, int y) {
        SDL_Rect a{sx, sy, w, h};
        SDL_Rect b{x, y, w, h};
        SDL_BlitSurface(from, &a, to, &b);
    }
    // The rise as a plain loop: each pixel of a row becomes the average of
    // the four neighbours of the pixel below it (every third pixel) or a
    // copy of it, in 5:6:5 channel arithmetic.
    void Rise(int top, int height) const {
        auto* p = static_cast<std::uint16_t*>(dest->pixels);
        const int pitch = dest->pitch / 2;
        auto channel = [](std::uint16_t v, int shift, int mask) { return (v >> shift) & mask; };
        for (int j = 2; j < height; ++j) {
            std::uint16_t* below = p + (top + j) * pitch;
            std::uint16_t* target = below - pitch;
            int phase = (1 + j) % 3;
            for (int i = 1; i < kW - 1; ++i, phase = phase == 2 ? 0 : phase + 1) {
                if (phase) {
                    target[i] = below[i];
                    continue;
                }
                const std::uint16_t n[4] = {below[i - 1], below[i + 1], target[i], below[i + pitch]};
                int r = 0, g = 0, b = 0;
                for (std::uint16_t v : n) {
                    r += channel(v, 11, 31);
                    g += channel(v, 5, 63);
                    b += channel(v, 0, 31);
                }
                target[i] = static_cast<std::uint16_t>(((r >> 2) << 11) | ((g >> 2) << 5) | (b >> 2));
            }
        }
    }
    void Frame() const {
        SDL_FillRect(dest, nullptr, 0);
        for (int k = 0; k < 96; ++k)
            for (int l = 0; l < 72; ++l) {
                const int n = TileIndex(k, l);
                Blit(sheet, 8 * (n % 80), 8 * (n / 80), 8, 8, dest, 16 + 8 * k, 12 + 8 * l);
            }
        for (int k = 0; k < kSprites; ++k) {
            const Place p = SpritePlace(k);
            Blit(sprites, p.sx, p.sy, 32, 32, dest, p.x, p.y);
        }
        Blit(blend, 0, 0, 128, 128, dest, 336, 236);
        Rise(kRiseTop, kH - kRiseTop - 1);
        Blit(text, 0, 0, 66, 12, dest, 200, 200);
    }
};

const Sdl& TheSdl() {
    static const Sdl sdl;
    return sdl;
}

double SdlFrameSeconds() {
    static const double seconds = bench::CpuSecondsPerCall([] { TheSdl().Frame(); }, 20, 1.0);
    return seconds;
}

void BM_Frame(benchmark::State& state) {
    const Ours& ours = TheOurs();
    const double peer = SdlFrameSeconds();
    const double start = bench::ThreadCpuNow();
    for (auto _ : state) ours.Frame();
    const double perFrame = (bench::ThreadCpuNow() - start) / static_cast<double>(state.iterations());
    state.counters["vs_sdl"] = perFrame / peer;
    state.counters["fps"] = 1.0 / perFrame;
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);

void BM_SdlFrame(benchmark::State& state) {
    const Sdl& sdl = TheSdl();
    const double start = bench::ThreadCpuNow();
    for (auto _ : state) sdl.Frame();
    state.counters["fps"] = static_cast<double>(state.iterations()) / (bench::ThreadCpuNow() - start);
}
BENCHMARK(BM_SdlFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
