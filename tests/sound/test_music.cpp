// MIDI music: the MCI command protocol, looping on the end notification, and
// what the synthesiser makes heard.
#include <SDL.h>

#include <iostream>

#include "platform/mci.h"
#include "support/sound_support.h"

using namespace plat;
using namespace soundtest;

namespace {

// A standard MIDI file (format 0, 96 ticks per quarter, 120 beats per
// minute): A4 on the piano for 0.25 s, then silence up to the end at 0.5 s.
std::vector<std::uint8_t> Midi(int note = 69) {
    std::vector<std::uint8_t> track = {
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,         // tempo 500000 us per quarter
        0x00, 0xC0, 0x00,                                 // piano
        0x00, 0x90, static_cast<std::uint8_t>(note), 100, // note on
        0x30, 0x80, static_cast<std::uint8_t>(note), 64,  // 48 ticks later: off
        0x30, 0xFF, 0x2F, 0x00};                          // 48 ticks later: end
    std::vector<std::uint8_t> m = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                   'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())};
    for (std::uint8_t b : track) m.push_back(b);
    return m;
}

class Music : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        Write("music.mid", Midi());
        Write("other.mid", Midi(60));
        folder = elSystem::GetProgramFolder(0);
        hl::ClearMciCommands();
    }
    std::string OpenCommand(const std::string& name) const {
        return "open \"" + folder + name + "\" type sequencer alias midi";
    }
    static int Count(const std::string& command) {
        int n = 0;
        for (const auto& c : hl::MciCommands()) n += c == command;
        return n;
    }
    // Frames of 20 ms; records the virtual time of every play command sent.
    void Run(int frames) {
        perFrame = [this] {
            auto log = hl::MciCommands();
            for (std::size_t i = seen; i < log.size(); ++i)
                if (log[i] == "play midi notify") plays.push_back(hl::Clock());
            seen = log.size();
        };
        Frames(frames, 20);
    }
    std::string folder;
    std::size_t seen = 0;
    std::vector<DWORD> plays;
};

TEST_F(Music, PlaySendsOpenSeekAndPlayThenLoopsFromTheStartOnEveryEnd) {
    hl::StartAudioCapture();
    DWORD start = hl::Clock();
    elMusic::Play("music.mid", 1);
    EXPECT_EQ(elMusic::IsOpen(), 1);
    std::vector<std::string> first = {OpenCommand("music.mid"), "seek midi to start", "play midi notify"};
    EXPECT_EQ(hl::MciCommands(), first);
    seen = first.size();
    Run(110);  // 2.2 s: the 0.5 s piece ends four times
    EXPECT_EQ(elMusic::IsOpen(), 1);
    EXPECT_EQ(Count("status midi mode"), 4);
    EXPECT_EQ(Count("seek midi to start"), 5);
    EXPECT_EQ(Count("play midi notify"), 5);
    EXPECT_EQ(Count("close midi"), 0);
    ASSERT_EQ(plays.size(), 4u);
    // Each restart plays the piece from its beginning: the note sounds again
    // right after the restart, louder than the quiet end before it.
    auto c = hl::CapturedAudio();
    auto left = Channel(c, 0);
    auto at = [&](DWORD ms) { return static_cast<std::size_t>(ms) * static_cast<std::size_t>(c.rate) / 1000; };
    for (std::size_t k = 0; k < plays.size(); ++k) {
        DWORD t = plays[k] - start;
        EXPECT_NEAR(static_cast<double>(t), 500.0 * static_cast<double>(k + 1), 40.0 * static_cast<double>(k + 1)) << k;
        double before = Rms(left, at(t - 80), at(50));
        double after = Rms(left, at(t), at(100));
        EXPECT_GT(after, 3 * before) << k;
        EXPECT_NEAR(PeakFrequency(left, at(t), 4096, c.rate, 100, 2000), 440, 10) << k;
    }
}

