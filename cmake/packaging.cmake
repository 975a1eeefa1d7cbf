# Installing padcalc and packaging it for Debian.
#
#   cmake --install build --prefix DIR    DIR/bin/padcalc, DIR/share/man/man1/padcalc.1,
#                                         DIR/share/bash-completion/completions/padcalc
#   cd build && cpack -G DEB              padcalc_VERSION_ARCH.deb
#
# Debian wants manual pages gzipped: the package gets the page compressed in
# its staging tree, while a plain install keeps it as it is.

include(GNUInstallDirs)

install(TARGETS padcalc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES doc/padcalc.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(PADCALC_MAN_PAGE padcalc.1)

# The bash completion goes where bash-completion looks for it: the
# completionsdir of its pkg-config file, taken below the install prefix when
# it lies under bash-completion's own (so that --prefix ~/.local puts it in
# ~/.local/share/bash-completion/completions, which bash-completion also
# searches); without that file, the usual place under the data folder.
set(PADCALC_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_get_variable(completions_dir bash-completion completionsdir)
  pkg_get_variable(completions_prefix bash-completion prefix)
  if(completions_dir AND completions_prefix)
    string(REGEX REPLACE "/$" "" completions_prefix "${completions_prefix}")
    string(FIND "${completions_dir}" "${completions_prefix}/" at)
    if(at EQUAL 0)
      file(RELATIVE_PATH PADCALC_COMPLETIONS_DIR "${completions_prefix}" "${completions_dir}")
    else()
      set(PADCALC_COMPLETIONS_DIR "${completions_dir}")
    endif()
  endif()
endif()
# The program writes its own completion, from the tables the command line
# is built from; each build of it writes the script anew.
set(PADCALC_COMPLETION ${CMAKE_BINARY_DIR}/completion/padcalc)
if(NOT CMAKE_CROSSCOMPILING)
  add_custom_command(TARGET padcalc POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/completion
    COMMAND sh -c "\"$1\" --completion > \"$2\"" sh $<TARGET_FILE:padcalc> ${PADCALC_COMPLETION}
    VERBATIM)
  install(FILES ${PADCALC_COMPLETION} DESTINATION ${PADCALC_COMPLETIONS_DIR})
endif()
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/gzip-manual.cmake)

# The Debian package. Section electronics rather than math: padcalc is a tool
# for designing circuits (its answers are resistor values for a given source
# and load), where math holds general calculators and algebra systems.
set(PADCALC_DEB_MAINTAINER "padcalc developers <padcalc@example.org>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")

set(CPACK_PACKAGE_NAME padcalc)
set(CPACK_PACKAGE_VENDOR "padcalc developers")
set(CPACK_PACKAGE_CONTACT "${PADCALC_DEB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator for resistive attenuators and matching pads")
# The description names the networks as the program itself lists them, so
# it is read from the built program's --help when cpack runs.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package-description.cmake)
set(CPACK_PADCALC_PROGRAM ${CMAKE_BINARY_DIR}/padcalc${CMAKE_EXECUTABLE_SUFFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PADCALC_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # needs dpkg-shlibdeps, from dpkg-dev
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # padcalc_1.0.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
