// The object table: taking and freeing slots, loading bitmaps from files and
// resources into surfaces, blank objects, refilling a slot in place, and the
// source colour keys of objects.
#include <cstdio>
#include <cstring>

#include "draw/elDraw.h"
#include "system/elSystem.h"

using namespace plat;

ObjectRecord ObjectTable[kObjectSlots]{};

namespace elDraw {

namespace {

const char* const kNameTooLong = "ファイル名またはリソース名が長すぎます";
const char* const kTooManyObjects = "オブジェクト数が多過ぎます";
const char* const kCannotRead = "BMPファイルを読み込めません";

// Default key of new objects.
int keyColour = 0;
int cornerMode = 0;

bool NameTooLong(const char* name) { return std::strlen(name) > static_cast<std::size_t>(kMaxObjectName); }

// The lowest free slot from 4 up, taken at once under the given name; 0 when
// every slot is taken (reported under the caller's caption).
int TakeSlot(const char* caption, const char* name) {
    for (int slot = kFirstLoadedSlot; slot < kObjectSlots; ++slot) {
        ObjectRecord& r = ObjectTable[slot];
        if (r.name[0] != 0) continue;
        SetObjectName(slot, name);
        r.fromPack = 0;
        r.reloadMemory = kDefaultMemory;
        return slot;
    }
    return ReportError(caption, kTooManyObjects);
}

// Fills a slot whose record already names the picture: first the file under
// the program folder (or a resource named by that path), then a resource
// named by the bare name. 1, or 0 after reporting under `caption`.
int FillFromBitmap(const char* caption, int slot, const char* name, int memoryFlag) {
    ObjectRecord& r = ObjectTable[slot];
    char path[512];
    std::snprintf(path, sizeof path, "%s%s", elSystem::GetProgramFolder(0), name);
    int width = 0, height = 0;
    r.surface = LoadBitmapSurface(path, &width, &height, memoryFlag);
    if (r.surface) {
        r.width = static_cast<std::uint16_t>(width);
        r.height = static_cast<std::uint16_t>(height);
        KeyNewObject(slot);
        return 1;
    }
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP,
                                                     0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return ReportFileError(caption, kCannotRead, path);
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    r.surface = CreatePlainSurface(info.bmWidth, info.bmHeight, memoryFlag);
    if (r.surface) {
        r.width = static_cast<std::uint16_t>(info.bmWidth);
        r.height = static_cast<std::uint16_t>(info.bmHeight);
        CopyBitmapToSurface(r.surface, bitmap, 0, 0, 0, 0);
        KeyNewObject(slot);
    }
    DeleteObject(bitmap);
    return r.surface ? 1 : ReportFileError(caption, kCannotRead, path, "no surface of that size can be made");
}

}  // namespace

ObjectRecord* Object(int slot) {
    return slot >= 0 && slot < kObjectSlots ? &ObjectTable[slot] : nullptr;
}

IDirectDrawSurface* ObjectSurface(int slot) {
    ObjectRecord* r = Object(slot);
    return r ? r->surface : nullptr;
}

void SetObjectName(int slot, const char* name) {
    ObjectRecord* r = Object(slot);
    if (!r) return;
    std::snprintf(r->name, sizeof r->name, "%s", name ? name : "");
}

IDirectDrawSurface* CreatePlainSurface(int width, int height, int memoryFlag) {
    if (!DirectDraw || width <= 0 || height <= 0) return nullptr;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (memoryFlag == kDefaultMemory ? 0 : DDSCAPS_SYSTEMMEMORY);
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface* surface = nullptr;
    if (DirectDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
    return surface;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int x, int y, int width,
                            int height) {
    if (!surface || !bitmap) return DDERR_INVALIDPARAMS;
    surface->Restore();
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    if (width == 0) width = info.bmWidth;
    if (height == 0) height = info.bmHeight;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    surface->GetSurfaceDesc(&desc);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HDC dc = nullptr;
    HRESULT result = surface->GetDC(&dc);
    if (result == DD_OK) {
        StretchBlt(dc, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight), memory, x,
                   y, width, height, SRCCOPY);
        surface->ReleaseDC(dc);
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    return result;
}

IDirectDrawSurface* LoadBitmapSurface(const char* path, int* width, int* height, int memoryFlag) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), path, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    if (!bitmap) return nullptr;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    IDirectDrawSurface* surface = CreatePlainSurface(info.bmWidth, info.bmHeight, memoryFlag);
    if (surface) {
        if (width) *width = info.bmWidth;
        if (height) *height = info.bmHeight;
        CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    }
    DeleteObject(bitmap);
    return surface;
}

