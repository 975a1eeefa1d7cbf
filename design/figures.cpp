#include "figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace padcalc {

std::string fixed_point(double value, int decimals) {
    if (!std::isfinite(value))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string engineering(double value, std::string_view unit, bool ascii) {
    static constexpr const char* prefixes[] = {"p", "n", "µ", "m", "", "k", "M", "G"};
    if (!std::isfinite(value))
        return fixed_point(value, 3);
    if (std::fabs(value) < 0.5e-15) // below 0.001 p: nothing
        return fixed_point(0.0, 3) + " " + std::string(unit);
    if (std::fabs(value) >= 999.95e9) { // past the last prefix: powers of ten
        char text[32];
        std::snprintf(text, sizeof text, "%.3e", value);
        return text + (" " + std::string(unit));
    }
    // Round to four significant figures first, so that 999.96 becomes 1.000 k.
    auto exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    double step = std::pow(10.0, exponent - 3);
    double rounded = std::round(value / step) * step;
    if (std::fabs(rounded) >= std::pow(10.0, exponent + 1))
        ++exponent;
    int power = std::max(-4, std::min(3, exponent >= 0 ? exponent / 3 : (exponent - 2) / 3));
    int decimals = std::max(0, 3 - (exponent - 3 * power));
    std::string prefix = prefixes[power + 4];
    if (ascii && prefix == "µ")
        prefix = "u";
    return fixed_point(rounded / std::pow(1000.0, power), decimals) + " " + prefix +
           std::string(unit);
}

} // namespace padcalc
