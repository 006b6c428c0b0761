// The base-folder file in the Windows folder (here the program's own), and
// the program folder it redirects.
#include "fuzz_support.h"
#include "system/elSystem.h"

EL_FUZZ_FILE_LOADER("FUZZ.INI", [](const char* name) {
    if (elSystem::ReadBaseFolder(name)) (void)elSystem::GetProgramFolder(1);
    BaseFolder[0] = 0;
})
