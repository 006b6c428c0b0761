// The sound device and its buffers over the portable mixer and the simple
// wave player.
#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/dsound.h"
#include "platform/portable/headless.h"
#include "platform/mmio.h"
#include "platform/portable/dsound_mixer.h"
#include "platform/portable/state.h"

namespace plat {
namespace {

// The output format of a device that has just been created.
constexpr audio::OutputFormat kDefaultFormat{44100, 2, 16};

class Device;

std::vector<BYTE> lastBufferFormat;

bool ValidPcm(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
           f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

class SecondaryBuffer final : public IDirectSoundBuffer {
public:
    SecondaryBuffer(Device* device, DWORD flags, const WAVEFORMATEX& format, DWORD bytes)
        : device_(device), flags_(flags), format_(format) {
        format_.cbSize = 0;
        voice_.channels = format.nChannels;
        voice_.bits = format.wBitsPerSample;
        voice_.blockAlign = format.nBlockAlign;
        voice_.frames = bytes / format.nBlockAlign;
        voice_.frequency = format.nSamplesPerSec;
        voice_.data.assign(bytes, format.wBitsPerSample == 8 ? BYTE{0x80} : BYTE{0});
        audio::UpdateGains(voice_);
        audio::AddVoice(&voice_);
    }

    // The device went away: the buffer no longer sounds.
    void Detach() {
        if (!device_) return;
        audio::RemoveVoice(&voice_);
        device_ = nullptr;
    }

    ULONG Release() override;

    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
        if (!device_) return DSERR_NODRIVER;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        DWORD size = Size();
        DWORD p = static_cast<DWORD>(voice_.position >> 32) * format_.nBlockAlign;
        if (play) *play = p;
        if (write) {
            // The write cursor runs about 15 ms ahead of the play cursor.
            DWORD ahead = voice_.playing ? (voice_.frequency * 15 / 1000) * format_.nBlockAlign : 0;
            *write = size ? (p + ahead) % size : 0;
        }
        return DS_OK;
    }

    HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override {
        if (!format && !written) return DSERR_INVALIDPARAM;
        if (written) *written = sizeof(WAVEFORMATEX);
        if (format) std::memcpy(format, &format_, std::min<DWORD>(size, sizeof(WAVEFORMATEX)));
        return DS_OK;
    }

    HRESULT GetVolume(LONG* volume) override {
        if (!volume) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        std::lock_guard lock(audio::Mutex());
        *volume = voice_.volume;
        return DS_OK;
    }

    HRESULT GetPan(LONG* pan) override {
        if (!pan) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
        std::lock_guard lock(audio::Mutex());
        *pan = voice_.pan;
        return DS_OK;
    }

    HRESULT GetFrequency(DWORD* frequency) override {
        if (!frequency) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        std::lock_guard lock(audio::Mutex());
        *frequency = voice_.frequency;
        return DS_OK;
    }

    HRESULT GetStatus(DWORD* status) override {
        if (!status) return DSERR_INVALIDPARAM;
        if (!device_) {
            *status = DSBSTATUS_BUFFERLOST;
            return DS_OK;
        }
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        *status = voice_.playing ? (DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0)) : 0;
        return DS_OK;
    }

    HRESULT Lock(DWORD offset, DWORD bytes, void** region1, DWORD* bytes1, void** region2,
                 DWORD* bytes2, DWORD flags) override {
        if (!region1 || !bytes1) return DSERR_INVALIDPARAM;
        if (!device_) return DSERR_NODRIVER;
        if (locked_) return DSERR_INVALIDCALL;
        DWORD size = Size();
        if (flags & DSBLOCK_FROMWRITECURSOR) GetCurrentPosition(nullptr, &offset);
        if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        lockOffset_ = offset;
        lockFirst_ = std::min(bytes, size - offset);
        lockSecond_ = bytes - lockFirst_;
        if (lockSecond_ > 0 && !region2) return DSERR_INVALIDPARAM;
        // The caller writes into a copy; Unlock puts it into the buffer under
        // the mixer's lock, so the audio thread never reads half-written data.
        {
            std::lock_guard lock(audio::Mutex());
            staging_.assign(voice_.data.begin() + offset, voice_.data.begin() + offset + lockFirst_);
            staging_.insert(staging_.end(), voice_.data.begin(), voice_.data.begin() + lockSecond_);
        }
        locked_ = true;
        *region1 = staging_.data();
        *bytes1 = lockFirst_;
        if (region2) *region2 = lockSecond_ ? staging_.data() + lockFirst_ : nullptr;
        if (bytes2) *bytes2 = lockSecond_;
        return DS_OK;
    }

