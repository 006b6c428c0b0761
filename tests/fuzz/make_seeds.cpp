// make_seeds <folder> — writes the fuzz targets' seed corpora: small valid
// files of every kind each loader reads, one folder per target
// (<folder>/bmp, wav, map, value, base_folder, midi).
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Write(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A bitmap file: `header` 12 (OS/2 core), 40, 108 or 124 bytes; `pixels`
// are the rows (or run-length codes) as stored.
Bytes Bmp(int header, int width, int height, int bits, std::uint32_t compression, int colours,
          const Bytes& pixels, std::uint32_t redMask = 0, std::uint32_t greenMask = 0,
          std::uint32_t blueMask = 0) {
    const int entry = header == 12 ? 3 : 4;
    const bool masks = compression == 3 && header == 40;
    const std::uint32_t offset =
        static_cast<std::uint32_t>(14 + header + (masks ? 12 : 0) + colours * entry);
    Bytes b;
    PutText(b, "BM");
    Put32(b, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, static_cast<std::uint32_t>(header));
    if (header == 12) {
        Put16(b, static_cast<unsigned>(width));
        Put16(b, static_cast<unsigned>(height));
        Put16(b, 1);
        Put16(b, static_cast<unsigned>(bits));
    } else {
        Put32(b, static_cast<std::uint32_t>(width));
        Put32(b, static_cast<std::uint32_t>(height));
        Put16(b, 1);
        Put16(b, static_cast<unsigned>(bits));
        Put32(b, compression);
        Put32(b, static_cast<std::uint32_t>(pixels.size()));
        Put32(b, 2835);
        Put32(b, 2835);
        Put32(b, static_cast<std::uint32_t>(colours));
        Put32(b, 0);
        if (header >= 108 || masks) {
            Put32(b, redMask);
            Put32(b, greenMask);
            Put32(b, blueMask);
        }
        if (header >= 108) {
            Put32(b, 0);  // alpha mask
            PutText(b, "BGRs");
            for (int i = 0; i < 12; ++i) Put32(b, 0);  // end points and gammas
        }
        if (header == 124)
            for (int i = 0; i < 4; ++i) Put32(b, 0);  // intent, profile, reserved
    }
    for (int i = 0; i < colours; ++i) {
        b.push_back(static_cast<std::uint8_t>(i * 40));
        b.push_back(static_cast<std::uint8_t>(255 - i * 30));
        b.push_back(static_cast<std::uint8_t>(i * 70));
        if (entry == 4) b.push_back(0);
    }
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// Rows of a 4 x 2 picture at `bits` per pixel, each padded to 4 bytes.
Bytes Rows(int bits) {
    const int rowBytes = ((4 * bits + 31) / 32) * 4;
    Bytes rows;
    for (int y = 0; y < 2; ++y)
        for (int i = 0; i < rowBytes; ++i) rows.push_back(static_cast<std::uint8_t>(0x11 * (i + y + 1)));
    return rows;
}

void BmpSeeds(const fs::path& dir) {
    Write(dir / "core24.bmp", Bmp(12, 4, 2, 24, 0, 0, Rows(24)));
    Write(dir / "core8.bmp", Bmp(12, 4, 2, 8, 0, 4, Rows(8)));
    for (int bits : {1, 4, 8})
        Write(dir / ("info" + std::to_string(bits) + ".bmp"), Bmp(40, 4, 2, bits, 0, 2, Rows(bits)));
    for (int bits : {16, 24, 32})
        Write(dir / ("info" + std::to_string(bits) + ".bmp"), Bmp(40, 4, 2, bits, 0, 0, Rows(bits)));
    Write(dir / "topdown24.bmp", Bmp(40, 4, -2, 24, 0, 0, Rows(24)));
    Write(dir / "fields565.bmp", Bmp(40, 4, 2, 16, 3, 0, Rows(16), 0xF800, 0x07E0, 0x001F));
    Write(dir / "fields32.bmp", Bmp(40, 4, 2, 32, 3, 0, Rows(32), 0xFF0000, 0xFF00, 0xFF));
    Write(dir / "v4_565.bmp", Bmp(108, 4, 2, 16, 3, 0, Rows(16), 0xF800, 0x07E0, 0x001F));
    Write(dir / "v5_24.bmp", Bmp(124, 4, 2, 24, 0, 0, Rows(24)));
    // Run-length codes: a run, an absolute stretch, end of line, a delta,
    // end of bitmap.
    Write(dir / "rle8.bmp", Bmp(40, 4, 3, 8, 1, 4,
                                {2, 1, 0, 2, 2, 3, 0, 0, 4, 2, 0, 0, 0, 2, 1, 0, 2, 3, 0, 1}));
    Write(dir / "rle4.bmp", Bmp(40, 4, 3, 4, 2, 4,
                                {4, 0x12, 0, 0, 0, 4, 0x30, 0x12, 0, 0, 0, 2, 1, 0, 2, 0x33, 0, 1}));
}

Bytes Wave(int channels, int rate, int bits, const Bytes& data, bool extraChunk) {
    Bytes w;
    PutText(w, "RIFF");
    Put32(w, static_cast<std::uint32_t>(36 + data.size() + (extraChunk ? 12 : 0)));
    PutText(w, "WAVE");
    PutText(w, "fmt ");
    Put32(w, 16);
    Put16(w, 1);
    Put16(w, static_cast<unsigned>(channels));
    Put32(w, static_cast<std::uint32_t>(rate));
    Put32(w, static_cast<std::uint32_t>(rate * channels * bits / 8));
    Put16(w, static_cast<unsigned>(channels * bits / 8));
    Put16(w, static_cast<unsigned>(bits));
    if (extraChunk) {
        PutText(w, "LIST");
        Put32(w, 4);
        PutText(w, "INFO");
    }
    PutText(w, "data");
    Put32(w, static_cast<std::uint32_t>(data.size()));
    w.insert(w.end(), data.begin(), data.end());
    return w;
}

void WaveSeeds(const fs::path& dir) {
    Bytes samples;
    for (int i = 0; i < 64; ++i) samples.push_back(static_cast<std::uint8_t>(128 + (i % 16) * 4));
    Write(dir / "mono8.wav", Wave(1, 11025, 8, samples, false));
    Write(dir / "stereo16.wav", Wave(2, 22050, 16, samples, true));
    Write(dir / "mono16_44k.wav", Wave(1, 44100, 16, samples, false));
}

void MapSeeds(const fs::path& dir) {
    std::string rows;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 288; ++c) rows += std::to_string((r * 288 + c) % 160) + (c < 287 ? " " : "\n");
    }
    Write(dir / "rows.txt", Text(rows));
    Write(dir / "odd.txt", Text("1 -1 79 80 -81 2147483647 -2147483648\n\t12 x 5"));
    Write(dir / "short.txt", Text("7"));
}

