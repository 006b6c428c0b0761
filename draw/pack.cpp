// Bitmap pack files: choosing the pack, loading and refilling objects from
// its entries by name, and converting a folder of BMP files into a pack.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "draw/elDraw.h"
#include "draw/pack_format.h"
#include "system/elSystem.h"

using namespace plat;

namespace elDraw {

namespace pack {

std::uint16_t ColourToPixel(std::uint32_t colour) {
    if ((colour & 0xFFFFFFu) == 0) return 0;
    unsigned red = (colour >> 3) & 31;
    unsigned green = (colour >> 11) & 31;
    unsigned blue = (colour >> 19) & 31;
    if (red == 0 && green == 0 && blue == 0) blue = 1;  // a near-black stays opaque
    return static_cast<std::uint16_t>((red << 10) | (green << 5) | blue);
}

std::uint32_t PixelToColour(std::uint16_t pixel) {
    auto widen = [](unsigned c) { return (c << 3) | (c >> 2); };
    return widen((pixel >> 10) & 31) | (widen((pixel >> 5) & 31) << 8) | (widen(pixel & 31) << 16);
}

void AppendEntry(std::vector<std::uint8_t>& out, const std::string& name, int width, int height,
                 const std::vector<std::uint16_t>& pixels) {
    auto put16 = [&out](unsigned v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    put16(static_cast<unsigned>(width));
    put16(static_cast<unsigned>(height));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    for (std::uint16_t p : pixels) put16(p);
}

bool ReadEntries(const std::uint8_t* data, std::size_t size, std::vector<Entry>* entries,
                 std::string* problem) {
    std::size_t at = 0;
    while (at < size) {
        Entry e;
        if (size - at < 4) {
            *problem = "entry at " + std::to_string(at) + " is cut short in its size";
            return false;
        }
        e.width = data[at] | (data[at + 1] << 8);
        e.height = data[at + 2] | (data[at + 3] << 8);
        at += 4;
        std::size_t limit = std::min(size - at, kNameBuffer);
        const void* nul = std::memchr(data + at, 0, limit);
        if (!nul) {
            *problem = "entry at " + std::to_string(at - 4) + " has no name end within " +
                       std::to_string(kNameBuffer) + " bytes";
            return false;
        }
        std::size_t length = static_cast<const std::uint8_t*>(nul) - (data + at);
        e.name.assign(reinterpret_cast<const char*>(data + at), length);
        at += length + 1;
        std::size_t bytes = static_cast<std::size_t>(e.width) * static_cast<std::size_t>(e.height) * 2;
        if (bytes > size - at) {
            *problem = "entry " + e.name + " claims " + std::to_string(bytes) +
                       " pixel bytes but only " + std::to_string(size - at) + " remain";
            return false;
        }
        e.pixels = at;
        at += bytes;
        entries->push_back(std::move(e));
    }
    return true;
}

}  // namespace pack

namespace {

const char* const kNoPack = "パックファイル名が指定されていません";
const char* const kNoEntry = "BMPファイルを読み込めません";
const char* const kNoTransfer = "サーフェース間で展開できません";

std::string PackPath;
// The pack each object was filled from, by slot: a restore refills every
// object from its own pack, whichever pack is set at that moment.
std::string ObjectPack[kObjectSlots];

long FileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(f);
    if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
    return size;
}

// An entry found in the pack: its size and its pixels, read whole. The
// pixels are read only after the entry's size has been checked against the
// bytes the file really holds.
struct PackPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Finds `name` (any case) in the current pack; false after reporting under
// `caption`. The first entry of that name wins.
bool FindPicture(const char* caption, const char* name, PackPicture* out) {
    std::FILE* f = PackPath.empty() ? nullptr : OpenFile(PackPath.c_str(), "rb");
    if (!f) {
        ReportFileError(caption, kNoPack, PackPath.c_str(), PackPath.empty() ? "no pack file was named" : nullptr);
        return false;
    }
    // An empty name names no picture: the object's record would mark its
    // slot free while it holds a surface.
    if (!name[0]) {
        std::fclose(f);
        ReportError(caption, kNoEntry);
        return false;
    }
    char wanted[pack::kNameBuffer];
    std::snprintf(wanted, sizeof wanted, "%s", name);
    CharUpperBuffA(wanted, static_cast<DWORD>(std::strlen(wanted)));

    long size = FileSize(f);
    bool found = false;
    while (size > 0) {
        std::uint8_t head[4];
        if (std::fread(head, 1, 4, f) != 4) break;
        int width = head[0] | (head[1] << 8);
        int height = head[2] | (head[3] << 8);
        char entry[pack::kNameBuffer];
        std::size_t length = 0;
        int c = 0;
        while (length < sizeof entry && (c = std::fgetc(f)) != EOF && c != 0)
            entry[length++] = static_cast<char>(c);
        if (c != 0 || length >= sizeof entry) break;  // cut short, or no NUL in the buffer
        entry[length] = 0;
        // In 64 bits: width x height x 2 reaches 8.6 billion, past a 32-bit long.
        std::uint64_t bytes = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 2;
        long here = std::ftell(f);
        if (here < 0 || here > size || bytes > static_cast<std::uint64_t>(size - here))
            break;  // pixels past the end of the file
        if (std::strcmp(entry, wanted) == 0) {
            if (width == 0 || height == 0) break;  // nothing to make a picture of
            out->width = width;
            out->height = height;
            out->pixels.resize(static_cast<std::size_t>(bytes));
            found = std::fread(out->pixels.data(), 1, out->pixels.size(), f) == out->pixels.size();
            break;
        }
        if (std::fseek(f, static_cast<long>(bytes), SEEK_CUR) != 0) break;  // bytes fit: within the file
    }
    std::fclose(f);
    if (!found) ReportFileError(caption, kNoEntry, PackPath.c_str(), ("no whole entry named " + std::string(name)).c_str());
    return found;
}

// One stored pixel as the surface's own pixel value: 16-bit surfaces take
// each 5-bit channel at its 5-bit shift; deeper surfaces take the channels
// widened to their full width.
std::uint32_t SurfacePixel(std::uint16_t v, int bits) {
    std::uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
    if (bits == 16)
        return (r << PixelFormat.red5Shift) | (g << PixelFormat.green5Shift) | (b << PixelFormat.blue5Shift);
    auto widen = [](std::uint32_t c, std::uint32_t max) { return max ? (c * max + 15) / 31 : 0; };
    return (widen(r, PixelFormat.redMax) << PixelFormat.redShift) |
           (widen(g, PixelFormat.greenMax) << PixelFormat.greenShift) |
           (widen(b, PixelFormat.blueMax) << PixelFormat.blueShift);
}

// Writes the pixels into a locked staging surface; false when it cannot be
// locked.
bool FillStaging(IDirectDrawSurface* staging, const PackPicture& picture) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (staging->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    int bits = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
    std::size_t bytes = static_cast<std::size_t>(bits / 8);
    if (bytes < 2 || bytes > 4) {
        staging->Unlock(desc.lpSurface);
        return false;
    }
    const std::uint8_t* in = picture.pixels.data();
    auto* rowStart = static_cast<std::uint8_t*>(desc.lpSurface);
    for (int y = 0; y < picture.height; ++y, rowStart += desc.lPitch) {
        std::uint8_t* out = rowStart;
        for (int x = 0; x < picture.width; ++x, in += 2, out += bytes) {
            std::uint32_t value = SurfacePixel(static_cast<std::uint16_t>(in[0] | (in[1] << 8)), bits);
            std::memcpy(out, &value, bytes);  // little-endian: the low bytes
        }
    }
    staging->Unlock(desc.lpSurface);
    return true;
}

// Fills `slot` (whose surface has the entry's size) from the picture through
// a staging object; the slot, or 0 after a failure.
int Expand(const char* caption, int slot, const char* name, int memoryFlag, const PackPicture& picture) {
    int staging = CreateObject(picture.width, picture.height, kDefaultMemory);
    if (staging == 0) return 0;
    IDirectDrawSurface* source = ObjectTable[staging].surface;
    if (!FillStaging(source, picture)) {
        ReleaseObject(staging);
        return 0;
    }
    bool moved = false;
    for (int attempt = 0; attempt < 10 && !moved; ++attempt) {
        ObjectRecord& target = ObjectTable[slot];
        // A restore between attempts refills every object, this one too; if
        // that left it without a surface there is nothing to draw into.
        if (!target.surface) break;
        RECT from{0, 0, picture.width, picture.height};
        RECT to{0, 0, target.width, target.height};
        HRESULT result = target.surface->Blt(&to, source, &from, DDBLT_WAIT, nullptr);
        if (result == DD_OK) moved = true;
        else if (result == DDERR_SURFACELOST) Restore();
    }
    ReleaseObject(staging);
    if (!moved) return ReportError(caption, kNoTransfer);
    ObjectRecord& r = ObjectTable[slot];
    KeyNewObject(slot);
    char stored[pack::kNameBuffer];
    std::snprintf(stored, sizeof stored, "%s", name);
    CharUpperBuffA(stored, static_cast<DWORD>(std::strlen(stored)));
    SetObjectName(slot, stored);
    r.fromPack = 1;
    r.reloadMemory = kDefaultMemory;
    ObjectPack[slot] = PackPath;
    (void)memoryFlag;
    r.width = static_cast<std::uint16_t>(picture.width);
    r.height = static_cast<std::uint16_t>(picture.height);
    return slot;
}

// The BMP file's pixels as stored values, read through the object's device
// context; false when it cannot be loaded.
bool ReadForPack(const char* fileName, int* width, int* height, std::vector<std::uint16_t>* pixels) {
    int slot = LoadObject(fileName, 1);
    if (slot == 0) {
        // A failed load keeps the slot it took under the file's name; the
        // converter's own loads give theirs back.
        for (int s = kFirstLoadedSlot; s < kObjectSlots; ++s) {
            ObjectRecord& r = ObjectTable[s];
            if (!r.surface && std::strncmp(r.name, fileName, sizeof r.name - 1) == 0) {
                r.name[0] = 0;
                break;
            }
        }
        return false;
    }
    IDirectDrawSurface* surface = ObjectTable[slot].surface;
    HDC dc = nullptr;
    bool ok = surface && surface->GetDC(&dc) == DD_OK;
    if (ok) {
        *width = ObjectTable[slot].width;
        *height = ObjectTable[slot].height;
        pixels->clear();
        pixels->reserve(static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height));
        for (int y = 0; y < *height; ++y)
            for (int x = 0; x < *width; ++x) pixels->push_back(pack::ColourToPixel(GetPixel(dc, x, y)));
        surface->ReleaseDC(dc);
    }
    ReleaseObject(slot);
    return ok;
}

// Refused before the pack is opened or a slot taken, as LoadObject refuses
// it: the record holds no longer name, and the object could not be refilled
// after a surface loss.
bool NameFits(const char* caption, const char* name) {
    if (std::strlen(name) <= static_cast<std::size_t>(kMaxObjectName)) return true;
    ReportError(caption, "ファイル名またはリソース名が長すぎます");
    return false;
}

bool AppendBytes(std::FILE* f, const std::vector<std::uint8_t>& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

// Copies `from` (when it exists) into the open file `to`; false on a
// failed write.
bool CopyInto(const std::string& from, std::FILE* to) {
    std::FILE* f = OpenFile(from.c_str(), "rb");
    if (!f) return true;
    std::vector<std::uint8_t> block(1 << 16);
    bool ok = true;
    std::size_t n;
    while (ok && (n = std::fread(block.data(), 1, block.size(), f)) > 0)
        ok = std::fwrite(block.data(), 1, n, to) == n;
    ok = ok && !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace

const char* SetPackFile(const char* name) {
    PackPath = std::string(elSystem::GetProgramFolder(0)) + (name ? name : "");
    return PackPath.c_str();
}

int LoadPack(const char* name, int memoryFlag) {
    const char* caption = "elDraw::LoadPack";
    if (!name) name = "";
    if (!NameFits(caption, name)) return 0;
    PackPicture picture;
    if (!FindPicture(caption, name, &picture)) return 0;
    int slot = CreateObject(picture.width, picture.height, memoryFlag);
    if (slot == 0) return 0;
    if (Expand(caption, slot, name, memoryFlag, picture) == 0) {
        ReleaseObject(slot);
        return 0;
    }
    return slot;
}

int SwapPack(const char* name, int slot, int memoryFlag) {
    const char* caption = "elDraw::SwapPack";
    if (!name) name = "";
    ObjectRecord* r = Object(slot);
    if (!r || slot < kFirstLoadedSlot) return 0;
    if (!NameFits(caption, name)) return 0;
    PackPicture picture;
    if (!FindPicture(caption, name, &picture)) return 0;
    if (r->surface) {
        r->surface->Release();
        r->surface = nullptr;
    }
    SetObjectName(slot, name);
    r->surface = CreatePlainSurface(picture.width, picture.height, memoryFlag);
    if (!r->surface) return ReportError("elDraw::CreateObject", "スプライトを作成できません");
    r->width = static_cast<std::uint16_t>(picture.width);
    r->height = static_cast<std::uint16_t>(picture.height);
    KeyNewObject(slot);
    return Expand(caption, slot, name, memoryFlag, picture);
}

int ReloadPackObject(int slot, int memoryFlag) {
    ObjectRecord* r = Object(slot);
    if (!r) return 0;
    char name[kObjectNameSize];
    std::memcpy(name, r->name, sizeof name);  // the loader rewrites the record
    std::string selected = PackPath;
    if (!ObjectPack[slot].empty()) PackPath = ObjectPack[slot];
    int result = SwapPack(name, slot, memoryFlag);
    PackPath = selected;
    return result;
}

int Convert(const char* packName, const char* folder, int deleteFlag) {
    const char* caption = "elDraw::Convert";
    if (elSystem::GetDisplayDepth() <= 16) return ReportError(caption, "画面をフルカラーにして下さい");
    if (!packName) packName = "";
    if (!folder) folder = "";
    std::string programFolder = elSystem::GetProgramFolder(0);
    std::string packPath = programFolder + packName;
    if (deleteFlag) DeleteFileA(packPath.c_str());

    std::string pattern = programFolder + (folder[0] ? std::string(folder) + "\\*.BMP" : "*.BMP");
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (!search) return 1;

    // The pack is written whole into a file beside it and put in its place
    // at the end, so a failure part-way leaves the old pack as it was and no
    // entry cut short.
    std::string temporary = packPath + ".tmp";
    std::FILE* out = OpenFile(temporary.c_str(), "wb");
    bool ok = out && CopyInto(packPath, out);
    do {
        if (!ok || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::string fileName = folder[0] ? std::string(folder) + "\\" + found.cFileName : found.cFileName;
        CharUpperBuffA(fileName.data(), static_cast<DWORD>(fileName.size()));
        int width = 0, height = 0;
        std::vector<std::uint16_t> pixels;
        // A file that cannot be read is reported by LoadObject and left out.
        if (!ReadForPack(fileName.c_str(), &width, &height, &pixels)) continue;
        std::vector<std::uint8_t> entry;
        pack::AppendEntry(entry, fileName.substr(fileName.find_last_of('\\') + 1), width, height, pixels);
        ok = AppendBytes(out, entry);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    if (out && std::fclose(out) != 0) ok = false;
    if (!ok || !MoveFileReplaceA(temporary.c_str(), packPath.c_str())) {
        DeleteFileA(temporary.c_str());
        return ReportError(caption, "パックファイルに書き込めません");
    }
    return 1;
}

}  // namespace elDraw
