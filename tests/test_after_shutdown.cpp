// Every subsystem after its device went away: a frame that quits (which
// frees the fonts, releases the sound device and closes the screen) and then
// goes on calling drawing, effect, text, sound, pack and music operations.
// None may reach a released device or surface: draws return without drawing,
// loaders refuse, nothing crashes (the suite runs under the address
// sanitizer, which sees any use of a released object).
#include <gtest/gtest.h>

#include <vector>

#include "draw/effects/elEffects.h"
#include "draw/elDraw.h"
#include "draw/pack_format.h"
#include "draw/primitives.h"
#include "platform/portable/headless.h"
#include "sound/elSound.h"
#include "sound/pack_format.h"
#include "support/draw_support.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

namespace hl = plat::headless;

class AfterShutdown : public test::DrawTest {};

// Every operation once, with ordinary arguments, on the slots a program
// would still hold.
void CallEverything(int object, int packed, int sound, int stream) {
    elDraw::SetClip(0, 0, 800, 600);
    elDraw::Clear();
    elDraw::ClearBox(0, 0, 10, 10);
    elDraw::FillBox(0, 0, 10, 10, 0x1234);
    elDraw::Draw(0, 0, object, 0, 0, 4, 4);
    elDraw::DrawSolid(0, 0, packed, 0, 0, 2, 2);
    elDraw::DrawScaled(0, 0, object, 0, 0, 4, 4, 8, 8);
    elDraw::DrawToObject(object, 0, 0, packed, 0, 0, 2, 2);
    elDraw::CopyScreen(object, 0, 0, 4, 4);
    elDraw::DrawWave(0, 0, 4, 2, 1.0f, object, 0, 0, 4, 4, 0);
    elDraw::DrawShake(0, 0, 2, object, 0, 0, 4, 4);
    elDraw::DrawMirror(0, 0, 1, object, 0, 0, 4, 4);
    elDraw::DrawHalfBlend(0, 0, object, 0, 0, 4, 4);
    elDraw::DrawAlphaBlend(0, 0, 0.5f, object, 0, 0, 4, 4);
    elDraw::DrawGray(0, 0, object, 0, 0, 4, 4);
    elDraw::ScreenBlur(0, 0, 10, 10);
    elDraw::ScreenNoise(1, 0, 0, 10, 10);
    elDraw::DrawRotate(0, 0, 8, 8, 30, object, 0, 0, 4, 4);
    elDraw::DrawBlur(0, 0, 1, object, 0, 0, 4, 4);
    elDraw::DrawStretchEdge(0, 0, 1, 0, object, 0, 0, 4, 4);
    elDraw::DrawTunnel(0, 0, 1, 1, object);
    elDraw::Box(0, 0, 10, 10, 1, 1, 1);
    elDraw::HalfBox(0, 0, 10, 10, 0x1234);
    int r = 0, g = 0, b = 0;
    elDraw::GetPixel(1, 1, &r, &g, &b);
    elDraw::Present();
    elDraw::Restore();
    elDraw::SetObjectKey(object, 0);
    elDraw::CopyObjectKey(object, packed);
    elDraw::ReleaseObject(object);

    elText::SetFont(0, 16, 0, 400, 0, 0);
    elText::SetColor(0xFFFFFF, 0, 1);
    elText::Draw(0, 0, "ABC");
    elText::DrawBox(0, 0, 100, 100, "ABC", 0);
    elText::SpriteText(0, 0, 200, 100, "ABC", 0);
    elText::PrepareSpriteText(0, 0, 200, 100, "ABC", 0);
    elText::RevealText(0.0f);
    elText::ReleaseFont();
    elText::SetWorkFont(0, 16);
    elText::SmoothText(0, 0, 200, 100, "ABC", 0);
    elText::ReleaseWorkFont();

    elSound::Play(sound, -2);
    elSound::Echo(sound, 0, 2, 5);
    elSound::Pause(stream, -1);
    elSound::SetVolume(stream, -3, -1);
    elSound::Streaming();
    elSound::ResetStream(stream);
    elSound::SelectFormat(2, 22, 16);
    elSound::DeleteObject(sound);
    elMusic::Play("NONE.MID", 1);
    elMusic::Stop();
}

TEST_F(AfterShutdown, EveryOperationAfterQuitLeavesTheReleasedDevicesAlone) {
    std::vector<std::uint8_t> pictures;
    elDraw::pack::AppendEntry(pictures, "A.BMP", 2, 2, {1, 2, 3, 4});
    WriteFile("G.PAK", pictures);
    std::vector<std::uint8_t> sounds;
    const std::vector<std::uint8_t> format = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 0, 0};
    std::vector<std::uint8_t> samples(16000 * 6, 3);
    elSound::pack::AppendEntry(sounds, "LONG.WAV", format, samples.data(), static_cast<std::uint32_t>(samples.size()));
    elSound::pack::AppendEntry(sounds, "SHORT.WAV", format, samples.data(), 100);
    WriteFile("S.PAK", sounds);
    StartWithScreen();
    elDraw::SetPackFile("G.PAK");
    elSound::SetPackFile("S.PAK");
    int object = elDraw::CreateObject(4, 4, 2);
    int packed = elDraw::LoadPack("A.BMP", 2);
    int sound = elSound::LoadPack("SHORT.WAV", 3);
    int stream = elSound::LoadStream("LONG.WAV", 0);
    ASSERT_GT(object, 0);
    ASSERT_GT(packed, 0);
    ASSERT_GE(sound, 0);
    ASSERT_GE(stream, 0);
    elSound::PlayLoop(stream, 0);
    elDraw::MakeTunnel(4, 4, 16, 16, 8, 8, 8, 0, 1, 0);
    hl::ClearBoxes();

    elSystem::Quit();
    EXPECT_EQ(elDraw::DirectDraw, nullptr);
    EXPECT_EQ(elSound::Device, nullptr);
    CallEverything(object, packed, sound, stream);
    // The loaders refuse: the sound ones as without a device, the picture
    // ones because no surface can be made.
    EXPECT_EQ(elSound::LoadPack("SHORT.WAV", 1), -1);
    EXPECT_EQ(elSound::LoadStream("LONG.WAV", 0), -1);
    EXPECT_EQ(elSound::LoadObject("A.WAV", 1), -1);
    EXPECT_EQ(elDraw::LoadPack("A.BMP", 2), 0);
    EXPECT_EQ(elDraw::SwapPack("A.BMP", packed, 2), 0);
    EXPECT_EQ(elDraw::CreateObject(4, 4, 2), 0);
    EXPECT_EQ(elDraw::LoadObject("NONE.BMP", 2), 0);
    // A second round finds everything as the first left it.
    CallEverything(object, packed, sound, stream);
    EXPECT_EQ(elDraw::DirectDraw, nullptr);
    EXPECT_EQ(elSound::Device, nullptr);
    for (int slot = 0; slot < kObjectSlots; ++slot) EXPECT_EQ(ObjectTable[slot].surface, nullptr) << slot;
}

}  // namespace
