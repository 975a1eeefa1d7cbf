// What Emscripten 3.1.6's C++ library (libc++ 14) lacks and the design
// library and the number reader use: std::from_chars and std::to_chars for
// double, and std::ranges::any_of. The web build includes this ahead of each
// of their sources only when a test compile finds the gap, so a newer
// Emscripten builds them as they are.
#pragma once

#include "shortest.h"

#include <cerrno>
#include <charconv>
#include <system_error>

namespace std {

inline to_chars_result to_chars(char* first, char* last, double value) {
    char* end = padcalc::web::write_shortest(first, last, value);
    return end ? to_chars_result{end, errc{}} : to_chars_result{last, errc::value_too_large};
}

// Only what the number reader passes: digits, a point and an exponent.
inline from_chars_result from_chars(const char* first, const char* last, double& value) {
    if (first == last)
        return {first, errc::invalid_argument};
    int error = padcalc::web::read_decimal(first, last, value);
    return {last, error == ERANGE ? errc::result_out_of_range : errc{}};
}

namespace ranges {

template <class Range, class Predicate> bool any_of(Range&& range, Predicate predicate) {
    for (auto&& item : range)
        if (predicate(item))
            return true;
    return false;
}

} // namespace ranges
} // namespace std
