// MIDI files through the music player: opened, played for a few frames (the
// synthesiser reads the events as they fall due) and stopped.
#include "fuzz_support.h"
#include "platform/portable/headless.h"
#include "sound/elSound.h"

EL_FUZZ_FILE_LOADER("FUZZ.MID", [](const char* name) {
    elMusic::Play(name, 1);
    for (int i = 0; i < 4; ++i) {
        plat::headless::AdvanceClock(50);
        plat::headless::SyncAudio();
    }
    elMusic::Stop();
})
