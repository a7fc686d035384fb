cmake_minimum_required(VERSION 3.25)
# Runs a program of the stand-in with no display and no input script for two
# seconds: it must still be running then (nothing ends it), and must have said
# on stderr, in one line, that it runs headless and how to stop it.
#   -DPROGRAM=path
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=STANDIN_PRESENTER
                        --unset=STANDIN_SCRIPT --unset=STANDIN_SHOT_AT_EXIT timeout -s INT 2 ${PROGRAM}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("stdout: ${output}\nstderr: ${errors}")
if(NOT result EQUAL 124)
  message(FATAL_ERROR "expected it to run until stopped (timeout's 124), got ${result}")
endif()
set(expected "no display (DISPLAY and WAYLAND_DISPLAY unset): running headless with no input; Ctrl+C stops it\n")
if(NOT errors STREQUAL expected)
  message(FATAL_ERROR "expected exactly this on stderr: ${expected}")
endif()
if(NOT output STREQUAL "")
  message(FATAL_ERROR "expected nothing on stdout")
endif()
