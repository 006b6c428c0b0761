// Entry point of the game "ﾀｲﾙｽﾞ".
#include <string>

#include "game/MapScene.h"
#include "platform/entry.h"
#include "system/elSystem.h"

int GameMain(const char* commandLine, int showCommand) {
    elSystem::Program program;
    program.title = "ﾀｲﾙｽﾞ";
    program.init = MapScene::Init;
    program.scenes = {{1, MapScene::Frame}};
    return elSystem::Run(program, commandLine, showCommand);
}

EL_ENTRY_POINT(GameMain)
