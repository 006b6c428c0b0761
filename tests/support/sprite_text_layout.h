// One font sprite layout whose character boxes both builds must give: the
// portable build (FreeType with the IPA fonts) and the Windows build (GDI,
// under Wine with the same fonts). Glyph pixels may differ; boxes may not.
#pragma once

namespace test {

constexpr int kLayoutFontSize = 16;
constexpr int kLayoutLeft = 20;
constexpr int kLayoutTop = 30;
constexpr int kLayoutRight = 210;  // "。" at the end of the first line hangs past it
constexpr int kLayoutBottom = 200;
constexpr int kLayoutFlags = 0x0102;  // shadow, 2 pixels between lines
constexpr const char* kLayoutText = "今日は、いい天気ですね。\n明日も晴れるでしょう。abc, def.";

struct LayoutBox {
    int left, top, right, bottom;
};
// Entry 0 bounds everything; the hanging "。" has no box, and the line feed
// right after it leaves an empty line (the hang already broke the line).
constexpr int kLayoutBoxCount = 32;
constexpr LayoutBox kLayoutBoxes[kLayoutBoxCount] = {
    {20, 30, 228, 101},
    {20, 30, 36, 47},
    {36, 30, 52, 47},
    {52, 30, 68, 47},
    {68, 30, 84, 47},
    {84, 30, 100, 47},
    {100, 30, 116, 47},
    {116, 30, 132, 47},
    {132, 30, 148, 47},
    {148, 30, 164, 47},
    {164, 30, 180, 47},
    {180, 30, 196, 47},
    {20, 66, 36, 83},
    {36, 66, 52, 83},
    {52, 66, 68, 83},
    {68, 66, 84, 83},
    {84, 66, 100, 83},
    {100, 66, 116, 83},
    {116, 66, 132, 83},
    {132, 66, 148, 83},
    {148, 66, 164, 83},
    {164, 66, 180, 83},
    {180, 66, 196, 83},
    {196, 66, 205, 83},
    {20, 84, 29, 101},
    {29, 84, 38, 101},
    {38, 84, 47, 101},
    {47, 84, 56, 101},
    {56, 84, 65, 101},
    {65, 84, 74, 101},
    {74, 84, 83, 101},
    {83, 84, 92, 101}
};

}  // namespace test
