// No sequencer yet: every command fails.
#include "platform/mci.h"

namespace plat {

DWORD mciSendStringA(const char*, char* answer, UINT answerSize, HWND) {
    if (answer && answerSize > 0) answer[0] = 0;
    return 263;  // MCIERR_INVALID_DEVICE_NAME
}

}  // namespace plat
