// Sound device, wave buffers and the system's simple wave player. Wave
// resources come from the module's resource table (platform/resources.h).
//
// Shaped after DirectSound: a device made by DirectSoundCreate, one primary
// buffer whose format is the output format, and static secondary buffers that
// hold a whole wave each and are played, looped, stopped and shaped (volume,
// pan, frequency) independently. Result codes, flags and ranges are
// DirectSound's, so the Windows implementation is a pass-through.
//
// Include this header before <windows.h> (constants share names with macros).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/resources.h"  // FindModuleResource: "WAVE" resources
#include "platform/win.h"

namespace plat {

// Also declared by platform/ddraw.h, which documents them.
using HRESULT = std::int32_t;
using ULONG = std::uint32_t;

struct GUID;  // device identifiers; only the default device (null) is used

#pragma pack(push, 1)
// The wave format block: 16 bytes of a "fmt " chunk and the count of extra
// bytes (ignored for PCM).
struct WAVEFORMATEX {
    //@{
    // The field of this name of the Win32 / DirectX type.
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
    //@}
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

//@{
// Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
constexpr WORD WAVE_FORMAT_PCM = 1;

// The Win32 / DirectX type of this name, with the same members and meaning.
struct DSBUFFERDESC {
    //@{
    // The field of this name of the Win32 / DirectX type.
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    const WAVEFORMATEX* lpwfxFormat;
    DWORD guid3DAlgorithm[4];  // a GUID; zero for the default algorithm
    //@}
};

// Results.
constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
inline bool Failed(HRESULT r) { return r < 0; }

// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;

// Buffer capabilities.
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;
constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

// Ranges: frequency in Hz, volume and pan in hundredths of a decibel.
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 100000;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

// A primary or secondary buffer. Positions are in bytes of the buffer.
struct IDirectSoundBuffer {
    //@{
    // Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
    virtual ULONG Release() = 0;
    // The play cursor, and the write cursor a little ahead of it.
    virtual HRESULT GetCurrentPosition(DWORD* play, DWORD* write) = 0;
    virtual HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    // Up to two regions: the second one when the locked range wraps past the
    // end of the buffer.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** region1, DWORD* bytes1,
                         void** region2, DWORD* bytes2, DWORD flags) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    // Primary buffer only: the output format.
    virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(void* region1, DWORD bytes1, void* region2, DWORD bytes2) = 0;
    virtual HRESULT Restore() = 0;
    //@}

protected:
    ~IDirectSoundBuffer() = default;
};

// The Win32 / DirectX type of this name, with the same members and meaning.
struct IDirectSound {
    //@{
    // Named after Win32 / DirectX: the same meaning, arguments, results and failure values.
    virtual ULONG Release() = 0;
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                                      void* outer) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
    //@}

protected:
    ~IDirectSound() = default;
};

// The default device (device null). Fails when the system has no audio output.
HRESULT DirectSoundCreate(const GUID* device, IDirectSound** sound, void* outer);

// The system's simple wave player: plays a wave file (name as given, relative
// to the current folder). With SND_SYNC it returns when the sound has ended.
constexpr UINT SND_SYNC = 0x0000;
constexpr UINT SND_ASYNC = 0x0001;
constexpr UINT SND_NODEFAULT = 0x0002;
BOOL sndPlaySoundA(const char* name, UINT flags);

//@}
}  // namespace plat
