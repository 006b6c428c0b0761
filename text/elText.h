// GDI text, fonts and the frame-rate line.
#pragma once

namespace elText {
int EnumFonts();
void FreeFonts();
}  // namespace elText
