# CLI11, the one command-line library of the project's programs: header-only,
# from Debian's libcli11-dev. A cross build must not put the host's include
# folder on its path (its C library headers would shadow mingw's), so there
# the target names a folder of the build tree that holds only a link to the
# package's CLI/ folder.
if(CMAKE_CROSSCOMPILING)
  find_package(CLI11 CONFIG REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  get_target_property(cli11_host_include CLI11::CLI11 INTERFACE_INCLUDE_DIRECTORIES)
  find_path(cli11_headers NAMES CLI/CLI.hpp PATHS ${cli11_host_include} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT cli11_headers)
    message(FATAL_ERROR "CLI11's headers were not found in ${cli11_host_include}")
  endif()
  set(cli11_include ${CMAKE_BINARY_DIR}/cli11-include)
  file(MAKE_DIRECTORY ${cli11_include})
  file(CREATE_LINK ${cli11_headers}/CLI ${cli11_include}/CLI SYMBOLIC)
  add_library(cli11_headers INTERFACE)
  target_include_directories(cli11_headers SYSTEM INTERFACE ${cli11_include})
else()
  find_package(CLI11 CONFIG REQUIRED)
  add_library(cli11_headers INTERFACE)
  target_link_libraries(cli11_headers INTERFACE CLI11::CLI11)
endif()
