#include "console.h"

#include "number.h"

#include <cmath>
#include <cstdio>

namespace padcalc {
namespace {

constexpr std::size_t block_size = 4096;                  // bytes asked of one read
constexpr std::size_t out_limit = std::size_t{64} * 1024; // output held before it is written anyway
constexpr std::size_t tail_limit = 1024;                  // longest last line kept for a redraw

constexpr char key_eof = 0x04;  // Ctrl-D
constexpr char key_kill = 0x15; // Ctrl-U
constexpr char key_esc = 0x1b;
constexpr char key_bs = 0x08;
constexpr char key_del = 0x7f;

bool is_space(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool is_enter(char ch) { return ch == '\n' || ch == '\r'; }

// Escape sequences (arrow and function keys) arrive as ESC, then '[' or 'O',
// then parameters and one final byte. The line editor ignores all of it.
enum class Escape { none, start, csi, ss3 };

Escape next_escape_state(Escape state, unsigned char ch) {
    switch (state) {
    case Escape::start:
        return ch == '[' ? Escape::csi : ch == 'O' ? Escape::ss3 : Escape::none;
    case Escape::csi:
        return ch >= 0x40 && ch <= 0x7e ? Escape::none : Escape::csi;
    default:
        return Escape::none;
    }
}

} // namespace

std::string format_fixed(double value, int width, int precision) {
    char buf[512];
    if (std::isnan(value))
        std::snprintf(buf, sizeof buf, "%*s", width, "nan");
    else if (std::isinf(value))
        std::snprintf(buf, sizeof buf, "%*s", width, value < 0 ? "-inf" : "inf");
    else
        std::snprintf(buf, sizeof buf, "%*.*f", width, precision, value);
    return buf;
}

Console::Console(Port& port) : port_(port) {}

Console::~Console() { flush(); }

void Console::flush() {
    if (!out_.empty())
        port_.write_out(out_);
    out_.clear();
    if (!echo_.empty())
        port_.echo(echo_);
    echo_.clear();
}

void Console::end_line() {
    if (port_.out_is_terminal() && !tail_.empty())
        write_text("\n");
    flush();
}

void Console::clear_screen() {
    if (port_.out_is_terminal())
        write_text("\x1b[H\x1b[2J");
    tail_.clear();
}

void Console::write_text(std::string_view text) {
    out_ += text;
    auto last_end = text.rfind('\n');
    if (last_end != std::string_view::npos)
        tail_.assign(text.substr(last_end + 1));
    else if (tail_.size() + text.size() <= tail_limit)
        tail_ += text;
    if (out_.size() >= out_limit)
        flush();
}

void Console::write_text(std::string_view format, double value) {
    // The one directive: '%', field width, '.', precision, 'f'.
    auto start = format.find('%');
    if (start == std::string_view::npos) {
        write_text(format);
        return;
    }
    int width = 0;
    int precision = 0;
    std::size_t at = start + 1;
    for (; at < format.size() && format[at] >= '0' && format[at] <= '9'; ++at)
        width = width * 10 + (format[at] - '0');
    if (at < format.size() && format[at] == '.')
        for (++at; at < format.size() && format[at] >= '0' && format[at] <= '9'; ++at)
            precision = precision * 10 + (format[at] - '0');
    if (at < format.size() && format[at] == 'f')
        ++at;
    std::string text(format.substr(0, start));
    text += format_fixed(value, width, precision);
    text += format.substr(at);
    write_text(text);
}

// Makes sure `in` holds a byte, reading a block if it is empty. Everything
// written so far reaches the screen before a read that may wait.
bool Console::fill(Stream& in, Reader read) {
    if (!in.empty())
        return true;
    if (in.ended)
        return false;
    for (;;) {
        flush();
        in.data.resize(block_size);
        long got = (port_.*read)(in.data.data(), in.data.size());
        if (got > 0) {
            in.data.resize(static_cast<std::size_t>(got));
            in.at = 0;
            ++in.blocks;
            return true;
        }
        if (got == read_resumed) {
            redraw();
            continue;
        }
        in.ended = true;
        in.data.clear();
        in.at = 0;
        return false;
    }
}

int Console::read_key() {
    if (!fill_keys())
        return no_key;
    return static_cast<unsigned char>(keys_.data[keys_.at++]);
}

bool Console::key_pending() { return !keys_.empty() || (!keys_.ended && port_.keys_ready()); }

bool Console::wait_key() { return fill_keys(); }

bool Console::keys_ended() const { return keys_.ended; }

void Console::read_value(float& target) {
    for (;;) {
        while (line_at_ < line_.size() && is_space(line_[line_at_]))
            ++line_at_;
        if (line_at_ < line_.size())
            break;
        if (!next_line())
            return; // the end of input: nothing is converted
    }
    std::string_view rest(line_.data() + line_at_, line_.size() - line_at_);
    std::size_t length = scan_number(rest);
    if (length == 0) {
        // Unreadable text would block every later read; drop it with its line.
        line_at_ = line_.size();
        return;
    }
    target = number_value(rest.substr(0, length));
    line_at_ += length;
}

// Starts a fresh line in the line buffer; false at the end of input.
bool Console::next_line() {
    line_.clear();
    line_at_ = 0;
    switch (port_.source()) {
    case Source::terminal:
        return edit_line();
    case Source::bare:
        return take_raw_line(keys_, &Port::read_keys);
    case Source::split:
        // Keys typed before this line was needed are not meant for it, and
        // must not carry a refusal round again without a new keystroke.
        keys_.data.clear();
        keys_.at = 0;
        return take_raw_line(lines_, &Port::read_lines);
    }
    return false;
}

// A line of redirected input, up to and with its line end. A last line
// without a line end counts; past max_line characters the line is cut.
bool Console::take_raw_line(Stream& in, Reader read) {
    while (fill(in, read)) {
        std::string_view rest(in.data.data() + in.at, in.data.size() - in.at);
        std::size_t end = rest.find('\n');
        bool ends = end != std::string_view::npos;
        std::size_t length = ends ? end : rest.size();
        std::size_t room = max_line - std::min(max_line, line_.size());
        line_.append(rest.substr(0, std::min(length, room)));
        in.at += ends ? length + 1 : length;
        if (ends) {
            line_ += '\n';
            return true;
        }
    }
    return !line_.empty();
}

// The line editor for a terminal. Keystrokes already queued when the line
// starts are taken as if typed now, but a queued ENTER on the empty line (the
// key that ended the last wait) is dropped unseen, so the cursor stays after
// the prompt.
bool Console::edit_line() {
    flush(); // the prompt, then the echo after it
    bool queued = !keys_.empty();
    unsigned long queued_block = keys_.blocks;
    Escape escape = Escape::none;
    editing_ = true;
    while (fill_keys()) {
        bool from_queue = queued && keys_.blocks == queued_block;
        char ch = keys_.data[keys_.at++];
        auto byte = static_cast<unsigned char>(ch);
        if (escape != Escape::none) {
            escape = next_escape_state(escape, byte);
            continue;
        }
        if (is_enter(ch)) {
            if (line_.empty() && from_queue)
                continue;
            echo_ += '\n';
            line_ += '\n';
            tail_.clear(); // the echoed line end starts a new line on the screen
            editing_ = false;
            flush();
            return true;
        }
        if (ch == key_bs || ch == key_del) {
            erase_char();
        } else if (ch == key_kill) {
            while (!line_.empty())
                erase_char();
        } else if (ch == key_eof) {
            if (line_.empty())
                break; // the end of input, for this read only
        } else if (ch == key_esc) {
            escape = Escape::start;
        } else if (byte >= 0x20 && line_.size() < max_line) {
            line_ += ch;
            echo_ += ch;
        }
    }
    editing_ = false;
    line_.clear();
    flush();
    return false;
}

// Erases the last character typed: one column on the screen, and for UTF-8
// text all the bytes of that character.
void Console::erase_char() {
    if (line_.empty())
        return;
    while (line_.size() > 1 && (static_cast<unsigned char>(line_.back()) & 0xc0) == 0x80)
        line_.pop_back();
    line_.pop_back();
    echo_ += "\b \b";
}

// After the program was suspended and continued, the shell has written over
// our last line: write it again, with the line being typed.
void Console::redraw() {
    if (port_.out_is_terminal())
        out_ += tail_;
    if (editing_)
        echo_ += line_;
    flush();
}

} // namespace padcalc
