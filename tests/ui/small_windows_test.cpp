// The message box, the notice and the backup manager: their buttons, answers and what they store.
#include "app/message_box.h"
#include "results/backup_record.h"
#include "support/test_app.h"
#include "ui/backup_manager_window.h"
#include "ui/message_box_window.h"
#include "ui/notification.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FixturePrefix;
using test::TestApp;

// What the user does with a message box, one step at a time until it answers.
enum class UserStep { HoverOk, HoverCancel, ClickOk, ClickCancel, PressOk, PressCancel, Escape, Background };

// A front end that shows FrmMessagebox and plays the user's steps on it.
class WindowFrontEnd : public FrontEnd {
  public:
    void Yield(App&) override {}
    bool ShowMessageBox(App&, std::string_view message, bool withCancel) override {
        FrmMessagebox box{std::string(message), withCancel};
        shown.emplace_back(box);
        FrmMessagebox::Answer answer = FrmMessagebox::Answer::None;
        for (const UserStep step : steps) {
            switch (step) {
            case UserStep::HoverOk: box.MouseMove(MessageBoxButton::OK); break;
            case UserStep::HoverCancel: box.MouseMove(MessageBoxButton::Cancel); break;
            case UserStep::ClickOk: answer = box.Click(MessageBoxButton::OK); break;
            case UserStep::ClickCancel: answer = box.Click(MessageBoxButton::Cancel); break;
            case UserStep::PressOk: answer = box.Press(MessageBoxButton::OK); break;
            case UserStep::PressCancel: answer = box.Press(MessageBoxButton::Cancel); break;
            case UserStep::Escape: answer = box.Escape(); break;
            case UserStep::Background: box.Picture1_MouseMove(); break;
            }
            if (answer != FrmMessagebox::Answer::None)
                break;
        }
        EXPECT_NE(answer, FrmMessagebox::Answer::None) << "the box never answered";
        return answer == FrmMessagebox::Answer::OK;
    }
    std::vector<UserStep> steps;
    std::vector<FrmMessagebox> shown;
};

class SmallWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics();
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
    }
    App& a() { return **app; }
    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
};

TEST_F(SmallWindowsTest, MessageBoxKindsTheirLayoutAndAnswers) {
    using S = UserStep;
    struct Case {
        const char* kind; // as the caller writes it
        std::vector<UserStep> steps;
        const char* message;
        bool withCancel;
        std::string after; // MessageBoxKind afterwards
    };
    const std::vector<Case> cases{
        {"FILES REPAIRED", {S::HoverOk, S::ClickOk}, " All Problems were repaired sucessfully !", false,
         "FILES REPAIRED"},
        {"  files repaired ", {S::Escape}, " All Problems were repaired sucessfully !", false, "  files repaired "},
        {"files repaired", {S::HoverCancel, S::ClickCancel, S::Background, S::PressCancel, S::PressOk},
         " All Problems were repaired sucessfully !", false, "files repaired"},
        {"CANCEL SCANNING", {S::HoverCancel, S::ClickCancel}, "Are you sure you want to stop the scanning ?", true,
         "NO"},
        {" cancel scanning", {S::HoverOk, S::ClickOk}, "Are you sure you want to stop the scanning ?", true, "YES"},
        {"Close Confermation ", {S::ClickOk, S::Escape}, "Are you sure you want close Vantrelix ?", true, "NO"},
        {"close confermation", {S::HoverOk, S::Background, S::ClickOk, S::PressOk},
         "Are you sure you want close Vantrelix ?", true, "YES"},
        {"DELETE BACKUP FILE", {S::PressCancel}, "Are you sure you want delete the selected file ?", true, "NO"},
        {"delete backup file", {S::HoverOk, S::HoverCancel, S::ClickOk}, "Are you sure you want delete the selected file ?",
         true, "YES"},
    };
    for (const Case& c : cases) {
        WindowFrontEnd frontEnd;
        test::MemorySettings settings;
        test::RecordingSound sound;
        App windowed(*app->target, settings, frontEnd, sound);
        frontEnd.steps = c.steps;
        windowed.MessageBoxKind.clear();
        windowed.MessageBoxKind = c.kind;
        ShowFrmMessagebox(windowed);
        EXPECT_EQ(windowed.MessageBoxKind, c.after) << c.kind;
        ASSERT_EQ(frontEnd.shown.size(), 1u) << c.kind;
        const FrmMessagebox& box = frontEnd.shown.front();
        EXPECT_EQ(box.lblMessage(), c.message) << c.kind;
        EXPECT_EQ(box.OkLeft(), c.withCancel ? 1395 : 2565) << c.kind;
        EXPECT_EQ(box.buttons()[MessageBoxButton::Cancel].visible, c.withCancel) << c.kind;
    }
}