    HRESULT Unlock(void* region1, DWORD, void*, DWORD) override {
        if (!locked_ || region1 != staging_.data()) return DSERR_INVALIDPARAM;
        locked_ = false;
        if (!device_) return DSERR_NODRIVER;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        std::copy(staging_.begin(), staging_.begin() + lockFirst_, voice_.data.begin() + lockOffset_);
        std::copy(staging_.begin() + lockFirst_, staging_.end(), voice_.data.begin());
        staging_.clear();
        staging_.shrink_to_fit();
        return DS_OK;
    }

    HRESULT Play(DWORD reserved, DWORD, DWORD flags) override {
        if (reserved != 0) return DSERR_INVALIDPARAM;
        if (!device_) return DSERR_BUFFERLOST;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
        voice_.playing = voice_.frames > 0;
        return DS_OK;
    }

    HRESULT SetCurrentPosition(DWORD position) override {
        if (!device_) return DSERR_BUFFERLOST;
        if (position >= Size()) return DSERR_INVALIDPARAM;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        voice_.position = static_cast<std::uint64_t>(position / format_.nBlockAlign) << 32;
        return DS_OK;
    }

    HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }

    HRESULT SetVolume(LONG volume) override {
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        voice_.volume = volume;
        audio::UpdateGains(voice_);
        return DS_OK;
    }

    HRESULT SetPan(LONG pan) override {
        if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        voice_.pan = pan;
        audio::UpdateGains(voice_);
        return DS_OK;
    }

    HRESULT SetFrequency(DWORD frequency) override {
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        if (frequency == DSBFREQUENCY_ORIGINAL) frequency = format_.nSamplesPerSec;
        if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        voice_.frequency = frequency;
        return DS_OK;
    }

    HRESULT Stop() override {
        if (!device_) return DSERR_BUFFERLOST;
        audio::Sync();
        std::lock_guard lock(audio::Mutex());
        voice_.playing = false;
        return DS_OK;
    }

    HRESULT Restore() override { return DS_OK; }

private:
    ~SecondaryBuffer() = default;
    DWORD Size() const { return static_cast<DWORD>(voice_.data.size()); }

    Device* device_;
    ULONG refs_ = 1;
    DWORD flags_;
    WAVEFORMATEX format_;
    audio::Voice voice_;
    bool locked_ = false;
    DWORD lockOffset_ = 0, lockFirst_ = 0, lockSecond_ = 0;
    std::vector<BYTE> staging_;
};

class PrimaryBuffer final : public IDirectSoundBuffer {
public:
    explicit PrimaryBuffer(Device* device) : device_(device) {}
    void AddRef() { ++refs_; }
    void Detach() { device_ = nullptr; }

