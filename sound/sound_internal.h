// Shared by the files of the sound subsystem: the loaders' working state and
// the steps every loader has in common.
#pragma once

#include <cstdint>
#include <vector>

#include "sound/elSound.h"

namespace elSound::detail {

// 1 while Restore or SelectFormat re-creates the loaded sounds: the loaders
// then fill WorkingSlot and re-apply its stored volume, frequency and pan.
extern int Reloading;
extern int WorkingSlot;

bool ValidSlot(int slot);
// Sound is available and the device is open. Between Release and the next
// Restore the device is gone while the slots wait to be reloaded: every
// operation then does what it does without a device, and nothing it would
// change is lost.
bool DeviceReady();
// The lowest slot not in use, made the working slot; -1 after reporting
// "too many objects" under `context`.
int TakeFreeSlot(const char* context);

// Reads a RIFF "WAVE" file: the format block (18 + extra bytes) and the data
// bytes. False for a missing or malformed file, or one whose chunks claim
// more bytes than it holds.
bool ReadWaveFile(const char* path, std::vector<std::uint8_t>* format,
                  std::vector<std::uint8_t>* data);

// The steps every loader ends with: the slot's mix count and echo state
// (both kept as they were when reloading),
// `mix` buffers of the data in the format, the stored settings re-applied
// when reloading, the slot marked in use, and the name stored. Returns the
// working slot, or -1 after reporting under `context`.
int FillSlot(const char* context, const char* name, int mix, const std::vector<std::uint8_t>& format,
             const std::uint8_t* data, std::uint32_t size, bool fromPack);

// The format to hand to the device: the first 18 bytes of a format block
// (its fields and extra-byte count), with the extra-byte count set to 0. The
// copy holds no extra bytes, so the device must not be told of any: it would
// read them past the copy's end. Formats that need their extra bytes are then
// refused by the device like any other it cannot play.
plat::WAVEFORMATEX DeviceFormat(const std::vector<std::uint8_t>& block);

// A mix buffer just made for a slot: a new load takes the device's frequency
// and neutral volume and pan; a reload gives the buffer back the settings the
// mix had before.
void SettleMixBuffer(SoundSlot& s, MixBuffer& mb);

// Reloads every slot in use into its own slot (Restore, SelectFormat).
void ReloadAll();

// Set by the sound pack module: reloads a slot loaded from the pack (or
// streamed) and rewinds a stream before it is played.
extern int (*ReloadPackSlot)(int slot);
extern int (*ResetStreamSlot)(int slot);

}  // namespace elSound::detail
