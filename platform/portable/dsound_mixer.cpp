// The mixer of the portable audio output.
//
// Written by hand because no library mixes the way the sound buffers must
// sound: per buffer a playback rate from 100 to 100000 Hz (linear
// interpolation), a volume in hundredths of a decibel and a pan that
// attenuates the opposite side by that many hundredths of a decibel, over 8-
// and 16-bit, mono and stereo PCM, into an output of the primary buffer's
// format. SDL only carries the result to the device.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/portable/headless.h"
#include "platform/portable/dsound_mixer.h"
#include "platform/portable/state.h"

namespace plat::audio {
namespace {

constexpr int kBlock = 1024;  // frames mixed at a time

struct Mixer {
    std::mutex mutex;
    OutputFormat format;
    std::vector<Voice*> voices;
    MusicRenderer music = nullptr;
    void* musicContext = nullptr;

    // Output device (main thread only).
    int users = 0;
    SDL_AudioDeviceID device = 0;
    bool memoryOutput = false;  // headless: mixed in step with the virtual clock

    // Headless settings.
    bool devicePresent = true;
    bool useRealDevice = false;

    // Headless clock tracking.
    bool clockKnown = false;
    DWORD lastClock = 0;
    std::uint64_t elapsedMs = 0;
    std::uint64_t framesDone = 0;

    // Recording of the output.
    bool capturing = false;
    headless::AudioCapture capture;

