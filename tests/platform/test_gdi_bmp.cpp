// BMP files in every layout Windows loads, made here byte by byte, loaded as
// drawing objects on the 5:6:5 screen and compared pixel by pixel; and
// damaged files, which are refused with the loader's message.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "platform/portable/headless_display.h"
#include "platform/portable/ddraw_pixels.h"
#include "support/draw_support.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// One BMP file. The pixel data are given as stored (rows or RLE codes).
struct Bmp {
    int header = 40;  // 12 (OS/2 core), 40, 108 (V4) or 124 (V5)
    int width = 1;
    int height = 1;   // negative: top-down
    int bits = 24;
    std::uint32_t compression = kRgb;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha: BI_BITFIELDS
    std::vector<COLORREF> palette;
    std::int64_t colorsUsed = -1;           // -1: the palette's size
    std::int64_t pixelOffset = -1;          // -1: right after the palette
    std::vector<std::uint8_t> data;

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> info;
        Put(info, static_cast<std::uint32_t>(header), 4);
        if (header == 12) {
            Put(info, static_cast<std::uint32_t>(width), 2);
            Put(info, static_cast<std::uint32_t>(height), 2);
            Put(info, 1, 2);
            Put(info, static_cast<std::uint32_t>(bits), 2);
        } else {
            Put(info, static_cast<std::uint32_t>(width), 4);
            Put(info, static_cast<std::uint32_t>(height), 4);
            Put(info, 1, 2);
            Put(info, static_cast<std::uint32_t>(bits), 2);
            Put(info, compression, 4);
            Put(info, data.size(), 4);
            Put(info, 2835, 4);
            Put(info, 2835, 4);
            Put(info, static_cast<std::uint64_t>(colorsUsed < 0 ? static_cast<std::int64_t>(palette.size()) : colorsUsed), 4);
            Put(info, 0, 4);
            if (header > 40) {
                for (std::uint32_t m : masks) Put(info, m, 4);
                Put(info, 0x73524742, 4);  // LCS_sRGB
                while (info.size() < static_cast<std::size_t>(header)) info.push_back(0);
            } else if (compression == kBitFields) {
                for (int i = 0; i < 3; ++i) Put(info, masks[i], 4);
            }
        }
        for (COLORREF c : palette) {
            info.push_back(static_cast<std::uint8_t>(c >> 16));
            info.push_back(static_cast<std::uint8_t>(c >> 8));
            info.push_back(static_cast<std::uint8_t>(c));
            if (header != 12) info.push_back(0);
        }
        std::vector<std::uint8_t> out = {'B', 'M'};
        std::uint64_t offset = pixelOffset < 0 ? 14 + info.size() : static_cast<std::uint64_t>(pixelOffset);
        Put(out, 14 + info.size() + data.size(), 4);
        Put(out, 0, 4);
        Put(out, offset, 4);
        out.insert(out.end(), info.begin(), info.end());
        while (out.size() < offset) out.push_back(0);
        out.insert(out.end(), data.begin(), data.end());
        return out;
    }
};

