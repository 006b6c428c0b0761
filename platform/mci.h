// The MCI command-string interface used for MIDI music.
#pragma once

#include "platform/win.h"

namespace plat {

// Executes an MCI command string; the answer of a status query goes into
// `answer` (at most answerSize bytes with the terminating zero). Returns 0 on
// success, an MCI error code otherwise. "notify" commands post MM_MCINOTIFY to
// `callback` when they complete.
DWORD mciSendStringA(const char* command, char* answer, UINT answerSize, HWND callback);

}  // namespace plat
