// The model's change numbers: what a front end that looked at revision r is told changed since.
#include "app/revised_list.h"
#include "ui/main_window_model.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using Kind = ListChange::Kind;

TEST(RevisedList, TellsWhatChangedSinceARevisionSeenMidRun) {
    RevisedList<int> list;
    for (int i = 0; i < 5; ++i)
        list.push_back(i); // a scan appending findings
    const uint64_t seenAfterTwo = 2;
    struct Case {
        uint64_t seen;
        std::vector<ListChange> expected;
    };
    list.erase(0); // a repair removing from the front
    list.erase(0);
    list.Edit(1) = 40;
    for (const auto& c : std::vector<Case>{
             {0, {{Kind::Inserted, 0, 5}, {Kind::Removed, 0, 2}, {Kind::Updated, 1, 1}}},
             {seenAfterTwo, {{Kind::Inserted, 2, 3}, {Kind::Removed, 0, 2}, {Kind::Updated, 1, 1}}},
             {6, {{Kind::Removed, 0, 1}, {Kind::Updated, 1, 1}}},
             {list.Revision(), {}},
         }) {
        const auto changes = list.ChangesSince(c.seen);
        ASSERT_TRUE(changes) << c.seen;
        EXPECT_EQ(*changes, c.expected) << c.seen;
    }
    EXPECT_EQ(list.items(), (std::vector<int>{2, 40, 4}));
}

TEST(RevisedList, AReplacedOrLongChangedListIsRedrawnWhole) {
    RevisedList<int> list;
    list.push_back(1);
    const uint64_t before = list.Revision();
    list = std::vector<int>{7, 8};
    EXPECT_FALSE(list.ChangesSince(before));
    EXPECT_TRUE(list.ChangesSince(list.Revision())->empty());

    const uint64_t seen = list.Revision();
    for (int i = 0; i < 1000; ++i)
        list.Edit(i % 2) = i; // changes that do not run together fill the log
    EXPECT_FALSE(list.ChangesSince(seen));
    EXPECT_FALSE(list.ChangesSince(list.Revision() + 1)) << "a revision from the future";
}

TEST(MainWindowModel, AGroupsRevisionMovesOnlyWhenOneOfItsFieldsChanged) {
    MainWindowModel model;
    using Group = MainWindowModel::FieldGroup;
    const uint64_t labels = model.Revision(Group::Labels);
    const uint64_t progress = model.Revision(Group::Progress);
    EXPECT_EQ(model.Revision(Group::Labels), labels);
    model.PicProgress = 40;
    EXPECT_EQ(model.Revision(Group::Labels), labels);
    EXPECT_NE(model.Revision(Group::Progress), progress);
    model.lblStatus = " Fonts ...";
    EXPECT_NE(model.Revision(Group::Labels), labels);
    const uint64_t panels = model.Revision(Group::PanelsAndButtons);
    model.PicResults = true;
    EXPECT_NE(model.Revision(Group::PanelsAndButtons), panels);
}

} // namespace
} // namespace vx
