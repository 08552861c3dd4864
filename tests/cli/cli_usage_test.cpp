// vantrelix-cli's --version and --help as a Debian user expects them, and its manual page kept in step
// with what --help lists.
#include "support/fixture_prefix.h"
#include "support/run_cli.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <sstream>

namespace vx {
namespace {

using test::RunCli;
using test::TempDir;

// The commands, as the README and the help pages describe them.
const std::set<std::string> kCommands{"scan", "prefixes", "sections", "settings", "reg", "repair", "backups"};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string FirstWord(const std::string& text) {
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return {};
    return text.substr(start, text.find(' ', start) - start);
}

// The lines of one block of CLI11's help ("Subcommands:", "Options:"): indented lines up to an empty one.
std::vector<std::string> HelpBlock(const std::string& help, const std::string& title) {
    std::vector<std::string> block;
    bool inside = false;
    for (const auto& line : Lines(help)) {
        if (line == title) {
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        if (line.empty() || line[0] != ' ')
            break;
        block.push_back(line);
    }
    return block;
}

// The commands --help lists.
std::set<std::string> HelpCommands(const std::string& help) {
    std::set<std::string> commands;
    for (const auto& line : HelpBlock(help, "Subcommands:"))
        commands.insert(FirstWord(line));
    return commands;
}

// The option names --help lists: "-h,--help" gives -h and --help; a continuation line gives none.
std::set<std::string> HelpOptions(const std::string& help) {
    std::set<std::string> options;
    for (const auto& line : HelpBlock(help, "Options:")) {
        const std::string names = FirstWord(line);
        if (names.empty() || names[0] != '-')
            continue;
        std::istringstream list(names);
        for (std::string name; std::getline(list, name, ',');)
            options.insert(name);
    }
    return options;
}

// The manual page as a reader sees its words: roff's escaped minus signs as plain ones.
std::string ManPageText() {
    std::ifstream in(std::filesystem::path(VANTRELIX_SOURCE_DIR) / "data/man/vantrelix-cli.1");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t at; (at = text.find("\\-")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

// The lines of one section of the manual page (".SH NAME" up to the next ".SH").
std::vector<std::string> ManSection(const std::string& page, const std::string& name) {
    std::vector<std::string> section;
    bool inside = false;
    for (const auto& line : Lines(page)) {
        if (line.starts_with(".SH ")) {
            inside = line == ".SH " + name;
            continue;
        }
        if (inside)
            section.push_back(line);
    }
    return section;
}

// The commands the manual page describes: the first word of each tag in COMMANDS (".TP", then ".B scan ...").
std::set<std::string> ManCommands(const std::string& page) {
    std::set<std::string> commands;
    const auto lines = ManSection(page, "COMMANDS");
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == ".TP" && lines[i + 1].starts_with(".B "))
            commands.insert(FirstWord(lines[i + 1].substr(3)));
    return commands;
}

// The options the manual page gives an entry of their own: the words beginning with "-" in the tags of
// OPTIONS (".TP", then ".BR -y ", " --yes").
std::set<std::string> ManOptionTags(const std::string& page) {
    std::set<std::string> options;
    const auto lines = ManSection(page, "OPTIONS");
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != ".TP")
            continue;
        std::string tag = lines[i + 1];
        std::replace(tag.begin(), tag.end(), '"', ' ');
        std::istringstream words(tag);
        for (std::string word; words >> word;)
            if (word.starts_with("-"))
                options.insert(word);
    }
    return options;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

TEST(CliUsage, VersionPrintsTheNameAndVersionAndSucceeds) {
    TempDir home;
    // Whatever follows it, and without any command: --version answers and nothing else happens.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--version"}, {"--version", "scan"}, {"--prefix", "/nonexistent/prefix", "--version"}}) {
        SCOPED_TRACE(args.back());
        const auto result = RunCli(args, home.path());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "vantrelix-cli 3.0.0\n");
        EXPECT_EQ(result.err, "");
    }
    EXPECT_FALSE(std::filesystem::exists(home.path() / "config" / "vantrelix"));
}

TEST(CliUsage, HelpListsEveryCommandAndTheVersionOption) {
    TempDir home;
    const auto result = RunCli({"--help"}, home.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(HelpCommands(result.out), kCommands) << result.out;
    const auto options = HelpOptions(result.out);
    for (const char* option :
         {"--help", "--version", "--prefix", "--windows", "--user", "--all-prefixes", "--yes"})
        EXPECT_TRUE(options.contains(option)) << option << " missing from\n" << result.out;
}

TEST(CliUsage, TheManualPageDescribesEveryCommandAndOptionTheHelpLists) {
    TempDir home;
    const std::string page = ManPageText();
    ASSERT_NE(page.find(".TH VANTRELIX-CLI 1"), std::string::npos) << "no manual page read";

    const auto help = RunCli({"--help"}, home.path());
    ASSERT_EQ(help.status, 0) << help.err;
    const auto helpCommands = HelpCommands(help.out);
    ASSERT_TRUE(helpCommands.contains("scan")) << help.out; // the help was read
    EXPECT_EQ(ManCommands(page), helpCommands);

    const auto manOptions = ManOptionTags(page);
    for (const auto& option : HelpOptions(help.out))
        EXPECT_TRUE(manOptions.contains(option)) << option << " has no entry in OPTIONS";

    // Each command's own options appear in its entry under COMMANDS.
    const std::string commands = Joined(ManSection(page, "COMMANDS"));
    for (const auto& command : helpCommands) {
        SCOPED_TRACE(command);
        const auto own = RunCli({command, "--help"}, home.path());
        EXPECT_EQ(own.status, 0) << own.err;
        for (const auto& option : HelpOptions(own.out))
            if (option != "-h" && option != "--help")
                EXPECT_NE(commands.find(option), std::string::npos) << option << " of " << command;
    }
}

} // namespace
} // namespace vx
