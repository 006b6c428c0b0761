// glibc's rand(): r[i] = r[i-3] + r[i-31] (mod 2^32) over a state seeded by
// the minimal standard generator (16807 x mod 2^31 - 1), the first 310
// results thrown away, each result shifted right by one. Written here
// because the C libraries' own generators differ and the effects' pixels
// must not.
#include "system/random.h"

#include <array>
#include <cstdint>

namespace elSystem {
namespace {

struct Generator {
    Generator() { Seed(1); }

    void Seed(unsigned seed) {
        if (seed == 0) seed = 1;
        std::array<std::int32_t, 31> s{};
        s[0] = static_cast<std::int32_t>(seed);
        for (int i = 1; i < 31; ++i) {
            // 16807 * s[i-1] % 2147483647 without overflow (Schrage's method).
            const std::int32_t hi = s[i - 1] / 127773;
            const std::int32_t lo = s[i - 1] % 127773;
            std::int32_t word = 16807 * lo - 2836 * hi;
            if (word < 0) word += 2147483647;
            s[i] = word;
        }
        for (int i = 0; i < 31; ++i) ring[i] = static_cast<std::uint32_t>(s[i]);
        for (int i = 31; i < 34; ++i) ring[i] = ring[i - 31];
        pos = 34;
        for (int i = 34; i < 344; ++i) Step();
    }

    // r[pos] = r[pos-31] + r[pos-3], kept in a ring of the last 34 values.
    std::uint32_t Step() {
        const std::uint32_t value = ring[(pos - 31) % 34] + ring[(pos - 3) % 34];
        ring[pos % 34] = value;
        pos = pos + 1 == 68 ? 34 : pos + 1;  // the same ring slots, without overflow
        return value;
    }

    std::array<std::uint32_t, 34> ring{};
    unsigned pos = 0;
};

Generator& G() {
    static Generator g;
    return g;
}

}  // namespace

void SeedRandom(unsigned seed) { G().Seed(seed); }

int Random() { return static_cast<int>(G().Step() >> 1); }

}  // namespace elSystem
