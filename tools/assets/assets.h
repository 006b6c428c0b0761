// Shared pieces of the asset generator (tools/make_assets.cpp): small maths,
// colours and images, the palette, the tile numbers and the sheet, and the
// entry points of its sections (ground textures, tile sheet, frame picture,
// world map), each in a file of its own beside this one.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <queue>
#include <string>
#include <string_view>
#include <utility>
#include <vector>


namespace assets {


using u32 = std::uint32_t;
using u64 = std::uint64_t;

constexpr int kTile = 8;
constexpr int kSheetCols = 80;
constexpr int kSheetRows = 8;
constexpr int kMapW = 288;
constexpr int kMapH = 144;


// ------------------------------------------------------------------ small maths

inline int clampi(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline int mod8(int v) { return v & 7; }
inline int floorDiv(int a, int b) {
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

inline u64 mix64(u64 z) {
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Well-mixed 32-bit value for an integer lattice point.
inline u32 hash3(int x, int y, int salt) {
    const u64 k = static_cast<u64>(static_cast<u32>(x)) | (static_cast<u64>(static_cast<u32>(y)) << 32);
    return static_cast<u32>(mix64(k ^ mix64(static_cast<u64>(static_cast<u32>(salt)) + 0x5bd1e995ull)) >> 32);
}

// splitmix64 stream.
struct Rng {
    u64 s;
    explicit Rng(u64 seed) : s(seed) {}
    u32 next() {
        s += 0x9E3779B97F4A7C15ull;
        return static_cast<u32>(mix64(s) >> 32);
    }
    int range(int n) { return static_cast<int>(next() % static_cast<u32>(n)); }
    bool chance(int pct) { return range(100) < pct; }
};

// Smoothed value noise in 0..1023, integers only so the result is the same everywhere.
inline int smooth256(int t) { return t * t * (768 - 2 * t) / 65536; }
inline int valueNoise(int x, int y, int cell, int salt) {
    const int cx = floorDiv(x, cell), cy = floorDiv(y, cell);
    const int sx = smooth256((x - cx * cell) * 256 / cell);
    const int sy = smooth256((y - cy * cell) * 256 / cell);
    const int v00 = static_cast<int>(hash3(cx, cy, salt) & 1023u);
    const int v10 = static_cast<int>(hash3(cx + 1, cy, salt) & 1023u);
    const int v01 = static_cast<int>(hash3(cx, cy + 1, salt) & 1023u);
    const int v11 = static_cast<int>(hash3(cx + 1, cy + 1, salt) & 1023u);
    const int a = v00 + (v10 - v00) * sx / 256;
    const int b = v01 + (v11 - v01) * sx / 256;
    return a + (b - a) * sy / 256;
}

// ------------------------------------------------------------------ colours and images

struct Col {
    int r = 0, g = 0, b = 0;
    bool operator==(const Col&) const = default;
};
constexpr Col rgb(int r, int g, int b) { return Col{r, g, b}; }
inline Col mix(Col a, Col b, int t) {  // t = 0..256, weight of b
    return {a.r + (b.r - a.r) * t / 256, a.g + (b.g - a.g) * t / 256, a.b + (b.b - a.b) * t / 256};
}
inline Col scale(Col c, int pct) {
    return {clampi(c.r * pct / 100, 1, 255), clampi(c.g * pct / 100, 1, 255), clampi(c.b * pct / 100, 1, 255)};
}

struct Image {
    int w = 0, h = 0;
    std::vector<Col> px;
    Image(int w_, int h_, Col fill = {}) : w(w_), h(h_), px(static_cast<std::size_t>(w_ * h_), fill) {}
    bool in(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Col get(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
    void set(int x, int y, Col c) {
        if (in(x, y)) px[static_cast<std::size_t>(y * w + x)] = c;
    }
    void rect(int x0, int y0, int x1, int y1, Col c) {  // inclusive corners
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) set(x, y, c);
    }
    void darkenAt(int x, int y, int pct) {
        if (in(x, y)) set(x, y, scale(get(x, y), pct));
    }
};

// An 8 x 8 pattern read periodically, so ground drawn under objects matches the plain tile.
inline Col texAt(const Image& tex, int x, int y) { return tex.get(mod8(x), mod8(y)); }
inline void fillTex(Image& im, const Image& tex) {
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) im.set(x, y, texAt(tex, x, y));
}


// ------------------------------------------------------------------ palette

namespace pal {
constexpr Col kOutline = rgb(24, 20, 30);
constexpr Col kBrownOutline = rgb(54, 36, 28);

constexpr Col kGrassShadow = rgb(40, 88, 50);
constexpr Col kGrassDark = rgb(54, 112, 52);
constexpr Col kGrass = rgb(76, 140, 58);
constexpr Col kGrassLight = rgb(106, 166, 66);
constexpr Col kGrassHigh = rgb(150, 196, 86);

constexpr Col kSandDark = rgb(196, 166, 110);
constexpr Col kSand = rgb(222, 198, 140);
constexpr Col kSandLight = rgb(240, 222, 168);
constexpr Col kSandWet = rgb(182, 154, 108);

constexpr Col kShallowDark = rgb(56, 118, 178);
constexpr Col kShallow = rgb(72, 140, 198);
constexpr Col kShallowLight = rgb(112, 176, 222);
constexpr Col kFoam = rgb(208, 234, 242);
constexpr Col kDeepDark = rgb(30, 62, 128);
constexpr Col kDeep = rgb(40, 80, 152);
constexpr Col kDeepLight = rgb(66, 110, 180);

constexpr Col kRockOut = rgb(64, 56, 54);
constexpr Col kRockDark = rgb(100, 90, 82);
constexpr Col kRock = rgb(136, 124, 108);
constexpr Col kRockLight = rgb(164, 152, 130);
constexpr Col kRockHigh = rgb(192, 182, 158);

constexpr Col kCanopyGap = rgb(18, 46, 34);
constexpr Col kCanopyDark = rgb(32, 78, 46);
constexpr Col kCanopy = rgb(48, 108, 54);
constexpr Col kCanopyLight = rgb(76, 142, 62);
constexpr Col kCanopyHigh = rgb(130, 184, 82);

constexpr Col kDirtDark = rgb(134, 98, 62);
constexpr Col kDirt = rgb(170, 130, 82);
constexpr Col kDirtLight = rgb(196, 160, 106);
constexpr Col kDirtHigh = rgb(216, 186, 134);
constexpr Col kBank = rgb(112, 84, 54);

constexpr Col kWoodDark = rgb(86, 54, 34);
constexpr Col kWood = rgb(124, 82, 48);
constexpr Col kWoodLight = rgb(162, 114, 66);
constexpr Col kWoodHigh = rgb(196, 150, 96);

constexpr Col kStoneOut = rgb(56, 52, 60);
constexpr Col kStoneDark = rgb(92, 90, 100);
constexpr Col kStone = rgb(130, 128, 136);
constexpr Col kStoneLight = rgb(166, 164, 168);
constexpr Col kStoneHigh = rgb(202, 200, 200);

constexpr Col kWhite = rgb(244, 242, 232);
constexpr Col kYellow = rgb(244, 212, 76);
constexpr Col kOrange = rgb(230, 146, 48);
constexpr Col kRed = rgb(210, 56, 52);
constexpr Col kPink = rgb(240, 148, 178);
constexpr Col kBlue = rgb(98, 126, 232);
constexpr Col kViolet = rgb(156, 96, 206);
constexpr Col kGlass = rgb(124, 176, 214);
constexpr Col kGlassLight = rgb(196, 228, 244);
}  // namespace pal

// Character palette for hand-drawn sprites. '.' leaves the ground, 's' darkens it
// (a cast shadow), every other character paints a colour.
struct Pal {
    std::array<Col, 128> col{};
    std::array<int, 128> kind{};  // 0 keep ground, 1 paint, 2 shadow
    static std::size_t idx(char ch) { return static_cast<std::size_t>(static_cast<unsigned char>(ch)) & 127u; }
    void set(char ch, Col c) {
        col[idx(ch)] = c;
        kind[idx(ch)] = 1;
    }
};

inline Pal basePal() {
    using namespace pal;
    Pal p;
    p.kind[Pal::idx('s')] = 2;
    p.set('k', kOutline);
    p.set('K', kBrownOutline);
    p.set('n', rgb(26, 72, 42));  // dark leaf outline
    // foliage, dark to light
    p.set('1', rgb(28, 72, 42));
    p.set('2', rgb(42, 104, 50));
    p.set('3', rgb(68, 140, 58));
    p.set('4', rgb(110, 176, 72));
    p.set('5', rgb(168, 210, 98));
    // wood
    p.set('t', kWoodDark);
    p.set('u', kWood);
    p.set('v', kWoodLight);
    p.set('x', kWoodHigh);
    // stone
    p.set('r', kStoneDark);
    p.set('q', kStone);
    p.set('p', kStoneLight);
    p.set('o', kStoneHigh);
    // accents
    p.set('w', kWhite);
    p.set('y', kYellow);
    p.set('Y', kOrange);
    p.set('R', kRed);
    p.set('P', kPink);
    p.set('B', kBlue);
    p.set('V', kViolet);
    p.set('h', rgb(226, 190, 96));   // hay
    p.set('H', rgb(178, 138, 62));   // hay shade
    p.set('g', rgb(70, 150, 66));    // lily leaf
    p.set('G', rgb(124, 196, 88));   // lily leaf light
    p.set('m', pal::kFoam);          // foam / glint
    p.set('M', pal::kShallowLight);  // ripple
    p.set('d', pal::kDirtDark);
    p.set('D', pal::kDirt);
    return p;
}

// Paints rows of characters at (ox, oy).
inline void stamp(Image& im, int ox, int oy, std::initializer_list<std::string_view> rows, const Pal& p) {
    int y = oy;
    for (std::string_view row : rows) {
        int x = ox;
        for (char ch : row) {
            const std::size_t i = Pal::idx(ch);
            if (p.kind[i] == 1)
                im.set(x, y, p.col[i]);
            else if (p.kind[i] == 2)
                im.darkenAt(x, y, 74);
            ++x;
        }
        ++y;
    }
}

// An 8 x 8 pattern: '.' is the base colour, other characters from the given palette.
inline Image pattern(Col base, std::initializer_list<std::string_view> rows, const Pal& p) {
    Image im(8, 8, base);
    stamp(im, 0, 0, rows, p);
    return im;
}


// ------------------------------------------------------------------ sections

struct Textures {
    std::array<Image, 4> grass{Image(8, 8), Image(8, 8), Image(8, 8), Image(8, 8)};
    std::array<Image, 2> sand{Image(8, 8), Image(8, 8)};
    std::array<Image, 2> shallow{Image(8, 8), Image(8, 8)};
    std::array<Image, 2> deep{Image(8, 8), Image(8, 8)};
    std::array<Image, 2> rock{Image(8, 8), Image(8, 8)};
    std::array<Image, 2> canopy{Image(8, 8), Image(8, 8)};
    std::array<int, 64> canopyHeight{};  // how far inside a crown each pixel of canopy[0] is
    Image dirt{8, 8};
    Image cobble{8, 8};
};

// The 8 x 8 ground textures every tile is drawn from (textures.cpp).
Textures makeTextures();

namespace tile {
constexpr int Grass = 0;  // 0..3
constexpr int FlowerRed = 4, FlowerYellow = 5, FlowerWhite = 6, FlowerBlue = 7;
constexpr int TallGrass = 8, Clover = 9;
constexpr int Sand = 10, Shallow = 12, Deep = 14, RockGround = 16, Forest = 18;  // two each
constexpr int Dirt = 20, Cobble = 21, Wheat = 22, Cabbage = 23, Ploughed = 24;
constexpr int Bush = 26, Stone = 27, Boulder = 28, Stump = 29, Mushrooms = 30, Signpost = 31, Well = 32,
              Haystack = 33, Scarecrow = 34, Grave = 35, Barrels = 36, Crates = 37, FlowerBed = 38, Logs = 39;
constexpr int LilyPads = 40, LilyFlower = 41, Reeds = 42, SeaRock = 43, Rowboat = 44, PierH = 45, PierV = 46;
constexpr int TreeRound = 48, TreeLight = 49, TreePine = 50, TreePineDark = 51, TreeAutumn = 52, TreeFruit = 53,
              Hill = 54, Peak = 55, PeakSnow = 56, Crag = 57, ForestPine = 58, ForestCrown = 59, Palm = 60,
              StandingStone = 61, MineEntrance = 62;
constexpr int SandGrass = 80, ShoreSand = 96, DeepShallow = 112, ShoreGrass = 128, GrassRock = 144,
              GrassForest = 160;
constexpr int Path = 176, Fence = 192, Wall = 208;
constexpr int BridgeHW = 224, BridgeH = 225, BridgeHE = 226, BridgeVN = 227, BridgeV = 228, BridgeVS = 229;
constexpr int BigTree = 240, BigFir = 242, Mountain = 244, SnowMountain = 246, HouseRed = 248, HouseBlue = 250,
              LongHouse = 252, LongHouseGreen = 255, Ship = 258, Gatehouse = 260, BigTreeAutumn = 263, BigHill = 265,
              Tower = 267, Windmill = 270, Lighthouse = 272, Inn = 274, Chapel = 278, Keep = 281;
constexpr int MountainB = 400, SnowMountainB = 402, Range = 404, SnowRange = 408;
constexpr int ThreeWay = 560;  // 36 tiles
constexpr int Count = kSheetCols * kSheetRows;
}  // namespace tile

struct Sheet {
    Image img{kSheetCols * kTile, kSheetRows * kTile};
    std::vector<bool> used = std::vector<bool>(static_cast<std::size_t>(tile::Count), false);

    // Puts a canvas of whole tiles into the sheet with its top-left tile at n, laid out as drawn.
    void put(int n, const Image& canvas) {
        const int tw = canvas.w / kTile, th = canvas.h / kTile;
        const int col = n % kSheetCols, row = n / kSheetCols;
        if (canvas.w % kTile || canvas.h % kTile || col + tw > kSheetCols || row + th > kSheetRows) {
            std::cerr << "make_assets: object at tile " << n << " does not fit the sheet\n";
            std::exit(1);
        }
        for (int j = 0; j < th; ++j)
            for (int i = 0; i < tw; ++i) {
                const auto id = static_cast<std::size_t>(n + j * kSheetCols + i);
                if (used[id]) {
                    std::cerr << "make_assets: tile " << id << " drawn twice\n";
                    std::exit(1);
                }
                used[id] = true;
            }
        for (int y = 0; y < canvas.h; ++y)
            for (int x = 0; x < canvas.w; ++x) img.set(col * kTile + x, row * kTile + y, canvas.get(x, y));
    }
};

enum Terr : int { kDeepT, kShallowT, kSandT, kGrassT, kRockT, kForestT };
inline int layerOf(int terr) { return terr == kForestT ? kRockT : terr; }

// The three-way shallow water / sand / grass tiles, in increasing order of
// c0 + 3 c1 + 9 c2 + 27 c3 (corner values 0 shallow, 1 sand, 2 grass; corners in the
// order top-left, top-right, bottom-left, bottom-right), keeping those with all three.
inline std::vector<int> threeWayCodes() {
    std::vector<int> codes;
    for (int code = 0; code < 81; ++code) {
        int seen = 0;
        for (int k = 0, v = code; k < 4; ++k, v /= 3) seen |= 1 << (v % 3);
        if (seen == 7) codes.push_back(code);
    }
    return codes;
}

// The tile sheet, every tile drawn (sheet.cpp).
Sheet makeSheet();
// The 800 x 600 frame around the 768 x 576 window (frame.cpp).
Image frameImage();
// The world map: kMapH rows of kMapW tile numbers (world.cpp).
std::vector<int> buildWorldMap();

}  // namespace assets
