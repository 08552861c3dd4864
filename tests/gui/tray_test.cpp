// The notification-area icon and its pop-up menu on the real widgets.
#include "gui_harness.h"

#include "app/message_box.h"

#include <QTest>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

// The main window closed to the notification area of a desktop that has one.
void CloseToTray(GuiHarness& h) {
    h.window->notificationArea().available = true;
    GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
    ASSERT_FALSE(h.window->isVisible());
    ASSERT_TRUE(h.window->tray().bRunningInTray());
}

TEST(TrayIcon, OnlyADoubleClickOrARightButtonReleaseOpensTheMenu) {
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool opens;
    };
    const Case cases[] = {
        {QSystemTrayIcon::Trigger, false},
        {QSystemTrayIcon::MiddleClick, false},
        {QSystemTrayIcon::DoubleClick, true},
        {QSystemTrayIcon::Context, true},
    };
    for (const Case& c : cases) {
        GuiHarness h;
        CloseToTray(h);
        EXPECT_EQ(h.window->tray().szTip(), "Vantrelix v3.0");
        h.window->notificationArea().Activate(c.reason);
        const bool open = h.window->popupMenu() && h.window->popupMenu()->isVisible();
        EXPECT_EQ(open, c.opens) << c.reason;
    }
}

TEST(TrayIcon, ExitAnsweredOkEndsTheProgramAndCancelKeepsItInTheTray) {
    for (const bool confirm : {true, false}) {
        GuiHarness h;
        CloseToTray(h);
        bool ended = false;
        h.window->endProgram = [&] { ended = true; };
        h.window->notificationArea().Activate(QSystemTrayIcon::DoubleClick);
        auto* menu = h.window->popupMenu();
        ASSERT_NE(menu, nullptr);
        h.answers.push_back(confirm);
        QTest::mouseClick(menu->findChild<QWidget*>("MenuExit"), Qt::LeftButton);
        ASSERT_EQ(h.messages.size(), 1u);
        EXPECT_EQ(h.messages[0], MessageOfKind(kCloseConfirmation));
        EXPECT_EQ(ended, confirm);
        EXPECT_EQ(h.window->tray().bRunningInTray(), !confirm);
        EXPECT_EQ(h.window->isVisible(), confirm) << "Cancel hides the main window again";
        if (!confirm) {
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

TEST(TrayIcon, WithoutANotificationAreaClosingMinimisesTheWindow) {
    GuiHarness h;
    h.window->notificationArea().available = false;
    GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
    EXPECT_TRUE(h.window->isMinimized());
    EXPECT_FALSE(h.window->tray().bRunningInTray());
}

} // namespace
} // namespace vx
