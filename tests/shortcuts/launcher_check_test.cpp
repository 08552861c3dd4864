// A launcher Wine left on the desktop is broken only when its prefix, or the shortcut or program it
// starts, is really gone.
#include "shortcuts/launcher_check.h"
#include "support/fixture_prefix.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace vx {
namespace {
namespace fs = std::filesystem;

std::string WineLink(const std::string& name) {
    std::ifstream in(fs::path(VANTRELIX_SOURCE_DIR) / "tests/shortcuts/data/wine" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LauncherCheck, BrokenOnlyWhenThePrefixOrWhatItStartsIsGone) {
    test::FixturePrefix prefix;
    prefix.WithWindowsBasics()
        .String("HKLM", "Software\\Classes\\.lnk", "", "lnkfile")
        .String("HKLM", "Software\\Classes\\lnkfile", "IsShortcut", "yes")
        .File("C:\\windows\\notepad.exe")
        .File("C:\\users\\Public\\Desktop\\Working.lnk", WineLink("existing_target.lnk"))
        .File("C:\\users\\Public\\Desktop\\Orphan.lnk", WineLink("missing_target.lnk"))
        .Write();
    const fs::path root = prefix.root();
    const std::string menu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
    struct Case {
        const char* what;
        WineLauncher launcher;
        std::optional<std::string> why;
    };
    const auto windows = [&](std::string path) { return WineLauncher{{}, {}, root, std::move(path)}; };
    const auto host = [&](fs::path path) { return WineLauncher{{}, {}, root, {}, std::move(path)}; };
    const std::vector<Case> cases = {
        {"working shortcut", windows("C:\\users\\Public\\Desktop\\Working.lnk"), std::nullopt},
        {"shortcut whose target is gone", windows("C:\\users\\Public\\Desktop\\Orphan.lnk"),
         "the target of C:\\users\\Public\\Desktop\\Orphan.lnk is gone"},
        {"shortcut gone", windows(menu + "Gone.lnk"), menu + "Gone.lnk is gone from its prefix"},
        {"program there", windows("C:\\windows\\notepad.exe"), std::nullopt},
        {"program gone", windows("C:\\Program Files\\Gone\\gone.exe"),
         "C:\\Program Files\\Gone\\gone.exe is gone from its prefix"},
        {"host path of a working shortcut", host(root / "dosdevices/c:/users/Public/Desktop/Working.lnk"),
         std::nullopt},
        {"host path of a broken shortcut", host(root / "drive_c/users/Public/Desktop/Orphan.lnk"),
         "the target of C:\\users\\Public\\Desktop\\Orphan.lnk is gone"},
        {"host path gone", host(root / "drive_c/users/Public/Desktop/Gone.lnk"),
         "C:\\users\\Public\\Desktop\\Gone.lnk is gone from its prefix"},
        {"file type of a prefix that is there", WineLauncher{{}, {}, root, {}, {}, "txtfile"}, std::nullopt},
        {"prefix gone", WineLauncher{{}, {}, root / "removed", "C:\\x.lnk"},
         "its Wine prefix " + (root / "removed").string() + " is gone"},
        {"prefix on media that is away",
         WineLauncher{{}, {}, "/vx-unplugged-media/games/prefix", "C:\\x.lnk"}, std::nullopt},
    };
    test::MemorySettings settings;
    for (const auto& c : cases)
        EXPECT_EQ(WhyLauncherIsBroken(c.launcher, settings), c.why) << c.what;
}

// A scan reports its own prefix's broken launchers and those of prefixes that are gone, not another
// prefix's that is there.
TEST(LauncherCheck, AScanFindsItsOwnBrokenLaunchersAndThoseOfGonePrefixes) {
    test::FixturePrefix scanned, other;
    scanned.WithWindowsBasics().File("C:\\windows\\notepad.exe").Write();
    other.WithWindowsBasics().Write();
    test::TempDir home;
    // `program` as Wine writes it in the file: each backslash doubled for Exec and again for the file.
    const auto entry = [&](const fs::path& file, const fs::path& prefix, const std::string& program) {
        fs::create_directories((home.path() / file).parent_path());
        std::ofstream(home.path() / file)
            << "[Desktop Entry]\nExec=env WINEPREFIX=\"" << prefix.string() << "\" wine " << program << "\n";
    };
    const fs::path menu = ".local/share/applications/wine/Programs";
    entry(menu / "Notepad.desktop", scanned.root(), R"(C:\\\\windows\\\\notepad.exe)");
    entry(menu / "Gone.desktop", scanned.root(), R"(C:\\\\gone.exe)");
    entry(menu / "Other.desktop", other.root(), R"(C:\\\\gone.exe)");
    entry("Desktop/Removed.desktop", other.root() / "removed", R"(C:\\\\x.exe)");

    test::MemorySettings settings;
    std::vector<std::string> warnings;
    std::vector<std::pair<fs::path, std::string>> found;
    for (const auto& broken : FindBrokenLaunchers(home.path(), scanned.root(), settings, warnings))
        found.emplace_back(broken.launcher.file.lexically_relative(home.path()), broken.why);
    const std::vector<std::pair<fs::path, std::string>> expected = {
        {menu / "Gone.desktop", "C:\\gone.exe is gone from its prefix"},
        {"Desktop/Removed.desktop", "its Wine prefix " + (other.root() / "removed").string() + " is gone"},
    };
    EXPECT_EQ(found, expected);
    EXPECT_EQ(warnings, std::vector<std::string>());
    EXPECT_EQ(
        BrokenLauncherText(FindBrokenLaunchers(home.path(), scanned.root(), settings, warnings).front()),
        (home.path() / menu / "Gone.desktop").string() + ": C:\\gone.exe is gone from its prefix");
}

} // namespace
} // namespace vx
