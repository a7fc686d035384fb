# find_package(Vornak 1.0 CONFIG): the imported target Vornak::Vornak, the
# sprite file module; its headers are included as <vornak/vornak.h>.
include(${CMAKE_CURRENT_LIST_DIR}/VornakTargets.cmake)
