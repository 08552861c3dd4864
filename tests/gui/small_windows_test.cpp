// The message box, the splash and the keyboard on the real widgets.
#include "app/message_box.h"
#include "gui/message_box_dialog.h"
#include "gui/splash_window.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(MessageBoxWindow, EachKindShowsItsMessageAndButtonsWhereTheyBelong) {
    struct Case {
        std::string_view kind;
        bool cancelShown;
        int okLeft; // pixels: twips / 15
    };
    const Case cases[] = {
        {kFilesRepaired, false, 2565 / 15},
        {kCloseConfirmation, true, 1395 / 15},
        {kCancelScanning, true, 1395 / 15},
        {kDeleteBackupFile, true, 1395 / 15},
    };
    for (const Case& c : cases) {
        gui::MessageBoxDialog box(nullptr, MessageOfKind(c.kind), KindHasCancel(c.kind));
        box.show();
        EXPECT_EQ(box.width(), 6720 / 15) << c.kind;
        EXPECT_EQ(box.findChild<QLabel*>("lblMessage")->text().toStdString(), MessageOfKind(c.kind)) << c.kind;
        QWidget* ok = box.findChild<QWidget*>("ImgOKNormal");
        QWidget* cancel = box.findChild<QWidget*>("ImgCancelNormal");
        EXPECT_EQ(ok->x(), c.okLeft) << c.kind;
        EXPECT_EQ(ok->width(), 1800 / 15) << c.kind;
        EXPECT_EQ(cancel->isVisible(), c.cancelShown) << c.kind;
        if (c.cancelShown)
            EXPECT_EQ(cancel->x(), 3450 / 15) << c.kind;
    }
}

TEST(MessageBoxWindow, TheKeyboardAnswersEnterOnAButtonAndEscapeAsCancel) {
    struct Case {
        bool withCancel;
        const char* focus; // the button Enter is pressed on; null: Escape
        int result;
    };
    const Case cases[] = {
        {true, "ImgOKNormal", QDialog::Accepted},
        {true, "ImgCancelNormal", QDialog::Rejected},
        {true, nullptr, QDialog::Rejected},
        {false, nullptr, QDialog::Accepted}, // an information box has only OK
    };
    for (const Case& c : cases) {
        gui::MessageBoxDialog box(nullptr, "?", c.withCancel);
        QTimer::singleShot(0, &box, [&] {
            if (c.focus)
                QTest::keyClick(box.findChild<QWidget*>(c.focus), Qt::Key_Return);
            else
                QTest::keyClick(&box, Qt::Key_Escape);
        });
        EXPECT_EQ(box.exec(), c.result) << (c.focus ? c.focus : "Escape");
    }
}

TEST(MessageBoxWindow, ALongMessageGrowsTheBoxAndScrollsNothingIsCut) {
    std::string lines = "Some records could not be written back; their backup files were kept:";
    for (int i = 1; i <= 60; ++i)
        lines += "\nBackUp 10-12-26 16-59-54, line " + std::to_string(i) + ": cannot write HKEY_LOCAL_MACHINE";
    const std::pair<std::string, bool> cases[] = {{MessageOfKind(kFilesRepaired), false}, {lines, true}};
    for (const auto& [message, scrolls] : cases) {
        gui::MessageBoxDialog box(nullptr, message, false);
        box.show();
        QApplication::processEvents();
        auto* label = box.findChild<QLabel*>("lblMessage");
        auto* area = box.findChild<QScrollArea*>("lblMessageArea");
        EXPECT_EQ(label->text().toStdString(), message);
        EXPECT_EQ(area->verticalScrollBar()->maximum() > 0, scrolls) << message.substr(0, 20);
        EXPECT_LE(box.height(), 700);
        QWidget* ok = box.findChild<QWidget*>("ImgOKNormal");
        EXPECT_GE(ok->y(), area->geometry().bottom()) << "the button stays below the text";
    }
}

TEST(SplashWindowTest, ShowsTheBusyPointerForTwoSecondsThenTheMainWindow) {
    bool mainShown = false;
    gui::SplashWindow splash([&] { mainShown = true; });
    splash.Start();
    EXPECT_TRUE(splash.isVisible());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(splash.findChild<QTimer*>("tmrUnload")->interval(), 2000);
    EXPECT_FALSE(mainShown);
    for (int waited = 0; !mainShown && waited < 10000; waited += 10)
        QTest::qWait(10);
    EXPECT_TRUE(mainShown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(splash.isVisible());
}

} // namespace
} // namespace vx
