#include "output.h"

#include "output_file.h"
#include "reports/report.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>

namespace padcalc {
namespace {

constexpr std::size_t block_size = std::size_t{64} * 1024; // held before it is written

} // namespace

bool Output::write(std::string_view text) {
    if (error_ != 0)
        return false;
    buffer_ += text;
    if (buffer_.size() >= block_size)
        flush();
    return error_ == 0;
}

bool Output::flush() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
        note_failure();
    buffer_.clear();
    if (std::fflush(stdout) != 0)
        note_failure();
    return error_ == 0;
}

void Output::note_failure() {
    if (error_ == 0)
        error_ = standard_output_error();
}

int finish(Output& out, int status) {
    if (!out.flush()) {
        std::fprintf(stderr, "padcalc: write error: %s\n", std::strerror(out.error()));
        return 1;
    }
    return status;
}

void Writer::add(const Result& r) {
    Sink write = [this](std::string_view text) { return out_.write(text); };
    switch (s_.format) {
    case Format::text:
        out_.write(count_ ? "\n" : "");
        if (out_.write(text_report(r, s_.ascii)))
            text_sweeps(r, s_, write);
        break;
    case Format::json:
        out_.write(!sweep_ ? "" : count_ ? ",\n" : "[\n");
        if (write_json_report(r, s_, write))
            out_.write(sweep_ ? "" : "\n");
        break;
    case Format::csv:
        out_.write(count_ ? "" : csv_header(r, s_));
        if (!out_.failed())
            csv_rows(r, s_, write);
        break;
    case Format::spice:
        out_.write(count_ ? "\n" : "");
        out_.write(spice_report(r, s_, sweep_ ? count_ + 1 : 0));
        break;
    }
    ++count_;
}

int Writer::finish(int status) {
    if (s_.format == Format::json && sweep_)
        out_.write(count_ ? "\n]\n" : "[]\n");
    return padcalc::finish(out_, status);
}

} // namespace padcalc
