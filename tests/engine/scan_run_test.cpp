// The scan run over fixture prefixes: which rows run, progress, cancel, and what the walkers hand on.
#include "app/message_box.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "results/summary_rows.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::EngineOf;
using test::FindingsOf;
using test::ModelOf;
using test::RunOf;
using test::WindowOf;

using test::FixturePrefix;
using test::TestApp;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A prefix with findings in the fonts and start-up sections.
FixturePrefix& Broken(FixturePrefix& prefix) {
    prefix.WithWindowsBasics()
        .String("HKLM", kFonts, "Arial", "arial.ttf")
        .String("HKLM", kFonts, "Gone One", "gone1.ttf")
        .String("HKLM", kFonts, "Gone Two", "gone2.ttf")
        .String("HKLM", std::string(kRun) + "\\Vendor", "Tray", "C:\\Gone\\tray.exe /min")
        .String("HKLM", kRun, "Direct", "C:\\Gone\\direct.exe");
    for (int i = 0; i < 5; ++i)
        prefix.Key("HKLM", "Software\\Classes\\CLSID\\{0000000" + std::to_string(i) + "}");
    return prefix;
}

void CheckOnly(App& app, std::initializer_list<std::string> rows) {
    LoadlvwRegistryvaluesScanValues(EngineOf(app));
    for (auto& row : EngineOf(app).checkList().rows) {
        row.checked = false;
        for (const auto& wanted : rows)
            if (row.text == wanted)
                row.checked = true;
    }
}

std::vector<std::string> KeyValues(App& app) {
    std::vector<std::string> out;
    for (const auto& row : FindingsOf(app).lvwErrors)
        out.push_back(row.KeyName + "=" + row.KeyValue);
    return out;
}

TEST(ScanRun, ProgressStepRoundsHalvesToEven) {
    EXPECT_EQ(ProgressStepFor(13), 329);
    EXPECT_EQ(ProgressStepFor(18), 238);
    EXPECT_EQ(ProgressStepFor(12), 356);
}

TEST(ScanRun, TheBarNeverPassesItsFullWidthAndIsFilledAtTheEnd) {
    FixturePrefix prefix;
    TestApp app(prefix.WithWindowsBasics().WriteAndOpen());
    struct Case {
        int rows;
        int widthAfterRun;
    };
    for (const Case& c : {Case{12, 4272}, Case{13, 3948}, Case{18, 4046}}) {
        CheckOnly(*app, {});
        auto& rows = EngineOf(*app).checkList().rows;
        while (static_cast<int>(rows.size()) < c.rows)
            rows.push_back({"Window Shortcut Q", 12});
        rows.resize(c.rows);
        RunScan(EngineOf(*app));
        EXPECT_EQ(RunOf(*app).progress, c.widthAfterRun) << c.rows;
        EXPECT_EQ(RunOf(*app).ProgressStep, 0);
        WindowOf(*app).ImgScanNowMouseMove_Click();
        EXPECT_EQ(ModelOf(*app).PicProgress, 4275);
    }
}

TEST(ScanRun, FindsTheBrokenEntriesOfTheCheckedRowsAndSummarisesThem) {
    FixturePrefix prefix;
    TestApp app(Broken(prefix).WriteAndOpen());
    CheckOnly(*app, {"Windows Fonts", "Windows Startup"});
    WindowOf(*app).ImgScanNowMouseMove_Click();
    auto& main = ModelOf(*app);
    EXPECT_EQ(KeyValues(*app),
              (std::vector<std::string>{"Tray=C:\\Gone\\tray.exe", "Gone One=C:\\windows\\Fonts\\gone1.ttf",
                                        "Gone Two=C:\\windows\\Fonts\\gone2.ttf"}))
        << "values stored directly in the Run key are not visited";
    ASSERT_EQ(main.lvwRegistryProblems.rows.size(), 2u);
    EXPECT_EQ(main.lvwRegistryProblems.rows[0].text, "Invalid Windows Startup Files  ( 1 Problem(s) )");
    EXPECT_EQ(main.lvwRegistryProblems.rows[1].text, "Invalid Windows Fonts (  2 Problem(s) )");
    EXPECT_EQ(main.lblProblemsFound, "3");
    EXPECT_TRUE(main.PicResults);
    EXPECT_FALSE(main.PicScanning);
    EXPECT_TRUE(main.ImgScanNowNormal);
    EXPECT_EQ(RunOf(*app).ScanStartTime, "09:05:01");
    EXPECT_EQ(RunOf(*app).ScanEndTime, "09:05:01");
}

