// The map scene. For now it opens the screen and presents empty frames.
#include "game/MapScene.h"

#include "draw/elDraw.h"
#include "system/elSystem.h"

namespace MapScene {

void Init() {
    elDraw::Screen(800, 600, 1);
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

void Frame() { elDraw::Present(); }

}  // namespace MapScene
