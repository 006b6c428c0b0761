// The frame picture around the map window.
#include "tools/assets/assets.h"

namespace assets {
namespace {

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
}  // namespace

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

namespace {



}  // namespace
}  // namespace assets
