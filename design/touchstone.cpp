#include "touchstone.h"

#include "export_text.h"

#include <cmath>

namespace padcalc {
namespace {

// A real S-parameter in the RI format: its real part, and 0 for the imaginary.
std::string real_and_imaginary(double s) { return " " + exact_number(s) + " 0"; }

} // namespace

std::string touchstone(const Analysis& analysis, double zone, double ztwo,
                       const std::vector<double>& frequencies_hz,
                       const std::vector<std::string>& comment_lines) {
    std::string out = comment_block(comment_lines, "!");
    out += "[Version] 2.0\n";
    out += "# Hz S RI R " + exact_number(zone) + "\n";
    out += "[Number of Ports] 2\n";
    out += "[Two-Port Data Order] 21_12\n";
    out += "[Number of Frequencies] " + std::to_string(frequencies_hz.size()) + "\n";
    out += "[Reference] " + exact_number(zone) + " " + exact_number(ztwo) + "\n";
    out += "[Network Data]\n";
    std::string parameters = real_and_imaginary(analysis.gamma_in) +
                             real_and_imaginary(analysis.s21) + real_and_imaginary(analysis.s12) +
                             real_and_imaginary(analysis.gamma_out);
    for (double hz : frequencies_hz)
        out += exact_number(hz) + parameters + "\n";
    out += "[End]\n";
    return out;
}

std::vector<double> log_frequencies(double start, double stop, int points) {
    std::vector<double> hz;
    if (points < 1)
        return hz;
    hz.push_back(start);
    double decades = std::log10(stop / start);
    // When the ratio is beyond a double, each point is worked out from the
    // logarithms alone, where start times a power of ten would overflow.
    bool wide = !std::isfinite(decades);
    if (wide)
        decades = std::log10(stop) - std::log10(start);
    for (int i = 1; i < points - 1; ++i) {
        double rise = decades * i / (points - 1);
        hz.push_back(wide ? std::pow(10.0, std::log10(start) + rise)
                          : start * std::pow(10.0, rise));
    }
    if (points > 1)
        hz.push_back(stop); // exactly, not as the last step left it
    return hz;
}

} // namespace padcalc
