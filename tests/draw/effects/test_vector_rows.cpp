// The vector rows of the blended and recoloured draws against the plain
// per-pixel loops: the same pixels for every table input, and for random
// pictures, positions, clip rectangles and parameters, in 5:6:5 and 5:5:5.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "draw/effects/elEffects.h"
#include "draw/effects/vector_rows.h"
#include "platform/display.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"

using namespace plat;

namespace {

// splitmix64: every output bit depends on the whole state.
struct Random {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    float Unit() { return static_cast<float>(Next() >> 40) / static_cast<float>(1 << 24); }
};

std::vector<std::uint16_t> Read(IDirectDrawSurface* surface) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    EXPECT_EQ(surface->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    std::vector<std::uint16_t> out(static_cast<std::size_t>(d.dwWidth) * d.dwHeight);
    for (DWORD y = 0; y < d.dwHeight; ++y)
        std::memcpy(&out[y * d.dwWidth], static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch, d.dwWidth * 2);
    surface->Unlock(d.lpSurface);
    return out;
}

void Write(IDirectDrawSurface* surface, const std::vector<std::uint16_t>& pixels) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(surface->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < d.dwHeight; ++y)
        std::memcpy(static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch, &pixels[y * d.dwWidth], d.dwWidth * 2);
    surface->Unlock(d.lpSurface);
}

// One draw call with everything but the destination, slot and rectangle fixed.
using Draw = std::function<int(int x, int y, int slot, int l, int t, int r, int b)>;

class VectorRows : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
    }
    void TearDown() override {
        elDraw::SetVectorLevel(elDraw::BestVectorLevel());
        test::DrawTest::TearDown();
        SetDisplayFormat(DisplayFormat::Rgb565);
    }
    void Reopen(DisplayFormat format) {
        SetDisplayFormat(format);
        ASSERT_EQ(elDraw::Screen(800, 600, 1), 1);
    }
    // Every level that this build and processor can run besides the plain one.
    static std::vector<elDraw::VectorLevel> VectorLevels() {
        std::vector<elDraw::VectorLevel> out;
        if (elDraw::BestVectorLevel() >= elDraw::VectorLevel::Sse2) out.push_back(elDraw::VectorLevel::Sse2);
        if (elDraw::BestVectorLevel() >= elDraw::VectorLevel::Avx2) out.push_back(elDraw::VectorLevel::Avx2);
        return out;
    }
    // A screen of random pixels.
    static std::vector<std::uint16_t> RandomScreen(Random& random) {
        std::vector<std::uint16_t> back(800 * 600);
        for (auto& p : back) p = static_cast<std::uint16_t>(random.Next());
        return back;
    }
    // A random clip rectangle, partly off the screen at times.
    static void RandomClip(Random& random) {
        elDraw::SetClip(random.Between(-30, 300), random.Between(-30, 200), random.Between(300, 830),
                        random.Between(200, 630));
    }
    int Object(int w, int h, const std::function<std::uint16_t(int, int)>& pixel) {
        const int slot = elDraw::CreateObject(w, h, 2);
        EXPECT_GT(slot, 0);
        std::vector<std::uint16_t> p(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) p[static_cast<std::size_t>(y) * w + x] = pixel(x, y);
        Write(ObjectTable[slot].surface, p);
        return slot;
    }
    // Runs the draw from the same back surface at the plain level and at
    // every vector level; true when all give the same pixels and results.
    void ExpectSameAtEveryLevel(const std::vector<std::uint16_t>& back, const Draw& draw, int x, int y,
                                int slot, int l, int t, int r, int b, const std::string& what) {
        elDraw::SetVectorLevel(elDraw::VectorLevel::Plain);
        Write(elDraw::BackSurface, back);
        const int plainResult = draw(x, y, slot, l, t, r, b);
        const std::vector<std::uint16_t> plain = Read(elDraw::BackSurface);
        for (elDraw::VectorLevel level : VectorLevels()) {
            elDraw::SetVectorLevel(level);
            Write(elDraw::BackSurface, back);
            EXPECT_EQ(draw(x, y, slot, l, t, r, b), plainResult) << what;
            const std::vector<std::uint16_t> vector = Read(elDraw::BackSurface);
            if (std::memcmp(plain.data(), vector.data(), plain.size() * 2) == 0) continue;
            std::size_t differ = 0;
            for (std::size_t i = 0; i < plain.size(); ++i)
                if (plain[i] != vector[i] && differ++ == 0)
                    ADD_FAILURE() << what << " level " << static_cast<int>(level) << " at (" << i % 800 << ", "
                                  << i / 800 << "): plain " << plain[i] << ", vector " << vector[i];
            if (differ) ADD_FAILURE() << what << ": " << differ << " pixels differ";
        }
    }
};

