# Resources embedded in an executable, from a resource list.
#
#   el_add_resources(<target> <list file>)
#
# The list names one resource per line, as a .rc script does:
#
#   <name> <type> <path>
#
# - name: a string (compared without letter case at run time), or a number
#   (digits, or "#" and digits) for MAKEINTRESOURCE look-ups;
# - type: BITMAP or RCDATA (the predefined types 2 and 10), or any other word
#   for a named type such as WAVE;
# - path: the file, relative to the list's folder.
# Fields holding blanks are put in double quotes. Empty lines and lines
# starting with // are skipped. Names may be Japanese (the list is UTF-8; the
# names are compiled into the program's Shift-JIS like its other strings).
#
# Portable build: a C++ source holding the bytes and a table is generated at
# build time and compiled into the target; it hands the table to the
# platform layer's module-resource table (platform/resources.h) before main.
# BITMAP resources are stored without their 14-byte file header, as the
# resource compiler stores them. The target should be an executable (a
# static library would let the linker drop the table).
#
# Windows build: the list becomes a .rc script compiled into the target, so
# FindResource and LoadImage find the resources natively.
#
# This file is also the generator: cmake -DEL_RES_LIST=... -DEL_RES_OUT=...
# -P resources.cmake.

# Reads the list into EL_RES_NAMES, EL_RES_TYPES, EL_RES_PATHS (absolute
# paths) in the caller's scope; stops with an error naming a bad line.
function(el_read_resource_list listfile)
  get_filename_component(base "${listfile}" DIRECTORY)
  file(STRINGS "${listfile}" lines ENCODING UTF-8)
  set(field "(\"([^\"]*)\"|([^ \t\"]+))")
  set(names "")
  set(types "")
  set(paths "")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*$" OR line MATCHES "^[ \t]*//")
      continue()
    endif()
    if(NOT line MATCHES "^[ \t]*${field}[ \t]+${field}[ \t]+${field}[ \t]*$")
      message(FATAL_ERROR "${listfile}:${number}: expected <name> <type> <path>: ${line}")
    endif()
    set(name "${CMAKE_MATCH_2}${CMAKE_MATCH_3}")
    set(type "${CMAKE_MATCH_5}${CMAKE_MATCH_6}")
    set(path "${CMAKE_MATCH_8}${CMAKE_MATCH_9}")
    if(NOT IS_ABSOLUTE "${path}")
      set(path "${base}/${path}")
    endif()
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "${listfile}:${number}: no file ${path}")
    endif()
    # Numbers are kept as "#<decimal>", the form Win32 accepts for them.
    if(name MATCHES "^#?0*([0-9]+)$")
      set(name "#${CMAKE_MATCH_1}")
    endif()
    string(TOUPPER "${type}" upper)
    if(upper STREQUAL "BITMAP")
      set(type "#2")
    elseif(upper STREQUAL "RCDATA")
      set(type "#10")
    elseif(type MATCHES "^#?0*([0-9]+)$")
      set(type "#${CMAKE_MATCH_1}")
    endif()
    list(APPEND names "${name}")
    list(APPEND types "${type}")
    list(APPEND paths "${path}")
  endforeach()
  set(EL_RES_NAMES "${names}" PARENT_SCOPE)
  set(EL_RES_TYPES "${types}" PARENT_SCOPE)
  set(EL_RES_PATHS "${paths}" PARENT_SCOPE)
endfunction()