    // Working memory of the mixing thread.
    std::vector<float> accumulator = std::vector<float>(2 * kBlock);
    std::vector<float> musicLeft, musicRight;
    std::uint64_t musicPosition = 0;  // 32.32, in music frames from musicLeft[0]
    std::vector<BYTE> scratch;
};

// Never destroyed: the audio thread may still run while the process exits.
Mixer& M() {
    static Mixer* mixer = new Mixer;
    return *mixer;
}

float DecibelGain(LONG hundredths) {
    if (hundredths <= DSBVOLUME_MIN) return 0.0f;
    return static_cast<float>(std::pow(10.0, static_cast<double>(hundredths) / 2000.0));
}

template <int Bits, int Channels>
inline void Fetch(const BYTE* data, std::uint32_t index, float& left, float& right) {
    if constexpr (Bits == 16) {
        std::int16_t s[Channels];
        std::memcpy(s, data + static_cast<std::size_t>(index) * 2 * Channels, sizeof s);
        left = static_cast<float>(s[0]) * (1.0f / 32768.0f);
        right = Channels == 2 ? static_cast<float>(s[Channels - 1]) * (1.0f / 32768.0f) : left;
    } else {
        const BYTE* p = data + static_cast<std::size_t>(index) * Channels;
        left = static_cast<float>(static_cast<int>(p[0]) - 128) * (1.0f / 128.0f);
        right = Channels == 2 ? static_cast<float>(static_cast<int>(p[Channels - 1]) - 128) *
                                    (1.0f / 128.0f)
                              : left;
    }
}

// Adds `count` output frames of one voice into the stereo accumulator.
template <int Bits, int Channels, bool Interpolate>
void MixVoiceT(Voice& v, float* acc, int count, std::uint64_t step) {
    const BYTE* data = v.data.data();
    const std::uint32_t frames = v.frames;
    const std::uint64_t end = static_cast<std::uint64_t>(frames) << 32;
    const float gl = v.gainLeft;
    const float gr = v.gainRight;
    std::uint64_t pos = v.position;
    for (int i = 0; i < count; ++i) {
        auto index = static_cast<std::uint32_t>(pos >> 32);
        float l, r;
        Fetch<Bits, Channels>(data, index, l, r);
        if constexpr (Interpolate) {
            std::uint32_t next = index + 1;
            if (next >= frames) next = v.looping ? 0 : index;
            float l2, r2;
            Fetch<Bits, Channels>(data, next, l2, r2);
            float f = static_cast<float>(static_cast<std::uint32_t>(pos)) * (1.0f / 4294967296.0f);
            l += (l2 - l) * f;
            r += (r2 - r) * f;
        }
        acc[2 * i] += l * gl;
        acc[2 * i + 1] += r * gr;
        pos += step;
        if (pos >= end) {
            if (v.looping) {
                pos %= end;
            } else {
                // A single play ends at the last sample; the cursor goes back to the start.
                v.playing = false;
                pos = 0;
                break;
            }
        }
    }
    v.position = pos;
}

void MixVoice(Voice& v, float* acc, int count, int outRate) {
    if (v.frames == 0 || v.data.size() < static_cast<std::size_t>(v.frames) * v.blockAlign) {
        v.playing = false;
        return;
    }
    std::uint64_t step = (static_cast<std::uint64_t>(v.frequency) << 32) /
                         static_cast<std::uint64_t>(outRate);
    if (step == 0) step = 1;
    bool interp = step != (std::uint64_t{1} << 32);
    int kind = (v.bits == 16 ? 0 : 2) + (v.channels == 2 ? 1 : 0);
    switch (kind * 2 + (interp ? 1 : 0)) {
        case 0: MixVoiceT<16, 1, false>(v, acc, count, step); break;
        case 1: MixVoiceT<16, 1, true>(v, acc, count, step); break;
        case 2: MixVoiceT<16, 2, false>(v, acc, count, step); break;
        case 3: MixVoiceT<16, 2, true>(v, acc, count, step); break;
        case 4: MixVoiceT<8, 1, false>(v, acc, count, step); break;
        case 5: MixVoiceT<8, 1, true>(v, acc, count, step); break;
        case 6: MixVoiceT<8, 2, false>(v, acc, count, step); break;
        default: MixVoiceT<8, 2, true>(v, acc, count, step); break;
    }
}

// Adds `count` output frames of music, resampled from kMusicRate.
void MixMusic(Mixer& m, float* acc, int count, int outRate) {
    std::uint64_t step = (static_cast<std::uint64_t>(kMusicRate) << 32) /
                         static_cast<std::uint64_t>(outRate);
    std::uint64_t last = m.musicPosition + step * static_cast<std::uint64_t>(count - 1);
    std::size_t needed = static_cast<std::size_t>(last >> 32) + 2;
    std::size_t have = m.musicLeft.size();
    if (have < needed) {
        m.musicLeft.resize(needed);
        m.musicRight.resize(needed);
        m.music(m.musicContext, m.musicLeft.data() + have, m.musicRight.data() + have,
                static_cast<int>(needed - have));
    }
    std::uint64_t pos = m.musicPosition;
    const float* l = m.musicLeft.data();
    const float* r = m.musicRight.data();
    for (int i = 0; i < count; ++i) {
        std::size_t k = static_cast<std::size_t>(pos >> 32);
        float f = static_cast<float>(static_cast<std::uint32_t>(pos)) * (1.0f / 4294967296.0f);
        acc[2 * i] += l[k] + (l[k + 1] - l[k]) * f;
        acc[2 * i + 1] += r[k] + (r[k + 1] - r[k]) * f;
        pos += step;
    }
    // Keep the frames not yet passed (the interpolation needs the current one).
    std::size_t used = static_cast<std::size_t>(pos >> 32);
    m.musicLeft.erase(m.musicLeft.begin(), m.musicLeft.begin() + static_cast<std::ptrdiff_t>(used));
    m.musicRight.erase(m.musicRight.begin(),
                       m.musicRight.begin() + static_cast<std::ptrdiff_t>(used));
    m.musicPosition = pos & 0xFFFFFFFFu;
}

void Record(Mixer& m, const BYTE* out, int frames) {
    if (!m.capturing) return;
    int n = frames * m.format.channels;
    auto& samples = m.capture.samples;
    if (!out) {
        samples.insert(samples.end(), static_cast<std::size_t>(n), 0.0f);
        return;
    }
    samples.reserve(samples.size() + static_cast<std::size_t>(n));
    if (m.format.bits == 16) {
        for (int i = 0; i < n; ++i) {
            std::int16_t s;
            std::memcpy(&s, out + 2 * i, 2);
            samples.push_back(static_cast<float>(s) / 32768.0f);
        }
    } else {
        for (int i = 0; i < n; ++i)
            samples.push_back(static_cast<float>(static_cast<int>(out[i]) - 128) / 128.0f);
    }
}

void MixBlock(Mixer& m, BYTE* out, int count) {
    const OutputFormat f = m.format;
    float* acc = m.accumulator.data();
    std::fill(acc, acc + 2 * count, 0.0f);
    for (Voice* v : m.voices)
        if (v->playing) MixVoice(*v, acc, count, f.rate);
    if (m.music) MixMusic(m, acc, count, f.rate);
    for (int i = 0; i < count; ++i) {
        float l = acc[2 * i];
        float r = acc[2 * i + 1];
        float values[2] = {l, r};
        int channels = f.channels;
        if (channels == 1) values[0] = 0.5f * (l + r);
        for (int c = 0; c < channels; ++c) {
            float v = std::clamp(values[c], -1.0f, 1.0f);
            if (f.bits == 16) {
                auto s = static_cast<std::int16_t>(std::clamp(std::lrintf(v * 32768.0f), -32768L, 32767L));
                std::memcpy(out + (i * channels + c) * 2, &s, 2);
            } else {
                out[i * channels + c] =
                    static_cast<BYTE>(std::clamp(std::lrintf(v * 128.0f) + 128L, 0L, 255L));
            }
        }
    }
}

bool Busy(const Mixer& m) {
    if (m.music) return true;
    for (const Voice* v : m.voices)
        if (v->playing) return true;
    return false;
}

void AudioCallback(void*, Uint8* stream, int bytes) {
    Mixer& m = M();
    std::lock_guard lock(m.mutex);
    int frameBytes = m.format.channels * m.format.bits / 8;
    MixLocked(stream, bytes / frameBytes);
}

bool ValidFormat(const OutputFormat& f) {
    return (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) &&
           f.rate >= static_cast<int>(DSBFREQUENCY_MIN) && f.rate <= static_cast<int>(DSBFREQUENCY_MAX);
}

SDL_AudioDeviceID OpenDevice(const OutputFormat& f) {
    SDL_AudioSpec want{};
    want.freq = f.rate;
    want.format = f.bits == 16 ? AUDIO_S16SYS : AUDIO_U8;
    want.channels = static_cast<Uint8>(f.channels);
    want.samples = 1024;
    want.callback = AudioCallback;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts our format to the device's.
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id != 0) SDL_PauseAudioDevice(id, 0);
    return id;
}

void ResetClockTracking(Mixer& m) {
    m.clockKnown = false;
    m.elapsedMs = 0;
    m.framesDone = 0;
}

}  // namespace

