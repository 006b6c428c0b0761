// DirectDraw (first interface) and GDI on its surfaces, on the real system:
// the window-mode set-up the screen uses, fills, colour-keyed copies, locks
// with both description sizes, device contexts and the present blit.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ddraw.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "win_support.h"

namespace {

plat::LRESULT Proc(plat::HWND w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
    return plat::DefWindowProcA(w, m, wp, lp);
}

plat::HWND TestWindow() {
    static plat::HWND window = [] {
        plat::WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = plat::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ElTestDraw";
        plat::RegisterClassA(&wc);
        plat::HWND w = plat::CreateWindowExA(0, "ElTestDraw", "描画", plat::WS_POPUP, 0, 0, 200, 100,
                                             nullptr, nullptr, wc.hInstance, nullptr);
        plat::ShowWindow(w, plat::SW_SHOW);
        return w;
    }();
    return window;
}

class WinDraw : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(plat::DirectDrawCreate(nullptr, &dd, nullptr), plat::DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(TestWindow(), plat::DDSCL_NORMAL), plat::DD_OK);
    }
    void TearDown() override {
        if (dd) dd->Release();
    }
    plat::IDirectDrawSurface* Offscreen(int width, int height) {
        plat::DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = plat::DDSD_CAPS | plat::DDSD_WIDTH | plat::DDSD_HEIGHT;
        d.dwWidth = static_cast<plat::DWORD>(width);
        d.dwHeight = static_cast<plat::DWORD>(height);
        d.ddsCaps.dwCaps = plat::DDSCAPS_OFFSCREENPLAIN | plat::DDSCAPS_SYSTEMMEMORY;
        plat::IDirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), plat::DD_OK);
        return s;
    }
    // The 16-bit value at (x, y), read through a lock with the 32-bit
    // programs' description size.
    std::uint32_t PixelAt(plat::IDirectDrawSurface* s, int x, int y) {
        plat::DDSURFACEDESC d{};
        d.dwSize = plat::kSurfaceDescSize32;
        if (s->Lock(nullptr, &d, plat::DDLOCK_WAIT, nullptr) != plat::DD_OK) return 0xDEAD0000u;
        auto* row = static_cast<unsigned char*>(d.lpSurface) + static_cast<std::ptrdiff_t>(y) * d.lPitch;
        std::uint32_t v = 0;
        if (d.ddpfPixelFormat.dwRGBBitCount == 16) v = reinterpret_cast<std::uint16_t*>(row)[x];
        else v = reinterpret_cast<std::uint32_t*>(row)[x] & 0xFFFFFF;
        EXPECT_EQ(d.dwSize, plat::kSurfaceDescSize32);  // left as the caller set it
        s->Unlock(d.lpSurface);
        return v;
    }
    void Fill(plat::IDirectDrawSurface* s, plat::RECT* r, std::uint32_t value) {
        plat::DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = value;
        ASSERT_EQ(s->Blt(r, nullptr, nullptr, plat::DDBLT_COLORFILL | plat::DDBLT_WAIT, &fx), plat::DD_OK);
    }
    plat::IDirectDraw* dd = nullptr;
};

}  // namespace

TEST_F(WinDraw, EnumerationOffersThePrimaryDeviceFirst) {
    struct Found {
        int count = 0;
        bool firstNull = false;
    } found;
    auto callback = [](plat::GUID* guid, char*, char*, void* context) -> plat::BOOL {
        auto* f = static_cast<Found*>(context);
        if (f->count++ == 0) f->firstNull = guid == nullptr;
        return plat::DDENUMRET_OK;
    };
    ASSERT_EQ(plat::DirectDrawEnumerateA(callback, &found), plat::DD_OK);
    EXPECT_GE(found.count, 1);
    EXPECT_TRUE(found.firstNull);
    plat::DDCAPS driver{}, emulation{};
    driver.dwSize = emulation.dwSize = sizeof(plat::DDCAPS);
    EXPECT_EQ(dd->GetCaps(&driver, &emulation), plat::DD_OK);
    EXPECT_NE(driver.dwCaps & plat::DDCAPS_BLT, 0u);
}

TEST_F(WinDraw, PixelFormatOfTheSixteenBitDesktop) {
    if (wintest::Expect("EL_EXPECT_DEPTH") != "16") GTEST_SKIP() << "not on a 16-bit display";
    plat::IDirectDrawSurface* s = Offscreen(8, 8);
    ASSERT_NE(s, nullptr);
    plat::DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    ASSERT_EQ(s->GetPixelFormat(&f), plat::DD_OK);
    EXPECT_EQ(f.dwRGBBitCount, 16u);
    EXPECT_EQ(f.dwRBitMask, 0xF800u);
    EXPECT_EQ(f.dwGBitMask, 0x07E0u);
    EXPECT_EQ(f.dwBBitMask, 0x001Fu);
    EXPECT_EQ(plat::GetDisplayFormat(), plat::DisplayFormat::Rgb565);
    s->Release();
}

