// The main window's rules over a fixture prefix: closing to the notification area, the notice, resizing
// and refocusing during a scan, the hover effects, the buttons and the select-all label.
#include "app/message_box.h"
#include "ui/main_window.h"

#include "engine/section_list.h"
#include "support/test_app.h"
#include "ui/notification.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace vx {
namespace {

using test::FixturePrefix;
using test::TestApp;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// Records what the window asks of its front end, in order; repaints as "Repaint NAME".
class RecordingShell : public MainWindowShell {
  public:
    void HideWindow() override { events.push_back("HideWindow"); }
    void MinimiseWindow() override {
        events.push_back("MinimiseWindow");
        minimised = true;
    }
    bool IsMinimised() const override { return minimised; }
    void ShowNormalWindow() override {
        events.push_back("ShowNormalWindow");
        minimised = false;
    }
    void ShowIcon() override { events.push_back("ShowIcon"); }
    void ChangeToolTip(std::string_view tip) override {
        events.push_back("ChangeToolTip " + std::string(tip));
    }
    bool RunningInTray() const override { return runningInTray; }
    bool HasNotificationArea() const override { return hasNotificationArea; }
    void ShowPopupMenu() override { events.push_back("ShowPopupMenu"); }
    void ShowNotification(std::string_view caption, std::string_view message) override {
        events.push_back("ShowNotification " + std::string(caption));
        notices.emplace_back(message);
        if (onNotification)
            onNotification();
    }
    void ShowSettingsDialog() override {
        events.push_back("ShowSettingsDialog");
        if (onDialog)
            onDialog();
    }
    void ShowBackupManager() override {
        events.push_back("ShowBackupManager");
        if (onDialog)
            onDialog();
    }
    void OpenWebPage(std::string_view page) override { events.push_back("OpenWebPage " + std::string(page)); }
    void EndProgram() override { events.push_back("EndProgram"); }
    void RepaintControl(std::string_view control) override {
        events.push_back("Repaint " + std::string(control));
    }

    // The events without the repaints.
    std::vector<std::string> Actions() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (!e.starts_with("Repaint "))
                out.push_back(e);
        return out;
    }
    bool Repainted(std::string_view control) const {
        return std::find(events.begin(), events.end(), "Repaint " + std::string(control)) != events.end();
    }

    std::vector<std::string> events;
    std::vector<std::string> notices; // the message of every notification shown
    bool minimised = false;
    bool runningInTray = false;
    bool hasNotificationArea = true;
    std::function<void()> onNotification;
    std::function<void()> onDialog;
};

const std::map<std::string, MainButton> kButtonNames{
    {"Close", MainButton::Close},     {"Minimise", MainButton::Minimise},
    {"Help", MainButton::Help},       {"HelpPic", MainButton::HelpPic},
    {"Support", MainButton::Support}, {"SupportPic", MainButton::SupportPic},
    {"ScanNow", MainButton::ScanNow}, {"Settings", MainButton::Settings},
    {"Restore", MainButton::Restore}, {"ScanCancel", MainButton::ScanCancel},
    {"Repair", MainButton::Repair},   {"Return", MainButton::Return},
};
const std::map<std::string, MainArea> kAreaNames{{"Picture1", MainArea::Picture1},
                                                 {"PicScanning", MainArea::PicScanning},
                                                 {"PicResults", MainArea::PicResults}};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics()
            .String("HKLM", kFonts, "Arial", "arial.ttf")
            .String("HKLM", kFonts, "Gone", "gone.ttf");
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        frm = std::make_unique<FrmMain>(a(), shell);
        frm->Form_Load();
        shell.events.clear();
    }
    App& a() { return **app; }
    MainWindowModel& main() { return frm->model(); }

    // Moves the pointer over a button or an area, by name.
    void Move(const std::string& name) {
        if (auto it = kButtonNames.find(name); it != kButtonNames.end())
            frm->MouseMove(it->second);
        else
            frm->MouseMove(kAreaNames.at(name));
    }
    // The buttons showing their highlighted picture, by name.
    std::vector<std::string> Highlighted() const {
        std::vector<std::string> out;
        for (const auto& [name, button] : kButtonNames)
            if (frm->buttons()[button].highlighted)
                out.push_back(name);
        std::sort(out.begin(), out.end());
        return out;
    }
    void HoverAndClick(MainButton button) {
        frm->MouseMove(button);
        frm->Click(button);
    }
    // Only the fonts section, so that a scan is quick and finds "Gone".
    void CheckOnlyFonts() {
        for (auto& row : frm->engine().checkList().rows)
            row.checked = row.text == "Windows Fonts";
        frm->CheckListChanged();
    }

    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
    RecordingShell shell;
    std::unique_ptr<FrmMain> frm;
};

