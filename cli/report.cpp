// The text report, and the number formats that all the reports share.

#include "report.h"

#include "drawing.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace padcalc {
namespace {

std::string_view ohm_sign(bool ascii) { return ascii ? "ohm" : "Ω"; }

// A figure in a fixed number of decimals, with nan and inf as such.
std::string fixed(double value, int decimals) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string entries(const Result& r, bool ascii) {
    const Design& d = r.design;
    const NetworkInfo& n = info(d.network);
    std::string ohm(ohm_sign(ascii));
    std::string text(n.title);
    if (n.equal_impedances)
        text += ", " + exact(d.zone) + " " + ohm;
    else
        text += ", " + exact(d.zone) + " " + ohm + " to " + exact(d.ztwo) + " " + ohm;
    if (!n.min_loss && !r.analysis)
        text += ", loss " + exact(d.loss) + " dB";
    text += "\nLeast loss for these impedances: " + fixed(d.min_loss, 3) + " dB\n";
    return text;
}

std::string resistor_table(const Result& r, bool ascii) {
    const NetworkInfo& n = info(r.design.network);
    std::string text;
    for (std::size_t i = 0; i < n.resistors.size(); ++i) {
        char line[160];
        std::snprintf(line, sizeof line, "%-4s%-36s%12s\n",
                      std::string(n.resistors[i].name).c_str(),
                      std::string(n.resistors[i].role).c_str(),
                      engineering_ohms(r.design.resistors[i], ascii).c_str());
        text += line;
    }
    return text;
}

std::string port_figures(std::string_view port, double z, double return_loss, double vswr,
                         bool ascii) {
    return std::string(port) + " impedance " + engineering_ohms(z, ascii) + ", return loss " +
           fixed(return_loss, 2) + " dB, VSWR " + fixed(vswr, 4) + "\n";
}

std::string analysis_figures(const Analysis& a, bool ascii) {
    return "Loss " + fixed(a.loss, 4) + " dB\n" +
           port_figures("Input", a.z_in, a.return_loss_in, a.vswr_in, ascii) +
           port_figures("Output", a.z_out, a.return_loss_out, a.vswr_out, ascii);
}

} // namespace

std::string exact(double value) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string engineering_ohms(double ohms, bool ascii) {
    std::string unit(ohm_sign(ascii));
    if (!std::isfinite(ohms) || ohms == 0)
        return fixed(ohms, 3) + " " + unit;
    static constexpr const char* prefixes[] = {"p", "n", "µ", "m", "", "k", "M", "G"};
    auto power = static_cast<int>(std::floor(std::log10(std::fabs(ohms)) / 3.0));
    power = std::max(-4, std::min(3, power));
    double scaled = ohms / std::pow(1000.0, power);
    // Four significant figures; a value that rounds up to 1000 takes the next prefix.
    int whole_digits = std::fabs(scaled) >= 100 ? 3 : std::fabs(scaled) >= 10 ? 2 : 1;
    std::string digits = fixed(scaled, 4 - whole_digits);
    if (std::fabs(std::stod(digits)) >= 1000 && power < 3) {
        ++power;
        digits = fixed(ohms / std::pow(1000.0, power), 3);
    }
    std::string prefix = prefixes[power + 4];
    if (ascii && prefix == "µ")
        prefix = "u";
    return digits + " " + prefix + unit;
}

std::string text_report(const Result& r, bool ascii) {
    std::string text = entries(r, ascii) + "\n" + drawing(r.design.network, ascii) + "\n" +
                       resistor_table(r, ascii);
    if (info(r.design.network).min_loss && !r.analysis)
        text += "Loss of the pad: " + fixed(r.design.loss, 3) + " dB\n";
    if (r.analysis)
        text += "\n" + analysis_figures(*r.analysis, ascii);
    return text;
}

} // namespace padcalc
