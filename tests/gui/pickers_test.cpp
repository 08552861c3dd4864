// The desktop's pickers opened from the settings dialog: readable (none of the program's dark style sheet
// reaches them) and starting where the text box says.
#include "gui_harness.h"

#include "gui/settings_dialog.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

TEST(Pickers, TheFolderPickerStartsAtTheBoxsFolderWithoutTheProgramsStyleSheet) {
    GuiHarness h;
    gui::DialogPickers desktop;
    gui::GuiContext context{*h.app, h.startup, desktop};
    gui::SettingsDialog settings(h.window.get(), context);
    settings.show();
    const auto reports = h.home.path() / "reports";
    std::filesystem::create_directories(reports);
    auto* box = settings.findChild<QLineEdit*>("txtLogFile");
    box->selectAll();
    QTest::keyClicks(box, QString::fromStdString(" " + reports.string()));

    bool opened = false;
    // The settings dialog is modal itself: the picker is told by its class.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QFileDialog* picker = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible())
                picker = dialog;
        if (!picker)
            return;
        poll.stop();
        opened = true;
        EXPECT_EQ(picker->windowTitle().toStdString(), "Choose directory...");
        EXPECT_EQ(picker->directory().absolutePath().toStdString(), reports.string());
        EXPECT_TRUE(qApp->styleSheet().isEmpty());
        for (QWidget* w = picker; w; w = w->parentWidget())
            EXPECT_TRUE(w->styleSheet().isEmpty()) << w->objectName().toStdString();
        picker->reject();
    });
    poll.start(5);
    GuiHarness::HoverAndClick(settings.findChild<QWidget*>("cmdBrowseNormal"));
    EXPECT_TRUE(opened);
    EXPECT_EQ(box->text().toStdString(), " " + reports.string()) << "a cancelled picker changes nothing";
}

} // namespace
} // namespace vx
