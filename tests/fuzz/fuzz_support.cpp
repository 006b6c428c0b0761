#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "draw/elDraw.h"
#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace fuzz {
namespace {

namespace fs = std::filesystem;

fs::path folder;

void RemoveFolder() {
    std::error_code error;
    fs::remove_all(folder, error);
}

// Opens the screen (and with it the sound device and the rest of the
// library) in a headless program whose program file lies in a new folder.
void Start() {
    plat::headless::Enable(true);
    folder = fs::temp_directory_path() / ("el_fuzz_" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::atexit(RemoveFolder);
    std::string exe = (folder / "FUZZ.EXE").string();
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat::headless::SetModuleFileName(exe);
    std::string windows = folder.string();
    for (char& c : windows)
        if (c == '/') c = '\\';
    plat::headless::SetWindowsDirectory(windows);
    static elSystem::Program program;
    program.title = "fuzz";
    program.init = [] {
        elDraw::Screen(800, 600, 1);
        SceneNumber = 1;
    };
    program.scenes = {{1, [] {}}};
    if (!elSystem::Startup(program, "", 1)) {
        std::fprintf(stderr, "fuzz: the headless program did not start\n");
        std::abort();
    }
}

}  // namespace

int RunFileLoader(const char* name, Loader load, const std::uint8_t* data, std::size_t size) {
    static const bool started = (Start(), true);
    (void)started;
    std::FILE* f = std::fopen((folder / name).c_str(), "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    // The map is read from the current folder; libFuzzer's own paths may be
    // relative to the one it was started in.
    const fs::path caller = fs::current_path();
    fs::current_path(folder);
    load(name);
    fs::current_path(caller);
    plat::headless::ClearBoxes();
    ErrorFlag = 0;
    return 0;
}

}  // namespace fuzz
