// The menu and its key table, as whole transcripts.

#include "script_port.h"

#include <gtest/gtest.h>

namespace padcalc::testing {
namespace {

const std::string naughty_reply = cls + "Can you not read??\n"
                                        "Only enter either A, B, C, D, E, F or Q\n"
                                        "\nThat means NOT N\n"
                                        "\n\nPress ENTER to return to the main menu"
                                        "\n\nNaughty Naughty";

TEST(Menu, ShowsTheChoicesAndQuitsAfterOneMoreKey) {
    EXPECT_EQ(run_menu_on(Source::terminal, {"q", "a"}), menu + ended);
}

TEST(Menu, KeysWithoutARowGetTheInvalidChoiceLine) {
    // Capitals are not choices; nor are the other letters, digits, ENTER,
    // space, control bytes and bytes above 127.
    for (std::string key :
         std::initializer_list<std::string>{"A", "B", "C", "F", "N", "Q", "g", "m", "o", "p", "z",
                                            "1", "\n", " ", "\x1b", std::string(1, '\0'), "\xe1"}) {
        EXPECT_EQ(run_menu_on(Source::terminal, {key, "q", "x"}), menu + invalid + menu + ended)
            << "key " << int(static_cast<unsigned char>(key[0]));
    }
}

TEST(Menu, NGetsTheNaughtyReplyAndItsKeyIsTheNextChoice) {
    EXPECT_EQ(run_menu_on(Source::terminal, {"n", "q", "x"}), menu + naughty_reply + menu + ended);
}

TEST(Menu, AKeyThatEndsAWaitIsActedOnAtOnce) {
    std::string pi_title = cls + "Unbalanced Pi Network\n\n" + inward;
    EXPECT_TRUE(
        run_menu_on(Source::terminal, {"x", "c"}).starts_with(menu + invalid + menu + pi_title));
}

TEST(Menu, EndsWhenTheKeysEnd) {
    EXPECT_EQ(run_menu_on(Source::bare, {}), menu);
    EXPECT_EQ(run_menu_on(Source::bare, {"x"}), menu + invalid);
}

} // namespace
} // namespace padcalc::testing
