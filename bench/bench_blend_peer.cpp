// The blended and recoloured draws beside pixman and beside the memory copy,
// in one run, at every vector level this processor has:
//
//   BM_Copy                  memcpy of the 800 x 600 x 16-bit picture: the limit
//   BM_PixmanSrc             pixman SRC, r5g6b5 onto r5g6b5
//   BM_PixmanOverMask        pixman OVER with a constant 30% mask (the opacity peer)
//   BM_PixmanAdd             pixman ADD (the additive peer)
//   BM_<draw>/<level>        one of our draws over the whole screen; level
//                            0 plain loops, 1 SSE2, 2 AVX2
//
// Counters (from thread CPU time, so that other programs on the machine do
// not distort them): "vs_copy" is the time divided by the memcpy's, "vs_pixman" by the
// pixman operation that does the same job (opacity: OVER with a mask,
// additive: ADD, copies: SRC), both measured in the same run before the
// benchmarks. The object is a picture of random pixels, half of them 0
// (transparent for our draws; pixman blends them as black).
//
//   bench_blend_peer --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "draw/effects/elEffects.h"
#include "draw/effects/vector_rows.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;

std::vector<std::uint16_t> RandomPicture(std::uint64_t seed, bool halfTransparent) {
    bench::Random random{seed};
    std::vector<std::uint16_t> p(static_cast<std::size_t>(kW) * kH);
    for (auto& v : p) v = halfTransparent ? random.HalfTransparentPixel() : static_cast<std::uint16_t>(random.Next());
    return p;
}

void WriteSurface(plat::IDirectDrawSurface* surface, const std::vector<std::uint16_t>& pixels) {
    plat::DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    if (surface->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK) std::abort();
    for (int y = 0; y < kH; ++y)
        std::memcpy(static_cast<std::uint8_t*>(d.lpSurface) + static_cast<std::ptrdiff_t>(y) * d.lPitch,
                    &pixels[static_cast<std::size_t>(y) * kW], kW * 2);
    surface->Unlock(d.lpSurface);
}

// Our screen with one full-screen object of random pixels.
int Object() {
    static int slot = [] {
        if (!bench::OpenHeadlessScreen("el-bench-blend-peer")) std::abort();
        const int s = elDraw::CreateObject(kW, kH, 2);
        if (s <= 0) std::abort();
        WriteSurface(ObjectTable[s].surface, RandomPicture(7, true));
        WriteSurface(elDraw::BackSurface, RandomPicture(8, false));
        return s;
    }();
    return slot;
}

// pixman's side: its own copies of the same pictures.
struct Pixman {
    std::vector<std::uint16_t> source = RandomPicture(7, true);
    std::vector<std::uint16_t> dest = RandomPicture(8, false);
    pixman_image_t* src = nullptr;
    pixman_image_t* dst = nullptr;
    pixman_image_t* mask = nullptr;
    Pixman() {
        src = pixman_image_create_bits(PIXMAN_r5g6b5, kW, kH, reinterpret_cast<std::uint32_t*>(source.data()), kW * 2);
        dst = pixman_image_create_bits(PIXMAN_r5g6b5, kW, kH, reinterpret_cast<std::uint32_t*>(dest.data()), kW * 2);
        const pixman_color_t thirty{0, 0, 0, static_cast<std::uint16_t>(0.3 * 0xFFFF)};
        mask = pixman_image_create_solid_fill(&thirty);
    }
    void Run(pixman_op_t op, pixman_image_t* m) const {
        pixman_image_composite32(op, src, m, dst, 0, 0, 0, 0, 0, 0, kW, kH);
    }
};

const Pixman& ThePixman() {
    static Pixman p;
    return p;
}

std::vector<std::uint16_t> copyFrom = RandomPicture(9, false);
std::vector<std::uint16_t> copyTo(static_cast<std::size_t>(kW) * kH);

void Copy() {
    std::memcpy(copyTo.data(), copyFrom.data(), copyTo.size() * 2);
    benchmark::ClobberMemory();
}

std::map<std::string, double> peer;

void MeasurePeers() {
    const Pixman& p = ThePixman();
    peer["copy"] = bench::CpuSecondsPerCall(Copy, 50, 0.5);
    peer["src"] = bench::CpuSecondsPerCall([&] { p.Run(PIXMAN_OP_SRC, nullptr); }, 20, 0.5);
    peer["over"] = bench::CpuSecondsPerCall([&] { p.Run(PIXMAN_OP_OVER, p.mask); }, 20, 0.5);
    peer["add"] = bench::CpuSecondsPerCall([&] { p.Run(PIXMAN_OP_ADD, nullptr); }, 20, 0.5);
}

template <typename F>
double Timed(benchmark::State& state, F body) {
    const double start = bench::ThreadCpuNow();
    for (auto _ : state) body();
    return (bench::ThreadCpuNow() - start) / static_cast<double>(state.iterations());
}

