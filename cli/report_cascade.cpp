// A cascade's reports for people and for spreadsheets.

#include "report.h"

#include "design/export_text.h"
#include "design/figures.h"
#include "drawing.h"

namespace padcalc {
namespace {

std::string heading(const CascadeResult& c, bool ascii) {
    std::string text = "Cascade of " + std::to_string(c.stages.size()) + " stages, " +
                       std::string(c.network->title) + ", " + exact_figure(c.z) +
                       (ascii ? " ohm" : " Ω") + ", loss " + exact_figure(c.loss) + " dB\n";
    return text + (c.split == Split::dissipation
                       ? "Split so that each stage dissipates the same power, fed inward\n"
                       : "Split so that each stage has the same loss\n");
}

std::string built(const CascadeResult& c) {
    if (!c.built)
        return "";
    const Analysis& a = *c.built;
    return "\nThe cascade of the best " + std::string(series_name(*c.stages.front().series)) +
           " builds: loss " + fixed_point(a.loss, 4) + " dB, return loss " +
           return_loss_text(a.return_loss_in) + " dB in, " + return_loss_text(a.return_loss_out) +
           " dB out\n";
}

// A line without its line end, for more columns.
std::string open_line(std::string line) {
    line.pop_back();
    return line;
}

} // namespace

std::string text_report(const CascadeResult& c, bool ascii) {
    std::string text = heading(c, ascii) + "\n" + drawing(c.network, ascii);
    for (std::size_t k = 0; k < c.stages.size(); ++k)
        text += "\nStage " + std::to_string(k + 1) + ": loss " +
                fixed_point(c.stages[k].design.loss, 3) + " dB, dissipating " +
                fixed_point(c.dissipated[k], 4) + " of the power fed in\n" +
                text_details(c.stages[k], ascii);
    text += built(c);
    if (c.holds) {
        const Result& first = c.stages.front();
        text += "\nThe whole cascade of ideal designs, with these parts:\n  it " +
                holds_text(*c.holds, first.limits, ascii) + "\n";
    }
    return text;
}

std::string csv_report(const CascadeResult& c, const Settings& s) {
    bool builds = s.series.has_value();
    std::string holds = c.holds ? ",holds_to_hz,holds" : "";
    std::string text = "stage," + open_line(csv_header(c.stages.front(), builds, s.pairs)) + holds +
                       ",dissipated_fraction" +
                       (c.holds ? ",cascade_holds_to_hz,cascade_holds" : "") + "\n";
    for (std::size_t k = 0; k < c.stages.size(); ++k) {
        text += std::to_string(k + 1) + "," + open_line(csv_row(c.stages[k], builds, s.pairs));
        if (c.holds)
            add_holds(text, c.stages[k].holds);
        text += "," + exact_number(c.dissipated[k]);
        if (c.holds)
            add_holds(text, c.holds);
        text += "\n";
    }
    return text;
}

} // namespace padcalc