const char* Name(DisplayFormat f) { return f == DisplayFormat::Rgb565 ? "565" : "555"; }

TEST_F(VectorRows, VectorLevelsAreOnlyChosenWithinWhatTheProcessorRuns) {
    const elDraw::VectorLevel best = elDraw::BestVectorLevel();
#if defined(__x86_64__)
    EXPECT_GE(best, elDraw::VectorLevel::Sse2);
#endif
    elDraw::SetVectorLevel(elDraw::VectorLevel::Avx2);
    EXPECT_LE(elDraw::ActiveVectorLevel(), best);
    elDraw::SetVectorLevel(elDraw::VectorLevel::Plain);
    EXPECT_EQ(elDraw::ActiveVectorLevel(), elDraw::VectorLevel::Plain);
    EXPECT_EQ(elDraw::VectorRow(elDraw::RowOp::Fade), nullptr);
}

// Each 5-bit output channel depends only on the two pixels' split channels
// and the level. Every pixel value is split (the object holds all 65536, the
// foreign bit of 5:5:5 included), and a second picture pairs every 5-bit
// object channel with every back channel, for every level: so the arithmetic
// of the vector rows is checked against the tables on all their inputs.
TEST_F(VectorRows, TableRulesGiveTheTablesValuesForEveryInput) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        const unsigned s5[3] = {PixelFormat.red5Shift, PixelFormat.green5Shift, PixelFormat.blue5Shift};
        auto grey5 = [&](int v) {
            return static_cast<std::uint16_t>((v << s5[0]) | (v << s5[1]) | (v << s5[2]));
        };
        Random random{17};
        const int every = Object(256, 256, [](int x, int y) { return static_cast<std::uint16_t>(y * 256 + x); });
        // 32 x 32 pairs, each object channel value a with each back value b.
        const int pairs = Object(32, 32, [&](int x, int) { return grey5(x); });
        std::vector<std::uint16_t> back = RandomScreen(random);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) back[static_cast<std::size_t>(300 + y) * 800 + x] = grey5(y);

        std::vector<std::pair<std::string, Draw>> draws = {
            {"add", [](int x, int y, int s, int l, int t, int r, int b) { return elDraw::DrawAdd(x, y, s, l, t, r, b); }},
            {"subtract", [](int x, int y, int s, int l, int t, int r, int b) { return elDraw::DrawSubtract(x, y, s, l, t, r, b); }},
            {"gray", [](int x, int y, int s, int l, int t, int r, int b) { return elDraw::DrawGray(x, y, s, l, t, r, b); }},
            {"half", [](int x, int y, int s, int l, int t, int r, int b) { return elDraw::DrawHalfBlend(x, y, s, l, t, r, b); }},
        };
        for (int level = 0; level < 32; ++level) {
            const std::string n = std::to_string(level);
            draws.push_back({"fade " + n, [level](int x, int y, int s, int l, int t, int r, int b) {
                                 return elDraw::DrawFadeBlend(x, y, level, s, l, t, r, b);
                             }});
            draws.push_back({"dark " + n, [level](int x, int y, int s, int l, int t, int r, int b) {
                                 return elDraw::DrawDark(x, y, level, s, l, t, r, b);
                             }});
            // Strengths that give every darkening k = trunc(31 - x * 31).
            const float strength = static_cast<float>(level) / 31.0f;
            draws.push_back({"add level " + n, [strength](int x, int y, int s, int l, int t, int r, int b) {
                                 return elDraw::DrawAddLevel(x, y, strength, s, l, t, r, b);
                             }});
        }
        for (int mask = 0; mask < 8; ++mask)
            draws.push_back({"mask " + std::to_string(mask), [mask](int x, int y, int s, int l, int t, int r, int b) {
                                 return elDraw::DrawChannelMask(x, y, mask & 1, mask & 2, mask & 4, s, l, t, r, b);
                             }});
        for (const auto& [what, draw] : draws) {
            ExpectSameAtEveryLevel(back, draw, 0, 0, every, 0, 0, 256, 256, std::string(Name(format)) + " " + what);
            ExpectSameAtEveryLevel(back, draw, 0, 300, pairs, 0, 0, 32, 32,
                                   std::string(Name(format)) + " pairs " + what);
        }
    }
}

