// The main window's road on the demo prefix, driven through the real widgets as a user drives them.
#include "gui_harness.h"

#include "app/message_box.h"
#include "platform/root_keys.h"
#include "support/registry_dump.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vx {
namespace {

using test::GuiHarness;

// The registry as sorted lines: a restore puts values back, not necessarily in their old order.
std::vector<std::string> SortedDump(App& app) {
    std::stringstream dump(test::DumpRegistry(app.registry(), HKEY_LOCAL_MACHINE) +
                           test::DumpRegistry(app.registry(), HKEY_CURRENT_USER));
    std::vector<std::string> lines;
    for (std::string line; std::getline(dump, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ClickRow(QTreeView* list, int row) {
    const QRect at = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
}

TEST(MainWindowRoad, ScanCancelRefusedResultsDetailsSortRepairBackupRestore) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    App& app = *h.app;
    auto& main = h.window->rules().model();
    const auto registryBefore = SortedDump(app);
    const auto shortcut = h.prefix / "drive_c/users/demo/Desktop/Old Game.lnk";
    const std::string shortcutBefore = ReadFile(shortcut);

    // Untick a row and tick it again: the select-all box follows.
    auto* sections = h.Find<QTreeView>("lvwRegistryvaluesScan");
    ASSERT_NE(sections, nullptr);
    ASSERT_GT(sections->model()->rowCount(), 11);
    ClickRow(sections, 9);
    EXPECT_FALSE(main.lvwRegistryvaluesScan.rows[9].checked);
    EXPECT_EQ(h.Find<QCheckBox>("chkSelectlistviewItems")->checkState(), Qt::PartiallyChecked);
    ClickRow(sections, 9);
    EXPECT_TRUE(main.lvwRegistryvaluesScan.rows[9].checked);
    EXPECT_EQ(h.Find<QCheckBox>("chkSelectlistviewItems")->checkState(), Qt::Checked);

    // Scan Now; once something was found, Cancel, answered No: the scan goes on.
    bool cancelPressed = false;
    bool scanningShown = false;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        scanningShown = scanningShown || h.Find("PicScanning")->isVisible();
        if (!cancelPressed && !h.window->rules().engine().findings().lvwErrors.empty()) {
            cancelPressed = true;
            h.answers.push_back(false);
            GuiHarness::HoverAndClick(h.Find("ImgScanCancelNormal"));
        }
    };
    GuiHarness::ClickAndWait(h.Find("ImgScanNowNormal"));
    h.frontEnd.render = render;
    EXPECT_TRUE(scanningShown);
    ASSERT_TRUE(cancelPressed);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0], MessageOfKind(kCancelScanning));
    EXPECT_FALSE(h.window->rules().engine().run().Cancelled());

    // Results: the summary, a row's details, a sorted header.
    ASSERT_TRUE(h.Find("PicResults")->isVisible());
    EXPECT_FALSE(h.Find("PicScanning")->isVisible());
    auto* summary = h.Find<QTreeView>("lvwRegistryProblems");
    ASSERT_GT(summary->model()->rowCount(), 1);
    EXPECT_EQ(summary->model()->rowCount(), static_cast<int>(main.lvwRegistryProblems.rows.size()));
    ClickRow(summary, 0);
    auto* details = h.Find<QTreeView>("lvwRegistryErrorsDetail");
    ASSERT_GT(details->model()->rowCount(), 0);
    EXPECT_EQ(details->model()->index(0, 0).data().toString().toStdString(),
              main.lvwRegistryErrorsDetail.rows[0].text);
    QTest::mouseClick(
        summary->header()->viewport(), Qt::LeftButton, Qt::NoModifier,
        QPoint(summary->header()->sectionViewportPosition(0) + 10, summary->header()->height() / 2));
    EXPECT_TRUE(main.lvwRegistryProblems.sorted);
    EXPECT_TRUE(main.lvwRegistryProblems.descending);
    EXPECT_TRUE(summary->header()->isSortIndicatorShown());
    std::vector<std::string> shown;
    for (int row = 0; row < summary->model()->rowCount(); ++row)
        shown.push_back(summary->model()->index(row, 0).data().toString().toStdString());
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend())) << "descending after the first header click";

    // Repair: "FILES REPAIRED", back to the start panel, the findings gone from the registry and the drive.
    GuiHarness::ClickAndWait(h.Find("ImgRepairNormal"));
    ASSERT_EQ(h.messages.size(), 2u);
    EXPECT_EQ(h.messages[1], MessageOfKind(kFilesRepaired));
    EXPECT_FALSE(h.Find("PicResults")->isVisible());
    EXPECT_EQ(summary->model()->rowCount(), 0);
    EXPECT_NE(SortedDump(app), registryBefore);
    EXPECT_FALSE(std::filesystem::exists(shortcut));

    // Backup: the manager lists the run's file; tick it, Restore, OK.
    int listed = -1;
    h.WhenModalOpens([&](QWidget* dialog) {
        auto* list = dialog->findChild<QTreeWidget*>("lvwBackUp");
        listed = list->topLevelItemCount();
        if (listed > 0)
            list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        GuiHarness::HoverAndClick(dialog->findChild<QWidget*>("imgRestoreNormal"));
        listed = listed * 10 + list->topLevelItemCount();
        GuiHarness::HoverAndClick(dialog->findChild<QWidget*>("ImgOKNormal"));
    });
    GuiHarness::HoverAndClick(h.Find("imgRestoreNormal"));
    EXPECT_EQ(listed, 10) << "one backup listed, gone from the list once restored";
    EXPECT_EQ(SortedDump(app), registryBefore);
    EXPECT_EQ(ReadFile(shortcut), shortcutBefore);
}