DWORD MatchColor(IDirectDrawSurface* surface, int colour) {
    if (!surface) return 0xFFFFFFFFu;
    // Let GDI convert the colour by writing it into the top-left pixel, then
    // read the pixel value back; the pixel is put back afterwards.
    COLORREF kept = CLR_INVALID;
    HDC dc = nullptr;
    if (colour != -1 && surface->GetDC(&dc) == DD_OK) {
        kept = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, static_cast<COLORREF>(colour));
        surface->ReleaseDC(dc);
    }
    DWORD value = 0xFFFFFFFFu;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    HRESULT locked;
    while ((locked = surface->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (locked == DD_OK) {
        // Only the first pixel's own bytes are read: a surface one pixel wide
        // and high may hold no more than that.
        DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
        DWORD bytes = (bits + 7) / 8;
        value = 0;
        std::memcpy(&value, desc.lpSurface, bytes > 4 ? 4 : bytes);
        if (bits < 32) value &= (1u << bits) - 1;
        surface->Unlock(desc.lpSurface);
    }
    if (colour != -1 && kept != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, kept);
        surface->ReleaseDC(dc);
    }
    return value;
}

HRESULT SetSurfaceKey(IDirectDrawSurface* surface, int colour) {
    if (!surface) return DDERR_INVALIDOBJECT;
    DWORD value = MatchColor(surface, colour);
    DDCOLORKEY key{value, value};
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

void KeyNewObject(int slot) {
    ObjectRecord* r = Object(slot);
    if (!r || !r->surface) return;
    int colour = cornerMode ? -1 : keyColour;
    SetSurfaceKey(r->surface, colour);
    r->keySetting = colour;
}

int LoadObject(const char* name, int memoryFlag) {
    const char* caption = "elDraw::LoadObject";
    if (!name) name = "";
    if (NameTooLong(name)) return ReportError(caption, kNameTooLong);
    int slot = TakeSlot(caption, name);
    if (slot == 0) return 0;
    return FillFromBitmap(caption, slot, name, memoryFlag) ? slot : 0;
}

int CreateObject(int width, int height, int memoryFlag) {
    const char* caption = "elDraw::CreateObject";
    int slot = TakeSlot(caption, "*");
    if (slot == 0) return 0;
    ObjectRecord& r = ObjectTable[slot];
    r.surface = CreatePlainSurface(width, height, memoryFlag);
    if (!r.surface) return ReportError(caption, "スプライトを作成できません");
    r.width = static_cast<std::uint16_t>(width);
    r.height = static_cast<std::uint16_t>(height);
    KeyNewObject(slot);
    return slot;
}

int SwapObject(const char* name, int slot, int memoryFlag) {
    const char* caption = "elDraw::SwapObject";
    if (!name) name = "";
    if (NameTooLong(name)) return ReportError(caption, kNameTooLong);
    ObjectRecord* r = Object(slot);
    if (!r) return 0;
    if (r->surface) {
        r->surface->Release();
        r->surface = nullptr;
    }
    SetObjectName(slot, name);
    r->fromPack = 0;
    r->reloadMemory = kDefaultMemory;
    return FillFromBitmap(caption, slot, name, memoryFlag);
}

void ReleaseObject(int slot) {
    ObjectRecord* r = Object(slot);
    if (!r || !r->surface) return;
    r->surface->Release();
    r->surface = nullptr;
    r->name[0] = 0;
    r->keySetting = 0;
    r->width = 0;
    r->height = 0;
}

void SetKeyColor(int colour) {
    keyColour = colour;
    cornerMode = 0;
}

void SetKeyCorner() { cornerMode = 1; }

KeyDefault GetKeyDefault() { return {keyColour, cornerMode}; }

void SetKeyDefault(KeyDefault key) {
    keyColour = key.colour;
    cornerMode = key.corner;
}

HRESULT SetObjectKey(int slot, int colour) {
    ObjectRecord* r = Object(slot);
    if (!r || !r->surface) return DDERR_INVALIDOBJECT;
    r->keySetting = colour;
    return SetSurfaceKey(r->surface, colour);
}

HRESULT SetObjectKeyCorner(int slot) { return SetObjectKey(slot, -1); }

HRESULT CopyObjectKey(int destSlot, int sourceSlot) {
    IDirectDrawSurface* dest = ObjectSurface(destSlot);
    IDirectDrawSurface* source = ObjectSurface(sourceSlot);
    if (!dest || !source) return DDERR_INVALIDOBJECT;
    DDCOLORKEY key{};
    HRESULT result = source->GetColorKey(DDCKEY_SRCBLT, &key);
    if (result != DD_OK) return result;
    return dest->SetColorKey(DDCKEY_SRCBLT, &key);
}

}  // namespace elDraw
