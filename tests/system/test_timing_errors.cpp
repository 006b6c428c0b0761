// Wait slots, the frame timer around boxes, error reporting and the debug log.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/portable/headless.h"
#include "support/headless_app.h"
#include "system/elSystem.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

class Waits : public test::Headless {
protected:
    void SetUp() override {
        test::Headless::SetUp();
        elSystem::ResetInput();
        ErrorFlag = 0;
    }
};

TEST_F(Waits, ZeroOrNegativeDurationIsReachedAtOnce) {
    EXPECT_EQ(elSystem::SetWait(1, 0), 1);
    EXPECT_EQ(elSystem::CheckWait(1), 1);
    EXPECT_EQ(elSystem::SetWait(2, -50), 1);
    EXPECT_EQ(elSystem::CheckWait(2), 1);
}

TEST_F(Waits, ArmedSlotBecomesReachedAtItsDeadline) {
    elSystem::SetWait(3, 250);
    hl::AdvanceClock(249);
    EXPECT_EQ(elSystem::CheckWait(3), 0);
    hl::AdvanceClock(1);
    EXPECT_EQ(elSystem::CheckWait(3), 1);
    hl::AdvanceClock(100000);
    EXPECT_EQ(elSystem::CheckWait(3), 1);  // stays reached until re-armed
}

TEST_F(Waits, DisarmedSlotIsPendingUntilTheDisarmTimeHasPassed) {
    elSystem::InitWait(4);
    EXPECT_EQ(elSystem::CheckWait(4), 0);
    hl::SetClock(999999998u);
    EXPECT_EQ(elSystem::CheckWait(4), 0);
    hl::SetClock(999999999u);
    EXPECT_EQ(elSystem::CheckWait(4), 1);
}

TEST_F(Waits, DeadlinePastTheWrapReadsAsReachedAtOnce) {
    hl::SetClock(0xFFFFFF00u);
    elSystem::SetWait(5, 0x200);  // wraps to 0x100
    EXPECT_EQ(elSystem::CheckWait(5), 1);
}

TEST_F(Waits, OutOfRangeNumbersReportAndChangeNothing) {
    elSystem::SetWait(6, 1000);
    EXPECT_EQ(elSystem::SetWait(0, 5), 0);
    EXPECT_EQ(elSystem::SetWait(11, 5), 0);
    EXPECT_EQ(elSystem::InitWait(11), 0);
    ASSERT_EQ(hl::Boxes().size(), 3u);
    EXPECT_EQ(hl::Boxes()[0].text, "elSystem::SetWait : ウェイトNoが範囲外です");
    EXPECT_EQ(hl::Boxes()[2].text, "elSystem::InitWait : ウェイトNoが範囲外です");
    EXPECT_EQ(hl::Boxes()[0].caption, "エラー発生");
    EXPECT_EQ(hl::Boxes()[0].style, 0x1030u);
    EXPECT_EQ(ErrorFlag, 1);
    EXPECT_EQ(elSystem::CheckWait(6), 0);
    // Slot 11 belongs to Wait and can be read; numbers without a slot are 0.
    EXPECT_EQ(elSystem::CheckWait(11), 0);
    EXPECT_EQ(elSystem::CheckWait(12), 0);
    EXPECT_EQ(elSystem::CheckWait(-1), 0);
}

TEST_F(Waits, WaitSpinsPastItsDurationAndResetsTheFrameTimer) {
    DWORD start = hl::Clock();
    elSystem::Wait(0);
    EXPECT_GE(hl::Clock(), start + 1);
    start = hl::Clock();
    elSystem::Wait(40);
    EXPECT_EQ(hl::Clock(), start + 41);
    EXPECT_EQ(FrameDelta, 0.0f);
    EXPECT_EQ(elSystem::LastFrameTime, hl::Clock());
    EXPECT_EQ(elSystem::CheckWait(11), 1);
}

class Boxes : public test::Headless {};

