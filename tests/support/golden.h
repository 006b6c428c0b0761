// Golden images: presented frames compared pixel by pixel with reference
// pictures kept in tests/golden. Set EL_UPDATE_GOLDEN=1 to write them anew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/portable/headless_display.h"

namespace test {

struct Rgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // r, g, b per pixel, row-major
};

// The frame's display pixels (5:6:5, 5:5:5 or 32-bit) as 8-bit channels,
// each widened by repeating its top bits.
Rgb ToRgb(const plat::headless::Frame& frame);
bool WritePng(const std::string& path, const Rgb& image);
bool ReadPng(const std::string& path, Rgb* image);

// Number of pixels whose 5:6:5 values differ between the two pictures
// (-1 when the sizes differ).
long CountDifferences565(const Rgb& a, const Rgb& b);

// Compares the frame with tests/golden/<name>.png; returns the number of
// differing pixels, or -1 when the golden image is missing. With
// EL_UPDATE_GOLDEN set, writes the golden image and returns 0. A differing
// frame is saved beside the build as <name>.actual.png for inspection.
long CompareWithGolden(const std::string& name, const plat::headless::Frame& frame);

}  // namespace test