TEST(MessageBoxWindow, TheLoneOkStaysAloneAndAnswersEveryWayOut) {
    FrmMessagebox box(" All Problems were repaired sucessfully !", false);
    box.MouseMove(MessageBoxButton::Cancel);
    box.MouseMove(MessageBoxButton::OK);
    box.Picture1_MouseMove();
    EXPECT_FALSE(box.buttons()[MessageBoxButton::Cancel].visible);
    EXPECT_FALSE(box.buttons()[MessageBoxButton::Cancel].highlighted);
    EXPECT_FALSE(box.buttons()[MessageBoxButton::OK].highlighted);
    EXPECT_EQ(box.Click(MessageBoxButton::OK), FrmMessagebox::Answer::None);
    // Escape, and keyboard activation of a plain picture, answer the only button there is.
    EXPECT_EQ(box.Escape(), FrmMessagebox::Answer::OK);
    EXPECT_EQ(box.Press(MessageBoxButton::OK), FrmMessagebox::Answer::OK);
    EXPECT_EQ(box.Press(MessageBoxButton::Cancel), FrmMessagebox::Answer::None);
}

TEST_F(SmallWindowsTest, TheNoticeStoresItsBoxAsItChanges) {
    using Step = std::function<void(FrmNotification&)>;
    const Step check = [](FrmNotification& n) { n.SetCheck(1); };
    const Step clear = [](FrmNotification& n) { n.SetCheck(0); };
    const Step label = [](FrmNotification& n) { n.Label1_Click(); };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int box;
        std::vector<std::string> stored; // every value stored, in order
    };
    const std::vector<Case> cases{
        {"checked", {check}, 1, {"1"}},
        {"checked and cleared", {check, clear}, 0, {"1", "0"}},
        {"label", {label}, 1, {"1"}},
        {"label twice", {label, label}, 0, {"1", "0"}},
        {"box then label", {check, label}, 0, {"1", "0"}},
        {"nothing", {}, 0, {}},
    };
    for (const Case& c : cases) {
        app->settings.saves.clear();
        FrmNotification notice(a());
        EXPECT_EQ(notice.chkDoNotShowInFuture(), 0) << c.what;
        for (const Step& step : c.steps)
            step(notice);
        EXPECT_EQ(notice.chkDoNotShowInFuture(), c.box) << c.what;
        std::vector<std::string> stored;
        for (const auto& [key, value] : app->settings.saves) {
            EXPECT_EQ(key, "chkDoNotShowInFuture");
            stored.push_back(value);
        }
        EXPECT_EQ(stored, c.stored) << c.what;
        // OK closes the notice only from its highlighted picture.
        EXPECT_FALSE(notice.Click(NotificationButton::OK));
        notice.MouseMove(NotificationButton::OK);
        EXPECT_TRUE(notice.Click(NotificationButton::OK));
        notice.Picture1_MouseMove();
        EXPECT_FALSE(notice.Click(NotificationButton::OK));
    }
}

TEST_F(SmallWindowsTest, BackupManagerHover) {
    using B = BackupButton;
    struct Case {
        std::vector<BackupButton> moves; // B::Count: over the background
        std::vector<BackupButton> highlighted;
    };
    const std::vector<Case> cases{
        {{B::Restore}, {B::Restore}},
        {{B::Close, B::Restore}, {B::Restore}},
        {{B::Restore, B::Close}, {B::Close, B::Restore}},
        {{B::Delete, B::OK}, {B::OK}},
        {{B::Close, B::Delete, B::Close}, {B::Close, B::Delete}},
        {{B::Close, B::OK, B::Close, B::Delete}, {B::Delete}},
        {{B::Restore, B::Close, B::Count}, {}},
    };
    for (const Case& c : cases) {
        FrmBackUpRestore window(a());
        window.Form_Load();
        for (const BackupButton move : c.moves) {
            if (move == B::Count)
                window.Picture1_MouseMove();
            else
                window.MouseMove(move);
        }
        std::vector<BackupButton> highlighted;
        for (const BackupButton b : {B::Close, B::Restore, B::Delete, B::OK})
            if (window.buttons()[b].highlighted)
                highlighted.push_back(b);
        EXPECT_EQ(highlighted, c.highlighted);
    }
}

