# Processes that make a Mesa context report a few hundred bytes that the driver keeps, from a module
# it has unloaded by the time leaks are counted, so no suppression can name them: sanitized runs of
# the OpenGL cases check everything but leaks (the same code paths drawn in software are leak-checked).
set(GV_GL_TEST_SANITIZER_ENV "${GV_TEST_SANITIZER_ENV}")
if(GV_SANITIZE)
    set(GV_GL_TEST_SANITIZER_ENV "ASAN_OPTIONS=detect_leaks=0")
endif()

# The program itself answers on the command line without any display.
add_test(NAME app.cli_version COMMAND gridvellum --version)
set_tests_properties(app.cli_version PROPERTIES LABELS app
    PASS_REGULAR_EXPRESSION "^Gridvellum Version 3\\.0\\.6\\.0\n$"
    ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=;XDG_CONFIG_HOME=${GV_TEST_CONFIG};${GV_TEST_SANITIZER_ENV}")
add_test(NAME app.cli_missing_map COMMAND gridvellum --save-as ${CMAKE_BINARY_DIR}/no-such-map.gv
    ${CMAKE_BINARY_DIR}/never-written.gv)
set_tests_properties(app.cli_missing_map PROPERTIES LABELS app PASS_REGULAR_EXPRESSION "Could not open"
    ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=;XDG_CONFIG_HOME=${GV_TEST_CONFIG};${GV_TEST_SANITIZER_ENV}")

# A conversion prints nothing of its own when it succeeds, and nothing of Qt's either, even where the
# session lacks a runtime folder (root in a container).
add_test(NAME app.cli_save_is_quiet COMMAND gridvellum --save-as ${GV_BIN_DIR}/sample.gv
    ${CMAKE_BINARY_DIR}/quiet-save.gv)
set_tests_properties(app.cli_save_is_quiet PROPERTIES LABELS app FAIL_REGULAR_EXPRESSION "."
    ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=;XDG_RUNTIME_DIR=;XDG_CONFIG_HOME=${GV_TEST_CONFIG};${GV_TEST_SANITIZER_ENV}")

# The editor starts on the sample map with a display, draws its first frame, saves a picture of its
# window and quits; test_app then checks that the map view shows the map. Without DISPLAY the run
# goes through the project's virtual display.
set(GV_VIRTUAL_DISPLAY ${PROJECT_SOURCE_DIR}/scripts/virtual-display)
set(GV_SMOKE_SCRIPT ${CMAKE_BINARY_DIR}/smoke_editor.cmake)
file(WRITE ${GV_SMOKE_SCRIPT} [=[
file(REMOVE "${SHOT}" "${SHOT}.txt")
file(REMOVE_RECURSE "${CONFIG}")
file(MAKE_DIRECTORY "${CONFIG}")
set(ENV{XDG_CONFIG_HOME} "${CONFIG}")
set(ENV{GRIDVELLUM_SCREENSHOT} "${SHOT}")
set(ENV{GRIDVELLUM_GEOMETRY} "${SHOT}.txt")
if(OPENGL)
    file(WRITE "${CONFIG}/Local AppWizard-Generated Applications/Gridvellum.conf"
        "[Gridvellum]\nOpenGL=@ByteArray(\\x1)\n")
endif()
unset(ENV{QT_QPA_PLATFORM})
set(launcher)
if("$ENV{DISPLAY}" STREQUAL "")
    set(launcher "${VIRTUAL_DISPLAY}")
endif()
execute_process(COMMAND ${launcher} "${PROGRAM}" "${MAP}" RESULT_VARIABLE status TIMEOUT 90)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the editor ended with ${status}")
endif()
if(NOT EXISTS "${SHOT}")
    message(FATAL_ERROR "the editor saved no picture of its window")
endif()
file(STRINGS "${SHOT}.txt" renderer REGEX "^renderer ")
if(OPENGL AND NOT renderer STREQUAL "renderer opengl")
    message(FATAL_ERROR "the editor did not draw through OpenGL: ${renderer}")
endif()
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{GV_SMOKE_SCREENSHOT} "${SHOT}")
set(filter EditorSmoke.FirstFrame*)
set(passed 1)
if(COMPARE_WITH)
    set(ENV{GV_SMOKE_COMPARE_WITH} "${COMPARE_WITH}")
    set(filter EditorSmoke.*)
    set(passed 2)
endif()
execute_process(COMMAND "${CHECKER}" --gtest_filter=${filter} RESULT_VARIABLE status
    OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT status EQUAL 0 OR NOT out MATCHES "\\[  PASSED  \\] ${passed} test")
    message(FATAL_ERROR "the picture does not show the map: ${SHOT}")
endif()
]=])
add_test(NAME app.smoke_editor
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:gridvellum> -DCHECKER=$<TARGET_FILE:test_app>
        -DMAP=${GV_BIN_DIR}/sample.gv -DSHOT=${CMAKE_BINARY_DIR}/smoke-editor.png
        -DCONFIG=${GV_TEST_CONFIG}/smoke-editor -DVIRTUAL_DISPLAY=${GV_VIRTUAL_DISPLAY}
        -P ${GV_SMOKE_SCRIPT})
set_tests_properties(app.smoke_editor PROPERTIES LABELS app TIMEOUT 180 ENVIRONMENT "${GV_TEST_SANITIZER_ENV}")
# The same start with OpenGL stored on draws through OpenGL under the virtual X server's Mesa, and
# its picture of the map matches that of the program's own renderer.
add_test(NAME app.smoke_editor_opengl
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:gridvellum> -DCHECKER=$<TARGET_FILE:test_app>
        -DMAP=${GV_BIN_DIR}/sample.gv -DSHOT=${CMAKE_BINARY_DIR}/smoke-editor-opengl.png
        -DCONFIG=${GV_TEST_CONFIG}/smoke-editor-opengl -DOPENGL=1
        -DCOMPARE_WITH=${CMAKE_BINARY_DIR}/smoke-editor.png -DVIRTUAL_DISPLAY=${GV_VIRTUAL_DISPLAY}
        -P ${GV_SMOKE_SCRIPT})
set_tests_properties(app.smoke_editor_opengl PROPERTIES LABELS app TIMEOUT 180 DEPENDS app.smoke_editor
    ENVIRONMENT "${GV_GL_TEST_SANITIZER_ENV}")

# The map view, the About box and publishing of a run that draws through OpenGL, under a virtual X
# server with Mesa; a skipped case there means no context could be made, which fails the run.
add_test(NAME app.opengl_view
    COMMAND ${GV_VIRTUAL_DISPLAY} $<TARGET_FILE:test_app> --gtest_filter=OpenGlDrawing.*)
set_tests_properties(app.opengl_view PROPERTIES LABELS app TIMEOUT 120
    FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED"
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${GV_TEST_CONFIG};XDG_DATA_HOME=${GV_TEST_CONFIG}/data;XDG_STATE_HOME=${GV_TEST_CONFIG}/state;${GV_GL_TEST_SANITIZER_ENV}")

# The map tools' tests drive the real widgets with the test library's synthetic events.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(test_app PRIVATE Qt6::Test)

# The editor under a virtual X server, driven by real pointer and key events (xdotool): tiles
# dragged from the panel, turned, moved with the keys and saved with Ctrl+S.
find_program(GV_XDOTOOL xdotool)
if(GV_XDOTOOL)
    add_test(NAME app.e2e_drag_turn_move_save
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/app/e2e_drag.sh $<TARGET_FILE:gridvellum> $<TARGET_FILE:test_app>)
    set_tests_properties(app.e2e_drag_turn_move_save PROPERTIES LABELS app TIMEOUT 120
        ENVIRONMENT "${GV_TEST_SANITIZER_ENV}")
    # The same drags, turn, keys and save with the map drawn through OpenGL.
    add_test(NAME app.e2e_drag_turn_move_save_opengl
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/app/e2e_drag.sh $<TARGET_FILE:gridvellum> $<TARGET_FILE:test_app>)
    set_tests_properties(app.e2e_drag_turn_move_save_opengl PROPERTIES LABELS app TIMEOUT 120
        ENVIRONMENT "GV_E2E_OPENGL=1;${GV_GL_TEST_SANITIZER_ENV}")
    # Real keys on a copy of a small map: select all, delete, undo and save; copy, paste and save; F1
    # with a stand-in for the desktop's opener early on PATH.
    add_test(NAME app.e2e_keys_undo_paste_help
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/app/e2e_keys.sh $<TARGET_FILE:gridvellum> $<TARGET_FILE:test_app>)
    set_tests_properties(app.e2e_keys_undo_paste_help PROPERTIES LABELS app TIMEOUT 120
        ENVIRONMENT "${GV_TEST_SANITIZER_ENV}")
    # A tile found with the search box, moved with the keys, the editor killed, the map recovered
    # from its autosave copy at the next start and saved.
    add_test(NAME app.e2e_search_crash_recover_save
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/app/e2e_recover.sh $<TARGET_FILE:gridvellum> $<TARGET_FILE:test_app>)
    set_tests_properties(app.e2e_search_crash_recover_save PROPERTIES LABELS app TIMEOUT 120
        ENVIRONMENT "${GV_TEST_SANITIZER_ENV}")
endif()

# The installed program: cmake --install into a scratch DESTDIR, then the program run through its bin/
# link (version, report and a 128-pixel thumbnail of the installed sample map, which test_app checks).
add_test(NAME app.install_runs
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DDEST=${CMAKE_BINARY_DIR}/install-check
        -DCHECKER=$<TARGET_FILE:test_app> -DBUILT_PROGRAM=$<TARGET_FILE:gridvellum>
        -P ${CMAKE_CURRENT_SOURCE_DIR}/app/install_check.cmake)
set_tests_properties(app.install_runs PROPERTIES LABELS app TIMEOUT 180 ENVIRONMENT "${GV_TEST_SANITIZER_ENV}")

# The menu entry, the metainfo and the file types, as the desktop's own tools see them.
add_test(NAME app.desktop_files
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DDEST=${CMAKE_BINARY_DIR}/desktop-check
        -DSAMPLE_DIR=${GV_BIN_DIR} -P ${CMAKE_CURRENT_SOURCE_DIR}/app/desktop_check.cmake)
set_tests_properties(app.desktop_files PROPERTIES LABELS app TIMEOUT 120)

# The Debian package as CPack makes it from this build.
add_test(NAME app.debian_package
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DDEST=${CMAKE_BINARY_DIR}/package-check
        -P ${CMAKE_CURRENT_SOURCE_DIR}/app/package_check.cmake)
set_tests_properties(app.debian_package PROPERTIES LABELS app TIMEOUT 180 ENVIRONMENT "${GV_TEST_SANITIZER_ENV}")