std::mutex& Mutex() { return M().mutex; }

void MixLocked(BYTE* out, int frames) {
    Mixer& m = M();
    int frameBytes = m.format.channels * m.format.bits / 8;
    while (frames > 0) {
        int n = std::min(frames, kBlock);
        MixBlock(m, out, n);
        Record(m, out, n);
        out += n * frameBytes;
        frames -= n;
    }
}

bool OpenOutput() {
    Mixer& m = M();
    if (m.users > 0) {
        ++m.users;
        return true;
    }
    bool memory = portable::S().headless && !m.useRealDevice;
    if (memory) {
        if (!m.devicePresent) return false;
    } else {
        if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        SDL_AudioDeviceID id = OpenDevice(Format());
        if (id == 0) return false;
        m.device = id;
        // Music may still play when the program ends (nothing closes it on
        // the way out): the audio thread is stopped before the process's
        // static objects go away.
        static bool registered = false;
        if (!registered) {
            registered = true;
            std::atexit([] {
                if (M().device) SDL_CloseAudioDevice(M().device);
                M().device = 0;
            });
        }
    }
    Sync();  // what passed before the output opened was silence
    {
        std::lock_guard lock(m.mutex);
        m.memoryOutput = memory;
    }
    m.users = 1;
    return true;
}

void CloseOutput() {
    Mixer& m = M();
    if (m.users == 0) return;
    Sync();
    if (--m.users > 0) return;
    if (m.device) {
        SDL_CloseAudioDevice(m.device);  // waits for a running callback
        m.device = 0;
    }
    std::lock_guard lock(m.mutex);
    m.memoryOutput = false;
}

bool MemoryOutput() {
    std::lock_guard lock(M().mutex);
    return M().memoryOutput;
}

OutputFormat Format() {
    std::lock_guard lock(M().mutex);
    return M().format;
}

