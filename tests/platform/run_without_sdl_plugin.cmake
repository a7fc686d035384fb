cmake_minimum_required(VERSION 3.25)
# The client loads SDL2 only through the SDL presenter's plugin: its own
# dynamic section names no libSDL2. A copy of it in a folder where the plugin
# is missing, not a shared object, or a shared object without the entry runs
# headless to its first frame and says why, once, on stderr.
#   -DPROGRAM=path of client   -DPLUGIN=file name of the plugin
#   -DMODULE=path of libVornak.so.N (beside the copy, as beside the client)
#   -DSCRATCH=folder to work in; the working directory holds the sample world
execute_process(COMMAND readelf -d ${PROGRAM} RESULT_VARIABLE result OUTPUT_VARIABLE dynamic ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "readelf -d ${PROGRAM} failed: ${errors}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
message("${PROGRAM} needs: ${needed}")
if(needed STREQUAL "" OR needed MATCHES "SDL")
  message(FATAL_ERROR "expected NEEDED entries and none for SDL2")
endif()

set(bin ${SCRATCH}/bin)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${bin})
file(COPY ${PROGRAM} DESTINATION ${bin})
get_filename_component(module ${MODULE} NAME)
file(COPY_FILE ${MODULE} ${bin}/${module})
file(WRITE ${SCRATCH}/script "frames 1\nclose\n")
file(WRITE ${SCRATCH}/not-elf "not a shared object\n")
get_filename_component(copy ${PROGRAM} NAME)
set(copy ${bin}/${copy})
string(REGEX REPLACE "([][+.*()^$?])" "\\\\\\1" dir "${bin}")
set(cannot "STANDIN_PRESENTER=sdl cannot be used")

# Each case: what lies at bin/PLUGIN (nothing, or a file to copy there), the
# environment, and the whole of stderr as a regular expression.
set(cases missing text-file no-entry display)
set(missing_plugin "")
set(missing_env STANDIN_PRESENTER=sdl STANDIN_SCRIPT=${SCRATCH}/script)
set(missing_stderr "^${cannot} \\(no ${PLUGIN} in ${dir} or ${dir}/[^ ]+\\); running headless\n$")
set(text-file_plugin ${SCRATCH}/not-elf)
set(text-file_env ${missing_env})
set(text-file_stderr "^${cannot} \\(${dir}/${PLUGIN}: [^\n]+\\); running headless\n$")
set(no-entry_plugin ${MODULE})
set(no-entry_env ${missing_env})
set(no-entry_stderr "^${cannot} \\(${PLUGIN} is not this build's SDL presenter\\); running headless\n$")
set(display_plugin ${SCRATCH}/not-elf)
set(display_env DISPLAY=:99 --unset=STANDIN_PRESENTER STANDIN_SCRIPT=${SCRATCH}/script)
set(display_stderr "^the SDL presenter cannot be loaded \\(${dir}/${PLUGIN}: [^\n]+\\): running headless\n$")

foreach(case IN LISTS cases)
  file(REMOVE ${bin}/${PLUGIN})
  if(${case}_plugin)
    file(COPY_FILE ${${case}_plugin} ${bin}/${PLUGIN})
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=WAYLAND_DISPLAY --unset=STANDIN_SHOT_AT_EXIT ${${case}_env}
                          timeout 60 ${copy}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  message("${case}: exit ${result}, stderr: ${errors}")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${case}: expected exit code 0, got ${result}")
  endif()
  if(NOT errors MATCHES "${${case}_stderr}")
    message(FATAL_ERROR "${case}: expected stderr to match ${${case}_stderr}")
  endif()
endforeach()
