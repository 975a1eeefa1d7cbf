// The program under hostile input, signals, suspension and hang-ups: it ends
// cleanly or keeps working, and the terminal is always left as it was.

#include "process.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace padcalc::testing {
namespace {

#ifdef PADCALC_SANITIZED
const rlim_t address_limit = 0;    // the sanitizers' shadow memory cannot live under a limit
const int interrupted_writes = 30; // each takes seconds under the sanitizers
#else
const rlim_t address_limit = 64 << 20;
const int interrupted_writes = 100;
#endif

// With no console, and no more than 64 MiB of address space.
BareRun run_limited(const std::string& input) {
    BareOptions limited;
    limited.address_limit = address_limit;
    return run_bare(input, limited);
}

const std::string ended = "Program ended, press any key to continue";

// Each input is fed with no console and no more than 64 MiB of address space.
TEST(HostileInput, EndsCleanly) {
    std::string every_byte;
    for (int byte = 0; byte < 256; ++byte)
        every_byte += static_cast<char>(byte);
    std::string high_bytes = every_byte.substr(128);
    std::string escapes = "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOP\x1bOQ\x1b[15~\x1b[1;5D\x1b";
    const std::string inputs[] = {
        "a" + std::string(64 << 20, '7'), // a line with no end, at a prompt
        every_byte + every_byte,
        "a" + every_byte + "\n" + every_byte,
        std::string(1000, '\0') + "a" + std::string(1000, '\0') + "\n1\n2\n\nq\n",
        high_bytes + "b" + high_bytes + "\n" + high_bytes + "\n\nq\n",
        escapes + "c" + escapes + "\n" + escapes + "\n" + escapes + "\nq\n",
        "e" + escapes + "\n" + escapes + "\n" + escapes,
        std::string(1000000, 'x') + "q\n",
    };
    for (const std::string& input : inputs) {
        BareRun run = run_limited(input);
        EXPECT_TRUE(run.exit.exited_with(0))
            << "status " << run.exit.status << " for input of " << input.size() << " bytes";
    }
}

TEST(HostileInput, NumbersAtTheEdges) {
    struct Case {
        std::string input, shown;
    } cases[] = {
        {"a1e39\n-1e39\n1e-50\n", "'R1' is =       nan ohms"},
        {"a+\n.\n5e\n", "'R1' is =     0.000 ohms"},
        {"a5e+\n" + std::string(400, '9') + "\n10\n", "'R2' is =       nan ohms"},
        {"a600\n600\n" + std::string(400, '0') + "10\n", "'R1' is =   311.696 ohms"},
        {"e1e39\n50\n", "The impedances must be positive numbers"},
    };
    for (const Case& c : cases) {
        BareRun run = run_limited(c.input + "\nq\n");
        EXPECT_TRUE(run.exit.exited_with(0)) << c.input;
        EXPECT_NE(run.output.find(c.shown), std::string::npos) << c.input << run.output;
    }
}

// Figures at the ends of the prefixes on the command line. Each of these once
// aborted (basic_string: construction from null, status 134) and wrote
// nothing: a figure from 0.9995e-24 to just under 0.99995e-24 took the
// prefix before yocto. Each ends as a design or check does, the figure in
// a power of ten, and a sweep through the edge writes every design.
TEST(HostileInput, FiguresPastThePrefixesOnTheCommandLine) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string shown;
    } cases[] = {
        {{"tee", "50", "50", "240.0003", "--power", "1W"}, 0, "R2     9.999e-25 W"},
        {{"tee", "50", "50", "520.001", "--ascii"}, 0, "9.999e-25 ohm"},
        {{"tee", "50", "50", "10", "--power", "9.999e-25W"}, 0, "9.999e-25 W available"},
        {{"tee", "50", "50", "10", "--freq", "9.999e-25:1:2"}, 0, "  9.999e-25 Hz"},
        {{"tee", "50", "50", "10", "--ls", "9.999e-25"}, 0, "with 9.999e-25 H in series"},
        {{"check", "tee", "50", "50", "50", "50", "9.999e-25", "--ascii"}, 1, "9.999e-25 ohm"},
        {{"tee", "50", "50", "239.99:240.01:0.001", "--power", "1W"}, 0, "loss 240.01 dB"},
    };
    for (const Case& c : cases) {
        BareOptions options;
        options.args = c.args;
        options.address_limit = address_limit;
        BareRun run = run_bare("", options);
        std::string command = ::testing::PrintToString(c.args);
        EXPECT_TRUE(run.exit.exited_with(c.status))
            << command << " status " << run.exit.status << ": " << run.errors;
        EXPECT_NE(run.output.find(c.shown), std::string::npos) << command << "\n" << run.output;
    }
}

