// The sound device, the SoundTable and loading waves from files and resources.
#include "support/sound_support.h"

using namespace plat;
using namespace soundtest;

namespace {

class Sound : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        // 200 ms of a 440 Hz tone, mono 16-bit at 22050 Hz.
        Write("a.wav", Wave(1, 22050, 16, Tone(1, 22050, 16, 440, 0.5, 200)));
    }
    static int Buffers(int slot) {
        int n = 0;
        for (const MixBuffer& m : SoundTable[slot].mixes) n += m.buffer != nullptr;
        return n;
    }
};

class NoSoundDevice : public SoundFixture {
protected:
    NoSoundDevice() { deviceBeforeStart = false; }
};

TEST_F(NoSoundDevice, CreateFailsAndEveryOperationReturnsAtOnceWithoutABox) {
    Write("a.wav", Wave(1, 22050, 16, Tone(1, 22050, 16, 440, 0.5, 50)));
    EXPECT_EQ(created, 0);
    EXPECT_EQ(elSound::SoundAvailable, 0);
    EXPECT_EQ(elSound::LoadObject("a.wav", 1), -1);
    EXPECT_EQ(elSound::LoadObject("a.wav", 11), -1);
    EXPECT_EQ(elSound::SelectFormat(2, 22, 16), 1);
    elSound::Play(0, 0);
    elSound::Restore();
    elSound::Release();
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Sound, LoadsAFileIntoTheLowestFreeSlotWithItsOwnFrequency) {
    ASSERT_EQ(created, 1);
    ASSERT_EQ(elSound::LoadObject("a.wav", 1), 0);
    const SoundSlot& s = SoundTable[0];
    EXPECT_EQ(s.inUse, 1);
    EXPECT_STREQ(s.name, "a.wav");
    EXPECT_EQ(s.mixCount, 1);
    EXPECT_EQ(s.baseFrequency, 22050u);
    EXPECT_EQ(s.mixes[0].frequency, 22050u);
    EXPECT_EQ(s.EchoCounter, -1);
    EXPECT_EQ(s.fromPack, 0);
    EXPECT_EQ(elSound::LoadObject("A.WAV", 1), 1);  // names match files without regard to case
    WAVEFORMATEX f{};
    ASSERT_EQ(s.mixes[0].buffer->GetFormat(&f, sizeof f, nullptr), DS_OK);
    EXPECT_EQ(f.nBlockAlign, 2);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Sound, MixArgumentDecidesBufferCountAndEchoState) {
    struct Case {
        int mix, buffers, echo;
    } cases[] = {{10, 10, 0}, {-10, 10, -1}, {-4, 4, -1}, {4, 4, 0}, {1, 1, -1}};
    for (const Case& c : cases) {
        int slot = elSound::LoadObject("a.wav", c.mix);
        ASSERT_GE(slot, 0) << c.mix;
        EXPECT_EQ(SoundTable[slot].mixCount, c.buffers) << c.mix;
        EXPECT_EQ(Buffers(slot), c.buffers) << c.mix;
        EXPECT_EQ(SoundTable[slot].EchoCounter, c.echo) << c.mix;
    }
    EXPECT_TRUE(hl::Boxes().empty());
    for (int mix : {11, -11}) {
        hl::ClearBoxes();
        EXPECT_EQ(elSound::LoadObject("a.wav", mix), -1);
        ASSERT_EQ(hl::Boxes().size(), 1u);
        EXPECT_EQ(hl::Boxes()[0].text, "elSound::LoadObject : ミックス数が多過ぎます");
        EXPECT_EQ(hl::Boxes()[0].caption, "エラー発生");
    }
    EXPECT_EQ(SoundTable[5].inUse, 0);
}

