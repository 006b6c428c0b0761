// Prints how many pixels of two PNG pictures differ once both are reduced to
// 5:6:5 (the game's display format); exit code 0 when they are the same
// size. Used by the end-to-end scripts to compare screenshots with golden
// frames.
#include <cstdio>

#include "support/golden.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s a.png b.png\n", argv[0]);
        return 2;
    }
    test::Rgb a, b;
    if (!test::ReadPng(argv[1], &a) || !test::ReadPng(argv[2], &b)) {
        std::fprintf(stderr, "cannot read the pictures\n");
        return 2;
    }
    long differ = test::CountDifferences565(a, b);
    if (differ < 0) {
        std::fprintf(stderr, "sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
        return 1;
    }
    std::printf("%ld\n", differ);
    return 0;
}
