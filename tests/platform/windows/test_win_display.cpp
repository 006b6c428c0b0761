// The display the Windows layer offers a 16-bit program and the window that
// scales: the present's rows (5:6:5 widened to 32 bits, pictures enlarged
// with sharp pixels), and on the real system a screen whose fills, text and
// present give the 16-bit picture on any desktop, a window that shows it
// enlarged with the mouse, the cursor and Alt+Enter working in picture
// pixels. The Wine script runs this on a 16-bit and on a 24-bit X display
// (EL_EXPECT_DESKTOP=32 on the latter, a 32-bit desktop).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/windows/present_rows.h"
#include "system/elSystem.h"
#include "win_support.h"

namespace {

using plat::win::PictureScaler;
using plat::win::PixelPlane;
using plat::win::Widen565;

std::uint32_t Next(std::uint64_t& state) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
}

PixelPlane Plane(void* bits, int width, int height, int bytes) {
    PixelPlane p;
    p.bits = bits;
    p.width = width;
    p.height = height;
    p.bytesPerPixel = bytes;
    p.pitch = static_cast<long>(width) * bytes;
    return p;
}

}  // namespace

TEST(WinPresentRows, WideningKeepsEveryPixelsOwnBitsOnTop) {
    for (std::uint32_t v = 0; v < 65536; ++v) {
        const std::uint32_t w = Widen565(static_cast<std::uint16_t>(v));
        const std::uint32_t r = (w >> 16) & 0xFF, g = (w >> 8) & 0xFF, b = w & 0xFF;
        ASSERT_EQ(r >> 3, v >> 11) << v;
        ASSERT_EQ(g >> 2, (v >> 5) & 0x3F) << v;
        ASSERT_EQ(b >> 3, v & 0x1F) << v;
        ASSERT_EQ(r & 7, r >> 5) << v;  // the top bits repeated: 0x1F widens to 0xFF
        ASSERT_EQ(g & 3, g >> 6) << v;
    }
    // The vector rows give the single pixel's result at every length and
    // alignment, once and twice.
    std::uint64_t state = 5;
    for (int count = 0; count <= 37; ++count) {
        std::vector<std::uint16_t> source(static_cast<std::size_t>(count) + 1);
        for (auto& p : source) p = static_cast<std::uint16_t>(Next(state));
        std::vector<std::uint32_t> once(source.size()), twice(2 * source.size());
        plat::win::Widen565Row(once.data(), source.data() + 1, count);
        plat::win::Widen565RowTwice(twice.data(), source.data() + 1, count);
        for (int i = 0; i < count; ++i) {
            const std::uint32_t want = Widen565(source[static_cast<std::size_t>(i) + 1]);
            ASSERT_EQ(once[static_cast<std::size_t>(i)], want) << count << " " << i;
            ASSERT_EQ(twice[2 * static_cast<std::size_t>(i)], want) << count << " " << i;
            ASSERT_EQ(twice[2 * static_cast<std::size_t>(i) + 1], want) << count << " " << i;
        }
    }
}

