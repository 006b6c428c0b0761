// DirectSound on the real system, with an audio device (EL_EXPECT_SOUND=1) and
// without one (EL_EXPECT_SOUND=0, where creating the device fails and the
// library's sound is unavailable), and the program's resources.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dsound.h"
#include "platform/resources.h"
#include "sound/elSound.h"
#include "sound/pack_format.h"
#include "system/elSystem.h"
#include "win_support.h"

namespace {

plat::LRESULT Proc(plat::HWND w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
    return plat::DefWindowProcA(w, m, wp, lp);
}

plat::HWND SoundWindow() {
    static plat::HWND window = [] {
        plat::WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = plat::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ElTestSound";
        plat::RegisterClassA(&wc);
        return plat::CreateWindowExA(0, "ElTestSound", "音", plat::WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, wc.hInstance, nullptr);
    }();
    return window;
}

bool ExpectSound() { return wintest::Expect("EL_EXPECT_SOUND") == "1"; }
bool ExpectNoSound() { return wintest::Expect("EL_EXPECT_SOUND") == "0"; }

}  // namespace

TEST(SoundDevice, BuffersPlayStopAndKeepTheirSettings) {
    if (!ExpectSound()) GTEST_SKIP() << "EL_EXPECT_SOUND is not 1";
    plat::IDirectSound* ds = nullptr;
    ASSERT_EQ(plat::DirectSoundCreate(nullptr, &ds, nullptr), plat::DS_OK);
    ASSERT_EQ(ds->SetCooperativeLevel(SoundWindow(), plat::DSSCL_PRIORITY), plat::DS_OK);

    plat::DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = plat::DSBCAPS_PRIMARYBUFFER;
    plat::IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), plat::DS_OK);
    plat::WAVEFORMATEX out{plat::WAVE_FORMAT_PCM, 2, 22050, 22050 * 4, 4, 16, 0};
    EXPECT_EQ(primary->SetFormat(&out), plat::DS_OK);
    plat::WAVEFORMATEX got{};
    plat::DWORD written = 0;
    EXPECT_EQ(primary->GetFormat(&got, sizeof got, &written), plat::DS_OK);
    EXPECT_EQ(got.wFormatTag, plat::WAVE_FORMAT_PCM);

    plat::WAVEFORMATEX wave{plat::WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = plat::DSBCAPS_STATIC | plat::DSBCAPS_CTRLFREQUENCY | plat::DSBCAPS_CTRLPAN |
                   plat::DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = 11025;
    desc.lpwfxFormat = &wave;
    plat::IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), plat::DS_OK);
    void* region1 = nullptr;
    void* region2 = nullptr;
    plat::DWORD bytes1 = 0, bytes2 = 0;
    ASSERT_EQ(buffer->Lock(0, 11025, &region1, &bytes1, &region2, &bytes2, 0), plat::DS_OK);
    EXPECT_EQ(bytes1 + bytes2, 11025u);
    std::memset(region1, 0x80, bytes1);
    EXPECT_EQ(buffer->Unlock(region1, bytes1, region2, bytes2), plat::DS_OK);

    EXPECT_EQ(buffer->SetVolume(-500), plat::DS_OK);
    plat::LONG volume = 0;
    EXPECT_EQ(buffer->GetVolume(&volume), plat::DS_OK);
    EXPECT_EQ(volume, -500);
    EXPECT_EQ(buffer->SetPan(plat::DSBPAN_LEFT), plat::DS_OK);
    plat::LONG pan = 0;
    buffer->GetPan(&pan);
    EXPECT_EQ(pan, plat::DSBPAN_LEFT);
    EXPECT_EQ(buffer->SetFrequency(22050), plat::DS_OK);
    plat::DWORD frequency = 0;
    buffer->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 22050u);

    EXPECT_EQ(buffer->Play(0, 0, plat::DSBPLAY_LOOPING), plat::DS_OK);
    plat::DWORD status = 0;
    EXPECT_EQ(buffer->GetStatus(&status), plat::DS_OK);
    EXPECT_NE(status & plat::DSBSTATUS_PLAYING, 0u);
    EXPECT_NE(status & plat::DSBSTATUS_LOOPING, 0u);
    EXPECT_EQ(buffer->Stop(), plat::DS_OK);
    buffer->GetStatus(&status);
    EXPECT_EQ(status & plat::DSBSTATUS_PLAYING, 0u);
    EXPECT_EQ(buffer->SetCurrentPosition(100), plat::DS_OK);
    plat::DWORD play = 0, write = 0;
    EXPECT_EQ(buffer->GetCurrentPosition(&play, &write), plat::DS_OK);
    EXPECT_EQ(play, 100u);

    // A description of the wrong size is refused.
    plat::DSBUFFERDESC bad = desc;
    bad.dwSize = 8;
    plat::IDirectSoundBuffer* none = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&bad, &none, nullptr), plat::DSERR_INVALIDPARAM);
    EXPECT_EQ(none, nullptr);
    buffer->Release();
    primary->Release();
    ds->Release();
}

TEST(SoundDevice, LibraryOpensTheDevice) {
    if (!ExpectSound()) GTEST_SKIP() << "EL_EXPECT_SOUND is not 1";
    MainWindow = SoundWindow();
    EXPECT_EQ(elSound::Create(), 1);
    EXPECT_EQ(elSound::SoundAvailable, 1);
    elSound::Release();
    MainWindow = nullptr;
}

