# Install rules: the headers a game includes, the static library, a CMake
# package and a pkg-config file.
#
#   <prefix>/include/el/...          system/elSystem.h, draw/elDraw.h, ...
#   <prefix>/lib/libel.a             (el.lib's mingw-w64 name: libel.a too)
#   <prefix>/lib/cmake/el/           find_package(el) -> target el::el
#   <prefix>/lib/pkgconfig/el.pc     pkg-config --cflags --libs el
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# What a game includes, with the platform interfaces those headers use.
set(EL_PUBLIC_HEADERS
  system/elSystem.h system/random.h
  draw/elDraw.h draw/primitives.h draw/effects/elEffects.h draw/effects/locked_pixels.h
  sound/elSound.h
  text/elText.h
  input/elInput.h
  platform/entry.h platform/win.h platform/ddraw.h platform/gdi.h platform/dsound.h
  platform/resources.h)
if(NOT WIN32)
  # Running without a display (tests, build machines) is a portable service.
  list(APPEND EL_PUBLIC_HEADERS platform/portable/headless.h platform/portable/headless_display.h)
endif()
foreach(header ${EL_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/el/${folder})
endforeach()

install(TARGETS el EXPORT elTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The pack tool, for making a game's packs from folders of BMP and WAV files.
install(TARGETS elpack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(EL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/el)
install(EXPORT elTargets NAMESPACE el:: DESTINATION ${EL_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/package/elConfig.cmake.in
  ${PROJECT_BINARY_DIR}/elConfig.cmake INSTALL_DESTINATION ${EL_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/elConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
# With the package: the resource embedder, the Shift-JIS literal conversion
# for a game's sources (el_shift_jis_sources) with its converter's source,
# and the cross toolchain a game's Windows build is configured with.
install(FILES ${PROJECT_BINARY_DIR}/elConfig.cmake ${PROJECT_BINARY_DIR}/elConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/resources.cmake
              ${PROJECT_SOURCE_DIR}/cmake/shift_jis.cmake
              ${PROJECT_SOURCE_DIR}/tools/cp932_literals.cpp
              ${PROJECT_SOURCE_DIR}/cmake/mingw-w64.cmake
        DESTINATION ${EL_PACKAGE_DIR})

# pkg-config: the platform libraries are Requires (not .private), since the
# library is static and every program that links it needs them.
if(WIN32)
  set(EL_PC_REQUIRES "")
  list(TRANSFORM EL_SYSTEM_LIBRARIES PREPEND "-l" OUTPUT_VARIABLE EL_PC_SYSTEM_LIBS)
  string(JOIN " " EL_PC_SYSTEM_LIBS ${EL_PC_SYSTEM_LIBS})
  # Linked statically, as the toolchain file links: the program needs no
  # C++ runtime DLL beside it.
  string(PREPEND EL_PC_SYSTEM_LIBS "-static -static-libgcc -static-libstdc++ ")
else()
  set(EL_PC_REQUIRES "sdl2 freetype2 fontconfig fluidsynth")
  set(EL_PC_SYSTEM_LIBS "")
endif()
set(EL_PC_SANITIZE "")
if(EL_SANITIZE)
  set(EL_PC_SANITIZE "-fsanitize=address,undefined")
endif()
file(RELATIVE_PATH EL_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
configure_file(${PROJECT_SOURCE_DIR}/cmake/package/el.pc.in ${PROJECT_BINARY_DIR}/el.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/el.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