TEST(WinPresentRows, PicturesEnlargeByWholeMultiplesOrTheNearestPixel) {
    std::uint64_t state = 9;
    constexpr int kW = 13, kH = 5;
    std::vector<std::uint16_t> source(kW * kH);
    for (auto& p : source) p = static_cast<std::uint16_t>(Next(state));
    PictureScaler scaler;
    // Three times, widened: every pixel a 3 x 3 block.
    std::vector<std::uint32_t> big(kW * 3 * kH * 3);
    ASSERT_TRUE(scaler.Draw(Plane(source.data(), kW, kH, 2), Plane(big.data(), kW * 3, kH * 3, 4), true));
    for (int y = 0; y < kH * 3; ++y)
        for (int x = 0; x < kW * 3; ++x)
            ASSERT_EQ(big[static_cast<std::size_t>(y * kW * 3 + x)], Widen565(source[static_cast<std::size_t>(y / 3 * kW + x / 3)]))
                << x << "," << y;
    // Twice, widened (the direct rows).
    std::vector<std::uint32_t> doubled(kW * 2 * kH * 2);
    ASSERT_TRUE(scaler.Draw(Plane(source.data(), kW, kH, 2), Plane(doubled.data(), kW * 2, kH * 2, 4), true));
    for (int y = 0; y < kH * 2; ++y)
        for (int x = 0; x < kW * 2; ++x)
            ASSERT_EQ(doubled[static_cast<std::size_t>(y * kW * 2 + x)], Widen565(source[static_cast<std::size_t>(y / 2 * kW + x / 2)]));
    // Any larger size: the source pixel under each pixel's top-left corner;
    // 16-bit to 16-bit keeps the values.
    constexpr int kDw = 30, kDh = 7;
    std::vector<std::uint16_t> fitted(kDw * kDh);
    ASSERT_TRUE(scaler.Draw(Plane(source.data(), kW, kH, 2), Plane(fitted.data(), kDw, kDh, 2), false));
    for (int y = 0; y < kDh; ++y)
        for (int x = 0; x < kDw; ++x)
            ASSERT_EQ(fitted[static_cast<std::size_t>(y * kDw + x)], source[static_cast<std::size_t>(y * kH / kDh * kW + x * kW / kDw)]);
    // A smaller destination or mismatched pixel sizes are refused.
    EXPECT_FALSE(scaler.Draw(Plane(source.data(), kW, kH, 2), Plane(fitted.data(), kW - 1, kH, 2), false));
    EXPECT_FALSE(scaler.Draw(Plane(source.data(), kW, kH, 2), Plane(big.data(), kW, kH, 4), false));
}

namespace {

void Pump() {
    plat::MSG m;
    while (plat::PeekMessageA(&m, nullptr, 0, 0, plat::PM_REMOVE)) {
        if (m.message == plat::WM_QUIT) break;
        plat::TranslateMessage(&m);
        plat::DispatchMessageA(&m);
    }
}

// After a present: Wine shows the frame on the window once its window
// surface is flushed, which taking the window's device context brings about.
void Settle() {
    Pump();
    wintest::WindowPixel(MainWindow, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Pump();
}

// Red, green and blue as 5:6:5 pixel values.
constexpr int kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F;

// One program for the suite (the instance mutex lives as long as the test
// program), opened in a window of the library's style.
class WinDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static elSystem::Program program;
        program.title = "表示試験";
        program.init = [] {
            elDraw::Screen(800, 600, 1);
            SceneNumber = 1;
        };
        program.scenes = {{1, [] {}}};
        // Other suites register the library's class name with procedures of
        // their own; the window here must reach the library's. (Their
        // windows close on the messages still waiting.)
        Pump();
        wintest::UnregisterWindowClass(L"DEFAULT");
        started = elSystem::Startup(program, "", plat::SW_SHOWNORMAL);
    }
    static void TearDownTestSuite() {
        elSystem::Quit();
        Pump();
    }
    void SetUp() override {
        ASSERT_TRUE(started);
        ASSERT_NE(elDraw::BackSurface, nullptr);
        wintest::SetClientSize(MainWindow, 800, 600);
        Pump();
    }
    // The back surface's 16-bit value at (x, y).
    static std::uint32_t BackPixel(int x, int y) {
        plat::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        if (elDraw::BackSurface->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK) return 0xDEAD0000u;
        const auto* row = static_cast<const unsigned char*>(d.lpSurface) + y * d.lPitch;
        std::uint32_t v = d.ddpfPixelFormat.dwRGBBitCount == 16 ? reinterpret_cast<const std::uint16_t*>(row)[x]
                                                                 : 0xBAD00000u;
        elDraw::BackSurface->Unlock(d.lpSurface);
        return v;
    }
    // Left half red, right half blue, the last pixel green; shown.
    static void DrawPattern() {
        elDraw::FillBox(0, 0, 400, 600, kRed);
        elDraw::FillBox(400, 0, 800, 600, kBlue);
        elDraw::FillBox(799, 599, 800, 600, kGreen);
        elDraw::SetVSync(0);
        elDraw::Present();
        Settle();
    }
    static inline bool started = false;
};

}  // namespace