TEST_F(Sound, The71stLoadIsRefusedAndADeletedSlotIsTakenAgain) {
    for (int i = 0; i < 70; ++i) ASSERT_EQ(elSound::LoadObject("a.wav", 1), i);
    EXPECT_EQ(elSound::LoadObject("a.wav", 1), -1);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elSound::LoadObject : オブジェクト数が多過ぎます");
    elSound::DeleteObject(17);
    EXPECT_EQ(SoundTable[17].inUse, 0);
    EXPECT_EQ(SoundTable[17].mixes[0].buffer, nullptr);
    EXPECT_STREQ(SoundTable[17].name, "");
    EXPECT_EQ(SoundTable[17].baseFrequency, 0u);
    EXPECT_EQ(elSound::LoadObject("a.wav", 1), 17);
}

TEST_F(Sound, SlotNumbersOutsideTheTableDoNothing) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 2), 0);
    for (int slot : {-1, 70, 1000, -1000}) {
        elSound::DeleteObject(slot);
        EXPECT_EQ(elSound::GetPosition(slot), 0u);
        elSound::Play(slot, 0);
        elSound::PlayLoop(slot, -1);
        elSound::Stop(slot, -1);
        elSound::Pause(slot, -1);
        elSound::SetVolume(slot, -10, -1);
        elSound::AddPan(slot, 5, -2);
        elSound::SetFrequency(slot, 3, 0);
        elSound::Echo(slot, 10, 3, 5);
    }
    // Mix indexes beyond the slot's mixes likewise.
    for (int m : {2, 9, 10, 500}) {
        elSound::Play(0, m);
        elSound::SetVolume(0, -10, m);
    }
    DWORD status = 0;
    SoundTable[0].mixes[0].buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(SoundTable[0].mixes[0].volume, 0);
    EXPECT_EQ(SoundTable[0].looping, 0);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Sound, ResourcesAreTriedWhenNoFileLoadsAndBothMissingIsReported) {
    RegisterResource("WAVE", "BOOM", Wave(2, 11025, 8, Tone(2, 11025, 8, 300, 0.5, 100)));
    RegisterResource(MakeIntResource(10), "tick", Wave(1, 8000, 16, Tone(1, 8000, 16, 300, 0.5, 100)));
    int boom = elSound::LoadObject("boom", 2);
    ASSERT_GE(boom, 0);
    EXPECT_EQ(SoundTable[boom].baseFrequency, 11025u);
    WAVEFORMATEX f{};
    SoundTable[boom].mixes[1].buffer->GetFormat(&f, sizeof f, nullptr);
    EXPECT_EQ(f.nChannels, 2);
    EXPECT_EQ(f.wBitsPerSample, 8);
    int tick = elSound::LoadObject("TICK", 1);
    ASSERT_GE(tick, 0);
    EXPECT_EQ(SoundTable[tick].baseFrequency, 8000u);
    EXPECT_TRUE(hl::Boxes().empty());
    EXPECT_EQ(elSound::LoadObject("nothing.wav", 1), -1);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elSound::LoadObject : WAVEリソースが見つかりません");
}

TEST_F(Sound, MalformedFilesCountAsMissingAndTheResourceIsTried) {
    std::vector<std::uint8_t> good = Wave(1, 22050, 16, Tone(1, 22050, 16, 440, 0.5, 50));
    auto notRiff = good;
    notRiff[0] = 'X';
    auto notWave = good;
    notWave[8] = 'A';
    auto shortFmt = good;
    shortFmt[16] = 14;  // "fmt " of 14 bytes
    auto noData = good;
    noData[36] = 'D';  // the data chunk is called something else
    auto longData = good;
    longData[40] = 0xFF;  // claims more data than the file holds
    longData[41] = 0xFF;
    auto truncated = good;
    truncated.resize(30);
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files = {
        {"bad1.wav", notRiff}, {"bad2.wav", notWave}, {"bad3.wav", shortFmt},
        {"bad4.wav", noData},  {"bad5.wav", longData}, {"bad6.wav", truncated}};
    for (auto& [name, bytes] : files) {
        Write(name, bytes);
        hl::ClearBoxes();
        EXPECT_EQ(elSound::LoadObject(name.c_str(), 1), -1) << name;
        ASSERT_EQ(hl::Boxes().size(), 1u) << name;
        EXPECT_EQ(hl::Boxes()[0].text, "elSound::LoadObject : WAVEリソースが見つかりません");
        RegisterResource("WAVE", name.c_str(), Wave(1, 16000, 16, Tone(1, 16000, 16, 0, 0, 50)));
        int slot = elSound::LoadObject(name.c_str(), 1);
        ASSERT_GE(slot, 0) << name;
        EXPECT_EQ(SoundTable[slot].baseFrequency, 16000u) << name;
    }
}