TEST_F(MainWindowTest, LoadingShowsTheStartPanelWithTheSelectAllBoxFromTheSettings) {
    struct Case {
        const char* stored; // nullptr: never written
        int box;
    };
    for (const Case& c : std::vector<Case>{{nullptr, 1}, {"1", 1}, {"2", 2}, {"0", 0}, {"7", 0}, {"x", 0}}) {
        TestApp fresh(prefix.Open());
        if (c.stored)
            fresh->SaveSetting("chkSelectlistviewItems", c.stored);
        FrmMain window(*fresh, shell);
        window.model().PicScanning = window.model().PicResults = true;
        window.tmrSettings = window.tmrRefreshlvwContents = true;
        window.Form_Load();
        const std::string what = c.stored ? c.stored : "(none)";
        EXPECT_EQ(window.model().chkSelectlistviewItems, c.box) << what;
        EXPECT_EQ(window.caption(), "Vantrelix v3.0");
        EXPECT_FALSE(window.model().PicScanning);
        EXPECT_FALSE(window.model().PicResults);
        EXPECT_FALSE(window.tmrSettings);
        EXPECT_FALSE(window.tmrRefreshlvwContents);
        ASSERT_FALSE(window.model().lvwRegistryvaluesScan.rows.empty()) << what;
        EXPECT_EQ(window.model().lvwRegistryvaluesScan.rows[0].text, "Registry Integrity");
    }
}

TEST_F(MainWindowTest, ClosingShowsTheNoticeOnlyWhenAskedAndAlwaysHidesToTheTray) {
    const std::vector<std::string> hide{"HideWindow", "ShowIcon", "ChangeToolTip Vantrelix v3.0"};
    struct Case {
        const char* what;
        const char* stored; // chkDoNotShowInFuture; nullptr: never written
        bool minimised;
        bool closeButton;
        std::vector<std::string> before; // what comes before hiding
    };
    const std::vector<Case> cases{
        {"system close, store empty", nullptr, false, false, {"ShowNotification Vantrelix v3.0"}},
        {"system close, notice wanted", "0", false, false, {"ShowNotification Vantrelix v3.0"}},
        {"system close, notice turned off", "1", false, false, {}},
        {"minimised window", "0", true, false, {"ShowNormalWindow", "ShowNotification Vantrelix v3.0"}},
        {"minimised window, notice off", "1", true, false, {}},
        {"close button", "0", false, true, {}},
        {"close button, minimised", nullptr, true, true, {}},
    };
    for (const Case& c : cases) {
        if (c.stored)
            a().SaveSetting("chkDoNotShowInFuture", c.stored);
        shell.events.clear();
        shell.minimised = c.minimised;
        if (c.closeButton)
            HoverAndClick(MainButton::Close);
        else
            frm->Form_QueryUnload();
        std::vector<std::string> expected = c.before;
        expected.insert(expected.end(), hide.begin(), hide.end());
        EXPECT_EQ(shell.Actions(), expected) << c.what;
        // Before the notice the window is refocused: repainted while the notice is not up yet.
        const bool noticed = !c.before.empty();
        const auto notice = std::find_if(shell.events.begin(), shell.events.end(), [](const std::string& e) {
            return e.starts_with("ShowNotification");
        });
        EXPECT_EQ(notice != shell.events.end() &&
                      std::find(shell.events.begin(), notice, "Repaint Picture1") != notice,
                  noticed)
            << c.what;
    }
}

