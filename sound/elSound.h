// Wave sounds and MIDI music.
#pragma once

#include "platform/win.h"

namespace elSound {
int Create();
// Empties all 70 slots of the sound table.
void ResetTable();
void Release();
}  // namespace elSound

namespace elMusic {
// 1 while the music device is open.
int IsOpen();
void Reset();
void OnNotify();
}  // namespace elMusic
