// frmMenuPopUp over a fixture prefix: where it stands, its slides driven tick by tick, its items and what
// they do to the main window and the tray icon, Exit's question, and the hover styles.
#include "ui/popup_menu.h"

#include "support/test_app.h"
#include "ui/main_window.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace vx {
namespace {

using test::FixturePrefix;
using test::TestApp;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

class RecordingArea : public NotificationArea {
  public:
    void Add(std::string_view tip) override { calls.push_back("Add " + std::string(tip)); }
    void Modify(std::string_view tip) override { calls.push_back("Modify " + std::string(tip)); }
    void Delete() override { calls.push_back("Delete"); }
    std::vector<std::string> calls;
};

// The main window's front end, its icon being a real clsTray; the menu opens through `onPopupMenu`.
class TrayShell : public MainWindowShell {
  public:
    explicit TrayShell(clsTray& tray) : tray_(tray) {}
    void HideWindow() override { hidden = true; }
    void MinimiseWindow() override {}
    bool IsMinimised() const override { return false; }
    void ShowNormalWindow() override { hidden = false; }
    void ShowIcon() override { tray_.ShowIcon(TrayForm{std::string(kProductName)}); }
    void ChangeToolTip(std::string_view tip) override {
        tray_.ChangeToolTip(TrayForm{std::string(kProductName)}, tip);
    }
    bool RunningInTray() const override { return tray_.bRunningInTray(); }
    void ShowPopupMenu() override {
        if (onPopupMenu)
            onPopupMenu();
    }
    void ShowNotification(std::string_view, std::string_view) override {}
    void ShowSettingsDialog() override { settingsShown = true; }
    void ShowBackupManager() override {}
    void OpenWebPage(std::string_view) override {}
    void RepaintControl(std::string_view control) override { repainted.emplace_back(control); }
    void EndProgram() override { ended = true; }

    bool hidden = false;
    bool ended = false;
    bool settingsShown = false;
    std::vector<std::string> repainted;
    std::function<void()> onPopupMenu;

  private:
    clsTray& tray_;
};

// The menu's front end: records "Show", "Move LEFT,TOP", "Close", "ShowMain", "HideMain", "Pointer busy" /
// "Pointer default", "End"; shows and hides the main window through the main window's shell.
class RecordingMenuShell : public MenuPopUpShell {
  public:
    explicit RecordingMenuShell(TrayShell& main) : main_(main) {}
    void ShowMenu() override { events.push_back("Show"); }
    void MoveMenu(int left, int top) override {
        events.push_back("Move " + std::to_string(left) + "," + std::to_string(top));
        tops.push_back(top);
    }
    void CloseMenu() override { events.push_back("Close"); }
    void ShowMainWindowNormal() override {
        events.push_back("ShowMain");
        main_.hidden = false;
    }
    void HideMainWindow() override {
        events.push_back("HideMain");
        main_.hidden = true;
    }
    bool MainWindowHidden() const override { return main_.hidden; }
    void SetBusyPointer(bool busy) override { events.push_back(busy ? "Pointer busy" : "Pointer default"); }
    void EndProgram() override { events.push_back("End"); }
    void StartScanLater() override {
        events.push_back("ScanLater");
        ++scansAsked;
    }

    // The events other than showing and moving the menu.
    std::vector<std::string> Actions() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e != "Show" && !e.starts_with("Move "))
                out.push_back(e);
        return out;
    }
    bool Closed() const { return std::find(events.begin(), events.end(), "Close") != events.end(); }

    std::vector<std::string> events;
    std::vector<int> tops; // every top the menu was moved to
    int scansAsked = 0;

  private:
    TrayShell& main_;
};

// 1024 x 768 pixels with a 30-pixel taskbar; the menu 120 pixels wide and 1800 twips high.
const MenuScreen kScreen{1024, 768, 30, 120, 1800};

class PopupMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics()
            .String("HKLM", kFonts, "Arial", "arial.ttf")
            .String("HKLM", kFonts, "Gone", "gone.ttf");
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        frm = std::make_unique<FrmMain>(a(), shell);
        frm->Form_Load();
        // The main window closed to the tray.
        shell.hidden = true;
        tray.ShowIcon(TrayForm{std::string(kProductName)});
        tray.ChangeToolTip(TrayForm{std::string(kProductName)}, kProductName);
        area.calls.clear();
    }
    App& a() { return **app; }
    MainWindowModel& main() { return frm->model(); }

    FrmMenuPopUp& Open(const MenuScreen& screen = kScreen) {
        menu = std::make_unique<FrmMenuPopUp>(a(), *frm, tray, menuShell);
        menu->Form_Load(screen);
        return *menu;
    }
    // Ticks the slide up until it stops.
    void Rise() {
        for (int i = 0; i < 1000 && menu->tmrMenuPopup; ++i)
            menu->tmrMenuPopup_Timer();
        ASSERT_FALSE(menu->tmrMenuPopup);
    }
    // Ticks the slide down until the menu closes.
    void Fall() {
        for (int i = 0; i < 1000 && menu->tmrPopDown; ++i)
            menu->tmrPopDown_Timer();
        ASSERT_TRUE(menuShell.Closed());
    }
    // Only the fonts section is checked (in the settings, since the items refill the check-list).
    void CheckOnlyFonts() {
        for (const auto& row : main().lvwRegistryvaluesScan.rows)
            a().SaveSetting(row.text, row.text == "Windows Fonts" ? "True" : "False");
    }

    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
    RecordingArea area;
    clsTray tray{area};
    TrayShell shell{tray};
    RecordingMenuShell menuShell{shell};
    std::unique_ptr<FrmMain> frm;
    std::unique_ptr<FrmMenuPopUp> menu;
};

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double value;
        int32_t rounded;
    };
    for (const Case& c : std::vector<Case>{{0.5, 0},
                                           {1.5, 2},
                                           {2.5, 2},
                                           {3.5, 4},
                                           {-0.5, 0},
                                           {-1.5, -2},
                                           {-2.5, -2},
                                           {2.4, 2},
                                           {2.6, 3},
                                           {-2.6, -3},
                                           {449.5, 450},
                                           {420.5, 420},
                                           {11121.5, 11122},
                                           {7.0, 7}})
        EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
}

TEST_F(PopupMenuTest, LoadingPlacesTheMenuOnTheTaskbarNearTheRightEdge) {
    struct Case {
        MenuScreen screen;
        int taskbar, desktop, top, left, target;
    };
    const std::vector<Case> cases{
        // 30 x 14.5 = 435, 768 x 14.5 = 11136; (1024 - 120) x 14.7 = 13288.8.
        {kScreen, 435, 11136, 10701, 13289, 11136 - 1900},
        // 31 x 14.5 = 449.5 and 767 x 14.5 = 11121.5: halves to even.
        {{800, 767, 31, 100, 1500}, 450, 11122, 10672, 10290, 11122 - 1600},
        {{800, 600, 29, 100, 1500}, 420, 8700, 8280, 10290, 8700 - 1600},
        // No taskbar found: the menu starts at the screen's bottom edge.
        {{1024, 768, 0, 120, 1800}, 0, 11136, 11136, 13289, 9236},
    };
    for (const Case& c : cases) {
        menuShell.events.clear();
        FrmMenuPopUp& m = Open(c.screen);
        EXPECT_EQ(m.taskbarHeightTwips(), c.taskbar);
        EXPECT_EQ(m.desktopHeightTwips(), c.desktop);
        EXPECT_EQ(m.top(), c.top);
        EXPECT_EQ(m.left(), c.left);
        EXPECT_EQ(m.targetTop(), c.target);
        EXPECT_EQ(menuShell.events,
                  (std::vector<std::string>{"Pointer default",
                                            "Move " + std::to_string(c.left) + "," + std::to_string(c.top),
                                            "Show"}));
        EXPECT_TRUE(m.tmrMenuPopup);
        EXPECT_FALSE(m.TmrEnablePopDown);
        EXPECT_FALSE(m.tmrPopDown);
    }
}

