# Installs the build into a staging folder (DESTDIR) and checks that every file is where Debian
# expects it, and that the service starts the installed program with the installed configuration.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${WORK_DIR} ${CMAKE_COMMAND} --install ${BUILD_DIR}
                OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()

set(root ${WORK_DIR})
if(PREFIX STREQUAL "/usr")
  set(etc ${root}/etc)
  set(units ${root}/lib/systemd/system)
else()
  set(etc ${root}${PREFIX}/etc)
  file(GLOB units ${root}${PREFIX}/lib*/systemd/system)
endif()
set(usr ${root}${PREFIX})
set(expected
    ${usr}/bin/talvo-cli ${usr}/bin/talvo-sim
    ${etc}/talvo/read.ini ${units}/talvo-read.service
    ${usr}/share/man/man1/talvo-cli.1.gz ${usr}/share/man/man1/talvo-sim.1.gz
    ${usr}/share/bash-completion/completions/talvo-cli ${usr}/share/bash-completion/completions/talvo-sim
    ${usr}/share/doc/talvo-cli/copyright ${usr}/share/doc/talvo-cli/changelog.gz)
if(GUI)
  list(APPEND expected
       ${usr}/bin/talvo-utility ${usr}/share/man/man1/talvo-utility.1.gz
       ${usr}/share/applications/org.talvo.TalvoUtility.desktop
       ${usr}/share/metainfo/org.talvo.TalvoUtility.metainfo.xml
       ${usr}/share/icons/hicolor/scalable/apps/talvo-utility.svg
       ${usr}/share/icons/hicolor/48x48/apps/talvo-utility.png
       ${usr}/share/icons/hicolor/256x256/apps/talvo-utility.png
       ${usr}/share/doc/talvo-utility/copyright)
endif()
foreach(file IN LISTS expected)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

file(STRINGS ${units}/talvo-read.service exec REGEX "^ExecStart=")
if(NOT exec MATCHES "^ExecStart=([^ ]+) read --config ([^ ]+)$")
  message(FATAL_ERROR "the service runs something else: ${exec}")
endif()
if(NOT EXISTS ${root}${CMAKE_MATCH_1} OR NOT EXISTS ${root}${CMAKE_MATCH_2})
  message(FATAL_ERROR "the service's program or configuration is not installed: ${exec}")
endif()
