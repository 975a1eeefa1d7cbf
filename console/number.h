// The decimal numbers that the calculator reads: an optional sign, digits
// with at most one decimal point among or around them, and an optional
// exponent. No words (inf, nan), no hexadecimal, and no dependence on the
// locale: the decimal point is always a full stop.
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
