// Primitives on the back surface: pixels, lines, boxes, polygons, curves,
// inverted and half-transparent boxes, and saving the screen.
#pragma once

namespace elDraw {

// A rectangle filled with `fill` and outlined with a pen of `line` colour and
// `width` pixels (GDI colours, 0x00BBGGRR).
void Box(int left, int top, int right, int bottom, int fill, int line, int width);

}  // namespace elDraw
