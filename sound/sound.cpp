// The sound device, the SoundTable and loading waves from files and
// resources.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/dsound.h"
#include "platform/mmio.h"
#include "sound/elSound.h"
#include "sound/sound_internal.h"
#include "system/elSystem.h"

using namespace plat;

SoundSlot SoundTable[kSoundSlots];

namespace elSound {

int SoundAvailable = 0;
IDirectSound* Device = nullptr;
IDirectSoundBuffer* PrimaryBuffer = nullptr;

namespace detail {

int Reloading = 0;
int WorkingSlot = 0;
int (*ReloadPackSlot)(int slot) = nullptr;
int (*ResetStreamSlot)(int slot) = nullptr;

namespace {

constexpr const char* kLoadContext = "elSound::LoadObject";
constexpr const char* kNoWave = "WAVEリソースが見つかりません";

// Whether a wave can be found as a file or a resource, without reading it.
bool WaveExists(const std::string& path, const char* name) {
    if (std::FILE* f = OpenFile(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    return FindModuleResource("WAVE", name, &bytes, &size) || FindModuleResource(MakeIntResource(10), name, &bytes, &size);
}
constexpr DWORD kWaveBufferFlags =
    DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;  // 0xE2

void ReleaseMix(MixBuffer& mix) {
    if (!mix.buffer) return;
    mix.buffer->Stop();
    mix.buffer->Release();
    mix.buffer = nullptr;
}

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool ValidSlot(int slot) { return slot >= 0 && slot < kSoundSlots; }

bool DeviceReady() { return SoundAvailable && Device; }

int TakeFreeSlot(const char* context) {
    for (int i = 0; i < kSoundSlots; ++i) {
        if (!SoundTable[i].inUse) {
            WorkingSlot = i;
            return i;
        }
    }
    ReportError(context, "オブジェクト数が多過ぎます");
    return -1;
}

bool ReadWaveFile(const char* path, std::vector<std::uint8_t>* format, std::vector<std::uint8_t>* data) {
    format->clear();
    data->clear();
    HMMIO h = mmioOpenA(path, nullptr, MMIO_READ | MMIO_ALLOCBUF);
    if (!h) return false;
    auto fail = [&] {
        mmioClose(h, 0);
        format->clear();
        data->clear();
        return false;
    };
    LONG fileSize = mmioSeek(h, 0, SEEK_END);
    if (fileSize < 0 || mmioSeek(h, 0, SEEK_SET) != 0) return fail();

    MMCKINFO riff{};
    if (mmioDescend(h, &riff, nullptr, 0) != 0 || riff.ckid != FOURCC_RIFF ||
        riff.fccType != mmioFOURCC('W', 'A', 'V', 'E'))
        return fail();
    MMCKINFO fmt{};
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK) != 0 || fmt.cksize < 16) return fail();
    std::uint8_t pcm[16];
    if (mmioRead(h, reinterpret_cast<char*>(pcm), 16) != 16) return fail();
    std::uint16_t extra = 0;
    if (Le16(pcm) != WAVE_FORMAT_PCM) {
        std::uint8_t count[2];
        if (mmioRead(h, reinterpret_cast<char*>(count), 2) != 2) return fail();
        extra = Le16(count);
    }
    format->resize(18u + extra);
    std::memcpy(format->data(), pcm, 16);
    (*format)[16] = static_cast<std::uint8_t>(extra & 0xFF);
    (*format)[17] = static_cast<std::uint8_t>(extra >> 8);
    if (extra > 0 && mmioRead(h, reinterpret_cast<char*>(format->data() + 18), extra) != extra)
        return fail();
    mmioAscend(h, &fmt, 0);

    if (mmioSeek(h, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET) < 0) return fail();
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(h, &chunk, &riff, MMIO_FINDCHUNK) != 0) return fail();
    // A data chunk that claims more bytes than the file holds is refused.
    if (chunk.dwDataOffset > static_cast<DWORD>(fileSize) ||
        chunk.cksize > static_cast<DWORD>(fileSize) - chunk.dwDataOffset)
        return fail();
    data->resize(chunk.cksize);
    MMIOINFO info{};
    mmioGetInfo(h, &info, 0);
    std::uint32_t done = 0;
    while (done < chunk.cksize) {
        if (info.pchNext == info.pchEndRead) {
            mmioAdvance(h, &info, MMIO_READ);
            if (info.pchNext == info.pchEndRead) return fail();
        }
        auto n = static_cast<std::uint32_t>(
            std::min<std::ptrdiff_t>(info.pchEndRead - info.pchNext, chunk.cksize - done));
        std::memcpy(data->data() + done, info.pchNext, n);
        info.pchNext += n;
        done += n;
    }
    mmioSetInfo(h, &info, 0);
    mmioClose(h, 0);
    return true;
}

WAVEFORMATEX DeviceFormat(const std::vector<std::uint8_t>& block) {
    WAVEFORMATEX wf{};
    std::memcpy(&wf, block.data(), std::min(block.size(), sizeof wf));
    wf.cbSize = 0;
    return wf;
}

void SettleMixBuffer(SoundSlot& s, MixBuffer& mb) {
    if (!Reloading) {
        DWORD frequency = 0;
        mb.buffer->GetFrequency(&frequency);
        mb.frequency = frequency;
        s.baseFrequency = frequency;
        mb.volume = 0;
        mb.pan = 0;
        mb.savedPosition = 0;
    } else {
        mb.buffer->SetVolume(mb.volume);
        mb.buffer->SetFrequency(mb.frequency);
        mb.buffer->SetPan(mb.pan);
    }
}

int FillSlot(const char* context, const char* name, int mix, const std::vector<std::uint8_t>& format,
             const std::uint8_t* data, std::uint32_t size, bool fromPack) {
    SoundSlot& s = SoundTable[WorkingSlot];
    int count = std::abs(mix);
    s.mixCount = count;
    // The reload loops pass the stored (positive) mix count: the echo state
    // and the next mix of a reloaded slot stay as they were, so a slot loaded
    // without echo stays so and a running echo goes on.
    if (!Reloading) {
        s.EchoCounter = mix <= 1 ? -1 : 0;
        s.NextMix = 0;
    }

    WAVEFORMATEX wf = DeviceFormat(format);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = kWaveBufferFlags;
    desc.dwBufferBytes = size;
    desc.lpwfxFormat = &wf;
    for (int i = 0; i < count; ++i) {
        MixBuffer& mb = s.mixes[i];
        mb.buffer = nullptr;
        if (Failed(Device->CreateSoundBuffer(&desc, &mb.buffer, nullptr)) || !mb.buffer) {
            // The buffers made so far would belong to no slot: let them go.
            mb.buffer = nullptr;
            for (int j = 0; j < i; ++j) ReleaseMix(s.mixes[j]);
            ReportError(context, "サウンドバッファが生成できません");
            return -1;
        }
        void* r1 = nullptr;
        void* r2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        if (!Failed(mb.buffer->Lock(0, size, &r1, &n1, &r2, &n2, 0))) {
            std::memcpy(r1, data, n1);
            if (r2 && n2) std::memcpy(r2, data + n1, n2);
            mb.buffer->Unlock(r1, n1, r2, n2);
        }
        SettleMixBuffer(s, mb);
    }
    s.inUse = 1;
    s.fromPack = fromPack ? 1 : 0;
    s.stream.dataSize = 0;
    if (Reloading) return WorkingSlot;
    std::strncpy(s.name, name, kSoundNameLength);
    s.name[kSoundNameLength] = 0;
    return WorkingSlot;
}

void ReloadAll() {
    Reloading = 1;
    for (int i = 0; i < kSoundSlots; ++i) {
        SoundSlot& s = SoundTable[i];
        if (!s.inUse) continue;
        WorkingSlot = i;
        if (s.stream.dataSize != 0 || s.fromPack) {
            if (ReloadPackSlot) ReloadPackSlot(i);
        } else {
            LoadObject(s.name, s.mixCount);
        }
    }
    Reloading = 0;
}

}  // namespace detail

using namespace detail;

int Create() {
    // A device still open (a second start, or Restore without Release) is
    // let go first, so that none of its buffers keeps sounding unowned.
    if (Device) Release();
    Device = nullptr;
    PrimaryBuffer = nullptr;
    if (Failed(DirectSoundCreate(nullptr, &Device, nullptr)) || !Device) {
        Device = nullptr;
        SoundAvailable = 0;
        return 0;
    }
    if (Failed(Device->SetCooperativeLevel(MainWindow, DSSCL_PRIORITY)))
        Device->SetCooperativeLevel(MainWindow, DSSCL_NORMAL);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (Failed(Device->CreateSoundBuffer(&desc, &PrimaryBuffer, nullptr))) PrimaryBuffer = nullptr;
    for (SoundSlot& s : SoundTable)
        for (MixBuffer& m : s.mixes) m.buffer = nullptr;
    Reloading = 0;
    SoundAvailable = 1;
    return 1;
}

void ResetTable() {
    for (SoundSlot& s : SoundTable) {
        for (MixBuffer& m : s.mixes) ReleaseMix(m);
        s = SoundSlot{};
    }
}

void Release() {
    if (!SoundAvailable) return;
    for (SoundSlot& s : SoundTable) {
        if (!s.inUse) continue;
        for (int i = 0; i < s.mixCount && i < kMaxMixes; ++i) ReleaseMix(s.mixes[i]);
    }
    if (PrimaryBuffer) PrimaryBuffer->Release();
    PrimaryBuffer = nullptr;
    if (Device) Device->Release();
    Device = nullptr;
}

void Restore() {
    if (!SoundAvailable) return;
    if (!Create()) return;
    ReloadAll();
}

int LoadObject(const char* name, int mix) {
    if (!name) name = "";
    if (!DeviceReady()) {
        // Nothing can be played, but a file that is not there is still the
        // program's fault, reported as with a device.
        std::string path = std::string(elSystem::GetProgramFolder(0)) + name;
        if (!Reloading && !WaveExists(path, name))
            ReportFileError(kLoadContext, kNoWave, path.c_str());
        return -1;
    }
    if (mix > kMaxMixes || mix < -kMaxMixes) {
        ReportError(kLoadContext, "ミックス数が多過ぎます");
        return -1;
    }
    if (!Reloading) {
        // Refused before a slot is taken or a buffer made.
        if (std::strlen(name) > static_cast<std::size_t>(kSoundNameLength)) {
            ReportError(kLoadContext, "ファイル名またはリソース名が長すぎます");
            return -1;
        }
        if (TakeFreeSlot(kLoadContext) < 0) return -1;
    }
    std::string path = std::string(elSystem::GetProgramFolder(0)) + name;
    std::vector<std::uint8_t> format, data;
    if (path.size() < 256 && ReadWaveFile(path.c_str(), &format, &data))
        return FillSlot(kLoadContext, name, mix, format, data.data(),
                        static_cast<std::uint32_t>(data.size()), false);

    // A resource holds a wave file with the canonical 44-byte header: the
    // format at byte 20, the data size at byte 40, the data from byte 44.
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    if (!FindModuleResource("WAVE", name, &bytes, &size) &&
        !FindModuleResource(MakeIntResource(10), name, &bytes, &size))
        bytes = nullptr;
    if (!bytes || size < 44 || Le32(bytes + 40) > size - 44) {
        ReportFileError(kLoadContext, kNoWave, path.c_str());
        return -1;
    }
    format.assign(bytes + 20, bytes + 36);
    format.push_back(0);  // the extra-byte count, unused for PCM
    format.push_back(0);
    return FillSlot(kLoadContext, name, mix, format, bytes + 44, Le32(bytes + 40), false);
}

void DeleteObject(int slot) {
    if (!DeviceReady() || !ValidSlot(slot) || !SoundTable[slot].inUse) return;
    SoundSlot& s = SoundTable[slot];
    s.inUse = 0;
    s.baseFrequency = 0;
    s.name[0] = 0;
    s.fromPack = 0;
    s.stream.dataSize = 0;
    for (int i = 0; i < s.mixCount && i < kMaxMixes; ++i) {
        s.mixes[i].volume = 0;
        s.mixes[i].frequency = 0;
        s.mixes[i].pan = 0;
        ReleaseMix(s.mixes[i]);
    }
    s.mixCount = 1;
}

int SelectFormat(int channels, int rate, int bits) {
    if (!DeviceReady()) return 1;
    for (SoundSlot& s : SoundTable) {
        if (!s.inUse) continue;
        for (int i = 0; i < s.mixCount && i < kMaxMixes; ++i) ReleaseMix(s.mixes[i]);
    }
    switch (rate) {
        case 8: rate = 8000; break;
        case 11: rate = 11025; break;
        case 22: rate = 22050; break;
        case 44: rate = 44100; break;
        default: break;
    }
    WAVEFORMATEX wf{};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = static_cast<WORD>(channels);
    wf.nSamplesPerSec = static_cast<DWORD>(rate);
    wf.nBlockAlign = static_cast<WORD>(channels * (bits / 8));
    wf.nAvgBytesPerSec = wf.nBlockAlign * wf.nSamplesPerSec;
    wf.wBitsPerSample = static_cast<WORD>(bits);
    wf.cbSize = 18;
    if (!PrimaryBuffer || Failed(PrimaryBuffer->SetFormat(&wf))) {
        ReportError("elSound::SelectFormat", "再生フォーマットを変更できません");
        return 0;
    }
    ReloadAll();
    return 1;
}

std::uint32_t GetPosition(int slot) {
    if (!ValidSlot(slot)) return 0;
    const SoundSlot& s = SoundTable[slot];
    if (!s.inUse || s.mixCount < 1 || !s.mixes[0].buffer) return 0;
    DWORD play = 0;
    s.mixes[0].buffer->GetCurrentPosition(&play, nullptr);
    return play;
}

void PlayFile(const char* name) {
    Release();
    sndPlaySoundA(name, SND_SYNC);
    Restore();
}

void Beep() { MessageBeep(0xFFFFFFFFu); }

}  // namespace elSound