// Every signal whose default action ends the program puts the terminal back
// first, and leaves the cursor at the start of a line, as a quit does: the
// shell's prompt does not follow the digits typed at a prompt. A signal the
// program was started ignoring stays ignored.
TEST(Signals, EveryWayOutRestoresTheTerminal) {
    rlimit no_core{0, 0}; // SIGQUIT, SIGABRT and SIGXCPU would dump one
    setrlimit(RLIMIT_CORE, &no_core);
    const int ending[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2,
                          SIGALRM, SIGPROF, SIGVTALRM, SIGXCPU, SIGXFSZ, SIGABRT, SIGRTMIN + 3};
    for (int sig : ending) {
        for (bool at_prompt : {false, true}) {
            PtyRun run;
            ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
            if (at_prompt) {
                ASSERT_TRUE(run.answer("a", "inward impedance: "));
                ASSERT_TRUE(run.answer("60", "60"));
            }
            EXPECT_FALSE(same_modes(run.before, run.modes_now()));
            if (sig == SIGINT)
                run.type("\x03"); // Ctrl-C, through the terminal
            else
                run.signal(sig);
            Exit exit = run.wait();
            std::string where = std::string(strsignal(sig)) + (at_prompt ? " at a prompt" : "");
            EXPECT_TRUE(exit.killed_by(sig)) << where;
            EXPECT_TRUE(same_modes(run.before, run.modes_now())) << where;
            EXPECT_TRUE(run.screen.ends_with(at_prompt ? "impedance: 60\r\n" : "Program\r\n"))
                << where << ": "
                << ::testing::PrintToString(run.screen.substr(run.screen.size() - 24));
        }
    }
    for (int sig : {SIGUSR1, SIGTERM}) {
        PtyRun run({program}, {.ignored_signal = sig});
        ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
        run.signal(sig);
        EXPECT_TRUE(run.answer("q", ended)) << strsignal(sig);
        run.type("x");
        EXPECT_TRUE(run.wait().exited_with(0)) << strsignal(sig);
    }
}

// Stops and continues as fast as a script sends them, to the program run as
// a shell's job: each time it is stopped the terminal has the modes it had
// before the program started, and afterwards the program has its own again.
// Every other stop comes the moment the program's modes are back, where a
// stop that found the default action still in place would keep them.
TEST(Signals, EveryStopGivesTheTerminalBack) {
    ApartProcessors apart;
    PtyRun run({program}, {.as_job = true, .job_cpu = apart.program_cpu});
    ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
    int left_raw = 0;
    for (int stop = 0; stop < 300; ++stop) {
        run.signal(SIGTSTP);
        ASSERT_TRUE(run.job_stopped()) << "stop " << stop;
        left_raw += same_modes(run.before, run.modes_now()) ? 0 : 1;
        run.signal(SIGCONT);
        auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (stop % 2 == 1 && same_modes(run.before, run.modes_now()))
            ASSERT_LT(std::chrono::steady_clock::now(), give_up) << "our modes after " << stop;
    }
    EXPECT_EQ(left_raw, 0) << "of 300 stops";
    ASSERT_TRUE(run.answer("q", ended)); // a key without ENTER
    run.type("x");
    EXPECT_TRUE(run.wait().exited_with(0));
    EXPECT_TRUE(same_modes(run.before, run.modes_now()));
}

