#include "system_port.h"

#ifndef NOMINMAX
#define NOMINMAX // std::min, not the min macro
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <conio.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>

namespace padcalc {
namespace {

// The console's modes as we found them, for the way out. They are shared
// with the control handler, which Windows runs on a thread of its own and
// which can reach nothing else.
struct FoundMode {
    HANDLE handle = nullptr;
    DWORD mode = 0;
};
FoundMode found_input;
FoundMode found_output;

constexpr int key_ctrl_c = 0x03;
constexpr int key_ctrl_z = 0x1a;
constexpr char key_end_of_input = 0x04; // what the line editor takes as the end of input
// _getch gives an arrow or function key as one of these, then the key's code.
constexpr int key_extended = 0x00;
constexpr int key_extended_too = 0xe0;
// An extended key is handed on as an escape sequence with no parameters,
// which the line editor skips whole, as it does a terminal's arrow keys; its
// code must not pass for a digit or a letter typed.
constexpr char extended_sequence[] = "\x1b[~";
constexpr std::size_t key_room = sizeof extended_sequence - 1; // the most bytes one key gives

constexpr std::string_view clear_sequence = "\x1b[H\x1b[2J";
// Older consoles refuse a single write much larger than this.
constexpr std::size_t max_write = std::size_t{16} * 1024;
constexpr std::size_t max_read = 1 << 30;

// Puts the console's modes back, dropping keys typed and not read, so that
// the key that ended the program does not reach the command prompt.
void put_console_back() {
    if (found_input.handle) {
        FlushConsoleInputBuffer(found_input.handle);
        SetConsoleMode(found_input.handle, found_input.mode);
    }
    if (found_output.handle)
        SetConsoleMode(found_output.handle, found_output.mode);
}

// Ctrl-C, Ctrl-Break, the window closing, logoff or shutdown: put the console
// back and pass the event on, to the system's handler, which ends the program.
BOOL WINAPI on_console_event(DWORD /*event*/) {
    put_console_back();
    return FALSE;
}

// While _getch waits it turns the console's processed input off, so a Ctrl-C
// typed then arrives as a key instead of an event: end the program just as
// the system's handler would have.
[[noreturn]] void end_on_ctrl_c() {
    put_console_back();
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

HANDLE open_console(const char* name) {
    HANDLE handle =
        CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// Keystrokes one at a time with no echo. Processed input stays, so Ctrl-C is
// still the console's; the terminal-style input of newer consoles goes, so
// that arrow keys come as the extended keys _getch knows.
bool take_console_input(HANDLE in) {
    DWORD mode = 0;
    if (!GetConsoleMode(in, &mode))
        return false;
    found_input = {in, mode};
    mode |= ENABLE_PROCESSED_INPUT;
    mode &=
        ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_VIRTUAL_TERMINAL_INPUT);
    SetConsoleMode(in, mode);
    return true;
}

// Has the console act on escape sequences, the clearing of the screen among
// them, and start each line after a bare LF at the left edge; false where
// escape sequences cannot be had (before Windows 10).
bool take_console_output(HANDLE out) {
    DWORD mode = 0;
    if (!GetConsoleMode(out, &mode))
        return false;
    found_output = {out, mode};
    mode |= ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    mode &= ~static_cast<DWORD>(DISABLE_NEWLINE_AUTO_RETURN);
    return SetConsoleMode(out, mode);
}

// One keystroke from the console, as the bytes the line editor takes, into
// `out` (key_room bytes); 0 once the console gives no more.
std::size_t take_key(char* out) {
    int key = _getch();
    if (key == key_extended || key == key_extended_too) {
        // A character typed in the console's code page may be 0xE0 too; only
        // an extended key has its code waiting already.
        if (_kbhit()) {
            _getch();
            std::memcpy(out, extended_sequence, key_room);
            return key_room;
        }
    } else if (key == EOF) {
        return 0;
    } else if (key == key_ctrl_c) {
        end_on_ctrl_c();
    } else if (key == key_ctrl_z) {
        key = key_end_of_input; // Ctrl-Z ends input at a Windows console
    }
    out[0] = static_cast<char>(key);
    return 1;
}

// Standard input is read in text mode: a file written on Windows ends its
// lines with CR LF, and the runtime hands them on as the bare LF that the
// line path splits lines at; Ctrl-Z ends the input, as Windows programs do.
long read_stdin(char* buf, std::size_t size) {
    int got = _read(_fileno(stdin), buf, static_cast<unsigned>(std::min(size, max_read)));
    return got > 0 ? got : read_end;
}

// Whether a read of standard input returns at once: with bytes, or with the
// end of a pipe whose writer has gone. Files and devices never wait.
bool stdin_ready() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (GetFileType(in) != FILE_TYPE_PIPE)
        return true;
    DWORD avail = 0;
    return !PeekNamedPipe(in, nullptr, 0, nullptr, &avail, nullptr) || avail > 0;
}

// Writes every byte as it is: no LF becomes CR LF. The texts end their lines
// with a bare LF, and so does a file or pipe they are redirected to, as on
// POSIX; the console itself starts a new line at the left edge on a LF.
// False when the text cannot be written.
bool write_all(HANDLE to, std::string_view text) {
    while (!text.empty()) {
        DWORD done = 0;
        auto piece = static_cast<DWORD>(std::min(text.size(), max_write));
        if (!WriteFile(to, text.data(), piece, &done, nullptr) || done == 0)
            return false;
        text.remove_prefix(done);
    }
    return true;
}

// What ESC[H ESC[2J does, through the console's own calls: every cell of the
// buffer blanked, the cursor at the top left.
void clear_console(HANDLE out) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(out, &info))
        return;
    DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    COORD home{0, 0};
    DWORD done = 0;
    FillConsoleOutputCharacterA(out, ' ', cells, home, &done);
    FillConsoleOutputAttribute(out, info.wAttributes, cells, home, &done);
    SetConsoleCursorPosition(out, home);
}