TEST(ScanRun, RowsThatFindNothing) {
    FixturePrefix prefix;
    TestApp app(Broken(prefix).WriteAndOpen());
    app->SaveSetting("chkMakeLogFile", "1");

    CheckOnly(*app, {});
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_TRUE(FindingsOf(*app).lvwErrors.empty());
    EXPECT_TRUE(ModelOf(*app).lvwRegistryProblems.rows.empty());
    EXPECT_FALSE(ModelOf(*app).PicResults);
    EXPECT_TRUE(std::filesystem::exists(app.dataFolder.path() / "ScanReport.txt"))
        << "the report step still runs";

    CheckOnly(*app, {"Configuration files"});
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_TRUE(FindingsOf(*app).lvwErrors.empty()) << "the configuration-files row only shows values";
    EXPECT_TRUE(ModelOf(*app).lvwRegistryProblems.rows.empty());
    EXPECT_FALSE(ModelOf(*app).lblRegistryFilesScan.empty());

    CheckOnly(*app, {"Registry Integrity"});
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_TRUE(FindingsOf(*app).lvwErrors.empty());
    EXPECT_EQ(ModelOf(*app).lblRegistryScan, "{00000004}");
}

TEST(ScanRun, WalkersReadEachTypeAsTextAndStopAtAValueTooLongForTheirBuffer) {
    FixturePrefix prefix;
    prefix.WithWindowsBasics()
        .String("HKLM", kFonts, "", "default.ttf")
        .ExpandString("HKLM", kFonts, "a expand", "expand.ttf")
        .MultiString("HKLM", kFonts, "b multi", {"first.ttf", "second.ttf"})
        .Dword("HKLM", kFonts, "c dword", 1)
        .Dword("HKLM", kFonts, "c2 dword", 0xFFFFFFFF)
        .Binary("HKLM", kFonts, "d binary", {1, 2, 3})
        .String("HKLM", kFonts, "e long", std::string(300, 'x') + ".ttf")
        .String("HKLM", kFonts, "f after", "after.ttf")
        .String("HKLM", std::string(kRun) + "\\Next", "x", "C:\\Gone\\next.exe");
    TestApp app(prefix.WriteAndOpen());
    CheckOnly(*app, {"Windows Fonts", "Windows Startup"});
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_EQ(KeyValues(*app), (std::vector<std::string>{
                                   "x=C:\\Gone\\next.exe",
                                   "(Default)=C:\\windows\\Fonts\\default.ttf",
                                   "b multi=C:\\windows\\Fonts\\first.ttf",
                                   "c dword=C:\\windows\\Fonts\\1",
                                   "c2 dword=C:\\windows\\Fonts\\-1",
                               }));
}

TEST(ScanRun, CancelBeforeAnythingWasFoundAsksNothing) {
    FixturePrefix prefix;
    TestApp app(Broken(prefix).WriteAndOpen());
    CheckOnly(*app, {"Registry Integrity", "Windows Fonts", "Windows Startup"});
    app.frontEnd.atYield[app.frontEnd.yields + 2] = [](App& a) { WindowOf(a).cmdCancelOrStop_Click(); };
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_TRUE(app.frontEnd.messages.empty());
    EXPECT_EQ(RunOf(*app).ScanCancelled, -1);
    EXPECT_FALSE(ModelOf(*app).cmdCancelOrStop);
    EXPECT_TRUE(FindingsOf(*app).lvwErrors.empty());
    EXPECT_FALSE(ModelOf(*app).PicResults);
}

