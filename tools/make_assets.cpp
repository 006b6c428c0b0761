// make_assets — draws the game's pictures and builds its world map.
//
//   usage: make_assets <output-folder>
//
// Writes, all from fixed seeds so every run gives byte-identical files:
//   <out>/BMP/m_cp.bmp    tile sheet, 640 x 64, 24-bit: 8 x 8 tiles, 80 to a row
//   <out>/BMP/waku.BMP    800 x 600 frame with a pure black 768 x 576 window at (16, 12)
//   <out>/map_data.txt    144 lines of 288 tile numbers (3 x 2 screens of 96 x 72 tiles)
//
// Tile n sits at pixel (8 * (n % 80), 8 * (n / 80)) of the sheet. Pure black (0,0,0)
// is the colour key of the game's blitter, so no tile uses it: every tile is fully
// drawn (dark outlines are near-black). Sheet slots that hold no tile are left black.
// Everything is lit from the top-left.
//
// Tile numbers
// ------------
//   Ground and small things (row 0). "On grass" tiles are drawn over tile 0's grass, so
//   they sit seamlessly among plain grass.
//     0  grass (plain; the tile a missing map shows everywhere)
//     1  grass with tufts           2  grass, thick tufts        3  grass with light flecks
//     4  red flowers    5  yellow flowers    6  white flowers    7  blue flowers
//     8  tall grass     9  clover
//    10, 11  sand                   12, 13  shallow water        14, 15  deep water
//    16, 17  rocky mountain ground  18, 19  forest canopy
//    20  bare dirt      21  cobblestones     22  wheat field     23  cabbage field
//    24  ploughed field
//    26  bush           27  stone            28  boulder         29  tree stump
//    30  mushrooms      31  signpost         32  well            33  haystack
//    34  scarecrow      35  gravestone       36  barrels         37  crates
//    38  flower box     39  log pile
//    40  lily pads      41  lily pads with a flower              42  reeds
//    43  sea rock (on deep water)            44  rowing boat     45  jetty, east-west
//    46  jetty, north-south            (40..42, 44..46 on shallow water)
//    48  round tree     49  light round tree 50  fir             51  dark fir
//    52  autumn tree    53  fruit tree       54  grassy knoll
//    55  rocky peak     56  snowy peak       57  crag            (55..57 on rocky ground)
//    58  forest canopy with a fir poking through                 59  canopy with a bright crown
//    60  palm (on sand) 61  standing stone
//    62  mine entrance in a cliff: rocky ground above, grass below (corner blend 144 + 3)
//
//   Corner blends (row 1 and the start of row 2). Each is a block of 16 tiles, base + m,
//   where m says which corners of the tile are the second terrain:
//       bit 0 = top-left, bit 1 = top-right, bit 2 = bottom-left, bit 3 = bottom-right.
//   m = 0 is all first terrain, m = 15 all second terrain.
//      80  sand / grass               96  shallow water / sand     112  deep water / shallow water
//     128  shallow water / grass     144  grass / rocky ground     160  grass / forest canopy
//   Three-way corners, shallow water / sand / grass (row 7): 560..595. Give each corner a
//   value v (0 shallow water, 1 sand, 2 grass) and form c = v0 + 3 v1 + 9 v2 + 27 v3 with
//   the corners in the order above; listing the c in 0..80 whose corners use all three
//   terrains in increasing order, the k-th of them is tile 560 + k.
//
//   Connected pieces (row 2). Each is a block of 16 tiles, base + m, where m says which
//   neighbours the piece joins: bit 0 = north, bit 1 = east, bit 2 = south, bit 3 = west.
//     176  dirt path on grass     192  wooden fence on grass     208  stone wall (fills its tile)
//
//   Wooden bridges (row 2); the end pieces stand on grass with the path running onto them:
//     224  east-west, west end    225  east-west    226  east-west, east end
//     227  north-south, north end 228  north-south  229  north-south, south end
//
//   Objects of several tiles (rows 3..7). An object W x H with top-left tile n is laid out
//   in the sheet as it looks: its tile (i, j) is n + 80 * j + i.
//     240  big oak 2x2               242  big fir 2x2                244  mountain 2x2
//     246  snowy mountain 2x2        248  red-roofed cottage 2x2     250  blue-roofed cottage 2x2
//     252  long house 3x2, orange    255  long house 3x2, green      258  sailing ship 2x2
//     260  castle gatehouse 3x2      263  autumn big tree 2x2        265  grassy hill 2x2
//     267  castle tower 3x3          270  windmill 2x3               272  lighthouse 2x3
//     274  inn 4x3                   278  chapel 3x4                 281  castle keep 6x5
//     400  mountain 2x2, shoulder to the west                        402  snowy mountain, the same
//     404  mountain range 4x2        408  snowy mountain range 4x2
//   Mountains stand on rocky ground, the ship on deep water, everything else on grass.
//   Buildings have their door in the bottom row, in column (W - 1) / 2 of the object, so a
//   path tile just below leads in (the windmill's and lighthouse's doors are centred). The
//   gatehouse's gate is its bottom-middle tile, and its bottom row lines up with the walls.
//
// The map is made from a coarse hand-drawn layout (one character per 6 x 6 tiles), warped
// by value noise so coasts and forests get natural outlines, then a river, roads, bridges,
// a village, a castle, a fishing hamlet, fields and scattered trees are laid on top. Terrain
// is decided per tile corner, so the corner blends above always join up.

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

