// Running the built program as a person runs it: on a pseudo-terminal of its
// own, or with no console at all (a new session, with pipes).
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>
#include <vector>

namespace padcalc::testing {

inline const char* const program = PADCALC_PATH;

struct Exit {
    int status = -1;
    rusage usage{};
    bool exited_with(int code) const { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
    bool killed_by(int sig) const { return WIFSIGNALED(status) && WTERMSIG(status) == sig; }
    double cpu_seconds() const {
        return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
               usage.ru_stime.tv_usec / 1e6;
    }
};

// What `stty -g` shows: the modes, and the control characters.
inline bool same_modes(const termios& x, const termios& y) {
    return x.c_iflag == y.c_iflag && x.c_oflag == y.c_oflag && x.c_cflag == y.c_cflag &&
           x.c_lflag == y.c_lflag && std::memcmp(x.c_cc, y.c_cc, sizeof x.c_cc) == 0;
}

[[noreturn]] inline void exec_command(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// For PtyOptions: start the command with its standard input closed.
constexpr int closed_stdin = -2;

struct PtyOptions {
    int stdin_fd = -1;      // standard input instead of the terminal, or closed_stdin
    int ignored_signal = 0; // a signal the command is started ignoring, as by nohup
    // The terminal's name in TERM, as a terminal emulator sets it; none unsets it.
    const char* term = "xterm";
    std::vector<std::string> env{}; // more of the environment, as NAME=value
    // As a shell runs it: a foreground job in a process group of its own, with
    // the session's leader standing for the shell, so that a stop really
    // stops it. The leader reports each stop (job_stopped()).
    bool as_job = false;
    int job_cpu = -1; // the one processor the job runs on, when not -1
};

// Keeps this process on one processor while it lives, and names another for
// the program, so that the two truly run at once: on one processor each
// would run through a race's window in turn, and the race would never show.
class ApartProcessors {
  public:
    ApartProcessors() {
        sched_getaffinity(0, sizeof was_, &was_);
        int ours = -1;
        for (int cpu = 0; cpu < CPU_SETSIZE && program_cpu < 0; ++cpu) {
            if (CPU_ISSET(cpu, &was_))
                (ours < 0 ? ours : program_cpu) = cpu;
        }
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(ours, &one);
        if (program_cpu >= 0)
            sched_setaffinity(0, sizeof one, &one);
    }
    ~ApartProcessors() { sched_setaffinity(0, sizeof was_, &was_); }
    ApartProcessors(const ApartProcessors&) = delete;
    ApartProcessors& operator=(const ApartProcessors&) = delete;
    int program_cpu = -1; // -1 with a single processor
  private:
    cpu_set_t was_{};
};

// A command on a pseudo-terminal of its own, as its controlling terminal.
// We keep the terminal's far end open, to read its modes after the run.
class PtyRun {
  public:
    explicit PtyRun(std::vector<std::string> command = {program}, PtyOptions options = {}) {
        int reports[2];
        if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0 || pipe(reports) != 0)
            throw std::runtime_error("openpty");
        tcgetattr(slave_, &before);
        pid_ = fork();
        if (pid_ == 0) {
            close(master_);
            close(reports[0]);
            login_tty(dup(slave_));
            start(command, options, reports[1]);
        }
        close(reports[1]);
        reports_ = reports[0];
        job_ = pid_;
        if (options.as_job && read(reports_, &job_, sizeof job_) != sizeof job_)
            throw std::runtime_error("no job");
    }
    ~PtyRun() {
        if (pid_ > 0 && !waited_) {
            kill(job_, SIGKILL);
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        hang_up();
        close(slave_);
        close(reports_);
    }
    PtyRun(const PtyRun&) = delete;
    PtyRun& operator=(const PtyRun&) = delete;

    termios before{};
    std::string screen; // everything the terminal was sent

    void type(const std::string& keys) {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Types `keys`, then reads what is shown until `text` has appeared.
    [[nodiscard]] bool answer(const std::string& keys, const std::string& text) {
        type(keys);
        return shows(text);
    }
    // Reads what is shown until `text` has appeared since the last call.
    bool shows(const std::string& text, int timeout_ms = 5000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (screen.find(text, seen_) == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !read_some(static_cast<int>(left.count())))
                return false;
        }
        seen_ = screen.find(text, seen_) + text.size();
        return true;
    }
    Exit wait() {
        Exit result;
        wait4(pid_, &result.status, 0, &result.usage);
        waited_ = true;
        while (read_some(100)) {
        }
        return result;
    }
    // Waits at most `timeout_ms` for the command to end.
    bool ends_within(int timeout_ms, Exit& result) {
        for (int waited = 0; waited < timeout_ms; waited += 10) {
            if (wait4(pid_, &result.status, WNOHANG, &result.usage) == pid_) {
                waited_ = true;
                return true;
            }
            usleep(10000);
        }
        return false;
    }
    void signal(int sig) { kill(job_, sig); }
    // For a job: waits, five seconds at most, for the leader's report that
    // the job has stopped.
    bool job_stopped() {
        pollfd ready{reports_, POLLIN, 0};
        char report = 0;
        return poll(&ready, 1, 5000) > 0 && read(reports_, &report, 1) == 1 && report == 'T';
    }
    // The terminal closes under the program, as when its window is closed.
    void hang_up() {
        if (master_ >= 0)
            close(master_);
        master_ = -1;
    }
    termios modes_now() const {
        termios now{};
        tcgetattr(slave_, &now);
        return now;
    }

  private:
    bool read_some(int timeout_ms) {
        pollfd ready{master_, POLLIN, 0};
        if (master_ < 0 || poll(&ready, 1, timeout_ms) <= 0)
            return false;
        char buf[4096];
        ssize_t got = read(master_, buf, sizeof buf);
        if (got <= 0)
            return false;
        screen.append(buf, static_cast<std::size_t>(got));
        return true;
    }

    // In the child, on the terminal: the command, or the leader of its job.
    [[noreturn]] static void start(const std::vector<std::string>& command,
                                   const PtyOptions& options, int reports) {
        if (options.stdin_fd >= 0)
            dup2(options.stdin_fd, STDIN_FILENO);
        if (options.stdin_fd == closed_stdin)
            close(STDIN_FILENO);
        std::signal(SIGPIPE, SIG_DFL); // run_bare has us ignore it; a terminal does not
        if (options.ignored_signal)
            std::signal(options.ignored_signal, SIG_IGN);
        if (options.term)
            setenv("TERM", options.term, 1);
        else
            unsetenv("TERM");
        for (const std::string& setting : options.env)
            putenv(const_cast<char*>(setting.c_str()));
        if (options.as_job)
            lead_job(command, reports, options.job_cpu);
        exec_command(command);
    }
    // The session's leader, in place of a shell: puts the command in a process
    // group of its own, gives it the terminal, and reports its stops.
    [[noreturn]] static void lead_job(const std::vector<std::string>& command, int reports,
                                      int cpu) {
        std::signal(SIGTTOU, SIG_IGN); // handing the terminal on is not a write
        pid_t job = fork();
        if (job == 0) {
            if (cpu >= 0) {
                cpu_set_t one;
                CPU_ZERO(&one);
                CPU_SET(cpu, &one);
                sched_setaffinity(0, sizeof one, &one);
            }
            setpgid(0, 0);
            tcsetpgrp(STDIN_FILENO, getpgrp());
            std::signal(SIGTTOU, SIG_DFL);
            exec_command(command);
        }
        setpgid(job, job);
        tcsetpgrp(STDIN_FILENO, job);
        if (write(reports, &job, sizeof job) != sizeof job)
            _exit(127);
        int status = 0;
        while (waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status)) {
            if (write(reports, "T", 1) != 1)
                break;
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }

    int master_ = -1, slave_ = -1;
    int reports_ = -1;
    pid_t pid_ = -1;
    pid_t job_ = -1; // the command itself: pid_, or the job that pid_ leads
    bool waited_ = false;
    std::size_t seen_ = 0;
};

// The program with no console: a new session, and pipes for input, output
// and errors.
struct BareRun {
    std::string output; // standard output, or its last megabyte
    std::size_t output_size = 0;
    std::string errors;
    Exit exit;
};

struct BareOptions {
    std::vector<std::string> args;
    rlim_t address_limit = 0;          // bytes of address space at most, when not 0
    const char* output_file = nullptr; // standard output goes there instead of a pipe
    bool output_closed = false;        // to a pipe no one reads, with SIGPIPE ignored
};

inline void start_bare(const BareOptions& options, int in[2], int out[2], int err[2]) {
    setsid();
    dup2(in[0], STDIN_FILENO);
    std::signal(SIGPIPE, options.output_closed ? SIG_IGN : SIG_DFL);
    int unread[2];
    if (options.output_file) {
        int file = open(options.output_file, O_WRONLY);
        dup2(file, STDOUT_FILENO);
    } else if (options.output_closed && pipe(unread) == 0) {
        close(unread[0]);
        dup2(unread[1], STDOUT_FILENO);
    } else {
        dup2(out[1], STDOUT_FILENO);
    }
    dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
        close(fd);
    if (options.address_limit) {
        rlimit limit{options.address_limit, options.address_limit};
        setrlimit(RLIMIT_AS, &limit);
    }
    std::vector<std::string> command{program};
    command.insert(command.end(), options.args.begin(), options.args.end());
    exec_command(command);
}

// Feeds the input and takes the output together, so that neither pipe fills.
inline BareRun run_bare(const std::string& input, const BareOptions& options = {}) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid == 0)
        start_bare(options, in, out, err);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    std::signal(SIGPIPE, SIG_IGN);
    fcntl(in[1], F_SETFL, O_NONBLOCK); // a full pipe must not stop us reading the output
    BareRun run;
    const std::size_t keep = 1 << 20;
    std::size_t written = 0;
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
    std::string* into[2] = {&run.output, &run.errors};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (fds[2].fd >= 0 && written == input.size()) {
            close(in[1]);
            fds[2].fd = -1;
        }
        poll(fds, 3, -1);
        if (fds[2].fd >= 0 && fds[2].revents) {
            std::size_t chunk = std::min<std::size_t>(65536, input.size() - written);
            ssize_t n = write(in[1], input.data() + written, chunk);
            if (n > 0)
                written += static_cast<std::size_t>(n);
            else if (errno != EAGAIN)
                written = input.size();
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            char buf[65536];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                continue;
            }
            into[i]->append(buf, static_cast<std::size_t>(n));
            if (i == 0)
                run.output_size += static_cast<std::size_t>(n);
            if (into[i]->size() > 2 * keep)
                into[i]->erase(0, into[i]->size() - keep);
        }
    }
    if (fds[2].fd >= 0)
        close(in[1]);
    wait4(pid, &run.exit.status, 0, &run.exit.usage);
    return run;
}

} // namespace padcalc::testing
