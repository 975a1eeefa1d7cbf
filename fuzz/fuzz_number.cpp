// The number reader against two references of its own: a recognizer of the
// number grammar written as a state machine, for how much text a number
// takes, and the C library's strtof, for the value of that text.

#include "console/number.h"

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

std::uint32_t bits(float value) {
    std::uint32_t out;
    std::memcpy(&out, &value, sizeof out);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t length = padcalc::scan_number(text);
    if (length != longest_number(text))
        __builtin_trap();
    if (length == 0)
        return 0;

    // strtof needs the text to end; the accepted text holds no NUL of its own.
    std::string number(text.substr(0, length));
    char* end = nullptr;
    float expected = std::strtof(number.c_str(), &end);
    if (end != number.c_str() + length)
        __builtin_trap(); // strtof disagrees on where the number ends
    float got = padcalc::number_value(number);
    if (std::isnan(got) || std::isnan(expected) || bits(got) != bits(expected))
        __builtin_trap();
    return 0;
}
