# Debian packages with CPack: talvo-cli and talvo-utility, dependencies found by dpkg-shlibdeps.

# Each package's /usr/share/doc: the copyright file and the changelog (gzipped, as Debian wants).
configure_file(debian/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog
  VERBATIM)
add_custom_target(talvo_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
set(TALVO_PACKAGES talvo-cli)
if(TALVO_BUILD_GUI)
  list(APPEND TALVO_PACKAGES talvo-utility)
endif()
foreach(package IN LISTS TALVO_PACKAGES)
  string(REPLACE "talvo-utility" gui component "${package}")
  string(REPLACE "talvo-cli" cli component "${component}")
  install(FILES debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
          DESTINATION ${TALVO_DOC_DIR}/${package} COMPONENT ${component})
endforeach()

if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Packages need CMAKE_INSTALL_PREFIX=/usr (it is ${CMAKE_INSTALL_PREFIX})")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talvo-utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Talvo Utility developers")
set(CPACK_PACKAGE_CONTACT "${TALVO_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# /etc and /lib/systemd/system are absolute destinations: stage them below the package root too.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL cli)
if(TALVO_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SOURCE talvo-utility)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME talvo-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION net)
set(CPACK_COMPONENT_CLI_DESCRIPTION
    "reads and configures active RFID readers from the command line\n\
talvo-cli runs a reading session over serial ports, TCP or UDP and prints\n\
every tag report as JSON or CSV (also to CSV logs and an MQTT broker); it\n\
also sends single commands to readers and tags. The package has the\n\
talvo-read systemd service (installed, not enabled; configured in\n\
/etc/talvo/read.ini) and talvo-sim, a simulated reader for testing.")
set(dir ${CMAKE_CURRENT_SOURCE_DIR}/debian/talvo-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA "${dir}/postinst;${dir}/prerm;${dir}/postrm;${dir}/conffiles")

set(CPACK_DEBIAN_GUI_PACKAGE_NAME talvo-utility)
# The window system plugins are loaded at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_COMPONENT_GUI_DESCRIPTION
    "reads, logs and configures active RFID readers and tags\n\
Talvo Utility is the desktop window for installers and operators of active\n\
RFID systems: it reads tag reports from many readers at once over serial\n\
ports, TCP and UDP, keeps live tag tables with filters and counters, logs\n\
CSV files, publishes to MQTT, and configures readers and tags. In English,\n\
Traditional Chinese and Simplified Chinese.")

include(CPack)
