// The key state machine, message routing and the click detector.
#include <gtest/gtest.h>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/portable/headless.h"
#include "support/headless_app.h"
#include "system/elSystem.h"

using namespace plat;
namespace hl = plat::headless;

namespace {

class Input : public test::Headless {
protected:
    test::CountingProgram p;
    void SetUp() override {
        test::Headless::SetUp();
        ASSERT_TRUE(elSystem::Startup(p.program, "", SW_SHOWNORMAL));
    }
    void TearDown() override {
        elDraw::PanelShown = 0;
        elDraw::WipeCounter = 0;
        test::Headless::TearDown();
    }
    // One frame's worth: deliver the queued messages, then poll the key.
    int Poll(int vk, int& state) {
        test::DrainMessages();
        elInput::UpdateKey(vk, state);
        return state;
    }
};

TEST_F(Input, OnePressGoesPressedHeldReleasedUp) {
    int s = 0;
    std::vector<int> seen;
    seen.push_back(Poll('A', s));
    hl::KeyDown('A');
    seen.push_back(Poll('A', s));
    seen.push_back(Poll('A', s));
    hl::KeyDown('A');  // auto-repeat changes nothing
    seen.push_back(Poll('A', s));
    hl::KeyUp('A');
    seen.push_back(Poll('A', s));
    seen.push_back(Poll('A', s));
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 3, 3, 2, 0}));
}

TEST_F(Input, PressRightAfterReleaseReadsHeldNotPressed) {
    int s = 0;
    hl::KeyDown('A');
    Poll('A', s);
    hl::KeyUp('A');
    EXPECT_EQ(Poll('A', s), 2);
    hl::KeyDown('A');
    EXPECT_EQ(Poll('A', s), 3);
}

TEST_F(Input, SuppressingModesReadZeroAndAKeyHeldThroughThemReadsPressed) {
    int s = 0;
    hl::KeyDown('A');
    elDraw::WipeCounter = 4;
    EXPECT_EQ(Poll('A', s), 0);
    elDraw::WipeCounter = 0;
    elDraw::PanelShown = 1;
    EXPECT_EQ(Poll('A', s), 0);
    elDraw::PanelShown = 0;
    elInput::BeginCapture();
    EXPECT_EQ(Poll('A', s), 0);
    elInput::EndCapture();
    EXPECT_EQ(Poll('A', s), 1);
}

TEST_F(Input, KeyRoutingToHeldLastAndPanel) {
    hl::KeyDown('A');
    hl::KeyDown('B');
    hl::KeyUp('B');
    test::DrainMessages();
    EXPECT_EQ(HeldKey, 0);  // A is still down, but B was the held key
    EXPECT_EQ(LastKey, 'B');
    elDraw::PanelShown = 1;
    hl::KeyDown(VK_UP);
    test::DrainMessages();
    EXPECT_EQ(PanelKey, VK_UP);
    EXPECT_EQ(LastKey, 'B');
    hl::KeyUp(VK_UP);
    test::DrainMessages();
    EXPECT_EQ(PanelKey, 0);
}

TEST_F(Input, EscapeQuitsEvenWithThePanelButNotInCapture) {
    elInput::BeginCapture();
    hl::KeyDown(VK_ESCAPE);
    test::DrainMessages();
    EXPECT_EQ(elInput::CaptureKey, VK_ESCAPE);
    EXPECT_EQ(elSystem::ClosingState, 0);
    elInput::EndCapture();
    elDraw::PanelShown = 1;
    hl::KeyDown(VK_ESCAPE);
    test::DrainMessages();
    EXPECT_EQ(elSystem::ClosingState, 2);
}

TEST_F(Input, ShiftToggleAndWatchCount) {
    elInput::WatchKey('W');
    for (int i = 0; i < 5; ++i) {
        hl::KeyDown('W');
        hl::KeyDown('W');
        hl::KeyUp('W');
    }
    hl::KeyDown(VK_SHIFT);
    hl::KeyUp(VK_SHIFT);
    test::DrainMessages();
    EXPECT_EQ(elInput::GetWatchCount(), 5);
    EXPECT_EQ(elInput::ShiftToggle, 1);
}

TEST_F(Input, MouseFlagsLastOneFrameAndDoubleClickIsNotAPress) {
    hl::MouseMove(300, 200);
    hl::MouseButton(WM_LBUTTONDOWN, 300, 200);
    test::DrainMessages();
    EXPECT_EQ(MouseX, 300);
    EXPECT_EQ(MouseY, 200);
    EXPECT_EQ(elInput::LeftPressed, 1);
    EXPECT_EQ(elInput::LeftHeld, 1);
    EXPECT_EQ(elInput::CurrentButton, 1);
    elSystem::RunFrame();
    EXPECT_EQ(elInput::LeftPressed, 0);
    EXPECT_EQ(elInput::LeftHeld, 1);
    hl::MouseButton(WM_LBUTTONUP, 300, 200);
    hl::MouseButton(WM_LBUTTONDBLCLK, 300, 200);
    test::DrainMessages();
    EXPECT_EQ(elInput::LeftDoubleClick, 1);
    EXPECT_EQ(elInput::LeftPressed, 0);
    EXPECT_EQ(elInput::LeftHeld, 0);
    elSystem::RunFrame();
    EXPECT_EQ(elInput::LeftDoubleClick, 0);
}

