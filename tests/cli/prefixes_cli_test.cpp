// vantrelix-cli prefixes and --all-prefixes scan, on a fixture home as the Wine launchers leave it.
#include "support/fixture_home.h"
#include "support/fixture_prefix.h"
#include "support/run_cli.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>

namespace vx {
namespace {
namespace fs = std::filesystem;
using test::FixtureHome;
using test::FixturePrefix;
using test::RunCli;
using test::TempDir;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

class PrefixesCliTest : public ::testing::Test {
  protected:
    test::CliResult Run(const std::vector<std::string>& args, const std::string& winePrefix = "") {
        return RunCli(args, state.path(), {{"HOME", dir.path().string()}, {"WINEPREFIX", winePrefix}});
    }

    TempDir dir, state;
    FixtureHome home{dir.path()};
};

TEST_F(PrefixesCliTest, ListsEveryPrefixWithItsSizeStateAndServer) {
    const fs::path steam = dir.path() / ".local/share/Steam";
    const fs::path portal = home.SteamGame(steam, "620", "Portal 2");
    const fs::path gone = home.SteamGame(steam, "700", "");
    const fs::path lutris = home.LutrisGame("witcher", "The Witcher", "Games/witcher");
    std::ofstream(lutris / "drive_c" / "big.dat") << std::string(256 * 1024, 'x');

    const auto listed = Run({"prefixes", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.err, "");
    const auto json = nlohmann::json::parse(listed.out);
    ASSERT_EQ(json.size(), 3u) << listed.out;
    struct Expected {
        fs::path path;
        std::string source, name;
        nlohmann::json installed;
    };
    const std::vector<Expected> expected = {{portal, "steam", "Portal 2", true},
                                            {gone, "steam", "", false},
                                            {lutris, "lutris", "The Witcher", true}};
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(json[i]["path"], expected[i].path.string());
        EXPECT_EQ(json[i]["source"], expected[i].source);
        EXPECT_EQ(json[i]["name"], expected[i].name);
        EXPECT_EQ(json[i]["installed"], expected[i].installed);
        EXPECT_EQ(json[i]["server running"], false);
        EXPECT_EQ(json[i]["size complete"], true);
        EXPECT_TRUE(std::regex_match(json[i]["last change"].get<std::string>(),
                                     std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
    }
    EXPECT_GE(json[2]["size"].get<uint64_t>(), 256u * 1024);
    EXPECT_LT(json[0]["size"].get<uint64_t>(), 256u * 1024);

    const auto table = Run({"prefixes"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(table.out.starts_with("SOURCE ")) << table.out;
    EXPECT_NE(table.out.find("The Witcher  " + lutris.string() + "\n"), std::string::npos) << table.out;
}

TEST_F(PrefixesCliTest, ADamagedLauncherFileIsNamedAndTheRestIsListed) {
    home.Prefix(".wine");
    home.Write(".config/lutris/games/broken.yml", "game:\n\tprefix: /x\n");
    const auto listed = Run({"prefixes"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.err.find("warning: " + (dir.path() / ".config/lutris/games/broken.yml").string() +
                              ": line 2: a tab in the indentation"),
              std::string::npos)
        << listed.err;
    EXPECT_NE(listed.out.find((dir.path() / ".wine").string()), std::string::npos) << listed.out;
}

TEST_F(PrefixesCliTest, AllPrefixesScanScansEachInTurn) {
    FixturePrefix broken;
    broken.WithWindowsBasics().String("HKLM", kFonts, "Gone", "gone.ttf").Write();
    FixturePrefix clean;
    clean.WithWindowsBasics().Write();
    fs::create_directory_symlink(clean.root(), dir.path() / ".wine");
    const std::string sections = "Windows Fonts";

    const auto json =
        Run({"--all-prefixes", "scan", "--json", "--sections", sections}, broken.root().string());
    ASSERT_EQ(json.status, 1) << json.err;
    const auto scans = nlohmann::json::parse(json.out);
    ASSERT_EQ(scans.size(), 2u) << json.out;
    EXPECT_EQ(scans[0]["prefix"]["path"], broken.root().string());
    EXPECT_EQ(scans[0]["prefix"]["source"], "wine");
    EXPECT_EQ(scans[0]["problems"].size(), 1u);
    EXPECT_EQ(scans[0]["problems"][0]["KeyName"], "Gone");
    EXPECT_EQ(scans[1]["prefix"]["path"], (dir.path() / ".wine").string());
    EXPECT_EQ(scans[1]["problems"].size(), 0u);

    const auto text = Run({"--all-prefixes", "scan", "--sections", sections}, broken.root().string());
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_EQ(text.out, broken.root().string() + " (wine, " + broken.root().filename().string() +
                            "): Problem(s) Detected : 1\n" + (dir.path() / ".wine").string() +
                            " (wine, .wine): No problems found.\n");

    // Nothing found anywhere: status 0.
    EXPECT_EQ(Run({"--all-prefixes", "scan", "--sections", sections}).status, 0);
}

// A prefix that cannot be opened is named, the others are scanned, and the status says it failed.
TEST_F(PrefixesCliTest, AllPrefixesScanReportsAPrefixItCouldNotOpen) {
    const fs::path bad = home.Prefix(".wine");
    std::ofstream(bad / "system.reg") << "REGEDIT4\n";
    home.Prefix(".PlayOnLinux/wineprefix/Good");
    const auto result = Run({"--all-prefixes", "scan", "--sections", "Windows Fonts"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("system.reg"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find(bad.string() + " (wine, .wine): not scanned\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Good): No problems found.\n"), std::string::npos) << result.out;
}

TEST_F(PrefixesCliTest, AllPrefixesGoesWithTheScanAlone) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"--all-prefixes", "sections"}, "--all-prefixes goes with the scan command only"},
        {{"--all-prefixes", "--prefix", "/x", "scan"}, "excludes"},
        {{"--all-prefixes", "scan", "--report"}, "--report writes one report"},
    };
    for (const auto& c : cases) {
        const auto result = Run(c.args);
        EXPECT_NE(result.status, 0) << c.args[1];
        EXPECT_NE((result.err + result.out).find(c.says), std::string::npos) << result.err << result.out;
    }
}

} // namespace
} // namespace vx
