// The map scene driven headless: slides, read-outs, snapping, key handling,
// map files, the mouse marker and golden frames of every screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "game/MapScene.h"
#include "platform/portable/headless.h"
#include "platform/portable/headless_display.h"
#include "support/golden.h"
#include "support/headless_app.h"
#include "system/elSystem.h"
#include "text/elText.h"

using namespace plat;
namespace hl = plat::headless;
namespace fs = std::filesystem;

namespace {

class MapSceneTest : public test::Headless {
protected:
    fs::path oldDir;
    fs::path dir;
    elSystem::Program program;
    int frames = 0;

    void SetUp() override {
        test::Headless::SetUp();
        oldDir = fs::current_path();
        dir = fs::temp_directory_path() /
              ("el_map_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
        // The game's pictures are found beside the (pretended) executable.
        std::string exe = std::string(EL_GAME_DIR) + "/tiles";
        for (char& c : exe)
            if (c == '/') c = '\\';
        hl::SetModuleFileName(exe);
        MapScene::Reset();
        program.title = "ﾀｲﾙｽﾞ";
        program.init = MapScene::Init;
        program.scenes = {{1, [this] {
                               ++frames;
                               MapScene::Frame();
                           }}};
    }
    void TearDown() override {
        fs::current_path(oldDir);
        fs::remove_all(dir);
        test::Headless::TearDown();
    }

    void UseGameMap() { fs::copy_file(fs::path(EL_GAME_DIR) / "map_data.txt", dir / "map_data.txt"); }
    void WriteMap(const std::string& text) { std::ofstream(dir / "map_data.txt") << text; }
    void Start() {
        ASSERT_TRUE(elSystem::Startup(program, "", SW_SHOWNORMAL));
        ASSERT_EQ(ErrorFlag, 0);
    }
    // Delivers queued input, then runs one frame of the scene.
    void Frame() {
        int target = frames + 1;
        while (frames < target) ASSERT_TRUE(elSystem::LoopPass());
    }
    void Press(int vk) {
        hl::KeyDown(vk);
        Frame();
        hl::KeyUp(vk);
    }
    // Frames until the scene is idle again; the read-outs of every frame.
    std::vector<int> SlideReadouts(bool horizontal) {
        std::vector<int> seen;
        seen.push_back(static_cast<int>(horizontal ? MapScene::kyori_x : MapScene::kyori_y));
        while (MapScene::SlideState != MapScene::kIdle && seen.size() < 1000) {
            Frame();
            seen.push_back(static_cast<int>(horizontal ? MapScene::kyori_x : MapScene::kyori_y));
        }
        return seen;
    }
    // Slides to a neighbouring screen and lets the view settle on it.
    // Keys are polled only at rest, so the arrow still reads "pressed" when
    // the slide ends; two frames at rest let it read "up" again.
    void SlideTo(int vk) {
        Press(vk);
        while (MapScene::SlideState != MapScene::kIdle) Frame();
        Frame();
        Frame();
    }
    const hl::Frame& Shown() { return hl::PresentedFrame(); }

    // Whether the frame shows `text` printed at (x, y) in the standard
    // style: the text is printed alone on a cleared screen for reference and
    // every pixel it covers there must be the same in the scene's frame.
    bool ShowsReadout(const hl::Frame& scene, int x, int y, const char* text) {
        elDraw::Clear();
        elText::Printf(x, y, "%s", text);
        elDraw::Present();
        const hl::Frame& reference = hl::PresentedFrame();
        int covered = 0;
        for (int yy = y; yy < y + 24; ++yy)
            for (int xx = x; xx < x + 160; ++xx) {
                if (reference.at(xx, yy) == 0) continue;
                ++covered;
                if (scene.at(xx, yy) != reference.at(xx, yy)) return false;
            }
        return covered > 0;
    }
};

TEST_F(MapSceneTest, StartsOnTheFirstScreenAtRest) {
    UseGameMap();
    Start();
    Frame();
    EXPECT_EQ(MapScene::ScreenColumn, 0);
    EXPECT_EQ(MapScene::ScreenRow, 0);
    EXPECT_EQ(MapScene::kyori_x, 0.0f);
    EXPECT_EQ(MapScene::kyori_y, 0.0f);
    EXPECT_EQ(SceneNumber, 1);
    EXPECT_EQ(Shown().width, 800);
    EXPECT_EQ(Shown().height, 600);
}

TEST_F(MapSceneTest, HorizontalSlideReadsOutAndSnapsOntoTheNextScreen) {
    Start();
    Frame();
    Press(VK_RIGHT);
    ASSERT_EQ(MapScene::SlideState, MapScene::kSlideRight);
    std::vector<int> seen = SlideReadouts(true);
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 4), (std::vector<int>{6, 13, 20, 26}));
    // 116 frames with a distance, the last of them 773, then 0 at the snap.
    EXPECT_EQ(seen.size(), 117u);
    EXPECT_EQ(seen[115], 773);
    EXPECT_EQ(seen.back(), 0);
    for (std::size_t i = 1; i < 116; ++i) {
        int step = seen[i] - seen[i - 1];
        EXPECT_TRUE(step == 6 || step == 7) << "frame " << i;
    }
    EXPECT_EQ(MapScene::ScrollX, 768.0f);
    EXPECT_EQ(MapScene::ScreenColumn, 1);
    // And back to the left: down to -773.
    Frame();
    Press(VK_LEFT);
    seen = SlideReadouts(true);
    EXPECT_EQ(seen[115], -773);
    EXPECT_EQ(MapScene::ScrollX, 0.0f);
}

