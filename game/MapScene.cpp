// The map scene: composes the six screens once from the tile map, then each
// frame draws them offset by the scroll position, moves the view between
// screens with the arrow keys, prints the distances slid and draws the mouse
// marker under the frame picture.
#include "game/MapScene.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "draw/elDraw.h"
#include "draw/primitives.h"
#include "input/elInput.h"
#include "platform/win.h"
#include "system/elSystem.h"
#include "text/elText.h"

namespace MapScene {

std::int32_t MapTable[kMapRows][kMapColumns];
int ScreenObjects[kScreenColumns][kScreenRows];
int TileSheet = 0;
int FramePicture = 0;
int MapRead = 0;
int ComposedAtRestore = 0;
int SlideState = kIdle;
int ScreenColumn = 0;
int ScreenRow = 0;
int KeyUpState = 0, KeyDownState = 0, KeyLeftState = 0, KeyRightState = 0;
float kyori_x = 0.0f;
float kyori_y = 0.0f;
float VelocityX = 0.0f, VelocityY = 0.0f;
float ScrollX = 0.0f, ScrollY = 0.0f;

namespace {
constexpr int kTile = 8;
constexpr int kTilesPerSheetRow = 80;
constexpr int kScreenTileColumns = 96;
constexpr int kScreenTileRows = 72;
constexpr int kScreenWidth = kScreenTileColumns * kTile;   // 768
constexpr int kScreenHeight = kScreenTileRows * kTile;     // 576
constexpr int kViewX = 16;
constexpr int kViewY = 12;
constexpr float kSpeed = 400.0f;
}  // namespace

void Reset() {
    for (auto& row : MapTable)
        for (auto& cell : row) cell = 0;
    for (auto& column : ScreenObjects)
        for (auto& slot : column) slot = 0;
    TileSheet = FramePicture = 0;
    MapRead = 0;
    ComposedAtRestore = 0;
    SlideState = kIdle;
    ScreenColumn = ScreenRow = 0;
    KeyUpState = KeyDownState = KeyLeftState = KeyRightState = 0;
    kyori_x = kyori_y = 0.0f;
    VelocityX = VelocityY = 0.0f;
    ScrollX = ScrollY = 0.0f;
}

void Init() {
    elDraw::Screen(800, 600, 1);
    TileSheet = elDraw::LoadObject("BMP\\m_cp.bmp", 2);
    for (int c = 0; c < kScreenColumns; ++c)
        for (int r = 0; r < kScreenRows; ++r) ScreenObjects[c][r] = elDraw::CreateObject(kScreenWidth, kScreenHeight, 2);
    FramePicture = elDraw::LoadObject("BMP\\waku.BMP", 2);
    SceneNumber = 1;
    elSystem::ForgetPreviousScene();
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A whole map of nine-digit numbers takes under half a megabyte.
constexpr std::size_t kMapTextLimit = std::size_t{4} << 20;

// The text of an open file as the stream's reads see it, up to
// kMapTextLimit bytes; whole tells whether the file ended within them.
std::string ReadText(std::FILE* f, bool& whole) {
    std::string text;
    char chunk[65536];
    whole = false;
    while (text.size() < kMapTextLimit) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) {
            whole = true;
            break;
        }
        text.append(chunk, n);
    }
    return text;
}

// Fills the map from text made only of numbers of at most nine digits, each
// with an optional sign, separated by white space: what reading "%d" one
// number at a time gives for such text, read in one pass (the per-number
// reads take milliseconds). False, with the map untouched, for any other
// text, and when the map would need more than a text cut short holds.
bool ReadPlainNumbers(const std::string& text, bool whole) {
    static std::int32_t cells[kMapRows * kMapColumns];
    std::size_t at = 0;
    int value = 0;
    for (std::int32_t& cell : cells) {
        while (at < text.size() && IsSpace(text[at])) ++at;
        if (!whole && at + 10 >= text.size()) return false;
        if (at < text.size()) {
            const bool negative = text[at] == '-';
            if (text[at] == '-' || text[at] == '+') ++at;
            int digits = 0, number = 0;
            for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits)
                if (digits < 9) number = number * 10 + (text[at] - '0');
            if (digits == 0 || digits > 9 || (at < text.size() && !IsSpace(text[at]))) return false;
            value = negative ? -number : number;
        }
        // Past the end the last number stays, as a failed read keeps it.
        cell = value;
    }
    std::memcpy(MapTable, cells, sizeof cells);
    return true;
}

}  // namespace

