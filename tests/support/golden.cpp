#include "support/golden.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

#include "platform/display.h"

namespace test {

namespace {

int Expand(std::uint32_t value, int bits) {
    // Top bits repeated into the low ones: 5 bits 0x1F -> 0xFF.
    std::uint32_t v = value << (8 - bits);
    return static_cast<int>(v | (v >> bits));
}

}  // namespace

Rgb ToRgb(const plat::headless::Frame& frame) {
    Rgb out;
    out.width = frame.width;
    out.height = frame.height;
    out.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height * 3);
    plat::DisplayFormat format = plat::GetDisplayFormat();
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        std::uint32_t p = frame.pixels[i];
        int r, g, b;
        if (format == plat::DisplayFormat::Rgb565) {
            r = Expand((p >> 11) & 31, 5);
            g = Expand((p >> 5) & 63, 6);
            b = Expand(p & 31, 5);
        } else if (format == plat::DisplayFormat::Rgb555) {
            r = Expand((p >> 10) & 31, 5);
            g = Expand((p >> 5) & 31, 5);
            b = Expand(p & 31, 5);
        } else {
            r = static_cast<int>((p >> 16) & 255);
            g = static_cast<int>((p >> 8) & 255);
            b = static_cast<int>(p & 255);
        }
        out.pixels[i * 3] = static_cast<std::uint8_t>(r);
        out.pixels[i * 3 + 1] = static_cast<std::uint8_t>(g);
        out.pixels[i * 3 + 2] = static_cast<std::uint8_t>(b);
    }
    return out;
}

bool WritePng(const std::string& path, const Rgb& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

bool ReadPng(const std::string& path, Rgb* image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->pixels.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image->pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

long CountDifferences565(const Rgb& a, const Rgb& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    long differ = 0;
    for (std::size_t i = 0; i + 2 < a.pixels.size(); i += 3) {
        bool same = (a.pixels[i] >> 3) == (b.pixels[i] >> 3) &&
                    (a.pixels[i + 1] >> 2) == (b.pixels[i + 1] >> 2) &&
                    (a.pixels[i + 2] >> 3) == (b.pixels[i + 2] >> 3);
        if (!same) ++differ;
    }
    return differ;
}

long CompareWithGolden(const std::string& name, const plat::headless::Frame& frame) {
    std::string golden = std::string(EL_GOLDEN_DIR) + "/" + name + ".png";
    Rgb actual = ToRgb(frame);
    if (std::getenv("EL_UPDATE_GOLDEN")) return WritePng(golden, actual) ? 0 : -1;
    Rgb expected;
    if (!ReadPng(golden, &expected)) return -1;
    long differ = CountDifferences565(expected, actual);
    if (differ != 0) WritePng(name + ".actual.png", actual);
    return differ;
}

}  // namespace test
