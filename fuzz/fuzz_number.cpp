// The decimal scanner that every entry is read with, against references of
// its own: a recognizer of the number grammar written as a state machine,
// for how much text a number takes, and the C library's strtod and strtof,
// for its value in double precision (the command line's) and single (the
// menu's).

#include "design/decimal.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Where the recognizer stands after each character of a number.
enum class State { start, sign, whole, point, fraction, exp_mark, exp_sign, exp_digits, dead };

bool digit(char ch) { return ch >= '0' && ch <= '9'; }

State step(State state, char ch) {
    bool is_sign = ch == '+' || ch == '-';
    bool is_exp = ch == 'e' || ch == 'E';
    switch (state) {
    case State::start:
        return digit(ch)   ? State::whole
               : ch == '.' ? State::point
               : is_sign   ? State::sign
                           : State::dead;
    case State::sign:
        return digit(ch) ? State::whole : ch == '.' ? State::point : State::dead;
    case State::whole:
        return digit(ch)   ? State::whole
               : ch == '.' ? State::fraction
               : is_exp    ? State::exp_mark
                           : State::dead;
    case State::point: // a point with no digit before it
        return digit(ch) ? State::fraction : State::dead;
    case State::fraction:
        return digit(ch) ? State::fraction : is_exp ? State::exp_mark : State::dead;
    case State::exp_mark:
        return digit(ch) ? State::exp_digits : is_sign ? State::exp_sign : State::dead;
    case State::exp_sign:
    case State::exp_digits:
        return digit(ch) ? State::exp_digits : State::dead;
    case State::dead:
        break;
    }
    return State::dead;
}

// A number may end after a digit of its mantissa, after a point that
// follows a digit, or after a digit of its exponent.
bool accepting(State state) {
    return state == State::whole || state == State::fraction || state == State::exp_digits;
}

std::size_t longest_number(std::string_view text) {
    State state = State::start;
    std::size_t longest = 0;
    for (std::size_t at = 0; at < text.size() && state != State::dead; ++at) {
        state = step(state, text[at]);
        if (accepting(state))
            longest = at + 1;
    }
    return longest;
}

// The same value, bit for bit: the same sign of zero, and no NaN.
template <typename Real> bool same(Real a, Real b) {
    return !std::isnan(a) && std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t length = padcalc::scan_decimal(text);
    if (length != longest_number(text))
        __builtin_trap();
    std::string_view rest = text;
    std::optional<padcalc::Decimal> decimal = padcalc::take_decimal(rest);
    if (decimal.has_value() != (length > 0) || rest.size() != text.size() - length)
        __builtin_trap();
    if (length == 0)
        return 0;

    // strtod needs the text to end; the accepted text holds no NUL of its own.
    std::string number(text.substr(0, length));
    char* end = nullptr;
    double expected = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + length)
        __builtin_trap(); // strtod disagrees on where the number ends
    if (!same(padcalc::to_double(*decimal), expected) ||
        !same(padcalc::to_float(*decimal), std::strtof(number.c_str(), nullptr)))
        __builtin_trap();
    return 0;
}
