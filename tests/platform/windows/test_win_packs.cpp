// The pack readers on Windows, where long is 32 bits: entries whose sizes
// reach past 32-bit counts are refused as on Linux, at once and with the
// error box, and the whole-pack readers of the pack tool refuse them too.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "draw/pack_format.h"
#include "sound/pack_format.h"
#include "system/elSystem.h"
#include "win_support.h"

namespace {

const wchar_t* const kErrorCaption = L"\u30A8\u30E9\u30FC\u767A\u751F";  // エラー発生
// "elDraw::LoadPack : BMPファイルを読み込めません"
const std::wstring kNoEntry =
    L"elDraw::LoadPack : BMP\u30D5\u30A1\u30A4\u30EB\u3092\u8AAD\u307F\u8FBC\u3081\u307E\u305B\u3093";

// A bitmap pack entry's head: width, height and the name with its NUL.
std::vector<unsigned char> Head(unsigned width, unsigned height, const std::string& name) {
    std::vector<unsigned char> b = {static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
                                    static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8)};
    for (char c : name) b.push_back(static_cast<unsigned char>(c));
    b.push_back(0);
    return b;
}

// Loads `name` from a pack of these bytes; the text of the box it shows.
std::wstring LoadRefused(const std::vector<unsigned char>& pack, const char* name) {
    wintest::WriteBytes((wintest::ModuleFolder() + L"el_crafted.bpk").c_str(), pack);
    elDraw::SetPackFile("el_crafted.bpk");
    ErrorFlag = 0;
    wintest::BoxAnswerer answer(kErrorCaption, plat::IDOK);
    EXPECT_EQ(elDraw::LoadPack(name, 2), 0);
    EXPECT_EQ(ErrorFlag, 1);
    ErrorFlag = 0;
    return answer.Text();
}

}  // namespace

TEST(WinPacks, BitmapEntriesPast32BitSizesAreRefused) {
    // 65535 x 65535 x 2 bytes claimed by the entry asked for: counted in a
    // 32-bit long this is negative and passes for "within the file".
    std::vector<unsigned char> huge = Head(65535, 65535, "A.BMP");
    huge.insert(huge.end(), {1, 2, 3, 4});
    EXPECT_EQ(LoadRefused(huge, "A.BMP"), kNoEntry);
    // 32770 x 65532 x 2 = 2^32 - 16: in 32 bits a skip of -16 bytes, back
    // to the start of this very entry, for ever.
    std::vector<unsigned char> circle = Head(32770, 65532, "LOOP_XX.BMP");
    circle.insert(circle.end(), {1, 2, 3, 4});
    EXPECT_EQ(LoadRefused(circle, "A.BMP"), kNoEntry);
    // The pack tool's reader refuses both.
    std::vector<elDraw::pack::Entry> entries;
    std::string problem;
    EXPECT_FALSE(elDraw::pack::ReadEntries(huge.data(), huge.size(), &entries, &problem));
    EXPECT_FALSE(elDraw::pack::ReadEntries(circle.data(), circle.size(), &entries, &problem));
}

TEST(WinPacks, BitmapPackOneByteShortIsRefused) {
    std::vector<std::uint8_t> pack;
    elDraw::pack::AppendEntry(pack, "A.BMP", 2, 2, {1, 2, 3, 4});
    pack.pop_back();
    EXPECT_EQ(LoadRefused(pack, "A.BMP"), kNoEntry);
    std::vector<elDraw::pack::Entry> entries;
    std::string problem;
    EXPECT_FALSE(elDraw::pack::ReadEntries(pack.data(), pack.size(), &entries, &problem));
}

TEST(WinPacks, SoundPackReaderRefusesSizesPastTheEnd) {
    const std::vector<std::uint8_t> format = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 0, 0};
    std::vector<std::uint8_t> samples(8);
    std::vector<std::uint8_t> pack;
    elSound::pack::AppendEntry(pack, "A.WAV", format, samples.data(), static_cast<std::uint32_t>(samples.size()));
    std::vector<elSound::pack::Entry> entries;
    std::string problem;
    ASSERT_TRUE(elSound::pack::ReadEntries(pack.data(), pack.size(), &entries, &problem)) << problem;
    std::vector<std::uint8_t> lying = pack;
    lying[3] = 0xFF;  // N near 2^32
    EXPECT_FALSE(elSound::pack::ReadEntries(lying.data(), lying.size(), &entries, &problem));
    lying = pack;
    lying[4 + 6 + 3] = 0xFF;  // F near 2^32
    EXPECT_FALSE(elSound::pack::ReadEntries(lying.data(), lying.size(), &entries, &problem));
    pack.pop_back();
    EXPECT_FALSE(elSound::pack::ReadEntries(pack.data(), pack.size(), &entries, &problem));
}