TEST_F(Sound, ChunksInAnyOrderAndNonPcmFormatBlocksAreRead) {
    // An odd-sized chunk (padded to even) first, then "data" before "fmt ".
    std::vector<std::uint8_t> data = Tone(1, 22050, 16, 440, 0.5, 50);
    std::vector<std::uint8_t> w;
    PutTag(w, "RIFF");
    Put32(w, 0);
    PutTag(w, "WAVE");
    PutTag(w, "junk");
    Put32(w, 3);
    const std::uint8_t junk[] = {1, 2, 3, 0};
    Append(w, junk, 4);
    PutTag(w, "data");
    Put32(w, static_cast<std::uint32_t>(data.size()));
    Append(w, data.data(), data.size());
    PutTag(w, "fmt ");
    Put32(w, 16);
    Put16(w, 1);
    Put16(w, 1);
    Put32(w, 22050);
    Put32(w, 44100);
    Put16(w, 2);
    Put16(w, 16);
    std::uint32_t riffSize = static_cast<std::uint32_t>(w.size() - 8);
    std::memcpy(w.data() + 4, &riffSize, 4);
    Write("order.wav", w);
    int slot = elSound::LoadObject("order.wav", 1);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(SoundTable[slot].baseFrequency, 22050u);

    // An ADPCM file reads (format block with extra bytes), but no sound
    // buffer takes it: the buffer failure is reported and nothing is left.
    std::vector<std::uint8_t> a;
    PutTag(a, "RIFF");
    Put32(a, 4 + 8 + 20 + 8 + 64);
    PutTag(a, "WAVE");
    PutTag(a, "fmt ");
    Put32(a, 20);
    Put16(a, 2);
    Put16(a, 1);
    Put32(a, 22050);
    Put32(a, 11025);
    Put16(a, 256);
    Put16(a, 4);
    Put16(a, 2);
    Put16(a, 0x07F4);
    PutTag(a, "data");
    Put32(a, 64);
    a.resize(a.size() + 64, 0x11);
    Write("adpcm.wav", a);
    int before = elSound::LoadObject("a.wav", 1);
    hl::ClearBoxes();
    EXPECT_EQ(elSound::LoadObject("adpcm.wav", 3), -1);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elSound::LoadObject : サウンドバッファが生成できません");
    EXPECT_EQ(SoundTable[before + 1].inUse, 0);
    EXPECT_EQ(Buffers(before + 1), 0);
}

TEST_F(Sound, ResourceDataSizeBeyondTheResourceIsRefused) {
    auto bytes = Wave(1, 8000, 16, Tone(1, 8000, 16, 300, 0.5, 10));
    bytes[40] += 2;  // two bytes more than there are
    RegisterResource("WAVE", "over", bytes);
    RegisterResource("WAVE", "tiny", std::vector<std::uint8_t>(43, 0));
    EXPECT_EQ(elSound::LoadObject("over", 1), -1);
    EXPECT_EQ(elSound::LoadObject("tiny", 1), -1);
    EXPECT_EQ(hl::Boxes().size(), 2u);
    EXPECT_EQ(SoundTable[0].inUse, 0);
}

