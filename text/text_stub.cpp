// Placeholder text: no fonts.
#include "text/elText.h"

namespace elText {
void FreeFonts() {}
}  // namespace elText
