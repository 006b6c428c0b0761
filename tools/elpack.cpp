// elpack — makes, lists, checks and unpacks bitmap packs and sound packs.
//
//   elpack bmp make   PACK FOLDER   a bitmap pack of every .BMP file of FOLDER
//   elpack wav make   PACK FOLDER   a sound pack of every .WAV file of FOLDER
//   elpack bmp|wav list   PACK      name, size and format of every entry
//   elpack bmp|wav check  PACK      every entry complete, none past the end
//   elpack bmp|wav unpack PACK FOLDER   every entry back to a BMP or WAV file
//   elpack --help, elpack bmp|wav COMMAND --help   what a command does
//
// Needs no display and no sound device: pictures are read through a memory
// device context, so their colours arrive exactly as the file holds them,
// and entries are written by the same code as the library's converters.
// A pack or unpacked file is written under a temporary name and renamed
// when complete; the folders it goes into are made first. Bad input ends
// the program with one line on standard error naming the file and the
// system's reason, and exit status 1 (2 for a wrong command line).
//
// Entry names come from the pack and are not trusted: `unpack` refuses a
// pack with an entry that is not a plain file name (a folder part such as
// "..\\X.BMP", a drive, ".", "..", a control character or a Windows device
// name) before it writes anything. Of two entries of one name the library
// loads the first, so `unpack` writes the first and names the later ones on
// standard error. `make` refuses a wave the library cannot play (anything
// but 8- or 16-bit PCM, mono or stereo, such as the 32-bit extensible
// waves sox writes by default) rather than converting it, so a pack always
// holds each file's samples exactly; `check` names such entries.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
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

// Whether a Shift-JIS byte starts a two-byte character.
bool LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Where the last folder separator of a Shift-JIS path is (npos when none):
// whole characters only, since the second byte of a two-byte character may
// be 0x5C, the backslash.
std::size_t LastSeparator(const std::string& path) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        auto b = static_cast<unsigned char>(path[i]);
        if (LeadByte(b)) ++i;
        else if (b == '/' || b == '\\') last = i;
    }
    return last;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (LastSeparator(folder) == folder.size() - 1) return folder + name;
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
    // Clears the progress line, so that what follows starts on a line of its own.
    void Finish() {
        if (shown_ && total_) std::fprintf(stderr, "\r\033[K");
        shown_ = false;
    }
    ~Progress() { Finish(); }

private:
    std::size_t total_;
    bool shown_;
};

// The system's reason for the last failed C library call.
std::string Reason(int error) { return error ? std::strerror(error) : "the system gives no reason"; }

// A name of the library (Shift-JIS, either separator) as a path of the system.
std::filesystem::path SystemPath(const std::string& sjis) {
    std::string utf8 = plat::SjisToUtf8(sjis);
#ifndef _WIN32
    for (char& c : utf8)
        if (c == '\\') c = '/';
#endif
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Makes a folder and the folders above it that are missing.
void MakeFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::path path = SystemPath(folder);
    if (std::filesystem::is_directory(path, error)) return;
    std::filesystem::create_directories(path, error);
    if (error) Fail(Shown(folder) + ": the folder cannot be made: " + error.message());
}

// The folder part of a path ("" when it has none).
std::string FolderOf(const std::string& path) {
    std::size_t cut = LastSeparator(path);
    return cut == std::string::npos ? "" : path.substr(0, cut + 1);
}

std::vector<std::uint8_t> ReadWhole(const std::string& path) {
    errno = 0;
    std::FILE* f = plat::OpenFile(path.c_str(), "rb");
    if (!f) Fail(Shown(path) + ": cannot be opened: " + Reason(errno));
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[1 << 16];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    bool bad = std::ferror(f) != 0;
    int error = errno;
    std::fclose(f);
    if (bad) Fail(Shown(path) + ": cannot be read: " + Reason(error));
    return bytes;
}

