// Files and kernel queries on Windows: Shift-JIS names reach the file system
// as the right Unicode names, the program folder comes from the real module
// name, and the multimedia and bitmap readers open Japanese file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/entry.h"
#include "platform/gdi.h"
#include "platform/mmio.h"
#include "platform/win.h"
#include "system/elSystem.h"
#include "tools/bmp_file.h"
#include "win_support.h"

namespace {

void Put32(std::vector<unsigned char>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void Put16(std::vector<unsigned char>& b, std::uint16_t v) {
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

// A 24-bit BMP of width x height, pixel (x, y) = colour(x, y) as 0xRRGGBB.
std::vector<unsigned char> Bmp24(int width, int height, std::uint32_t (*colour)(int, int)) {
    return bmpfile::File24(width, height, colour);
}

std::vector<unsigned char> Wave(std::uint32_t dataBytes) {
    std::vector<unsigned char> b = {'R', 'I', 'F', 'F'};
    Put32(b, 4 + 8 + 16 + 8 + dataBytes);
    for (char c : std::string("WAVEfmt ")) b.push_back(static_cast<unsigned char>(c));
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, 1);
    Put32(b, 11025);
    Put32(b, 11025);
    Put16(b, 1);
    Put16(b, 8);
    for (char c : std::string("data")) b.push_back(static_cast<unsigned char>(c));
    Put32(b, dataBytes);
    for (std::uint32_t i = 0; i < dataBytes; ++i) b.push_back(static_cast<unsigned char>(i));
    return b;
}

}  // namespace

TEST(WinFiles, JapaneseFileNamesAreTheRightUnicodeNames) {
    wintest::ScratchFolder folder;
    std::FILE* f = plat::OpenFile("セーブ①.txt", "wt");
    ASSERT_NE(f, nullptr);
    std::fputs("1\n", f);
    std::fclose(f);
    // Seen by the system under its Unicode name.
    EXPECT_TRUE(wintest::FileExists(L"\u30BB\u30FC\u30D6\u2460.txt"));
    f = plat::OpenFile("セーブ①.txt", "rt");
    ASSERT_NE(f, nullptr);
    int v = 0;
    EXPECT_EQ(std::fscanf(f, "%d", &v), 1);
    EXPECT_EQ(v, 1);
    std::fclose(f);
    EXPECT_EQ(plat::OpenFile("ない.txt", "rt"), nullptr);
    // Folders are not files.
    wintest::MakeFolder(L"sub");
    EXPECT_EQ(plat::OpenFile("sub", "rb"), nullptr);
    wintest::RemoveFolder(L"sub");
}

TEST(WinFiles, DebugLogAppendsCrLfLines) {
    wintest::ScratchFolder folder;
    elSystem::DebugLog("a=%d", 1);
    elSystem::DebugLog("b");
    EXPECT_EQ(wintest::ReadBytes(L"DEBUG.TXT"), "a=1\r\nb\r\n");
}

TEST(WinFiles, ProgramFolderIsTheModuleFolderWithItsBackslash) {
    const char* got = elSystem::GetProgramFolder(0);
    ASSERT_NE(got, nullptr);
    std::string text = got;
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\\');
    EXPECT_EQ(wintest::FromSjis(text), wintest::ModuleFolder());
    // A buffer too small for the name gets a cut, zero-terminated name.
    char small[8];
    EXPECT_EQ(plat::GetModuleFileNameA(nullptr, small, sizeof small), 7u);
    EXPECT_EQ(std::strlen(small), 7u);
}

TEST(WinFiles, WindowsFolderVersionDateAndMemory) {
    char dir[256];
    plat::UINT n = plat::GetWindowsDirectoryA(dir, sizeof dir);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(dir), n);
    char tiny[2];
    EXPECT_EQ(plat::GetWindowsDirectoryA(tiny, sizeof tiny), n + 1);  // the size it needs
    plat::OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = 148;
    ASSERT_TRUE(plat::GetVersionExA(&v));
    EXPECT_EQ(v.dwPlatformId, 2u);  // the NT family
    EXPECT_EQ(elSystem::GetOSVersion(),
              elSystem::VersionCode(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion));
    int year = 0, month = 0, day = 0;
    char weekday[3] = {};
    elSystem::GetDate(&year, &month, &day, weekday);
    EXPECT_GE(year, 2020);
    EXPECT_TRUE(month >= 1 && month <= 12);
    EXPECT_EQ(std::strlen(weekday), 2u);  // one double-byte character
    EXPECT_GT(elSystem::GetFreeMemory(), 0u);
    plat::DWORD spc = 0, bps = 0, free = 0, total = 0;
    EXPECT_TRUE(plat::GetDiskFreeSpaceA("C:\\", &spc, &bps, &free, &total));
    EXPECT_GT(bps, 0u);
}

