# Shift-JIS literals for a game's own sources, the way the library's are made.
#
#   el_shift_jis_sources(<target>)
#
# The library's texts (window titles, printed text, file names, message
# boxes) are Shift-JIS, code page 932. A game whose sources are UTF-8 with
# ordinary Japanese string literals calls this once after the target's
# sources are all added:
#
#   add_executable(mygame WIN32 main.cpp scenes.cpp scenes.h)
#   target_link_libraries(mygame PRIVATE el::el)
#   el_shift_jis_sources(mygame)
#
# Every C++ source of the target (.cpp .cc .cxx) and every header listed
# among its sources (.h .hpp .hh .hxx .inl) is then compiled from a copy in
# <build>/el_shift_jis/<target>/ whose non-ASCII literal text is written as
# code page 932 byte escapes by the converter cp932_literals (tools/ in the
# library's tree, installed beside this file). The copies keep every line in
# place and start with a #line naming the source, so diagnostics, __FILE__
# and __LINE__ name the real file. u8, u, U and L literals, comments and
# #include lines stay as they are, so the game's own printf of an ordinary
# literal prints Shift-JIS bytes, as the library's texts are; print u8"..."
# texts to a UTF-8 terminal. A character that code page 932 lacks stops the
# build at its line. Headers that are not listed are included from the
# source folder unconverted.
#
# Works with any compiler (clang has no -fexec-charset) and for the Linux
# and the Windows (mingw-w64 cross) builds: the converter is compiled with
# the build machine's compiler (the cross build's host compiler is `c++`,
# or EL_HOST_CXX when set).
#
# Given by find_package(el), and by add_subdirectory of the library's tree;
# targets inside the library's tree are converted by cmake/cp932.cmake.

# Sets <tool> to the converter's path and <depends> to the target that
# makes it, adding the rule the first time.
function(el_shift_jis_converter tool depends)
  if(DEFINED EL_CP932_TOOL AND TARGET el_cp932)
    # The library's tree is part of this build: its converter is made already.
    set(${tool} "${EL_CP932_TOOL}" PARENT_SCOPE)
    set(${depends} el_cp932 PARENT_SCOPE)
    return()
  endif()
  set(path "${CMAKE_BINARY_DIR}/el_shift_jis/cp932_literals${CMAKE_HOST_EXECUTABLE_SUFFIX}")
  # The converter's source: beside this file when installed, in tools/ in the tree.
  set(converter "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/cp932_literals.cpp")
  if(NOT EXISTS "${converter}")
    set(converter "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tools/cp932_literals.cpp")
  endif()
  if(NOT TARGET el_shift_jis_converter)
    if(DEFINED EL_HOST_CXX)
      set(cxx "${EL_HOST_CXX}")
    elseif(CMAKE_CROSSCOMPILING)
      set(cxx c++)
    else()
      set(cxx "${CMAKE_CXX_COMPILER}")
    endif()
    add_custom_command(OUTPUT "${path}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/el_shift_jis"
      COMMAND "${cxx}" -std=c++20 -O2 "${converter}" -o "${path}"
      DEPENDS "${converter}"
      COMMENT "Building the Shift-JIS literal converter"
      VERBATIM)
    add_custom_target(el_shift_jis_converter DEPENDS "${path}")
  endif()
  set(${tool} "${path}" PARENT_SCOPE)
  set(${depends} el_shift_jis_converter PARENT_SCOPE)
endfunction()

function(el_shift_jis_sources target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "el_shift_jis_sources: there is no target ${target}")
  endif()
  get_target_property(dir ${target} SOURCE_DIR)
  if(DEFINED EL_SOURCE_ROOT)
    cmake_path(IS_PREFIX EL_SOURCE_ROOT "${dir}" NORMALIZE in_library)
    if(in_library)
      return()  # converted with the library's own targets
    endif()
  endif()
  el_shift_jis_converter(tool depends)
  get_target_property(sources ${target} SOURCES)
  set(out_root "${CMAKE_CURRENT_BINARY_DIR}/el_shift_jis/${target}")
  set(converted "")
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\$<" AND source MATCHES "\\.(cpp|cc|cxx|h|hpp|hh|hxx|inl)$")
      get_filename_component(absolute "${source}" ABSOLUTE BASE_DIR "${dir}")
      get_source_file_property(generated "${absolute}" DIRECTORY "${dir}" GENERATED)
      if(NOT generated)
        file(RELATIVE_PATH relative "${dir}" "${absolute}")
        if(relative MATCHES "^\\.\\./")
          get_filename_component(relative "${absolute}" NAME)
          set(relative "outside/${relative}")
        endif()
        set(copy "${out_root}/${relative}")
        add_custom_command(OUTPUT "${copy}"
          COMMAND "${tool}" "${absolute}" "${copy}"
          DEPENDS "${absolute}" "${tool}"
          COMMENT "Shift-JIS literals of ${relative}"
          VERBATIM)
        set_source_files_properties("${copy}" DIRECTORY "${dir}" PROPERTIES GENERATED ON)
        set(source "${copy}")
      endif()
    endif()
    list(APPEND converted "${source}")
  endforeach()
  set_property(TARGET ${target} PROPERTY SOURCES "${converted}")
  # A copy includes the converted headers beside it first, then the source
  # folder's own files.
  target_include_directories(${target} BEFORE PRIVATE "${out_root}" "${dir}")
  # GCC takes a class to be in the main file only when its #line name is the
  # file compiled; in a copy every source-local class would look like a
  # header's to its check for members of anonymous types.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  add_dependencies(${target} ${depends})
endfunction()