// Large opacity and brightness draws mix in integers when integer weights
// reproduce every double result; tiny, exact and awkward weights either
// pass that check or fall back, and the pixels stay those of the plain loop.
TEST_F(VectorRows, IntegerMixesGiveTheDoubleMixesPixels) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    auto weights = [](double a) {
        elDraw::RowParams p = elDraw::LayoutParams();
        for (int c = 0; c < 3; ++c) {
            p.sourceWeight[c] = static_cast<float>(a);
            p.destWeight[c] = static_cast<float>(1.0f - static_cast<float>(a));
        }
        return p;
    };
    for (double a : {0.0, 0.25, 0.3, 0.5, 0.75, 1.0}) {
        elDraw::RowParams p = weights(a);
        EXPECT_TRUE(elDraw::FixedWeights(p)) << a;
    }
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{3};
        const int object = Object(256, 256, [](int x, int y) { return static_cast<std::uint16_t>(y * 256 + x); });
        std::vector<std::uint16_t> back = RandomScreen(random);
        for (float a : {0.0f, 1e-30f, 1e-7f, 0.1f, 0.25f, 0.3f, 0.5f, 0.7f, 0.9999999f, 1.0f}) {
            ExpectSameAtEveryLevel(back, [a](int x, int y, int s, int l, int t, int r, int b) {
                return elDraw::DrawAlphaBlendRGB(x, y, a, 0.5f, 1.0f - a, s, l, t, r, b);
            }, 10, 10, object, 0, 0, 256, 256, std::string(Name(format)) + " alpha " + std::to_string(a));
            ExpectSameAtEveryLevel(back, [a](int x, int y, int s, int l, int t, int r, int b) {
                return elDraw::DrawBrightRGB(x, y, a, 1.0f, 0.3f, s, l, t, r, b);
            }, 10, 10, object, 0, 0, 256, 256, std::string(Name(format)) + " bright " + std::to_string(a));
            for (int direction : {0, 1})
                ExpectSameAtEveryLevel(back, [a, direction](int x, int y, int s, int l, int t, int r, int b) {
                    return elDraw::DrawGradientAlpha(x, y, a, 0.0f, 0.5f, direction, 40, 3, s, l, t, r, b);
                }, -7, 10, object, 0, 0, 256, 256, std::string(Name(format)) + " gradient " + std::to_string(a));
        }
    }
}

