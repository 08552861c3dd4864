// The check-list row of the launchers Wine left on the Linux desktop: offered only where there are such
// launchers, it finds the broken ones, and repair and restore take them away and back like shortcuts.
#include "engine/desktop_launchers.h"
#include "engine/engine.h"
#include "results/backup_manager.h"
#include "results/summary_rows.h"
#include "support/file_snapshot.h"
#include "support/fixture_home.h"
#include "support/test_app.h"
#include "ui/scoped_env.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

namespace fs = std::filesystem;
using test::EngineOf;
using test::TempDir;
using test::TestApp;
using test::WindowOf;

std::vector<std::string> RowTexts(Engine& engine) {
    std::vector<std::string> texts;
    for (const auto& row : engine.checkList().rows)
        texts.push_back(row.text);
    return texts;
}

class DesktopLaunchers : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics().File("C:\\vx\\works.exe", "MZ").Write();
        app = std::make_unique<TestApp>(prefix.Open());
    }
    Engine& engine() { return EngineOf(**app); }
    // Ticks only the launcher row; false when the check-list has none.
    bool TickOnlyTheLauncherRow() {
        LoadlvwRegistryvaluesScanValues(engine());
        bool found = false;
        for (auto& row : engine().checkList().rows)
            found |= row.checked = row.text == kLauncherRowText;
        return found;
    }

    TempDir dir;
    test::FixtureHome home{dir.path()};
    const test::ScopedEnv homeEnv{"HOME", dir.path().string()};
    const test::ScopedEnv noTools{"PATH", (dir.path() / "no-tools").string()};
    test::FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
};

TEST_F(DesktopLaunchers, NoRowWhereWineLeftNoLaunchers) {
    home.Write(".local/share/applications/firefox.desktop", "[Desktop Entry]\nExec=firefox %u\n");
    LoadlvwRegistryvaluesScanValues(engine());
    EXPECT_EQ(RowTexts(engine()).back(), "Window Shortcut C") << "the check-list is as it always was";
}

TEST_F(DesktopLaunchers, FindsRepairsAndRestoresTheBrokenOnes) {
    const fs::path gone =
        home.WineMenuEntry("Programs/Old", dir.path() / "gone-prefix", "C:\\old.exe", "AA_old.0");
    const fs::path missing = home.WineDesktopIcon("Tool", prefix.root(), "C:\\vx\\tool.exe", "BB_tool.0");
    const fs::path works =
        home.WineMenuEntry("Programs/Works", prefix.root(), "C:\\vx\\works.exe", "CC_works.0");
    ASSERT_TRUE(TickOnlyTheLauncherRow());
    EXPECT_EQ(RowTexts(engine()).back(), kLauncherRowText) << "after the drive rows";
    const auto before = test::FilesWithModes(home.root());

    WindowOf(**app).ImgScanNowMouseMove_Click();
    const auto& found = engine().findings().lvwLaunchers;
    ASSERT_EQ(found.size(), 2u);
    std::vector<std::string> files{found[0].file, found[1].file};
    std::sort(files.begin(), files.end());
    std::vector<std::string> expected{gone.string(), missing.string()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected) << "the working launcher is no finding";
    EXPECT_EQ(engine().summaryRows(), std::vector<std::string>{"Invalid Desktop Launchers (2 Problems)"});
    const auto details = DetailRowsOf(engine().summaryRows()[0], engine().findings(), [] {});
    ASSERT_EQ(details.size(), 2u);
    EXPECT_EQ(details[0], "This launcher is broken : " + found[0].text);

    const RepairOutcome repaired = WindowOf(**app).ImgRepairMouseMove_Click();
    EXPECT_EQ(repaired.repaired, 2);
    EXPECT_EQ(repaired.skipped, 0);
    ASSERT_FALSE(repaired.backupFile.empty());
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(fs::exists(works));
    EXPECT_TRUE(engine().findings().empty());

    BackupManager manager = LoadBackupManager(**app);
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome restored = engine().Restore(manager);
    EXPECT_TRUE(restored.failures.empty()) << restored.failures.front();
    EXPECT_EQ(test::FilesWithModes(home.root()), before) << "every file back, bytes and mode";
}

} // namespace
} // namespace vx