// The program as the session's own (tmux new-session padcalc): no one could
// continue it, so the kernel discards the stop that Ctrl-Z asks for, and the
// program goes on in its own modes. A continue with no stop before it does
// not draw the line being typed again.
TEST(Signals, AStopOrContinueThatDidNotHappenChangesNothing) {
    PtyRun run;
    ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
    run.type("\x1a");
    ASSERT_TRUE(run.answer("a", "inward impedance: ")) << "the key waits for an ENTER";
    EXPECT_FALSE(same_modes(run.before, run.modes_now()));
    ASSERT_TRUE(run.answer("60", "60"));
    run.signal(SIGCONT);
    ASSERT_TRUE(run.answer("0\n600\n10\n", "'R3' is =   421.637 ohms"));
    ASSERT_TRUE(run.answer("\nq", ended));
    run.type("x");
    EXPECT_TRUE(run.wait().exited_with(0));
    EXPECT_NE(run.screen.find("inward impedance: 600\r\n"), std::string::npos) << run.screen;
    EXPECT_EQ(run.screen.find("60Please"), std::string::npos) << run.screen;
    EXPECT_TRUE(same_modes(run.before, run.modes_now()));
}

TEST(Signals, AHangUpEndsTheProgramAtOnce) {
    for (bool nohup : {false, true}) {
        PtyRun run({program}, {.ignored_signal = nohup ? SIGHUP : 0});
        ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
        run.hang_up();
        Exit exit;
        ASSERT_TRUE(run.ends_within(1000, exit)) << (nohup ? "with SIGHUP ignored" : "");
        EXPECT_TRUE(nohup ? exit.exited_with(0) : exit.killed_by(SIGHUP)) << exit.status;
        EXPECT_LT(exit.cpu_seconds(), 0.2);
    }
}

// With standard input closed, the terminal opened for the keys must not
// take its place: the entries read as the end of input, and are refused.
TEST(HostileInput, ClosedStandardInputIsAtItsEnd) {
    PtyRun run({program}, {.stdin_fd = closed_stdin});
    ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
    run.type("e");
    EXPECT_TRUE(run.shows("must be greater than the outward impedance"));
    run.signal(SIGTERM);
    run.wait();
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Ctrl-Z under a shell with job control: the shell gets its terminal back as
// it was, and after fg the program takes its own modes again, redraws the
// line being typed and goes on.
TEST(Signals, SuspendAndContinueUnderAShell) {
    char dir_template[] = "/tmp/padcalc-stop-XXXXXX";
    std::string dir = mkdtemp(dir_template);
    PtyRun shell({"/bin/bash", "--norc", "--noprofile", "-i"});
    const std::string prompt = "shell> ";
    ASSERT_TRUE(shell.answer("PS1='shell''> '\n", prompt));
    ASSERT_TRUE(shell.answer("stty -g > " + dir + "/before\n", prompt));
    ASSERT_TRUE(shell.answer(std::string(program) + "\n", "Q - Quit Program\r\n"));
    ASSERT_TRUE(shell.answer("a", "inward impedance: "));
    ASSERT_TRUE(shell.answer("60", "60"));
    ASSERT_TRUE(shell.answer("\x1a", "Stopped"));
    ASSERT_TRUE(shell.shows(prompt));
    ASSERT_TRUE(shell.answer("stty -g > " + dir + "/stopped\n", prompt));
    ASSERT_TRUE(shell.answer("fg\n", "Please enter a value for the inward impedance: 60"));
    ASSERT_TRUE(shell.answer("0\n600\n10\n", "'R3' is =   421.637 ohms"));
    shell.type("\nq"); // keys without ENTER: the program has its own modes again
    ASSERT_TRUE(shell.shows(ended));
    ASSERT_TRUE(shell.answer("x", prompt));
    ASSERT_TRUE(shell.answer("stty -g > " + dir + "/after\n", prompt));
    shell.type("exit\n");
    shell.wait();
    std::string before = read_file(dir + "/before");
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(read_file(dir + "/stopped"), before);
    EXPECT_EQ(read_file(dir + "/after"), before);
    std::system(("rm -rf " + dir).c_str());
}

// The names in a folder, . and .. left out.
std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = dir ? readdir(dir) : nullptr) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    if (dir)
        closedir(dir);
    return names;
}

