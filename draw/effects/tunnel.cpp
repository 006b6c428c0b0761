// Tunnel mapping: a table of texture coordinates computed once (angle around
// a centre, inverse distance), then a texture drawn through it every frame
// with two scroll offsets.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "draw/effects/elEffects.h"
#include "draw/effects/locked_pixels.h"
#include "draw/effects/vector_rows.h"
#include "system/elSystem.h"

TunnelCell TunnelTable[kTunnelCells];

namespace elDraw {

int TunnelTextureWidth = 0;
int TunnelTextureHeight = 0;
int TunnelWidth = 0;
int TunnelHeight = 0;

namespace {

std::vector<std::uint32_t> TunnelPlaces;  // one row's texture places

constexpr double kPi = 3.141592653589793;
constexpr int kLargestTexture = 32767;  // coordinates are stored in 16 bits

// value mod size, in 0 .. size - 1 also for negative values.
inline std::int64_t Wrap(std::int64_t value, std::int64_t size) {
    const std::int64_t r = value % size;
    return r < 0 ? r + size : r;
}

// Distance of a cell from the centre by the chosen measure.
float Distance(int measure, std::int64_t adx, std::int64_t ady, std::int64_t cx) {
    switch (measure) {
        case 0: return static_cast<float>(std::sqrt(static_cast<double>(adx * adx + ady * ady)));
        case 1: return static_cast<float>(std::max(adx, ady));
        case 2: return static_cast<float>(static_cast<double>(adx + ady) / 2.0);
        case 3: return static_cast<float>(std::min(adx, ady));
        case 4: return static_cast<float>(adx);
        case 5: return static_cast<float>(ady);
        default: return static_cast<float>(cx);
    }
}

// Depth factor of a cell by the chosen curve from the base depth; false
// where the curve divides by zero.
bool Depth(int curve, double base, std::int64_t adx, std::int64_t ady, float& depth) {
    double divisor = 0;
    switch (curve) {
        case 0: divisor = 32; break;
        case 1: divisor = static_cast<float>(static_cast<double>(ady + 1) / 10.0); break;
        case 2: divisor = static_cast<float>(static_cast<double>(adx + 1) / 10.0); break;
        case 3: divisor = static_cast<double>(std::max(adx, ady)); break;
        case 4: divisor = static_cast<float>(static_cast<double>(adx + ady) / 2.0); break;
        default: divisor = static_cast<double>(std::min(adx, ady)); break;
    }
    if (divisor == 0) return false;
    depth = std::fabs(static_cast<float>(base / divisor));
    return true;
}

// The depth coordinate: the centre's distance from the table's corner less
// the cell's, relative to the cell's, times the depth factor. 0 at the
// centre itself (distance 0) and where the depth curve is undefined.
std::int64_t DepthCoordinate(bool defined, float depth, double corner, float distance,
                             int textureHeight) {
    if (!defined || distance == 0.0f) return 0;
    const double v = std::trunc(static_cast<double>(depth) * (corner - static_cast<double>(distance)) /
                                static_cast<double>(distance));
    if (!std::isfinite(v) || std::fabs(v) >= 4.0e18) return 0;
    return Wrap(static_cast<std::int64_t>(v), textureHeight);
}

const char* const kBadTunnel = "トンネルの指定が範囲外です";

}  // namespace

void MakeTunnel(int textureWidth, int textureHeight, int tableWidth, int tableHeight, int centreX,
                int centreY, int sides, int drift, int measure, int curve) {
    const bool texturesFit = textureWidth >= 1 && textureWidth <= kLargestTexture &&
                             textureHeight >= 1 && textureHeight <= kLargestTexture;
    // A table may be larger than the screen: the draw cuts it to the back
    // surface. Only the table's room limits it.
    const bool tableFits = tableWidth >= 1 && tableHeight >= 1 &&
                           std::int64_t{tableWidth} * tableHeight <= kTunnelCells;
    if (!texturesFit || !tableFits || measure < 0 || measure > 6 || curve < 0 || curve > 5) {
        ReportError("elDraw::MakeTunnel", kBadTunnel);
        return;
    }
    TunnelTextureWidth = textureWidth;
    TunnelTextureHeight = textureHeight;
    TunnelWidth = tableWidth;
    TunnelHeight = tableHeight;

    std::int64_t cx = centreX == -1 ? tableWidth / 2 : centreX;
    std::int64_t cy = centreY == -1 ? tableHeight / 2 : centreY;
    const int n = sides == -1 ? 8 : std::max(sides, 2);
    if (drift == 1) cy = tableHeight;
    if (drift == 3) cx = tableWidth;
    if (drift == 4) cx = 0;
    const double base = textureHeight / (2 * std::tan(kPi / n / 2));
    const double angleScale = textureWidth / (2 * kPi);

    for (int i = 0; i < tableHeight; ++i) {
        if (drift == 1) cy -= 1;
        if (drift == 2) cx = tableWidth;
        if (drift == 3) cx = std::max<std::int64_t>(cx - 1, 0);
        if (drift == 4) cx = std::min<std::int64_t>(cx + 1, tableWidth);
        TunnelCell* row = TunnelTable + static_cast<std::ptrdiff_t>(i) * tableWidth;
        for (int j = 0; j < tableWidth; ++j) {
            if (drift == 2) cx -= 1;
            const std::int64_t dx = j - cx, dy = i - cy;
            const std::int64_t adx = std::abs(dx), ady = std::abs(dy);
            const float distance = Distance(measure, adx, ady, cx);
            float depth = 0;
            const bool defined = Depth(curve, base, adx, ady, depth);
            const double corner =
                std::sqrt(static_cast<double>(cx) * static_cast<double>(cx) +
                          static_cast<double>(cy) * static_cast<double>(cy));
            const double angle = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
            const auto u = static_cast<std::int64_t>(angle * angleScale);
            row[j].u = static_cast<std::int16_t>(Wrap(u, textureWidth));
            row[j].v = static_cast<std::int16_t>(
                DepthCoordinate(defined, depth, corner, distance, textureHeight));
        }
    }
}

int DrawTunnel(int x, int y, int du, int dv, int slot) {
    LockedPixels texture, back;
    if (!LockPixels(ObjectSurface(slot), texture)) return 0;
    if (!LockPixels(BackSurface, back)) {
        UnlockPixels(texture);
        return 0;
    }
    const int tw = TunnelTextureWidth, th = TunnelTextureHeight;
    // A texture smaller than the tunnel was made for cannot be drawn.
    if (tw > texture.width || th > texture.height) {
        UnlockPixels(texture);
        UnlockPixels(back);
        return 0;
    }
    if (TunnelWidth > 0 && TunnelHeight > 0) {
        // Offsets wrap into the texture, negative ones too, so that each
        // coordinate needs at most one subtraction per pixel.
        const int u0 = static_cast<int>(Wrap(du, tw));
        const int v0 = static_cast<int>(Wrap(dv, th));
        // Only the part of the table that lies on the back surface is drawn,
        // cut in 64 bits: -x and -y do not fit an int for INT_MIN.
        const std::int64_t x64 = x, y64 = y;
        const std::int64_t firstRow = std::clamp<std::int64_t>(-y64, 0, TunnelHeight);
        const std::int64_t endRow = std::min<std::int64_t>(TunnelHeight, back.height - y64);
        const std::int64_t firstCol = std::clamp<std::int64_t>(-x64, 0, TunnelWidth);
        const std::int64_t endCol = std::min<std::int64_t>(TunnelWidth, back.width - x64);
        const EffectKernels* kernels = texture.pitch < 32768 ? VectorEffects() : nullptr;
        const int count = static_cast<int>(endCol - firstCol);
        if (kernels) TunnelPlaces.resize(static_cast<std::size_t>(std::max(count, 0)) + kMaxLanes);
        for (std::int64_t i = firstRow; i < endRow && firstCol < endCol; ++i) {
            const TunnelCell* cells = TunnelTable + i * TunnelWidth;
            // From the first visible column: no pointer before the surface.
            std::uint16_t* dest = back.Row(y64 + i) + (x64 + firstCol);
            // The texture places of a row on the vector rows, then the copy;
            // a row with a cell changed by hand goes the plain way.
            if (kernels && kernels->tunnelIndices(TunnelPlaces.data(), cells + firstCol, count, u0, v0, tw, th,
                                                  static_cast<int>(texture.pitch))) {
                const std::uint16_t* const bits = texture.Row(0);
                const std::uint32_t* const places = TunnelPlaces.data();
                for (int j = 0; j < count; ++j) dest[j] = bits[places[j]];
                continue;
            }
            for (std::int64_t j = firstCol; j < endCol; ++j, ++dest) {
                int tu = u0 + cells[j].u;
                int tv = v0 + cells[j].v;
                if (tu >= tw) tu -= tw;
                if (tv >= th) tv -= th;
                // Only a table changed by hand gets here.
                if (static_cast<unsigned>(tu) >= static_cast<unsigned>(tw)) tu = static_cast<int>(Wrap(tu, tw));
                if (static_cast<unsigned>(tv) >= static_cast<unsigned>(th)) tv = static_cast<int>(Wrap(tv, th));
                *dest = texture.Row(tv)[tu];
            }
        }
    }
    UnlockPixels(texture);
    UnlockPixels(back);
    return 1;
}

}  // namespace elDraw