TEST_F(SmallWindowsTest, BackupManagerClosesFromOkOrCloseOnly) {
    for (const BackupButton button : {BackupButton::OK, BackupButton::Close}) {
        FrmBackUpRestore window(a());
        window.Form_Load();
        EXPECT_FALSE(window.Click(button)) << "plain";
        window.MouseMove(button);
        EXPECT_TRUE(window.Click(button));
    }
    FrmBackUpRestore window(a());
    window.Form_Load();
    for (const BackupButton button : {BackupButton::Restore, BackupButton::Delete}) {
        window.MouseMove(button);
        EXPECT_FALSE(window.Click(button));
    }
}

TEST_F(SmallWindowsTest, ARestoreWithFailuresSaysSoAndKeepsTheFile) {
    const auto folder = app->dataFolder.path();
    const std::string broken = EncodeBackupText(JoinBackupFields({"R", "HKEY_NOWHERE", "K", "C:\\x", "v", ""}));
    std::ofstream(folder / "BackUp 01-01-26 01-01-01", std::ios::binary) << broken << "\r\n";
    FrmBackUpRestore window(a());
    window.Form_Load();
    ASSERT_EQ(window.manager().lvwBackUp.size(), 1u);
    const uint64_t listed = window.listRevision();
    window.SetTicked(0, true);
    window.SetTicked(7, true); // no such row: nothing happens
    window.MouseMove(BackupButton::Restore);
    EXPECT_FALSE(window.Click(BackupButton::Restore));
    ASSERT_EQ(app->frontEnd.messages.size(), 1u);
    const std::string& message = app->frontEnd.messages[0];
    EXPECT_TRUE(message.starts_with("Some records could not be written back; their backup files were kept:\n"))
        << message;
    EXPECT_NE(message.find("\nBackUp 01-01-26 01-01-01, line 1: "), std::string::npos) << message;
    EXPECT_TRUE(std::filesystem::exists(folder / "BackUp 01-01-26 01-01-01"));
    EXPECT_EQ(window.listRevision(), listed);
    EXPECT_EQ(window.manager().lvwBackUp[0].name, "BackUp 01-01-26 01-01-01");
}

TEST_F(SmallWindowsTest, AFullRestoreAndADeleteLeaveTheListAndSayNothing) {
    const auto folder = app->dataFolder.path();
    const std::string record =
        EncodeBackupText(JoinBackupFields({"R", "HKEY_LOCAL_MACHINE", "Software\\Restored", "C:\\x.dll", "v", ""}));
    std::ofstream(folder / "BackUp 01-01-26 01-01-01", std::ios::binary) << record << "\r\n";
    std::ofstream(folder / "BackUp 02-01-26 01-01-01") << "x";
    FrmBackUpRestore window(a());
    window.Form_Load();
    ASSERT_EQ(window.manager().lvwBackUp.size(), 2u);

    uint64_t listed = window.listRevision();
    window.SetTicked(0, true);
    window.MouseMove(BackupButton::Restore);
    window.Click(BackupButton::Restore);
    EXPECT_TRUE(app->frontEnd.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "BackUp 01-01-26 01-01-01"));
    EXPECT_NE(window.listRevision(), listed);
    ASSERT_EQ(window.manager().lvwBackUp.size(), 1u);

    listed = window.listRevision();
    window.SetTicked(0, true);
    app->frontEnd.answers = {true};
    window.MouseMove(BackupButton::Delete);
    window.Click(BackupButton::Delete);
    EXPECT_EQ(app->frontEnd.messages, (std::vector<std::string>{"Are you sure you want delete the selected file ?"}));
    EXPECT_TRUE(window.manager().lvwBackUp.empty());
    EXPECT_NE(window.listRevision(), listed);
}

TEST(RestoreFailureMessage, OneLinePerFailureAfterTheSentence) {
    EXPECT_EQ(RestoreFailureMessage({}), "");
    EXPECT_EQ(RestoreFailureMessage({3, {}}), "");
    EXPECT_EQ(RestoreFailureMessage({1, {"line 2: no such root", "the registry could not be saved"}}),
              "Some records could not be written back; their backup files were kept:\n"
              "line 2: no such root\n"
              "the registry could not be saved");
}

} // namespace
} // namespace vx