TEST_F(WinDisplay, SixteenBitProgramsDrawTheSixteenBitPictureOnAnyDesktop) {
    EXPECT_EQ(plat::GetRequestedDepth(), 16);
    EXPECT_EQ(elSystem::GetDisplayDepth(), 16);
    EXPECT_EQ(plat::GetDisplayFormat(), plat::DisplayFormat::Rgb565);
    plat::DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    ASSERT_EQ(elDraw::BackSurface->GetPixelFormat(&f), plat::DD_OK);
    EXPECT_EQ(f.dwRGBBitCount, 16u);
    EXPECT_EQ(f.dwRBitMask, 0xF800u);
    EXPECT_EQ(f.dwGBitMask, 0x07E0u);
    EXPECT_EQ(f.dwBBitMask, 0x001Fu);
    EXPECT_EQ(PixelFormat.fullMask, 0xFFFFu);
    // The red of a GDI colour fills red, on the surface and on the desktop.
    elDraw::FillBox(0, 0, 800, 600, static_cast<int>(elDraw::MatchColor(elDraw::BackSurface, 0x0000FF)));
    EXPECT_EQ(BackPixel(10, 10), static_cast<std::uint32_t>(kRed));
    // GDI text on the back surface writes 5:6:5 white.
    ASSERT_EQ(elDraw::GetBackDC(), plat::DD_OK);
    plat::HGDIOBJ brush = plat::GetStockObject(0);  // WHITE_BRUSH
    plat::RECT white{100, 100, 110, 110};
    plat::FillRect(elDraw::BackDC, &white, reinterpret_cast<plat::HBRUSH>(brush));
    elDraw::ReleaseBackDC();
    EXPECT_EQ(BackPixel(105, 105), 0xFFFFu);
    elDraw::SetVSync(0);
    elDraw::Present();
    Settle();
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 400, 300), plat::RGB(255, 0, 0));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 105, 105), plat::RGB(255, 255, 255));

    if (wintest::Expect("EL_EXPECT_DESKTOP") == "32") {
        plat::HDC screen = plat::GetDC(nullptr);
        EXPECT_EQ(plat::GetDeviceCaps(screen, plat::BITSPIXEL), 16);  // what the program sees
        plat::ReleaseDC(nullptr, screen);
    }
}

TEST_F(WinDisplay, ALargerWindowShowsThePictureEnlargedWithMouseAndCursorInPicturePixels) {
    wintest::SetClientSize(MainWindow, 1600, 1200);
    Pump();
    plat::POINT client = wintest::ClientSize(MainWindow);
    if (client.x != 1600 || client.y != 1200) GTEST_SKIP() << "the desktop is too small for 1600 x 1200";
    DrawPattern();
    // Twice the size: pixel (x, y) of the picture covers (2x, 2y)-(2x+1, 2y+1).
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 0, 0), plat::RGB(255, 0, 0));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 799, 1199), plat::RGB(255, 0, 0));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 800, 0), plat::RGB(0, 0, 255));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 1597, 1197), plat::RGB(0, 0, 255));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 1598, 1198), plat::RGB(0, 255, 0));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 1599, 1199), plat::RGB(0, 255, 0));
    // The mouse at window (800, 600) is at picture (400, 300), clicks too.
    plat::PostMessageA(MainWindow, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(800, 600));
    Pump();
    EXPECT_EQ(MouseX, 400);
    EXPECT_EQ(MouseY, 300);
    plat::PostMessageA(MainWindow, plat::WM_LBUTTONDBLCLK, plat::MK_LBUTTON, plat::MakeLParam(1599, 1199));
    plat::PostMessageA(MainWindow, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(1599, 1199));
    Pump();
    EXPECT_EQ(MouseX, 799);
    EXPECT_EQ(MouseY, 599);
    // The cursor placed at picture (400, 300) is at window (800, 600), and
    // reads back as the picture position.
    plat::POINT origin = wintest::ClientOrigin(MainWindow);
    elSystem::SetMousePos(400, 300);
    plat::POINT real = wintest::RealCursorPos();
    EXPECT_EQ(real.x - origin.x, 800);
    EXPECT_EQ(real.y - origin.y, 600);
    plat::POINT seen{};
    plat::GetCursorPos(&seen);
    EXPECT_EQ(seen.x - origin.x, 400);
    EXPECT_EQ(seen.y - origin.y, 300);
    // Clipping to the picture keeps the cursor inside the enlarged picture.
    elSystem::ClipCursorToScreen();
    elSystem::SetMousePos(2000, 2000);
    real = wintest::RealCursorPos();
    EXPECT_EQ(real.x - origin.x, 1599);
    EXPECT_EQ(real.y - origin.y, 1199);
    elSystem::ReleaseCursor();
    // A window a little larger shows the picture at the same size, centred
    // on black.
    wintest::SetClientSize(MainWindow, 1700, 1300);
    Pump();
    DrawPattern();
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 49, 49), plat::RGB(0, 0, 0));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 50, 50), plat::RGB(255, 0, 0));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 1649, 1249), plat::RGB(0, 255, 0));
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 1650, 1250), plat::RGB(0, 0, 0));
    // Back at the picture's size nothing is translated.
    wintest::SetClientSize(MainWindow, 800, 600);
    Pump();
    DrawPattern();
    plat::PostMessageA(MainWindow, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(123, 45));
    Pump();
    EXPECT_EQ(MouseX, 123);
    EXPECT_EQ(MouseY, 45);
    EXPECT_EQ(wintest::WindowPixel(MainWindow, 799, 599), plat::RGB(0, 255, 0));
}

