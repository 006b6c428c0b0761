// Bitmap packs: the entry named A.BMP found, loaded into an object and
// loaded again in place.
#include "draw/elDraw.h"
#include "fuzz_support.h"

EL_FUZZ_FILE_LOADER("FUZZ.BPK", [](const char* name) {
    elDraw::SetPackFile(name);
    int slot = elDraw::LoadPack("A.BMP", 2);
    if (slot >= kFirstLoadedSlot) {
        elDraw::SwapPack("A.BMP", slot, 2);
        elDraw::ReleaseObject(slot);
    }
})
