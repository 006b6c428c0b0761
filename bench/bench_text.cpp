// Cost of the portable GDI text and rasteriser against a plain fill of the
// same pixels, measured in one run so the ratios compare like with like.
//
//   BM_FillCell        peer: FillPixels of the cell of the Printf line
//   BM_PrintLine       what elText::Printf costs: make the 12-pixel font, draw
//                      "kyori_x=123" opaque (glyphs cached after the first call)
//   BM_DrawBox         DrawText word-wrapping 60 Japanese characters in 300 pixels
//   BM_FillBox         peer: FillPixels of 100 x 100
//   BM_Rectangle       Rectangle 100 x 100 with a one-pixel pen and solid brush
//   BM_HatchPolygon    Polygon of a 100 x 100 diamond, diagonal-cross hatch
//   BM_Lines           100 one-pixel lines of about 100 pixels
//
// Run with --benchmark_counters_tabular=true; "vs_peer" is the time per call
// divided by the peer's (text against the cell fill, shapes against the box fill).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>
#include <vector>

#include "platform/portable/gdi_fonts.h"
#include "platform/portable/ddraw_pixels.h"
#include "platform/portable/gdi_raster.h"

namespace {

namespace r = plat::portable::raster;
namespace f = plat::portable::fonts;

struct Screen {
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(800 * 600 * 2);
    plat::portable::PixelView view{memory.data(), 1600, 800, 600, 2};
    r::Target target{view};
};

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Seconds per call of a peer, timed with the wall clock over 0.2 s.
template <typename F>
double SecondsPerCall(F fn) {
    for (int i = 0; i < 20; ++i) fn();
    int n = 0;
    const double start = Now();
    while (Now() - start < 0.2) {
        fn();
        ++n;
    }
    return (Now() - start) / n;
}

f::LogFont PrintFont() {
    f::LogFont lf;
    lf.height = 12;
    lf.faceName = "標準ゴシック";
    return lf;
}

const char* const kParagraph =
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"
    "ニャーニャー泣いていた事だけは記憶している。";

double CellFillSeconds() {
    static double s = [] {
        Screen sc;
        f::Font font(PrintFont());
        const f::Size size = font.TextExtent("kyori_x=123");
        return SecondsPerCall([&] { r::FillPixels(sc.target, {0, 0, size.cx, size.cy}, 0x0010); });
    }();
    return s;
}

double BoxFillSeconds() {
    static double s = [] {
        Screen sc;
        return SecondsPerCall([&] { r::FillPixels(sc.target, {100, 100, 200, 200}, 0x0010); });
    }();
    return s;
}

void Report(benchmark::State& state, double seconds, double peer) {
    state.counters["us"] = seconds * 1e6;
    state.counters["vs_peer"] = seconds / peer;
}

void BM_FillCell(benchmark::State& state) {
    Screen sc;
    f::Font font(PrintFont());
    const f::Size size = font.TextExtent("kyori_x=123");
    for (auto _ : state) r::FillPixels(sc.target, {0, 0, size.cx, size.cy}, 0x0010);
    Report(state, CellFillSeconds(), CellFillSeconds());
}

void BM_PrintLine(benchmark::State& state) {
    Screen sc;
    const f::TextStyle style{0xFFFFFF, 0x800000, r::BkMode::Opaque};
    auto once = [&] {
        f::Font font(PrintFont());
        font.TextOut(sc.target, 0, 0, "kyori_x=123", style);
    };
    for (auto _ : state) once();
    Report(state, SecondsPerCall(once), CellFillSeconds());
}

void BM_DrawBox(benchmark::State& state) {
    Screen sc;
    f::Font font(PrintFont());
    const f::TextStyle style{0xFFFFFF, 0, r::BkMode::Transparent};
    auto once = [&] {
        r::Rect rect{100, 100, 400, 300};
        font.DrawText(sc.target, kParagraph, rect, f::kDtWordBreak | f::kDtNoPrefix, style);
    };
    for (auto _ : state) once();
    Report(state, SecondsPerCall(once), CellFillSeconds());
}

void BM_FillBox(benchmark::State& state) {
    Screen sc;
    for (auto _ : state) r::FillPixels(sc.target, {100, 100, 200, 200}, 0x0010);
    Report(state, BoxFillSeconds(), BoxFillSeconds());
}

void BM_Rectangle(benchmark::State& state) {
    Screen sc;
    r::State st;
    st.brush.color = 0x0000FF;
    auto once = [&] { r::Rectangle(sc.target, st, 100, 100, 200, 200); };
    for (auto _ : state) once();
    Report(state, SecondsPerCall(once), BoxFillSeconds());
}

void BM_HatchPolygon(benchmark::State& state) {
    Screen sc;
    r::State st;
    st.brush = {r::BrushStyle::Hatched, 0x0000FF, r::Hatch::DiagonalCross};
    const r::Point diamond[4] = {{150, 100}, {200, 150}, {150, 200}, {100, 150}};
    auto once = [&] { r::Polygon(sc.target, st, diamond, 4); };
    for (auto _ : state) once();
    Report(state, SecondsPerCall(once), BoxFillSeconds());
}

void BM_Lines(benchmark::State& state) {
    Screen sc;
    r::State st;
    auto once = [&] {
        for (int i = 0; i < 100; ++i) {
            r::MoveTo(st, 100, 100 + i);
            r::LineTo(sc.target, st, 200, 200 - i);
        }
    };
    for (auto _ : state) once();
    Report(state, SecondsPerCall(once), BoxFillSeconds());
}

BENCHMARK(BM_FillCell);
BENCHMARK(BM_PrintLine);
BENCHMARK(BM_DrawBox);
BENCHMARK(BM_FillBox);
BENCHMARK(BM_Rectangle);
BENCHMARK(BM_HatchPolygon);
BENCHMARK(BM_Lines);

}  // namespace

BENCHMARK_MAIN();
