# The pages of the browser build: every program with the files it reads
# (see el_web_page in web.cmake). The fonts come from fonts.data.
set(EL_GAME_FOLDER ${CMAKE_BINARY_DIR}/game)
el_web_page(tiles DATA ${EL_GAME_FOLDER}/BMP@/game/BMP ${EL_GAME_FOLDER}/map_data.txt@/game/map_data.txt)
foreach(example ${EL_EXAMPLES})
  if(example STREQUAL "effects_demo")
    el_web_page(${example} DATA ${EL_GAME_FOLDER}/BMP@/game/BMP)
    add_dependencies(${example} game_assets)
  elseif(example STREQUAL "pack_demo")
    el_web_page(${example} DATA ${CMAKE_BINARY_DIR}/examples/pack_demo.bpk@/examples/pack_demo.bpk
                ${CMAKE_BINARY_DIR}/examples/pack_demo.spk@/examples/pack_demo.spk)
  else()
    el_web_page(${example})
  endif()
endforeach()

# The pack example's packs, made by the pack tool run by node.
set(EL_DEMO_PACKS ${CMAKE_BINARY_DIR}/examples/pack_demo.bpk ${CMAKE_BINARY_DIR}/examples/pack_demo.spk)
add_custom_command(OUTPUT ${EL_DEMO_PACKS}
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:elpack> bmp make
          ${CMAKE_BINARY_DIR}/examples/pack_demo.bpk ${EL_DEMO_MEDIA}/pictures
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:elpack> wav make
          ${CMAKE_BINARY_DIR}/examples/pack_demo.spk ${EL_DEMO_MEDIA}/sounds
  DEPENDS elpack ${EL_DEMO_MEDIA_FILES}
  COMMENT "Packing the pack example's pictures and sounds")
add_custom_target(pack_demo_packs DEPENDS ${EL_DEMO_PACKS})
add_dependencies(pack_demo pack_demo_packs)