// Rows of raw pixel values as stored: y counts picture rows from the top;
// rows are written bottom row first unless topDown, each padded to 4 bytes.
std::vector<std::uint8_t> Rows(int width, int height, int bits, bool topDown,
                               const std::function<std::uint32_t(int, int)>& value) {
    std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    for (int i = 0; i < height; ++i) {
        int y = topDown ? i : height - 1 - i;
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            std::uint32_t v = value(x, y);
            if (bits < 8) {
                int bit = x * bits;
                int shift = 8 - bits - bit % 8;
                row[bit / 8] |= static_cast<std::uint8_t>(v << shift);
            } else {
                for (int b = 0; b < bits / 8; ++b)
                    row[static_cast<std::size_t>(x) * (bits / 8) + b] = static_cast<std::uint8_t>(v >> (8 * b));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A channel of n bits scaled to 8 (rounded down: 31 -> 255, 16 -> 131), as
// 16-bit pixels are read; the 5:6:5 screen then keeps the top bits, so a
// 5:5:5 green g becomes the 6-bit (g * 255 / 31) >> 2.
std::uint32_t Widen(std::uint32_t v, int n) { return v * 255 / ((1u << n) - 1); }

COLORREF From555(std::uint32_t p) {
    return RGB(static_cast<BYTE>(Widen((p >> 10) & 31, 5)), static_cast<BYTE>(Widen((p >> 5) & 31, 5)),
               static_cast<BYTE>(Widen(p & 31, 5)));
}

COLORREF From565(std::uint32_t p) {
    return RGB(static_cast<BYTE>(Widen((p >> 11) & 31, 5)), static_cast<BYTE>(Widen((p >> 5) & 63, 6)),
               static_cast<BYTE>(Widen(p & 31, 5)));
}

// Sixteen colours whose 5:6:5 forms differ.
const std::vector<COLORREF> kColours = {
    RGB(200, 10, 10), RGB(0, 0, 0),     RGB(255, 255, 255), RGB(0, 252, 0),
    RGB(0, 0, 248),   RGB(8, 4, 8),     RGB(123, 45, 67),   RGB(250, 128, 7),
    RGB(16, 32, 64),  RGB(64, 32, 16),  RGB(255, 0, 255),   RGB(1, 2, 3),
    RGB(90, 180, 30), RGB(30, 90, 180), RGB(180, 30, 90),   RGB(240, 240, 16)};

class BmpFormats : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
    }

    // Loads the file as an object and compares every pixel with the colour
    // expected there, converted as the 5:6:5 display converts colours.
    void ExpectLoads(const Bmp& bmp, const std::function<COLORREF(int, int)>& colour) {
        std::string name = "f" + std::to_string(files_++) + ".bmp";
        WriteFile(name, bmp.Bytes());
        int slot = elDraw::LoadObject(name.c_str(), 2);
        ASSERT_GT(slot, 0) << (hl::Boxes().empty() ? "" : hl::Boxes().back().text);
        const ObjectRecord& r = ObjectTable[slot];
        int height = bmp.height < 0 ? -bmp.height : bmp.height;
        ASSERT_EQ(r.width, bmp.width);
        ASSERT_EQ(r.height, height);
        portable::PixelView screen;  // 5:6:5
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < bmp.width; ++x) {
                std::uint32_t want = portable::PixelFromColorRef(screen, colour(x, y));
                std::uint32_t got = test::PixelAt(r.surface, x, y);
                if (got != want && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << got << " want " << want;
            }
        EXPECT_EQ(wrong, 0);
        elDraw::ReleaseObject(slot);
    }

    // asResource: also refused as a bitmap resource, which has no file header
    // (so no pixel offset of its own).
    void ExpectRefused(const std::vector<std::uint8_t>& bytes, const std::string& why, bool asResource = true) {
        std::string name = "bad" + std::to_string(files_++) + ".bmp";
        WriteFile(name, bytes);
        hl::ClearBoxes();
        EXPECT_EQ(elDraw::LoadObject(name.c_str(), 2), 0) << why;
        ASSERT_FALSE(hl::Boxes().empty()) << why;
        EXPECT_EQ(hl::Boxes().back().text, "elDraw::LoadObject : BMPファイルを読み込めません") << why;
        if (!asResource) return;
        hl::AddBitmapResource("bad", bytes);
        EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "bad", IMAGE_BITMAP, 0, 0, 0), nullptr) << why;
    }

    int files_ = 0;
};

// ---- Palette formats ------------------------------------------------------