TEST_F(PopupMenuTest, ItRisesInStepsWaitsThenSlidesDownAndClosesPastTheFixedLine) {
    struct Case {
        int menuHeight;
        int arrived; // where the rise stops
        int closed;  // the top at which the menu closes
    };
    // 1775 twips high: the target 9261 is reached exactly, and the menu stops there.
    for (const Case& c : std::vector<Case>{{1800, 9181, 11181}, {1775, 9261, 11181}}) {
        MenuScreen screen = kScreen;
        screen.menuHeightTwips = c.menuHeight;
        menuShell.events.clear();
        FrmMenuPopUp& m = Open(screen);
        ASSERT_EQ(m.top(), 10701);
        const int target = 11136 - (c.menuHeight + 100);
        menuShell.tops.clear();
        Rise();
        // Every step 80 twips up, from 10701, each one taken while the menu was still below the target.
        ASSERT_FALSE(menuShell.tops.empty());
        int previous = 10701;
        for (const int top : menuShell.tops) {
            EXPECT_EQ(top, previous - 80);
            EXPECT_GT(previous, target);
            previous = top;
        }
        EXPECT_EQ(m.top(), c.arrived);
        EXPECT_LE(m.top(), target);
        EXPECT_TRUE(m.TmrEnablePopDown) << "arrived: the wait begins";
        EXPECT_FALSE(m.tmrPopDown);
        EXPECT_FALSE(menuShell.Closed());

        m.TmrEnablePopDown_Timer();
        EXPECT_FALSE(m.TmrEnablePopDown);
        ASSERT_TRUE(m.tmrPopDown);
        const int arrived = m.top();
        menuShell.tops.clear();
        menuShell.events.clear();
        Fall();
        previous = arrived;
        for (const int top : menuShell.tops) {
            EXPECT_EQ(top, previous + 40);
            EXPECT_LE(previous, 11167) << "closes as soon as it passes 11167";
            previous = top;
        }
        EXPECT_EQ(m.top(), c.closed);
        EXPECT_EQ(menuShell.Actions(), std::vector<std::string>{"Close"});
        EXPECT_FALSE(m.tmrPopDown);
        EXPECT_FALSE(m.TmrEnablePopDown);
        EXPECT_FALSE(m.tmrMenuPopup);
    }
}

TEST_F(PopupMenuTest, OnATallerScreenTheMenuClosesAfterTheFirstStepDown) {
    // 1200 pixels: the menu's place is already below 11167 twips.
    FrmMenuPopUp& m = Open({1600, 1200, 40, 120, 1800});
    Rise();
    m.TmrEnablePopDown_Timer();
    menuShell.events.clear();
    m.tmrPopDown_Timer();
    EXPECT_EQ(menuShell.Actions(), std::vector<std::string>{"Close"});
    EXPECT_FALSE(m.tmrPopDown);
}

TEST_F(PopupMenuTest, TheCloseLabelSlidesItDownAtOnceFromWhereItIs) {
    FrmMenuPopUp& m = Open();
    for (int i = 0; i < 3; ++i)
        m.tmrMenuPopup_Timer();
    ASSERT_EQ(m.top(), 10701 - 240);
    m.Click(MenuItem::lblMenuClose);
    EXPECT_FALSE(m.tmrMenuPopup);
    EXPECT_FALSE(m.TmrEnablePopDown);
    EXPECT_TRUE(m.tmrPopDown);
    m.tmrMenuPopup_Timer(); // a tick of the stopped timer still on its way
    EXPECT_EQ(m.top(), 10701 - 240);
    m.tmrPopDown_Timer();
    EXPECT_EQ(m.top(), 10701 - 200);
    EXPECT_TRUE(tray.bRunningInTray()) << "the label only closes the menu";
    EXPECT_TRUE(shell.hidden);
}

