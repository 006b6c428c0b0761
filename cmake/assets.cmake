# The game's pictures and map are made by our own program at build time and
# placed beside the game executable.
set(EL_MAKE_ASSETS_SOURCES tools/make_assets.cpp tools/assets/textures.cpp tools/assets/sheet.cpp
    tools/assets/frame.cpp tools/assets/world.cpp)
list(TRANSFORM EL_MAKE_ASSETS_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE EL_MAKE_ASSETS_PATHS)
if(CMAKE_CROSSCOMPILING)
  # The generator must run on the build machine: build it with the host compiler.
  set(EL_MAKE_ASSETS ${CMAKE_BINARY_DIR}/host/make_assets)
  add_custom_command(OUTPUT ${EL_MAKE_ASSETS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND c++ -std=c++20 -O2 -I${PROJECT_SOURCE_DIR} ${EL_MAKE_ASSETS_PATHS} -o ${EL_MAKE_ASSETS}
    DEPENDS ${EL_MAKE_ASSETS_PATHS} ${PROJECT_SOURCE_DIR}/tools/assets/assets.h
            ${PROJECT_SOURCE_DIR}/tools/bmp_file.h)
  set(EL_MAKE_ASSETS_DEP ${EL_MAKE_ASSETS})
else()
  add_executable(make_assets ${EL_MAKE_ASSETS_SOURCES})
  target_include_directories(make_assets PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(make_assets PRIVATE -Wall -Wextra)
  set(EL_MAKE_ASSETS $<TARGET_FILE:make_assets>)
  set(EL_MAKE_ASSETS_DEP make_assets)
endif()
set(EL_ASSET_DIR ${CMAKE_BINARY_DIR}/game)
add_custom_command(
  OUTPUT ${EL_ASSET_DIR}/BMP/m_cp.bmp ${EL_ASSET_DIR}/BMP/waku.BMP ${EL_ASSET_DIR}/map_data.txt
  COMMAND ${EL_MAKE_ASSETS} ${EL_ASSET_DIR}
  DEPENDS ${EL_MAKE_ASSETS_DEP}
  COMMENT "Making the game's pictures and map")
add_custom_target(game_assets ALL DEPENDS
  ${EL_ASSET_DIR}/BMP/m_cp.bmp ${EL_ASSET_DIR}/BMP/waku.BMP ${EL_ASSET_DIR}/map_data.txt)
add_dependencies(tiles game_assets)