// Random pictures (half transparent), destinations partly off the clip
// rectangle, random clip rectangles (some reaching past the screen),
// source rectangles partly outside the object, and random parameters.
TEST_F(VectorRows, EveryDrawMatchesThePlainLoopOnRandomDraws) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{format == DisplayFormat::Rgb565 ? 5u : 6u};
        auto picture = [&random](int, int) {
            const std::uint64_t v = random.Next();
            return static_cast<std::uint16_t>((v & 1) ? 0 : (v >> 8));
        };
        const int object = Object(203, 157, picture);
        std::vector<std::uint16_t> back = RandomScreen(random);

        for (int round = 0; round < 44; ++round) {
            const float a = random.Unit(), b = random.Unit(), c = random.Unit();
            const int la = random.Between(-3, 34), lb = random.Below(32), lc = random.Below(32);
            const int direction = random.Below(2);
            const unsigned start = static_cast<unsigned>(random.Between(-2, 90)) | (random.Below(2) ? 0x10000u : 0u);
            const int step = random.Between(-1, 9);
            const std::vector<std::pair<const char*, Draw>> draws = {
                {"half", [](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawHalfBlend(x, y, s, l, t, r, q); }},
                {"alpha", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawAlphaBlend(x, y, a, s, l, t, r, q); }},
                {"alpha rgb", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawAlphaBlendRGB(x, y, a, b, c, s, l, t, r, q); }},
                {"fade rgb", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawFadeBlendRGB(x, y, la, lb, lc, s, l, t, r, q); }},
                {"gradient alpha", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawGradientAlpha(x, y, a, b, c, direction, start, step, s, l, t, r, q); }},
                {"gradient fade", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawGradientFade(x, y, la, lb, lc, direction, start, step, s, l, t, r, q); }},
                {"add level", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawAddLevel(x, y, a, s, l, t, r, q); }},
                {"subtract", [](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawSubtract(x, y, s, l, t, r, q); }},
                {"bright rgb", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawBrightRGB(x, y, a, b, c, s, l, t, r, q); }},
                {"dark rgb", [=](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawDarkRGB(x, y, la, lb, lc, s, l, t, r, q); }},
                {"gray", [](int x, int y, int s, int l, int t, int r, int q) { return elDraw::DrawGray(x, y, s, l, t, r, q); }},
            };
            const auto& [what, draw] = draws[static_cast<std::size_t>(round) % draws.size()];
            for (int k = 0; k < 4; ++k) {
                const int left = random.Between(-20, 20), top = random.Between(-20, 20);
                RandomClip(random);
                ExpectSameAtEveryLevel(back, draw, random.Between(-60, 780), random.Between(-60, 580), object, left,
                                       top, random.Between(left, 230), random.Between(top, 180),
                                       std::string(Name(format)) + " " + what + " round " + std::to_string(round));
            }
        }
    }
}

// The gathered glow against the glow sent ray by ray: random pictures (half
// transparent), shifts (5 and more give no light), direction sets, copy
// flags, noise positions (the cursor wraps within some draws), positions
// and clip rectangles, in both layouts. The result also carries the noise
// cursor after the draw, which must move the same way.
TEST_F(VectorRows, GlowMatchesThePlainLoopOnRandomDraws) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{format == DisplayFormat::Rgb565 ? 11u : 12u};
        const int object = Object(97, 71, [&random](int, int) {
            const std::uint64_t v = random.Next();
            return static_cast<std::uint16_t>((v & 1) ? 0 : (v >> 8));
        });
        std::vector<std::uint16_t> back = RandomScreen(random);
        for (int round = 0; round < 24; ++round) {
            const unsigned shifts[3] = {static_cast<unsigned>(random.Below(4)), static_cast<unsigned>(random.Below(7)),
                                        static_cast<unsigned>(random.Below(3))};
            const int directions = round == 0 ? 0xFF : random.Below(0x200);
            const int copy = random.Below(2);
            const int cursor = random.Below(2) ? random.Below(10000) : 9990;
            const Draw draw = [=](int x, int y, int s, int l, int t, int r, int b) {
                elDraw::GlowNoiseCursor = cursor;
                const int result = elDraw::DrawGlow(x, y, shifts[0], shifts[1], shifts[2], directions, copy, s, l, t, r, b);
                return result + 10 * elDraw::GlowNoiseCursor;
            };
            for (int k = 0; k < 2; ++k) {
                const int left = random.Between(-10, 10), top = random.Between(-10, 10);
                RandomClip(random);
                ExpectSameAtEveryLevel(back, draw, random.Between(-60, 780), random.Between(-60, 580), object, left, top,
                                       random.Between(left, 110), random.Between(top, 80),
                                       std::string(Name(format)) + " glow round " + std::to_string(round));
            }
        }
    }
}

