// Display check, program folder and redirection, value files, versions,
// cursor clipping and the portable file-name mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "draw/elDraw.h"
#include "platform/portable/headless.h"
#include "support/headless_app.h"
#include "system/elSystem.h"

using namespace plat;
namespace hl = plat::headless;
namespace fs = std::filesystem;

namespace {

class Display : public test::Headless {
protected:
    test::CountingProgram p{false};
    void SetUp() override {
        test::Headless::SetUp();
        ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
        elDraw::SetDepths(16, 0, 0);
    }
    void TearDown() override {
        elDraw::SetDepths(16, 0, 0);
        test::Headless::TearDown();
    }
};

TEST_F(Display, DeepEnoughDesktopPassesSilently) {
    hl::SetDisplayDepth(16);
    EXPECT_EQ(elSystem::CheckDisplay("*"), 1);
    hl::SetDisplayDepth(32);
    EXPECT_EQ(elSystem::CheckDisplay(""), 1);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Display, ShallowDesktopExplainsAndAsksAndSwitchesToFullScreen) {
    hl::SetDisplayDepth(8);
    hl::QueueAnswer(IDOK);
    hl::QueueAnswer(IDYES);
    EXPECT_EQ(elSystem::CheckDisplay("*"), 1);
    ASSERT_EQ(hl::Boxes().size(), 2u);
    EXPECT_EQ(hl::Boxes()[0].text,
              "　ウィンドウ状態で実行しようとしていますが、画面が256色以下に設定されています。\n"
              "正しく動作させるには、65536色以上に設定するか、フルスクリーンで実行させて下さい。\r\n");
    EXPECT_EQ(hl::Boxes()[1].text, "フルスクリーンに切り換えますか？\r\n");
    EXPECT_EQ(elSystem::FullScreen, 1);
    EXPECT_EQ(elSystem::IsWindowed(), 0);
    // Once in full screen the check passes without a box.
    EXPECT_EQ(elSystem::CheckDisplay("*"), 1);
    EXPECT_EQ(hl::Boxes().size(), 2u);
}

TEST_F(Display, DeclinedOrImpossibleSwitchQuits) {
    hl::SetDisplayDepth(8);
    hl::QueueAnswer(IDOK);
    hl::QueueAnswer(IDNO);
    EXPECT_EQ(elSystem::CheckDisplay("full.dat"), 0);
    EXPECT_EQ(hl::Boxes()[1].text, "フルスクリーンに設定し直しますか？\r\n");
    EXPECT_EQ(elSystem::ClosingState, 2);
}

TEST_F(Display, EmptySettingsNameQuitsAfterTheExplanation) {
    hl::SetDisplayDepth(8);
    EXPECT_EQ(elSystem::CheckDisplay(""), 0);
    EXPECT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(elSystem::ClosingState, 2);
}

TEST_F(Display, UnlistedRequestedDepthPassesWithoutLooking) {
    hl::SetDisplayDepth(8);
    elDraw::SetDepths(15, 0, 0);
    EXPECT_EQ(elSystem::CheckDisplay(""), 1);
    EXPECT_TRUE(hl::Boxes().empty());
}

TEST_F(Display, YesWithANameRecordsTheChoiceInTheRedirectedFolder) {
    fs::path dir = fs::temp_directory_path() / "el_display_check";
    fs::remove_all(dir);
    fs::create_directories(dir / "save" / "ACT");
    std::string program = (dir / "ACT" / "GAME.EXE").string();
    for (char& c : program)
        if (c == '/') c = '\\';
    hl::SetModuleFileName(program);
    std::string base = (dir / "save").string();
    std::strcpy(BaseFolder, base.c_str());
    hl::SetDisplayDepth(8);
    hl::QueueAnswer(IDOK);
    hl::QueueAnswer(IDYES);
    EXPECT_EQ(elSystem::CheckDisplay("full.dat"), 1);
    std::ifstream in(dir / "save" / "ACT" / "full.dat");
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "1");
    EXPECT_EQ(elSystem::LoadValue("full.dat"), 1);
    BaseFolder[0] = 0;
    fs::remove_all(dir);
}

