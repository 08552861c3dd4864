// The keyboard on the main window: the focus follows the panel in front, a covered panel takes no key,
// every control shows its focus, Escape cancels a scan.
#include "gui_harness.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

void Activate(QWidget* window) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// The names of the controls Tab reaches, from wherever the focus is, once round.
std::vector<QString> TabRound(QWidget* window) {
    std::vector<QString> reached;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Tab);
        const QString name = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "";
        if (std::find(reached.begin(), reached.end(), name) != reached.end())
            break;
        reached.push_back(name);
    }
    return reached;
}

// Enter on Scan Now: the results show with the focus on their first control, Tab never reaches the start
// panel under them, and a second Enter opens nothing there (not Settings, not Repair).
TEST(KeyboardFocus, APanelThatComesInFrontTakesTheFocusAndTheOneBelowNoKey) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    Activate(h.window.get());
    QWidget* scanNow = h.Find("ImgScanNowNormal");
    scanNow->setFocus(Qt::TabFocusReason);
    QString focusDuringScan;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        if (!h.window->rules().model().ImgScanNowNormal && QApplication::focusWidget())
            focusDuringScan = QApplication::focusWidget()->objectName();
    };
    QTest::keyClick(scanNow, Qt::Key_Return);
    QApplication::processEvents();
    h.frontEnd.render = render;
    EXPECT_EQ(focusDuringScan, "ImgScanCancelNormal");
    ASSERT_TRUE(h.Find("PicResults")->isVisible());
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "lvwRegistryProblems");

    const std::vector<QString> startPanel{"chkSelectlistviewItems", "lvwRegistryvaluesScan",
                                          "ImgScanNowNormal", "ImgSettingsNormal", "imgRestoreNormal"};
    for (const QString& name : TabRound(h.window.get()))
        EXPECT_EQ(std::find(startPanel.begin(), startPanel.end(), name), startPanel.end())
            << name.toStdString() << " took the focus under the results";

    bool dialogOpened = false;
    h.WhenModalOpens([&](QWidget* dialog) {
        dialogOpened = true;
        dialog->close();
    });
    h.Find("lvwRegistryProblems")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(dialogOpened);
    EXPECT_TRUE(h.Find("PicResults")->isVisible());

    // Return: the start panel takes the keys again.
    GuiHarness::HoverAndClick(h.Find("ImgReturnNormal"));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "chkSelectlistviewItems");
    const std::vector<QString> round = TabRound(h.window.get());
    EXPECT_NE(std::find(round.begin(), round.end(), "ImgScanNowNormal"), round.end());
    EXPECT_EQ(std::find(round.begin(), round.end(), "ImgRepairNormal"), round.end());
}

TEST(KeyboardFocus, EscapeDuringAScanIsItsCancel) {
    GuiHarness h;
    h.frontEnd.pumpEvery = std::chrono::nanoseconds(0);
    Activate(h.window.get());
    bool pressed = false;
    const auto render = h.frontEnd.render;
    h.frontEnd.render = [&] {
        render();
        if (h.window->rules().model().ImgScanNowNormal || pressed)
            return;
        pressed = true;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // a question, if any, is answered OK
    };
    GuiHarness::ClickAndWait(h.Find("ImgScanNowNormal"));
    h.frontEnd.render = render;
    ASSERT_TRUE(pressed);
    EXPECT_TRUE(h.window->rules().engine().run().Cancelled());
    EXPECT_FALSE(h.Find("PicScanning")->isVisible());
    EXPECT_FALSE(h.Find("PicResults")->isVisible()) << "a cancelled scan shows no results";
}

// Every control Tab reaches looks different with the focus than without it.
TEST(KeyboardFocus, EveryFocusableControlShowsItsFocus) {
    GuiHarness h;
    Activate(h.window.get());
    h.window->setFocus();
    int checked = 0;
    for (QWidget* control : h.window->findChildren<QWidget*>()) {
        if (!(control->focusPolicy() & Qt::TabFocus) || !control->isVisible() || !control->isEnabled())
            continue;
        h.window->setFocus();
        QApplication::processEvents();
        const QImage without = control->grab().toImage();
        control->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(control->hasFocus()) << control->objectName().toStdString();
        EXPECT_NE(control->grab().toImage(), without) << control->objectName().toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 5);
}

} // namespace
} // namespace vx
