// Shared by the sound and music tests: a headless program with the sound
// device open, files made on the spot, and measurements of what was heard.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "platform/dsound.h"
#include "platform/portable/headless.h"
#include "sound/elSound.h"
#include "support/headless_app.h"
#include "system/elSystem.h"

namespace soundtest {

namespace fs = std::filesystem;
namespace hl = plat::headless;

inline void Put16(std::vector<std::uint8_t>& v, unsigned x) {
    v.push_back(static_cast<std::uint8_t>(x & 0xFF));
    v.push_back(static_cast<std::uint8_t>((x >> 8) & 0xFF));
}
inline void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
inline void Append(std::vector<std::uint8_t>& v, const void* bytes, std::size_t n) {
    std::size_t old = v.size();
    v.resize(old + n);
    if (n) std::memcpy(v.data() + old, bytes, n);
}
inline void PutTag(std::vector<std::uint8_t>& v, const char* tag) { Append(v, tag, 4); }

// PCM sample bytes of a sine (or silence when hz is 0) for every channel.
inline std::vector<std::uint8_t> Tone(int channels, int rate, int bits, double hz, double amplitude,
                                      int ms) {
    std::vector<std::uint8_t> d;
    int frames = rate * ms / 1000;
    for (int i = 0; i < frames; ++i) {
        double v = hz > 0 ? amplitude * std::sin(2 * std::numbers::pi * hz * i / rate) : 0.0;
        for (int c = 0; c < channels; ++c) {
            if (bits == 16) Put16(d, static_cast<unsigned>(static_cast<std::int16_t>(std::lround(v * 32767))) & 0xFFFF);
            else d.push_back(static_cast<std::uint8_t>(std::lround(v * 127) + 128));
        }
    }
    return d;
}

// A wave file with the canonical 44-byte header.
inline std::vector<std::uint8_t> Wave(int channels, int rate, int bits,
                                      const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> w;
    PutTag(w, "RIFF");
    Put32(w, static_cast<std::uint32_t>(36 + data.size()));
    PutTag(w, "WAVE");
    PutTag(w, "fmt ");
    Put32(w, 16);
    Put16(w, 1);
    Put16(w, static_cast<unsigned>(channels));
    Put32(w, static_cast<std::uint32_t>(rate));
    Put32(w, static_cast<std::uint32_t>(rate * channels * bits / 8));
    Put16(w, static_cast<unsigned>(channels * bits / 8));
    Put16(w, static_cast<unsigned>(bits));
    PutTag(w, "data");
    Put32(w, static_cast<std::uint32_t>(data.size()));
    Append(w, data.data(), data.size());
    return w;
}

inline void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One channel of a capture.
inline std::vector<float> Channel(const hl::AudioCapture& c, int channel) {
    std::vector<float> out;
    for (std::size_t i = static_cast<std::size_t>(channel); i < c.samples.size();
         i += static_cast<std::size_t>(c.channels))
        out.push_back(c.samples[i]);
    return out;
}

inline double Rms(const std::vector<float>& x, std::size_t from, std::size_t count) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = from; i < from + count && i < x.size(); ++i, ++n) sum += double{x[i]} * x[i];
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

inline double Db(double ratio) { return 20.0 * std::log10(ratio); }

// Indices where the signal rises above `threshold` after at least `gap`
// samples below it.
inline std::vector<std::size_t> Onsets(const std::vector<float>& x, float threshold, std::size_t gap) {
    std::vector<std::size_t> out;
    std::size_t quiet = gap;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::fabs(x[i]) > threshold) {
            if (quiet >= gap) out.push_back(i);
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return out;
}

// Strongest frequency (Goertzel scan, 5 Hz steps) in x[from, from+count).
inline double PeakFrequency(const std::vector<float>& x, std::size_t from, std::size_t count, int rate,
                            double low = 50, double high = 5000) {
    double best = 0, bestPower = -1;
    for (double f = low; f <= high; f += 5) {
        double w = 2 * std::numbers::pi * f / rate, coeff = 2 * std::cos(w), s1 = 0, s2 = 0;
        for (std::size_t i = from; i < from + count && i < x.size(); ++i) {
            double s = x[i] + coeff * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = f;
        }
    }
    return best;
}

// A started headless program with the sound device open and a program
// folder of its own, where tests write their waves and MIDI files.
class SoundFixture : public test::Headless {
protected:
    void SetUp() override {
        test::Headless::SetUp();
        dir = fs::temp_directory_path() / ("el_sound_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::string program = (dir / "GAME.EXE").string();
        for (char& c : program)
            if (c == '/') c = '\\';
        hl::SetModuleFileName(program);
        if (!deviceBeforeStart) hl::SetAudioDevicePresent(false);
        app.program.scenes = {{1, [this] {
                                   ++app.frames;
                                   if (perFrame) perFrame();
                               }}};
        ErrorFlag = 0;  // the screen would clear it; this program opens none
        ASSERT_TRUE(elSystem::Startup(app.program, "", plat::SW_SHOWNORMAL));
        created = elSound::Create();
        elSound::ResetTable();
        elMusic::Reset();
    }
    void TearDown() override {
        elMusic::Stop();
        test::Headless::TearDown();
        hl::StopAudioCapture();
        hl::SetAudioDevicePresent(true);
        hl::UseRealAudioDevice(false);
        hl::ClearMciCommands();
        plat::ClearRegisteredResources();
        fs::remove_all(dir);
    }

    // Frames of `ms` virtual milliseconds each.
    void Frames(int count, int ms) {
        for (int i = 0; i < count; ++i) {
            hl::AdvanceClock(static_cast<plat::DWORD>(ms));
            ASSERT_TRUE(test::RunFrames(1, app));
        }
    }

    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        WriteFile(dir / name, bytes);
    }

    std::string Boxes() const {
        std::string all;
        for (const auto& b : hl::Boxes()) all += b.text;
        return all;
    }

    bool deviceBeforeStart = true;
    fs::path dir;
    test::CountingProgram app{false};
    std::function<void()> perFrame;
    int created = 0;
};

}  // namespace soundtest
