// Frame timer, wait slots and the blocking wait.
#include "input/elInput.h"
#include "system/elSystem.h"

namespace elSystem {

namespace {
constexpr std::uint32_t kDisarmed = 999999999u;
constexpr int kSlots = 11;
std::uint32_t waitSlots[kSlots + 1] = {0, kDisarmed, kDisarmed, kDisarmed, kDisarmed, kDisarmed,
                                       kDisarmed, kDisarmed, kDisarmed, kDisarmed, kDisarmed,
                                       kDisarmed};
const char* const kRangeMessage = "ウェイトNoが範囲外です";
}  // namespace

void ResetFrameTimer() {
    FrameDelta = 0.0f;
    LastFrameTime = plat::timeGetTime();
}

void UpdateFrameDelta() {
    std::uint32_t elapsed = plat::timeGetTime() - LastFrameTime;
    FrameDelta = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
    LastFrameTime = plat::timeGetTime();
}

int SetWait(int number, int ms) {
    if (number < 1 || number > 10) return ReportError("elSystem::SetWait", kRangeMessage);
    waitSlots[number] = plat::timeGetTime() + static_cast<std::uint32_t>(ms);
    return 1;
}

int InitWait(int number) {
    if (number < 1 || number > 10) return ReportError("elSystem::InitWait", kRangeMessage);
    waitSlots[number] = kDisarmed;
    return 1;
}

int CheckWait(int number) {
    // Numbers without a slot never read as reached.
    if (number < 1 || number > kSlots) return 0;
    return plat::timeGetTime() >= waitSlots[number] ? 1 : 0;
}

void Wait(int ms) {
    waitSlots[kSlots] = plat::timeGetTime() + static_cast<std::uint32_t>(ms);
    while (!(plat::timeGetTime() > waitSlots[kSlots])) plat::SpinPause();
    ResetFrameTimer();
}

int ResetInput() {
    for (int i = 1; i <= kSlots; ++i) waitSlots[i] = kDisarmed;
    elInput::EndCapture();
    elInput::AltMode = 0;
    if (FullScreen) ClipCursorToScreen();
    return 1;
}

}  // namespace elSystem
