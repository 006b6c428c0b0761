// Playback control, the echo effects and what the mixer makes heard.
#include <SDL.h>

#include <cstdlib>

#include "support/sound_support.h"

using namespace plat;
using namespace soundtest;

namespace {

class Playback : public SoundFixture {
protected:
    // Loads a tone (mono 16-bit at 44100 Hz unless told) and returns its slot.
    int Load(const std::string& name, int mix, double hz, int ms, int rate = 44100,
             double amplitude = 0.5) {
        Write(name, Wave(1, rate, 16, Tone(1, rate, 16, hz, amplitude, ms)));
        int slot = elSound::LoadObject(name.c_str(), mix);
        EXPECT_GE(slot, 0);
        return slot;
    }
    static DWORD Status(int slot, int mix) {
        DWORD s = 0;
        SoundTable[slot].mixes[mix].buffer->GetStatus(&s);
        return s;
    }
    static DWORD Cursor(int slot, int mix) {
        DWORD p = 0;
        SoundTable[slot].mixes[mix].buffer->GetCurrentPosition(&p, nullptr);
        return p;
    }
    // RMS of each channel over `ms` starting `fromMs` into the capture.
    static std::pair<double, double> Levels(const hl::AudioCapture& c, int fromMs, int ms) {
        auto from = static_cast<std::size_t>(c.rate) * static_cast<std::size_t>(fromMs) / 1000;
        auto n = static_cast<std::size_t>(c.rate) * static_cast<std::size_t>(ms) / 1000;
        return {Rms(Channel(c, 0), from, n), Rms(Channel(c, c.channels - 1), from, n)};
    }
};

TEST_F(Playback, NextMixTakesTheBuffersInTurnAndARepeatRestartsTheOldest) {
    int slot = Load("long.wav", 3, 440, 1000);
    for (int i = 0; i < 3; ++i) {
        elSound::Play(slot, -1);
        EXPECT_EQ(Status(slot, i) & DSBSTATUS_PLAYING, DSBSTATUS_PLAYING) << i;
        hl::AdvanceClock(50);
    }
    EXPECT_EQ(SoundTable[slot].NextMix, 0);
    EXPECT_EQ(Cursor(slot, 0), 44100u * 2 * 150 / 1000);
    elSound::Play(slot, -1);
    EXPECT_EQ(Cursor(slot, 0), 0u);
    EXPECT_EQ(SoundTable[slot].NextMix, 1);
    hl::AdvanceClock(10);
    EXPECT_EQ(Cursor(slot, 0), 44100u * 2 * 10 / 1000);
    EXPECT_EQ(Cursor(slot, 2), 44100u * 2 * 60 / 1000);
    EXPECT_EQ(SoundTable[slot].looping, 0);
    elSound::PlayLoop(slot, 2);
    EXPECT_EQ(Status(slot, 2), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(SoundTable[slot].looping, 1);
    EXPECT_EQ(SoundTable[slot].NextMix, 1);  // a play on a given mix leaves the turn alone
}

TEST_F(Playback, VolumePanAndFrequencyStayWithinTheirLimits) {
    int slot = Load("a.wav", 2, 440, 100, 22050);
    elSound::SetVolume(slot, 5, 0);
    EXPECT_EQ(SoundTable[slot].mixes[0].volume, 0);
    elSound::SetVolume(slot, -120, 0);
    EXPECT_EQ(SoundTable[slot].mixes[0].volume, -10000);
    elSound::AddVolume(slot, 50, 0);
    EXPECT_EQ(SoundTable[slot].mixes[0].volume, -5000);
    elSound::AddVolume(slot, 2147483647, -1);  // the sum is taken wide, then limited
    EXPECT_EQ(SoundTable[slot].mixes[0].volume, 0);
    elSound::ResetVolume(slot, -1);

    elSound::SetFrequency(slot, -219, 0);  // 22050 - 21900 = 150 Hz
    EXPECT_EQ(SoundTable[slot].mixes[0].frequency, 150u);
    elSound::AddFrequency(slot, -5, 0);
    EXPECT_EQ(SoundTable[slot].mixes[0].frequency, 100u);
    elSound::SetFrequency(slot, 779, 1);  // 99950 Hz
    elSound::AddFrequency(slot, 5, 1);
    EXPECT_EQ(SoundTable[slot].mixes[1].frequency, 100000u);
    DWORD hz = 0;
    SoundTable[slot].mixes[1].buffer->GetFrequency(&hz);
    EXPECT_EQ(hz, 100000u);
    elSound::SetFrequency(slot, 0, -1);
    EXPECT_EQ(SoundTable[slot].mixes[0].frequency, 22050u);
    EXPECT_EQ(SoundTable[slot].mixes[1].frequency, 22050u);
    elSound::AddFrequency(slot, 10, -1);
    elSound::ResetFrequency(slot, 1);
    EXPECT_EQ(SoundTable[slot].mixes[0].frequency, 23050u);
    EXPECT_EQ(SoundTable[slot].mixes[1].frequency, 22050u);

    elSound::SetPan(slot, 150, 0);
    EXPECT_EQ(SoundTable[slot].mixes[0].pan, 10000);
    elSound::AddPan(slot, -250, 0);
    EXPECT_EQ(SoundTable[slot].mixes[0].pan, -10000);
    elSound::PanRight(slot, -1);
    EXPECT_EQ(SoundTable[slot].mixes[1].pan, 10000);
    elSound::PanLeft(slot, 1);
    elSound::ResetPan(slot, 0);
    EXPECT_EQ(SoundTable[slot].mixes[0].pan, 0);
    EXPECT_EQ(SoundTable[slot].mixes[1].pan, -10000);
    LONG pan = 0;
    SoundTable[slot].mixes[1].buffer->GetPan(&pan);
    EXPECT_EQ(pan, -10000);
}

TEST_F(Playback, MinusTwoAddressesTheNextMixForSettings) {
    int slot = Load("a.wav", 3, 440, 100);
    elSound::Play(slot, -1);  // NextMix becomes 1
    elSound::SetVolume(slot, -20, -2);
    elSound::SetPan(slot, 10, -3);
    EXPECT_EQ(SoundTable[slot].mixes[0].volume, 0);
    EXPECT_EQ(SoundTable[slot].mixes[1].volume, -2000);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(SoundTable[slot].mixes[i].pan, 1000);
}

TEST_F(Playback, PauseTwiceResumesWhereItStoppedAndKeepsLooping) {
    int slot = Load("a.wav", 1, 440, 500);
    elSound::PlayLoop(slot, 0);
    hl::AdvanceClock(100);
    elSound::Pause(slot, 0);
    EXPECT_EQ(Status(slot, 0), 0u);
    EXPECT_EQ(SoundTable[slot].mixes[0].savedPosition, 4410u * 2);
    hl::AdvanceClock(300);
    EXPECT_EQ(Cursor(slot, 0), 4410u * 2);
    elSound::Pause(slot, 0);
    EXPECT_EQ(Status(slot, 0), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    hl::AdvanceClock(450);  // past the end: it loops
    EXPECT_EQ(Cursor(slot, 0), 2205u * 2 * 1);  // (100 + 450) ms mod 500 ms = 50 ms
    EXPECT_NE(Status(slot, 0), 0u);
}

TEST_F(Playback, PauseOfAllMixesAlsoStartsTheStoppedOnes) {
    int slot = Load("a.wav", 3, 440, 500);
    elSound::Play(slot, 0);
    hl::AdvanceClock(100);
    elSound::Pause(slot, -1);
    EXPECT_EQ(Status(slot, 0), 0u);
    EXPECT_EQ(Status(slot, 1), DSBSTATUS_PLAYING);
    EXPECT_EQ(Status(slot, 2), DSBSTATUS_PLAYING);
    elSound::Pause(slot, -1);
    EXPECT_EQ(Status(slot, 0), DSBSTATUS_PLAYING);
    EXPECT_EQ(Status(slot, 1), 0u);
}

TEST_F(Playback, StopRewindsAndEndsAnEchoSequence) {
    int slot = Load("a.wav", 4, 440, 300);
    int single = Load("b.wav", 1, 440, 300);
    elSound::Play(slot, -2);
    EXPECT_EQ(SoundTable[slot].EchoCounter, 1);
    hl::AdvanceClock(50);
    elSound::Stop(slot, 0);
    EXPECT_EQ(SoundTable[slot].EchoCounter, 1);
    EXPECT_EQ(Cursor(slot, 0), 0u);
    elSound::Stop(slot, -1);
    EXPECT_EQ(SoundTable[slot].EchoCounter, 0);
    elSound::Stop(single, -1);
    EXPECT_EQ(SoundTable[single].EchoCounter, -1);
}

TEST_F(Playback, TheMixIsHeardAtTheRightLevelPanAndPitch) {
    int slot = Load("tone.wav", 3, 1000, 500);
    hl::StartAudioCapture();
    elSound::Play(slot, 0);
    hl::AdvanceClock(100);
    elSound::SetVolume(slot, -6, 0);
    hl::AdvanceClock(100);
    elSound::ResetVolume(slot, 0);
    elSound::SetPan(slot, 10, 0);  // left down 10 dB
    hl::AdvanceClock(100);
    elSound::PanLeft(slot, 0);  // right silent
    hl::AdvanceClock(100);
    auto c = hl::CapturedAudio();
    ASSERT_EQ(c.channels, 2);
    ASSERT_EQ(c.rate, 44100);
    auto [l0, r0] = Levels(c, 10, 80);
    EXPECT_NEAR(l0, 0.5 / std::sqrt(2.0), 0.002);
    EXPECT_NEAR(r0, l0, 1e-6);
    auto [l1, r1] = Levels(c, 110, 80);
    EXPECT_NEAR(Db(l1 / l0), -6.0, 0.05);
    EXPECT_NEAR(Db(r1 / r0), -6.0, 0.05);
    auto [l2, r2] = Levels(c, 210, 80);
    EXPECT_NEAR(Db(l2 / l0), -10.0, 0.05);
    EXPECT_NEAR(Db(r2 / r0), 0.0, 0.05);
    auto [l3, r3] = Levels(c, 310, 80);
    EXPECT_NEAR(l3, l0, 0.002);
    EXPECT_EQ(r3, 0.0);

    // Pitch follows the frequency: twice the rate, twice the pitch.
    elSound::Stop(slot, -1);
    hl::StartAudioCapture();
    elSound::ResetPan(slot, 1);
    elSound::SetFrequency(slot, 441, 1);  // 88200 Hz
    elSound::Play(slot, 1);
    hl::AdvanceClock(100);
    c = hl::CapturedAudio();
    EXPECT_NEAR(PeakFrequency(Channel(c, 0), 0, 4096, c.rate), 2000, 10);
    // About half the rate: half the pitch.
    elSound::Stop(slot, -1);
    hl::StartAudioCapture();
    elSound::SetFrequency(slot, -220, 2);  // 22100 Hz
    elSound::Play(slot, 2);
    hl::AdvanceClock(100);
    c = hl::CapturedAudio();
    EXPECT_NEAR(PeakFrequency(Channel(c, 0), 0, 4096, c.rate), 500, 10);
    // Two sounds at once add up.
    hl::StartAudioCapture();
    elSound::Stop(slot, -1);
    elSound::ResetFrequency(slot, -1);
    elSound::Play(slot, 0);
    elSound::Play(slot, 1);
    hl::AdvanceClock(50);
    c = hl::CapturedAudio();
    EXPECT_NEAR(Levels(c, 5, 40).first, 2 * l0, 0.004);
}

TEST_F(Playback, EightBitStereoSoundsAndOtherOutputFormatsMixCorrectly) {
    // Left: a 600 Hz tone; right: silence.
    std::vector<std::uint8_t> d;
    for (int i = 0; i < 11025 / 2; ++i) {
        double v = 0.5 * std::sin(2 * std::numbers::pi * 600 * i / 11025.0);
        d.push_back(static_cast<std::uint8_t>(std::lround(v * 127) + 128));
        d.push_back(128);
    }
    Write("st8.wav", Wave(2, 11025, 8, d));
    int slot = elSound::LoadObject("st8.wav", 1);
    ASSERT_GE(slot, 0);
    hl::StartAudioCapture();
    elSound::Play(slot, 0);
    hl::AdvanceClock(200);
    auto c = hl::CapturedAudio();
    auto [l, r] = Levels(c, 10, 150);
    EXPECT_NEAR(l, 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_LT(r, 1e-4);
    EXPECT_NEAR(PeakFrequency(Channel(c, 0), 441, 4096, c.rate), 600, 10);

    // A mono output hears both sides, halved.
    ASSERT_EQ(elSound::SelectFormat(1, 22, 16), 1);
    hl::StartAudioCapture();
    elSound::Play(slot, 0);
    hl::AdvanceClock(200);
    c = hl::CapturedAudio();
    ASSERT_EQ(c.channels, 1);
    EXPECT_NEAR(Levels(c, 10, 150).first, 0.25 / std::sqrt(2.0), 0.01);

    // An 8-bit output keeps the level within its coarser steps.
    ASSERT_EQ(elSound::SelectFormat(2, 8, 8), 1);
    hl::StartAudioCapture();
    elSound::Play(slot, 0);
    hl::AdvanceClock(200);
    c = hl::CapturedAudio();
    EXPECT_EQ(c.bits, 8);
    EXPECT_NEAR(Levels(c, 10, 150).first, 0.5 / std::sqrt(2.0), 0.02);
}

// Onsets (ms from the capture start) and the level of the first 20 ms of each.
struct Heard {
    std::vector<double> ms;
    std::vector<double> left, right;
};
Heard Listen(const hl::AudioCapture& c) {
    Heard h;
    auto l = Channel(c, 0);
    auto r = Channel(c, 1);
    std::vector<float> both(l.size());
    for (std::size_t i = 0; i < l.size(); ++i) both[i] = std::max(std::fabs(l[i]), std::fabs(r[i]));
    auto n = static_cast<std::size_t>(c.rate / 50);
    for (std::size_t i : Onsets(both, 0.002f, static_cast<std::size_t>(c.rate / 20))) {
        h.ms.push_back(1000.0 * static_cast<double>(i) / c.rate);
        h.left.push_back(Rms(l, i, n));
        h.right.push_back(Rms(r, i, n));
    }
    return h;
}

TEST_F(Playback, EchoSoundsAtZero200400And600MsAtFallingVolume) {
    int slot = Load("click.wav", 4, 1000, 30);
    perFrame = [slot] { elSound::Echo(slot, 200, 3, 5); };
    hl::StartAudioCapture();
    elSound::Play(slot, -2);
    Frames(48, 25);  // 1.2 s
    Heard h = Listen(hl::CapturedAudio());
    ASSERT_EQ(h.ms.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(h.ms[static_cast<std::size_t>(k)], 200.0 * k, 25.0) << k;
        EXPECT_NEAR(Db(h.left[static_cast<std::size_t>(k)] / h.left[0]), -5.0 * k, 0.1) << k;
        EXPECT_NEAR(h.left[static_cast<std::size_t>(k)], h.right[static_cast<std::size_t>(k)], 1e-6);
    }
    EXPECT_EQ(SoundTable[slot].EchoCounter, 0);
    // A new sequence starts from full volume on every mix.
    elSound::Play(slot, -2);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(SoundTable[slot].mixes[i].volume, 0);
}

TEST_F(Playback, EchoOnASlotLoadedWithOneMixDoesNothing) {
    int slot = Load("click.wav", 1, 1000, 30);
    perFrame = [slot] { elSound::Echo(slot, 200, 3, 5); };
    hl::StartAudioCapture();
    elSound::Play(slot, -2);
    Frames(40, 25);
    EXPECT_EQ(Listen(hl::CapturedAudio()).ms.size(), 1u);
}

TEST_F(Playback, EchoPanWithSpeedZeroStaysCentred) {
    int slot = Load("click.wav", 4, 1000, 30);
    perFrame = [slot] { elSound::EchoPan(slot, 200, 3, 5, 0); };
    hl::StartAudioCapture();
    elSound::Play(slot, -2);
    Frames(40, 25);
    Heard h = Listen(hl::CapturedAudio());
    ASSERT_EQ(h.ms.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(h.left[k], h.right[k], 1e-6);
}

TEST_F(Playback, EchoPanWandersWithinPlusMinus3000AndTurnsBack) {
    int slot = Load("click.wav", 6, 1000, 30);
    std::vector<int> pans;
    perFrame = [&, slot] {
        int before = SoundTable[slot].EchoCounter;
        elSound::EchoPan(slot, 200, 5, 2, 10);
        if (SoundTable[slot].EchoCounter != before) {
            int played = (SoundTable[slot].NextMix + 5) % 6;
            pans.push_back(SoundTable[slot].mixes[played].pan);
        }
    };
    hl::StartAudioCapture();
    elSound::Play(slot, -2);
    Frames(60, 25);
    // 25 ms frames at speed 10: 25 pan units per echo, turning back at 30.
    ASSERT_EQ(pans.size(), 5u);
    std::vector<int> magnitude;
    for (int p : pans) magnitude.push_back(std::abs(p));
    EXPECT_EQ(magnitude, (std::vector<int>{2500, 3000, 500, 2000, 3000}));
    for (std::size_t k = 1; k < pans.size(); ++k) EXPECT_LE(std::abs(pans[k]), 3000);
    // What is heard follows each echo's pan: the far side is attenuated.
    Heard h = Listen(hl::CapturedAudio());
    ASSERT_EQ(h.ms.size(), 6u);
    for (std::size_t k = 1; k < h.ms.size(); ++k) {
        double expected = -std::abs(pans[k - 1]) / 100.0;
        double side = pans[k - 1] > 0 ? Db(h.left[k] / h.right[k]) : Db(h.right[k] / h.left[k]);
        EXPECT_NEAR(side, expected, 0.1) << k;
    }
}

TEST_F(Playback, MixingOnTheAudioThreadWhileTheMainThreadChangesEverything) {
    // The real output path: SDL's own audio thread (its dummy driver) mixes
    // while this thread plays, stops and reshapes the sounds.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    elSound::Release();
    hl::UseRealAudioDevice(true);
    if (!elSound::Create()) GTEST_SKIP() << "no SDL audio driver: " << SDL_GetError();
    elSound::ResetTable();
    int a = Load("a.wav", 4, 440, 300);
    int b = Load("b.wav", 2, 660, 100, 22050);
    hl::StartAudioCapture();
    elSound::PlayLoop(a, 0);
    Uint64 start = SDL_GetTicks64();
    int turn = 0;
    while (SDL_GetTicks64() - start < 400) {
        // A format change reopens the device and reloads (and stops) every sound.
        if (turn % 50 == 25) elSound::SelectFormat(2, turn % 100 == 25 ? 22 : 44, 16);
        if (!(SoundTable[a].mixes[0].buffer && elSound::GetPosition(a))) elSound::PlayLoop(a, 0);
        elSound::Play(b, -1);
        elSound::SetVolume(a, -(turn % 20), -1);
        elSound::SetPan(a, turn % 30 - 15, 0);
        elSound::AddFrequency(b, turn % 2 ? 5 : -5, -1);
        elSound::Pause(a, 1);
        elSound::GetPosition(a);
        ++turn;
        SDL_Delay(2);
    }
    // Wait (a few seconds at most) for the thread to have mixed something.
    elSound::PlayLoop(a, 0);
    hl::StartAudioCapture();
    hl::AudioCapture c;
    for (int i = 0; i < 500; ++i) {
        c = hl::CapturedAudio();
        if (Rms(c.samples, 0, c.samples.size()) > 0.01) break;
        SDL_Delay(10);
    }
    EXPECT_GT(Rms(c.samples, 0, c.samples.size()), 0.01);
    elSound::Release();
}

}  // namespace
