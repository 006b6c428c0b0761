// Wave sounds and MIDI music.
//
// Sounds live in the SoundTable: 70 slots, each holding one wave as 1 to 10
// identical buffers (its mixes) so that it can sound several times at once.
// Volume and pan are kept in hundredths of a decibel, frequency in Hz; the
// playback operations take them in steps of 100 (one decibel, 100 Hz).
// Without a sound device every operation returns at once (loaders -1; a
// wave file that is missing is still reported).
//
// Slots are numbered from 0 (0-69); the loaders return the slot or -1 on
// failure (after an error box), unlike the picture loaders of elDraw, which
// return 0 on failure. Operations on a slot that holds nothing do nothing.
#pragma once

#include <cstdint>

#include "platform/dsound.h"
#include "platform/win.h"

// Internal: streaming state of a slot played from the sound pack while it is read.
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
    std::uint32_t wrapCursor = 0xFFFFFFFFu;  // play cursor at which the ring wraps to its start
    std::uint32_t lastCursor = 0;            // play cursor seen at the last Streaming call
    std::uint8_t endCountdown = 0;           // chunks of silence still to play before a stop
    // The pack the slot was loaded from, streamed or whole (Shift-JIS path);
    // a loss reloads the slot from it.
    char packPath[259] = "";
};

// Internal: one of a slot's identical buffers and its settings.
struct MixBuffer {
    plat::IDirectSoundBuffer* buffer = nullptr;  // the device's buffer, null when released
    int volume = 0;               // -10000..0
    std::uint32_t frequency = 0;  // Hz
    int pan = 0;                  // -10000 (left)..10000 (right)
    std::uint32_t savedPosition = 0;  // play cursor kept by Pause
};

// Internal: one slot of SoundTable (read it; the operations below change it).
struct SoundSlot {
    int inUse = 0;                    // 1 while the slot holds a sound
    char name[31] = "";               // the file or entry name it was loaded from
    int fromPack = 0;                 // 1 when loaded from a sound pack
    StreamRecord stream;              // streaming state (dataSize 0: not streamed)
    int mixCount = 1;                 // buffers in use, 1-10
    std::uint32_t baseFrequency = 0;  // the wave's own rate in Hz (ResetFrequency)
    int EchoCounter = -1;  // -1: no echo possible; 0 idle; k: the k-th echo is due
    int NextMix = 0;       // mix used by the next play on the next mix
    int looping = 0;       // the last play was a looping one
    float echoTimer = 0.0f;  // ms since the last echo
    int echoLoops = 0;         // 1 when the echoes play looping
    float echoPan = 0.0f;  // -30..30
    int echoPanDirection = 1;  // +1 or -1: the way EchoPan's pan wanders
    MixBuffer mixes[10];       // the mixes; the first mixCount are in use
};

// Slots of the sound table (0 to 69).
constexpr int kSoundSlots = 70;
// Most buffers (mixes) one slot can have.
constexpr int kMaxMixes = 10;
// Longest file or entry name a loader takes, in bytes.
constexpr int kSoundNameLength = 30;

// Internal: the sound slots (read only; the loaders fill them).
extern SoundSlot SoundTable[kSoundSlots];

namespace elSound {

extern int SoundAvailable;  // 1 after Create succeeded
extern plat::IDirectSound* Device;               // internal: the device, null without one or while released
extern plat::IDirectSoundBuffer* PrimaryBuffer;  // internal: the device's output buffer

// ---- Device and wave objects -------------------------------------------------

// Internal (elDraw::Screen calls it): opens the sound device: 1, or 0 when
// there is none (sound stays off).
int Create();
// Internal (elDraw::Screen calls it): empties all 70 slots of the sound table.
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
// Frees slot `slot` (0-69) and its buffers; nothing for an empty or invalid slot.
void DeleteObject(int slot);
// Output format: channels, rate (8, 11, 22, 44 or Hz), bits. 1 on success.
int SelectFormat(int channels, int rate, int bits);
// Play cursor of the slot's first mix, in bytes.
std::uint32_t GetPosition(int slot);
// Plays a wave file to its end with the sound device released meanwhile.
void PlayFile(const char* name);
// The system's default beep.
void Beep();

// ---- Sound packs and streaming -------------------------------------------------
// A sound pack holds many waves under their upper-case file names
// (sound/pack_format.h); lookups ignore case and the first entry of a name
// wins. Pack slots are reloaded by Restore and SelectFormat, each from the
// pack it was loaded from, whichever pack is selected at that moment.
// Without a device, and between Release and Restore, the loaders return -1;
// a pack or an entry that is not there is still reported.

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

// Values are held in range: frequency 100-100000 Hz, pan -10000 (left) to
// 10000 (right) hundredths of a decibel, volume -10000 (silent) to 0 (full).

// Plays slot `slot` (0-69) once from its start on mix m.
void Play(int slot, int m);
// Plays slot `slot` from its start, repeating until stopped.
void PlayLoop(int slot, int m);
// Stops and rewinds; a stop of all mixes (m < 0) also ends an echo sequence.
void Stop(int slot, int m);
// Pauses a playing mix where it is; a paused one resumes from there.
void Pause(int slot, int m);
// Adds step x 100 Hz to the playing rate.
void AddFrequency(int slot, int step, int m);
// Sets the rate to the wave's own rate plus value x 100 Hz.
void SetFrequency(int slot, int value, int m);
// Puts the rate back to the wave's own.
void ResetFrequency(int slot, int m);
// Moves the pan by step decibels (x 100; negative: to the left).
void AddPan(int slot, int step, int m);
// Sets the pan to value decibels (-100 left to 100 right).
void SetPan(int slot, int value, int m);
// Centres the pan.
void ResetPan(int slot, int m);
// Pans fully to the left.
void PanLeft(int slot, int m);
// Pans fully to the right.
void PanRight(int slot, int m);
// Changes the volume by step decibels (x 100; negative: quieter).
void AddVolume(int slot, int step, int m);
// Sets the volume to value decibels (-100 silent to 0 full).
void SetVolume(int slot, int value, int m);
// Puts the volume back to full (0 dB).
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
// Forgets the open piece (without closing it) and turns looping back on. Returns 1.
int Reset();
// Plays a MIDI file beside the program from its start; loop 1 restarts it
// whenever it ends.
void Play(const char* name, int loop);
// Stops the piece and closes the device (nothing when none is open).
void Stop();
// Stops and closes the device whether or not a piece is open.
void Close();
// The piece now playing ends at its end instead of starting again.
void NoLoop();
// The piece has stopped (from the window's end-of-music notification).
void OnNotify();

}  // namespace elMusic
