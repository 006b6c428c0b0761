// Shared by the fuzz targets: a headless program started once per process,
// with a program folder of its own, into which each input is written as the
// file a loader reads.
//
// A target is one source file, fuzz_<name>.cpp, holding one line:
//
//     EL_FUZZ_FILE_LOADER("name.ext", [](const char* name) { ...load name... })
//
// The loader is called with the file's name relative to the program folder
// (and the current folder while it runs); whatever it loads it must
// free again, so that a long run does not grow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

using Loader = void (*)(const char* name);

// Starts the program on the first call; writes the input to `name` in the
// program folder, runs `load`, and forgets the boxes and error flag the
// input caused.
int RunFileLoader(const char* name, Loader load, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz

#define EL_FUZZ_FILE_LOADER(file_name, ...)                                             \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        return fuzz::RunFileLoader(file_name, __VA_ARGS__, data, size);                  \
    }
