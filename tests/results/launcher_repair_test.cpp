// Repair of the launchers Wine left on the Linux desktop takes each with the files only it uses, after
// backing every one of them up; restore gives them back exactly, only where Wine keeps launchers.
#include "platform/file_operations.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "results/launcher_repair.h"
#include "results/launcher_restore.h"
#include "support/file_snapshot.h"
#include "support/fixture_home.h"
#include "support/test_app.h"
#include "ui/scoped_env.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vx {
namespace {

namespace fs = std::filesystem;
using test::FileState;
using test::TempDir;
using test::TestApp;

std::vector<std::string> Missing(const std::map<std::string, FileState>& before,
                                 const std::map<std::string, FileState>& after) {
    std::vector<std::string> missing;
    for (const auto& [file, state] : before)
        if (!after.contains(file))
            missing.push_back(file);
    return missing;
}

class LauncherRepair : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix = home.Prefix("prefix");
        // Two entries share an icon: it stays while one of them does.
        tool = home.WineMenuEntry("Programs/Vx Tools/Tool", prefix, "C:\\vx\\tool.exe", "DC01_tool.0");
        home.WineDesktopIcon("Tool", prefix, "C:\\vx\\tool.exe", "DC01_tool.0");
        game = home.WineMenuEntry("Programs/Game", prefix, "C:\\Games\\game.exe", "AB12_game.0");
        home.WineMenuEntry("Programs/Editor", prefix, "C:\\editor.exe", "EE34_editor.0");
        old = home.WineDesktopIcon("Old Game", prefix / "gone", "C:\\old.exe", "0F0F_old.0");
        vxdoc = home.WineFileType("vxdoc", prefix, "VxTool.Document", "DC01_tool.0",
                                  "application/x-wine-extension-vxdoc");
        // A kept file type opens the type the broken one's package defines: the package stays.
        home.WineFileType("vxnote", prefix, "VxNote", "DC01_tool.0", "application/x-wine-extension-vxold");
        vxold =
            home.WineFileType("vxold", prefix, "VxOld", "DC01_tool.0", "application/x-wine-extension-vxold");
        home.Write(".local/share/applications/firefox.desktop",
                   "[Desktop Entry]\nExec=firefox %u\nIcon=firefox\n");
        fs::permissions(home.root() / ".local/share/icons/hicolor/16x16/apps/0F0F_old.0.png",
                        fs::perms(0600));
    }

    std::vector<BrokenLauncher> Broken(const std::vector<fs::path>& files) {
        std::vector<std::string> warnings;
        std::vector<BrokenLauncher> broken;
        for (const auto& file : files)
            for (auto& launcher : FindWineLaunchers(home.root(), warnings))
                if (launcher.file == file)
                    broken.push_back({launcher, "gone"});
        EXPECT_EQ(broken.size(), files.size());
        return broken;
    }

    TempDir dir;
    test::FixtureHome home{dir.path()};
    // The desktop's tools would write their caches into the home; the test of the refresh puts its own.
    const test::ScopedEnv noTools{"PATH", (dir.path() / "no-tools").string()};
    fs::path prefix, tool, game, old, vxdoc, vxold;
    test::FixturePrefix target;
};

