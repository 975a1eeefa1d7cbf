// The console: the six operations through which the menu and the screens
// talk to the user, built on a platform Port.
//
// One keyboard feeds two paths. The key path gives single keystrokes, with no
// echo and no ENTER needed. The line path gives whole lines, from which
// read_value takes numbers; what follows a number stays for the next read.
// When both paths are one stream (a terminal, or standard input with no
// console at all), the line buffer holds the rest of the current line
// through its line end, and the key path is the bytes after it: keystrokes
// read ahead wait in a queue of our own, and a read that needs a fresh line
// takes them first.
#pragma once

#include "port.h"

#include <cstddef>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace padcalc {

// What read_key gives once the key path has ended.
constexpr int no_key = -1;

// The longest line the line path keeps, as a terminal's own line limit does;
// the rest of a longer line, up to its line end, is dropped.
constexpr std::size_t max_line = 4095;

// A value as "%W.Pf" prints it, with "nan", "inf" and "-inf" in the same field.
std::string format_fixed(double value, int width, int precision);

class Console {
  public:
    explicit Console(Port& port);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void clear_screen();
    void write_text(std::string_view text);
    // A text with one "%W.Pf" directive, filled with `value`.
    void write_text(std::string_view format, double value);
    // Reads one number from the line path into `target`; on unreadable text
    // or the end of input, `target` keeps its value.
    void read_value(float& target);
    // The oldest pending keystroke (0 to 255), waiting for one if need be;
    // no_key once the key path has ended.
    int read_key();
    bool key_pending();
    // Returns once a keystroke is pending, leaving it pending; false once the
    // key path has ended and no key can come.
    bool wait_key();
    // Whether the key path has ended: no key will ever come again.
    bool keys_ended() const;
    void flush();
    // Leaves the terminal's cursor at the start of a line, for the shell.
    void end_line();
    // Whether standard output could not be written: from then on nothing is
    // read, as at the end of input, so the program comes to its end.
    bool output_failed() const { return output_lost_; }

  private:
    // Bytes read ahead from one input stream, taken from the front.
    struct Stream {
        std::string data;
        std::size_t at = 0;
        unsigned long blocks = 0; // refills so far
        bool ended = false;
        bool empty() const { return at >= data.size(); }
    };
    using Reader = long (Port::*)(char*, std::size_t);
    // A character of the line being typed: its bytes, with those of the
    // marks that go with it, and the columns it fills on the screen.
    struct Char {
        std::size_t bytes;
        int columns;
    };

    bool fill(Stream& in, Reader read);
    bool fill_keys() { return fill(keys_, &Port::read_keys); }
    bool next_line();
    bool take_raw_line(Stream& in, Reader read);
    bool edit_line();
    void type_byte(char ch);
    void drop_partial();
    void erase_char();
    void redraw();
    void lose_output();

    Port& port_;
    std::string out_;  // written, not yet flushed
    std::string echo_; // echo of the line editor, not yet flushed
    std::string tail_; // what stands on the screen's last line, for a redraw
    Stream keys_;      // the key path's queue
    Stream lines_;     // standard input read ahead, when it is not the key path
    std::string line_; // the line buffer: the rest of the current line
    std::size_t line_at_ = 0;
    bool editing_ = false;     // line_ is a line being typed
    std::vector<Char> chars_;  // the characters of the line being typed
    std::string partial_;      // typed bytes of a character not yet whole
    std::mbstate_t shift_{};   // the locale's decoding state after partial_
    bool output_lost_ = false; // standard output could not be written
};

} // namespace padcalc
