# Checks client.exe as the Windows loader sees it: a GUI program for the
# build's machine (objdump's FORMAT, pei-i386 or pei-x86-64) importing the
# real ddraw, user32, gdi32 and kernel32, not Vornak (loaded at run time), and
# nothing but system DLLs (the runtime is linked statically).
#   cmake -DPROGRAM=<client.exe> -DOBJDUMP=<objdump> -DFORMAT=<format> -P check_client_exe.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} failed on ${PROGRAM}")
endif()
if(NOT listing MATCHES "file format ${FORMAT}\n")
  message(FATAL_ERROR "${PROGRAM} is not in the format ${FORMAT}")
endif()
if(NOT listing MATCHES "Subsystem[\t ]+00000002")
  message(FATAL_ERROR "${PROGRAM} is not a Windows GUI program")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${listing}")
set(imports "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: " "" name "${line}")
  string(TOLOWER "${name}" name)
  list(APPEND imports "${name}")
endforeach()

foreach(needed ddraw.dll user32.dll gdi32.dll kernel32.dll)
  if(NOT needed IN_LIST imports)
    message(FATAL_ERROR "${PROGRAM} does not import ${needed} (imports: ${imports})")
  endif()
endforeach()
set(system ddraw.dll user32.dll gdi32.dll kernel32.dll msvcrt.dll advapi32.dll ntdll.dll)
foreach(name IN LISTS imports)
  if(NOT name IN_LIST system AND NOT name MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${PROGRAM} imports ${name}, which would have to ship beside it")
  endif()
endforeach()
message(STATUS "imports: ${imports}")