namespace {

using u32 = std::uint32_t;
using u64 = std::uint64_t;

constexpr int kTile = 8;
constexpr int kSheetCols = 80;
constexpr int kSheetRows = 8;
constexpr int kMapW = 288;
constexpr int kMapH = 144;

// ------------------------------------------------------------------ small maths

int clampi(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
int mod8(int v) { return v & 7; }
int floorDiv(int a, int b) {
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

u64 mix64(u64 z) {
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Well-mixed 32-bit value for an integer lattice point.
u32 hash3(int x, int y, int salt) {
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
int smooth256(int t) { return t * t * (768 - 2 * t) / 65536; }
int valueNoise(int x, int y, int cell, int salt) {
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
Col mix(Col a, Col b, int t) {  // t = 0..256, weight of b
    return {a.r + (b.r - a.r) * t / 256, a.g + (b.g - a.g) * t / 256, a.b + (b.b - a.b) * t / 256};
}
Col scale(Col c, int pct) {
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
Col texAt(const Image& tex, int x, int y) { return tex.get(mod8(x), mod8(y)); }
void fillTex(Image& im, const Image& tex) {
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) im.set(x, y, texAt(tex, x, y));
}

// ------------------------------------------------------------------ BMP output

bool writeBmp(const std::filesystem::path& path, const Image& im) {
    const int rowBytes = (im.w * 3 + 3) / 4 * 4;
    const int dataSize = rowBytes * im.h;
    std::vector<char> b;
    b.reserve(static_cast<std::size_t>(54 + dataSize));
    auto le = [&b](int v, int n) {
        const u32 u = static_cast<u32>(v);
        for (int i = 0; i < n; ++i) b.push_back(static_cast<char>((u >> (8 * i)) & 0xFFu));
    };
    b.push_back('B');
    b.push_back('M');
    le(54 + dataSize, 4);  // file size
    le(0, 4);              // reserved
    le(54, 4);             // offset of the pixels
    le(40, 4);             // BITMAPINFOHEADER
    le(im.w, 4);
    le(im.h, 4);  // positive: rows stored bottom-up
    le(1, 2);     // planes
    le(24, 2);    // bits per pixel
    le(0, 4);     // BI_RGB
    le(dataSize, 4);
    le(2835, 4);  // 72 dpi
    le(2835, 4);
    le(0, 4);
    le(0, 4);
    for (int y = im.h - 1; y >= 0; --y) {
        for (int x = 0; x < im.w; ++x) {
            const Col c = im.get(x, y);
            b.push_back(static_cast<char>(clampi(c.b, 0, 255)));
            b.push_back(static_cast<char>(clampi(c.g, 0, 255)));
            b.push_back(static_cast<char>(clampi(c.r, 0, 255)));
        }
        for (int p = im.w * 3; p < rowBytes; ++p) b.push_back(0);
    }
    std::ofstream f(path, std::ios::binary);
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
    return static_cast<bool>(f);
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

Pal basePal() {
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
void stamp(Image& im, int ox, int oy, std::initializer_list<std::string_view> rows, const Pal& p) {
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
Image pattern(Col base, std::initializer_list<std::string_view> rows, const Pal& p) {
    Image im(8, 8, base);
    stamp(im, 0, 0, rows, p);
    return im;
}

// ------------------------------------------------------------------ ground textures

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

Pal grassPal() {
    Pal p;
    p.set('d', pal::kGrassDark);
    p.set('l', pal::kGrassLight);
    p.set('h', pal::kGrassHigh);
    p.set('s', pal::kGrassShadow);
    return p;
}

// Canopy of overlapping round crowns on a diagonal lattice, repeating every 8 pixels;
// crowns further down the screen overlap the ones behind them.
Image makeCanopy(int variant, std::array<int, 64>* heightOut) {
    Image im(8, 8);
    const int centres[2][2] = {{5, 5}, {13, 13}};  // in half pixels
    const int r2 = 54;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int px = 2 * x + 1, py = 2 * y + 1;
            int bestCy = -1000, bestD = 0, bestDx = 0, bestDy = 0;
            for (const auto& c : centres)
                for (int oy = -16; oy <= 16; oy += 16)
                    for (int ox = -16; ox <= 16; ox += 16) {
                        const int dx = px - (c[0] + ox), dy = py - (c[1] + oy);
                        const int d = dx * dx + dy * dy;
                        if (d <= r2 && c[1] + oy > bestCy) {
                            bestCy = c[1] + oy;
                            bestD = d;
                            bestDx = dx;
                            bestDy = dy;
                        }
                    }
            Col c = pal::kCanopyGap;
            int height = 0;
            if (bestCy > -1000) {
                height = r2 - bestD + 8;
                const int light = -(bestDx + bestDy);
                if (bestD > r2 - 20 && bestDx + bestDy > 2)
                    c = pal::kCanopyGap;  // shaded rim where a crown dips under the next
                else if (bestD > r2 - 26 && bestDy > 2)
                    c = pal::kCanopyDark;
                else if (light >= 8)
                    c = pal::kCanopyHigh;
                else if (light >= 2)
                    c = pal::kCanopyLight;
                else if (light <= -6)
                    c = pal::kCanopyDark;
                else
                    c = pal::kCanopy;
                // leaf texture: a few pixels one step lighter or darker
                const u32 h = hash3(x, y, 700 + variant);
                if (h % 7 == 0 && c == pal::kCanopy) c = pal::kCanopyLight;
                if (h % 6 == 1 && c == pal::kCanopyLight) c = pal::kCanopy;
                if (variant == 1 && h % 3 == 2 && c == pal::kCanopyDark) c = pal::kCanopy;
                if (variant == 1 && h % 4 == 0 && c == pal::kCanopyLight) c = pal::kCanopyHigh;
            }
            im.set(x, y, c);
            if (heightOut) (*heightOut)[static_cast<std::size_t>(y * 8 + x)] = height;
        }
    }
    return im;
}

// Rounded paving stones with dark joints, repeating every 8 pixels.
Image makeCobbles() {
    const int seeds[5][2] = {{3, 3}, {11, 2}, {7, 9}, {15, 10}, {2, 13}};  // half pixels
    Image im(8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int px = 2 * x + 1, py = 2 * y + 1;
            int best = 1 << 20, second = 1 << 20, bdx = 0, bdy = 0;
            for (const auto& s : seeds)
                for (int oy = -16; oy <= 16; oy += 16)
                    for (int ox = -16; ox <= 16; ox += 16) {
                        const int dx = px - (s[0] + ox), dy = py - (s[1] + oy);
                        const int d = dx * dx + dy * dy;
                        if (d < best) {
                            second = best;
                            best = d;
                            bdx = dx;
                            bdy = dy;
                        } else if (d < second) {
                            second = d;
                        }
                    }
            Col c = pal::kStone;
            if (second - best < 10)
                c = pal::kStoneDark;
            else if (bdx + bdy <= -3)
                c = pal::kStoneHigh;
            else if (bdx + bdy <= 0)
                c = pal::kStoneLight;
            im.set(x, y, c);
        }
    }
    return im;
}

Textures makeTextures() {
    using namespace pal;
    Textures t;
    const Pal gp = grassPal();
    t.grass[0] = pattern(kGrass,
                         {"........",
                          "....l...",
                          "...d.d..",
                          "........",
                          "........",
                          "l.......",
                          ".d.....d",
                          "........"},
                         gp);
    t.grass[1] = pattern(kGrass,
                         {"......l.",
                          ".l...d.d",
                          "d.d.....",
                          "........",
                          "...l....",
                          "..d.d...",
                          "......h.",
                          "........"},
                         gp);
    t.grass[2] = pattern(kGrass,
                         {"..d.....",
                          ".d.d..l.",
                          ".....d.d",
                          "l.......",
                          ".d..l...",
                          "...d.d..",
                          "d.....d.",
                          ".....d.d"},
                         gp);
    t.grass[3] = pattern(kGrass,
                         {"........",
                          "..hl....",
                          "........",
                          "......l.",
                          ".....d.d",
                          ".l......",
                          "d.d.....",
                          "........"},
                         gp);

    Pal sp;
    sp.set('d', kSandDark);
    sp.set('l', kSandLight);
    t.sand[0] = pattern(kSand,
                        {"........",
                         "..d.....",
                         "......l.",
                         "........",
                         "....d...",
                         ".l......",
                         "......d.",
                         "........"},
                        sp);
    t.sand[1] = pattern(kSand,
                        {"......d.",
                         ".l......",
                         "........",
                         "...dl...",
                         "........",
                         "......l.",
                         ".d......",
                         "........"},
                        sp);

    Pal wp;
    wp.set('d', kShallowDark);
    wp.set('l', kShallowLight);
    wp.set('f', kFoam);
    t.shallow[0] = pattern(kShallow,
                           {"........",
                            ".ll.....",
                            "...d....",
                            "........",
                            ".....ll.",
                            "....d..d",
                            "........",
                            "........"},
                           wp);
    t.shallow[1] = pattern(kShallow,
                           {"........",
                            "....ll..",
                            ".....d..",
                            "l.......",
                            ".d......",
                            "......f.",
                            "........",
                            "........"},
                           wp);
    Pal dp;
    dp.set('d', kDeepDark);
    dp.set('l', kDeepLight);
    dp.set('L', kShallow);
    t.deep[0] = pattern(kDeep,
                        {"........",
                         "..ll....",
                         ".d..d...",
                         "........",
                         "........",
                         "......ll",
                         ".....d..",
                         "........"},
                        dp);
    t.deep[1] = pattern(kDeep,
                        {"......l.",
                         "....ld.d",
                         "........",
                         "........",
                         ".lL.....",
                         "d..d....",
                         "........",
                         "........"},
                        dp);

    Pal rp;
    rp.set('d', kRockDark);
    rp.set('l', kRockLight);
    rp.set('h', kRockHigh);
    rp.set('o', kRockOut);
    t.rock[0] = pattern(kRock,
                        {"........",
                         "..l.....",
                         "..d.....",
                         "......l.",
                         "........",
                         "...hl...",
                         "....dd..",
                         "........"},
                        rp);
    t.rock[1] = pattern(kRock,
                        {"........",
                         "........",
                         ".....ld.",
                         ".l......",
                         ".d......",
                         "........",
                         "....l...",
                         "...dd..."},
                        rp);

    t.canopy[0] = makeCanopy(0, &t.canopyHeight);
    t.canopy[1] = makeCanopy(1, nullptr);

    Pal dtp;
    dtp.set('d', kDirtDark);
    dtp.set('l', kDirtLight);
    dtp.set('h', kDirtHigh);
    t.dirt = pattern(kDirt,
                     {"........",
                      "..l.....",
                      "......d.",
                      "........",
                      ".d..hl..",
                      "........",
                      "......l.",
                      "..d....."},
                     dtp);

    t.cobble = makeCobbles();
    return t;
}

// ------------------------------------------------------------------ tile sheet

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

Image groundCanvas(int tw, int th, const Image& tex) {
    Image im(tw * kTile, th * kTile);
    fillTex(im, tex);
    return im;
}

// ---- corner blends

// Terrains in the order they stack: each one is drawn over the ones before it.
enum Terr : int { kDeepT, kShallowT, kSandT, kGrassT, kRockT, kForestT };
int layerOf(int terr) { return terr == kForestT ? kRockT : terr; }

// The three-way shallow water / sand / grass tiles, in increasing order of
// c0 + 3 c1 + 9 c2 + 27 c3 (corner values 0 shallow, 1 sand, 2 grass; corners in the
// order top-left, top-right, bottom-left, bottom-right), keeping those with all three.
std::vector<int> threeWayCodes() {
    std::vector<int> codes;
    for (int code = 0; code < 81; ++code) {
        int seen = 0;
        for (int k = 0, v = code; k < 4; ++k, v /= 3) seen |= 1 << (v % 3);
        if (seen == 7) codes.push_back(code);
    }
    return codes;
}

// How much of a set of corners a pixel centre carries (0..256), bilinear between the four
// corners. Also used a little outside the tile so edge pixels can see their neighbours.
int cornerField(int mask, int x, int y) {
    const int u = 2 * x + 1, v = 2 * y + 1;
    const int c0 = mask & 1, c1 = (mask >> 1) & 1, c2 = (mask >> 2) & 1, c3 = (mask >> 3) & 1;
    return c0 * (16 - u) * (16 - v) + c1 * u * (16 - v) + c2 * (16 - u) * v + c3 * u * v;
}

// Gentle waves along the borders; they repeat every 8 pixels so neighbouring tiles meet.
constexpr std::array<int, 8> kWaveX{0, 16, 26, 14, -4, -20, -24, -10};
constexpr std::array<int, 8> kWaveY{6, 22, 12, -10, -24, -14, 8, 18};

// A tile whose corners are of different terrains. A pixel shows the highest terrain whose
// share of the corners (counting everything stacked above it too) passes one half.
Image blendTile(const Textures& t, const std::array<int, 4>& corners) {
    auto texOf = [&](int terr) -> const Image& {
        switch (terr) {
            case kDeepT: return t.deep[0];
            case kShallowT: return t.shallow[0];
            case kSandT: return t.sand[0];
            case kRockT: return t.rock[0];
            case kForestT: return t.canopy[0];
            default: return t.grass[0];
        }
    };
    std::array<int, 5> present{};  // terrain drawn for each layer present
    std::array<bool, 5> has{};
    for (int c : corners) {
        has[static_cast<std::size_t>(layerOf(c))] = true;
        present[static_cast<std::size_t>(layerOf(c))] = c;
    }
    auto terrAt = [&](int x, int y) {
        int best = -1;
        for (int layer = 0; layer < 5; ++layer) {
            if (!has[static_cast<std::size_t>(layer)]) continue;
            if (best < 0) {
                best = layer;
                continue;
            }
            int m = 0;
            for (int k = 0; k < 4; ++k)
                if (layerOf(corners[static_cast<std::size_t>(k)]) >= layer) m |= 1 << k;
            int amp = 32;
            if (layer == kShallowT) amp = 40;
            if (layer == kRockT) amp = 36;
            const bool forest = present[4] == kForestT && layer == 4;
            if (forest) amp = 16;
            int f = cornerField(m, x, y) +
                    (kWaveX[static_cast<std::size_t>(mod8(x))] + kWaveY[static_cast<std::size_t>(mod8(y))]) * amp / 32;
            if (forest)  // the forest edge follows its crowns
                f += (t.canopyHeight[static_cast<std::size_t>(mod8(y) * 8 + mod8(x))] - 30) * 2;
            if (m == 15 || f > 128) best = layer;
        }
        return present[static_cast<std::size_t>(best)];
    };
    Image im(8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int p = terrAt(x, y);
            const int n = terrAt(x, y - 1), s = terrAt(x, y + 1), w = terrAt(x - 1, y), e = terrAt(x + 1, y);
            auto any4 = [&](int terr) { return n == terr || s == terr || w == terr || e == terr; };
            auto near2 = [&](int terr) {
                return terrAt(x, y - 2) == terr || terrAt(x, y + 2) == terr || terrAt(x - 2, y) == terr ||
                       terrAt(x + 2, y) == terr;
            };
            const bool checker = ((x + y) & 1) != 0;
            Col c = texAt(texOf(p), x, y);
            switch (p) {
                case kDeepT:
                    if (any4(kShallowT)) c = checker ? pal::kShallowDark : pal::kDeepLight;
                    break;
                case kShallowT:
                    if (any4(kSandT)) c = pal::kFoam;
                    else if (any4(kGrassT)) c = pal::kShallowLight;
                    else if (near2(kSandT) && checker) c = pal::kShallowLight;
                    else if (terrAt(x, y - 2) == kGrassT && checker) c = pal::kShallowDark;
                    else if (any4(kDeepT) && checker) c = pal::kShallowDark;
                    break;
                case kSandT:
                    if (any4(kShallowT)) c = pal::kSandWet;
                    else if (n == kGrassT || w == kGrassT) c = pal::kSandDark;
                    break;
                case kGrassT:
                    // banks: earth shows where grass drops to the water to the south
                    if (s == kShallowT) c = pal::kBank;
                    else if (any4(kShallowT)) c = pal::kGrassShadow;
                    else if (s == kSandT) c = pal::kGrassShadow;
                    else if (any4(kSandT)) c = pal::kGrassDark;
                    else if (n == kRockT || w == kRockT || terrAt(x - 1, y - 1) == kRockT) c = pal::kGrassShadow;
                    else if (n == kForestT || w == kForestT || terrAt(x - 1, y - 1) == kForestT) c = pal::kGrassShadow;
                    else if (terrAt(x, y - 2) == kForestT && checker) c = pal::kGrassShadow;
                    break;
                case kRockT:
                    if (s != kRockT) c = pal::kRockOut;
                    else if (terrAt(x, y + 2) != kRockT) c = pal::kRockDark;
                    else if (e != kRockT) c = pal::kRockDark;
                    else if (n != kRockT || w != kRockT) c = pal::kRockHigh;
                    break;
                case kForestT:
                    if (n != kForestT || s != kForestT || w != kForestT || e != kForestT)
                        c = (n != kForestT || w != kForestT) && s == kForestT ? pal::kCanopyDark : pal::kCanopyGap;
                    break;
                default: break;
            }
            im.set(x, y, c);
        }
    }
    return im;
}

// ---- connected pieces: bit 0 north, 1 east, 2 south, 3 west

bool pathAt(int m, int x, int y) {
    if (x < 0 || y < 0 || x > 7 || y > 7) {
        // outside the tile: continue straight along any arm leaving that side
        if (y < 0 && (m & 1)) return x >= 2 && x <= 5;
        if (y > 7 && (m & 4)) return x >= 2 && x <= 5;
        if (x > 7 && (m & 2)) return y >= 2 && y <= 5;
        if (x < 0 && (m & 8)) return y >= 2 && y <= 5;
        return false;
    }
    const bool cx = x >= 2 && x <= 5, cy = y >= 2 && y <= 5;
    if (cx && cy) {
        // round the outer corners of the central square
        if (x == 2 && y == 2 && !(m & 1) && !(m & 8)) return false;
        if (x == 5 && y == 2 && !(m & 1) && !(m & 2)) return false;
        if (x == 2 && y == 5 && !(m & 4) && !(m & 8)) return false;
        if (x == 5 && y == 5 && !(m & 4) && !(m & 2)) return false;
        return true;
    }
    if (cx && y < 2) return m & 1;
    if (cx && y > 5) return m & 4;
    if (cy && x > 5) return m & 2;
    if (cy && x < 2) return m & 8;
    // fill the inner elbow of a turn so corners read as a curve
    if (x == 1 && y == 1) return (m & 1) && (m & 8);
    if (x == 6 && y == 1) return (m & 1) && (m & 2);
    if (x == 1 && y == 6) return (m & 4) && (m & 8);
    if (x == 6 && y == 6) return (m & 4) && (m & 2);
    return false;
}

Image pathTile(const Textures& t, int m) {
    Image im(8, 8);
    fillTex(im, t.grass[0]);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            if (!pathAt(m, x, y)) continue;
            Col c = texAt(t.dirt, x, y);
            const bool gN = !pathAt(m, x, y - 1), gW = !pathAt(m, x - 1, y);
            const bool gS = !pathAt(m, x, y + 1), gE = !pathAt(m, x + 1, y);
            if (gN || gW) c = pal::kDirtDark;  // the track is sunk: its top-left rim is shaded
            else if (gS || gE) c = pal::kDirtLight;
            im.set(x, y, c);
        }
    return im;
}

Image fenceTile(const Textures& t, int m) {
    Image im(8, 8);
    fillTex(im, t.grass[0]);
    using namespace pal;
    // shadows first, down and to the right of every rail and post
    if (m & 2) for (int x = 5; x < 8; ++x) { im.darkenAt(x, 4, 80); im.darkenAt(x, 6, 80); }
    if (m & 8) for (int x = 0; x < 3; ++x) { im.darkenAt(x, 4, 80); im.darkenAt(x, 6, 80); }
    if (m & 4) for (int y = 6; y < 8; ++y) im.darkenAt(5, y, 80);
    if (m & 1) for (int y = 0; y < 2; ++y) im.darkenAt(5, y, 80);
    im.darkenAt(5, 6, 74);
    im.darkenAt(5, 7, 80);
    // rails
    auto hrail = [&](int x0, int x1) {
        for (int x = x0; x <= x1; ++x) {
            im.set(x, 2, kWoodHigh);
            im.set(x, 3, kWoodDark);
            im.set(x, 4, kWoodLight);
            im.set(x, 5, kBrownOutline);
        }
    };
    if (m & 2) hrail(5, 7);
    if (m & 8) hrail(0, 2);
    if (m & 1) for (int y = 0; y < 2; ++y) { im.set(3, y, kWoodHigh); im.set(4, y, kWood); }
    if (m & 4) for (int y = 6; y < 8; ++y) { im.set(3, y, kWoodLight); im.set(4, y, kWoodDark); }
    // post
    im.set(3, 0 + (m & 1 ? 0 : 1), kWoodHigh);
    im.set(4, 0 + (m & 1 ? 0 : 1), kWoodLight);
    for (int y = 2; y <= 5; ++y) { im.set(3, y, kWoodLight); im.set(4, y, kWood); }
    im.set(3, 6, kBrownOutline);
    im.set(4, 6, kBrownOutline);
    if (m & 4) { im.set(3, 6, kWoodLight); im.set(4, 6, kWoodDark); }
    if (!(m & 1)) { im.set(3, 1, kWoodHigh); im.set(4, 1, kWoodLight); }
    return im;
}

// Stone wall seen from above and a little from the south: a walkway between battlements
// along every side that does not join another piece, and a brick face under the south
// side when the wall does not carry on southwards. Every piece fills its whole tile.
Image wallTile(int m) {
    using namespace pal;
    Image im(8, 8);
    const bool n = m & 1, e = m & 2, s = m & 4, w = m & 8;
    const int faceTop = s ? 8 : 5;  // first row of the brick face
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            Col c;
            if (y >= faceTop) {
                // bricks: mortar every other row, joints staggered
                const bool mortar = (y % 2) == 0 || ((x + (y / 2) * 2) % 4) == 0;
                c = mortar ? kStoneDark : kStone;
                if (y == 7) c = kStoneOut;
                if ((!w && x == 0) || (!e && x == 7)) c = kStoneOut;
            } else {
                c = ((x + 3 * y) % 7 == 0) ? kStone : kStoneLight;  // flagged walkway
                const bool merlon = ((x + y) / 2) % 2 == 0;
                if (!n && y <= 1) c = y == 0 ? (merlon ? kStoneHigh : kStoneOut) : (merlon ? kStoneLight : kStoneDark);
                if (!w && x <= 1) c = x == 0 ? (merlon ? kStoneHigh : kStoneOut) : (merlon ? kStoneLight : kStoneDark);
                if (!e && x >= 6) c = x == 7 ? kStoneOut : (merlon ? kStone : kStoneDark);
                if (!s && y == 4) c = merlon ? kStone : kStoneOut;  // parapet over the face
                if (!s && y == faceTop - 1 && ((!w && x == 0) || (!e && x == 7))) c = kStoneOut;
            }
            im.set(x, y, c);
        }
    return im;
}

// Plank bridge. Planks run across the direction of travel, with a rail along each side.
// The middle piece is all deck; the end pieces stand on the bank, the path running onto
// the deck past a pair of posts.
Image bridgeTile(const Textures& t, bool horizontal, int part /* 0 start, 1 middle, 2 end */) {
    using namespace pal;
    Image im(8, 8);
    fillTex(im, t.grass[0]);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int a = horizontal ? x : y;  // along the direction of travel
            const int b = horizontal ? y : x;  // across it
            const bool bank = (part == 0 && a < 3) || (part == 2 && a > 4);
            Col c;
            if (bank) {
                if (b < 2 || b > 5) continue;  // grass either side of the path
                c = b == 2 ? kDirtDark : (b == 5 ? kDirtLight : texAt(t.dirt, x, y));
            } else {
                c = kWoodLight;
                if (b == 0) c = kWoodHigh;            // near rail
                else if (b == 1) c = kBrownOutline;   // its underside
                else if (b == 6) c = kWoodLight;      // far rail
                else if (b == 7) c = kBrownOutline;
                else if (a % 3 == 2) c = kWood;       // gaps between planks
                else if (b == 2) c = kWood;           // shade under the near rail
                else if (a % 3 == 0 && b == 3) c = kWoodHigh;
                if ((b == 0 || b == 6) && a % 4 == 1) c = kWood;  // rail joints
                const bool post = (part == 0 && a == 3) || (part == 2 && a == 4);
                if (post && (b <= 1 || b >= 6)) c = (b == 1 || b == 7) ? kBrownOutline : kWoodDark;
            }
            im.set(x, y, c);
        }
    return im;
}

// ---- small hand-drawn things

Image sprite(const Image& ground, std::initializer_list<std::string_view> rows, const Pal& p) {
    Image im = ground;
    stamp(im, 0, 0, rows, p);
    return im;
}

Pal foliagePal(Col c1, Col c2, Col c3, Col c4, Col c5) {
    Pal p = basePal();
    p.set('1', c1);
    p.set('2', c2);
    p.set('3', c3);
    p.set('4', c4);
    p.set('5', c5);
    return p;
}

void drawSmallThings(Sheet& s, const Textures& t) {
    using namespace pal;
    const Image& g = t.grass[0];
    const Pal p = basePal();

    s.put(tile::Grass + 0, t.grass[0]);
    s.put(tile::Grass + 1, t.grass[1]);
    s.put(tile::Grass + 2, t.grass[2]);
    s.put(tile::Grass + 3, t.grass[3]);

    auto flowers = [&](Col petal, Col centre, Col dark) {
        Pal fp = basePal();
        fp.set('a', petal);
        fp.set('c', centre);
        fp.set('b', dark);
        fp.set('l', kGrassLight);
        fp.set('d', kGrassDark);
        return sprite(g,
                      {"........",
                       "..a.....",
                       ".aca..d.",
                       "..b...l.",
                       "......a.",
                       "d...ab..",
                       ".l......",
                       "........"},
                      fp);
    };
    s.put(tile::FlowerRed, flowers(kRed, kYellow, rgb(150, 40, 40)));
    s.put(tile::FlowerYellow, flowers(kYellow, kOrange, rgb(170, 140, 40)));
    s.put(tile::FlowerWhite, flowers(kWhite, kYellow, rgb(190, 190, 180)));
    s.put(tile::FlowerBlue, flowers(kBlue, kWhite, rgb(70, 80, 170)));

    Pal tg = basePal();
    tg.set('d', kGrassDark);
    tg.set('l', kGrassLight);
    tg.set('h', kGrassHigh);
    tg.set('s', kGrassShadow);
    s.put(tile::TallGrass, sprite(g,
                                  {"........",
                                   ".l...l..",
                                   ".d.l.d.l",
                                   "dld.dld.",
                                   "sdl.sdls",
                                   ".s....s.",
                                   "..l.....",
                                   ".dld...."},
                                  tg));
    s.put(tile::Clover, sprite(g,
                               {"........",
                                ".hl..h..",
                                ".ld.hll.",
                                "..w..d..",
                                "....h...",
                                ".h.hll.w",
                                "hll.d...",
                                ".d......"},
                               [&] { Pal q = tg; q.set('w', kWhite); return q; }()));

    s.put(tile::Sand + 0, t.sand[0]);
    s.put(tile::Sand + 1, t.sand[1]);
    s.put(tile::Shallow + 0, t.shallow[0]);
    s.put(tile::Shallow + 1, t.shallow[1]);
    s.put(tile::Deep + 0, t.deep[0]);
    s.put(tile::Deep + 1, t.deep[1]);
    s.put(tile::RockGround + 0, t.rock[0]);
    s.put(tile::RockGround + 1, t.rock[1]);
    s.put(tile::Forest + 0, t.canopy[0]);
    s.put(tile::Forest + 1, t.canopy[1]);
    s.put(tile::Dirt, t.dirt);
    s.put(tile::Cobble, t.cobble);

    // fields: crop rows running east-west
    {
        Image wheat(8, 8);
        Image cabbage(8, 8);
        Image plough(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const u32 h = hash3(x, y, 31);
                // wheat: golden stalks with ears, a dark furrow every fourth row
                Col w = (y % 4 == 3) ? rgb(170, 128, 54) : (y % 4 == 0 ? rgb(246, 214, 110) : rgb(222, 180, 76));
                if (y % 4 == 0 && (x + y / 4) % 3 == 0) w = rgb(252, 236, 150);
                if (y % 4 == 2 && h % 3 == 0) w = rgb(196, 152, 64);
                wheat.set(x, y, w);
                // cabbages: round heads on dark soil
                Col c = (y % 4 == 3) ? rgb(110, 76, 46) : rgb(128, 90, 54);
                const int cx = (x + (y / 4) * 2) % 4;
                if (y % 4 != 3 && cx != 3) {
                    c = rgb(86, 156, 70);
                    if (cx == 0 && y % 4 == 0) c = rgb(150, 204, 110);
                    else if (cx == 2 || y % 4 == 2) c = rgb(56, 116, 56);
                }
                cabbage.set(x, y, c);
                // ploughed soil: ridges lit on top
                Col q = (y % 2 == 0) ? rgb(150, 106, 64) : rgb(112, 78, 48);
                if (y % 2 == 0 && h % 5 == 0) q = rgb(176, 130, 82);
                plough.set(x, y, q);
            }
        s.put(tile::Wheat, wheat);
        s.put(tile::Cabbage, cabbage);
        s.put(tile::Ploughed, plough);
    }

    s.put(tile::Bush, sprite(g,
                             {"........",
                              "..nnnn..",
                              ".n4443n.",
                              "n443332n",
                              "n433222n",
                              "n322221n",
                              ".nn11nns",
                              "..ssssss"},
                             p));
    s.put(tile::Stone, sprite(g,
                              {"........",
                               "........",
                               "........",
                               "...kkk..",
                               "..kopqk.",
                               ".kopqqrk",
                               ".kpqqrrk",
                               "..kkkkks"},
                              p));
    s.put(tile::Boulder, sprite(g,
                                {"........",
                                 "..kkkk..",
                                 ".kooppk.",
                                 "koppppqk",
                                 "kppqpqrk",
                                 "kpqqqrrk",
                                 ".kqrrrks",
                                 "..kkkkss"},
                                p));
    s.put(tile::Stump, sprite(g,
                              {"........",
                               "........",
                               "..KKKK..",
                               ".KxvxvK.",
                               ".KvxxvK.",
                               ".KuuutKs",
                               "KuKuKtKs",
                               ".K.K.Ks."},
                              p));
    s.put(tile::Mushrooms, sprite(g,
                                  {"........",
                                   ".kkk....",
                                   "kRwRk...",
                                   "kkkkk...",
                                   ".kwk.kk.",
                                   ".kwkkRwk",
                                   "..s.kkkk",
                                   ".....kwk"},
                                  p));
    s.put(tile::Signpost, sprite(g,
                                 {"........",
                                  "KKKKKKK.",
                                  "KxxxxvKK",
                                  "KvuuuuK.",
                                  "KKKvKKK.",
                                  "...vK...",
                                  "...uKs..",
                                  "...Kss.."},
                                 p));
    s.put(tile::Well, sprite(g,
                             {".KKKKKK.",
                              "KRRRRRRK",
                              "KuKKKKuK",
                              "Ku....uK",
                              "kopppqqk",
                              "kprBBrqk",
                              "kqqqqqrk",
                              ".kkkkkks"},
                             [&] { Pal q = p; q.set('R', rgb(170, 62, 48)); q.set('B', kDeep); return q; }()));
    s.put(tile::Haystack, sprite(g,
                                 {"........",
                                  "...KK...",
                                  "..KhhK..",
                                  ".KhhhHK.",
                                  ".KhhHhHK",
                                  "KhhHhHHK",
                                  "KHhHHHHK",
                                  ".KKKKKKs"},
                                 p));
    s.put(tile::Scarecrow, sprite(g,
                                  {"...KK...",
                                   "..KhhK..",
                                   ".KKyyKK.",
                                   "KhRRRRhK",
                                   ".KRRRRK.",
                                   "..KuuKs.",
                                   "...uKs..",
                                   "...Kss.."},
                                  p));
    s.put(tile::Grave, sprite(g,
                              {"........",
                               "...kkk..",
                               "..kopqk.",
                               "..kprqk.",
                               "..kpqqk.",
                               "..kqqrks",
                               ".kkkkkks",
                               "..ssss.."},
                              p));
    s.put(tile::Barrels, sprite(g,
                                {"........",
                                 ".KKK....",
                                 "KxvuK...",
                                 "KtttKKK.",
                                 "KvuuKxvK",
                                 "KtttKttK",
                                 ".KKKKvuK",
                                 "....KKKs"},
                                p));
    s.put(tile::Crates, sprite(g,
                               {"........",
                                "KKKKK...",
                                "KxvxK...",
                                "KvKvKKKK",
                                "KxvxKxvK",
                                "KKKKKvuK",
                                "....KuuK",
                                "....KKKs"},
                               p));
    s.put(tile::FlowerBed, sprite(g,
                                  {"........",
                                   "........",
                                   ".PyRPyR.",
                                   "P3R3P3R3",
                                   "KKKKKKKK",
                                   "KuvuvuvK",
                                   ".KKKKKKs",
                                   "..ssssss"},
                                  p));
    s.put(tile::Logs, sprite(g,
                             {"........",
                              "........",
                              "..KKKKK.",
                              ".KxvvvxK",
                              "KKKKKKKK",
                              "KxvvvvxK",
                              "KKKKKKKK",
                              ".sssssss"},
                             [&] { Pal q = p; q.set('x', rgb(214, 176, 120)); return q; }()));

    // water things
    const Image& w = t.shallow[0];
    s.put(tile::LilyPads, sprite(w,
                                 {"........",
                                  ".nn.....",
                                  "nGgn....",
                                  "nggn..n.",
                                  ".nn..nGn",
                                  ".....ngn",
                                  "......n.",
                                  "........"},
                                 p));
    s.put(tile::LilyFlower, sprite(w,
                                   {"........",
                                    "...nnn..",
                                    "..nGPgn.",
                                    "..nPyPn.",
                                    "..ngPgn.",
                                    "nn.nnn..",
                                    "Ggn.....",
                                    "nn......"},
                                   p));
    s.put(tile::Reeds, sprite(w,
                              {"..4...4.",
                               ".34..43.",
                               ".3..t3.3",
                               ".3.33.3.",
                               "..23..2.",
                               ".2.22.2.",
                               "..M22M..",
                               "........"},
                              [&] { Pal q = p; q.set('t', rgb(120, 80, 50)); return q; }()));
    s.put(tile::SeaRock, sprite(t.deep[0],
                                {"........",
                                 "...kk...",
                                 "..kopk..",
                                 ".kopqqk.",
                                 "MkpqrrkM",
                                 "mMkkkkMm",
                                 ".mmmmmm.",
                                 "........"},
                                p));
    s.put(tile::Rowboat, sprite(w,
                                {"........",
                                 "........",
                                 "KKKKKKK.",
                                 "KxxvxxxK",
                                 "KvKvKvvK",
                                 ".KuuuuK.",
                                 "M.KKKK.M",
                                 ".MMMMMM."},
                                p));
    {
        // pier: planks on posts standing in shallow water
        Image ph = w;
        Image pv = w;
        for (int a = 0; a < 8; ++a)
            for (int b = 1; b <= 6; ++b) {
                Col c = (a % 3 == 2) ? kWood : kWoodLight;
                if (b == 1) c = kWoodHigh;
                if (b == 6) c = kBrownOutline;
                ph.set(a, b, c);
                pv.set(b, a, b == 6 ? kBrownOutline : (b == 1 ? kWoodHigh : c));
            }
        for (int a : {1, 5}) {
            ph.set(a, 7, kWoodDark);
            pv.set(7, a, kWoodDark);
            pv.set(0, a, kWoodDark);
        }
        ph.set(0, 7, kShallowLight);
        ph.set(4, 7, kShallowLight);
        s.put(tile::PierH, ph);
        s.put(tile::PierV, pv);
    }

    // single-tile trees
    const std::initializer_list<std::string_view> roundTree = {
        "..kkkk..",
        ".k5443k.",
        "k454332k",
        "k443322k",
        "k332221k",
        ".k2211k.",
        "..kutks.",
        "...kkss."};
    s.put(tile::TreeRound, sprite(g, roundTree, p));
    s.put(tile::TreeLight, sprite(g, roundTree,
                                  foliagePal(rgb(52, 104, 40), rgb(80, 140, 46), rgb(118, 176, 58), rgb(164, 206, 84),
                                             rgb(210, 232, 130))));
    s.put(tile::TreeAutumn, sprite(g, roundTree,
                                   foliagePal(rgb(120, 46, 30), rgb(178, 72, 36), rgb(216, 116, 44), rgb(242, 170, 64),
                                              rgb(252, 216, 120))));
    s.put(tile::TreeFruit, sprite(g,
                                  {"..kkkk..",
                                   ".k54R3k.",
                                   "k4R4332k",
                                   "k4433R2k",
                                   "kR32221k",
                                   ".k22R1k.",
                                   "..kutks.",
                                   "...kkss."},
                                  p));
    const std::initializer_list<std::string_view> pine = {
        "...kk...",
        "..k42k..",
        ".k4321k.",
        "..k421k.",
        ".k43211k",
        "k433221k",
        "kkkutkkk",
        "..kutkss"};
    s.put(tile::TreePine, sprite(g, pine,
                                 foliagePal(rgb(20, 62, 46), rgb(30, 88, 58), rgb(48, 120, 70), rgb(84, 156, 88),
                                            rgb(140, 196, 120))));
    s.put(tile::TreePineDark, sprite(g, pine,
                                     foliagePal(rgb(16, 46, 40), rgb(24, 68, 52), rgb(36, 94, 62), rgb(60, 124, 76),
                                                rgb(100, 160, 100))));
    s.put(tile::ForestPine, sprite(t.canopy[0],
                                   {"...kk...",
                                    "..k43k..",
                                    "..k421k.",
                                    ".k43321k",
                                    "..k4321k",
                                    ".k433211",
                                    "kk22211k",
                                    "..kk1kk."},
                                   foliagePal(rgb(18, 56, 44), rgb(26, 80, 56), rgb(42, 110, 66), rgb(78, 150, 86),
                                              rgb(130, 190, 116))));
    s.put(tile::ForestCrown, sprite(t.canopy[0],
                                    {"..nnnn..",
                                     ".n5443n.",
                                     "n454332n",
                                     "n443322n",
                                     "n332221n",
                                     ".n2211n.",
                                     "..nnnn..",
                                     "........"},
                                    foliagePal(rgb(40, 92, 40), rgb(64, 128, 48), rgb(100, 164, 60), rgb(146, 198, 80),
                                               rgb(196, 226, 120))));
    s.put(tile::Palm, sprite(t.sand[0],
                             {"..kk.kk.",
                              ".k43k43k",
                              "k4k32k2k",
                              "kk.k2u.k",
                              "...kuk..",
                              "...kvk..",
                              "..kuks..",
                              "..kkkss."},
                             foliagePal(rgb(30, 84, 44), rgb(50, 120, 52), rgb(86, 160, 64), rgb(140, 200, 90),
                                        rgb(190, 226, 120))));
    s.put(tile::StandingStone, sprite(g,
                                      {"..kkk...",
                                       ".kopqk..",
                                       ".kpqqk..",
                                       ".kppqrk.",
                                       ".kpqqrk.",
                                       ".kpqrrk.",
                                       "kkqqrrks",
                                       ".kkkkkss"},
                                      p));
    // mine entrance cut into a south-facing cliff (rock above, grass below)
    s.put(tile::MineEntrance, sprite(blendTile(t, {kRockT, kRockT, kGrassT, kGrassT}),
                                     {"........",
                                      "..KKKK..",
                                      ".KvxxvK.",
                                      ".KukkuK.",
                                      ".KukkuK.",
                                      ".KukkuK.",
                                      ".KudDuKs",
                                      "..dDDd.s"},
                                     p));
}

// ---- drawing helpers for the larger pieces

namespace pal {
constexpr Col kMtOut = rgb(62, 52, 52);
constexpr Col kMtDarker = rgb(80, 68, 66);
constexpr Col kMtDark = rgb(106, 92, 84);
constexpr Col kMtMid = rgb(156, 140, 118);
constexpr Col kMtLight = rgb(190, 174, 148);
constexpr Col kMtHigh = rgb(218, 206, 180);
constexpr Col kSnow = rgb(242, 246, 250);
constexpr Col kSnowShade = rgb(182, 196, 222);
}  // namespace pal

struct Shades {
    Col dark, mid, light, high;
};
constexpr Shades kRoofRed{rgb(120, 40, 36), rgb(168, 60, 46), rgb(204, 90, 60), rgb(232, 134, 92)};
constexpr Shades kRoofBlue{rgb(40, 56, 112), rgb(58, 84, 152), rgb(84, 118, 188), rgb(128, 162, 216)};
constexpr Shades kRoofOrange{rgb(136, 72, 30), rgb(186, 108, 44), rgb(218, 146, 64), rgb(240, 188, 104)};
constexpr Shades kRoofGreen{rgb(38, 82, 52), rgb(56, 116, 64), rgb(82, 150, 78), rgb(130, 186, 108)};
constexpr Shades kRoofSlate{rgb(56, 60, 76), rgb(80, 86, 104), rgb(108, 116, 136), rgb(148, 156, 176)};
constexpr Shades kPlaster{rgb(178, 160, 128), rgb(210, 194, 160), rgb(232, 220, 190), rgb(246, 240, 220)};
constexpr Shades kStoneShades{pal::kStoneDark, pal::kStone, pal::kStoneLight, pal::kStoneHigh};
constexpr Shades kFoliage{rgb(28, 72, 42), rgb(44, 106, 50), rgb(74, 146, 60), rgb(124, 184, 78)};
constexpr Shades kAutumn{rgb(124, 50, 32), rgb(182, 82, 38), rgb(222, 132, 50), rgb(248, 190, 86)};

// Outline every pixel that touches a marked pixel but is not marked itself.
void outlineMask(Image& im, const std::vector<bool>& mask, Col c, bool skipBottom) {
    std::vector<bool> add(mask.size(), false);
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const auto i = static_cast<std::size_t>(y * im.w + x);
            if (mask[i]) continue;
            auto m = [&](int xx, int yy) {
                return im.in(xx, yy) && mask[static_cast<std::size_t>(yy * im.w + xx)];
            };
            if (m(x - 1, y) || m(x + 1, y) || m(x, y + 1) || (!skipBottom && m(x, y - 1))) add[i] = true;
        }
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x)
            if (add[static_cast<std::size_t>(y * im.w + x)]) im.set(x, y, c);
}

