// Wave sounds and MIDI music.
//
// Sounds live in the SoundTable: 70 slots, each holding one wave as 1 to 10
// identical buffers (its mixes) so that it can sound several times at once.
// Volume and pan are kept in hundredths of a decibel, frequency in Hz; the
// playback operations take them in steps of 100 (one decibel, 100 Hz).
// Without a sound device every operation returns at once (loaders -1).
#pragma once

#include <cstdint>

#include "platform/dsound.h"
#include "platform/win.h"

// Streaming state of a slot played from the sound pack while it is read.
struct StreamRecord {
    std::uint32_t dataStart = 0;      // file offset of the entry's first sample byte
    std::uint32_t loopPoint = 0;      // file offset reading continues at after the last sample
    std::uint32_t readPosition = 0;   // file offset of the next read
    std::uint32_t dataSize = 0;       // sample bytes; non-zero marks a streamed slot
    std::uint32_t consumed = 0;       // sample bytes read so far
    std::uint32_t refillMark = 0;     // buffer offset of the chunk written last
    std::uint32_t writePosition = 0;  // buffer offset of the next chunk
    std::uint32_t halfSize = 0;       // refill chunk: 2 seconds
    std::uint32_t bufferSize = 0;     // ring buffer: 4 seconds
    std::uint32_t wrapCursor = 0xFFFFFFFFu;
    std::uint32_t lastCursor = 0;
    std::uint8_t endCountdown = 0;
    // Full path of the pack the slot was loaded from (streamed or whole),
    // copied from the selected pack when it was loaded; it is reloaded from it.
    char packPath[259] = "";
};

struct MixBuffer {
    plat::IDirectSoundBuffer* buffer = nullptr;
    int volume = 0;               // -10000..0
    std::uint32_t frequency = 0;  // Hz
    int pan = 0;                  // -10000 (left)..10000 (right)
    std::uint32_t savedPosition = 0;  // play cursor kept by Pause
};

struct SoundSlot {
    int inUse = 0;
    char name[31] = "";
    int fromPack = 0;
    StreamRecord stream;
    int mixCount = 1;
    std::uint32_t baseFrequency = 0;
    int EchoCounter = -1;  // -1: no echo possible; 0 idle; k: the k-th echo is due
    int NextMix = 0;       // mix used by the next play on the next mix
    int looping = 0;       // the last play was a looping one
    float echoTimer = 0.0f;  // ms since the last echo
    int echoLoops = 0;
    float echoPan = 0.0f;  // -30..30
    int echoPanDirection = 1;
    MixBuffer mixes[10];
};

constexpr int kSoundSlots = 70;
constexpr int kMaxMixes = 10;
constexpr int kSoundNameLength = 30;

extern SoundSlot SoundTable[kSoundSlots];

namespace elSound {

extern int SoundAvailable;  // 1 after Create succeeded
extern plat::IDirectSound* Device;
extern plat::IDirectSoundBuffer* PrimaryBuffer;

// ---- Device and wave objects -------------------------------------------------

// Opens the sound device: 1, or 0 when there is none (sound stays off).
int Create();
// Empties all 70 slots of the sound table.
void ResetTable();
// Releases every buffer and the device; the slots keep their records so
// that Restore can bring every sound back.
void Release();
// Re-creates the device and reloads every sound into its own slot with the
// volume, frequency and pan each mix had.
void Restore();
// Loads a wave file beside the program (or the "WAVE" / RT_RCDATA resource
// of that name) with |mix| buffers; a mix above 1 allows echoes. Slot or -1.
int LoadObject(const char* name, int mix);
void DeleteObject(int slot);
// Output format: channels, rate (8, 11, 22, 44 or Hz), bits. 1 on success.
int SelectFormat(int channels, int rate, int bits);
// Play cursor of the slot's first mix, in bytes.
std::uint32_t GetPosition(int slot);
// Plays a wave file to its end with the sound device released meanwhile.
void PlayFile(const char* name);
void Beep();

// ---- Sound packs and streaming -------------------------------------------------
// A sound pack holds many waves under their upper-case file names
// (sound/pack_format.h); lookups ignore case and the first entry of a name
// wins. Pack slots are reloaded by Restore and SelectFormat, each from the
// pack it was loaded from, whichever pack is selected at that moment.
// Between Release and Restore the loaders return -1, as without a device.

// Chooses the pack the loaders read (a name under the program folder).
void SetPackFile(const char* name);
// Loads the entry `name` whole into a slot with |mix| buffers; slot or -1.
int LoadPack(const char* name, int mix);
// Opens the entry `name` for streaming: one 4-second ring buffer refilled 2
// seconds at a time by Streaming. Entries under 5 seconds are loaded whole
// (one mix). After the last sample a looping play goes on at `loopOffset`
// bytes from the first sample (it must lie inside the samples; it is taken
// down to a whole sample frame). Slot or -1.
int LoadStream(const char* name, std::uint32_t loopOffset);
// Called once per frame: refills every playing stream whose play cursor has
// entered the chunk written last, and stops a non-looping stream once its
// end and a stretch of silence have gone out. A stream whose pack can no
// longer be read is reported once and stopped; the others are still served.
// 1, or 0 when sound is off (no device, or released) or a stream failed.
int Streaming();
// Rewinds a streamed slot to its first sample (Play and PlayLoop do this). 1 or 0.
int ResetStream(int slot);
// Appends an entry for every wave file of `folder` (under the program folder;
// empty: the program folder itself) to the pack, deleting it first when
// `deleteFirst` is set. Files that are no readable wave are left out, and so
// are files whose names are 128 bytes or longer (reported: no reader could
// pass such an entry). 1, or 0 after a reported write failure (the pack is
// then left as it was).
int Convert(const char* pack, const char* folder, int deleteFirst);

// ---- Playback ------------------------------------------------------------------
// The mix selector m: 0 or more is that mix; -2 is the next mix (and a play
// starts an echo sequence); any other negative value is the next mix for
// plays and all mixes for the other operations.

void Play(int slot, int m);
void PlayLoop(int slot, int m);
void Stop(int slot, int m);
void Pause(int slot, int m);
void AddFrequency(int slot, int step, int m);
void SetFrequency(int slot, int value, int m);
void ResetFrequency(int slot, int m);
void AddPan(int slot, int step, int m);
void SetPan(int slot, int value, int m);
void ResetPan(int slot, int m);
void PanLeft(int slot, int m);
void PanRight(int slot, int m);
void AddVolume(int slot, int step, int m);
void SetVolume(int slot, int value, int m);
void ResetVolume(int slot, int m);
// Called once per frame after a play with m = -2: count echoes, interval ms
// apart, the k-th at -k x step decibels, each on the next mix.
void Echo(int slot, int interval, int count, int step);
// As Echo, with each echo's pan wandering between -3000 and 3000 at speed.
void EchoPan(int slot, int interval, int count, int step, int speed);

}  // namespace elSound

namespace elMusic {

// 1 while the music device is open.
int IsOpen();
int Reset();
// Plays a MIDI file beside the program from its start; loop 1 restarts it
// whenever it ends.
void Play(const char* name, int loop);
void Stop();
void Close();
void NoLoop();
// The piece has stopped (from the window's end-of-music notification).
void OnNotify();

}  // namespace elMusic
