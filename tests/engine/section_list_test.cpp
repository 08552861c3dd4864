// The section check-list: rows, saved marks and the select-all box.
#include "engine/section_list.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FixturePrefix;
using test::TestApp;

std::vector<std::string> Texts(App& app) {
    std::vector<std::string> out;
    for (const auto& row : app.main().lvwRegistryvaluesScan.rows)
        out.push_back(row.text);
    return out;
}

class SectionListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics().Drive('D', "hd").Drive('E', "cdrom");
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        LoadlvwRegistryvaluesScanValues(**app);
    }
    MainWindowModel& main() { return (*app)->main(); }
    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
};

TEST_F(SectionListTest, OneRowPerSectionAndPerFixedDriveAllCheckedAtFirstStart) {
    EXPECT_EQ(Texts(**app),
              (std::vector<std::string>{"Registry Integrity", "Custom Controls", "Sub Section Controls",
                                        "Software Locations", "Help Files", "Shared Files", "Windows Startup",
                                        "Uninstall Section", "Virtual Devices", "Windows Fonts",
                                        "Configuration files", "Window Shortcut C", "Window Shortcut D"}));
    for (const auto& row : main().lvwRegistryvaluesScan.rows)
        EXPECT_TRUE(row.checked) << row.text;
    EXPECT_EQ(main().lvwRegistryvaluesScan.rows.back().icon, 12);
}

TEST_F(SectionListTest, SavedMarksComeBackAndUnreadableOnesAreUnchecked) {
    (*app)->SaveSetting("help files", "False");
    (*app)->SaveSetting("Windows Fonts", "maybe");
    LoadlvwRegistryvaluesScanValues(**app);
    EXPECT_FALSE(main().lvwRegistryvaluesScan.rows[4].checked);
    EXPECT_FALSE(main().lvwRegistryvaluesScan.rows[9].checked);
    EXPECT_TRUE(main().lvwRegistryvaluesScan.rows[5].checked);
}

TEST_F(SectionListTest, ClickingRowsKeepsTheSelectAllBoxInStep) {
    auto& saves = app->settings.saves;
    main().chkSelectlistviewItems = 1;
    lvwRegistryvaluesScan_ItemClick(**app, 0);
    EXPECT_FALSE(main().lvwRegistryvaluesScan.rows[0].checked);
    EXPECT_EQ(main().chkSelectlistviewItems, 2);
    EXPECT_EQ((*app)->GetSetting("Registry Integrity", ""), "False");
    EXPECT_EQ((*app)->GetSetting("chkSelectlistviewItems", ""), "1") << "a grayed box is saved as 1";

    saves.clear();
    lvwRegistryvaluesScan_ItemClick(**app, 0);
    EXPECT_EQ(main().chkSelectlistviewItems, 1);
    EXPECT_EQ(saves.front(), (std::pair<std::string, std::string>{"chkSelectlistviewItems", "1"}));
    for (const auto& row : main().lvwRegistryvaluesScan.rows)
        EXPECT_TRUE(row.checked);

    for (size_t i = 0; i < main().lvwRegistryvaluesScan.rows.size(); ++i)
        lvwRegistryvaluesScan_ItemClick(**app, static_cast<int>(i));
    EXPECT_EQ(main().chkSelectlistviewItems, 0);
    EXPECT_EQ((*app)->GetSetting("chkSelectlistviewItems", ""), "0");
}

TEST_F(SectionListTest, TheSelectAllBoxChecksOrClearsEveryRow) {
    for (const int state : {0, 1}) {
        main().chkSelectlistviewItems = state;
        chkSelectlistviewItems_Click(**app);
        for (const auto& row : main().lvwRegistryvaluesScan.rows) {
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
