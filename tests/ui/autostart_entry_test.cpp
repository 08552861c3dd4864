// The start-up entry as a desktop file, the quoting of its Exec line, and the target options it starts
// the program with.
#include "ui/autostart_entry.h"

#include "support/fixture_prefix.h"
#include "ui/scoped_env.h"
#include "ui/target_options.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vx {
namespace {

using test::ScopedEnv;
using test::TempDir;

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(AutostartEntry, WritesTheDesktopFileIntoTheConfiguredFolderAndRemovesIt) {
    TempDir home;
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "config").string());
    AutostartEntry entry(DefaultAutostartFolder(), "/opt/vantrelix/bin/vantrelix",
                         {"--prefix", "/home/u/My Prefix", "--user", "a\\b"});
    const fs::path file = home.path() / "config" / "autostart" / "vantrelix.desktop";
    EXPECT_EQ(entry.File(), file);
    ASSERT_TRUE(entry.Write()) << "the folder is made when missing";
    const std::string text = ReadFile(file);
    EXPECT_EQ(text, entry.Contents());
    EXPECT_TRUE(text.starts_with("[Desktop Entry]\nType=Application\nName=Vantrelix v3.0\n")) << text;
    // The quoted backslash is escaped once more by the string escapes of the file.
    EXPECT_NE(text.find("\nExec=/opt/vantrelix/bin/vantrelix --prefix \"/home/u/My Prefix\" --user "
                        "\"a\\\\\\\\b\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nIcon=vantrelix\n"), std::string::npos);
    EXPECT_NE(text.find("\nX-GNOME-Autostart-enabled=true\n"), std::string::npos);

    // Written again: replaced, not appended to.
    ASSERT_TRUE(entry.Write());
    EXPECT_EQ(ReadFile(file), text);
    EXPECT_TRUE(entry.Remove());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(entry.Remove()) << "a missing entry counts as removed";
}

TEST(AutostartEntry, AFolderThatCannotBeMadeFailsAndChangesNothing) {
    TempDir dir;
    const fs::path blocker = dir.path() / "autostart";
    std::ofstream(blocker) << "not a folder";
    struct Case {
        const char* what;
        fs::path folder;
    };
    for (const Case& c : std::vector<Case>{{"a file in its place", blocker}, {"below a file", blocker / "sub"}}) {
        AutostartEntry entry(c.folder, "/usr/bin/vantrelix", {});
        EXPECT_FALSE(entry.Write()) << c.what;
        EXPECT_EQ(ReadFile(blocker), "not a folder") << c.what;
        std::vector<fs::path> left;
        for (const auto& item : fs::directory_iterator(dir.path()))
            left.push_back(item.path());
        EXPECT_EQ(left, std::vector<fs::path>{blocker}) << c.what;
    }
}

TEST(AutostartEntry, ExecArgumentsAreQuotedOnlyWhenTheyNeedIt) {
    struct Case {
        std::string argument;
        std::string quoted;
    };
    const std::vector<Case> cases{
        {"--prefix", "--prefix"},
        {"/home/u/.wine", "/home/u/.wine"},
        {"/home/u/My Prefix", "\"/home/u/My Prefix\""},
        {"tab\there", "\"tab\there\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"it's", "\"it's\""},
        {"a\\b", "\"a\\\\b\""},
        {"$HOME", "\"\\$HOME\""},
        {"`cmd`", "\"\\`cmd\\`\""},
        {"a>b", "\"a>b\""},
        {"a<b", "\"a<b\""},
        {"~user", "\"~user\""},
        {"a|b", "\"a|b\""},
        {"a&b", "\"a&b\""},
        {"a;b", "\"a;b\""},
        {"*.wav", "\"*.wav\""},
        {"what?", "\"what?\""},
        {"#1", "\"#1\""},
        {"(x)", "\"(x)\""},
        {"100%", "100%%"},
        {"100% sure", "\"100%% sure\""},
        {"", "\"\""},
        {"naïve", "naïve"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuoteExecArgument(c.argument), c.quoted) << c.argument;
}

TEST(AutostartEntry, TheFolderFollowsTheXdgConfigurationHome) {
    struct Case {
        std::optional<std::string> config;
        std::optional<std::string> home;
        fs::path folder;
    };
    const std::vector<Case> cases{
        {"/x/cfg", "/h", "/x/cfg/autostart"},
        {std::nullopt, "/h", "/h/.config/autostart"},
        {"", "/h", "/h/.config/autostart"},
        {"relative/cfg", "/h", "/h/.config/autostart"},
    };
    for (const Case& c : cases) {
        ScopedEnv config("XDG_CONFIG_HOME", c.config);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(DefaultAutostartFolder(), c.folder) << c.config.value_or("(unset)");
    }
}

TEST(TargetOptions, ArgumentsStartTheProgramOnTheSameTarget) {
    const std::string cwd = fs::current_path().string();
    struct Case {
        TargetOptions options;
        std::vector<std::string> arguments;
    };
    const std::vector<Case> cases{
        {{}, {}},
        {{"/p/wine", "", ""}, {"--prefix", "/p/wine"}},
        {{"rel/wine", "", ""}, {"--prefix", cwd + "/rel/wine"}},
        {{"", "/mnt/win", ""}, {"--windows", "/mnt/win"}},
        {{"", "/mnt/win", "Bob Smith"}, {"--windows", "/mnt/win", "--user", "Bob Smith"}},
        {{"", "win/./c", "bob"}, {"--windows", cwd + "/win/c", "--user", "bob"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.options.Arguments(), c.arguments) << c.options.prefix << c.options.windows;
}

TEST(TargetOptions, OpensTheNamedPrefixOrSaysWhyNot) {
    test::FixturePrefix prefix;
    prefix.WithWindowsBasics().Write();
    const OpenedTarget opened = OpenTargetFromOptions({prefix.root().string(), "", ""});
    ASSERT_TRUE(opened.target) << opened.error;
    EXPECT_EQ(opened.name, prefix.root().string());
    EXPECT_EQ(opened.error, "");

    const OpenedTarget missing = OpenTargetFromOptions({(prefix.root() / "nowhere").string(), "", ""});
    EXPECT_FALSE(missing.target);
    EXPECT_NE(missing.error, "");
    EXPECT_EQ(missing.name, (prefix.root() / "nowhere").string());
}

} // namespace
} // namespace vx
