// The numbers that the menu's screens read: a decimal number alone, with no
// prefix or unit, read as the design library reads every decimal number
// (design/decimal.h), into single precision.
#pragma once

#include <cstddef>
#include <string_view>

namespace padcalc {

// Length of the longest prefix of `text` that forms a number; 0 if none does.
std::size_t scan_number(std::string_view text);

// The single-precision value of a whole number as scan_number accepts it,
// correctly rounded; beyond the range of a float it is an infinity or zero.
float number_value(std::string_view number);

} // namespace padcalc
