# Cross-build for 64-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64). Produces static executables that need no DLL beside
# them: the C and C++ runtimes and winpthread are linked in.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-win -j2
#
# The game lands in build-win/game/tiles.exe beside its pictures and map; the
# Windows test program in build-win/tests/platform/windows/el_win_tests.exe. Both run
# under Wine (tests/wine/run.sh sets up a virtual display and a Wine prefix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(EL_MINGW_PREFIX x86_64-w64-mingw32)

# The "posix" thread model offers std::thread and std::mutex (GCC 12's
# "win32" model does not); prefer it when it is installed.
find_program(EL_MINGW_CXX NAMES ${EL_MINGW_PREFIX}-g++-posix ${EL_MINGW_PREFIX}-g++ REQUIRED)
find_program(EL_MINGW_CC NAMES ${EL_MINGW_PREFIX}-gcc-posix ${EL_MINGW_PREFIX}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${EL_MINGW_CXX})
set(CMAKE_C_COMPILER ${EL_MINGW_CC})
set(CMAKE_RC_COMPILER ${EL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${EL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages may also come from a prefix of the user's (CMAKE_PREFIX_PATH), such as
# this library installed for Windows.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Windows programs through Wine when it is installed.
find_program(EL_WINE NAMES wine wine64)
if(EL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${EL_WINE})
endif()