TEST(WinFiles, CommandLineWithoutTheProgramName) {
    // The test program is started without arguments, apart from GoogleTest's.
    std::string line = plat::CommandLineOfProcess();
    EXPECT_EQ(line.find("el_win_tests"), std::string::npos);
}

TEST(WinFiles, MmioWalksTheChunksOfAWaveWithAJapaneseName) {
    wintest::ScratchFolder folder;
    wintest::WriteBytes(L"\u97F3.wav", Wave(100));  // 音.wav
    plat::HMMIO h = plat::mmioOpenA("音.wav", nullptr, plat::MMIO_READ | plat::MMIO_ALLOCBUF);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(plat::mmioSeek(h, 0, SEEK_END), 44 + 100);
    EXPECT_EQ(plat::mmioSeek(h, 0, SEEK_SET), 0);
    plat::MMCKINFO riff{};
    ASSERT_EQ(plat::mmioDescend(h, &riff, nullptr, 0), 0u);
    EXPECT_EQ(riff.ckid, plat::FOURCC_RIFF);
    EXPECT_EQ(riff.fccType, plat::mmioFOURCC('W', 'A', 'V', 'E'));
    plat::MMCKINFO chunk{};
    chunk.ckid = plat::mmioFOURCC('d', 'a', 't', 'a');
    ASSERT_EQ(plat::mmioDescend(h, &chunk, &riff, plat::MMIO_FINDCHUNK), 0u);
    EXPECT_EQ(chunk.cksize, 100u);
    EXPECT_EQ(chunk.dwDataOffset, 44u);
    char data[200];
    EXPECT_EQ(plat::mmioRead(h, data, 200), 100);
    EXPECT_EQ(static_cast<unsigned char>(data[99]), 99);
    plat::mmioAscend(h, &chunk, 0);
    // No second data chunk: the search stops at the end of the RIFF chunk.
    plat::MMCKINFO none{};
    none.ckid = plat::mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_NE(plat::mmioDescend(h, &none, &riff, plat::MMIO_FINDCHUNK), 0u);
    plat::mmioClose(h, 0);

    // A RIFF header that claims more than the file holds.
    std::vector<unsigned char> cut = Wave(100);
    cut.resize(30);
    wintest::WriteBytes(L"cut.wav", cut);
    h = plat::mmioOpenA("cut.wav", nullptr, plat::MMIO_READ);
    ASSERT_NE(h, nullptr);
    plat::MMCKINFO r{};
    ASSERT_EQ(plat::mmioDescend(h, &r, nullptr, 0), 0u);
    plat::MMCKINFO d{};
    d.ckid = plat::mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_NE(plat::mmioDescend(h, &d, &r, plat::MMIO_FINDCHUNK), 0u);
    plat::mmioClose(h, 0);
    EXPECT_EQ(plat::mmioOpenA("ない.wav", nullptr, plat::MMIO_READ), nullptr);
}

