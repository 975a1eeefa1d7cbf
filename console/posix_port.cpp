#include "system_port.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace padcalc {
namespace {

// The terminal's state, shared with the signal handlers: the one piece of
// process-wide state, since a handler can reach nothing else.
int tty_fd = -1;
termios tty_saved;   // the modes we found, put back on the way out
termios tty_program; // ours: no line editing, no echo
// The handlers write a byte here when the program is continued after a stop,
// so that a wait for a key wakes up to redraw, however the signal fell.
int resumed_pipe[2] = {-1, -1};

void note_resumed() {
    char byte = 0;
    if (write(resumed_pipe[1], &byte, 1) < 0) {
        // The pipe is full: a redraw is pending already.
    }
}

// Whether the program was continued since the last call.
bool take_resumed() {
    char bytes[64];
    bool any = false;
    while (resumed_pipe[0] >= 0 && read(resumed_pipe[0], bytes, sizeof bytes) > 0)
        any = true;
    return any;
}

constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

bool ignored(int sig) {
    struct sigaction current {};
    return sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void on_signal(int sig, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(sig, &action, nullptr);
}

// Puts the terminal back, dropping anything typed and not read, so the key
// that ended the program does not reach the shell; then dies of the signal.
void on_ending_signal(int sig) {
    tcsetattr(tty_fd, TCSAFLUSH, &tty_saved);
    signal(sig, SIG_DFL);
    raise(sig); // delivered as the handler returns
}

// Ctrl-Z: give the shell its terminal modes and stop. The way back is
// on_continue's, which SIGCONT runs before raise() returns here.
void on_stop(int /*sig*/) {
    int saved_errno = errno;
    tcsetattr(tty_fd, TCSADRAIN, &tty_saved);
    signal(SIGTSTP, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    on_signal(SIGTSTP, on_stop);
    errno = saved_errno;
}

// Continued after a stop: take our modes again, since the shell has had the
// terminal, and have the console redraw its line.
void on_continue(int /*sig*/) {
    int saved_errno = errno;
    tcsetattr(tty_fd, TCSADRAIN, &tty_program);
    note_resumed();
    errno = saved_errno;
}

void take_terminal(int fd) {
    if (tcgetattr(fd, &tty_saved) != 0)
        return;
    tty_program = tty_saved;
    // Only canonical mode and echo go: signals (Ctrl-C) stay, and so does
    // output processing, since the texts end lines with a bare line feed.
    tty_program.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    tty_program.c_cc[VMIN] = 1;
    tty_program.c_cc[VTIME] = 0;
    tty_fd = fd;
    if (pipe(resumed_pipe) == 0) {
        for (int end : resumed_pipe) {
            fcntl(end, F_SETFL, O_NONBLOCK);
            fcntl(end, F_SETFD, FD_CLOEXEC);
        }
    }
    // A signal that we were started ignoring (nohup, a shell's trap) stays ignored.
    for (int sig : ending_signals)
        if (!ignored(sig))
            on_signal(sig, on_ending_signal);
    if (!ignored(SIGTSTP))
        on_signal(SIGTSTP, on_stop);
    on_signal(SIGCONT, on_continue);
    tcsetattr(fd, TCSADRAIN, &tty_program);
}

void write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t done = write(fd, text.data(), text.size());
        if (done >= 0) {
            text.remove_prefix(static_cast<std::size_t>(done));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd ready{fd, POLLOUT, 0};
            poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            return; // nowhere to write to: the text is lost, the program goes on
        }
    }
}

// One read of a block, waiting for it without using the processor; read_end
// once the source has ended or failed (a hang-up gives 0 or EIO),
// read_resumed after a stop and continue.
long read_block(int fd, char* buf, std::size_t size) {
    for (;;) {
        if (take_resumed())
            return read_resumed;
        pollfd ready[2] = {{fd, POLLIN, 0}, {resumed_pipe[0], POLLIN, 0}};
        if (poll(ready, 2, -1) < 0 && errno != EINTR)
            return read_end;
        if (ready[0].revents == 0)
            continue; // woken by a signal or by the resumed pipe
        ssize_t got = read(fd, buf, size);
        if (got >= 0)
            return got;
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return read_end;
    }
}

// A standard descriptor that was closed gets /dev/null, so that no file we
// open (the terminal) takes its number and passes for standard input.
void fill_standard_descriptors() {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) != fd)
            return;
    }
}

} // namespace

SystemPort::SystemPort() {
    fill_standard_descriptors();
    out_is_terminal_ = isatty(STDOUT_FILENO);
    if (isatty(STDIN_FILENO)) {
        source_ = Source::terminal;
        key_fd_ = STDIN_FILENO;
        // The line editor echoes to the terminal even when output is redirected.
        if ((fcntl(STDIN_FILENO, F_GETFL) & O_ACCMODE) == O_RDWR)
            echo_fd_ = STDIN_FILENO;
        else if (const char* name = ttyname(STDIN_FILENO))
            echo_fd_ = open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } else {
        int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) {
            source_ = Source::split;
            key_fd_ = fd;
        }
    }
    if (source_ != Source::bare)
        take_terminal(key_fd_);
}

SystemPort::~SystemPort() {
    if (tty_fd >= 0) {
        tcsetattr(tty_fd, TCSAFLUSH, &tty_saved);
        tty_fd = -1;
    }
    if (echo_fd_ > STDERR_FILENO)
        close(echo_fd_);
    if (source_ == Source::split)
        close(key_fd_); // the /dev/tty opened for the keys
}

long SystemPort::read_keys(char* buf, std::size_t size) { return read_block(key_fd_, buf, size); }

long SystemPort::read_lines(char* buf, std::size_t size) {
    return read_block(STDIN_FILENO, buf, size);
}

bool SystemPort::keys_ready() {
    pollfd ready{key_fd_, POLLIN, 0};
    return poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN);
}

void SystemPort::echo(std::string_view text) {
    if (echo_fd_ >= 0)
        write_all(echo_fd_, text);
}

void SystemPort::write_out(std::string_view text) { write_all(STDOUT_FILENO, text); }

} // namespace padcalc
