// Opening and closing the screen: DirectDraw, the primary and back surfaces,
// the window clipper, the four work objects, the pixel format, the effect
// tables and the start of the other subsystems; the recovery after surface
// loss; the back surface's device context.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/display.h"
#include "sound/elSound.h"
#include "system/elSystem.h"
#include "text/elText.h"
#include "system/random.h"

using namespace plat;

int ScreenWidth = 0;
int ScreenHeight = 0;
PixelFormatInfo PixelFormat{};
std::int32_t SinTable[450];
std::uint8_t PixelSplitTable[65536][3];
std::uint16_t CrossFadeTable[3][32][32][32];
std::uint16_t DarkenAddTable[3][32][32][32];
std::uint16_t SubtractTable[3][32][32];
std::uint16_t Average3Table[94];
std::uint8_t NoiseTable[10000];

namespace elDraw {

IDirectDraw* DirectDraw = nullptr;
IDirectDrawSurface* PrimarySurface = nullptr;
IDirectDrawSurface* BackSurface = nullptr;
IDirectDrawClipper* Clipper = nullptr;
int HardwareDevice = 0;
int CanStretch = 0;
HDC BackDC = nullptr;
int RequestedDepth[3] = {16, 0, 0};
int RestoreCount = 0;

namespace {

const char* const kCaption = "elDraw::Screen";

struct WorkObject {
    const char* name;
    const char* failure;
};
const WorkObject kWorkObjects[kFirstLoadedSlot] = {
    {"内部用１", "Bufferスプライトが生成できません"},
    {"内部用２", "Screenスプライトが生成できません"},
    {"内部用３", "Fontスプライトが生成できません"},
    {"内部用４", "Fontバッファスプライトが生成できません"},
};

void ClearRecord(ObjectRecord& r) {
    r.surface = nullptr;
    r.name[0] = 0;
    r.fromPack = 0;
    r.reloadMemory = kDefaultMemory;
    r.keySetting = 0;
    r.width = 0;
    r.height = 0;
}

// The first display device that can do 3D with textures wins.
BOOL ChooseDevice(GUID* guid, char*, char*, void*) {
    HardwareDevice = 0;
    IDirectDraw* candidate = nullptr;
    if (DirectDrawCreate(guid, &candidate, nullptr) != DD_OK || !candidate) return DDENUMRET_OK;
    DDCAPS driver{}, emulation{};
    driver.dwSize = emulation.dwSize = sizeof(DDCAPS);
    candidate->GetCaps(&driver, &emulation);
    if ((driver.dwCaps & DDCAPS_3D) && (driver.ddsCaps.dwCaps & DDSCAPS_TEXTURE)) {
        DirectDraw = candidate;
        HardwareDevice = 1;
        return DDENUMRET_CANCEL;
    }
    candidate->Release();
    return DDENUMRET_OK;
}

IDirectDrawSurface* CreateSurface(DWORD caps, bool sized) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = caps;
    if (sized) {
        desc.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = static_cast<DWORD>(ScreenWidth);
        desc.dwHeight = static_cast<DWORD>(ScreenHeight);
    }
    IDirectDrawSurface* surface = nullptr;
    if (DirectDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
    return surface;
}

// Counts the shifts that bring the lowest set bit of a mask to bit 0. A zero
// mask (a palettised display) has no layout to find.
bool AnalyseMask(std::uint32_t mask, std::uint16_t& shift, std::uint32_t& max) {
    if (mask == 0) return false;
    shift = 0;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    max = mask;
    return true;
}

bool ReadPixelFormat() {
    DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    if (BackSurface->GetPixelFormat(&f) != DD_OK) return false;
    PixelFormatInfo& p = PixelFormat;
    p.redMask = f.dwRBitMask;
    p.greenMask = f.dwGBitMask;
    p.blueMask = f.dwBBitMask;
    if (!AnalyseMask(p.redMask, p.redShift, p.redMax) ||
        !AnalyseMask(p.greenMask, p.greenShift, p.greenMax) ||
        !AnalyseMask(p.blueMask, p.blueShift, p.blueMax))
        return false;
    auto fiveBit = [](std::uint16_t shift, std::uint32_t max) {
        return static_cast<std::uint16_t>(max == 63 ? shift + 1 : shift);
    };
    p.red5Shift = fiveBit(p.redShift, p.redMax);
    p.green5Shift = fiveBit(p.greenShift, p.greenMax);
    p.blue5Shift = fiveBit(p.blueShift, p.blueMax);
    p.halfMask = ((p.redMax >> 1) << p.redShift) | ((p.greenMax >> 1) << p.greenShift) |
                 ((p.blueMax >> 1) << p.blueShift);
    p.doubleHalfMask = (p.halfMask << 16) | p.halfMask;
    p.fullMask = (p.redMax << p.redShift) | (p.greenMax << p.greenShift) | (p.blueMax << p.blueShift);
    return true;
}

void BuildSinTable() {
    for (int i = 0; i < 450; ++i)
        SinTable[i] = static_cast<std::int32_t>(std::sin(2.0 * std::numbers::pi * i / 360.0) * 360.0);
}

void Build16BitTables() {
    const PixelFormatInfo& p = PixelFormat;
    int redLevels = p.redMax == 63 ? 64 : 32;
    int greenLevels = p.greenMax == 63 ? 64 : 32;
    int blueLevels = p.blueMax == 63 ? 64 : 32;
    std::memset(PixelSplitTable, 0, sizeof PixelSplitTable);
    for (int r = 0; r < redLevels; ++r)
        for (int g = 0; g < greenLevels; ++g)
            for (int b = 0; b < blueLevels; ++b) {
                std::uint8_t* e = PixelSplitTable[(r << p.redShift) + (g << p.greenShift) + b];
                e[0] = static_cast<std::uint8_t>(redLevels == 64 ? r >> 1 : r);
                e[1] = static_cast<std::uint8_t>(greenLevels == 64 ? g >> 1 : g);
                e[2] = static_cast<std::uint8_t>(blueLevels == 64 ? b >> 1 : b);
            }

    const std::uint16_t shifts[3] = {p.red5Shift, p.green5Shift, p.blue5Shift};
    auto place = [&](int ch, int value) { return static_cast<std::uint16_t>(value << shifts[ch]); };
    for (int ch = 0; ch < 3; ++ch)
        for (int a = 0; a < 32; ++a)
            for (int b = 0; b < 32; ++b)
                for (int c = 0; c < 32; ++c)
                    CrossFadeTable[ch][a][b][c] =
                        place(ch, std::max(0, b - a) + std::max(0, c - (31 - a)));
    for (int ch = 0; ch < 3; ++ch)
        for (int a = 0; a < 32; ++a)
            for (int b = 0; b < 32; ++b)
                for (int c = 0; c < 32; ++c)
                    DarkenAddTable[ch][a][b][c] = place(ch, std::min(31, std::max(0, b - a) + c));
    for (int ch = 0; ch < 3; ++ch)
        for (int b = 0; b < 32; ++b)
            for (int c = 0; c < 32; ++c) SubtractTable[ch][b][c] = place(ch, std::max(0, b - c));
    for (int s = 0; s < 94; ++s) Average3Table[s] = static_cast<std::uint16_t>(s / 3);
    for (std::uint8_t& n : NoiseTable) n = static_cast<std::uint8_t>(elSystem::Random() % 3);
}

// Releases every surface, the clipper and DirectDraw, leaving the display
// mode as it was; the object table is emptied.
void ReleaseScreen() {
    if (!DirectDraw) return;
    if (BackDC && BackSurface) BackSurface->ReleaseDC(BackDC);
    BackDC = nullptr;
    for (ObjectRecord& r : ObjectTable) {
        if (!r.surface) continue;
        r.surface->Release();
        ClearRecord(r);
    }
    if (Clipper) Clipper->Release();
    Clipper = nullptr;
    if (PrimarySurface) PrimarySurface->Release();
    if (BackSurface) BackSurface->Release();
    PrimarySurface = nullptr;
    BackSurface = nullptr;
    if (elSystem::FullScreen) {
        DirectDraw->RestoreDisplayMode();
        DirectDraw->SetCooperativeLevel(MainWindow, DDSCL_NORMAL);
    }
    DirectDraw->Release();
    DirectDraw = nullptr;
    elSystem::FlipToGdi = nullptr;
}

void FlipToGdiSurface() {
    if (DirectDraw) DirectDraw->FlipToGDISurface();
}

}  // namespace

void SetDepths(int requested, int fallback1, int fallback2) {
    RequestedDepth[0] = requested;
    RequestedDepth[1] = fallback1;
    RequestedDepth[2] = fallback2;
    // The platform offers a 16-bit display to a program that asks for 16 bits,
    // whatever the desktop's depth; every depth the library reads afterwards
    // (the display check, the effect tables, the pack loads and converter,
    // the screen save) is the depth the program draws in.
    plat::SetRequestedDepth(requested);
}

void SetWindowScale(int scale) { plat::SetInitialScale(scale); }

void SetScaleFill(int fill) {
    plat::SetScaleMode(fill ? plat::ScaleMode::FitAspect : plat::ScaleMode::WholeMultiple);
}

int Screen(int width, int height, int memoryMode) {
    // Opening again replaces the screen that is open (its objects go with it).
    ReleaseScreen();
    ErrorFlag = 0;
    if (width == -1) {
        width = elSystem::StartWidth;
        height = elSystem::StartHeight;
    }
    ScreenWidth = width;
    ScreenHeight = height;
    ClipRect = {0, 0, width, height};

    HardwareDevice = 0;
    DirectDrawEnumerateA(ChooseDevice, nullptr);
    if (!DirectDraw && (DirectDrawCreate(nullptr, &DirectDraw, nullptr) != DD_OK || !DirectDraw)) {
        DirectDraw = nullptr;
        return ReportError(kCaption, "DirectDrawが使用できません");
    }
    elSystem::FlipToGdi = FlipToGdiSurface;

    DWORD memoryBase = (memoryMode == 1 || memoryMode == 3) ? 0 : DDSCAPS_SYSTEMMEMORY;
    DWORD level = elSystem::FullScreen ? (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT)
                                       : DDSCL_NORMAL;
    if (DirectDraw->SetCooperativeLevel(MainWindow, level) != DD_OK)
        return ReportError(kCaption, "フルスクリーン化できません");

    if (elSystem::FullScreen) {
        auto tryMode = [&] {
            return DirectDraw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                              static_cast<DWORD>(RequestedDepth[0])) == DD_OK;
        };
        bool set = tryMode();
        for (int fallback = 1; !set && fallback <= 2 && RequestedDepth[fallback] != 0; ++fallback) {
            RequestedDepth[0] = RequestedDepth[fallback];
            // The surfaces are made at the depth the mode was set to.
            plat::SetRequestedDepth(RequestedDepth[0]);
            set = tryMode();
        }
        if (!set) return ReportError(kCaption, "解像度が変更できません");
    } else {
        RequestedDepth[0] = elSystem::GetDisplayDepth();
    }

