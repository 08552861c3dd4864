// ScanReport.txt, byte for byte.
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "results/scan_report.h"
#include "support/test_app.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vx {
namespace {

using test::EngineOf;
using test::FindingsOf;
using test::MakeReport;
using test::ModelOf;
using test::ReportText;
using test::RunOf;
using test::WindowOf;

using test::FixturePrefix;
using test::TestApp;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ScanReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = std::make_unique<TestApp>(prefix.WithWindowsBasics().WriteAndOpen());
        LoadlvwRegistryvaluesScanValues(EngineOf(a()));
        for (auto& row : EngineOf(a()).checkList().rows)
            row.checked = row.text == "Help Files" || row.text == "Window Shortcut C";
        RunOf(a()).ScanStartTime = "09:05:01";
        RunOf(a()).ScanEndTime = "09:05:07";
    }
    App& a() { return **app; }
    std::filesystem::path ReportPath() { return app->dataFolder.path() / "ScanReport.txt"; }
    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
};

TEST_F(ScanReportTest, MatchesTheExpectedFile) {
    ProblemEntry first;
    first.RegistryScanners = "Help Files";
    first.KeyValue = "C:\\Program Files\\Old\\old.hlp";
    first.FullKeyPath = "SOFTWARE\\Microsoft\\Windows\\Help";
    ProblemEntry second = first;
    second.RegistryScanners = "Windows Fonts";
    second.KeyValue = "C:\\windows\\Fonts\\gone.ttf";
    second.FullKeyPath = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    FindingsOf(a()).lvwErrors = {first, second};
    FindingsOf(a()).lvwShortcut = {ShortcutEntry{"C:\\users\\Public\\Desktop\\Old.lnk"}};
    a().SaveSetting("chkMakeLogFile", "1");
    ASSERT_EQ(MakeReport(a()), ReportPath().string());
    EXPECT_EQ(ReadFile(ReportPath()), ReadFile(VANTRELIX_SOURCE_DIR "/tests/results/data/scan_report.txt"));
}

TEST_F(ScanReportTest, ACleanRunSaysSoAndReplacesTheEarlierReport) {
    a().SaveSetting("chkMakeLogFile", "1");
    std::ofstream(ReportPath()) << "an earlier report";
    MakeReport(a());
    const std::string text = ReadFile(ReportPath());
    EXPECT_NE(text.find("Total numbers of problems detected : 0\r\n"), std::string::npos);
    EXPECT_NE(text.find(std::string(27, ' ') +
                        "Your system is clean Please run Vantrelix v3.0 to keep your system "
                        "in good health\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("an earlier report"), std::string::npos);
    EXPECT_EQ(text.find("*****"), std::string::npos);
}

TEST_F(ScanReportTest, NothingIsWrittenWhileTheOptionIsOff) {
    std::ofstream(ReportPath()) << "an earlier report";
    EXPECT_EQ(MakeReport(a()), "");
    EXPECT_EQ(ReadFile(ReportPath()), "an earlier report");
}

TEST_F(ScanReportTest, AMissingFolderWritesNothing) {
    a().SaveSetting("chkMakeLogFile", "1");
    a().SaveSetting("txtLogFile", (app->dataFolder.path() / "missing").string());
    EXPECT_EQ(MakeReport(a()), "");
}

// The scan run's own report, asked for by the setting: a link planted where it goes is never written
// through, and the window's message box says so.
TEST_F(ScanReportTest, ALinkInTheReportsPlaceIsLeftAndTheMessageBoxSaysWhy) {
    test::TempDir elsewhere;
    const auto victim = elsewhere.path() / "precious";
    std::ofstream(victim) << "precious";
    std::filesystem::create_symlink(victim, ReportPath());
    a().SaveSetting("chkMakeLogFile", "1");
    WindowOf(a()).ImgScanNowMouseMove_Click();
    EXPECT_EQ(ReadFile(victim), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(ReportPath()));
    ASSERT_EQ(app->frontEnd.messages.size(), 1u);
    EXPECT_EQ(app->frontEnd.messages[0], "ScanReport.txt was not written: \"" + ReportPath().string() +
                                             "\" is a symbolic link; the program never writes its files "
                                             "through one, and left it as it is.");
}

// A name holding line breaks or other control characters never writes a line of its own into the report.
TEST_F(ScanReportTest, ControlCharactersInNamesAreWrittenAsMarks) {
    ProblemEntry problem;
    problem.RegistryScanners = "Help Files";
    problem.KeyValue = "C:\\Old\\a\r\nTotal numbers of problems detected : 0\t\x1b[2J.hlp";
    problem.FullKeyPath = "SOFTWARE\\Help";
    FindingsOf(a()).lvwErrors = {problem};
    FindingsOf(a()).lvwShortcut = {ShortcutEntry{"C:\\users\\Public\\Desktop\\Evil\r\n.lnk"}};
    const std::string text = ReportText(a());
    EXPECT_NE(text.find(" File Name       : C:\\Old\\a<CR><LF>Total numbers of problems detected : "
                        "0<TAB><0x1B>[2J.hlp\r\n"),
              std::string::npos);
    EXPECT_NE(text.find(" File Name       : C:\\users\\Public\\Desktop\\Evil<CR><LF>.lnk\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("\r\nTotal numbers of problems detected : 0\t"), std::string::npos);
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r')
                << "a line break that is not the report's own, at " << i;
}

} // namespace
} // namespace vx
