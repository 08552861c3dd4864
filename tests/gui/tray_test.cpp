// The notification-area icon and its pop-up menu on the real widgets.
#include "gui_harness.h"

#include "app/message_box.h"

#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

// The main window closed to the notification area of a desktop that has one.
void CloseToTray(GuiHarness& h) {
    h.window->notificationArea().forcedAvailable = true;
    GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
    ASSERT_FALSE(h.window->isVisible());
    ASSERT_TRUE(h.window->tray().bRunningInTray());
}

// On a tray that sends Windows-style clicks only a double click or a right-button release opens the menu;
// a StatusNotifierItem tray reports a left click as a plain activation, which opens it there.
TEST(TrayIcon, TheClicksThatOpenTheMenuOnEachKindOfTray) {
    struct Case {
        bool statusNotifier;
        QSystemTrayIcon::ActivationReason reason;
        bool opens;
    };
    const Case cases[] = {
        {false, QSystemTrayIcon::Trigger, false},    {false, QSystemTrayIcon::MiddleClick, false},
        {false, QSystemTrayIcon::DoubleClick, true}, {false, QSystemTrayIcon::Context, true},
        {true, QSystemTrayIcon::Trigger, true},      {true, QSystemTrayIcon::MiddleClick, false},
        {true, QSystemTrayIcon::Context, true},
    };
    for (const Case& c : cases) {
        GuiHarness h;
        h.window->notificationArea().forcedStatusNotifier = c.statusNotifier;
        CloseToTray(h);
        EXPECT_EQ(h.window->tray().szTip(), "Vantrelix v3.0");
        h.window->notificationArea().Activate(c.reason);
        const bool open = h.window->popupMenu() && h.window->popupMenu()->isVisible();
        EXPECT_EQ(open, c.opens) << c.reason << (c.statusNotifier ? " on a StatusNotifierItem tray" : "");
    }
}

// Where windows cannot place themselves (Wayland) the tray shows its own menu: the same items, enabled by
// the same rules, doing the same things.
TEST(TrayIcon, TheTraysOwnMenuHasTheItemsStatesAndActionsOfTheSlidingOne) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    h.window->UseNativeTrayMenu();
    CloseToTray(h);
    QMenu* menu = h.window->notificationArea().contextMenu();
    ASSERT_NE(menu, nullptr);
    auto states = [&] {
        emit menu->aboutToShow();
        std::vector<std::pair<std::string, bool>> out;
        for (QAction* action : menu->actions())
            out.emplace_back(action->text().toStdString(), action->isEnabled());
        return out;
    };
    using States = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(states(), (States{{"Maximize", true}, {"Scan Now", true}, {"Settings", true}, {"Exit", true}}));
    h.window->notificationArea().Activate(QSystemTrayIcon::Context);
    EXPECT_EQ(h.window->popupMenu(), nullptr) << "no sliding menu besides";

    // Scan Now: the window comes back, the icon goes, and the scan runs after the click.
    menu->actions()[1]->trigger();
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_FALSE(h.window->tray().bRunningInTray());
    bool checkedDuringTheScan = false;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        if (checkedDuringTheScan || h.window->rules().model().ImgScanNowNormal)
            return;
        checkedDuringTheScan = true;
        EXPECT_EQ(states(),
                  (States{{"Maximize", false}, {"Scan Now", false}, {"Settings", false}, {"Exit", true}}));
    };
    QApplication::processEvents();
    h.frontEnd.render = render;
    EXPECT_TRUE(checkedDuringTheScan);
    EXPECT_TRUE(h.window->rules().model().PicResults);
}

// Runs the program's event loop until something ends it; the exit code, or -1 when nothing ended it
// within a few seconds (the watchdog ends the loop then).
int RunEventLoop(const std::function<void()>& whileRunning) {
    QTimer start, watchdog;
    start.setSingleShot(true);
    watchdog.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, whileRunning);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    start.start(0);
    watchdog.start(5000);
    return QApplication::exec();
}