TEST_F(MainWindowTest, TheNoticeBoxDecidesWhetherTheNextCloseShowsItAgain) {
    // The user's actions on the notice at each showing.
    const std::vector<std::function<void(FrmNotification&)>> onNotice{
        [](FrmNotification& n) { n.SetCheck(1), n.SetCheck(0); }, // checked and cleared again
        [](FrmNotification& n) { n.Label1_Click(); },
    };
    size_t shown = 0;
    shell.onNotification = [&] {
        FrmNotification notice(a());
        EXPECT_EQ(notice.chkDoNotShowInFuture(), 0) << "the box starts clear every time";
        if (shown < onNotice.size())
            onNotice[shown](notice);
        notice.MouseMove(NotificationButton::OK);
        EXPECT_TRUE(notice.Click(NotificationButton::OK));
        ++shown;
    };
    frm->Form_QueryUnload();
    EXPECT_EQ(a().GetSetting("chkDoNotShowInFuture", ""), "0");
    frm->Form_QueryUnload();
    EXPECT_EQ(shown, 2u) << "still wanted: the second close shows the notice again";
    EXPECT_EQ(a().GetSetting("chkDoNotShowInFuture", ""), "1");
    shell.events.clear();
    frm->Form_QueryUnload();
    EXPECT_EQ(shown, 2u) << "turned off: the third close hides at once";
    EXPECT_EQ(shell.Actions().front(), "HideWindow");
}

// Without a notification area a hidden or minimised window could leave no way to end the program: every
// close there asks the Exit question, and OK ends the program. The area is asked at each close.
TEST_F(MainWindowTest, WithoutANotificationAreaACloseAsksToEndTheProgram) {
    struct Case {
        const char* what;
        bool area; // the desktop has a notification area at this close
        bool closeButton;
        bool answer; // OK to the Exit question
        std::vector<std::string> actions;
        bool asked;
    };
    const std::vector<Case> cases{
        {"system close, no area, OK", false, false, true, {"EndProgram"}, true},
        {"system close, no area, Cancel", false, false, false, {}, true},
        {"close button, no area, OK", false, true, true, {"EndProgram"}, true},
        {"close button, no area, Cancel", false, true, false, {}, true},
        {"system close with an area",
         true,
         false,
         true,
         {"ShowNotification Vantrelix v3.0", "HideWindow", "ShowIcon", "ChangeToolTip Vantrelix v3.0"},
         false},
    };
    a().SaveSetting("chkDoNotShowInFuture", "0");
    for (const Case& c : cases) {
        shell.hasNotificationArea = c.area;
        shell.events.clear();
        shell.notices.clear();
        app->frontEnd.messages.clear();
        app->frontEnd.answers = {c.answer};
        if (c.closeButton)
            HoverAndClick(MainButton::Close);
        else
            frm->Form_QueryUnload();
        EXPECT_EQ(shell.Actions(), c.actions) << c.what;
        EXPECT_EQ(app->frontEnd.messages, c.asked
                                              ? std::vector<std::string>{MessageOfKind(kCloseConfirmation)}
                                              : std::vector<std::string>{})
            << c.what;
        EXPECT_TRUE(a().MessageBoxKind.empty()) << c.what << ": no answer is left behind";
    }
}

