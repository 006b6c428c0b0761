// Bitmap files of every header kind and depth, run-length codes included.
#include "draw/elDraw.h"
#include "fuzz_support.h"

EL_FUZZ_FILE_LOADER("FUZZ.BMP", [](const char* name) {
    int slot = elDraw::LoadObject(name, 2);
    if (slot >= kFirstLoadedSlot) elDraw::ReleaseObject(slot);
})
