// Sound packs: loading waves from a pack by name, streaming long ones from
// it through a four-second ring buffer refilled two seconds at a time, and
// converting a folder of wave files into a pack.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sound/elSound.h"
#include "sound/pack_format.h"
#include "sound/sound_internal.h"
#include "system/elSystem.h"

using namespace plat;

namespace elSound {

namespace pack {

namespace {
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
}  // namespace

void AppendEntry(std::vector<std::uint8_t>& out, const std::string& name,
                 const std::vector<std::uint8_t>& format, const std::uint8_t* samples,
                 std::uint32_t size) {
    Put32(out, size);
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    Put32(out, static_cast<std::uint32_t>(format.size()));
    out.insert(out.end(), format.begin(), format.end());
    if (size) out.insert(out.end(), samples, samples + size);
}

bool ReadEntries(const std::uint8_t* data, std::size_t size, std::vector<Entry>* entries,
                 std::string* problem) {
    std::size_t at = 0;
    while (at < size) {
        std::size_t start = at;
        auto where = [&] { return "entry at " + std::to_string(start); };
        Entry e;
        if (size - at < 4) {
            *problem = where() + " is cut short in its size";
            return false;
        }
        e.size = Le32(data + at);
        at += 4;
        const void* nul = std::memchr(data + at, 0, std::min(size - at, kNameBuffer));
        if (!nul) {
            *problem = where() + " has no name end within " + std::to_string(kNameBuffer) + " bytes";
            return false;
        }
        std::size_t length = static_cast<const std::uint8_t*>(nul) - (data + at);
        e.name.assign(reinterpret_cast<const char*>(data + at), length);
        at += length + 1;
        if (size - at < 4) {
            *problem = "entry " + e.name + " is cut short in its format size";
            return false;
        }
        e.formatSize = Le32(data + at);
        at += 4;
        if (e.formatSize < kFormatFields || e.formatSize > size - at) {
            *problem = "entry " + e.name + " has a format block of " + std::to_string(e.formatSize) +
                       " bytes where " + std::to_string(size - at) + " remain";
            return false;
        }
        e.format = at;
        at += e.formatSize;
        if (e.size > size - at) {
            *problem = "entry " + e.name + " claims " + std::to_string(e.size) +
                       " sample bytes but only " + std::to_string(size - at) + " remain";
            return false;
        }
        e.samples = at;
        at += e.size;
        entries->push_back(std::move(e));
    }
    return true;
}

Format ReadFormat(const std::uint8_t* b) {
    return Format{Le16(b), Le16(b + 2), Le32(b + 4), Le32(b + 8), Le16(b + 12), Le16(b + 14)};
}

bool Streamable(const Format& f) {
    return f.bytesPerSecond > 0 && f.blockAlign > 0 && f.bytesPerSecond % f.blockAlign == 0;
}

}  // namespace pack

namespace {

using detail::Reloading;
using detail::ValidSlot;
using detail::WorkingSlot;

const char* const kNoPack = "パックファイル名が指定されていません";
const char* const kNoEntry = "WAVEファイルを読み込めません";
const char* const kNoBuffer = "サウンドバッファが生成できません";
const char* const kNameTooLong = "ファイル名が長すぎます";
const char* const kCannotStream = "ストリーミング再生できません";
constexpr DWORD kStreamBufferFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                                     DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS |
                                     DSBCAPS_GETCURRENTPOSITION2;  // 0x180E2

char SelectedPack[sizeof StreamRecord::packPath] = "";

// An entry found in the pack: its sample count and format block, the file
// left positioned at its first sample.
struct Found {
    std::uint32_t size = 0;
    std::vector<std::uint8_t> format;
};

long FileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(f);
    if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
    return size;
}

// Searches the open pack for `name` (any case). Every size read is checked
// against the bytes the file really holds: an entry that claims more ends
// the search as not found.
bool FindSound(std::FILE* f, const char* name, Found* out) {
    // An empty name names no sound: an entry stored without a name cannot
    // be loaded, nor reloaded into its slot.
    if (!name[0]) return false;
    char wanted[pack::kNameBuffer];
    std::snprintf(wanted, sizeof wanted, "%s", name);
    CharUpperBuffA(wanted, static_cast<DWORD>(std::strlen(wanted)));
    long size = FileSize(f);
    if (size < 0) return false;
    for (;;) {
        std::uint8_t word[4];
        if (std::fread(word, 1, 4, f) != 4) return false;
        std::uint32_t samples = pack::Le32(word);
        char entry[pack::kNameBuffer];
        std::size_t length = 0;
        int c = 0;
        while (length < sizeof entry && (c = std::fgetc(f)) != EOF && c != 0)
            entry[length++] = static_cast<char>(c);
        if (c != 0 || length >= sizeof entry) return false;
        entry[length] = 0;
        if (std::fread(word, 1, 4, f) != 4) return false;
        std::uint32_t formatSize = pack::Le32(word);
        long here = std::ftell(f);
        if (here < 0) return false;
        auto left = static_cast<std::uint64_t>(size - here);
        if (formatSize < pack::kFormatFields || formatSize > left || samples > left - formatSize) return false;
        if (std::strcmp(entry, wanted) == 0) {
            out->size = samples;
            out->format.resize(formatSize);
            return std::fread(out->format.data(), 1, formatSize, f) == formatSize;
        }
        if (std::fseek(f, static_cast<long>(formatSize + samples), SEEK_CUR) != 0) return false;
    }
}

// Opens `path` and finds `name`; reports under `context` and gives null
// when the pack cannot be opened or has no such entry.
std::FILE* OpenEntry(const char* context, const char* path, const char* name, Found* found) {
    std::FILE* f = path[0] ? OpenFile(path, "rb") : nullptr;
    if (!f) {
        ReportFileError(context, kNoPack, path, path[0] ? nullptr : "no pack file was named");
        return nullptr;
    }
    if (!FindSound(f, name, found)) {
        std::fclose(f);
        ReportFileError(context, kNoEntry, path, ("no whole entry named " + std::string(name)).c_str());
        return nullptr;
    }
    return f;
}

// Without a device nothing is loaded, but a pack or an entry that is not
// there is still the program's fault: it is reported as with a device.
void ReportMissingWithoutDevice(const char* context, const char* name) {
    if (Reloading) return;
    Found found;
    if (std::FILE* f = OpenEntry(context, SelectedPack, name, &found)) std::fclose(f);
}

// Copies bytes into the buffer at `offset`, wrapping round the ring; a
// buffer lost to the system is restored once and locked again. Null data
// writes silence.
void WriteRing(IDirectSoundBuffer* buffer, DWORD offset, const std::uint8_t* data, DWORD bytes,
               bool eightBit) {
    if (!buffer || bytes == 0) return;
    void* r1 = nullptr;
    void* r2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    HRESULT result = buffer->Lock(offset, bytes, &r1, &n1, &r2, &n2, 0);
    if (result == DSERR_BUFFERLOST && !Failed(buffer->Restore()))
        result = buffer->Lock(offset, bytes, &r1, &n1, &r2, &n2, 0);
    if (Failed(result)) return;
    int silence = eightBit ? 0x80 : 0;
    if (data) {
        std::memcpy(r1, data, n1);
        if (r2 && n2) std::memcpy(r2, data + n1, n2);
    } else {
        std::memset(r1, silence, n1);
        if (r2 && n2) std::memset(r2, silence, n2);
    }
    buffer->Unlock(r1, n1, r2, n2);
}

bool EightBit(const SoundSlot& s) {
    if (!s.mixes[0].buffer) return false;
    WAVEFORMATEX wf{};
    s.mixes[0].buffer->GetFormat(&wf, sizeof wf, nullptr);
    return wf.wBitsPerSample == 8;
}

// The whole frames of a byte count.
std::uint32_t WholeFrames(std::uint32_t bytes, std::uint32_t blockAlign) {
    return blockAlign ? bytes - bytes % blockAlign : bytes;
}

// Reads `bytes` at the file offset `from` of the stream's pack; false after
// reporting under `context`.
bool ReadStream(const char* context, const StreamRecord& r, std::uint32_t from, std::uint32_t bytes,
                std::vector<std::uint8_t>* out, std::uint32_t* after) {
    std::FILE* f = OpenFile(r.packPath, "rb");
    if (!f) {
        ReportError(context, kNoPack);
        return false;
    }
    out->resize(bytes);
    bool ok = std::fseek(f, static_cast<long>(from), SEEK_SET) == 0 &&
              std::fread(out->data(), 1, bytes, f) == bytes;
    long position = std::ftell(f);
    std::fclose(f);
    // A pack cut shorter since the stream was opened cannot be played on.
    if (!ok || position < 0) {
        ReportError(context, kCannotStream);
        return false;
    }
    *after = static_cast<std::uint32_t>(position);
    return true;
}

// Whether the play cursor P has entered the chunk written last.
bool RefillDue(const StreamRecord& r, std::uint32_t p) {
    if (r.wrapCursor == 0xFFFFFFFFu) return p >= r.refillMark || p < r.lastCursor;
    if (r.refillMark < r.wrapCursor) return r.refillMark <= p && p < r.wrapCursor;
    return p >= r.refillMark;
}

// The size of the next chunk: two seconds, the rest when less remains, and
// when less than two seconds would be left after it, half the rest (rounded
// down), so the last two chunks are alike. A half may end inside a sample
// frame: the chunks go into the ring back to back, so the bytes heard stay
// whole and in order whatever the chunk sizes.
std::uint32_t NextChunk(const StreamRecord& r) {
    std::uint32_t chunk = r.halfSize;
    std::uint32_t remaining = r.dataSize - r.consumed;
    if (chunk > remaining) return remaining;
    if (remaining - chunk < chunk) return remaining / 2;
    return chunk;
}

// Refills one streamed slot whose buffer plays; false after a reported
// failure (the slot is then stopped).
bool ServeStream(int slot) {
    const char* context = "elSound::Streaming";
    SoundSlot& s = SoundTable[slot];
    StreamRecord& r = s.stream;
    IDirectSoundBuffer* buffer = s.mixes[0].buffer;
    DWORD p = 0;
    buffer->GetCurrentPosition(&p, nullptr);
    if (!RefillDue(r, p)) return true;
    r.lastCursor = p;
    if (r.endCountdown > 0 && --r.endCountdown == 0) {
        Stop(slot, -1);
        return true;
    }
    std::uint32_t chunk = NextChunk(r);
    std::vector<std::uint8_t> bytes;
    std::uint32_t after = 0;
    if (!ReadStream(context, r, r.readPosition, chunk, &bytes, &after)) {
        // Reported once: the slot stops, so the next frames do not ask again.
        Stop(slot, -1);
        return false;
    }
    r.readPosition = after;
    r.consumed += chunk;
    if (r.consumed >= r.dataSize) {
        r.readPosition = r.loopPoint;
        r.consumed = r.loopPoint - r.dataStart;
        // Only the first arrival at the end starts the countdown: a short
        // loop section reached again while the silence goes out must not
        // start it over.
        if (!s.looping && r.endCountdown == 0) r.endCountdown = 2;
    }
    WriteRing(buffer, r.writePosition, r.endCountdown == 1 ? nullptr : bytes.data(), chunk, EightBit(s));
    r.wrapCursor = r.writePosition < r.refillMark ? p : 0xFFFFFFFFu;
    r.refillMark = r.writePosition;
    r.writePosition += chunk;
    if (r.writePosition >= r.bufferSize) r.writePosition -= r.bufferSize;
    return true;
}

// Reloads a pack slot (streamed or not) into its own slot while the sound
// table is reloaded, from the pack it was loaded from (kept in its stream
// record), so that a program using several packs loses none of its sounds.
// The program's choice of pack is put back afterwards.
int ReloadSlot(int slot) {
    SoundSlot& s = SoundTable[slot];
    char selected[sizeof SelectedPack];
    std::memcpy(selected, SelectedPack, sizeof selected);
    if (s.stream.packPath[0]) std::snprintf(SelectedPack, sizeof SelectedPack, "%s", s.stream.packPath);
    int result = s.stream.dataSize != 0 ? LoadStream(s.name, s.stream.loopPoint - s.stream.dataStart)
                                        : LoadPack(s.name, s.mixCount);
    std::memcpy(SelectedPack, selected, sizeof selected);
    return result;
}

void Register() {
    detail::ReloadPackSlot = ReloadSlot;
    detail::ResetStreamSlot = ResetStream;
}

// Refused before a slot is taken, so a refused name leaves nothing behind.
bool NameFits(const char* context, const char* name) {
    if (Reloading || std::strlen(name) <= static_cast<std::size_t>(kSoundNameLength)) return true;
    ReportError(context, kNameTooLong);
    return false;
}

}  // namespace

