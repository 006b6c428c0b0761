// MIDI music through the MCI sequencer, looped on its end notification.
#include <cstdio>
#include <string>

#include "platform/mci.h"
#include "sound/elSound.h"
#include "system/elSystem.h"

namespace elMusic {
namespace {

int open = 0;
int loop = 1;

void Send(const char* command, plat::HWND callback = nullptr) {
    plat::mciSendStringA(command, nullptr, 0, callback);
}

}  // namespace

int IsOpen() { return open; }

int Reset() {
    open = 0;
    loop = 1;
    return 1;
}

void Play(const char* name, int loopFlag) {
    char command[260];
    std::snprintf(command, sizeof command, "open \"%s%s\" type sequencer alias midi",
                  elSystem::GetProgramFolder(0), name ? name : "");
    if (open) Stop();
    // A missing file or sequencer makes these fail quietly; the device
    // counts as open all the same, and a later Stop closes it harmlessly.
    // A file that cannot be read is named in the debug output all the same.
    std::string path = std::string(elSystem::GetProgramFolder(0)) + (name ? name : "");
    if (std::FILE* f = plat::OpenFile(path.c_str(), "rb"))
        std::fclose(f);
    else
        NoteFileProblem("elMusic::Play", "MIDIファイルを開けません", path.c_str());
    Send(command);
    Send("seek midi to start");
    Send("play midi notify", MainWindow);
    open = 1;
    loop = loopFlag;
}

void Stop() {
    if (!open) return;
    Send("stop midi");
    Send("close midi");
    open = 0;
}

void Close() {
    Send("stop midi");
    Send("close midi");
}

void NoLoop() { loop = 0; }

void OnNotify() {
    if (loop) {
        Send("seek midi to start");
        Send("play midi notify", MainWindow);
    } else {
        Stop();
    }
}

}  // namespace elMusic
