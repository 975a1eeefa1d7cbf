// Input as a pipe or a terminal delivers it, for the whole-session fuzzers:
// the data in pieces of varying size, then the end. Output is counted and
// dropped.
#pragma once

#include "console/console.h"
#include "menu/menu.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace padcalc::fuzzing {

class SessionPort : public Port {
  public:
    SessionPort(Source source, std::string_view input, bool out_terminal)
        : source_(source), input_(input), out_terminal_(out_terminal) {}

    Source source() const override { return source_; }
    long read_keys(char* buf, std::size_t size) override {
        if (at_ >= input_.size())
            return read_end;
        // On a terminal, a piece that starts with Ctrl-Z stands for the
        // program being stopped and continued there.
        if (source_ == Source::terminal && input_[at_] == '\x1a') {
            ++at_;
            return read_resumed;
        }
        std::size_t n = std::min({size, piece_size(), input_.size() - at_});
        std::memcpy(buf, input_.data() + at_, n);
        at_ += n;
        return static_cast<long>(n);
    }
    bool keys_ready() override { return at_ < input_.size(); }
    // Only the terminal echoes, and only split input has a line path of its own.
    long read_lines(char* /*buf*/, std::size_t /*size*/) override { __builtin_trap(); }
    void echo(std::string_view text) override {
        if (source_ != Source::terminal)
            __builtin_trap();
        written += text.size();
    }
    void write_out(std::string_view text) override { written += text.size(); }
    bool out_is_terminal() const override { return out_terminal_; }

    std::size_t written = 0;

  private:
    // The size of the next piece follows from the byte it starts with, so
    // the same input always arrives the same way, and pieces from one byte
    // to a few blocks long all occur.
    std::size_t piece_size() const {
        auto byte = static_cast<unsigned char>(input_[at_]);
        return byte % 8 == 0 ? 9000 : 1 + byte % 13;
    }

    Source source_;
    std::string_view input_;
    std::size_t at_ = 0;
    bool out_terminal_;
};

// Runs the whole program on `data` and traps if it writes more than
// `most_per_byte` bytes for each byte of input: every byte of output must
// answer some byte of input, however the input is made.
inline void run_session(Source source, const std::uint8_t* data, std::size_t size,
                        std::size_t most_per_byte) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // Output to a terminal adds the screen clearing and the closing line end.
    SessionPort port(source, input, size % 2 == 1);
    {
        Console con(port);
        run_menu(con);
        con.end_line();
    }
    if (port.written > most_per_byte * (size + 1))
        __builtin_trap();
}

} // namespace padcalc::fuzzing
