// GDI text, fonts and the frame-rate line.
#pragma once

namespace elText {
int EnumFonts();
void FreeFonts();
// Formatted text at (x, y) in the standard style (white on dark blue).
void Printf(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
}  // namespace elText
