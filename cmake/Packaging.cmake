# Installation (cmake --install) and the Debian package built from it (cpack, scripts/package).
include(GNUInstallDirs)

install(TARGETS ktv31-service ktv31-cli ktv31-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program takes a desktop entry at ../share/applications beside its folder for the sign of
# an installed copy (settings.cpp): the two paths go together.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ktv31-service.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ktv31-service.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ktv31-service)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service program of the ktv31-ar station controller")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Connects to a ktv31-ar station controller over a COM port or a telephone modem, identifies\n"
    " it, reads, edits and writes its configuration tables and keeps configurations as files.\n"
    " ktv31-service shows the windows (in Russian), ktv31-cli does the same work from a\n"
    " terminal, ktv31-sim simulates a controller on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ktv31-ar service program <ktv31-service@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The Qt libraries come from what the executables link (dpkg-shlibdeps); the platform plugins
# that put a window on the screen and Qt's own Russian texts are loaded at run time, so no linker
# sees them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
include(CPack)
