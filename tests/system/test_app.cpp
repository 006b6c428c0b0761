// Start-up, the loop, the window procedure and the shutdown sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/portable/headless.h"
#include "support/headless_app.h"
#include "system/elSystem.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

class App : public test::Headless {};

TEST_F(App, StartsWindowCentredWithTitleAndRunsFrames) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "arg one", SW_SHOWNORMAL));
    EXPECT_TRUE(hl::WindowExists());
    EXPECT_TRUE(hl::WindowShown());
    EXPECT_EQ(hl::WindowStyle(), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    RECT r = hl::WindowRect();
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_EQ(r.left, (1024 - 800) / 2);
    EXPECT_EQ(r.top, (768 - 600) / 2);
    EXPECT_STREQ(elSystem::GetCommandLine(), "arg one");
    EXPECT_FALSE(hl::ImeEnabled());
    EXPECT_EQ(AppActive, 1);
    ASSERT_TRUE(test::RunFrames(3, p));
    EXPECT_EQ(p.frames, 3);
}

TEST_F(App, EscapeShutsDownOnceAndEndsWithoutAnotherFrame) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    ASSERT_TRUE(test::RunFrames(1, p));
    hl::KeyDown(VK_ESCAPE);
    int passes = 0;
    while (elSystem::LoopPass()) ++passes;
    // key message, posted WM_CLOSE; WM_DESTROY is sent inside DestroyWindow.
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(p.frames, 1);
    EXPECT_EQ(elSystem::ClosingState, 2);
    EXPECT_FALSE(hl::WindowExists());
    // Further calls are no-ops that still answer 1.
    EXPECT_EQ(elSystem::Quit(), 1);
}

TEST_F(App, CloseBoxRunsShutdownOnceWithoutPostingAnotherClose) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::CloseBox();
    // WM_SYSCOMMAND -> WM_CLOSE: state 1, Quit, DestroyWindow -> WM_QUIT.
    EXPECT_TRUE(elSystem::LoopPass());
    EXPECT_EQ(elSystem::ClosingState, 2);
    EXPECT_EQ(hl::QueuedMessages(), 0);  // no second WM_CLOSE was posted
    EXPECT_FALSE(elSystem::LoopPass());
    EXPECT_EQ(p.frames, 0);
}

TEST_F(App, QuitFromInsideThenPostedCloseDoesNotShutDownTwice) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    elSystem::Quit();
    EXPECT_EQ(elSystem::ClosingState, 2);
    EXPECT_EQ(hl::QueuedMessages(), 1);
    EXPECT_TRUE(elSystem::LoopPass());   // the posted WM_CLOSE
    EXPECT_FALSE(elSystem::LoopPass());  // WM_QUIT
}

TEST_F(App, SecondInstanceBringsFirstToFrontAndLeavesWithoutWindow) {
    test::CountingProgram first;
    ASSERT_TRUE(elSystem::Startup(first.program, "", SW_SHOWNORMAL));
    // A second start of the same program finds the mutex taken.
    EXPECT_EQ(elSystem::LockInstance("ﾃｽﾄ"), 0);
    EXPECT_EQ(hl::ForegroundRequests(), 1);
    // Another title is another program.
    EXPECT_EQ(elSystem::LockInstance("ﾍﾞﾂ"), 1);
}

TEST_F(App, RunReturnsZeroForSecondInstance) {
    test::CountingProgram first;
    ASSERT_TRUE(elSystem::Startup(first.program, "", SW_SHOWNORMAL));
    int windowsBefore = hl::WindowExists();
    // Run of a second copy stops at the instance check.
    test::CountingProgram second;
    EXPECT_EQ(elSystem::Run(second.program, "", SW_SHOWNORMAL), 0);
    EXPECT_EQ(second.frames, 0);
    EXPECT_EQ(hl::ForegroundRequests(), 1);
    EXPECT_EQ(windowsBefore, 1);
}

TEST_F(App, FailedSetUpStopsBeforeTheFirstFrame) {
    test::CountingProgram p;
    p.program.init = [] {
        ReportError("elDraw::Screen", "DirectDrawが使用できません");
        SceneNumber = 1;
    };
    EXPECT_FALSE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    EXPECT_EQ(p.frames, 0);
    EXPECT_EQ(elSystem::ClosingState, 2);
    EXPECT_FALSE(hl::WindowExists());
    ASSERT_EQ(hl::Boxes().size(), 1u);
}

TEST_F(App, LongCommandLineIsCutToItsBuffer) {
    test::CountingProgram p;
    std::string longLine(1000, 'x');
    ASSERT_TRUE(elSystem::Startup(p.program, longLine.c_str(), SW_SHOWNORMAL));
    EXPECT_EQ(std::string(elSystem::GetCommandLine()), std::string(255, 'x'));
}

