// Costs of the screen region effects over a whole 800 x 600 screen and of the
// rotated draws of a 256 x 256 object into a 512 x 512 rectangle, headless,
// beside pixman doing the nearest kin of each in the same run on r5g6b5
// images of the same sizes: a nearest-neighbour rotation (plain, and
// repeated for the tiled rotation), 2x and 4x nearest scales for the zooms,
// and a 3 x 3 box-filter convolution for the blur; and a 16-bit 800 x 600
// memory copy, the floor of any full-screen pass. The region effects run
// with the vector rows (argument 0) and with the plain loops (1); "vs_copy"
// is an effect's thread CPU time over that of the memory copy, measured once
// in the same run.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "bench/bench_support.h"
#include "draw/effects/elEffects.h"
#include "draw/effects/vector_rows.h"

namespace {

constexpr int kObject = 256;
constexpr int kTarget = 512;
constexpr int kAngle = 37;

std::uint16_t Varied(int x, int y) { return static_cast<std::uint16_t>(1 + x * 37 + y * 101); }

// One headless screen with a varied picture on its back surface, and one
// 256 x 256 object of varied opaque pixels.
int Object() {
    static int slot = [] {
        if (!bench::OpenHeadlessScreen("el-bench-region")) std::abort();
        const int s = elDraw::CreateObject(kObject, kObject, 2);
        elDraw::LockedPixels object;
        if (s <= 0 || !elDraw::LockPixels(ObjectTable[s].surface, object)) std::abort();
        for (int y = 0; y < kObject; ++y)
            for (int x = 0; x < kObject; ++x) object.Row(y)[x] = Varied(x, y);
        elDraw::UnlockPixels(object);
        return s;
    }();
    return slot;
}

void PaintBack() {
    Object();
    elDraw::LockedPixels back;
    if (!elDraw::LockPixels(elDraw::BackSurface, back)) std::abort();
    for (int y = 0; y < back.height; ++y)
        for (int x = 0; x < back.width; ++x) back.Row(y)[x] = Varied(x, y);
    elDraw::UnlockPixels(back);
}

// ---- Region effects ----------------------------------------------------------------

// Runs `draw` for the benchmark's iterations with the plain per-pixel loops
// (argument 1) or the best vector level the processor has (argument 0), and
// labels the result so.
// The pixman operation nearest to an effect, its peer in the same run.
enum class Peer { None, Rotate, RotateRepeat, RotateZoom, RotateZoomRepeat, Scale2, Scale4, BoxBlur3x3 };
// Thread CPU seconds of one call of the peer, measured once in this run.
double PeerSeconds(Peer peer);

template <class Draw>
void AtLevel(benchmark::State& state, Draw draw, Peer peer) {
    const bool plain = state.range(0) != 0;
    elDraw::SetVectorLevel(plain ? elDraw::VectorLevel::Plain : elDraw::BestVectorLevel());
    // The peer is measured before, not inside, the timing.
    if (peer != Peer::None) PeerSeconds(peer);
    const double start = bench::ThreadCpuNow();
    for (auto _ : state) draw();
    const double seconds = (bench::ThreadCpuNow() - start) / static_cast<double>(state.iterations());
    bench::RatioToCopy(state, seconds);
    if (peer != Peer::None) state.counters["vs_pixman"] = seconds / PeerSeconds(peer);
    elDraw::SetVectorLevel(elDraw::BestVectorLevel());
    state.SetLabel(plain ? "plain" : "vector");
}

// The argument 1 runs the plain per-pixel loops instead of the vector rows
// (the zooms and the mosaic have only the one path and run it both times).
#define REGION_BENCH(name, peer, call)                                   \
    void BM_##name(benchmark::State& state) {                            \
        PaintBack();                                                     \
        AtLevel(state, [] { call; }, Peer::peer);                        \
    }                                                                    \
    BENCHMARK(BM_##name)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)

REGION_BENCH(ScreenRise, None, elDraw::ScreenRise(0, 0, 800, 599));
REGION_BENCH(ScreenRiseFade, None, elDraw::ScreenRiseFade(1, 1, 1, 0, 0, 800, 599));
REGION_BENCH(ScreenBlur, BoxBlur3x3, elDraw::ScreenBlur(0, 0, 800, 600));
REGION_BENCH(ScreenBlurFade, BoxBlur3x3, elDraw::ScreenBlurFade(1, 1, 1, 0, 0, 800, 600));
// Thin strips: one and six inner rows.
REGION_BENCH(ScreenBlurStrip3, None, elDraw::ScreenBlur(0, 100, 800, 3));
REGION_BENCH(ScreenBlurStrip8, None, elDraw::ScreenBlur(0, 100, 800, 8));
REGION_BENCH(ScreenZoom2, Scale2, elDraw::ScreenZoom2(0, 0, 400, 300, 0));
REGION_BENCH(ScreenZoom2Dotted, Scale2, elDraw::ScreenZoom2(0, 0, 400, 300, 1));
REGION_BENCH(ScreenZoom4, Scale4, elDraw::ScreenZoom4(0, 0, 200, 150, 0));
REGION_BENCH(ScreenZoom4Dotted, Scale4, elDraw::ScreenZoom4(0, 0, 200, 150, 1));
REGION_BENCH(ScreenMosaicCircle, None, elDraw::ScreenMosaicCircle(400, 300, 500, 8));
REGION_BENCH(ScreenNoise, None, elDraw::ScreenNoise(1, 0, 0, 800, 600));
REGION_BENCH(ScreenNoiseRGB, None, elDraw::ScreenNoiseRGB(1, 0, 1, 1, 0, 0, 800, 600));

// ---- Rotated draws -----------------------------------------------------------------

// The argument 1 maps every pixel by the plain formulas (the ripple has no
// such path).
#define ROTATE_BENCH(name, peer, call)                                   \
    void BM_##name(benchmark::State& state) {                            \
        const int o = Object();                                          \
        AtLevel(state, [o] { call; }, Peer::peer);                       \
    }                                                                    \
    BENCHMARK(BM_##name)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)

ROTATE_BENCH(DrawRotate, Rotate, elDraw::DrawRotate(100, 40, 612, 552, kAngle, o, 0, 0, kObject, kObject));
ROTATE_BENCH(DrawRotateTile, RotateRepeat, elDraw::DrawRotateTile(100, 40, 612, 552, kAngle, o, 0, 0, kObject, kObject));
ROTATE_BENCH(DrawRotateZoom, RotateZoom,
             elDraw::DrawRotateZoom(100, 40, 612, 552, kAngle, 2.0f, o, 0, 0, kObject, kObject));
ROTATE_BENCH(DrawRotateZoomTile, RotateZoomRepeat,
             elDraw::DrawRotateZoomTile(100, 40, 612, 552, kAngle, 1.5f, o, 0, 0, kObject, kObject));
ROTATE_BENCH(DrawRotateFloor, None,
             elDraw::DrawRotateFloor(100, 40, 612, 552, kAngle, 1.0f, 0.001f, 0.5f, 0.01f, 1.0f, 0.8f,
                                     0.6f, o, 0, 0, kObject, kObject));
ROTATE_BENCH(DrawRipple, None, elDraw::DrawRipple(100, 40, 20, 10, 1, 2.0f, 0.1f, o, 0, 0, kObject, kObject));

// ---- The floor of any full-screen pass: a 16-bit 800 x 600 memory copy ----------

void BM_MemoryCopy(benchmark::State& state) {
    std::vector<std::uint16_t> from(800 * 600, 0x1234), to(800 * 600);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 2);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemoryCopy)->Unit(benchmark::kMicrosecond);

