# GoogleTest: the installed package on the host; for a cross build, Debian's
# googletest sources compiled with the cross compiler.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  find_path(GOOGLETEST_SOURCE_DIR NAMES googletest/include/gtest/gtest.h PATH_SUFFIXES src/googletest
            DOC "GoogleTest's sources, built with the cross compiler" NO_CMAKE_FIND_ROOT_PATH)
  if(NOT GOOGLETEST_SOURCE_DIR)
    message(FATAL_ERROR "GoogleTest's sources were not found (Debian package googletest); set GOOGLETEST_SOURCE_DIR")
  endif()
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Newer googletest sources define these aliases themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Registers a GoogleTest program with CTest. On the host every test case is
# its own CTest test, shown headless even where a display exists; in a cross
# build the program runs once, as a whole, under the cross-compiling emulator
# (starting it per case would be slow), skipped when Wine is not installed.
function(iso_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>)
    set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 77)
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
                         PROPERTIES ENVIRONMENT STANDIN_PRESENTER=headless)
  endif()
endfunction()
