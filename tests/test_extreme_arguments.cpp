// Every public drawing, text, input, sound and system call of the library
// driven with extreme arguments, one at a time and all at once: INT_MAX,
// INT_MIN, 0, -1, huge sizes and NaN or infinite floats. The suite runs under
// the undefined-behaviour sanitizer, so a signed overflow, an out-of-range
// shift or a bad float conversion fails it; a call that loops over a huge
// size makes it hang. Each case also checks that the screen still draws.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

#include "draw/effects/elEffects.h"
#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "input/elInput.h"
#include "sound/elSound.h"
#include "support/draw_support.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

constexpr int kInts[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, 7, 100000, INT_MAX - 1, INT_MAX};
constexpr float kInf = std::numeric_limits<float>::infinity();
const float kFloats[] = {std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, 0.0f, -1.0f, 1e30f, -1e30f,
                         std::numeric_limits<float>::max()};

// Calls `call` with `base`, then with each argument in turn set to every
// extreme value, then with all arguments set to the same extreme value.
template <std::size_t N, typename Call>
void Vary(std::array<int, N> base, Call call) {
    call(base);
    for (std::size_t i = 0; i < N; ++i)
        for (int v : kInts) {
            auto a = base;
            a[i] = v;
            call(a);
        }
    for (int v : kInts) {
        std::array<int, N> a;
        a.fill(v);
        call(a);
    }
}

class ExtremeArgs : public test::DrawTest {
protected:
    void SetUp() override {
        test::DrawTest::SetUp();
        StartWithScreen();
        elDraw::ResetRasterAnimations();
        FrameDelta = 1.0f / 60.0f;
        slot_ = elDraw::CreateObject(16, 16, 2);
        ASSERT_GT(slot_, 0);
        test::FillSurface(ObjectTable[slot_].surface, 0x1234);
    }
    void TearDown() override {
        elDraw::ClipWipeState = 0;
        test::DrawTest::TearDown();
    }
    // The screen still draws: a plain draw lands where it should.
    void ExpectScreenWorks() {
        elDraw::SetClip(0, 0, ScreenWidth, ScreenHeight);
        elDraw::Clear();
        elDraw::DrawSolid(10, 10, slot_, 0, 0, 16, 16);
        EXPECT_EQ(test::PixelAt(elDraw::BackSurface, 12, 12), 0x1234u);
    }
    int slot_ = 0;
};