    ULONG Release() override;
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
        if (play) *play = 0;
        if (write) *write = 0;
        return DS_OK;
    }
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override {
        if (!format && !written) return DSERR_INVALIDPARAM;
        audio::OutputFormat f = audio::Format();
        WAVEFORMATEX w{};
        w.wFormatTag = WAVE_FORMAT_PCM;
        w.nChannels = static_cast<WORD>(f.channels);
        w.nSamplesPerSec = static_cast<DWORD>(f.rate);
        w.wBitsPerSample = static_cast<WORD>(f.bits);
        w.nBlockAlign = static_cast<WORD>(f.channels * f.bits / 8);
        w.nAvgBytesPerSec = w.nSamplesPerSec * w.nBlockAlign;
        if (written) *written = sizeof w;
        if (format) std::memcpy(format, &w, std::min<DWORD>(size, sizeof w));
        return DS_OK;
    }
    HRESULT GetVolume(LONG* volume) override {
        if (!volume) return DSERR_INVALIDPARAM;
        *volume = 0;
        return DS_OK;
    }
    HRESULT GetPan(LONG* pan) override {
        if (!pan) return DSERR_INVALIDPARAM;
        *pan = 0;
        return DS_OK;
    }
    HRESULT GetFrequency(DWORD*) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT GetStatus(DWORD* status) override {
        if (!status) return DSERR_INVALIDPARAM;
        *status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
        return DS_OK;
    }
    HRESULT Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) override {
        return DSERR_PRIOLEVELNEEDED;
    }
    HRESULT Play(DWORD, DWORD, DWORD) override { return DS_OK; }
    HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT SetVolume(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetPan(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT Stop() override { return DS_OK; }
    HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Restore() override { return DS_OK; }

private:
    ~PrimaryBuffer() = default;
    Device* device_;
    ULONG refs_ = 1;
};

int liveDevices = 0;

class Device final : public IDirectSound {
public:
    Device() { ++liveDevices; }

    ULONG Release() override {
        if (--refs_ > 0) return refs_;
        // Buffers of a released device fall silent and report themselves lost.
        for (SecondaryBuffer* b : buffers_) b->Detach();
        if (primary_) primary_->Detach();
        audio::CloseOutput();
        --liveDevices;
        delete this;
        return 0;
    }

    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                              void* outer) override {
        if (!desc || !buffer || outer || desc->dwSize < 20) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (level_ == 0) return DSERR_PRIOLEVELNEEDED;
        if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
            if (primary_) primary_->AddRef();
            else primary_ = new PrimaryBuffer(this);
            *buffer = primary_;
            return DS_OK;
        }
        const WAVEFORMATEX* f = desc->lpwfxFormat;
        if (!f) return DSERR_INVALIDPARAM;
        // The format as DirectSound takes it: the structure and, for any
        // format but PCM, the cbSize extra bytes that follow it.
        const auto* bytes = reinterpret_cast<const BYTE*>(f);
        std::size_t extra = f->wFormatTag == WAVE_FORMAT_PCM ? 0 : f->cbSize;
        lastBufferFormat.assign(bytes, bytes + sizeof *f + extra);
        if (f->wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
        if (!ValidPcm(*f) || f->nSamplesPerSec < DSBFREQUENCY_MIN ||
            f->nSamplesPerSec > DSBFREQUENCY_MAX)
            return DSERR_INVALIDPARAM;
        if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
            desc->dwBufferBytes < f->nBlockAlign)
            return DSERR_INVALIDPARAM;
        auto* b = new SecondaryBuffer(this, desc->dwFlags, *f, desc->dwBufferBytes);
        buffers_.push_back(b);
        *buffer = b;
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
        if (!window || level < DSSCL_NORMAL || level > 4) return DSERR_INVALIDPARAM;
        level_ = level;
        return DS_OK;
    }

    DWORD Level() const { return level_; }
    void Forget(SecondaryBuffer* b) { buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), b), buffers_.end()); }
    void ForgetPrimary() { primary_ = nullptr; }

private:
    ~Device() = default;
    ULONG refs_ = 1;
    DWORD level_ = 0;
    std::vector<SecondaryBuffer*> buffers_;
    PrimaryBuffer* primary_ = nullptr;
};

ULONG SecondaryBuffer::Release() {
    if (--refs_ > 0) return refs_;
    if (device_) device_->Forget(this);
    Detach();
    delete this;
    return 0;
}

ULONG PrimaryBuffer::Release() {
    if (--refs_ > 0) return refs_;
    if (device_) device_->ForgetPrimary();
    delete this;
    return 0;
}

