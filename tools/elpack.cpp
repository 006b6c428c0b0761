// elpack — makes, lists, checks and unpacks bitmap packs and sound packs.
//
//   elpack bmp make   PACK FOLDER   a bitmap pack of every .BMP file of FOLDER
//   elpack wav make   PACK FOLDER   a sound pack of every .WAV file of FOLDER
//   elpack bmp|wav list   PACK      name, size and format of every entry
//   elpack bmp|wav check  PACK      every entry complete, none past the end
//   elpack bmp|wav unpack PACK FOLDER   every entry back to a BMP or WAV file
//
// Needs no display and no sound device: pictures are read through a memory
// device context, so their colours arrive exactly as the file holds them,
// and entries are written by the same code as the library's converters.
// A pack or unpacked file is written under a temporary name and renamed
// when complete. Bad input ends the program with one line on standard
// error and exit status 1 (2 for a wrong command line).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define EL_ISATTY _isatty
#define EL_FILENO _fileno
#else
#include <unistd.h>
#define EL_ISATTY isatty
#define EL_FILENO fileno
#endif

#include "draw/pack_format.h"
#include "platform/encoding.h"
#include "platform/gdi.h"
#include "platform/win.h"
#include "sound/pack_format.h"
#include "sound/sound_internal.h"

namespace {

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

// Names on the command line are the system's; the library's are Shift-JIS.
std::string LibraryName(const char* arg) {
#ifdef _WIN32
    return arg;
#else
    return plat::Utf8ToSjis(arg);
#endif
}
std::string Shown(const std::string& sjis) {
#ifdef _WIN32
    return sjis;
#else
    return plat::SjisToUtf8(sjis);
#endif
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    char last = folder.back();
    if (last == '/' || last == '\\') return folder + name;
    return folder + (folder.find('/') != std::string::npos ? "/" : "\\") + name;
}

// Progress on a terminal: "[3/40] NAME" rewritten in place.
class Progress {
public:
    explicit Progress(std::size_t total) : total_(total), shown_(EL_ISATTY(EL_FILENO(stderr)) != 0) {}
    void Step(std::size_t done, const std::string& name) {
        if (!shown_) return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", done, total_, Shown(name).c_str());
        std::fflush(stderr);
    }
    ~Progress() {
        if (shown_ && total_) std::fprintf(stderr, "\r\033[K");
    }

private:
    std::size_t total_;
    bool shown_;
};

std::vector<std::uint8_t> ReadWhole(const std::string& path) {
    std::FILE* f = plat::OpenFile(path.c_str(), "rb");
    if (!f) Fail(Shown(path) + ": cannot be opened");
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[1 << 16];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) Fail(Shown(path) + ": read error");
    return bytes;
}

// Writes under a temporary name, then puts the file in place.
void WriteWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string temporary = path + ".tmp";
    std::FILE* f = plat::OpenFile(temporary.c_str(), "wb");
    if (!f) Fail(Shown(path) + ": cannot be written");
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || !plat::MoveFileReplaceA(temporary.c_str(), path.c_str())) {
        plat::DeleteFileA(temporary.c_str());
        Fail(Shown(path) + ": cannot be written");
    }
}

