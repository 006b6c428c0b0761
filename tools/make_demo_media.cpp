// make_demo_media — draws the pictures and plays out the sounds of the pack
// example, for the pack tool to pack at build time.
//
//   usage: make_demo_media <output-folder>
//
// Writes, from fixed formulas so every run gives identical files:
//   <out>/pictures/BACK.BMP   800 x 600, 24-bit: a night sky over hills
//   <out>/pictures/BALL.BMP   32 x 32, 24-bit: a shaded ball on black (the key)
//   <out>/sounds/TUNE.WAV     8 s, 22050 Hz mono 16-bit: a looping arpeggio
//   <out>/sounds/CLICK.WAV    0.08 s, 22050 Hz mono 16-bit: a short click
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

void Put(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

bool Save(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

struct Rgb {
    int r, g, b;
};

// A 24-bit bottom-up BMP of colour(x, y).
template <typename F>
std::vector<unsigned char> Bmp(int width, int height, F colour) {
    std::vector<unsigned char> out = {'B', 'M'};
    std::uint32_t row = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    std::uint32_t data = row * static_cast<std::uint32_t>(height);
    Put(out, 54 + data, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, static_cast<std::uint32_t>(width), 4);
    Put(out, static_cast<std::uint32_t>(height), 4);
    Put(out, 1, 2);
    Put(out, 24, 2);
    Put(out, 0, 4);
    Put(out, data, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            Rgb c = colour(x, y);
            out.push_back(static_cast<unsigned char>(c.b));
            out.push_back(static_cast<unsigned char>(c.g));
            out.push_back(static_cast<unsigned char>(c.r));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < row; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> Wave(const std::vector<std::int16_t>& samples, int rate) {
    std::vector<unsigned char> out = {'R', 'I', 'F', 'F'};
    std::uint32_t data = static_cast<std::uint32_t>(samples.size() * 2);
    Put(out, 36 + data, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(rate), 4);
    Put(out, static_cast<std::uint32_t>(rate * 2), 4);
    Put(out, 2, 2);
    Put(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put(out, data, 4);
    for (std::int16_t s : samples) Put(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

int Clamp(double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v); }

Rgb Sky(int x, int y) {
    double hill = 430 + 40 * std::sin(x * 0.011) + 25 * std::sin(x * 0.029 + 1.3);
    if (y > hill) {
        double shade = (y - hill) / (600 - hill);
        return {Clamp(20 + 30 * shade), Clamp(60 + 70 * shade), Clamp(30 + 20 * shade)};
    }
    // A star wherever a fixed hash of the position is small.
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    if ((h >> 20) % 900 == 0) return {240, 240, 255};
    double t = y / hill;
    return {Clamp(10 + 40 * t), Clamp(12 + 30 * t), Clamp(60 + 90 * t)};
}

Rgb Ball(int x, int y) {
    double dx = x - 15.5, dy = y - 15.5;
    if (dx * dx + dy * dy > 15.5 * 15.5) return {0, 0, 0};
    double light = 0.35 + 0.65 * std::max(0.0, 1.0 - std::hypot(dx + 6, dy + 6) / 24);
    return {Clamp(255 * light), Clamp(140 * light), Clamp(40 * light + 8)};
}

std::vector<std::int16_t> Tune(int rate) {
    // A rising and falling arpeggio, one note every quarter second.
    const double notes[] = {261.63, 329.63, 392.00, 523.25, 392.00, 329.63, 293.66, 349.23,
                            440.00, 587.33, 440.00, 349.23, 246.94, 293.66, 392.00, 493.88};
    std::vector<std::int16_t> out(static_cast<std::size_t>(rate) * 8);
    for (std::size_t i = 0; i < out.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        int n = static_cast<int>(t * 4);
        double local = t * 4 - n;
        double f = notes[n % 16];
        double envelope = std::exp(-4.0 * local) * std::min(1.0, local * 200);
        double v = std::sin(2 * std::numbers::pi * f * t) + 0.3 * std::sin(4 * std::numbers::pi * f * t);
        out[i] = static_cast<std::int16_t>(std::lround(9000 * envelope * v));
    }
    return out;
}

std::vector<std::int16_t> Click(int rate) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(rate) * 8 / 100);
    for (std::size_t i = 0; i < out.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        out[i] = static_cast<std::int16_t>(std::lround(12000 * std::exp(-60 * t) * std::sin(2 * std::numbers::pi * 1200 * t)));
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_media <output-folder>\n");
        return 2;
    }
    std::filesystem::path out = argv[1];
    bool ok = Save(out / "pictures" / "BACK.BMP", Bmp(800, 600, Sky)) &&
              Save(out / "pictures" / "BALL.BMP", Bmp(32, 32, Ball)) &&
              Save(out / "sounds" / "TUNE.WAV", Wave(Tune(22050), 22050)) &&
              Save(out / "sounds" / "CLICK.WAV", Wave(Click(22050), 22050));
    if (!ok) {
        std::fprintf(stderr, "make_demo_media: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
