#include "support/draw_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/portable/headless.h"
#include "tools/bmp_file.h"

namespace test {

namespace {

// A GDI colour (0x00BBGGRR) as a BMP palette entry or 24-bit pixel (0x00RRGGBB).
std::uint32_t FileColour(std::uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

}  // namespace

std::vector<std::uint8_t> Bmp24(const Picture& p, bool topDown) {
    return bmpfile::File24(p.width, p.height, [&p](int x, int y) {
        return FileColour(p.colours[static_cast<std::size_t>(y) * p.width + x]);
    }, topDown);
}

std::vector<std::uint8_t> Bmp8(const Picture& p) {
    std::vector<std::uint32_t> palette;
    for (std::uint32_t c : p.colours)
        if (std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
    const std::size_t row = bmpfile::RowBytes(p.width, 8);
    std::vector<std::uint8_t> pixels(row * static_cast<std::size_t>(p.height), 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            std::uint32_t c = p.colours[static_cast<std::size_t>(y) * p.width + x];
            pixels[static_cast<std::size_t>(p.height - 1 - y) * row + x] =
                static_cast<std::uint8_t>(std::find(palette.begin(), palette.end(), c) - palette.begin());
        }
    for (std::uint32_t& c : palette) c = FileColour(c);
    return bmpfile::File(p.width, p.height, 8, 0, palette, pixels);
}

void DrawTest::SetUp() {
    Headless::SetUp();
    ErrorFlag = 0;  // a failed screen of an earlier test leaves it set
    char pattern[] = "/tmp/el-draw-XXXXXX";
    char* made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr);
    folder_ = std::string(made) + "/";
    std::string module = folder_ + "prog.exe";
    std::replace(module.begin(), module.end(), '/', '\\');
    plat::headless::SetModuleFileName(module);
}

void DrawTest::TearDown() {
    Headless::TearDown();
    // The graphics core's defaults outlive a screen; later tests expect them.
    elDraw::SetKeyColor(0);
    elDraw::SetVSync(1);
    elDraw::WipeCounter = elDraw::WipeDirection = 0;
    elDraw::WipePatternSlot = 0;
    elDraw::PanelShown = elDraw::PanelContentHeight = 0;
    elDraw::PanelScroll = elDraw::PanelOffsetX = elDraw::PanelOffsetY = 0.0f;
    PanelKey = 0;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void DrawTest::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::path path = folder_ + name;
    std::filesystem::create_directories(path.parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void DrawTest::StartWithScreen() {
    ASSERT_TRUE(elSystem::Startup(program_.program, "", plat::SW_SHOWNORMAL));
    ASSERT_NE(elDraw::BackSurface, nullptr);
}

std::uint32_t PixelAt(plat::IDirectDrawSurface* surface, int x, int y) {
    plat::DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    if (!surface || surface->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK) return 0xFFFFFFFFu;
    const auto* row = static_cast<const std::uint8_t*>(d.lpSurface) + static_cast<std::ptrdiff_t>(y) * d.lPitch;
    std::uint32_t v = d.ddpfPixelFormat.dwRGBBitCount == 16
                          ? reinterpret_cast<const std::uint16_t*>(row)[x]
                          : reinterpret_cast<const std::uint32_t*>(row)[x];
    surface->Unlock(d.lpSurface);
    return v;
}

void SetPixelAt(plat::IDirectDrawSurface* surface, int x, int y, std::uint32_t value) {
    plat::DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(surface->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr), plat::DD_OK);
    auto* row = static_cast<std::uint8_t*>(d.lpSurface) + static_cast<std::ptrdiff_t>(y) * d.lPitch;
    if (d.ddpfPixelFormat.dwRGBBitCount == 16) reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(value);
    else reinterpret_cast<std::uint32_t*>(row)[x] = value;
    surface->Unlock(d.lpSurface);
}

void FillSurface(plat::IDirectDrawSurface* surface, std::uint32_t value) {
    plat::DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = value;
    surface->Blt(nullptr, nullptr, nullptr, plat::DDBLT_COLORFILL | plat::DDBLT_WAIT, &fx);
}

plat::DWORD SurfaceCaps(plat::IDirectDrawSurface* surface) {
    plat::DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    surface->GetSurfaceDesc(&d);
    return d.ddsCaps.dwCaps;
}

}  // namespace test