// Renames a finished temporary file to its name, replacing an older file.
void PutInPlace(const std::string& temporary, const std::string& path) {
#ifdef _WIN32
    // The system's reason for a failed rename comes as an error code.
    std::error_code error;
    std::filesystem::rename(SystemPath(temporary), SystemPath(path), error);
    if (!error) return;
    std::string reason = error.message();
#else
    errno = 0;
    if (plat::MoveFileReplaceA(temporary.c_str(), path.c_str())) return;
    std::string reason = Reason(errno);
#endif
    plat::DeleteFileA(temporary.c_str());
    Fail(Shown(path) + ": cannot be written: " + reason);
}

// Writes under a temporary name, then puts the file in place.
void WriteWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string temporary = path + ".tmp";
    errno = 0;
    std::FILE* f = plat::OpenFile(temporary.c_str(), "wb");
    if (!f) Fail(Shown(temporary) + ": cannot be written: " + Reason(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int error = ok ? 0 : errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        plat::DeleteFileA(temporary.c_str());
        Fail(Shown(temporary) + ": cannot be written: " + Reason(error));
    }
    PutInPlace(temporary, path);
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
    progress.Finish();
    MakeFolder(FolderOf(pack));
    WriteWhole(pack, out);
    std::printf("%s: %zu pictures, %zu bytes\n", Shown(pack).c_str(), names.size(), out.size());
}

// Whether the bytes read whole as a pack of the other kind, for naming a
// pack given with the wrong kind.
bool IsSoundPack(const std::vector<std::uint8_t>& bytes);
bool IsBitmapPack(const std::vector<std::uint8_t>& bytes) {
    std::vector<elDraw::pack::Entry> entries;
    std::string problem;
    return !bytes.empty() && elDraw::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem);
}

std::vector<elDraw::pack::Entry> BitmapEntries(const std::string& pack, const std::vector<std::uint8_t>& bytes) {
    std::vector<elDraw::pack::Entry> entries;
    std::string problem;
    if (!elDraw::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem)) {
        if (IsSoundPack(bytes))
            Fail(Shown(pack) + ": a sound pack, not a bitmap pack (use elpack wav ...)");
        Fail(Shown(pack) + ": damaged bitmap pack: " + problem);
    }
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

// Why the library cannot play a wave of this format ("" when it can): its
// mixer takes 8- or 16-bit PCM, mono or stereo, at 100 to 100,000 frames a
// second, in a plain (not extensible) format block.
std::string Unplayable(const elSound::pack::Format& f) {
    std::string what = std::to_string(f.bits) + "-bit " + std::to_string(f.channels) + "-channel";
    if (f.tag == 0xFFFE) return what + " wave in an extensible format block";
    if (f.tag != 1) return what + " wave of format " + std::to_string(f.tag) + ", not PCM";
    if (f.channels != 1 && f.channels != 2) return what + " PCM: only mono or stereo plays";
    if (f.bits != 8 && f.bits != 16) return what + " PCM: only 8- or 16-bit samples play";
    if (f.blockAlign != f.channels * f.bits / 8) return what + " PCM with a frame size of " +
                                                        std::to_string(f.blockAlign) + " bytes";
    if (f.rate < 100 || f.rate > 100000) return what + " PCM at " + std::to_string(f.rate) + " Hz";
    return "";
}
const char* kPlayableHint =
    "the library plays 8- or 16-bit PCM, mono or stereo (convert it, e.g. sox IN.WAV -b 16 OUT.WAV)";

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
        std::string unplayable = Unplayable(elSound::pack::ReadFormat(format.data()));
        if (!unplayable.empty()) Fail(Shown(path) + ": " + unplayable + ", which the library cannot play; " + kPlayableHint);
        std::string name = Upper(names[i]);
        if (name.size() >= elSound::pack::kNameBuffer) Fail(Shown(path) + ": name too long for a pack");
        elSound::pack::AppendEntry(out, name, format, samples.data(), static_cast<std::uint32_t>(samples.size()));
    }
    progress.Finish();
    MakeFolder(FolderOf(pack));
    WriteWhole(pack, out);
    std::printf("%s: %zu sounds, %zu bytes\n", Shown(pack).c_str(), names.size(), out.size());
}

