// The summary and detail lists of the results panel.
#include "platform/text.h"
#include "results/results_view.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FixturePrefix;
using test::TestApp;

class ResultsViewTest : public ::testing::Test {
  protected:
    void SetUp() override { app = std::make_unique<TestApp>(prefix.WithWindowsBasics().WriteAndOpen()); }
    App& a() { return **app; }
    void AddProblem(const std::string& section, const std::string& keyValue) {
        ProblemEntry row;
        row.RegistryScanners = section;
        row.KeyValue = keyValue;
        a().main().lvwErrors.push_back(row);
    }
    std::vector<std::string> Texts(const ListView& list) {
        std::vector<std::string> out;
        for (const auto& row : list.rows)
            out.push_back(row.text);
        return out;
    }
    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
};

TEST_F(ResultsViewTest, SummaryWordingPerSection) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ActiveX \\ COM", "Invalid Custom Controls ( 3 Problem(s) )"},
        {"ActiveX \\ COM Subsections", "Invalid Sub Section Controls ( 3 Problem(s) )"},
        {"Application Paths", "Invalid Software Locations ( 3 Problem(s) )"},
        {"Help Files", "Invalid Help Files ( 3 Problem(s) )"},
        {"Microsoft Shared", "Invalid Shared Files ( 3 Problem(s) )"},
        {"Windows Startup", "Invalid Windows Startup Files  ( 3 Problem(s) )"},
        {"Uninstall Section", "Invalid Uninstall Section File  ( 3 Problem(s) )"},
        {"VxD Section", "Invalid Virtual Devices ( 3 Problem(s) )"},
        {"Windows Fonts", "Invalid Windows Fonts (  3 Problem(s) )"},
    };
    for (const auto& [section, text] : cases) {
        a().main().lvwErrors.clear();
        a().main().lvwRegistryProblems.Clear();
        for (int i = 0; i < 3; ++i)
            AddProblem(section, "C:\\x" + std::to_string(i));
        AddProblem(UpperAscii(section), "C:\\other case");
        EXPECT_EQ(TallySection(a(), section), 3) << section;
        EXPECT_EQ(Texts(a().main().lvwRegistryProblems), std::vector<std::string>{text});
    }
}

TEST_F(ResultsViewTest, NoRowForAnEmptySectionOrAnUnknownName) {
    AddProblem("Something Else", "C:\\x");
    EXPECT_EQ(TallySection(a(), "Help Files"), 0);
    EXPECT_EQ(TallySection(a(), "Something Else"), 1);
    EXPECT_TRUE(a().main().lvwRegistryProblems.rows.empty());
}

TEST_F(ResultsViewTest, ClickingASummaryRowListsItsDetails) {
    AddProblem("Help Files", "C:\\a.hlp");
    AddProblem("Windows Fonts", "C:\\f.ttf");
    AddProblem("Help Files", "C:\\b.hlp");
    a().main().lvwShortcut = {ShortcutEntry{"C:\\one.lnk"}, ShortcutEntry{"C:\\two.lnk"}};
    TallySection(a(), "Help Files");
    a().main().lvwRegistryProblems.Add("Invalid Windows Shortcut File (2 Problems)");

    lvwRegistryProblems_ItemClick(a(), 0);
    EXPECT_EQ(Texts(a().main().lvwRegistryErrorsDetail),
              (std::vector<std::string>{"This file could not be found on your hard drive:C:\\a.hlp",
                                        "This file could not be found on your hard drive:C:\\b.hlp"}));
    lvwRegistryProblems_ItemClick(a(), 1);
    EXPECT_EQ(Texts(a().main().lvwRegistryErrorsDetail),
              (std::vector<std::string>{"The path of this file is incorrect : C:\\one.lnk",
                                        "The path of this file is incorrect : C:\\two.lnk"}));
}

TEST_F(ResultsViewTest, HeaderClicksFlipTheOrderAndKeepTheListSorted) {
    auto& list = a().main().lvwRegistryProblems;
    for (const char* text : {"b", "C", "a"})
        list.Add(text);
    lvwRegistryProblems_ColumnClick(a(), 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"C", "b", "a"}));
    lvwRegistryProblems_ColumnClick(a(), 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "C"}));
    list.Add("B2");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "B2", "C"})) << "later rows go in sort order";
}

TEST_F(ResultsViewTest, ReturnLeavesTheResultsPanelButKeepsTheLists) {
    a().main().PicResults = a().main().PicScanning = true;
    a().main().lvwRegistryProblems.Add("x");
    ImgReturnMouseMove_Click(a());
    EXPECT_FALSE(a().main().PicResults);
    EXPECT_FALSE(a().main().PicScanning);
    EXPECT_EQ(a().main().lvwRegistryProblems.rows.size(), 1u);
}

} // namespace
} // namespace vx
