// Output files are written whole or not at all, and never over anything but
// a regular file: what is not one is written through.
//
// No test aims the writer, or a link it follows, at a file of the system's
// (/dev/null, /dev/stdout): run as root, a writer that has regressed would
// replace it with a plain file. Devices and FIFOs are made in the test's own
// folder, and the program's own descriptors are named under /proc/self/fd,
// where nothing can be made or renamed.

#include "cli/output_file.h"
#include "cli/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <thread>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace padcalc {
namespace {

namespace fs = std::filesystem;

// The class under test, apart from the fixture that has its name.
using File = ::padcalc::OutputFile;

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
        std::random_device random;
        do
            folder = fs::temp_directory_path() / ("padcalc-out-" + std::to_string(random()));
        while (!fs::create_directory(folder));
    }
    void TearDown() override {
        // A test may have left folders that cannot be written to.
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (!entry.is_symlink() && entry.is_directory())
                fs::permissions(entry.path(), fs::perms::all);
        fs::remove_all(folder);
    }

    // The names in the folder: no temporary file may be left behind.
    std::vector<std::string> names(const fs::path& in) const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(in))
            out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> names() const { return names(folder); }

    fs::path folder;
};

TEST_F(OutputFile, ReplacesTheContentAndLeavesNoTemporaryFile) {
    fs::path file = folder / "pad.s2p";
    std::ofstream(file) << "an older and longer file";
#ifndef _WIN32
    ::chmod(file.c_str(), 0640);
#endif
    EXPECT_EQ(write_file_replacing(file.string(), "new\n"), "");
    EXPECT_EQ(contents(file), "new\n");
#ifndef _WIN32
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
#endif
    EXPECT_EQ(names(), std::vector<std::string>{"pad.s2p"});
}

TEST_F(OutputFile, RefusesWhatCannotBeWritten) {
    EXPECT_NE(write_file_replacing((folder / "no-such-folder" / "pad.s2p").string(), "x"), "");
    fs::create_directory(folder / "sub");
    std::string why = write_file_replacing((folder / "sub").string(), "x");
    EXPECT_NE(why.find("Is a directory"), std::string::npos) << why;
    EXPECT_TRUE(fs::is_directory(folder / "sub"));
    EXPECT_EQ(names(), std::vector<std::string>{"sub"});
}

// A file given up on midway (a figure that is not worked out, a reader that
// has gone) leaves the old file as it was, and no temporary file beside it;
// so does one never finished.
TEST_F(OutputFile, AbandonedLeavesTheOldFile) {
    fs::path file = folder / "pad.s2p";
    std::ofstream(file) << "old";
    {
        File out(file.string());
        EXPECT_TRUE(out.replaced_whole());
        EXPECT_FALSE(out.overwritten_in_place());
        ASSERT_EQ(out.open(), "");
        EXPECT_TRUE(out.write("the first half "));
        EXPECT_EQ(names().size(), 2u) << "the temporary file";
        out.abandon();
        EXPECT_EQ(contents(file), "old");
        EXPECT_EQ(names(), std::vector<std::string>{"pad.s2p"});
        EXPECT_FALSE(out.write("more"));
    }
    {
        File out(file.string());
        ASSERT_EQ(out.open(), "");
        EXPECT_TRUE(out.write("never finished"));
    }
    EXPECT_EQ(contents(file), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"pad.s2p"});
}

// A Touchstone file whose figures turn out not to be worked out midway: a
// file being replaced is abandoned, and left as it was, with no temporary
// file beside it; so is one written in place, which is worked out whole
// before it is opened; what goes through to a pipe stops short. The message
// names the frequency, and says which.
TEST_F(OutputFile, ATouchstoneFileNotWorkedOutMidwayIsAbandoned) {
    // Two blocks written, and then a frequency whose figures are not numbers.
    TouchstoneText midway = [](const Sink& write) -> std::optional<double> {
        if (!write("the first block\n") || !write("the second block\n"))
            return std::nullopt;
        return 5e6;
    };
    fs::path file = folder / "pad.s2p";
    std::ofstream(file) << "old";
    EXPECT_EQ(write_touchstone_file(file.string(), midway),
              "the response at 5e+06 Hz is not worked out; " + file.string() +
                  " was left as it was");
    EXPECT_EQ(contents(file), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"pad.s2p"});

    fs::create_hard_link(file, folder / "link.s2p");
    EXPECT_EQ(write_touchstone_file(file.string(), midway),
              "the response at 5e+06 Hz is not worked out; " + file.string() +
                  " was left as it was");
    EXPECT_EQ(contents(file), "old");
    EXPECT_EQ(contents(folder / "link.s2p"), "old");