std::vector<elSound::pack::Entry> SoundEntries(const std::string& pack, const std::vector<std::uint8_t>& bytes) {
    std::vector<elSound::pack::Entry> entries;
    std::string problem;
    if (!elSound::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem)) {
        if (IsBitmapPack(bytes)) Fail(Shown(pack) + ": a bitmap pack, not a sound pack (use elpack bmp ...)");
        Fail(Shown(pack) + ": damaged sound pack: " + problem);
    }
    for (const auto& e : entries) {
        elSound::pack::Format f = elSound::pack::ReadFormat(bytes.data() + e.format);
        if (f.blockAlign == 0 || f.bytesPerSecond == 0)
            Fail(Shown(pack) + ": damaged sound pack: entry " + Shown(e.name) + " has a format of 0 bytes a second");
    }
    return entries;
}

bool IsSoundPack(const std::vector<std::uint8_t>& bytes) {
    std::vector<elSound::pack::Entry> entries;
    std::string problem;
    return !bytes.empty() && elSound::pack::ReadEntries(bytes.data(), bytes.size(), &entries, &problem);
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

const char* kUsage = "usage: elpack bmp|wav make PACK FOLDER | list PACK | check PACK | unpack PACK FOLDER\n"
                     "       elpack --help | elpack bmp|wav COMMAND --help";

const char* kHelp =
    "elpack makes, lists, checks and unpacks the library's bitmap packs (bmp) and\n"
    "sound packs (wav). A game loads their entries by file name with\n"
    "elDraw::LoadPack and elSound::LoadPack.\n"
    "\n"
    "  elpack bmp make   PACK FOLDER   pack every .BMP file of FOLDER\n"
    "  elpack wav make   PACK FOLDER   pack every .WAV file of FOLDER\n"
    "  elpack bmp|wav list   PACK      name, size and format of every entry\n"
    "  elpack bmp|wav check  PACK      every entry complete and usable\n"
    "  elpack bmp|wav unpack PACK FOLDER   every entry back to a file in FOLDER\n"
    "\n"
    "elpack bmp|wav COMMAND --help tells more of one command. Exit status: 0 done,\n"
    "1 bad input (one line on standard error names the file and the reason),\n"
    "2 a wrong command line.\n";

const char* CommandHelp(const std::string& command) {
    if (command == "make")
        return "elpack bmp|wav make PACK FOLDER\n"
               "  Packs every .BMP (bmp) or .WAV (wav) file of FOLDER, in the order the folder\n"
               "  lists them, under its upper-case name. Pictures are stored as 15-bit pixels;\n"
               "  a wave keeps its samples exactly, so a wave the library cannot play (anything\n"
               "  but 8- or 16-bit PCM, mono or stereo, such as sox's 32-bit extensible\n"
               "  default) is refused: convert it first (sox IN.WAV -b 16 OUT.WAV). The pack is\n"
               "  written under a temporary name and replaces PACK only when complete; its\n"
               "  folder is made when missing.\n";
    if (command == "list")
        return "elpack bmp|wav list PACK\n"
               "  One line an entry: its name, then for pictures the size in pixels and bytes,\n"
               "  for sounds the sample bytes, the format and the length in seconds. A sound\n"
               "  the library cannot play is marked \"cannot be played\".\n";
    if (command == "check")
        return "elpack bmp|wav check PACK\n"
               "  Reads every entry and says whether the pack is complete. Fails (exit 1) on a\n"
               "  damaged pack, on a pack of the other kind, and on a sound pack holding a\n"
               "  wave the library cannot play (each such entry named on standard error).\n";
    if (command == "unpack")
        return "elpack bmp|wav unpack PACK FOLDER\n"
               "  Writes every entry to FOLDER (made when missing) as a 24-bit BMP file or a\n"
               "  WAV file of its name. A pack with an entry name that is not a plain file\n"
               "  name (a folder part such as ..\\X.BMP, a drive, . or .., a control character\n"
               "  or a Windows device name such as NUL) is refused before anything is written.\n"
               "  Of entries of one name the library loads the first: that one is written and\n"
               "  each later one is named on standard error and left out.\n";
    return nullptr;
}

// Why an entry name cannot be written as a file of the output folder ("" when
// it can): a name from a pack may not reach outside the folder on any system,
// nor name a device on Windows. Separators are looked for as whole
// characters, since the second byte of a Shift-JIS character may be 0x5C.
std::string NotPlainName(const std::string& name) {
    if (name.empty()) return "an empty name";
    bool onlyDots = true;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto b = static_cast<unsigned char>(name[i]);
        if (LeadByte(b) && i + 1 < name.size()) {
            ++i;
            onlyDots = false;
            continue;
        }
        if (b == '/' || b == '\\' || b == ':') return "a folder or drive part";
        if (b < 0x20 || b == 0x7F) return "a control character";
        if (b != '.' && b != ' ') onlyDots = false;
    }
    if (onlyDots) return "a name of dots and spaces only";
    std::string base = Upper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const std::set<std::string> devices = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                                  "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                                  "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    if (devices.count(base)) return "a device name on Windows";
    return "";
}

