// CPU cost of the sound mixer: 32 voices into a 44.1 kHz stereo 16-bit
// output, one second of audio per iteration (so the time per iteration is
// the cost per second of audio). The peer is SDL's own mixing routine
// (SDL_MixAudioFormat) adding the same 32 voices at the same rate, which
// does no resampling, panning or decibel volume.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dsound.h"
#include "platform/portable/headless.h"

using namespace plat;

namespace {

constexpr int kVoices = 32;
constexpr int kRate = 44100;

LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

std::vector<std::int16_t> Noise(int frames, int channels, std::uint32_t seed) {
    std::vector<std::int16_t> v(static_cast<std::size_t>(frames * channels));
    for (auto& s : v) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(static_cast<std::int32_t>(seed >> 16) - 32768) / 8;
    }
    return v;
}

// The mixer as the library drives it: a device, a 44.1 kHz stereo 16-bit
// primary format and 32 looping secondary buffers of one second each.
struct Scene {
    IDirectSound* device = nullptr;
    IDirectSoundBuffer* primary = nullptr;
    std::vector<IDirectSoundBuffer*> buffers;

    Scene(int sourceRate, int channels, bool varyFrequency) {
        headless::Enable(true);
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "BENCH";
        RegisterClassA(&wc);
        HWND window = CreateWindowExA(0, "BENCH", "bench", 0, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
        if (Failed(DirectSoundCreate(nullptr, &device, nullptr))) return;
        device->SetCooperativeLevel(window, DSSCL_PRIORITY);
        DSBUFFERDESC pd{};
        pd.dwSize = sizeof pd;
        pd.dwFlags = DSBCAPS_PRIMARYBUFFER;
        device->CreateSoundBuffer(&pd, &primary, nullptr);
        WAVEFORMATEX out{WAVE_FORMAT_PCM, 2, kRate, kRate * 4, 4, 16, 0};
        primary->SetFormat(&out);
        WAVEFORMATEX f{WAVE_FORMAT_PCM, static_cast<WORD>(channels), static_cast<DWORD>(sourceRate),
                       static_cast<DWORD>(sourceRate * channels * 2), static_cast<WORD>(channels * 2), 16, 0};
        for (int i = 0; i < kVoices; ++i) {
            auto data = Noise(sourceRate, channels, static_cast<std::uint32_t>(i + 1));
            DSBUFFERDESC d{};
            d.dwSize = sizeof d;
            d.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
            d.dwBufferBytes = static_cast<DWORD>(data.size() * 2);
            d.lpwfxFormat = &f;
            IDirectSoundBuffer* b = nullptr;
            if (Failed(device->CreateSoundBuffer(&d, &b, nullptr))) continue;
            void* p1;
            void* p2;
            DWORD n1, n2;
            b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0);
            std::memcpy(p1, data.data(), n1);
            b->Unlock(p1, n1, p2, n2);
            b->SetVolume(-100 * (i % 10));
            b->SetPan(600 * (i % 7) - 1800);
            if (varyFrequency) b->SetFrequency(static_cast<DWORD>(sourceRate * (0.6 + 0.025 * i)));
            b->Play(0, 0, DSBPLAY_LOOPING);
            buffers.push_back(b);
        }
    }
    ~Scene() {
        for (auto* b : buffers) b->Release();
        if (primary) primary->Release();
        if (device) device->Release();
    }
};

void Run(benchmark::State& state, int sourceRate, int channels, bool vary) {
    Scene scene(sourceRate, channels, vary);
    if (static_cast<int>(scene.buffers.size()) != kVoices) {
        state.SkipWithError("no sound device");
        return;
    }
    for (auto _ : state) {
        headless::AdvanceClock(1000);  // one second of audio
        headless::SyncAudio();
    }
    state.counters["voices"] = kVoices;
}

// Stereo sources at the output rate: no resampling.
void BM_Mixer_SameRate(benchmark::State& state) { Run(state, kRate, 2, false); }
// Mono sources at 22050 Hz played at 60%..138% of their rate: resampled.
void BM_Mixer_Resampled(benchmark::State& state) { Run(state, 22050, 1, true); }

void BM_Peer_SDLMixAudioFormat(benchmark::State& state) {
    std::vector<std::vector<std::int16_t>> sources;
    for (int i = 0; i < kVoices; ++i) sources.push_back(Noise(kRate, 2, static_cast<std::uint32_t>(i + 1)));
    std::vector<std::int16_t> out(static_cast<std::size_t>(kRate * 2));
    constexpr int kBlock = 1024;
    for (auto _ : state) {
        // In blocks of 1024 frames, as an audio callback would be asked.
        for (int at = 0; at < kRate; at += kBlock) {
            int n = std::min(kBlock, kRate - at);
            auto* dst = reinterpret_cast<Uint8*>(out.data() + at * 2);
            std::memset(dst, 0, static_cast<std::size_t>(n) * 4);
            for (int v = 0; v < kVoices; ++v)
                SDL_MixAudioFormat(dst, reinterpret_cast<const Uint8*>(sources[static_cast<std::size_t>(v)].data() + at * 2),
                                   AUDIO_S16SYS, static_cast<Uint32>(n * 4), 100 - v % 10 * 3);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["voices"] = kVoices;
}

}  // namespace

BENCHMARK(BM_Mixer_SameRate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mixer_Resampled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_SDLMixAudioFormat)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