TEST_F(PopupMenuTest, ReachingTheFixedLineExactlyIsNotYetPassingIt) {
    struct Case {
        int taskbar; // pixels
        int start;   // the top after loading
        int closed;  // the top at which the menu closes
    };
    // A 42-pixel taskbar puts the menu at 10527: sliding down it meets 11167 exactly, and goes on one step.
    for (const Case& c : std::vector<Case>{{42, 10527, 11207}, {30, 10701, 11181}}) {
        menuShell.events.clear();
        FrmMenuPopUp& m = Open({1024, 768, c.taskbar, 120, 1800});
        ASSERT_EQ(m.top(), c.start);
        m.Click(MenuItem::lblMenuClose);
        Fall();
        EXPECT_EQ(m.top(), c.closed) << c.taskbar;
    }
}

TEST_F(PopupMenuTest, TheItemsAreEnabledByTheMainWindowsStateAndDisabledOnesDoNothing) {
    struct Case {
        const char* what;
        bool hidden;
        bool scanning;
        bool restore, scan, settings;
    };
    const std::vector<Case> cases{
        {"closed to the tray, idle", true, false, true, true, true},
        {"main window visible", false, false, false, true, true},
        {"closed during a scan", true, true, true, false, false},
        {"visible during a scan", false, true, false, false, false},
    };
    for (const Case& c : cases) {
        shell.hidden = c.hidden;
        main().ImgScanNowNormal = !c.scanning;
        FrmMenuPopUp& m = Open();
        EXPECT_EQ(m.style(MenuItem::MenuRestore).enabled, c.restore) << c.what;
        EXPECT_EQ(m.style(MenuItem::MenuScan).enabled, c.scan) << c.what;
        EXPECT_EQ(m.style(MenuItem::MenuSettings).enabled, c.settings) << c.what;
        EXPECT_TRUE(m.style(MenuItem::MenuExit).enabled) << c.what;
        EXPECT_TRUE(m.style(MenuItem::lblMenuClose).enabled) << c.what;
        for (const MenuItem item : {MenuItem::MenuRestore, MenuItem::MenuScan, MenuItem::MenuSettings}) {
            if (m.style(item).enabled)
                continue;
            menuShell.events.clear();
            area.calls.clear();
            m.Click(item);
            EXPECT_TRUE(menuShell.events.empty()) << c.what;
            EXPECT_TRUE(area.calls.empty()) << c.what;
            EXPECT_TRUE(m.tmrMenuPopup) << c.what << ": still rising";
            EXPECT_FALSE(m.tmrPopDown) << c.what;
            EXPECT_FALSE(frm->tmrSettings) << c.what;
            EXPECT_EQ(shell.hidden, c.hidden) << c.what;
        }
    }
}

TEST_F(PopupMenuTest, MaximizeBringsTheWindowBackRefreshedAndTakesTheIconAway) {
    struct Case {
        const char* what;
        bool scanning;
        const char* pointer;
    };
    for (const Case& c :
         std::vector<Case>{{"idle", false, "Pointer default"}, {"during a scan", true, "Pointer busy"}}) {
        shell.hidden = true;
        if (!tray.bRunningInTray())
            tray.ShowIcon(TrayForm{std::string(kProductName)});
        main().ImgScanNowNormal = !c.scanning;
        FrmMenuPopUp& m = Open();
        Rise();
        // A change behind the check-list's back, and a hover the refill puts back.
        a().SaveSetting("Help Files", "False");
        frm->MouseMove(MainButton::Settings);
        shell.repainted.clear();
        menuShell.events.clear();
        area.calls.clear();
        m.Click(MenuItem::MenuRestore);
        EXPECT_EQ(menuShell.Actions(), (std::vector<std::string>{"ShowMain", c.pointer})) << c.what;
        EXPECT_FALSE(shell.hidden) << c.what;
        EXPECT_NE(std::find(shell.repainted.begin(), shell.repainted.end(), "Picture1"),
                  shell.repainted.end())
            << c.what;
        EXPECT_FALSE(main().lvwRegistryvaluesScan.rows[4].checked)
            << c.what << ": the check-list was refilled";
        EXPECT_FALSE(frm->buttons()[MainButton::Settings].highlighted) << c.what;
        EXPECT_EQ(area.calls, std::vector<std::string>{"Delete"}) << c.what;
        EXPECT_FALSE(tray.bRunningInTray()) << c.what;
        EXPECT_TRUE(m.tmrPopDown) << c.what;
        EXPECT_FALSE(m.TmrEnablePopDown) << c.what;
        a().SaveSetting("Help Files", "True");
    }
}

