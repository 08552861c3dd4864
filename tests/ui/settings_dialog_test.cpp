// The settings dialog over a fixture prefix: loading and what it stores, the options' change handling,
// OK and Close, the browse buttons, the wave-file preview and the start-up entry.
#include "ui/settings_dialog.h"

#include "platform/text.h"
#include "support/test_app.h"
#include "ui/autostart_entry.h"
#include "ui/scoped_env.h"

#include <deque>
#include <fstream>
#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FixturePrefix;
using test::ScopedEnv;
using test::TempDir;
using test::TestApp;

using Saves = std::vector<std::pair<std::string, std::string>>;

class RecordingDialogShell : public SettingsDialogShell {
  public:
    std::string BrowseForFolder(const std::string& startFolder) override {
        events.push_back("BrowseForFolder " + startFolder);
        return Next(folders);
    }
    std::string ChooseWaveFile(const std::string& initialFolder) override {
        events.push_back("ChooseWaveFile " + initialFolder);
        return Next(waveFiles);
    }
    void CloseDialog() override { events.push_back("CloseDialog"); }

    std::vector<std::string> events;
    std::deque<std::string> folders; // the user's choices in turn; empty text once they run out
    std::deque<std::string> waveFiles;

  private:
    static std::string Next(std::deque<std::string>& choices) {
        if (choices.empty())
            return {};
        std::string next = choices.front();
        choices.pop_front();
        return next;
    }
};

class FakeStartup : public StartupEntry {
  public:
    bool Write() override {
        calls.push_back("Write");
        return succeeds;
    }
    bool Remove() override {
        calls.push_back("Remove");
        return succeeds;
    }
    std::vector<std::string> calls;
    bool succeeds = true;
};

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics().File("C:\\windows\\Media\\ding.wav", "RIFF");
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        dialog = std::make_unique<FrmSetings>(a(), shell, startup);
    }
    App& a() { return **app; }
    std::string Stored(const char* key) { return a().GetSetting(key, "<none>"); }
    // Opens the dialog afresh, as each showing does.
    FrmSetings& Open() {
        dialog = std::make_unique<FrmSetings>(a(), shell, startup);
        dialog->Form_Load();
        return *dialog;
    }
    void HoverAndClick(SettingsButton button) {
        dialog->MouseMove(button);
        dialog->Click(button);
    }
    Saves SavesOf(const std::string& key) const {
        Saves out;
        for (const auto& save : app->settings.saves)
            if (save.first == key)
                out.push_back(save);
        return out;
    }

    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
    RecordingDialogShell shell;
    FakeStartup startup;
    std::unique_ptr<FrmSetings> dialog;
};

TEST_F(SettingsDialogTest, OpeningOnAnEmptyStoreShowsAndStoresTheDefaults) {
    FrmSetings& d = Open();
    const std::string folder = a().ApplicationFolder();
    struct Case {
        SettingsOption option;
        int check;
        std::string text;
        bool editable;
        const char* key;
        SettingsButton browse;
    };
    const std::vector<Case> cases{
        {SettingsOption::PlaySound, 0, "", false, "chkPlaySound", SettingsButton::WaveFileBrowse},
        {SettingsOption::MakeLogFile, 1, folder, true, "chkMakeLogFile", SettingsButton::Browse},
        {SettingsOption::MakeBackUp, 1, folder, true, "chkMakeBackUp", SettingsButton::BackUpBrowse},
        {SettingsOption::RunAtStartup, 1, "", false, "chkRunAtStartup", SettingsButton::Count},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(d.option(c.option).check, c.check) << c.key;
        EXPECT_EQ(d.option(c.option).text, c.text) << c.key;
        EXPECT_EQ(d.option(c.option).editable, c.editable) << c.key;
        EXPECT_EQ(Stored(c.key), std::to_string(c.check)) << c.key;
        if (c.browse != SettingsButton::Count) {
            EXPECT_EQ(d.buttons()[c.browse].enabled, c.editable) << c.key;
        }
    }
    EXPECT_EQ(startup.calls, (std::vector<std::string>{"Write"}));
    // The paths are not stored by opening.
    EXPECT_EQ(Stored("txtLogFile"), "<none>");
    EXPECT_EQ(Stored("txtWaveFilesPath"), "<none>");
}

