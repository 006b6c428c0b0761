// Bitmap packs: the bytes the converter writes, lookups by name, refills,
// restore after surface loss, and packs that are cut short or lie about
// their sizes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "draw/pack_format.h"
#include "platform/display.h"
#include "platform/portable/headless.h"
#include "platform/portable/headless_display.h"
#include "support/draw_support.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

constexpr const char* kNoPack = "elDraw::LoadPack : パックファイル名が指定されていません";
constexpr const char* kNoEntry = "elDraw::LoadPack : BMPファイルを読み込めません";

class DrawPacks : public test::DrawTest {
protected:
    void TearDown() override {
        test::DrawTest::TearDown();
        SetDisplayFormat(DisplayFormat::Rgb565);
        hl::SetDisplayDepth(0);
    }
    // A display deep enough for the converter.
    void StartFullColour() {
        SetDisplayFormat(DisplayFormat::Xrgb8888);
        elDraw::SetDepths(32, 0, 0);
        StartWithScreen();
    }
    std::vector<std::uint8_t> Read(const std::string& name) {
        std::ifstream in(folder_ + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // A pack of the given pictures, written as the converter writes them.
    void WritePack(const std::string& file, const std::vector<std::pair<std::string, test::Picture>>& pictures) {
        std::vector<std::uint8_t> bytes;
        for (const auto& [name, p] : pictures) {
            std::vector<std::uint16_t> pixels;
            for (std::uint32_t c : p.colours) pixels.push_back(elDraw::pack::ColourToPixel(c));
            elDraw::pack::AppendEntry(bytes, name, p.width, p.height, pixels);
        }
        WriteFile(file, bytes);
    }
    std::string Boxes() const {
        std::string all;
        for (const auto& b : hl::Boxes()) all += b.text + "\n";
        return all;
    }
};

TEST_F(DrawPacks, ConverterWritesFifteenBitEntriesThatNeverTurnIntoTheKey) {
    StartFullColour();
    test::Picture a(2, 1);
    a.at(1, 0) = RGB(8, 16, 24);
    WriteFile("IN/A.BMP", test::Bmp24(a));
    test::Picture b(1, 1, RGB(7, 7, 7));
    WriteFile("IN/b.bmp", test::Bmp24(b));
    WriteFile("IN/NOTES.TXT", {1, 2, 3});
    ASSERT_EQ(elDraw::Convert("P.PAK", "IN", 1), 1);
    const std::vector<std::uint8_t> expected = {
        2, 0, 1, 0, 'A', '.', 'B', 'M', 'P', 0, 0x00, 0x00, 0x43, 0x04,  // black, then r1 g2 b3
        1, 0, 1, 0, 'B', '.', 'B', 'M', 'P', 0, 0x01, 0x00};            // near-black stays opaque
    EXPECT_EQ(Read("P.PAK"), expected);
    EXPECT_EQ(Boxes(), "");
    EXPECT_FALSE(std::ifstream(folder_ + "P.PAK.tmp").good());
}

TEST_F(DrawPacks, ConverterAppendsUnlessToldToDeleteAndTheOlderEntryWins) {
    StartFullColour();
    WriteFile("IN/WAKU.BMP", test::Bmp24(test::Picture(1, 1, RGB(255, 0, 0))));
    ASSERT_EQ(elDraw::Convert("P.PAK", "IN", 1), 1);
    WriteFile("IN/WAKU.BMP", test::Bmp24(test::Picture(1, 1, RGB(0, 0, 255))));
    ASSERT_EQ(elDraw::Convert("P.PAK", "IN", 0), 1);
    EXPECT_EQ(Read("P.PAK").size(), 2u * (4 + 9 + 2));
    elDraw::SetPackFile("P.PAK");
    int slot = elDraw::LoadPack("waku.bmp", 2);
    ASSERT_NE(slot, 0);
    EXPECT_EQ(test::PixelAt(ObjectTable[slot].surface, 0, 0), 0xFF0000u);  // the first, red entry
    // Deleting first leaves only the new entry.
    ASSERT_EQ(elDraw::Convert("P.PAK", "IN", 1), 1);
    EXPECT_EQ(Read("P.PAK").size(), 4u + 9 + 2);
}

TEST_F(DrawPacks, ConverterRefusesA16BitDisplayAndSkipsFilesItCannotRead) {
    StartWithScreen();
    WriteFile("IN/A.BMP", test::Bmp24(test::Picture(1, 1, RGB(255, 255, 255))));
    EXPECT_EQ(elDraw::Convert("P.PAK", "IN", 1), 0);
    EXPECT_EQ(Boxes(), "elDraw::Convert : 画面をフルカラーにして下さい\n");
    EXPECT_FALSE(std::ifstream(folder_ + "P.PAK").good());

    hl::ClearBoxes();
    hl::SetDisplayDepth(32);
    WriteFile("IN/BROKEN.BMP", {'B', 'M', 0, 0});
    WriteFile("IN/Z.BMP", test::Bmp24(test::Picture(1, 1, RGB(255, 255, 255))));
    EXPECT_EQ(elDraw::Convert("P.PAK", "IN", 1), 1);
    std::vector<elDraw::pack::Entry> entries;
    std::string problem;
    std::vector<std::uint8_t> bytes = Read("P.PAK");
    ASSERT_TRUE(elDraw::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem)) << problem;
    ASSERT_EQ(entries.size(), 2u);  // no entry for the file that could not be read
    EXPECT_EQ(entries[0].name, "A.BMP");
    EXPECT_EQ(entries[1].name, "Z.BMP");
    EXPECT_NE(Boxes().find("elDraw::LoadObject"), std::string::npos);
    // A free object table afterwards: the converter's objects were let go.
    EXPECT_EQ(elDraw::CreateObject(1, 1, 2), 4);
}

TEST_F(DrawPacks, LoadFindsNamesInAnyCaseAndFillsTheRecord) {
    StartWithScreen();
    EXPECT_EQ(elDraw::LoadPack("WAKU.BMP", 2), 0);
    EXPECT_EQ(Boxes(), std::string(kNoPack) + "\n");
    hl::ClearBoxes();

    test::Picture frame(3, 2, RGB(255, 255, 255));
    frame.at(0, 0) = 0;
    frame.at(2, 1) = RGB(8, 16, 24);
    WritePack("G.PAK", {{"M_CP.BMP", test::Picture(1, 1, RGB(0, 255, 0))}, {"WAKU.BMP", frame}});
    elDraw::SetPackFile("G.PAK");
    int slot = elDraw::LoadPack("waku.bmp", 1);
    ASSERT_EQ(slot, 4);
    const ObjectRecord& r = ObjectTable[slot];
    EXPECT_STREQ(r.name, "WAKU.BMP");
    EXPECT_EQ(r.fromPack, 1);
    EXPECT_EQ(r.reloadMemory, 2);
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(test::PixelAt(r.surface, 0, 0), 0u);
    EXPECT_EQ(test::PixelAt(r.surface, 1, 0), 0xFFDFu);  // 31 << 11 | 31 << 6 | 31
    EXPECT_EQ(test::PixelAt(r.surface, 2, 1), (1u << 11) | (2u << 6) | 3u);
    // The staging object is gone again.
    EXPECT_EQ(elDraw::CreateObject(1, 1, 2), 5);

    EXPECT_EQ(elDraw::LoadPack("NONE.BMP", 2), 0);
    EXPECT_EQ(Boxes(), std::string(kNoEntry) + "\n");
}

TEST_F(DrawPacks, SwapRefillsTheGivenSlotAtTheEntrysSize) {
    StartWithScreen();
    WritePack("G.PAK", {{"A.BMP", test::Picture(4, 3, RGB(255, 0, 0))}});
    elDraw::SetPackFile("G.PAK");
    int blank = elDraw::CreateObject(1, 1, 2);
    ASSERT_EQ(blank, 4);
    EXPECT_EQ(elDraw::SwapPack("a.bmp", 9, 2), 9);  // slot 5 is free, slot 9 is filled all the same
    EXPECT_EQ(ObjectTable[9].width, 4);
    EXPECT_EQ(ObjectTable[9].height, 3);
    EXPECT_EQ(test::PixelAt(ObjectTable[9].surface, 3, 2), 0xF800u);
    EXPECT_STREQ(ObjectTable[9].name, "A.BMP");
    // A missing entry leaves the slot as it was.
    EXPECT_EQ(elDraw::SwapPack("B.BMP", 9, 2), 0);
    EXPECT_EQ(test::PixelAt(ObjectTable[9].surface, 3, 2), 0xF800u);
    // Slot numbers outside the loaders' range are refused without harm.
    EXPECT_EQ(elDraw::SwapPack("A.BMP", 512, 2), 0);
    EXPECT_EQ(elDraw::SwapPack("A.BMP", -1, 2), 0);
    EXPECT_EQ(elDraw::SwapPack("A.BMP", 1, 2), 0);
}

TEST_F(DrawPacks, RestoreAfterLossBringsBackEveryPackObjectTwice) {
    StartWithScreen();
    WritePack("G.PAK", {{"A.BMP", test::Picture(2, 2, RGB(255, 0, 0))},
                        {"B.BMP", test::Picture(3, 1, RGB(0, 0, 255))}});
    elDraw::SetPackFile("G.PAK");
    int a = elDraw::LoadPack("A.BMP", 2);
    int b = elDraw::LoadPack("b.bmp", 2);
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    for (int round = 0; round < 2; ++round) {
        hl::LoseSurfaces();
        elDraw::Restore();
        EXPECT_EQ(test::PixelAt(ObjectTable[a].surface, 1, 1), 0xF800u) << round;
        EXPECT_EQ(test::PixelAt(ObjectTable[b].surface, 2, 0), 0x001Fu) << round;
        EXPECT_EQ(ObjectTable[b].fromPack, 1);
        EXPECT_STREQ(ObjectTable[b].name, "B.BMP");
    }
    EXPECT_EQ(Boxes(), "");
}

// Every prefix of a pack and every lie about a size: a clear refusal of
// the damaged entry, the entries before it still found, nothing read past
// the end (the sanitizers watch the reads).
TEST_F(DrawPacks, DamagedPacksAreRefusedWithoutReadingPastTheEnd) {
    StartWithScreen();
    std::vector<std::uint8_t> whole;
    elDraw::pack::AppendEntry(whole, "A.BMP", 2, 2, {1, 2, 3, 4});
    std::size_t firstEnd = whole.size();
    elDraw::pack::AppendEntry(whole, "B.BMP", 3, 2, {5, 6, 7, 8, 9, 10});
    elDraw::SetPackFile("D.PAK");
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        WriteFile("D.PAK", std::vector<std::uint8_t>(whole.begin(), whole.begin() + cut));
        hl::ClearBoxes();
        int slot = elDraw::LoadPack("B.BMP", 2);
        EXPECT_EQ(slot, 0) << cut;
        EXPECT_EQ(Boxes(), std::string(kNoEntry) + "\n") << cut;
        int first = elDraw::LoadPack("A.BMP", 2);
        EXPECT_EQ(first != 0, cut >= firstEnd) << cut;
        elDraw::ReleaseObject(first);
        std::vector<elDraw::pack::Entry> entries;
        std::string problem;
        EXPECT_EQ(elDraw::pack::ReadEntries(whole.data(), cut, &entries, &problem), cut == 0 || cut == firstEnd);
    }
    // Sizes that claim more pixels than the file holds, and a name that never ends.
    std::vector<std::uint8_t> lying = whole;
    lying[firstEnd] = 0xFF;
    lying[firstEnd + 2] = 0xFF;
    WriteFile("D.PAK", lying);
    hl::ClearBoxes();
    EXPECT_EQ(elDraw::LoadPack("B.BMP", 2), 0);
    EXPECT_EQ(Boxes(), std::string(kNoEntry) + "\n");
    std::vector<std::uint8_t> endless = {1, 0, 1, 0};
    endless.insert(endless.end(), 300, 'A');
    endless.push_back(0);
    endless.insert(endless.end(), {1, 0});
    WriteFile("D.PAK", endless);
    hl::ClearBoxes();
    EXPECT_EQ(elDraw::LoadPack(std::string(30, 'A').c_str(), 2), 0);
    EXPECT_EQ(Boxes(), std::string(kNoEntry) + "\n");
    std::vector<elDraw::pack::Entry> entries;
    std::string problem;
    EXPECT_FALSE(elDraw::pack::ReadEntries(endless.data(), endless.size(), &entries, &problem));
    EXPECT_NE(problem.find("no name end"), std::string::npos);
    // The largest size an entry can claim, 65535 x 65535 (8.6 billion pixel
    // bytes, past any 32-bit count), and the entry one byte short of its
    // pixels: refused before any pixel is read or kept.
    std::vector<std::uint8_t> huge = {0xFF, 0xFF, 0xFF, 0xFF, 'B', '.', 'B', 'M', 'P', 0, 1, 2, 3, 4};
    WriteFile("D.PAK", huge);
    hl::ClearBoxes();
    EXPECT_EQ(elDraw::LoadPack("B.BMP", 2), 0);
    EXPECT_EQ(Boxes(), std::string(kNoEntry) + "\n");
    std::vector<std::uint8_t> square;
    elDraw::pack::AppendEntry(square, "B.BMP", 2, 2, {1, 2, 3, 4});
    square.pop_back();
    WriteFile("D.PAK", square);
    EXPECT_EQ(elDraw::LoadPack("B.BMP", 2), 0);
    entries.clear();
    EXPECT_FALSE(elDraw::pack::ReadEntries(square.data(), square.size(), &entries, &problem));
}

