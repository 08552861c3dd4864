// The program's own folders as another user could meet them: a folder of someone else's, one anyone may
// write in, a link planted in a file's place. Every command that changes something refuses them in one
// line and writes nothing; a sticky folder (as /tmp is) is the user's to choose.
#include "support/fixture_prefix.h"
#include "support/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {
namespace {

using test::FixturePrefix;
using test::RunCli;
using test::TempDir;

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

struct OwnFolderCase {
    const char* command;
    const char* folder; // below the home of the run: the settings' folder or the data folder
    std::vector<std::string> args;
    int statusWhenAccepted;
};

struct Spoiling {
    const char* name;
    std::function<void(const fs::path&)> apply;
    const char* says; // empty: the folder is accepted
};

FixturePrefix& PrefixWithOneBrokenFont(FixturePrefix& prefix) {
    prefix.WithWindowsBasics().String("HKLM", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                                      "Gone", "gone.ttf");
    prefix.Write();
    return prefix;
}

// The name of the one backup file a repair made.
std::string RepairedOnce(const std::string& prefix, const fs::path& home) {
    const auto repaired =
        RunCli({"--prefix", prefix, "--yes", "repair", "--sections", "Windows Fonts"}, home);
    EXPECT_EQ(repaired.status, 0) << repaired.err;
    const auto list = RunCli({"--prefix", prefix, "backups"}, home);
    return list.out.substr(0, list.out.find('\t'));
}

TEST(OwnFolders, AFolderAnotherUserMayChangeIsRefusedByEveryCommandThatWrites) {
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const uid_t nobodyUid = nobody->pw_uid;
    const gid_t nobodyGid = nobody->pw_gid;
    const std::vector<OwnFolderCase> commands = {
        {"settings", "config", {"settings", "chkPlaySound", "1"}, 0},
        {"report", "data", {"scan", "--sections", "Windows Fonts", "--report"}, 1},
        {"repair", "data", {"--yes", "repair", "--sections", "Windows Fonts"}, 0},
        {"restore", "data", {"backups", "restore"}, 0},
    };
    const std::vector<Spoiling> spoilings = {
        {"writable by all", [](const fs::path& f) { chmod(f.c_str(), 0777); },
         "can be written by other users"},
        {"writable by a shared group",
         [](const fs::path& f) {
             chown(f.c_str(), geteuid(), 100); // "users": a group of many
             chmod(f.c_str(), 0775);
         },
         "can be written by other users"},
        {"another user's", [&](const fs::path& f) { chown(f.c_str(), nobodyUid, nobodyGid); },
         "belongs to another user (nobody)"},
        {"sticky and writable by all", [](const fs::path& f) { chmod(f.c_str(), 01777); }, ""},
        {"writable by the owner's own group (umask 002)", [](const fs::path& f) { chmod(f.c_str(), 0775); },
         ""},
    };
    for (const auto& command : commands) {
        for (const auto& spoiling : spoilings) {
            SCOPED_TRACE(std::string(command.command) + ", folder " + spoiling.name);
            FixturePrefix prefix;
            PrefixWithOneBrokenFont(prefix);
            TempDir home;
            const std::string p = prefix.root().string();
            std::vector<std::string> args = {"--prefix", p};
            args.insert(args.end(), command.args.begin(), command.args.end());
            if (std::string(command.command) == "restore")
                args.push_back(RepairedOnce(p, home.path()));
            const fs::path folder = home.path() / command.folder / "vantrelix";
            fs::create_directories(folder);
            spoiling.apply(folder);
            const std::string registry = ReadFile(prefix.root() / "system.reg");
            const auto before = Listing(folder);

            const auto result = RunCli(args, home.path());
            if (*spoiling.says == '\0') {
                EXPECT_EQ(result.status, command.statusWhenAccepted) << result.err;
                continue;
            }
            EXPECT_EQ(result.status, 2) << result.err;
            EXPECT_NE(result.err.find(spoiling.says), std::string::npos) << result.err;
            EXPECT_NE(result.err.find(folder.string()), std::string::npos) << result.err;
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
            EXPECT_EQ(ReadFile(prefix.root() / "system.reg"), registry);
            EXPECT_EQ(Listing(folder), before);
        }
    }
}

// A link another user planted where the report or the settings go is never written through, nor replaced.
TEST(OwnFolders, ALinkInAFilesPlaceIsNeverWrittenThrough) {
    const std::vector<OwnFolderCase> commands = {
        {"settings.ini", "config", {"settings", "chkPlaySound", "1"}, 0},
        {"ScanReport.txt", "data", {"scan", "--sections", "Windows Fonts", "--report"}, 1},
    };
    for (const auto& command : commands) {
        for (const bool victimExists : {true, false}) {
            SCOPED_TRACE(std::string(command.command) + (victimExists ? ", to a file" : ", to nothing"));
            FixturePrefix prefix;
            PrefixWithOneBrokenFont(prefix);
            TempDir home;
            TempDir elsewhere;
            const fs::path victim = elsewhere.path() / "precious";
            if (victimExists)
                std::ofstream(victim) << "precious";
            const fs::path folder = home.path() / command.folder / "vantrelix";
            fs::create_directories(folder);
            fs::create_symlink(victim, folder / command.command);
            std::vector<std::string> args = {"--prefix", prefix.root().string()};
            args.insert(args.end(), command.args.begin(), command.args.end());

            const auto result = RunCli(args, home.path());
            EXPECT_EQ(result.status, 2) << result.err;
            EXPECT_NE(result.err.find("is a symbolic link"), std::string::npos) << result.err;
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
            EXPECT_EQ(fs::exists(victim), victimExists);
            if (victimExists)
                EXPECT_EQ(ReadFile(victim), "precious");
            EXPECT_TRUE(fs::is_symlink(folder / command.command));
        }
    }
}

} // namespace
} // namespace vx
