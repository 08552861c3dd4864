// The section check-list: rows, saved marks and the select-all box.
#include "engine/section_list.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::EngineOf;

using test::FixturePrefix;
using test::TestApp;

std::vector<std::string> Texts(App& app) {
    std::vector<std::string> out;
    for (const auto& row : EngineOf(app).checkList().rows)
        out.push_back(row.text);
    return out;
}

class SectionListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics().Drive('D', "hd").Drive('E', "cdrom");
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        LoadlvwRegistryvaluesScanValues(app->engine());
    }
    CheckList& list() { return app->engine().checkList(); }
    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
};

TEST_F(SectionListTest, OneRowPerSectionAndPerFixedDriveAllCheckedAtFirstStart) {
    EXPECT_EQ(Texts(**app),
              (std::vector<std::string>{"Registry Integrity", "Custom Controls", "Sub Section Controls",
                                        "Software Locations", "Help Files", "Shared Files", "Windows Startup",
                                        "Uninstall Section", "Virtual Devices", "Windows Fonts",
                                        "Configuration files", "Window Shortcut C", "Window Shortcut D"}));
    for (const auto& row : list().rows)
        EXPECT_TRUE(row.checked) << row.text;
    EXPECT_EQ(list().rows.back().icon, 12);
}

TEST_F(SectionListTest, SavedMarksComeBackAndUnreadableOnesAreUnchecked) {
    (*app)->SaveSetting("help files", "False");
    (*app)->SaveSetting("Windows Fonts", "maybe");
    LoadlvwRegistryvaluesScanValues(app->engine());
    EXPECT_FALSE(list().rows[4].checked);
    EXPECT_FALSE(list().rows[9].checked);
    EXPECT_TRUE(list().rows[5].checked);
}

TEST_F(SectionListTest, ClickingRowsKeepsTheSelectAllBoxInStep) {
    auto& saves = app->settings.saves;
    list().chkSelectlistviewItems = 1;
    lvwRegistryvaluesScan_ItemClick(app->engine(), 0);
    EXPECT_FALSE(list().rows[0].checked);
    EXPECT_EQ(list().chkSelectlistviewItems, 2);
    EXPECT_EQ((*app)->GetSetting("Registry Integrity", ""), "False");
    EXPECT_EQ((*app)->GetSetting("chkSelectlistviewItems", ""), "1") << "a grayed box is saved as 1";

    saves.clear();
    lvwRegistryvaluesScan_ItemClick(app->engine(), 0);
    EXPECT_EQ(list().chkSelectlistviewItems, 1);
    EXPECT_EQ(saves.front(), (std::pair<std::string, std::string>{"chkSelectlistviewItems", "1"}));
    for (const auto& row : list().rows)
        EXPECT_TRUE(row.checked);

    for (size_t i = 0; i < list().rows.size(); ++i)
        lvwRegistryvaluesScan_ItemClick(app->engine(), static_cast<int>(i));
    EXPECT_EQ(list().chkSelectlistviewItems, 0);
    EXPECT_EQ((*app)->GetSetting("chkSelectlistviewItems", ""), "0");
}

TEST_F(SectionListTest, TheSelectAllBoxChecksOrClearsEveryRow) {
    for (const int state : {0, 1}) {
        list().chkSelectlistviewItems = state;
        chkSelectlistviewItems_Click(app->engine());
        for (const auto& row : list().rows) {
            EXPECT_EQ(row.checked, state == 1) << row.text;
            EXPECT_EQ((*app)->GetSetting(row.text, ""), state == 1 ? "True" : "False");
        }
    }
}

TEST(SectionList, DriveOfRow) {
    EXPECT_EQ(DriveOfRow("Window Shortcut D"), "D");
    EXPECT_EQ(DriveOfRow("  window shortcut e "), "E");
    EXPECT_EQ(DriveOfRow("Help Files"), "");
}

} // namespace
} // namespace vx
