# Shift-JIS texts from UTF-8 sources, the same way for every compiler.
#
# The library's texts are Shift-JIS (code page 932) while its sources are
# UTF-8 with ordinary Japanese string literals. Rather than a compiler flag
# (GCC's -fexec-charset, which clang does not have), every C++ source and
# header of the project is compiled from a copy in <build>/cp932 whose
# non-ASCII literal text is written as code page 932 byte escapes by our tool
# tools/cp932_literals.cpp. The copies keep every line in place and start
# with a #line naming the real file, so diagnostics, __FILE__ and __LINE__
# point at the source.
#
# Nothing needs registering: at the end of the configuration every target
# whose sources lie in this tree is switched to the copies, and every
# header below the tree's folders is copied, with the include folders of
# the tree preceded by their copies. New sources and headers in the globbed
# folders, new folders and new targets are picked up by themselves.
#
# Targets that must compile the sources as they are (none today) set the
# target property EL_KEEP_UTF8 to ON.

# The library's own tree (also when a game adds it as a subdirectory).
set(EL_SOURCE_ROOT ${CMAKE_CURRENT_SOURCE_DIR})
set(EL_BINARY_ROOT ${CMAKE_CURRENT_BINARY_DIR})
set(EL_CP932_DIR ${EL_BINARY_ROOT}/cp932)

# The tool runs on the build machine, so a cross build compiles it with the
# host's compiler; it is a plain command rather than a target so that the
# project's sanitizer and warning flags stay out of it. Its one rule belongs
# to the target el_cp932 (made at the end), which every converted target and
# every generated source that uses the tool depends on.
if(CMAKE_CROSSCOMPILING)
  set(EL_HOST_CXX c++)
else()
  set(EL_HOST_CXX ${CMAKE_CXX_COMPILER})
endif()
# Cached so that el_add_resources finds it from any folder of a game's tree.
set(EL_CP932_TOOL ${EL_BINARY_ROOT}/host/cp932_literals${CMAKE_HOST_EXECUTABLE_SUFFIX}
    CACHE INTERNAL "The Shift-JIS literal converter")