void SetPackFile(const char* name) {
    std::snprintf(SelectedPack, sizeof SelectedPack, "%s%s", elSystem::GetProgramFolder(0), name ? name : "");
}

int LoadPack(const char* name, int mix) {
    const char* context = "elSound::LoadPack";
    if (!name) name = "";
    if (!detail::DeviceReady()) {
        ReportMissingWithoutDevice(context, name);
        return -1;
    }
    Register();
    if (mix > kMaxMixes || mix < -kMaxMixes) {
        ReportError(context, "ミックス数が多過ぎます");
        return -1;
    }
    if (!NameFits(context, name)) return -1;
    if (!Reloading && detail::TakeFreeSlot(context) < 0) return -1;
    Found found;
    std::FILE* f = OpenEntry(context, SelectedPack, name, &found);
    if (!f) return -1;
    std::vector<std::uint8_t> samples(found.size);
    bool read = std::fread(samples.data(), 1, samples.size(), f) == samples.size();
    std::fclose(f);
    if (!read) {
        ReportError(context, kNoEntry);
        return -1;
    }
    char stored[pack::kNameBuffer];
    std::snprintf(stored, sizeof stored, "%s", name);
    CharUpperBuffA(stored, static_cast<DWORD>(std::strlen(stored)));
    int slot = detail::FillSlot(context, stored, mix, found.format, samples.data(), found.size, true);
    // The slot remembers its pack, to be reloaded from it.
    if (slot >= 0)
        std::snprintf(SoundTable[slot].stream.packPath, sizeof SoundTable[slot].stream.packPath, "%s",
                      SelectedPack);
    return slot;
}

