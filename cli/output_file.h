// Writing an output file whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace padcalc {

// Writes `text` to the file at `path`, or to standard output for "-". The
// text goes to a temporary file beside the destination, which is flushed to
// the disk and then renamed over it, so the name never holds a partial file;
// a signal that ends the program meanwhile takes the temporary file with it.
//
// As an editor saves: a symbolic link (or a chain of them) is written
// through, and the file it names is replaced, or made if it is missing. The
// new file keeps the old one's permissions, less any setuid or setgid bit,
// and its owner and group where the program may give them. As the shell's >
// would, a file the user could not open for writing is refused, and so is a
// destination that is not a regular file (a folder, a device); either is
// left alone.
//
// Returns an empty string on success, or why the file could not be written.
// One write at a time: the temporary file's name is kept for the signal
// handler in a single place.
std::string write_file_replacing(const std::string& path, std::string_view text);

// Why the last write to standard output failed, as an errno value. On
// Windows a pipe whose reader has gone reports EINVAL; it is given as EPIPE,
// as on POSIX.
int standard_output_error();

} // namespace padcalc
