# Writes a manual page from a program's own --help, so the page says what the program says.
# Run with cmake -P and these variables:
#   PROGRAM   the built program to ask
#   NAME      the program's name as the user types it
#   SUMMARY   the one line after the name in NAME
#   VERSION   the version shown in the page's footer
#   COMMANDS  optional sub-commands, comma-separated; each one's "NAME CMD --help" becomes a section
#   EXTRA     optional file of roff text appended as is (FILES, EXAMPLES, SEE ALSO)
#   OUTPUT    the page to write (section 1)

# Escapes one line of help text for roff: backslashes, minus signs, and a leading control character.
function(roff_escape line out)
  string(REPLACE "\\" "\\e" line "${line}")
  string(REPLACE "-" "\\-" line "${line}")
  if(line MATCHES "^[.']")
    set(line "\\&${line}")
  endif()
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

# Turns help text into roff. "Options:"-style headings become sub-sections, two-column rows
# ("  --name <v>   what it does", continued on deeper-indented lines) become tagged paragraphs,
# other lines indented by two (examples) stay as they are, blank lines start paragraphs; the
# "Usage:" line is left out (the SYNOPSIS says it).
function(help_to_roff text out)
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(roff "")
  set(in_item FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^Usage:")
      continue()
    elseif(line MATCHES "^[ ]*$")
      string(APPEND roff ".PP\n")
      set(in_item FALSE)
    elseif(line MATCHES "^([A-Z][A-Za-z ]*):$")
      string(APPEND roff ".SS \"${CMAKE_MATCH_1}\"\n")
      set(in_item FALSE)
    elseif(line MATCHES "^  ([^ ].*[^ ])   *([^ ].*)$")
      roff_escape("${CMAKE_MATCH_1}" term)
      roff_escape("${CMAKE_MATCH_2}" body)
      string(APPEND roff ".TP\n.B ${term}\n${body}\n")
      set(in_item TRUE)
    elseif(line MATCHES "^  ([^ ].*)$")
      # An example command line: kept as it is, one to a line.
      roff_escape("${CMAKE_MATCH_1}" body)
      string(APPEND roff ".PP\n.nf\n.RS 4\n${body}\n.RE\n.fi\n")
      set(in_item FALSE)
    else()
      string(STRIP "${line}" line)
      roff_escape("${line}" body)
      string(APPEND roff "${body}\n")
    endif()
  endforeach()
  set(${out} "${roff}" PARENT_SCOPE)
endfunction()

function(run_help out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR help STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed (${rc}): ${err}")
  endif()
  set(${out} "${help}" PARENT_SCOPE)
endfunction()

string(REPLACE "," ";" COMMANDS "${COMMANDS}")
string(TOUPPER "${NAME}" title)
roff_escape("${NAME}" name_roff)
roff_escape("${SUMMARY}" summary_roff)
set(page ".TH \"${title}\" \"1\" \"\" \"${NAME} ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${name_roff} \\- ${summary_roff}\n.SH SYNOPSIS\n")
if(COMMANDS)
  foreach(command IN LISTS COMMANDS)
    string(APPEND page ".B ${name_roff} ${command}\n[\\fIOPTIONS\\fR]\n.br\n")
  endforeach()
else()
  string(APPEND page ".B ${name_roff}\n[\\fIOPTIONS\\fR]\n")
endif()
run_help(help)
help_to_roff("${help}" body)
string(APPEND page ".SH DESCRIPTION\n${body}")
foreach(command IN LISTS COMMANDS)
  run_help(help ${command})
  help_to_roff("${help}" body)
  string(TOUPPER "${NAME} ${command}" heading)
  string(APPEND page ".SH \"${heading}\"\n${body}")
endforeach()
if(EXTRA)
  file(READ "${EXTRA}" extra)
  string(APPEND page "${extra}")
endif()
file(WRITE "${OUTPUT}" "${page}")