// The files of a folder whose names end in `extension` (any case).
std::vector<std::string> FilesOf(const std::string& folder, const char* extension) {
    plat::WIN32_FIND_DATAA found{};
    std::string pattern = Join(folder, std::string("*") + extension);
    std::vector<std::string> names;
    plat::HANDLE search = plat::FindFirstFileA(pattern.c_str(), &found);
    if (!search) {
        // Tell a folder that is missing from one that holds no such files.
        plat::WIN32_FIND_DATAA any{};
        plat::HANDLE all = plat::FindFirstFileA(Join(folder, "*").c_str(), &any);
        if (!all) Fail(Shown(folder) + ": no such folder, or it is empty");
        plat::FindClose(all);
        Fail(Shown(folder) + ": holds no " + extension + " files");
    }
    do {
        if (!(found.dwFileAttributes & plat::FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (plat::FindNextFileA(search, &found));
    plat::FindClose(search);
    return names;
}

std::string Upper(std::string name) {
    plat::CharUpperBuffA(name.data(), static_cast<plat::DWORD>(name.size()));
    return name;
}

// ---- Bitmap packs ---------------------------------------------------------------

void MakeBitmapPack(const std::string& pack, const std::string& folder) {
    std::vector<std::string> names = FilesOf(folder, ".BMP");
    std::vector<std::uint8_t> out;
    Progress progress(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        progress.Step(i + 1, names[i]);
        std::string path = Join(folder, names[i]);
        auto bitmap = static_cast<plat::HBITMAP>(
            plat::LoadImageA(nullptr, path.c_str(), plat::IMAGE_BITMAP, 0, 0,
                             plat::LR_LOADFROMFILE | plat::LR_CREATEDIBSECTION));
        if (!bitmap) Fail(Shown(path) + ": not a readable BMP file");
        plat::BITMAP info{};
        plat::GetObjectA(bitmap, sizeof info, &info);
        if (info.bmWidth <= 0 || info.bmHeight <= 0 || info.bmWidth > 65535 || info.bmHeight > 65535) {
            plat::DeleteObject(bitmap);
            Fail(Shown(path) + ": a picture of " + std::to_string(info.bmWidth) + " x " +
                 std::to_string(info.bmHeight) + " pixels cannot be packed");
        }
        plat::HDC dc = plat::CreateCompatibleDC(nullptr);
        plat::HGDIOBJ previous = plat::SelectObject(dc, bitmap);
        std::vector<std::uint16_t> pixels;
        pixels.reserve(static_cast<std::size_t>(info.bmWidth) * static_cast<std::size_t>(info.bmHeight));
        for (int y = 0; y < info.bmHeight; ++y)
            for (int x = 0; x < info.bmWidth; ++x)
                pixels.push_back(elDraw::pack::ColourToPixel(plat::GetPixel(dc, x, y)));
        plat::SelectObject(dc, previous);
        plat::DeleteDC(dc);
        plat::DeleteObject(bitmap);
        std::string name = Upper(names[i]);
        if (name.size() >= elDraw::pack::kNameBuffer) Fail(Shown(path) + ": name too long for a pack");
        elDraw::pack::AppendEntry(out, name, info.bmWidth, info.bmHeight, pixels);
    }
    WriteWhole(pack, out);
    std::printf("%s: %zu pictures, %zu bytes\n", Shown(pack).c_str(), names.size(), out.size());
}

std::vector<elDraw::pack::Entry> BitmapEntries(const std::string& pack, const std::vector<std::uint8_t>& bytes) {
    std::vector<elDraw::pack::Entry> entries;
    std::string problem;
    if (!elDraw::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem))
        Fail(Shown(pack) + ": damaged bitmap pack: " + problem);
    return entries;
}

// A 24-bit BMP file of the stored pixels, rows bottom-up as BMP files keep them.
std::vector<std::uint8_t> BmpFile(const std::uint8_t* pixels, int width, int height) {
    std::vector<std::uint8_t> out;
    auto put = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    std::uint32_t row = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    std::uint32_t data = row * static_cast<std::uint32_t>(height);
    out.push_back('B');
    out.push_back('M');
    put(54 + data, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(static_cast<std::uint32_t>(width), 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(data, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = pixels + (static_cast<std::size_t>(y) * width + x) * 2;
            std::uint32_t c = elDraw::pack::PixelToColour(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
            out.push_back(static_cast<std::uint8_t>(c >> 16));
            out.push_back(static_cast<std::uint8_t>(c >> 8));
            out.push_back(static_cast<std::uint8_t>(c));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < row; ++pad) out.push_back(0);
    }
    return out;
}

// ---- Sound packs ------------------------------------------------------------------

void MakeSoundPack(const std::string& pack, const std::string& folder) {
    std::vector<std::string> names = FilesOf(folder, ".WAV");
    std::vector<std::uint8_t> out;
    Progress progress(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        progress.Step(i + 1, names[i]);
        std::string path = Join(folder, names[i]);
        std::vector<std::uint8_t> format, samples;
        if (!elSound::detail::ReadWaveFile(path.c_str(), &format, &samples))
            Fail(Shown(path) + ": not a readable WAV file");
        std::string name = Upper(names[i]);
        if (name.size() >= elSound::pack::kNameBuffer) Fail(Shown(path) + ": name too long for a pack");
        elSound::pack::AppendEntry(out, name, format, samples.data(), static_cast<std::uint32_t>(samples.size()));
    }
    WriteWhole(pack, out);
    std::printf("%s: %zu sounds, %zu bytes\n", Shown(pack).c_str(), names.size(), out.size());
}

std::vector<elSound::pack::Entry> SoundEntries(const std::string& pack, const std::vector<std::uint8_t>& bytes) {
    std::vector<elSound::pack::Entry> entries;
    std::string problem;
    if (!elSound::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem))
        Fail(Shown(pack) + ": damaged sound pack: " + problem);
    for (const auto& e : entries) {
        elSound::pack::Format f = elSound::pack::ReadFormat(bytes.data() + e.format);
        if (f.blockAlign == 0 || f.bytesPerSecond == 0)
            Fail(Shown(pack) + ": damaged sound pack: entry " + Shown(e.name) + " has a format of 0 bytes a second");
    }
    return entries;
}

// A WAV file of one entry: its format block as the "fmt " chunk (16 bytes
// for PCM, all of it otherwise) and its samples as the "data" chunk.
std::vector<std::uint8_t> WavFile(const std::uint8_t* format, std::uint32_t formatSize, const std::uint8_t* samples,
                                  std::uint32_t size) {
    elSound::pack::Format f = elSound::pack::ReadFormat(format);
    std::uint32_t fmtSize = f.tag == 1 ? elSound::pack::kFormatFields : formatSize;
    std::vector<std::uint8_t> out;
    auto put32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
    tag("RIFF");
    put32(4 + 8 + fmtSize + (fmtSize & 1) + 8 + size + (size & 1));
    tag("WAVE");
    tag("fmt ");
    put32(fmtSize);
    out.insert(out.end(), format, format + fmtSize);
    if (fmtSize & 1) out.push_back(0);
    tag("data");
    put32(size);
    out.insert(out.end(), samples, samples + size);
    if (size & 1) out.push_back(0);
    return out;
}

// ---- Commands -----------------------------------------------------------------------

int Run(int argc, char** argv) {
    const char* usage =
        "usage: elpack bmp|wav make PACK FOLDER | list PACK | check PACK | unpack PACK FOLDER";
    if (argc < 4) {
        std::fprintf(stderr, "%s\n", usage);
        return 2;
    }
    std::string kind = argv[1], command = argv[2];
    std::string pack = LibraryName(argv[3]);
    bool bitmaps = kind == "bmp";
    bool withFolder = command == "make" || command == "unpack";
    if ((!bitmaps && kind != "wav") || argc != (withFolder ? 5 : 4) ||
        (!withFolder && command != "list" && command != "check")) {
        std::fprintf(stderr, "%s\n", usage);
        return 2;
    }
    std::string folder = withFolder ? LibraryName(argv[4]) : "";
    if (command == "make") {
        if (bitmaps) MakeBitmapPack(pack, folder);
        else MakeSoundPack(pack, folder);
        return 0;
    }
    std::vector<std::uint8_t> bytes = ReadWhole(pack);
    if (bitmaps) {
        auto entries = BitmapEntries(pack, bytes);
        if (command == "list")
            for (const auto& e : entries)
                std::printf("%-32s %5d x %-5d %10zu bytes  15-bit\n", Shown(e.name).c_str(), e.width, e.height,
                            static_cast<std::size_t>(e.width) * e.height * 2);
        Progress progress(command == "unpack" ? entries.size() : 0);
        for (std::size_t i = 0; command == "unpack" && i < entries.size(); ++i) {
            progress.Step(i + 1, entries[i].name);
            WriteWhole(Join(folder, entries[i].name),
                       BmpFile(bytes.data() + entries[i].pixels, entries[i].width, entries[i].height));
        }
        if (command != "list") std::printf("%s: %zu pictures, complete\n", Shown(pack).c_str(), entries.size());
    } else {
        auto entries = SoundEntries(pack, bytes);
        if (command == "list")
            for (const auto& e : entries) {
                elSound::pack::Format f = elSound::pack::ReadFormat(bytes.data() + e.format);
                std::printf("%-32s %10u bytes  %u Hz %u-bit %s%s  %.2f s\n", Shown(e.name).c_str(), e.size, f.rate,
                            f.bits, f.channels == 2 ? "stereo" : f.channels == 1 ? "mono" : "multi",
                            f.tag == 1 ? "" : " (not PCM)", static_cast<double>(e.size) / f.bytesPerSecond);
            }
        Progress progress(command == "unpack" ? entries.size() : 0);
        for (std::size_t i = 0; command == "unpack" && i < entries.size(); ++i) {
            const auto& e = entries[i];
            progress.Step(i + 1, e.name);
            WriteWhole(Join(folder, e.name), WavFile(bytes.data() + e.format, e.formatSize, bytes.data() + e.samples, e.size));
        }
        if (command != "list") std::printf("%s: %zu sounds, complete\n", Shown(pack).c_str(), entries.size());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const Failure& f) {
        std::fprintf(stderr, "elpack: %s\n", f.message.c_str());
        return 1;
    }
}
