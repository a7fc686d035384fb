cmake_minimum_required(VERSION 3.25)
# What scripts/view installs: the packages of scripts/setup view (and
# view-windows) hold nothing that only the tests and the developer tools
# need, and the view preset configures with GoogleTest and Google Benchmark
# out of reach.
#   -DSOURCE=tree -DSCRATCH=folder
set(developer_only clang libclang-rt-14-dev clang-format valgrind libgtest-dev googletest libbenchmark-dev xvfb dpkg-dev file
                   g++-mingw-w64-i686-posix wine32:i386
                   x11-apps)
foreach(use view view-windows all)
  execute_process(COMMAND ${SOURCE}/scripts/setup --list ${use} RESULT_VARIABLE result OUTPUT_VARIABLE listed)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "scripts/setup --list ${use} failed")
  endif()
  string(REPLACE "\n" ";" ${use} "${listed}")
endforeach()
foreach(package ${developer_only})
  if(package IN_LIST view OR package IN_LIST view-windows)
    message(FATAL_ERROR "scripts/view would install ${package}, which only the tests or developers need")
  endif()
endforeach()
foreach(package g++-mingw-w64-x86-64-posix wine64)
  if(package IN_LIST view OR NOT package IN_LIST view-windows)
    message(FATAL_ERROR "${package} belongs to scripts/view --windows alone")
  endif()
endforeach()
foreach(package ${view-windows} ${developer_only})
  if(NOT package IN_LIST all)
    message(FATAL_ERROR "scripts/setup (all) lacks ${package}")
  endif()
endforeach()

file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${SCRATCH} --preset view -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
                        -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
file(REMOVE_RECURSE ${SCRATCH})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the view preset needs more than the viewer:\n${output}${errors}")
endif()
message("scripts/setup view: ${view}")