TEST_F(MapSceneTest, ReadoutsArePrintedOnTheFrame) {
    UseGameMap();
    Start();
    Frame();
    Frame();
    hl::Frame rest = Shown();
    EXPECT_TRUE(ShowsReadout(rest, 200, 200, "kyori_x=0"));
    EXPECT_TRUE(ShowsReadout(rest, 300, 200, "kyori_y=0"));
    EXPECT_FALSE(ShowsReadout(rest, 200, 200, "kyori_x=6"));
    Press(VK_RIGHT);
    hl::Frame first = Shown();
    EXPECT_TRUE(ShowsReadout(first, 200, 200, "kyori_x=6"));
    Frame();
    hl::Frame second = Shown();
    EXPECT_TRUE(ShowsReadout(second, 200, 200, "kyori_x=13"));
    EXPECT_TRUE(ShowsReadout(second, 300, 200, "kyori_y=0"));
}

TEST_F(MapSceneTest, MouseMarkerIsARedSquareUnderTheFramePicture) {
    UseGameMap();
    Start();
    hl::MouseMove(400, 300);
    Frame();
    Frame();
    const hl::Frame& f = Shown();
    const std::uint32_t red = 0xF800, black = 0;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(f.at(400 + i, 300), black);  // outline, one pixel wide
        EXPECT_EQ(f.at(400 + i, 309), black);
        EXPECT_EQ(f.at(400, 300 + i), black);
        EXPECT_EQ(f.at(409, 300 + i), black);
    }
    for (int y = 301; y < 309; ++y)
        for (int x = 401; x < 409; ++x) ASSERT_EQ(f.at(x, y), red) << x << "," << y;
    EXPECT_NE(f.at(410, 305), red);
    // At the window's corner the opaque frame picture covers it.
    hl::MouseMove(2, 2);
    Frame();
    const hl::Frame& g = Shown();
    for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 12; ++x) {
            ASSERT_NE(g.at(x, y), red);
            ASSERT_NE(g.at(x, y), black);  // the frame picture has no pure black
        }
}

TEST_F(MapSceneTest, VerticalSlideReaches579AndSnapsTo576) {
    Start();
    Frame();
    Press(VK_DOWN);
    ASSERT_EQ(MapScene::SlideState, MapScene::kSlideDown);
    std::vector<int> seen = SlideReadouts(false);
    EXPECT_EQ(seen.size(), 88u);  // 87 frames of distance, then 0
    EXPECT_EQ(seen[86], 579);
    EXPECT_EQ(seen.back(), 0);
    EXPECT_EQ(MapScene::ScrollY, 576.0f);
    EXPECT_EQ(MapScene::ScreenRow, 1);
    Frame();
    Press(VK_UP);
    seen = SlideReadouts(false);
    EXPECT_EQ(seen[86], -579);
    EXPECT_EQ(MapScene::ScrollY, 0.0f);
}

TEST_F(MapSceneTest, KeysTowardsTheEdgeOfTheWorldDoNothing) {
    Start();
    Frame();
    Press(VK_LEFT);
    Press(VK_UP);
    EXPECT_EQ(MapScene::SlideState, MapScene::kIdle);
    SlideTo(VK_RIGHT);
    SlideTo(VK_RIGHT);
    SlideTo(VK_DOWN);
    EXPECT_EQ(MapScene::ScreenColumn, 2);
    EXPECT_EQ(MapScene::ScreenRow, 1);
    Press(VK_RIGHT);
    Press(VK_DOWN);
    EXPECT_EQ(MapScene::SlideState, MapScene::kIdle);
    EXPECT_EQ(MapScene::ScrollX, 1536.0f);
    EXPECT_EQ(MapScene::ScrollY, 576.0f);
}

