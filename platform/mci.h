// The MCI command-string interface used for MIDI music.
//
// One sequencer device at a time, addressed by its alias. Commands used:
//   open "<file>" type sequencer alias <name>
//   seek <name> to start
//   play <name> [notify]
//   stop <name>, pause <name>, resume <name>, close <name>
//   status <name> mode     (answers "playing", "stopped" or "paused")
// Include this header before <windows.h> (constants share names with macros).
#pragma once

#include "platform/win.h"

namespace plat {

constexpr DWORD MCIERR_BASE = 256;
constexpr DWORD MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr DWORD MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;
constexpr DWORD MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr DWORD MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr DWORD MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr DWORD MCIERR_DEVICE_OPEN = MCIERR_BASE + 9;
constexpr DWORD MCIERR_CANNOT_LOAD_DRIVER = MCIERR_BASE + 10;
constexpr DWORD MCIERR_MISSING_COMMAND_STRING = MCIERR_BASE + 11;
constexpr DWORD MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr DWORD MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr DWORD MCIERR_OUTOFRANGE = MCIERR_BASE + 26;
constexpr DWORD MCIERR_DUPLICATE_ALIAS = MCIERR_BASE + 33;
constexpr DWORD MCIERR_INVALID_FILE = MCIERR_BASE + 40;

// Executes an MCI command string; the answer of a status query goes into
// `answer` (at most answerSize bytes with the terminating zero). Returns 0 on
// success, an MCI error code otherwise. "notify" commands post MM_MCINOTIFY to
// `callback` when they complete: MCI_NOTIFY_SUCCESSFUL when the piece played
// to its end, MCI_NOTIFY_ABORTED when a stop, seek or close cut it short,
// MCI_NOTIFY_SUPERSEDED when another notify command replaced it. The second
// parameter of the message is the device identifier.
DWORD mciSendStringA(const char* command, char* answer, UINT answerSize, HWND callback);

}  // namespace plat
