# The browser build (emscripten): the portable platform layer on SDL2 and
# FreeType built for wasm from Debian's sources (tools/web/deps.sh puts them
# in EL_WEB_PREFIX), with stand-ins for what wasm lacks: fontconfig (the IPA
# fonts packed with the page), FluidSynth (no MIDI device) and iconv's CP932
# (a table made from glibc's at build time). Every program becomes a page:
# NAME.html, NAME.js, NAME.wasm and NAME.data (its pictures and sounds),
# with the fonts in one fonts.data shared by every page.
set(EL_WEB_PREFIX "${CMAKE_BINARY_DIR}/deps/prefix" CACHE PATH
    "Folder of zlib, libpng, FreeType and SDL2 built for wasm (tools/web/deps.sh)")
foreach(lib SDL2 freetype z)
  if(NOT EXISTS ${EL_WEB_PREFIX}/lib/lib${lib}.a)
    message(FATAL_ERROR "lib${lib}.a is not in ${EL_WEB_PREFIX}/lib: run tools/web/deps.sh first")
  endif()
endforeach()

add_library(el_web_system INTERFACE)
target_include_directories(el_web_system SYSTEM INTERFACE ${EL_WEB_PREFIX}/include
  ${EL_WEB_PREFIX}/include/SDL2 ${EL_WEB_PREFIX}/include/freetype2)
target_link_libraries(el_web_system INTERFACE ${EL_WEB_PREFIX}/lib/libSDL2.a
  ${EL_WEB_PREFIX}/lib/libfreetype.a ${EL_WEB_PREFIX}/lib/libz.a)
# The blocking frame loop runs unchanged under ASYNCIFY (SDL_Delay yields to
# the browser); memory grows for the fonts; static data starts above 0x10000
# so no name pointer is taken for an integer resource id.
target_link_options(el_web_system INTERFACE -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864 -sGLOBAL_BASE=65536 -sEXIT_RUNTIME=1
  -sENVIRONMENT=web,node -sFORCE_FILESYSTEM=1
  # SDL 2.26's audio and events call two of emscripten 3.1.6's JavaScript
  # helpers it does not pull in by itself (a file: CMake would escape '$').
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${PROJECT_SOURCE_DIR}/platform/portable/web/library_funcs.json
  "-sEXPORTED_RUNTIME_METHODS=['FS','ENV']"
  -lnodefs.js --pre-js ${PROJECT_SOURCE_DIR}/platform/portable/web/pre.js)
set(EL_PLATFORM_LIBRARIES el_web_system)
# Binaryen's -O3 over an ASYNCIFY program takes minutes a program on two
# cores; the link's -O2 (after the compile flags, so it wins) is much faster.
target_link_options(el_web_system INTERFACE -O2)
set(EL_PLATFORM_WEB_DIR ${PROJECT_SOURCE_DIR}/platform/portable/web)

include(${PROJECT_SOURCE_DIR}/cmake/cp932_table.cmake)

# The stand-ins' sources, and the portable encoding through iconv replaced
# by the table's.
file(GLOB EL_WEB_SOURCES CONFIGURE_DEPENDS ${EL_PLATFORM_WEB_DIR}/*.cpp)
set(EL_WEB_REPLACED_SOURCES ${PROJECT_SOURCE_DIR}/platform/portable/encoding.cpp)

# el_web_page(target [FONTS gothic|mincho ...] [DATA host@page ...]): makes
# the program a page whose file system holds the given files and fonts (IPA
# Gothic alone unless told: IPA Mincho adds 8 MB to the page's load); the
# program starts in the folder named like the page's own (/game for
# game/tiles.html, see pre.js).
function(el_web_page target)
  cmake_parse_arguments(PAGE "" "" "FONTS;DATA" ${ARGN})
  if(NOT PAGE_FONTS)
    set(PAGE_FONTS gothic)
  endif()
  set(options "")
  foreach(item ${PAGE_DATA})
    list(APPEND options "SHELL:--preload-file ${item}")
  endforeach()
  target_link_options(${target} PRIVATE ${options})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${EL_PLATFORM_WEB_DIR}/pre.js)
  # The page beside NAME.js (emcc's own page minifier fails in Debian's
  # emscripten 3.1.6, so the page is made here from the same shell).
  get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
  set(EL_PAGE_SCRIPT "")
  foreach(font ${PAGE_FONTS})
    string(APPEND EL_PAGE_SCRIPT "<script src=\"../fonts/${font}.js\"></script>\n")
  endforeach()
  string(APPEND EL_PAGE_SCRIPT "<script src=\"${target}.js\"></script>")
  set(EL_PAGE_TITLE ${target})
  configure_file(${EL_PLATFORM_WEB_DIR}/shell.html ${folder}/${target}.html @ONLY)
endfunction()

# The IPA fonts, each packed once for every page that loads it.
find_program(EL_FILE_PACKAGER NAMES file_packager file_packager.py
  PATHS /usr/share/emscripten/tools ${EMSCRIPTEN_ROOT_PATH}/tools)
set(EL_WEB_FONTS "")
foreach(font gothic:ipafont-gothic/ipag.ttf mincho:ipafont-mincho/ipam.ttf)
  string(REPLACE ":" ";" parts ${font})
  list(GET parts 0 name)
  list(GET parts 1 file)
  get_filename_component(base ${file} NAME)
  set(outputs ${CMAKE_BINARY_DIR}/fonts/${name}.data ${CMAKE_BINARY_DIR}/fonts/${name}.js)
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fonts
    COMMAND ${EL_FILE_PACKAGER} ${CMAKE_BINARY_DIR}/fonts/${name}.data
            --preload /usr/share/fonts/opentype/${file}@/fonts/${base}
            --js-output=${CMAKE_BINARY_DIR}/fonts/${name}.js
    COMMENT "Packing ${base} for the pages"
    VERBATIM)
  list(APPEND EL_WEB_FONTS ${outputs})
endforeach()
add_custom_target(el_web_fonts ALL DEPENDS ${EL_WEB_FONTS})
configure_file(${EL_PLATFORM_WEB_DIR}/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)