    PrimarySurface = CreateSurface(DDSCAPS_PRIMARYSURFACE | memoryBase, false);
    if (!PrimarySurface) return ReportError(kCaption, "表画面が生成できません");
    BackSurface = CreateSurface(DDSCAPS_OFFSCREENPLAIN | memoryBase, true);
    if (!BackSurface) return ReportError(kCaption, "裏画面が生成できません");

    if (!elSystem::FullScreen) {
        if (DirectDraw->CreateClipper(0, &Clipper, nullptr) != DD_OK || !Clipper) {
            Clipper = nullptr;
            return ReportError(kCaption, "クリップが生成できません");
        }
        if (Clipper->SetHWnd(0, MainWindow) != DD_OK)
            return ReportError(kCaption, "クリップにウィンドウハンドルを設定できません");
        if (PrimarySurface->SetClipper(Clipper) != DD_OK)
            return ReportError(kCaption, "表画面をクリップできません");
    }

    if (memoryMode == 3) memoryBase = DDSCAPS_SYSTEMMEMORY;
    for (int slot = 0; slot < kFirstLoadedSlot; ++slot) {
        DWORD placement = slot < 2 ? memoryBase : DDSCAPS_SYSTEMMEMORY;
        ObjectRecord& r = ObjectTable[slot];
        ClearRecord(r);
        r.surface = CreateSurface(DDSCAPS_OFFSCREENPLAIN | placement, true);
        if (!r.surface) return ReportError(kCaption, kWorkObjects[slot].failure);
        SetSurfaceKey(r.surface, 0);
        SetObjectName(slot, kWorkObjects[slot].name);
        r.width = static_cast<std::uint16_t>(width);
        r.height = static_cast<std::uint16_t>(height);
    }

