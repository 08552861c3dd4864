// What a screen reader finds on the real windows, through Qt's accessibility interfaces.
#include "gui_harness.h"

#include "gui/image_button.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

QAccessibleInterface* Accessible(QWidget* widget) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(iface, nullptr) << widget->objectName().toStdString();
    return iface;
}

bool Pressable(QAccessibleInterface* iface) {
    return iface->actionInterface() &&
           iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction());
}

TEST(Accessibility, EveryImageButtonIsANamedButtonWithAPressAction) {
    GuiHarness h;
    const auto buttons = h.window->findChildren<gui::ImageButton*>();
    ASSERT_GE(buttons.size(), 12);
    for (gui::ImageButton* button : buttons) {
        QAccessibleInterface* iface = Accessible(button);
        const std::string name = iface->text(QAccessible::Name).toStdString();
        EXPECT_EQ(iface->role(), QAccessible::Button) << name;
        EXPECT_FALSE(name.empty()) << button->objectName().toStdString();
        EXPECT_EQ(name.find("Normal"), std::string::npos) << "a name for people, not the control's";
        EXPECT_TRUE(Pressable(iface)) << name;
    }
    // Pressing Settings opens the settings dialog, as a click does.
    bool opened = false;
    h.WhenModalOpens([&](QWidget* dialog) {
        opened = dialog->objectName() == "frmSetings";
        dialog->close();
    });
    Accessible(h.Find("ImgSettingsNormal"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(opened);
}

TEST(Accessibility, TheListsAreNamedAndTheirRowsReachable) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    GuiHarness::ClickAndWait(h.Find("ImgScanNowNormal"));
    ASSERT_TRUE(h.Find("PicResults")->isVisible());
    const auto& main = h.window->rules().model();
    const std::pair<const char*, std::string> lists[] = {
        {"lvwRegistryvaluesScan", main.lvwRegistryvaluesScan.rows[0].text},
        {"lvwRegistryProblems", main.lvwRegistryProblems.rows[0].text},
    };
    for (const auto& [name, firstRow] : lists) {
        QAccessibleInterface* list = Accessible(h.Find(name));
        EXPECT_FALSE(list->text(QAccessible::Name).isEmpty()) << name;
        bool found = false;
        for (int i = 0; i < list->childCount() && !found; ++i)
            found = list->child(i)->text(QAccessible::Name).toStdString() == firstRow;
        EXPECT_TRUE(found) << name << ": " << firstRow;
    }
}

TEST(Accessibility, TheMenuItemsAreNamedMenuItemsThatCanBePressed) {
    GuiHarness h;
    h.window->notificationArea().forcedAvailable = true;
    h.app->SaveSetting("chkDoNotShowInFuture", "1");
    GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
    h.window->notificationArea().Activate(QSystemTrayIcon::Context);
    gui::PopupMenuWindow* menu = h.window->popupMenu();
    ASSERT_NE(menu, nullptr);
    for (const auto& [name, text] : {std::pair{"MenuRestore", "Maximize"}, std::pair{"MenuScan", "Scan Now"},
                                     std::pair{"MenuSettings", "Settings"}, std::pair{"MenuExit", "Exit"}}) {
        QAccessibleInterface* item = Accessible(menu->findChild<QWidget*>(name));
        EXPECT_EQ(item->role(), QAccessible::MenuItem) << name;
        EXPECT_EQ(item->text(QAccessible::Name).toStdString(), text);
        EXPECT_TRUE(Pressable(item)) << name;
    }
    Accessible(menu->findChild<QWidget*>("MenuRestore"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(h.window->isVisible()) << "Maximize pressed brings the window back";
}

} // namespace
} // namespace vx
