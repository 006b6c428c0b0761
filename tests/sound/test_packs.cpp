// Sound packs and streaming: the converter's entries, lookups, streams
// heard sample by sample across refills, the loop point, the end and its
// silence, restore from each stream's own pack, and damaged packs.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "sound/pack_format.h"
#include "support/sound_support.h"

using namespace plat;
using namespace soundtest;

namespace {

std::vector<std::uint8_t> FormatBlock(int channels, int rate, int bits) {
    std::vector<std::uint8_t> f;
    Put16(f, 1);
    Put16(f, static_cast<unsigned>(channels));
    Put32(f, static_cast<std::uint32_t>(rate));
    Put32(f, static_cast<std::uint32_t>(rate * channels * bits / 8));
    Put16(f, static_cast<unsigned>(channels * bits / 8));
    Put16(f, static_cast<unsigned>(bits));
    Put16(f, 0);
    return f;
}

// Mono 16-bit samples that are never 0 and never repeat within a stretch,
// so any sample heard names its place in the entry.
std::vector<std::int16_t> Ramp(std::size_t count, int base) {
    std::vector<std::int16_t> s(count);
    for (std::size_t i = 0; i < count; ++i) s[i] = static_cast<std::int16_t>(base + static_cast<int>((i * 37) % 30000));
    return s;
}
std::vector<std::uint8_t> Bytes(const std::vector<std::int16_t>& s) {
    std::vector<std::uint8_t> b;
    for (std::int16_t v : s) Put16(b, static_cast<std::uint16_t>(v));
    return b;
}

struct PackEntry {
    std::string name;
    std::vector<std::uint8_t> format;
    std::vector<std::uint8_t> samples;
};
std::vector<std::uint8_t> PackBytes(const std::vector<PackEntry>& entries) {
    std::vector<std::uint8_t> out;
    for (const PackEntry& e : entries)
        elSound::pack::AppendEntry(out, e.name, e.format, e.samples.data(),
                                   static_cast<std::uint32_t>(e.samples.size()));
    return out;
}

constexpr int kRate = 8000;  // mono 16-bit: 16000 bytes a second, chunks of 32000

class SoundPacks : public SoundFixture {
protected:
    void SetUp() override {
        SoundFixture::SetUp();
        perFrame = [] { elSound::Streaming(); };
    }
    // The output in the entries' own format, so that samples pass the mixer unchanged.
    void MatchOutput() { ASSERT_EQ(elSound::SelectFormat(1, kRate, 16), 1); }
    // The captured output as 16-bit samples.
    static std::vector<int> Heard() {
        std::vector<int> out;
        for (float v : hl::CapturedAudio().samples) out.push_back(static_cast<int>(std::lround(v * 32768.0f)));
        return out;
    }
    static bool Playing(int slot) {
        DWORD status = 0;
        SoundTable[slot].mixes[0].buffer->GetStatus(&status);
        return (status & DSBSTATUS_PLAYING) != 0;
    }
    std::vector<std::uint8_t> ReadBack(const std::string& name) {
        std::FILE* f = std::fopen((dir / name).c_str(), "rb");
        std::vector<std::uint8_t> out;
        if (!f) return out;
        for (int c; (c = std::fgetc(f)) != EOF;) out.push_back(static_cast<std::uint8_t>(c));
        std::fclose(f);
        return out;
    }
};

TEST_F(SoundPacks, ConverterWritesUpperCaseEntriesInTheirLayout) {
    std::vector<std::uint8_t> stereo = Tone(2, 22050, 16, 440, 0.5, 100);
    Write("IN/A.WAV", Wave(2, 22050, 16, stereo));
    Write("IN/b.wav", Wave(1, 11025, 8, Tone(1, 11025, 8, 440, 0.5, 100)));
    Write("IN/BAD.WAV", {'R', 'I', 'F', 'F', 1, 2});
    ASSERT_EQ(elSound::Convert("S.PAK", "IN", 1), 1);
    std::vector<std::uint8_t> pack = ReadBack("S.PAK");
    std::vector<elSound::pack::Entry> entries;
    std::string problem;
    ASSERT_TRUE(elSound::pack::ReadEntries(pack.data(), pack.size(), &entries, &problem)) << problem;
    ASSERT_EQ(entries.size(), 2u);  // nothing written for the file that is no wave
    EXPECT_EQ(entries[0].name, "A.WAV");
    EXPECT_EQ(entries[1].name, "B.WAV");
    // N, name, zero, F = 18, the format block, the samples.
    EXPECT_EQ(entries[0].size, stereo.size());
    EXPECT_EQ(entries[0].formatSize, 18u);
    EXPECT_EQ(entries[0].format, 4u + 6 + 4);
    elSound::pack::Format f = elSound::pack::ReadFormat(pack.data() + entries[0].format);
    EXPECT_EQ(f.blockAlign, 4);
    EXPECT_EQ(f.bytesPerSecond, 88200u);
    EXPECT_TRUE(std::equal(stereo.begin(), stereo.end(), pack.begin() + static_cast<long>(entries[0].samples)));
    EXPECT_FALSE(fs::exists(dir / "S.PAK.tmp"));

    elSound::SetPackFile("S.PAK");
    int b = elSound::LoadPack("b.wav", 2);
    ASSERT_EQ(b, 0);
    EXPECT_EQ(SoundTable[b].baseFrequency, 11025u);
    EXPECT_EQ(SoundTable[b].fromPack, 1);
    EXPECT_STREQ(SoundTable[b].name, "B.WAV");
    EXPECT_EQ(Boxes(), "");
    // Appending keeps the older entry first.
    Write("IN/b.wav", Wave(1, 22050, 8, Tone(1, 22050, 8, 440, 0.5, 100)));
    ASSERT_EQ(elSound::Convert("S.PAK", "IN", 0), 1);
    int again = elSound::LoadPack("B.WAV", 1);
    EXPECT_EQ(SoundTable[again].baseFrequency, 11025u);
}

TEST_F(SoundPacks, LoadBeforeAnyPackAndMissingEntriesAreReported) {
    EXPECT_EQ(elSound::LoadPack("A.WAV", 1), -1);
    EXPECT_EQ(Boxes(), "elSound::LoadPack : パックファイル名が指定されていません");
    hl::ClearBoxes();
    Write("S.PAK", PackBytes({{"A.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(100, 5))}}));
    elSound::SetPackFile("S.PAK");
    EXPECT_EQ(elSound::LoadStream("B.WAV", 0), -1);
    EXPECT_EQ(Boxes(), "elSound::LoadStream : WAVEファイルを読み込めません");
    hl::ClearBoxes();
    EXPECT_EQ(elSound::LoadPack(std::string(31, 'A').c_str(), 1), -1);
    EXPECT_EQ(Boxes(), "elSound::LoadPack : ファイル名が長すぎます");
    EXPECT_EQ(SoundTable[0].inUse, 0);  // refused before a slot was taken
}

TEST_F(SoundPacks, ShortEntriesLoadWholeAndLongOnesStreamWithTheirRingSizes) {
    std::vector<std::uint8_t> four(88200 * 4), five(88200 * 5);
    Write("S.PAK", PackBytes({{"FOUR.WAV", FormatBlock(2, 22050, 16), four},
                              {"FIVE.WAV", FormatBlock(2, 22050, 16), five}}));
    elSound::SetPackFile("S.PAK");
    int whole = elSound::LoadStream("four.wav", 0);
    ASSERT_EQ(whole, 0);
    EXPECT_EQ(SoundTable[whole].stream.dataSize, 0u);
    EXPECT_EQ(SoundTable[whole].mixCount, 1);
    EXPECT_EQ(SoundTable[whole].fromPack, 1);
    int streamed = elSound::LoadStream("FIVE.WAV", 0);
    ASSERT_EQ(streamed, 1);
    const StreamRecord& r = SoundTable[streamed].stream;
    EXPECT_EQ(r.dataSize, 88200u * 5);
    EXPECT_EQ(r.bufferSize, 352800u);
    EXPECT_EQ(r.halfSize, 176400u);
    EXPECT_EQ(r.consumed, 176400u);
    EXPECT_EQ(r.writePosition, 176400u);
    EXPECT_EQ(r.dataStart, 4u + 9 + 4 + 18 + four.size() + 4 + 9 + 4 + 18);
    EXPECT_EQ(r.readPosition, r.dataStart + 176400u);
    EXPECT_EQ(SoundTable[streamed].EchoCounter, -1);
    EXPECT_STREQ(SoundTable[streamed].name, "FIVE.WAV");
    // A loop point at or past the end of the samples is refused.
    EXPECT_EQ(elSound::LoadStream("FIVE.WAV", 88200 * 5), -1);
    EXPECT_EQ(Boxes(), "elSound::LoadStream : ストリーミング再生できません");
    EXPECT_EQ(SoundTable[2].inUse, 0);
}

TEST_F(SoundPacks, TheLastTwoChunksShareTheRestHalvedBackToBack) {
    // 300000 bytes remain after the first chunk; the next two are 150000 each.
    std::vector<std::uint8_t> data(176400 + 300000);
    Write("S.PAK", PackBytes({{"LONG.WAV", FormatBlock(2, 22050, 16), data}}));
    elSound::SetPackFile("S.PAK");
    int slot = elSound::LoadStream("LONG.WAV", 0);
    ASSERT_EQ(slot, 0);
    const StreamRecord& r = SoundTable[slot].stream;
    elSound::PlayLoop(slot, 0);
    Frames(1, 16);
    EXPECT_EQ(r.consumed, 176400u + 150000u);
    EXPECT_EQ(r.writePosition, 176400u + 150000u);
    Frames(130, 16);  // into the chunk written last
    EXPECT_EQ(r.writePosition, 176400u + 150000u + 150000u - 352800u);
    EXPECT_EQ(r.consumed, 0u);  // back at the loop point
    EXPECT_EQ(r.readPosition, r.loopPoint);
    // Half of 264604 bytes is 132302, not a whole number of 4-byte frames:
    // the chunks are 132302 bytes each all the same, written back to back.
    std::vector<std::uint8_t> odd(176400 + 264604);
    Write("S.PAK", PackBytes({{"ODD.WAV", FormatBlock(2, 22050, 16), odd}}));
    int second = elSound::LoadStream("ODD.WAV", 0);
    ASSERT_EQ(second, 1) << Boxes();
    EXPECT_EQ(SoundTable[second].stream.dataSize, odd.size());
    elSound::Play(second, 0);
    EXPECT_EQ(SoundTable[second].stream.consumed, 176400u);
    Frames(1, 16);
    EXPECT_EQ(SoundTable[second].stream.consumed, 176400u + 132302u);
    EXPECT_EQ(SoundTable[second].stream.writePosition, 176400u + 132302u);
    EXPECT_EQ(SoundTable[second].stream.readPosition, SoundTable[second].stream.dataStart + 176400u + 132302u);
}

// Seven seconds streamed without a loop: every sample in order through
// several refills, then silence, then the slot stops by itself and a new
// play starts again from the first sample.
TEST_F(SoundPacks, AStreamIsHeardSampleBySampleThenEndsInSilenceAndStops) {
    MatchOutput();
    // One sample over 7 seconds: the last two chunks are 24001 bytes each,
    // so the ring is written at odd offsets from then on.
    std::vector<std::int16_t> samples = Ramp(kRate * 7 + 1, 1000);
    Write("S.PAK", PackBytes({{"LONG.WAV", FormatBlock(1, kRate, 16), Bytes(samples)}}));
    elSound::SetPackFile("S.PAK");
    int slot = elSound::LoadStream("LONG.WAV", 0);
    ASSERT_EQ(slot, 0);
    for (int round = 0; round < 2; ++round) {
        hl::StartAudioCapture();
        elSound::Play(slot, -1);
        Frames(7 * 60 + 10, 16);
        EXPECT_TRUE(Playing(slot) || round >= 0);
        Frames(60, 16);
        EXPECT_FALSE(Playing(slot)) << round;
        std::vector<int> heard = Heard();
        std::size_t start = 0;
        while (start < heard.size() && heard[start] == 0) ++start;
        ASSERT_LT(start, 200u) << round;
        ASSERT_GE(heard.size(), start + samples.size() + kRate / 2);
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < samples.size(); ++i) wrong += heard[start + i] != samples[i];
        EXPECT_EQ(wrong, 0u) << round;
        for (std::size_t i = start + samples.size(); i < heard.size(); ++i)
            ASSERT_EQ(heard[i], 0) << "after the end, at " << i - start;
    }
    EXPECT_EQ(Boxes(), "");
}

TEST_F(SoundPacks, ALoopingStreamGoesOnFromItsLoopPoint) {
    MatchOutput();
    // 96002 bytes: the first pass ends in two chunks of 16001 bytes.
    std::vector<std::int16_t> samples = Ramp(kRate * 6 + 1, 1000);
    Write("S.PAK", PackBytes({{"LONG.WAV", FormatBlock(1, kRate, 16), Bytes(samples)}}));
    elSound::SetPackFile("S.PAK");
    const std::size_t loop = kRate * 2 + 1;  // samples; an odd byte offset is taken down to the frame
    int slot = elSound::LoadStream("LONG.WAV", static_cast<std::uint32_t>(loop * 2 + 1));
    ASSERT_EQ(slot, 0);
    hl::StartAudioCapture();
    elSound::PlayLoop(slot, -1);
    Frames(16 * 60, 16);
    EXPECT_TRUE(Playing(slot));
    std::vector<int> heard = Heard();
    std::size_t start = 0;
    while (start < heard.size() && heard[start] == 0) ++start;
    std::vector<std::int16_t> expected(samples);
    for (int pass = 0; pass < 2; ++pass) expected.insert(expected.end(), samples.begin() + static_cast<long>(loop), samples.end());
    ASSERT_GE(heard.size(), start + expected.size());
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) wrong += heard[start + i] != expected[i];
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(Boxes(), "");
}

// After a release and restore a stream reopens the pack it was opened from,
// though another pack was selected since; a whole pack slot reloads from the
// selected pack, which the stream's reload leaves as the program chose it.
TEST_F(SoundPacks, RestoreReopensEachStreamFromItsOwnPack) {
    MatchOutput();
    std::vector<std::int16_t> first = Ramp(kRate * 5, 1000), other = Ramp(kRate * 5, -31000);
    Write("ONE.PAK", PackBytes({{"LONG.WAV", FormatBlock(1, kRate, 16), Bytes(first)}}));
    Write("TWO.PAK", PackBytes({{"LONG.WAV", FormatBlock(1, kRate, 16), Bytes(other)},
                                {"SHORT.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(100, 7))}}));
    elSound::SetPackFile("ONE.PAK");
    int stream = elSound::LoadStream("LONG.WAV", 0);
    elSound::SetPackFile("TWO.PAK");
    int whole = elSound::LoadPack("SHORT.WAV", 1);
    ASSERT_EQ(stream, 0);
    ASSERT_EQ(whole, 1);
    elSound::SetVolume(stream, -3, 0);
    for (int round = 0; round < 2; ++round) {
        elSound::Release();
        elSound::Restore();
        ASSERT_NE(SoundTable[stream].mixes[0].buffer, nullptr);
        ASSERT_NE(SoundTable[whole].mixes[0].buffer, nullptr);
        EXPECT_EQ(SoundTable[stream].stream.dataSize, first.size() * 2);
        EXPECT_EQ(SoundTable[whole].stream.dataSize, 0u);
        EXPECT_EQ(SoundTable[stream].mixes[0].volume, -300);
        EXPECT_EQ(Boxes(), "") << round;
    }
    elSound::SetVolume(stream, 0, 0);
    MatchOutput();  // a new device starts in its default output format
    hl::StartAudioCapture();
    elSound::Play(stream, 0);
    Frames(3 * 60, 16);
    std::vector<int> heard = Heard();
    std::size_t start = 0;
    while (start < heard.size() && heard[start] == 0) ++start;
    ASSERT_GE(heard.size(), start + kRate * 2);
    for (std::size_t i = 0; i < kRate * 2; ++i) ASSERT_EQ(heard[start + i], first[i]) << i;
}

TEST_F(SoundPacks, APackThatVanishesIsReportedOnceAndOnlyItsStreamStops) {
    std::vector<std::uint8_t> data(16000 * 6);
    Write("A.PAK", PackBytes({{"A.WAV", FormatBlock(1, kRate, 16), data}}));
    Write("B.PAK", PackBytes({{"B.WAV", FormatBlock(1, kRate, 16), data}}));
    elSound::SetPackFile("A.PAK");
    int a = elSound::LoadStream("A.WAV", 0);
    elSound::SetPackFile("B.PAK");
    int b = elSound::LoadStream("B.WAV", 0);
    elSound::PlayLoop(a, 0);
    elSound::PlayLoop(b, 0);
    fs::remove(dir / "A.PAK");
    Frames(10 * 60, 16);
    EXPECT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(Boxes(), "elSound::Streaming : パックファイル名が指定されていません");
    EXPECT_FALSE(Playing(a));
    EXPECT_TRUE(Playing(b));
    EXPECT_EQ(elSound::ResetStream(a), 0);
    EXPECT_EQ(elSound::ResetStream(-1), 0);
    EXPECT_EQ(elSound::ResetStream(70), 0);
}

TEST_F(SoundPacks, DamagedPacksAreRefusedWithoutReadingPastTheEnd) {
    std::vector<std::uint8_t> whole = PackBytes({{"A.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(20, 5))}});
    std::size_t firstEnd = whole.size();
    std::vector<std::uint8_t> second = PackBytes({{"B.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(30, 9))}});
    whole.insert(whole.end(), second.begin(), second.end());
    elSound::SetPackFile("D.PAK");
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        Write("D.PAK", std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));
        hl::ClearBoxes();
        EXPECT_EQ(elSound::LoadPack("B.WAV", 1), -1) << cut;
        EXPECT_EQ(Boxes(), "elSound::LoadPack : WAVEファイルを読み込めません") << cut;
        int first = elSound::LoadStream("A.WAV", 0);
        EXPECT_EQ(first >= 0, cut >= firstEnd) << cut;
        elSound::DeleteObject(first);
        std::vector<elSound::pack::Entry> entries;
        std::string problem;
        EXPECT_EQ(elSound::pack::ReadEntries(whole.data(), cut, &entries, &problem), cut == 0 || cut == firstEnd);
    }
    auto refused = [&](std::vector<std::uint8_t> bytes, const char* expected) {
        Write("D.PAK", bytes);
        hl::ClearBoxes();
        EXPECT_EQ(elSound::LoadStream("B.WAV", 0), -1);
        EXPECT_EQ(Boxes(), expected);
        std::vector<elSound::pack::Entry> entries;
        std::string problem;
        return elSound::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem);
    };
    const char* noEntry = "elSound::LoadStream : WAVEファイルを読み込めません";
    std::vector<std::uint8_t> lying = whole;
    lying[firstEnd + 3] = 0x7F;  // N far past the end
    EXPECT_FALSE(refused(lying, noEntry));
    lying = whole;
    lying[firstEnd + 4 + 6 + 3] = 0x40;  // F far past the end
    EXPECT_FALSE(refused(lying, noEntry));
    lying = whole;
    lying[firstEnd + 4 + 6] = 8;  // F too small for the format's fields
    EXPECT_FALSE(refused(lying, noEntry));
    // A long entry one byte short of its samples: a stream reads only its
    // first two seconds at once, so only the check of N against the file
    // refuses it.
    std::vector<std::uint8_t> longOne = PackBytes({{"B.WAV", FormatBlock(1, kRate, 16), std::vector<std::uint8_t>(16000 * 6)}});
    longOne.pop_back();
    EXPECT_FALSE(refused(longOne, noEntry));
    std::vector<std::uint8_t> endless = {1, 0, 0, 0};
    endless.insert(endless.end(), 200, 'B');
    EXPECT_FALSE(refused(endless, noEntry));
    // Formats a stream cannot be cut by: no bytes a second, or frames that
    // do not divide a second.
    std::vector<std::uint8_t> silent = FormatBlock(1, kRate, 16);
    silent[8] = silent[9] = 0;
    EXPECT_TRUE(refused(PackBytes({{"B.WAV", silent, std::vector<std::uint8_t>(16000 * 6)}}),
                        "elSound::LoadStream : ストリーミング再生できません"));
    std::vector<std::uint8_t> uneven = FormatBlock(1, kRate, 16);
    uneven[12] = 3;
    EXPECT_TRUE(refused(PackBytes({{"B.WAV", uneven, std::vector<std::uint8_t>(16000 * 6)}}),
                        "elSound::LoadStream : ストリーミング再生できません"));
    for (const MixBuffer& m : SoundTable[0].mixes) EXPECT_EQ(m.buffer, nullptr);
}

// Between Release and Restore, and after the program quit (which releases
// the device), the pack loaders do what every other sound call does: act as
// without a device, change nothing and show nothing.
TEST_F(SoundPacks, ReleasedOrQuitThePackLoadersActAsWithoutADevice) {
    Write("S.PAK", PackBytes({{"SHORT.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(100, 5))},
                              {"LONG.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(kRate * 6, 9))}}));
    elSound::SetPackFile("S.PAK");
    int stream = elSound::LoadStream("LONG.WAV", 0);
    ASSERT_EQ(stream, 0);
    elSound::PlayLoop(stream, 0);
    elSound::Release();
    EXPECT_EQ(elSound::LoadPack("SHORT.WAV", 2), -1);
    EXPECT_EQ(elSound::LoadStream("LONG.WAV", 0), -1);
    EXPECT_EQ(elSound::LoadStream("SHORT.WAV", 0), -1);
    EXPECT_EQ(elSound::Streaming(), 0);
    EXPECT_EQ(elSound::ResetStream(stream), 0);
    EXPECT_EQ(SoundTable[1].inUse, 0);
    EXPECT_EQ(SoundTable[stream].stream.dataSize, 6u * 16000);
    EXPECT_EQ(Boxes(), "");
    // A name the pack does not hold is still the program's fault.
    EXPECT_EQ(elSound::LoadPack("NONE.WAV", 1), -1);
    EXPECT_EQ(elSound::LoadStream("NONE.WAV", 0), -1);
    EXPECT_EQ(Boxes(), "elSound::LoadPack : WAVEファイルを読み込めませんelSound::LoadStream : WAVEファイルを読み込めません");
    hl::ClearBoxes();
    EXPECT_EQ(SoundTable[1].inUse, 0);
    elSound::Restore();
    ASSERT_NE(SoundTable[stream].mixes[0].buffer, nullptr);
    EXPECT_EQ(elSound::LoadPack("SHORT.WAV", 2), 1);

    int loaded = 0, streamed = 0, served = 1;
    perFrame = [&] {
        // QuitIfError shuts down through Quit; the frame then goes on.
        ErrorFlag = 1;
        elSystem::QuitIfError();
        ErrorFlag = 0;
        loaded = elSound::LoadPack("SHORT.WAV", 1);
        streamed = elSound::LoadStream("LONG.WAV", 0);
        served = elSound::Streaming();
    };
    Frames(1, 16);
    EXPECT_EQ(loaded, -1);
    EXPECT_EQ(streamed, -1);
    EXPECT_EQ(served, 0);
    EXPECT_EQ(SoundTable[2].inUse, 0);
    EXPECT_EQ(Boxes(), "");
}

// An entry stored without a name is found by no name: loading "" or no name
// takes no slot and reports the entry missing.
TEST_F(SoundPacks, AnEntryWithAnEmptyNameIsFoundByNoName) {
    Write("S.PAK", PackBytes({{"", FormatBlock(1, kRate, 16), Bytes(Ramp(100, 5))},
                              {"A.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(100, 7))}}));
    elSound::SetPackFile("S.PAK");
    EXPECT_EQ(elSound::LoadPack("", 1), -1);
    EXPECT_EQ(elSound::LoadPack(nullptr, 1), -1);
    EXPECT_EQ(elSound::LoadStream("", 0), -1);
    EXPECT_EQ(Boxes(), "elSound::LoadPack : WAVEファイルを読み込めません"
                       "elSound::LoadPack : WAVEファイルを読み込めません"
                       "elSound::LoadStream : WAVEファイルを読み込めません");
    for (const SoundSlot& s : SoundTable) EXPECT_EQ(s.inUse, 0);
    EXPECT_EQ(elSound::LoadPack("a.wav", 1), 0);
}

// Whole sounds from two packs, the second holding a sound of the first's
// name in another format: after a release and restore, and after a format
// change, each slot holds the sound of the pack it was loaded from, and the
// program's choice of pack is still the second.
TEST_F(SoundPacks, EachWholeSoundIsReloadedFromItsOwnPack) {
    Write("ONE.PAK", PackBytes({{"A.WAV", FormatBlock(1, kRate, 16), Bytes(Ramp(100, 5))}}));
    Write("TWO.PAK", PackBytes({{"B.WAV", FormatBlock(1, 11025, 16), Bytes(Ramp(100, 7))},
                                {"A.WAV", FormatBlock(1, 22050, 16), Bytes(Ramp(100, 9))}}));
    elSound::SetPackFile("ONE.PAK");
    int a = elSound::LoadPack("A.WAV", 2);
    elSound::SetPackFile("TWO.PAK");
    int b = elSound::LoadPack("B.WAV", 1);
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    auto rate = [](int slot, int mix) {
        WAVEFORMATEX f{};
        SoundTable[slot].mixes[mix].buffer->GetFormat(&f, sizeof f, nullptr);
        return f.nSamplesPerSec;
    };
    for (int round = 0; round < 2; ++round) {
        if (round == 0) {
            elSound::Release();
            elSound::Restore();
        } else {
            ASSERT_EQ(elSound::SelectFormat(2, 22, 16), 1);
        }
        ASSERT_NE(SoundTable[a].mixes[1].buffer, nullptr) << round;
        ASSERT_NE(SoundTable[b].mixes[0].buffer, nullptr) << round;
        EXPECT_EQ(rate(a, 0), static_cast<DWORD>(kRate)) << round;
        EXPECT_EQ(rate(a, 1), static_cast<DWORD>(kRate)) << round;
        EXPECT_EQ(rate(b, 0), 11025u) << round;
        EXPECT_EQ(Boxes(), "") << round;
    }
    int again = elSound::LoadPack("A.WAV", 1);
    ASSERT_EQ(again, 2);
    EXPECT_EQ(rate(again, 0), 22050u);
}

// A non-looping stream paused and resumed is heard to its end: its ring
// goes on looping after the resume, as it does after its play.
TEST_F(SoundPacks, APausedStreamResumesAndIsHeardToItsEnd) {
    MatchOutput();
    std::vector<std::int16_t> samples = Ramp(kRate * 8, 1000);
    Write("S.PAK", PackBytes({{"LONG.WAV", FormatBlock(1, kRate, 16), Bytes(samples)}}));
    elSound::SetPackFile("S.PAK");
    int slot = elSound::LoadStream("LONG.WAV", 0);
    ASSERT_EQ(slot, 0);
    hl::StartAudioCapture();
    elSound::Play(slot, -1);
    Frames(60, 16);
    elSound::Pause(slot, -1);
    EXPECT_FALSE(Playing(slot));
    Frames(30, 16);
    elSound::Pause(slot, -1);
    Frames(10 * 60, 16);
    EXPECT_FALSE(Playing(slot));  // stopped by itself after its end
    // Every sample once, in order; the pause and the end are silence.
    std::vector<int> heard;
    for (int v : Heard())
        if (v != 0) heard.push_back(v);
    ASSERT_EQ(heard.size(), samples.size());
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) wrong += heard[i] != samples[i];
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(Boxes(), "");
}

// A wave name that no reader can pass (128 bytes or more with its zero
// byte) is reported and left out, so the entries after it stay findable; a
// name of 127 bytes still fits.
TEST_F(SoundPacks, ConverterLeavesOutNamesTooLongForTheReaders) {
    std::vector<std::uint8_t> wave = Wave(1, kRate, 16, Tone(1, kRate, 16, 440, 0.5, 10));
    const std::string fits = std::string(123, 'F') + ".WAV", tooLong = std::string(124, 'L') + ".WAV";
    Write("IN/A.WAV", wave);
    Write("IN/" + fits, wave);
    Write("IN/" + tooLong, wave);
    Write("IN/Z.WAV", wave);
    ASSERT_EQ(elSound::Convert("S.PAK", "IN", 1), 1);
    EXPECT_EQ(Boxes(), "elSound::Convert : ファイル名が長すぎます");
    std::vector<std::uint8_t> pack = ReadBack("S.PAK");
    std::vector<elSound::pack::Entry> entries;
    std::string problem;
    ASSERT_TRUE(elSound::pack::ReadEntries(pack.data(), pack.size(), &entries, &problem)) << problem;
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A.WAV", fits, "Z.WAV"}));
    elSound::SetPackFile("S.PAK");
    EXPECT_EQ(elSound::LoadPack("A.WAV", 1), 0);
    EXPECT_EQ(elSound::LoadPack("Z.WAV", 1), 1);
}

// The format handed to the device is an 18-byte WAVEFORMATEX: an entry
// whose format block declares extra bytes must not make the device read
// past it. The device refuses the format it cannot play.
TEST_F(SoundPacks, TheDeviceIsToldOfNoExtraFormatBytes) {
    std::vector<std::uint8_t> adpcm = FormatBlock(1, kRate, 16);
    adpcm[0] = 2;    // not PCM
    adpcm[16] = 32;  // 32 extra bytes follow
    adpcm.insert(adpcm.end(), 32, 0xAB);
    Write("S.PAK", PackBytes({{"A.WAV", adpcm, Bytes(Ramp(100, 5))}}));
    elSound::SetPackFile("S.PAK");
    EXPECT_EQ(elSound::LoadPack("A.WAV", 1), -1);
    EXPECT_EQ(Boxes(), "elSound::LoadPack : サウンドバッファが生成できません");
    std::vector<BYTE> told = hl::LastBufferFormat();
    ASSERT_EQ(told.size(), sizeof(WAVEFORMATEX));
    EXPECT_EQ(told[0], 2);
    EXPECT_EQ(told[16], 0);
    EXPECT_EQ(told[17], 0);
}

}  // namespace
