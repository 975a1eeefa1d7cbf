#include "menu.h"

#include "networks/screens.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace padcalc {
namespace {

// The menu's rows: a key, the network's name, and its screen. The menu line
// is the key in capitals and the name, and the screen's title is the name.
// Keys are matched exactly and in lower case only: the capitals that the
// menu shows are not choices.
struct Row {
    char key;
    std::string_view name;
    Screen screen;
};

constexpr Row rows[] = {
    {'a', "Unbalanced Tee Network", tee_un},        {'b', "Balanced H Network", h_bal},
    {'c', "Unbalanced Pi Network", pi_un},          {'d', "Balanced Pi Network", pi_bal},
    {'e', "Minimal Loss Pad (Unbalanced)", mlp_un}, {'f', "Minimal Loss Pad (Balanced)", mlp_bal},
};

void draw_menu(Console& con) {
    con.clear_screen();
    con.write_text("Please select an option\n\n");
    for (const Row& row : rows) {
        std::string line(1, static_cast<char>(row.key - 'a' + 'A'));
        line += " - ";
        line += row.name;
        line += '\n';
        con.write_text(line);
    }
    con.write_text("\nQ - Quit Program\n");
}

} // namespace

void naughty(Console& con) {
    con.clear_screen();
    con.write_text("Can you not read??\n");
    con.write_text("Only enter either A, B, C, D, E, F or Q\n");
    con.write_text("\nThat means NOT N\n");
    con.write_text("\n\nPress ENTER to return to the main menu");
    con.write_text("\n\nNaughty Naughty");
    con.wait_key();
}

// No wait takes the key that ends it: the key stays pending and is the
// menu's next choice. So the ENTER that closes a screen is read here as a
// choice and answered with the invalid-choice line.
void run_menu(Console& con) {
    WorkingValues w;
    int done = 0;
    while (!done) {
        draw_menu(con);
        int cmd = con.read_key();
        if (cmd == no_key)
            return;
        const Row* row = std::find_if(std::begin(rows), std::end(rows),
                                      [cmd](const Row& r) { return r.key == cmd; });
        if (row != std::end(rows)) {
            row->screen(con, w, std::string(row->name) + "\n\n");
        } else if (cmd == 'n') {
            naughty(con);
        } else if (cmd == 'q') {
            done = 1;
            con.write_text("\n\nProgram ended, press any key to continue");
            con.wait_key();
        } else {
            con.write_text("\n\nPlease enter either A, B, C, D, E, F or Q");
            con.wait_key();
        }
        // A screen runs to its end even when the keys have ended, since reads
        // at the end of input convert nothing; then the program ends.
        if (con.keys_ended())
            return;
    }
}

} // namespace padcalc

namespace padcalc {

std::string menu_keys_help() {
    std::string text = "Keys, in lower case only (the capitals in the menu are not choices):\n";
    for (const Row& row : rows) {
        text += "  ";
        text += row.key;
        text += "  ";
        text += row.name;
        text += '\n';
    }
    return text + "  q  Quit Program\n";
}

} // namespace padcalc
