# The pack example's pictures and sounds are drawn and played out by our own
# program (tools/make_demo_media.cpp), then packed by the pack tool beside
# the example. A cross build cannot run its own pack tool here: it places the
# media folders beside the example, and the packs are made there with the
# Windows tool (tests/wine/run.sh does so under Wine).
set(EL_DEMO_MEDIA ${CMAKE_BINARY_DIR}/examples/pack_demo_media)
if(CMAKE_CROSSCOMPILING)
  set(EL_MAKE_DEMO_MEDIA ${CMAKE_BINARY_DIR}/host/make_demo_media)
  add_custom_command(OUTPUT ${EL_MAKE_DEMO_MEDIA}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND c++ -std=c++20 -O2 ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_demo_media.cpp -o ${EL_MAKE_DEMO_MEDIA}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_demo_media.cpp)
  set(EL_MAKE_DEMO_MEDIA_DEP ${EL_MAKE_DEMO_MEDIA})
else()
  add_executable(make_demo_media tools/make_demo_media.cpp)
  target_compile_options(make_demo_media PRIVATE -Wall -Wextra)
  set(EL_MAKE_DEMO_MEDIA $<TARGET_FILE:make_demo_media>)
  set(EL_MAKE_DEMO_MEDIA_DEP make_demo_media)
endif()
set(EL_DEMO_MEDIA_FILES ${EL_DEMO_MEDIA}/pictures/BACK.BMP ${EL_DEMO_MEDIA}/pictures/BALL.BMP
    ${EL_DEMO_MEDIA}/sounds/TUNE.WAV ${EL_DEMO_MEDIA}/sounds/CLICK.WAV)
add_custom_command(OUTPUT ${EL_DEMO_MEDIA_FILES}
  COMMAND ${EL_MAKE_DEMO_MEDIA} ${EL_DEMO_MEDIA}
  DEPENDS ${EL_MAKE_DEMO_MEDIA_DEP}
  COMMENT "Making the pack example's pictures and sounds")
if(CMAKE_CROSSCOMPILING)
  add_custom_target(pack_demo_media ALL DEPENDS ${EL_DEMO_MEDIA_FILES})
else()
  set(EL_DEMO_PACKS ${CMAKE_BINARY_DIR}/examples/pack_demo.bpk ${CMAKE_BINARY_DIR}/examples/pack_demo.spk)
  add_custom_command(OUTPUT ${EL_DEMO_PACKS}
    COMMAND $<TARGET_FILE:elpack> bmp make ${CMAKE_BINARY_DIR}/examples/pack_demo.bpk ${EL_DEMO_MEDIA}/pictures
    COMMAND $<TARGET_FILE:elpack> wav make ${CMAKE_BINARY_DIR}/examples/pack_demo.spk ${EL_DEMO_MEDIA}/sounds
    DEPENDS elpack ${EL_DEMO_MEDIA_FILES}
    COMMENT "Packing the pack example's pictures and sounds")
  add_custom_target(pack_demo_media ALL DEPENDS ${EL_DEMO_PACKS})
endif()
add_dependencies(pack_demo pack_demo_media)