void ValueSeeds(const fs::path& dir) {
    Write(dir / "value.dat", Text("12345\n"));
    Write(dir / "negative.dat", Text("  -42"));
    Write(dir / "text.dat", Text("+0x10 99999999999"));
}

void BaseFolderSeeds(const fs::path& dir) {
    Write(dir / "folder.ini", Text("C:\\GAMES\\TILES\\\r\nsecond line\r\n"));
    Write(dir / "plain.ini", Text("D:\\DATA"));
    Write(dir / "japanese.ini", Bytes{'C', ':', '\\', 0x83, 0x51, 0x81, 0x5B, 0x83, 0x80, '\n'});
}

Bytes Midi(int format, const std::vector<Bytes>& tracks) {
    Bytes m;
    PutText(m, "MThd");
    Put32(m, 6);
    m.push_back(0);
    m.push_back(static_cast<std::uint8_t>(format));
    m.push_back(0);
    m.push_back(static_cast<std::uint8_t>(tracks.size()));
    m.push_back(0);
    m.push_back(96);
    for (const Bytes& t : tracks) {
        PutText(m, "MTrk");
        m.push_back(0);
        m.push_back(0);
        m.push_back(static_cast<std::uint8_t>(t.size() >> 8));
        m.push_back(static_cast<std::uint8_t>(t.size() & 0xFF));
        m.insert(m.end(), t.begin(), t.end());
    }
    return m;
}

