// Whole reports as a user sees them, kept as files in tests/reports: each
// file is a command line, what the program writes to standard output, what
// it says on standard error and its exit status. One file catches a wrong
// prefix, decimal, role, key or a short row at once.
//
// When a change to a report is meant, write the files anew and read the
// difference before committing it:
//
//   PADCALC_UPDATE_REPORTS=1 ctest --test-dir build -R Reports

#include "process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace padcalc::testing {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The transcript of the command on the file's first line, "$ [NAME=VALUE...]
// padcalc ARGS...", run with no console in the given locale (C.UTF-8 unless named).
std::string transcript(const std::string& command_line) {
    std::istringstream words(command_line.substr(2));
    std::string word;
    std::string locale = "C.UTF-8";
    BareOptions options;
    bool program_seen = false;
    while (words >> word) {
        if (!program_seen && word.starts_with("LC_ALL="))
            locale = word.substr(7);
        else if (!program_seen)
            program_seen = word == "padcalc";
        else
            options.args.push_back(word);
    }
    setenv("LC_ALL", locale.c_str(), 1);
    BareRun run = run_bare("", options);
    unsetenv("LC_ALL");
    std::string text = command_line + "\n" + run.output;
    if (!run.errors.empty())
        text += "--- standard error\n" + run.errors;
    int status = WIFEXITED(run.exit.status) ? WEXITSTATUS(run.exit.status) : -1;
    return text + "--- status " + std::to_string(status) + "\n";
}

TEST(Reports, EachAsKept) {
    bool update = std::getenv("PADCALC_UPDATE_REPORTS") != nullptr;
    int seen = 0;
    for (const fs::directory_entry& file : fs::directory_iterator(PADCALC_REPORTS)) {
        if (file.path().extension() != ".txt")
            continue;
        ++seen;
        std::string kept = read_all(file.path());
        std::string actual = transcript(kept.substr(0, kept.find('\n')));
        if (update && actual != kept)
            std::ofstream(file.path(), std::ios::binary) << actual;
        else
            EXPECT_EQ(actual, kept) << file.path().filename();
    }
    EXPECT_GT(seen, 10);
}

} // namespace
} // namespace padcalc::testing
