# Installation into a standard prefix (DESTDIR honoured). The program and everything it reads beside
# itself go together into lib/gridvellum, so the program-directory rule holds unchanged; bin/gridvellum
# is a relative link to it, which the program resolves to find its files. The desktop's files (menu
# entry, file types, icons, thumbnailer, metainfo, manual page) go where the desktop looks for them.
include(GNUInstallDirs)

# Not CMAKE_INSTALL_LIBDIR: the program's folder holds no libraries, and its place must not move with
# a multiarch library folder.
set(GV_INSTALL_PROGRAM_DIR lib/gridvellum)
set(GV_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/desktop)
set(GV_METAINFO_ID org.gridvellum.Gridvellum)

install(TARGETS gridvellum RUNTIME DESTINATION ${GV_INSTALL_PROGRAM_DIR})

# The bundled data: the files copied from data/ and those the sample-data generator writes.
file(GLOB_RECURSE gv_copied_data RELATIVE ${CMAKE_SOURCE_DIR}/data CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
set(gv_generated_data
    sample.gv sample.set sample_extra.set scenario_text_tokens.jpg
    gui_typebutton_collapsed.png gui_typebutton_expanded.png gui_typebutton_hidden.png
    gui_typebutton_locked.png gui_typebutton_unlocked.png)
foreach(f ${gv_copied_data} ${gv_generated_data})
    get_filename_component(sub ${f} DIRECTORY)
    install(FILES ${GV_BIN_DIR}/${f} DESTINATION ${GV_INSTALL_PROGRAM_DIR}/${sub})
endforeach()
install(DIRECTORY ${GV_BIN_DIR}/tiles ${GV_BIN_DIR}/icons DESTINATION ${GV_INSTALL_PROGRAM_DIR})

set(GV_LINK_DIR ${CMAKE_BINARY_DIR}/install-link)
file(MAKE_DIRECTORY ${GV_LINK_DIR})
file(CREATE_LINK ../${GV_INSTALL_PROGRAM_DIR}/gridvellum ${GV_LINK_DIR}/gridvellum SYMBOLIC)
install(FILES ${GV_LINK_DIR}/gridvellum DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${GV_DESKTOP_DIR}/gridvellum.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${GV_DESKTOP_DIR}/gridvellum-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME gridvellum.xml)
install(FILES ${GV_DESKTOP_DIR}/gridvellum.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(FILES ${GV_DESKTOP_DIR}/${GV_METAINFO_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages are installed compressed, as Debian's policy asks; -n keeps the bytes the same on
# every build.
set(GV_MAN_PAGE ${CMAKE_BINARY_DIR}/share/man/man1/gridvellum.1.gz)
add_custom_command(OUTPUT ${GV_MAN_PAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/man/man1
    COMMAND gzip -9nc ${GV_DESKTOP_DIR}/gridvellum.1 > ${GV_MAN_PAGE}
    DEPENDS ${GV_DESKTOP_DIR}/gridvellum.1
    COMMENT "Compressing the manual page")
add_custom_target(man_page ALL DEPENDS ${GV_MAN_PAGE})
install(FILES ${GV_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