int LoadStream(const char* name, std::uint32_t loopOffset) {
    const char* context = "elSound::LoadStream";
    if (!name) name = "";
    if (!detail::DeviceReady()) {
        ReportMissingWithoutDevice(context, name);
        return -1;
    }
    Register();
    if (!NameFits(context, name)) return -1;
    if (!Reloading && detail::TakeFreeSlot(context) < 0) return -1;
    int slot = WorkingSlot;
    char path[sizeof StreamRecord::packPath];
    std::snprintf(path, sizeof path, "%s", SelectedPack);
    Found found;
    std::FILE* f = OpenEntry(context, path, name, &found);
    if (!f) return -1;
    pack::Format format = pack::ReadFormat(found.format.data());
    if (format.bytesPerSecond == 0 || found.size / format.bytesPerSecond < 5) {
        std::fclose(f);
        // Short sounds are loaded whole (a rate of 0 bytes a second is
        // refused there by the sound buffer, not divided by here).
        if (format.bytesPerSecond == 0) {
            ReportError(context, kCannotStream);
            return -1;
        }
        return LoadPack(name, 1);
    }
    // Chunks must hold whole sample frames, and the loop point must lie
    // inside the samples, on a frame.
    if (!pack::Streamable(format) || loopOffset >= found.size) {
        std::fclose(f);
        ReportError(context, kCannotStream);
        return -1;
    }
    loopOffset = WholeFrames(loopOffset, format.blockAlign);
    long start = std::ftell(f);
    std::uint32_t half = 2 * format.bytesPerSecond;
    std::vector<std::uint8_t> first(half);
    bool read = start >= 0 && std::fread(first.data(), 1, half, f) == half;
    long after = std::ftell(f);
    std::fclose(f);
    if (!read || after < 0) {
        ReportError(context, kNoEntry);
        return -1;
    }

    SoundSlot& s = SoundTable[slot];
    StreamRecord& r = s.stream;
    std::snprintf(r.packPath, sizeof r.packPath, "%s", path);
    // A trailing part of a sample frame cannot be heard; leaving it out keeps
    // every chunk on whole frames.
    r.dataSize = WholeFrames(found.size, format.blockAlign);
    r.bufferSize = 4 * format.bytesPerSecond;
    r.halfSize = r.bufferSize / 2;
    r.refillMark = 0;
    r.writePosition = r.halfSize;
    r.dataStart = static_cast<std::uint32_t>(start);
    r.loopPoint = r.dataStart + loopOffset;
    r.readPosition = static_cast<std::uint32_t>(after);
    r.consumed = r.halfSize;
    r.wrapCursor = 0xFFFFFFFFu;
    r.lastCursor = 0;
    r.endCountdown = 0;
    s.mixCount = 1;
    s.EchoCounter = -1;
    if (!Reloading) s.NextMix = 0;

    WAVEFORMATEX wf = detail::DeviceFormat(found.format);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = kStreamBufferFlags;
    desc.dwBufferBytes = r.bufferSize;
    desc.lpwfxFormat = &wf;
    MixBuffer& mb = s.mixes[0];
    mb.buffer = nullptr;
    if (Failed(Device->CreateSoundBuffer(&desc, &mb.buffer, nullptr)) || !mb.buffer) {
        mb.buffer = nullptr;
        r.dataSize = 0;
        ReportError(context, kNoBuffer);
        return -1;
    }
    WriteRing(mb.buffer, 0, first.data(), half, format.bits == 8);
    detail::SettleMixBuffer(s, mb);
    s.inUse = 1;
    s.fromPack = 1;
    if (Reloading) return slot;
    std::snprintf(s.name, sizeof s.name, "%s", name);
    CharUpperBuffA(s.name, static_cast<DWORD>(std::strlen(s.name)));
    return slot;
}