// The program's own ending, not a stand-in: Exit answered OK ends the event loop at once, although the
// main window refuses every close; Cancel keeps the program in the tray.
TEST(TrayIcon, ExitAnsweredOkEndsTheProgramAndCancelKeepsItInTheTray) {
    for (const bool confirm : {true, false}) {
        GuiHarness h;
        CloseToTray(h);
        gui::PopupMenuWindow* menu = nullptr;
        const int code = RunEventLoop([&] {
            h.window->notificationArea().Activate(QSystemTrayIcon::DoubleClick);
            menu = h.window->popupMenu();
            ASSERT_NE(menu, nullptr);
            h.answers.push_back(confirm);
            QTest::mouseClick(menu->findChild<QWidget*>("MenuExit"), Qt::LeftButton);
            if (!confirm)
                QCoreApplication::exit(1); // still running: end the loop the test started
        });
        ASSERT_EQ(h.messages.size(), 1u);
        EXPECT_EQ(h.messages[0], MessageOfKind(kCloseConfirmation));
        EXPECT_EQ(code, confirm ? 0 : 1) << "OK ends the program; Cancel leaves it running";
        EXPECT_EQ(h.window->tray().bRunningInTray(), !confirm);
        if (!confirm) {
            EXPECT_FALSE(h.window->isVisible()) << "Cancel hides the main window again";
            EXPECT_EQ(h.window->notificationArea().toolTip().toStdString(), "Vantrelix v3.0");
            EXPECT_TRUE(menu->rules().tmrPopDown) << "the menu slides down";
        }
    }
}

TEST(TrayIcon, MaximizeBringsTheWindowBackAndTheIconGoes) {
    GuiHarness h;
    CloseToTray(h);
    h.window->notificationArea().Activate(QSystemTrayIcon::Context);
    auto* menu = h.window->popupMenu();
    ASSERT_NE(menu, nullptr);
    QTest::mouseClick(menu->findChild<QWidget*>("MenuRestore"), Qt::LeftButton);
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_FALSE(h.window->tray().bRunningInTray());
    EXPECT_FALSE(h.window->notificationArea().shown());
}

// The menu's Scan Now starts once its click is over. While that scan runs, another click on the menu's
// Scan Now, and the window closed to the tray and the menu opened again (the old one, closed meanwhile,
// goes), start nothing more: one scan's findings, once.
TEST(TrayIcon, TheMenusScanNowRunsOneScanAfterItsClick) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    auto& main = h.window->rules().model();
    GuiHarness::ClickAndWait(h.Find("ImgScanNowNormal"));
    const std::vector<ProblemEntry> once = h.window->rules().engine().findings().lvwErrors.ToVector();
    const size_t summaryRows = main.lvwRegistryProblems.rows.size();
    ASSERT_FALSE(once.empty());
    GuiHarness::HoverAndClick(h.Find("ImgReturnNormal"));
    h.app->SaveSetting("chkDoNotShowInFuture", "1");
    CloseToTray(h);
    h.window->notificationArea().Activate(QSystemTrayIcon::DoubleClick);
    QPointer<gui::PopupMenuWindow> first = h.window->popupMenu();
    ASSERT_TRUE(first);

    bool clickedDuring = false;
    QPointer<gui::PopupMenuWindow> second;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        if (main.ImgScanNowNormal || clickedDuring || h.window->rules().engine().findings().lvwErrors.empty())
            return;
        clickedDuring = true;
        QTest::mouseClick(first->findChild<QWidget*>("MenuScan"), Qt::LeftButton);
        for (int i = 0; i < 1000 && first->rules().tmrPopDown; ++i)
            first->rules().tmrPopDown_Timer(); // the old menu slides away and closes
        GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
        h.window->notificationArea().Activate(QSystemTrayIcon::DoubleClick);
        second = h.window->popupMenu();
        QTest::mouseClick(second->findChild<QWidget*>("MenuScan"), Qt::LeftButton);
    };
    QTest::mouseClick(first->findChild<QWidget*>("MenuScan"), Qt::LeftButton);
    EXPECT_TRUE(main.ImgScanNowNormal) << "no scan inside the click";
    EXPECT_FALSE(main.PicResults);
    QApplication::processEvents(); // the scan, with the clicks made while it runs
    for (int waited = 0; !main.ImgScanNowNormal && waited < 5000; waited += 5)
        QTest::qWait(5);
    h.frontEnd.render = render;
    QApplication::processEvents();

    EXPECT_TRUE(clickedDuring);
    EXPECT_TRUE(main.ImgScanNowNormal);
    EXPECT_EQ(h.window->rules().engine().findings().lvwErrors.ToVector(), once);
    EXPECT_EQ(main.lvwRegistryProblems.rows.size(), summaryRows);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->rules().style(MenuItem::MenuScan).enabled) << "the menu opened during a scan";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "the closed menu went once its handlers were over";
}

