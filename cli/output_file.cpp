#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace padcalc {
namespace {

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

std::string write_standard_output(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        return failure("standard output", errno);
    return {};
}

// Why the destination may not be replaced, or an empty text if it may: it
// must be missing or a regular file.
std::string refuse_unless_regular(const std::string& path) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return {};
    if (error)
        return path + ": " + error.message();
    if (status.type() != std::filesystem::file_type::regular)
        return path + ": not a regular file";
    return {};
}

#ifdef _WIN32

// Windows: a plain temporary file beside the destination, then a rename
// that replaces it.
std::string write_replacing(const std::string& path, std::string_view text) {
    std::string temporary = path + ".padcalc-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return path + ": cannot write " + temporary;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::remove(temporary.c_str());
        return path + ": " + error.message();
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

// The permissions the file would have if created afresh: those of the file
// it replaces, or the usual ones less the process's umask. mkstemp makes its
// file for the owner alone.
mode_t permissions_for(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    mode_t mask = ::umask(0); // umask can only be read by setting it
    ::umask(mask);
    return 0666 & ~mask;
}

// POSIX: the text is on the disk (fsync, and close, where a full disk may
// show) before the rename makes it the file.
std::string write_replacing(const std::string& path, std::string_view text) {
    std::string folder = folder_of(path);
    std::string temporary = folder + "/.padcalc-XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failure(folder, errno);
    bool written =
        write_all(fd, text) && ::fchmod(fd, permissions_for(path)) == 0 && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return failure(path, error == 0 ? EIO : error);
    }
    return {};
}

#endif

} // namespace

std::string write_file_replacing(const std::string& path, std::string_view text) {
    if (path == "-")
        return write_standard_output(text);
    if (std::string refusal = refuse_unless_regular(path); !refusal.empty())
        return refusal;
    return write_replacing(path, text);
}

} // namespace padcalc
