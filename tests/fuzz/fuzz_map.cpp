// The map file "map_data.txt", read from the current folder and composed
// into the six screens from the game's own tile sheet.
#include <filesystem>

#include "draw/elDraw.h"
#include "fuzz_support.h"
#include "game/MapScene.h"

namespace {

// The scene's objects as MapScene::Init makes them, on the screen the fuzz
// program has already opened.
void LoadSceneObjects() {
    std::filesystem::copy(EL_GAME_DIR "/BMP", "BMP", std::filesystem::copy_options::overwrite_existing);
    MapScene::TileSheet = elDraw::LoadObject("BMP\\m_cp.bmp", 2);
    for (auto& column : MapScene::ScreenObjects)
        for (int& slot : column) slot = elDraw::CreateObject(768, 576, 2);
}

}  // namespace

EL_FUZZ_FILE_LOADER("map_data.txt", [](const char*) {
    static const bool loaded = (LoadSceneObjects(), true);
    (void)loaded;
    MapScene::MapRead = 0;
    MapScene::LoadMap();
})
