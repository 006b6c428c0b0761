// Font sprite text on a headless 800 x 600 5:6:5 screen: 200 Japanese
// characters in a 600 x 160 message window, with shadow.
//
//   BM_SpriteText        render with GDI at screen size and draw (goal < 1 ms)
//   BM_SmoothText        render at double size, reduce line by line and draw
//                        (goal < 2 ms)
//   BM_SmoothLine        the reduction alone: one 600 x 22 line from the
//                        1200 x 44 double-size glyphs of the first line
//   BM_RevealFrame       one RevealText frame with every character drawn box
//                        by box (the costliest frame before the last; goal
//                        < 0.1 ms)
//   BM_PixmanHalfScale   peer of the reduction: pixman scales the same
//                        1200 x 44 r5g6b5 line to half with a bilinear filter
//                        and composites it OVER a 600 x 22 picture
//   BM_SdlKeyedBlit      peer of the reveal: SDL_BlitSurface of the window's
//                        600 x 160 with a colour key, 16 bits
//
// The ratios to report: SmoothLine / PixmanHalfScale and RevealFrame /
// SdlKeyedBlit, from one run.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "draw/elDraw.h"
#include "text/elText.h"

namespace {

constexpr int kLeft = 100, kTop = 400, kRight = 700, kBottom = 560;
constexpr int kSize = 18;
constexpr int kFlags = 0x104;        // shadow, 4 pixels between lines
constexpr int kSmoothFlags = 0x108;  // the same in double-size pixels

// 200 characters of ordinary Japanese prose with punctuation.
const char* Text() {
    static const char* const text =
        "丘の上の小さな町に、朝いちばんの鐘が鳴った。パン屋の煙突からは白い湯気がのぼり、"
        "石畳の道を、眠そうな猫がゆっくりと横切っていく。井戸のそばで、水をくむ少女が声を"
        "かけてきた。かごの中には、赤い木の実と、まだ温かいパンがひとつ。西の森には古い塔"
        "が立っている。だれが建てたのか、町の人はだれも知らない。けれども月の明るい夜には、"
        "塔の窓に青い灯りがともるという。旅の支度は、これで終わり。地図と水筒、それから少"
        "しの勇気。さあ出かけよう。";
    return text;
}

bool Ready(benchmark::State& state) {
    if (bench::OpenHeadlessScreen("bench_sprite_text")) return true;
    state.SkipWithError("no headless screen");
    return false;
}

void BM_SpriteText(benchmark::State& state) {
    if (!Ready(state)) return;
    for (auto _ : state) {
        elText::SetFont(elText::kFaceSansSerif, kSize, 0, 0, 0, 0);
        elText::SetColor(0xFFFFFF, 0x000000, 1);
        elText::SpriteText(kLeft, kTop, kRight, kBottom, Text(), kFlags);
        elText::ReleaseFont();
    }
    state.counters["chars"] = elText::BoxCount - 1;
}
BENCHMARK(BM_SpriteText)->Unit(benchmark::kMillisecond);

void BM_SmoothText(benchmark::State& state) {
    if (!Ready(state)) return;
    for (auto _ : state) {
        elText::SetWorkFont(elText::kFaceSansSerif, kSize);
        elText::SetColor(0xFFFFFF, 0x000000, 1);
        elText::SmoothText(kLeft, kTop, kRight, kBottom, Text(), kSmoothFlags);
        elText::ReleaseWorkFont();
    }
    state.counters["chars"] = elText::BoxCount - 1;
}
BENCHMARK(BM_SmoothText)->Unit(benchmark::kMillisecond);

void BM_SmoothLine(benchmark::State& state) {
    if (!Ready(state)) return;
    // The first line's glyphs in the Font buffer, as SmoothText leaves them.
    elText::SetWorkFont(elText::kFaceSansSerif, kSize);
    elText::SetColor(0xFFFFFF, 0x000000, 1);
    elText::Draw(0, 0, "丘の上の小さな町に、朝いちばんの鐘が鳴った。パン屋の煙");
    elText::ReleaseWorkFont();
    for (auto _ : state) benchmark::DoNotOptimize(elText::SmoothLine(kLeft, kTop, 0, 0, 1200, 44));
}
BENCHMARK(BM_SmoothLine)->Unit(benchmark::kMicrosecond);

void BM_RevealFrame(benchmark::State& state) {
    if (!Ready(state)) return;
    elText::SetFont(elText::kFaceSansSerif, kSize, 0, 0, 0, 0);
    elText::SetColor(0xFFFFFF, 0x000000, 1);
    elText::PrepareSpriteText(kLeft, kTop, kRight, kBottom, Text(), kFlags);
    elText::ReleaseFont();
    FrameDelta = 0.0f;  // never uncovers more: every frame draws all boxes
    for (auto _ : state) {
        elText::RevealedCount = elText::BoxCount;
        benchmark::DoNotOptimize(elText::RevealText(1.0f));
    }
    state.counters["boxes"] = elText::BoxCount - 1;
}
BENCHMARK(BM_RevealFrame)->Unit(benchmark::kMicrosecond);

// A 16-bit picture with glyph-like strokes: every third pixel of every other
// row set, the rest 0.
std::vector<std::uint16_t> Strokes(int width, int height) {
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(width) * height, 0);
    for (int y = 0; y < height; y += 2)
        for (int x = 0; x < width; x += 3) pixels[static_cast<std::size_t>(y) * width + x] = 0xFFFF;
    return pixels;
}

void BM_PixmanHalfScale(benchmark::State& state) {
    std::vector<std::uint16_t> source = Strokes(1200, 44);
    std::vector<std::uint16_t> dest(600 * 22, 0x1082);
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_r5g6b5, 1200, 44, reinterpret_cast<std::uint32_t*>(source.data()),
                                                   1200 * 2);
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_r5g6b5, 600, 22, reinterpret_cast<std::uint32_t*>(dest.data()), 600 * 2);
    pixman_transform_t half;
    pixman_transform_init_scale(&half, pixman_double_to_fixed(2.0), pixman_double_to_fixed(2.0));
    pixman_image_set_transform(src, &half);
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, 600, 22);
        benchmark::DoNotOptimize(dest.data());
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
BENCHMARK(BM_PixmanHalfScale)->Unit(benchmark::kMicrosecond);

void BM_SdlKeyedBlit(benchmark::State& state) {
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, 600, 160, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    if (!src || !dst) {
        state.SkipWithError("no SDL surfaces");
        return;
    }
    std::vector<std::uint16_t> strokes = Strokes(600, 160);
    for (int y = 0; y < 160; ++y)
        std::memcpy(static_cast<std::uint8_t*>(src->pixels) + y * src->pitch, &strokes[static_cast<std::size_t>(y) * 600],
                    1200);
    SDL_SetColorKey(src, SDL_TRUE, 0);
    SDL_Rect to{kLeft, kTop, 600, 160};
    for (auto _ : state) {
        SDL_Rect d = to;
        SDL_BlitSurface(src, nullptr, dst, &d);
        benchmark::DoNotOptimize(dst->pixels);
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
BENCHMARK(BM_SdlKeyedBlit)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
