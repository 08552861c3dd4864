// vantrelix-cli as a user runs it: exit statuses, messages, output forms, and a repair that is killed.
#include "platform/registry.h"
#include "platform/root_keys.h"
#include "platform/wine/wine_target.h"
#include "support/fixture_prefix.h"
#include "support/registry_dump.h"
#include "support/run_cli.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

namespace vx {
namespace {

using test::FixturePrefix;
using test::RunCli;
using test::TempDir;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BrokenFonts(FixturePrefix& prefix, int broken) {
    prefix.WithWindowsBasics().String("HKLM", kFonts, "Arial", "arial.ttf");
    for (int i = 0; i < broken; ++i)
        prefix.String("HKLM", kFonts, "Gone " + std::to_string(i), "gone" + std::to_string(i) + ".ttf");
    prefix.Write();
}

TEST(Cli, ABadTargetGetsOneLineAndStatusTwo) {
    TempDir home;
    TempDir bad;
    std::ofstream(bad.path() / "system.reg") << "REGEDIT4\n";
    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    };
    for (const auto& c :
         std::vector<Case>{{{"--prefix", "/nonexistent/prefix", "scan"}, "/nonexistent/prefix"},
                           {{"--prefix", bad.path().string(), "scan"}, "system.reg"},
                           {{"--prefix", bad.path().string(), "reg", "query", "HKLM\\x"}, "system.reg"}}) {
        const auto result = RunCli(c.args, home.path());
        EXPECT_EQ(result.status, 2) << c.args[1];
        EXPECT_NE(result.err.find(c.mentions), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

// A folder with none of a prefix's registry files and no drive_c is no Wine prefix: every command refuses
// it and writes nothing into it. A prefix with only some of them is one.
TEST(Cli, AFolderThatIsNoWinePrefixIsRefusedByEveryCommand) {
    TempDir home;
    TempDir folder;
    std::ofstream(folder.path() / "notes.txt") << "not a prefix\n";
    const std::vector<std::vector<std::string>> commands{
        {"scan"},
        {"sections"},
        {"backups"},
        {"reg", "query", "HKLM"},
        {"reg", "add", "HKLM\\Software\\X", "/v", "a", "/d", "1"},
        {"--yes", "repair"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.front() + " ... " + command.back());
        std::vector<std::string> args{"--prefix", folder.path().string()};
        args.insert(args.end(), command.begin(), command.end());
        const auto result = RunCli(args, home.path());
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "vantrelix-cli: " + folder.path().string() +
                                  ": not a Wine prefix (it has no system.reg, user.reg or drive_c)\n");
        std::vector<std::string> entries;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            entries.push_back(entry.path().filename().string());
        EXPECT_EQ(entries, std::vector<std::string>{"notes.txt"});
    }
    for (const char* only : {"system.reg", "user.reg", "drive_c"}) {
        SCOPED_TRACE(only);
        TempDir partial;
        if (std::string_view(only) == "drive_c")
            std::filesystem::create_directory(partial.path() / only);
        else
            std::ofstream(partial.path() / only) << "WINE REGISTRY Version 2\n";
        const auto scanned = RunCli({"--prefix", partial.path().string(), "scan"}, home.path());
        EXPECT_EQ(scanned.status, 0) << scanned.err;
        const auto added =
            RunCli({"--prefix", partial.path().string(), "reg", "add", "HKCU\\X", "/v", "a", "/d", "1"},
                   home.path());
        EXPECT_EQ(added.status, 0) << added.err;
    }
}

// A registry file that is not a regular file is refused at once in one line, whatever it is instead:
// reading a folder once asked for all memory, and a named pipe waited for a writer forever.
TEST(Cli, ARegistryFileThatIsNotARegularFileIsRefusedAtOnceInOneLine) {
    struct Case {
        const char* file;
        const char* kind;
        std::function<void(const std::filesystem::path&)> make;
    };
    const Case cases[] = {
        {"system.reg", "a folder, not a regular file",
         [](const auto& path) { std::filesystem::create_directory(path); }},
        {"user.reg", "a named pipe, not a regular file",
         [](const auto& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"userdef.reg", "a device, not a regular file",
         [](const auto& path) { std::filesystem::create_symlink("/dev/null", path); }},
        {"system.reg", "a symbolic link to a file that does not exist",
         [](const auto& path) { std::filesystem::create_symlink(path.parent_path() / "gone.reg", path); }},
    };
    TempDir home;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        FixturePrefix prefix;
        prefix.WithWindowsBasics().Write();
        std::filesystem::remove(prefix.root() / c.file);
        c.make(prefix.root() / c.file);
        for (const auto& command :
             {std::vector<std::string>{"scan"}, std::vector<std::string>{"reg", "query", "HKLM"},
              std::vector<std::string>{"reg", "add", "HKLM\\Software\\X", "/f"}}) {
            std::vector<std::string> args{"--prefix", prefix.root().string()};
            args.insert(args.end(), command.begin(), command.end());
            const auto result = RunCli(args, home.path());
            EXPECT_EQ(result.status, 2) << command.front();
            EXPECT_EQ(result.err, "vantrelix-cli: " + (prefix.root() / c.file).string() +
                                      ": cannot read the registry file: it is " + c.kind + "\n");
        }
    }
}

// A registry file nesting a key 100,000 levels deep: every command answers without overflowing, the keys
// below the deepest level Windows allows are reported, and the file keeps them as they were.
TEST(Cli, AKeyNestedFarDeeperThanWindowsAllowsIsReportedAndKept) {
    TempDir home;
    TempDir prefix;
    std::string path = "Software\\\\Classes\\\\CLSID";
    for (int i = 0; i < 100000; ++i)
        path += "\\\\k";
    const std::string deep = "[" + path + "] 0\n\"v\"=\"C:\\\\gone.dll\"\n";
    std::ofstream(prefix.path() / "system.reg")
        << "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
        << "[Software\\\\Other] 0\n\"a\"=\"1\"\n\n"
        << deep;
    std::string deepest = "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID";
    for (size_t level = 3; level < kMaxKeyDepth; ++level)
        deepest += "\\k";
    const std::vector<std::vector<std::string>> commands{
        {"reg", "query", "HKLM\\Software", "/s"},
        {"reg", "query", "HKCR\\CLSID", "/v", "v", "/s"},
        {"scan"},
        {"reg", "add", "HKLM\\Software\\Other", "/v", "b", "/d", "2"},
    };
    for (const auto& command : commands) {
        std::vector<std::string> args{"--prefix", prefix.path().string()};
        args.insert(args.end(), command.begin(), command.end());
        const auto result = RunCli(args, home.path());
        SCOPED_TRACE(command.front() + " ... " + command.back());
        EXPECT_TRUE(result.status == 0 || (command[0] == "scan" && result.status == 1))
            << result.status << " " << result.err.substr(0, 1000);
        EXPECT_NE(result.err.find("deeper than 512 levels"), std::string::npos) << result.err.substr(0, 1000);
        if (command.back() == "/s" && command.size() == 4) {
            EXPECT_NE(result.out.find("\n" + deepest + "\n\n"), std::string::npos);
            EXPECT_EQ(result.out.find(deepest + "\\k"), std::string::npos);
        }
    }
    const std::string saved = ReadFile(prefix.path() / "system.reg");
    EXPECT_NE(saved.find(deep), std::string::npos);
    EXPECT_NE(saved.find("\"b\"=\"2\""), std::string::npos);
}

TEST(Cli, ScanPrintsSummaryWithDetailsAndExitsOneWhenSomethingWasFound) {
    FixturePrefix prefix;
    BrokenFonts(prefix, 2);
    TempDir home;
    const auto found =
        RunCli({"--prefix", prefix.root().string(), "scan", "--sections", "windows fonts"}, home.path());
    EXPECT_EQ(found.status, 1);
    EXPECT_EQ(found.out, "Invalid Windows Fonts (  2 Problem(s) )\n"
                         "    This file could not be found on your hard drive:C:\\windows\\Fonts\\gone0.ttf\n"
                         "    This file could not be found on your hard drive:C:\\windows\\Fonts\\gone1.ttf\n"
                         "Problem(s) Detected : 2\n");
    const auto clean =
        RunCli({"--prefix", prefix.root().string(), "scan", "--sections", "Help Files"}, home.path());
    EXPECT_EQ(clean.status, 0);
    const auto unknown =
        RunCli({"--prefix", prefix.root().string(), "scan", "--sections", "Nope"}, home.path());
    EXPECT_EQ(unknown.status, 2);
}

TEST(Cli, JsonOutputAndReport) {
    FixturePrefix prefix;
    BrokenFonts(prefix, 1);
    TempDir home;
    const auto result = RunCli({"--prefix", prefix.root().string(), "scan", "--sections",
                                "Windows Fonts,Help Files", "--json", "--report"},
                               home.path());
    EXPECT_EQ(result.status, 1);
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["target"], prefix.root().string());
    EXPECT_EQ(json["cancelled"], false);
    EXPECT_EQ(json["sections"], (nlohmann::json{"Help Files", "Windows Fonts"}));
    ASSERT_EQ(json["problems"].size(), 1u);
    EXPECT_EQ(json["problems"][0]["KeyName"], "Gone 0");
    EXPECT_EQ(json["problems"][0]["Registry Scanners"], "Windows Fonts");
    EXPECT_EQ(json["problems"][0]["MainKey"], "-2147483646");
    EXPECT_EQ(json["summary"], (nlohmann::json{"Invalid Windows Fonts (  1 Problem(s) )"}));
    EXPECT_TRUE(json["shortcuts"].empty());
    const std::string report = ReadFile(home.path() / "data" / "vantrelix" / "ScanReport.txt");
    EXPECT_NE(report.find(" File Name       : C:\\windows\\Fonts\\gone0.ttf\r\n"), std::string::npos);
}

TEST(Cli, SectionsAndSettingsPersist) {
    FixturePrefix prefix;
    BrokenFonts(prefix, 0);
    TempDir home;
    const std::string p = prefix.root().string();
    EXPECT_EQ(RunCli({"--prefix", p, "settings", "Help Files", "False"}, home.path()).status, 0);
    EXPECT_EQ(RunCli({"--prefix", p, "settings", "HELP FILES"}, home.path()).out, "False\n");
    const auto sections = RunCli({"--prefix", p, "sections"}, home.path());
    EXPECT_NE(sections.out.find("[ ] Help Files\n"), std::string::npos);
    EXPECT_NE(sections.out.find("[x] Window Shortcut C\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(home.path() / "config" / "vantrelix" / "settings.ini"));
}

TEST(Cli, ASelectionThatNamesNoSectionIsAnErrorListingThem) {
    FixturePrefix prefix;
    BrokenFonts(prefix, 1);
    TempDir home;
    for (const char* selection : {",,,", " , ", "Fonts Of Nowhere"}) {
        const auto result =
            RunCli({"--prefix", prefix.root().string(), "scan", "--sections", selection}, home.path());
        EXPECT_EQ(result.status, 2) << selection;
        EXPECT_NE(result.err.find("the sections are: \"Registry Integrity\", "), std::string::npos)
            << result.err;
        EXPECT_EQ(result.out, "") << selection;
    }
}

TEST(Cli, RepairAsksUnlessYesThenBacksUpAndBackupsRestore) {
    FixturePrefix prefix;
    BrokenFonts(prefix, 2);
    TempDir home;
    const std::string p = prefix.root().string();
    const std::string before = ReadFile(prefix.root() / "system.reg");

    const auto refused =
        RunCli({"--prefix", p, "repair", "--sections", "Windows Fonts"}, home.path(), {}, "n\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(ReadFile(prefix.root() / "system.reg"), before);

    const auto repaired =
        RunCli({"--prefix", p, "--yes", "repair", "--sections", "Windows Fonts"}, home.path());
    EXPECT_EQ(repaired.status, 0) << repaired.err;
    EXPECT_NE(repaired.out.find("Repaired: 2\nSkipped:  0\n"), std::string::npos) << repaired.out;
    EXPECT_EQ(ReadFile(prefix.root() / "system.reg").find("gone0.ttf"), std::string::npos);

    const auto list = RunCli({"--prefix", p, "backups"}, home.path());
    ASSERT_EQ(list.out.rfind("BackUp ", 0), 0u) << list.out;
    const std::string name = list.out.substr(0, list.out.find('\t'));
    const auto restored = RunCli({"--prefix", p, "backups", "restore", name}, home.path());
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_NE(ReadFile(prefix.root() / "system.reg").find("\"Gone 0\"=\"gone0.ttf\""), std::string::npos);
    EXPECT_EQ(RunCli({"--prefix", p, "backups"}, home.path()).out.find("BackUp "), std::string::npos);
}

// A repair killed at any point leaves each registry file as before or as after, and every value gone
// from a saved file has its record in the backup file.
TEST(Cli, ARepairKilledAnywhereLosesNothing) {
    TempDir home;
    // Every yield of the run is a kill point, until a run gets through without being killed.
    bool finished = false;
    for (int abortAt = 1; !finished && abortAt < 1000; ++abortAt) {
        FixturePrefix prefix;
        BrokenFonts(prefix, 4);
        const std::string before = ReadFile(prefix.root() / "system.reg");
        const auto runHome = home.path() / std::to_string(abortAt);
        const auto result =
            RunCli({"--prefix", prefix.root().string(), "--yes", "repair", "--sections", "Windows Fonts"},
                   runHome, {{"VANTRELIX_ABORT_AT_YIELD", std::to_string(abortAt)}});
        const std::string after = ReadFile(prefix.root() / "system.reg");
        std::string backups;
        const auto data = runHome / "data" / "vantrelix";
        if (std::filesystem::exists(data))
            for (const auto& entry : std::filesystem::directory_iterator(data))
                backups += ReadFile(entry.path());
        for (int i = 0; i < 4; ++i) {
            const std::string value =
                "\"Gone " + std::to_string(i) + "\"=\"gone" + std::to_string(i) + ".ttf\"";
            if (after.find(value) != std::string::npos)
                continue;
            // The value is gone: its record must be on disk, encoded.
            std::string encodedName;
            for (char c : "Gone " + std::to_string(i))
                encodedName += static_cast<char>(c + 10);
            EXPECT_NE(backups.find(encodedName), std::string::npos) << "run " << abortAt << ": value " << i;
        }
        // The file is saved once: either as it was, or with every finding removed.
        EXPECT_TRUE(after == before || after.find("gone") == std::string::npos) << "run " << abortAt;
        EXPECT_TRUE(result.status == 137 || result.status == 0) << "run " << abortAt;
        finished = result.status == 0;
        auto reopened = prefix.Open();
        EXPECT_TRUE(reopened) << "run " << abortAt;
    }
    EXPECT_TRUE(finished);
}

// A restore killed at any point leaves the registry file as it was or fully restored, and its backup
// file is gone only when the restore was saved.
TEST(Cli, ARestoreKilledAnywhereLosesNothing) {
    TempDir home;
    bool finished = false;
    for (int abortAt = 1; !finished && abortAt < 1000; ++abortAt) {
        FixturePrefix prefix;
        BrokenFonts(prefix, 3);
        const std::string original = ReadFile(prefix.root() / "system.reg");
        const std::string p = prefix.root().string();
        const auto runHome = home.path() / std::to_string(abortAt);
        ASSERT_EQ(RunCli({"--prefix", p, "--yes", "repair", "--sections", "Windows Fonts"}, runHome).status,
                  0);
        const std::string repaired = ReadFile(prefix.root() / "system.reg");
        const std::string list = RunCli({"--prefix", p, "backups"}, runHome).out;
        const std::string name = list.substr(0, list.find('\t'));
        const auto result = RunCli({"--prefix", p, "backups", "restore", name}, runHome,
                                   {{"VANTRELIX_ABORT_AT_YIELD", std::to_string(abortAt)}});
        const std::string after = ReadFile(prefix.root() / "system.reg");
        const bool backupKept = std::filesystem::exists(runHome / "data" / "vantrelix" / name);
        EXPECT_TRUE(after == repaired || after.find("gone2.ttf") != std::string::npos) << "run " << abortAt;
        if (after == repaired)
            EXPECT_TRUE(backupKept) << "run " << abortAt << ": a backup whose restore was not saved is kept";
        else
            for (int i = 0; i < 3; ++i)
                EXPECT_NE(after.find("gone" + std::to_string(i) + ".ttf"), std::string::npos)
                    << "run " << abortAt;
        EXPECT_TRUE(result.status == 137 || result.status == 0) << "run " << abortAt << ": " << result.err;
        finished = result.status == 0;
        if (finished)
            EXPECT_FALSE(backupKept);
    }
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace vx

namespace vx {
namespace {

// A prefix made by Wine itself (CI makes one; skipped without it). Its scan runs every row; the findings
// a fresh prefix gives are Wine's 16-bit and font registrations, never a program identifier.
TEST(Cli, ScansAWineMadePrefix) {
    const char* prefix = std::getenv("VANTRELIX_WINE_PREFIX");
    if (!prefix || !*prefix)
        GTEST_SKIP() << "VANTRELIX_WINE_PREFIX is not set";
    TempDir home;
    const auto result = RunCli({"--prefix", prefix, "scan", "--json"}, home.path());
    ASSERT_LE(result.status, 1) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_GE(json["sections"].size(), 12u);
    for (const auto& problem : json["problems"]) {
        const std::string path = problem["FullKeyPath"];
        EXPECT_EQ(path.find("ProgID"), std::string::npos) << path;
        EXPECT_EQ(path.find("ProgId"), std::string::npos) << path;
    }
}

} // namespace
} // namespace vx

namespace vx {
namespace {

// On a prefix Wine made, with broken entries added in every section and a broken shortcut, scan →
// repair → restore gives back the same keys, values, types and data, and the shortcut file.
TEST(Cli, RepairAndRestoreOnAWineMadePrefixChangeNothingInTheEnd) {
    const char* made = std::getenv("VANTRELIX_WINE_PREFIX");
    if (!made || !*made)
        GTEST_SKIP() << "VANTRELIX_WINE_PREFIX is not set";
    TempDir copy;
    const auto prefix = copy.path() / "prefix";
    std::filesystem::copy(made, prefix,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::copy_symlinks);
    std::filesystem::remove(prefix / "wineserver"); // the copy has no Wine server of its own
    struct Added {
        std::string key, name, data;
    };
    const std::vector<Added> added = {
        {"HKLM\\Software\\Classes\\CLSID\\{0BAD0000-0000-0000-0000-000000000001}\\InprocServer32", "",
         "C:\\gone\\com.dll"},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe", "", "C:\\gone\\gone.exe"},
        {"HKLM\\Software\\Microsoft\\Windows\\Help", "gone.hlp", "C:\\gone"},
        {"HKLM\\Software\\Microsoft\\Shared Tools\\Gone", "Path", "C:\\gone\\shared.exe"},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Gone", "Tray", "C:\\gone\\tray.exe /min"},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone", "UninstallString",
         "C:\\gone\\un.exe"},
        {"HKLM\\System\\CurrentControlSet\\Control\\VirtualDeviceDrivers", "Gone", "C:\\gone\\gone.vxd"},
        {"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Gone (TrueType)", "gone.ttf"},
    };
    TempDir home;
    for (const auto& a : added) {
        std::vector<std::string> args = {"--prefix", prefix.string(), "reg", "add", a.key};
        if (a.name.empty())
            args.push_back("/ve");
        else
            args.insert(args.end(), {"/v", a.name});
        args.insert(args.end(), {"/d", a.data, "/f"});
        ASSERT_EQ(RunCli(args, home.path()).status, 0) << a.key;
    }
    const auto link = prefix / "drive_c" / "users" / "Public" / "Desktop" / "Gone.lnk";
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::copy_file(VANTRELIX_SOURCE_DIR "/tests/shortcuts/data/wine/missing_target.lnk", link);

    const auto dump = [&] {
        std::string error;
        std::vector<std::string> warnings;
        auto target = OpenWineTarget(prefix, error, warnings);
        return test::DumpRegistry(target->registry(), HKEY_LOCAL_MACHINE) +
               test::DumpRegistry(target->registry(), HKEY_CURRENT_USER) +
               test::DumpRegistry(target->registry(), HKEY_USERS);
    };
    const std::string before = dump();
    const std::string linkBytes = ReadFile(link);

    const auto repaired = RunCli({"--prefix", prefix.string(), "--yes", "repair"}, home.path());
    ASSERT_EQ(repaired.status, 0) << repaired.out << repaired.err;
    EXPECT_FALSE(std::filesystem::exists(link));
    for (const auto& a : added)
        EXPECT_NE(repaired.out.find(a.data.substr(0, a.data.find(' '))), std::string::npos) << a.data;
    const std::string afterRepair = dump();
    EXPECT_NE(afterRepair, before);

    const auto list = RunCli({"--prefix", prefix.string(), "backups"}, home.path());
    const std::string name = list.out.substr(0, list.out.find('\t'));
    const auto restored = RunCli({"--prefix", prefix.string(), "backups", "restore", name}, home.path());
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(ReadFile(link), linkBytes);
}

} // namespace
} // namespace vx

namespace vx {
namespace {

// Backup files restored together are undone newest first by the run time their names carry, whatever
// order their names sort or were given in: a value removed by two runs ends with what the older one found.
TEST(Cli, BackupsRestoredTogetherEndWithWhatTheOlderRunFound) {
    struct Case {
        const char* what;
        std::string older, newer;
        bool olderNamedFirst;
    };
    const std::vector<Case> cases = {
        {"names sort as the runs were made", "BackUp 01-12-26 09-00-00", "BackUp 02-12-26 09-00-00", true},
        {"the same second", "BackUp 05-12-26 09-00-00", "BackUp 05-12-26 09-00-00 (2)", false},
        {"a later day of an earlier month", "BackUp 30-11-26 09-00-00", "BackUp 01-12-26 09-00-00", true},
        {"a new year", "BackUp 31-12-26 23-00-00", "BackUp 01-01-27 00-00-01", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FixturePrefix prefix;
        prefix.WithWindowsBasics()
            .String("HKLM", kFonts, "Arial", "arial.ttf")
            .String("HKLM", kFonts, "Gone A", "gone-a.ttf");
        prefix.Write();
        TempDir home;
        const std::string p = prefix.root().string();
        const std::string empty = RunCli({"--prefix", p, "backups"}, home.path()).out;
        ASSERT_EQ(empty.rfind("No backup files in ", 0), 0u) << empty;
        const std::filesystem::path folder = empty.substr(19, empty.size() - 20);
        auto repairInto = [&](const std::string& name) {
            const auto repaired =
                RunCli({"--prefix", p, "--yes", "repair", "--sections", "Windows Fonts"}, home.path());
            ASSERT_EQ(repaired.status, 0) << repaired.err;
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                if (entry.path().filename().string().rfind("BackUp ", 0) == 0 &&
                    entry.path().filename().string().find(" shortcuts") == std::string::npos &&
                    entry.path().filename() != c.older && entry.path().filename() != c.newer)
                    std::filesystem::rename(entry.path(), folder / name);
            ASSERT_TRUE(std::filesystem::exists(folder / name));
        };
        repairInto(c.older);
        // A new value of the same name appears, and a later run removes it too.
        std::string text = ReadFile(prefix.root() / "system.reg");
        const std::string arial = "\"Arial\"=\"arial.ttf\"\n";
        ASSERT_NE(text.find(arial), std::string::npos);
        text.insert(text.find(arial) + arial.size(), "\"Gone A\"=\"gone-again.ttf\"\n");
        std::ofstream(prefix.root() / "system.reg", std::ios::binary) << text;
        repairInto(c.newer);
        ASSERT_EQ(ReadFile(prefix.root() / "system.reg").find("Gone A"), std::string::npos);

        const auto restored =
            RunCli({"--prefix", p, "backups", "restore", c.olderNamedFirst ? c.older : c.newer,
                    c.olderNamedFirst ? c.newer : c.older},
                   home.path());
        EXPECT_EQ(restored.status, 0) << restored.err;
        EXPECT_NE(restored.out.find("Records restored: 2"), std::string::npos) << restored.out;
        const std::string after = ReadFile(prefix.root() / "system.reg");
        EXPECT_NE(after.find("\"Gone A\"=\"gone-a.ttf\""), std::string::npos) << after;
        EXPECT_EQ(after.find("gone-again"), std::string::npos) << after;
    }
}

} // namespace
} // namespace vx
