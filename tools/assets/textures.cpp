// Ground textures: grass, canopy, sand, water, rock, dirt, cobbles.
#include "tools/assets/assets.h"

namespace assets {
namespace {

// ------------------------------------------------------------------ ground textures


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

}  // namespace

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

namespace {


}  // namespace
}  // namespace assets
