// A tiny game built against the installed library: it draws a moving box
// and a Japanese text for the number of frames given on its command line,
// writes "frames=N" and the bytes of its Japanese literal ("text=82a0" when
// the build made it Shift-JIS, as the README tells a game to) into
// consumer.txt beside itself and ends.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "platform/entry.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace {

int Frames = 0;
int Wanted = 10;
const char* const kText = "あ";  // Shift-JIS 82 A0 once converted

void Init() {
    elDraw::Screen(800, 600, 1);
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

void Frame() {
    if (Frames == Wanted) {
        std::string path = std::string(elSystem::GetProgramFolder(0)) + "consumer.txt";
        for (char& c : path)
            if (c == '\\') c = '/';
        if (std::FILE* f = std::fopen(path.c_str(), "w")) {
            std::fprintf(f, "frames=%d\n", Frames);
            std::fprintf(f, "text=");
            for (const char* c = kText; *c; ++c) std::fprintf(f, "%02x", static_cast<unsigned char>(*c));
            std::fprintf(f, "\n");
            std::fclose(f);
        }
        elSystem::Quit();
        return;
    }
    ++Frames;
    elDraw::Clear();
    elDraw::Box(10 * Frames, 100, 10 * Frames + 40, 140, 0x00FF00, 0, 1);
    elText::Printf(8, 8, "%s frame %d", kText, Frames);
    elDraw::Present();
}

int Body(const char* commandLine, int show) {
    if (int n = std::atoi(commandLine); n > 0) Wanted = n;
    elSystem::Program program;
    program.title = "consumer ゲーム";
    program.init = Init;
    program.scenes = {{1, Frame}};
    return elSystem::Run(program, commandLine, show);
}

}  // namespace

EL_ENTRY_POINT(Body)
