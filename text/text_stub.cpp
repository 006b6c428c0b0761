// Placeholder text: no fonts.
#include "text/elText.h"

namespace elText {
int EnumFonts() { return 0; }
void FreeFonts() {}
void Printf(int, int, const char*, ...) {}
}  // namespace elText
