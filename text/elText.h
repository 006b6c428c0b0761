// GDI text, fonts and the frame-rate line.
#pragma once

namespace elText {
void FreeFonts();
}  // namespace elText