TEST_F(WinDisplay, AltEnterSwitchesToTheWholeMonitorAndBackToTheSameWindow) {
    wintest::SetClientSize(MainWindow, 1000, 700);
    Pump();
    DrawPattern();
    const plat::POINT before = wintest::ClientSize(MainWindow);
    const plat::LPARAM altDown = static_cast<plat::LPARAM>(1) << 29;
    plat::PostMessageA(MainWindow, plat::WM_SYSKEYDOWN, plat::VK_RETURN, altDown);
    Pump();
    const plat::POINT full = wintest::ClientSize(MainWindow);
    const plat::POINT monitor = wintest::MonitorSize();
    EXPECT_EQ(full.x, monitor.x);
    EXPECT_EQ(full.y, monitor.y);
    EXPECT_EQ(wintest::ClientOrigin(MainWindow).x, 0);
    DrawPattern();
    plat::PostMessageA(MainWindow, plat::WM_SYSKEYDOWN, plat::VK_RETURN, altDown);
    Pump();
    const plat::POINT after = wintest::ClientSize(MainWindow);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    // The key reached neither the library's key state nor its Alt handling.
    EXPECT_NE(LastKey, plat::VK_RETURN);
}

namespace {

plat::LRESULT PlainProc(plat::HWND w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
    return plat::DefWindowProcA(w, m, wp, lp);
}

}  // namespace