// Refuses the whole unpack when one entry's name is not a plain file name.
template <class Entries>
void CheckNames(const std::string& pack, const Entries& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string problem = NotPlainName(entries[i].name);
        if (!problem.empty())
            Fail(Shown(pack) + ": entry " + std::to_string(i + 1) + " \"" + Shown(entries[i].name) + "\" has " +
                 problem + ", not a plain file name; nothing unpacked");
    }
}

// Whether an entry is the first of its name (upper-cased, as the library
// asks for names and as names meet on a Windows folder); a later one is
// named on standard error.
bool FirstOfName(const std::string& pack, std::set<std::string>& seen, const std::string& name, std::size_t index) {
    if (seen.insert(Upper(name)).second) return true;
    std::fprintf(stderr, "elpack: %s: entry %zu repeats the name %s; the library loads the first, so it is left out\n",
                 Shown(pack).c_str(), index + 1, Shown(name).c_str());
    return false;
}

// The column width of a name: on a terminal a Shift-JIS character takes as
// many columns as it has bytes (one for ASCII and half-width katakana, two
// for the rest), so the byte count of the Shift-JIS name is its width.
std::size_t NameColumn(const std::vector<std::string>& names) {
    std::size_t width = 24;
    for (const auto& n : names) width = std::max(width, n.size());
    return width;
}
void PrintName(const std::string& name, std::size_t column) {
    std::printf("%s%*s", Shown(name).c_str(), static_cast<int>(column - name.size() + 1), "");
}

template <class Entries>
std::vector<std::string> NamesOf(const Entries& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

// Writes each entry into the folder as the file the library would load for
// its name (the first entry of a name; later ones are named and left out),
// after checking every name, then prints the summary. fileOf makes an
// entry's file bytes.
template <class Entries, class FileOf>
void Unpack(const std::string& pack, const std::string& folder, const Entries& entries, const char* what,
            FileOf fileOf) {
    CheckNames(pack, entries);
    MakeFolder(folder);
    Progress progress(entries.size());
    std::set<std::string> seen;
    std::size_t written = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        progress.Step(i + 1, entries[i].name);
        if (!FirstOfName(pack, seen, entries[i].name, i)) continue;
        WriteWhole(Join(folder, entries[i].name), fileOf(entries[i]));
        ++written;
    }
    progress.Finish();
    std::printf("%s: %zu %s, %zu written to %s\n", Shown(pack).c_str(), entries.size(), what, written,
                Shown(folder).c_str());
}

