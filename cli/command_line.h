// The command line: one-shot designs and checks, for scripts and notes.
#pragma once

namespace padcalc {

// Runs the command that the arguments name and gives the exit status:
// 0 done, 1 a design that cannot be built or a failure, 2 a usage error.
int run_command_line(int argc, char** argv);

} // namespace padcalc
