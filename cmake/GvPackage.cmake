# The Debian package, built by scripts/package: what cmake --install lays out under /usr, with its
# dependencies read from the program's shared libraries, so that apt installs what it needs. The
# menu, file-type and icon caches are refreshed by the triggers of the packages that own them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gridvellum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Gridvellum developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Board-game map editor")
# One string: separate arguments would join with semicolons.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Gridvellum builds the maps of tile-based board-game scenarios from the tiles of a tileset,\n"
    "publishes them as a JPEG picture with a web page, prints them and reports the tiles they use.\n"
    "File managers show maps with their own icon and a thumbnail of the map.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Gridvellum developers <developers@gridvellum.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tilesets name Arial, which fontconfig answers with Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)