#ifndef _WIN32
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    std::string piped = "/proc/self/fd/" + std::to_string(pipe_ends[1]);
    EXPECT_EQ(write_touchstone_file(piped, midway),
              "the response at 5e+06 Hz is not worked out; " + piped +
                  " has the Touchstone file only up to there");
    ::close(pipe_ends[1]);
    char got[64] = {};
    EXPECT_EQ(::read(pipe_ends[0], got, sizeof got - 1), 33);
    EXPECT_STREQ(got, "the first block\nthe second block\n");
    ::close(pipe_ends[0]);
#endif
    EXPECT_EQ(names(), (std::vector<std::string>{"link.s2p", "pad.s2p"}));
}

// A file with other hard links is written in place, as editors write it, so
// that every name has the new text and no link is left holding the old.
TEST_F(OutputFile, AFileWithOtherHardLinksIsWrittenInPlace) {
#ifdef _WIN32
    // Under Wine the file is replaced, links and all, as if it had none: not
    // yet understood, and not yet tried on Windows itself.
    GTEST_SKIP() << "hard links are not yet written in place under Wine";
#endif
    fs::path file = folder / "pad.s2p";
    std::ofstream(file) << "an older and longer file";
    fs::create_hard_link(file, folder / "other-name.s2p");
    {
        File out(file.string());
        EXPECT_TRUE(out.overwritten_in_place());
        EXPECT_FALSE(out.replaced_whole());
    }
    EXPECT_EQ(write_file_replacing(file.string(), "new\n"), "");
    EXPECT_EQ(contents(file), "new\n");
    EXPECT_EQ(contents(folder / "other-name.s2p"), "new\n");
    EXPECT_EQ(fs::hard_link_count(file), 2u);
    EXPECT_EQ(names(), (std::vector<std::string>{"other-name.s2p", "pad.s2p"}));
}

#ifdef _WIN32

// Two writers at once, each replacing the same file many times: every write
// succeeds, and the file is always one writer's text whole. Windows writers
// once shared one temporary file's name; on POSIX mkstemp gives each its own.
TEST_F(OutputFile, TwoWritersAtOnceEachWriteWhole) {
    fs::path file = folder / "pad.s2p";
    std::string texts[] = {std::string(256 * 1024, 'a'), std::string(128 * 1024, 'b')};
    int failures[2] = {0, 0};
    auto writer = [&](int which) {
        for (int i = 0; i < 50; ++i)
            failures[which] += write_file_replacing(file.string(), texts[which]).empty() ? 0 : 1;
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);
    first.join();
    second.join();
    EXPECT_EQ(failures[0] + failures[1], 0);
    std::string written = contents(file);
    EXPECT_TRUE(written == texts[0] || written == texts[1]) << written.size() << " bytes";
    EXPECT_EQ(names(), std::vector<std::string>{"pad.s2p"});
}

#else

// Runs `body` in a child process as a user without root's privileges
// (nobody, when the tests run as root), and says whether it returned true.
// The fixture's folder is opened to everyone for it.
template <class Body> void as_ordinary_user(const fs::path& folder, Body body) {
    ::chmod(folder.c_str(), 0777);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const uid_t nobody = 65534;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(77);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot become an ordinary user";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the child's output above";
}

// Prints what went wrong in a child, where gtest's assertions do not reach.
bool check(bool ok, const std::string& what) {
    if (!ok)
        std::fprintf(stderr, "failed: %s\n", what.c_str());
    return ok;
}

// A symbolic link is written through, as an editor does: the file it names
// (at the end of a chain of links, in whatever folder) gets the text, and
// the link stays a link.
TEST_F(OutputFile, WritesThroughSymbolicLinksAndKeepsThem) {
    fs::create_directory(folder / "data");
    fs::path target = folder / "data" / "pad.s2p";
    std::ofstream(target) << "old";
    fs::create_symlink("data/pad.s2p", folder / "last");
    fs::create_symlink("last", folder / "first");
    fs::create_directory(folder / "links");
    fs::create_symlink("../data/pad.s2p", folder / "links" / "up");
    fs::create_symlink(target, folder / "absolute");
    for (const char* link : {"first", "last", "links/up", "absolute"}) {
        EXPECT_EQ(write_file_replacing((folder / link).string(), link), "") << link;
        EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
        EXPECT_EQ(contents(target), link);
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"absolute", "data", "first", "last", "links"}));
    EXPECT_EQ(names(folder / "data"), std::vector<std::string>{"pad.s2p"});
    EXPECT_EQ(names(folder / "links"), std::vector<std::string>{"up"});
}

