# `make package` as a user runs it: CPack builds the .deb, whose control
# data names the libraries found in the binaries and what the maintainer
# scripts need, and lintian finds no error in it. Call with
# -DBUILD_DIR=<build> -DOUT=<scratch folder>.

file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${OUT}
                WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs "${OUT}/*.deb")
list(LENGTH debs count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack: exit ${rc}, ${count} packages\n${out}${err}")
endif()

execute_process(COMMAND dpkg-deb --field ${debs} Depends Section OUTPUT_VARIABLE fields RESULT_VARIABLE rc)
foreach(needed "libc6" "libstdc++6" "adduser" "libcap2-bin" "Section: net")
  string(FIND "${fields}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package's control data lacks ${needed}:\n${fields}")
  endif()
endforeach()

# Errors fail the check; warnings and notes are shown for whoever reads the log.
execute_process(COMMAND lintian --fail-on error --no-tag-display-limit ${debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian: exit ${rc}\n${out}${err}")
endif()
file(REMOVE_RECURSE "${OUT}")
