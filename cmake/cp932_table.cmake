# The code page 932 table of the browser build (whose iconv has no CP932),
# made on the build machine from its glibc iconv by tools/cp932_table.cpp
# into ${CMAKE_BINARY_DIR}/generated/cp932_table.inc; target el_cp932_table.
if(TARGET el_cp932_table)
  return()
endif()
if(CMAKE_CROSSCOMPILING)
  set(EL_CP932_TABLE_CXX c++)
else()
  set(EL_CP932_TABLE_CXX ${CMAKE_CXX_COMPILER})
endif()
set(EL_CP932_TABLE_TOOL ${CMAKE_BINARY_DIR}/host/cp932_table)
set(EL_CP932_TABLE ${CMAKE_BINARY_DIR}/generated/cp932_table.inc)
add_custom_command(OUTPUT ${EL_CP932_TABLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host ${CMAKE_BINARY_DIR}/generated
  COMMAND ${EL_CP932_TABLE_CXX} -std=c++20 -O2 ${PROJECT_SOURCE_DIR}/tools/cp932_table.cpp -o ${EL_CP932_TABLE_TOOL}
  COMMAND ${EL_CP932_TABLE_TOOL} ${EL_CP932_TABLE}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/cp932_table.cpp
  COMMENT "Making the code page 932 table from the build machine's iconv"
  VERBATIM)
add_custom_target(el_cp932_table DEPENDS ${EL_CP932_TABLE})