TEST_F(WinDraw, FillsLocksAndDescriptions) {
    plat::IDirectDrawSurface* s = Offscreen(64, 32);
    ASSERT_NE(s, nullptr);
    plat::DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(s->GetSurfaceDesc(&d), plat::DD_OK);
    EXPECT_EQ(d.dwWidth, 64u);
    EXPECT_EQ(d.dwHeight, 32u);
    EXPECT_NE(d.ddsCaps.dwCaps & plat::DDSCAPS_OFFSCREENPLAIN, 0u);
    Fill(s, nullptr, 0x1234);
    plat::RECT r{10, 5, 20, 8};  // right and bottom exclusive
    Fill(s, &r, 0xF800);
    EXPECT_EQ(PixelAt(s, 10, 5), 0xF800u);
    EXPECT_EQ(PixelAt(s, 19, 7), 0xF800u);
    EXPECT_EQ(PixelAt(s, 20, 7), 0x1234u);
    EXPECT_EQ(PixelAt(s, 19, 8), 0x1234u);
    EXPECT_EQ(PixelAt(s, 9, 5), 0x1234u);
    // A description of any other size is refused.
    plat::DDSURFACEDESC wrong{};
    wrong.dwSize = 12;
    EXPECT_EQ(s->Lock(nullptr, &wrong, plat::DDLOCK_WAIT, nullptr), plat::DDERR_INVALIDPARAMS);
    plat::DDBLTFX badFx{};
    badFx.dwSize = 4;
    EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, plat::DDBLT_COLORFILL, &badFx), plat::DDERR_INVALIDPARAMS);
    EXPECT_EQ(s->IsLost(), plat::DD_OK);
    s->Release();
}

TEST_F(WinDraw, ColourKeyedCopiesKeepTheDestinationUnderTheKey) {
    plat::IDirectDrawSurface* src = Offscreen(4, 1);
    plat::IDirectDrawSurface* dst = Offscreen(4, 1);
    ASSERT_TRUE(src && dst);
    Fill(dst, nullptr, 0x07E0);
    Fill(src, nullptr, 0);  // black, the key
    plat::RECT right{2, 0, 4, 1};
    Fill(src, &right, 0x001F);
    plat::DDCOLORKEY key{0, 0};
    ASSERT_EQ(src->SetColorKey(plat::DDCKEY_SRCBLT, &key), plat::DD_OK);
    plat::DDCOLORKEY back{1, 1};
    EXPECT_EQ(src->GetColorKey(plat::DDCKEY_SRCBLT, &back), plat::DD_OK);
    EXPECT_EQ(back.dwColorSpaceLowValue, 0u);
    plat::RECT all{0, 0, 4, 1};
    ASSERT_EQ(dst->BltFast(0, 0, src, &all, plat::DDBLTFAST_SRCCOLORKEY | plat::DDBLTFAST_WAIT), plat::DD_OK);
    EXPECT_EQ(PixelAt(dst, 0, 0), 0x07E0u);
    EXPECT_EQ(PixelAt(dst, 3, 0), 0x001Fu);
    // Without the key flag, the black comes across too.
    ASSERT_EQ(dst->BltFast(0, 0, src, &all, plat::DDBLTFAST_NOCOLORKEY | plat::DDBLTFAST_WAIT), plat::DD_OK);
    EXPECT_EQ(PixelAt(dst, 0, 0), 0u);
    src->Release();
    dst->Release();
}

TEST_F(WinDraw, DeviceContextOfASurfaceDrawsIntoItsPixels) {
    if (wintest::Expect("EL_EXPECT_DEPTH") != "16") GTEST_SKIP() << "not on a 16-bit display";
    plat::IDirectDrawSurface* s = Offscreen(8, 8);
    ASSERT_NE(s, nullptr);
    Fill(s, nullptr, 0);
    plat::HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), plat::DD_OK);
    ASSERT_NE(dc, nullptr);
    plat::SetPixel(dc, 3, 2, plat::RGB(255, 0, 0));
    EXPECT_EQ(plat::GetPixel(dc, 3, 2), plat::RGB(255, 0, 0));
    ASSERT_EQ(s->ReleaseDC(dc), plat::DD_OK);
    EXPECT_EQ(PixelAt(s, 3, 2), 0xF800u);
    s->Release();
}

TEST_F(WinDraw, WindowModePresentThroughTheClipper) {
    plat::IDirectDrawSurface* primary = wintest::PrimarySurface(dd);
    ASSERT_NE(primary, nullptr);
    plat::IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), plat::DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, TestWindow()), plat::DD_OK);
    plat::HWND back = nullptr;
    EXPECT_EQ(clipper->GetHWnd(&back), plat::DD_OK);
    EXPECT_EQ(back, TestWindow());
    ASSERT_EQ(primary->SetClipper(clipper), plat::DD_OK);
    clipper->Release();  // the surface keeps its own reference
    plat::IDirectDrawSurface* frame = Offscreen(200, 100);
    Fill(frame, nullptr, 0x001F);
    plat::RECT src{0, 0, 200, 100};
    plat::RECT dest{0, 0, 200, 100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dd->WaitForVerticalBlank(plat::DDWAITVB_BLOCKBEGIN, nullptr), plat::DD_OK);
        EXPECT_EQ(primary->Blt(&dest, frame, &src, plat::DDBLT_WAIT, nullptr), plat::DD_OK);
    }
    // The error boxes call this in any mode; in a window there is nothing to
    // flip (Wine answers DDERR_NOTFLIPPABLE) and nothing may break.
    dd->FlipToGDISurface();
    EXPECT_EQ(primary->IsLost(), plat::DD_OK);
    frame->Release();
    primary->Release();
}