TEST_F(BmpFormats, PalettedOneFourAndEightBitsInBothRowOrders) {
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        // Widths that leave bits over in the last byte and bytes of padding.
        Bmp one;
        one.width = 13;
        one.height = topDown ? -3 : 3;
        one.bits = 1;
        one.palette = {RGB(250, 128, 7), RGB(16, 32, 64)};
        auto oneBit = [](int x, int y) { return static_cast<std::uint32_t>((x * 3 + y) % 5 == 0); };
        one.data = Rows(13, 3, 1, topDown, oneBit);
        ExpectLoads(one, [&](int x, int y) { return one.palette[oneBit(x, y)]; });

        Bmp four;
        four.width = 7;
        four.height = topDown ? -4 : 4;
        four.bits = 4;
        four.palette = kColours;
        auto nibble = [](int x, int y) { return static_cast<std::uint32_t>((x + 7 * y) % 16); };
        four.data = Rows(7, 4, 4, topDown, nibble);
        ExpectLoads(four, [&](int x, int y) { return kColours[nibble(x, y)]; });

        // Eight bits with a full palette written but "0 colours used"
        // (meaning all 256), and with a short palette.
        Bmp eight;
        eight.width = 5;
        eight.height = topDown ? -3 : 3;
        eight.bits = 8;
        for (int i = 0; i < 256; ++i)
            eight.palette.push_back(RGB(static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7)));
        eight.colorsUsed = 0;
        auto index = [](int x, int y) { return static_cast<std::uint32_t>((x * 51 + y * 85) % 256); };
        eight.data = Rows(5, 3, 8, topDown, index);
        ExpectLoads(eight, [&](int x, int y) { return eight.palette[index(x, y)]; });

        Bmp few = eight;
        few.palette = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 255, 0)};
        few.colorsUsed = -1;
        auto small = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 3); };
        few.data = Rows(5, 3, 8, topDown, small);
        ExpectLoads(few, [&](int x, int y) { return few.palette[small(x, y)]; });
    }
}

TEST_F(BmpFormats, PixelsStartWhereTheFileHeaderSays) {
    // A gap between the palette and the pixels.
    Bmp gap;
    gap.width = 3;
    gap.height = 2;
    gap.bits = 8;
    gap.palette = {RGB(10, 200, 30), RGB(200, 10, 30)};
    gap.pixelOffset = 14 + 40 + 8 + 32;
    auto index = [](int x, int) { return static_cast<std::uint32_t>(x == 1); };
    gap.data = Rows(3, 2, 8, false, index);
    ExpectLoads(gap, [&](int x, int y) { return gap.palette[index(x, y)]; });
}

// ---- Direct colour ----------------------------------------------------------

TEST_F(BmpFormats, SixteenBitsFiveFiveFiveByDefaultAndFiveSixFiveByBitFields) {
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        auto value555 = [](int x, int y) {
            static const std::uint32_t v[] = {0x7FFF, 0x0000, 0x7C00, 0x03E0, 0x001F, 0x4210, 0x1234, 0x5A5A};
            return v[(x + 3 * y) % 8];
        };
        Bmp plain;
        plain.width = 5;  // odd: rows padded by two bytes
        plain.height = topDown ? -3 : 3;
        plain.bits = 16;
        plain.data = Rows(5, 3, 16, topDown, value555);
        ExpectLoads(plain, [&](int x, int y) { return From555(value555(x, y)); });

        // The same with the 5:5:5 masks spelt out.
        Bmp fields555 = plain;
        fields555.compression = kBitFields;
        fields555.masks[0] = 0x7C00;
        fields555.masks[1] = 0x03E0;
        fields555.masks[2] = 0x001F;
        ExpectLoads(fields555, [&](int x, int y) { return From555(value555(x, y)); });

        auto value565 = [](int x, int y) {
            static const std::uint32_t v[] = {0xFFFF, 0x0000, 0xF800, 0x07E0, 0x001F, 0x0820, 0x1234, 0xA5A5};
            return v[(x + 3 * y) % 8];
        };
        Bmp fields565 = plain;
        fields565.compression = kBitFields;
        fields565.masks[0] = 0xF800;
        fields565.masks[1] = 0x07E0;
        fields565.masks[2] = 0x001F;
        fields565.data = Rows(5, 3, 16, topDown, value565);
        // A 5:6:5 file keeps every bit on the 5:6:5 screen.
        ExpectLoads(fields565, [&](int x, int y) { return From565(value565(x, y)); });
    }
}