TEST_F(App, CommandLineIsNotCutInsideAShiftJisCharacter) {
    test::CountingProgram p;
    // 254 ASCII bytes and then a two-byte character: it cannot fit whole.
    std::string line(254, 'a');
    line += "あ";
    ASSERT_TRUE(elSystem::Startup(p.program, line.c_str(), SW_SHOWNORMAL));
    EXPECT_EQ(std::string(elSystem::GetCommandLine()), std::string(254, 'a'));
}

TEST_F(App, FrameDeltaMeasuresVirtualTimeAcrossTheWrap) {
    test::CountingProgram p;
    float seen = -1;
    p.program.scenes = {{1, [&] { seen = FrameDelta; }}};
    hl::SetClock(0xFFFFFFF0u);
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::AdvanceClock(32);  // passes the 32-bit wrap
    elSystem::LoopPass();
    EXPECT_FLOAT_EQ(seen, 0.032f);
}

TEST_F(App, SceneChangedMarksOnlyTheFirstFrameOfAScene) {
    test::CountingProgram p;
    std::vector<int> changed;
    int frame = 0;
    p.program.scenes = {{1, [&] {
                             changed.push_back(SceneChanged);
                             if (++frame == 3) SceneNumber = 2;
                         }},
                        {2, [&] { changed.push_back(SceneChanged + 10); }}};
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    for (int i = 0; i < 5; ++i) elSystem::LoopPass();
    // Scene 1 sees 1, 0, 0; the switch happens during frame 3, so SceneChanged
    // is 1 after that frame and scene 2 sees it set during its first frame.
    EXPECT_EQ(changed, (std::vector<int>{1, 0, 0, 11, 10}));
}

TEST_F(App, ForwardWipeRunsPresentsInsteadOfScenesThenSwitches) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    NextSceneNumber = 2;
    elDraw::WipeDirection = 1;
    elDraw::WipeCounter = 9;
    // Two presents remain: frame 9, then frame 10, after which the wipe ends
    // and the loop takes the next scene. The scene itself never runs.
    elSystem::LoopPass();
    EXPECT_EQ(p.frames, 0);
    EXPECT_EQ(SceneNumber, 1);
    elSystem::LoopPass();
    EXPECT_EQ(p.frames, 0);
    EXPECT_EQ(elDraw::WipeDirection, 0);
    EXPECT_EQ(SceneNumber, 2);
}

TEST_F(App, BlinkIsOnForOneSecondAndOffForTwoHundredMilliseconds) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    std::vector<std::pair<int, int>> seen;  // time offset, BlinkOn
    for (int t = 0; t <= 2500; t += 100) {
        elSystem::LoopPass();
        seen.push_back({t, BlinkOn});
        hl::AdvanceClock(100);
    }
    auto at = [&](int t) {
        for (auto& s : seen)
            if (s.first == t) return s.second;
        return -1;
    };
    EXPECT_EQ(at(900), 1);
    EXPECT_EQ(at(1000), 0);
    EXPECT_EQ(at(1100), 0);
    EXPECT_EQ(at(1200), 1);
    EXPECT_EQ(at(2100), 1);
    EXPECT_EQ(at(2200), 0);
    EXPECT_EQ(at(2400), 1);
}

TEST_F(App, CursorHidesOverClientAreaAndReturnsOutsideAndOnDeactivation) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::MoveWindow(100, 50);
    elSystem::LoopPass();
    hl::SetCursorScreenPos(100 + 799, 50 + 599);
    elSystem::LoopPass();
    EXPECT_EQ(elSystem::CursorShown, 0);
    EXPECT_EQ(hl::CursorShowCount(), -1);
    elSystem::LoopPass();
    EXPECT_EQ(hl::CursorShowCount(), -1);  // ShowCursor only when it changes
    hl::SetCursorScreenPos(100 + 800, 50);
    elSystem::LoopPass();
    EXPECT_EQ(elSystem::CursorShown, 1);
    EXPECT_EQ(hl::CursorShowCount(), 0);
    hl::SetCursorScreenPos(120, 60);
    elSystem::LoopPass();
    EXPECT_EQ(hl::CursorShowCount(), -1);
    hl::Activate(false);
    elSystem::LoopPass();
    EXPECT_EQ(AppActive, 0);
    EXPECT_EQ(hl::CursorShowCount(), 0);
}

