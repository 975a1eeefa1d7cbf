# Read by cpack: the package's description, with the networks the built
# program lists in its --help (each line "  id  resistors  title").
execute_process(COMMAND ${CPACK_PADCALC_PROGRAM} --help OUTPUT_VARIABLE help)
string(REGEX MATCH "the resistors in the network's order:\n(.*)\nNumbers may" list "${help}")
string(REGEX MATCHALL "  +R[0-9 R]+  +([^\n]+)" lines "${CMAKE_MATCH_1}")
set(titles "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^ +R[0-9 R]+  +" "" title "${line}")
  list(APPEND titles "${title}")
endforeach()
list(JOIN titles ", " networks)
set(CPACK_PACKAGE_DESCRIPTION
    "padcalc works out the resistors of resistive pads from the source and
load impedances and, for attenuators, the loss wanted in dB. It covers
these networks: ${networks}.

It runs as a console menu: one key chooses a network, the entries are
typed as numbers, and the resistors are shown at once, with a warning when
the entries cannot make a network. With no console it reads a whole
session from standard input, so it can be scripted.

On the command line it designs any of them in one call, or checks a pad
built from given resistors, and writes text with a drawing, JSON or CSV.
It chooses preferred values (E3 to E192, singly or in pairs) for the least
error in loss and match, shows what tolerance does, gives the power in each
resistor, and exports a SPICE subcircuit and a Touchstone file.")
