# Manual pages, written at build time from the programs' own --help (packaging/man/ManPage.cmake),
# gzipped as Debian wants them. The hand-written rest of each page (FILES, SEE ALSO) is man/NAME.roff.

set(TALVO_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${TALVO_MAN_DIR})
set(TALVO_MAN_PAGES "")

# talvo_man_page(target component "summary" [sub-commands...])
function(talvo_man_page target component summary)
  set(page ${TALVO_MAN_DIR}/${target}.1)
  set(extra ${CMAKE_CURRENT_SOURCE_DIR}/man/${target}.roff)
  string(REPLACE ";" "," commands "${ARGN}")
  add_custom_command(
    OUTPUT ${page}.gz
    # A sanitizer build must not fail on what a short --help run leaves allocated at exit.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
            ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target} "-DSUMMARY=${summary}"
            -DVERSION=${PROJECT_VERSION} "-DCOMMANDS=${commands}" -DEXTRA=${extra} -DOUTPUT=${page}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/man/ManPage.cmake
    COMMAND gzip -9nf ${page}
    DEPENDS ${target} ${extra} ${CMAKE_CURRENT_SOURCE_DIR}/man/ManPage.cmake
    COMMENT "Writing the manual page of ${target}"
    VERBATIM)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  set(TALVO_MAN_PAGES ${TALVO_MAN_PAGES} ${page}.gz PARENT_SCOPE)
endfunction()

if(NOT CMAKE_CROSSCOMPILING)
  talvo_man_page(talvo-cli cli "read reports from active RFID readers, configure readers and tags" read reader tag)
  talvo_man_page(talvo-sim cli "simulated active RFID reader for testing without hardware")
  if(TALVO_BUILD_GUI)
    talvo_man_page(talvo-utility gui "read, log and configure active RFID readers and tags")
  endif()
  add_custom_target(talvo_man_pages ALL DEPENDS ${TALVO_MAN_PAGES})
endif()