// An entry stored without a name is found by no name: no object is filled
// from it, and a slot asked to be refilled from it keeps its picture. No
// slot is ever left holding a surface under an empty (free) name.
TEST_F(DrawPacks, AnEntryWithAnEmptyNameIsFoundByNoName) {
    StartWithScreen();
    WritePack("G.PAK", {{"", test::Picture(2, 2, RGB(0, 255, 0))}, {"A.BMP", test::Picture(1, 1, RGB(255, 0, 0))}});
    elDraw::SetPackFile("G.PAK");
    ASSERT_EQ(elDraw::SwapPack("A.BMP", 9, 2), 9);
    EXPECT_EQ(elDraw::LoadPack("", 2), 0);
    EXPECT_EQ(elDraw::LoadPack(nullptr, 2), 0);
    EXPECT_EQ(elDraw::SwapPack("", 9, 2), 0);
    EXPECT_EQ(Boxes(), std::string(kNoEntry) + "\n" + kNoEntry + "\n" +
                           "elDraw::SwapPack : BMPファイルを読み込めません\n");
    EXPECT_STREQ(ObjectTable[9].name, "A.BMP");
    EXPECT_EQ(test::PixelAt(ObjectTable[9].surface, 0, 0), 0xF800u);
    for (int slot = kFirstLoadedSlot; slot < kObjectSlots; ++slot) {
        if (ObjectTable[slot].surface) {
            EXPECT_NE(ObjectTable[slot].name[0], 0) << slot;
        }
    }
    EXPECT_EQ(elDraw::CreateObject(1, 1, 2), 4);  // the lowest free slot, no staging object left
}

