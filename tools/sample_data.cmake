# Generates the sample tilesets, their pictures, the sample map, the tile panel buttons and the scenario
# help picture next to the program. The generator is rerun only when its own sources change; a stamp
# file stands for its many outputs.
set(GV_SAMPLE_TOOL_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/make_sample_data.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ImageWriter.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SampleMap.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SampleMatrix.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SampleSets.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SampleTileset.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SampleXml.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SeededRandom.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/TileArt.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/TokensPicture.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ValueNoise.cpp)

add_executable(make_sample_data ${GV_SAMPLE_TOOL_SOURCES})
target_include_directories(make_sample_data PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(make_sample_data PRIVATE gv_support Qt6::Gui)
# The generator is a build step, not part of what ships beside the program.
set_target_properties(make_sample_data PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

set(GV_SAMPLE_STAMP ${CMAKE_CURRENT_BINARY_DIR}/sample_data.stamp)
add_custom_command(OUTPUT ${GV_SAMPLE_STAMP}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:make_sample_data> ${GV_BIN_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${GV_SAMPLE_STAMP}
    DEPENDS make_sample_data
    COMMENT "Generating the sample tilesets, map and pictures"
    VERBATIM)
add_custom_target(generated_sample_data DEPENDS ${GV_SAMPLE_STAMP})
add_dependencies(sample_data generated_sample_data)
