// The console on a POSIX terminal.
#pragma once

#include "port.h"

namespace padcalc {

// Keys come from standard input when it is a terminal, else from the
// controlling terminal, else (no console at all) from standard input itself.
// While a terminal is in use it runs without line editing and echo, and it
// is put back as it was on every way out: the destructor, and the signals
// that end or stop the program.
class PosixPort final : public Port {
  public:
    PosixPort();
    ~PosixPort() override;
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    Source source() const override { return source_; }
    long read_keys(char* buf, std::size_t size) override;
    bool keys_ready() override;
    long read_lines(char* buf, std::size_t size) override;
    void echo(std::string_view text) override;
    void write_out(std::string_view text) override;
    bool out_is_terminal() const override { return out_is_terminal_; }

  private:
    Source source_ = Source::bare;
    int key_fd_ = 0;
    int echo_fd_ = -1;
    bool out_is_terminal_ = false;
    bool opened_tty_ = false; // key_fd_ is /dev/tty, opened here
};

} // namespace padcalc
