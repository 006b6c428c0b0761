// Wave sounds and MIDI music.
#pragma once

#include "platform/win.h"

namespace elSound {
int Create();
void Release();
}  // namespace elSound

namespace elMusic {
// 1 while the music device is open.
int IsOpen();
void Reset();
void OnNotify();
}  // namespace elMusic