TEST_F(LauncherRepair, EachLauncherGoesWithTheFilesOnlyItUsesAndComesBackExactly) {
    target.WithWindowsBasics().Write();
    TestApp app(target.Open());
    const test::ScopedEnv homeEnv("HOME", home.root().string());
    const auto before = test::FilesWithModes(home.root());
    std::string why;
    const auto backup = StartBackupFile(*app, why);
    ASSERT_TRUE(backup) << why;

    // A launcher listed twice goes once.
    const auto outcome =
        RepairBrokenLaunchers(*app, home.root(), Broken({tool, game, old, vxdoc, vxold, game}), *backup);
    EXPECT_EQ(outcome.repaired, 5);
    EXPECT_TRUE(outcome.kept.empty());
    const std::vector<std::string> removed = {
        ".config/menus/applications-merged/wine-Programs-Game.menu",
        ".config/menus/applications-merged/wine-Programs-Vx Tools-Tool.menu",
        ".local/share/applications/wine-extension-vxdoc.desktop",
        ".local/share/applications/wine-extension-vxold.desktop",
        ".local/share/applications/wine/Programs/Game.desktop",
        ".local/share/applications/wine/Programs/Vx Tools/Tool.desktop",
        ".local/share/desktop-directories/wine-Programs-Vx Tools.directory",
        ".local/share/icons/hicolor/16x16/apps/0F0F_old.0.png",
        ".local/share/icons/hicolor/16x16/apps/AB12_game.0.png",
        ".local/share/icons/hicolor/32x32/apps/0F0F_old.0.png",
        ".local/share/icons/hicolor/32x32/apps/AB12_game.0.png",
        ".local/share/icons/hicolor/48x48/apps/0F0F_old.0.png",
        ".local/share/icons/hicolor/48x48/apps/AB12_game.0.png",
        ".local/share/mime/packages/x-wine-extension-vxdoc.xml",
        "Desktop/Old Game.desktop",
    };
    EXPECT_EQ(Missing(before, test::FilesWithModes(home.root())), removed);
    EXPECT_EQ(outcome.records, static_cast<int>(removed.size()));

    const RestoreOutcome restored = RestoreBackupFile(*app, test::EngineOf(*app).observer(), *backup);
    EXPECT_TRUE(restored.failures.empty()) << restored.failures.front();
    EXPECT_EQ(restored.restored, static_cast<int>(removed.size()));
    EXPECT_EQ(test::FilesWithModes(home.root()), before);
}

// Each file goes back only where Wine keeps launchers' files under the home, never over another file; a
// damaged record restores nothing.
TEST_F(LauncherRepair, RestoreRefusesOtherPlacesExistingFilesAndDamagedRecords) {
    target.WithWindowsBasics().Write();
    TestApp app(target.Open());
    std::string why;
    const auto backup = StartBackupFile(*app, why);
    ASSERT_TRUE(backup) << why;
    const fs::path copies = ShortcutCopiesFolder(*backup);
    fs::create_directory(copies);
    std::ofstream(copies / "1 x") << "launcher";
    const fs::path h = home.root();
    home.Write(".local/share/applications/wine/Programs/Same.desktop", "launcher");
    home.Write(".local/share/applications/wine/Programs/Other.desktop", "the user's own");
    fs::create_directories(h / ".local/share/applications/wine/Linked");
    fs::create_symlink(h / "elsewhere", h / ".local/share/applications/wine/Linked/Sub");
    struct Case {
        fs::path file;
        bool restored;
    };
    const std::vector<Case> cases = {
        {h / ".local/share/applications/wine/Programs/New Folder/New.desktop", true},
        {h / ".local/share/applications/wine/Programs/Same.desktop", true},
        {h / ".local/share/applications/wine/Programs/Other.desktop", false},
        {h / ".local/share/applications/wine/Linked/Sub/x.desktop", false},
        {h / ".local/share/applications/firefox.desktop", false},
        {h / ".local/share/applications/wine/../evil.desktop", false},
        {h / ".local/share/icons/hicolor/48x48/apps/x.png", true},
        {h / ".local/share/icons/hicolor/x.png", false},
        {h / ".config/menus/applications-merged/wine-x.menu", true},
        {h / ".config/menus/applications-merged/other.menu", false},
        {h / ".local/share/mime/packages/x-wine-extension-x.xml", true},
        {h / "Desktop/x.desktop", true},
        {h / ".bashrc", false},
        {"/etc/xdg/autostart/x.desktop", false},
    };
    for (const auto& c : cases) {
        BackupRecord record;
        record.kind = BackupRecord::Kind::Launcher;
        record.f = LauncherRecordFields(c.file.string(), "1 x", 0640);
        record.copyName = "1 x";
        record.mode = 0640;
        std::string why;
        EXPECT_EQ(RestoreLauncherFile(h, *backup, record, why), c.restored) << c.file << ": " << why;
    }
    EXPECT_EQ(test::FilesWithModes(h).at(".local/share/applications/wine/Programs/New Folder/New.desktop"),
              (FileState{"launcher", 0640}));
    EXPECT_EQ(test::FilesWithModes(h).at(".local/share/applications/wine/Programs/Other.desktop").bytes,
              "the user's own");
    EXPECT_FALSE(fs::exists(h / "elsewhere"));

    const std::string path = (h / "Desktop/y.desktop").string();
    for (const auto& fields :
         std::vector<std::vector<std::string>>{{"L", path, "1 x"},
                                               {"L", path, "1 x", "9z"},
                                               {"L", path, "1 x", "17777"},
                                               {"L", path, "../1 x", "644"},
                                               {"L", "Desktop/y.desktop", "1 x", "644"}}) {
        const BackupContent read = ReadBackupRecords(EncodeBackupText(JoinBackupFields(fields)) + "\r\n");
        EXPECT_TRUE(read.records.empty()) << JoinBackupFields(fields);
        EXPECT_EQ(read.damaged, std::vector<std::string>{"line 1: it is not a complete launcher record"});
    }
}

