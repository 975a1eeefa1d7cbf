// The options of the power figures besides --power and --rating: the load,
// the voltage rating and the derating with temperature.
#pragma once

#include "options.h"

#include <string>

namespace padcalc {

// Reads them into `s`; false, with `error` naming the option and its value,
// when one cannot be read or is out of its range.
bool read_power_options(const OptionTexts& t, Settings& s, std::string& error);

} // namespace padcalc
