#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // std::min, not the min macro
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <sys/stat.h>
#include <system_error>
#else
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace padcalc {
namespace {

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error == 0 ? EIO : error);
}

// How a destination is written.
enum class Way {
    refused,         // not at all: the reason is kept
    standard_output, // "-"
    replace,         // a temporary file, renamed over it when whole
    in_place,        // a regular file written where it is, as the shell's > does
    through,         // not a regular file: a terminal, a pipe, a device
    descriptor,      // one of the program's own descriptors, written as it stands
};

bool write_standard_output(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

#ifdef _WIN32

namespace fs = std::filesystem;

// The command line's texts are UTF-8, which the narrow file functions of
// Windows would read in the ANSI code page.
fs::path native(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::atomic<unsigned> temporaries_made{0};

// A new file in `folder` with a name no other writer has: the process's id
// and a count, made only if no file has it already. Gives its descriptor,
// or -1 with errno set.
int make_temporary(const fs::path& folder, fs::path& name) {
    const int most_tries = 100; // leftovers of a dead process that had our id
    for (int tried = 0; tried < most_tries; ++tried) {
        name = folder / (".padcalc-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(temporaries_made++));
        int fd = ::_wopen(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int close_file(int fd) { return ::_close(fd); }

bool write_all(int fd, std::string_view text) {
    const std::size_t most_at_once = std::size_t{1} << 30;
    while (!text.empty()) {
        auto piece = static_cast<unsigned>(std::min(text.size(), most_at_once));
        int written = ::_write(fd, text.data(), piece);
        if (written <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Moves the new file over the destination. Another process may hold the
// destination for a moment (a virus scanner, an indexer, another writer
// moving its own file there), which Windows gives as access denied: the
// move is tried again for a while before that is believed. Gives 0, or a
// Windows error code.
DWORD move_over(const fs::path& from, const fs::path& to) {
    const int most_tries = 20;
    const DWORD pause_ms = 10;
    for (int tried = 1;; ++tried) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            tried == most_tries)
            return error;
        Sleep(pause_ms);
    }
}

#else

// The folder a file is in, for its temporary file: "." for a bare name.
std::string folder_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A link's text as a path: from the link's own folder, unless it is absolute.
std::string beside(const std::string& link, const std::string& text) {
    std::size_t slash = link.find_last_of('/');
    if (text.starts_with('/') || slash == std::string::npos)
        return text;
    return link.substr(0, slash + 1) + text;
}

// The folder's path with every link in it followed, or empty if it has none.
std::string real_folder(const std::string& folder) {
    char real[PATH_MAX];
    return ::realpath(folder.c_str(), real) ? std::string(real) : std::string();
}

// The descriptor of this process's own that `path` names, or -1: /dev/fd/N,
// /proc/self/fd/N and the like. Linux gives them as links to whatever the
// descriptor holds: a pipe's has no name to follow, and a file's, opened
// again by name, would be written from its start, not where the descriptor
// stands (after a report, or at the end of a file opened to append to).
int own_descriptor(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    int fd = -1;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), fd);
    if (name.empty() || error != std::errc() || end != name.data() + name.size() || fd < 0)
        return -1;
    std::string folder = real_folder(folder_of(path));
    if (folder.empty())
        return -1;
    for (const char* own : {"/proc/self/fd", "/proc/thread-self/fd", "/dev/fd"})
        if (real_folder(own) == folder)
            return fd;
    return -1;
}

// Follows `path` through symbolic links, a chain of them too, to the file
// that is to be written: one that is there, or the missing one a dangling
// link names; or to one of the program's own descriptors, given in
// `descriptor` (else -1). Gives 0, or an errno value.
int follow_links(std::string& path, int& descriptor) {
    const int most_links = 40; // as the kernel follows, before it says ELOOP
    for (int followed = 0; followed <= most_links; ++followed) {
        if ((descriptor = own_descriptor(path)) >= 0)
            return 0;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        std::string text(PATH_MAX, '\0');
        ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
        if (length < 0)
            return errno;
        if (static_cast<std::size_t>(length) == text.size())
            return ENAMETOOLONG;
        text.resize(static_cast<std::size_t>(length));
        path = beside(path, text);
    }
    return ELOOP;
}

// Whether the user may put another file in place of `file` in `folder`: a
// folder they may write to, and if it is sticky (/tmp), the file or the
// folder theirs, unless they are root.
bool may_replace(const std::string& folder, const struct stat& file) {
    struct stat st {};
    if (::access(folder.c_str(), W_OK | X_OK) != 0 || ::stat(folder.c_str(), &st) != 0)
        return false;
    uid_t me = ::geteuid();
    return !(st.st_mode & S_ISVTX) || me == 0 || me == file.st_uid || me == st.st_uid;
}

int close_file(int fd) { return ::close(fd); }

bool write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The new file takes the old one's owner and group where the program may
// give them: root any, a user a group of their own. Where it may not (or
// the owner has no name in this user namespace), the file is the writer's,
// as a new file would be. Gives 0, or an errno value.
int keep_owner(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) == 0 ||
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0)
        return 0;
    return errno == EPERM || errno == EINVAL ? 0 : errno;
}

// The permissions of the file it replaces, less setuid and setgid, which
// were granted to the old text and not to this one; for a new file the
// usual ones less the process's umask. mkstemp makes its file for the owner
// alone. Gives 0, or an errno value.
int set_permissions(int fd, const struct stat* old) {
    mode_t mode = 0;
    if (old) {
        mode = old->st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID);
    } else {
        mode_t mask = ::umask(0); // umask can only be read by setting it
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

// The signals that end the program and may be caught, but those that a
// fault raises: Ctrl-C and Ctrl-\, kill's default, a terminal that closes,
// a pipe whose reader has gone, timers, the users' own signals, and the
// limits of processor time and file size.
constexpr int ending_signals[] = {SIGINT,  SIGQUIT, SIGTERM, SIGHUP,  SIGPIPE, SIGALRM,
                                  SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGPROF, SIGVTALRM};

// The temporary file being written, for the signal handler to remove: a
// fixed place, since a handler may not allocate, and empty while there is
// none. It is changed only while the ending signals are held back.
char pending_temporary[PATH_MAX];

void remove_temporary_and_end(int sig) {
    if (pending_temporary[0] != '\0')
        ::unlink(pending_temporary);
    ::signal(sig, SIG_DFL);
    ::raise(sig); // held back until the handler returns, then ends the program
}

// Holds the ending signals back while it lives; they arrive after.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t ending;
        ::sigemptyset(&ending);
        for (int sig : ending_signals)
            ::sigaddset(&ending, sig);
        ::sigprocmask(SIG_BLOCK, &ending, &was_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &was_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t was_{};
};

// A temporary file beside the destination. While it lives, an ending signal
// removes the file before the program ends; one the program was started
// ignoring stays ignored. The file is made with the signals held back, so
// that none finds it made and not yet named in pending_temporary.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& folder) {
        std::string pattern = folder + "/.padcalc-XXXXXX";
        SignalsHeld held;
        catch_ending_signals();
        if (pattern.size() >= sizeof pending_temporary) {
            error_ = ENAMETOOLONG;
            return;
        }
        std::memcpy(pending_temporary, pattern.c_str(), pattern.size() + 1);
        fd_ = ::mkstemp(pending_temporary);
        error_ = errno;
        if (fd_ < 0)
            pending_temporary[0] = '\0';
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        SignalsHeld held;
        if (pending_temporary[0] != '\0')
            ::unlink(pending_temporary);
        pending_temporary[0] = '\0';
        for (std::size_t i = 0; i < std::size(ending_signals); ++i)
            ::sigaction(ending_signals[i], &previous_[i], nullptr);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // The new file's descriptor, or -1 when it could not be made, and why.
    int fd() const { return fd_; }
    int error() const { return error_; }

    // Closes the file, where a full disk may show too, and puts it in the
    // destination's place. Gives 0, or an errno value.
    int put_in_place_of(const std::string& path) {
        if (::close(std::exchange(fd_, -1)) != 0)
            return errno;
        SignalsHeld held;
        if (::rename(pending_temporary, path.c_str()) != 0)
            return errno;
        pending_temporary[0] = '\0';
        return 0;
    }

  private:
    void catch_ending_signals() {
        struct sigaction remove {};
        remove.sa_handler = remove_temporary_and_end;
        ::sigemptyset(&remove.sa_mask);
        for (int sig : ending_signals)
            ::sigaddset(&remove.sa_mask, sig);
        for (std::size_t i = 0; i < std::size(ending_signals); ++i) {
            ::sigaction(ending_signals[i], nullptr, &previous_[i]);
            if (previous_[i].sa_handler != SIG_IGN)
                ::sigaction(ending_signals[i], &remove, nullptr);
        }
    }

    int fd_ = -1;
    int error_ = 0;
    struct sigaction previous_[std::size(ending_signals)]{};
};

// Makes the rename itself lasting: after a crash the name does not go back
// to the old file. At best effort: the new file is whole under its name
// either way, and neither a folder that cannot be opened for reading nor a
// file system that cannot sync one makes the write a failure.
void sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

#endif

} // namespace

struct OutputFile::State {
    std::string path;   // as given, for messages about the program's own descriptors
    std::string target; // the file itself, through any links
    Way way = Way::refused;
    std::string error; // why it is refused, or the first failure
    bool finished = false;
    int fd = -1; // in place, through, or a copy of the descriptor
#ifdef _WIN32
    fs::path temporary; // empty when there is none
#else
    int descriptor = -1; // the program's own, for Way::descriptor
    struct stat old {};  // the file replaced, with replacing
    bool replacing = false;
    std::unique_ptr<TemporaryFile> temporary;
#endif

    // The name in messages: the path given for a descriptor, else the file.
    const std::string& shown() const { return way == Way::descriptor ? path : target; }
    void fail(int error_number) {
        if (error.empty())
            error =
                failure(way == Way::standard_output ? "standard output" : shown(), error_number);
    }
    void examine();
    // Closes the file and, for a temporary one, puts it in place.
    void put_in_place();
    void close_descriptor();
#ifdef _WIN32
    int written_fd() const { return fd; }
#else
    // The descriptor the text goes to: the temporary file's, or the file's.
    int written_fd() const { return temporary ? temporary->fd() : fd; }
#endif
};

#ifdef _WIN32

void OutputFile::State::examine() {
    std::error_code error_code;
    fs::file_status status = fs::status(native(target), error_code);
    if (status.type() == fs::file_type::not_found) {
        way = Way::replace;
        return;
    }
    if (error_code) {
        error = target + ": " + error_code.message();
        return;
    }
    if (status.type() == fs::file_type::directory) {
        error = failure(target, EISDIR);
        return;
    }
    if (status.type() != fs::file_type::regular) {
        way = Way::through;
        return;
    }
    // A file with other hard links is written in place, so that no link is
    // left holding the old text.
    std::uintmax_t links = fs::hard_link_count(native(target), error_code);
    way = !error_code && links > 1 ? Way::in_place : Way::replace;
}

std::string OutputFile::open() {
    State& s = *state_;
    if (!s.error.empty() || s.way == Way::standard_output)
        return s.error;
    fs::path target = native(s.target);
    if (s.way == Way::replace) {
        fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        s.fd = make_temporary(folder, s.temporary);
        if (s.fd < 0)
            s.temporary.clear();
    } else {
        s.fd = ::_wopen(target.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
    }
    if (s.fd < 0)
        s.fail(errno);
    return s.error;
}

void OutputFile::State::put_in_place() {
    // Only a file on the disk is flushed there: a device or pipe may refuse.
    if (way != Way::through && ::_commit(fd) != 0)
        fail(errno);
    if (close_file(std::exchange(fd, -1)) != 0)
        fail(errno);
    if (error.empty() && !temporary.empty()) {
        if (DWORD code = move_over(temporary, native(target)); code != 0)
            error = target + ": " + std::system_category().message(static_cast<int>(code));
        else
            temporary.clear();
    }
}

void OutputFile::abandon() {
    State& s = *state_;
    s.finished = true;
    s.close_descriptor();
    if (!s.temporary.empty())
        ::_wunlink(s.temporary.c_str());
    s.temporary.clear();
}

#else

void OutputFile::State::examine() {
    if (int error_number = follow_links(target, descriptor); error_number != 0) {
        error = failure(target, error_number);
        return;
    }
    if (descriptor >= 0) {
        way = Way::descriptor;
        return;
    }
    std::string folder = folder_of(target);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        // A new file, in a folder the user may write to.
        if (errno == ENOENT && ::access(folder.c_str(), W_OK | X_OK) == 0)
            way = Way::replace;
        else
            error = failure(target, errno);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        error = failure(target, EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
        way = Way::through;
    } else if (::access(target.c_str(), W_OK) != 0) {
        error = failure(target, errno); // as the shell's > would refuse it
    } else if (st.st_nlink > 1 || !may_replace(folder, st)) {
        way = Way::in_place;
    } else {
        way = Way::replace;
        old = st;
        replacing = true;
    }
}

std::string OutputFile::open() {
    State& s = *state_;
    if (!s.error.empty())
        return s.error;
    switch (s.way) {
    case Way::refused:
    case Way::standard_output:
        break;
    case Way::descriptor:
        s.fd = ::fcntl(s.descriptor, F_DUPFD_CLOEXEC, 0);
        if (s.fd < 0)
            s.fail(errno);
        break;
    case Way::in_place:
    case Way::through:
        s.fd = ::open(s.target.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
        if (s.fd < 0)
            s.fail(errno);
        break;
    case Way::replace: {
        std::string folder = folder_of(s.target);
        s.temporary = std::make_unique<TemporaryFile>(folder);
        if (s.temporary->fd() < 0) {
            s.error = failure(folder, s.temporary->error());
            s.temporary.reset();
        }
        break;
    }
    }
    return s.error;
}

// POSIX: a new file's text is on the disk (fsync, and close, where a full
// disk may show) before the rename makes it the file.
void OutputFile::State::put_in_place() {
    if (temporary) {
        int written = temporary->fd();
        int error_number = replacing ? keep_owner(written, old) : 0;
        if (error_number == 0)
            error_number = set_permissions(written, replacing ? &old : nullptr);
        if (error_number == 0 && ::fsync(written) != 0)
            error_number = errno;
        if (error_number == 0)
            error_number = temporary->put_in_place_of(target);
        if (error_number != 0)
            fail(error_number);
        else
            sync_folder(folder_of(target));
        return;
    }
    // Only a file written in place is flushed to the disk: what goes
    // through to a device, a pipe or a descriptor is as "-" is.
    if (way == Way::in_place && ::fsync(fd) != 0 && errno != EINVAL)
        fail(errno);
    if (close_file(std::exchange(fd, -1)) != 0)
        fail(errno);
}

void OutputFile::abandon() {
    State& s = *state_;
    s.finished = true;
    s.close_descriptor();
    s.temporary.reset(); // removes the file, unless it has been put in place
}

#endif

OutputFile::OutputFile(const std::string& path) : state_(std::make_unique<State>()) {
    state_->path = path;
    state_->target = path;
    if (path == "-")
        state_->way = Way::standard_output;
    else
        state_->examine();
}

OutputFile::~OutputFile() { abandon(); }

void OutputFile::State::close_descriptor() {
    if (fd >= 0)
        close_file(fd);
    fd = -1;
}

std::string OutputFile::finish() {
    State& s = *state_;
    if (s.finished)
        return s.error;
    if (s.error.empty() && s.way == Way::standard_output && std::fflush(stdout) != 0)
        s.fail(standard_output_error());
    else if (s.error.empty() && s.way != Way::standard_output)
        s.put_in_place();
    abandon();
    return s.error;
}

bool OutputFile::write(std::string_view text) {
    State& s = *state_;
    if (!s.error.empty() || s.finished)
        return false;
    bool written = s.way == Way::standard_output ? write_standard_output(text)
                                                 : write_all(s.written_fd(), text);
    if (!written)
        s.fail(s.way == Way::standard_output ? standard_output_error() : errno);
    return written;
}

bool OutputFile::overwritten_in_place() const { return state_->way == Way::in_place; }

bool OutputFile::replaced_whole() const { return state_->way == Way::replace; }

int standard_output_error() {
    int error = errno == 0 ? EIO : errno;
#ifdef _WIN32
    // A pipe whose reader has gone fails a write with ERROR_NO_DATA, which
    // the C runtime knows no errno for.
    if (error == EINVAL && GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE)
        return EPIPE;
#endif
    return error;
}

std::string write_file_replacing(const std::string& path, std::string_view text) {
    OutputFile file(path);
    if (std::string why = file.open(); !why.empty())
        return why;
    file.write(text);
    return file.finish();
}

} // namespace padcalc
