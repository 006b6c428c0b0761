// Joysticks: neutral answers without a device, directions against the
// centre, the eight-way code, button states and ramps, accelerating axes.
#include <gtest/gtest.h>

#include <limits>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/portable/headless.h"
#include "support/headless_app.h"
#include "system/elSystem.h"

namespace hl = plat::headless;

namespace {

constexpr int kMid = 32767;

class Joystick : public test::Headless {
protected:
    void Init() {
        elInput::JoyInit();
        FrameDelta = 1.0f / 60.0f;
    }
    void TearDown() override {
        elDraw::PanelShown = 0;
        test::Headless::TearDown();
    }
};

TEST_F(Joystick, WithoutADeviceEveryQueryIsNeutral) {
    Init();
    int x = 9, y = 9, a = 9, b = 9, c = 9, d = 9;
    EXPECT_EQ(elInput::JoyDirection8(0), 5);
    elInput::JoyDirection(1, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    elInput::JoyPosition(0, &x, &y);
    EXPECT_EQ(x + y, 0);
    elInput::JoyButtons(0, &a, &b, &c, &d);
    EXPECT_EQ(a + b + c + d, 0);
    EXPECT_EQ(elInput::JoyButton(0, 1), 0);
    EXPECT_EQ(elInput::JoyButtonState(0, 1), 0);
    elInput::JoyAnalog(0, &x, &y);
    EXPECT_EQ(x + y, 0);
    elInput::JoyGetCentre(0, &x, &y);
    EXPECT_EQ(x + y, 0);
}

TEST_F(Joystick, DirectionsAgainstTheCentreAndTheKeypadCode) {
    hl::SetJoystick(0, true, kMid, kMid, 0);
    Init();
    int cx = 0, cy = 0;
    elInput::JoyGetCentre(0, &cx, &cy);
    EXPECT_EQ(cx, kMid);
    EXPECT_EQ(elInput::JoyDirection8(0), 5);
    hl::SetJoystick(0, true, 65535, 0, 0);  // right and up
    int dx = 0, dy = 0;
    elInput::JoyDirection(0, &dx, &dy);
    EXPECT_EQ(dx, 1);
    EXPECT_EQ(dy, -1);
    EXPECT_EQ(elInput::JoyDirection8(0), 9);
    hl::SetJoystick(0, true, 0, 65535, 0);
    EXPECT_EQ(elInput::JoyDirection8(0), 1);
    // Thresholds at half and one and a half times the centre.
    hl::SetJoystick(0, true, kMid / 2, kMid / 2 + kMid, 0);
    EXPECT_EQ(elInput::JoyDirection8(0), 1);
    hl::SetJoystick(0, true, kMid / 2 + 1, kMid / 2 + kMid - 1, 0);
    EXPECT_EQ(elInput::JoyDirection8(0), 5);
}

TEST_F(Joystick, FailedCentreReadingMakesEveryPositivePositionRightAndDown) {
    Init();  // nothing attached: centres 0
    hl::SetJoystick(1, true, 1, 1, 0);
    EXPECT_EQ(elInput::JoyDirection8(1), 3);
}

TEST_F(Joystick, ButtonStatesFollowTheKeyMachineAndThePanelSuppressesThem) {
    hl::SetJoystick(0, true, kMid, kMid, 0);
    Init();
    std::vector<int> seen;
    hl::SetJoystick(0, true, kMid, kMid, 1);
    for (int i = 0; i < 3; ++i) seen.push_back(elInput::JoyButtonState(0, 1));
    hl::SetJoystick(0, true, kMid, kMid, 0);
    for (int i = 0; i < 2; ++i) seen.push_back(elInput::JoyButtonState(0, 1));
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 3, 2, 0}));
    hl::SetJoystick(0, true, kMid, kMid, 0b1010);
    elDraw::PanelShown = 1;
    int s1, s2, s3, s4;
    elInput::JoyButtonStates(0, &s1, &s2, &s3, &s4);
    EXPECT_EQ(s2 + s4, 0);
    elDraw::PanelShown = 0;
    elInput::JoyButtonStates(0, &s1, &s2, &s3, &s4);
    EXPECT_EQ(s1, 0);
    EXPECT_EQ(s2, 1);
    EXPECT_EQ(s4, 1);
    EXPECT_EQ(elInput::JoyButtonState(0, 5), 0);  // no storage beyond button 4
    EXPECT_EQ(elInput::JoyButtonState(2, 1), 0);  // nor beyond joystick 1
}

