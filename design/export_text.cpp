#include "export_text.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace padcalc {
namespace {

// The shortest digits that read back to a finite, nonzero magnitude, and
// the power of ten of the first, taken from {fmt}'s text of it in either
// layout. They are kept here, with no allocation: a long sweep writes
// several numbers for each loss.
struct Digits {
    char digits[24];
    int count = 0;
    int exponent = 0;
};

Digits shortest_digits(std::string_view text) {
    Digits d;
    int point = -1; // digits before the decimal point, when it has one
    for (const char* at = text.begin(); at != text.end(); ++at) {
        if (*at == 'e') {
            std::from_chars(at[1] == '+' ? at + 2 : at + 1, text.end(), d.exponent);
            break;
        }
        if (*at == '.')
            point = d.count;
        else
            d.digits[d.count++] = *at;
    }
    d.exponent += (point < 0 ? d.count : point) - 1;
    int first = 0;
    while (d.digits[first] == '0')
        ++first;
    d.exponent -= first;
    while (d.digits[d.count - 1] == '0')
        --d.count;
    std::memmove(d.digits, d.digits + first, static_cast<std::size_t>(d.count - first));
    d.count -= first;
    return d;
}

int decimal_places(int n) { return n < 10 ? 1 : 1 + decimal_places(n / 10); }

// The lengths of printf's %f and %e layouts, with no more digits than they
// take.
int fixed_length(const Digits& d) {
    if (d.exponent < 0)
        return 1 - d.exponent + d.count;
    return d.exponent >= d.count - 1 ? d.exponent + 1 : d.count + 1;
}

int scientific_length(const Digits& d) {
    return d.count + (d.count > 1 ? 1 : 0) + 2 + std::max(2, decimal_places(std::abs(d.exponent)));
}

char* write_scientific(const Digits& d, char* out) {
    *out++ = d.digits[0];
    if (d.count > 1) {
        *out++ = '.';
        out = std::copy_n(d.digits + 1, d.count - 1, out);
    }
    out = std::copy_n(d.exponent < 0 ? "e-" : "e+", 2, out);
    if (std::abs(d.exponent) < 10)
        *out++ = '0';
    return std::to_chars(out, out + 4, std::abs(d.exponent)).ptr;
}

} // namespace

// As std::to_chars writes a double with no format given: the shorter of
// the two layouts, the fixed one when they are as long, and of equally short
// texts the nearest. {fmt} chooses the layout by the number's size instead:
// where the choices differ, a number from 1e-4 up is shorter in scientific
// form (1e+06), and one from 1e16 up is a whole number shorter written out,
// in its exact digits.
void append_exact_number(std::string& out, double value) {
    if (value == 0) {
        out += std::signbit(value) ? "-0" : "0";
        return;
    }
    char text[40];
    char* end = fmt::format_to(text, FMT_COMPILE("{}"), value);
    std::size_t sign = text[0] == '-' ? 1 : 0;
    // Digits on both sides of the point, with no zeros to lead or pad them:
    // the fixed layout, shorter by the exponent's four characters at least.
    std::string_view written(text + sign, static_cast<std::size_t>(end - text) - sign);
    bool written_scientific = written.find('e') != std::string_view::npos;
    bool as_written = !std::isfinite(value) || // inf, -inf, nan or -nan
                      (!written_scientific && written.find('.') != std::string_view::npos &&
                       !written.starts_with("0."));
    if (!as_written) {
        Digits d = shortest_digits(written);
        bool scientific = scientific_length(d) < fixed_length(d);
        if (scientific != written_scientific)
            end = scientific ? write_scientific(d, text + sign)
                             : fmt::format_to(text, FMT_COMPILE("{:.0f}"), value);
    }
    out.append(text, end);
}

std::string exact_number(double value) {
    std::string text;
    append_exact_number(text, value);
    return text;
}

std::string comment_block(const std::vector<std::string>& lines, std::string_view marker) {
    std::string out;
    for (std::string_view text : lines) {
        for (;;) {
            std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            out += marker;
            if (!line.empty()) {
                out += ' ';
                out += line;
            }
            out += "\n";
            if (end == std::string_view::npos)
                break;
            text.remove_prefix(end + 1);
        }
    }
    return out;
}

} // namespace padcalc
