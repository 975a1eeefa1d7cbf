#include "console.h"

#include "number.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

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

// The columns a character fills on the terminal: 0 for a combining mark,
// which goes with the character before it, 2 for a wide one; -1 for one the
// terminal does not show. In a single-byte locale every character shown
// fills one column.
int columns_of(wchar_t wc) {
    if (wc == 0)
        return -1;
#ifdef _WIN32
    int columns = std::iswprint(static_cast<wint_t>(wc)) ? 1 : -1; // Windows has no wcwidth
#else
    int columns = wcwidth(wc);
#endif
    return MB_CUR_MAX == 1 && columns >= 0 ? 1 : columns;
}

constexpr auto incomplete = static_cast<std::size_t>(-2); // mbrtowc: the character goes on
constexpr auto invalid = static_cast<std::size_t>(-1);    // mbrtowc: no character of the locale

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
    if (!out_.empty()) {
        port_.write_out(out_);
        if (port_.out_lost() && !output_lost_)
            lose_output();
    }
    out_.clear();
    if (!echo_.empty())
        port_.echo(echo_);
    echo_.clear();
}

// With standard output lost nothing more is read: the screen under way runs
// to its end without waiting, and the menu ends, as at the end of input.
void Console::lose_output() {
    output_lost_ = true;
    for (Stream* in : {&keys_, &lines_}) {
        in->data.clear();
        in->at = 0;
        in->ended = true;
    }
    line_.clear();
    line_at_ = 0;
}

void Console::end_line() {
    if (port_.out_is_terminal() && !tail_.empty())
        write_text("\n");
    flush();
}

void Console::clear_screen() {
    if (port_.clears_screen())
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
        if (output_lost_)
            return false;
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
    char key = keys_.data[keys_.at++];
    // With no console a script written on Windows ends its lines with CR LF:
    // the pair is one ENTER, as the line path takes it for one line end.
    if (key == '\r' && port_.source() == Source::bare && fill_keys() &&
        keys_.data[keys_.at] == '\n')
        key = keys_.data[keys_.at++];
    return static_cast<unsigned char>(key);
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
    chars_.clear();
    drop_partial();
    editing_ = true;
    while (fill_keys()) {
        bool from_queue = queued && keys_.blocks == queued_block;
        char ch = keys_.data[keys_.at++];
        auto byte = static_cast<unsigned char>(ch);
        if (escape != Escape::none) {
            escape = next_escape_state(escape, byte);
            continue;
        }
        if (byte < 0x20 || ch == key_del)
            drop_partial(); // a control key ends a character half typed
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
            while (!chars_.empty())
                erase_char();
        } else if (ch == key_eof) {
            if (line_.empty())
                break; // the end of input, for this read only
        } else if (ch == key_esc) {
            escape = Escape::start;
        } else if (byte >= 0x20) {
            type_byte(ch);
        }
    }
    editing_ = false;
    line_.clear();
    flush();
    return false;
}

// Takes one typed byte of text. Bytes gather until they make a character of
// the locale's encoding; bytes that make none, and characters the terminal
// does not show, are dropped unseen, so the screen shows all the line holds.
void Console::type_byte(char ch) {
    wchar_t wc = 0;
    std::size_t got = std::mbrtowc(&wc, &ch, 1, &shift_);
    if (got == incomplete) {
        partial_ += ch;
        return;
    }
    if (got == invalid) {
        bool after_partial = !partial_.empty();
        drop_partial();
        if (after_partial)
            type_byte(ch); // the byte may start a character of its own
        return;
    }
    partial_ += ch;
    int columns = columns_of(wc);
    bool room = line_.size() + partial_.size() <= max_line;
    if (room && columns > 0) {
        chars_.push_back({partial_.size(), columns});
    } else if (room && columns == 0 && !chars_.empty()) {
        chars_.back().bytes += partial_.size(); // a mark goes with the character before it
    } else {
        columns = -1;
    }
    if (columns >= 0) {
        line_ += partial_;
        echo_ += partial_;
    }
    drop_partial();
}

void Console::drop_partial() {
    partial_.clear();
    shift_ = std::mbstate_t{};
}

// Erases the last character typed, with the marks that go with it, from the
// line and from the screen: all the columns it fills.
void Console::erase_char() {
    if (chars_.empty())
        return;
    Char last = chars_.back();
    chars_.pop_back();
    line_.resize(line_.size() - last.bytes);
    auto columns = static_cast<std::size_t>(last.columns);
    echo_.append(columns, '\b');
    echo_.append(columns, ' ');
    echo_.append(columns, '\b');
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