// A mountain: apex at half-pixel column apex2 and row top, spreading to halfBase2 half pixels
// either side at the bottom row. The sunlit west face is light, the east face dark.
void drawMountain(Image& im, int apex2, int top, int halfBase2, bool snow, int seed) {
    using namespace pal;
    const int bottom = im.h - 1;
    const int height = std::max(1, bottom - top);
    std::vector<bool> mask(static_cast<std::size_t>(im.w * im.h), false);
    std::vector<Col> col(mask.size());
    int ridge = apex2;
    for (int y = top; y <= bottom; ++y) {
        const int t = y - top;
        const int hw = 1 + t * halfBase2 / height;
        if (t > 0 && hash3(t, 0, seed) % 3 == 0) ridge += 1;  // ridge line drifts down to the east
        const int snowLine = height * 2 / 5 + static_cast<int>(hash3(y, 1, seed) % 2);
        for (int x = 0; x < im.w; ++x) {
            const int px = 2 * x + 1;
            const int jag = static_cast<int>(hash3(x, y, seed + 5) % 3) - 1;
            if (px < apex2 - hw - (t > 1 ? jag : 0) || px > apex2 + hw + (t > 1 ? jag : 0)) continue;
            const auto i = static_cast<std::size_t>(y * im.w + x);
            mask[i] = true;
            const bool lit = px < ridge;
            const u32 h = hash3(x, y, seed + 9);
            Col c;
            if (lit) {
                c = kMtLight;
                if (ridge - px <= 3) c = kMtHigh;
                // streaks down the slope
                if ((x + y) % 5 == 0 && h % 3 == 0) c = kMtMid;
                if (px - (apex2 - hw) <= 2) c = kMtMid;
            } else {
                c = kMtDark;
                if ((x - y + 64) % 5 == 0 && h % 3 == 0) c = kMtDarker;
                if (px - ridge <= 1) c = kMtMid;
            }
            const int snowDepth = snowLine + ((x * 3 + static_cast<int>(h % 3)) % 3) - 1;
            if (snow && t <= snowDepth) c = lit ? (ridge - px <= 5 ? kSnow : mix(kSnow, kSnowShade, 80)) : kSnowShade;
            col[i] = c;
        }
    }
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (mask[i]) im.px[i] = col[i];
    // outline the silhouette but not the foot, which melts into the rocky ground
    std::vector<bool> edge(mask.size(), false);
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const auto i = static_cast<std::size_t>(y * im.w + x);
            if (!mask[i]) continue;
            auto out = [&](int xx, int yy) {
                return !im.in(xx, yy) ? false : !mask[static_cast<std::size_t>(yy * im.w + xx)];
            };
            if (out(x - 1, y) || out(x + 1, y) || out(x, y - 1)) edge[i] = true;
        }
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (edge[i]) im.px[i] = kMtOut;
}

struct Clump {
    int x2, y2, r;  // centre and radius in half pixels
};

// Leafy crown built from overlapping clumps, front clumps over back ones, lit from the top-left.
void drawCrown(Image& im, const std::vector<Clump>& clumps, const Shades& s, Col outline) {
    std::vector<bool> mask(static_cast<std::size_t>(im.w * im.h), false);
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const int px = 2 * x + 1, py = 2 * y + 1;
            const Clump* best = nullptr;
            for (const Clump& c : clumps) {
                const int dx = px - c.x2, dy = py - c.y2;
                if (dx * dx + dy * dy <= c.r * c.r && (!best || c.y2 > best->y2)) best = &c;
            }
            if (!best) continue;
            mask[static_cast<std::size_t>(y * im.w + x)] = true;
            const int dx = px - best->x2, dy = py - best->y2;
            const int d2 = dx * dx + dy * dy;
            const int light = -(dx + dy) * 16 / best->r;
            Col c = s.mid;
            if (d2 > (best->r - 2) * (best->r - 2) && dy > 0)
                c = s.dark;
            else if (light >= 11)
                c = s.high;
            else if (light >= 4)
                c = s.light;
            else if (light <= -9)
                c = s.dark;
            const u32 h = hash3(x, y, 4242);
            if (h % 9 == 0 && c == s.light) c = s.mid;
            if (h % 9 == 1 && c == s.mid) c = s.light;
            im.set(x, y, c);
        }
    outlineMask(im, mask, outline, false);
}

void ellipseShadow(Image& im, int cx2, int cy2, int rx2, int ry2, int pct) {
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const int dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
            if (dx * dx * ry2 * ry2 + dy * dy * rx2 * rx2 <= rx2 * rx2 * ry2 * ry2) im.darkenAt(x, y, pct);
        }
}

// Cylinder of stone blocks: lit on the west, shaded to the east.
void stoneCylinder(Image& im, int x0, int y0, int x1, int y1, const Shades& s) {
    const int w = x1 - x0 + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const int f = (x - x0) * 100 / std::max(1, w - 1);
            Col c = f < 20 ? s.light : (f < 55 ? s.high : (f < 80 ? s.light : s.mid));
            if (f > 90) c = s.dark;
            const bool mortar = ((y - y0) % 3 == 2) || ((x + ((y - y0) / 3) * 2) % 5 == 0 && (y - y0) % 3 != 2);
            if (mortar) c = mix(c, s.dark, 150);
            im.set(x, y, c);
        }
    for (int y = y0; y <= y1; ++y) {
        im.set(x0, y, pal::kOutline);
        im.set(x1, y, pal::kOutline);
    }
}

// Flat brick face, lit evenly, with a darker course at the bottom.
void brickWall(Image& im, int x0, int y0, int x1, int y1, const Shades& s) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const int r = y - y0;
            Col c = s.light;
            if (r % 3 == 2 || (x + (r / 3) * 3) % 6 == 0) c = s.mid;
            if (y == y1) c = s.dark;
            im.set(x, y, c);
        }
}

// A row of battlements with its top at y.
void battlements(Image& im, int x0, int x1, int y, const Shades& s) {
    for (int x = x0; x <= x1; ++x) {
        const bool merlon = ((x - x0) % 3) != 2;
        if (merlon) {
            im.set(x, y, ((x - x0) % 3 == 0) ? s.high : s.light);
            im.set(x, y + 1, s.light);
        } else {
            im.set(x, y + 1, s.dark);
        }
        im.set(x, y + 2, s.mid);
    }
    for (int x = x0; x <= x1; ++x)
        if (((x - x0) % 3) != 2) im.set(x, y - 1, pal::kOutline);
        else im.set(x, y, pal::kOutline);
}

