// Sound packs: the entry named A.WAV loaded whole with echo mixes, then
// opened as a stream, played and refilled once.
#include "fuzz_support.h"
#include "sound/elSound.h"

EL_FUZZ_FILE_LOADER("FUZZ.SPK", [](const char* name) {
    elSound::SetPackFile(name);
    int slot = elSound::LoadPack("A.WAV", 3);
    if (slot >= 0) elSound::DeleteObject(slot);
    int stream = elSound::LoadStream("A.WAV", 0);
    if (stream >= 0) {
        elSound::Play(stream, -1);
        elSound::Streaming();
        elSound::DeleteObject(stream);
    }
})