// ---- pixman peers --------------------------------------------------------------------

struct PixmanImage {
    std::vector<std::uint16_t> pixels;
    pixman_image_t* image = nullptr;
    PixmanImage(int w, int h) : pixels(static_cast<std::size_t>(w) * h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels[static_cast<std::size_t>(y) * w + x] = Varied(x, y);
        image = pixman_image_create_bits(PIXMAN_r5g6b5, w, h, reinterpret_cast<std::uint32_t*>(pixels.data()),
                                         w * 2);
    }
    ~PixmanImage() { pixman_image_unref(image); }
};

// The source turned by kAngle about the target's centre, sampled by nearest
// pixel; outside the source nothing is drawn (OVER of an opaque format).
void SetRotation(pixman_image_t* source, double scale) {
    const double a = kAngle * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a) / scale, s = std::sin(a) / scale;
    // Target point p maps to source centre + R(-a) (p - target centre) / scale.
    const double half = kTarget / 2.0, sourceHalf = kObject / 2.0;
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(c);
    t.matrix[0][1] = pixman_double_to_fixed(-s);
    t.matrix[0][2] = pixman_double_to_fixed(sourceHalf - c * half + s * half);
    t.matrix[1][0] = pixman_double_to_fixed(s);
    t.matrix[1][1] = pixman_double_to_fixed(c);
    t.matrix[1][2] = pixman_double_to_fixed(sourceHalf - s * half - c * half);
    pixman_image_set_transform(source, &t);
    pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
}