class Queries : public test::Headless {
protected:
    void TearDown() override {
        BaseFolder[0] = 0;
        test::Headless::TearDown();
    }
};

TEST_F(Queries, ProgramFolderAndItsRedirection) {
    hl::SetModuleFileName("C:\\GAMES\\ACT\\GAME.EXE");
    EXPECT_STREQ(elSystem::GetProgramFolder(0), "C:\\GAMES\\ACT\\");
    EXPECT_STREQ(elSystem::GetProgramFolder(1), "C:\\GAMES\\ACT\\");  // no base folder
    std::strcpy(BaseFolder, "D:\\SAVE");
    EXPECT_STREQ(elSystem::GetProgramFolder(1), "D:\\SAVE\\ACT\\");
    EXPECT_STREQ(elSystem::GetProgramFolder(0), "C:\\GAMES\\ACT\\");
    hl::SetModuleFileName("C:\\GAME.EXE");
    EXPECT_STREQ(elSystem::GetProgramFolder(1), "D:\\SAVE\\");  // a root has no folder name
}

TEST_F(Queries, BaseFolderFileLosesItsLineBreakAndTrailingBackslash) {
    fs::path dir = fs::temp_directory_path() / "el_base_folder";
    fs::create_directories(dir);
    {
        std::ofstream out(dir / "base.txt");
        out << "D:\\SAVE\\\nsecond line\n";
    }
    std::string windows = dir.string();
    hl::SetWindowsDirectory(windows);
    EXPECT_NE(elSystem::ReadBaseFolder("base.txt"), 0);
    EXPECT_STREQ(BaseFolder, "D:\\SAVE");
    EXPECT_EQ(elSystem::ReadBaseFolder("missing.txt"), 0);
    EXPECT_STREQ(BaseFolder, "");
    { std::ofstream out(dir / "empty.txt"); }
    EXPECT_NE(elSystem::ReadBaseFolder("empty.txt"), 0);
    EXPECT_STREQ(BaseFolder, "");
    fs::remove_all(dir);
}

TEST_F(Queries, ValueFilesRoundTripAndMissingReadsZero) {
    fs::path dir = fs::temp_directory_path() / "el_values";
    fs::create_directories(dir);
    std::string program = dir.string() + "/GAME";
    for (char& c : program)
        if (c == '/') c = '\\';
    hl::SetModuleFileName(program);
    elSystem::SaveValue("score.dat", -1234);
    EXPECT_EQ(elSystem::LoadValue("score.dat"), -1234);
    EXPECT_EQ(elSystem::LoadValue("SCORE.DAT"), -1234);  // any letter case
    EXPECT_TRUE(fs::exists(dir / "score.dat"));  // beside the program, not in the current folder
    EXPECT_EQ(elSystem::LoadValue("nothing.dat"), 0);
    { std::ofstream out(dir / "junk.dat"); out << "abc"; }
    EXPECT_EQ(elSystem::LoadValue("junk.dat"), 0);
    fs::remove_all(dir);
}

TEST_F(Queries, VersionCodesOfEveryFamily) {
    EXPECT_EQ(elSystem::VersionCode(0, 3, 10), 310);
    EXPECT_EQ(elSystem::VersionCode(1, 4, 0), 950);
    EXPECT_EQ(elSystem::VersionCode(1, 4, 10), 980);
    EXPECT_EQ(elSystem::VersionCode(1, 4, 90), 980);
    EXPECT_EQ(elSystem::VersionCode(2, 5, 1), 2000);
    EXPECT_EQ(elSystem::VersionCode(2, 6, 1), 6010);
    EXPECT_EQ(elSystem::VersionCode(2, 10, 0), 10000);
    EXPECT_EQ(elSystem::VersionCode(7, 1, 0), -1);
    EXPECT_EQ(elSystem::GetOSVersion(), -1);  // the portable build is "other"
}

