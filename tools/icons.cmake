# Draws the icons: the hicolor theme tree under share/ in the build folder (installed into the
# system's share folder) and the window icon's pictures beside the program.
set(GV_SHARE_DIR ${CMAKE_BINARY_DIR}/share)
add_executable(make_icons ${CMAKE_CURRENT_SOURCE_DIR}/make_icons.cpp ${CMAKE_CURRENT_SOURCE_DIR}/IconArt.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ToolBarArt.cpp)
target_include_directories(make_icons PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(make_icons PRIVATE gv_raster Qt6::Gui)
set_target_properties(make_icons PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

set(GV_ICONS_STAMP ${CMAKE_CURRENT_BINARY_DIR}/icons.stamp)
add_custom_command(OUTPUT ${GV_ICONS_STAMP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${GV_SHARE_DIR}/icons ${GV_BIN_DIR}/icons
    COMMAND $<TARGET_FILE:make_icons> ${GV_SHARE_DIR} ${GV_BIN_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${GV_ICONS_STAMP}
    DEPENDS make_icons
    COMMENT "Drawing the icons"
    VERBATIM)
add_custom_target(icons ALL DEPENDS ${GV_ICONS_STAMP})
