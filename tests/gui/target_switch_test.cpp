// A click on the target's name in the title strip offers the Wine prefixes on the machine; choosing one
// makes the program work on it instead, and this window ends.
#include "gui/click_label.h"
#include "gui/prefix_picker.h"
#include "gui_harness.h"
#include "support/fixture_home.h"
#include "ui/scoped_env.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vx {
namespace {

namespace fs = std::filesystem;
using test::GuiHarness;

TEST(TargetSwitch, TheTargetsNameOpensThePrefixPickerAndTheChosenPrefixBecomesTheTarget) {
    enum class Act { OpenBottle, Cancel, WhileARunIsAtWork };
    for (const Act act : {Act::OpenBottle, Act::Cancel, Act::WhileARunIsAtWork}) {
        SCOPED_TRACE(static_cast<int>(act));
        GuiHarness h;
        test::TempDir homeDir;
        test::FixtureHome home(homeDir.path());
        home.Prefix(".wine");
        const fs::path bottle = home.Bottle("Games", "My Games");
        const test::ScopedEnv homeEnv("HOME", homeDir.path().string());
        const test::ScopedEnv noPrefix("WINEPREFIX", std::nullopt);
        std::vector<std::string> switched;
        bool ended = false;
        h.window->switchTarget = [&](const std::string& folder) {
            switched.push_back(folder);
            return true;
        };
        h.window->endProgram = [&] { ended = true; };

        auto* name = h.Find<gui::ClickLabel>("lblTarget");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->toolTip().toStdString().substr(0, name->toolTip().indexOf('\n')),
                  h.app->target().Describe());
        std::vector<std::string> listed;
        bool pickerOpened = false;
        h.WhenModalOpens([&](QWidget* modal) {
            auto* picker = qobject_cast<gui::PrefixPickerDialog*>(modal);
            ASSERT_NE(picker, nullptr);
            pickerOpened = true;
            auto* list = picker->findChild<QTreeWidget*>("lstPrefixes");
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                listed.push_back(list->topLevelItem(i)->text(2).toStdString());
            if (act == Act::Cancel) {
                QTest::keyClick(picker, Qt::Key_Escape);
                return;
            }
            list->setCurrentItem(list->findItems("My Games", Qt::MatchExactly).value(0));
            QTest::mouseClick(picker->findChild<QPushButton*>("cmdOpen"), Qt::LeftButton);
        });
        std::optional<RunTurn> run;
        if (act == Act::WhileARunIsAtWork)
            run.emplace(*h.app);
        GuiHarness::HoverAndClick(name);
        QTest::qWait(act == Act::WhileARunIsAtWork ? 100 : 0);

        EXPECT_EQ(pickerOpened, act != Act::WhileARunIsAtWork);
        if (act != Act::WhileARunIsAtWork)
            EXPECT_EQ(listed,
                      (std::vector<std::string>{(homeDir.path() / ".wine").string(), bottle.string()}));
        EXPECT_EQ(switched, act == Act::OpenBottle ? std::vector<std::string>{bottle.string()}
                                                   : std::vector<std::string>{});
        EXPECT_EQ(ended, act == Act::OpenBottle);
        for (QTimer* poll : h.polls)
            poll->stop();
    }
}

} // namespace
} // namespace vx
