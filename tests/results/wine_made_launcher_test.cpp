// A launcher made by Wine's own menu builder: a shortcut saved into the Start Menu of a copy of a
// Wine-made prefix (VANTRELIX_WINE_PREFIX, tools/make-wine-prefix.sh) through Wine's shell, under Xvfb.
// Once its program is removed it is found, repaired and restored exactly. Skipped without Wine.
#include "platform/wine/wine_target.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "results/launcher_repair.h"
#include "support/file_snapshot.h"
#include "support/shell_quoted.h"
#include "support/test_app.h"
#include "ui/scoped_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace vx {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// The Windows path of a host path through Wine's Z: drive.
std::string OnDriveZ(const fs::path& path) {
    std::string windows = "Z:" + path.string();
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    return windows;
}

TEST(WineMadeLauncher, IsFoundRepairedAndRestoredExactlyOnceItsProgramIsGone) {
    const char* made = std::getenv("VANTRELIX_WINE_PREFIX");
    if (!made || !*made)
        GTEST_SKIP() << "VANTRELIX_WINE_PREFIX is not set (make one with tools/make-wine-prefix.sh DIR)";
    if (std::system("command -v wine >/dev/null && command -v xvfb-run >/dev/null && command -v wineserver "
                    ">/dev/null") != 0)
        GTEST_SKIP() << "Wine or xvfb-run is not installed";
    TempDir work;
    const fs::path prefix = work.path() / "prefix", home = work.path() / "home";
    fs::copy(made, prefix, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    fs::remove(prefix / "wineserver");
    fs::create_directories(home);
    const fs::path program = prefix / "drive_c/vx-launcher/tool.exe"; // notepad's icons come with it
    fs::create_directories(program.parent_path());
    fs::copy_file(prefix / "drive_c/windows/notepad.exe", program);
    const std::string menu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Vx Launcher";
    fs::create_directories(prefix / "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vx Launcher");
    std::ofstream(work.path() / "shortcut.js") << "var shell = new ActiveXObject(\"WScript.Shell\");\n"
                                                  "var link = shell.CreateShortcut(WScript.Arguments(0));\n"
                                                  "link.TargetPath = WScript.Arguments(1);\nlink.Save();\n";
    // Wine's shell runs the menu builder when the link is saved; it writes into this home only.
    const std::string wine = "cd " + test::ShellQuoted(work.path().string()) +
                             " && env HOME=" + test::ShellQuoted(home.string()) +
                             " XDG_DATA_HOME=" + test::ShellQuoted((home / ".local/share").string()) +
                             " XDG_CONFIG_HOME=" + test::ShellQuoted((home / ".config").string()) +
                             " WINEPREFIX=" + test::ShellQuoted(prefix.string()) +
                             " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ";
    ASSERT_EQ(std::system((wine + "xvfb-run -a wine cscript //nologo " +
                           test::ShellQuoted(OnDriveZ(work.path() / "shortcut.js")) + " " +
                           test::ShellQuoted(menu + "\\Tool.lnk") +
                           " 'C:\\vx-launcher\\tool.exe' >/dev/null 2>&1; " + wine + "wineserver -w")
                              .c_str()),
              0);
    const fs::path entry = home / ".local/share/applications/wine/Programs/Vx Launcher/Tool.desktop";
    ASSERT_TRUE(fs::exists(entry)) << "Wine's menu builder wrote no menu entry";

    const test::ScopedEnv homeEnv("HOME", home.string());
    const test::ScopedEnv noTools("PATH", (work.path() / "no-tools").string()); // no caches in the home
    std::string why;
    std::vector<std::string> warnings;
    test::TestApp app(OpenWineTarget(prefix, why, warnings));
    ASSERT_TRUE(app.target) << why;
    EXPECT_TRUE(FindBrokenLaunchers(home, prefix, app.settings, warnings).empty());
    fs::remove(program);
    const auto broken = FindBrokenLaunchers(home, prefix, app.settings, warnings);
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_EQ(broken[0].launcher.file, entry);
    EXPECT_EQ(broken[0].why, "the target of " + menu + "\\Tool.lnk is gone");

    const auto before = test::FilesWithModes(home);
    const auto backup = StartBackupFile(*app, why);
    ASSERT_TRUE(backup) << why;
    const auto outcome = RepairBrokenLaunchers(*app, home, broken, *backup);
    EXPECT_EQ(outcome.repaired, 1);
    // The entry, its menu file, its menu folders' entries and its icons: nothing of Wine's is left.
    EXPECT_EQ(test::FilesWithModes(home), (decltype(before){})) << test::FilesWithModes(home).begin()->first;
    EXPECT_TRUE(FindBrokenLaunchers(home, prefix, app.settings, warnings).empty());

    const RestoreOutcome restored = RestoreBackupFile(*app, test::EngineOf(*app).observer(), *backup);
    EXPECT_TRUE(restored.failures.empty()) << restored.failures.front();
    EXPECT_EQ(test::FilesWithModes(home), before);
}

} // namespace
} // namespace vx