void LoadMap() {
    if (MapRead) return;
    MapRead = 1;  // a failed attempt is not repeated
    // The map is read from the current folder, not the program folder.
    if (std::FILE* f = plat::OpenFile("map_data.txt", "rt")) {
        bool whole = false;
        const std::string text = ReadText(f, whole);
        if (!ReadPlainNumbers(text, whole)) {
            // A failed read keeps the last number read, so the rest of the
            // map repeats it (0 when nothing could be read at all).
            std::rewind(f);
            int value = 0;
            for (int row = 0; row < kMapRows; ++row)
                for (int column = 0; column < kMapColumns; ++column) {
                    int read = 0;
                    if (std::fscanf(f, "%d", &read) == 1) value = read;
                    MapTable[row][column] = value;
                }
        }
        std::fclose(f);
    }
    BuildScreens();
}

void BuildScreens() {
    ComposedAtRestore = elDraw::RestoreCount;
    for (int c = 0; c < kScreenColumns; ++c)
        for (int r = 0; r < kScreenRows; ++r) {
            elDraw::Clear();
            for (int k = 0; k < kScreenTileColumns; ++k)
                for (int l = 0; l < kScreenTileRows; ++l) {
                    int n = MapTable[kScreenTileRows * r + l][kScreenTileColumns * c + k];
                    int sx = kTile * (n % kTilesPerSheetRow);
                    int sy = kTile * (n / kTilesPerSheetRow);
                    elDraw::Draw(kTile * k, kTile * l, TileSheet, sx, sy, sx + kTile, sy + kTile);
                }
            elDraw::CopyScreen(ScreenObjects[c][r], 0, 0, kScreenWidth, kScreenHeight);
        }
}

void DrawScreens() {
    ScrollX += FrameDelta * VelocityX;
    ScrollY += FrameDelta * VelocityY;
    for (int c = 0; c < kScreenColumns; ++c)
        for (int r = 0; r < kScreenRows; ++r)
            elDraw::Draw(kViewX + kScreenWidth * c - static_cast<int>(ScrollX),
                         kViewY + kScreenHeight * r - static_cast<int>(ScrollY), ScreenObjects[c][r], 0, 0,
                         kScreenWidth, kScreenHeight);
}

void Frame() {
    FrameDelta = 1.0f / 60.0f;
    elDraw::Clear();
    LoadMap();
    // A lost surface comes back blank: compose the screens again after every
    // restore, or the view would show nothing for the rest of the run.
    if (ComposedAtRestore != elDraw::RestoreCount) BuildScreens();
    DrawScreens();
    if (SlideState == kIdle) {
        elInput::UpdateKey(plat::VK_UP, KeyUpState);
        elInput::UpdateKey(plat::VK_DOWN, KeyDownState);
        elInput::UpdateKey(plat::VK_LEFT, KeyLeftState);
        elInput::UpdateKey(plat::VK_RIGHT, KeyRightState);
        if (KeyUpState == kKeyPressed && ScreenRow != 0) {
            --ScreenRow;
            SlideState = kSlideUp;
        } else if (KeyDownState == kKeyPressed && ScreenRow != 1) {
            ++ScreenRow;
            SlideState = kSlideDown;
        }
        if (KeyLeftState == kKeyPressed && ScreenColumn != 0) {
            --ScreenColumn;
            SlideState = kSlideLeft;
        } else if (KeyRightState == kKeyPressed && ScreenColumn != 2) {
            ++ScreenColumn;
            SlideState = kSlideRight;
        }
    }
    if (-768.0f < kyori_x && kyori_x < 768.0f && -576.0f < kyori_y && kyori_y < 576.0f) {
        switch (SlideState) {
            case kSlideRight: VelocityX = kSpeed; break;
            case kSlideLeft: VelocityX = -kSpeed; break;
            case kSlideUp: VelocityY = -kSpeed; break;
            case kSlideDown: VelocityY = kSpeed; break;
            default: break;
        }
        kyori_x += FrameDelta * VelocityX;
        kyori_y += FrameDelta * VelocityY;
    } else {
        kyori_x = kyori_y = 0.0f;
        SlideState = kIdle;
        VelocityX = VelocityY = 0.0f;
        ScrollX = static_cast<float>(ScreenColumn) * 768.0f;
        ScrollY = static_cast<float>(ScreenRow) * 576.0f;
    }
    elText::Printf(200, 200, "kyori_x=%d", static_cast<int>(kyori_x));
    elText::Printf(300, 200, "kyori_y=%d", static_cast<int>(kyori_y));
    elDraw::Box(MouseX, MouseY, MouseX + 10, MouseY + 10, 255, 0, 1);
    elDraw::Draw(0, 0, FramePicture, 0, 0, 800, 600);
    elDraw::Present();
}

}  // namespace MapScene
