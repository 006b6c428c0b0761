// Loading from packs: the 800 x 600 frame picture and the 640 x 64 tile
// sheet from a bitmap pack against loading the same BMP files (and against
// SDL's own BMP loader converting to the same 5:6:5 pixels); a lookup of
// the last of 500 entries against the first; and one refill of a 2-second
// stream chunk against a plain read and copy of the same bytes.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "draw/elDraw.h"
#include "draw/pack_format.h"
#include "platform/portable/headless.h"
#include "sound/elSound.h"
#include "sound/pack_format.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolder = "el_bench_packs";

fs::path Folder() { return fs::temp_directory_path() / kFolder; }

// The game's two pictures beside the program and in a pack made by the
// converter; 500 one-pixel entries in a second pack; a 10-second stereo
// 22050 Hz stream in a sound pack.
bool Prepare() {
    static bool ready = [] {
        if (!bench::OpenHeadlessScreen(kFolder)) return false;
        std::error_code e;
        fs::copy_file(fs::path(EL_GAME_DIR) / "BMP" / "waku.BMP", Folder() / "WAKU.BMP",
                      fs::copy_options::overwrite_existing, e);
        fs::copy_file(fs::path(EL_GAME_DIR) / "BMP" / "m_cp.bmp", Folder() / "M_CP.BMP",
                      fs::copy_options::overwrite_existing, e);
        plat::headless::SetDisplayDepth(32);
        if (elDraw::Convert("GAME.BPK", "", 1) != 1) return false;
        plat::headless::SetDisplayDepth(0);

        std::vector<std::uint8_t> many;
        for (int i = 0; i < 500; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "E%d.BMP", i);
            elDraw::pack::AppendEntry(many, name, 1, 1, {0x7FFF});
        }
        std::FILE* f = std::fopen((Folder() / "MANY.BPK").c_str(), "wb");
        std::fwrite(many.data(), 1, many.size(), f);
        std::fclose(f);

        std::vector<std::uint8_t> format = {1, 0, 2, 0, 0x22, 0x56, 0, 0, 0x88, 0x58, 0x01, 0, 4, 0, 16, 0, 0, 0};
        std::vector<std::uint8_t> samples(88200 * 10);
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
        std::vector<std::uint8_t> sounds;
        elSound::pack::AppendEntry(sounds, "LONG.WAV", format, samples.data(),
                                   static_cast<std::uint32_t>(samples.size()));
        f = std::fopen((Folder() / "SOUND.SPK").c_str(), "wb");
        std::fwrite(sounds.data(), 1, sounds.size(), f);
        std::fclose(f);
        return true;
    }();
    return ready;
}

void LoadFromPack(benchmark::State& state, const char* name) {
    if (!Prepare()) return state.SkipWithError("no headless screen");
    elDraw::SetPackFile("GAME.BPK");
    for (auto _ : state) {
        int slot = elDraw::LoadPack(name, 2);
        if (slot == 0) return state.SkipWithError("pack load failed");
        elDraw::ReleaseObject(slot);
    }
}

void LoadFromBmp(benchmark::State& state, const char* name) {
    if (!Prepare()) return state.SkipWithError("no headless screen");
    for (auto _ : state) {
        int slot = elDraw::LoadObject(name, 2);
        if (slot == 0) return state.SkipWithError("BMP load failed");
        elDraw::ReleaseObject(slot);
    }
}

void PeerSdlLoad(benchmark::State& state, const char* name) {
    if (!Prepare()) return state.SkipWithError("no headless screen");
    std::string path = (Folder() / name).string();
    for (auto _ : state) {
        SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
        if (!loaded) return state.SkipWithError("SDL_LoadBMP failed");
        SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB565, 0);
        benchmark::DoNotOptimize(converted);
        SDL_FreeSurface(converted);
        SDL_FreeSurface(loaded);
    }
}

void BM_Frame_LoadPack(benchmark::State& s) { LoadFromPack(s, "waku.bmp"); }
void BM_Frame_LoadObjectBmp(benchmark::State& s) { LoadFromBmp(s, "WAKU.BMP"); }
void BM_Frame_PeerSdlLoadBmp(benchmark::State& s) { PeerSdlLoad(s, "WAKU.BMP"); }
void BM_TileSheet_LoadPack(benchmark::State& s) { LoadFromPack(s, "M_CP.BMP"); }
void BM_TileSheet_LoadObjectBmp(benchmark::State& s) { LoadFromBmp(s, "M_CP.BMP"); }
void BM_TileSheet_PeerSdlLoadBmp(benchmark::State& s) { PeerSdlLoad(s, "M_CP.BMP"); }

void Lookup(benchmark::State& state, const char* name) {
    if (!Prepare()) return state.SkipWithError("no headless screen");
    elDraw::SetPackFile("MANY.BPK");
    for (auto _ : state) {
        int slot = elDraw::LoadPack(name, 2);
        if (slot == 0) return state.SkipWithError("lookup failed");
        elDraw::ReleaseObject(slot);
    }
}
void BM_Lookup_LastOf500(benchmark::State& s) { Lookup(s, "E499.BMP"); }
void BM_Lookup_FirstOf500(benchmark::State& s) { Lookup(s, "E0.BMP"); }

// One refill: the stream is made due again before every Streaming call.
void BM_Stream_RefillTwoSeconds(benchmark::State& state) {
    if (!Prepare()) return state.SkipWithError("no headless screen");
    elSound::SetPackFile("SOUND.SPK");
    int slot = elSound::LoadStream("LONG.WAV", 0);
    if (slot < 0) return state.SkipWithError("no stream");
    elSound::PlayLoop(slot, 0);
    StreamRecord& r = SoundTable[slot].stream;
    for (auto _ : state) {
        r.refillMark = 0;
        r.wrapCursor = 0xFFFFFFFFu;
        r.writePosition = r.halfSize;
        if (elSound::Streaming() != 1) return state.SkipWithError("refill failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * r.halfSize);
    elSound::DeleteObject(slot);
}

// The least a refill can do: open the pack, seek, read 2 seconds, copy them.
void BM_Stream_PeerReadAndCopy(benchmark::State& state) {
    if (!Prepare()) return state.SkipWithError("no headless screen");
    std::string path = (Folder() / "SOUND.SPK").string();
    std::vector<std::uint8_t> chunk(176400), ring(352800);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 40, SEEK_SET);
        std::size_t n = std::fread(chunk.data(), 1, chunk.size(), f);
        std::fclose(f);
        std::memcpy(ring.data() + 176400, chunk.data(), n);
        benchmark::DoNotOptimize(ring.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 176400);
}

}  // namespace

BENCHMARK(BM_Frame_LoadPack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame_LoadObjectBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame_PeerSdlLoadBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TileSheet_LoadPack)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TileSheet_LoadObjectBmp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TileSheet_PeerSdlLoadBmp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_LastOf500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_FirstOf500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Stream_RefillTwoSeconds)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Stream_PeerReadAndCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