// Cone roof: apex at (cx2 / 2, yTop), base row yBot, half width at the base hb2 (half pixels).
void coneRoof(Image& im, int cx2, int yTop, int yBot, int hb2, const Shades& s) {
    std::vector<bool> mask(static_cast<std::size_t>(im.w * im.h), false);
    const int hgt = std::max(1, yBot - yTop);
    for (int y = yTop; y <= yBot; ++y) {
        const int hw = 1 + (y - yTop) * hb2 / hgt;
        for (int x = 0; x < im.w; ++x) {
            const int dx = 2 * x + 1 - cx2;
            if (dx < -hw || dx > hw) continue;
            mask[static_cast<std::size_t>(y * im.w + x)] = true;
            const int f = (dx + hw) * 100 / std::max(1, 2 * hw);
            Col c = f < 25 ? s.light : (f < 45 ? s.high : (f < 75 ? s.mid : s.dark));
            if ((y - yTop) % 3 == 2 && f > 10 && f < 90) c = mix(c, s.dark, 100);
            if (y == yBot) c = s.dark;
            im.set(x, y, c);
        }
    }
    outlineMask(im, mask, pal::kOutline, true);
}

// Roof seen from the south: courses of shingles, ridge along the top, eaves at the bottom.
void shingleRoof(Image& im, int x0, int y0, int x1, int y1, const Shades& s) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const int r = y - y0;
            Col c = (r % 2 == 0) ? s.light : s.mid;
            if (r % 2 == 1 && ((x + (r / 2) * 2) % 4) == 0) c = s.dark;
            if (r == 0) c = s.high;
            if (x == x0 + 1 && r > 0) c = mix(c, s.high, 110);
            if (x == x1 - 1 && r > 0) c = mix(c, s.dark, 110);
            if (y == y1) c = s.dark;
            im.set(x, y, c);
        }
    for (int x = x0; x <= x1; ++x) {
        im.set(x, y0 - 1, pal::kOutline);
        im.set(x, y1 + 1, pal::kOutline);
    }
    for (int y = y0; y <= y1; ++y) {
        im.set(x0 - 1, y, pal::kOutline);
        im.set(x1 + 1, y, pal::kOutline);
    }
}

void window2(Image& im, int x, int y) {  // 2 x 2 pane in a dark frame
    im.rect(x - 1, y - 1, x + 2, y + 2, pal::kBrownOutline);
    im.set(x, y, pal::kGlassLight);
    im.set(x + 1, y, pal::kGlass);
    im.set(x, y + 1, pal::kGlass);
    im.set(x + 1, y + 1, rgb(84, 126, 168));
}

void door(Image& im, int x0, int y0, int x1, int y1) {
    im.rect(x0 - 1, y0 - 1, x1 + 1, y1, pal::kBrownOutline);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) im.set(x, y, (x == x0) ? pal::kWoodLight : pal::kWood);
    im.set(x1, (y0 + y1) / 2 + 1, pal::kYellow);
}

// Cottage: shingled roof over a plastered, timber-framed wall; door in the middle.
Image house(const Textures& t, int tw, const Shades& roof, bool chimney) {
    using namespace pal;
    const int w = tw * 8;
    Image im = groundCanvas(tw, 2, t.grass[0]);
    // shadow falling to the east
    for (int y = 5; y < 16; ++y) im.darkenAt(w - 1, y, 76);
    // wall
    for (int y = 9; y <= 15; ++y)
        for (int x = 1; x <= w - 3; ++x) {
            Col c = kPlaster.light;
            if (y == 9) c = kPlaster.mid;
            if (x == w - 3) c = kPlaster.mid;
            im.set(x, y, c);
        }
    for (int y = 9; y <= 15; ++y) {
        im.set(1, y, kWood);
        im.set(w - 3, y, kWoodDark);
        im.set(0, y, kOutline);
        im.set(w - 2, y, kOutline);
    }
    for (int x = 1; x <= w - 3; ++x) im.set(x, 15, kPlaster.dark);
    // roof overhangs the wall by a pixel
    shingleRoof(im, 1, 2, w - 3, 8, roof);
    if (chimney) {
        const int cx = w - 7;
        im.rect(cx - 1, 0, cx + 2, 4, kOutline);
        im.rect(cx, 1, cx + 1, 4, rgb(150, 96, 80));
        im.set(cx, 1, rgb(186, 128, 104));
        im.set(cx + 1, 3, rgb(110, 70, 60));
    }
    // door and windows
    const int dx = ((tw - 1) / 2) * 8 + 3;  // door in bottom-row tile (W - 1) / 2
    door(im, dx, 11, dx + 1, 15);
    if (tw == 2) {
        window2(im, 10, 11);
    } else {
        window2(im, 4, 11);
        window2(im, w - 7, 11);
    }
    return im;
}

Image bigTree(const Textures& t, const Shades& leaves) {
    Image im = groundCanvas(2, 2, t.grass[0]);
    ellipseShadow(im, 20, 28, 14, 5, 74);
    // trunk with a root flare
    for (int y = 10; y <= 15; ++y)
        for (int x = 6; x <= 9; ++x) im.set(x, y, x == 6 ? pal::kWoodLight : (x == 9 ? pal::kWoodDark : pal::kWood));
    im.set(5, 15, pal::kBrownOutline);
    im.set(10, 15, pal::kBrownOutline);
    for (int y = 10; y <= 14; ++y) {
        im.set(5, y, pal::kBrownOutline);
        im.set(10, y, pal::kBrownOutline);
    }
    drawCrown(im, {{8, 8, 6}, {24, 8, 6}, {16, 5, 7}, {6, 16, 6}, {26, 16, 6}, {16, 14, 8}, {10, 21, 6}, {22, 21, 6}},
              leaves, pal::kOutline);
    return im;
}

Image bigFir(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(2, 2, t.grass[0]);
    ellipseShadow(im, 20, 29, 12, 4, 74);
    im.rect(7, 13, 8, 15, kWood);
    im.set(7, 13, kWoodLight);
    const Shades s{rgb(18, 56, 44), rgb(28, 84, 56), rgb(46, 116, 68), rgb(90, 160, 96)};
    std::vector<bool> mask(static_cast<std::size_t>(im.w * im.h), false);
    // tiers from the bottom up, each drawn over the one below
    const int tiers[4][3] = {{8, 13, 14}, {5, 10, 11}, {2, 7, 8}, {0, 4, 5}};  // top, bottom, half width*2
    for (const auto& tr : tiers) {
        const int y0 = tr[0], y1 = tr[1], hb = tr[2];
        for (int y = y0; y <= y1; ++y) {
            const int hw = 1 + (y - y0) * hb / std::max(1, y1 - y0);
            for (int x = 0; x < 16; ++x) {
                const int dx = 2 * x + 1 - 16;
                if (dx < -hw || dx > hw) continue;
                mask[static_cast<std::size_t>(y * 16 + x)] = true;
                Col c = dx < -hw / 3 ? s.light : (dx < hw / 3 ? s.mid : s.dark);
                if (dx < 0 && dx > -4 && y - y0 < 3) c = s.high;
                if (y == y1) c = dx < 0 ? s.mid : s.dark;
                if (y == y1 && (x & 1)) c = s.dark;
                im.set(x, y, c);
            }
        }
    }
    outlineMask(im, mask, kOutline, false);
    return im;
}

// Smooth grassy mound: bands of light to dark green from the top-left, a soft outline.
void mound(Image& im, int cx2, int cy2, int rx2, int ry2) {
    const Col band[5] = {rgb(160, 206, 98), rgb(120, 180, 76), rgb(92, 154, 64), rgb(70, 128, 56), rgb(54, 106, 50)};
    std::vector<bool> mask(static_cast<std::size_t>(im.w * im.h), false);
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const int dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
            if (dy > 0) continue;  // the mound's foot is flat
            if (dx * dx * ry2 * ry2 + dy * dy * rx2 * rx2 > rx2 * rx2 * ry2 * ry2) continue;
            mask[static_cast<std::size_t>(y * im.w + x)] = true;
            // light falls from the top-left: compare with a point up and left of the centre
            const int lx = dx + rx2 / 3, ly = dy + ry2 * 2 / 3;
            const int d = (lx * lx) * 64 / (rx2 * rx2) + (ly * ly) * 64 / (ry2 * ry2);
            int k = d / 22;
            if (dx > rx2 / 2) ++k;
            Col c = band[clampi(k, 0, 4)];
            if (hash3(x, y, 333) % 9 == 0 && k >= 1) c = band[clampi(k + 1, 0, 4)];
            im.set(x, y, c);
        }
    outlineMask(im, mask, rgb(40, 86, 46), false);
}

Image bigHill(const Textures& t) {
    Image im = groundCanvas(2, 2, t.grass[0]);
    ellipseShadow(im, 20, 30, 15, 3, 78);
    mound(im, 16, 30, 15, 26);
    return im;
}

Image ship(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(2, 2, t.deep[0]);
    // wake
    for (int x = 0; x < 16; ++x) {
        if (x % 3 != 1) im.set(x, 14, kDeepLight);
        if (x > 1 && x < 14 && x % 2 == 0) im.set(x, 15, kShallow);
    }
    // hull
    const int hull[4][2] = {{1, 14}, {1, 14}, {2, 13}, {3, 12}};
    for (int r = 0; r < 4; ++r)
        for (int x = hull[r][0]; x <= hull[r][1]; ++x)
            im.set(x, 10 + r, r == 0 ? kWoodHigh : (r == 3 ? kWoodDark : kWood));
    for (int x = 0; x <= 15; ++x)
        if (x >= 1 && x <= 14) im.set(x, 9, kBrownOutline);
    im.set(0, 10, kBrownOutline);
    im.set(15, 10, kBrownOutline);
    im.set(0, 11, kBrownOutline);
    im.set(15, 11, kBrownOutline);
    im.set(1, 12, kBrownOutline);
    im.set(14, 12, kBrownOutline);
    im.set(2, 13, kBrownOutline);
    im.set(13, 13, kBrownOutline);
    for (int x = 3; x <= 12; ++x) im.set(x, 14, kBrownOutline);
    for (int x = 3; x <= 12; x += 3) im.set(x, 11, kWoodLight);
    // mast, sail and pennant
    for (int y = 1; y <= 9; ++y) im.set(8, y, kWoodDark);
    for (int y = 2; y <= 8; ++y) {
        const int hw = 2 + (y - 2) / 2;
        for (int x = 8 - hw; x <= 7; ++x) im.set(x, y, x == 8 - hw ? kOutline : (x < 6 ? kWhite : rgb(226, 222, 206)));
        for (int x = 9; x <= 9 + hw - 1; ++x) im.set(x, y, x == 9 + hw - 1 ? kOutline : rgb(196, 192, 180));
    }
    for (int x = 4; x <= 12; ++x) im.set(x, 8, kOutline);
    im.set(9, 1, kRed);
    im.set(10, 1, kRed);
    im.set(9, 2, rgb(150, 40, 40));
    return im;
}

// Gatehouse: a stone block with a round-headed gateway between two small towers; its
// bottom row lines up with the wall pieces so walls join it from either side.
Image gatehouse(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(3, 2, t.grass[0]);
    // walls continuing into the sides at the wall-piece height
    brickWall(im, 0, 8, 23, 15, kStoneShades);
    // main block
    brickWall(im, 4, 5, 19, 15, kStoneShades);
    battlements(im, 4, 19, 3, kStoneShades);
    // towers
    stoneCylinder(im, 0, 4, 6, 15, kStoneShades);
    stoneCylinder(im, 17, 4, 23, 15, kStoneShades);
    coneRoof(im, 7, 0, 4, 8, kRoofBlue);
    coneRoof(im, 41, 0, 4, 8, kRoofBlue);
    // gateway with raised portcullis and open doors
    for (int y = 8; y <= 15; ++y)
        for (int x = 9; x <= 14; ++x) {
            const bool arch = !(y == 8 && (x == 9 || x == 14));
            if (!arch) continue;
            Col c = rgb(36, 30, 34);
            if (y == 8 || y == 9) c = (x % 2) ? rgb(70, 64, 66) : rgb(36, 30, 34);
            if (y >= 12) c = texAt(t.cobble, x, y);
            im.set(x, y, c);
        }
    for (int y = 8; y <= 15; ++y) {
        im.set(8, y, kOutline);
        im.set(15, y, kOutline);
    }
    im.set(9, 8, kOutline);
    im.set(14, 8, kOutline);
    for (int x = 10; x <= 13; ++x) im.set(x, 7, kOutline);
    // arrow slits
    im.set(3, 8, kOutline);
    im.set(3, 9, kOutline);
    im.set(20, 8, kOutline);
    im.set(20, 9, kOutline);
    // a banner over the gate
    im.rect(11, 4, 12, 6, kRed);
    im.set(11, 4, rgb(240, 110, 90));
    im.set(11, 6, kYellow);
    return im;
}

Image tower(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(3, 3, t.grass[0]);
    ellipseShadow(im, 30, 44, 20, 6, 78);
    stoneCylinder(im, 1, 9, 22, 23, kStoneShades);
    for (int x = 1; x <= 22; ++x) im.set(x, 23, kStoneDark);
    battlements(im, 0, 23, 7, kStoneShades);
    for (int y = 7; y <= 10; ++y) {
        im.set(0, y, kOutline);
        im.set(23, y, kOutline);
    }
    coneRoof(im, 24, 0, 7, 18, kRoofBlue);
    // slit windows and a pennant
    for (int y = 13; y <= 15; ++y) im.set(8, y, kOutline);
    for (int y = 13; y <= 15; ++y) im.set(15, y, kOutline);
    for (int y = 18; y <= 19; ++y) im.set(12, y, kOutline);
    return im;
}

Image windmill(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(2, 3, t.grass[0]);
    ellipseShadow(im, 20, 46, 12, 3, 76);
    // tapering white body
    std::vector<bool> mask(static_cast<std::size_t>(im.w * im.h), false);
    for (int y = 9; y <= 23; ++y) {
        const int hw = 7 + (y - 9) * 4 / 14;  // half pixels
        for (int x = 0; x < 16; ++x) {
            const int dx = 2 * x + 1 - 16;
            if (dx < -hw || dx > hw) continue;
            mask[static_cast<std::size_t>(y * 16 + x)] = true;
            Col c = dx < -hw / 2 ? kPlaster.light : (dx < hw / 3 ? kPlaster.high : kPlaster.mid);
            if (dx > hw - 3) c = kPlaster.dark;
            im.set(x, y, c);
        }
    }
    outlineMask(im, mask, kOutline, true);
    coneRoof(im, 16, 4, 9, 10, kRoofRed);
    door(im, 7, 20, 8, 23);
    window2(im, 7, 14);
    // sails: four lattice arms from the hub
    const int hubX = 8, hubY = 7;
    for (int i = 1; i <= 7; ++i) {
        const int arms[4][2] = {{-i, -i}, {i, -i}, {-i, i}, {i, i}};
        for (const auto& a : arms) {
            const int x = hubX + a[0], y = hubY + a[1];
            if (!im.in(x, y)) continue;
            im.set(x, y, kWoodDark);
            // sail cloth on one side of each arm
            const int sx = x + (a[1] < 0 ? (a[0] < 0 ? 1 : 0) : (a[0] < 0 ? 0 : -1));
            const int sy = y + (a[0] < 0 ? (a[1] < 0 ? 0 : -1) : (a[1] < 0 ? 1 : 0));
            if (i >= 2 && im.in(sx, sy)) im.set(sx, sy, (i % 2) ? kWhite : rgb(214, 208, 190));
        }
    }
    im.set(hubX, hubY, kWoodHigh);
    im.set(hubX - 1, hubY, kBrownOutline);
    return im;
}

Image lighthouse(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(2, 3, t.grass[0]);
    ellipseShadow(im, 20, 46, 10, 3, 76);
    std::vector<bool> mask(static_cast<std::size_t>(im.w * im.h), false);
    for (int y = 7; y <= 21; ++y) {
        const int hw = 5 + (y - 7) * 4 / 14;
        for (int x = 0; x < 16; ++x) {
            const int dx = 2 * x + 1 - 16;
            if (dx < -hw || dx > hw) continue;
            mask[static_cast<std::size_t>(y * 16 + x)] = true;
            const bool red = ((y - 7) / 4) % 2 == 1;
            const Col light = red ? rgb(222, 78, 64) : kWhite;
            const Col mid = red ? rgb(180, 52, 46) : rgb(214, 210, 200);
            const Col dark = red ? rgb(130, 36, 36) : rgb(166, 160, 156);
            Col c = dx < -hw / 3 ? light : (dx < hw / 2 ? mid : dark);
            im.set(x, y, c);
        }
    }
    outlineMask(im, mask, kOutline, true);
    // gallery, lantern and cap
    for (int x = 3; x <= 12; ++x) {
        im.set(x, 6, kOutline);
        im.set(x, 5, (x % 2) ? kStoneDark : kOutline);
    }
    im.rect(5, 2, 10, 4, kOutline);
    im.rect(6, 2, 9, 4, rgb(255, 236, 140));
    im.set(6, 2, rgb(255, 252, 220));
    im.set(7, 3, rgb(255, 252, 220));
    im.set(9, 4, rgb(236, 180, 60));
    coneRoof(im, 16, 0, 1, 8, kRoofRed);
    door(im, 7, 18, 8, 21);
    window2(im, 7, 11);
    // rocky base
    for (int x = 2; x <= 13; ++x) {
        im.set(x, 22, (x % 3) ? kStoneLight : kStone);
        im.set(x, 23, (x % 3) ? kStone : kStoneDark);
    }
    im.set(1, 23, kOutline);
    im.set(14, 23, kOutline);
    im.set(1, 22, kOutline);
    im.set(14, 22, kOutline);
    return im;
}

