// What the console needs of the platform: where keystrokes and lines come
// from, and where text goes. The POSIX terminal, the Windows console and the
// scripted consoles of the tests each provide one.
#pragma once

#include <cstddef>
#include <string_view>

namespace padcalc {

enum class Source {
    terminal, // keys and lines from one terminal; the console edits and echoes lines
    split,    // keys from the terminal, lines from redirected standard input
    bare,     // no console at all: keys and lines share standard input
};

// What a read gives besides a count of bytes.
constexpr long read_end = 0;      // the source has ended and will give nothing more
constexpr long read_resumed = -1; // the program was suspended and continued; redraw

class Port {
  public:
    virtual ~Port() = default;
    virtual Source source() const = 0;
    // Blocks until at least one keystroke byte is there, then reads a block of them.
    virtual long read_keys(char* buf, std::size_t size) = 0;
    // Whether a keystroke byte can be read without waiting.
    virtual bool keys_ready() = 0;
    // The line path when it is not the key path (Source::split); blocks likewise.
    virtual long read_lines(char* buf, std::size_t size) = 0;
    // Writes what the line editor shows of the user's typing, on the terminal.
    virtual void echo(std::string_view text) = 0;
    // Writes to standard output.
    virtual void write_out(std::string_view text) = 0;
    // Whether standard output could not be written; once lost it stays lost.
    virtual bool out_lost() const { return false; }
    virtual bool out_is_terminal() const = 0;
    // Whether standard output is a terminal that can clear its screen.
    virtual bool clears_screen() const { return out_is_terminal(); }
};

} // namespace padcalc
