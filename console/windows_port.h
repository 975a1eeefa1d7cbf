// The console on Windows.
#pragma once

#include "port.h"

namespace padcalc {

// Keys come from the console when there is one (whether or not standard
// input is redirected), else from standard input itself. While the console
// is in use it gives single keystrokes without echo, and Ctrl-C still ends
// the program; the console's modes are put back as they were on every way
// out: the destructor, Ctrl-C, Ctrl-Break and the closing of the window.
class WindowsPort final : public Port {
  public:
    WindowsPort();
    ~WindowsPort() override;
    WindowsPort(const WindowsPort&) = delete;
    WindowsPort& operator=(const WindowsPort&) = delete;

    Source source() const override { return source_; }
    long read_keys(char* buf, std::size_t size) override;
    bool keys_ready() override;
    long read_lines(char* buf, std::size_t size) override;
    void echo(std::string_view text) override;
    void write_out(std::string_view text) override;
    bool out_is_terminal() const override { return out_is_console_; }

  private:
    // Handles are kept as void*, which a Windows HANDLE is, so that this
    // header does not bring <windows.h> and its macros into the program.
    void* stdout_ = nullptr;
    void* console_in_ = nullptr;  // CONIN$, opened here; null without a console
    void* console_out_ = nullptr; // CONOUT$, opened here, for the echo
    Source source_ = Source::bare;
    bool out_is_console_ = false;
    bool clear_by_api_ = false; // the console does not understand escape sequences
};

} // namespace padcalc
