#!/bin/bash
# Installs the library from a build folder into a fresh prefix, then builds
# the game of this folder against it the way the README tells a user:
#   - with CMake, find_package(el), the target el::el, a WIN32 executable and
#     el_shift_jis_sources; the Windows build with the toolchain file
#     installed in the package;
#   - with pkg-config and PKG_CONFIG_PATH, the compiler's charset flags
#     (and for Windows the cross compiler, -mwindows and the static link the
#     package's Libs carry);
#   - and configures a game that adds the library's tree as a subdirectory.
# Every installed header must compile alone. On Linux the programs then run
# headless for 10 frames and their Japanese literal must have come out as
# Shift-JIS; the Windows build's program is run by tests/wine/run.sh.
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
if [ -n "$toolchain" ]; then
    # The toolchain file as the package installs it.
    installed_toolchain=$work/prefix/lib/cmake/el/$(basename "$toolchain")
    [ -f "$installed_toolchain" ] || fail "no toolchain file installed with the package"
    args+=(-DCMAKE_TOOLCHAIN_FILE="$installed_toolchain")
fi
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
add_executable(consumer WIN32 "$here/main.cpp")
target_link_libraries(consumer PRIVATE el::el)
el_shift_jis_sources(consumer)
if(TARGET tiles OR TARGET el_tests)
  message(FATAL_ERROR "the library's game or tests were made in a game's tree")
endif()
CMAKE
sub_args=()
[ -n "$toolchain" ] && sub_args+=(-DCMAKE_TOOLCHAIN_FILE="$(realpath "$toolchain")")
cmake -S "$work/subdir" -B "$work/subdir/build" "${sub_args[@]}" > "$work/subdir.log" 2>&1 || {
    cat "$work/subdir.log"; fail "configuring a game with the library as a subdirectory"; }
echo "ok: a game's tree configures with the library as a subdirectory"

# pkg-config, with the compiler the library was built with and the flags the
# README gives for Japanese literals.
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
# The cross toolchain names its compiler in a cache entry of its own.
[ -n "$toolchain" ] && cxx=$(sed -n 's/^EL_MINGW_CXX:[A-Z]*=//p' "$build/CMakeCache.txt")
export PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig
charset=(-finput-charset=UTF-8 -fexec-charset=CP932)
if [ -n "$toolchain" ]; then
    # shellcheck disable=SC2046
    "$cxx" -O1 "${charset[@]}" -mwindows -o "$work/consumer_pc.exe" "$here/main.cpp" $(pkg-config --cflags --libs el) ||
        fail "building the Windows consumer with pkg-config"
    # Static: no C++ runtime DLL is imported.
    if x86_64-w64-mingw32-objdump -p "$work/consumer_pc.exe" | grep -qi 'DLL Name: lib\(stdc++\|gcc_s\|winpthread\)'; then
        fail "the pkg-config build of the Windows consumer needs runtime DLLs"
    fi
    echo "ok: the same game built for Windows with pkg-config --cflags --libs el"
    exit 0
fi
# shellcheck disable=SC2046
"${cxx:-c++}" -O1 "${charset[@]}" -o "$work/consumer_pc" "$here/main.cpp" $(pkg-config --cflags --libs el) ||
    fail "building the consumer with pkg-config"
echo "ok: the same game built with pkg-config --cflags --libs el"

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
for program in "$work/build/consumer" "$work/consumer_pc"; do
    rm -f "$work/build/consumer.txt" "$work/consumer.txt"
    (cd "$(dirname "$program")" && EL_HEADLESS=1 SDL_AUDIODRIVER=dummy "$program" 10) ||
        fail "$program exited with an error"
    grep -qx "frames=10" "$(dirname "$program")/consumer.txt" || fail "$program did not run 10 frames"
    grep -qx "text=82a0" "$(dirname "$program")/consumer.txt" || fail "$program's Japanese literal is not Shift-JIS"
done
echo "ok: both run headless for 10 frames with Shift-JIS literals"