TEST(ScanRun, CancelAfterFindingsAsksAndFollowsTheAnswer) {
    for (const bool yes : {false, true}) {
        FixturePrefix prefix;
        Broken(prefix);
        for (int i = 0; i < 5; ++i)
            prefix.String("HKLM", kFonts, "More " + std::to_string(i), "more" + std::to_string(i) + ".ttf");
        TestApp app(prefix.WriteAndOpen());
        CheckOnly(*app, {"Windows Fonts", "Windows Startup"});
        // Saved marks differ from this run's: the Cancel handler rebuilds the list from them mid-run.
        app->SaveSetting("Windows Fonts", "False");
        int cancelAt = 0;
        app.frontEnd.answers = {yes};
        // Press Cancel at the first yield after the first finding.
        for (int i = 1; i < 200; ++i)
            app.frontEnd.atYield[i] = [&cancelAt, i](App& a) {
                if (cancelAt == 0 && !FindingsOf(a).lvwErrors.empty()) {
                    cancelAt = i;
                    WindowOf(a).cmdCancelOrStop_Click();
                }
            };
        WindowOf(*app).ImgScanNowMouseMove_Click();
        ASSERT_EQ(app.frontEnd.messages.size(), 1u);
        EXPECT_EQ(app.frontEnd.messages[0], "Are you sure you want to stop the scanning ?");
        EXPECT_EQ(app->MessageBoxKind, "");
        EXPECT_FALSE(ModelOf(*app).lvwRegistryvaluesScan.rows[9].checked)
            << "the list was rebuilt from the settings";
        if (yes) {
            EXPECT_EQ(RunOf(*app).ScanCancelled, -1);
            EXPECT_EQ(FindingsOf(*app).lvwErrors.size(), 1u);
            EXPECT_FALSE(ModelOf(*app).PicResults);
        } else {
            EXPECT_EQ(RunOf(*app).ScanCancelled, 0);
            EXPECT_EQ(FindingsOf(*app).lvwErrors.size(), 1u) << "the fonts row was unchecked by the rebuild";
            EXPECT_TRUE(ModelOf(*app).PicResults);
        }
    }
}

// The detection sound follows the settings finding by finding, however seldom it looks for the wave file:
// another file chosen during the run plays from the next finding on, switching it off silences the rest,
// and a file that was missing in one run plays in the next once it is there.
TEST(ScanRun, TheDetectionSoundFollowsTheSettingsFindingByFinding) {
    FixturePrefix prefix;
    prefix.WithWindowsBasics();
    for (int i = 0; i < 8; ++i)
        prefix.String("HKLM", kFonts, "Gone " + std::to_string(i), "gone" + std::to_string(i) + ".ttf");
    TestApp app(prefix.WriteAndOpen());
    prefix.File("C:\\windows\\media\\one.wav", "RIFF").File("C:\\windows\\media\\two.wav", "RIFF");
    CheckOnly(*app, {"Windows Fonts"});
    app->SaveSetting("chkPlaySound", "1");
    app->SaveSetting("txtWaveFilesPath", "C:\\windows\\media\\one.wav");
    size_t switchedAt = 0, silencedAt = 0;
    for (int i = 1; i < 500; ++i)
        app.frontEnd.atYield[i] = [&](App& a) {
            const size_t found = FindingsOf(a).lvwErrors.size();
            if (switchedAt == 0 && found >= 3) {
                switchedAt = found;
                a.SaveSetting("txtWaveFilesPath", "C:\\windows\\media\\two.wav");
            } else if (silencedAt == 0 && found >= 6) {
                silencedAt = found;
                a.SaveSetting("chkPlaySound", "0");
            }
        };
    WindowOf(*app).ImgScanNowMouseMove_Click();
    ASSERT_EQ(FindingsOf(*app).lvwErrors.size(), 8u);
    ASSERT_GT(switchedAt, 0u);
    ASSERT_GT(silencedAt, switchedAt);
    std::vector<std::string> played, expected;
    for (const auto& file : app.sound.played)
        played.push_back(file.filename().string());
    expected.insert(expected.end(), switchedAt, "one.wav");
    expected.insert(expected.end(), silencedAt - switchedAt, "two.wav");
    EXPECT_EQ(played, expected);

    app.frontEnd.atYield.clear();
    app.sound.played.clear();
    app->SaveSetting("chkPlaySound", "1");
    app->SaveSetting("txtWaveFilesPath", "C:\\windows\\media\\three.wav");
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_TRUE(app.sound.played.empty());
    prefix.File("C:\\windows\\media\\three.wav", "RIFF");
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_EQ(app.sound.played.size(), 8u);
}

TEST(ScanRun, ShortcutSummaryRowHasItsOwnWording) {
    EXPECT_EQ(ShortcutSummaryRowText(3), "Invalid Windows Shortcut File (3 Problems)");
    EXPECT_EQ(ShortcutSummaryRowText(0), "") << "no row without findings";
}

TEST(ScanRun, FontsKeyFollowsThePlatform) {
    // Wine targets are NT-family: the NT fonts key is walked, the older one is not.
    FixturePrefix prefix;
    prefix.WithWindowsBasics()
        .String("HKLM", kFonts, "Nt", "nt-gone.ttf")
        .String("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts", "Old", "old-gone.ttf");
    TestApp app(prefix.WriteAndOpen());
    CheckOnly(*app, {"Windows Fonts"});
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_EQ(KeyValues(*app), std::vector<std::string>{"Nt=C:\\windows\\Fonts\\nt-gone.ttf"});
}

} // namespace
} // namespace vx