Image chapel(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(3, 4, t.grass[0]);
    for (int y = 14; y < 32; ++y) im.darkenAt(23, y, 76);
    // nave: slate roof over a stone wall with tall windows
    shingleRoof(im, 1, 13, 21, 21, kRoofSlate);
    brickWall(im, 1, 22, 21, 31, Shades{rgb(150, 140, 130), rgb(180, 172, 160), rgb(214, 206, 190), rgb(232, 226, 214)});
    for (int y = 22; y <= 31; ++y) {
        im.set(0, y, kOutline);
        im.set(22, y, kOutline);
    }
    for (int wx : {3, 18}) {
        im.rect(wx - 1, 23, wx + 2, 29, kOutline);
        im.rect(wx, 24, wx + 1, 28, rgb(90, 130, 200));
        im.set(wx, 24, rgb(230, 200, 90));
        im.set(wx + 1, 26, rgb(200, 70, 70));
        im.set(wx, 27, rgb(150, 210, 240));
    }
    // bell tower in front
    brickWall(im, 8, 9, 15, 31, Shades{rgb(150, 140, 130), rgb(180, 172, 160), rgb(214, 206, 190), rgb(232, 226, 214)});
    for (int y = 9; y <= 31; ++y) {
        im.set(7, y, kOutline);
        im.set(16, y, kOutline);
        im.set(15, y, rgb(170, 160, 148));
    }
    im.rect(10, 11, 13, 14, kOutline);
    im.rect(11, 12, 12, 14, rgb(60, 46, 40));
    im.set(11, 13, kYellow);  // bell
    coneRoof(im, 24, 2, 9, 12, kRoofSlate);
    // cross
    im.set(11, 0, kYellow);
    im.set(11, 1, kYellow);
    im.set(10, 1, rgb(200, 160, 60));
    im.set(12, 1, rgb(200, 160, 60));
    im.set(11, 2, rgb(200, 160, 60));
    // arched door, bottom row, column 1
    im.rect(9, 25, 14, 31, kOutline);
    im.rect(10, 26, 13, 31, kWood);
    im.set(10, 26, kOutline);
    im.set(13, 26, kOutline);
    im.set(11, 27, kWoodLight);
    im.set(11, 26, kWoodLight);
    for (int y = 27; y <= 31; ++y) im.set(12, y, kWoodDark);
    return im;
}

Image keep(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(6, 5, t.grass[0]);
    ellipseShadow(im, 52, 78, 44, 4, 78);
    // main hall
    brickWall(im, 6, 17, 41, 39, kStoneShades);
    battlements(im, 6, 41, 15, kStoneShades);
    for (int y = 15; y <= 39; ++y) {
        im.set(5, y, kOutline);
        im.set(42, y, kOutline);
    }
    // banners
    for (int bx : {10, 35}) {
        im.rect(bx, 20, bx + 2, 27, rgb(176, 44, 44));
        im.set(bx, 20, rgb(220, 90, 80));
        im.set(bx + 1, 23, kYellow);
        im.set(bx + 1, 28, rgb(176, 44, 44));
        for (int y = 20; y <= 27; ++y) im.set(bx + 3, y, rgb(120, 30, 30));
    }
    // windows of the hall
    for (int wx : {15, 31})
        for (int y = 21; y <= 24; ++y) {
            im.set(wx, y, kOutline);
            im.set(wx + 1, y, y == 21 ? kOutline : rgb(240, 200, 90));
        }
    // side towers
    for (int tx : {0, 37}) {
        stoneCylinder(im, tx, 13, tx + 10, 39, kStoneShades);
        battlements(im, tx, tx + 10, 11, kStoneShades);
        coneRoof(im, 2 * tx + 11, 0, 11, 12, kRoofBlue);
        for (int y = 18; y <= 20; ++y) im.set(tx + 5, y, kOutline);
        for (int y = 27; y <= 29; ++y) im.set(tx + 5, y, kOutline);
    }
    // great tower
    stoneCylinder(im, 17, 8, 30, 39, kStoneShades);
    battlements(im, 16, 31, 6, kStoneShades);
    coneRoof(im, 48, 0, 6, 14, kRoofBlue);
    for (int y = 11; y <= 14; ++y) {
        im.set(21, y, kOutline);
        im.set(26, y, kOutline);
    }
    im.set(22, 12, rgb(240, 200, 90));
    im.set(27, 12, rgb(240, 200, 90));
    // flag on the great tower
    im.set(24, 0, kOutline);
    // gateway, centred on bottom-row tiles 2 and 3
    for (int y = 27; y <= 39; ++y)
        for (int x = 19; x <= 28; ++x) {
            const int dx2 = 2 * x + 1 - 48, dy = y - 31;
            if (dy < 0 && dx2 * dx2 + 16 * dy * dy > 100) continue;
            Col c = rgb(40, 32, 34);
            if ((x - 19) % 2 == 1 && y < 34) c = rgb(84, 76, 76);  // portcullis
            if (y >= 34) c = (x < 24) ? kWood : kWoodDark;
            if (y >= 34 && (x == 21 || x == 26)) c = kWoodDark;
            im.set(x, y, c);
        }
    for (int y = 27; y <= 39; ++y) {
        im.set(18, y, kOutline);
        im.set(29, y, kOutline);
    }
    for (int x = 20; x <= 27; ++x) im.set(x, 26, kOutline);
    return im;
}

Image inn(const Textures& t) {
    using namespace pal;
    Image im = groundCanvas(4, 3, t.grass[0]);
    for (int y = 6; y < 24; ++y) im.darkenAt(31, y, 76);
    // two-storey: roof with dormers over a timbered wall
    shingleRoof(im, 1, 2, 29, 12, kRoofRed);
    for (int dx : {6, 21}) {
        im.rect(dx - 1, 4, dx + 4, 9, kOutline);
        im.rect(dx, 5, dx + 3, 9, kPlaster.light);
        window2(im, dx + 1, 6);
        for (int x = dx - 1; x <= dx + 4; ++x) im.set(x, 3, kRoofRed.dark);
    }
    im.rect(25, 0, 28, 4, kOutline);
    im.rect(26, 1, 27, 4, rgb(150, 96, 80));
    for (int y = 13; y <= 23; ++y)
        for (int x = 1; x <= 29; ++x) {
            Col c = kPlaster.light;
            if (x % 7 == 1 || y == 13 || y == 18) c = kWood;  // timber frame
            if (x == 29) c = kPlaster.mid;
            im.set(x, y, c);
        }
    for (int y = 13; y <= 23; ++y) {
        im.set(0, y, kOutline);
        im.set(30, y, kOutline);
    }
    for (int x = 1; x <= 29; ++x) im.set(x, 23, kPlaster.dark);
    door(im, 11, 19, 12, 23);  // bottom-row tile 1
    for (int wx : {3, 17, 24}) window2(im, wx, 15);
    window2(im, 4, 20);
    window2(im, 24, 20);
    // hanging sign with a tankard
    im.rect(14, 19, 18, 21, kOutline);
    im.rect(15, 20, 17, 20, kWoodLight);
    im.set(16, 20, kYellow);
    im.set(14, 18, kOutline);
    return im;
}

Image peak(const Textures& t, bool snow, int seed) {
    Image im(8, 8);
    fillTex(im, t.rock[0]);
    drawMountain(im, 8, 1, 8, snow, seed);
    return im;
}

Image bigMountain(const Textures& t, bool snow, int seed, bool shoulderWest) {
    Image im = groundCanvas(2, 2, t.rock[0]);
    if (shoulderWest) {
        drawMountain(im, 9, 6, 9, false, seed + 1);  // a lower shoulder behind, to the west
        drawMountain(im, 19, 0, 15, snow, seed);
    } else {
        drawMountain(im, 24, 5, 10, false, seed + 1);  // a lower shoulder behind, to the east
        drawMountain(im, 15, 0, 17, snow, seed);
    }
    return im;
}

// A stretch of range four tiles wide: a high peak, a lower one and a saddle between.
Image mountainRange(const Textures& t, bool snow, int seed) {
    Image im = groundCanvas(4, 2, t.rock[0]);
    drawMountain(im, 44, 0, 20, snow, seed);
    drawMountain(im, 16, 2, 17, snow, seed + 1);
    drawMountain(im, 30, 7, 12, false, seed + 2);
    drawMountain(im, 58, 8, 8, false, seed + 3);
    return im;
}

Sheet makeSheet() {
    const Textures t = makeTextures();
    Sheet s;
    drawSmallThings(s, t);
    {
        Image hill = t.grass[0];
        ellipseShadow(hill, 9, 15, 8, 2, 80);
        mound(hill, 8, 15, 7, 11);
        s.put(tile::Hill, hill);
    }
    s.put(tile::Peak, peak(t, false, 11));
    s.put(tile::PeakSnow, peak(t, true, 12));
    {
        Image crag(8, 8);
        fillTex(crag, t.rock[1]);
        drawMountain(crag, 7, 3, 6, false, 13);
        s.put(tile::Crag, crag);
    }
    const std::array<std::array<int, 3>, 6> blends{{{kSandT, kGrassT, tile::SandGrass},
                                                      {kShallowT, kSandT, tile::ShoreSand},
                                                      {kDeepT, kShallowT, tile::DeepShallow},
                                                      {kShallowT, kGrassT, tile::ShoreGrass},
                                                      {kGrassT, kRockT, tile::GrassRock},
                                                      {kGrassT, kForestT, tile::GrassForest}}};
    for (const auto& [a, b, base] : blends)
        for (int m = 0; m < 16; ++m) {
            std::array<int, 4> k{};
            for (int i = 0; i < 4; ++i) k[static_cast<std::size_t>(i)] = (m >> i) & 1 ? b : a;
            s.put(base + m, blendTile(t, k));
        }
    {
        const std::vector<int> codes = threeWayCodes();
        const std::array<int, 3> terr{kShallowT, kSandT, kGrassT};
        for (std::size_t i = 0; i < codes.size(); ++i) {
            std::array<int, 4> k{};
            for (int j = 0, v = codes[i]; j < 4; ++j, v /= 3)
                k[static_cast<std::size_t>(j)] = terr[static_cast<std::size_t>(v % 3)];
            s.put(tile::ThreeWay + static_cast<int>(i), blendTile(t, k));
        }
    }
    for (int m = 0; m < 16; ++m) {
        s.put(tile::Path + m, pathTile(t, m));
        s.put(tile::Fence + m, fenceTile(t, m));
        s.put(tile::Wall + m, wallTile(m));
    }
    s.put(tile::BridgeHW, bridgeTile(t, true, 0));
    s.put(tile::BridgeH, bridgeTile(t, true, 1));
    s.put(tile::BridgeHE, bridgeTile(t, true, 2));
    s.put(tile::BridgeVN, bridgeTile(t, false, 0));
    s.put(tile::BridgeV, bridgeTile(t, false, 1));
    s.put(tile::BridgeVS, bridgeTile(t, false, 2));

    s.put(tile::BigTree, bigTree(t, kFoliage));
    s.put(tile::BigTreeAutumn, bigTree(t, kAutumn));
    s.put(tile::BigFir, bigFir(t));
    s.put(tile::BigHill, bigHill(t));
    s.put(tile::Mountain, bigMountain(t, false, 21, false));
    s.put(tile::SnowMountain, bigMountain(t, true, 22, false));
    s.put(tile::MountainB, bigMountain(t, false, 23, true));
    s.put(tile::SnowMountainB, bigMountain(t, true, 24, true));
    s.put(tile::Range, mountainRange(t, false, 25));
    s.put(tile::SnowRange, mountainRange(t, true, 26));
    s.put(tile::HouseRed, house(t, 2, kRoofRed, true));
    s.put(tile::HouseBlue, house(t, 2, kRoofBlue, false));
    s.put(tile::LongHouse, house(t, 3, kRoofOrange, true));
    s.put(tile::LongHouseGreen, house(t, 3, kRoofGreen, false));
    s.put(tile::Ship, ship(t));
    s.put(tile::Gatehouse, gatehouse(t));
    s.put(tile::Tower, tower(t));
    s.put(tile::Windmill, windmill(t));
    s.put(tile::Lighthouse, lighthouse(t));
    s.put(tile::Chapel, chapel(t));
    s.put(tile::Keep, keep(t));
    s.put(tile::Inn, inn(t));

    // The key colour must only appear in slots that hold no tile.
    for (int n = 0; n < tile::Count; ++n) {
        if (!s.used[static_cast<std::size_t>(n)]) continue;
        const int ox = (n % kSheetCols) * kTile, oy = (n / kSheetCols) * kTile;
        for (int y = 0; y < kTile; ++y)
            for (int x = 0; x < kTile; ++x)
                if (s.img.get(ox + x, oy + y) == Col{}) s.img.set(ox + x, oy + y, rgb(8, 8, 8));
    }
    return s;
}


// ------------------------------------------------------------------ frame picture

constexpr int kFrameW = 800, kFrameH = 600;
constexpr int kWinX = 16, kWinY = 12, kWinW = 768, kWinH = 576;

bool inWindow(int x, int y) { return x >= kWinX && x < kWinX + kWinW && y >= kWinY && y < kWinY + kWinH; }

// Brass disc with a gem, lit from the top-left.
void medallion(Image& im, int cx2, int cy2, int r, Col gem) {
    for (int y = (cy2 - 2 * r) / 2 - 1; y <= (cy2 + 2 * r) / 2 + 1; ++y)
        for (int x = (cx2 - 2 * r) / 2 - 1; x <= (cx2 + 2 * r) / 2 + 1; ++x) {
            const int dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
            const int d2 = dx * dx + dy * dy;
            const int rr = 2 * r;
            if (d2 > rr * rr) {
                // soft shadow to the bottom-right
                const int sx = dx - 2, sy = dy - 2;
                if (sx * sx + sy * sy <= rr * rr && !inWindow(x, y)) im.darkenAt(x, y, 70);
                continue;
            }
            const int light = -(dx + dy);
            Col c = rgb(196, 150, 60);
            if (d2 > (rr - 2) * (rr - 2)) c = light > 0 ? rgb(250, 222, 140) : rgb(110, 74, 30);
            else if (d2 > (rr - 5) * (rr - 5)) c = light > 0 ? rgb(160, 116, 44) : rgb(226, 190, 100);
            else if (light > rr / 2) c = rgb(240, 208, 120);
            else if (light < -rr / 2) c = rgb(150, 108, 40);
            if (d2 <= (rr / 2) * (rr / 2) + 2) {
                c = gem;
                if (dx < 0 && dy < 0) c = mix(gem, rgb(255, 255, 255), 140);
                if (dx > 0 && dy > 0) c = scale(gem, 60);
            }
            if (!inWindow(x, y)) im.set(x, y, c);
        }
}

void rivet(Image& im, int x, int y) {
    im.set(x - 1, y - 1, rgb(250, 226, 150));
    im.set(x, y - 1, rgb(222, 184, 96));
    im.set(x - 1, y, rgb(222, 184, 96));
    im.set(x, y, rgb(178, 134, 56));
    im.set(x + 1, y, rgb(110, 74, 34));
    im.set(x, y + 1, rgb(110, 74, 34));
    im.set(x + 1, y + 1, rgb(60, 38, 22));
    im.set(x + 1, y - 1, rgb(150, 108, 44));
    im.set(x - 1, y + 1, rgb(150, 108, 44));
}

// Carved walnut frame: outer bevel, grained wood, a gilt bead and an inner bevel sinking
// into the window; brass medallions on the corners and rivets along the sides.
Image frameImage() {
    Image im(kFrameW, kFrameH);
    for (int y = 0; y < kFrameH; ++y)
        for (int x = 0; x < kFrameW; ++x) {
            if (inWindow(x, y)) continue;
            // which side owns the pixel: corners are mitred
            const int nl = x * 3, nr = (kFrameW - 1 - x) * 3, nt = y * 4, nb = (kFrameH - 1 - y) * 4;
            int side = 0;  // 0 top, 1 left, 2 bottom, 3 right
            int best = nt;
            if (nl < best) { best = nl; side = 1; }
            if (nb < best) { best = nb; side = 2; }
            if (nr < best) { best = nr; side = 3; }
            int dOut = 0, dIn = 0, along = 0;
            switch (side) {
                case 0: dOut = y; dIn = kWinY - 1 - y; along = x; break;
                case 1: dOut = x; dIn = kWinX - 1 - x; along = y; break;
                case 2: dOut = kFrameH - 1 - y; dIn = y - (kWinY + kWinH); along = x; break;
                default: dOut = kFrameW - 1 - x; dIn = x - (kWinX + kWinW); along = y; break;
            }
            const bool litSide = side <= 1;
            Col c;
            if (dOut == 0) c = rgb(30, 18, 14);
            else if (dOut == 1) c = litSide ? rgb(222, 176, 116) : rgb(66, 40, 26);
            else if (dOut == 2) c = litSide ? rgb(178, 128, 78) : rgb(92, 58, 36);
            else if (dIn == 0) c = rgb(20, 12, 10);
            else if (dIn == 1) c = litSide ? rgb(66, 40, 26) : rgb(206, 160, 104);   // the recess
            else if (dIn == 2) c = litSide ? rgb(240, 206, 112) : rgb(184, 140, 56);  // gilt bead
            else if (dIn == 3) c = rgb(62, 38, 24);
            else {
                // grain: every row of the moulding has its own slowly changing tone, so the
                // wood shows long streaks running along the side
                const int n = valueNoise(along, dOut * 61 + side * 997, 30, 77);
                const std::array<Col, 5> wood{rgb(76, 44, 26), rgb(96, 58, 34), rgb(114, 72, 42), rgb(134, 88, 52),
                                              rgb(156, 106, 62)};
                c = wood[static_cast<std::size_t>(clampi(n * 5 / 1024, 0, 4))];
                if (n % 83 < 4) c = rgb(64, 36, 22);  // dark grain lines
                c = scale(c, litSide ? 106 : 90);
            }
            im.set(x, y, c);
        }
    // rivets along the wood, evenly spaced between the corner medallions
    for (int x = 48; x <= kFrameW - 48; x += 44) {
        if (std::abs(x - kFrameW / 2) < 40) continue;
        rivet(im, x, 5);
        rivet(im, x, kFrameH - 6);
    }
    for (int y = 44; y <= kFrameH - 44; y += 44) {
        if (std::abs(y - kFrameH / 2) < 30) continue;
        rivet(im, 7, y);
        rivet(im, kFrameW - 8, y);
    }
    // corner medallions and central plaques
    const Col ruby = rgb(200, 40, 52), emerald = rgb(40, 170, 110), sapphire = rgb(60, 100, 220);
    medallion(im, 17, 13, 6, ruby);
    medallion(im, 2 * kFrameW - 17, 13, 6, ruby);
    medallion(im, 17, 2 * kFrameH - 13, 6, ruby);
    medallion(im, 2 * kFrameW - 17, 2 * kFrameH - 13, 6, ruby);
    medallion(im, kFrameW, 12, 5, emerald);
    medallion(im, kFrameW, 2 * kFrameH - 12, 5, emerald);
    medallion(im, 16, kFrameH, 6, sapphire);
    medallion(im, 2 * kFrameW - 16, kFrameH, 6, sapphire);
    // flanking brass bars beside the top and bottom plaques
    for (int s = -1; s <= 1; s += 2)
        for (int i = 0; i < 18; ++i) {
            const int x = kFrameW / 2 + s * (9 + i);
            for (int yy : {5, kFrameH - 6}) {
                im.set(x, yy - 1, rgb(236, 200, 110));
                im.set(x, yy, rgb(196, 150, 60));
                im.set(x, yy + 1, rgb(120, 82, 34));
            }
        }
    // the window is pure black; the frame never is
    for (int y = 0; y < kFrameH; ++y)
        for (int x = 0; x < kFrameW; ++x) {
            if (inWindow(x, y)) {
                im.set(x, y, Col{});
            } else if (im.get(x, y) == Col{}) {
                im.set(x, y, rgb(12, 8, 8));
            }
        }
    return im;
}