TEST_F(Sound, ANameOver30CharactersIsRefusedBeforeASlotIsTaken) {
    std::string name31(27, 'x');
    name31 += ".wav";
    ASSERT_EQ(name31.size(), 31u);
    Write(name31, Wave(1, 22050, 16, Tone(1, 22050, 16, 440, 0.5, 20)));
    EXPECT_EQ(elSound::LoadObject(name31.c_str(), 3), -1);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elSound::LoadObject : ファイル名またはリソース名が長すぎます");
    EXPECT_EQ(SoundTable[0].inUse, 0);
    EXPECT_EQ(Buffers(0), 0);
    std::string name30 = name31.substr(1);
    Write(name30, Wave(1, 22050, 16, Tone(1, 22050, 16, 440, 0.5, 20)));
    EXPECT_EQ(elSound::LoadObject(name30.c_str(), 1), 0);
    EXPECT_STREQ(SoundTable[0].name, name30.c_str());
}

TEST_F(Sound, SelectFormatSetsTheOutputAndReloadsEverySound) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 2), 0);
    elSound::SetVolume(0, -7, 1);
    ASSERT_EQ(elSound::SelectFormat(2, 22, 16), 1);
    WAVEFORMATEX f{};
    elSound::PrimaryBuffer->GetFormat(&f, sizeof f, nullptr);
    EXPECT_EQ(f.nSamplesPerSec, 22050u);
    EXPECT_EQ(f.nBlockAlign, 4);
    EXPECT_EQ(f.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(Buffers(0), 2);
    LONG volume = 0;
    SoundTable[0].mixes[1].buffer->GetVolume(&volume);
    EXPECT_EQ(volume, -700);
    ASSERT_EQ(elSound::SelectFormat(1, 48000, 8), 1);
    elSound::PrimaryBuffer->GetFormat(&f, sizeof f, nullptr);
    EXPECT_EQ(f.nSamplesPerSec, 48000u);
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.wBitsPerSample, 8);
    hl::StartAudioCapture();
    EXPECT_EQ(hl::CapturedAudio().rate, 48000);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Sound, AFailedFormatChangeLeavesBuffersReleasedAndPlaybackHarmless) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 3), 0);
    EXPECT_EQ(elSound::SelectFormat(3, 44, 16), 0);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elSound::SelectFormat : 再生フォーマットを変更できません");
    EXPECT_EQ(elSound::SelectFormat(2, 44, 24), 0);
    EXPECT_EQ(Buffers(0), 0);
    EXPECT_EQ(SoundTable[0].inUse, 1);
    elSound::Play(0, -2);
    elSound::PlayLoop(0, 1);
    elSound::Pause(0, -1);
    elSound::SetVolume(0, -3, -1);
    elSound::Echo(0, 0, 3, 5);
    EXPECT_EQ(elSound::GetPosition(0), 0u);
    EXPECT_EQ(SoundTable[0].mixes[0].volume, 0);
    // A later change that works brings the sound back.
    EXPECT_EQ(elSound::SelectFormat(2, 44, 16), 1);
    EXPECT_EQ(Buffers(0), 3);
}

TEST_F(Sound, ReleaseAndRestoreBringEverySoundBackWithItsSettings) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 3), 0);
    ASSERT_EQ(elSound::LoadObject("a.wav", -2), 1);
    ASSERT_EQ(elSound::LoadObject("a.wav", 1), 2);
    elSound::DeleteObject(1);
    ASSERT_EQ(elSound::LoadObject("a.wav", -2), 1);
    elSound::SetVolume(0, -12, 0);
    elSound::SetFrequency(0, 30, 1);
    elSound::SetPan(0, -40, 2);
    elSound::PanRight(2, 0);
    elSound::PlayLoop(0, 0);
    elSound::Release();
    EXPECT_EQ(Buffers(0), 0);
    EXPECT_EQ(elSound::Device, nullptr);
    EXPECT_EQ(SoundTable[0].inUse, 1);
    elSound::Restore();
    EXPECT_EQ(Buffers(0), 3);
    EXPECT_EQ(Buffers(1), 2);
    EXPECT_EQ(Buffers(2), 1);
    LONG v = 0, p = 0;
    DWORD hz = 0;
    SoundTable[0].mixes[0].buffer->GetVolume(&v);
    SoundTable[0].mixes[1].buffer->GetFrequency(&hz);
    SoundTable[0].mixes[2].buffer->GetPan(&p);
    EXPECT_EQ(v, -1200);
    EXPECT_EQ(hz, 22050u + 3000u);
    EXPECT_EQ(p, -4000);
    SoundTable[2].mixes[0].buffer->GetPan(&p);
    EXPECT_EQ(p, 10000);
    // A slot loaded without echo stays without echo.
    EXPECT_EQ(SoundTable[1].EchoCounter, -1);
    // A restored sound is stopped.
    DWORD status = 1;
    SoundTable[0].mixes[0].buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Sound, RestoreWithoutReleaseLeavesNoOldBufferSounding) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 1), 0);
    elSound::PlayLoop(0, 0);
    elSound::Restore();
    hl::StartAudioCapture();
    Frames(5, 20);
    auto c = hl::CapturedAudio();
    EXPECT_EQ(Rms(c.samples, 0, c.samples.size()), 0.0);
}

