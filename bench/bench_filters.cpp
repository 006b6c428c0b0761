// Costs of the filtered draws and the tunnel, headless, 5:6:5, beside peers
// measured in the same run:
//
//   BM_<Filter>/800|64/0|1    the draw of an 800 x 600 object onto the whole
//                             back surface, or of a 64 x 64 object; with
//                             the vector rows (0) or the plain loops (1)
//   BM_PixmanBoxBlur/2|5      pixman's convolution filter with an n x n box
//                             kernel, 800 x 600 r5g6b5 to r5g6b5 (the blur's
//                             peer)
//   BM_SdlCopy                SDL_BlitSurface of 800 x 600 RGB565 (the floor
//                             of any full-screen pass)
//   BM_DrawTunnel/320|640     the tunnel through a 320 x 240 and the largest
//                             (640 x 480) table, 256 x 256 texture
//   BM_MakeTunnel             building the 640 x 480 table once
//
// "vs_copy" is a draw's thread CPU time over that of a 16-bit 800 x 600
// memory copy measured once in the same run; "vs_pixman" the blur's over
// pixman's box blur of the same size, measured once in the same run too.
//
// The object is a field of rings: 3 in 4 pixels opaque, varied colours, the
// rest transparent, so the glow, the edge and the blur see edges throughout.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "bench/bench_support.h"
#include "draw/effects/elEffects.h"
#include "draw/effects/vector_rows.h"

namespace {

std::uint16_t RingPixel(int x, int y) {
    const double r = std::hypot((x % 64) - 31.5, (y % 64) - 31.5);
    if (r > 30) return 0;
    return static_cast<std::uint16_t>(1 + x * 37 + y * 101);
}

void Fill(int slot, std::uint16_t (*pixel)(int, int)) {
    plat::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (ObjectTable[slot].surface->Lock(nullptr, &desc, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK)
        std::abort();
    for (int y = 0; y < static_cast<int>(desc.dwHeight); ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                     static_cast<std::ptrdiff_t>(y) * desc.lPitch);
        for (int x = 0; x < static_cast<int>(desc.dwWidth); ++x) row[x] = pixel(x, y);
    }
    ObjectTable[slot].surface->Unlock(desc.lpSurface);
}

// The ring field as an 800 x 600 object, and a 256 x 256 texture.
int Rings() {
    static int slot = [] {
        if (!bench::OpenHeadlessScreen("el-bench-filters")) std::abort();
        const int s = elDraw::CreateObject(800, 600, 2);
        if (s <= 0) std::abort();
        Fill(s, RingPixel);
        return s;
    }();
    return slot;
}

int Texture() {
    static int slot = [] {
        Rings();
        const int s = elDraw::CreateObject(256, 256, 2);
        if (s <= 0) std::abort();
        Fill(s, [](int x, int y) { return static_cast<std::uint16_t>(((x ^ y) & 0x1F) * 0x841 + 1); });
        return s;
    }();
    return slot;
}

// Runs draw(object, width, height) on the 800 x 600 or the 64 x 64 corner of the ring field.
// A second argument of 1 runs the plain per-pixel loops instead of the
// vector rows, so both stand in the same run.
// A box blur n of pixman (boxPeer > 0) is the peer of the 800 x 600 draw:
// "vs_pixman" is the draw's time over pixman's.
double PixmanBoxBlurSeconds(int n);

template <typename Draw>
void Run(benchmark::State& state, Draw draw, int boxPeer = 0) {
    const int s = Rings();
    const int size = static_cast<int>(state.range(0));
    const int w = size == 800 ? 800 : 64, h = size == 800 ? 600 : 64;
    const bool plain = state.range(1) != 0;
    const bool withPeer = boxPeer > 0 && size == 800;
    elDraw::SetVectorLevel(plain ? elDraw::VectorLevel::Plain : elDraw::BestVectorLevel());
    // The peer is measured before, not inside, the timing.
    if (withPeer) PixmanBoxBlurSeconds(boxPeer);
    const double start = bench::ThreadCpuNow();
    for (auto _ : state) draw(s, w, h);
    const double seconds = (bench::ThreadCpuNow() - start) / static_cast<double>(state.iterations());
    bench::RatioToCopy(state, seconds);
    if (withPeer) state.counters["vs_pixman"] = seconds / PixmanBoxBlurSeconds(boxPeer);
    elDraw::SetVectorLevel(elDraw::BestVectorLevel());
    state.counters["pixels"] = w * h;
    state.SetLabel(plain ? "plain" : "vector");
}

void BM_GlowAllDirections(benchmark::State& state) {
    Run(state, [](int s, int w, int h) { elDraw::DrawGlow(0, 0, 2, 2, 2, 0xFF, 1, s, 0, 0, w, h); });
}
BENCHMARK(BM_GlowAllDirections)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

void BM_GlowRightShift1(benchmark::State& state) {
    Run(state, [](int s, int w, int h) { elDraw::DrawGlow(0, 0, 1, 1, 1, 0x10, 1, s, 0, 0, w, h); });
}
BENCHMARK(BM_GlowRightShift1)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

void BM_SmoothEdge(benchmark::State& state) {
    Run(state, [](int s, int w, int h) { elDraw::DrawSmoothEdge(0, 0, s, 0, 0, w, h); });
}
BENCHMARK(BM_SmoothEdge)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

void BM_Blur2(benchmark::State& state) {
    Run(state, [](int s, int w, int h) { elDraw::DrawBlur(0, 0, 2, s, 0, 0, w, h); }, 2);
}
BENCHMARK(BM_Blur2)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

void BM_Blur5(benchmark::State& state) {
    Run(state, [](int s, int w, int h) { elDraw::DrawBlur(0, 0, 5, s, 0, 0, w, h); }, 5);
}
BENCHMARK(BM_Blur5)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

void BM_Refract(benchmark::State& state) {
    Run(state, [](int s, int w, int h) { elDraw::DrawRefract(0, 0, 0.5f, s, 0, 0, w, h); });
}
BENCHMARK(BM_Refract)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

// Types 0 and 3 run to the screen edge whatever the object's size.
void BM_StretchRight(benchmark::State& state) {
    Run(state, [](int s, int w, int h) { elDraw::DrawStretchEdge(0, 0, 0, static_cast<unsigned>(w / 2), s, 0, 0, w, h); });
}
BENCHMARK(BM_StretchRight)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

void BM_StretchUp(benchmark::State& state) {
    Run(state, [](int s, int w, int h) {
        elDraw::DrawStretchEdge(0, 600 - h, 3, static_cast<unsigned>(h / 2), s, 0, 0, w, h);
    });
}
BENCHMARK(BM_StretchUp)->Args({800, 0})->Args({800, 1})->Args({64, 0})->Args({64, 1})->Unit(benchmark::kMicrosecond);

// ---- Peers -----------------------------------------------------------------------

// pixman's convolution with an n x n box kernel over the 800 x 600 ring
// field, r5g6b5 to r5g6b5: one composite a call, the images made once.
std::function<void()> PixmanBoxBlur(int n) {
    struct Images {
        std::vector<std::uint16_t> src = std::vector<std::uint16_t>(800 * 600), dst = src;
        pixman_image_t *s = nullptr, *d = nullptr;
        ~Images() {
            pixman_image_unref(s);
            pixman_image_unref(d);
        }
    };
    auto images = std::make_shared<Images>();
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) images->src[static_cast<std::size_t>(y) * 800 + x] = RingPixel(x, y);
    images->s = pixman_image_create_bits(PIXMAN_r5g6b5, 800, 600,
                                         reinterpret_cast<std::uint32_t*>(images->src.data()), 1600);
    images->d = pixman_image_create_bits(PIXMAN_r5g6b5, 800, 600,
                                         reinterpret_cast<std::uint32_t*>(images->dst.data()), 1600);
    std::vector<pixman_fixed_t> kernel(2 + static_cast<std::size_t>(n) * n, pixman_double_to_fixed(1.0 / (n * n)));
    kernel[0] = pixman_int_to_fixed(n);
    kernel[1] = pixman_int_to_fixed(n);
    pixman_image_set_filter(images->s, PIXMAN_FILTER_CONVOLUTION, kernel.data(), static_cast<int>(kernel.size()));
    return [images] {
        pixman_image_composite32(PIXMAN_OP_SRC, images->s, nullptr, images->d, 0, 0, 0, 0, 0, 0, 800, 600);
    };
}

