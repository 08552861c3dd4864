// The settings dialog on screen, driven by its controls' messages: the keys it leaves in the settings
// store, and the start-up entry it writes and removes in the registry's Run key.
#include "win32gui/settings_dialog.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_calls.h"
#include "program_under_test.h"
#include "win32gui/controls.h"
#include "win32gui/run_key_entry.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>

namespace vx::win32gui {
namespace {

constexpr wchar_t kExecutable[] = L"C:\\Program Files\\Vantrelix Test\\vantrelix-test.exe";

// The start-up value named `name` under `root`'s Run key, as text; none when it is not there.
std::optional<std::wstring> RunValue(uint32_t root, const std::wstring& name) {
    win32::NativeKey key = nullptr;
    if (win32::OpenKey(win32::PredefinedKey(root), kRunKey, KEY_QUERY_VALUE, key) != 0)
        return std::nullopt;
    uint32_t type = 0;
    std::string data;
    const uint32_t status = win32::QueryValue(key, name, type, &data);
    win32::CloseKey(key);
    if (status != 0)
        return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // An empty store: the program's settings key goes.
        win32::DeleteKey(win32::PredefinedKey(kCurrentUser),
                         L"Software\\VB and VBA Program Settings\\Vantrelix v3.0\\Settings");
        entry_.Remove();
        program_ = std::make_unique<testing::ProgramUnderTest>();
        ASSERT_TRUE(program_->window) << program_->error;
        app_ = program_->app.get();
    }
    void TearDown() override { entry_.Remove(); }

    std::unique_ptr<SettingsDialog> Open() {
        auto dialog = std::make_unique<SettingsDialog>(nullptr, *app_, entry_);
        dialog->pickFolder = [this](HWND, const std::string&) { return chosenFolder_; };
        dialog->pickWaveFile = [this](HWND, const std::string&) { return chosenWave_; };
        dialog->Show();
        return dialog;
    }
    static HWND Item(const SettingsDialog& dialog, int id) { return GetDlgItem(dialog.handle(), id); }
    static void ClickLabel(const SettingsDialog& dialog, SettingsOption option) {
        const int id = kSettingsLabelId + static_cast<int>(option);
        SendMessageW(dialog.handle(), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(dialog, id)));
    }
    static void Press(SettingsDialog& dialog, SettingsButton button) {
        testing::ClickButton(dialog.handle(), kSettingsButtonId + static_cast<int>(button));
        testing::PumpUntil([&] { return dialog.closed(); }, std::chrono::seconds(2));
    }
    static void Type(const SettingsDialog& dialog, SettingsOption option, const std::string& text) {
        SetWindowTextW(Item(dialog, kSettingsTextId + static_cast<int>(option)), win32::Wide(text).c_str());
    }
    std::string Setting(std::string_view key) const { return app_->GetSetting(key, "(none)"); }

    RunKeyEntry entry_{kExecutable};
    std::unique_ptr<testing::ProgramUnderTest> program_;
    App* app_ = nullptr;
    std::string chosenFolder_;
    std::string chosenWave_;
};