TEST_F(MapSceneTest, UpAndRightTogetherSlideRightThenJumpUp) {
    Start();
    Frame();
    SlideTo(VK_DOWN);
    ASSERT_EQ(MapScene::ScreenRow, 1);
    hl::KeyDown(VK_UP);
    hl::KeyDown(VK_RIGHT);
    Frame();
    hl::KeyUp(VK_UP);
    hl::KeyUp(VK_RIGHT);
    EXPECT_EQ(MapScene::SlideState, MapScene::kSlideRight);
    EXPECT_EQ(MapScene::ScreenRow, 0);
    EXPECT_EQ(MapScene::ScreenColumn, 1);
    while (MapScene::SlideState != MapScene::kIdle) {
        EXPECT_EQ(MapScene::ScrollY, 576.0f);  // no vertical movement during the slide
        Frame();
    }
    EXPECT_EQ(MapScene::ScrollX, 768.0f);
    EXPECT_EQ(MapScene::ScrollY, 0.0f);
}

TEST_F(MapSceneTest, HeldArrowDoesNotStartAnotherSlide) {
    Start();
    Frame();
    hl::KeyDown(VK_RIGHT);
    Frame();
    while (MapScene::SlideState != MapScene::kIdle) Frame();
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(MapScene::SlideState, MapScene::kIdle);
    EXPECT_EQ(MapScene::ScreenColumn, 1);
    hl::KeyUp(VK_RIGHT);
    Frame();  // released
    Frame();  // up
    Press(VK_RIGHT);
    EXPECT_EQ(MapScene::SlideState, MapScene::kSlideRight);
    EXPECT_EQ(MapScene::ScreenColumn, 2);
}

TEST_F(MapSceneTest, MissingMapGivesTileZeroEverywhereSilently) {
    Start();
    Frame();
    EXPECT_EQ(MapScene::MapRead, 1);
    EXPECT_TRUE(hl::Boxes().empty());
    for (auto& row : MapScene::MapTable)
        for (int cell : row) ASSERT_EQ(cell, 0);
}

TEST_F(MapSceneTest, ShortMapRepeatsItsLastNumber) {
    WriteMap("5 7\n9");
    Start();
    Frame();
    EXPECT_EQ(MapScene::MapTable[0][0], 5);
    EXPECT_EQ(MapScene::MapTable[0][1], 7);
    EXPECT_EQ(MapScene::MapTable[0][2], 9);
    EXPECT_EQ(MapScene::MapTable[0][3], 9);
    EXPECT_EQ(MapScene::MapTable[143][287], 9);
}

TEST_F(MapSceneTest, TextInTheMapStopsTheReadingAndRepeatsTheLastNumber) {
    WriteMap("3 4 x 8");
    Start();
    Frame();
    EXPECT_EQ(MapScene::MapTable[0][1], 4);
    EXPECT_EQ(MapScene::MapTable[0][2], 4);
    EXPECT_EQ(MapScene::MapTable[143][287], 4);
}

// The map reader takes plain numbers in one pass and leaves anything else to
// reading "%d" number by number: the map is what the number-by-number
// reading gives for every text, including texts that reach the fallback
// part way through, and a map read again from another text replaces all of it.
TEST_F(MapSceneTest, MapReadsAsNumberByNumberReadingForEveryKindOfText) {
    auto numberByNumber = [this]() {
        std::vector<int> cells(static_cast<std::size_t>(MapScene::kMapRows) * MapScene::kMapColumns);
        std::FILE* f = std::fopen((dir / "map_data.txt").c_str(), "r");
        int value = 0;
        for (int& cell : cells) {
            int read = 0;
            if (f && std::fscanf(f, "%d", &read) == 1) value = read;
            cell = value;
        }
        if (f) std::fclose(f);
        return cells;
    };
    std::string full;
    for (int i = 0; i < MapScene::kMapRows * MapScene::kMapColumns; ++i)
        full += std::to_string((i * 7919) % 2000 - 1000) + (i % 288 == 287 ? "\r\n" : (i % 3 ? " " : "\t"));
    const std::vector<std::string> texts = {
        full,
        full + "12 junk after the map",
        "+5 -0 007 123456789 -987654321\n\v\f 4",
        "1 2 1234567890 3",      // ten digits
        "1 2 99999999999999999999 3",
        "1 -x 2",
        "1 - 2",
        "1 + 2",
        "1 2x 3",
        "1\n2\n",
        "",
        "   ",
        full.substr(0, 5000) + " 3.5 " + full.substr(5000),
    };
    Start();
    Frame();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        WriteMap(texts[i]);
        const std::vector<int> expected = numberByNumber();
        MapScene::MapRead = 0;
        MapScene::LoadMap();
        std::size_t wrong = 0;
        for (int r = 0; r < MapScene::kMapRows; ++r)
            for (int c = 0; c < MapScene::kMapColumns; ++c)
                wrong += MapScene::MapTable[r][c] != expected[static_cast<std::size_t>(r) * MapScene::kMapColumns + c];
        EXPECT_EQ(wrong, 0u) << "text " << i;
    }
}