TEST_F(App, NegativeClientOriginsFromWindowMove) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    elSystem::WndProc(MainWindow, WM_MOVE, 0, static_cast<LPARAM>(0xFFF6FFFFu));
    EXPECT_EQ(elSystem::ClientOrigin.x, -1);
    EXPECT_EQ(elSystem::ClientOrigin.y, -10);
    EXPECT_EQ(elSystem::ClientRect.right, -1 + 800);
    EXPECT_EQ(elSystem::ClientRect.bottom, -10 + 600);
}

TEST_F(App, InactiveWindowStopsFramesOnlyWithoutRunInactiveOption) {
    test::CountingProgram p;
    p.program.configure = [] { elSystem::WindowOptions = 1; };
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::Activate(false);
    elSystem::LoopPass();
    for (int i = 0; i < 3; ++i) elSystem::LoopPass();
    EXPECT_EQ(p.frames, 0);
    hl::AdvanceClock(5000);
    hl::Activate(true);
    elSystem::LoopPass();
    hl::AdvanceClock(20);
    float delta = -1;
    p.program.scenes = {{1, [&] { delta = FrameDelta; }}};
    elSystem::LoopPass();
    EXPECT_FLOAT_EQ(delta, 0.020f);  // measured from the activation
}

TEST_F(App, ScreenSaverIsRefusedOtherSystemCommandsPassThrough) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    EXPECT_EQ(elSystem::WndProc(MainWindow, WM_SYSCOMMAND, SC_SCREENSAVE | 3, 0), 0);
    EXPECT_TRUE(hl::WindowExists());
    elSystem::WndProc(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(elSystem::ClosingState, 2);
}

TEST_F(App, MusicNotificationIgnoredWhenNotSuccessfulOrClosed) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    // The music device is closed here: neither code asks the device for its
    // mode.
    hl::ClearMciCommands();
    EXPECT_EQ(elSystem::WndProc(MainWindow, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0), 0);
    EXPECT_EQ(elSystem::WndProc(MainWindow, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, 0), 0);
    EXPECT_TRUE(hl::MciCommands().empty());
}

TEST_F(App, AltF4ClosesOnlyWhenAltKeysAreNotSwallowed) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    hl::SysKeyDown(VK_MENU);
    hl::SysKeyDown(VK_F4);
    test::DrainMessages();
    EXPECT_EQ(elSystem::ClosingState, 0);  // Alt-key mode 0 swallows them
    elInput::SetAltMode(1);
    hl::SysKeyDown(VK_F4);
    test::DrainMessages();
    EXPECT_EQ(elSystem::ClosingState, 2);
}

TEST_F(App, WindowMoveReadsEachHalfAsNegativeOnlyAbove32768) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    elSystem::WndProc(MainWindow, WM_MOVE, 0, static_cast<LPARAM>(0x80018000u));
    EXPECT_EQ(elSystem::ClientOrigin.x, 32768);
    EXPECT_EQ(elSystem::ClientOrigin.y, -32767);
    EXPECT_EQ(elSystem::ClientRect.right, 32768 + 800);
    elSystem::WndProc(MainWindow, WM_MOVE, 0, static_cast<LPARAM>(0x80008001u));
    EXPECT_EQ(elSystem::ClientOrigin.x, -32767);
    EXPECT_EQ(elSystem::ClientOrigin.y, 32768);
    EXPECT_EQ(elSystem::ClientRect.bottom, 32768 + 600);
}

TEST_F(App, ShutdownFreesFontsThenSoundThenTheScreen) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    elSystem::Quit();
    elSystem::Quit();  // a second call does nothing
    std::vector<std::string> expected = {"startup", "shutdown", "fonts freed", "sound released",
                                         "screen closed"};
    EXPECT_EQ(hl::TraceLines(), expected);
}

TEST_F(App, AnInformationBoxOf300CharactersIsCutToItsBuffer) {
    test::CountingProgram p;
    ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    elSystem::ShowMessage("%s", std::string(300, 'a').c_str());
    ASSERT_EQ(hl::Boxes().size(), 1u);
    EXPECT_EQ(hl::Boxes()[0].text, std::string(257, 'a') + "\r\n");
    // 150 two-byte characters after one single-byte one: the pair that would
    // be split at the end of the buffer is left out whole.
    std::string pairs = "x";
    for (int i = 0; i < 150; ++i) pairs += "\x82\xa0";
    elSystem::ShowMessage("%s", pairs.c_str());
    ASSERT_EQ(hl::Boxes().size(), 2u);
    EXPECT_EQ(hl::Boxes()[1].text, pairs.substr(0, 257) + "\r\n");
    elSystem::AskYesNo("%s", pairs.substr(1).c_str());
    EXPECT_EQ(hl::Boxes()[2].text, pairs.substr(1, 256) + "\r\n");
}

}  // namespace
