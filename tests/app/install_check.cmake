# Installs the build into a scratch DESTDIR under the /usr prefix and runs the installed program
# through its bin/ link, from another working directory and with no display: the version, the report
# of the installed sample map and a 128-pixel thumbnail of it, which CHECKER (test_app) then compares
# with the build program's thumbnail.
#
# cmake -DBUILD=... -DDEST=... -DCHECKER=... -DBUILT_PROGRAM=... -P install_check.cmake

function(fail)
    message(FATAL_ERROR "install check: ${ARGN}")
endfunction()

file(REMOVE_RECURSE "${DEST}")
file(MAKE_DIRECTORY "${DEST}/config" "${DEST}/data" "${DEST}/elsewhere")
set(ENV{DESTDIR} "${DEST}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix /usr
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
unset(ENV{DESTDIR})
if(NOT status EQUAL 0)
    fail("cmake --install failed: ${out}")
endif()

set(root "${DEST}/usr")
set(link "${root}/bin/gridvellum")
if(NOT IS_SYMLINK "${link}")
    fail("${link} is not a symbolic link")
endif()
file(READ_SYMLINK "${link}" target)
if(NOT target STREQUAL "../lib/gridvellum/gridvellum")
    fail("${link} points to ${target}, not to ../lib/gridvellum/gridvellum")
endif()

# The program's folder holds the program and its data, nothing of the build's tests or benchmarks.
file(GLOB strays "${root}/lib/gridvellum/test_*" "${root}/lib/gridvellum/bench_*" "${root}/lib/gridvellum/make_*")
if(strays)
    fail("build tools were installed: ${strays}")
endif()
set(expected
    lib/gridvellum/help.txt lib/gridvellum/sample.gv lib/gridvellum/sample.set lib/gridvellum/sample_extra.set
    lib/gridvellum/scenario_text_tokens.jpg lib/gridvellum/gui_typebutton_locked.png
    lib/gridvellum/icons/gridvellum-48.png
    share/applications/gridvellum.desktop share/mime/packages/gridvellum.xml
    share/thumbnailers/gridvellum.thumbnailer share/metainfo/org.gridvellum.Gridvellum.metainfo.xml
    share/man/man1/gridvellum.1.gz
    share/icons/hicolor/scalable/apps/gridvellum.svg
    share/icons/hicolor/scalable/mimetypes/application-x-gridvellum-map.svg
    share/icons/hicolor/scalable/mimetypes/application-x-gridvellum-tileset.svg)
foreach(size 16 24 32 48 64 128 256)
    set(folder share/icons/hicolor/${size}x${size})
    list(APPEND expected ${folder}/apps/gridvellum.png ${folder}/mimetypes/application-x-gridvellum-map.png
         ${folder}/mimetypes/application-x-gridvellum-tileset.png)
endforeach()
foreach(f ${expected})
    if(NOT EXISTS "${root}/${f}")
        fail("${root}/${f} was not installed")
    endif()
endforeach()

# No display, no runtime folder, settings and user data in scratch folders.
foreach(variable DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_RUNTIME_DIR)
    unset(ENV{${variable}})
endforeach()
set(ENV{XDG_CONFIG_HOME} "${DEST}/config")
set(ENV{XDG_DATA_HOME} "${DEST}/data")
set(map "${root}/lib/gridvellum/sample.gv")

execute_process(COMMAND "${link}" --version WORKING_DIRECTORY "${DEST}/elsewhere"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "Gridvellum Version 3.0.6.0\n" OR NOT err STREQUAL "")
    fail("--version gave ${status}: ${out}${err}")
endif()

execute_process(COMMAND "${link}" --report "${map}" WORKING_DIRECTORY "${DEST}/elsewhere"
    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE err)
execute_process(COMMAND "${BUILT_PROGRAM}" --report "${BUILD}/bin/sample.gv" OUTPUT_VARIABLE builtReport)
if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT report MATCHES "^map width = [0-9]")
    fail("--report of the installed sample map gave ${status}: ${report}${err}")
endif()
if(NOT report STREQUAL builtReport)
    fail("the installed program reports\n${report}\nbut the build's program\n${builtReport}")
endif()

set(thumbnail "${DEST}/sample-128.png")
execute_process(COMMAND "${link}" --thumbnail "${map}" "${thumbnail}" 128 WORKING_DIRECTORY "${DEST}/elsewhere"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT EXISTS "${thumbnail}" OR NOT "${out}${err}" STREQUAL "")
    fail("--thumbnail gave ${status}: ${out}${err}")
endif()
set(builtThumbnail "${DEST}/built-128.png")
execute_process(COMMAND "${BUILT_PROGRAM}" --thumbnail "${BUILD}/bin/sample.gv" "${builtThumbnail}" 128
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    fail("the build's program drew no thumbnail")
endif()

# The file manager's call, as the thumbnailer entry spells it: %i the map, %o the picture, %s the size.
file(STRINGS "${root}/share/thumbnailers/gridvellum.thumbnailer" exec REGEX "^Exec=")
string(REGEX REPLACE "^Exec=gridvellum " "" arguments "${exec}")
string(REPLACE "%i" "${map}" arguments "${arguments}")
string(REPLACE "%o" "${DEST}/sample-large.png" arguments "${arguments}")
string(REPLACE "%s" "256" arguments "${arguments}")
separate_arguments(arguments UNIX_COMMAND "${arguments}")
execute_process(COMMAND "${link}" ${arguments} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT EXISTS "${DEST}/sample-large.png")
    fail("the thumbnailer entry's command (${exec}) gave ${status}: ${out}${err}")
endif()

# A map that cannot be opened: a failure, and no picture.
file(WRITE "${DEST}/broken.gv" "<Gridvellum tileset=")
execute_process(COMMAND "${link}" --thumbnail "${DEST}/broken.gv" "${DEST}/broken.png" 128
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(status EQUAL 0 OR EXISTS "${DEST}/broken.png")
    fail("a broken map gave status ${status} and a picture")
endif()

# Nothing was written beside the installed program.
file(GLOB_RECURSE written LIST_DIRECTORIES false RELATIVE "${root}/lib/gridvellum" "${root}/lib/gridvellum/*.txt")
if(NOT written STREQUAL "help.txt")
    fail("files appeared beside the installed program: ${written}")
endif()

set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{GV_INSTALLED_THUMBNAIL} "${thumbnail}")
set(ENV{GV_BUILT_THUMBNAIL} "${builtThumbnail}")
execute_process(COMMAND "${CHECKER}" --gtest_filter=InstalledThumbnail.* RESULT_VARIABLE status
    OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT status EQUAL 0 OR NOT out MATCHES "\\[  PASSED  \\] 1 test")
    fail("the installed program's thumbnail is not a 128-pixel picture of the sample map: ${thumbnail}")
endif()
