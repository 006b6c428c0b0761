// Placeholder primitives: nothing is drawn yet.
#include "draw/primitives.h"

namespace elDraw {
void Box(int, int, int, int, int, int, int) {}
}  // namespace elDraw
