// Playing, stopping, pausing and shaping the sounds of the SoundTable, and
// the per-frame echo effects.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "sound/elSound.h"
#include "sound/sound_internal.h"
#include "system/elSystem.h"
#include "system/random.h"

using namespace plat;

namespace elSound {
namespace {

using detail::ValidSlot;

// The slot when the device is open and it holds a sound; null otherwise.
SoundSlot* Loaded(int slot) {
    if (!detail::DeviceReady() || !ValidSlot(slot) || !SoundTable[slot].inUse) return nullptr;
    return &SoundTable[slot];
}

// The mix at `index` when it exists and still has its buffer.
MixBuffer* Mix(SoundSlot& s, int index) {
    if (index < 0 || index >= s.mixCount || index >= kMaxMixes) return nullptr;
    MixBuffer& m = s.mixes[index];
    return m.buffer ? &m : nullptr;
}

// Applies `f` to the mixes the selector addresses for setting operations:
// m >= 0 that mix, -2 the next mix, any other negative value all mixes.
template <typename F>
void ForSettingMixes(SoundSlot& s, int m, F f) {
    if (m >= 0) {
        if (MixBuffer* mb = Mix(s, m)) f(*mb);
    } else if (m == -2) {
        if (MixBuffer* mb = Mix(s, s.NextMix)) f(*mb);
    } else {
        for (int i = 0; i < s.mixCount && i < kMaxMixes; ++i)
            if (MixBuffer* mb = Mix(s, i)) f(*mb);
    }
}

// Stop and pause address one mix, or all of them for any negative m.
template <typename F>
void ForControlMixes(SoundSlot& s, int m, F f) {
    if (m >= 0) {
        if (MixBuffer* mb = Mix(s, m)) f(*mb);
    } else {
        for (int i = 0; i < s.mixCount && i < kMaxMixes; ++i)
            if (MixBuffer* mb = Mix(s, i)) f(*mb);
    }
}

long long Clamp(long long v, long long lo, long long hi) { return std::min(std::max(v, lo), hi); }

void ApplyFrequency(MixBuffer& mb, long long hz) {
    mb.frequency = static_cast<std::uint32_t>(Clamp(hz, 100, 100000));
    mb.buffer->SetFrequency(mb.frequency);
}
void ApplyPan(MixBuffer& mb, long long pan) {
    mb.pan = static_cast<int>(Clamp(pan, -10000, 10000));
    mb.buffer->SetPan(mb.pan);
}
void ApplyVolume(MixBuffer& mb, long long volume) {
    mb.volume = static_cast<int>(Clamp(volume, -10000, 0));
    mb.buffer->SetVolume(mb.volume);
}

void StartMix(SoundSlot& s, int slot, MixBuffer& mb, bool loop) {
    mb.buffer->Stop();
    if (s.stream.dataSize != 0) {
        // A stream is rewound to its start and its ring buffer always loops;
        // the slot's looping field decides whether the stream itself ends.
        if (detail::ResetStreamSlot) detail::ResetStreamSlot(slot);
        mb.buffer->SetCurrentPosition(0);
        mb.buffer->Play(0, 0, DSBPLAY_LOOPING);
        return;
    }
    mb.buffer->SetCurrentPosition(0);
    mb.buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
}

void PlayCommon(int slot, int m, bool loop) {
    SoundSlot* s = Loaded(slot);
    if (!s) return;
    if (m >= 0) {
        MixBuffer* mb = Mix(*s, m);
        if (!mb) return;
        StartMix(*s, slot, *mb, loop);
        s->looping = loop ? 1 : 0;
        return;
    }
    if (s->mixCount < 1) return;
    if (m == -2 && s->EchoCounter >= 0) {
        // A new echo sequence: every mix back to its own sound.
        ResetFrequency(slot, -1);
        ResetPan(slot, -1);
        ResetVolume(slot, -1);
        s->EchoCounter = 1;
        s->echoTimer = 0.0f;
        s->echoLoops = loop ? 1 : 0;
        s->echoPan = static_cast<float>(s->mixes[std::clamp(s->NextMix, 0, kMaxMixes - 1)].pan);
        s->echoPanDirection = elSystem::Random() % 2 == 0 ? -1 : 1;
    }
    if (s->NextMix < 0 || s->NextMix >= s->mixCount) s->NextMix = 0;
    if (MixBuffer* mb = Mix(*s, s->NextMix)) StartMix(*s, slot, *mb, loop);
    if (++s->NextMix >= s->mixCount) s->NextMix = 0;
    s->looping = loop ? 1 : 0;
}

void EchoCommon(int slot, int interval, int count, int step, bool pan, int speed) {
    SoundSlot* s = Loaded(slot);
    if (!s || s->EchoCounter < 1 || count < 1) return;
    s->echoTimer += FrameDelta * 1000.0f;
    if (s->echoTimer < static_cast<float>(interval)) return;
    s->echoTimer = 0.0f;
    if (pan) {
        s->echoPan += static_cast<float>(s->echoPanDirection) * FrameDelta * 100.0f *
                      static_cast<float>(speed);
        if (s->echoPan < -30.0f) {
            s->echoPan = -30.0f;
            s->echoPanDirection = -s->echoPanDirection;
        }
        if (s->echoPan > 30.0f) {
            s->echoPan = 30.0f;
            s->echoPanDirection = -s->echoPanDirection;
        }
        SetPan(slot, static_cast<int>(s->echoPan), -2);
    }
    SetVolume(slot, -s->EchoCounter * step, -2);
    if (s->echoLoops) PlayLoop(slot, -3);
    else Play(slot, -3);
    if (++s->EchoCounter > count) s->EchoCounter = 0;
}

}  // namespace

void Play(int slot, int m) { PlayCommon(slot, m, false); }
void PlayLoop(int slot, int m) { PlayCommon(slot, m, true); }

void Stop(int slot, int m) {
    SoundSlot* s = Loaded(slot);
    if (!s) return;
    ForControlMixes(*s, m, [](MixBuffer& mb) {
        mb.buffer->Stop();
        mb.buffer->SetCurrentPosition(0);
    });
    if (m < 0 && s->EchoCounter != -1) s->EchoCounter = 0;
}

void Pause(int slot, int m) {
    SoundSlot* s = Loaded(slot);
    if (!s) return;
    ForControlMixes(*s, m, [s](MixBuffer& mb) {
        DWORD status = 0;
        mb.buffer->GetStatus(&status);
        if (status & DSBSTATUS_PLAYING) {
            DWORD play = 0;
            mb.buffer->GetCurrentPosition(&play, nullptr);
            mb.savedPosition = play;
            mb.buffer->Stop();
        } else {
            // A stream's ring always loops, as its play does; the slot's
            // looping field decides whether the stream itself ends.
            bool loop = s->looping || s->stream.dataSize != 0;
            mb.buffer->SetCurrentPosition(mb.savedPosition);
            mb.buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
        }
    });
}

void AddFrequency(int slot, int step, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [step](MixBuffer& mb) {
            ApplyFrequency(mb, static_cast<long long>(mb.frequency) + step * 100LL);
        });
}