TEST_F(Sound, ThePlayCursorFollowsTheVirtualClock) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 1), 0);
    elSound::Play(0, 0);
    EXPECT_EQ(elSound::GetPosition(0), 0u);
    hl::AdvanceClock(100);
    EXPECT_EQ(elSound::GetPosition(0), 2205u * 2);
    hl::AdvanceClock(150);  // past the 200 ms end of a single play
    EXPECT_EQ(elSound::GetPosition(0), 0u);
    DWORD status = 1;
    SoundTable[0].mixes[0].buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST_F(Sound, PlayFileSoundsTheFileWithTheDeviceReleasedThenRestores) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 2), 0);
    elSound::SetVolume(0, -3, 1);
    std::string path = (dir / "b.wav").string();
    WriteFile(path, Wave(1, 11025, 16, Tone(1, 11025, 16, 1000, 0.5, 300)));
    hl::StartAudioCapture();
    DWORD before = hl::Clock();
    elSound::PlayFile(path.c_str());
    EXPECT_GE(hl::Clock() - before, 300u);
    auto c = hl::CapturedAudio();
    auto left = Channel(c, 0);
    EXPECT_NEAR(Rms(left, 0, static_cast<std::size_t>(c.rate / 4)), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_NEAR(PeakFrequency(left, 0, 4096, c.rate), 1000, 10);
    EXPECT_EQ(Buffers(0), 2);
    LONG v = 0;
    SoundTable[0].mixes[1].buffer->GetVolume(&v);
    EXPECT_EQ(v, -300);
}

TEST_F(Sound, BeepSoundsTheSimpleBeep) {
    int before = hl::BeepCount();
    elSound::Beep();
    EXPECT_EQ(hl::BeepCount(), before + 1);
}

