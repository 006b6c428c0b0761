// Placeholder joysticks: none.
#include "input/elInput.h"

namespace elInput {
void ResetJoysticks() {}
}  // namespace elInput