TEST_F(MainWindowTest, ATrayClickArrivesAsAMouseMovementAndOpensTheMenuWhileTheIconShows) {
    struct Case {
        bool running;
        int x;
        bool opens;
    };
    const std::vector<Case> cases{
        {true, 0x203 * 15, true},  {true, 0x205 * 15, true},   {true, 0x201 * 15, false},
        {true, 0x202 * 15, false}, {true, 0x204 * 15, false},  {true, 0x208 * 15, false},
        {true, 0x200 * 15, false}, {false, 0x203 * 15, false}, {false, 0x205 * 15, false},
    };
    for (const Case& c : cases) {
        shell.runningInTray = c.running;
        shell.events.clear();
        frm->Form_MouseMove(c.x);
        EXPECT_EQ(shell.Actions(),
                  c.opens ? std::vector<std::string>{"ShowPopupMenu"} : std::vector<std::string>{})
            << std::hex << c.x / 15 << (c.running ? " while shown" : " without the icon");
    }
}

TEST_F(MainWindowTest, RefreshingDuringAScanRepaintsButDoesNotRefillTheCheckList) {
    struct Case {
        const char* what;
        std::function<void(FrmMain&)> action;
        bool timerAfter; // tmrRefreshlvwContents afterwards (it is on before)
    };
    const std::vector<Case> cases{
        {"resize", [](FrmMain& f) { f.Form_Resize(); }, true},
        {"focus", [](FrmMain& f) { f.Picture1_GotFocus(); }, true}, // leaves the timer alone
        {"timer tick", [](FrmMain& f) { f.tmrRefreshlvwContents_Timer(); }, false},
    };
    for (const Case& c : cases) {
        for (const bool scanning : {true, false}) {
            const std::string what = std::string(c.what) + (scanning ? " during a scan" : " when idle");
            main().ImgScanNowNormal = !scanning;
            frm->tmrRefreshlvwContents = true;
            // A mark changed behind the list's back shows whether the list was refilled from the settings.
            a().SaveSetting("Help Files", "False");
            main().lvwRegistryvaluesScan.rows.Edit(4).checked = true;
            shell.events.clear();
            c.action(*frm);
            EXPECT_TRUE(shell.Repainted("Picture1")) << what;
            EXPECT_TRUE(shell.Repainted("lvwRegistryvaluesScan")) << what;
            EXPECT_EQ(main().lvwRegistryvaluesScan.rows[4].checked, scanning) << what;
            EXPECT_EQ(frm->tmrRefreshlvwContents, c.timerAfter) << what;
            EXPECT_TRUE(frm->lvwRegistryvaluesScanVisible) << what;
            a().SaveSetting("Help Files", "True");
        }
    }
}

TEST_F(MainWindowTest, AResizeInTheMiddleOfARealScanLeavesTheCheckListAlone) {
    CheckOnlyFonts();
    bool resized = false;
    app->frontEnd.atYield[app->frontEnd.yields + 1] = [&](App& running) {
        EXPECT_FALSE(frm->ScanIdle());
        const uint64_t before = frm->model().lvwRegistryvaluesScan.rows.Revision();
        shell.events.clear();
        frm->Form_Resize();
        EXPECT_EQ(frm->model().lvwRegistryvaluesScan.rows.Revision(), before);
        EXPECT_TRUE(shell.Repainted("PicScanning"));
        resized = true;
    };
    HoverAndClick(MainButton::ScanNow);
    EXPECT_TRUE(resized);
    EXPECT_TRUE(frm->ScanIdle());
    EXPECT_EQ(main().lblProblemsFound, "1");
}