TEST(SoundDevice, NoSoundWithoutAnAudioDevice) {
    if (!ExpectNoSound()) GTEST_SKIP() << "EL_EXPECT_SOUND is not 0";
    plat::IDirectSound* ds = nullptr;
    EXPECT_TRUE(plat::Failed(plat::DirectSoundCreate(nullptr, &ds, nullptr)));
    EXPECT_EQ(ds, nullptr);
    // The library then runs without sound: every operation returns at once,
    // without an error box, for a wave that is there (a missing one would
    // still be reported).
    plat::RegisterResource("WAVE", "there.wav", {1, 2, 3});
    MainWindow = SoundWindow();
    ErrorFlag = 0;
    EXPECT_EQ(elSound::Create(), 0);
    EXPECT_EQ(elSound::SoundAvailable, 0);
    EXPECT_EQ(elSound::LoadObject("there.wav", 1), -1);
    elSound::Play(0, 0);
    elSound::Stop(0, 0);
    elSound::Release();
    EXPECT_EQ(ErrorFlag, 0);
    MainWindow = nullptr;
    plat::ClearRegisteredResources();
}

TEST(SoundResources, RegisteredResourcesAreFoundWithoutRegardToCase) {
    plat::RegisterResource("WAVE", "Boom", {1, 2, 3});
    const plat::BYTE* data = nullptr;
    plat::DWORD size = 0;
    ASSERT_TRUE(plat::FindModuleResource("wave", "BOOM", &data, &size));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(data[2], 3);
    // Neither registered nor in the program's own resources.
    EXPECT_FALSE(plat::FindModuleResource("WAVE", "missing", &data, &size));
    EXPECT_FALSE(plat::FindModuleResource(plat::MakeIntResource(10), "tick", &data, &size));
    plat::ClearRegisteredResources();
    EXPECT_FALSE(plat::FindModuleResource("WAVE", "Boom", &data, &size));
}

// A stream from a sound pack on the real DirectSound: the ring is refilled
// from the pack while it plays, each refill writing the entry's own bytes,
// and after a release and restore the stream comes back from its own pack
// though another pack is selected.
TEST(SoundPacks, AStreamIsRefilledFromItsPackAndRestoredFromIt) {
    if (!ExpectSound()) GTEST_SKIP() << "EL_EXPECT_SOUND is not 1";
    std::vector<std::uint8_t> samples(16000 * 6);  // 6 s of 8000 Hz mono 16-bit
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>((i * 13) >> 3);
    const std::vector<std::uint8_t> format = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 0, 0};
    std::vector<std::uint8_t> pack;
    elSound::pack::AppendEntry(pack, "LONG.WAV", format, samples.data(), static_cast<std::uint32_t>(samples.size()));
    wintest::WriteBytes((wintest::ModuleFolder() + L"el_stream_one.spk").c_str(), pack);
    wintest::WriteBytes((wintest::ModuleFolder() + L"el_stream_two.spk").c_str(), {});

    MainWindow = SoundWindow();
    ErrorFlag = 0;
    ASSERT_EQ(elSound::Create(), 1);
    elSound::ResetTable();
    elSound::SetPackFile("el_stream_one.spk");
    int slot = elSound::LoadStream("long.wav", 0);
    ASSERT_EQ(slot, 0);
    StreamRecord& r = SoundTable[slot].stream;
    EXPECT_EQ(r.bufferSize, 64000u);
    elSound::PlayLoop(slot, 0);
    // Each refill advances the bytes consumed; the chunk it wrote, at the
    // refill mark, is the entry's bytes from where the one before ended.
    int refills = 0, matching = 0;
    std::uint32_t consumed = r.consumed;
    plat::DWORD start = plat::timeGetTime();
    while (plat::timeGetTime() - start < 4500) {
        EXPECT_EQ(elSound::Streaming(), 1);
        if (r.consumed != consumed) {
            ++refills;
            void* r1 = nullptr;
            void* r2 = nullptr;
            plat::DWORD n1 = 0, n2 = 0;
            if (SoundTable[slot].mixes[0].buffer->Lock(r.refillMark, 64, &r1, &n1, &r2, &n2, 0) == plat::DS_OK) {
                matching += n1 == 64 && std::memcmp(r1, samples.data() + consumed, 64) == 0;
                SoundTable[slot].mixes[0].buffer->Unlock(r1, n1, r2, n2);
            }
            consumed = r.consumed;
        }
        for (plat::DWORD t = plat::timeGetTime(); plat::timeGetTime() - t < 10;) plat::SpinPause();
    }
    EXPECT_GE(refills, 2);
    EXPECT_EQ(matching, refills);
    plat::DWORD status = 0;
    SoundTable[slot].mixes[0].buffer->GetStatus(&status);
    EXPECT_TRUE(status & plat::DSBSTATUS_PLAYING);

    elSound::SetPackFile("el_stream_two.spk");
    elSound::Release();
    elSound::Restore();
    ASSERT_NE(SoundTable[slot].mixes[0].buffer, nullptr);
    EXPECT_EQ(SoundTable[slot].stream.dataSize, samples.size());
    EXPECT_EQ(ErrorFlag, 0);
    elSound::Release();
    elSound::ResetTable();
    MainWindow = nullptr;
}
