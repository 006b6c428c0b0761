// The portable audio output: our own mixer of wave buffers and music,
// feeding an SDL audio device, or memory in headless mode. Nothing outside
// platform/portable includes this.
//
// Threads: the SDL audio callback mixes on SDL's thread. Everything the
// callback reads (voices, their data, the music renderer, the format and the
// capture) is guarded by Mutex(); the main thread takes it for every change.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/dsound.h"

namespace plat::audio {

struct OutputFormat {
    int rate = 44100;
    int channels = 2;
    int bits = 16;
};

// A secondary buffer as the mixer sees it; guarded by Mutex() once added.
struct Voice {
    std::vector<BYTE> data;
    int channels = 1;
    int bits = 16;
    int blockAlign = 2;
    DWORD frames = 0;        // whole frames in data
    DWORD frequency = 0;     // playback rate in Hz
    LONG volume = 0;         // hundredths of a decibel, -10000..0
    LONG pan = 0;            // -10000 (left) .. 10000 (right)
    float gainLeft = 1.0f;   // from volume and pan
    float gainRight = 1.0f;
    bool playing = false;
    bool looping = false;
    std::uint64_t position = 0;  // in frames, 32.32 fixed point
};

// Renders `frames` stereo frames of music at kMusicRate; called with Mutex() held.
using MusicRenderer = void (*)(void* context, float* left, float* right, int frames);
constexpr int kMusicRate = 44100;

std::mutex& Mutex();

// The output is opened by its first user (a sound device, the sequencer) and
// closed by its last. False when there is no audio device.
bool OpenOutput();
void CloseOutput();
OutputFormat Format();
// True while the output mixes in step with the headless virtual clock.
bool MemoryOutput();
// Changes the output format (reopening the device). False if the format is
// not one the output can take; the old format then stays.
bool SetFormat(const OutputFormat& format);

void AddVoice(Voice* voice);
void RemoveVoice(Voice* voice);
// Recomputes the channel gains from volume and pan; Mutex() held.
void UpdateGains(Voice& voice);

void SetMusic(MusicRenderer renderer, void* context);

// Headless: renders what is due up to the virtual clock. Called on entry to
// every audio operation so that changes take effect at the right moment.
void Sync();

// Mixes `frames` frames in the output format into `out`; Mutex() held.
// (The SDL callback and the headless renderer use it; so does the benchmark
// through the headless controls.)
void MixLocked(BYTE* out, int frames);

// Implemented by the sequencer: posts the notifications of pieces that
// ended while mixing. Main thread.
void DeliverMusicNotifications();

}  // namespace plat::audio