TEST_F(Music, WithoutLoopTheDeviceClosesAtTheEndAndLaterNoticesAreIgnored) {
    elMusic::Play("music.mid", 0);
    Run(40);
    EXPECT_EQ(elMusic::IsOpen(), 0);
    EXPECT_EQ(Count("status midi mode"), 1);
    EXPECT_EQ(Count("stop midi"), 1);
    EXPECT_EQ(Count("close midi"), 1);
    hl::ClearMciCommands();
    PostMessageA(MainWindow, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
    ASSERT_TRUE(test::DrainMessages());
    EXPECT_TRUE(hl::MciCommands().empty());
}

// A piece that is not there fails quietly, as a missing sequencer does, but
// the debug output names the file, its folder and the reason; a piece that
// is there writes nothing.
TEST_F(Music, AMissingPieceIsNamedInTheDebugOutputWithoutABox) {
    testing::internal::CaptureStderr();
    elMusic::Play("music.mid", 1);
    elMusic::Play("none.mid", 1);
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(elMusic::IsOpen(), 1);
    EXPECT_EQ(ErrorFlag, 0);
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(written.find("music.mid"), std::string::npos) << written;
    EXPECT_NE(written.find("elMusic::Play"), std::string::npos) << written;
    EXPECT_NE(written.find("none.mid: No such file or directory (looked up in "), std::string::npos) << written;
}

TEST_F(Music, NoLoopLetsTheCurrentPieceEnd) {
    elMusic::Play("music.mid", 1);
    Run(10);
    elMusic::NoLoop();
    Run(30);
    EXPECT_EQ(elMusic::IsOpen(), 0);
    EXPECT_EQ(Count("play midi notify"), 1);
}

TEST_F(Music, ANotificationWithAnotherCodeChangesNothing) {
    elMusic::Play("music.mid", 1);
    hl::ClearMciCommands();
    for (WPARAM code : {MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED, MCI_NOTIFY_FAILURE}) {
        PostMessageA(MainWindow, MM_MCINOTIFY, code, 1);
        ASSERT_TRUE(test::DrainMessages());
    }
    EXPECT_TRUE(hl::MciCommands().empty());
    EXPECT_EQ(elMusic::IsOpen(), 1);
}

TEST_F(Music, PlayWhilePlayingClosesTheFirstPiece) {
    elMusic::Play("music.mid", 1);
    Run(5);
    elMusic::Play("other.mid", 0);
    std::vector<std::string> expected = {OpenCommand("music.mid"), "seek midi to start",
                                         "play midi notify", "stop midi", "close midi",
                                         OpenCommand("other.mid"), "seek midi to start",
                                         "play midi notify"};
    EXPECT_EQ(hl::MciCommands(), expected);
    // The aborted first play's notice is not a reason to restart anything.
    Run(10);
    EXPECT_EQ(Count("status midi mode"), 0);
    EXPECT_EQ(elMusic::IsOpen(), 1);
}

TEST_F(Music, StopTwiceSendsTheCommandsOnce) {
    elMusic::Play("music.mid", 1);
    elMusic::Stop();
    elMusic::Stop();
    EXPECT_EQ(Count("stop midi"), 1);
    EXPECT_EQ(Count("close midi"), 1);
    EXPECT_EQ(elMusic::IsOpen(), 0);
    // Close sends them whatever the state.
    elMusic::Close();
    EXPECT_EQ(Count("close midi"), 2);
}

TEST_F(Music, TheMixedOutputIsNotSilentWhileMusicPlays) {
    hl::StartAudioCapture();
    elMusic::Play("music.mid", 1);
    Run(20);
    auto c = hl::CapturedAudio();
    auto left = Channel(c, 0);
    auto right = Channel(c, 1);
    std::size_t n = static_cast<std::size_t>(c.rate) / 4;
    double rmsL = Rms(left, 0, n), rmsR = Rms(right, 0, n);
    double peak = 0;
    for (float v : left) peak = std::max(peak, double{std::fabs(v)});
    double pitch = PeakFrequency(left, 0, 8192, c.rate, 100, 2000);
    std::cout << "[ music    ] first 250 ms: RMS L " << Db(rmsL) << " dBFS, R " << Db(rmsR)
              << " dBFS, peak " << Db(peak) << " dBFS, strongest " << pitch << " Hz\n";
    EXPECT_GT(rmsL, 0.01);
    EXPECT_GT(rmsR, 0.01);
    EXPECT_LT(peak, 1.0);  // no clipping
    EXPECT_NEAR(pitch, 440, 10);
    // Stopped music is silence again.
    elMusic::Stop();
    hl::StartAudioCapture();
    Run(10);
    c = hl::CapturedAudio();
    EXPECT_LT(Rms(c.samples, 0, c.samples.size()), 1e-4);
}

TEST_F(Music, MusicAndSoundsShareTheOutputAndMusicNeedsNoSoundDevice) {
    Write("tone.wav", Wave(1, 44100, 16, Tone(1, 44100, 16, 1500, 0.3, 1000)));
    int slot = elSound::LoadObject("tone.wav", 1);
    ASSERT_GE(slot, 0);
    hl::StartAudioCapture();
    elMusic::Play("music.mid", 1);
    elSound::Play(slot, 0);
    Run(10);
    auto c = hl::CapturedAudio();
    auto left = Channel(c, 0);
    EXPECT_NEAR(PeakFrequency(left, 0, 4096, c.rate, 1000, 2000), 1500, 10);
    EXPECT_NEAR(PeakFrequency(left, 0, 4096, c.rate, 100, 1000), 440, 10);
    // The sound device goes away; the music goes on.
    elSound::Release();
    hl::StartAudioCapture();
    Run(10);
    c = hl::CapturedAudio();
    EXPECT_GT(Rms(c.samples, 0, c.samples.size()), 0.01);
}

TEST_F(Music, OnTheAudioThreadTheEndIsNotifiedThroughTheMessageLoop) {
    // The real output path: SDL's own audio thread (its dummy driver) renders
    // the music; the end notice reaches the window through the message loop.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    elSound::Release();
    hl::UseRealAudioDevice(true);
    elMusic::Play("music.mid", 1);
    char answer[32] = "";
    if (mciSendStringA("status midi mode", answer, sizeof answer, nullptr) != 0)
        GTEST_SKIP() << "no SDL audio driver";
    hl::StartAudioCapture();
    Uint64 start = SDL_GetTicks64();
    while (Count("status midi mode") < 3 && SDL_GetTicks64() - start < 5000) {
        ASSERT_TRUE(elSystem::LoopPass());
        SDL_Delay(2);
    }
    EXPECT_GE(Count("status midi mode"), 3);  // two ends answered by the window
    EXPECT_GE(Count("play midi notify"), 3);
    auto c = hl::CapturedAudio();
    EXPECT_GT(Rms(c.samples, 0, c.samples.size()), 0.005);
    elMusic::Stop();
}

TEST_F(Music, AMissingFileFailsQuietly) {
    elMusic::Play("none.mid", 1);
    EXPECT_EQ(elMusic::IsOpen(), 1);
    Run(40);
    EXPECT_EQ(Count("status midi mode"), 0);
    EXPECT_TRUE(hl::Boxes().empty());
    char answer[32] = "x";
    EXPECT_EQ(mciSendStringA("status midi mode", answer, sizeof answer, nullptr), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_STREQ(answer, "");
    elMusic::Stop();
    EXPECT_EQ(Count("close midi"), 1);
    EXPECT_EQ(elMusic::IsOpen(), 0);
}

TEST_F(Music, TheSequencerAnswersItsCommands) {
    std::string open = "open \"" + (dir / "music.mid").string() + "\" type sequencer alias tune";
    ASSERT_EQ(mciSendStringA(open.c_str(), nullptr, 0, nullptr), 0u);
    EXPECT_EQ(mciSendStringA(open.c_str(), nullptr, 0, nullptr), MCIERR_DUPLICATE_ALIAS);
    char answer[32];
    mciSendStringA("status tune mode", answer, sizeof answer, nullptr);
    EXPECT_STREQ(answer, "stopped");
    EXPECT_EQ(mciSendStringA("play tune", nullptr, 0, nullptr), 0u);
    mciSendStringA("status tune mode", answer, sizeof answer, nullptr);
    EXPECT_STREQ(answer, "playing");
    char small[3];
    mciSendStringA("status tune mode", small, sizeof small, nullptr);
    EXPECT_STREQ(small, "pl");
    mciSendStringA("pause tune", nullptr, 0, nullptr);
    mciSendStringA("status tune mode", answer, sizeof answer, nullptr);
    EXPECT_STREQ(answer, "paused");
    EXPECT_EQ(mciSendStringA("dance tune", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(mciSendStringA("seek tune to 500", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(mciSendStringA("stop midi", nullptr, 0, nullptr), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(mciSendStringA("", nullptr, 0, nullptr), MCIERR_MISSING_COMMAND_STRING);
    // A play after the end completes at once; after a seek it plays again.
    mciSendStringA("play tune", nullptr, 0, nullptr);
    hl::AdvanceClock(700);
    mciSendStringA("status tune mode", answer, sizeof answer, nullptr);
    EXPECT_STREQ(answer, "stopped");
    mciSendStringA("play tune notify", nullptr, 0, MainWindow);
    EXPECT_EQ(hl::QueuedMessages(), 0);
    hl::SyncAudio();
    EXPECT_EQ(hl::QueuedMessages(), 1);
    mciSendStringA("seek tune to start", nullptr, 0, nullptr);
    mciSendStringA("play tune", nullptr, 0, nullptr);
    mciSendStringA("status tune mode", answer, sizeof answer, nullptr);
    EXPECT_STREQ(answer, "playing");
    EXPECT_EQ(mciSendStringA("close tune", nullptr, 0, nullptr), 0u);
    EXPECT_EQ(mciSendStringA("status tune mode", answer, sizeof answer, nullptr), MCIERR_INVALID_DEVICE_NAME);
    // Files that are not MIDI are refused.
    Write("fake.mid", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0});
    std::string fake = "open \"" + (dir / "fake.mid").string() + "\" type sequencer alias midi";
    EXPECT_EQ(mciSendStringA(fake.c_str(), nullptr, 0, nullptr), MCIERR_INVALID_FILE);
}

TEST_F(Music, WithoutAnAudioDeviceTheSequencerCannotOpen) {
    elSound::Release();
    hl::SetAudioDevicePresent(false);
    elMusic::Play("music.mid", 1);
    EXPECT_EQ(elMusic::IsOpen(), 1);
    char answer[32];
    EXPECT_NE(mciSendStringA("status midi mode", answer, sizeof answer, nullptr), 0u);
    elMusic::Stop();
    EXPECT_TRUE(hl::Boxes().empty());
}

}  // namespace
