# Manual pages in man/ of the build tree: the tools' pages written from their --help at build
# time (cmake/ManPage.cmake), so a changed help text changes the page on the next build; the
# program's page, which has no --help, from packaging/. Each is installed gzipped.
if(NOT UNIX OR CMAKE_CROSSCOMPILING)
  return()
endif()
set(KTV31_MAN_DIR ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${KTV31_MAN_DIR})

# ktv31_man_page(TARGET COMPONENT SUMMARY SEE_ALSO): the page of a tool with --help.
function(ktv31_man_page target component summary see_also)
  set(page ${KTV31_MAN_DIR}/${target}.1)
  add_custom_command(OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${target}> -DNAME=${target}
      "-DSUMMARY=${summary}" "-DSEE_ALSO=${see_also}" -DVERSION=${PROJECT_VERSION}
      -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      ${PROJECT_SOURCE_DIR}/cmake/GzipCopy.cmake
    COMMENT "Manual page ${target}.1 from ${target} --help"
    VERBATIM)
  add_custom_target(${target}_man ALL DEPENDS ${page})
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

ktv31_man_page(ktv31-cli service
  "работа сервисной программы контроллера ktv31-ar из терминала"
  "ktv31-service(1), ktv31-sim(1)")
if(TARGET ktv31-sim)
  ktv31_man_page(ktv31-sim sim
    "имитатор контроллера ktv31-ar на псевдотерминале"
    "ktv31-cli(1), ktv31-service(1)")
endif()

set(service_page ${KTV31_MAN_DIR}/ktv31-service.1)
add_custom_command(OUTPUT ${service_page}.gz
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/packaging/ktv31-service.1
    -DOUTPUT=${service_page}.gz -P ${PROJECT_SOURCE_DIR}/cmake/GzipCopy.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/ktv31-service.1 ${PROJECT_SOURCE_DIR}/cmake/GzipCopy.cmake
  VERBATIM)
add_custom_target(ktv31-service_man ALL DEPENDS ${service_page}.gz)
install(FILES ${service_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT service)
