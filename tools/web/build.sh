#!/bin/bash
# Builds the browser pages (and, with -DEL_TESTS=ON, the test suite for
# node) with Debian's emscripten:
#   tools/web/build.sh BUILD_DIR [CMAKE_OPTION...]
# zlib, libpng, FreeType and SDL2 are first built for wasm from Debian's
# source packages into BUILD_DIR/deps (once). The pages land in BUILD_DIR:
# index.html, game/tiles.html, examples/NAME.html, fonts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-build/web}")
shift || true
jobs=$(nproc 2> /dev/null || echo 2)
# Debian's emcc runs on node and wants Debian's acorn.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
"$root/tools/web/deps.sh" "$build/deps"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/web/node.sh" -DCMAKE_BUILD_TYPE=Release \
      -DEL_INSTALL=OFF -DEL_TESTS=OFF -DEL_WEB_PREFIX="$build/deps/prefix" "$@" > /dev/null
cmake --build "$build" -j "$jobs"