TEST_F(SettingsDialogTest, EveryOpeningWithTheStartUpOptionOnWritesTheEntryAgain) {
    struct Case {
        const char* stored; // nullptr: never written
        std::vector<std::string> calls;
        int check;
    };
    for (const Case& c : std::vector<Case>{{nullptr, {"Write"}, 1}, {"1", {"Write"}, 1}, {"0", {}, 0}}) {
        if (c.stored)
            a().SaveSetting("chkRunAtStartup", c.stored);
        startup.calls.clear();
        EXPECT_EQ(Open().option(SettingsOption::RunAtStartup).check, c.check);
        EXPECT_EQ(startup.calls, c.calls) << (c.stored ? c.stored : "(none)");
    }
}

TEST_F(SettingsDialogTest, StoredOptionsComeBackWithTheirPaths) {
    a().SaveSetting("chkPlaySound", "1");
    a().SaveSetting("txtWaveFilesPath", "/sounds/a.wav");
    a().SaveSetting("chkMakeLogFile", "0");
    a().SaveSetting("txtLogFile", " /reports ");
    FrmSetings& d = Open();
    EXPECT_EQ(d.option(SettingsOption::PlaySound).check, 1);
    EXPECT_TRUE(d.option(SettingsOption::PlaySound).editable);
    EXPECT_EQ(d.option(SettingsOption::PlaySound).text, "/sounds/a.wav");
    EXPECT_TRUE(d.buttons()[SettingsButton::WaveFileBrowse].enabled);
    EXPECT_EQ(d.option(SettingsOption::MakeLogFile).check, 0);
    EXPECT_FALSE(d.option(SettingsOption::MakeLogFile).editable);
    EXPECT_EQ(d.option(SettingsOption::MakeLogFile).text, " /reports ");
    EXPECT_FALSE(d.buttons()[SettingsButton::Browse].enabled);
}

TEST_F(SettingsDialogTest, TheStartUpOptionWritesOrRemovesTheEntryAndIsStoredEvenWhenThatFails) {
    for (const bool succeeds : {true, false}) {
        startup.succeeds = succeeds;
        a().SaveSetting("chkRunAtStartup", "1");
        FrmSetings& d = Open();
        startup.calls.clear();
        d.SetCheck(SettingsOption::RunAtStartup, 0);
        EXPECT_EQ(Stored("chkRunAtStartup"), "0");
        d.SetCheck(SettingsOption::RunAtStartup, 1);
        EXPECT_EQ(Stored("chkRunAtStartup"), "1");
        d.Label_Click(SettingsOption::RunAtStartup);
        EXPECT_EQ(Stored("chkRunAtStartup"), "0");
        EXPECT_EQ(startup.calls, (std::vector<std::string>{"Remove", "Write", "Remove"})) << succeeds;
    }
}

TEST_F(SettingsDialogTest, ClickingALabelTwiceReturnsItsBoxAndStoresBothTimes) {
    struct Case {
        SettingsOption option;
        const char* key;
        const char* first; // the state after the first click
        const char* second;
    };
    const std::vector<Case> cases{
        {SettingsOption::PlaySound, "chkPlaySound", "1", "0"},
        {SettingsOption::MakeLogFile, "chkMakeLogFile", "0", "1"},
        {SettingsOption::MakeBackUp, "chkMakeBackUp", "0", "1"},
        {SettingsOption::RunAtStartup, "chkRunAtStartup", "0", "1"},
    };
    for (const Case& c : cases) {
        FrmSetings& d = Open();
        const int before = d.option(c.option).check;
        app->settings.saves.clear();
        d.Label_Click(c.option);
        EXPECT_EQ(d.option(c.option).editable,
                  c.option != SettingsOption::RunAtStartup && c.first == std::string("1"));
        d.Label_Click(c.option);
        EXPECT_EQ(d.option(c.option).check, before) << c.key;
        EXPECT_EQ(SavesOf(c.key), (Saves{{c.key, c.first}, {c.key, c.second}}));
    }
}