TEST(MainWindowClose, TheNoticeComesFirstUnlessTurnedOffAndTheWindowHides) {
    struct Case {
        std::string doNotShow;
        bool tickInNotice;
        bool noticeShown;
        std::string storedAfter;
    };
    const Case cases[] = {
        {"0", false, true, "0"},
        {"0", true, true, "1"},
        {"1", false, false, "1"},
    };
    for (const Case& c : cases) {
        GuiHarness h;
        h.window->notificationArea().forcedAvailable = true; // the notice is for closing to the tray
        h.app->SaveSetting("chkDoNotShowInFuture", c.doNotShow);
        bool shown = false;
        h.WhenModalOpens([&](QWidget* notice) {
            shown = notice->objectName() == "frmNotification";
            EXPECT_EQ(notice->windowTitle().toStdString(), "Vantrelix v3.0");
            if (c.tickInNotice)
                QTest::mouseClick(notice->findChild<QWidget*>("Label1"), Qt::LeftButton);
            GuiHarness::HoverAndClick(notice->findChild<QWidget*>("ImgOKNormal"));
        });
        h.window->close();
        QApplication::processEvents();
        EXPECT_EQ(shown, c.noticeShown) << c.doNotShow;
        EXPECT_EQ(h.app->GetSetting("chkDoNotShowInFuture", "0"), c.storedAfter);
    }
}

// Help and Support hand their pages to the desktop's own opener (which knows the browser, however it is
// installed), as file: addresses; nothing is asked of the user.
TEST(MainWindowPages, HelpAndSupportOpenTheirPagesThroughTheDesktopsOpener) {
    GuiHarness h;
    test::OpenedUrls opened("file");
    GuiHarness::HoverAndClick(h.Find("ImgHelpNormal"));
    GuiHarness::HoverAndClick(h.Find("ImgSupportPicNormal"));
    ASSERT_EQ(opened.urls.size(), 2u);
    EXPECT_EQ(opened.urls[0].fileName(), "reghelp.html");
    EXPECT_EQ(opened.urls[1].fileName(), "support.html");
    for (const QUrl& url : opened.urls)
        EXPECT_TRUE(std::filesystem::exists(url.toLocalFile().toStdString())) << url.toString().toStdString();
    EXPECT_TRUE(h.messages.empty());
}

TEST(MainWindowTitle, TheTitleAndTheTitleStripsTipNameTheTarget) {
    GuiHarness h;
    const std::string prefix = std::filesystem::canonical(h.prefix).string();
    EXPECT_EQ(h.window->windowTitle().toStdString(), "Wine prefix " + prefix + " \u2014 Vantrelix v3.0");
    for (const char* strip : {"ImgFormMove", "ImgToolBarDrevanto"})
        EXPECT_EQ(h.Find(strip)->toolTip().toStdString(), "Working on the Wine prefix " + prefix) << strip;
    EXPECT_EQ(h.Find<QLabel>("caption")->text().toStdString(), "Vantrelix v3.0");
}

TEST(SettingsDialogWindow, OpensFromTheSettingsButtonStoresOptionsPathsAndTheStartupEntry) {
    GuiHarness h;
    const auto chosen = (h.home.path() / "reports").string();
    h.pickers.answers = {chosen};
    h.WhenModalOpens([&](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), "frmSetings");
        // Browse for the report folder, turn the sound off and on again by its label, OK.
        GuiHarness::HoverAndClick(dialog->findChild<QWidget*>("cmdBrowseNormal"));
        EXPECT_EQ(dialog->findChild<QLineEdit*>("txtLogFile")->text().toStdString(), chosen);
        QTest::mouseClick(dialog->findChild<QWidget*>("lblRunonStartup"), Qt::LeftButton);
        GuiHarness::HoverAndClick(dialog->findChild<QWidget*>("cmdOKNormal"));
    });
    GuiHarness::HoverAndClick(h.Find("ImgSettingsNormal"));
    EXPECT_EQ(h.pickers.titles, std::vector<std::string>{"Choose directory..."});
    EXPECT_EQ(h.app->GetSetting("txtLogFile", ""), chosen);
    EXPECT_EQ(h.app->GetSetting("chkMakeLogFile", ""), "1");
    EXPECT_EQ(h.app->GetSetting("chkRunAtStartup", ""), "0");
    EXPECT_FALSE(std::filesystem::exists(h.startup.File())) << "written on opening, removed by the label";
    EXPECT_TRUE(h.Find("ImgSettingsNormal")->isEnabled());
}

} // namespace
} // namespace vx
