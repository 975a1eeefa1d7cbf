// Writing an output file whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace padcalc {

// Writes `text` to the file at `path`, or to standard output for "-". The
// text goes to a temporary file beside the destination, which is flushed to
// the disk and then renamed over it, so the name never holds a partial file.
// A destination that exists and is not a regular file (a folder, a device)
// is refused and left alone. Returns an empty string on success, or why the
// file could not be written.
std::string write_file_replacing(const std::string& path, std::string_view text);

} // namespace padcalc
