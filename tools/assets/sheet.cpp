// The tile sheet: corner blends, connected pieces, small hand-drawn things
// and the larger pieces (houses, trees, mountains, the castle), placed on
// the 640 x 64 sheet.
#include "tools/assets/assets.h"

namespace assets {
namespace {

// ------------------------------------------------------------------ tile sheet



Image groundCanvas(int tw, int th, const Image& tex) {
    Image im(tw * kTile, th * kTile);
    fillTex(im, tex);
    return im;
}

// ---- corner blends

// Terrains in the order they stack: each one is drawn over the ones before it.


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

}  // namespace
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
namespace {

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

}  // namespace

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

namespace {



}  // namespace
}  // namespace assets
