// The console's input model: the line path, the key path, and how they share
// one stream.

#include "script_port.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <iterator>

namespace padcalc::testing {
namespace {

// Reads values one after another, as the screens do.
struct Reads {
    ScriptPort port;
    Console con{port};
    Reads(Source source, std::vector<std::string> keys, std::string lines = {})
        : port(source, std::move(keys), std::move(lines)) {}
    float next(float start = 0) {
        float value = start;
        con.read_value(value);
        return value;
    }
};

// The character type of a locale, for the span of a test.
class CharacterLocale {
  public:
    explicit CharacterLocale(const char* name) : was_(std::setlocale(LC_CTYPE, nullptr)) {
        taken = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~CharacterLocale() { std::setlocale(LC_CTYPE, was_.c_str()); }
    CharacterLocale(const CharacterLocale&) = delete;
    CharacterLocale& operator=(const CharacterLocale&) = delete;
    bool taken = false;

  private:
    std::string was_;
};

TEST(ReadValue, NumbersOnOneLineAnswerSuccessiveReads) {
    Reads r(Source::terminal, {"600 600 10 75\n"});
    EXPECT_EQ(r.next(), 600);
    EXPECT_EQ(r.next(), 600);
    EXPECT_EQ(r.next(), 10);
    EXPECT_EQ(r.next(), 75);
    EXPECT_EQ(r.port.seen_at_reads.size(), 1u); // one line, one wait
}

TEST(ReadValue, TextAfterANumberStaysAndUnreadableTextGoesWithItsLine) {
    Reads r(Source::terminal, {"12abc 7\n", "-5 .5 1e3 12,5\n", "8\n"});
    EXPECT_EQ(r.next(), 12);
    EXPECT_EQ(r.next(3), 3); // "abc 7" cannot be read: dropped to the line end
    EXPECT_EQ(r.next(), -5);
    EXPECT_EQ(r.next(), 0.5);
    EXPECT_EQ(r.next(), 1000);
    EXPECT_EQ(r.next(), 12);
    EXPECT_EQ(r.next(4), 4); // ",5"
    EXPECT_EQ(r.next(), 8);  // a new line was waited for
}

TEST(ReadValue, EdgeFormsOfTheGrammar) {
    Reads r(Source::bare, {"1e39 -1e39 1e-50 5e 5e+ . - +\n"});
    EXPECT_EQ(r.next(), INFINITY);
    EXPECT_EQ(r.next(), -INFINITY);
    EXPECT_EQ(r.next(9), 0);
    EXPECT_EQ(r.next(), 5);
    EXPECT_EQ(r.next(9), 9); // "e" is not a number: the rest of the line goes
    EXPECT_EQ(r.next(9), 9); // and the end of input converts nothing
}

TEST(ReadValue, PromptIsOnScreenBeforeTheWait) {
    Reads r(Source::terminal, {"600\n"});
    r.con.write_text("Please enter a value for the loss: ");
    r.next();
    ASSERT_EQ(r.port.seen_at_reads.size(), 1u);
    EXPECT_EQ(r.port.seen_at_reads[0], "Please enter a value for the loss: ");
}

TEST(LineEditor, EditsAndEchoesTheLine) {
    // Backspace and DEL erase one character (nothing on an empty line),
    // Ctrl-U clears the line, escape sequences and other control bytes are
    // ignored, and Ctrl-D in the middle of a line does nothing.
    Reads r(Source::terminal, {"\x7f"
                               "19\b5",
                               "\x1b[A\x1bOP\x1b[15~\x01\x04",
                               "\x15"
                               "2\x7f"
                               "75\n"});
    EXPECT_EQ(r.next(), 75);
    EXPECT_EQ(r.port.transcript, "19\b \b5\b \b\b \b2\b \b75\n");
}

#ifndef _WIN32
// After every edit the screen shows what the line holds: a character goes
// with the marks typed after it and is erased with them, over all the
// columns it fills; bytes that make no character of the locale are neither
// held nor shown. The C locale reads ASCII alone. (The Windows console gives
// the keys in a single-byte code page, which its C runtime's own C locale
// decodes; the locales here are the POSIX ones.)
TEST(LineEditor, ScreenAndLineAgreeInTheLocalesEncoding) {
    struct Case {
        const char* locale;
        std::string typed;
        float value;
        std::string shown;
    } cases[] = {
        {"C.UTF-8",
         "6e\xcc\x81\x7f"
         "00\n",
         600, "6e\xcc\x81\b \b00\n"}, // a combining accent
        {"C.UTF-8", "5\xc3\xa9\x7f\n", 5, "5\xc3\xa9\b \b\n"},
        {"C.UTF-8",
         "6\xe4\xb8\xad\x7f"
         "0\n",
         60, "6\xe4\xb8\xad\b\b  \b\b0\n"}, // a wide character
        {"C.UTF-8",
         "\xe4\xb8\xad"
         "7\x15"
         "8\n",
         8,
         "\xe4\xb8\xad"
         "7\b \b\b\b  \b\b8\n"},
        {"C.UTF-8", "60\xa9\x7f\n", 6, "60\b \b\n"}, // a byte that starts no character
        {"C.UTF-8",
         "\xcc\x81"
         "7\xc3"
         "5\n",
         75, "75\n"}, // a mark with no character to go with; a character cut short
        {"C", "600\xa9\x7f\n", 60, "600\b \b\n"},
        {"C",
         "6e\xcc\x81\x7f"
         "00\n",
         600, "6e\b \b00\n"},
    };
    for (const Case& c : cases) {
        CharacterLocale locale(c.locale);
        ASSERT_TRUE(locale.taken) << c.locale;
        Reads r(Source::terminal, {c.typed});
        EXPECT_EQ(r.next(), c.value) << c.locale << " " << c.typed;
        EXPECT_EQ(r.port.transcript, c.shown) << c.locale << " " << c.typed;
    }
}
#endif

TEST(LineEditor, CtrlDOnAnEmptyLineEndsOnlyThatRead) {
    Reads r(Source::terminal, {"\x04", "42\n"});
    EXPECT_EQ(r.next(7), 7);
    EXPECT_EQ(r.next(), 42);
    EXPECT_EQ(r.port.seen_at_reads.size(), 2u);
}

TEST(LineEditor, QueuedKeysStartTheLineButAQueuedEnterOnAnEmptyLineIsDropped) {
    Reads r(Source::terminal, {"x", "1\n"});
    ASSERT_TRUE(r.con.wait_key());
    r.con.write_text("prompt: ");
    EXPECT_EQ(r.next(), 0); // "x" started the line: "x1" is unreadable
    EXPECT_EQ(r.port.transcript, "prompt: x1\n");

    Reads enter(Source::terminal, {"\n", "600\n"});
    ASSERT_TRUE(enter.con.wait_key());
    enter.con.write_text("prompt: ");
    EXPECT_EQ(enter.next(), 600);
    EXPECT_EQ(enter.port.transcript, "prompt: 600\n");
}

TEST(LineEditor, LongLinesKeepTheirFirst4095Characters) {
    std::string digits(5000, '1');
    for (Source source : {Source::terminal, Source::bare}) {
        Reads r(source, {"3" + digits + "\n", "4\n"});
        EXPECT_EQ(r.next(), INFINITY);
        EXPECT_EQ(r.next(), 4);
        if (source == Source::terminal) {
            EXPECT_EQ(r.port.transcript, "3" + digits.substr(0, max_line - 1) + "\n4\n");
        }
    }
}

TEST(LineEditor, RedrawsThePromptAndTheTypingAfterAStop) {
    Reads r(Source::terminal, {"6", resume, "00\n"});
    r.con.write_text("\nAbove\nPlease enter a value for the loss: ");
    EXPECT_EQ(r.next(), 600);
    EXPECT_EQ(r.port.transcript, "\nAbove\nPlease enter a value for the loss: 6"
                                 "Please enter a value for the loss: 600\n");

    // The line typed before ended its screen line: only the new prompt is redrawn.
    Reads two(Source::terminal, {"75\n", "5", resume, "0\n"});
    two.con.write_text("Z1: ");
    EXPECT_EQ(two.next(), 75);
    two.con.write_text("Z2: ");
    EXPECT_EQ(two.next(), 50);
    EXPECT_EQ(two.port.transcript, "Z1: 75\nZ2: 5Z2: 50\n");
}

TEST(KeyPath, AWaitLeavesTheKeyForTheNextRead) {
    Reads r(Source::terminal, {"ab"});
    ASSERT_TRUE(r.con.wait_key());
    EXPECT_TRUE(r.con.key_pending());
    ASSERT_TRUE(r.con.wait_key());
    EXPECT_EQ(r.con.read_key(), 'a');
    EXPECT_EQ(r.con.read_key(), 'b');
    EXPECT_FALSE(r.con.key_pending());
    EXPECT_EQ(r.con.read_key(), no_key);
    EXPECT_FALSE(r.con.wait_key());
}

TEST(KeyPath, EveryByteIsAKey) {
    Reads r(Source::terminal, {"\xff\x80"});
    EXPECT_EQ(r.con.read_key(), 0xff); // not the end of the keys
    EXPECT_EQ(r.con.read_key(), 0x80);
    EXPECT_EQ(r.con.read_key(), no_key);
}

TEST(KeyPath, NoKeyIsPendingAfterALineIsRead) {
    Reads r(Source::terminal, {"600\n"});
    EXPECT_EQ(r.next(), 600);
    EXPECT_FALSE(r.con.key_pending());
    Reads ahead(Source::terminal, {"600\nq"});
    EXPECT_EQ(ahead.next(), 600);
    EXPECT_TRUE(ahead.con.key_pending());
    EXPECT_EQ(ahead.con.read_key(), 'q');
}

TEST(SharedStream, WithNoConsoleLinesAndKeysComeFromOneStream) {
    Reads r(Source::bare, {"600\nq7\n"});
    EXPECT_EQ(r.next(), 600);
    EXPECT_EQ(r.con.read_key(), 'q');
    EXPECT_EQ(r.next(), 7);
    EXPECT_EQ(r.port.transcript, ""); // nothing is echoed
}

// A script written on Windows ends its lines with CR LF: with no console it
// runs as the same script with bare line ends does, each CR LF one line end
// and one ENTER.
TEST(SharedStream, CrLfLineEndsReadAsBareOnes) {
    std::string script = "a600\n600\n10\n\nb 75 50 6\n\nq\n";
    std::string crlf;
    for (char ch : script)
        crlf += ch == '\n' ? "\r\n" : std::string(1, ch);
    std::string bare = run_menu_on(Source::bare, {script});
    EXPECT_NE(bare.find(results("  311.696", "  311.696", "  421.637")), std::string::npos);
    EXPECT_EQ(run_menu_on(Source::bare, {crlf}), bare);
}

// Each wait shows its text before it waits; the text that ends the program
// waits for a key too, so that it is read.
TEST(SharedStream, EveryWaitHasItsTextOnTheScreen) {
    ScriptPort port(Source::terminal, {"x", "q", "y"}); // "q" ends a wait: no read of its own
    run_menu_on(port);
    const std::string at_reads[] = {menu, menu + invalid, menu + invalid + menu + ended};
    EXPECT_EQ(port.seen_at_reads,
              std::vector<std::string>(std::begin(at_reads), std::end(at_reads)));
}

// With standard output lost nothing more is read, so no screen goes on.
TEST(Output, LostOutputEndsTheReading) {
    ScriptPort port(Source::bare, {"a600\n600\n10\n\n", "a600\n600\n10\n\nq", "x"});
    port.lose_output = true;
    {
        Console con(port);
        run_menu(con);
        EXPECT_TRUE(con.output_failed());
    }
    EXPECT_TRUE(port.seen_at_reads.empty());
}

TEST(SplitStreams, AFreshLineDiscardsTheQueuedKeys) {
    Reads r(Source::split, {"xy", "z"}, "1 2\n3\n");
    ASSERT_TRUE(r.con.wait_key());
    EXPECT_EQ(r.next(), 1); // a fresh line: "xy" is discarded
    ASSERT_TRUE(r.con.wait_key());
    EXPECT_EQ(r.next(), 2); // the rest of the line: "z" stays
    EXPECT_EQ(r.con.read_key(), 'z');
    EXPECT_EQ(r.next(), 3);
    EXPECT_EQ(r.next(5), 5); // the end of input
    EXPECT_EQ(r.con.read_key(), no_key);
}

TEST(Output, ClearingWritesNothingWhenOutputIsNotATerminal) {
    ScriptPort port(Source::bare, {});
    port.terminal_out = false;
    {
        Console con(port);
        con.write_text("a");
        con.clear_screen();
        con.write_text("b");
    }
    EXPECT_EQ(port.transcript, "ab");
}

TEST(Output, ValuesFillTheirFieldWhateverTheyAre) {
    EXPECT_EQ(format_fixed(311.6959, 9, 3), "  311.696");
    EXPECT_EQ(format_fixed(-23.3474, 9, 3), "  -23.347");
    EXPECT_EQ(format_fixed(-2108591.75, 9, 3), "-2108591.750");
    EXPECT_EQ(format_fixed(NAN, 9, 3), "      nan");
    EXPECT_EQ(format_fixed(-NAN, 9, 3), "      nan");
    EXPECT_EQ(format_fixed(INFINITY, 9, 3), "      inf");
    EXPECT_EQ(format_fixed(-INFINITY, 6, 3), "  -inf");
    EXPECT_EQ(format_fixed(1e300, 9, 3).size(), 305u);
}

} // namespace
} // namespace padcalc::testing
