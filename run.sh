#!/bin/bash
# Sets up a Debian 12 machine (as root), builds, and then either starts the
# game ("./run.sh game") or runs every test ("./run.sh test").
set -euo pipefail
cd "$(dirname "$0")"
what=${1:-game}

packages=(build-essential cmake pkg-config libsdl2-dev libfreetype-dev libfontconfig-dev
          libfluidsynth-dev timgm6mb-soundfont fonts-ipafont-gothic fonts-ipafont-mincho
          libgtest-dev libgmock-dev libbenchmark-dev libpng-dev xvfb xdotool imagemagick x11-utils x11-apps)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q "ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

jobs=$(nproc 2> /dev/null || echo 2)
case "$what" in
    game)
        install_packages
        cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DEL_TESTS=OFF > /dev/null
        cmake --build build/release -j "$jobs"
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "There is no display to show the game on (DISPLAY is not set)."
            echo "Watch it on a virtual display instead, for example:"
            echo "  xvfb-run -s '-screen 0 1024x768x24' build/release/game/tiles"
            echo "or with a VNC viewer: Xvfb :1 -screen 0 1024x768x24 & DISPLAY=:1 build/release/game/tiles"
            exit 1
        fi
        cd build/release/game && exec ./tiles
        ;;
    test)
        install_packages
        cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DEL_SANITIZE=ON -DEL_WERROR=ON > /dev/null
        cmake --build build/test -j "$jobs"
        export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        cd build/test && ctest --output-on-failure -j "$jobs"
        ;;
    *)
        echo "usage: $0 game|test" >&2
        exit 2
        ;;
esac