// Names longer than the record holds are refused as LoadObject refuses them,
// before the pack is read or a slot taken; 30 characters load and come back
// after a surface loss.
TEST_F(DrawPacks, NamesOver30CharactersAreRefused) {
    StartWithScreen();
    const std::string thirty = std::string(26, 'N') + ".BMP", longer = std::string(27, 'N') + ".BMP";
    WritePack("G.PAK", {{longer, test::Picture(1, 1, RGB(0, 255, 0))}, {thirty, test::Picture(1, 1, RGB(255, 0, 0))}});
    elDraw::SetPackFile("G.PAK");
    EXPECT_EQ(elDraw::LoadPack(longer.c_str(), 2), 0);
    EXPECT_EQ(elDraw::SwapPack(longer.c_str(), 9, 2), 0);
    EXPECT_EQ(Boxes(), "elDraw::LoadPack : ファイル名またはリソース名が長すぎます\n"
                       "elDraw::SwapPack : ファイル名またはリソース名が長すぎます\n");
    EXPECT_EQ(ObjectTable[4].name[0], 0);
    EXPECT_EQ(ObjectTable[9].name[0], 0);
    hl::ClearBoxes();
    int slot = elDraw::LoadPack(thirty.c_str(), 2);
    ASSERT_EQ(slot, 4);
    hl::LoseSurfaces();
    elDraw::Restore();
    EXPECT_EQ(test::PixelAt(ObjectTable[slot].surface, 0, 0), 0xF800u);
    EXPECT_EQ(Boxes(), "");
}

