# Fails when a C or C++ file of the tree differs from what clang-format makes
# of it (.clang-format at the top), naming the files.
#   cmake -DSOURCE_DIR=... -DCLANG_FORMAT=... -P check_format.cmake
execute_process(COMMAND git ls-files -- *.c *.cpp *.h
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE files RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  # Not a git checkout: every source file below the tree.
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.c ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
  list(FILTER files EXCLUDE REGEX "^(build|out)/")
else()
  string(REPLACE "\n" ";" files "${files}")
endif()
set(unformatted)
foreach(file IN LISTS files)
  execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${file}
                  WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    list(APPEND unformatted ${file})
  endif()
endforeach()
if(unformatted)
  list(JOIN unformatted "\n  " shown)
  message(FATAL_ERROR "not formatted (run clang-format -i on them):\n  ${shown}")
endif()