// A link to nothing yet makes the file it names; a link to a folder, or a
// loop of links, is refused.
TEST_F(OutputFile, DanglingLinksGetTheirTargetAndLoopsAreRefused) {
    fs::create_symlink("new.s2p", folder / "link");
    EXPECT_EQ(write_file_replacing((folder / "link").string(), "made"), "");
    EXPECT_TRUE(fs::is_symlink(folder / "link"));
    EXPECT_EQ(contents(folder / "new.s2p"), "made");

    fs::create_symlink("loop-b", folder / "loop-a");
    fs::create_symlink("loop-a", folder / "loop-b");
    fs::create_directory(folder / "sub");
    fs::create_symlink("sub", folder / "to-folder");
    for (const char* link : {"loop-a", "to-folder"}) {
        EXPECT_NE(write_file_replacing((folder / link).string(), "x"), "") << link;
        EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"link", "loop-a", "loop-b", "new.s2p", "sub",
                                                 "to-folder"}));
}

// The temporary file goes beside the file the link names: a link in a
// folder the user may not write to, naming a file in one they may.
TEST_F(OutputFile, ALinkInAFolderThatCannotBeWrittenToIsWrittenThrough) {
    fs::create_directory(folder / "mine");
    fs::create_directory(folder / "fixed");
    fs::create_symlink("../mine/pad.s2p", folder / "fixed" / "link");
    ::chmod((folder / "mine").c_str(), 0777);
    ::chmod((folder / "fixed").c_str(), 0555);
    as_ordinary_user(folder, [&] {
        std::string why = write_file_replacing((folder / "fixed" / "link").string(), "through");
        return check(why.empty(), "write through the link: " + why) &&
               check(contents(folder / "mine" / "pad.s2p") == "through", "the target's text");
    });
}

// As the shell's > would: a file the user could not open for writing, or a
// new file in a folder they cannot write to, is refused and left as it was,
// though the folder would let a rename replace the file.
TEST_F(OutputFile, RefusesWhatTheUserCouldNotOpenForWriting) {
    fs::path read_only = folder / "read-only.s2p";
    std::ofstream(read_only) << "kept";
    ::chmod(read_only.c_str(), 0444);
    fs::create_directory(folder / "fixed");
    ::chmod((folder / "fixed").c_str(), 0555);
    as_ordinary_user(folder, [&] {
        std::string why = write_file_replacing(read_only.string(), "x");
        std::string why_new = write_file_replacing((folder / "fixed" / "new.s2p").string(), "x");
        return check(why.find("Permission denied") != std::string::npos, "refusal: " + why) &&
               check(contents(read_only) == "kept", "the read-only file kept") &&
               check(why_new.find("Permission denied") != std::string::npos,
                     "refusal of a new file: " + why_new) &&
               check(!fs::exists(folder / "fixed" / "new.s2p"), "no new file");
    });
    EXPECT_EQ(names(), (std::vector<std::string>{"fixed", "read-only.s2p"}));
}

// A file the user may write, in a folder where they may not put another in
// its place, is written in place, as the shell's > writes it: in a folder
// they may not write to, and in a sticky one (as /tmp is) when the file is
// another's. Once both were refused, or failed at the rename.
TEST_F(OutputFile, AFileInAFolderThatCannotTakeAnotherIsWrittenInPlace) {
    fs::create_directory(folder / "fixed");
    fs::path fixed = folder / "fixed" / "pad.s2p";
    std::ofstream(fixed) << "an older and longer file";
    ::chmod(fixed.c_str(), 0666);
    ::chmod((folder / "fixed").c_str(), 0555);
    as_ordinary_user(folder, [&] {
        File out(fixed.string());
        std::string why = write_file_replacing(fixed.string(), "in place\n");
        return check(out.overwritten_in_place(), "written in place") &&
               check(why.empty(), "write in a fixed folder: " + why) &&
               check(contents(fixed) == "in place\n", "the text: " + contents(fixed));
    });
    EXPECT_EQ(names(folder / "fixed"), std::vector<std::string>{"pad.s2p"});
}

