// Effects that rework a region of the back surface in place: the rising
// smoke, the blur, the 2x and 4x magnifications through the Buffer object,
// the mosaic circle and the additive noise. All work on 5-bit channels.
//
// Regions are cut to the back surface before any pixel is touched, so a
// caller's region that reaches past an edge never reads or writes outside it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "draw/effects/elEffects.h"
#include "draw/effects/vector_rows.h"
#include "system/random.h"

namespace elDraw {

NoiseCursor RiseNoise, RiseFadeNoise, ScreenNoiseCursor, ScreenNoiseRGBCursor;
int RiseRunCounter = 0;
int RiseFadeRunCounter = 0;

namespace {

// Which 5-bit channels an effect lowers or touches.
struct ChannelFlags {
    bool red = false, green = false, blue = false;
};

// The average of the four neighbours of p (left, right, above, below), each
// 5-bit channel summed and shifted right by 2, optionally faded by 1.
inline std::uint16_t NeighbourAverage(const std::uint16_t* p, std::ptrdiff_t pitch,
                                      const ChannelFlags* fade) {
    const std::uint8_t* l = PixelSplitTable[p[-1]];
    const std::uint8_t* r = PixelSplitTable[p[1]];
    const std::uint8_t* u = PixelSplitTable[p[-pitch]];
    const std::uint8_t* d = PixelSplitTable[p[pitch]];
    unsigned red = static_cast<unsigned>(l[0] + r[0] + u[0] + d[0]) >> 2;
    unsigned green = static_cast<unsigned>(l[1] + r[1] + u[1] + d[1]) >> 2;
    unsigned blue = static_cast<unsigned>(l[2] + r[2] + u[2] + d[2]) >> 2;
    if (fade) {
        if (fade->red && red) --red;
        if (fade->green && green) --green;
        if (fade->blue && blue) --blue;
    }
    return Pack5(red, green, blue);
}

// Whether a pixel at squared distance s from the centre lies in the circle:
// trunc(sqrt(s)) < radius, with the square root at double precision. Inside
// the screen s stays far below 2^52, where that is exactly s < radius^2;
// the root is taken only near the rim, where the two could differ.
inline bool InsideCircle(std::int64_t s, std::int64_t radius) {
    const std::int64_t square = radius * radius;
    if (s < square - 2 * radius || s > square + 2 * radius) return s < square;
    return static_cast<std::int64_t>(std::sqrt(static_cast<double>(s))) < radius;
}

// Whether (ox, oy) from the centre lies inside the circle. Offsets up to
// 2^31 each keep the square sum below 2^63.
bool InsideAt(std::int64_t ox, std::int64_t oy, std::int64_t radius) {
    return InsideCircle(ox * ox + oy * oy, radius);
}

// The largest |ox| inside the circle on the row oy from the centre, or -1
// when no pixel of the row is. The test only grows with ox^2 + oy^2, so
// each row's inside is one interval around the centre; the root guesses
// it and the test itself settles the last step.
std::int64_t HalfChord(std::int64_t oy, std::int64_t radius) {
    if (oy < -radius || oy > radius) return -1;
    const std::int64_t rest = radius * radius - oy * oy;
    auto half = static_cast<std::int64_t>(std::sqrt(static_cast<double>(rest)));
    while (InsideAt(half + 1, oy, radius)) ++half;
    while (half >= 0 && !InsideAt(half, oy, radius)) --half;
    return half;
}

std::vector<std::uint16_t> MosaicBand;  // one band of blocks, a colour per column

// The back surface, locked for a region effect; false (nothing locked) when
// there is no back surface or the lock fails.
bool LockBack(LockedPixels& back) { return BackSurface && LockPixels(BackSurface, back); }

// Row buffers of the vector passes, kept between calls.
std::vector<std::uint8_t> RowChoices;

// The channel bits of RowParams::channels.
std::uint16_t ChannelBits(const ChannelFlags& flags) {
    return static_cast<std::uint16_t>((flags.red ? 1 : 0) | (flags.green ? 2 : 0) | (flags.blue ? 4 : 0));
}

// The rise's choices for the whole noise table read from entry 0, each
// entry starting a fresh run (counter 0): entry e gives e - 1 averaging
// visits (1) and then one copying visit (0). A row's choices are then a
// piece of this list. Rebuilt when the table changes.
struct RisePattern {
    std::vector<std::uint8_t> table;    // the noise table it was made from
    std::vector<std::uint8_t> visits;   // the choices
    std::vector<int> start;             // first visit of each entry, and the total
    std::vector<std::uint16_t> entryOf; // the entry of each visit