// The vector blur, smooth edge, refraction and stretch against the plain
// ones: random pictures (half of the object transparent), block sizes (some
// wider or taller than the visible part, some beyond the vector rows),
// strengths, stretch types and positions (some past the rectangle),
// positions, clips and source rectangles, in both layouts.
TEST_F(VectorRows, ObjectFiltersMatchThePlainLoopOnRandomDraws) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{format == DisplayFormat::Rgb565 ? 31u : 32u};
        const int object = Object(203, 157, [&random](int, int) {
            const std::uint64_t v = random.Next();
            return static_cast<std::uint16_t>((v & 1) ? 0 : (v >> 8));
        });
        std::vector<std::uint16_t> back = RandomScreen(random);
        for (int round = 0; round < 56; ++round) {
            const int n = round < 20 ? random.Between(1, 9) : random.Between(10, 40);
            const float strength = static_cast<float>(random.Between(-2, 34)) / 32.0f;
            std::string name = " blur " + std::to_string(n);
            Draw draw = [n](int x, int y, int s, int l, int t, int r, int b) {
                return elDraw::DrawBlur(x, y, n, s, l, t, r, b);
            };
            if (round >= 30 && round < 37) {
                name = " smooth edge";
                draw = [](int x, int y, int s, int l, int t, int r, int b) {
                    return elDraw::DrawSmoothEdge(x, y, s, l, t, r, b);
                };
            } else if (round >= 44) {
                const int type = round % 4;
                const auto position = static_cast<unsigned>(random.Below(3) ? random.Between(0, 240) : random.Next());
                name = " stretch " + std::to_string(type) + " at " + std::to_string(position);
                draw = [type, position](int x, int y, int s, int l, int t, int r, int b) {
                    return elDraw::DrawStretchEdge(x, y, type, position, s, l, t, r, b);
                };
            } else if (round >= 37) {
                name = " refraction " + std::to_string(strength);
                draw = [strength](int x, int y, int s, int l, int t, int r, int b) {
                    return elDraw::DrawRefract(x, y, strength, s, l, t, r, b);
                };
            }
            const int left = random.Between(-10, 20), top = random.Between(-10, 20);
            RandomClip(random);
            ExpectSameAtEveryLevel(back, draw, random.Between(-60, 780), random.Between(-60, 580), object, left, top,
                                   random.Between(left, 230), random.Between(top, 180),
                                   std::string(Name(format)) + name + " round " + std::to_string(round));
        }
    }
}

// The tunnel through the vector rows' texture places against the plain
// loop: random tables (sizes, centres, measures and curves), textures larger
// than the table was made for, scrolls of any sign and positions partly off
// the screen; rows holding a cell moved outside the texture by hand.
TEST_F(VectorRows, TunnelMatchesThePlainLoopOnRandomTables) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    Random random{33};
    std::vector<std::uint16_t> back = RandomScreen(random);
    for (int round = 0; round < 12; ++round) {
        const int tw = random.Between(1, 300), th = random.Between(1, 300);
        const int texture = Object(tw + random.Below(20), th + random.Below(20),
                                   [&random](int, int) { return static_cast<std::uint16_t>(random.Next()); });
        elDraw::MakeTunnel(tw, th, random.Between(1, 640), random.Between(1, 480), random.Between(-1, 300),
                           random.Between(-1, 200), random.Between(-1, 8), random.Between(-3, 3), random.Below(7),
                           random.Below(6));
        const bool byHand = round % 4 == 3;
        for (int k = 0; byHand && k < 64; ++k) {
            TunnelCell& cell = TunnelTable[random.Below(elDraw::TunnelWidth * elDraw::TunnelHeight)];
            std::int16_t& side = k % 2 ? cell.u : cell.v;
            side = static_cast<std::int16_t>(random.Below(2) ? -1 - random.Below(100) : (k % 2 ? tw : th) + random.Below(9));
        }
        const int du = random.Between(-100000, 100000), dv = random.Between(-100000, 100000);
        const Draw draw = [du, dv](int x, int y, int s, int, int, int, int) { return elDraw::DrawTunnel(x, y, du, dv, s); };
        const int x = byHand ? random.Between(-20, 100) : random.Between(-200, 700);
        const int y = byHand ? random.Between(-20, 100) : random.Between(-200, 500);
        ExpectSameAtEveryLevel(back, draw, x, y, texture, 0, 0, 0, 0,
                               "tunnel round " + std::to_string(round));
    }
}

