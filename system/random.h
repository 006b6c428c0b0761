// The library's random numbers: glibc's rand() sequence (its additive
// feedback generator, TYPE_3), computed by the library itself so that the
// noise table, the noise cursors, the wipes, the scan-line draws and the
// echo pan give the same pixels and sounds on every C library (glibc,
// msvcrt, emscripten's musl). The application seeds it with the calendar
// time at start-up, as it seeded the C generator.
#pragma once

namespace elSystem {

// Starts the sequence glibc's srand(seed) starts (seed 0 acts as 1).
void SeedRandom(unsigned seed);
// The next number of the sequence, 0 .. 2147483647 (glibc's RAND_MAX);
// unseeded, the sequence of seed 1, as rand() without srand().
int Random();

}  // namespace elSystem
