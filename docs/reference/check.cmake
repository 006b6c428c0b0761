# Builds the reference with Doxygen and fails on an undocumented public name
# (or any other Doxygen warning) of the installed headers:
#   cmake -DDOXYGEN=<doxygen> -DDOXYFILE=<Doxyfile> -DLOG=<warnings log> -P check.cmake
execute_process(COMMAND ${DOXYGEN} ${DOXYFILE} RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "doxygen failed (${status}):\n${errors}")
endif()
file(READ ${LOG} warnings)
if(NOT warnings STREQUAL "")
  message(FATAL_ERROR "reference: undocumented or badly documented public names:\n${warnings}")
endif()
message(STATUS "reference: every public name of the installed headers is documented")