// The rotations through per-draw column and row maps against the formulas
// per pixel: random angles, zooms (some negative or tiny), floor zoom steps
// and colour factors, destination rectangles partly off the screen, clip
// rectangles and source rectangles partly outside the object, in both
// layouts.
TEST_F(VectorRows, RotationsMatchThePlainLoopOnRandomDraws) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{format == DisplayFormat::Rgb565 ? 41u : 42u};
        const int object = Object(61, 47, [&random](int, int) {
            const std::uint64_t v = random.Next();
            return static_cast<std::uint16_t>((v & 3) ? (v >> 8) : 0);
        });
        std::vector<std::uint16_t> back = RandomScreen(random);
        for (int round = 0; round < 40; ++round) {
            const int angle = random.Between(-400, 800);
            const float zoom = random.Below(8) ? 0.2f + 3.0f * random.Unit() : -1.5f * random.Unit();
            const float xz = 0.1f + random.Unit(), yz = 0.05f + random.Unit();
            const float xs = 0.02f * random.Unit() - 0.01f, ys = 0.03f * random.Unit();
            const float cr = random.Unit(), cg = random.Unit(), cb = random.Unit();
            const int kind = round % 5;
            // Every other round the rectangle is smaller than the source, so
            // that the rotations go through their maps rather than a table.
            const bool smaller = round % 2 == 1;
            const Draw draw = [=](int x, int y, int s, int l, int t, int r, int b) {
                const int x2 = smaller ? x + 1 + (r - l) / 2 : x + 40 + (r - l) * 3;
                const int y2 = smaller ? y + 1 + (b - t) / 2 : y + 30 + (b - t) * 2;
                switch (kind) {
                    case 0: return elDraw::DrawRotate(x, y, x2, y2, angle, s, l, t, r, b);
                    case 1: return elDraw::DrawRotateTile(x, y, x2, y2, angle, s, l, t, r, b);
                    case 2: return elDraw::DrawRotateZoom(x, y, x2, y2, angle, zoom, s, l, t, r, b);
                    case 3: return elDraw::DrawRotateZoomTile(x, y, x2, y2, angle, zoom, s, l, t, r, b);
                    default:
                        return elDraw::DrawRotateFloor(x, y, x2, y2, angle, xz, xs, yz, ys, cr, cg, cb, s, l, t, r, b);
                }
            };
            const int left = random.Between(-8, 20), top = random.Between(-8, 20);
            RandomClip(random);
            ExpectSameAtEveryLevel(back, draw, random.Between(-200, 700), random.Between(-150, 500), object, left, top,
                                   random.Between(left + 1, 70), random.Between(top + 1, 55),
                                   std::string(Name(format)) + " rotation kind " + std::to_string(kind) + " round " +
                                       std::to_string(round));
        }
    }
}

