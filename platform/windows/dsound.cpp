// DirectSound over the system's COM objects and the system's simple wave
// player. As with DirectDraw, each interface object wraps one reference to
// the system's object and lets it go on Release.
#include <cstring>

#include "platform/windows/common.h"

namespace plat {
namespace {

::WAVEFORMATEX Real(const WAVEFORMATEX& f) {
    ::WAVEFORMATEX r{};
    r.wFormatTag = f.wFormatTag;
    r.nChannels = f.nChannels;
    r.nSamplesPerSec = f.nSamplesPerSec;
    r.nAvgBytesPerSec = f.nAvgBytesPerSec;
    r.nBlockAlign = f.nBlockAlign;
    r.wBitsPerSample = f.wBitsPerSample;
    r.cbSize = 0;  // PCM only
    return r;
}

class SoundBuffer final : public IDirectSoundBuffer {
public:
    explicit SoundBuffer(::IDirectSoundBuffer* real) : real_(real) {}

    ULONG Release() override {
        ULONG left = real_->Release();
        delete this;
        return left;
    }
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
        ::DWORD p = 0, w = 0;
        HRESULT r = real_->GetCurrentPosition(&p, &w);
        if (play) *play = static_cast<DWORD>(p);
        if (write) *write = static_cast<DWORD>(w);
        return r;
    }
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override {
        ::WAVEFORMATEX f{};
        ::DWORD n = 0;
        HRESULT r = real_->GetFormat(&f, sizeof f, &n);
        if (r != DS_OK) return r;
        WAVEFORMATEX ours{f.wFormatTag, f.nChannels, static_cast<DWORD>(f.nSamplesPerSec),
                          static_cast<DWORD>(f.nAvgBytesPerSec), f.nBlockAlign, f.wBitsPerSample,
                          0};
        DWORD copied = 0;
        if (format) {
            copied = size < sizeof ours ? size : static_cast<DWORD>(sizeof ours);
            std::memcpy(format, &ours, copied);
        }
        if (written) *written = format ? copied : static_cast<DWORD>(sizeof ours);
        return r;
    }
    HRESULT GetVolume(LONG* volume) override {
        ::LONG v = 0;
        HRESULT r = real_->GetVolume(&v);
        if (volume) *volume = static_cast<LONG>(v);
        return r;
    }
    HRESULT GetPan(LONG* pan) override {
        ::LONG v = 0;
        HRESULT r = real_->GetPan(&v);
        if (pan) *pan = static_cast<LONG>(v);
        return r;
    }
    HRESULT GetFrequency(DWORD* frequency) override {
        ::DWORD v = 0;
        HRESULT r = real_->GetFrequency(&v);
        if (frequency) *frequency = static_cast<DWORD>(v);
        return r;
    }
    HRESULT GetStatus(DWORD* status) override {
        ::DWORD v = 0;
        HRESULT r = real_->GetStatus(&v);
        if (status) *status = static_cast<DWORD>(v);
        return r;
    }
    HRESULT Lock(DWORD offset, DWORD bytes, void** region1, DWORD* bytes1, void** region2,
                 DWORD* bytes2, DWORD flags) override {
        ::DWORD n1 = 0, n2 = 0;
        void* r2 = nullptr;
        HRESULT r = real_->Lock(offset, bytes, region1, &n1, region2 ? &r2 : nullptr,
                                bytes2 ? &n2 : nullptr, flags);
        if (bytes1) *bytes1 = static_cast<DWORD>(n1);
        if (region2) *region2 = r2;
        if (bytes2) *bytes2 = static_cast<DWORD>(n2);
        return r;
    }
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override {
        return real_->Play(reserved, priority, flags);
    }
    HRESULT SetCurrentPosition(DWORD position) override {
        return real_->SetCurrentPosition(position);
    }
    HRESULT SetFormat(const WAVEFORMATEX* format) override {
        if (!format) return DSERR_INVALIDPARAM;
        ::WAVEFORMATEX f = Real(*format);
        return real_->SetFormat(&f);
    }
    HRESULT SetVolume(LONG volume) override { return real_->SetVolume(volume); }
    HRESULT SetPan(LONG pan) override { return real_->SetPan(pan); }
    HRESULT SetFrequency(DWORD frequency) override { return real_->SetFrequency(frequency); }
    HRESULT Stop() override { return real_->Stop(); }
    HRESULT Unlock(void* region1, DWORD bytes1, void* region2, DWORD bytes2) override {
        return real_->Unlock(region1, bytes1, region2, bytes2);
    }
    HRESULT Restore() override { return real_->Restore(); }

private:
    ~SoundBuffer() = default;
    ::IDirectSoundBuffer* real_;
};

class Sound final : public IDirectSound {
public:
    explicit Sound(::IDirectSound* real) : real_(real) {}

    ULONG Release() override {
        ULONG left = real_->Release();
        delete this;
        return left;
    }
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                              void*) override {
        if (!desc || !buffer || desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        ::DSBUFFERDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = desc->dwFlags;
        d.dwBufferBytes = desc->dwBufferBytes;
        ::WAVEFORMATEX format{};
        if (desc->lpwfxFormat) {
            format = Real(*desc->lpwfxFormat);
            d.lpwfxFormat = &format;
        }
        ::IDirectSoundBuffer* b = nullptr;
        HRESULT r = real_->CreateSoundBuffer(&d, &b, nullptr);
        if (r == DS_OK && b) *buffer = new SoundBuffer(b);
        return r;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
        return real_->SetCooperativeLevel(win::Real(window), level);
    }

private:
    ~Sound() = default;
    ::IDirectSound* real_;
};

}  // namespace

HRESULT DirectSoundCreate(const GUID* device, IDirectSound** sound, void*) {
    if (!sound) return DSERR_INVALIDPARAM;
    *sound = nullptr;
    ::IDirectSound* ds = nullptr;
    HRESULT r = ::DirectSoundCreate(reinterpret_cast<const ::GUID*>(device), &ds, nullptr);
    if (r == DS_OK && ds) *sound = new Sound(ds);
    return r;
}

BOOL sndPlaySoundA(const char* name, UINT flags) {
    win::WideArg wide(name);
    return ::sndPlaySoundW(wide.get(), flags);
}

}  // namespace plat