// Whichever file operation fails, every launcher is either whole or gone with every file it took backed
// up; the restore then gives the home back exactly.
TEST_F(LauncherRepair, AFailingFileOperationLeavesEachLauncherWholeOrBackedUp) {
    target.WithWindowsBasics().Write();
    const test::ScopedEnv homeEnv("HOME", home.root().string());
    const auto before = test::FilesWithModes(home.root());
    for (uint64_t n = 1;; ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n));
        TestApp app(target.Open());
        std::string why;
        const auto backup = StartBackupFile(*app, why);
        ASSERT_TRUE(backup) << why;
        file_ops::Arm(n, ENOSPC);
        const auto outcome = RepairBrokenLaunchers(*app, home.root(), Broken({tool, game, old}), *backup);
        const bool fired = file_ops::Fired();
        file_ops::Arm(0, 0);
        const auto after = test::FilesWithModes(home.root());
        for (const auto& kept : outcome.kept)
            EXPECT_TRUE(after.contains(kept.launcher.file.lexically_relative(home.root()).string()));
        EXPECT_EQ(outcome.repaired + static_cast<int>(outcome.kept.size()), 3);
        const RestoreOutcome restored = RestoreBackupFile(*app, test::EngineOf(*app).observer(), *backup);
        EXPECT_TRUE(restored.failures.empty()) << restored.failures.front();
        EXPECT_EQ(test::FilesWithModes(home.root()), before);
        RemoveBackupFile(*backup);
        if (!fired)
            break;
    }
}

// The desktop reads the launchers again through its own tools where they are installed; without them
// the repair still succeeds.
TEST_F(LauncherRepair, RefreshesTheDesktopsCachesWhenItsToolsAreThere) {
    TempDir tools;
    const fs::path log = tools.path() / "calls";
    for (const char* tool : {"update-desktop-database", "update-mime-database"}) {
        std::ofstream(tools.path() / tool)
            << "#!/bin/sh\necho \"" << tool << " $*\" >> '" << log.string() << "'\n";
        fs::permissions(tools.path() / tool, fs::perms(0755));
    }
    target.WithWindowsBasics().Write();
    for (const bool installed : {true, false}) {
        const test::ScopedEnv path("PATH",
                                   installed ? tools.path().string() : (tools.path() / "none").string());
        TestApp app(target.Open());
        const auto outcome = RepairBrokenLaunchers(*app, home.root(), Broken({installed ? tool : game}), {});
        EXPECT_EQ(outcome.repaired, 1) << installed;
    }
    std::ifstream in(log);
    const std::string calls(std::istreambuf_iterator<char>(in), {});
    const std::string share = (home.root() / ".local/share").string();
    EXPECT_EQ(calls, "update-desktop-database -q " + share + "/applications\nupdate-mime-database " + share +
                         "/mime\n");
}

} // namespace
} // namespace vx
