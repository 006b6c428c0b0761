// The world map: terrain, rivers, settlements and roads laid out screen by
// screen, then turned into tile numbers.
#include "tools/assets/assets.h"

namespace assets {
namespace {

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


}  // namespace

std::vector<int> buildWorldMap() { return World().build(); }

}  // namespace assets
