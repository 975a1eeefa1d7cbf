#include "touchstone.h"

#include "export_text.h"

#include <cmath>

namespace padcalc {
namespace {

// An S-parameter in the RI format: its real and imaginary parts.
std::string real_and_imaginary(Complex s) {
    return " " + exact_number(s.real()) + " " + exact_number(s.imag());
}

std::string header(double zone, double ztwo, std::size_t count,
                   const std::vector<std::string>& comment_lines) {
    std::string out = comment_block(comment_lines, "!");
    out += "[Version] 2.0\n";
    out += "# Hz S RI R " + exact_number(zone) + "\n";
    out += "[Number of Ports] 2\n";
    out += "[Two-Port Data Order] 21_12\n";
    out += "[Number of Frequencies] " + std::to_string(count) + "\n";
    out += "[Reference] " + exact_number(zone) + " " + exact_number(ztwo) + "\n";
    out += "[Network Data]\n";
    return out;
}

std::string data_line(double hz, const SParameters& s) {
    return exact_number(hz) + real_and_imaginary(s.s11) + real_and_imaginary(s.s21) +
           real_and_imaginary(s.s12) + real_and_imaginary(s.s22) + "\n";
}

bool finite(Complex c) { return std::isfinite(c.real()) && std::isfinite(c.imag()); }

bool worked_out(double hz, const SParameters& s) {
    return std::isfinite(hz) && finite(s.s11) && finite(s.s21) && finite(s.s12) && finite(s.s22);
}

// The file a block at a time, the S-parameters at each frequency from
// `at`: stops before the first line that is not worked out, and gives its
// frequency, or at the first block refused.
template <class SAt>
std::optional<double> write_blocks(double zone, double ztwo, const std::vector<double>& hz,
                                   const std::vector<std::string>& comment_lines, SAt at,
                                   const Sink& write) {
    const std::size_t block_size = 60000; // bytes held before they are written
    std::string block = header(zone, ztwo, hz.size(), comment_lines);
    for (double f : hz) {
        SParameters s = at(f);
        if (!worked_out(f, s))
            return f;
        block += data_line(f, s);
        if (block.size() > block_size) {
            if (!write(block))
                return std::nullopt;
            block.clear();
        }
    }
    write(block + "[End]\n");
    return std::nullopt;
}

} // namespace

std::string touchstone(const Analysis& analysis, double zone, double ztwo,
                       const std::vector<double>& frequencies_hz,
                       const std::vector<std::string>& comment_lines) {
    std::string out = header(zone, ztwo, frequencies_hz.size(), comment_lines);
    SParameters s{analysis.gamma_in, analysis.s21, analysis.s12, analysis.gamma_out};
    for (double hz : frequencies_hz)
        out += data_line(hz, s);
    out += "[End]\n";
    return out;
}

std::string touchstone(Response& response, double zone, double ztwo,
                       const std::vector<double>& frequencies_hz,
                       const std::vector<std::string>& comment_lines) {
    std::string out = header(zone, ztwo, frequencies_hz.size(), comment_lines);
    for (double hz : frequencies_hz)
        out += data_line(hz, response.at(hz).s);
    out += "[End]\n";
    return out;
}

std::optional<double> write_touchstone(const Analysis& analysis, double zone, double ztwo,
                                       const std::vector<double>& frequencies_hz,
                                       const std::vector<std::string>& comment_lines,
                                       const Sink& write) {
    SParameters s{analysis.gamma_in, analysis.s21, analysis.s12, analysis.gamma_out};
    return write_blocks(
        zone, ztwo, frequencies_hz, comment_lines, [&s](double) { return s; }, write);
}

std::optional<double> write_touchstone(Response& response, double zone, double ztwo,
                                       const std::vector<double>& frequencies_hz,
                                       const std::vector<std::string>& comment_lines,
                                       const Sink& write) {
    return write_blocks(
        zone, ztwo, frequencies_hz, comment_lines,
        [&response](double hz) { return response.s(hz); }, write);
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