// Scan Now only asks for the scan: it runs once the click is over, from the main window, so that a
// second click on the menu (still up, sliding down) never runs a scan inside the first.
TEST_F(PopupMenuTest, ScanNowBringsTheWindowBackAndLeavesTheScanToAfterTheClick) {
    CheckOnlyFonts();
    FrmMenuPopUp& m = Open();
    m.Click(MenuItem::MenuScan);
    EXPECT_EQ(menuShell.scansAsked, 1);
    EXPECT_TRUE(frm->engine().findings().lvwErrors.empty()) << "no scan ran inside the click";
    EXPECT_FALSE(main().PicResults);
    EXPECT_FALSE(shell.hidden);
    EXPECT_FALSE(tray.bRunningInTray());
    EXPECT_TRUE(m.tmrPopDown) << "the menu slides down";
}

TEST_F(PopupMenuTest, SettingsLeavesTheDialogToTheMainWindowsTimer) {
    FrmMenuPopUp& m = Open();
    m.Click(MenuItem::MenuSettings);
    EXPECT_FALSE(shell.hidden);
    EXPECT_FALSE(tray.bRunningInTray());
    EXPECT_TRUE(m.tmrPopDown);
    EXPECT_FALSE(shell.settingsShown) << "not from inside the menu's click";
    ASSERT_TRUE(frm->tmrSettings);
    frm->tmrSettings_Timer();
    EXPECT_TRUE(shell.settingsShown);
}

TEST_F(PopupMenuTest, ExitAnsweredWithCancelPutsTheWindowBackInTheTrayAndSlidesDown) {
    FrmMenuPopUp& m = Open();
    Rise();
    app->frontEnd.answers = {false};
    bool asked = false;
    app->frontEnd.onMessageBox = [&](App& running) {
        asked = true;
        EXPECT_TRUE(m.held());
        EXPECT_FALSE(m.tmrMenuPopup);
        EXPECT_FALSE(m.TmrEnablePopDown);
        EXPECT_FALSE(m.tmrPopDown);
        EXPECT_EQ(running.MessageBoxKind, "CLOSE CONFERMATION");
        EXPECT_FALSE(shell.hidden) << "the window shows while the question is open";
        EXPECT_FALSE(tray.bRunningInTray());
    };
    area.calls.clear();
    menuShell.events.clear();
    m.Click(MenuItem::MenuExit);
    ASSERT_TRUE(asked);
    EXPECT_EQ(app->frontEnd.messages.back(), "Are you sure you want close Vantrelix ?");
    EXPECT_FALSE(m.held());
    EXPECT_EQ(menuShell.Actions(), (std::vector<std::string>{"ShowMain", "Pointer default", "HideMain"}));
    EXPECT_TRUE(shell.hidden);
    EXPECT_TRUE(tray.bRunningInTray());
    EXPECT_EQ(tray.szTip(), "Vantrelix v3.0");
    EXPECT_EQ(area.calls,
              (std::vector<std::string>{"Delete", "Add Vantrelix v3.0", "Modify Vantrelix v3.0"}));
    EXPECT_TRUE(m.tmrPopDown);
    Fall();
    // The icon opens the menu again afterwards.
    bool reopened = false;
    shell.onPopupMenu = [&] { reopened = true; };
    frm->Form_MouseMove(7755);
    EXPECT_TRUE(reopened);
}