bool has_temporary(const std::string& folder) {
    std::vector<std::string> names = names_in(folder);
    return std::any_of(names.begin(), names.end(),
                       [](const std::string& name) { return name.starts_with(".padcalc-"); });
}

// The signals that end the program while it writes a file, as the manual
// lists them: Ctrl-C, Ctrl-\, kill's default, a terminal that closes, a
// pipe whose reader has gone, and the rest whose default ends it.
const int ending_signals[] = {SIGINT,  SIGQUIT, SIGTERM, SIGHUP,  SIGPIPE, SIGALRM,
                              SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGPROF, SIGVTALRM};

// Starts the program on `args` with the ending signals' default actions, no
// core file and no output, and gives its process id.
pid_t start_quietly(const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) {
        for (int sig : ending_signals)
            std::signal(sig, SIG_DFL);
        rlimit no_core{0, 0};
        setrlimit(RLIMIT_CORE, &no_core);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<std::string> command{program};
        command.insert(command.end(), args.begin(), args.end());
        exec_command(command);
    }
    return pid;
}

// A Touchstone file of 1.7 MB written again and again, each write cut short
// by one of the ending signals in turn: half the signals come the moment the
// temporary file appears, the rest at a random moment of the run. The file
// is always whole (or not yet there), and no temporary file is left beside
// it. Once 9 in 100 such writes left one, and every write cut short by
// Ctrl-\ (SIGQUIT) or SIGPIPE did.
TEST(Signals, AnInterruptedWriteLeavesNoTemporaryFile) {
    char dir_template[] = "/tmp/padcalc-write-XXXXXX";
    std::string dir = mkdtemp(dir_template);
    std::string file = dir + "/pad.s2p";
    const std::vector<std::string> args = {"tee",    "50",          "50",           "10", "--spice",
                                           "--freq", "1:1e9:25000", "--touchstone", file};
    auto started = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(start_quietly(args), &status, 0);
    auto whole_run = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string whole = read_file(file);
    ASSERT_TRUE(whole.ends_with("[End]\n"));

    std::mt19937 random(20240607);
    // On a busy machine fewer writes, rather than a test that times out.
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int left = 0;
    int run = 0;
    for (; run < interrupted_writes && std::chrono::steady_clock::now() < give_up; ++run) {
        if (run % 4 == 0)
            std::remove(file.c_str());
        pid_t pid = start_quietly(args);
        bool ended = false;
        if (run % 2 == 0) {
            while (!has_temporary(dir) && !(ended = waitpid(pid, &status, WNOHANG) == pid))
                usleep(200); // the temporary file lives for tens of milliseconds
        } else {
            std::this_thread::sleep_for(std::uniform_real_distribution<double>(0, 1)(random) *
                                        whole_run);
        }
        if (!ended) {
            kill(pid, ending_signals[run % std::size(ending_signals)]);
            waitpid(pid, &status, 0);
        }
        std::string written = read_file(file);
        EXPECT_TRUE(written.empty() || written == whole) << "run " << run;
        left += has_temporary(dir) ? 1 : 0;
        for (const std::string& name : names_in(dir))
            if (name != "pad.s2p")
                std::remove((dir + "/" + name).c_str());
    }
    EXPECT_EQ(left, 0) << "of " << run << " interrupted writes left a temporary file";
    std::remove(file.c_str());
    rmdir(dir.c_str());
}