TEST(WinFiles, BitmapFilesLoadThroughGdiAndBadOnesAreRefused) {
    wintest::ScratchFolder folder;
    auto colour = [](int x, int y) -> std::uint32_t { return x == 0 && y == 0 ? 0xFF0000 : 0x0000FF; };
    wintest::WriteBytes(L"\u7D75.bmp", Bmp24(5, 3, colour));  // 絵.bmp
    plat::HGDIOBJ bmp =
        plat::LoadImageA(nullptr, "絵.bmp", plat::IMAGE_BITMAP, 0, 0,
                         plat::LR_LOADFROMFILE | plat::LR_CREATEDIBSECTION);
    ASSERT_NE(bmp, nullptr);
    plat::BITMAP info{};
    ASSERT_EQ(plat::GetObjectA(bmp, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
    plat::HDC dc = plat::CreateCompatibleDC(nullptr);
    plat::HGDIOBJ old = plat::SelectObject(dc, bmp);
    EXPECT_EQ(plat::GetPixel(dc, 0, 0), 0x0000FFu);  // COLORREF 0x00BBGGRR of red
    EXPECT_EQ(plat::GetPixel(dc, 4, 2), 0xFF0000u);  // blue
    EXPECT_EQ(plat::GetPixel(dc, 5, 0), plat::CLR_INVALID);
    // Shrinking 5 x 3 to 1 x 1 takes a pixel, it does not AND them together.
    plat::HDC dest = plat::CreateCompatibleDC(nullptr);
    plat::HGDIOBJ target = wintest::CompatibleBitmap(dc, 1, 1);
    plat::HGDIOBJ oldDest = plat::SelectObject(dest, target);
    ASSERT_TRUE(plat::StretchBlt(dest, 0, 0, 1, 1, dc, 0, 0, 5, 3, plat::SRCCOPY));
    plat::COLORREF shrunk = plat::GetPixel(dest, 0, 0);
    EXPECT_TRUE(shrunk == 0x0000FFu || shrunk == 0xFF0000u) << std::hex << shrunk;
    plat::SelectObject(dest, oldDest);
    plat::DeleteObject(target);
    plat::DeleteDC(dest);
    plat::SelectObject(dc, old);
    EXPECT_TRUE(plat::DeleteObject(bmp));
    plat::DeleteDC(dc);

    // Missing, truncated and not-a-bitmap files give no bitmap and no crash.
    EXPECT_EQ(plat::LoadImageA(nullptr, "ない.bmp", plat::IMAGE_BITMAP, 0, 0, plat::LR_LOADFROMFILE),
              nullptr);
    std::vector<unsigned char> cut = Bmp24(64, 64, colour);
    cut.resize(100);
    wintest::WriteBytes(L"cut.bmp", cut);
    EXPECT_EQ(plat::LoadImageA(nullptr, "cut.bmp", plat::IMAGE_BITMAP, 0, 0, plat::LR_LOADFROMFILE),
              nullptr);
    wintest::WriteBytes(L"text.bmp", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(plat::LoadImageA(nullptr, "text.bmp", plat::IMAGE_BITMAP, 0, 0, plat::LR_LOADFROMFILE),
              nullptr);
}

// The directory search, name upper-casing and file replacement the pack
// converters use.
TEST(WinFiles, SearchUpperCaseAndReplace) {
    wintest::ScratchFolder scratch;
    wintest::WriteBytes(L"A.WAV", {1});
    wintest::WriteBytes(L"b.wav", {2});
    wintest::WriteBytes(L"c.bmp", {3});
    plat::WIN32_FIND_DATAA found{};
    plat::HANDLE search = plat::FindFirstFileA("*.WAV", &found);
    ASSERT_NE(search, nullptr);
    std::vector<std::string> names{found.cFileName};
    while (plat::FindNextFileA(search, &found)) names.push_back(found.cFileName);
    plat::FindClose(search);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A.WAV", "b.wav"}));
    EXPECT_EQ(plat::FindFirstFileA("*.MID", &found), nullptr);

    char name[] = "b.wav\x83\x61z";  // a double-byte character whose second byte is 'a'
    plat::CharUpperBuffA(name, static_cast<plat::DWORD>(std::strlen(name)));
    EXPECT_STREQ(name, "B.WAV\x83\x61Z");

    EXPECT_TRUE(plat::MoveFileReplaceA("b.wav", "A.WAV"));
    EXPECT_EQ(wintest::ReadBytes(L"A.WAV"), std::string(1, '\2'));
    EXPECT_FALSE(wintest::FileExists(L"b.wav"));
    EXPECT_TRUE(plat::DeleteFileA("A.WAV"));
    EXPECT_FALSE(wintest::FileExists(L"A.WAV"));
}
