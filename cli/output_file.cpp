#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#endif

namespace padcalc {
namespace {

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

std::string write_standard_output(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        return failure("standard output", standard_output_error());
    return {};
}

#ifdef _WIN32

namespace fs = std::filesystem;

// The command line's texts are UTF-8, which the narrow file functions of
// Windows would read in the ANSI code page.
fs::path native(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

// Why the destination may not be replaced, or an empty text if it may: it
// must be missing or a regular file.
std::string find_destination(std::string& path) {
    std::error_code error;
    fs::file_status status = fs::status(native(path), error);
    if (status.type() == fs::file_type::not_found)
        return {};
    if (error)
        return path + ": " + error.message();
    if (status.type() != fs::file_type::regular)
        return path + ": not a regular file";
    return {};
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

// Windows: a temporary file of its own beside the destination, flushed to
// the disk, then moved over the destination.
std::string write_replacing(const std::string& path, std::string_view text) {
    fs::path target = native(path);
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    fs::path temporary;
    int fd = make_temporary(folder, temporary);
    if (fd < 0)
        return failure(path, errno);
    bool written = write_all(fd, text) && ::_commit(fd) == 0;
    int error = errno;
    if (::_close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::_wunlink(temporary.c_str());
        return failure(path, error == 0 ? EIO : error);
    }
    if (DWORD error = move_over(temporary, target); error != 0) {
        ::_wunlink(temporary.c_str());
        return path + ": " + std::system_category().message(static_cast<int>(error));
    }
    return {};
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

// Follows `path` through symbolic links, a chain of them too, to the file
// that is to be replaced: one that is there, or the missing one a dangling
// link names. Gives 0, or an errno value.
int follow_links(std::string& path) {
    const int most_links = 40; // as the kernel follows, before it says ELOOP
    for (int followed = 0; followed <= most_links; ++followed) {
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

// Finds the file to replace, through any links, in `path`; gives why it
// may not be replaced, or an empty text if it may. As the shell's > would
// open it: a regular file the user may write to, or a new one in a folder
// they may write to. Without this a rename would replace a read-only file.
std::string find_destination(std::string& path) {
    if (int error = follow_links(path); error != 0)
        return failure(path, error);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return failure(path, errno);
        std::string folder = folder_of(path);
        return ::access(folder.c_str(), W_OK | X_OK) == 0 ? "" : failure(path, errno);
    }
    if (!S_ISREG(st.st_mode))
        return path + ": not a regular file";
    return ::access(path.c_str(), W_OK) == 0 ? "" : failure(path, errno);
}

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

// The text on the disk, with the old file's owner and permissions. Gives 0,
// or an errno value.
int fill(int fd, std::string_view text, const struct stat* old) {
    int error = write_all(fd, text) ? 0 : (errno == 0 ? EIO : errno);
    if (error == 0 && old)
        error = keep_owner(fd, *old);
    if (error == 0)
        error = set_permissions(fd, old);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    return error;
}

// The signals that end the program and may be caught: Ctrl-C, kill's
// default and a terminal that closes.
constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP};

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

// POSIX: the text is on the disk (fsync, and close, where a full disk may
// show) before the rename makes it the file.
std::string write_replacing(const std::string& path, std::string_view text) {
    std::string folder = folder_of(path);
    struct stat old {};
    bool replacing = ::stat(path.c_str(), &old) == 0;
    TemporaryFile temporary(folder);
    if (temporary.fd() < 0)
        return failure(folder, temporary.error());
    int error = fill(temporary.fd(), text, replacing ? &old : nullptr);
    if (error == 0)
        error = temporary.put_in_place_of(path);
    if (error != 0)
        return failure(path, error);
    sync_folder(folder);
    return {};
}

#endif

} // namespace

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
    if (path == "-")
        return write_standard_output(text);
    std::string destination = path;
    if (std::string refusal = find_destination(destination); !refusal.empty())
        return refusal;
    return write_replacing(destination, text);
}

} // namespace padcalc