TEST_F(BmpFormats, TwentyFourAndThirtyTwoBitsWithAndWithoutBitFields) {
    auto colour = [](int x, int y) { return kColours[(x * 5 + y) % 16]; };
    auto bgr = [&](int x, int y) {
        COLORREF c = colour(x, y);
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);  // 0x00RRGGBB
    };
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        Bmp b24;
        b24.width = 7;
        b24.height = topDown ? -5 : 5;
        b24.bits = 24;
        b24.data = Rows(7, 5, 24, topDown, bgr);
        ExpectLoads(b24, colour);

        // 32 bits without bit fields: the top byte is not alpha for GDI;
        // whatever it holds, the colour stays.
        Bmp b32 = b24;
        b32.bits = 32;
        b32.data = Rows(7, 5, 32, topDown, [&](int x, int y) {
            return bgr(x, y) | (static_cast<std::uint32_t>((x * 40 + y * 9) & 0xFF) << 24);
        });
        ExpectLoads(b32, colour);

        // Bit fields in the usual order, and with red and blue swapped.
        Bmp fields = b32;
        fields.compression = kBitFields;
        fields.masks[0] = 0x00FF0000;
        fields.masks[1] = 0x0000FF00;
        fields.masks[2] = 0x000000FF;
        fields.data = Rows(7, 5, 32, topDown, bgr);
        ExpectLoads(fields, colour);
        Bmp swapped = fields;
        swapped.masks[0] = 0x000000FF;
        swapped.masks[2] = 0x00FF0000;
        swapped.data = Rows(7, 5, 32, topDown, [&](int x, int y) { return colour(x, y); });
        ExpectLoads(swapped, colour);
    }
}

// ---- Other headers -----------------------------------------------------------

TEST_F(BmpFormats, OsTwoCoreHeaderWithThreeBytePalettes) {
    Bmp eight;
    eight.header = 12;
    eight.width = 6;
    eight.height = 3;
    eight.bits = 8;
    for (int i = 0; i < 256; ++i) eight.palette.push_back(kColours[i % 16] ^ static_cast<COLORREF>(i));
    auto index = [](int x, int y) { return static_cast<std::uint32_t>(x * 40 + y); };
    eight.data = Rows(6, 3, 8, false, index);
    ExpectLoads(eight, [&](int x, int y) { return eight.palette[index(x, y)]; });

    Bmp four = eight;
    four.bits = 4;
    four.palette = kColours;
    auto nibble = [](int x, int y) { return static_cast<std::uint32_t>((x * 3 + y) % 16); };
    four.data = Rows(6, 3, 4, false, nibble);
    ExpectLoads(four, [&](int x, int y) { return kColours[nibble(x, y)]; });

    Bmp b24 = eight;
    b24.bits = 24;
    b24.palette.clear();
    b24.data = Rows(6, 3, 24, false, [](int x, int y) { return static_cast<std::uint32_t>(0x102030 * (x + 1) + y); });
    ExpectLoads(b24, [](int x, int y) {
        std::uint32_t v = static_cast<std::uint32_t>(0x102030 * (x + 1) + y);
        return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v));
    });
}

TEST_F(BmpFormats, VersionFourAndFiveHeaders) {
    auto value565 = [](int x, int y) { return static_cast<std::uint32_t>((x * 0x1111 + y * 0x0841) & 0xFFFF); };
    Bmp v4;
    v4.header = 108;
    v4.width = 4;
    v4.height = 3;
    v4.bits = 16;
    v4.compression = kBitFields;
    v4.masks[0] = 0xF800;
    v4.masks[1] = 0x07E0;
    v4.masks[2] = 0x001F;
    v4.data = Rows(4, 3, 16, false, value565);
    ExpectLoads(v4, [&](int x, int y) { return From565(value565(x, y)); });

    // Version 5, 32 bits with an alpha mask: GDI draws the colour whatever
    // the alpha.
    auto colour = [](int x, int y) { return kColours[(x + 4 * y) % 16]; };
    Bmp v5;
    v5.header = 124;
    v5.width = 4;
    v5.height = -3;
    v5.bits = 32;
    v5.compression = kBitFields;
    v5.masks[0] = 0x00FF0000;
    v5.masks[1] = 0x0000FF00;
    v5.masks[2] = 0x000000FF;
    v5.masks[3] = 0xFF000000;
    v5.data = Rows(4, 3, 32, true, [&](int x, int y) {
        COLORREF c = colour(x, y);
        std::uint32_t alpha = x == 0 ? 0u : 0x80u;
        return (alpha << 24) | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    });
    ExpectLoads(v5, colour);

    // Version 5 with an 8-bit palette.
    Bmp v5p;
    v5p.header = 124;
    v5p.width = 3;
    v5p.height = 2;
    v5p.bits = 8;
    v5p.palette = kColours;
    auto index = [](int x, int y) { return static_cast<std::uint32_t>(x * 5 + y); };
    v5p.data = Rows(3, 2, 8, false, index);
    ExpectLoads(v5p, [&](int x, int y) { return kColours[index(x, y)]; });
}

