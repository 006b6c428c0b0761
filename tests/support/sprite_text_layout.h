// One font sprite layout whose character boxes both builds must give: the
// portable build (FreeType with the IPA fonts) and the Windows build (GDI,
// under Wine with the same fonts). Glyph pixels may differ; boxes may not.
#pragma once

namespace test {

// 24 pixels: there FreeType's hinted advances of the IPA fonts and Wine's
// GDI agree to the pixel (at 12 to 20 pixels Wine's full-width advances are
// one pixel wider).
constexpr int kLayoutFontSize = 24;
constexpr int kLayoutLeft = 20;
constexpr int kLayoutTop = 30;
constexpr int kLayoutRight = 280;  // "。" at the end of the first line hangs past it
constexpr int kLayoutBottom = 300;
constexpr int kLayoutFlags = 0x0102;  // shadow, 2 pixels between lines
constexpr const char* kLayoutText = "今日は、いい天気ですね。\n明日も晴れるでしょう。abc, def.";

struct LayoutBox {
    int left, top, right, bottom;
};
// Entry 0 bounds everything; the hanging "。" has no box, and the line feed
// right after it leaves an empty line (the hang already broke the line).
constexpr int kLayoutBoxCount = 32;
constexpr LayoutBox kLayoutBoxes[kLayoutBoxCount] = {
    {20, 30, 319, 132},
    {20, 30, 43, 54},
    {43, 30, 66, 54},
    {66, 30, 89, 54},
    {89, 30, 112, 54},
    {112, 30, 135, 54},
    {135, 30, 158, 54},
    {158, 30, 181, 54},
    {181, 30, 204, 54},
    {204, 30, 227, 54},
    {227, 30, 250, 54},
    {250, 30, 273, 54},
    {20, 82, 43, 106},
    {43, 82, 66, 106},
    {66, 82, 89, 106},
    {89, 82, 112, 106},
    {112, 82, 135, 106},
    {135, 82, 158, 106},
    {158, 82, 181, 106},
    {181, 82, 204, 106},
    {204, 82, 227, 106},
    {227, 82, 250, 106},
    {250, 82, 273, 106},
    {20, 108, 32, 132},
    {32, 108, 44, 132},
    {44, 108, 56, 132},
    {56, 108, 68, 132},
    {68, 108, 80, 132},
    {80, 108, 92, 132},
    {92, 108, 104, 132},
    {104, 108, 116, 132},
    {116, 108, 128, 132}
};

}  // namespace test