add_custom_command(OUTPUT ${EL_CP932_TOOL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${EL_BINARY_ROOT}/host
  COMMAND ${EL_HOST_CXX} -std=c++20 -O2 ${EL_SOURCE_ROOT}/tools/cp932_literals.cpp -o ${EL_CP932_TOOL}
  DEPENDS ${EL_SOURCE_ROOT}/tools/cp932_literals.cpp
  COMMENT "Building the Shift-JIS literal converter"
  VERBATIM)

# <out>: the copy of a file of the tree; adds the command that makes it
# once, and lists the copy in EL_CP932_OUTPUTS (a global property).
function(el_cp932_copy source out)
  file(RELATIVE_PATH relative ${EL_SOURCE_ROOT} ${source})
  set(copy ${EL_CP932_DIR}/${relative})
  get_property(done GLOBAL PROPERTY EL_CP932_OUTPUTS)
  if(NOT copy IN_LIST done)
    add_custom_command(OUTPUT ${copy}
      COMMAND ${EL_CP932_TOOL} ${source} ${copy}
      DEPENDS ${source} ${EL_CP932_TOOL}
      COMMENT "Shift-JIS literals of ${relative}"
      VERBATIM)
    set_property(GLOBAL APPEND PROPERTY EL_CP932_OUTPUTS ${copy})
  endif()
  set(${out} ${copy} PARENT_SCOPE)
endfunction()

# True in <out> when <path> lies in the source tree but not in a build folder.
function(el_cp932_in_tree path out)
  set(result OFF)
  cmake_path(IS_PREFIX EL_SOURCE_ROOT "${path}" NORMALIZE in_source)
  cmake_path(IS_PREFIX EL_BINARY_ROOT "${path}" NORMALIZE in_binary)
  if(in_source AND NOT in_binary AND NOT path MATCHES "^${EL_SOURCE_ROOT}/build/")
    set(result ON)
  endif()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The include folders with each folder of the tree preceded by its copy.
function(el_cp932_include_dirs dirs out)
  set(result "")
  foreach(dir IN LISTS dirs)
    # A plain folder, or one given as $<BUILD_INTERFACE:folder>.
    set(path "")
    set(wrap "")
    if(dir MATCHES "^\\$<BUILD_INTERFACE:([^$<>]+)>$")
      set(path "${CMAKE_MATCH_1}")
      set(wrap BUILD_INTERFACE)
    elseif(NOT dir MATCHES "\\$<")
      set(path "${dir}")
    endif()
    if(path AND IS_ABSOLUTE "${path}")
      el_cp932_in_tree("${path}/" in_tree)
      if(in_tree)
        file(RELATIVE_PATH relative ${EL_SOURCE_ROOT} ${path})
        set(copy ${EL_CP932_DIR}/${relative})
        if(wrap)
          set(copy "$<${wrap}:${copy}>")
        endif()
        list(APPEND result "${copy}")
      endif()
    endif()
    list(APPEND result "${dir}")
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

function(el_cp932_targets_of dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    el_cp932_targets_of(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} "${targets}" PARENT_SCOPE)
endfunction()

function(el_cp932_convert_target target)
  get_target_property(type ${target} TYPE)
  if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
    return()
  endif()
  get_target_property(keep ${target} EL_KEEP_UTF8)
  get_target_property(target_dir ${target} SOURCE_DIR)
  el_cp932_in_tree("${target_dir}/" in_tree)
  if(keep OR NOT in_tree)
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  set(converted "")
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\$<" AND source MATCHES "\\.(cpp|cc|cxx)$")
      get_filename_component(absolute ${source} ABSOLUTE BASE_DIR ${target_dir})
      el_cp932_in_tree("${absolute}" in_tree)
      if(in_tree)
        el_cp932_copy(${absolute} copy)
        # Options given to the source itself go with it.
        foreach(property COMPILE_OPTIONS COMPILE_DEFINITIONS)
          get_source_file_property(value ${absolute} DIRECTORY ${target_dir} ${property})
          if(value)
            set_source_files_properties(${copy} DIRECTORY ${target_dir} PROPERTIES ${property} "${value}")
          endif()
        endforeach()
        set_source_files_properties(${copy} DIRECTORY ${target_dir} PROPERTIES GENERATED ON)
        set(source ${copy})
      endif()
    endif()
    list(APPEND converted ${source})
  endforeach()
  set_property(TARGET ${target} PROPERTY SOURCES "${converted}")
  foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES)
    get_target_property(dirs ${target} ${property})
    if(dirs)
      el_cp932_include_dirs("${dirs}" dirs)
      set_property(TARGET ${target} PROPERTY ${property} "${dirs}")
    endif()
  endforeach()
  # GCC takes a class to be in the main file only when its #line name is the
  # name of the file compiled, so in a copy every class looks like a
  # header's and the check for header classes with members of anonymous
  # types (on by default) would fire on every source-local class.
  set_property(TARGET ${target} APPEND PROPERTY COMPILE_OPTIONS
    $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  add_dependencies(${target} el_cp932)
endfunction()

# Runs once the whole project is configured (deferred to the end of the
# library's top CMakeLists.txt).
function(el_cp932_apply)
  # Every header below the tree's folders (build folders and hidden ones
  # aside), so that a copied source finds copied headers beside it.
  file(GLOB children LIST_DIRECTORIES ON RELATIVE ${EL_SOURCE_ROOT} ${EL_SOURCE_ROOT}/*)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${EL_SOURCE_ROOT}/${child} AND NOT child MATCHES "^(\\.|build)")
      el_cp932_in_tree("${EL_SOURCE_ROOT}/${child}/" in_tree)
      if(in_tree)
        file(GLOB_RECURSE headers CONFIGURE_DEPENDS
          ${EL_SOURCE_ROOT}/${child}/*.h ${EL_SOURCE_ROOT}/${child}/*.hpp
          ${EL_SOURCE_ROOT}/${child}/*.inc ${EL_SOURCE_ROOT}/${child}/*.inl)
        foreach(header IN LISTS headers)
          el_cp932_copy(${header} copy)
        endforeach()
      endif()
    endif()
  endforeach()
  el_cp932_targets_of(${EL_SOURCE_ROOT} targets)
  foreach(target IN LISTS targets)
    el_cp932_convert_target(${target})
  endforeach()
  get_property(outputs GLOBAL PROPERTY EL_CP932_OUTPUTS)
  add_custom_target(el_cp932 DEPENDS ${outputs})
endfunction()
cmake_language(DEFER CALL el_cp932_apply)