TEST_F(OutputFile, AnotherUsersFileInAStickyFolderIsWrittenInPlace) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    fs::create_directory(folder / "shared");
    ::chmod((folder / "shared").c_str(), 01777);
    fs::path file = folder / "shared" / "pad.s2p";
    std::ofstream(file) << "an older and longer file";
    ASSERT_EQ(::chown(file.c_str(), 4321, 4321), 0);
    ::chmod(file.c_str(), 0666);
    as_ordinary_user(folder, [&] {
        std::string why = write_file_replacing(file.string(), "in place\n");
        return check(why.empty(), "write another's file in a sticky folder: " + why) &&
               check(contents(file) == "in place\n", "the text: " + contents(file));
    });
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 4321u) << "the same file, still another's";
    EXPECT_EQ(names(folder / "shared"), std::vector<std::string>{"pad.s2p"});
}

// The new file keeps the old one's owner and group where the program may
// set them, and never carries a setuid or setgid bit over. An owner it may
// not give is no error: the file becomes the writer's, as an editor's would.
TEST_F(OutputFile, KeepsOwnerAndGroupButNoSetuidBit) {
    fs::path file = folder / "pad.s2p";
    std::ofstream(file) << "old";
    bool root = ::geteuid() == 0;
    const uid_t owner = 4321;
    const gid_t group = 8765;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), owner, group), 0);
    }
    ASSERT_EQ(::chmod(file.c_str(), 06757), 0);
    EXPECT_EQ(write_file_replacing(file.string(), "new"), "");
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0757u);
    if (!root)
        return;
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, group);
    as_ordinary_user(folder, [&] {
        std::string why = write_file_replacing(file.string(), "the writer's");
        return check(why.empty(), "write over another's file: " + why);
    });
    EXPECT_EQ(contents(file), "the writer's");
}

// Each folder whose fsync the program asks for, with what the destination
// held at that moment.
struct FolderSync {
    ino_t folder;
    std::string held;
};
std::vector<FolderSync> folder_syncs;
std::string watched_file;

} // namespace
} // namespace padcalc

// Every fsync of the program's passes through here, on its way to the C
// library's: a folder's is recorded.
extern "C" int fsync(int fd) {
    static auto* real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        padcalc::folder_syncs.push_back({st.st_ino, padcalc::contents(padcalc::watched_file)});
    return real(fd);
}

namespace padcalc {
namespace {

// The rename is made lasting: the folder is synced after it, so that a crash
// cannot bring back the old file once the write has been reported done.
TEST_F(OutputFile, SyncsTheFolderAfterTheRename) {
    fs::path file = folder / "pad.s2p";
    std::ofstream(file) << "old";
    watched_file = file.string();
    folder_syncs.clear();
    EXPECT_EQ(write_file_replacing(file.string(), "new"), "");
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    ASSERT_EQ(folder_syncs.size(), 1u);
    EXPECT_EQ(folder_syncs[0].folder, st.st_ino);
    EXPECT_EQ(folder_syncs[0].held, "new");
}

// A device is written through, never renamed over (run as root a rename
// would succeed): the devices that take everything and that are always full,
// made in the test's own folder, and a link to one.
TEST_F(OutputFile, WritesThroughDevicesAndLeavesThem) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make devices (mknod) for this test";
    fs::path null = folder / "null";
    fs::path full = folder / "full";
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)), 0);
    int probe = ::open(null.c_str(), O_WRONLY);
    if (probe < 0)
        GTEST_SKIP() << "this file system takes no devices (mounted nodev)";
    ::close(probe);
    fs::create_symlink("null", folder / "to-device");
    for (const char* name : {"null", "to-device"}) {
        File out((folder / name).string());
        EXPECT_FALSE(out.replaced_whole()) << name;
        EXPECT_FALSE(out.overwritten_in_place()) << name;
        EXPECT_EQ(write_file_replacing((folder / name).string(), "x"), "") << name;
    }
    std::string why = write_file_replacing(full.string(), "x");
    EXPECT_NE(why.find("No space left on device"), std::string::npos) << why;
    for (const char* name : {"null", "full"}) {
        struct stat after {};
        ASSERT_EQ(::stat((folder / name).c_str(), &after), 0);
        EXPECT_TRUE(S_ISCHR(after.st_mode)) << name;
    }
    EXPECT_TRUE(fs::is_symlink(folder / "to-device"));
    EXPECT_EQ(names(), (std::vector<std::string>{"full", "null", "to-device"}));
}