TEST_F(SettingsDialogTest, OkStoresThePathsOfOptionsThatHaveOneAndSwitchesOffTheOthers) {
    struct Case {
        const char* what;
        SettingsOption option;
        const char* checkKey;
        const char* textKey;
        int check;
        std::string text;
        std::string storedCheck; // afterwards
        std::string storedText;  // afterwards; "/old" is what was there before
    };
    const std::vector<Case> cases{
        {"report on, blank folder", SettingsOption::MakeLogFile, "chkMakeLogFile", "txtLogFile", 1, "", "0",
         "/old"},
        {"report on, folder of blanks", SettingsOption::MakeLogFile, "chkMakeLogFile", "txtLogFile", 1, "   ",
         "0", "/old"},
        {"report folder with blanks around", SettingsOption::MakeLogFile, "chkMakeLogFile", "txtLogFile", 1,
         "  /reports  ", "1", "  /reports  "},
        {"backup folder", SettingsOption::MakeBackUp, "chkMakeBackUp", "txtBackup", 1, "/b", "1", "/b"},
        {"backup on, blank folder", SettingsOption::MakeBackUp, "chkMakeBackUp", "txtBackup", 1, "", "0",
         "/old"},
        {"sound on, no file", SettingsOption::PlaySound, "chkPlaySound", "txtWaveFilesPath", 1, "", "0",
         "/old"},
        {"sound on with a file", SettingsOption::PlaySound, "chkPlaySound", "txtWaveFilesPath", 1, "/x.wav",
         "1", "/x.wav"},
        {"sound off: its path is not stored", SettingsOption::PlaySound, "chkPlaySound", "txtWaveFilesPath",
         0, "", "0", "/old"},
    };
    for (const Case& c : cases) {
        a().SaveSetting(c.textKey, "/old");
        a().SaveSetting(c.checkKey, "1");
        FrmSetings& d = Open();
        d.SetText(c.option, c.text);
        d.SetCheck(c.option, c.check);
        shell.events.clear();
        HoverAndClick(SettingsButton::OK);
        EXPECT_EQ(Stored(c.checkKey), c.storedCheck) << c.what;
        EXPECT_EQ(Stored(c.textKey), c.storedText) << c.what;
        EXPECT_EQ(d.option(c.option).editable, c.storedCheck == "1") << c.what;
        EXPECT_EQ(shell.events, (std::vector<std::string>{"CloseDialog"})) << c.what;
    }
}

TEST_F(SettingsDialogTest, CloseDropsPathEditsButKeepsOptionChanges) {
    a().SaveSetting("txtLogFile", "/old");
    FrmSetings& d = Open();
    d.SetText(SettingsOption::MakeLogFile, "/new");
    d.SetCheck(SettingsOption::MakeBackUp, 0);
    d.SetText(SettingsOption::MakeBackUp, "/ignored"); // read-only now
    EXPECT_EQ(d.option(SettingsOption::MakeBackUp).text, a().ApplicationFolder());
    HoverAndClick(SettingsButton::Close);
    EXPECT_EQ(shell.events, (std::vector<std::string>{"CloseDialog"}));
    EXPECT_EQ(Stored("txtLogFile"), "/old");
    EXPECT_EQ(Stored("chkMakeBackUp"), "0");
}

TEST_F(SettingsDialogTest, FolderBrowseFillsTheBoxOnlyWithAChoiceAndStoresNothing) {
    struct Case {
        SettingsButton button;
        SettingsOption option;
        std::string chosen;
        bool taken;
    };
    const std::vector<Case> cases{
        {SettingsButton::Browse, SettingsOption::MakeLogFile, " /reports ", true},
        {SettingsButton::Browse, SettingsOption::MakeLogFile, "", false},
        {SettingsButton::BackUpBrowse, SettingsOption::MakeBackUp, "  ", false},
        {SettingsButton::BackUpBrowse, SettingsOption::MakeBackUp, "/backups", true},
    };
    for (const Case& c : cases) {
        FrmSetings& d = Open();
        const std::string typed = " " + (app->dataFolder.path() / "typed").string() + " ";
        d.SetText(c.option, typed);
        shell.folders = {c.chosen};
        app->settings.saves.clear();
        HoverAndClick(c.button);
        EXPECT_EQ(d.option(c.option).text, c.taken ? c.chosen : typed) << c.chosen;
        EXPECT_TRUE(app->settings.saves.empty());
        EXPECT_EQ(shell.events.back(), "BrowseForFolder " + std::string(TrimBlanks(typed)))
            << "starts at the box's folder";
    }
}

