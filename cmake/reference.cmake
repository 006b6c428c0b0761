# The reference of the installed headers, made by Doxygen from their comments
# (docs/reference/): target `reference` writes <build>/reference/html, and the
# test `reference` fails on a public name without documentation.
find_program(EL_DOXYGEN doxygen)
if(NOT EL_DOXYGEN)
  message(STATUS "doxygen not found: no reference and no reference test")
  return()
endif()
set(EL_REFERENCE_OUT ${PROJECT_BINARY_DIR}/reference)
# The headers a game includes on Linux: the set the package installs.
if(DEFINED EL_PUBLIC_HEADERS)
  set(EL_REFERENCE_HEADERS ${EL_PUBLIC_HEADERS})
else()
  set(EL_REFERENCE_HEADERS
    system/elSystem.h draw/elDraw.h draw/primitives.h draw/effects/elEffects.h sound/elSound.h
    text/elText.h input/elInput.h platform/entry.h platform/win.h platform/ddraw.h platform/gdi.h
    platform/dsound.h platform/resources.h platform/portable/headless.h
    platform/portable/headless_display.h)
endif()
list(TRANSFORM EL_REFERENCE_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE inputs)
string(JOIN " " EL_REFERENCE_INPUT ${inputs})
configure_file(${PROJECT_SOURCE_DIR}/docs/reference/Doxyfile.in ${EL_REFERENCE_OUT}/Doxyfile @ONLY)
set(EL_REFERENCE_COMMAND ${CMAKE_COMMAND} -DDOXYGEN=${EL_DOXYGEN} -DDOXYFILE=${EL_REFERENCE_OUT}/Doxyfile
    -DLOG=${EL_REFERENCE_OUT}/warnings.log
    -P ${PROJECT_SOURCE_DIR}/docs/reference/check.cmake)
add_custom_target(reference COMMAND ${EL_REFERENCE_COMMAND} WORKING_DIRECTORY ${EL_REFERENCE_OUT}
                  COMMENT "Building the reference (Doxygen)" VERBATIM)
if(EL_TESTS)
  add_test(NAME reference COMMAND ${EL_REFERENCE_COMMAND} WORKING_DIRECTORY ${EL_REFERENCE_OUT})
endif()