TEST_F(MapSceneTest, TilesOutsideTheSheetLeaveTheBackgroundBlack) {
    // Row 0: a real tile, then numbers past the sheet's end and below zero.
    std::string map = "1 100000 -1 -81";
    WriteMap(map + " 1");
    Start();
    // The first frame composes the screens on the back surface and leaves the
    // last of them behind the keyed view; from the second frame on the view
    // stands on a cleared surface.
    Frame();
    Frame();
    const hl::Frame& f = Shown();
    auto cellIsBlack = [&](int column) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (f.at(16 + 8 * column + x, 12 + y) != 0) return false;
        return true;
    };
    EXPECT_FALSE(cellIsBlack(0));
    EXPECT_TRUE(cellIsBlack(1));
    EXPECT_TRUE(cellIsBlack(2));
    EXPECT_TRUE(cellIsBlack(3));
    EXPECT_FALSE(cellIsBlack(4));
}

TEST_F(MapSceneTest, TileNumberSelectsItsPlaceInTheSheet) {
    // Tile 81 is the second tile of the sheet's second row: cell (0, 0) with
    // 81 must look like cell (0, 0) of a map of 81 everywhere, and unlike 0.
    WriteMap("81 0");
    Start();
    Frame();
    std::vector<std::uint32_t> mixed;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) mixed.push_back(Shown().at(16 + x, 12 + y));
    EXPECT_EQ(MapScene::MapTable[0][0], 81);
    // The left cell differs from the right (tile 0) cell somewhere.
    bool differs = false;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) differs |= mixed[y * 16 + x] != mixed[y * 16 + x + 8];
    EXPECT_TRUE(differs);
}

}  // namespace

namespace {

// Every screen at rest, and a frame in the middle of a slide, against the
// reference pictures. The mouse stays at (0, 0), where the frame picture
// hides its marker.
TEST_F(MapSceneTest, GoldenFramesOfEveryScreen) {
    UseGameMap();
    Start();
    Frame();
    Frame();
    EXPECT_EQ(test::CompareWithGolden("screen_0_0", Shown()), 0);
    Press(VK_RIGHT);
    for (int i = 0; i < 57; ++i) Frame();
    EXPECT_EQ(test::CompareWithGolden("mid_slide", Shown()), 0);
    while (MapScene::SlideState != MapScene::kIdle) Frame();
    Frame();
    Frame();
    EXPECT_EQ(test::CompareWithGolden("screen_1_0", Shown()), 0);
    SlideTo(VK_RIGHT);
    EXPECT_EQ(test::CompareWithGolden("screen_2_0", Shown()), 0);
    SlideTo(VK_DOWN);
    EXPECT_EQ(test::CompareWithGolden("screen_2_1", Shown()), 0);
    SlideTo(VK_LEFT);
    EXPECT_EQ(test::CompareWithGolden("screen_1_1", Shown()), 0);
    SlideTo(VK_LEFT);
    EXPECT_EQ(test::CompareWithGolden("screen_0_1", Shown()), 0);
}

TEST_F(MapSceneTest, ScreensAreComposedAgainAfterEverySurfaceLoss) {
    UseGameMap();
    Start();
    Frame();
    Frame();
    ASSERT_EQ(test::CompareWithGolden("screen_0_0", Shown()), 0);
    for (int loss = 0; loss < 2; ++loss) {
        SCOPED_TRACE(loss);
        hl::LoseSurfaces();
        Frame();  // meets the loss: everything is restored, blank
        Frame();
        Frame();
        EXPECT_EQ(test::CompareWithGolden("screen_0_0", Shown()), 0);
    }
    // And the view still slides over composed screens.
    SlideTo(VK_RIGHT);
    EXPECT_EQ(test::CompareWithGolden("screen_1_0", Shown()), 0);
}

}  // namespace
