#include "system_port.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace padcalc {
namespace {

// The terminal's state, shared with the signal handlers: the one piece of
// process-wide state, since a handler can reach nothing else.
int tty_fd = -1;
termios tty_saved;   // the modes we found, put back on the way out
termios tty_program; // ours: no line editing, no echo, as the terminal reports them
// The handlers write a byte here when the program is continued after a stop,
// so that a wait for a key wakes up to redraw, however the signal fell.
int resumed_pipe[2] = {-1, -1};
// The terminal written to last, while its cursor stands after text on a line;
// -1 while it stands at the start of a line.
volatile sig_atomic_t open_line_fd = -1;
// Set by the stop handler while it gives the terminal away and stops, and by
// a continue that comes in that time.
volatile sig_atomic_t stopping = 0;
volatile sig_atomic_t continued = 0;

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

bool same_modes(const termios& x, const termios& y) {
    return x.c_iflag == y.c_iflag && x.c_oflag == y.c_oflag && x.c_cflag == y.c_cflag &&
           x.c_lflag == y.c_lflag && std::memcmp(x.c_cc, y.c_cc, sizeof x.c_cc) == 0;
}

// Every signal whose default action ends the process, but SIGKILL, which
// cannot be caught; the real-time signals are added where they are taken.
constexpr int ending_signals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGIO
    SIGIO,
#endif
};

void on_signal(int sig, void (*handler)(int), int also_blocked = 0) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    if (also_blocked)
        sigaddset(&action.sa_mask, also_blocked);
    action.sa_flags = SA_RESTART;
    sigaction(sig, &action, nullptr);
}

// Takes a signal only while it has its default action: one that we were
// started ignoring (nohup, a shell's trap) stays ignored, and a handler
// installed before us (a sanitizer's, for faults) stays in place.
void take_if_default(int sig, void (*handler)(int)) {
    struct sigaction current {};
    if (sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        on_signal(sig, handler);
}

// Puts the terminal back, dropping anything typed and not read, so the key
// that ended the program does not reach the shell, and leaves the cursor at
// the start of a line, as a quit does; then dies of the signal.
void on_ending_signal(int sig) {
    tcsetattr(tty_fd, TCSAFLUSH, &tty_saved);
    int line_fd = open_line_fd;
    if (line_fd >= 0 && write(line_fd, "\n", 1) < 0) {
        // The terminal is gone: there is no line to end.
    }
    signal(sig, SIG_DFL);
    raise(sig); // delivered as the handler returns
}

// Ctrl-Z: give the shell its terminal modes and stop. The stop is sent again
// with its default action while the handler still blocks it, and let through
// for one moment only: a Ctrl-Z soon after the continue either stops us with
// the shell's modes still on, or waits for the handler to be in place again.
// Our modes come back only once it is. When no one could continue us (the
// process group is orphaned: we are the session's own program) the kernel
// discards the stop, and we go on with our modes as if nothing happened.
void on_stop(int /*sig*/) {
    int saved_errno = errno;
    stopping = 1;
    continued = 0;
    tcsetattr(tty_fd, TCSADRAIN, &tty_saved);
    signal(SIGTSTP, SIG_DFL);
    raise(SIGTSTP);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr); // stopped here, until continued
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    on_signal(SIGTSTP, on_stop);
    tcsetattr(tty_fd, TCSADRAIN, &tty_program);
    stopping = 0;
    if (continued)
        note_resumed(); // the shell has written over our last line
    errno = saved_errno;
}

// Continued. After our own stop, on_stop takes our modes back. After a stop
// we never saw (SIGSTOP, or a read from the background) the shell has had
// the terminal and its modes are on it: take ours again and redraw. A
// continue that finds our modes on, with no stop before it, changes nothing.
void on_continue(int /*sig*/) {
    int saved_errno = errno;
    termios now{};
    if (stopping) {
        continued = 1;
    } else if (tcgetattr(tty_fd, &now) == 0 && !same_modes(now, tty_program)) {
        tcsetattr(tty_fd, TCSADRAIN, &tty_program);
        note_resumed();
    }
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
    for (int sig : ending_signals)
        take_if_default(sig, on_ending_signal);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        take_if_default(sig, on_ending_signal);
    take_if_default(SIGTSTP, on_stop);
    on_signal(SIGCONT, on_continue, SIGTSTP);
    tcsetattr(fd, TCSADRAIN, &tty_program);
    // The modes as the terminal keeps them, for a continue to compare with.
    tcgetattr(fd, &tty_program);
}

// Writes the whole text; false when it cannot, and errno says why.
bool write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t done = write(fd, text.data(), text.size());
        if (done > 0) {
            text.remove_prefix(static_cast<std::size_t>(done));
        } else if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{fd, POLLOUT, 0}; // wait, using no processor, until it takes more
            poll(&ready, 1, -1);
        } else if (done == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Text for the terminal. Where it leaves the cursor is noted before it goes
// out, since whatever reads the terminal may act on it, with a signal that
// ends the program, as soon as it is shown.
bool write_terminal(int fd, std::string_view text) {
    if (text.empty())
        return true;
    open_line_fd = text.back() == '\n' ? -1 : fd;
    return write_all(fd, text);
}

// Whether the terminal named by TERM can clear its screen: a dumb terminal,
// or one that is not named, would show the sequence as text.
bool term_clears() {
    const char* term = std::getenv("TERM");
    return term && *term && std::strcmp(term, "dumb") != 0;
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
    // The line editor takes the encoding of what is typed, and the columns
    // each character fills, from the user's locale. Only the character type:
    // numbers are read and written with a full stop whatever the locale says.
    std::setlocale(LC_CTYPE, "");
    out_is_terminal_ = isatty(STDOUT_FILENO);
    clears_screen_ = out_is_terminal_ && term_clears();
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
        write_terminal(echo_fd_, text);
}

// The first text that cannot be written is said once on standard error;
// nothing more is tried after it.
void SystemPort::write_out(std::string_view text) {
    if (out_lost_)
        return;
    if (out_is_terminal_ ? write_terminal(STDOUT_FILENO, text) : write_all(STDOUT_FILENO, text))
        return;
    out_lost_ = true;
    std::string message = "padcalc: write error: ";
    message += std::strerror(errno);
    message += '\n';
    write_all(STDERR_FILENO, message);
}

} // namespace padcalc