TEST(WinFullScreen, SixteenBitsOnAThirtyTwoBitDesktopKeepTheDesktopsModeAndFillTheScreen) {
    if (wintest::Expect("EL_EXPECT_DESKTOP") != "32") GTEST_SKIP() << "not on a 32-bit desktop";
    plat::WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = plat::GetModuleHandleA(nullptr);
    wc.hbrBackground = plat::GetStockObject(plat::BLACK_BRUSH);
    wc.lpszClassName = "ElTestFull";
    plat::RegisterClassA(&wc);
    const plat::POINT monitor = wintest::MonitorSize();
    plat::HWND window = plat::CreateWindowExA(0, "ElTestFull", "全画面", plat::WS_POPUP, 0, 0, monitor.x, monitor.y,
                                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    plat::ShowWindow(window, plat::SW_SHOW);
    Pump();
    plat::IDirectDraw* dd = nullptr;
    ASSERT_EQ(plat::DirectDrawCreate(nullptr, &dd, nullptr), plat::DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window, plat::DDSCL_EXCLUSIVE | plat::DDSCL_FULLSCREEN), plat::DD_OK);
    // The 16-bit mode cannot be set here; the desktop's stays.
    EXPECT_EQ(dd->SetDisplayMode(800, 600, 16), plat::DD_OK);
    EXPECT_EQ(wintest::MonitorSize().x, monitor.x);
    plat::IDirectDrawSurface* primary = wintest::PrimarySurface(dd);
    ASSERT_NE(primary, nullptr);
    plat::IDirectDrawSurface* back = wintest::OffscreenSurface(dd, 800, 600);
    ASSERT_NE(back, nullptr);
    plat::DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    ASSERT_EQ(back->GetPixelFormat(&f), plat::DD_OK);
    EXPECT_EQ(f.dwRGBBitCount, 16u);
    EXPECT_EQ(f.dwGBitMask, 0x07E0u);
    plat::DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = kRed;
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, plat::DDBLT_COLORFILL | plat::DDBLT_WAIT, &fx), plat::DD_OK);
    plat::RECT src{0, 0, 800, 600};
    plat::RECT dest{0, 0, 800, 600};
    EXPECT_EQ(primary->Blt(&dest, back, &src, plat::DDBLT_WAIT, nullptr), plat::DD_OK);
    Pump();
    wintest::WindowPixel(window, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // The picture, enlarged by the largest whole multiple, in the middle.
    const int scale = std::max(1, std::min(monitor.x / 800, monitor.y / 600));
    const int left = (monitor.x - 800 * scale) / 2, top = (monitor.y - 600 * scale) / 2;
    EXPECT_EQ(wintest::WindowPixel(window, monitor.x / 2, monitor.y / 2), plat::RGB(255, 0, 0));
    EXPECT_EQ(wintest::WindowPixel(window, left, top), plat::RGB(255, 0, 0));
    if (left > 0) {
        EXPECT_EQ(wintest::WindowPixel(window, left - 1, top), plat::RGB(0, 0, 0));
    }
    back->Release();
    primary->Release();
    dd->RestoreDisplayMode();
    dd->SetCooperativeLevel(window, plat::DDSCL_NORMAL);
    dd->Release();
    plat::DestroyWindow(window);
    Pump();
}

TEST(WinWindowScale, TheInitialScaleSizesTheWindowWhenTheScreenBindsIt) {
    const plat::POINT monitor = wintest::MonitorSize();
    if (monitor.x < 1700 || monitor.y < 1300) GTEST_SKIP() << "the desktop is too small for 1600 x 1200";
    plat::WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = plat::GetModuleHandleA(nullptr);
    wc.lpszClassName = "ElTestScale";
    plat::RegisterClassA(&wc);
    // The library's window style and outer size for an 800 x 600 client area.
    using plat::GetSystemMetrics;
    const int width = 800 + GetSystemMetrics(plat::SM_CXBORDER) + GetSystemMetrics(plat::SM_CXEDGE) +
                      GetSystemMetrics(plat::SM_CXDLGFRAME);
    const int height = 600 + GetSystemMetrics(plat::SM_CYCAPTION) + GetSystemMetrics(plat::SM_CYEDGE) +
                       GetSystemMetrics(plat::SM_CYBORDER) + GetSystemMetrics(plat::SM_CYDLGFRAME);
    plat::HWND window = plat::CreateWindowExA(0, "ElTestScale", "拡大", plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX,
                                              40, 40, width, height, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    plat::ShowWindow(window, plat::SW_SHOW);
    Pump();
    // Made resizable, the window keeps the client area its size was for.
    EXPECT_EQ(wintest::ClientSize(window).x, 800);
    EXPECT_EQ(wintest::ClientSize(window).y, 600);
    plat::SetInitialScale(2);
    plat::IDirectDraw* dd = nullptr;
    ASSERT_EQ(plat::DirectDrawCreate(nullptr, &dd, nullptr), plat::DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window, plat::DDSCL_NORMAL), plat::DD_OK);
    plat::IDirectDrawSurface* primary = wintest::PrimarySurface(dd);
    ASSERT_NE(primary, nullptr);
    plat::IDirectDrawSurface* back = wintest::OffscreenSurface(dd, 800, 600);
    ASSERT_NE(back, nullptr);
    plat::IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), plat::DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), plat::DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), plat::DD_OK);
    Pump();
    EXPECT_EQ(wintest::ClientSize(window).x, 1600);
    EXPECT_EQ(wintest::ClientSize(window).y, 1200);
    plat::SetInitialScale(0);
    clipper->Release();
    back->Release();
    primary->Release();
    dd->Release();
    plat::DestroyWindow(window);
    Pump();
}