// ---- Run-length encoding -------------------------------------------------------

TEST_F(BmpFormats, RunLengthEightWithEveryEscape) {
    // 6 x 4, stored bottom row first. Pixels the codes skip keep index 0.
    Bmp rle;
    rle.width = 6;
    rle.height = 4;
    rle.bits = 8;
    rle.compression = kRle8;
    rle.palette = {RGB(90, 180, 30), kColours[0], kColours[2], kColours[3], kColours[4],
                   kColours[5], kColours[6], kColours[7], kColours[8], kColours[9], kColours[10]};
    rle.data = {
        3, 1,  0, 3, 2, 3, 4, 0,  0, 0,  // row 3: run of three 1s, absolute 2 3 4 (padded), end of line
        2, 5,  0, 2, 2, 1,               // row 2: run of two 5s, move right 2 and up 1
        2, 6,  0, 0,                     // row 1 from x = 4: run of two 6s, end of line
        0, 4, 7, 8, 9, 10,  0, 1,        // row 0: absolute 7 8 9 10, end of bitmap
    };
    const int picture[4][6] = {{7, 8, 9, 10, 0, 0}, {0, 0, 0, 0, 6, 6}, {5, 5, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}};
    ExpectLoads(rle, [&](int x, int y) { return rle.palette[static_cast<std::size_t>(picture[y][x])]; });
}

TEST_F(BmpFormats, RunLengthFourWithEveryEscape) {
    Bmp rle;
    rle.width = 5;
    rle.height = 4;
    rle.bits = 4;
    rle.compression = kRle4;
    rle.palette = kColours;
    rle.data = {
        5, 0x12,  0, 0,                        // row 3: 1 2 1 2 1, end of line
        0, 3, 0x34, 0x50,  0, 2, 1, 1,         // row 2: absolute 3 4 5 (two bytes), move right 1, up 1
        1, 0x60,  0, 0,                        // row 1 from x = 4: one 6, end of line
        0, 5, 0x9A, 0xBC, 0xD0, 0,  0, 1,      // row 0: absolute 9 10 11 12 13 (padded), end
    };
    const int picture[4][5] = {{9, 10, 11, 12, 13}, {0, 0, 0, 0, 6}, {3, 4, 5, 0, 0}, {1, 2, 1, 2, 1}};
    ExpectLoads(rle, [&](int x, int y) { return kColours[static_cast<std::size_t>(picture[y][x])]; });
}

TEST_F(BmpFormats, RunLengthWithoutEndOfBitmapAfterTheLastRowLoads) {
    Bmp rle;
    rle.width = 2;
    rle.height = 2;
    rle.bits = 8;
    rle.compression = kRle8;
    rle.palette = {kColours[0], kColours[1]};
    rle.data = {2, 1, 0, 0, 2, 0, 0, 0};  // two rows, each ended by end of line
    ExpectLoads(rle, [&](int, int y) { return rle.palette[y == 1 ? 1 : 0]; });
}

// ---- Damaged files -------------------------------------------------------------