TEST_F(PopupMenuTest, ExitAnsweredWithOkEndsTheProgramWithoutTheIcon) {
    FrmMenuPopUp& m = Open();
    app->frontEnd.answers = {true};
    area.calls.clear();
    menuShell.events.clear();
    m.Click(MenuItem::MenuExit);
    EXPECT_EQ(menuShell.Actions(), (std::vector<std::string>{"ShowMain", "Pointer default", "End"}));
    EXPECT_FALSE(tray.bRunningInTray());
    EXPECT_EQ(area.calls, (std::vector<std::string>{"Delete", "Delete"}));
    EXPECT_EQ(a().MessageBoxKind, "YES");
    EXPECT_FALSE(m.held());
}

TEST_F(PopupMenuTest, HoveringMakesALabelBoldUnderlinedAndCentred) {
    const std::map<std::string, MenuItem> names{{"Restore", MenuItem::MenuRestore},
                                                {"Scan", MenuItem::MenuScan},
                                                {"Settings", MenuItem::MenuSettings},
                                                {"Exit", MenuItem::MenuExit},
                                                {"X", MenuItem::lblMenuClose}};
    struct Case {
        const char* what;
        std::vector<std::string> moves;  // "Background" for the menu's picture
        std::vector<std::string> styled; // sorted
        bool scanning = false;
    };
    const std::vector<Case> cases{
        {"one label", {"Exit"}, {"Exit"}},
        {"settings and exit add up", {"Exit", "Settings"}, {"Exit", "Settings"}},
        {"the close label too", {"X", "Exit"}, {"Exit", "X"}},
        {"maximize clears the others first", {"Exit", "Settings", "X", "Restore"}, {"Restore"}},
        {"scan now clears the others first", {"Settings", "Restore", "Scan"}, {"Scan"}},
        {"after scan now, exit adds up", {"Scan", "Exit"}, {"Exit", "Scan"}},
        {"the background clears every label", {"Restore", "Settings", "Exit", "X", "Background"}, {}},
        {"a disabled label takes no hover", {"Exit", "Scan"}, {"Exit"}, true},
    };
    for (const Case& c : cases) {
        main().ImgScanNowNormal = !c.scanning;
        FrmMenuPopUp& m = Open();
        for (const auto& move : c.moves) {
            if (move == "Background")
                m.Picture1_MouseMove();
            else
                m.MouseMove(names.at(move));
        }
        std::vector<std::string> styled;
        for (const auto& [name, item] : names) {
            const MenuItemStyle& s = m.style(item);
            EXPECT_EQ(s.bold, s.underlined) << c.what << " " << name;
            EXPECT_TRUE(s.centred) << c.what << " " << name;
            if (s.bold)
                styled.push_back(name);
        }
        std::sort(styled.begin(), styled.end());
        EXPECT_EQ(styled, c.styled) << c.what;
    }
}

TEST_F(PopupMenuTest, FromClosingTheWindowToTheMenuAndBack) {
    shell.hidden = false;
    tray.RemoveIcon(TrayForm{std::string(kProductName)});
    shell.onPopupMenu = [&] { Open(); };
    frm->MouseMove(MainButton::Close);
    frm->Click(MainButton::Close);
    ASSERT_TRUE(shell.hidden);
    ASSERT_TRUE(tray.bRunningInTray());
    EXPECT_EQ(tray.szTip(), "Vantrelix v3.0");
    // A single left click on the icon does nothing; a right-button release opens the menu.
    frm->Form_MouseMove(TrayMessageAsTwips(kTrayLeftButtonDown));
    frm->Form_MouseMove(TrayMessageAsTwips(kTrayLeftButtonUp));
    ASSERT_FALSE(menu);
    frm->Form_MouseMove(TrayMessageAsTwips(kTrayRightButtonUp));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->style(MenuItem::MenuRestore).enabled);
    menu->Click(MenuItem::MenuRestore);
    EXPECT_FALSE(shell.hidden);
    // With the window back, the icon's clicks no longer arrive.
    menu.reset();
    frm->Form_MouseMove(TrayMessageAsTwips(kTrayLeftDoubleClick));
    EXPECT_FALSE(menu);
}

} // namespace
} // namespace vx
