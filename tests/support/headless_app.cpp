#include "support/headless_app.h"

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/display.h"

namespace test {

CountingProgram::CountingProgram(bool withScreen) {
    program.title = "ﾃｽﾄ";
    program.init = [withScreen] {
        if (withScreen) elDraw::Screen(800, 600, 1);
        SceneNumber = 1;
        elSystem::ForgetPreviousScene();
    };
    program.scenes = {{1, [this] { ++frames; }}};
}

void Headless::ResetLibraryDefaults() {
    plat::SetDisplayFormat(plat::DisplayFormat::Rgb565);
    elDraw::SetKeyColor(0);
    elDraw::SetDepths(16, 0, 0);
    elDraw::SetWindowScale(0);
    elDraw::SetScaleFill(0);
    elDraw::SetVSync(1);
    elDraw::SetClip(0, 0, 0, 0);
    ErrorFlag = 0;
    elInput::ResetAll();
    elDraw::PanelShown = 0;
    elDraw::WipeCounter = 0;
    elDraw::WipeDirection = 0;
}

bool DrainMessages() {
    while (plat::headless::QueuedMessages() > 0) {
        if (!elSystem::LoopPass()) return false;
    }
    return true;
}

bool RunFrames(int frames, CountingProgram& counter) {
    int target = counter.frames + frames;
    while (counter.frames < target) {
        if (!elSystem::LoopPass()) return false;
    }
    return true;
}

}  // namespace test
