// The target picker lists the Wine prefixes found on the machine and still lets any folder be chosen.
#include "gui/prefix_picker.h"
#include "gui_harness.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vx {
namespace {

const std::vector<FoundPrefix> kPrefixes = {
    {"/home/u/.wine", PrefixSource::Wine, ".wine", Installed::Unknown},
    {"/home/u/.local/share/Steam/steamapps/compatdata/620/pfx", PrefixSource::Steam, "Portal 2",
     Installed::Yes},
};

TEST(PrefixPicker, ListsThePrefixesAndGivesTheOneChosen) {
    enum class Act { OpenSecond, DoubleClickSecond, OtherFolder, OtherFolderCancelledThenCancel, Cancel };
    struct Case {
        Act act;
        std::string folderAnswer;
        std::string chosen;
    };
    const std::vector<Case> cases = {
        {Act::OpenSecond, "", kPrefixes[1].path.string()},
        {Act::DoubleClickSecond, "", kPrefixes[1].path.string()},
        {Act::OtherFolder, "/mnt/windows", "/mnt/windows"},
        {Act::OtherFolderCancelledThenCancel, "", ""},
        {Act::Cancel, "", ""},
    };
    for (const auto& c : cases) {
        test::ScriptedPickers pickers;
        pickers.answers.push_back(c.folderAnswer);
        gui::PrefixPickerDialog dialog(nullptr, kPrefixes, pickers);
        auto* list = dialog.findChild<QTreeWidget*>("lstPrefixes");
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(1)->text(0).toStdString(), "Portal 2");
        EXPECT_EQ(list->topLevelItem(1)->text(1).toStdString(), "steam");
        QTimer::singleShot(0, &dialog, [&] {
            QTreeWidgetItem* second = list->topLevelItem(1);
            switch (c.act) {
            case Act::OpenSecond:
                list->setCurrentItem(second);
                QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOpen"), Qt::LeftButton);
                break;
            case Act::DoubleClickSecond:
                list->setCurrentItem(second);
                emit list->itemActivated(second, 0);
                break;
            case Act::OtherFolder:
                QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOtherFolder"), Qt::LeftButton);
                break;
            case Act::OtherFolderCancelledThenCancel:
                QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOtherFolder"), Qt::LeftButton);
                EXPECT_TRUE(dialog.isVisible()); // back to the list
                QTest::mouseClick(dialog.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
                break;
            case Act::Cancel:
                QTest::keyClick(&dialog, Qt::Key_Escape);
                break;
            }
        });
        const bool accepted = dialog.exec() == QDialog::Accepted;
        EXPECT_EQ(accepted, !c.chosen.empty()) << static_cast<int>(c.act);
        EXPECT_EQ(accepted ? dialog.chosen() : std::string(), c.chosen) << static_cast<int>(c.act);
    }
}

} // namespace
} // namespace vx
