// The console of the system the program is built for: a POSIX terminal
// (posix_port.cpp) or the Windows console (windows_port.cpp).
#pragma once

#include "port.h"

#ifdef _WIN32
#include <string>
#include <vector>
#endif

namespace padcalc {

#ifdef _WIN32
// The program's arguments in UTF-8, from the command line Windows keeps in
// UTF-16; empty if it cannot be read.
std::vector<std::string> utf8_arguments();
#endif

// On POSIX, keys come from standard input when it is a terminal, else from
// the controlling terminal, else (no console at all) from standard input
// itself. On Windows they come from the console when there is one, whether or
// not standard input is redirected, else from standard input.
//
// While the terminal or console is in use it gives single keystrokes with no
// echo, and Ctrl-C still ends the program. Its modes are put back as they
// were on every way out: the destructor, and the signals or console events
// that end or stop the program.
class SystemPort final : public Port {
  public:
    SystemPort();
    ~SystemPort() override;
    SystemPort(const SystemPort&) = delete;
    SystemPort& operator=(const SystemPort&) = delete;

    Source source() const override { return source_; }
    long read_keys(char* buf, std::size_t size) override;
    bool keys_ready() override;
    long read_lines(char* buf, std::size_t size) override;
    void echo(std::string_view text) override;
    void write_out(std::string_view text) override;
    bool out_lost() const override { return out_lost_; }
    bool out_is_terminal() const override { return out_is_terminal_; }
    bool clears_screen() const override { return clears_screen_; }

  private:
    Source source_ = Source::bare;
    bool out_is_terminal_ = false;
    bool clears_screen_ = false;
    bool out_lost_ = false; // standard output failed; said once, not tried again
#ifdef _WIN32
    // Handles are kept as void*, which a Windows HANDLE is, so that this
    // header does not bring <windows.h> and its macros into the program.
    void* stdout_ = nullptr;
    void* console_in_ = nullptr;  // CONIN$, opened here; null without a console
    void* console_out_ = nullptr; // CONOUT$, opened here, for the echo
    bool clear_by_api_ = false;   // the console does not understand escape sequences
#else
    int key_fd_ = 0; // standard input, or with lines split from keys /dev/tty
    int echo_fd_ = -1;
#endif
};

} // namespace padcalc
