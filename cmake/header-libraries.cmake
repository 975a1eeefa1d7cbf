# CLI11 and nlohmann/json, the command line's header-only libraries, from
# Debian's packages (libcli11-dev, nlohmann-json3-dev).
#
# A cross build for Windows cannot take the build machine's /usr/include as a
# whole, since it holds the build machine's C library: it gets a folder of
# its own with only the two libraries' headers linked into it.
if(CMAKE_CROSSCOMPILING)
  set(header_root ${CMAKE_CURRENT_BINARY_DIR}/header-libraries)
  file(MAKE_DIRECTORY ${header_root})
  foreach(dir CLI nlohmann)
    if(NOT EXISTS /usr/include/${dir})
      message(FATAL_ERROR "/usr/include/${dir} is missing: apt-get install libcli11-dev nlohmann-json3-dev")
    endif()
    file(CREATE_LINK /usr/include/${dir} ${header_root}/${dir} SYMBOLIC)
  endforeach()
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 nlohmann_json::nlohmann_json PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${header_root})
else()
  find_package(CLI11 REQUIRED)
  find_package(nlohmann_json 3 REQUIRED)
endif()
