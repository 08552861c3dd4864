// The windows on the screen: inside its available area, dialogs centred on the window that owns them.
#include "gui_harness.h"

#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

TEST(WindowPlacementOnScreen, TheMainWindowShowsInsideTheScreenAndDialogsCentredOnIt) {
    GuiHarness h;
    const QRect available = h.window->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(h.window->frameGeometry())) << "placed at its first showing";

    // Hidden to the tray after a drag half off the screen, shown again: back inside.
    h.window->hide();
    h.window->move(available.right() - 100, available.bottom() - 50);
    h.window->show();
    EXPECT_TRUE(available.contains(h.window->frameGeometry()));

    h.window->move(available.left() + 20, available.top() + 10);
    QRect dialogAt;
    h.WhenModalOpens([&](QWidget* dialog) {
        dialogAt = dialog->frameGeometry();
        dialog->close();
    });
    GuiHarness::HoverAndClick(h.Find("imgRestoreNormal"));
    ASSERT_FALSE(dialogAt.isNull());
    EXPECT_LE((dialogAt.center() - h.window->frameGeometry().center()).manhattanLength(), 2)
        << "the backup manager is centred on the main window";
    EXPECT_TRUE(available.contains(dialogAt));
}

} // namespace
} // namespace vx
