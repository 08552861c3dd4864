// Renders every window and every panel state on the display-less platform, from the demo prefix, into
// PNG files, so that anyone can look at them. Usage: gui_screenshots OUTPUT-DIR
#include "../gui_harness.h"

#include "app/message_box.h"
#include "gui/message_box_dialog.h"
#include "gui/notification_dialog.h"
#include "gui/popup_menu_window.h"
#include "gui/splash_window.h"
#include "ui/notification.h"

#include <QApplication>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <iostream>

namespace {

using vx::test::GuiHarness;

std::filesystem::path out;

void Save(QWidget* widget, const std::string& name) {
    QApplication::processEvents();
    const auto file = out / (name + ".png");
    if (!widget->grab().save(QString::fromStdString(file.string())))
        std::cerr << "cannot write " << file << "\n";
    else
        std::cout << file.string() << "\n";
}

void ClickRow(QTreeView* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(row, 0)).center());
}

void MainWindowStates() {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    auto& main = h.window->rules().model();
    // Hovering Scan Now lights its description.
    QTest::mouseMove(h.Find("ImgScanNowNormal"));
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), QPointF(20, 20), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(h.Find("ImgScanNowNormal"), &move);
    Save(h.window.get(), "01-start");

    bool scanningSaved = false;
    bool repairSaved = false;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        if (!scanningSaved && main.PicScanning &&
            h.window->rules().engine().findings().lvwErrors.size() >= 3) {
            scanningSaved = true;
            main.PicBug = true;
            render();
            Save(h.window.get(), "02-scanning");
        }
        if (!repairSaved && main.lblDeletingCourrutpfils && main.ImgDeleteProgressInside > 10) {
            repairSaved = true;
            Save(h.window.get(), "04-repair-progress");
        }
    };
    GuiHarness::ClickAndWait(h.Find("ImgScanNowNormal"));
    auto* summary = h.Find<QTreeView>("lvwRegistryProblems");
    ClickRow(summary, 0);
    Save(h.window.get(), "03-results-with-details");
    GuiHarness::ClickAndWait(h.Find("ImgRepairNormal"));

    h.WhenModalOpens([](QWidget* dialog) {
        auto* list = dialog->findChild<QTreeWidget*>("lvwBackUp");
        if (list->topLevelItemCount() > 0)
            list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        Save(dialog, "10-backup-manager");
        dialog->close();
    });
    GuiHarness::HoverAndClick(h.Find("imgRestoreNormal"));

    h.WhenModalOpens([](QWidget* dialog) {
        Save(dialog, "09-settings");
        dialog->close();
    });
    GuiHarness::HoverAndClick(h.Find("ImgSettingsNormal"));

    vx::gui::NotificationDialog notice(
        h.window.get(), *h.app, "Vantrelix v3.0",
        QString::fromUtf8(vx::kNotificationMessage.data(),
                          static_cast<qsizetype>(vx::kNotificationMessage.size())));
    notice.show();
    Save(&notice, "08-notice");
}

void MessageBoxes() {
    const std::pair<std::string_view, const char*> kinds[] = {
        {vx::kFilesRepaired, "05-message-files-repaired"},
        {vx::kCloseConfirmation, "06-message-close-confermation"},
        {vx::kCancelScanning, "06-message-cancel-scanning"},
        {vx::kDeleteBackupFile, "06-message-delete-backup-file"},
    };
    for (auto [kind, name] : kinds) {
        vx::gui::MessageBoxDialog box(nullptr, vx::MessageOfKind(kind), vx::KindHasCancel(kind));
        box.show();
        Save(&box, name);
    }
}

void LongMessage() {
    std::string lines = "Some records could not be written back; their backup files were kept:";
    for (int i = 1; i <= 30; ++i)
        lines +=
            "\nBackUp 10-12-26 16-59-54, line " + std::to_string(i) + ": cannot write HKEY_LOCAL_MACHINE";
    vx::gui::MessageBoxDialog box(nullptr, lines, false);
    box.show();
    Save(&box, "06-message-restore-failures");
}

void PopupMenu() {
    GuiHarness h;
    h.window->notificationArea().forcedAvailable = true;
    GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
    h.window->notificationArea().Activate(QSystemTrayIcon::DoubleClick);
    vx::gui::PopupMenuWindow* menu = h.window->popupMenu();
    if (!menu)
        return;
    for (int i = 0; i < 3; ++i)
        menu->rules().tmrMenuPopup_Timer();
    Save(menu, "11-menu-rising");
    while (menu->rules().tmrMenuPopup)
        menu->rules().tmrMenuPopup_Timer();
    Save(menu, "12-menu-arrived");
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 10), QPointF(20, 10), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(menu->findChild<QWidget*>("MenuScan"), &move);
    Save(menu, "13-menu-hovered");
}

void HelpPages() {
    for (const char* page : {"reghelp.html", "support.html"}) {
        const std::string file = vx::gui::HelpPageFile(page);
        if (file.empty())
            continue;
        QTextBrowser browser;
        browser.resize(900, 700);
        browser.setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
        browser.show();
        Save(&browser, std::string("14-") + page);
    }
}

void Splash() {
    vx::gui::SplashWindow splash([] {});
    splash.show();
    Save(&splash, "07-splash");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(art);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 2) {
        std::cerr << "usage: gui_screenshots OUTPUT-DIR\n";
        return 2;
    }
    out = argv[1];
    std::filesystem::create_directories(out);
    MainWindowStates();
    MessageBoxes();
    LongMessage();
    PopupMenu();
    HelpPages();
    Splash();
    return 0;
}
