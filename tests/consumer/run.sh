#!/bin/bash
# Installs the library from a build folder into a fresh prefix, then builds
# the game of this folder against it as an outside project would:
#   - with CMake, find_package(el) and the target el::el;
#   - with pkg-config (Linux builds);
#   - and configures a game that adds the library's tree as a subdirectory.
# Every installed header must compile alone. On Linux the programs then run
# headless for 10 frames; the Windows build's program is run by
# tests/wine/run.sh.
#
# Usage: tests/consumer/run.sh <library build folder> [<toolchain file>]
# The work is done in <library build folder>/consumer.
set -euo pipefail
build=$(realpath "${1:?usage: $0 <library build folder> [toolchain file]}")
toolchain=${2:-}
here=$(dirname "$(realpath "$0")")
source_dir=$(realpath "$here/../..")
work=$build/consumer
rm -rf "$work"
mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" > "$work/install.log" || fail "cmake --install"
[ -f "$work/prefix/lib/cmake/el/elConfig.cmake" ] || fail "no package file installed"
[ -f "$work/prefix/include/el/draw/elDraw.h" ] || fail "no headers installed"

# Every installed header compiles alone against the install, with the
# compiler the library was built with: none may need a header that was not
# installed, nor one included before it.
cxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake | head -n 1)
headers=0
while IFS= read -r header; do
    relative=${header#"$work/prefix/include/el/"}
    echo "#include \"$relative\"" | "${cxx:-c++}" -std=c++20 -fsyntax-only -I"$work/prefix/include/el" \
        -x c++ - 2> "$work/header.log" || { cat "$work/header.log"; fail "$relative does not compile alone"; }
    headers=$((headers + 1))
done < <(find "$work/prefix/include/el" -name '*.h' | sort)
[ "$headers" -gt 0 ] || fail "no headers found in the install"
echo "ok: each of the $headers installed headers compiles alone"

args=(-DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release)
[ -n "$toolchain" ] && args+=(-DCMAKE_TOOLCHAIN_FILE="$(realpath "$toolchain")")
cmake -S "$here" -B "$work/build" "${args[@]}" > "$work/configure.log" || {
    cat "$work/configure.log"; fail "configuring the consumer"; }
cmake --build "$work/build" > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "building the consumer"; }
echo "ok: a game outside the tree built with find_package(el)"

# A game whose tree holds the library as a subdirectory: only the library's
# targets are made there, and el::el is the same target.
mkdir -p "$work/subdir"
cat > "$work/subdir/CMakeLists.txt" << CMAKE
cmake_minimum_required(VERSION 3.20)
project(subdir_game LANGUAGES CXX)
add_subdirectory("$source_dir" el)
add_executable(consumer "$here/main.cpp")
target_link_libraries(consumer PRIVATE el::el)
if(TARGET tiles OR TARGET el_tests)
  message(FATAL_ERROR "the library's game or tests were made in a game's tree")
endif()
CMAKE
sub_args=()
[ -n "$toolchain" ] && sub_args+=(-DCMAKE_TOOLCHAIN_FILE="$(realpath "$toolchain")")
cmake -S "$work/subdir" -B "$work/subdir/build" "${sub_args[@]}" > "$work/subdir.log" 2>&1 || {
    cat "$work/subdir.log"; fail "configuring a game with the library as a subdirectory"; }
echo "ok: a game's tree configures with the library as a subdirectory"

[ -n "$toolchain" ] && exit 0

# pkg-config, with the compiler the library was built with.
export PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig
# shellcheck disable=SC2046
"${cxx:-c++}" -O1 -o "$work/consumer_pc" "$here/main.cpp" $(pkg-config --cflags --libs el) ||
    fail "building the consumer with pkg-config"
echo "ok: the same game built with pkg-config --cflags --libs el"

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
for program in "$work/build/consumer" "$work/consumer_pc"; do
    rm -f "$work/build/consumer.txt" "$work/consumer.txt"
    (cd "$(dirname "$program")" && EL_HEADLESS=1 SDL_AUDIODRIVER=dummy "$program" 10) ||
        fail "$program exited with an error"
    grep -qx "frames=10" "$(dirname "$program")/consumer.txt" || fail "$program did not run 10 frames"
done
echo "ok: both run headless for 10 frames"
