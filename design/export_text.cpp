#include "export_text.h"

#include <charconv>

namespace padcalc {

std::string exact_number(double value) {
    char text[32]; // the longest, -2.2250738585072014e-308, has 24 characters
    auto result = std::to_chars(text, text + sizeof text, value);
    return {text, result.ptr};
}

std::string comment_block(const std::vector<std::string>& lines, std::string_view marker) {
    std::string out;
    for (std::string_view text : lines) {
        for (;;) {
            std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            out += marker;
            if (!line.empty()) {
                out += ' ';
                out += line;
            }
            out += "\n";
            if (end == std::string_view::npos)
                break;
            text.remove_prefix(end + 1);
        }
    }
    return out;
}

} // namespace padcalc