void Ratios(benchmark::State& state, double t, const char* pixmanPeer) {
    state.counters["vs_copy"] = t / peer["copy"];
    if (pixmanPeer) state.counters["vs_pixman"] = t / peer[pixmanPeer];
}

void BM_Copy(benchmark::State& state) { Ratios(state, Timed(state, Copy), nullptr); }
void BM_PixmanSrc(benchmark::State& state) {
    const Pixman& p = ThePixman();
    Ratios(state, Timed(state, [&] { p.Run(PIXMAN_OP_SRC, nullptr); }), nullptr);
}
void BM_PixmanOverMask(benchmark::State& state) {
    const Pixman& p = ThePixman();
    Ratios(state, Timed(state, [&] { p.Run(PIXMAN_OP_OVER, p.mask); }), nullptr);
}
void BM_PixmanAdd(benchmark::State& state) {
    const Pixman& p = ThePixman();
    Ratios(state, Timed(state, [&] { p.Run(PIXMAN_OP_ADD, nullptr); }), nullptr);
}

// One of our draws over the whole screen at the level given as the argument.
void OurDraw(benchmark::State& state, const std::function<void(int)>& draw, const char* pixmanPeer) {
    const int slot = Object();
    const auto level = static_cast<elDraw::VectorLevel>(state.range(0));
    if (level > elDraw::BestVectorLevel()) {
        state.SkipWithError("level not available on this processor");
        return;
    }
    elDraw::SetVectorLevel(level);
    Ratios(state, Timed(state, [&] { draw(slot); }), pixmanPeer);
    elDraw::SetVectorLevel(elDraw::BestVectorLevel());
}

#define EL_DRAW_BENCH(name, peerName, call)                                                     \
    void BM_##name(benchmark::State& state) { OurDraw(state, [](int s) { call; }, peerName); } \
    BENCHMARK(BM_##name)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)

BENCHMARK(BM_Copy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanSrc)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanOverMask)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanAdd)->Unit(benchmark::kMicrosecond);
// The plain copies: keyed and unkeyed blits (no vector level of their own).
void BM_DrawKeyed(benchmark::State& state) {
    const int s = Object();
    Ratios(state, Timed(state, [s] { elDraw::Draw(0, 0, s, 0, 0, kW, kH); }), "src");
}
BENCHMARK(BM_DrawKeyed)->Unit(benchmark::kMicrosecond);
void BM_DrawSolid(benchmark::State& state) {
    const int s = Object();
    Ratios(state, Timed(state, [s] { elDraw::DrawSolid(0, 0, s, 0, 0, kW, kH); }), "src");
}
BENCHMARK(BM_DrawSolid)->Unit(benchmark::kMicrosecond);

EL_DRAW_BENCH(HalfBlend, "over", elDraw::DrawHalfBlend(0, 0, s, 0, 0, kW, kH));
EL_DRAW_BENCH(AlphaBlend, "over", elDraw::DrawAlphaBlend(0, 0, 0.3f, s, 0, 0, kW, kH));
EL_DRAW_BENCH(AlphaBlendRGB, "over", elDraw::DrawAlphaBlendRGB(0, 0, 0.3f, 0.5f, 0.7f, s, 0, 0, kW, kH));
EL_DRAW_BENCH(FadeBlend, "over", elDraw::DrawFadeBlend(0, 0, 16, s, 0, 0, kW, kH));
EL_DRAW_BENCH(GradientAlphaRows, "over", elDraw::DrawGradientAlpha(0, 0, 0, 0, 0, 0, 100, 4, s, 0, 0, kW, kH));
EL_DRAW_BENCH(GradientAlphaDown, "over", elDraw::DrawGradientAlpha(0, 0, 0, 0, 0, 1, 100, 4, s, 0, 0, kW, kH));
EL_DRAW_BENCH(GradientFadeRows, "over", elDraw::DrawGradientFade(0, 0, 0, 0, 0, 0, 100, 4, s, 0, 0, kW, kH));
EL_DRAW_BENCH(Add, "add", elDraw::DrawAdd(0, 0, s, 0, 0, kW, kH));
EL_DRAW_BENCH(AddLevel, "add", elDraw::DrawAddLevel(0, 0, 0.6f, s, 0, 0, kW, kH));
EL_DRAW_BENCH(Subtract, nullptr, elDraw::DrawSubtract(0, 0, s, 0, 0, kW, kH));
EL_DRAW_BENCH(ChannelMask, "src", elDraw::DrawChannelMask(0, 0, 1, 0, 1, s, 0, 0, kW, kH));
EL_DRAW_BENCH(Bright, nullptr, elDraw::DrawBright(0, 0, 0.6f, s, 0, 0, kW, kH));
EL_DRAW_BENCH(Dark, nullptr, elDraw::DrawDark(0, 0, 20, s, 0, 0, kW, kH));
EL_DRAW_BENCH(Gray, nullptr, elDraw::DrawGray(0, 0, s, 0, 0, kW, kH));

}  // namespace

int main(int argc, char** argv) {
    Object();
    MeasurePeers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