void MidiSeeds(const fs::path& dir) {
    const Bytes melody = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo
                          0x00, 0xC0, 0x00,                          // program
                          0x00, 0x90, 69, 100,                       // note on
                          0x10, 72, 90,                              // running status
                          0x30, 0x80, 69, 64, 0x00, 72, 0,           // offs
                          0x00, 0xB0, 0x07, 100,                     // volume
                          0x00, 0xE0, 0x00, 0x40,                    // pitch bend
                          0x10, 0xFF, 0x2F, 0x00};                   // end
    Write(dir / "format0.mid", Midi(0, {melody}));
    const Bytes conductor = {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
                             0x00, 0xFF, 0x03, 0x03, 'T', 'u', 'n', 0x00, 0xF0, 0x05, 0x7E, 0x7F,
                             0x09, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00};
    const Bytes drums = {0x00, 0x99, 36, 120, 0x18, 0x89, 36, 0, 0x81, 0x00, 0xFF, 0x2F, 0x00};
    Write(dir / "format1.mid", Midi(1, {conductor, melody, drums}));
}

}  // namespace

// Bitmap pack entries: width and height (16 bits), the name and its zero,
// 15-bit pixels.
void BitmapPackEntry(Bytes& out, const std::string& name, int width, int height) {
    Put16(out, static_cast<unsigned>(width));
    Put16(out, static_cast<unsigned>(height));
    PutText(out, name);
    out.push_back(0);
    for (int i = 0; i < width * height; ++i) Put16(out, static_cast<unsigned>((i * 1237) & 0x7FFF));
}

void BitmapPackSeeds(const fs::path& dir) {
    Bytes one, two;
    BitmapPackEntry(one, "A.BMP", 2, 1);
    BitmapPackEntry(two, "B.BMP", 3, 2);
    BitmapPackEntry(two, "A.BMP", 4, 4);
    Write(dir / "one.bpk", one);
    Write(dir / "two.bpk", two);
}

// Sound pack entries: the sample byte count, the name and its zero, the
// format block's size and the block (PCM: 16 bytes and a zero extra count),
// the samples.
void SoundPackEntry(Bytes& out, const std::string& name, int channels, int rate, int bits, std::size_t bytes) {
    Put32(out, static_cast<std::uint32_t>(bytes));
    PutText(out, name);
    out.push_back(0);
    Put32(out, 18);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(channels));
    Put32(out, static_cast<std::uint32_t>(rate));
    Put32(out, static_cast<std::uint32_t>(rate * channels * bits / 8));
    Put16(out, static_cast<unsigned>(channels * bits / 8));
    Put16(out, static_cast<unsigned>(bits));
    Put16(out, 0);
    for (std::size_t i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(128 + (i % 32)));
}

void SoundPackSeeds(const fs::path& dir) {
    Bytes mono, stereo;
    SoundPackEntry(mono, "A.WAV", 1, 11025, 8, 64);
    SoundPackEntry(stereo, "B.WAV", 2, 22050, 16, 256);
    SoundPackEntry(stereo, "A.WAV", 2, 22050, 16, 128);
    Write(dir / "mono.spk", mono);
    Write(dir / "stereo.spk", stereo);
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const fs::path root = argv[1];
    BmpSeeds(root / "bmp");
    WaveSeeds(root / "wav");
    MapSeeds(root / "map");
    ValueSeeds(root / "value");
    BaseFolderSeeds(root / "base_folder");
    MidiSeeds(root / "midi");
    BitmapPackSeeds(root / "bitmap_pack");
    SoundPackSeeds(root / "sound_pack");
    return 0;
}
