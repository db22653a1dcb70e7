# Builds the Debian package from this build with CPack into a scratch folder, as scripts/package does
# from its Release build, and checks what apt would see: the file name, dependencies found from the
# program's shared libraries, the installed layout, and a program that runs from the unpacked files.
#
# cmake -DBUILD=... -DDEST=... -P package_check.cmake

function(fail)
    message(FATAL_ERROR "package check: ${ARGN}")
endfunction()

find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
    fail("dpkg-deb is missing; scripts/setup installs it")
endif()

file(REMOVE_RECURSE "${DEST}")
execute_process(COMMAND cpack --config "${BUILD}/CPackConfig.cmake" -G DEB -B "${DEST}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
set(deb "${DEST}/gridvellum_3.0.6.0_amd64.deb")
if(NOT status EQUAL 0 OR NOT EXISTS "${deb}")
    fail("cpack made no ${deb}: ${out}")
endif()

execute_process(COMMAND ${DPKG_DEB} --field "${deb}" Depends OUTPUT_VARIABLE depends)
foreach(library libc6 libstdc\\+\\+6 libqt6core6 libqt6gui6 libqt6widgets6 libpng16-16 libjpeg62-turbo zlib1g)
    if(NOT depends MATCHES "(^|, )${library} \\(>= ")
        fail("the package does not depend on ${library}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND ${DPKG_DEB} --contents "${deb}" OUTPUT_VARIABLE contents)
foreach(entry "./usr/bin/gridvellum -> ../lib/gridvellum/gridvellum" "./usr/lib/gridvellum/sample.set"
        "./usr/share/applications/gridvellum.desktop" "./usr/share/mime/packages/gridvellum.xml"
        "./usr/share/icons/hicolor/scalable/apps/gridvellum.svg" "./usr/share/man/man1/gridvellum.1.gz")
    string(FIND "${contents}" "${entry}" at)
    if(at EQUAL -1)
        fail("the package lacks ${entry}")
    endif()
endforeach()

execute_process(COMMAND ${DPKG_DEB} -x "${deb}" "${DEST}/root" RESULT_VARIABLE status)
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
execute_process(COMMAND "${DEST}/root/usr/bin/gridvellum" --report "${DEST}/root/usr/lib/gridvellum/sample.gv"
    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT report MATCHES "^map width = [0-9]")
    fail("the unpacked program could not report on its sample map (${status}): ${report}${err}")
endif()
