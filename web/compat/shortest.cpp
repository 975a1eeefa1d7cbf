#include "shortest.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace padcalc::web {
namespace {

// A decimal number: digits times ten to the power exponent.
struct Decimal {
    std::uint64_t digits;
    int exponent;
};

bool reads_back(Decimal d, double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%llue%d", static_cast<unsigned long long>(d.digits),
                  d.exponent);
    return std::strtod(text, nullptr) == value;
}

// The fewest significant digits that read back to `value` (positive and
// finite) and, of those, the nearest to it. printf rounds correctly to p
// digits, which gives the nearest; where a power of two makes the interval
// that reads back lopsided, its neighbour one step up or down may read back
// where it does not.
Decimal shortest_decimal(double value) {
    for (int precision = 1; precision <= 17; ++precision) {
        char text[48];
        std::snprintf(text, sizeof text, "%.*e", precision - 1, value);
        char* exponent_at = std::strchr(text, 'e');
        std::uint64_t digits = 0;
        for (const char* c = text; c != exponent_at; ++c)
            if (*c >= '0' && *c <= '9')
                digits = digits * 10 + static_cast<std::uint64_t>(*c - '0');
        Decimal nearest{digits, std::atoi(exponent_at + 1) - (precision - 1)};
        if (reads_back(nearest, value))
            return nearest;
        for (Decimal next :
             {Decimal{digits + 1, nearest.exponent}, Decimal{digits - 1, nearest.exponent}})
            if (next.digits > 0 && reads_back(next, value))
                return next;
    }
    return {0, 0}; // not reached: 17 digits always read back
}

} // namespace

char* write_shortest(char* first, char* last, double value) {
    std::string out;
    if (std::signbit(value))
        out += '-';
    if (std::isnan(value)) {
        out += "nan";
    } else if (std::isinf(value)) {
        out += "inf";
    } else if (value == 0) {
        out += '0';
    } else {
        Decimal d = shortest_decimal(std::fabs(value));
        while (d.digits % 10 == 0) {
            d.digits /= 10;
            ++d.exponent;
        }
        std::string digits = std::to_string(d.digits);
        int count = static_cast<int>(digits.size());
        int scientific_exponent = d.exponent + count - 1; // value is d.ddd times ten to this
        char exponent_text[8];
        std::snprintf(exponent_text, sizeof exponent_text, "e%c%02d",
                      scientific_exponent < 0 ? '-' : '+', std::abs(scientific_exponent));
        std::string scientific = digits.substr(0, 1);
        if (count > 1)
            scientific += "." + digits.substr(1);
        scientific += exponent_text;
        std::string fixed;
        if (d.exponent >= 0) {
            // A whole number is written in full, as it is held, not as the
            // shortest digits padded with zeros.
            char whole[400];
            std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
            fixed = whole;
        } else if (scientific_exponent >= 0)
            fixed = digits.substr(0, static_cast<std::size_t>(scientific_exponent + 1)) + "." +
                    digits.substr(static_cast<std::size_t>(scientific_exponent + 1));
        else
            fixed = "0." + std::string(static_cast<std::size_t>(-scientific_exponent - 1), '0') +
                    digits;
        out += fixed.size() <= scientific.size() ? fixed : scientific;
    }
    if (out.size() > static_cast<std::size_t>(last - first))
        return nullptr;
    std::memcpy(first, out.data(), out.size());
    return first + out.size();
}

int read_decimal(const char* first, const char* last, double& value) {
    std::string text(first, last);
    errno = 0;
    double read = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE)
        return ERANGE;
    value = read;
    return 0;
}

} // namespace padcalc::web
