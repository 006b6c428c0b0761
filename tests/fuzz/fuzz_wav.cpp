// Wave files through the RIFF reader into a sound slot with echo mixes.
#include "fuzz_support.h"
#include "sound/elSound.h"

EL_FUZZ_FILE_LOADER("FUZZ.WAV", [](const char* name) {
    int slot = elSound::LoadObject(name, 3);
    if (slot >= 0) elSound::DeleteObject(slot);
})
