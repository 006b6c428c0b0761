# Fails when a library folder includes a system header of a platform (SDL,
# Windows, FreeType, fontconfig, FluidSynth) or a header of one platform
# implementation. Only platform/ may talk to the system below; the library
# reaches it through the interface headers in platform/*.h. Run as
#   cmake -DSOURCE_DIR=<repository> -P check_includes.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(library_folders system draw sound text input game)
set(forbidden
  "<SDL[^>]*>" "\"SDL[^\"]*\""
  "<(windows|winbase|wingdi|winuser|winnls|mmsystem|mmreg|ddraw|dsound|objbase|imm)\\.h>"
  "<ft2build\\.h>" "<freetype/" "<fontconfig/" "<fluidsynth"
  "platform/portable/" "platform/windows/")

set(found "")
foreach(folder ${library_folders})
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  foreach(source ${sources})
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      foreach(pattern ${forbidden})
        if(line MATCHES "${pattern}")
          file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
          string(APPEND found "  ${name}: ${line}\n")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(found)
  message(FATAL_ERROR "Library code includes platform headers (only platform/ may):\n${found}")
endif()
message(STATUS "No library folder includes a platform header")
