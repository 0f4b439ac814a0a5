# Installation (cmake --install) and the two Debian packages built from it (cpack,
# scripts/package): ktv31-service, what an engineer runs, and ktv31-service-sim, the simulated
# controller for trying the program without one. Every installed file belongs to the component
# "service" or "sim"; each component is one package.
install(TARGETS ktv31-service ktv31-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT service)
if(TARGET ktv31-sim)
  install(TARGETS ktv31-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sim)
endif()
# The program takes a desktop entry at ../share/applications beside its folder for the sign of
# an installed copy (settings.cpp): the two paths go together.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ktv31-service.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT service)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ktv31-service.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT service)

# Each package's own folder in /usr/share/doc: the copyright file and the changelog, gzipped as
# Debian keeps it.
set(changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/packaging/changelog
    -DOUTPUT=${changelog_gz} -P ${PROJECT_SOURCE_DIR}/cmake/GzipCopy.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_SOURCE_DIR}/cmake/GzipCopy.cmake
  VERBATIM)
add_custom_target(ktv31_changelog ALL DEPENDS ${changelog_gz})
foreach(component IN ITEMS service sim)
  set(package ktv31-service)
  if(component STREQUAL "sim")
    set(package ktv31-service-sim)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog_gz}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL service sim)
set(CPACK_PACKAGE_NAME ktv31-service)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ktv31-ar service team <service@ktv31.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The Qt libraries come from what the executables link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Lines of the long descriptions stay within 80 columns (Debian's policy).
set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME ktv31-service)
string(CONCAT CPACK_COMPONENT_SERVICE_DESCRIPTION
    "service program of the ktv31-ar station controller\n"
    "Connects to a ktv31-ar station controller over a COM port or a telephone\n"
    "modem, identifies it, reads, edits and writes its configuration tables and\n"
    "keeps configurations as files. ktv31-service shows the windows (in\n"
    "Russian), ktv31-cli does the same work from a terminal.")
# The platform plugins that put a window on the screen and Qt's own Russian texts are loaded at
# run time, so no linker sees them.
set(CPACK_DEBIAN_SERVICE_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_SERVICE_PACKAGE_SUGGESTS ktv31-service-sim)

set(CPACK_DEBIAN_SIM_PACKAGE_NAME ktv31-service-sim)
string(CONCAT CPACK_COMPONENT_SIM_DESCRIPTION
    "simulated ktv31-ar station controller for trying the service program\n"
    "ktv31-sim simulates a ktv31-ar station controller (and optionally a Hayes\n"
    "modem in front of it) on a pseudo-terminal, with faults on demand and a\n"
    "frame log, so that ktv31-service and ktv31-cli can be tried and tested\n"
    "without a controller.")
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION electronics)
include(CPack)