// A FIFO is written through to its reader, and stays a FIFO; so does one
// named by a link. Once it was refused.
TEST_F(OutputFile, WritesThroughAFifo) {
    fs::path fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("fifo", folder / "link");
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK); // so that the writer's open returns
    ASSERT_GE(reader, 0);
    EXPECT_EQ(write_file_replacing(fifo.string(), "through "), "");
    EXPECT_EQ(write_file_replacing((folder / "link").string(), "the link\n"), "");
    char got[64] = {};
    EXPECT_EQ(::read(reader, got, sizeof got - 1), 17);
    EXPECT_STREQ(got, "through the link\n");
    ::close(reader);
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
    EXPECT_EQ(names(), (std::vector<std::string>{"fifo", "link"}));
}

// The program's own descriptors, as /dev/stdout or a shell's >(gzip) name
// them, are written where they stand: a pipe, which has no name to follow,
// and a file opened to be appended to, whose text before stays. Once the
// pipe failed ("/proc/self/fd: No such file or directory") and the file was
// replaced, losing the report written to it.
TEST_F(OutputFile, WritesThroughTheProgramsOwnDescriptors) {
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    std::string piped = "/proc/self/fd/" + std::to_string(pipe_ends[1]);
    EXPECT_EQ(write_file_replacing(piped, "through the pipe\n"), "");
    ::close(pipe_ends[1]);
    char got[64] = {};
    EXPECT_EQ(::read(pipe_ends[0], got, sizeof got - 1), 17);
    EXPECT_STREQ(got, "through the pipe\n");
    ::close(pipe_ends[0]);

    fs::path log = folder / "log";
    std::ofstream(log) << "the report\n";
    struct stat before {};
    ASSERT_EQ(::stat(log.c_str(), &before), 0);
    int appended = ::open(log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(appended, 0);
    std::string own = "/proc/self/fd/" + std::to_string(appended);
    fs::create_symlink(own, folder / "link");
    {
        File out(own);
        EXPECT_FALSE(out.replaced_whole());
    }
    EXPECT_EQ(write_file_replacing(own, "the file\n"), "");
    EXPECT_EQ(write_file_replacing((folder / "link").string(), "and again\n"), "");
    // /dev/fd is the same folder, where the system has it so.
    std::error_code error;
    if (fs::read_symlink("/dev/fd", error) == "/proc/self/fd")
        EXPECT_EQ(write_file_replacing("/dev/fd/" + std::to_string(appended), "once more\n"), "");
    else
        std::fputs("/dev/fd is not a link to /proc/self/fd here: not tried\n", stderr);
    ::close(appended);
    struct stat after {};
    ASSERT_EQ(::stat(log.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the same file, not one put in its place";
    std::string expected = "the report\nthe file\nand again\n";
    if (!error && fs::read_symlink("/dev/fd") == "/proc/self/fd")
        expected += "once more\n";
    EXPECT_EQ(contents(log), expected);
    EXPECT_EQ(names(), (std::vector<std::string>{"link", "log"}));
    EXPECT_NE(write_file_replacing("/proc/self/fd/" + std::to_string(appended), "x"), "")
        << "a descriptor that is closed";
}

// "-" is standard output, and a standard output that cannot take the text
// (here a pipe whose reader has gone) is an error.
TEST_F(OutputFile, DashIsStandardOutput) {
    auto written_through = [](int fd) {
        std::fflush(stdout);
        int saved = ::dup(1);
        ::dup2(fd, 1);
        ::close(fd);
        std::string error = write_file_replacing("-", "text\n");
        std::clearerr(stdout);
        ::dup2(saved, 1);
        ::close(saved);
        return error;
    };
    fs::path file = folder / "out";
    EXPECT_EQ(written_through(::open(file.c_str(), O_WRONLY | O_CREAT, 0600)), "");
    EXPECT_EQ(contents(file), "text\n");
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    ::close(pipe_ends[0]);
    auto* was = std::signal(SIGPIPE, SIG_IGN);
    std::string why = written_through(pipe_ends[1]);
    std::signal(SIGPIPE, was);
    EXPECT_NE(why.find("Broken pipe"), std::string::npos) << why;
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

#endif

} // namespace
} // namespace padcalc