TEST_F(Boxes, ReportErrorShowsContextAndMessageBeepsAndSetsTheFlag) {
    ErrorFlag = 0;
    EXPECT_EQ(ReportError("elDraw::LoadObject", "x"), 0);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "elDraw::LoadObject : x");
    EXPECT_EQ(hl::BeepCount(), 1);
    EXPECT_EQ(elSystem::HasError(), 1);
}

TEST_F(Boxes, LongErrorTextIsCutToTheBoxBuffer) {
    std::string context(300, 'c');
    ReportError(context.c_str(), "m");
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, std::string(259, 'c'));
}

TEST_F(Boxes, QuestionAnswersAndFrameDeltaCountsFromTheBoxClosing) {
    test::CountingProgram p;
    float delta = -1;
    p.program.scenes = {{1, [&] {
                             delta = FrameDelta;
                             if (p.frames++ == 0) {
                                 hl::AdvanceClock(3000);  // the box stays open 3 s
                                 hl::QueueAnswer(IDNO);
                                 EXPECT_EQ(elSystem::AskYesNo("q%d", 1), 0);
                             }
                         }}};
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::AdvanceClock(16);
    elSystem::LoopPass();
    hl::AdvanceClock(16);
    elSystem::LoopPass();
    EXPECT_FLOAT_EQ(delta, 0.016f);
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, "q1\r\n");
    EXPECT_EQ(hl::Boxes()[0].caption, "メッセージ");
    EXPECT_EQ(hl::Boxes()[0].style, 0x24u);
    hl::QueueAnswer(IDYES);
    EXPECT_EQ(elSystem::AskYesNo("again"), 1);
}

TEST_F(Boxes, HiddenCursorIsShownWhileABoxIsOpen) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::SetCursorScreenPos(elSystem::ClientOrigin.x + 5, elSystem::ClientOrigin.y + 5);
    elSystem::LoopPass();
    ASSERT_EQ(elSystem::CursorShown, 0);
    int countDuringBox = -99;
    int flagDuringBox = -1;
    hl::SetBoxHook([&](const hl::Box&) {
        countDuringBox = hl::CursorShowCount();
        flagDuringBox = elSystem::MessageBoxOpen;
    });
    elSystem::ShowMessage("hello");
    EXPECT_EQ(countDuringBox, 0);
    EXPECT_EQ(flagDuringBox, 1);
    EXPECT_EQ(elSystem::MessageBoxOpen, 0);
    EXPECT_EQ(hl::Boxes().back().style, 0x1030u);
}

TEST_F(Boxes, QuitIfErrorEndsTheProgramOnlyAfterAnError) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    EXPECT_EQ(elSystem::QuitIfError(), 0);
    EXPECT_EQ(elSystem::ClosingState, 0);
    ReportError("a", "b");
    EXPECT_EQ(elSystem::QuitIfError(), 1);
    EXPECT_EQ(elSystem::ClosingState, 2);
}

class DebugLog : public test::Headless {
protected:
    std::filesystem::path dir;
    std::filesystem::path old;
    void SetUp() override {
        test::Headless::SetUp();
        old = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("el_debuglog_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
        test::Headless::TearDown();
    }
    static std::string Read() {
        std::ifstream in("DEBUG.TXT", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
};

TEST_F(DebugLog, AppendsOneLinePerCallAcrossRuns) {
    {
        std::ofstream out("DEBUG.TXT", std::ios::binary);
        out << "earlier\r\n";
    }
    elSystem::DebugLog("a=%d", 1);
    elSystem::DebugLog("b");
    EXPECT_EQ(Read(), "earlier\r\na=1\r\nb\r\n");
}

TEST_F(DebugLog, UnwritableFolderLosesTheLineSilently) {
    std::filesystem::create_directory("DEBUG.TXT");  // cannot be opened as a file
    elSystem::DebugLog("lost");
    EXPECT_TRUE(hl::Boxes().empty());
}

}  // namespace