// The floor's maps walked without divisions against the division per pixel:
// zooms that divide some numerators exactly (powers of two, small whole
// numbers and halves), random ones, negative ones, steps that cross 0 and
// zooms too small or too large for the walk, source rectangles inside and
// partly outside the object, colour factors at and beyond their ends (0,
// 1, above 1, below 0, tiny ones that darken every channel to 0) and
// between, tiles of any size and of powers of two, in both layouts.
TEST_F(VectorRows, FloorMatchesThePlainLoopOnRandomZooms) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{format == DisplayFormat::Rgb565 ? 51u : 52u};
        const int object = Object(37, 29, [&random](int, int) {
            const std::uint64_t v = random.Next();
            return static_cast<std::uint16_t>((v & 7) ? (v >> 8) : 0);
        });
        std::vector<std::uint16_t> back = RandomScreen(random);
        const float exact[] = {1.0f, 0.5f, 0.25f, 2.0f, 3.0f, 1.5f, 0.75f, 5.0f, -1.0f, -0.5f, 1.0f / 3.0f};
        auto pick = [&](int kind) {
            switch (kind) {
                case 0: return exact[random.Below(11)];
                case 1: return 0.02f + 4.0f * random.Unit();
                case 2: return -0.02f - 2.0f * random.Unit();
                case 3: return 0.001f * random.Unit();
                default: return 1.0e8f * (0.5f + random.Unit());
            }
        };
        for (int round = 0; round < 40; ++round) {
            const int angle = random.Between(0, 359);
            const float xz = pick(round < 24 ? round % 3 : random.Below(5));
            const float yz = pick(round < 24 ? (round / 3) % 3 : random.Below(5));
            const float xs = round % 4 == 0 ? 0.0f : 0.02f * random.Unit() - 0.01f;
            const float ys = round % 4 == 0 ? 0.0f : round % 4 == 1 ? -0.05f * random.Unit() : 0.03f * random.Unit();
            // 0.1 and 0.03 are odd multiples of 2^-27 and 2^-29, wider than the
            // 24-bit fractions random.Unit() gives.
            const float factors[] = {0.0f, 1.0f, 1.5f, -0.5f, 0.5f, 0.001f, 1.0e-30f, 0.1f, 0.03f};
            auto factor = [&] { return random.Below(3) ? random.Unit() : factors[random.Below(9)]; };
            const float cr = factor(), cg = factor(), cb = factor();
            const int wide = random.Between(20, 400), tall = random.Between(20, 300);
            const Draw draw = [=](int x, int y, int s, int l, int t, int r, int b) {
                return elDraw::DrawRotateFloor(x, y, x + wide, y + tall, angle, xz, xs, yz, ys, cr, cg, cb, s, l, t,
                                               r, b);
            };
            const bool inside = round % 2 == 0;
            const int left = inside ? random.Between(0, 10) : random.Between(-8, 20);
            const int top = inside ? random.Between(0, 10) : random.Between(-8, 20);
            // Some tiles are powers of two wide and tall, whose walk masks.
            const bool twos = round % 8 == 6;
            const int right = twos ? left + 16 : inside ? random.Between(left + 1, 37) : random.Between(left + 1, 50);
            const int bottom = twos ? top + 8 : inside ? random.Between(top + 1, 29) : random.Between(top + 1, 40);
            RandomClip(random);
            ExpectSameAtEveryLevel(back, draw, random.Between(-100, 600), random.Between(-100, 400), object, left,
                                   top, right, bottom,
                                   std::string(Name(format)) + " floor " + std::to_string(xz) + " " +
                                       std::to_string(yz) + " round " + std::to_string(round));
        }
    }
}

