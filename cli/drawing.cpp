#include "drawing.h"

#include <string_view>
#include <vector>

namespace padcalc {
namespace {

using Grid = std::vector<std::string_view>;

char at(const Grid& grid, std::size_t row, std::size_t col) {
    return row < grid.size() && col < grid[row].size() ? grid[row][col] : ' ';
}

// The box-drawing joint for the wires that meet at a '+'.
std::string_view joint(bool up, bool down, bool left, bool right) {
    static constexpr std::string_view joints[16] = {
        // index: up 8, down 4, left 2, right 1
        " ", "─", "─", "─", "│", "┌", "┐", "┬", "│", "└", "┘", "┴", "│", "├", "┤", "┼",
    };
    return joints[(up ? 8 : 0) + (down ? 4 : 0) + (left ? 2 : 0) + (right ? 1 : 0)];
}

std::string box_drawing(std::string_view ascii) {
    Grid grid;
    for (std::size_t start = 0; start < ascii.size();) {
        std::size_t end = ascii.find('\n', start);
        grid.push_back(ascii.substr(start, end - start));
        start = end + 1;
    }
    auto wire = [](char ch, char along) { return ch == along || ch == '+'; };
    std::string out;
    for (std::size_t row = 0; row < grid.size(); ++row) {
        for (std::size_t col = 0; col < grid[row].size(); ++col) {
            char ch = grid[row][col];
            char left = col > 0 ? at(grid, row, col - 1) : ' ';
            char right = at(grid, row, col + 1);
            if (ch == '-')
                out += "─";
            else if (ch == '|')
                out += "│";
            else if (ch == '+')
                out += joint(row > 0 && wire(at(grid, row - 1, col), '|'),
                             wire(at(grid, row + 1, col), '|'), wire(left, '-'), wire(right, '-'));
            else if (ch == '[' && left == '-')
                out += "┤"; // a resistor in a horizontal wire
            else if (ch == ']' && right == '-')
                out += "├";
            else
                out += ch;
        }
        out += '\n';
    }
    return out;
}

} // namespace

std::string drawing(Network network, bool ascii) {
    return ascii ? std::string(network->drawing) : box_drawing(network->drawing);
}

} // namespace padcalc
