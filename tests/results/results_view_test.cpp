// The summary and detail lists of the results panel.
#include "platform/text.h"
#include "results/summary_rows.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FindingsOf;
using test::ModelOf;
using test::WindowOf;

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
        FindingsOf(a()).lvwErrors.push_back(row);
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
        FindingsOf(a()).lvwErrors.clear();
        ModelOf(a()).lvwRegistryProblems.Clear();
        test::EngineOf(a()).summaryRows().clear();
        for (int i = 0; i < 3; ++i)
            AddProblem(section, "C:\\x" + std::to_string(i));
        AddProblem(UpperAscii(section), "C:\\other case");
        EXPECT_EQ(test::EngineOf(a()).TallySection(section), 3) << section;
        EXPECT_EQ(Texts(ModelOf(a()).lvwRegistryProblems), std::vector<std::string>{text});
        EXPECT_EQ(test::EngineOf(a()).summaryRows(), std::vector<std::string>{text});
    }
}

TEST_F(ResultsViewTest, NoRowForAnEmptySectionOrAnUnknownName) {
    AddProblem("Something Else", "C:\\x");
    EXPECT_EQ(test::EngineOf(a()).TallySection("Help Files"), 0);
    EXPECT_EQ(test::EngineOf(a()).TallySection("Something Else"), 1);
    EXPECT_TRUE(ModelOf(a()).lvwRegistryProblems.rows.empty());
}

TEST_F(ResultsViewTest, ClickingASummaryRowListsItsDetails) {
    AddProblem("Help Files", "C:\\a.hlp");
    AddProblem("Windows Fonts", "C:\\f.ttf");
    AddProblem("Help Files", "C:\\b.hlp");
    FindingsOf(a()).lvwShortcut = {ShortcutEntry{"C:\\one.lnk"}, ShortcutEntry{"C:\\two.lnk"}};
    test::EngineOf(a()).TallySection("Help Files");
    ModelOf(a()).lvwRegistryProblems.Add("Invalid Windows Shortcut File (2 Problems)");

    WindowOf(a()).lvwRegistryProblems_ItemClick(0);
    EXPECT_EQ(Texts(ModelOf(a()).lvwRegistryErrorsDetail),
              (std::vector<std::string>{"This file could not be found on your hard drive:C:\\a.hlp",
                                        "This file could not be found on your hard drive:C:\\b.hlp"}));
    WindowOf(a()).lvwRegistryProblems_ItemClick(1);
    EXPECT_EQ(Texts(ModelOf(a()).lvwRegistryErrorsDetail),
              (std::vector<std::string>{"The path of this file is incorrect : C:\\one.lnk",
                                        "The path of this file is incorrect : C:\\two.lnk"}));
}

TEST_F(ResultsViewTest, HeaderClicksFlipTheOrderAndKeepTheListSorted) {
    auto& list = ModelOf(a()).lvwRegistryProblems;
    for (const char* text : {"b", "C", "a"})
        list.Add(text);
    WindowOf(a()).lvwRegistryProblems_ColumnClick(0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"C", "b", "a"}));
    WindowOf(a()).lvwRegistryProblems_ColumnClick(0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "C"}));
    list.Add("B2");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "B2", "C"})) << "later rows go in sort order";
}

TEST_F(ResultsViewTest, ReturnLeavesTheResultsPanelButKeepsTheLists) {
    ModelOf(a()).PicResults = ModelOf(a()).PicScanning = true;
    ModelOf(a()).lvwRegistryProblems.Add("x");
    WindowOf(a()).ImgReturnMouseMove_Click();
    EXPECT_FALSE(ModelOf(a()).PicResults);
    EXPECT_FALSE(ModelOf(a()).PicScanning);
    EXPECT_EQ(ModelOf(a()).lvwRegistryProblems.rows.size(), 1u);
}

} // namespace
} // namespace vx
