// The vector rows in the Windows build: the processor check chooses a level
// the program can run, and the AVX2 rows (built by mingw-w64, whose stack is
// only 16-byte aligned) give the SSE2 rows' pixels on random rows of every
// length, for every rule and both 16-bit layouts.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "draw/effects/vector_rows.h"

namespace {

struct Random {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

elDraw::RowParams Layout(bool rgb565, Random& random) {
    elDraw::RowParams p{};
    const std::uint16_t shift[3] = {static_cast<std::uint16_t>(rgb565 ? 11 : 10), 5, 0};
    for (int c = 0; c < 3; ++c) {
        p.shift[c] = shift[c];
        p.max[c] = (rgb565 && c == 1) ? 63 : 31;
        p.level[c] = static_cast<std::uint16_t>(random.Next() % 32);
        p.sourceWeight[c] = static_cast<float>(random.Next() % 1000) / 1000.0f;
        p.destWeight[c] = static_cast<float>(1.0f - static_cast<float>(p.sourceWeight[c]));
    }
    p.shift5[0] = shift[0];
    p.shift5[1] = rgb565 ? 6 : 5;
    p.shift5[2] = 0;
    p.foreign = rgb565 ? 0 : 0x8000;
    p.mask = rgb565 ? 0x7BEF : 0x3DEF;
    return p;
}

TEST(WinVectorRows, Avx2RowsGiveTheSse2RowsPixels) {
    ASSERT_NE(elDraw::Sse2Rows(), nullptr);
    if (elDraw::BestVectorLevel() < elDraw::VectorLevel::Avx2) GTEST_SKIP() << "no AVX2 on this processor";
    ASSERT_NE(elDraw::Avx2Rows(), nullptr);
    Random random{11};
    std::vector<std::uint32_t> columns(4 * 80, 0);
    std::vector<std::uint16_t> columnLevels(3 * 80, 0);
    for (bool rgb565 : {true, false}) {
        for (int op = 0; op < static_cast<int>(elDraw::RowOp::Count); ++op) {
            for (int width = 0; width < 64; ++width) {
                elDraw::RowParams p = Layout(rgb565, random);
                if (!elDraw::FixedWeights(p)) continue;
                for (auto& w : columns) w = static_cast<std::uint32_t>(random.Next() % (1u << (elDraw::kFixedBits - 1)));
                for (auto& k : columnLevels) k = static_cast<std::uint16_t>(random.Next() % 32);
                for (int c = 0; c < 3; ++c) {
                    p.columnSource[c] = &columns[static_cast<std::size_t>(c) * 80];
                    p.columnDest[c] = &columns[static_cast<std::size_t>(c + 1) * 80];
                    p.columnLevel[c] = &columnLevels[static_cast<std::size_t>(c) * 80];
                }
                std::vector<std::uint16_t> s(static_cast<std::size_t>(width)), d1(s.size()), d2(s.size());
                for (std::size_t i = 0; i < s.size(); ++i) {
                    const std::uint64_t v = random.Next();
                    s[i] = static_cast<std::uint16_t>((v & 1) ? 0 : v >> 8);
                    d1[i] = d2[i] = static_cast<std::uint16_t>(v >> 32);
                }
                elDraw::Sse2Rows()[op](d1.data(), s.data(), width, p);
                elDraw::Avx2Rows()[op](d2.data(), s.data(), width, p);
                EXPECT_EQ(d1, d2) << "rule " << op << " width " << width << (rgb565 ? " 5:6:5" : " 5:5:5");
            }
        }
    }
}

}  // namespace