TEST_F(BmpFormats, DamagedRunLengthCodesAreRefused) {
    Bmp base;
    base.width = 4;
    base.height = 2;
    base.bits = 8;
    base.compression = kRle8;
    base.palette = {kColours[0], kColours[1]};
    struct Case {
        const char* why;
        std::vector<std::uint8_t> codes;
    };
    const Case cases[] = {
        {"codes end in the first row", {4, 1, 0, 0, 2}},
        {"codes end before the last row", {4, 1, 0, 0}},
        {"codes end inside an absolute run", {0, 4, 1, 1}},
        {"escape without its second byte", {4, 1, 0}},
        {"delta without its offsets", {0, 2, 1}},
        {"run past the end of the row", {5, 1, 0, 1}},
        {"runs adding up past the row", {3, 1, 2, 1, 0, 1}},
        {"absolute run past the row", {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}},
        {"delta past the right edge", {0, 2, 5, 0, 0, 1}},
        {"delta past the top", {0, 2, 0, 2, 1, 1, 0, 1}},
        {"pixels after the last row", {0, 0, 0, 0, 1, 1, 0, 1}},
        {"no codes at all", {}},
    };
    for (const Case& c : cases) {
        Bmp bad = base;
        bad.data = c.codes;
        ExpectRefused(bad.Bytes(), c.why);
    }
    Bmp four = base;
    four.bits = 4;
    four.compression = kRle4;
    four.data = {5, 0x11, 0, 1};
    ExpectRefused(four.Bytes(), "four-bit run past the row");
    four.data = {0, 6, 0x11, 0x11, 0x11, 0, 0, 1};
    ExpectRefused(four.Bytes(), "four-bit absolute run past the row");

    // Run-length codes are defined bottom-up only, for their own depth.
    Bmp topDown = base;
    topDown.height = -2;
    topDown.data = {4, 1, 0, 0, 4, 1, 0, 1};
    ExpectRefused(topDown.Bytes(), "top-down run-length file");
    Bmp wrongDepth = base;
    wrongDepth.bits = 4;
    wrongDepth.data = {4, 1, 0, 0, 4, 1, 0, 1};
    ExpectRefused(wrongDepth.Bytes(), "RLE8 codes in a 4-bit file");
    wrongDepth.bits = 24;
    wrongDepth.palette.clear();
    ExpectRefused(wrongDepth.Bytes(), "RLE8 codes in a 24-bit file");
}

TEST_F(BmpFormats, SizesAndPalettesThatLieAreRefused) {
    Bmp eight;
    eight.width = 4;
    eight.height = 2;
    eight.bits = 8;
    eight.palette = {kColours[0], kColours[1]};
    eight.data = Rows(4, 2, 8, false, [](int, int) { return 1u; });

    Bmp lie = eight;
    lie.colorsUsed = 257;
    ExpectRefused(lie.Bytes(), "more colours than 8 bits can index");
    lie.colorsUsed = 0x7FFFFFFF;
    ExpectRefused(lie.Bytes(), "a palette far larger than the file");
    Bmp four = eight;
    four.bits = 4;
    four.colorsUsed = 17;
    four.data = Rows(4, 2, 4, false, [](int, int) { return 1u; });
    ExpectRefused(four.Bytes(), "more colours than 4 bits can index");
    lie = eight;
    lie.colorsUsed = 200;  // two given
    ExpectRefused(lie.Bytes(), "a palette of 200 colours in a 70-byte file");

    Bmp huge = eight;
    huge.width = 30000;
    huge.height = 30000;
    huge.compression = kRle8;
    huge.data = {0, 1};
    ExpectRefused(huge.Bytes(), "900 million pixels from a few bytes");
    huge.width = 100000;
    huge.height = 1;
    huge.compression = kRgb;
    huge.data.assign(100000, 1);
    ExpectRefused(huge.Bytes(), "wider than any object");
    Bmp rows = eight;
    rows.height = 3;  // the data hold two rows
    ExpectRefused(rows.Bytes(), "one row short");
    Bmp offset = eight;
    offset.pixelOffset = 5000;
    std::vector<std::uint8_t> bytes = offset.Bytes();
    bytes.resize(14 + 40 + 8 + 8);
    ExpectRefused(bytes, "pixels start past the end of the file", false);
    Bmp zero = eight;
    zero.width = 0;
    ExpectRefused(zero.Bytes(), "no width");
    zero = eight;
    zero.height = 0;
    ExpectRefused(zero.Bytes(), "no height");
}

