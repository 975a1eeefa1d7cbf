// The built program, run as a person runs it: in a pseudo-terminal, with
// standard input redirected, and with no console at all.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utmp.h>

namespace {

const char* const program = PADCALC_PATH;

struct Exit {
    int status = -1;
    rusage usage{};
    bool exited_with(int code) const { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
    bool killed_by(int sig) const { return WIFSIGNALED(status) && WTERMSIG(status) == sig; }
};

bool same_modes(const termios& x, const termios& y) {
    return x.c_iflag == y.c_iflag && x.c_oflag == y.c_oflag && x.c_cflag == y.c_cflag &&
           x.c_lflag == y.c_lflag && std::memcmp(x.c_cc, y.c_cc, sizeof x.c_cc) == 0;
}

// The program on a pseudo-terminal of its own, as its controlling terminal.
// We keep the terminal's far end open, to read its modes after the run.
class PtyRun {
  public:
    explicit PtyRun(int stdin_pipe = -1) {
        if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty");
        tcgetattr(slave_, &before);
        pid_ = fork();
        if (pid_ == 0) {
            close(master_);
            login_tty(dup(slave_));
            if (stdin_pipe >= 0)
                dup2(stdin_pipe, STDIN_FILENO);
            execl(program, program, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~PtyRun() {
        if (pid_ > 0 && !waited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(master_);
        close(slave_);
    }

    termios before{};

    void type(const std::string& keys) {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Reads what the program shows until `text` has appeared since the last call.
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
    void signal(int sig) { kill(pid_, sig); }
    termios modes_now() const {
        termios now{};
        tcgetattr(slave_, &now);
        return now;
    }

    std::string screen;

  private:
    bool read_some(int timeout_ms) {
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, timeout_ms) <= 0)
            return false;
        char buf[4096];
        ssize_t got = read(master_, buf, sizeof buf);
        if (got <= 0)
            return false;
        screen.append(buf, static_cast<std::size_t>(got));
        return true;
    }

    int master_ = -1, slave_ = -1;
    pid_t pid_ = -1;
    bool waited_ = false;
    std::size_t seen_ = 0;
};

// The program with no console: a new session, and pipes for input and output.
struct BareRun {
    std::string output;
    Exit exit;
};

BareRun run_bare(const std::string& input) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid == 0) {
        setsid();
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        close(in[0]), close(in[1]), close(out[0]), close(out[1]);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    // Feed the input and take the output together, so neither pipe fills.
    signal(SIGPIPE, SIG_IGN);
    BareRun run;
    std::size_t written = 0;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
    int open_fds = 2;
    if (input.empty()) {
        close(in[1]);
        fds[1].fd = -1;
        open_fds = 1;
    }
    while (fds[0].fd >= 0) {
        poll(fds, 2, -1);
        if (fds[1].fd >= 0 && fds[1].revents) {
            ssize_t n = write(in[1], input.data() + written,
                              std::min<std::size_t>(65536, input.size() - written));
            if (n > 0)
                written += static_cast<std::size_t>(n);
            if (n < 0 || written == input.size()) {
                close(in[1]);
                fds[1].fd = -1;
            }
        }
        if (fds[0].revents) {
            char buf[65536];
            ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) {
                close(out[0]);
                fds[0].fd = -1;
            } else {
                run.output.append(buf, static_cast<std::size_t>(n));
            }
        }
    }
    (void)open_fds;
    if (fds[1].fd >= 0)
        close(in[1]);
    wait4(pid, &run.exit.status, 0, &run.exit.usage);
    return run;
}

const std::string tee_results = "\nThe value for resistor 'R1' is =   311.696 ohms"
                                "\nThe value for resistor 'R2' is =   311.696 ohms"
                                "\nThe value for resistor 'R3' is =   421.637 ohms";

TEST(NoConsole, RunsAScreenAndQuits) {
    BareRun run = run_bare("a600\n600\n10\n\nq\n");
    EXPECT_TRUE(run.exit.exited_with(0));
    EXPECT_NE(run.output.find(tee_results + "\n\nPress ENTER to return to the main menu"),
              std::string::npos);
    EXPECT_TRUE(run.output.ends_with("\n\nProgram ended, press any key to continue"));
    EXPECT_EQ(run.output.find('\x1b'), std::string::npos); // no clearing off a terminal
}

TEST(NoConsole, InputEndingInAScreenFinishesItAndEnds) {
    BareRun run = run_bare("a600\n");
    EXPECT_TRUE(run.exit.exited_with(0));
    EXPECT_TRUE(run.output.ends_with("Press ENTER to return to the main menu"));
    EXPECT_TRUE(run_bare("").exit.exited_with(0));
}

TEST(NoConsole, RefusedPadIsRetriedAndAccepted) {
    BareRun run = run_bare("e150\n600\n\n600\n150\n\nq\n");
    EXPECT_TRUE(run.exit.exited_with(0));
    EXPECT_NE(run.output.find("must be greater than the outward"), std::string::npos);
    EXPECT_NE(run.output.find("The minium loss for the network is = 11.439 dB"), std::string::npos);
    EXPECT_TRUE(run.output.ends_with("Program ended, press any key to continue"));
}

TEST(Terminal, RunsAScreenTypedAheadAndLeavesTheModesAsTheyWere) {
    PtyRun run;
    run.type("a600\n600\n10\n\nq\n");
    Exit exit = run.wait();
    EXPECT_TRUE(exit.exited_with(0));
    std::string shown = run.screen;
    EXPECT_NE(shown.find("\x1b[H\x1b[2JUnbalanced Tee Network\r\n\r\n"
                         "Please enter a value for the inward impedance: 600\r\n"
                         "Please enter a value for the outward impedance: 600\r\n"
                         "Please enter a value for the loss: 10\r\n\r\n"
                         "The value for resistor 'R1' is =   311.696 ohms\r\n"),
              std::string::npos)
        << shown;
    EXPECT_TRUE(shown.ends_with("Program ended, press any key to continue\r\n")) << shown;
    EXPECT_TRUE(same_modes(run.before, run.modes_now()));
}

TEST(Terminal, ModesComeBackAfterSignals) {
    struct Case {
        const char* where;
        int sig;
        bool by_key;
    } cases[] = {
        {"Q - Quit Program\r\n", SIGINT, true},   {"inward impedance: ", SIGINT, true},
        {"Q - Quit Program\r\n", SIGTERM, false}, {"inward impedance: ", SIGTERM, false},
        {"inward impedance: ", SIGHUP, false},    {"Q - Quit Program\r\n", SIGQUIT, false},
    };
    for (const Case& c : cases) {
        PtyRun run;
        if (std::string(c.where) != "Q - Quit Program\r\n")
            run.type("a");
        ASSERT_TRUE(run.shows(c.where)) << run.screen;
        EXPECT_FALSE(same_modes(run.before, run.modes_now()));
        if (c.by_key)
            run.type("\x03");
        else
            run.signal(c.sig);
        Exit exit = run.wait();
        EXPECT_TRUE(exit.killed_by(c.sig)) << c.sig;
        EXPECT_TRUE(same_modes(run.before, run.modes_now())) << c.sig << " at " << c.where;
    }
}

TEST(Terminal, WaitingAtTheMenuCostsNoCpu) {
    PtyRun run;
    ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    run.type("qx");
    Exit exit = run.wait();
    EXPECT_TRUE(exit.exited_with(0));
    double cpu = exit.usage.ru_utime.tv_sec + exit.usage.ru_utime.tv_usec / 1e6 +
                 exit.usage.ru_stime.tv_sec + exit.usage.ru_stime.tv_usec / 1e6;
    EXPECT_LT(cpu, 0.1);
}

TEST(Terminal, LinesFromAFileAndKeysFromTheTerminal) {
    // Standard input already at its end: each ENTER gives one more refusal.
    int lines[2];
    ASSERT_EQ(pipe(lines), 0);
    close(lines[1]);
    PtyRun run(lines[0]);
    close(lines[0]);
    run.type("e");
    ASSERT_TRUE(run.shows("Please press ENTER to try different values"));
    run.type("\n");
    ASSERT_TRUE(run.shows("Please press ENTER to try different values"));
    run.type("\n");
    ASSERT_TRUE(run.shows("Please press ENTER to try different values"));
    EXPECT_FALSE(run.shows("Please press ENTER", 300)); // and no more by itself
    run.signal(SIGTERM);
    run.wait();
    EXPECT_TRUE(same_modes(run.before, run.modes_now()));
}

} // namespace
