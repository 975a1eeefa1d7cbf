#include "command_line.h"

namespace padcalc {

int run_command_line(int /*argc*/, char** /*argv*/) { return 2; }

} // namespace padcalc