TEST_F(SettingsDialogTest, OpeningOnAnEmptyStoreStoresTheDefaultsAndWritesTheStartupEntry) {
    auto dialog = Open();
    const struct {
        SettingsOption option;
        const char* key;
        const char* stored;
    } options[] = {
        {SettingsOption::PlaySound, "chkPlaySound", "0"},
        {SettingsOption::MakeLogFile, "chkMakeLogFile", "1"},
        {SettingsOption::MakeBackUp, "chkMakeBackUp", "1"},
        {SettingsOption::RunAtStartup, "chkRunAtStartup", "1"},
    };
    for (const auto& o : options) {
        SCOPED_TRACE(o.key);
        EXPECT_EQ(Setting(o.key), o.stored);
        const LRESULT shown =
            SendMessageW(Item(*dialog, kSettingsCheckId + static_cast<int>(o.option)), BM_GETCHECK, 0, 0);
        EXPECT_EQ(shown, std::string(o.stored) == "1" ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_EQ(GetText(Item(*dialog, kSettingsTextId + static_cast<int>(SettingsOption::MakeLogFile))),
              app_->ApplicationFolder());
    // The value named after the executable, naming it in quotes; under HKEY_LOCAL_MACHINE for an
    // administrator (as Wine's user is), and only there.
    EXPECT_EQ(RunValue(kLocalMachine, L"vantrelix-test"), std::wstring(L"\"") + kExecutable + L"\"");
    EXPECT_EQ(RunValue(kCurrentUser, L"vantrelix-test"), std::nullopt);
}

TEST_F(SettingsDialogTest, TheStartupLabelRemovesAndWritesTheEntryAndStoresEachState) {
    auto dialog = Open();
    ClickLabel(*dialog, SettingsOption::RunAtStartup);
    EXPECT_EQ(Setting("chkRunAtStartup"), "0");
    EXPECT_EQ(RunValue(kLocalMachine, L"vantrelix-test"), std::nullopt);
    ClickLabel(*dialog, SettingsOption::RunAtStartup);
    EXPECT_EQ(Setting("chkRunAtStartup"), "1");
    EXPECT_TRUE(RunValue(kLocalMachine, L"vantrelix-test"));
}

TEST_F(SettingsDialogTest, OkStoresThePathsAsTypedAndSwitchesOffAnOptionWithoutOne) {
    auto dialog = Open();
    const std::string before = Setting("txtLogFile");
    Type(*dialog, SettingsOption::MakeLogFile, "   ");
    chosenFolder_ = " C:\\Backups of mine ";
    testing::ClickButton(dialog->handle(),
                         kSettingsButtonId + static_cast<int>(SettingsButton::BackUpBrowse));
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    Press(*dialog, SettingsButton::OK);
    ASSERT_TRUE(dialog->closed());
    EXPECT_EQ(Setting("chkMakeLogFile"), "0");
    EXPECT_EQ(Setting("txtLogFile"), before);
    EXPECT_EQ(Setting("txtBackup"), " C:\\Backups of mine ");
    EXPECT_EQ(Setting("chkMakeBackUp"), "1");
}

TEST_F(SettingsDialogTest, AChosenWaveFileIsStoredAtOnceAndCloseKeepsIt) {
    app_->SaveSetting("chkPlaySound", "1");
    auto dialog = Open();
    const std::string before = Setting("txtBackup");
    Type(*dialog, SettingsOption::MakeBackUp, "C:\\Elsewhere");
    chosenWave_ = "C:\\windows\\media\\ding.wav";
    testing::ClickButton(dialog->handle(),
                         kSettingsButtonId + static_cast<int>(SettingsButton::WaveFileBrowse));
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(Setting("txtWaveFilesPath"), chosenWave_);
    Press(*dialog, SettingsButton::Close);
    ASSERT_TRUE(dialog->closed());
    EXPECT_EQ(Setting("txtWaveFilesPath"), chosenWave_);
    EXPECT_EQ(Setting("txtBackup"), before); // an edit not saved by OK is lost
}

TEST(RunKeyEntry, GoesUnderTheCurrentUserWhereTheMachineRefusesItAndOnlyOnce) {
    constexpr uint32_t kRefusing = 0x80000010; // no such root: every write fails, as without the rights
    RunKeyEntry user(kExecutable, {kRefusing, kCurrentUser});
    ASSERT_TRUE(user.Write());
    EXPECT_EQ(RunValue(kCurrentUser, L"vantrelix-test"), std::wstring(L"\"") + kExecutable + L"\"");
    // With the rights, the machine's entry replaces the user's.
    RunKeyEntry machine(kExecutable);
    ASSERT_TRUE(machine.Write());
    EXPECT_TRUE(RunValue(kLocalMachine, L"vantrelix-test"));
    EXPECT_EQ(RunValue(kCurrentUser, L"vantrelix-test"), std::nullopt);
    EXPECT_TRUE(machine.Remove());
    EXPECT_EQ(RunValue(kLocalMachine, L"vantrelix-test"), std::nullopt);
}

// A DPI change lays the dialog out again at the new DPI; a label in bold under the pointer stays bold.
TEST_F(SettingsDialogTest, ADpiChangeLaysTheDialogOutAgainAndKeepsALabelsWeight) {
    auto dialog = Open();
    HWND label = Item(*dialog, kSettingsLabelId + static_cast<int>(SettingsOption::MakeLogFile));
    SendMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    const unsigned first = WindowDpi(dialog->handle());
    const unsigned dpi = first * 2;
    RECT at{};
    GetWindowRect(dialog->handle(), &at);
    RECT suggested{at.left, at.top, at.left + (at.right - at.left) * 2, at.top + (at.bottom - at.top) * 2};
    SendMessageW(dialog->handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT ok{};
    GetClientRect(Item(*dialog, kSettingsButtonId + static_cast<int>(SettingsButton::OK)), &ok);
    EXPECT_EQ(ok.right, Scaled(140, dpi));
    RECT text{};
    GetWindowRect(Item(*dialog, kSettingsTextId + static_cast<int>(SettingsOption::MakeLogFile)), &text);
    EXPECT_EQ(text.bottom - text.top, Scaled(26, dpi));
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(face), &face);
    EXPECT_EQ(face.lfWeight, FW_BOLD);
    EXPECT_EQ(std::abs(face.lfHeight), MulDiv(9, static_cast<int>(dpi), 72));
    Press(*dialog, SettingsButton::Close);
}

} // namespace
} // namespace vx::win32gui
