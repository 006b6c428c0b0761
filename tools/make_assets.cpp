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

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/assets/assets.h"
#include "tools/bmp_file.h"

using namespace assets;

namespace {

// ------------------------------------------------------------------ BMP output

bool writeBmp(const std::filesystem::path& path, const Image& im) {
    const auto bytes = bmpfile::File24(im.w, im.h, [&im](int x, int y) {
        const Col c = im.get(x, y);
        return static_cast<u32>(clampi(c.r, 0, 255) << 16 | clampi(c.g, 0, 255) << 8 | clampi(c.b, 0, 255));
    });
    return bmpfile::Save(path.string(), bytes);
}


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
    const std::vector<int> map = buildWorldMap();
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
