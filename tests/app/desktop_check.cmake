# The desktop's view of the program: the menu entry and the metainfo pass their validators, the manual
# page formats without a warning, and the
# file types, registered in a scratch shared-mime-info folder ahead of the system's, name maps and
# tilesets by their names and, where a name says nothing, by their content -- without taking graph
# descriptions, which share the .gv extension.
#
# cmake -DSOURCE=... -DDEST=... -DSAMPLE_DIR=... -P desktop_check.cmake

function(fail)
    message(FATAL_ERROR "desktop check: ${ARGN}")
endfunction()

function(run_tool)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        fail("${ARGN} failed (${status}):\n${out}")
    endif()
    message("${ARGN}: ${out}")
endfunction()

foreach(tool desktop-file-validate appstreamcli update-mime-database gio groff)
    find_program(${tool}_path ${tool})
    if(NOT ${tool}_path)
        fail("${tool} is missing; scripts/setup installs it")
    endif()
endforeach()

run_tool(${desktop-file-validate_path} "${SOURCE}/desktop/gridvellum.desktop")
run_tool(${appstreamcli_path} validate --no-net "${SOURCE}/desktop/org.gridvellum.Gridvellum.metainfo.xml")

execute_process(COMMAND ${groff_path} -man -ww -z "${SOURCE}/desktop/gridvellum.1"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
    fail("the manual page does not format cleanly:\n${out}")
endif()

file(REMOVE_RECURSE "${DEST}")
file(MAKE_DIRECTORY "${DEST}/share/mime/packages" "${DEST}/home" "${DEST}/files")
file(COPY_FILE "${SOURCE}/desktop/gridvellum-mime.xml" "${DEST}/share/mime/packages/gridvellum.xml")
run_tool(${update-mime-database_path} "${DEST}/share/mime")

# Files whose names say nothing about who made them.
file(COPY_FILE "${SAMPLE_DIR}/sample.gv" "${DEST}/files/notes.gv")
file(COPY_FILE "${SAMPLE_DIR}/sample.gv" "${DEST}/files/untitled")
file(COPY_FILE "${SAMPLE_DIR}/sample.set" "${DEST}/files/catalogue.set")
file(WRITE "${DEST}/files/graph.gv" "digraph G { a -> b; }\n")

set(ENV{XDG_DATA_DIRS} "${DEST}/share:/usr/share")
set(ENV{XDG_DATA_HOME} "${DEST}/home")
set(ENV{GIO_USE_VFS} local)
function(expect_type file wanted)
    execute_process(COMMAND ${gio_path} info -a standard::content-type "${DEST}/files/${file}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT out MATCHES "standard::content-type: ([^\n]+)")
        fail("gio could not tell the type of ${file}: ${out}${err}")
    endif()
    set(type "${CMAKE_MATCH_1}")
    if(wanted MATCHES "^!")
        string(SUBSTRING "${wanted}" 1 -1 unwanted)
        if(type STREQUAL unwanted)
            fail("${file} was taken for ${type}")
        endif()
    elseif(NOT type STREQUAL wanted)
        fail("${file} is ${type}, not ${wanted}")
    endif()
    message("${file}: ${type}")
endfunction()
expect_type(notes.gv application/x-gridvellum-map)
expect_type(untitled application/x-gridvellum-map)
expect_type(catalogue.set application/x-gridvellum-tileset)
expect_type(graph.gv !application/x-gridvellum-map)