// Each signal that ends the program, sent the moment the temporary file
// appears, leaves no temporary file behind: each is tried, where the test
// above may not reach them all.
TEST(Signals, EveryEndingSignalTakesTheTemporaryFile) {
    char dir_template[] = "/tmp/padcalc-write-XXXXXX";
    std::string dir = mkdtemp(dir_template);
    std::string file = dir + "/pad.s2p";
    const std::vector<std::string> args = {"tee",          "50",           "50", "10",
                                           "--spice",      "--ls",         "1n", "--freq",
                                           "1:1e9:200000", "--touchstone", file};
    for (int sig : ending_signals) {
        pid_t pid = start_quietly(args);
        int status = 0;
        bool ended = false;
        while (!has_temporary(dir) && !(ended = waitpid(pid, &status, WNOHANG) == pid))
            usleep(200);
        ASSERT_FALSE(ended) << "the write ended before " << strsignal(sig) << " was sent";
        kill(pid, sig);
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << strsignal(sig);
        EXPECT_FALSE(has_temporary(dir)) << strsignal(sig) << " left a temporary file";
        for (const std::string& name : names_in(dir))
            std::remove((dir + "/" + name).c_str());
    }
    rmdir(dir.c_str());
}

// With SIGPIPE ignored, standard output lost to a reader that has gone stops
// every sweep at the first write that fails, with status 1: a million
// frequencies of a design or a cascade, in each format, and the Touchstone
// file written to standard output. A million frequencies once ran on for
// 5 seconds, and a cascade's for 36.
TEST(DeadReader, TheFirstFailedWriteEndsEverySweep) {
#ifdef PADCALC_SANITIZED
    const double most_cpu = 3.0;
#else
    const double most_cpu = 1.0;
#endif
    const std::vector<std::string> million = {"--package", "0402", "--freq", "1M:1G:1000000"};
    const std::vector<std::vector<std::string>> runs = {
        {"tee", "50", "50", "10"},
        {"tee", "50", "50", "10", "--json"},
        {"tee", "50", "50", "10", "--series", "E24", "--csv"},
        {"tee", "50", "50", "10", "--touchstone", "-"},
        {"cascade", "tee", "50", "40", "--stages", "10"},
        {"cascade", "tee", "50", "40", "--stages", "10", "--json"},
        {"cascade", "tee", "50", "40", "--stages", "10", "--touchstone", "-"},
    };
    for (std::vector<std::string> args : runs) {
        args.insert(args.end(), million.begin(), million.end());
        BareOptions closed;
        closed.args = args;
        closed.output_closed = true;
        BareRun run = run_bare("", closed);
        std::string what;
        for (const std::string& arg : args)
            what += " " + arg;
        EXPECT_TRUE(run.exit.exited_with(1)) << what;
        EXPECT_NE(run.errors.find("Broken pipe"), std::string::npos) << what << run.errors;
        EXPECT_LT(run.exit.cpu_seconds(), most_cpu) << what;
    }
}

// The Touchstone file of a million frequencies is written as it is worked
// out, in constant memory: it was once built whole first, 376 MB of it.
TEST(Memory, AMillionFrequenciesInConstantMemory) {
#ifdef PADCALC_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory is not the program's";
#endif
    const long most_kib = 50 * 1024;
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"tee", "50", "50", "10"}, {"cascade", "tee", "50", "40", "--stages", "2"}}) {
        for (const char* more : {"--touchstone", "-", "--freq", "1M:1G:1000000"})
            args.push_back(more);
        BareOptions options;
        options.args = args;
        BareRun run = run_bare("", options);
        EXPECT_TRUE(run.exit.exited_with(0)) << args[0] << run.errors;
        EXPECT_TRUE(run.output.ends_with("[End]\n")) << args[0];
        EXPECT_GT(run.output_size, 50'000'000u) << args[0];
        EXPECT_LT(run.exit.usage.ru_maxrss, most_kib) << args[0] << ": KiB at most";
    }
}

} // namespace
} // namespace padcalc::testing