HRESULT PrimaryBuffer::SetFormat(const WAVEFORMATEX* format) {
    if (!format) return DSERR_INVALIDPARAM;
    if (!device_) return DSERR_NODRIVER;
    if (device_->Level() < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    if (format->wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
    if (!ValidPcm(*format)) return DSERR_INVALIDPARAM;
    audio::OutputFormat f{static_cast<int>(format->nSamplesPerSec), format->nChannels,
                          format->wBitsPerSample};
    return audio::SetFormat(f) ? DS_OK : DSERR_BADFORMAT;
}

// ---- The simple wave player ---------------------------------------------------

bool ReadSimpleWave(const char* name, WAVEFORMATEX* format, std::vector<BYTE>* data) {
    HMMIO h = mmioOpenA(name, nullptr, MMIO_READ | MMIO_ALLOCBUF);
    if (!h) return false;
    bool ok = false;
    MMCKINFO riff{}, chunk{};
    LONG fileSize = mmioSeek(h, 0, SEEK_END);
    mmioSeek(h, 0, SEEK_SET);
    if (mmioDescend(h, &riff, nullptr, 0) == 0 && riff.ckid == FOURCC_RIFF &&
        riff.fccType == mmioFOURCC('W', 'A', 'V', 'E')) {
        chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
        if (mmioDescend(h, &chunk, &riff, MMIO_FINDCHUNK) == 0 && chunk.cksize >= 16 &&
            mmioRead(h, reinterpret_cast<char*>(format), 16) == 16) {
            format->cbSize = 0;
            mmioSeek(h, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET);
            chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
            if (mmioDescend(h, &chunk, &riff, MMIO_FINDCHUNK) == 0 &&
                chunk.cksize <= static_cast<DWORD>(fileSize) - chunk.dwDataOffset) {
                data->resize(chunk.cksize);
                ok = mmioRead(h, reinterpret_cast<char*>(data->data()),
                              static_cast<LONG>(chunk.cksize)) == static_cast<LONG>(chunk.cksize);
            }
        }
    }
    mmioClose(h, 0);
    return ok;
}

}  // namespace

namespace headless {
std::vector<BYTE> LastBufferFormat() { return lastBufferFormat; }
}  // namespace headless

HRESULT DirectSoundCreate(const GUID* device, IDirectSound** sound, void* outer) {
    if (!sound || outer) return DSERR_INVALIDPARAM;
    *sound = nullptr;
    if (device) return DSERR_NODRIVER;  // only the default device exists
    if (!audio::OpenOutput()) return DSERR_NODRIVER;
    // A new device starts with the default output format.
    if (liveDevices == 0) audio::SetFormat(kDefaultFormat);
    *sound = new Device;
    return DS_OK;
}

BOOL sndPlaySoundA(const char* name, UINT) {
    if (!name) return 1;  // nothing is playing asynchronously
    WAVEFORMATEX format{};
    std::vector<BYTE> data;
    if (!ReadSimpleWave(name, &format, &data) || !ValidPcm(format) || data.size() < format.nBlockAlign)
        return 0;
    if (!audio::OpenOutput()) return 0;
    audio::Voice voice;
    voice.channels = format.nChannels;
    voice.bits = format.wBitsPerSample;
    voice.blockAlign = format.nBlockAlign;
    voice.frames = static_cast<DWORD>(data.size() / format.nBlockAlign);
    voice.frequency = std::clamp(format.nSamplesPerSec, DSBFREQUENCY_MIN, DSBFREQUENCY_MAX);
    voice.data = std::move(data);
    voice.playing = true;
    audio::UpdateGains(voice);
    audio::AddVoice(&voice);
    // Plays to the end before returning; a headless clock moves on by the
    // sound's length.
    bool memory = audio::MemoryOutput();
    if (memory) {
        auto ms = static_cast<DWORD>((std::uint64_t{voice.frames} * 1000 + voice.frequency - 1) /
                                     voice.frequency);
        headless::AdvanceClock(ms);
        audio::Sync();
    }
    for (;;) {
        {
            std::lock_guard lock(audio::Mutex());
            if (!voice.playing) break;
        }
        if (memory) headless::AdvanceClock(1);
        else SDL_Delay(5);
        audio::Sync();
    }
    audio::RemoveVoice(&voice);
    audio::CloseOutput();
    return 1;
}

}  // namespace plat
