# Runs the window program with an empty environment, as from a shell without
# a display: one line that says so and names quorvex-list, exit code 1, and
# no abort. Call with -DQUORVEX=<path>.

execute_process(COMMAND env -i "${QUORVEX}" OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
string(REGEX MATCHALL "\n" line_ends "${err}")
list(LENGTH line_ends lines)
if(NOT rc STREQUAL "1" OR NOT lines EQUAL 1 OR NOT err MATCHES "no display.*quorvex-list")
  message(FATAL_ERROR "exit '${rc}' (not 1), ${lines} lines on stderr: ${err}${out}")
endif()