TEST_F(SettingsDialogTest, ADisabledBrowseButtonCannotBeReached) {
    FrmSetings& d = Open(); // the sound option is off
    d.MouseMove(SettingsButton::WaveFileBrowse);
    EXPECT_FALSE(d.buttons()[SettingsButton::WaveFileBrowse].highlighted);
    d.Click(SettingsButton::WaveFileBrowse);
    EXPECT_TRUE(shell.events.empty());
    // A highlighted Browse button is put back to plain when its option goes off.
    HoverAndClick(SettingsButton::Browse);
    d.SetCheck(SettingsOption::MakeLogFile, 0);
    d.Click(SettingsButton::Browse);
    EXPECT_EQ(shell.events, (std::vector<std::string>{"BrowseForFolder " + a().ApplicationFolder()}));
}

TEST_F(SettingsDialogTest, AChosenWaveFileIsStoredAtOnceAndPlayedOnceWithoutCountingAProblem) {
    a().SaveSetting("chkPlaySound", "1");
    FrmSetings& d = Open();
    const std::string media = prefix.HostPathOf("C:\\windows\\Media").string();
    const std::string wave = prefix.HostPathOf("C:\\windows\\Media\\ding.wav").string();
    shell.waveFiles = {wave, ""};
    HoverAndClick(SettingsButton::WaveFileBrowse);
    EXPECT_EQ(Stored("txtWaveFilesPath"), wave);
    EXPECT_EQ(d.option(SettingsOption::PlaySound).text, wave);
    ASSERT_EQ(app->sound.played, (std::vector<std::filesystem::path>{wave}));
    EXPECT_EQ(test::ModelOf(a()).lblProblemsFound, "0");

    // The next browse starts at the chosen file; a cancel changes nothing.
    HoverAndClick(SettingsButton::WaveFileBrowse);
    EXPECT_EQ(shell.events, (std::vector<std::string>{"ChooseWaveFile " + media, "ChooseWaveFile " + wave}));
    HoverAndClick(SettingsButton::Close);
    EXPECT_EQ(Stored("txtWaveFilesPath"), wave);
    EXPECT_EQ(app->sound.played, (std::vector<std::filesystem::path>{wave})) << "played once";
}

TEST_F(SettingsDialogTest, WithoutAMediaFolderTheWaveDialogStartsInTheHostsSoundFolder) {
    std::filesystem::remove_all(prefix.HostPathOf("C:\\windows\\Media"));
    TempDir first, second;
    std::filesystem::create_directory(second.path() / "sounds");
    struct Case {
        std::optional<std::string> dirs;
        std::filesystem::path folder;
    };
    const std::vector<Case> cases{
        {first.path().string() + ":" + second.path().string(), second.path() / "sounds"},
        {"relative/dir:" + second.path().string(), second.path() / "sounds"},
        {first.path().string(), "/usr/share/sounds"},
    };
    for (const Case& c : cases) {
        ScopedEnv env("XDG_DATA_DIRS", c.dirs);
        EXPECT_EQ(Open().WaveFileInitialFolder(), c.folder.string()) << *c.dirs;
    }
}

TEST_F(SettingsDialogTest, HoverAndItsReset) {
    FrmSetings& d = Open();
    d.LabelMouseMove(SettingsOption::MakeLogFile);
    d.LabelMouseMove(SettingsOption::RunAtStartup);
    d.MouseMove(SettingsButton::OK);
    d.MouseMove(SettingsButton::Browse);
    EXPECT_TRUE(d.option(SettingsOption::MakeLogFile).labelBold);
    EXPECT_TRUE(d.option(SettingsOption::RunAtStartup).labelBold);
    EXPECT_FALSE(d.option(SettingsOption::PlaySound).labelBold);
    EXPECT_TRUE(d.buttons()[SettingsButton::OK].highlighted);

    // Over the title strip: the reset first, then the dialog follows a drag.
    d.drag.Press(100, 50);
    const auto moved = d.StripMouseMove({1000, 2000}, 130, 20);
    EXPECT_EQ(moved, (WindowPosition{1030, 1970}));
    for (const auto o : {SettingsOption::PlaySound, SettingsOption::MakeLogFile, SettingsOption::MakeBackUp,
                         SettingsOption::RunAtStartup})
        EXPECT_FALSE(d.option(o).labelBold);
    for (const auto b : {SettingsButton::Close, SettingsButton::WaveFileBrowse, SettingsButton::Browse,
                         SettingsButton::BackUpBrowse, SettingsButton::OK})
        EXPECT_FALSE(d.buttons()[b].highlighted);
    d.Click(SettingsButton::OK);
    EXPECT_TRUE(shell.events.empty()) << "a plain OK does nothing";
}

} // namespace
} // namespace vx