TEST_F(BmpFormats, LayoutsWindowsDoesNotLoadAreRefused) {
    Bmp base;
    base.width = 2;
    base.height = 2;
    base.bits = 16;
    base.data = Rows(2, 2, 16, false, [](int, int) { return 0x7FFFu; });
    for (int bits : {0, 2, 3, 7, 48}) {
        Bmp odd = base;
        odd.bits = bits;
        ExpectRefused(odd.Bytes(), "bits per pixel " + std::to_string(bits));
    }
    Bmp fields = base;
    fields.compression = kBitFields;  // all masks zero
    ExpectRefused(fields.Bytes(), "bit fields without masks");
    fields.bits = 8;
    fields.masks[0] = 0xE0;
    fields.masks[1] = 0x1C;
    fields.masks[2] = 0x03;
    ExpectRefused(fields.Bytes(), "bit fields on an 8-bit file");
    for (std::uint32_t compression : {4u, 5u, 7u, 0x47504Au}) {
        Bmp packed = base;
        packed.compression = compression;
        ExpectRefused(packed.Bytes(), "compression " + std::to_string(compression));
    }
    Bmp header = base;
    header.header = 64;  // OS/2 2.x: not a Windows header
    ExpectRefused(header.Bytes(), "OS/2 2.x header");
    header.header = 20;
    ExpectRefused(header.Bytes(), "header of 20 bytes");
}

TEST_F(BmpFormats, RandomDamageIsRefusedOrDecodedNeverReadPastTheEnd) {
    // Valid files of several layouts, damaged at random (bytes changed,
    // tails cut off) and decoded from memory as bitmap resources; with the
    // sanitizers on, any read past the data fails the run.
    std::vector<std::vector<std::uint8_t>> files;
    Bmp rle;
    rle.width = 6;
    rle.height = 4;
    rle.bits = 8;
    rle.compression = kRle8;
    rle.palette = {kColours[0], kColours[1], kColours[2]};
    rle.data = {3, 1, 0, 3, 2, 1, 2, 0, 0, 0, 2, 2, 0, 2, 2, 1, 2, 1, 0, 0, 0, 4, 1, 2, 1, 2, 0, 1};
    files.push_back(rle.Bytes());
    Bmp rle4 = rle;
    rle4.bits = 4;
    rle4.compression = kRle4;
    rle4.data = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 1, 1, 0x60, 0, 0, 0, 5, 0x9A, 0xBC, 0xD0, 0, 0, 1};
    files.push_back(rle4.Bytes());
    Bmp fields;
    fields.width = 5;
    fields.height = -3;
    fields.bits = 16;
    fields.compression = kBitFields;
    fields.masks[0] = 0xF800;
    fields.masks[1] = 0x07E0;
    fields.masks[2] = 0x001F;
    fields.data = Rows(5, 3, 16, true, [](int x, int y) { return static_cast<std::uint32_t>(x * 999 + y); });
    files.push_back(fields.Bytes());
    Bmp core;
    core.header = 12;
    core.width = 9;
    core.height = 2;
    core.bits = 4;
    core.palette = kColours;
    core.data = Rows(9, 2, 4, false, [](int x, int) { return static_cast<std::uint32_t>(x); });
    files.push_back(core.Bytes());

    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    int decoded = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = files[static_cast<std::size_t>(round) % files.size()];
        int changes = 1 + static_cast<int>(next() % 4);
        for (int i = 0; i < changes; ++i) bytes[next() % bytes.size()] = static_cast<std::uint8_t>(next());
        if (next() % 3 == 0) bytes.resize(next() % bytes.size());
        hl::AddBitmapResource("fuzz", bytes);
        HGDIOBJ bitmap = LoadImageA(GetModuleHandleA(nullptr), "fuzz", IMAGE_BITMAP, 0, 0, 0);
        if (!bitmap) {
            ++refused;
            continue;
        }
        ++decoded;
        BITMAP info{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_GT(info.bmWidth, 0);
        EXPECT_GT(info.bmHeight, 0);
        EXPECT_LE(static_cast<std::int64_t>(info.bmWidth) * info.bmHeight, std::int64_t{1} << 26);
        EXPECT_TRUE(DeleteObject(bitmap));
    }
    // Both outcomes happen: the damage is neither always fatal nor ignored.
    EXPECT_GT(decoded, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
