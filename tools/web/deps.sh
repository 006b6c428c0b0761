#!/bin/bash
# Builds zlib, libpng, FreeType and SDL2 for wasm from Debian's source
# packages into DIR/prefix (static libraries, headers, pkg-config files). The
# sources come through apt-get source with a private source list, so the
# machine's own apt set-up is left alone; nothing is downloaded from elsewhere.
# A library already built (its stamp in DIR) is not built again.
#   tools/web/deps.sh DIR
set -euo pipefail
dir=$(realpath -m "${1:?usage: deps.sh DIR}")
prefix=$dir/prefix
jobs=$(nproc 2> /dev/null || echo 2)
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
mkdir -p "$dir/src" "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial" "$prefix/lib" "$prefix/include"

# Debian's source packages of the libraries.
sources=(zlib libpng1.6 freetype libsdl2)
fetch_sources() {
    local list=$dir/apt/sources.list
    echo "deb-src http://deb.debian.org/debian bookworm main" > "$list"
    local apt_options=(-o Dir::Etc::SourceList="$list" -o Dir::Etc::SourceParts=/dev/null
                       -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt/cache"
                       -o APT::Sandbox::User=root)
    apt-get "${apt_options[@]}" update -qq
    (cd "$dir/src" && apt-get "${apt_options[@]}" source --download-only -qq "${sources[@]}")
}
unpack() {  # unpack PATTERN FOLDER: the upstream tarball matching PATTERN
    local tarball
    tarball=$(ls "$dir"/src/$1 | grep -v -e debian -e '\.asc$' | head -n1)
    rm -rf "$dir/$2" && mkdir -p "$dir/$2"
    tar -xf "$tarball" -C "$dir/$2" --strip-components=1
}
built() { [ -f "$dir/built-$1" ]; }
for s in "${sources[@]}"; do
    [ -n "$(ls "$dir"/src/${s}_*.dsc 2> /dev/null)" ] || { fetch_sources; break; }
done

# zlib: its CMake set-up does not take Debian's repacked tarball; its few C
# files are compiled directly.
built zlib || {
    unpack 'zlib_*.orig.tar.*' zlib
    (cd "$dir/zlib"
     for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
              inftrees trees uncompr zutil; do
         emcc -O2 -DHAVE_UNISTD_H -c $f.c -o $f.o
     done
     emar rcs "$prefix/lib/libz.a" ./*.o
     cp zlib.h zconf.h "$prefix/include/")
    touch "$dir/built-zlib"
}

# libpng (for the tests' golden frames only), its C files with the default
# configuration.
built libpng || {
    unpack 'libpng1.6_*.orig.tar.*' libpng
    (cd "$dir/libpng"
     cp scripts/pnglibconf.h.prebuilt pnglibconf.h
     for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset \
              pngtrans pngwio pngwrite pngwtran pngwutil; do
         emcc -O2 -I"$prefix/include" -DPNG_ARM_NEON_OPT=0 -c $f.c -o $f.o
     done
     emar rcs "$prefix/lib/libpng.a" ./*.o
     cp png.h pngconf.h pnglibconf.h "$prefix/include/")
    touch "$dir/built-libpng"
}

# FreeType with that zlib (not its own copy, whose crc32 would clash) and no
# other optional library.
built freetype || {
    unpack 'freetype_*.orig.tar.*' freetype
    emcmake cmake -S "$dir/freetype" -B "$dir/freetype/build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
        -DFT_DISABLE_BROTLI=ON -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" > /dev/null
    cmake --build "$dir/freetype/build" -j "$jobs" > /dev/null
    cmake --install "$dir/freetype/build" > /dev/null
    touch "$dir/built-freetype"
}

# SDL2 with its emscripten back end, compiled directly with SDL's own
# emscripten configuration (its CMake set-up spends minutes on checks, one
# emcc run each): video, events, audio, timers and joysticks; no threads,
# no OpenGL (the pages draw through the software renderer).
built sdl2 || {
    unpack 'libsdl2_*.orig.tar.*' sdl2
    (cd "$dir/sdl2"
     {
         echo '#include "SDL_config_emscripten.h"'
         for d in SDL_VIDEO_RENDER_OGL_ES2 SDL_VIDEO_OPENGL_ES2 SDL_VIDEO_OPENGL_EGL SDL_AUDIO_DRIVER_DISK \
                  SDL_LOADSO_DLOPEN SDL_POWER_EMSCRIPTEN SDL_FILESYSTEM_EMSCRIPTEN; do
             echo "#undef $d"
         done
         echo '#define SDL_LOADSO_DISABLED 1'
         echo '#define SDL_POWER_DISABLED 1'
         echo '#define SDL_FILESYSTEM_DISABLED 1'
     } > include/SDL_config.h
     rm -f include/SDL_revision.h
     echo '#define SDL_REVISION "Debian libsdl2 source package"' > include/SDL_revision.h
     echo '#define SDL_REVISION_NUMBER 0' >> include/SDL_revision.h
     mkdir -p obj
     ls src/*.c src/atomic/*.c src/audio/*.c src/audio/dummy/*.c src/audio/emscripten/*.c \
        src/cpuinfo/*.c src/dynapi/*.c src/events/*.c src/file/*.c src/filesystem/dummy/*.c \
        src/haptic/*.c src/haptic/dummy/*.c src/hidapi/SDL_hidapi.c src/joystick/*.c \
        src/joystick/emscripten/*.c src/joystick/virtual/*.c src/libm/*.c src/loadso/dummy/*.c \
        src/locale/*.c src/locale/emscripten/*.c src/misc/*.c src/misc/emscripten/*.c src/power/*.c \
        src/render/*.c src/render/software/*.c src/sensor/*.c src/sensor/dummy/*.c src/stdlib/*.c \
        src/thread/*.c src/thread/generic/*.c src/timer/*.c src/timer/unix/*.c src/video/*.c \
        src/video/emscripten/*.c src/video/yuv2rgb/*.c src/video/dummy/*.c > sources.txt
     xargs -P "$jobs" -I{} sh -c 'emcc -O2 -DNDEBUG -DUSING_GENERATED_CONFIG_H -Iinclude -Isrc -c "$1" -o "obj/$(echo "$1" | tr / _).o"' _ {} < sources.txt
     emar rcs "$prefix/lib/libSDL2.a" obj/*.o
     mkdir -p "$prefix/include/SDL2"
     cp include/*.h "$prefix/include/SDL2/")
    touch "$dir/built-sdl2"
}
