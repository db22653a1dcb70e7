# The program itself answers on the command line without any display.
add_test(NAME app.cli_version COMMAND gridvellum --version)
set_tests_properties(app.cli_version PROPERTIES LABELS app
    PASS_REGULAR_EXPRESSION "^Gridvellum Version 3\\.0\\.6\\.0\n$"
    ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=;XDG_CONFIG_HOME=${GV_TEST_CONFIG}")
add_test(NAME app.cli_missing_map COMMAND gridvellum --save-as ${CMAKE_BINARY_DIR}/no-such-map.gv
    ${CMAKE_BINARY_DIR}/never-written.gv)
set_tests_properties(app.cli_missing_map PROPERTIES LABELS app PASS_REGULAR_EXPRESSION "Could not open"
    ENVIRONMENT "QT_QPA_PLATFORM=;DISPLAY=;WAYLAND_DISPLAY=;XDG_CONFIG_HOME=${GV_TEST_CONFIG}")