TEST_F(Input, MouseMovementIsMeasuredPerFrame) {
    int mx = 0, my = 0;
    p.program.scenes = {{1, [&] {
                             mx = elInput::MouseMoveX;
                             my = elInput::MouseMoveY;
                         }}};
    hl::MouseMove(10, 10);
    test::DrainMessages();
    elSystem::RunFrame();
    hl::MouseMove(15, 7);
    test::DrainMessages();
    elSystem::RunFrame();
    EXPECT_EQ(mx, 5);
    EXPECT_EQ(my, -3);
}

TEST_F(Input, ClickDetectorFiresOnceAfterPressAndRelease) {
    const int list[] = {VK_LBUTTON, 0};
    EXPECT_EQ(elInput::CheckPush(list), 0);
    hl::MouseButton(WM_LBUTTONDOWN, 1, 1);
    test::DrainMessages();
    EXPECT_EQ(elInput::CheckPush(list), 0);  // still held
    hl::MouseButton(WM_LBUTTONUP, 1, 1);
    test::DrainMessages();
    EXPECT_EQ(elInput::CheckPush(list), VK_LBUTTON);
    EXPECT_EQ(elInput::CheckPush(list), 0);
    EXPECT_EQ(elInput::CheckPush(list), 0);
}

TEST_F(Input, ClickDetectorReportsAKeyPressedAndReleasedBetweenCalls) {
    const int list[] = {VK_RETURN, VK_SPACE, 0};
    EXPECT_EQ(elInput::CheckPush(list), 0);
    hl::KeyDown(VK_SPACE);
    hl::KeyUp(VK_SPACE);
    test::DrainMessages();
    EXPECT_EQ(elInput::CheckPush(list), VK_SPACE);
    EXPECT_EQ(LastKey, 0);
}

TEST_F(Input, CaptureModeDivertsLeftClicks) {
    elInput::BeginCapture();
    hl::MouseButton(WM_LBUTTONDOWN, 1, 1);
    test::DrainMessages();
    EXPECT_EQ(elInput::CaptureClick, 1);
    EXPECT_EQ(elInput::LeftPressed, 0);
    hl::MouseButton(WM_LBUTTONUP, 1, 1);
    test::DrainMessages();
    EXPECT_EQ(elInput::CaptureClick, 0);
}

TEST_F(Input, ReleasingOneMouseButtonLeavesTheOtherCurrent) {
    hl::MouseButton(WM_LBUTTONDOWN, 10, 10);
    hl::MouseButton(WM_RBUTTONDOWN, 10, 10);
    hl::MouseButton(WM_LBUTTONUP, 10, 10);
    test::DrainMessages();
    EXPECT_EQ(elInput::LeftHeld, 0);
    EXPECT_EQ(elInput::RightHeld, 1);
    EXPECT_EQ(elInput::CurrentButton, 2);
    EXPECT_EQ(elInput::LastButton, 2);
    hl::MouseButton(WM_LBUTTONDOWN, 10, 10);
    hl::MouseButton(WM_RBUTTONUP, 10, 10);
    test::DrainMessages();
    EXPECT_EQ(elInput::CurrentButton, 1);
    EXPECT_EQ(elInput::LeftHeld, 1);
    EXPECT_EQ(elInput::RightHeld, 0);
    hl::MouseButton(WM_LBUTTONUP, 10, 10);
    test::DrainMessages();
    EXPECT_EQ(elInput::CurrentButton, 0);
    EXPECT_EQ(elInput::LastButton, 1);
}

TEST_F(Input, MessagesWithoutAResultPointerAreStillHandled) {
    elInput::AltMode = 0;
    EXPECT_TRUE(elInput::OnMessage(MainWindow, WM_SYSKEYDOWN, VK_MENU, 0, nullptr));
    EXPECT_FALSE(elInput::OnMessage(MainWindow, WM_MOUSEMOVE, 0, static_cast<LPARAM>(0x00320028), nullptr));
    EXPECT_EQ(MouseX, 40);
    EXPECT_EQ(MouseY, 50);
    EXPECT_FALSE(elInput::OnMessage(MainWindow, WM_LBUTTONDOWN, 0, static_cast<LPARAM>(0x00320028), nullptr));
    EXPECT_EQ(elInput::LeftHeld, 1);
    EXPECT_TRUE(elInput::OnMessage(MainWindow, WM_RBUTTONDBLCLK, 0, static_cast<LPARAM>(0x00320028), nullptr));
    LRESULT result = 7;
    EXPECT_TRUE(elInput::OnMessage(MainWindow, WM_SYSKEYDOWN, VK_MENU, 0, &result));
    EXPECT_EQ(result, 0);
    elInput::AltMode = 1;
}

}  // namespace