TEST_F(Sound, BetweenReleaseAndRestoreEveryOperationActsAsWithoutADevice) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 3), 0);
    elSound::SetVolume(0, -6, 1);
    elSound::Play(0, -1);
    elSound::Release();
    EXPECT_EQ(elSound::LoadObject("a.wav", 1), -1);
    EXPECT_EQ(elSound::LoadObject("a.wav", -4), -1);
    elSound::Play(0, -2);
    elSound::PlayLoop(0, -1);
    elSound::SetVolume(0, -20, -1);
    elSound::SetPan(0, 7, 0);
    elSound::Pause(0, -1);
    elSound::Stop(0, -1);
    elSound::Echo(0, 0, 3, 5);
    EXPECT_EQ(elSound::SelectFormat(2, 22, 16), 1);
    elSound::DeleteObject(0);
    // Nothing was lost or changed while the device was away.
    EXPECT_EQ(SoundTable[0].inUse, 1);
    EXPECT_EQ(SoundTable[0].NextMix, 1);
    EXPECT_EQ(SoundTable[0].EchoCounter, 0);
    EXPECT_EQ(SoundTable[0].mixes[1].volume, -600);
    EXPECT_EQ(SoundTable[0].mixes[0].pan, 0);
    EXPECT_EQ(SoundTable[1].inUse, 0);
    EXPECT_EQ(elSound::Device, nullptr);
    EXPECT_TRUE(hl::Boxes().empty());

    elSound::Restore();
    EXPECT_EQ(Buffers(0), 3);
    LONG v = 0;
    SoundTable[0].mixes[1].buffer->GetVolume(&v);
    EXPECT_EQ(v, -600);
    EXPECT_EQ(elSound::LoadObject("a.wav", 1), 1);
    // A second release and restore works the same.
    elSound::Release();
    EXPECT_EQ(elSound::LoadObject("a.wav", 1), -1);
    elSound::Restore();
    EXPECT_EQ(Buffers(0), 3);
    EXPECT_EQ(Buffers(1), 1);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Sound, AFrameThatQuitsCanStillCallTheSoundOperations) {
    ASSERT_EQ(elSound::LoadObject("a.wav", 2), 0);
    int loaded = 0;
    perFrame = [&] {
        // QuitIfError shuts down through Quit; the frame then goes on.
        ErrorFlag = 1;
        elSystem::QuitIfError();
        ErrorFlag = 0;
        loaded = elSound::LoadObject("a.wav", 2);
        elSound::Play(0, -2);
        elSound::Echo(0, 0, 2, 5);
        elSound::SetFrequency(0, 3, -1);
        elSound::SelectFormat(2, 44, 16);
    };
    Frames(1, 16);
    EXPECT_EQ(app.frames, 1);
    EXPECT_EQ(loaded, -1);
    EXPECT_EQ(elSound::Device, nullptr);
    EXPECT_EQ(SoundTable[0].EchoCounter, 0);
    EXPECT_EQ(SoundTable[0].mixes[0].frequency, 22050u);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Sound, RestoreAndFormatChangesKeepEchoStateAndTheNextMix) {
    ASSERT_EQ(elSound::LoadObject("a.wav", -3), 0);
    ASSERT_EQ(elSound::LoadObject("a.wav", 4), 1);
    elSound::Play(0, -1);
    elSound::Play(0, -1);
    elSound::Play(1, -2);  // an echo sequence starts: counter 1, next mix 1
    FrameDelta = 0.1f;
    elSound::Echo(1, 50, 3, 5);  // the first echo: counter 2, next mix 2
    ASSERT_EQ(SoundTable[1].EchoCounter, 2);
    ASSERT_EQ(SoundTable[1].NextMix, 2);
    auto expectKept = [&](const char* after) {
        SCOPED_TRACE(after);
        EXPECT_EQ(SoundTable[0].EchoCounter, -1);
        EXPECT_EQ(SoundTable[0].NextMix, 2);
        EXPECT_EQ(SoundTable[1].EchoCounter, 2);
        EXPECT_EQ(SoundTable[1].NextMix, 2);
        EXPECT_EQ(SoundTable[1].mixes[1].volume, -500);
    };
    elSound::Release();
    elSound::Restore();
    expectKept("restore");
    ASSERT_EQ(elSound::SelectFormat(2, 22, 16), 1);
    expectKept("format change");
    // The no-echo slot still cannot echo, and its next play takes mix 2.
    elSound::Play(0, -2);
    EXPECT_EQ(SoundTable[0].EchoCounter, -1);
    DWORD status = 0;
    SoundTable[0].mixes[2].buffer->GetStatus(&status);
    EXPECT_NE(status & DSBSTATUS_PLAYING, 0u);
    SoundTable[0].mixes[0].buffer->GetStatus(&status);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    // The running echo goes on where it was.
    elSound::Echo(1, 50, 3, 5);
    EXPECT_EQ(SoundTable[1].EchoCounter, 3);
    EXPECT_EQ(SoundTable[1].mixes[2].volume, -1000);
    FrameDelta = 0.0f;
}

}  // namespace
