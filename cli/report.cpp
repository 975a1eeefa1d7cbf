// The text report, and the number formats that all the reports share.

#include "report.h"

#include "design/export_text.h"
#include "design/figures.h"
#include "drawing.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>

namespace padcalc {
namespace {

std::string_view ohm_sign(bool ascii) { return ascii ? "ohm" : "Ω"; }

std::string ohms(double value, bool ascii) { return engineering(value, ohm_sign(ascii), ascii); }

std::string entries(const Result& r, bool ascii) {
    const Design& d = r.design;
    const NetworkInfo& n = *d.network;
    std::string ohm(ohm_sign(ascii));
    std::string text(n.title);
    if (n.equal_impedances && !r.analysis) // a check may be between any two impedances
        text += ", " + exact_figure(d.zone) + " " + ohm;
    else
        text += ", " + exact_figure(d.zone) + " " + ohm + " to " + exact_figure(d.ztwo) + " " + ohm;
    if (!n.min_loss && !r.analysis)
        text += ", loss " + exact_figure(d.loss) + " dB";
    text += "\nLeast loss for these impedances: " + fixed_point(d.min_loss, 3) + " dB\n";
    return text;
}

// A resistor's name, role and value, in columns.
std::string resistor_line(const ResistorRole& resistor, double value, bool ascii) {
    return fmt::format("{:<4}{:<36}{:>12}", resistor.name, resistor.role, ohms(value, ascii));
}

std::string resistor_table(const Result& r, bool ascii) {
    const NetworkInfo& n = *r.design.network;
    std::string text;
    for (std::size_t i = 0; i < n.resistors.size(); ++i) {
        text += resistor_line(n.resistors[i], r.design.resistors[i], ascii) + "\n";
    }
    return text;
}

std::string port_figures(std::string_view port, double z, double return_loss, double vswr,
                         bool ascii) {
    return std::string(port) + " impedance " + ohms(z, ascii) + ", return loss " +
           return_loss_text(return_loss) + " dB, VSWR " + fixed_point(vswr, 4) + "\n";
}

std::string analysis_figures(const Analysis& a, bool ascii) {
    return "Loss " + fixed_point(a.loss, 4) + " dB\n" +
           port_figures("Input", a.z_in, a.return_loss_in, a.vswr_in, ascii) +
           port_figures("Output", a.z_out, a.return_loss_out, a.vswr_out, ascii);
}

std::string parts_text(const Choice& c, bool ascii) {
    if (c.joined == Joined::single)
        return "";
    std::string join = c.joined == Joined::series ? " + " : " || ";
    return "  (" + ohms(c.parts[0], ascii) + join + ohms(c.parts[1], ascii) + ")";
}

std::string build_text(const Result& r, std::string_view which, const BuildResult& b, bool ascii) {
    const NetworkInfo& n = *r.design.network;
    std::string text = "\n" + std::string(which) + " " + std::string(series_name(*r.series)) +
                       " build, merit " + fixed_point(b.build.merit, 3) + "\n";
    for (std::size_t i = 0; i < n.resistors.size(); ++i) {
        const Choice& c = b.build.resistors[i];
        text += resistor_line(n.resistors[i], c.ohms, ascii) + parts_text(c, ascii) + "\n";
    }
    text += analysis_figures(b.build.analysis, ascii);
    if (const auto& t = b.tolerance)
        text += "With " + exact_number(t->percent) + "% tolerance: loss " +
                fixed_point(t->loss_low, 4) + " to " + fixed_point(t->loss_high, 4) +
                " dB, worst return loss " + fixed_point(t->worst_return_loss_in, 2) + " dB in, " +
                fixed_point(t->worst_return_loss_out, 2) + " dB out\n";
    return text;
}

std::string part_model_text(const Result& r, bool ascii) {
    std::string text = "\n" + part_model_text(*r.part_model, r.package, ascii) + "\n";
    if (r.holds)
        text += limits_text(r.limits, r.design.network->outward_matched) + ":\n  it " +
                holds_text(*r.holds, r.limits, ascii) + "\n";
    return text;
}

std::string compare_text(const Result& r, bool ascii) {
    std::string text = "\nEach network designed for these entries, with these parts:\n";
    for (const Compared& c : r.compare) {
        text += fmt::format("  {:<{}}{}\n", c.network->id, longest_id() + 2,
                            holds_text(c.holds, r.limits, ascii));
    }
    return text;
}

std::string sweep_line(const Point& p, bool ascii) {
    return fmt::format("{:>14} {:>10} {:>10} {:>10} {:>9}\n", engineering(p.hz, "Hz", ascii),
                       fixed_point(p.loss, 4), return_loss_text(p.return_loss_in),
                       return_loss_text(p.return_loss_out), fixed_point(p.s21_deg, 2));
}

} // namespace

std::string text_report(const Result& r, bool ascii) {
    return entries(r, ascii) + "\n" + drawing(r.design.network, ascii) + "\n" +
           text_details(r, ascii);
}

std::string text_details(const Result& r, bool ascii) {
    std::string text = resistor_table(r, ascii);
    if (r.design.network->min_loss && !r.analysis)
        text += "Loss of the pad: " + fixed_point(r.design.loss, 3) + " dB\n";
    if (const Analysis* a = port_figures(r); a && r.design.buildable)
        text += "\n" + analysis_figures(*a, ascii);
    if (r.part_model)
        text += part_model_text(r, ascii);
    if (r.power)
        text += power_text(r.analysis ? "resistors" : "ideal design", *r.power, ascii);
    for (auto [which, b] : {std::pair{"Nearest", &r.nearest}, {"Best", &r.best}}) {
        if (!*b)
            continue;
        text += build_text(r, which, **b, ascii);
        if ((*b)->holds)
            text += "It " + holds_text(*(*b)->holds, r.limits, ascii) + "\n";
        if ((*b)->power)
            text += power_text("build", *(*b)->power, ascii);
    }
    if (!r.compare.empty())
        text += compare_text(r, ascii);
    return text;
}

bool text_sweep(const std::string& which, Response& response, const Settings& s,
                const Sink& write) {
    std::string block = "\nResponse of the " + which +
                        "\n     frequency    loss dB   RL in dB  RL out dB  S21 " +
                        (s.ascii ? "deg" : "°") + "\n";
    for (double hz : s.frequencies) {
        block += sweep_line(response.at(hz), s.ascii);
        if (block.size() > 60000) {
            if (!write(block))
                return false;
            block.clear();
        }
    }
    return write(block);
}

bool text_sweeps(const Result& r, const Settings& s, const Sink& write) {
    if (!s.sweep)
        return true;
    for (Swept& swept : swept(r))
        if (!text_sweep(r.analysis && swept.key.empty() ? std::string("resistors") : swept.which,
                        swept.response, s, write))
            return false;
    return true;
}

} // namespace padcalc