TEST_F(ExtremeArgs, FillsDrawsAndClipsTakeAnyRectangle) {
    const int s = slot_;
    Vary<4>({10, 10, 100, 100}, [](auto a) {
        elDraw::ClearBox(a[0], a[1], a[2], a[3]);
        elDraw::FrameBox(a[0], a[1], a[2], a[3]);
        elDraw::WhiteBox(a[0], a[1], a[2], a[3]);
        elDraw::FillBox(a[0], a[1], a[2], a[3], a[0]);
        elDraw::HalfBox(a[0], a[1], a[2], a[3], a[3]);
        elDraw::InvertBox(a[0], a[1], a[2], a[3]);
        elDraw::CopyScreen(a[0], 0, 0, 16, 16);
    });
    Vary<7>({10, 10, s, 0, 0, 16, 16}, [](auto a) {
        elDraw::Draw(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
        elDraw::DrawSolid(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
        elDraw::DrawToObject(a[2], a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
        elDraw::DrawSolidToObject(a[2], a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
        elDraw::DrawMirror(a[0], a[1], a[6] & 3, a[2], a[3], a[4], a[5], a[6]);
        elDraw::DrawShake(a[0], a[1], a[3], a[2], a[3], a[4], a[5], a[6]);
        elDraw::DrawBlockRows(a[0], a[1], a[3], a[2], a[3], a[4], a[5], a[6]);
        elDraw::DrawSkipRows(a[0], a[1], a[3], a[2], a[3], a[4], a[5], a[6]);
    });
    Vary<4>({10, 10, 40, 40}, [s](auto a) {
        elDraw::DrawScaled(a[0], a[1], s, 0, 0, 16, 16, a[2], a[3]);
        elDraw::DrawScaledSolid(a[0], a[1], s, a[2], a[3], 16, 16, 20, 20);
    });
    // Draws under a clip rectangle of extreme edges.
    Vary<4>({0, 0, 800, 600}, [s](auto a) {
        elDraw::SetClip(a[0], a[1], a[2], a[3]);
        elDraw::Draw(INT_MAX, INT_MIN, s, 0, 0, 16, 16);
        elDraw::Draw(-5, -5, s, 0, 0, 16, 16);
        elDraw::HalfBox(0, 0, 20, 20, 0xFFFF);
        elDraw::DrawMirror(-3, -3, 3, s, 0, 0, 16, 16);
        elDraw::DrawHalfBlend(-3, -3, s, 0, 0, 16, 16);
    });
    ExpectScreenWorks();
}

TEST_F(ExtremeArgs, PresentDrawsThePanelAndWipeUnderAnyClipAndContentHeight) {
    elDraw::SetVSync(0);
    elDraw::PanelPageSlot = slot_;
    elDraw::PanelBackgroundSlot = slot_;
    elDraw::WipePatternSlot = slot_;
    auto present = [](int left, int top, int right, int bottom) {
        elDraw::SetClip(left, top, right, bottom);
        elDraw::WipeForward();
        elDraw::Present();
    };
    elDraw::PanelShown = 1;
    for (int height : kInts) {
        elDraw::PanelContentHeight = height;
        elDraw::PanelScroll = 0.0f;
        present(0, 0, 800, 600);
        present(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    }
    elDraw::PanelContentHeight = INT_MIN;
    Vary<4>({0, 0, 800, 600}, [&](auto a) { present(a[0], a[1], a[2], a[3]); });
    elDraw::PanelShown = 0;
    elDraw::WipeCounter = 0;
    elDraw::WipeDirection = 0;
    ExpectScreenWorks();
}

TEST_F(ExtremeArgs, AnimatedDrawsTakeAnyCoordinatesAndSpeeds) {
    const int s = slot_;
    Vary<6>({10, 10, 5, 0, 16, 16}, [s](auto a) {
        elDraw::DrawWave(a[0], a[1], a[2], a[3], 90.0f, s, 0, 0, a[4], a[5], a[2] & 1);
        elDraw::DrawWaveScroll(a[0], a[1], a[2], a[3], 90.0f, 30.0f, s, 0, 0, a[4], a[5]);
        elDraw::DrawRoll(a[0], a[1], a[2], 3.0f, s, 0, 0, a[4], a[5]);
    });
    Vary<4>({100, 140, 5, 0}, [s](auto a) {
        elDraw::DrawWaveTiled(a[0], a[1], a[2], a[3], 90.0f, 30.0f, s, 0, 0, 16, 16);
        elDraw::DrawTiled(1.0f, 1.0f, s, a[2], a[3], 16, 16);
    });
    for (float f : kFloats) {
        elDraw::DrawWave(10, 10, 5, 0, f, s, 0, 0, 16, 16, 1);
        elDraw::DrawWaveScroll(10, 10, 5, 0, f, f, s, 0, 0, 16, 16);
        elDraw::DrawWaveTiled(100, 120, 5, 0, f, f, s, 0, 0, 16, 16);
        elDraw::DrawTiled(f, -f, s, 0, 0, 16, 16);
        elDraw::DrawRoll(10, 10, 0, f, s, 0, 0, 16, 16);
        elDraw::DrawRoll(10, 10, 1, f, s, 0, 0, 16, 16);
        FrameDelta = f;
        elDraw::DrawWave(10, 10, 5, 3, 1.0f, s, 0, 0, 16, 16, 0);
        elDraw::DrawTiled(1.0f, 1.0f, s, 0, 0, 16, 16);
        elDraw::StartWipe(0, 7, f, 10);
        elDraw::StepClipWipe();
        elDraw::ClipWipeState = 0;
        elDraw::SetClip(0, 0, ScreenWidth, ScreenHeight);
        FrameDelta = 1.0f / 60.0f;
    }
    for (int band : kInts)
        for (int type = 1; type <= 9; ++type)
            for (int closing = 0; closing <= 1; ++closing) {
                ASSERT_EQ(elDraw::StartWipe(closing, type, 1e9f, band), 1);
                for (int i = 0; i < 4 && elDraw::StepClipWipe(); ++i) {
                }
                elDraw::CloseClip();
                elDraw::ClipWipeState = 0;
                elDraw::SetClip(0, 0, ScreenWidth, ScreenHeight);
            }
    ExpectScreenWorks();
}

TEST_F(ExtremeArgs, PrimitivesCutHugePensAndReturnPromptly) {
    const plat::POINT square[] = {{10, 10}, {INT_MAX, 10}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MIN}};
    const plat::POINT curve[] = {{INT_MIN, 0}, {INT_MAX, 600}, {0, INT_MAX}, {800, INT_MIN}};
    Vary<5>({10, 10, 200, 100, 3}, [&](auto a) {
        elDraw::Line(a[0], a[1], a[2], a[3], 0xFFFFFF, a[4]);
        elDraw::Box(a[0], a[1], a[2], a[3], 0xFF, 0, a[4]);
        elDraw::Polygon(square, 4, 0xFF00, 0, a[4], a[0] & 3);
        elDraw::Bezier(curve, 4, 0xFF0000, a[4]);
        elDraw::SetPixel(a[0], a[1], a[2]);
        int r = 0, g = 0, b = 0;
        elDraw::GetPixel(a[0], a[1], &r, &g, &b);
    });
    // A pen wider than the screen is cut to what the screen can show: it
    // still covers every pixel, and returns at once.
    for (int width : {10000000, INT_MAX}) {
        elDraw::Clear();
        elDraw::Line(0, 0, 799, 599, 0xFFFFFF, width);
        for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}})
            EXPECT_EQ(test::PixelAt(elDraw::BackSurface, x, y), 0xFFFFu) << width << " at " << x << "," << y;
    }
    elDraw::Polygon(square, INT_MIN, 0, 0, 1, 0);
    elDraw::SaveScreen("extreme.bmp", INT_MIN, INT_MAX);
    elDraw::SaveScreen("extreme.bmp", INT_MAX, INT_MAX);
    ExpectScreenWorks();
}

TEST_F(ExtremeArgs, EffectDrawsTakeAnyLevelsAndRectangles) {
    const int s = slot_;
    Vary<7>({10, 10, 0, 0, 16, 16, 8}, [s](auto a) {
        const int l = a[6];
        elDraw::DrawHalfBlend(a[0], a[1], s, a[2], a[3], a[4], a[5]);
        elDraw::DrawFadeBlend(a[0], a[1], l, s, a[2], a[3], a[4], a[5]);
        elDraw::DrawFadeBlendRGB(a[0], a[1], l, ~l, l, s, a[2], a[3], a[4], a[5]);
        elDraw::DrawGradientFade(a[0], a[1], l, l, l, l & 1, static_cast<unsigned>(l), l, s, a[2], a[3], a[4], a[5]);
        elDraw::DrawAdd(a[0], a[1], s, a[2], a[3], a[4], a[5]);
        elDraw::DrawSubtract(a[0], a[1], s, a[2], a[3], a[4], a[5]);
        elDraw::DrawChannelMask(a[0], a[1], l, l, l, s, a[2], a[3], a[4], a[5]);
        elDraw::DrawDark(a[0], a[1], l, s, a[2], a[3], a[4], a[5]);
        elDraw::DrawDarkRGB(a[0], a[1], l, l, ~l, s, a[2], a[3], a[4], a[5]);
        elDraw::DrawGray(a[0], a[1], s, a[2], a[3], a[4], a[5]);
    });
    for (float f : kFloats) {
        elDraw::DrawAlphaBlend(10, 10, f, s, 0, 0, 16, 16);
        elDraw::DrawAlphaBlendRGB(10, 10, f, -f, 0.5f, s, 0, 0, 16, 16);
        elDraw::DrawGradientAlpha(10, 10, f, f, f, 0, 0, 1, s, 0, 0, 16, 16);
        elDraw::DrawGradientAlpha(10, 10, 0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFFu, INT_MIN, s, 0, 0, 16, 16);
        elDraw::DrawAddLevel(10, 10, f, s, 0, 0, 16, 16);
        elDraw::DrawBright(10, 10, f, s, 0, 0, 16, 16);
        elDraw::DrawBrightRGB(10, 10, f, 1.0f, -f, s, 0, 0, 16, 16);
    }
    ExpectScreenWorks();
}

TEST_F(ExtremeArgs, TextTakesAnyPositionSizeAndFont) {
    Vary<4>({10, 10, 200, 100}, [](auto a) {
        elText::Draw(a[0], a[1], "ABC");
        elText::Print(a[0], a[1], "ABC");
        elText::Printf(a[0], a[1], "%d", a[2]);
        elText::DrawBox(a[0], a[1], a[2], a[3], "ABC DEF GHI", a[0] & 3);
        elText::MeasureBox(a[0], a[1], a[2], a[3], "ABC DEF GHI");
    });
    Vary<4>({0, 16, 0, 400}, [](auto a) {
        elText::SetFont(a[0], a[1], a[2], a[3], a[0] & 1, a[1] & 1);
        elText::Draw(10, 10, "ABC");
        elText::SetFontName("", a[1], a[2], a[3], 0, 0);
        elText::Draw(INT_MAX, INT_MIN, "ABC");
        elText::SetWorkFont(a[0], a[1]);
        elText::SetWorkFontName("X", a[1]);
    });
    elText::ReleaseWorkFont();
    elText::ReleaseFont();
    elText::SetColor(0xFFFFFFFFu, 0xFFFFFFFFu, INT_MIN);
    elText::Draw(0, 0, "ABC");
    elText::ShowFps();
    ExpectScreenWorks();
}

TEST_F(ExtremeArgs, InputAndSystemCallsTakeAnyNumbers) {
    for (int v : kInts) {
        int state = v;
        elInput::UpdateKey(v, state);
        elInput::OnKeyDown(v);
        elInput::WatchKey(v);
        elInput::SetAltMode(v);
        elSystem::SetMousePos(v, 0);
        elSystem::SetMousePos(v, v);
        elSystem::ClipCursorRect(v, v, INT_MAX, INT_MIN);
        elSystem::SetWait(v, v);
        elSystem::InitWait(v);
        elSystem::CheckWait(v);
        elSystem::EnableIME(v);
        for (int id : {v, 0, 1}) {
            int x = 0, y = 0, b[4] = {};
            elInput::JoySetRates(id, 10.0f, 10.0f);
            elInput::JoyGetCentre(id, &x, &y);
            elInput::JoyPosition(id, &x, &y);
            elInput::JoyButton(id, v);
            elInput::JoyButtons(id, &b[0], &b[1], &b[2], &b[3]);
            elInput::JoyButtonState(id, v);
            elInput::JoyButtonStates(id, &b[0], &b[1], &b[2], &b[3]);
            elInput::JoyButtonRamp(id, v);
            elInput::JoyButtonRamps(id, &b[0], &b[1], &b[2], &b[3]);
            elInput::JoyDirection(id, &x, &y);
            elInput::JoyDirection8(id);
            elInput::JoyAnalog(id, &x, &y);
        }
    }
    const int codes[] = {INT_MIN, INT_MAX, -1, 0};
    elInput::CheckPush(codes);
    elSystem::ReleaseCursor();
    elSystem::Wait(0);
    elSystem::SaveValue("extreme.txt", INT_MIN);
    EXPECT_EQ(elSystem::LoadValue("extreme.txt"), INT_MIN);
    ExpectScreenWorks();
}

TEST_F(ExtremeArgs, SoundCallsTakeAnySlotMixAndValue) {
    for (int v : kInts) {
        for (int m : {v, 0, -1}) {
            elSound::Play(v, m);
            elSound::PlayLoop(v, m);
            elSound::Stop(v, m);
            elSound::Pause(v, m);
            elSound::AddFrequency(v, v, m);
            elSound::SetFrequency(v, v, m);
            elSound::ResetFrequency(v, m);
            elSound::AddPan(v, v, m);
            elSound::SetPan(v, v, m);
            elSound::ResetPan(v, m);
            elSound::PanLeft(v, m);
            elSound::PanRight(v, m);
            elSound::AddVolume(v, v, m);
            elSound::SetVolume(v, v, m);
            elSound::ResetVolume(v, m);
        }
        elSound::Echo(v, v, v, v);
        elSound::EchoPan(v, v, v, v, v);
        elSound::DeleteObject(v);
        elSound::SelectFormat(v, v, v);
    }
    ExpectScreenWorks();
}

}  // namespace