TEST_F(Joystick, RampReachesOneHundredAfterASecondAndDropsOnRelease) {
    hl::SetJoystick(0, true, kMid, kMid, 1);
    Init();
    elInput::JoySetRates(0, 0.0f, 100.0f);
    int ramp = 0;
    for (int i = 0; i < 30; ++i) ramp = elInput::JoyButtonRamp(0, 1);
    EXPECT_TRUE(ramp == 49 || ramp == 50) << ramp;
    for (int i = 0; i < 40; ++i) ramp = elInput::JoyButtonRamp(0, 1);
    EXPECT_EQ(ramp, 100);
    hl::SetJoystick(0, true, kMid, kMid, 0);
    EXPECT_EQ(elInput::JoyButtonRamp(0, 1), 0);
}

TEST_F(Joystick, AxisValuesAccelerateToOneHundredAndReturnWithoutOvershoot) {
    hl::SetJoystick(0, true, kMid, kMid, 0);
    Init();
    elInput::JoySetRates(0, 200.0f, 0.0f);
    hl::SetJoystick(0, true, 65535, kMid, 0);
    int x = 0, y = 0;
    elInput::JoyAnalog(0, &x, &y);
    EXPECT_EQ(x, 3);  // 200 / 60 = 3.33 a frame
    for (int i = 1; i < 30; ++i) elInput::JoyAnalog(0, &x, &y);
    EXPECT_GE(x, 99);
    elInput::JoyAnalog(0, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 0);
    hl::SetJoystick(0, true, kMid, kMid, 0);
    for (int i = 0; i < 40; ++i) {
        elInput::JoyAnalog(0, &x, &y);
        ASSERT_GE(x, 0);
    }
    EXPECT_EQ(x, 0);
    elInput::JoyReset();
    EXPECT_EQ(elInput::Joy[0].axisRate, 200.0f);  // rates stay
}

TEST_F(Joystick, AFailedReadEndsTheRampAndAReplugWithTheButtonHeldStartsAtOne) {
    hl::SetJoystick(0, true, kMid, kMid, 1);
    Init();
    elInput::JoySetRates(0, 0.0f, 60.0f);  // one unit a frame
    for (int i = 0; i < 5; ++i) elInput::JoyButtonRamp(0, 1);
    int r1 = 0, r2 = 0;
    elInput::JoyButtonRamps(0, &r1, &r2, nullptr, nullptr);
    EXPECT_EQ(r1, 6);
    hl::SetJoystick(0, false, kMid, kMid, 1);
    // The plural read changes nothing when it fails; the single one resets.
    elInput::JoyButtonRamps(0, &r1, &r2, nullptr, nullptr);
    EXPECT_EQ(r1, 0);
    hl::SetJoystick(0, true, kMid, kMid, 1);
    elInput::JoyButtonRamps(0, &r1, &r2, nullptr, nullptr);
    EXPECT_EQ(r1, 7);
    hl::SetJoystick(0, false, kMid, kMid, 1);
    EXPECT_EQ(elInput::JoyButtonRamp(0, 1), 0);
    hl::SetJoystick(0, true, kMid, kMid, 1);
    EXPECT_EQ(elInput::JoyButtonRamp(0, 1), 1);
    EXPECT_EQ(elInput::JoyButtonRamp(0, 1), 2);
}

TEST_F(Joystick, RatesThatAreNotNumbersGiveZeroAndTheNextFiniteRateStartsFromRest) {
    hl::SetJoystick(0, true, kMid, kMid, 1);
    Init();
    hl::SetJoystick(0, true, 65535, 0, 1);  // right and up, button 1 held
    int x = 7, y = 7;
    elInput::JoySetRates(0, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::quiet_NaN());
    elInput::JoyAnalog(0, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(elInput::JoyButtonRamp(0, 1), 0);
    // An infinite rate jumps to the end; in a frame of no time its step is
    // not a number, and the axis rests again.
    elInput::JoySetRates(0, std::numeric_limits<float>::infinity(), 60.0f);
    elInput::JoyAnalog(0, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, -100);
    FrameDelta = 0.0f;
    elInput::JoyAnalog(0, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    // A finite rate afterwards starts from rest: 60 per second, one frame.
    FrameDelta = 1.0f / 60.0f;
    elInput::JoySetRates(0, 60.0f, 60.0f);
    elInput::JoyAnalog(0, &x, &y);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, -1);
}

}  // namespace