// The vector rows of the region effects (rise, noise, blur) against the
// plain loops: random back surfaces and regions (some reaching past the surface), fade and
// channel flags, shifts, noise cursors near the table's end (the restart
// draws rand(), seeded alike for every level) and run counters. The result
// also carries the cursors and counters after the call.
TEST_F(VectorRows, RegionEffectsMatchThePlainLoopsOnRandomRegions) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{format == DisplayFormat::Rgb565 ? 21u : 22u};
        std::vector<std::uint16_t> back = RandomScreen(random);
        for (int round = 0; round < 48; ++round) {
            const int x = random.Between(-40, 780), y = random.Between(-40, 580);
            const int w = random.Between(0, 300), h = random.Between(0, 200);
            const int fr = random.Below(2), fg = random.Below(2), fb = random.Below(2);
            const int shift = random.Between(-1, 9);
            const int index = random.Below(2) ? random.Below(10000) : 10000 - random.Between(1, 3000);
            const int counter = random.Below(3);
            const unsigned seed = static_cast<unsigned>(random.Next());
            const int op = round % 6;
            const Draw draw = [=](int, int, int, int, int, int, int) {
                elSystem::SeedRandom(seed);
                elDraw::NoiseCursor* cursor = nullptr;
                int* runCounter = nullptr;
                int result = 0;
                switch (op) {
                    case 0:
                        cursor = &elDraw::RiseNoise;
                        runCounter = &elDraw::RiseRunCounter;
                        cursor->index = index;
                        *runCounter = counter;
                        result = elDraw::ScreenRise(x, y, w, h);
                        break;
                    case 1:
                        cursor = &elDraw::RiseFadeNoise;
                        runCounter = &elDraw::RiseFadeRunCounter;
                        cursor->index = index;
                        *runCounter = counter;
                        result = elDraw::ScreenRiseFade(fr, fg, fb, x, y, w, h);
                        break;
                    case 2:
                        cursor = &elDraw::ScreenNoiseCursor;
                        cursor->index = index;
                        result = elDraw::ScreenNoise(shift, x, y, w, h);
                        break;
                    case 4:
                        return elDraw::ScreenBlur(x, y, w, h);
                    case 5:
                        return elDraw::ScreenBlurFade(fr, fg, fb, x, y, w, h);
                    default:
                        cursor = &elDraw::ScreenNoiseRGBCursor;
                        cursor->index = index;
                        result = elDraw::ScreenNoiseRGB(fr, fg, fb, shift, x, y, w, h);
                        break;
                }
                return result + 10 * cursor->index + 100000 * (runCounter ? *runCounter : 0);
            };
            const char* names[] = {"rise", "rise fade", "noise", "noise rgb", "blur", "blur fade"};
            ExpectSameAtEveryLevel(back, draw, 0, 0, 0, 0, 0, 0, 0,
                                   std::string(Name(format)) + " " + names[op] + " round " + std::to_string(round));
        }
    }
}

// The screen blur runs blocks of rows as a wavefront, each row some pixels
// behind the one above: heights around the block's edges (one to three
// rows, a block and one row more or less, two blocks), narrow regions (one
// and two pixels inside), regions cut at each side of the screen, and every
// combination of fade channels, each blur followed by a faded one over the
// rows it made, so a block also starts from buffers an earlier call left.
TEST_F(VectorRows, ScreenBlurMatchesThePlainLoopAtBlockEdges) {
    if (VectorLevels().empty()) GTEST_SKIP() << "no vector level in this build";
    constexpr int kWave = elDraw::kBlurWaveRows;
    const int heights[] = {3, 4, 5, kWave + 1, kWave + 2, kWave + 3, 2 * kWave + 1, 2 * kWave + 2, 2 * kWave + 3};
    const int widths[] = {3, 4, 5, 10, 19, 41};
    for (DisplayFormat format : {DisplayFormat::Rgb565, DisplayFormat::Rgb555}) {
        Reopen(format);
        Random random{format == DisplayFormat::Rgb565 ? 41u : 42u};
        std::vector<std::uint16_t> back = RandomScreen(random);
        int round = 0;
        for (const int h : heights) {
            for (const int w : widths) {
                // Inside, or cut at the left, top, right or bottom edge.
                const int side = round % 5;
                const int x = side == 1 ? -random.Between(1, 2) : side == 3 ? 800 - w + random.Between(1, 2)
                                                                            : random.Between(0, 700);
                const int y = side == 2 ? -random.Between(1, 2) : side == 4 ? 600 - h + random.Between(1, 2)
                                                                            : random.Between(0, 500);
                const int flags = round % 8;
                const int fr = flags & 1, fg = (flags >> 1) & 1, fb = (flags >> 2) & 1;
                const Draw draw = [=](int, int, int, int, int, int, int) {
                    return elDraw::ScreenBlur(x, y, w, h) + 2 * elDraw::ScreenBlurFade(fr, fg, fb, x + 1, y, w, h);
                };
                ExpectSameAtEveryLevel(back, draw, 0, 0, 0, 0, 0, 0, 0,
                                       std::string(Name(format)) + " blur " + std::to_string(w) + " x " +
                                           std::to_string(h) + " at " + std::to_string(x) + ", " +
                                           std::to_string(y) + " fade " + std::to_string(flags));
                ++round;
            }
        }
    }
}

}  // namespace