void BitmapCommand(const std::string& command, const std::string& pack, const std::string& folder) {
    std::vector<std::uint8_t> bytes = ReadWhole(pack);
    auto entries = BitmapEntries(pack, bytes);
    if (command == "list") {
        std::size_t column = NameColumn(NamesOf(entries));
        for (const auto& e : entries) {
            PrintName(e.name, column);
            std::printf("%5d x %-5d %10zu bytes  15-bit\n", e.width, e.height,
                        static_cast<std::size_t>(e.width) * static_cast<std::size_t>(e.height) * 2);
        }
        return;
    }
    if (command == "check") {
        std::printf("%s: %zu pictures, complete\n", Shown(pack).c_str(), entries.size());
        return;
    }
    Unpack(pack, folder, entries, "pictures", [&](const auto& e) {
        return BmpFile(bytes.data() + e.pixels, e.width, e.height);
    });
}

void SoundCommand(const std::string& command, const std::string& pack, const std::string& folder) {
    std::vector<std::uint8_t> bytes = ReadWhole(pack);
    auto entries = SoundEntries(pack, bytes);
    if (command == "list") {
        std::size_t column = NameColumn(NamesOf(entries));
        for (const auto& e : entries) {
            elSound::pack::Format f = elSound::pack::ReadFormat(bytes.data() + e.format);
            PrintName(e.name, column);
            std::printf("%10u bytes  %u Hz %u-bit %s%s  %.2f s%s\n", e.size, f.rate, f.bits,
                        f.channels == 2 ? "stereo" : f.channels == 1 ? "mono" : "multi",
                        f.tag == 1 ? "" : " (not PCM)", static_cast<double>(e.size) / f.bytesPerSecond,
                        Unplayable(f).empty() ? "" : "  cannot be played");
        }
        return;
    }
    if (command == "check") {
        std::size_t unplayable = 0;
        for (const auto& e : entries) {
            std::string why = Unplayable(elSound::pack::ReadFormat(bytes.data() + e.format));
            if (why.empty()) continue;
            ++unplayable;
            std::fprintf(stderr, "elpack: %s: entry %s: %s, which the library cannot play\n", Shown(pack).c_str(),
                         Shown(e.name).c_str(), why.c_str());
        }
        if (unplayable)
            Fail(Shown(pack) + ": " + std::to_string(unplayable) + " of " + std::to_string(entries.size()) +
                 " sounds cannot be played; " + kPlayableHint);
        std::printf("%s: %zu sounds, complete\n", Shown(pack).c_str(), entries.size());
        return;
    }
    Unpack(pack, folder, entries, "sounds", [&](const auto& e) {
        return WavFile(bytes.data() + e.format, e.formatSize, bytes.data() + e.samples, e.size);
    });
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "help"; }

int Run(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || IsHelp(args[0]) || (args.size() == 2 && IsHelp(args[1]))) {
        if (!args.empty()) {
            std::printf("%s\n\n%s", kUsage, kHelp);
            return 0;
        }
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    if (args.size() >= 3 && IsHelp(args[2]) && CommandHelp(args[1])) {
        std::printf("%s", CommandHelp(args[1]));
        return 0;
    }
    if (args.size() < 3) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    const std::string& kind = args[0];
    const std::string& command = args[1];
    bool withFolder = command == "make" || command == "unpack";
    if ((kind != "bmp" && kind != "wav") || !CommandHelp(command) || args.size() != (withFolder ? 4u : 3u)) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    std::string pack = LibraryName(args[2].c_str());
    std::string folder = withFolder ? LibraryName(args[3].c_str()) : "";
    if (command == "make") {
        if (kind == "bmp") MakeBitmapPack(pack, folder);
        else MakeSoundPack(pack, folder);
    } else if (kind == "bmp") {
        BitmapCommand(command, pack, folder);
    } else {
        SoundCommand(command, pack, folder);
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
