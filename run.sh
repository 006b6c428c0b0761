#!/bin/bash
# Sets up a Debian 12 machine (as root), builds, and then either starts the
# game ("./run.sh game"), runs every test ("./run.sh test") or builds the
# browser pages and serves them on 127.0.0.1 ("./run.sh web [PORT]").
set -euo pipefail
cd "$(dirname "$0")"
what=${1:-game}

packages=(build-essential cmake pkg-config libsdl2-dev libfreetype-dev libfontconfig-dev
          libfluidsynth-dev timgm6mb-soundfont fonts-ipafont-gothic fonts-ipafont-mincho
          libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev libpng-dev xvfb xdotool imagemagick x11-utils x11-apps
          clang-14 libclang-rt-14-dev doxygen)

# The Windows build's cross compiler, GoogleTest sources and Wine; Wine wants
# its recommended X libraries and fonts.
windows_packages=(g++-mingw-w64-x86-64 googletest wine wine64)

# The browser build: Debian's emscripten (its libraries are built from
# Debian's source packages by tools/web/deps.sh), node and npm for the
# tests' DevTools client, and Chromium to run the pages headless.
web_packages=(emscripten nodejs chromium python3 fonts-ipafont-gothic fonts-ipafont-mincho googletest)
# Debian's npm, unless node came with its own.
install_web_packages() {
    install_packages "${web_packages[@]}"
    command -v npm > /dev/null || install_packages npm
}

# install_packages [--with-recommends] package...
install_packages() {
    local recommends="--no-install-recommends"
    if [ "${1:-}" = "--with-recommends" ]; then recommends=""; shift; fi
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q "ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $recommends "${missing[@]}"
    fi
}

jobs=$(nproc 2> /dev/null || echo 2)
case "$what" in
    game)
        install_packages "${packages[@]}"
        cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DEL_TESTS=OFF > /dev/null
        cmake --build build/release -j "$jobs"
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "There is no display to show the game on (DISPLAY is not set)."
            echo "Watch it on a virtual display instead, for example:"
            echo "  xvfb-run -s '-screen 0 1024x768x24' $0 game"
            echo "or, to watch it with a VNC viewer:"
            echo "  Xvfb :1 -screen 0 1024x768x24 & x11vnc -display :1 &  DISPLAY=:1 $0 game"
            echo "(the game runs in build/release/game, the folder that holds its map)"
            exit 1
        fi
        cd build/release/game && exec ./tiles
        ;;
    test)
        install_packages "${packages[@]}"
        install_packages --with-recommends "${windows_packages[@]}"
        # Linux: headless suites and the real game under Xvfb, with sanitizers.
        cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DEL_SANITIZE=ON -DEL_WERROR=ON > /dev/null
        cmake --build build/test -j "$jobs"
        export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        linux=0
        (cd build/test && ctest --output-on-failure -j "$jobs") || linux=$?
        # The library built by clang: the fuzz targets of the file loaders
        # (libFuzzer, ASan + UBSan), each run for a short while.
        cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              -DEL_FUZZ=ON -DEL_TESTS=OFF -DEL_WERROR=ON > /dev/null
        cmake --build build/fuzz -j "$jobs" --target fuzz_all
        (cd build/fuzz && SDL_AUDIODRIVER=dummy ctest --output-on-failure -j "$jobs" -L fuzz) || linux=$?
        # Windows: cross-built with mingw-w64, its test program and the game under Wine.
        cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
              -DCMAKE_BUILD_TYPE=Release -DEL_WERROR=ON > /dev/null
        cmake --build build/win -j "$jobs"
        windows=0
        # A game outside the tree built against the installed Windows library;
        # the Wine run starts it.
        tests/consumer/run.sh build/win cmake/mingw-w64.cmake || windows=$?
        timeout 900 tests/wine/run.sh build/win || windows=$?
        # The browser build: the headless suite under node, the pages in
        # headless Chromium.
        install_web_packages
        web=0
        timeout 1500 tools/web/test.sh build/web-test || web=$?
        echo "Linux tests: $([ $linux -eq 0 ] && echo passed || echo FAILED); Windows tests: $([ $windows -eq 0 ] && echo passed || echo FAILED); browser tests: $([ $web -eq 0 ] && echo passed || echo FAILED)"
        [ $linux -eq 0 ] && [ $windows -eq 0 ] && [ $web -eq 0 ]
        ;;
    web)
        install_packages "${packages[@]}"
        install_web_packages
        tools/web/build.sh build/web
        port=${2:-8080}
        echo "The pages are served at http://127.0.0.1:$port/ (Ctrl+C ends)"
        cd build/web && exec python3 -m http.server "$port" --bind 127.0.0.1
        ;;
    *)
        echo "usage: $0 game|test|web [PORT]" >&2
        exit 2
        ;;
esac