int Streaming() {
    if (!detail::DeviceReady()) return 0;
    int result = 1;
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        SoundSlot& s = SoundTable[slot];
        if (!s.inUse || s.stream.dataSize == 0 || !s.mixes[0].buffer) continue;
        DWORD status = 0;
        if (Failed(s.mixes[0].buffer->GetStatus(&status)) || !(status & DSBSTATUS_PLAYING)) continue;
        if (!ServeStream(slot)) result = 0;
    }
    return result;
}

int ResetStream(int slot) {
    const char* context = "elSound::ResetStream";
    if (!detail::DeviceReady() || !ValidSlot(slot)) return 0;
    SoundSlot& s = SoundTable[slot];
    StreamRecord& r = s.stream;
    if (!s.inUse || r.dataSize == 0 || !s.mixes[0].buffer) return 0;
    std::vector<std::uint8_t> first;
    std::uint32_t after = 0;
    if (!ReadStream(context, r, r.dataStart, r.halfSize, &first, &after)) return 0;
    r.refillMark = 0;
    r.writePosition = r.halfSize;
    r.readPosition = after;
    r.consumed = r.halfSize;
    r.wrapCursor = 0xFFFFFFFFu;
    r.lastCursor = 0;
    r.endCountdown = 0;
    WriteRing(s.mixes[0].buffer, 0, first.data(), r.halfSize, EightBit(s));
    return 1;
}