TEST_F(MainWindowTest, HoverEffectsAndTheirResets) {
    struct Case {
        const char* what;
        std::vector<std::string> moves;
        std::vector<std::string> highlighted; // sorted
        uint32_t scan = kDescriptionGrey, settings = kDescriptionGrey, backup = kDescriptionGrey;
        bool scanning = false; // PicScanning shows, no scan-idle
        bool results = false;  // PicResults shows
        bool repairEnabled = true;
    };
    const uint32_t W = kDescriptionWhite;
    const uint32_t G = kDescriptionGrey;
    const std::vector<Case> cases{
        {"close", {"Close"}, {"Close"}},
        {"close puts minimise back", {"Minimise", "Close"}, {"Close"}},
        {"minimise puts close back", {"Close", "Minimise"}, {"Minimise"}},
        {"help text lights its icon", {"Help"}, {"Help", "HelpPic"}},
        {"help icon lights its text", {"HelpPic"}, {"Help", "HelpPic"}},
        {"support icon lights its text", {"SupportPic"}, {"Support", "SupportPic"}},
        {"scan now", {"ScanNow"}, {"ScanNow"}, W, G, G},
        {"scan now, then the background", {"ScanNow", "Picture1"}, {}, G, G, G},
        {"settings", {"Settings"}, {"Settings"}, G, W, G},
        {"backup", {"Restore"}, {"Restore"}, G, G, W},
        {"the background resets everything of the start panel",
         {"Close", "Help", "Support", "ScanNow", "Settings", "Restore", "Minimise", "Picture1"},
         {},
         G,
         G,
         G},
        {"hovers add up", {"ScanNow", "Settings"}, {"ScanNow", "Settings"}, W, W, G},
        {"scan now cannot be reached during a scan", {"ScanNow"}, {}, G, G, G, true},
        {"cancel, and its panel resets it", {"ScanCancel", "PicScanning"}, {}, G, G, G, true},
        {"the background leaves cancel", {"ScanCancel", "Picture1"}, {"ScanCancel"}, G, G, G, true},
        {"cancel is not there without its panel", {"ScanCancel"}, {}},
        {"repair and return, and their panel", {"Repair", "Return", "PicResults"}, {}, G, G, G, false, true},
        {"the background leaves repair and return",
         {"Repair", "Return", "Picture1"},
         {"Repair", "Return"},
         G,
         G,
         G,
         false,
         true},
        {"repair disabled", {"Repair", "Return"}, {"Return"}, G, G, G, false, true, false},
    };
    for (const Case& c : cases) {
        frm = std::make_unique<FrmMain>(a(), shell);
        main().ImgScanNowNormal = !c.scanning;
        main().PicScanning = c.scanning;
        main().PicResults = c.results;
        main().ImgRepairNormal = c.repairEnabled;
        for (const auto& move : c.moves)
            Move(move);
        EXPECT_EQ(Highlighted(), c.highlighted) << c.what;
        EXPECT_EQ(frm->lblScanTextColour(), c.scan) << c.what;
        EXPECT_EQ(frm->lblSettingsTextColour(), c.settings) << c.what;
        EXPECT_EQ(frm->lblBackUpTextColour(), c.backup) << c.what;
    }
}

TEST_F(MainWindowTest, ButtonsActOnlyOnTheirHighlightedPicture) {
    struct Case {
        MainButton button;
        std::vector<std::string> actions;
    };
    const std::vector<Case> cases{
        {MainButton::Close, {"HideWindow", "ShowIcon", "ChangeToolTip Vantrelix v3.0"}},
        {MainButton::Minimise, {"MinimiseWindow"}},
        {MainButton::Help, {"OpenWebPage reghelp.html"}},
        {MainButton::HelpPic, {"OpenWebPage reghelp.html"}},
        {MainButton::Support, {"OpenWebPage support.html"}},
        {MainButton::SupportPic, {"OpenWebPage support.html"}},
        {MainButton::Settings, {"ShowSettingsDialog"}},
        {MainButton::Restore, {"ShowBackupManager"}},
    };
    for (const Case& c : cases) {
        frm->MouseMove(MainArea::Picture1);
        shell.events.clear();
        frm->Click(c.button);
        EXPECT_TRUE(shell.Actions().empty()) << "a plain picture does nothing";
        frm->MouseMove(c.button);
        frm->Click(c.button);
        EXPECT_EQ(shell.Actions(), c.actions);
    }
}

