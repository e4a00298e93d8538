# nlohmann-json, CLI11 and fmt for a cross build, taken from the headers of
# the build machine's Debian packages (all three work header-only; fmt's
# compiled library is for the build machine and cannot be linked).
#
# Only the three libraries' own folders are put on the include path: adding
# /usr/include as a whole would put the build machine's C library headers in
# front of the target's.
set(ORVEL_HOST_INCLUDE_DIR /usr/include CACHE PATH
    "Folder holding the nlohmann, CLI and fmt headers of the build machine")

set(_orvel_header_dir ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_orvel_header_dir})
foreach(_orvel_folder IN ITEMS nlohmann CLI fmt)
  if(NOT IS_DIRECTORY ${ORVEL_HOST_INCLUDE_DIR}/${_orvel_folder})
    message(FATAL_ERROR "${ORVEL_HOST_INCLUDE_DIR}/${_orvel_folder} is missing: install nlohmann-json3-dev, libcli11-dev and libfmt-dev")
  endif()
  file(CREATE_LINK ${ORVEL_HOST_INCLUDE_DIR}/${_orvel_folder} ${_orvel_header_dir}/${_orvel_folder} SYMBOLIC)
endforeach()

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
add_library(fmt::fmt INTERFACE IMPORTED)
foreach(_orvel_target IN ITEMS nlohmann_json::nlohmann_json CLI11::CLI11 fmt::fmt)
  set_target_properties(${_orvel_target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_orvel_header_dir})
endforeach()
set_target_properties(fmt::fmt PROPERTIES INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
