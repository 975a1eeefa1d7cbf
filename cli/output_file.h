// Output files, written a piece at a time as they are worked out: whole or
// not at all where the destination is a file, written through where it is
// not.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace padcalc {

// A file being written. "-" is standard output.
//
// An ordinary file (or one not there yet) is replaced as an editor saves:
// the text goes to a temporary file beside it, which is flushed to the disk
// and then renamed over it, so that the name never holds a partial file; a
// signal that ends the program meanwhile takes the temporary file with it.
// A symbolic link (or a chain of them) is written through, and the file it
// names is replaced, or made if it is missing. The new file keeps the old
// one's permissions, less any setuid or setgid bit, and its owner and group
// where the program may give them.
//
// Two files are written in place instead, as the shell's > writes them: one
// in a folder where the user may not put another file in its place (a
// folder they may not write to, or a sticky one such as /tmp when the file
// is another's), and one with other hard links, so that no link is left
// holding the old text.
//
// Anything else is written through and never replaced: a terminal, a pipe
// or FIFO, a device, and the program's own descriptors (/dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N), which are written as "-" is, at
// the descriptor's own place, so that `>> log` appends.
//
// As the shell's > would, a file the user could not open for writing is
// refused, and so is a folder; either is left alone.
//
// One at a time: the temporary file's name is kept for the signal handler in
// a single place.
class OutputFile {
  public:
    // Finds where `path` leads, and how it is to be written; opens nothing.
    explicit OutputFile(const std::string& path);
    // Gives up on a file not finished (abandon).
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Whether the destination's old text is lost the moment it is opened: a
    // regular file written in place. Its text should be known good first.
    bool overwritten_in_place() const;
    // Whether abandoning leaves the destination as it was: a file replaced
    // whole. Standard output, a pipe or a device keeps what was written.
    bool replaced_whole() const;

    // Opens the destination (or makes the temporary file). Gives an empty
    // text, or why it cannot be written.
    std::string open();
    // Writes a piece; false once a write has failed, when the rest need not
    // be worked out.
    bool write(std::string_view text);
    // Puts the text in place: flushed, and a temporary file renamed over the
    // destination. Gives an empty text, or why the file could not be
    // written (the first failed write's reason); then a temporary file is
    // removed and the destination left as it was.
    std::string finish();
    // Gives up: a temporary file is removed and the destination left as it
    // was; what went through to anything else stays there.
    void abandon();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Writes `text` whole to `path`, as OutputFile does. Gives an empty text on
// success, or why the file could not be written.
std::string write_file_replacing(const std::string& path, std::string_view text);

// Why the last write to standard output failed, as an errno value. On
// Windows a pipe whose reader has gone reports EINVAL; it is given as EPIPE,
// as on POSIX.
int standard_output_error();

} // namespace padcalc