TEST_F(MainWindowTest, TheDialogButtonsRefreshTheWindowAfterwards) {
    for (const MainButton button : {MainButton::Settings, MainButton::Restore}) {
        bool settingsEnabledMeanwhile = true;
        shell.onDialog = [&] {
            settingsEnabledMeanwhile = frm->buttons()[MainButton::Settings].enabled;
            a().SaveSetting("Help Files", "False"); // a change the check-list shows afterwards
        };
        shell.events.clear();
        HoverAndClick(button);
        EXPECT_EQ(settingsEnabledMeanwhile, button != MainButton::Settings);
        EXPECT_TRUE(frm->buttons()[MainButton::Settings].enabled);
        EXPECT_TRUE(shell.Repainted("Picture1"));
        EXPECT_FALSE(main().lvwRegistryvaluesScan.rows[4].checked);
        EXPECT_TRUE(Highlighted().empty()) << "the refill ends with the background reset";
        a().SaveSetting("Help Files", "True");
        LoadlvwRegistryvaluesScanValues(frm->engine());
    }
}

TEST_F(MainWindowTest, TheSettingsTimerOpensTheDialogOnce) {
    frm->tmrSettings = true;
    bool timerOffMeanwhile = false;
    shell.onDialog = [&] { timerOffMeanwhile = !frm->tmrSettings; };
    frm->tmrSettings_Timer();
    EXPECT_TRUE(timerOffMeanwhile);
    EXPECT_FALSE(frm->tmrSettings);
    EXPECT_EQ(shell.Actions(), (std::vector<std::string>{"ShowSettingsDialog"}));
    EXPECT_TRUE(shell.Repainted("PicResults"));
}

TEST_F(MainWindowTest, TheBlinkTimerTogglesTheBug) {
    main().PicBug = false;
    frm->tmrPicVisibleOrNot_Timer();
    EXPECT_TRUE(main().PicBug);
    frm->tmrPicVisibleOrNot_Timer();
    EXPECT_FALSE(main().PicBug);
}

TEST_F(MainWindowTest, MyComputerTogglesTheSelectAllBoxAndHandlesTheChangeOnce) {
    struct Case {
        int before;
        int after;
    };
    for (const Case& c : std::vector<Case>{{1, 0}, {0, 1}, {2, 1}}) {
        frm->engine().checkList().chkSelectlistviewItems = c.before;
        if (c.before == 2)
            frm->engine().checkList().rows[0].checked = false;
        app->settings.saves.clear();
        frm->Label2_Click();
        EXPECT_EQ(main().chkSelectlistviewItems, c.after) << c.before;
        for (const auto& row : main().lvwRegistryvaluesScan.rows)
            EXPECT_EQ(row.checked, c.after == 1) << c.before << " " << row.text;
        std::vector<std::pair<std::string, std::string>> boxSaves;
        for (const auto& save : app->settings.saves)
            if (save.first == "chkSelectlistviewItems")
                boxSaves.push_back(save);
        EXPECT_EQ(boxSaves, (std::vector<std::pair<std::string, std::string>>{
                                {"chkSelectlistviewItems", std::to_string(c.after)}}))
            << c.before;
    }
}

TEST_F(MainWindowTest, ScanResultsRepairAndReturnThroughTheWindow) {
    CheckOnlyFonts();
    HoverAndClick(MainButton::ScanNow);
    ASSERT_TRUE(main().PicResults);
    frm->MouseMove(MainArea::Picture1);
    HoverAndClick(MainButton::Repair);
    EXPECT_EQ(frm->lastRepair().repaired, 1);
    EXPECT_FALSE(main().PicResults);
    EXPECT_EQ(app->frontEnd.messages.back(), " All Problems were repaired sucessfully !");

    HoverAndClick(MainButton::ScanNow);
    EXPECT_FALSE(main().PicResults) << "nothing left to find";
    main().PicResults = true;
    HoverAndClick(MainButton::Return);
    EXPECT_FALSE(main().PicResults);
}