    DDCAPS driver{}, emulation{};
    driver.dwSize = emulation.dwSize = sizeof(DDCAPS);
    DirectDraw->GetCaps(&driver, &emulation);
    CanStretch = ((HardwareDevice && (driver.dwCaps & DDCAPS_BLTSTRETCH)) ||
                  (!HardwareDevice && (emulation.dwCaps & DDCAPS_BLTSTRETCH)))
                     ? 1
                     : 0;

    if (!ReadPixelFormat()) return ReportError(kCaption, "ピクセル情報が取得できません");
    BuildSinTable();
    if (elSystem::GetDisplayDepth() == 16) Build16BitTables();

    for (int slot = kFirstLoadedSlot; slot < kObjectSlots; ++slot) ClearRecord(ObjectTable[slot]);
    PanelPageSlot = 0;
    PanelBackgroundSlot = 0;

    elSound::Create();
    elSound::ResetTable();
    elMusic::Reset();
    elSystem::ResetInput();
    elText::EnumFonts();
    elInput::JoyInit();
    if (elSystem::CursorClipOption) elSystem::ClipCursorToScreen();
    return 1;
}

void Restore() {
    if (!DirectDraw || !PrimarySurface || !BackSurface) return;
    ++RestoreCount;
    // Each reload keys its object with the object's own setting through the
    // default key; the program's default (colour and corner mode) is put
    // back afterwards, so a restore changes nothing the program set.
    KeyDefault programKey = GetKeyDefault();
    PrimarySurface->Restore();
    if (BackSurface->IsLost() != DD_OK) BackSurface->Restore();
    for (int slot = 0; slot < kFirstLoadedSlot; ++slot) {
        IDirectDrawSurface* s = ObjectTable[slot].surface;
        if (s && s->IsLost() != DD_OK) s->Restore();
    }
    for (int slot = kFirstLoadedSlot; slot < kObjectSlots; ++slot) {
        ObjectRecord& r = ObjectTable[slot];
        if (r.name[0] == 0) continue;
        if (r.surface && r.surface->IsLost() != DD_OK) r.surface->Restore();
        if (r.name[0] == '*') continue;  // blank objects have nothing to reload
        // The reload works on a copy of the name: the loaders rewrite the record.
        char name[kObjectNameSize];
        std::memcpy(name, r.name, sizeof name);
        SetKeyColor(r.keySetting);
        if (r.fromPack) ReloadPackObject(slot, r.reloadMemory);
        else SwapObject(name, slot, r.reloadMemory);
    }
    SetKeyDefault(programKey);
}

void Close() {
    ReleaseScreen();
    if (elSystem::FullScreen) CloseWindow(MainWindow);
}

HRESULT GetBackDC() {
    if (!BackSurface) return DDERR_INVALIDOBJECT;
    HDC dc = nullptr;
    HRESULT result = BackSurface->GetDC(&dc);
    if (result == DD_OK) BackDC = dc;
    return result;
}

HRESULT ReleaseBackDC() {
    if (!BackSurface) return DDERR_INVALIDOBJECT;
    HRESULT result = BackSurface->ReleaseDC(BackDC);
    if (result == DD_OK) BackDC = nullptr;
    return result;
}

}  // namespace elDraw