TEST_F(Queries, DateTimeAndWeekdayName) {
    int y = 0, m = 0, d = 0, h = -1, mi = -1, s = -1;
    char weekday[8] = "";
    elSystem::GetDate(&y, &m, &d, weekday);
    elSystem::GetTime(&h, &mi, &s);
    EXPECT_GE(y, 2024);
    EXPECT_TRUE(m >= 1 && m <= 12);
    EXPECT_TRUE(d >= 1 && d <= 31);
    EXPECT_TRUE(h >= 0 && h < 24 && mi >= 0 && mi < 60 && s >= 0 && s < 61);
    EXPECT_EQ(std::strlen(weekday), 2u);
    std::string names = "日月火水木金土";
    EXPECT_NE(names.find(weekday), std::string::npos);
}

TEST_F(Queries, FreeDiskAndMemoryAreAnswered) {
    EXPECT_NE(elSystem::GetFreeDisk('C'), 0);
    EXPECT_GT(elSystem::GetFreeMemory(), 0u);
}

TEST_F(Queries, CursorClipFollowsTheClientAreaAndReleases) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::MoveWindow(40, 30);
    test::DrainMessages();
    elSystem::ClipCursorToScreen();
    EXPECT_TRUE(hl::CursorClipped());
    RECT r = hl::CursorClipRect();
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right, 840);
    EXPECT_EQ(r.bottom, 630);
    EXPECT_EQ(elSystem::IsCursorClipped(), 1);
    elSystem::ReleaseCursor();
    EXPECT_FALSE(hl::CursorClipped());
    EXPECT_EQ(elSystem::IsCursorClipped(), 0);
}

TEST_F(Queries, ClipOptionReclipsOnMoveAndActivationAndReleasesOnDeactivation) {
    test::CountingProgram p;
    p.program.configure = [] { elSystem::CursorClipOption = 1; };
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::MoveWindow(10, 20);
    test::DrainMessages();
    EXPECT_TRUE(hl::CursorClipped());
    EXPECT_EQ(hl::CursorClipRect().left, 10);
    hl::Activate(false);
    test::DrainMessages();
    EXPECT_FALSE(hl::CursorClipped());
    hl::Activate(true);
    test::DrainMessages();
    EXPECT_TRUE(hl::CursorClipped());
    // A right double click toggles the clip.
    hl::MouseButton(WM_RBUTTONDBLCLK, 5, 5);
    test::DrainMessages();
    EXPECT_FALSE(hl::CursorClipped());
}

TEST(FileNames, BackslashesAndAnyLetterCaseFindTheFile) {
    fs::path dir = fs::temp_directory_path() / "el_names";
    fs::remove_all(dir);
    fs::create_directories(dir / "Bmp");
    { std::ofstream out(dir / "Bmp" / "waku.bmp"); out << "x"; }
    std::string winPath = dir.string() + "\\BMP\\WAKU.BMP";
    std::FILE* f = plat::OpenFile(winPath.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fgetc(f), 'x');
    std::fclose(f);
    EXPECT_EQ(plat::NativePath(winPath.c_str()), (dir / "Bmp" / "waku.bmp").string());
    EXPECT_EQ(plat::OpenFile((dir.string() + "\\nothing.bmp").c_str(), "rb"), nullptr);
    EXPECT_EQ(plat::OpenFile(dir.string().c_str(), "rb"), nullptr);  // a folder is no file
    fs::remove_all(dir);
}

TEST_F(Queries, AFolderNameTooLongForItsBufferIsNotRedirected) {
    std::strcpy(BaseFolder, "D:\\SAVE");
    // The name and its backslash must fit the 128-byte buffer with its end.
    for (std::size_t length : {126u, 127u, 128u, 200u}) {
        SCOPED_TRACE(length);
        std::string folder = "C:\\GAMES\\" + std::string(length, 'N') + "\\";
        hl::SetModuleFileName(folder + "GAME.EXE");
        std::string expected = length <= 126 ? "D:\\SAVE\\" + std::string(length, 'N') + "\\" : folder;
        EXPECT_EQ(std::string(elSystem::GetProgramFolder(1)), expected);
    }
    // A short name afterwards is redirected again.
    hl::SetModuleFileName("C:\\GAMES\\ACT\\GAME.EXE");
    EXPECT_STREQ(elSystem::GetProgramFolder(1), "D:\\SAVE\\ACT\\");
}

}  // namespace