void SetFrequency(int slot, int value, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [s, value](MixBuffer& mb) {
            ApplyFrequency(mb, static_cast<long long>(s->baseFrequency) + value * 100LL);
        });
}

void ResetFrequency(int slot, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [s](MixBuffer& mb) { ApplyFrequency(mb, s->baseFrequency); });
}

void AddPan(int slot, int step, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [step](MixBuffer& mb) { ApplyPan(mb, mb.pan + step * 100LL); });
}

void SetPan(int slot, int value, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [value](MixBuffer& mb) { ApplyPan(mb, value * 100LL); });
}

void ResetPan(int slot, int m) {
    if (SoundSlot* s = Loaded(slot)) ForSettingMixes(*s, m, [](MixBuffer& mb) { ApplyPan(mb, 0); });
}

void PanLeft(int slot, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [](MixBuffer& mb) { ApplyPan(mb, -10000); });
}

void PanRight(int slot, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [](MixBuffer& mb) { ApplyPan(mb, 10000); });
}

void AddVolume(int slot, int step, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [step](MixBuffer& mb) { ApplyVolume(mb, mb.volume + step * 100LL); });
}

void SetVolume(int slot, int value, int m) {
    if (SoundSlot* s = Loaded(slot))
        ForSettingMixes(*s, m, [value](MixBuffer& mb) { ApplyVolume(mb, value * 100LL); });
}

void ResetVolume(int slot, int m) {
    if (SoundSlot* s = Loaded(slot)) ForSettingMixes(*s, m, [](MixBuffer& mb) { ApplyVolume(mb, 0); });
}

void Echo(int slot, int interval, int count, int step) {
    EchoCommon(slot, interval, count, step, false, 0);
}

void EchoPan(int slot, int interval, int count, int step, int speed) {
    EchoCommon(slot, interval, count, step, true, speed);
}

}  // namespace elSound