# A C++ string literal of the text.
function(el_cxx_string out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED EL_RES_LIST)
  # ---- Generator: the C++ source of the list's resources. ----
  el_read_resource_list("${EL_RES_LIST}")
  set(code "// Generated from ${EL_RES_LIST} by cmake/resources.cmake; do not edit.\n")
  string(APPEND code "#include \"platform/resources.h\"\n\nnamespace {\n\n")
  set(table "")
  set(index 0)
  foreach(name type path IN ZIP_LISTS EL_RES_NAMES EL_RES_TYPES EL_RES_PATHS)
    file(SIZE "${path}" size)
    set(offset 0)
    # Bitmap resources lose the file header, as rc.exe stores them.
    if(type STREQUAL "#2")
      file(READ "${path}" magic LIMIT 2)
      if(magic STREQUAL "BM" AND size GREATER_EQUAL 14)
        set(offset 14)
      endif()
    endif()
    math(EXPR length "${size} - ${offset}")
    if(length GREATER 0)
      file(READ "${path}" hex OFFSET ${offset} HEX)
      # Sixteen bytes a line (CMake's expressions have no {n} repeats).
      string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
      string(REPEAT "0x..," 16 line)
      string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
    else()
      set(bytes "0")
    endif()
    string(APPEND code "// ${path}\nalignas(8) const unsigned char data${index}[] = {\n    ${bytes}\n};\n\n")
    el_cxx_string(name_literal "${name}")
    el_cxx_string(type_literal "${type}")
    string(APPEND table "    {${type_literal}, ${name_literal}, data${index}, ${length}u},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  if(index EQUAL 0)
    string(APPEND code "const plat::EmbeddedResource* const resources = nullptr;\n")
  else()
    string(APPEND code "const plat::EmbeddedResource resources[] = {\n${table}};\n")
  endif()
  string(APPEND code "\n// Runs before main: the executable's resources join the module's table.\n")
  string(APPEND code "const bool registered = (plat::AddEmbeddedResources(resources, ${index}), true);\n")
  string(APPEND code "\n}  // namespace\n")
  # Written only when it changed, so that an unchanged list compiles nothing.
  file(WRITE "${EL_RES_OUT}.tmp" "${code}")
  file(COPY_FILE "${EL_RES_OUT}.tmp" "${EL_RES_OUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${EL_RES_OUT}.tmp")
  return()
endif()

if(WIN32)
  include(CheckLanguage)
  check_language(RC)
  if(CMAKE_RC_COMPILER)
    enable_language(RC)
  endif()
endif()

set(EL_RESOURCES_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(el_add_resources target listfile)
  get_filename_component(listfile "${listfile}" ABSOLUTE)
  # A changed list re-runs the configuration (new files, new dependencies).
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${listfile}")
  el_read_resource_list("${listfile}")
  get_filename_component(stem "${listfile}" NAME_WE)
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources")
  file(MAKE_DIRECTORY "${out_dir}")
  if(WIN32)
    # A resource script for the resource compiler.
    # The list is UTF-8; every resource is language-neutral, and the
    # LANGUAGE line also keeps a quoted name from running into the path
    # before it (adjacent strings join in resource scripts).
    set(script "// Generated from ${listfile} by cmake/resources.cmake; do not edit.\n")
    string(APPEND script "#pragma code_page(65001)\n")
    foreach(name type path IN ZIP_LISTS EL_RES_NAMES EL_RES_TYPES EL_RES_PATHS)
      if(name MATCHES "^#([0-9]+)$")
        set(name "${CMAKE_MATCH_1}")
      else()
        set(name "\"${name}\"")
      endif()
      if(type STREQUAL "#2")
        set(type BITMAP)
      elseif(type STREQUAL "#10")
        set(type RCDATA)
      elseif(type MATCHES "^#([0-9]+)$")
        set(type "${CMAKE_MATCH_1}")
      endif()
      string(REPLACE "\\" "/" path "${path}")
      string(APPEND script "LANGUAGE 0, 0\n${name} ${type} \"${path}\"\n")
    endforeach()
    set(rc "${out_dir}/${stem}.rc")
    file(CONFIGURE OUTPUT "${rc}" CONTENT "${script}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${EL_RES_PATHS}")
    return()
  endif()
  set(cpp "${out_dir}/${stem}.cpp")
  if(DEFINED EL_CP932_TOOL)
    # Names are string literals: turned into Shift-JIS like the library's
    # (cmake/cp932.cmake).
    set(utf8 "${out_dir}/${stem}.utf8.cpp")
    add_custom_command(OUTPUT "${cpp}"
      COMMAND ${CMAKE_COMMAND} -DEL_RES_LIST=${listfile} -DEL_RES_OUT=${utf8} -P ${EL_RESOURCES_SCRIPT}
      COMMAND ${EL_CP932_TOOL} ${utf8} ${cpp}
      DEPENDS "${listfile}" ${EL_RES_PATHS} "${EL_RESOURCES_SCRIPT}" ${EL_CP932_TOOL}
      COMMENT "Embedding the resources of ${listfile}"
      VERBATIM)
    add_dependencies(${target} el_cp932)
  else()
    # An installed library has no converter: GCC turns the names into
    # Shift-JIS with its flag; other compilers keep them UTF-8.
    add_custom_command(OUTPUT "${cpp}"
      COMMAND ${CMAKE_COMMAND} -DEL_RES_LIST=${listfile} -DEL_RES_OUT=${cpp} -P ${EL_RESOURCES_SCRIPT}
      DEPENDS "${listfile}" ${EL_RES_PATHS} "${EL_RESOURCES_SCRIPT}"
      COMMENT "Embedding the resources of ${listfile}"
      VERBATIM)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      set_source_files_properties("${cpp}" PROPERTIES COMPILE_OPTIONS "-fexec-charset=CP932")
    endif()
  endif()
  target_sources(${target} PRIVATE "${cpp}")
  # The table includes platform/resources.h, found through the target's
  # link to the library.
  target_link_libraries(${target} PRIVATE el::el)
endfunction()