int Convert(const char* packName, const char* folder, int deleteFirst) {
    const char* context = "elSound::Convert";
    if (!packName) packName = "";
    if (!folder) folder = "";
    std::string programFolder = elSystem::GetProgramFolder(0);
    std::string packPath = programFolder + packName;
    if (deleteFirst) DeleteFileA(packPath.c_str());
    std::string pattern = programFolder + (folder[0] ? std::string(folder) + "\\*.WAV" : "*.WAV");
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (!search) return 1;

    // Written whole beside the pack and put in its place at the end: a
    // failure part-way leaves the old pack as it was, never an entry cut short.
    std::string temporary = packPath + ".tmp";
    std::FILE* out = OpenFile(temporary.c_str(), "wb");
    bool ok = out != nullptr;
    if (ok) {
        if (std::FILE* old = OpenFile(packPath.c_str(), "rb")) {
            std::vector<std::uint8_t> block(1 << 16);
            std::size_t n;
            while (ok && (n = std::fread(block.data(), 1, block.size(), old)) > 0)
                ok = std::fwrite(block.data(), 1, n, out) == n;
            std::fclose(old);
        }
    }
    do {
        if (!ok || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::string relative = folder[0] ? std::string(folder) + "\\" + found.cFileName : found.cFileName;
        CharUpperBuffA(relative.data(), static_cast<DWORD>(relative.size()));
        std::string entryName = relative.substr(relative.find_last_of('\\') + 1);
        // A name that does not fit the readers' name buffer would end every
        // lookup at it, hiding the entries after it: the file is reported
        // and left out.
        if (entryName.size() >= pack::kNameBuffer) {
            ReportError(context, kNameTooLong);
            continue;
        }
        std::vector<std::uint8_t> format, samples;
        // A file that cannot be read as a wave gives no entry.
        if (!detail::ReadWaveFile((programFolder + relative).c_str(), &format, &samples)) continue;
        std::vector<std::uint8_t> entry;
        pack::AppendEntry(entry, entryName, format, samples.data(),
                          static_cast<std::uint32_t>(samples.size()));
        ok = std::fwrite(entry.data(), 1, entry.size(), out) == entry.size();
    } while (FindNextFileA(search, &found));
    FindClose(search);
    if (out && std::fclose(out) != 0) ok = false;
    if (!ok || !MoveFileReplaceA(temporary.c_str(), packPath.c_str())) {
        DeleteFileA(temporary.c_str());
        ReportError(context, "パックファイルに書き込めません");
        return 0;
    }
    return 1;
}

}  // namespace elSound