// A repair that cannot even start (here its backup folder is a file) says why in the closing box; the
// findings stay for another try.
TEST_F(MainWindowTest, ARepairThatCannotStartSaysWhy) {
    const auto notAFolder = app->dataFolder.path() / "not-a-folder";
    std::ofstream(notAFolder) << "x";
    a().SaveSetting("txtBackup", notAFolder.string());
    CheckOnlyFonts();
    HoverAndClick(MainButton::ScanNow);
    ASSERT_TRUE(main().PicResults);
    frm->MouseMove(MainArea::Picture1);
    app->frontEnd.messages.clear();
    HoverAndClick(MainButton::Repair);
    EXPECT_FALSE(frm->lastRepair().ran);
    EXPECT_EQ(frm->lastRepair().repaired, 0);
    ASSERT_EQ(app->frontEnd.messages.size(), 1u);
    EXPECT_EQ(app->frontEnd.messages[0], "Nothing was repaired: " + frm->lastRepair().error);
    EXPECT_FALSE(frm->lastRepair().error.empty());
    EXPECT_EQ(frm->engine().findings().lvwErrors.size(), 1u);
}

TEST_F(MainWindowTest, RefreshRepaintsPicturesImagesAndListsAndYieldsAfterEveryControl) {
    std::vector<std::string> trace; // repaints and yields in order
    struct Tracing : RecordingShell {
        std::vector<std::string>* trace;
        void RepaintControl(std::string_view control) override { trace->push_back(std::string(control)); }
    } tracing;
    tracing.trace = &trace;
    FrmMain window(a(), tracing);
    const int firstYield = app->frontEnd.yields + 1;
    for (int i = 0; i < 200; ++i)
        app->frontEnd.atYield[firstYield + i] = [&](App&) { trace.push_back("yield"); };
    window.RefreshThePicControls();
    for (const char* repainted :
         {"Picture1", "imgCloseNormal", "ImgHelpPicmouseMove", "lvwRegistryvaluesScan", "PicBug",
          "ImgDeleteProgressInside", "lvwErrors", "lvwShortcut"})
        EXPECT_NE(std::find(trace.begin(), trace.end(), repainted), trace.end()) << repainted;
    for (const char* kept : {"Label2", "Image1", "chkSelectlistviewItems", "lblScanText", "cmdCancelOrStop"})
        EXPECT_EQ(std::find(trace.begin(), trace.end(), kept), trace.end()) << kept;
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back(), "yield");
    for (size_t i = 1; i < trace.size(); ++i)
        EXPECT_FALSE(trace[i] != "yield" && trace[i - 1] != "yield")
            << "no yield between " << trace[i - 1] << " and " << trace[i];
}

TEST(EndingGuard, AnEndDuringAWriteWaitsForItsEnd) {
    struct Step {
        char op;      // 'b' begin, 'e' end of a write, 'r' request to end
        bool returns; // what EndWrite / RequestEnd return
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases{
        {"idle", {{'r', true}}},
        {"during a write", {{'b', false}, {'r', false}, {'e', true}}},
        {"a write without a request", {{'b', false}, {'e', false}, {'r', true}}},
        {"nested writes", {{'b', false}, {'b', false}, {'r', false}, {'e', false}, {'e', true}}},
        {"the request is used once", {{'b', false}, {'r', false}, {'e', true}, {'b', false}, {'e', false}}},
    };
    for (const Case& c : cases) {
        EndingGuard guard;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            if (s.op == 'b') {
                guard.BeginWrite();
                EXPECT_TRUE(guard.writing());
            } else {
                EXPECT_EQ(s.op == 'e' ? guard.EndWrite() : guard.RequestEnd(), s.returns)
                    << c.what << ", step " << i;
            }
        }
    }
}

} // namespace
} // namespace vx
