// Pictures and sounds from packs: a background and a ball loaded by name
// from a bitmap pack, a tune streamed from a sound pack and looping back to
// its second bar, and a click loaded whole from the same sound pack.
//
//   pack_demo [seconds]     Space clicks; Esc ends it; with a number it
//                           also ends by itself
//
// The packs "pack_demo.bpk" and "pack_demo.spk" beside the program are made
// at build time by the pack tool (elpack) from folders of BMP and WAV files.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/entry.h"
#include "platform/win.h"
#include "sound/elSound.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

constexpr int kBall = 32;
constexpr unsigned kLoopOffset = 22050 * 2 * 2;  // bytes: two seconds of 22050 Hz mono 16-bit

int Back = 0, Ball = 0;
int Tune = -1, Click = -1;
float Seconds = 0;
float RunFor = 0;
int EscapeKey = 0, SpaceKey = 0;  // key states kept by elInput::UpdateKey

void Init() {
    if (!elDraw::Screen(800, 600, 1)) return;
    elDraw::SetPackFile("pack_demo.bpk");
    Back = elDraw::LoadPack("back.bmp", 2);
    Ball = elDraw::LoadPack("BALL.BMP", 2);
    elSound::SetPackFile("pack_demo.spk");
    Tune = elSound::LoadStream("TUNE.WAV", kLoopOffset);
    Click = elSound::LoadPack("CLICK.WAV", 4);
    elSystem::QuitIfError();
    elSound::PlayLoop(Tune, -1);
    plat::Trace("pack_demo: pictures and sounds loaded from the packs");
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

void Frame() {
    Seconds += FrameDelta;
    elInput::UpdateKey(plat::VK_ESCAPE, EscapeKey);
    elInput::UpdateKey(plat::VK_SPACE, SpaceKey);
    if ((RunFor > 0 && Seconds >= RunFor) || EscapeKey == 1) {
        elSystem::Quit();
        return;
    }
    elSound::Streaming();
    if (SpaceKey == 1) elSound::Play(Click, -1);

    elDraw::Clear();
    elDraw::Draw(0, 0, Back, 0, 0, 800, 600);
    for (int i = 0; i < 5; ++i) {
        float t = Seconds * 1.3f + static_cast<float>(i) * 0.9f;
        int x = 400 + static_cast<int>(300 * std::sin(t)) - kBall / 2;
        int y = 380 - static_cast<int>(std::fabs(220 * std::sin(t * 2.1f))) - kBall / 2;
        elDraw::Draw(x, y, Ball, 0, 0, kBall, kBall);
    }
    elText::Printf(16, 16, "stream %u / %u bytes  (Space: click, Esc: end)",
                   Tune >= 0 ? SoundTable[Tune].stream.consumed : 0u,
                   Tune >= 0 ? SoundTable[Tune].stream.dataSize : 0u);
    elDraw::Present();
}

int Body(const char* commandLine, int show) {
    RunFor = static_cast<float>(std::atof(commandLine));
    elSystem::Program program;
    program.title = "パック デモ";
    program.init = Init;
    program.scenes = {{1, Frame}};
    return elSystem::Run(program, commandLine, show);
}

}  // namespace

EL_ENTRY_POINT(Body)
