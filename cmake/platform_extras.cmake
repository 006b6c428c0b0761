# Libraries of the portable platform beyond SDL2: fonts and MIDI synthesis.
if(NOT WIN32)
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
  target_link_libraries(el PUBLIC PkgConfig::FREETYPE PkgConfig::FONTCONFIG PkgConfig::FLUIDSYNTH)
endif()
