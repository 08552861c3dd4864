// Hover highlights on the real windows: none stays once the pointer has left the window, or once a modal
// dialog over it has closed.
#include "gui_harness.h"

#include "gui/backup_manager_dialog.h"
#include "gui/image_button.h"
#include "gui/message_box_dialog.h"
#include "gui/notification_dialog.h"
#include "gui/settings_dialog.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

void Hover(QWidget* widget) {
    QTest::mouseMove(widget, widget->rect().center());
    QMouseEvent move(QEvent::MouseMove, QPointF(widget->rect().center()),
                     widget->mapToGlobal(QPointF(widget->rect().center())), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void PointerLeaves(QWidget* window) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window, &leave);
}

TEST(HoverReset, ThePointerLeavingAWindowPutsItsButtonsBackToPlain) {
    GuiHarness h;
    gui::MessageBoxDialog box(h.window.get(), "?", true);
    gui::NotificationDialog notice(h.window.get(), *h.app, "Vantrelix v3.0", "!");
    gui::SettingsDialog settings(h.window.get(), *h.context);
    gui::BackupManagerDialog backups(h.window.get(), *h.context);
    const std::pair<QWidget*, const char*> cases[] = {
        {h.window.get(), "ImgScanNowNormal"},
        {h.window.get(), "imgCloseNormal"},
        {&box, "ImgCancelNormal"},
        {&notice, "ImgOKNormal"},
        {&settings, "cmdOKNormal"},
        {&backups, "ImgDeleteNormal"},
    };
    for (const auto& [window, name] : cases) {
        window->show();
        auto* button = window->findChild<gui::ImageButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        Hover(button);
        ASSERT_TRUE(button->highlighted()) << name;
        PointerLeaves(window);
        EXPECT_FALSE(button->highlighted()) << name;
        if (window != h.window.get())
            window->hide();
    }
}

TEST(HoverReset, ThePointerLeavingTheMenuPutsItsItemsBackToPlain) {
    GuiHarness h;
    h.window->notificationArea().forcedAvailable = true;
    h.app->SaveSetting("chkDoNotShowInFuture", "1");
    GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
    h.window->notificationArea().Activate(QSystemTrayIcon::Context);
    gui::PopupMenuWindow* menu = h.window->popupMenu();
    ASSERT_NE(menu, nullptr);
    auto* exit = menu->findChild<QLabel*>("MenuExit");
    Hover(exit);
    ASSERT_TRUE(exit->font().bold());
    PointerLeaves(menu);
    EXPECT_FALSE(exit->font().bold());
    EXPECT_FALSE(exit->font().underline());
}

// Cancel pressed during a scan, its question answered No: the scan goes on, and the Cancel button is
// plain again once the box has closed.
TEST(HoverReset, AButtonThatOpenedAModalBoxIsPlainOnceItCloses) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    auto& main = h.window->rules().model();
    bool pressed = false;
    bool plainAfterTheBox = false;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        if (pressed || h.window->rules().engine().findings().lvwErrors.empty() || main.ImgScanNowNormal)
            return;
        pressed = true;
        h.answers.push_back(false);
        auto* cancel = h.window->findChild<gui::ImageButton*>("ImgScanCancelNormal");
        GuiHarness::HoverAndClick(cancel);
        plainAfterTheBox = !cancel->highlighted();
    };
    GuiHarness::ClickAndWait(h.Find("ImgScanNowNormal"));
    h.frontEnd.render = render;
    ASSERT_TRUE(pressed);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_FALSE(h.window->rules().engine().run().Cancelled());
    EXPECT_TRUE(plainAfterTheBox);
}

} // namespace
} // namespace vx
