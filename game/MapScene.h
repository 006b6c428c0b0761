// The map-scrolling scene: a world of 3 x 2 screens shown one at a time
// inside the frame picture.
#pragma once

namespace MapScene {
void Init();
void Frame();
}  // namespace MapScene
