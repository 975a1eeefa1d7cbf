#include "menu.h"

#include "networks/screens.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace padcalc {
namespace {

// Keys are matched exactly and in lower case only: the capitals that the
// menu shows are not choices.
struct Row {
    int key;
    void (*screen)(Console&, WorkingValues&);
};

constexpr Row screen_rows[] = {
    {'a', tee_un}, {'b', h_bal}, {'c', pi_un}, {'d', pi_bal}, {'e', mlp_un}, {'f', mlp_bal},
};

constexpr std::string_view menu_lines[] = {
    "Please select an option\n\n",       "A - Unbalanced Tee Network\n",
    "B - Balanced H Network\n",          "C - Unbalanced Pi Network\n",
    "D - Balanced Pi Network\n",         "E - Minimal Loss Pad (Unbalanced)\n",
    "F - Minimal Loss Pad (Balanced)\n", "\nQ - Quit Program\n",
};

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
        con.clear_screen();
        for (auto line : menu_lines)
            con.write_text(line);
        int cmd = con.read_key();
        if (cmd == no_key)
            return;
        const Row* row = std::find_if(std::begin(screen_rows), std::end(screen_rows),
                                      [cmd](const Row& r) { return r.key == cmd; });
        if (row != std::end(screen_rows)) {
            row->screen(con, w);
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