// ------------------------------------------------------------------ world map

// One character per 6 x 6 tiles. '~' open sea, '-' sea shallows, 'l' lake, '.' grass,
// 'T' forest, '^' mountains. Screens are 16 x 12 characters.
constexpr std::array<std::string_view, 24> kLayout{{
    "~~~~~~~~ ~~-...TT T.^^^^^^ ^^^^^^^^ ^^^^...T TTTTTTTT",
    "~~~~~~~~ ~-.....T ..^^^^^^ ^^^^^^^^ ^^^....T TTTTTTTT",
    "~~..~~~~ --.....T ...^^^^^ ^^^^^^^^ ^^.....T TTTTTTTT",
    "~...~~~~ -......T T..^^^^l l^^^^^^. ^....... .TTTTTTT",
    "~~~~~~~~ -......T T...^^^l l^^^^^.. ........ ..TTTTTT",
    "~~~~~~~- .......T T....^^. .^^^^... ........ ...TTTTT",
    "~~~~~~.. ........ TT....^. ..^^.TT. ........ ....TTTT",
    "~~.~~~~. ........ TTT..... ....TTT. ........ .....TTT",
    "~~~~~~~- ........ TT...... .....TT. ........ ......TT",
    "~~~~~~~~ -....... .T...... ......T. ........ .......T",
    "~~~~~~~~ ~-...... ........ ........ ........ ......TT",
    "~~~~~~~~ ~-...... ........ ........ ...TT... .....TTT",
    "~~~~~~~~ ~~-..... ........ ........ ..TTTTTT ...TTTTT",
    "~.~~~~~~ ~~-..... ........ ........ .TTTTTTT TTTTTTTT",
    "~~~~~~~~ ~~~-.... ........ ........ .TTTTTTT TTTTTTTT",
    "~~~..~~~ ~~~-.... ........ ........ TTTTTTll llTTTTTT",
    "~~....~~ ~~~~-... ........ ........ TTTTTlll llTTTTTT",
    "~~~..~~~ ~~~~-... ........ ........ TTTTTTll lTTTTT^^",
    "~~~~~~~~ ~~~~-... ........ ........ .TTTTTTT TTTTT^^^",
    "~~~~~~~~ ~~~-.... ........ ........ ..TTTTTT TTTT^^^^",
    "~~~~~~~~ ~~-..... ........ ........ ...TTTTT TTT^^^^^",
    "~~~~.~~~ ~-...... ........ ......TT ....TTTT TT^^^^^^",
    "~~~~~~~~ -....... ........ .....TTT TT..TTTT T^^^^^^^",
    "~~~~~~~~ -....... ........ ....TTTT TTT.TTTT ^^^^^^^^",
}};

struct P {
    int x, y;
};

class World {
public:
    static constexpr int kVW = kMapW + 1, kVH = kMapH + 1;  // corners

    World() {
        const auto nv = static_cast<std::size_t>(kVW * kVH), nt = static_cast<std::size_t>(kMapW * kMapH);
        corner_.assign(nv, kGrassT);
        seaCorner_.assign(nv, 0);
        riverCorner_.assign(nv, 0);
        tiles_.assign(nt, tile::Grass);
        used_.assign(nt, 0);
        road_.assign(nt, 0);
        joins_.assign(nt, 0);
        clear_.assign(nt, 0);
    }

    // The world, screen by screen (columns 0..2, rows 0..1): the north-west coast with a
    // lighthouse, a farmstead and a fishing hamlet; the mountains with their lake, the
    // river's source and a mine; the castle with its fields and the great forest's edge;
    // the open sea with islands and ships; the village by the river bend with its chapel,
    // fields and windmill; the great forest with its lake, glades and south-east mountains.
    std::vector<int> build() {
        layTerrain();
        carveRiver();
        pond(110, 124, 5);  // reedy pond south-west of the village
        pond(236, 64, 3);   // castle fish pond
        pond(92, 30, 4);    // pond by the north-west woods
        carveBrook();
        setDepthAndBeaches();
        clearSettlements();
        layRoads();
        settleCorners();
        chooseGround();
        placeBridgesAndRoads();
        placeCastle();
        placeVillage();
        placeCoastAndOutskirts();
        placeFarms();
        placeMountains();
        placeWaterThings();
        scatterTrees();
        scatterGroundCover();
        finishRoads();
        return tiles_;
    }

private:
    std::vector<int> corner_;
    std::vector<char> seaCorner_, riverCorner_;
    std::vector<int> tiles_;
    std::vector<char> used_;   // tile holds an object, building, field or road
    std::vector<char> road_;   // 1 path, 2 east-west bridge, 3 north-south bridge, 4 bridge end, 5 jetty
    std::vector<char> joins_;  // 1 door or gate a path may enter from the south, 2 paved square
    std::vector<char> clear_;  // keep random trees and flowers away
    std::vector<int> threeWay_ = threeWayCodes();

    static bool inMap(int x, int y) { return x >= 0 && y >= 0 && x < kMapW && y < kMapH; }
    static std::size_t ti(int x, int y) { return static_cast<std::size_t>(y * kMapW + x); }
    static std::size_t vi(int x, int y) { return static_cast<std::size_t>(y * kVW + x); }
    int& c(int x, int y) { return corner_[vi(clampi(x, 0, kVW - 1), clampi(y, 0, kVH - 1))]; }
    int cornerAt(int x, int y) const { return corner_[vi(clampi(x, 0, kVW - 1), clampi(y, 0, kVH - 1))]; }
    int& t(int x, int y) { return tiles_[ti(x, y)]; }

