// A whole session with no console: the input is everything typed, keys and
// lines in one stream, and the program must come to its end when the input
// does, whatever the input holds.

#include "console/console.h"
#include "menu/menu.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// Standard input as a pipe delivers it: the data in pieces of varying size,
// then the end. Output is counted and dropped.
class PipePort : public padcalc::Port {
  public:
    explicit PipePort(std::string_view input, bool out_terminal)
        : input_(input), out_terminal_(out_terminal) {}

    padcalc::Source source() const override { return padcalc::Source::bare; }
    long read_keys(char* buf, std::size_t size) override {
        if (at_ >= input_.size())
            return padcalc::read_end;
        std::size_t n = std::min({size, piece_size(), input_.size() - at_});
        std::memcpy(buf, input_.data() + at_, n);
        at_ += n;
        return static_cast<long>(n);
    }
    bool keys_ready() override { return at_ < input_.size(); }
    // With no console there is no separate line path and no echo.
    long read_lines(char*, std::size_t) override { __builtin_trap(); }
    void echo(std::string_view) override { __builtin_trap(); }
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

    std::string_view input_;
    std::size_t at_ = 0;
    bool out_terminal_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // Output to a terminal adds the screen clearing and the closing line end.
    PipePort port(input, size % 2 == 1);
    {
        padcalc::Console con(port);
        padcalc::run_menu(con);
        con.end_line();
    }
    // Every byte of output answers some byte of input: a few screens' worth
    // per byte at most, however the input is made.
    if (port.written > 1024 * (size + 1))
        __builtin_trap();
    return 0;
}
