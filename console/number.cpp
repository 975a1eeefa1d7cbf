#include "number.h"

#include "design/decimal.h"

namespace padcalc {

std::size_t scan_number(std::string_view text) { return scan_decimal(text); }

float number_value(std::string_view number) {
    std::optional<Decimal> value = take_decimal(number);
    return value ? to_float(*value) : 0.0f;
}

} // namespace padcalc