    // The terrain of a tile if all four corners agree, else -1.
    int pure(int x, int y) const {
        const int a = cornerAt(x, y);
        if (cornerAt(x + 1, y) != a || cornerAt(x, y + 1) != a || cornerAt(x + 1, y + 1) != a) return -1;
        return a;
    }
    bool freeGrass(int x, int y) const {
        return inMap(x, y) && pure(x, y) == kGrassT && !used_[ti(x, y)];
    }
    bool freeRect(int x, int y, int w, int h) const {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                if (!freeGrass(x + i, y + j)) return false;
        return true;
    }
    // Lays an object W x H whose top-left sheet tile is id.
    void putObject(int id, int x, int y, int w, int h) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                if (!inMap(x + i, y + j)) continue;
                t(x + i, y + j) = id + j * kSheetCols + i;
                used_[ti(x + i, y + j)] = 1;
            }
    }
    // A building from the plan: warn if the ground is not ready for it.
    void building(int id, int x, int y, int w, int h) {
        if (!freeRect(x, y, w, h))
            std::cerr << "make_assets: note: building " << id << " at " << x << "," << y << " is not on free grass\n";
        putObject(id, x, y, w, h);
        joins_[ti(x + (w - 1) / 2, y + h - 1)] = 1;
    }

    void layTerrain() {
        std::array<std::string, 24> rows;
        for (std::size_t r = 0; r < kLayout.size(); ++r) {
            for (char ch : kLayout[r])
                if (ch != ' ') rows[r] += ch;
            if (rows[r].size() != 48) {
                std::cerr << "make_assets: layout row " << r << " has " << rows[r].size() << " cells\n";
                std::exit(1);
            }
        }
        // Each corner takes the layout class with the largest smooth share of the four nearest
        // cell centres, plus per-class noise, so outlines come out as natural rounded shapes.
        const std::string_view classes = "~-l.T^";
        for (int y = 0; y < kVH; ++y)
            for (int x = 0; x < kVW; ++x) {
                const int wx = x * 64 + (valueNoise(x, y, 15, 11) - 512) / 2 + (valueNoise(x, y, 6, 12) - 512) / 6;
                const int wy = y * 64 + (valueNoise(x, y, 15, 13) - 512) / 2 + (valueNoise(x, y, 6, 14) - 512) / 6;
                const int gx = (wx - 3 * 64) * 256 / (6 * 64), gy = (wy - 3 * 64) * 256 / (6 * 64);
                const int cx = floorDiv(gx, 256), cy = floorDiv(gy, 256);
                const int fx = gx - cx * 256, fy = gy - cy * 256;
                std::array<int, 6> score{};
                for (int k = 0; k < 4; ++k) {
                    const int ox = k & 1, oy = k >> 1;
                    const int wgt = (ox ? fx : 256 - fx) * (oy ? fy : 256 - fy) / 64;  // 0..1024
                    const char ch = rows[static_cast<std::size_t>(clampi(cy + oy, 0, 23))]
                                        [static_cast<std::size_t>(clampi(cx + ox, 0, 47))];
                    score[classes.find(ch)] += wgt;
                }
                std::size_t best = 0;
                int bestScore = -1 << 20;
                for (std::size_t k = 0; k < classes.size(); ++k) {
                    if (score[k] == 0) continue;
                    const int s = score[k] + (valueNoise(x, y, 9, 60 + static_cast<int>(k)) - 512) / 3;
                    if (s > bestScore) {
                        bestScore = s;
                        best = k;
                    }
                }
                int terr = kGrassT;
                switch (classes[best]) {
                    case '~': terr = kDeepT; seaCorner_[vi(x, y)] = 1; break;
                    case '-': terr = kShallowT; seaCorner_[vi(x, y)] = 2; break;
                    case 'l': terr = kDeepT; break;
                    case 'T': terr = kForestT; break;
                    case '^': terr = kRockT; break;
                    default: break;
                }
                c(x, y) = terr;
            }
    }

    static long long segDist2(long long px, long long py, P a, P b) {
        const long long ax = a.x * 4, ay = a.y * 4, bx = b.x * 4, by = b.y * 4;
        const long long dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
        long long tt = (px - ax) * dx + (py - ay) * dy;
        tt = std::clamp(tt, 0LL, len2);
        const long long qx = ax + (len2 ? dx * tt / len2 : 0), qy = ay + (len2 ? dy * tt / len2 : 0);
        return (px - qx) * (px - qx) + (py - qy) * (py - qy);
    }

    // The river leaves the mountain lake, runs south past the village and turns west to the sea.
    void carveRiver() {
        const std::vector<P> course{{146, 26}, {146, 38}, {142, 50}, {144, 60}, {143, 72}, {138, 82},
                                    {128, 89}, {114, 93}, {100, 97}, {88, 102}, {76, 105}, {68, 106}};
        for (int y = 0; y < kVH; ++y)
            for (int x = 0; x < kVW; ++x) {
                const long long px = x * 4 + (valueNoise(x, y, 9, 21) - 512) * 6 / 512;
                const long long py = y * 4 + (valueNoise(x, y, 9, 22) - 512) * 6 / 512;
                long long best = 1LL << 60;
                for (std::size_t i = 0; i + 1 < course.size(); ++i)
                    best = std::min(best, segDist2(px, py, course[i], course[i + 1]));
                const long long hw = 6 + std::clamp((y - 40) / 20, 0, 3);  // widens downstream
                if (best <= hw * hw) {
                    c(x, y) = kShallowT;
                    riverCorner_[vi(x, y)] = 1;
                }
            }
    }

    // A brook runs out of the forest lake southwards to the edge of the world.
    void carveBrook() {
        const std::vector<P> course{{236, 100}, {234, 112}, {228, 122}, {230, 132}, {224, 145}};
        for (int y = 96; y < kVH; ++y)
            for (int x = 200; x < kVW; ++x) {
                const long long px = x * 4 + (valueNoise(x, y, 7, 23) - 512) * 5 / 512;
                const long long py = y * 4 + (valueNoise(x, y, 7, 24) - 512) * 5 / 512;
                long long best = 1LL << 60;
                for (std::size_t i = 0; i + 1 < course.size(); ++i)
                    best = std::min(best, segDist2(px, py, course[i], course[i + 1]));
                if (best <= 25 && c(x, y) != kDeepT && c(x, y) != kShallowT) {
                    c(x, y) = kShallowT;
                    riverCorner_[vi(x, y)] = 1;
                }
            }
    }

    void setDepthAndBeaches() {
        // distance of water corners from land: far from the shore the water is deep
        std::vector<int> dist(corner_.size(), 1 << 20);
        std::queue<P> q;
        auto water = [](int terr) { return terr == kDeepT || terr == kShallowT; };
        for (int y = 0; y < kVH; ++y)
            for (int x = 0; x < kVW; ++x)
                if (!water(c(x, y))) {
                    dist[vi(x, y)] = 0;
                    q.push({x, y});
                }
        auto bfs = [&](auto pass) {
            while (!q.empty()) {
                const P p = q.front();
                q.pop();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = p.x + dx, ny = p.y + dy;
                        if (nx < 0 || ny < 0 || nx >= kVW || ny >= kVH) continue;
                        if (!pass(nx, ny) || dist[vi(nx, ny)] <= dist[vi(p.x, p.y)] + 1) continue;
                        dist[vi(nx, ny)] = dist[vi(p.x, p.y)] + 1;
                        q.push({nx, ny});
                    }
            }
        };
        bfs([&](int x, int y) { return water(c(x, y)); });
        for (int y = 0; y < kVH; ++y)
            for (int x = 0; x < kVW; ++x) {
                if (!water(c(x, y))) continue;
                const int d = dist[vi(x, y)];
                const int wobble = valueNoise(x, y, 7, 31) / 342;  // 0..2
                bool deep = false;
                if (riverCorner_[vi(x, y)]) deep = false;
                else if (seaCorner_[vi(x, y)] == 1) deep = d >= 3 + wobble;
                else if (seaCorner_[vi(x, y)] == 2) deep = d >= 6 + wobble;
                else deep = d >= 3 + wobble / 2;  // lakes
                c(x, y) = deep ? kDeepT : kShallowT;
            }
        // beaches: land near the open sea turns to sand
        std::fill(dist.begin(), dist.end(), 1 << 20);
        for (int y = 0; y < kVH; ++y)
            for (int x = 0; x < kVW; ++x)
                if (water(c(x, y)) && seaCorner_[vi(x, y)]) {
                    dist[vi(x, y)] = 0;
                    q.push({x, y});
                }
        bfs([&](int x, int y) { return !water(c(x, y)); });
        for (int y = 0; y < kVH; ++y)
            for (int x = 0; x < kVW; ++x) {
                if (water(c(x, y))) continue;
                const int width = 1 + valueNoise(x, y, 11, 41) / 400;  // 1..3
                if (dist[vi(x, y)] <= width) c(x, y) = kSandT;
            }
    }

    // Makes every tile's corners a terrain combination the sheet has: mountains and forest
    // only meet grass, deep water only meets shallow water. Terrain only ever gives way to
    // grass or (deep water) to shallow water, so this settles.
    void settleCorners() {
        auto around = [&](int x, int y, auto pred) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (pred(cornerAt(x + dx, y + dy))) return true;
            return false;
        };
        for (bool changed = true; changed;) {
            changed = false;
            std::vector<std::pair<std::size_t, int>> edits;
            for (int y = 0; y < kVH; ++y)
                for (int x = 0; x < kVW; ++x) {
                    const int terr = c(x, y);
                    if ((terr == kRockT || terr == kForestT) &&
                        around(x, y, [terr](int o) { return o != terr && o != kGrassT; }))
                        edits.push_back({vi(x, y), kGrassT});
                }
            for (auto [i, v] : edits) corner_[i] = v;
            changed = changed || !edits.empty();
            edits.clear();
            for (int y = 0; y < kVH; ++y)
                for (int x = 0; x < kVW; ++x)
                    if (c(x, y) == kDeepT && around(x, y, [](int o) { return o != kDeepT && o != kShallowT; }))
                        edits.push_back({vi(x, y), kShallowT});
            for (auto [i, v] : edits) corner_[i] = v;
            changed = changed || !edits.empty();
        }
    }

    // Ground tiles straight from the corners.
    void chooseGround() {
        struct Pair {
            int a, b, base;
        };
        const std::array<Pair, 6> pairs{{{kSandT, kGrassT, tile::SandGrass},
                                         {kShallowT, kSandT, tile::ShoreSand},
                                         {kDeepT, kShallowT, tile::DeepShallow},
                                         {kShallowT, kGrassT, tile::ShoreGrass},
                                         {kGrassT, kRockT, tile::GrassRock},
                                         {kGrassT, kForestT, tile::GrassForest}}};
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                const std::array<int, 4> k{cornerAt(x, y), cornerAt(x + 1, y), cornerAt(x, y + 1),
                                           cornerAt(x + 1, y + 1)};
                const u32 h = hash3(x, y, 51);
                if (k[0] == k[1] && k[0] == k[2] && k[0] == k[3]) {
                    int id = tile::Grass;
                    switch (k[0]) {
                        case kDeepT: id = tile::Deep + static_cast<int>(h % 3 == 0); break;
                        case kShallowT: id = tile::Shallow + static_cast<int>(h % 3 == 0); break;
                        case kSandT: id = tile::Sand + static_cast<int>(h % 2); break;
                        case kRockT: id = tile::RockGround + static_cast<int>(h % 3 == 0); break;
                        case kForestT: id = tile::Forest + static_cast<int>(h % 4 == 0); break;
                        default: {
                            // grass: mostly plain, lush patches where the noise says so
                            const int lush = valueNoise(x, y, 12, 52);
                            const int r = static_cast<int>(h % 100);
                            if (lush > 700 && r < 55) id = tile::Grass + 2;
                            else if (r < 18) id = tile::Grass + 1;
                            else if (r < 26) id = tile::Grass + 3;
                            else id = tile::Grass;
                        }
                    }
                    t(x, y) = id;
                    continue;
                }
                bool found = false;
                for (const Pair& p : pairs) {
                    int m = 0;
                    bool fits = true;
                    for (int i = 0; i < 4; ++i) {
                        if (k[static_cast<std::size_t>(i)] == p.b) m |= 1 << i;
                        else if (k[static_cast<std::size_t>(i)] != p.a) fits = false;
                    }
                    if (fits) {
                        t(x, y) = p.base + m;
                        found = true;
                        break;
                    }
                }
                if (!found) {
                    int code = 0;
                    bool fits = true;
                    for (int i = 3; i >= 0; --i) {
                        const int o = k[static_cast<std::size_t>(i)];
                        fits = fits && (o == kShallowT || o == kSandT || o == kGrassT);
                        code = code * 3 + (o == kShallowT ? 0 : (o == kSandT ? 1 : 2));
                    }
                    const auto& codes = threeWay_;
                    const auto it = std::find(codes.begin(), codes.end(), code);
                    if (fits && it != codes.end()) {
                        t(x, y) = tile::ThreeWay + static_cast<int>(it - codes.begin());
                        found = true;
                    }
                }
                if (!found) {
                    std::cerr << "make_assets: unmatched corners at " << x << "," << y << "\n";
                    std::exit(1);
                }
            }
    }

    // ---- settlements and roads, planned in tile coordinates

    static constexpr int kMineX = 182;
    P mine_{-1, -1};
    static constexpr int kCastleX0 = 204, kCastleY0 = 26, kCastleX1 = 224, kCastleY1 = 44, kGateX = 214;

    // Corners of the tile rectangle become grass; water (and, if asked, sand) is kept.
    void grassRect(int x0, int y0, int x1, int y1, bool keepSand = false) {
        for (int y = y0; y <= y1 + 1; ++y)
            for (int x = x0; x <= x1 + 1; ++x) {
                if (x < 0 || y < 0 || x >= kVW || y >= kVH) continue;
                const int terr = c(x, y);
                if (terr == kDeepT || terr == kShallowT || (keepSand && terr == kSandT)) continue;
                c(x, y) = kGrassT;
            }
    }
    void markClear(int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (inMap(x, y)) clear_[ti(x, y)] = 1;
    }

    // Noisy round patch of corners within r of the centre.
    template <class F>
    void blob(int cx, int cy, int r, int salt, F&& apply) {
        for (int y = cy - r - 3; y <= cy + r + 3; ++y)
            for (int x = cx - r - 3; x <= cx + r + 3; ++x) {
                if (x < 0 || y < 0 || x >= kVW || y >= kVH) continue;
                const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                const int rr = r * 4 + (valueNoise(x, y, 4, salt) - 512) * 6 / 512;  // quarter units
                if (d2 * 16 <= rr * rr) apply(x, y);
            }
    }
    void pond(int cx, int cy, int r) {
        blob(cx, cy, r, 97, [&](int x, int y) { c(x, y) = kShallowT; });
    }
    void clearing(int cx, int cy, int r) {
        blob(cx, cy, r, 98, [&](int x, int y) {
            const int terr = c(x, y);
            if (terr != kDeepT && terr != kShallowT) c(x, y) = kGrassT;
        });
    }

    void clearSettlements() {
        grassRect(kCastleX0 - 16, kCastleY0 - 8, kCastleX1 + 10, kCastleY1 + 14);
        markClear(kCastleX0 - 1, kCastleY0 - 1, kCastleX1 + 1, kCastleY1 + 1);
        grassRect(140, 80, 194, 136);   // village and its fields
        markClear(142, 83, 190, 112);
        grassRect(54, 44, 84, 72, true);  // fishing hamlet, keeping its beach
        markClear(58, 56, 82, 70);
        grassRect(36, 31, 43, 37);  // lighthouse point
        markClear(36, 31, 43, 37);
        clearing(207, 100, 9);  // woodcutter's clearing by the forest lake
        clearing(229, 110, 4);  // fisher's hut on the lake shore
        clearing(266, 84, 6);   // a glade with old standing stones
        clearing(210, 130, 6);  // hunter's glade
        clearing(250, 62, 5);   // a glade north-east of the castle
        clearing(86, 116, 6);   // cove south of the river mouth
        markClear(80, 110, 92, 122);
        markClear(203, 96, 212, 104);
        clearing(76, 36, 11);  // farmstead on the coast meadow
        markClear(66, 28, 84, 44);
        clearing(214, 54, 8);  // castle town outside the gate
        markClear(206, 46, 222, 60);
    }

    // Road plan: each list is walked point to point, east-west first, then north-south.
    const std::vector<std::vector<P>> kRoads{
        {{kGateX, kCastleY1 + 1}, {kGateX, 64}, {62, 64}},  // castle gate, west over the river to the hamlet
        {{160, 64}, {160, 121}},                             // village high street, north-south
        {{143, 98}, {190, 98}},                              // village main street
        {{146, 110}, {184, 110}},                            // back street
        {{143, 98}, {143, 104}, {110, 104}, {110, 64}},      // west lane over the river
        {{190, 98}, {205, 98}, {205, 112}, {227, 112}},      // into the forest: woodcutter and lake
        {{167, 90}, {167, 97}},                              // chapel path
        {{kCastleX0 - 10, 64}, {kCastleX0 - 10, 47}},        // farm track by the castle
        {{76, 64}, {76, 33}},                                // up to the coast farmstead
        {{76, 44}, {47, 44}, {47, 38}},                      // on to the lighthouse point
    };

    void roadTile(int x, int y) {
        if (!inMap(x, y)) return;
        road_[ti(x, y)] = 1;
        grassRect(x, y, x, y);
        // keep woods and rocks back from the verge
        for (int vy = y - 1; vy <= y + 2; ++vy)
            for (int vx = x - 1; vx <= x + 2; ++vx) {
                const int terr = cornerAt(vx, vy);
                if (terr == kForestT || terr == kRockT) c(vx, vy) = kGrassT;
            }
    }
    void roadLine(P a, P b) {
        for (int x = a.x; x != b.x; x += (b.x > a.x ? 1 : -1)) roadTile(x, a.y);
        for (int y = a.y; y != b.y; y += (b.y > a.y ? 1 : -1)) roadTile(b.x, y);
        roadTile(b.x, b.y);
    }
    void layRoads() {
        for (const auto& r : kRoads)
            for (std::size_t i = 0; i + 1 < r.size(); ++i) roadLine(r[i], r[i + 1]);
        // a track north from the high road to a mine in the foot of the mountains
        for (int y = 60; y > 8; --y) {
            bool rock = true;
            for (int k = 0; k < 4; ++k) rock = rock && cornerAt(kMineX + (k & 1), y - (k >> 1)) == kRockT;
            if (!rock) continue;
            mine_ = {kMineX, y};
            for (int ry = 63; ry > y + 1; --ry) roadTile(kMineX, ry);
            road_[ti(kMineX, y + 1)] = 1;
            grassRect(kMineX, y + 1, kMineX, y + 1);
            break;
        }
    }

    // Road tiles over water become a bridge; the road tiles either side become its ends.
    void placeBridgesAndRoads() {
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (!road_[ti(x, y)]) continue;
                used_[ti(x, y)] = 1;
                if (pure(x, y) == kGrassT) continue;
                const bool across = (inMap(x - 1, y) && road_[ti(x - 1, y)]) || (inMap(x + 1, y) && road_[ti(x + 1, y)]);
                road_[ti(x, y)] = across ? 2 : 3;
                t(x, y) = across ? tile::BridgeH : tile::BridgeV;
            }
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                const char r = road_[ti(x, y)];
                if (r == 2) {
                    if (road_[ti(x - 1, y)] == 1) { t(x - 1, y) = tile::BridgeHW; road_[ti(x - 1, y)] = 4; }
                    if (road_[ti(x + 1, y)] == 1) { t(x + 1, y) = tile::BridgeHE; road_[ti(x + 1, y)] = 4; }
                } else if (r == 3) {
                    if (road_[ti(x, y - 1)] == 1) { t(x, y - 1) = tile::BridgeVN; road_[ti(x, y - 1)] = 4; }
                    if (road_[ti(x, y + 1)] == 1) { t(x, y + 1) = tile::BridgeVS; road_[ti(x, y + 1)] = 4; }
                }
            }
    }

    // A short path from below a door down to the nearest road.
    void doorPath(int x, int y) {
        std::vector<P> steps;
        for (int k = 0; k < 8; ++k) {
            const int yy = y + k;
            if (!inMap(x, yy)) return;
            if (road_[ti(x, yy)] || (joins_[ti(x, yy)] == 2)) break;
            if (!freeGrass(x, yy)) return;
            steps.push_back({x, yy});
            if (k == 7) return;
        }
        for (P p : steps) {
            road_[ti(p.x, p.y)] = 1;
            used_[ti(p.x, p.y)] = 1;
        }
    }
    void house(int id, int x, int y, int w, int h, bool path = true) {
        building(id, x, y, w, h);
        if (path) doorPath(x + (w - 1) / 2, y + h);
    }
    void pathLine(P a, P b) {  // footpath over free grass
        auto lay = [&](int x, int y) {
            if (road_[ti(x, y)] || !freeGrass(x, y)) return;
            road_[ti(x, y)] = 1;
            used_[ti(x, y)] = 1;
        };
        for (int x = a.x; x != b.x; x += (b.x > a.x ? 1 : -1)) lay(x, a.y);
        for (int y = a.y; y != b.y; y += (b.y > a.y ? 1 : -1)) lay(b.x, y);
        lay(b.x, b.y);
    }
    void thing(int id, int x, int y) {
        if (freeGrass(x, y)) putObject(id, x, y, 1, 1);
    }
    void plaza(int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                if (!inMap(x, y) || used_[ti(x, y)]) continue;
                t(x, y) = tile::Cobble;
                used_[ti(x, y)] = 1;
                joins_[ti(x, y)] = 2;
            }
    }

    // Walls and fences join whatever of their own kind is next to them.
    std::vector<char> wall_ = std::vector<char>(static_cast<std::size_t>(kMapW * kMapH), 0);
    std::vector<char> fence_ = std::vector<char>(static_cast<std::size_t>(kMapW * kMapH), 0);
    void joinPieces(std::vector<char>& kind, int base, char self) {
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (kind[ti(x, y)] != self) continue;
                auto at = [&](int xx, int yy) { return inMap(xx, yy) && kind[ti(xx, yy)] != 0; };
                const int m = (at(x, y - 1) ? 1 : 0) | (at(x + 1, y) ? 2 : 0) | (at(x, y + 1) ? 4 : 0) | (at(x - 1, y) ? 8 : 0);
                t(x, y) = base + m;
            }
    }

    void placeCastle() {
        const int x0 = kCastleX0, y0 = kCastleY0, x1 = kCastleX1, y1 = kCastleY1;
        auto mark = [&](int x, int y, int w, int h) {
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) wall_[ti(x + i, y + j)] = 2;
        };
        for (P p : {P{x0, y0}, P{x1, y0}, P{x0, y1}, P{x1, y1}}) {
            putObject(tile::Tower, p.x - 1, p.y - 1, 3, 3);
            mark(p.x - 1, p.y - 1, 3, 3);
        }
        putObject(tile::Gatehouse, kGateX - 1, y1 - 1, 3, 2);
        mark(kGateX - 1, y1 - 1, 3, 2);
        joins_[ti(kGateX, y1)] = 1;
        for (int x = x0 + 2; x <= x1 - 2; ++x)
            for (int y : {y0, y1}) {
                if (wall_[ti(x, y)]) continue;
                wall_[ti(x, y)] = 1;
                used_[ti(x, y)] = 1;
            }
        for (int y = y0 + 2; y <= y1 - 2; ++y)
            for (int x : {x0, x1}) {
                wall_[ti(x, y)] = 1;
                used_[ti(x, y)] = 1;
            }
        joinPieces(wall_, tile::Wall, 1);

        // keep with a paved court before it and a paved lane to the gate
        building(tile::Keep, kGateX - 3, y0 + 2, 6, 5);
        plaza(x0 + 3, y0 + 7, x1 - 3, y0 + 8);
        plaza(kGateX - 1, y0 + 9, kGateX, y1 - 2);
        // barracks and stores along the walls
        house(tile::LongHouse, x0 + 2, y0 + 2, 3, 2);
        house(tile::LongHouseGreen, x1 - 5, y0 + 2, 3, 2);
        house(tile::HouseRed, x0 + 3, y0 + 11, 2, 2, false);
        house(tile::HouseBlue, x1 - 4, y0 + 11, 2, 2, false);
        pathLine({x0 + 3, y0 + 13}, {x0 + 3, y0 + 14});
        pathLine({x0 + 3, y0 + 14}, {kGateX - 2, y0 + 14});
        pathLine({x1 - 4, y0 + 13}, {x1 - 4, y0 + 14});
        pathLine({x1 - 4, y0 + 14}, {kGateX + 1, y0 + 14});
        thing(tile::Well, kGateX + 3, y0 + 10);
        thing(tile::Barrels, x0 + 5, y0 + 3);
        thing(tile::Crates, x1 - 6, y0 + 3);
        thing(tile::Barrels, x1 - 2, y0 + 12);
        thing(tile::Logs, x0 + 2, y0 + 12);
        thing(tile::FlowerBed, kGateX - 4, y0 + 6);
        thing(tile::FlowerBed, kGateX + 3, y0 + 6);
        thing(tile::Signpost, kGateX - 3, y0 + 10);
        for (int i = 0; i < 3; ++i) {
            thing(tile::TreeFruit, x0 + 2 + i * 2, y1 - 2);
            thing(tile::TreeRound, x1 - 6 + i * 2, y1 - 2);
        }
        // an avenue of trees down to the crossroads
        for (int y = y1 + 16; y <= 62; y += 3) {
            thing(tile::TreeRound, kGateX - 2, y);
            thing(tile::TreeRound, kGateX + 2, y);
        }
        thing(tile::Signpost, kGateX + 1, 65);
    }

    // The village by the river bend, and the clearings and cottages in the great forest.
    void placeVillage() {
        // north side of the main street (y 98)
        house(tile::HouseRed, 145, 95, 2, 2);
        house(tile::LongHouse, 149, 95, 3, 2);
        house(tile::HouseBlue, 154, 95, 2, 2);
        house(tile::Inn, 162, 94, 4, 3);
        house(tile::HouseRed, 169, 95, 2, 2);
        house(tile::LongHouseGreen, 173, 95, 3, 2);
        house(tile::HouseBlue, 178, 95, 2, 2);
        house(tile::HouseRed, 183, 95, 2, 2);
        house(tile::Chapel, 166, 86, 3, 4, false);
        // between the streets, doors onto the back street (y 110)
        house(tile::HouseBlue, 147, 107, 2, 2);
        house(tile::LongHouseGreen, 151, 107, 3, 2);
        house(tile::HouseRed, 156, 107, 2, 2);
        house(tile::LongHouse, 163, 107, 3, 2);
        house(tile::HouseRed, 168, 107, 2, 2);
        house(tile::HouseBlue, 172, 107, 2, 2);
        house(tile::LongHouse, 176, 107, 3, 2);
        house(tile::HouseBlue, 181, 107, 2, 2);
        // houses along the high street north of the village
        house(tile::HouseRed, 157, 76, 2, 2);
        house(tile::HouseBlue, 162, 80, 2, 2, false);
        pathLine({162, 82}, {161, 82});
        house(tile::LongHouseGreen, 155, 86, 3, 2);
        // well and market stalls by the crossroads
        thing(tile::Well, 162, 100);
        thing(tile::Barrels, 164, 100);
        thing(tile::Crates, 165, 100);
        thing(tile::Barrels, 158, 100);
        thing(tile::Signpost, 159, 97);
        thing(tile::Signpost, 161, 65);
        // churchyard
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 3; ++i) thing(tile::Grave, 171 + i * 2, 87 + j * 2);
        for (int x = 170; x <= 177; ++x)
            for (int y : {85, 91})
                if (freeGrass(x, y)) { fence_[ti(x, y)] = 1; used_[ti(x, y)] = 1; }
        for (int y = 86; y <= 90; ++y)
            if (freeGrass(177, y)) { fence_[ti(177, y)] = 1; used_[ti(177, y)] = 1; }
        thing(tile::TreePineDark, 176, 88);
        thing(tile::TreePine, 176, 86);
        // gardens: flower beds and trees between houses
        for (P p : {P{147, 97}, P{156, 97}, P{171, 97}, P{180, 97}, P{186, 97}, P{149, 109}, P{158, 109}, P{170, 109},
                    P{174, 109}})
            thing(tile::FlowerBed, p.x, p.y);
        for (P p : {P{144, 94}, P{153, 93}, P{160, 92}, P{172, 93}, P{181, 93}, P{187, 95}, P{146, 105}, P{155, 105},
                    P{162, 104}, P{167, 105}, P{175, 104}, P{184, 106}, P{188, 104}, P{152, 90}, P{158, 90}})
            thing((p.x + p.y) % 3 == 0 ? tile::TreeFruit : tile::TreeRound, p.x, p.y);
        thing(tile::Barrels, 166, 97);
        thing(tile::Logs, 185, 97);
        // windmill by the fields
        house(tile::Windmill, 187, 112, 2, 3, false);
        thing(tile::Haystack, 186, 116);
        thing(tile::Haystack, 189, 116);
        // woodcutter in the forest clearing
        house(tile::LongHouse, 207, 100, 3, 2, false);
        pathLine({208, 102}, {208, 103});
        pathLine({207, 103}, {206, 103});
        thing(tile::Logs, 206, 99);
        thing(tile::Logs, 210, 103);
        thing(tile::Stump, 212, 96);
        thing(tile::Stump, 204, 97);
        thing(tile::Stump, 213, 102);
        // fisher's hut on the lake shore
        spotNear(tile::HouseBlue, 2, 2, {228, 109}, 5);
        // glades in the great forest
        for (int k = 0; k < 8; ++k) {
            static constexpr int ring[8][2] = {{0, -3}, {2, -2}, {3, 0}, {2, 2}, {0, 3}, {-2, 2}, {-3, 0}, {-2, -2}};
            thing(tile::StandingStone, 266 + ring[k][0], 84 + ring[k][1]);
        }
        spotNear(tile::HouseRed, 2, 2, {209, 129}, 4);
        thing(tile::Logs, 212, 131);
        thing(tile::Stump, 207, 132);
        spotNear(tile::BigTreeAutumn, 2, 2, {250, 61}, 3);
        // cove south of the river mouth: fishers' cottages and a jetty
        const P cove = spotNear(tile::LongHouse, 3, 2, {82, 113}, 6);
        spotNear(tile::HouseBlue, 2, 2, {85, 117}, 6);
        if (cove.x >= 0) {
            thing(tile::Barrels, cove.x + 3, cove.y + 1);
            pier(cove.x - 1, cove.y + 2);
        }
    }

    // The fishing hamlet, lighthouse and farmstead on the west coast, huts on the islands,
    // the standing stones on the downs and the cottages outside the castle gate.
    void placeCoastAndOutskirts() {
        house(tile::HouseBlue, 65, 61, 2, 2);
        house(tile::HouseRed, 69, 61, 2, 2);
        house(tile::LongHouseGreen, 73, 61, 3, 2);
        house(tile::HouseRed, 78, 61, 2, 2);
        house(tile::HouseBlue, 67, 66, 2, 2, false);
        house(tile::LongHouse, 71, 66, 3, 2, false);
        thing(tile::Barrels, 64, 63);
        thing(tile::Crates, 64, 65);
        thing(tile::Logs, 76, 66);
        thing(tile::Signpost, 81, 63);
        const P light = spotNear(tile::Lighthouse, 2, 3, {44, 34}, 8);
        if (light.x >= 0) pathLine({light.x, light.y + 3}, {47, light.y + 3});
        // coast farmstead
        house(tile::LongHouse, 73, 31, 3, 2, false);
        house(tile::HouseRed, 78, 31, 2, 2, false);
        pathLine({74, 33}, {75, 33});
        pathLine({78, 33}, {77, 33});
        thing(tile::Well, 71, 32);
        thing(tile::Haystack, 81, 32);
        thing(tile::Haystack, 82, 34);
        field(68, 36, 8, 7, tile::Wheat, {75, 38});
        field(77, 36, 8, 7, tile::Cabbage, {77, 38});
        thing(tile::Scarecrow, 70, 39);
        // huts on the islands
        spotNear(tile::HouseBlue, 2, 2, {20, 14}, 6);
        spotNear(tile::HouseRed, 2, 2, {22, 96}, 6);
        // standing stones on the open downs south of the river
        for (int k = 0; k < 8; ++k) {
            static constexpr int ring[8][2] = {{0, -3}, {2, -2}, {3, 0}, {2, 2}, {0, 3}, {-2, 2}, {-3, 0}, {-2, -2}};
            thing(tile::StandingStone, 126 + ring[k][0], 128 + ring[k][1]);
        }
        thing(tile::Boulder, 126, 128);
        // castle town: cottages along the road outside the gate
        house(tile::HouseRed, kGateX - 6, 49, 2, 2, false);
        house(tile::LongHouseGreen, kGateX - 7, 54, 3, 2, false);
        house(tile::HouseBlue, kGateX + 4, 49, 2, 2, false);
        house(tile::LongHouse, kGateX + 4, 54, 3, 2, false);
        pathLine({kGateX - 6, 51}, {kGateX - 6, 52});
        pathLine({kGateX - 6, 52}, {kGateX - 1, 52});
        pathLine({kGateX - 6, 56}, {kGateX - 6, 57});
        pathLine({kGateX - 6, 57}, {kGateX - 1, 57});
        pathLine({kGateX + 4, 51}, {kGateX + 4, 52});
        pathLine({kGateX + 4, 52}, {kGateX + 1, 52});
        pathLine({kGateX + 5, 56}, {kGateX + 5, 57});
        pathLine({kGateX + 5, 57}, {kGateX + 1, 57});
        thing(tile::Barrels, kGateX - 4, 50);
        thing(tile::Crates, kGateX + 7, 55);
        thing(tile::FlowerBed, kGateX + 6, 51);
    }

    // Puts an object on the free grass spot nearest to a target.
    P spotNear(int id, int w, int h, P target, int radius) {
        int best = 1 << 30;
        P at{-1, -1};
        for (int y = target.y - radius; y <= target.y + radius; ++y)
            for (int x = target.x - radius; x <= target.x + radius; ++x) {
                const int d = (x - target.x) * (x - target.x) + (y - target.y) * (y - target.y);
                if (d < best && freeRect(x, y, w, h)) {
                    best = d;
                    at = {x, y};
                }
            }
        if (at.x < 0) {
            std::cerr << "make_assets: note: no room for object " << id << " near " << target.x << "," << target.y << "\n";
            return at;
        }
        putObject(id, at.x, at.y, w, h);
        return at;
    }

    // A fenced field with a gap in the fence on one side.
    void field(int x0, int y0, int w, int h, int crop, P gap) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) {
                if (!freeGrass(x, y)) continue;
                const bool edge = x == x0 || y == y0 || x == x0 + w - 1 || y == y0 + h - 1;
                used_[ti(x, y)] = 1;
                if (edge) {
                    if (x == gap.x && y == gap.y) {
                        road_[ti(x, y)] = 1;  // the gate: the track runs in
                        continue;
                    }
                    fence_[ti(x, y)] = 1;
                } else {
                    t(x, y) = crop;
                }
            }
    }
    void placeFarms() {
        field(146, 113, 12, 7, tile::Wheat, {151, 113});
        field(162, 113, 10, 7, tile::Cabbage, {166, 113});
        field(173, 113, 10, 7, tile::Wheat, {177, 113});
        field(146, 122, 12, 7, tile::Ploughed, {151, 122});
        field(162, 123, 12, 7, tile::Wheat, {163, 123});
        field(176, 121, 9, 8, tile::Cabbage, {180, 121});
        field(kCastleX0 - 15, 29, 10, 8, tile::Wheat, {kCastleX0 - 10, 36});
        field(kCastleX0 - 15, 38, 10, 9, tile::Cabbage, {kCastleX0 - 10, 46});
        field(kCastleX1 + 3, 50, 8, 7, tile::Ploughed, {kCastleX1 + 5, 56});
        thing(tile::Scarecrow, 152, 116);
        thing(tile::Scarecrow, 178, 117);
        thing(tile::Haystack, 159, 121);
        thing(tile::Haystack, 172, 121);
        thing(tile::Haystack, kCastleX0 - 4, 33);
        thing(tile::Haystack, kCastleX0 - 4, 35);
        joinPieces(fence_, tile::Fence, 1);
    }

    bool freeRock(int x, int y, int w, int h) const {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                if (!inMap(x + i, y + j) || pure(x + i, y + j) != kRockT || used_[ti(x + i, y + j)]) return false;
        return true;
    }
    // Ranges and peaks packed over the rocky ground, visited in a scrambled order so they
    // do not line up.
    void placeMountains() {
        if (mine_.x >= 0 && t(mine_.x, mine_.y) == tile::GrassRock + 3) {
            putObject(tile::MineEntrance, mine_.x, mine_.y, 1, 1);
            joins_[ti(mine_.x, mine_.y)] = 1;
        } else {
            std::cerr << "make_assets: note: no cliff for the mine\n";
        }
        std::vector<std::pair<u32, P>> spots;
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x)
                if (pure(x, y) == kRockT) spots.push_back({hash3(x, y, 94), P{x, y}});
        std::sort(spots.begin(), spots.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        auto snowy = [](int x, int y) { return y + static_cast<int>(hash3(x, y, 91) % 6) < 20; };
        for (const auto& [h, p] : spots)
            if (h % 4 == 0 && freeRock(p.x, p.y, 4, 2))
                putObject(snowy(p.x, p.y) ? tile::SnowRange : tile::Range, p.x, p.y, 4, 2);
        for (const auto& [h, p] : spots) {
            if (!freeRock(p.x, p.y, 2, 2) || h % 10 >= 6) continue;
            const bool west = (h >> 8) % 2 == 0;
            const int id = snowy(p.x, p.y) ? (west ? tile::SnowMountainB : tile::SnowMountain)
                                           : (west ? tile::MountainB : tile::Mountain);
            putObject(id, p.x, p.y, 2, 2);
        }
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (!freeRock(x, y, 1, 1)) continue;
                const u32 h = hash3(x, y, 92) % 100;
                if (h < 14) putObject(y < 16 ? tile::PeakSnow : tile::Peak, x, y, 1, 1);
                else if (h < 24) putObject(tile::Crag, x, y, 1, 1);
            }
    }

    // A jetty westwards over the shallows from the first water west of (x, y), with a boat.
    void pier(int x, int y) {
        while (x > 0 && inMap(x, y) && pure(x, y) != kShallowT) --x;
        int k = 0;
        for (; k < 6 && inMap(x - k, y) && pure(x - k, y) == kShallowT && !used_[ti(x - k, y)]; ++k) {
            putObject(tile::PierH, x - k, y, 1, 1);
            road_[ti(x - k, y)] = 5;
        }
        for (P p : {P{x - k + 1, y - 1}, P{x - k + 2, y + 1}})
            if (inMap(p.x, p.y) && pure(p.x, p.y) == kShallowT && !used_[ti(p.x, p.y)])
                putObject(tile::Rowboat, p.x, p.y, 1, 1);
    }

    void placeWaterThings() {
        auto freeDeep = [&](int x, int y) { return inMap(x, y) && pure(x, y) == kDeepT && !used_[ti(x, y)]; };
        for (P p : {P{22, 54}, P{14, 96}, P{40, 124}, P{34, 14}, P{28, 84}, P{6, 126}}) {
            bool ok = true;
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) ok = ok && freeDeep(p.x + i, p.y + j);
            if (ok) putObject(tile::Ship, p.x, p.y, 2, 2);
        }
        pier(61, 64);  // out from the hamlet's beach
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (used_[ti(x, y)]) continue;
                const int p = pure(x, y);
                const u32 h = hash3(x, y, 93) % 1000;
                const bool sea = seaCorner_[vi(x, y)] != 0, river = riverCorner_[vi(x, y)] != 0;
                if (p == kDeepT && sea && h < 4) putObject(tile::SeaRock, x, y, 1, 1);
                if (p != kShallowT) continue;
                // next to a grassy bank?
                bool bank = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (inMap(x + dx, y + dy) && t(x + dx, y + dy) >= tile::ShoreGrass &&
                            t(x + dx, y + dy) < tile::ShoreGrass + 16)
                            bank = true;
                if (!sea && !river && h < 90) putObject(h < 25 ? tile::LilyFlower : tile::LilyPads, x, y, 1, 1);
                else if (bank && h < 60) putObject(tile::Reeds, x, y, 1, 1);
            }
    }

    int forestNear(int x, int y, int r) const {  // distance to the nearest forest corner, up to r
        int best = r + 1;
        for (int dy = -r; dy <= r + 1; ++dy)
            for (int dx = -r; dx <= r + 1; ++dx)
                if (cornerAt(x + dx, y + dy) == kForestT) best = std::min(best, std::max(std::abs(dx), std::abs(dy)));
        return best;
    }
    int rockNear(int x, int y, int r) const {
        int best = r + 1;
        for (int dy = -r; dy <= r + 1; ++dy)
            for (int dx = -r; dx <= r + 1; ++dx)
                if (cornerAt(x + dx, y + dy) == kRockT) best = std::min(best, std::max(std::abs(dx), std::abs(dy)));
        return best;
    }

    void scatterTrees() {
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (!freeGrass(x, y) || clear_[ti(x, y)]) continue;
                const int fd = forestNear(x, y, 5);
                const int rd = rockNear(x, y, 4);
                const int grove = valueNoise(x, y, 14, 70);
                const u32 h = hash3(x, y, 71);
                int chance = 3;  // percent
                if (fd <= 1) chance = 55;
                else if (fd <= 3) chance = 28;
                else if (fd <= 5) chance = 12;
                if (grove > 740) chance = std::max(chance, 45);
                else if (grove > 660) chance = std::max(chance, 16);
                if (static_cast<int>(h % 100) >= chance) {
                    if (rd <= 3 && h % 100 < 30) putObject(tile::Hill, x, y, 1, 1);
                    continue;
                }
                const u32 kind = (h >> 8) % 100;
                // big trees where there is room
                if (kind < 12 && freeRect(x, y, 2, 2) && !clear_[ti(x + 1, y + 1)]) {
                    putObject(kind < 2 ? tile::BigTreeAutumn : (fd <= 3 ? tile::BigFir : tile::BigTree), x, y, 2, 2);
                    continue;
                }
                int id = tile::TreeRound;
                if (fd <= 3) id = kind < 45 ? tile::TreePine : (kind < 70 ? tile::TreePineDark : tile::TreeRound);
                else if (kind < 40) id = tile::TreeRound;
                else if (kind < 65) id = tile::TreeLight;
                else if (kind < 80) id = tile::TreePine;
                else if (kind < 84) id = tile::TreeAutumn;
                else if (kind < 91) id = tile::TreeFruit;
                else id = tile::Bush;
                putObject(id, x, y, 1, 1);
            }
        // foothills
        for (int y = 0; y + 1 < kMapH; y += 2)
            for (int x = 0; x + 1 < kMapW; x += 2)
                if (rockNear(x, y, 3) <= 3 && freeRect(x, y, 2, 2) && hash3(x, y, 72) % 100 < 22)
                    putObject(tile::BigHill, x, y, 2, 2);
    }

    void scatterGroundCover() {
        // break up the canopy: firs poking through and bright crowns
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (pure(x, y) != kForestT || used_[ti(x, y)]) continue;
                const u32 h = hash3(x, y, 84) % 100;
                const int kind = valueNoise(x, y, 20, 85);
                if (h < (kind > 560 ? 16 : 5)) putObject(tile::ForestPine, x, y, 1, 1);
                else if (h < 24 && kind < 520) putObject(tile::ForestCrown, x, y, 1, 1);
            }
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x)
                if (pure(x, y) == kSandT && !used_[ti(x, y)] && hash3(x, y, 86) % 100 < 9)
                    putObject(tile::Palm, x, y, 1, 1);
        const std::array<int, 4> flowers{tile::FlowerRed, tile::FlowerYellow, tile::FlowerWhite, tile::FlowerBlue};
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (!freeGrass(x, y)) continue;
                const u32 h = hash3(x, y, 81) % 1000;
                const int meadow = valueNoise(x, y, 10, 82);
                const bool village = clear_[ti(x, y)] != 0;
                if (meadow > 800 && h < 260) {
                    const int hue = valueNoise(x, y, 23, 83) * 4 / 1024;
                    putObject(flowers[static_cast<std::size_t>(clampi(hue, 0, 3))], x, y, 1, 1);
                } else if (meadow < 190 && h < 300 && !village) {
                    putObject(tile::TallGrass, x, y, 1, 1);
                } else if (h < 14) {
                    putObject(tile::Clover, x, y, 1, 1);
                } else if (h < 22 && !village) {
                    putObject(tile::Bush, x, y, 1, 1);
                } else if (h < 28 && !village) {
                    putObject(rockNear(x, y, 6) <= 6 ? tile::Boulder : tile::Stone, x, y, 1, 1);
                } else if (h < 34 && !village && forestNear(x, y, 2) <= 2) {
                    putObject(h % 2 ? tile::Mushrooms : tile::Stump, x, y, 1, 1);
                }
            }
    }

    void finishRoads() {
        auto joinsFrom = [&](int x, int y, int dir) {  // dir: 0 N, 1 E, 2 S, 3 W
            if (!inMap(x, y)) return false;
            const char r = road_[ti(x, y)];
            if (r == 1 || r == 5) return true;
            if (r == 2 || r == 4) {
                // bridge pieces only join along their own direction
                const int id = t(x, y);
                const bool horizontal = id == tile::BridgeH || id == tile::BridgeHW || id == tile::BridgeHE;
                return horizontal ? (dir == 1 || dir == 3) : (dir == 0 || dir == 2);
            }
            if (r == 3) return dir == 0 || dir == 2;
            return joins_[ti(x, y)] == 1 && dir == 0;
        };
        auto plazaAt = [&](int x, int y) { return inMap(x, y) && joins_[ti(x, y)] == 2; };
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x) {
                if (road_[ti(x, y)] != 1) continue;
                int m = (joinsFrom(x, y - 1, 0) ? 1 : 0) | (joinsFrom(x + 1, y, 1) ? 2 : 0) |
                        (joinsFrom(x, y + 1, 2) ? 4 : 0) | (joinsFrom(x - 1, y, 3) ? 8 : 0);
                // run into a paved square only straight on, never from alongside it
                if (plazaAt(x, y - 1) && (m == 4 || m == 0)) m |= 1;
                if (plazaAt(x, y + 1) && (m == 1 || m == 0)) m |= 4;
                if (plazaAt(x + 1, y) && (m == 8 || m == 0)) m |= 2;
                if (plazaAt(x - 1, y) && (m == 2 || m == 0)) m |= 8;
                t(x, y) = tile::Path + m;
            }
    }
};

