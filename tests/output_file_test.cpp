// Output files are written whole or not at all, and never over anything but
// a regular file.

#include "cli/output_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace padcalc {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A folder of its own for each test, removed after it.
class OutputFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "padcalc-out-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    // The names in the folder: no temporary file may be left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(folder))
            out.push_back(entry.path().filename().string());
        return out;
    }

    fs::path folder;
};

TEST_F(OutputFile, ReplacesTheContentAndLeavesNoTemporaryFile) {
    fs::path file = folder / "pad.s2p";
    std::ofstream(file) << "an older and longer file";
    ::chmod(file.c_str(), 0640);
    EXPECT_EQ(write_file_replacing(file.string(), "new\n"), "");
    EXPECT_EQ(contents(file), "new\n");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
    EXPECT_EQ(names(), std::vector<std::string>{"pad.s2p"});
}

TEST_F(OutputFile, RefusesWhatCannotBeWritten) {
    EXPECT_NE(write_file_replacing((folder / "no-such-folder" / "pad.s2p").string(), "x"), "");
    fs::create_directory(folder / "sub");
    EXPECT_NE(write_file_replacing((folder / "sub").string(), "x"), "");
    EXPECT_TRUE(fs::is_directory(folder / "sub"));
    EXPECT_EQ(names(), std::vector<std::string>{"sub"});
}

// A device is refused, not renamed over; run as root a rename would succeed.
TEST_F(OutputFile, RefusesDevicesAndLeavesThem) {
    for (const char* device : {"/dev/null", "/dev/full"}) {
        EXPECT_NE(write_file_replacing(device, "x"), "") << device;
        struct stat after {};
        ASSERT_EQ(::stat(device, &after), 0);
        EXPECT_TRUE(S_ISCHR(after.st_mode)) << device;
    }
}

// "-" is standard output, and a standard output that cannot take the text
// (here the device that is always full) is an error.
TEST_F(OutputFile, DashIsStandardOutput) {
    auto written_through = [](const std::string& device) {
        std::fflush(stdout);
        int saved = ::dup(1);
        int fd = ::open(device.c_str(), O_WRONLY);
        ::dup2(fd, 1);
        ::close(fd);
        std::string error = write_file_replacing("-", "text\n");
        std::clearerr(stdout);
        ::dup2(saved, 1);
        ::close(saved);
        return error;
    };
    fs::path file = folder / "out";
    std::ofstream(file).close();
    EXPECT_EQ(written_through(file.string()), "");
    EXPECT_EQ(contents(file), "text\n");
    EXPECT_NE(written_through("/dev/full"), "");
}

// A full disk: a tiny tmpfs in a mount namespace of a child process, where
// one can be had (root, or user namespaces); else the test is skipped.
TEST_F(OutputFile, FullDiskIsAnErrorAndKeepsTheOldFile) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int skip = 77;
        if (::unshare(CLONE_NEWNS) != 0)
            ::_exit(skip);
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") != 0)
            ::_exit(skip);
        fs::path file = folder / "pad.s2p";
        std::ofstream(file) << "old";
        std::string error = write_file_replacing(file.string(), std::string(64 * 1024, 'x'));
        bool kept = contents(file) == "old" &&
                    std::distance(fs::directory_iterator(folder), fs::directory_iterator()) == 1;
        ::_exit(!error.empty() && kept ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace padcalc
