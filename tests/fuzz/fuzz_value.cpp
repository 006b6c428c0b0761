// Value files: one decimal integer beside the program.
#include "fuzz_support.h"
#include "system/elSystem.h"

EL_FUZZ_FILE_LOADER("FUZZ.DAT", [](const char* name) { (void)elSystem::LoadValue(name); })
