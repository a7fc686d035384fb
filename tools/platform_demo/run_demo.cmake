# Runs platform_demo headless with a script and checks its exit code, its
# report and the frames it saved.
#   -DDEMO=program -DSCRIPT=script -DEXPECT=text-in-output -DSHOTS="a.png;b.png"
file(REMOVE ${SHOTS})
execute_process(COMMAND ${CMAKE_COMMAND} -E env STANDIN_PRESENTER=headless STANDIN_SCRIPT=${SCRIPT}
                        STANDIN_SHOT_AT_EXIT=demo_at_exit.png ${DEMO}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "platform_demo exited with ${result}")
endif()
string(FIND "${output}${errors}" "${EXPECT}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "expected \"${EXPECT}\" in the output")
endif()
foreach(shot ${SHOTS})
  file(SIZE ${shot} size)
  if(NOT size GREATER 0)
    message(FATAL_ERROR "${shot} was not saved")
  endif()
endforeach()