// Objects from two packs, the second holding a picture of the first's name:
// after surface losses each object is refilled from the pack it came from,
// and the pack the program set last stays set.
TEST_F(DrawPacks, EachObjectIsRestoredFromItsOwnPack) {
    StartWithScreen();
    WritePack("ONE.PAK", {{"A.BMP", test::Picture(2, 1, RGB(255, 0, 0))}});
    WritePack("TWO.PAK", {{"B.BMP", test::Picture(1, 2, RGB(0, 0, 255))}, {"A.BMP", test::Picture(2, 1, RGB(0, 255, 0))}});
    elDraw::SetPackFile("ONE.PAK");
    int a = elDraw::LoadPack("A.BMP", 2);
    elDraw::SetPackFile("TWO.PAK");
    int b = elDraw::LoadPack("B.BMP", 2);
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    for (int round = 0; round < 2; ++round) {
        hl::LoseSurfaces();
        elDraw::Restore();
        EXPECT_EQ(test::PixelAt(ObjectTable[a].surface, 1, 0), 0xF800u) << round;
        EXPECT_EQ(test::PixelAt(ObjectTable[b].surface, 0, 1), 0x001Fu) << round;
        EXPECT_EQ(ObjectTable[a].fromPack, 1);
        EXPECT_STREQ(ObjectTable[a].name, "A.BMP");
        EXPECT_EQ(Boxes(), "") << round;
    }
    int again = elDraw::LoadPack("A.BMP", 2);
    ASSERT_NE(again, 0);
    EXPECT_EQ(test::PixelAt(ObjectTable[again].surface, 0, 0), 0x07C0u);  // the second pack's green
}

TEST(DrawPackFormat, ColoursKeepTheirFiveBitChannels) {
    EXPECT_EQ(elDraw::pack::ColourToPixel(RGB(8, 16, 24)), 0x0443);
    EXPECT_EQ(elDraw::pack::ColourToPixel(RGB(7, 7, 7)), 0x0001);
    EXPECT_EQ(elDraw::pack::ColourToPixel(0), 0);
    for (unsigned v = 0; v < 0x8000; ++v)
        ASSERT_EQ(elDraw::pack::ColourToPixel(elDraw::pack::PixelToColour(static_cast<std::uint16_t>(v))),
                  v == 0 ? 0u : v);
}

}  // namespace
