// Placeholder sound and music: no device.
#include "sound/elSound.h"

namespace elSound {
int Create() { return 0; }
void ResetTable() {}
void Release() {}
}  // namespace elSound

namespace elMusic {
int IsOpen() { return 0; }
void Reset() {}
void OnNotify() {}
}  // namespace elMusic
