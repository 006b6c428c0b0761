// The smallest whole program: a window, one scene that clears, prints and
// draws a box that follows the mouse, and the frame loop. The README's tour
// walks through it.
//
//   hello [seconds]     Esc ends it; with a number it also ends by itself
#include <cstdlib>

#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "input/elInput.h"
#include "platform/entry.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

float Seconds = 0;  // time since the scene started
float RunFor = 0;   // end after this many seconds (0: until Esc)

void Init() {
    elDraw::Screen(800, 600, 1);  // opens the screen and every other subsystem
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

void Title() {
    Seconds += FrameDelta;
    if (RunFor > 0 && Seconds >= RunFor) {
        elSystem::Quit();
        return;
    }
    elDraw::Clear();
    elText::Print(16, 16, "こんにちは、ｹﾞｰﾑ!  (Esc で終了)");
    elText::Printf(16, 40, "%.1f s", static_cast<double>(Seconds));
    elDraw::Box(MouseX - 4, MouseY - 4, MouseX + 4, MouseY + 4, 0x0000FF, 0, 1);  // red
    elDraw::Present();  // waits for the vertical blank: paces the loop
}

int Body(const char* commandLine, int show) {
    RunFor = static_cast<float>(std::atof(commandLine));
    elSystem::Program program;
    program.title = "ｹﾞｰﾑ";
    program.init = Init;
    program.scenes = {{1, Title}};
    return elSystem::Run(program, commandLine, show);
}

}  // namespace

EL_ENTRY_POINT(Body)
