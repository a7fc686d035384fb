cmake_minimum_required(VERSION 3.25)
# The command line every program but client shares: --help and --version on
# stdout with exit code 0, an unknown option refused with the usage on stderr
# and exit code 2, and nothing written meanwhile.
#   -DPROGRAM=path -DNAME=name -DVERSION=x.y.z [-DEMULATOR=runner] -DSCRATCH=folder
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})

# case(ARGUMENT EXIT_CODE STDOUT_REGEX STDERR_REGEX)
function(case argument code out_regex err_regex)
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${argument} WORKING_DIRECTORY ${SCRATCH}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  string(REPLACE "\r" "" err "${err}")
  if(NOT result EQUAL code OR NOT out MATCHES "${out_regex}" OR NOT err MATCHES "${err_regex}")
    message(FATAL_ERROR "${NAME} ${argument}: expected exit code ${code}, stdout matching '${out_regex}' and stderr "
                        "matching '${err_regex}'; got ${result}\n--- stdout\n${out}--- stderr\n${err}")
  endif()
  file(GLOB left RELATIVE ${SCRATCH} ${SCRATCH}/*)
  if(left)
    message(FATAL_ERROR "${NAME} ${argument} left files behind: ${left}")
  endif()
  message("${NAME} ${argument}: ${result} as expected")
endfunction()

string(REPLACE "." "\\." version_regex "${VERSION}")
case(--help 0 "Usage: ${NAME} .*--version" "^$")
case(--version 0 "^${NAME} ${version_regex}\n$" "^$")
case(--no-such-option 2 "^$" "^${NAME}: .*no-such-option.*\n\n.*Usage: ${NAME} ")
case(-x 2 "^$" "^${NAME}: .*-x.*\n\n.*Usage: ${NAME} ")
