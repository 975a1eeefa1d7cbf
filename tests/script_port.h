// A console port driven by a script: keystrokes arrive in the chunks given,
// as a person types them between the program's reads, and everything shown
// (output and echo) is kept in one transcript.
#pragma once

#include "console/console.h"
#include "menu/menu.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace padcalc::testing {

inline const std::string cls = "\x1b[H\x1b[2J";

// A chunk that stands for the program being stopped (Ctrl-Z) and continued.
inline const std::string resume = "<resume>";

class ScriptPort : public Port {
  public:
    explicit ScriptPort(Source source, std::vector<std::string> keys, std::string lines = {})
        : source_(source), keys_(keys.begin(), keys.end()), lines_(std::move(lines)) {}

    std::string transcript;                 // what reached the screen, in order
    std::vector<std::string> seen_at_reads; // the transcript at each read that waits
    bool terminal_out = true;
    bool lose_output = false; // standard output fails from the start

    Source source() const override { return source_; }
    long read_keys(char* buf, std::size_t size) override {
        seen_at_reads.push_back(transcript);
        if (keys_.empty())
            return read_end;
        if (keys_.front() == resume) {
            keys_.pop_front();
            return read_resumed;
        }
        std::string& chunk = keys_.front();
        std::size_t n = std::min(size, chunk.size());
        std::memcpy(buf, chunk.data(), n);
        chunk.erase(0, n);
        if (chunk.empty())
            keys_.pop_front();
        return static_cast<long>(n);
    }
    bool keys_ready() override { return !keys_.empty(); }
    long read_lines(char* buf, std::size_t size) override {
        std::size_t n = std::min(size, lines_.size() - lines_at_);
        std::memcpy(buf, lines_.data() + lines_at_, n);
        lines_at_ += n;
        return static_cast<long>(n);
    }
    void echo(std::string_view text) override { transcript += text; }
    void write_out(std::string_view text) override { transcript += text; }
    bool out_is_terminal() const override { return terminal_out; }
    bool out_lost() const override { return lose_output; }

  private:
    Source source_;
    std::deque<std::string> keys_;
    std::string lines_;
    std::size_t lines_at_ = 0;
};

// The menu as it is drawn, from the clearing of the screen.
inline const std::string menu = cls + "Please select an option\n\n"
                                      "A - Unbalanced Tee Network\n"
                                      "B - Balanced H Network\n"
                                      "C - Unbalanced Pi Network\n"
                                      "D - Balanced Pi Network\n"
                                      "E - Minimal Loss Pad (Unbalanced)\n"
                                      "F - Minimal Loss Pad (Balanced)\n"
                                      "\nQ - Quit Program\n";
inline const std::string invalid = "\n\nPlease enter either A, B, C, D, E, F or Q";
inline const std::string ended = "\n\nProgram ended, press any key to continue";
inline const std::string closing = "\n\nPress ENTER to return to the main menu";
inline const std::string inward = "Please enter a value for the inward impedance: ";
inline const std::string outward = "Please enter a value for the outward impedance: ";
inline const std::string loss = "Please enter a value for the loss: ";

// Runs the menu on a script and gives what the screen showed.
inline std::string run_menu_on(ScriptPort& port) {
    {
        Console con(port);
        run_menu(con);
    }
    return port.transcript;
}
inline std::string run_menu_on(Source source, std::vector<std::string> keys,
                               std::string lines = {}) {
    ScriptPort port(source, std::move(keys), std::move(lines));
    return run_menu_on(port);
}

// The three result lines of a fixed-loss screen, as printed.
inline std::string results(const char* r1, const char* r2, const char* r3) {
    return std::string("\nThe value for resistor 'R1' is = ") + r1 +
           " ohms\nThe value for resistor 'R2' is = " + r2 +
           " ohms\nThe value for resistor 'R3' is = " + r3 + " ohms";
}

} // namespace padcalc::testing
