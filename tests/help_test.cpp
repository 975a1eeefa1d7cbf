// The help's columns of networks are sized from the table: a table of the
// test's own, with an id, a list of resistors and a title far longer than
// any network has today, is laid out as the real one is.

#include "cli/usage.h"

#include <gtest/gtest.h>

#include <sstream>

namespace padcalc {
namespace {

NetworkInfo entry(std::string_view id, std::vector<ResistorRole> resistors) {
    return {.id = id,
            .title = "Title",
            .balanced = false,
            .min_loss = false,
            .equal_impedances = false,
            .outward_matched = true,
            .resistors = std::move(resistors),
            .topology = {},
            .formula = nullptr,
            .drawing = ""};
}

// Each line: two spaces, the id, the resistors' names and the title, each
// column starting where the longest of the one before ends, and two spaces.
TEST(Help, NetworkColumnsAreAsWideAsTheLongestEntry) {
    const NetworkInfo table[] = {
        entry("t", {{"R1", ""}}),
        entry("a-network-of-thirty-characters", {{"R1", ""}, {"R2", ""}}),
        entry("pad", {{"R1", ""}, {"R2", ""}, {"R3", ""}, {"R4", ""}, {"R5", ""}, {"R10", ""}}),
    };
    EXPECT_EQ(longest_id(table), 30u);
    std::istringstream lines(networks_help(table));
    std::vector<std::string> expected = {
        "  t                               R1                  Title",
        "  a-network-of-thirty-characters  R1 R2               Title",
        "  pad                             R1 R2 R3 R4 R5 R10  Title",
    };
    for (const std::string& want : expected) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line, want);
    }
    EXPECT_EQ(lines.peek(), EOF);
}

} // namespace
} // namespace padcalc
