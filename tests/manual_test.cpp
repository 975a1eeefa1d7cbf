// The manual page against the program's tables: every network with the
// entries it takes, every option, and each list the manual gives of them,
// so that a network or option added to a table and not to the manual, or
// one the manual keeps after the table has lost it, is caught.

#include "design/cascade.h"
#include "design/network.h"
#include "options/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace padcalc {
namespace {

std::string manual() {
    std::ifstream page(PADCALC_MAN_PAGE);
    return {std::istreambuf_iterator<char>(page), std::istreambuf_iterator<char>()};
}

// A section, from its .SH line to the next.
std::string section(std::string_view name) {
    static const std::string man = manual();
    std::size_t start = man.find("\n.SH " + std::string(name) + "\n");
    EXPECT_NE(start, std::string::npos) << name;
    return man.substr(start, man.find("\n.SH ", start + 1) - start);
}

// The text between the first `from` and the next `to` after it.
std::string between(const std::string& text, std::string_view from, std::string_view to) {
    std::size_t start = text.find(from);
    EXPECT_NE(start, std::string::npos) << from;
    start += from.size();
    return text.substr(start, text.find(to, start) - start);
}

// A line of roff as it reads: hyphens, no font changes, no quotes.
std::string plain(std::string line) {
    for (std::string_view escape : {"\\fR", "\\fP", "\\fB", "\\fI", "\\&", "\""})
        for (std::size_t at; (at = line.find(escape)) != std::string::npos;)
            line.erase(at, escape.size());
    for (std::size_t at; (at = line.find("\\-")) != std::string::npos;)
        line.erase(at, 1);
    return line;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(plain(text));
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    return all;
}

// The words set in bold by .B and .BR lines: the items of a list.
std::set<std::string> bold(const std::string& text) {
    std::set<std::string> found;
    for (const std::string& line : lines(text))
        if (line.starts_with(".B ") || line.starts_with(".BR "))
            found.insert(words(line)[1]);
    return found;
}

// The tags of a list of .TP paragraphs, as they read.
std::vector<std::string> tags(const std::string& text) {
    std::vector<std::string> all = lines(text), found;
    for (std::size_t i = 0; i + 1 < all.size(); ++i)
        if (all[i] == ".TP")
            found.push_back(plain(all[i + 1]));
    return found;
}

template <typename Keep> std::set<std::string> ids(Keep keep) {
    std::set<std::string> found;
    for (const NetworkInfo& n : networks())
        if (keep(n))
            found.emplace(n.id);
    return found;
}

std::string entries_of(const NetworkInfo& n) {
    std::string text;
    for (std::string_view entry : design_entries(&n))
        text += (text.empty() ? "" : " ") + std::string(entry);
    return text;
}

// The synopsis: each network in a {a | b} group with the entries it takes,
// the cascade's networks in its own, and check's resistors from R1 to the
// most any network has, those after the fewest in brackets.
TEST(Manual, SynopsisHasEveryNetworkWithItsEntries) {
    std::vector<std::string> synopsis = lines(section("SYNOPSIS"));
    std::set<std::string> designed, cascaded;
    for (std::size_t i = 1; i + 1 < synopsis.size(); ++i) {
        if (!synopsis[i].starts_with(".RB {"))
            continue;
        std::vector<std::string> group = words(synopsis[i]);
        std::string entries = plain(synopsis[i + 1].substr(3));
        for (const std::string& id : group)
            if (id != ".RB" && id != "{" && id != "|" && id != "}") {
                (synopsis[i - 1] == ".B padcalc cascade" ? cascaded : designed).insert(id);
                Network n = find_network(id);
                ASSERT_TRUE(n) << id;
                if (synopsis[i - 1] == ".B padcalc") {
                    EXPECT_EQ(entries, entries_of(*n)) << id;
                }
            }
    }
    EXPECT_EQ(designed, ids([](const NetworkInfo&) { return true; }));
    EXPECT_EQ(cascaded, ids([](const NetworkInfo& n) { return can_cascade(&n); }));

    std::size_t fewest = 99, most = 0;
    for (const NetworkInfo& n : networks()) {
        fewest = std::min(fewest, n.resistors.size());
        most = std::max(most, n.resistors.size());
    }
    std::vector<std::string> check = words(between(section("SYNOPSIS"), ".B padcalc check", ".br"));
    std::vector<std::string> named;
    std::size_t required = 0;
    for (const std::string& word : check)
        if (word.starts_with("R")) {
            EXPECT_EQ(word.substr(0, word.find(']')), "R" + std::to_string(named.size() + 1));
            named.push_back(word);
        } else if (word == "[" && required == 0) {
            required = named.size();
        }
    EXPECT_EQ(named.size(), most);
    EXPECT_EQ(required, fewest);
}

// Each network's command with its entries, the networks check takes and
// those cascade takes; the JSON report's names; and a paragraph of
// NETWORKS for each, under its title.
TEST(Manual, CommandsOutputAndNetworksNameEveryNetwork) {
    auto all = [](const NetworkInfo&) { return true; };
    std::string commands = section("COMMANDS");
    std::set<std::string> commanded;
    for (const std::string& tag : tags(commands)) {
        std::vector<std::string> tag_words = words(tag);
        if (tag_words[0] != ".BI" || tag_words[1] == "check" || tag_words[1] == "cascade")
            continue;
        commanded.insert(tag_words[1]);
        Network n = find_network(tag_words[1]);
        ASSERT_TRUE(n) << tag;
        std::string entries;
        for (std::size_t i = 2; i < tag_words.size(); ++i)
            entries += (i == 2 ? "" : " ") + tag_words[i];
        EXPECT_EQ(entries, entries_of(*n)) << tag;
    }
    EXPECT_EQ(commanded, ids(all));
    EXPECT_EQ(bold(between(commands, "one of\n", "built from")), ids(all));
    EXPECT_EQ(bold(between(commands, "both matched between one impedance:\n", "each taking")),
              ids([](const NetworkInfo& n) { return can_cascade(&n); }));
    EXPECT_EQ(bold(between(section("OUTPUT"), "\n.B network\n", ".PD 0")), ids(all));

    std::vector<std::string> titles = tags(section("NETWORKS"));
    EXPECT_EQ(titles.size(), networks().size());
    auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    for (const NetworkInfo& n : networks())
        EXPECT_TRUE(std::any_of(titles.begin(), titles.end(), [&](const std::string& tag) {
            return lower(tag).starts_with(".b " + lower(std::string(n.title)));
        })) << n.title;
}

// Under RESISTORS, each network's resistors with their roles, as the text
// report gives them but for a balanced network's "each line".
TEST(Manual, ResistorsGiveEveryNetworksRoles) {
    std::vector<std::string> all = lines(section("RESISTORS"));
    std::set<std::string> described;
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i] != ".TP")
            continue;
        std::string paragraph;
        for (std::size_t j = i + 2; j < all.size() && !all[j].starts_with("."); ++j)
            paragraph += all[j] + " ";
        for (const std::string& id : words(all[i + 1])) {
            Network n = find_network(id);
            if (!n)
                continue;
            described.insert(id);
            for (const ResistorRole& r : n->resistors) {
                std::string role(r.role);
                role = role.substr(0, role.find(", each line"));
                EXPECT_NE(paragraph.find(std::string(r.name) + " " + role), std::string::npos)
                    << id << " " << r.name << " " << role;
            }
        }
    }
    EXPECT_EQ(described, ids([](const NetworkInfo&) { return true; }));
}

// Every option of the table under OPTIONS, with a value where it takes one,
// and the three that stand alone; and the options check takes.
TEST(Manual, OptionsAreTheTables) {
    std::set<std::string> listed, expected = {"--help", "--version", "--completion"};
    for (const Option& o : options())
        expected.emplace(o.name);
    std::string text = section("OPTIONS");
    for (const std::string& tag : tags(text)) {
        std::vector<std::string> tag_words = words(tag);
        if (tag_words.size() < 2 || !tag_words[1].starts_with("--"))
            continue;
        listed.insert(tag_words[1]);
        for (const Option& o : options())
            if (o.name == tag_words[1]) {
                EXPECT_EQ(tag_words[0], o.value.empty() ? ".B" : ".BI") << tag;
            }
    }
    EXPECT_EQ(listed, expected);

    std::set<std::string> checked = {"--help"};
    for (const Option& o : options())
        if (o.commands & for_check)
            checked.emplace(o.name);
    EXPECT_EQ(bold(between(text, ".B check\ntakes\n", "the design commands")), checked);
}

} // namespace
} // namespace padcalc