bool SetFormat(const OutputFormat& format) {
    Mixer& m = M();
    if (!ValidFormat(format)) return false;
    Sync();
    OutputFormat old = Format();
    if (m.device) {
        SDL_CloseAudioDevice(m.device);
        m.device = 0;
        {
            std::lock_guard lock(m.mutex);
            m.format = format;
        }
        m.device = OpenDevice(format);
        if (m.device == 0) {
            std::lock_guard lock(m.mutex);
            m.format = old;
            m.device = OpenDevice(old);
            return false;
        }
    }
    std::lock_guard lock(m.mutex);
    m.format = format;
    ResetClockTracking(m);
    m.musicLeft.clear();
    m.musicRight.clear();
    m.musicPosition = 0;
    if (m.capturing && (m.capture.rate != format.rate || m.capture.channels != format.channels ||
                        m.capture.bits != format.bits)) {
        // A recording holds one format: a change starts a new one.
        m.capture = {};
        m.capture.rate = format.rate;
        m.capture.channels = format.channels;
        m.capture.bits = format.bits;
        m.capture.startClock = headless::Clock();
    }
    return true;
}

void AddVoice(Voice* voice) {
    Sync();
    std::lock_guard lock(M().mutex);
    M().voices.push_back(voice);
}

void RemoveVoice(Voice* voice) {
    Sync();
    std::lock_guard lock(M().mutex);
    auto& v = M().voices;
    v.erase(std::remove(v.begin(), v.end(), voice), v.end());
}

void UpdateGains(Voice& v) {
    float g = DecibelGain(v.volume);
    v.gainLeft = g * (v.pan > 0 ? DecibelGain(-v.pan) : 1.0f);
    v.gainRight = g * (v.pan < 0 ? DecibelGain(v.pan) : 1.0f);
}

void SetMusic(MusicRenderer renderer, void* context) {
    Sync();
    Mixer& m = M();
    std::lock_guard lock(m.mutex);
    m.music = renderer;
    m.musicContext = context;
    m.musicLeft.clear();
    m.musicRight.clear();
    m.musicPosition = 0;
}

void Sync() {
    Mixer& m = M();
    if (!portable::S().headless) return;
    std::lock_guard lock(m.mutex);
    if (m.device) return;  // the audio thread keeps its own time
    DWORD now = headless::Clock();
    if (!m.clockKnown) {
        m.clockKnown = true;
        m.lastClock = now;
        return;
    }
    DWORD delta = now - m.lastClock;
    m.lastClock = now;
    if (delta == 0 || delta > 0x7FFFFFFFu) return;  // no time passed, or the clock was reset
    m.elapsedMs += delta;
    std::uint64_t target = m.elapsedMs * static_cast<std::uint64_t>(m.format.rate) / 1000u;
    auto frames = static_cast<int>(std::min<std::uint64_t>(target - m.framesDone, 1u << 30));
    m.framesDone = target;
    if (!m.memoryOutput || !Busy(m)) {
        // Nothing sounds: the cursors stand still and the output is silence.
        if (m.capturing) Record(m, nullptr, frames);
        return;
    }
    int frameBytes = m.format.channels * m.format.bits / 8;
    m.scratch.resize(static_cast<std::size_t>(kBlock * frameBytes));
    while (frames > 0) {
        int n = std::min(frames, kBlock);
        MixLocked(m.scratch.data(), n);
        frames -= n;
    }
}

}  // namespace plat::audio

namespace plat::portable {

void PollAudio() {
    audio::Sync();
    audio::DeliverMusicNotifications();
}

}  // namespace plat::portable

namespace plat::headless {

void SetAudioDevicePresent(bool present) { audio::M().devicePresent = present; }
void UseRealAudioDevice(bool on) { audio::M().useRealDevice = on; }
void SyncAudio() { portable::PollAudio(); }

void StartAudioCapture() {
    audio::Sync();
    audio::Mixer& m = audio::M();
    std::lock_guard lock(m.mutex);
    m.capture = {};
    m.capture.rate = m.format.rate;
    m.capture.channels = m.format.channels;
    m.capture.bits = m.format.bits;
    m.capture.startClock = Clock();
    m.capturing = true;
}

void StopAudioCapture() {
    audio::Sync();
    std::lock_guard lock(audio::M().mutex);
    audio::M().capturing = false;
}

AudioCapture CapturedAudio() {
    audio::Sync();
    std::lock_guard lock(audio::M().mutex);
    return audio::M().capture;
}

}  // namespace plat::headless