bool writeMap(const std::filesystem::path& path, const std::vector<int>& tiles) {
    std::string text;
    for (int y = 0; y < kMapH; ++y) {
        for (int x = 0; x < kMapW; ++x) {
            if (x) text += ' ';
            text += std::to_string(tiles[static_cast<std::size_t>(y * kMapW + x)]);
        }
        text += '\n';
    }
    std::ofstream f(path, std::ios::binary);
    f << text;
    return static_cast<bool>(f);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: make_assets <output-folder>\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(out / "BMP", ec);
    const Sheet sheet = makeSheet();
    const std::vector<int> map = World().build();
    // every number in the map must name a tile that was drawn
    for (int n : map)
        if (n < 0 || n >= tile::Count || !sheet.used[static_cast<std::size_t>(n)]) {
            std::cerr << "make_assets: the map uses tile " << n << ", which the sheet does not have\n";
            return 1;
        }
    bool ok = writeBmp(out / "BMP" / "m_cp.bmp", sheet.img);
    ok = writeBmp(out / "BMP" / "waku.BMP", frameImage()) && ok;
    ok = writeMap(out / "map_data.txt", map) && ok;
    if (!ok) {
        std::cerr << "make_assets: could not write to " << out.string() << "\n";
        return 1;
    }
    return 0;
}
