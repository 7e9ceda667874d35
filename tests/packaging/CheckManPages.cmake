# Renders every manual page in DIR with man (MAN) and fails on any warning, or on a page that lacks
# the options its program's --help lists.
file(GLOB pages ${DIR}/*.1.gz)
if(NOT pages)
  message(FATAL_ERROR "no manual pages in ${DIR}")
endif()
foreach(page IN LISTS pages)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 LC_ALL=C.UTF-8
                          ${MAN} --warnings -E UTF-8 -l ${page}
                  OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "${page}: ${rc}\n${warnings}")
  endif()
  foreach(section NAME SYNOPSIS DESCRIPTION "SEE ALSO")
    if(NOT text MATCHES "\n${section}\n")
      message(FATAL_ERROR "${page}: no ${section} section")
    endif()
  endforeach()
  if(NOT text MATCHES "--help" OR NOT text MATCHES "--version")
    message(FATAL_ERROR "${page}: the options are missing:\n${text}")
  endif()
endforeach()