std::string utf8_of(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back(); // the terminating null, which the size counts
    return out;
}

} // namespace

std::vector<std::string> utf8_arguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return {};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(utf8_of(wide[i]));
    LocalFree(wide);
    return arguments;
}

SystemPort::SystemPort() {
    _setmode(_fileno(stdin), _O_TEXT);
    stdout_ = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    bool in_is_console = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
    // The console's input by name, whether or not standard input is it:
    // _getch reads it the same way.
    console_in_ = open_console("CONIN$");
    if (console_in_ && take_console_input(console_in_)) {
        source_ = in_is_console ? Source::terminal : Source::split;
    } else if (console_in_) {
        CloseHandle(console_in_);
        console_in_ = nullptr;
    }
    // The line editor echoes to the console even when output is redirected.
    if (source_ == Source::terminal)
        console_out_ = open_console("CONOUT$");
    out_is_terminal_ = GetConsoleMode(stdout_, &mode);
    clears_screen_ = out_is_terminal_;
    if (out_is_terminal_)
        clear_by_api_ = !take_console_output(stdout_);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

SystemPort::~SystemPort() {
    SetConsoleCtrlHandler(on_console_event, FALSE);
    put_console_back();
    found_input = {};
    found_output = {};
    if (console_out_)
        CloseHandle(console_out_);
    if (console_in_)
        CloseHandle(console_in_);
}

// Blocks in _getch for the first key, then takes those already typed.
long SystemPort::read_keys(char* buf, std::size_t size) {
    if (source_ == Source::bare)
        return read_stdin(buf, size);
    // A console that can no longer be read ends the keys: _getch would not
    // wait on it but fail at once, in some runtimes as a key 0, over and over.
    DWORD events = 0;
    if (!GetNumberOfConsoleInputEvents(console_in_, &events))
        return read_end;
    std::size_t got = 0;
    do {
        char key[key_room];
        std::size_t length = std::min(take_key(key), size - got);
        if (length == 0)
            break;
        std::memcpy(buf + got, key, length);
        got += length;
    } while (got + key_room <= size && _kbhit());
    return static_cast<long>(got);
}

bool SystemPort::keys_ready() { return source_ == Source::bare ? stdin_ready() : _kbhit() != 0; }

long SystemPort::read_lines(char* buf, std::size_t size) { return read_stdin(buf, size); }

void SystemPort::echo(std::string_view text) {
    if (console_out_)
        write_all(console_out_, text);
}

// The first text that cannot be written is said once on standard error;
// nothing more is tried after it.
void SystemPort::write_out(std::string_view text) {
    bool written = !out_lost_;
    while (written && clear_by_api_) {
        auto at = text.find(clear_sequence);
        if (at == std::string_view::npos)
            break;
        written = write_all(stdout_, text.substr(0, at));
        clear_console(stdout_);
        text.remove_prefix(at + clear_sequence.size());
    }
    written = written && write_all(stdout_, text);
    if (!written && !out_lost_) {
        out_lost_ = true;
        std::fputs("padcalc: write error\n", stderr);
    }
}

} // namespace padcalc
