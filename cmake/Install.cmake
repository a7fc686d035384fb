# What `cmake --install BUILD --prefix P` puts under P, and the Debian package
# that `cpack -G DEB` makes of the same files (prefix /usr):
#
#   bin/          client and vornak; on Windows also Vornak.dll
#   lib/          libVornak.so.1.0.0 with its links libVornak.so.1 and
#                 libVornak.so; libstandin_sdl.so, the client's SDL2 window,
#                 loaded only when it shows one; on Windows the import
#                 library libVornak.dll.a
#   lib/cmake/Vornak/     find_package(Vornak 1.0 CONFIG) gives Vornak::Vornak
#   lib/pkgconfig/vornak.pc
#   include/vornak/       vornak.h and the sprite_records.h it includes
#   share/doc/vornak/     the guide and the file formats
#   share/vornak/         the sample world: sprites/test.lspr, maps/test.map
include(CMakePackageConfigHelpers)

set(VORNAK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vornak)
set(VORNAK_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vornak)
set(VORNAK_DATA_DIR ${CMAKE_INSTALL_DATAROOTDIR}/vornak)

# The module, its headers and the files that find it.
install(TARGETS Vornak EXPORT VornakTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES vornak/vornak.h common/sprite_records.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vornak)
install(EXPORT VornakTargets NAMESPACE Vornak:: DESTINATION ${VORNAK_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VornakConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES cmake/VornakConfig.cmake ${PROJECT_BINARY_DIR}/VornakConfigVersion.cmake DESTINATION ${VORNAK_CMAKE_DIR})

# vornak.pc names its paths relative to its own folder, so the installed tree
# (or an unpacked package) can be moved.
file(RELATIVE_PATH VORNAK_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VORNAK_PC_PREFIX "${VORNAK_PC_PREFIX}")
configure_file(cmake/vornak.pc.in ${PROJECT_BINARY_DIR}/vornak.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vornak.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The programs find the module beside them in the build tree and in ../lib
# once installed: one RUNPATH for both, never rewritten at install, since
# CMake pads a RUNPATH it will rewrite with an empty entry, which is the
# working directory. client uses it when it loads Vornak by name; the
# vornak tool when it links it.
file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
foreach(program IN ITEMS client vornak_cli)
  if(TARGET ${program})
    if(NOT WIN32)
      set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN:$ORIGIN/${bin_to_lib}"
                                                  BUILD_WITH_INSTALL_RPATH ON)
    endif()
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The client's SDL2 presenter, a plugin it looks for in ../lib once
# installed. It has no soname: no other program links it.
if(TARGET standin_sdl)
  install(TARGETS standin_sdl LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

# The sample world, and the documents.
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/sprites/test.lspr DESTINATION ${VORNAK_DATA_DIR}/sprites)
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/maps/test.map DESTINATION ${VORNAK_DATA_DIR}/maps)
install(FILES docs/guide.md DESTINATION ${VORNAK_DOC_DIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/formats.md)
  install(FILES docs/formats.md DESTINATION ${VORNAK_DOC_DIR})
endif()

# The Debian package: `cpack -G DEB` in the build folder writes
# vornak_<version>_<arch>.deb, its dependencies found by dpkg-shlibdeps.
if(NOT WIN32)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vornak)
  set(CPACK_PACKAGE_CONTACT "IsoViewer developers")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sprite file library and isometric map viewer")
  set(CPACK_PACKAGE_DESCRIPTION "Vornak reads and writes sprite files and sprite library files through four C
functions. The package holds the library with its headers, CMake and pkg-config
files, the vornak command-line tool, and client, a full-screen isometric map
viewer, with a sample world.")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  include(CPack)
endif()
