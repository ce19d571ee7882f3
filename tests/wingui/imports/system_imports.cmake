# Usage: cmake -DOBJDUMP=... -DPROGRAMS="a.exe;b.exe" -P system_imports.cmake
# The Windows programs are copied and run on their own: every DLL they
# import must be one that Windows itself has. objdump -p lists the imports
# as "DLL Name: KERNEL32.dll" lines.
cmake_minimum_required(VERSION 3.16)
set(system_dlls advapi32 comctl32 comdlg32 gdi32 iphlpapi kernel32 msvcrt ole32 oleacc oleaut32 shell32
    user32 version)
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} could not read ${program}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
  if(NOT names)
    message(FATAL_ERROR "${program}: no imports found; has objdump's output changed?")
  endif()
  foreach(line IN LISTS names)
    string(REGEX REPLACE "^DLL Name: (.+)\\.[dD][lL][lL]$" "\\1" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST system_dlls)
      message(FATAL_ERROR "${program} imports ${line}, which Windows does not have")
    endif()
  endforeach()
endforeach()
