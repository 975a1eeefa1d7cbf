// The built program, run as a person runs it: in a pseudo-terminal, with
// standard input redirected, and with no console at all.

#include "process.h"

#include <gtest/gtest.h>

#include <thread>

namespace padcalc::testing {
namespace {

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

// Lost output (a full disk, a pipe no one reads with SIGPIPE ignored) is a
// failure, said once on standard error, and the program stops at once
// instead of computing screens that no one can read.
TEST(NoConsole, OutputThatCannotBeWrittenIsAFailure) {
    std::string screens;
    for (int i = 0; i < 1000; ++i)
        screens += "a600\n600\n10\n\n";
    BareOptions full, closed;
    full.output_file = "/dev/full";
    closed.output_closed = true;
    for (auto [options, error] : {std::pair{full, ENOSPC}, std::pair{closed, EPIPE}}) {
        if (options.output_file && access(options.output_file, W_OK) != 0)
            continue; // no /dev/full here
        BareRun run = run_bare(screens + "q\n", options);
        EXPECT_TRUE(run.exit.exited_with(1)) << run.exit.status;
        EXPECT_EQ(run.errors, "padcalc: write error: " + std::string(strerror(error)) + "\n");
    }
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

// A terminal that cannot clear its screen (TERM=dumb, or no TERM at all)
// would show the clearing as text: it gets none.
TEST(Terminal, ADumbTerminalIsNotSentTheClearing) {
    for (const char* term : {"dumb", static_cast<const char*>(nullptr)}) {
        PtyRun run({program}, {.term = term});
        run.type("qx");
        EXPECT_TRUE(run.wait().exited_with(0));
        EXPECT_NE(run.screen.find("Q - Quit Program"), std::string::npos);
        EXPECT_EQ(run.screen.find('\x1b'), std::string::npos) << (term ? term : "no TERM");
    }
}

// The line editor takes the encoding from the locale: a combining accent
// goes with its letter, and Backspace erases both, on the screen and in the
// line, so 600 is shown and 600 is read.
TEST(Terminal, TheLineEditorReadsTheLocalesEncoding) {
    PtyRun run({program}, {.env = {"LC_ALL=C.UTF-8"}});
    ASSERT_TRUE(run.answer("a", "inward impedance: "));
    ASSERT_TRUE(run.answer("6e\xcc\x81\x7f"
                           "00\n600\n10\n",
                           "'R3' is =   421.637 ohms"));
    EXPECT_NE(run.screen.find("impedance: 6e\xcc\x81\b \b00\r\n"), std::string::npos) << run.screen;
    run.type("\nqx");
    EXPECT_TRUE(run.wait().exited_with(0));
}

// Two seconds at the menu: a loop that polled or spun would cost a large
// share of them; the start alone costs up to a tenth of a second or more
// under the sanitizers on a busy machine.
TEST(Terminal, WaitingAtTheMenuCostsNoCpu) {
    PtyRun run;
    ASSERT_TRUE(run.shows("Q - Quit Program\r\n"));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    run.type("qx");
    Exit exit = run.wait();
    EXPECT_TRUE(exit.exited_with(0));
    EXPECT_LT(exit.cpu_seconds(), 0.5);
}

TEST(Terminal, LinesFromAFileAndKeysFromTheTerminal) {
    // Standard input already at its end: each ENTER gives one more refusal.
    int lines[2];
    ASSERT_EQ(pipe(lines), 0);
    close(lines[1]);
    PtyRun run({program}, {.stdin_fd = lines[0]});
    close(lines[0]);
    ASSERT_TRUE(run.answer("e", "Please press ENTER to try different values"));
    ASSERT_TRUE(run.answer("\n", "Please press ENTER to try different values"));
    ASSERT_TRUE(run.answer("\n", "Please press ENTER to try different values"));
    EXPECT_FALSE(run.shows("Please press ENTER", 300)); // and no more by itself
    run.signal(SIGTERM);
    run.wait();
    EXPECT_TRUE(same_modes(run.before, run.modes_now()));
}

// The program run with arguments: standard input at its end, and standard
// output and standard error taken apart.
BareRun run_with_args(std::vector<std::string> args, const char* output_file = nullptr) {
    BareOptions options;
    options.args = std::move(args);
    options.output_file = output_file;
    return run_bare("", options);
}

TEST(CommandLine, VersionIsTheProjectVersion) {
    BareRun run = run_with_args({"--version"});
    EXPECT_TRUE(run.exit.exited_with(0));
    EXPECT_EQ(run.output, "padcalc " PADCALC_PROJECT_VERSION "\n");
    EXPECT_EQ(run.errors, "");
}

// Nothing on standard output, so a script that reads it gets no menu; one
// line naming the argument, and one pointing to --help, on standard error.
TEST(CommandLine, AnyOtherArgumentIsRefused) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"-h"}, "-h"},
        {{"--HELP"}, "--HELP"},
        {{"--help=all"}, "--help=all"},
        {{"--vers"}, "--vers"},
        {{"a"}, "a"},
        {{""}, ""},
        {{"--"}, "--"},
        {{"--help", "extra"}, "extra"},
        {{"--version", "--help"}, "--help"},
        {{"--help", "--help"}, "--help"},
        {{"600", "--help"}, "600"},
    };
    for (const Case& c : cases) {
        BareRun run = run_with_args(c.args);
        std::string what = "padcalc";
        for (const std::string& arg : c.args)
            what += " '" + arg + "'";
        EXPECT_TRUE(run.exit.exited_with(2)) << what;
        EXPECT_EQ(run.output, "") << what;
        auto first_end = run.errors.find('\n');
        ASSERT_NE(first_end, std::string::npos) << what;
        std::string first = run.errors.substr(0, first_end);
        std::string second = run.errors.substr(first_end + 1);
        EXPECT_TRUE(first.starts_with("padcalc: ")) << what << ": " << run.errors;
        EXPECT_NE(first.find("'" + c.named + "'"), std::string::npos) << what << ": " << run.errors;
        EXPECT_NE(second.find("--help"), std::string::npos) << what << ": " << run.errors;
        EXPECT_EQ(second.find('\n'), second.size() - 1) << what << ": " << run.errors;
    }
}

TEST(CommandLine, TextThatCannotBeWrittenIsAFailure) {
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    for (const char* option : {"--help", "--version"}) {
        BareRun run = run_with_args({option}, "/dev/full");
        EXPECT_TRUE(run.exit.exited_with(1)) << option;
        EXPECT_NE(run.errors.find("write error"), std::string::npos)
            << option << ": " << run.errors;
    }
}

} // namespace
} // namespace padcalc::testing
