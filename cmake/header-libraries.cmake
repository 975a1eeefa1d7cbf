# The header-only libraries, from Debian's packages: CLI11 and nlohmann/json
# for the command line (libcli11-dev, nlohmann-json3-dev), fast_float and
# {fmt} for the design library's numbers (libfast-float-dev, libfmt-dev).
# The page, built with Emscripten, takes all but CLI11.
#
# A cross build, for Windows or for the page, cannot take the build
# machine's /usr/include as a whole, since it holds the build machine's C
# library: it gets a folder of its own with only these libraries' headers
# linked into it.
if(CMAKE_CROSSCOMPILING)
  set(header_root ${CMAKE_CURRENT_BINARY_DIR}/header-libraries)
  file(MAKE_DIRECTORY ${header_root})
  set(header_dirs nlohmann fast_float fmt)
  set(header_packages nlohmann-json3-dev libfast-float-dev libfmt-dev)
  if(NOT EMSCRIPTEN)
    list(APPEND header_dirs CLI)
    list(APPEND header_packages libcli11-dev)
  endif()
  foreach(dir ${header_dirs})
    if(NOT EXISTS /usr/include/${dir})
      list(JOIN header_packages " " packages)
      message(FATAL_ERROR "/usr/include/${dir} is missing: apt-get install ${packages}")
    endif()
    file(CREATE_LINK /usr/include/${dir} ${header_root}/${dir} SYMBOLIC)
  endforeach()
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  add_library(FastFloat::fast_float INTERFACE IMPORTED)
  add_library(fmt::fmt-header-only INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 nlohmann_json::nlohmann_json FastFloat::fast_float
                        fmt::fmt-header-only PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${header_root})
  # {fmt} compiles its own sources in, as its header-only target does.
  set_target_properties(fmt::fmt-header-only PROPERTIES
                        INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
else()
  find_package(CLI11 REQUIRED)
  find_package(nlohmann_json 3 REQUIRED)
  find_package(FastFloat REQUIRED)
  find_package(fmt 9 REQUIRED)
endif()