using PeerCall = std::function<void()>;

// pixman turning the object by kAngle (scaled, reflected past its edges
// when `repeat`) into the 512 x 512 target: one composite a call.
PeerCall PixmanRotate(double scale, bool repeat) {
    auto source = std::make_shared<PixmanImage>(kObject, kObject);
    auto dest = std::make_shared<PixmanImage>(800, 600);
    SetRotation(source->image, scale);
    if (repeat) pixman_image_set_repeat(source->image, PIXMAN_REPEAT_REFLECT);
    return [source, dest] {
        pixman_image_composite32(PIXMAN_OP_OVER, source->image, nullptr, dest->image, 0, 0, 0, 0, 100, 40, kTarget,
                                 kTarget);
    };
}

// pixman magnifying a region by `factor` to fill the screen.
PeerCall PixmanScale(int factor) {
    auto source = std::make_shared<PixmanImage>(800, 600);
    auto dest = std::make_shared<PixmanImage>(800, 600);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(1.0 / factor), pixman_double_to_fixed(1.0 / factor));
    pixman_image_set_transform(source->image, &t);
    pixman_image_set_filter(source->image, PIXMAN_FILTER_NEAREST, nullptr, 0);
    return [source, dest] {
        pixman_image_composite32(PIXMAN_OP_SRC, source->image, nullptr, dest->image, 0, 0, 0, 0, 0, 0, 800, 600);
    };
}

// pixman's 3 x 3 box convolution over the screen.
PeerCall PixmanBoxBlur3x3() {
    auto source = std::make_shared<PixmanImage>(800, 600);
    auto dest = std::make_shared<PixmanImage>(800, 600);
    std::vector<pixman_fixed_t> kernel = {pixman_int_to_fixed(3), pixman_int_to_fixed(3)};
    for (int i = 0; i < 9; ++i) kernel.push_back(pixman_double_to_fixed(1.0 / 9.0));
    pixman_image_set_filter(source->image, PIXMAN_FILTER_CONVOLUTION, kernel.data(), static_cast<int>(kernel.size()));
    return [source, dest] {
        pixman_image_composite32(PIXMAN_OP_SRC, source->image, nullptr, dest->image, 0, 0, 0, 0, 0, 0, 800, 600);
    };
}

PeerCall MakePeer(Peer peer) {
    switch (peer) {
        case Peer::Rotate: return PixmanRotate(1.0, false);
        case Peer::RotateRepeat: return PixmanRotate(1.0, true);
        case Peer::RotateZoom: return PixmanRotate(2.0, false);
        case Peer::RotateZoomRepeat: return PixmanRotate(1.5, true);
        case Peer::Scale2: return PixmanScale(2);
        case Peer::Scale4: return PixmanScale(4);
        case Peer::BoxBlur3x3: return PixmanBoxBlur3x3();
        case Peer::None: break;
    }
    return [] {};
}

double PeerSeconds(Peer peer) {
    static std::map<Peer, double> measured;
    if (const auto it = measured.find(peer); it != measured.end()) return it->second;
    return measured[peer] = bench::CpuSecondsPerCall(MakePeer(peer), 3, 0.3);
}

template <Peer peer>
void BM_Pixman(benchmark::State& state) {
    const PeerCall call = MakePeer(peer);
    for (auto _ : state) call();
}
BENCHMARK(BM_Pixman<Peer::Rotate>)->Name("BM_PixmanRotateNearest")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman<Peer::RotateRepeat>)->Name("BM_PixmanRotateNearestRepeat")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman<Peer::RotateZoom>)->Name("BM_PixmanRotateZoomNearest")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman<Peer::RotateZoomRepeat>)
    ->Name("BM_PixmanRotateZoomNearestRepeat")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman<Peer::Scale2>)->Name("BM_PixmanScale2Nearest")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman<Peer::Scale4>)->Name("BM_PixmanScale4Nearest")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman<Peer::BoxBlur3x3>)->Name("BM_PixmanBoxBlur3x3")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