// Maximize during a scan shows the busy pointer; it goes when the scan ends (the menu and the window
// set one pointer, never two).
TEST(TrayIcon, TheBusyPointerOfMaximizeDuringAScanGoesWhenTheScanEnds) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    h.app->SaveSetting("chkDoNotShowInFuture", "1");
    h.window->notificationArea().forcedAvailable = true;
    auto& main = h.window->rules().model();
    bool maximized = false;
    bool busyAfterMaximize = false;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        if (main.ImgScanNowNormal || maximized)
            return;
        maximized = true;
        GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
        h.window->notificationArea().Activate(QSystemTrayIcon::DoubleClick);
        QTest::mouseClick(h.window->popupMenu()->findChild<QWidget*>("MenuRestore"), Qt::LeftButton);
        busyAfterMaximize = QApplication::overrideCursor() != nullptr;
    };
    GuiHarness::ClickAndWait(h.Find("ImgScanNowNormal"));
    h.frontEnd.render = render;
    ASSERT_TRUE(maximized);
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_TRUE(busyAfterMaximize);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "no busy pointer left behind";
}

// Without a notification area both the close button and the window manager's close ask the Exit
// question; OK ends the program (its own ending), Cancel leaves the window as it was. Whether there is a
// notification area is asked at each close.
TEST(TrayIcon, WithoutANotificationAreaACloseAsksToEndTheProgram) {
    struct Case {
        const char* what;
        bool closeButton;
        bool confirm;
    };
    const Case cases[] = {
        {"close button, OK", true, true},
        {"close button, Cancel", true, false},
        {"window manager's close, OK", false, true},
        {"window manager's close, Cancel", false, false},
    };
    for (const Case& c : cases) {
        GuiHarness h;
        h.window->notificationArea().forcedAvailable = false;
        h.answers.push_back(c.confirm);
        const int code = RunEventLoop([&] {
            if (c.closeButton)
                GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
            else
                h.window->close();
            if (!c.confirm)
                QCoreApplication::exit(1);
        });
        ASSERT_EQ(h.messages.size(), 1u) << c.what;
        EXPECT_EQ(h.messages[0], MessageOfKind(kCloseConfirmation)) << c.what;
        EXPECT_EQ(code, c.confirm ? 0 : 1) << c.what;
        if (!c.confirm) {
            EXPECT_TRUE(h.window->isVisible()) << c.what;
            EXPECT_FALSE(h.window->isMinimized()) << c.what;
        }
        // A panel that appears later is used by the next close.
        h.window->notificationArea().forcedAvailable = true;
        h.messages.clear();
        if (!c.confirm) {
            h.app->SaveSetting("chkDoNotShowInFuture", "1"); // no notice to answer
            h.window->close();
            EXPECT_TRUE(h.window->tray().bRunningInTray()) << c.what;
            EXPECT_TRUE(h.messages.empty()) << c.what;
        }
    }
}

} // namespace
} // namespace vx