// Thread CPU seconds of pixman's n x n box blur, measured once in this run.
double PixmanBoxBlurSeconds(int n) {
    static std::map<int, double> measured;
    if (const auto it = measured.find(n); it != measured.end()) return it->second;
    return measured[n] = bench::CpuSecondsPerCall(PixmanBoxBlur(n), 1, 0.3);
}

void BM_PixmanBoxBlur(benchmark::State& state) {
    const std::function<void()> blur = PixmanBoxBlur(static_cast<int>(state.range(0)));
    for (auto _ : state) blur();
}
BENCHMARK(BM_PixmanBoxBlur)->Arg(2)->Arg(5)->Unit(benchmark::kMicrosecond);

void BM_SdlCopy(benchmark::State& state) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* d = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    for (auto _ : state) SDL_BlitSurface(s, nullptr, d, nullptr);
    SDL_FreeSurface(s);
    SDL_FreeSurface(d);
}
BENCHMARK(BM_SdlCopy)->Unit(benchmark::kMicrosecond);

// ---- Tunnel ----------------------------------------------------------------------

void BM_DrawTunnel(benchmark::State& state) {
    const int t = Texture();
    const int w = static_cast<int>(state.range(0)), h = w * 3 / 4;
    elDraw::MakeTunnel(256, 256, w, h, -1, -1, -1, 0, 0, 0);
    int frame = 0;
    const double start = bench::ThreadCpuNow();
    for (auto _ : state) {
        elDraw::DrawTunnel(0, 0, frame, 3 * frame, t);
        ++frame;
    }
    bench::RatioToCopy(state, (bench::ThreadCpuNow() - start) / static_cast<double>(state.iterations()));
    state.counters["pixels"] = w * h;
}
BENCHMARK(BM_DrawTunnel)->Arg(320)->Arg(640)->Unit(benchmark::kMicrosecond);

void BM_MakeTunnel(benchmark::State& state) {
    Texture();
    for (auto _ : state) elDraw::MakeTunnel(256, 256, 640, 480, -1, -1, -1, 0, 0, 0);
}
BENCHMARK(BM_MakeTunnel)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