    void Update() {
        if (table.size() == 10000 && std::equal(table.begin(), table.end(), NoiseTable)) return;
        table.assign(NoiseTable, NoiseTable + 10000);
        visits.clear();
        entryOf.clear();
        start.resize(10001);
        for (int k = 0; k < 10000; ++k) {
            start[static_cast<std::size_t>(k)] = static_cast<int>(visits.size());
            const int averages = std::max(NoiseTable[k] - 1, 0);
            visits.insert(visits.end(), static_cast<std::size_t>(averages), std::uint8_t{1});
            visits.push_back(0);
            entryOf.insert(entryOf.end(), static_cast<std::size_t>(averages) + 1, static_cast<std::uint16_t>(k));
        }
        start[10000] = static_cast<int>(visits.size());
    }
};
RisePattern Pattern;

// Which of `count` visits of the rise average (1) and which copy (0), as
// the run counter and the noise cursor decide; both move on as the visits
// would move them. The choice does not depend on the pixels, so a whole row
// is chosen first and then drawn by the vector row.
void ChooseRiseRow(std::uint8_t* average, int count, NoiseCursor& cursor, int& runCounter) {
    int i = 0;
    int index = cursor.index, counter = runCounter;
    while (i < count) {
        if (counter != 0) {
            // A run carried over: one visit at a time, the counter raised
            // first and averaging while below the entry.
            if (++counter < NoiseTable[index]) {
                average[i++] = 1;
            } else {
                average[i++] = 0;
                counter = 0;
                index = index == 9999 ? elSystem::Random() % 1000 : index + 1;
            }
            continue;
        }
        const int first = Pattern.start[static_cast<std::size_t>(index)];
        const int take = std::min(count - i, Pattern.start[10000] - first);
        std::copy_n(Pattern.visits.begin() + first, take, average + i);
        i += take;
        const int end = first + take;
        if (end == Pattern.start[10000]) {
            // The last entry's copy was taken: the cursor restarts.
            index = elSystem::Random() % 1000;
            continue;
        }
        const int entry = Pattern.entryOf[static_cast<std::size_t>(end - 1)];
        if (Pattern.visits[static_cast<std::size_t>(end - 1)] == 0) {
            index = entry + 1;
        } else {
            index = entry;
            counter = end - Pattern.start[static_cast<std::size_t>(entry)];
        }
    }
    cursor.index = index;
    runCounter = counter;
}

void VectorRise(const EffectKernels& kernels, const LockedPixels& back, Span columns, Span rows,
                const ChannelFlags* fade, NoiseCursor& cursor, int& runCounter) {
    RowParams params = LayoutParams();
    params.channels = fade ? ChannelBits(*fade) : 0;
    const int inner = columns.size() - 2;
    RowChoices.resize(static_cast<std::size_t>(inner));
    if (cursor.index < 0 || cursor.index > 9999) cursor.index = 0;
    Pattern.Update();
    for (int j = 2; j < rows.size(); ++j) {
        std::uint16_t* below = back.Row(rows.first + j) + columns.first + 1;
        ChooseRiseRow(RowChoices.data(), inner, cursor, runCounter);
        kernels.riseRow(below - back.pitch, below, back.pitch, RowChoices.data(), inner, params);
    }
}

// The next `count` noise values of the cursor, in order.
void TakeNoise(std::uint8_t* out, int count, NoiseCursor& cursor) {
    if (cursor.index < 0 || cursor.index > 9999) cursor.index = 0;
    while (count > 0) {
        const int run = std::min(count, 10000 - cursor.index);
        std::copy(NoiseTable + cursor.index, NoiseTable + cursor.index + run, out);
        out += run;
        count -= run;
        cursor.index += run - 1;
        cursor.Next();  // the last value of the run: moves on, or restarts after entry 9999
    }
}

int Rise(int x, int y, int width, int height, const ChannelFlags* fade, NoiseCursor& cursor,
         int& runCounter) {
    if (width <= 0 || height <= 0) return 1;
    LockedPixels back;
    if (!LockBack(back)) return 0;
    // The rise reads the row below the region, so the region may reach at
    // most to the second-last row of the surface.
    const Span columns = CutSpan(x, width, back.width);
    const Span rows = CutSpan(y, height, back.height - 1);
    if (const EffectKernels* kernels = VectorEffects(); kernels && columns.size() > 2) {
        VectorRise(*kernels, back, columns, rows, fade, cursor, runCounter);
        UnlockPixels(back);
        return 1;
    }
    for (int j = 2; j < rows.size(); ++j) {
        std::uint16_t* below = back.Row(rows.first + j) + columns.first;
        std::uint16_t* target = below - back.pitch;
        for (int i = 1; i < columns.size() - 1; ++i) {
            ++runCounter;
            if (runCounter < NoiseTable[cursor.index]) {
                target[i] = NeighbourAverage(below + i, back.pitch, fade);
            } else {
                target[i] = below[i];
                runCounter = 0;
                cursor.Next();
            }
        }
    }
    UnlockPixels(back);
    return 1;
}

std::vector<std::uint32_t> BlurRows, BlurAbove;

// The in-place blur with the vector rows. Each pixel is (left + right + up +
// down) / 4 per 5-bit channel, the left and upper ones already written: a
// chain along the row and down the column. Blocks of kBlurWaveRows rows run
// as a wavefront (see EffectKernels::blurWave), each row one pixel behind
// the row above, on the three channels held in the fields of one word; the
// rows are turned into fields before and packed back after.
void VectorBlur(const EffectKernels& kernels, const LockedPixels& back, Span columns, Span rows,
                const ChannelFlags* fade) {
    const RowParams params = LayoutParams();
    const int inner = columns.size() - 2;
    const int steps = inner + kBlurWaveRows - 1;  // the last row starts kBlurWaveRows - 1 steps late
    // Row r of a block starts its fields at entry r; the wavefront reads
    // whole vectors past the last step.
    const std::ptrdiff_t wavePitch = (steps + 2 + 2 * kMaxLanes - 1) / kMaxLanes * kMaxLanes;
    // Entries no row writes keep fields of earlier pixels, below 32 each,
    // as the wavefront needs (zeros at first).
    const auto size = static_cast<std::size_t>((kBlurWaveRows + 1) * wavePitch);
    if (BlurRows.size() < size) BlurRows.assign(size, 0);
    if (BlurAbove.size() < static_cast<std::size_t>(wavePitch)) BlurAbove.assign(static_cast<std::size_t>(wavePitch), 0);
    const std::uint32_t fadeBits = fade ? ((fade->red ? 1u << kFieldShift[0] : 0u) |
                                           (fade->green ? 1u << kFieldShift[1] : 0u) |
                                           (fade->blue ? 1u << kFieldShift[2] : 0u))
                                        : 0u;
    const std::ptrdiff_t pitch = back.pitch;
    std::uint32_t* const fields = BlurRows.data();
    for (int j = 1; j < rows.size() - 1; j += kBlurWaveRows) {
        const int count = std::min(kBlurWaveRows, rows.size() - 1 - j);
        std::uint16_t* const first = back.Row(rows.first + j) + columns.first;
        kernels.pixelFields(BlurAbove.data(), first - pitch, columns.size(), params);
        // The block's rows and the row under it.
        for (int r = 0; r <= count; ++r)
            kernels.pixelFields(fields + r * wavePitch + r, first + r * pitch, columns.size(), params);
        kernels.blurWave(fields, wavePitch, BlurAbove.data(), steps, fadeBits);
        for (int r = 0; r < count; ++r)
            kernels.packFields(first + r * pitch + 1, fields + r * wavePitch + r, inner, params);
    }
}

int Blur(int x, int y, int width, int height, const ChannelFlags* fade) {
    if (width <= 0 || height <= 0) return 1;
    LockedPixels back;
    if (!LockBack(back)) return 0;
    const Span columns = CutSpan(x, width, back.width);
    const Span rows = CutSpan(y, height, back.height);
    // Strips of fewer than four inner rows go the plain way: the wavefront
    // runs a whole block of lanes whatever the rows, and that cost more
    // than the plain loop for them (5.7 against 1.7 us for one row of 800).
    constexpr int kFewestWaveRows = 4;
    if (const EffectKernels* kernels = VectorEffects();
        kernels && columns.size() > 2 && rows.size() - 2 >= kFewestWaveRows) {
        VectorBlur(*kernels, back, columns, rows, fade);
        UnlockPixels(back);
        return 1;
    }
    const std::ptrdiff_t pitch = back.pitch;
    for (int j = 1; j < rows.size() - 1; ++j) {
        std::uint16_t* row = back.Row(rows.first + j) + columns.first;
        // The left neighbour is the pixel just written: its channels are
        // carried over rather than read back through the table.
        const std::uint8_t* first = PixelSplitTable[row[0]];
        unsigned leftRed = first[0], leftGreen = first[1], leftBlue = first[2];
        for (int i = 1; i < columns.size() - 1; ++i) {
            const std::uint8_t* r = PixelSplitTable[row[i + 1]];
            const std::uint8_t* u = PixelSplitTable[row[i - pitch]];
            const std::uint8_t* d = PixelSplitTable[row[i + pitch]];
            unsigned red = (leftRed + r[0] + u[0] + d[0]) >> 2;
            unsigned green = (leftGreen + r[1] + u[1] + d[1]) >> 2;
            unsigned blue = (leftBlue + r[2] + u[2] + d[2]) >> 2;
            if (fade) {
                if (fade->red && red) --red;
                if (fade->green && green) --green;
                if (fade->blue && blue) --blue;
            }
            row[i] = Pack5(red, green, blue);
            leftRed = red;
            leftGreen = green;
            leftBlue = blue;
        }
    }
    UnlockPixels(back);
    return 1;
}

// Fills Buffer blocks of factor x factor pixels from the back surface region
// and draws them solid at the region's corner. A block lands where it would
// for the whole region (block i at factor * i), so only the blocks whose
// source pixel and whose Buffer cells exist are made and drawn; each
// surface is addressed with its own pitch. `dot` is the side of the square
// written per block.
int Zoom(int x, int y, int width, int height, int factor, int dot) {
    if (width <= 0 || height <= 0) return 1;
    plat::IDirectDrawSurface* bufferSurface = ObjectSurface(0);
    if (!bufferSurface || !BackSurface) return 0;
    LockedPixels buffer;
    if (!LockPixels(bufferSurface, buffer)) return 0;
    LockedPixels back;
    if (!LockBack(back)) {
        UnlockPixels(buffer);
        return 0;
    }
    // Source columns i with x + i on the surface and factor * i + factor
    // within the Buffer; the same for rows.
    const Span sourceColumns = CutSpan(x, width, back.width);
    const Span sourceRows = CutSpan(y, height, back.height);
    const std::int64_t i0 = sourceColumns.first - static_cast<std::int64_t>(x);
    const std::int64_t j0 = sourceRows.first - static_cast<std::int64_t>(y);
    const std::int64_t i1 = std::min<std::int64_t>(i0 + sourceColumns.size(), buffer.width / factor);
    const std::int64_t j1 = std::min<std::int64_t>(j0 + sourceRows.size(), buffer.height / factor);
    for (std::int64_t j = j0; j < j1; ++j) {
        const std::uint16_t* source = back.Row(y + j);
        if (i1 <= i0) break;  // no column of the region has a block
        if (dot == factor && (factor == 2 || factor == 4)) {
            // Whole blocks: the row is widened once, each pixel stored as one
            // word of factor copies, and copied down the block.
            std::uint16_t* first = buffer.Row(factor * j) + factor * i0;
            const std::uint16_t* from = source + x + i0;
            const std::int64_t count = i1 - i0;
            if (factor == 2) {
                for (std::int64_t i = 0; i < count; ++i) {
                    const std::uint32_t two = from[i] * 0x10001u;
                    std::memcpy(first + 2 * i, &two, sizeof two);
                }
            } else {
                for (std::int64_t i = 0; i < count; ++i) {
                    const std::uint64_t four = from[i] * 0x0001000100010001ull;
                    std::memcpy(first + 4 * i, &four, sizeof four);
                }
            }
            for (int b = 1; b < factor; ++b)
                std::memcpy(buffer.Row(factor * j + b) + factor * i0, first,
                            static_cast<std::size_t>(count * factor) * sizeof(std::uint16_t));
            continue;
        }
        for (int b = 0; b < dot; ++b) {
            std::uint16_t* out = buffer.Row(factor * j + b);
            for (std::int64_t i = i0; i < i1; ++i) {
                const std::uint16_t p = source[x + i];
                std::uint16_t* block = out + factor * i;
                for (int a = 0; a < dot; ++a) block[a] = p;
            }
        }
    }
    UnlockPixels(buffer);
    UnlockPixels(back);
    if (i1 > i0 && j1 > j0) {
        DrawSolid(static_cast<int>(x + factor * i0), static_cast<int>(y + factor * j0), 0,
                  static_cast<int>(factor * i0), static_cast<int>(factor * j0),
                  static_cast<int>(factor * i1), static_cast<int>(factor * j1));
    }
    return 1;
}

int Noise(const ChannelFlags& channels, int shift, int x, int y, int width, int height,
          NoiseCursor& cursor) {
    if (width <= 0 || height <= 0) return 1;
    LockedPixels back;
    if (!LockBack(back)) return 0;
    // Noise values are 0-2: from a shift of 5 on every non-zero value
    // saturates, so larger shifts are the same as 8 and a negative one adds
    // the values as they are.
    const int bits = std::clamp(shift, 0, 8);
    const Span columns = CutSpan(x, width, back.width);
    const Span rows = CutSpan(y, height, back.height);
    if (const EffectKernels* kernels = VectorEffects(); kernels && columns.size() > 0) {
        RowParams params = LayoutParams();
        params.level[0] = static_cast<std::uint16_t>(bits);
        params.channels = ChannelBits(channels);
        RowChoices.resize(static_cast<std::size_t>(columns.size()));
        for (int j = rows.first; j < rows.end; ++j) {
            TakeNoise(RowChoices.data(), columns.size(), cursor);
            kernels->noiseRow(back.Row(j) + columns.first, RowChoices.data(), columns.size(), params);
        }
        UnlockPixels(back);
        return 1;
    }
    for (int j = rows.first; j < rows.end; ++j) {
        std::uint16_t* row = back.Row(j);
        for (int i = columns.first; i < columns.end; ++i) {
            const unsigned n = static_cast<unsigned>(cursor.Next()) << bits;
            const std::uint8_t* c = PixelSplitTable[row[i]];
            const unsigned red = channels.red ? std::min(31u, c[0] + n) : c[0];
            const unsigned green = channels.green ? std::min(31u, c[1] + n) : c[1];
            const unsigned blue = channels.blue ? std::min(31u, c[2] + n) : c[2];
            row[i] = Pack5(red, green, blue);
        }
    }
    UnlockPixels(back);
    return 1;
}

}  // namespace

int ScreenRise(int x, int y, int width, int height) {
    return Rise(x, y, width, height, nullptr, RiseNoise, RiseRunCounter);
}

int ScreenRiseFade(int red, int green, int blue, int x, int y, int width, int height) {
    const ChannelFlags fade{red != 0, green != 0, blue != 0};
    return Rise(x, y, width, height, &fade, RiseFadeNoise, RiseFadeRunCounter);
}

int ScreenBlur(int x, int y, int width, int height) { return Blur(x, y, width, height, nullptr); }

int ScreenBlurFade(int red, int green, int blue, int x, int y, int width, int height) {
    const ChannelFlags fade{red != 0, green != 0, blue != 0};
    return Blur(x, y, width, height, &fade);
}

int ScreenZoom2(int x, int y, int width, int height, int dotted) {
    return Zoom(x, y, width, height, 2, dotted ? 1 : 2);
}

int ScreenZoom4(int x, int y, int width, int height, int dotted) {
    return Zoom(x, y, width, height, 4, dotted ? 2 : 4);
}

int ScreenMosaicCircle(int cx, int cy, int radius, int block) {
    // A block below 1 would never advance; a radius of 0 or less has no pixel.
    if (block < 1 || radius <= 0) return 1;
    LockedPixels back;
    if (!LockBack(back)) return 0;
    // Offsets from the centre, cut to the screen (and to the surface, should
    // it be smaller than the screen size).
    const std::int64_t screenWidth = std::min(ScreenWidth, back.width);
    const std::int64_t screenHeight = std::min(ScreenHeight, back.height);
    const std::int64_t r = radius;
    std::int64_t firstX = -r, endX = r, firstY = -r, endY = r;
    if (cx - r < 0) firstX = -static_cast<std::int64_t>(cx);
    if (cx + r >= screenWidth) endX = screenWidth - cx;
    if (cy - r < 0) firstY = -static_cast<std::int64_t>(cy);
    if (cy + r >= screenHeight) endY = screenHeight - cy;
    // Each block takes the colour of its top-left pixel before any of it is
    // written. Blocks do not overlap, so a band of blocks is laid out once
    // as a row of their colours, read before the band is written, and each
    // of the band's rows copies that row over its chord of the circle.
    MosaicBand.resize(static_cast<std::size_t>(screenWidth));
    std::uint16_t* const band = MosaicBand.data();
    for (std::int64_t dy = firstY; dy < endY; dy += block) {
        const std::int64_t top = cy + dy;
        const std::int64_t blockHeight = top + block >= screenHeight ? screenHeight - top : block;
        std::int64_t bandEnd = cx + firstX;  // one past the band's last column
        for (std::int64_t dx = firstX; dx < endX; dx += block) {
            const std::int64_t left = cx + dx;
            bandEnd = left + block >= screenWidth ? screenWidth : left + block;
            std::fill(band + left, band + bandEnd, back.Row(top)[left]);
        }
        for (std::int64_t b = 0; b < blockHeight; ++b) {
            const std::int64_t half = HalfChord(dy + b, r);
            const std::int64_t from = std::max(cx + firstX, cx - half), to = std::min(bandEnd, cx + half + 1);
            if (from < to)
                std::memcpy(back.Row(top + b) + from, band + from, static_cast<std::size_t>(to - from) * 2);
        }
    }
    UnlockPixels(back);
    return 1;
}

int ScreenNoise(int shift, int x, int y, int width, int height) {
    return Noise(ChannelFlags{true, true, true}, shift, x, y, width, height, ScreenNoiseCursor);
}

int ScreenNoiseRGB(int red, int green, int blue, int shift, int x, int y, int width, int height) {
    return Noise(ChannelFlags{red != 0, green != 0, blue != 0}, shift, x, y, width, height,
                 ScreenNoiseRGBCursor);
}

}  // namespace elDraw
