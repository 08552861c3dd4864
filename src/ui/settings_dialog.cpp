// The settings dialog: four options stored as they change, three paths stored by OK, and the start-up
// option writing or removing the start-up entry.
#include "ui/settings_dialog.h"

#include "app/app.h"
#include "engine/detection_sound.h"
#include "paths/folders.h"
#include "paths/program_folders.h"
#include "platform/text.h"
#include "ui/autostart_entry.h"

#include <algorithm>

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace vx {
namespace {

struct OptionKeys {
    std::string_view check; // the option's key
    std::string_view text;  // its path's key; empty for the start-up option
    SettingsButton browse;  // its Browse button
};

constexpr std::array<OptionKeys, 4> kKeys{{
    {"chkPlaySound", "txtWaveFilesPath", SettingsButton::WaveFileBrowse},
    {"chkMakeLogFile", "txtLogFile", SettingsButton::Browse},
    {"chkMakeBackUp", "txtBackup", SettingsButton::BackUpBrowse},
    {"chkRunAtStartup", "", SettingsButton::Count},
}};

constexpr std::array kAllButtons{SettingsButton::Close, SettingsButton::WaveFileBrowse,
                                 SettingsButton::Browse, SettingsButton::BackUpBrowse, SettingsButton::OK};

// A stored check box state; nullopt for a value a check box cannot take.
std::optional<int> CheckState(const std::string& stored) {
    const int state = SettingAsNumber(stored);
    if (state < 0 || state > 2)
        return std::nullopt;
    return state;
}

} // namespace

FrmSetings::FrmSetings(App& app, SettingsDialogShell& shell, StartupEntry& startup)
    : app_(app), shell_(shell), startup_(startup) {}

void FrmSetings::Form_Load() {
    // Nothing is kept between showings: every control starts as designed and comes from the store.
    options_ = {};
    buttons_ = {};
    const auto load = [&](SettingsOption option, std::string_view defaultValue) {
        if (const auto state = CheckState(app_.GetSetting(kKeys[Index(option)].check, defaultValue)))
            SetCheckFromCode(option, *state);
    };
    load(SettingsOption::PlaySound, "0");
    options_[Index(SettingsOption::PlaySound)].text = app_.GetSetting("txtWaveFilesPath", "");
    CheckChanged(SettingsOption::PlaySound);
    load(SettingsOption::MakeLogFile, "1");
    CheckChanged(SettingsOption::MakeLogFile);
    load(SettingsOption::MakeBackUp, "1");
    CheckChanged(SettingsOption::MakeBackUp);
    const std::string folder = app_.ApplicationFolder();
    options_[Index(SettingsOption::MakeLogFile)].text = app_.GetSetting("txtLogFile", folder);
    options_[Index(SettingsOption::MakeBackUp)].text = app_.GetSetting("txtBackup", folder);
    // The box starts clear, so an option stored on writes the start-up entry again.
    load(SettingsOption::RunAtStartup, "1");
}

void FrmSetings::SetCheck(SettingsOption option, int state) {
    SetCheckFromCode(option, state);
}

void FrmSetings::SetCheckFromCode(SettingsOption option, int state) {
    OptionControls& controls = options_[Index(option)];
    if (controls.check == state)
        return;
    controls.check = state;
    CheckChanged(option);
}

void FrmSetings::CheckChanged(SettingsOption option) {
    if (option == SettingsOption::RunAtStartup) {
        StartupChanged();
        return;
    }
    OptionControls& controls = options_[Index(option)];
    app_.SaveSetting(kKeys[Index(option)].check, std::to_string(controls.check));
    const bool on = controls.check == 1;
    controls.editable = on;
    buttons_.SetEnabled(kKeys[Index(option)].browse, on);
}

void FrmSetings::StartupChanged() {
    const int state = options_[Index(SettingsOption::RunAtStartup)].check;
    app_.SaveSetting("chkRunAtStartup", std::to_string(state));
    // The option is stored whether or not the entry could be written or removed.
    if (state == 1)
        startup_.Write();
    else
        startup_.Remove();
}

void FrmSetings::Label_Click(SettingsOption option) {
    OptionControls& controls = options_[Index(option)];
    controls.check = controls.check == 1 ? 0 : 1;
    CheckChanged(option);
}

void FrmSetings::SetText(SettingsOption option, std::string text) {
    OptionControls& controls = options_[Index(option)];
    if (option != SettingsOption::RunAtStartup && controls.editable)
        controls.text = std::move(text);
}

void FrmSetings::LabelMouseMove(SettingsOption option) {
    options_[Index(option)].labelBold = true;
}

void FrmSetings::MouseMove(SettingsButton button) {
    buttons_.Hover(button);
}

void FrmSetings::Picture2_MouseMove() {
    buttons_.Reset(kAllButtons);
    for (auto& controls : options_)
        controls.labelBold = false;
}

std::optional<WindowPosition> FrmSetings::StripMouseMove(WindowPosition dialog, int16_t x, int16_t y) {
    Picture2_MouseMove();
    return drag.Move(dialog, x, y);
}

void FrmSetings::Click(SettingsButton button) {
    if (!buttons_.Clickable(button))
        return;
    switch (button) {
    case SettingsButton::Close:
        shell_.CloseDialog();
        break;
    case SettingsButton::WaveFileBrowse:
        BrowseWaveFile();
        break;
    case SettingsButton::Browse:
        BrowseFolder(SettingsOption::MakeLogFile);
        break;
    case SettingsButton::BackUpBrowse:
        BrowseFolder(SettingsOption::MakeBackUp);
        break;
    case SettingsButton::OK:
        OK();
        break;
    case SettingsButton::Count:
        break;
    }
}

void FrmSetings::BrowseFolder(SettingsOption option) {
    std::string folder = shell_.BrowseForFolder(std::string(TrimBlanks(options_[Index(option)].text)));
    if (IsBlank(folder))
        return;
    if (const std::string why = WhyNotAProgramFolder(app_, folder); !why.empty()) {
        app_.ShowMessageBox(why, false);
        return;
    }
    options_[Index(option)].text = std::move(folder); // saved by OK
}

void FrmSetings::BrowseWaveFile() {
    std::string& path = options_[Index(SettingsOption::PlaySound)].text;
    const std::string initial = IsBlank(path) ? WaveFileInitialFolder() : path;
    std::string chosen = shell_.ChooseWaveFile(initial);
    if (IsBlank(chosen))
        return;
    path = std::move(chosen);
    app_.SaveSetting("txtWaveFilesPath", path);
    // A preview of the chosen sound; no problem is counted.
    PlayDetectionSound(app_);
}

void FrmSetings::OK() {
    for (const SettingsOption option :
         {SettingsOption::PlaySound, SettingsOption::MakeLogFile, SettingsOption::MakeBackUp}) {
        const OptionControls& controls = options_[Index(option)];
        // A folder of the program's own may not lie inside the target (nor be given relative): the one
        // stored before stays.
        if (option != SettingsOption::PlaySound && controls.check == 1 && !IsBlank(controls.text))
            if (const std::string why = WhyNotAProgramFolder(app_, controls.text); !why.empty()) {
                app_.ShowMessageBox(why, false);
                continue;
            }
        if (controls.check == 1 && !IsBlank(controls.text))
            app_.SaveSetting(kKeys[Index(option)].text, controls.text);
        else
            SetCheckFromCode(option, 0); // an option without its path is switched off
    }
    // A store the program may not write (a link in the file's place, another user's folder) keeps nothing.
    if (const std::string error = app_.SettingsError(); !error.empty())
        app_.ShowMessageBox(error, false);
    shell_.CloseDialog();
}

std::string FrmSetings::WaveFileInitialFolder() const {
    const std::string media = GetWindowsFolder(app_.target()) + "\\media";
    if (const auto host = app_.files().HostPath(media)) {
        std::error_code ec;
        if (std::filesystem::is_directory(*host, ec))
            return host->string();
    }
    return HostSoundFolder().string();
}

std::filesystem::path HostSoundFolder() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(':', start), list.size());
        const std::string dir = list.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/') {
            const std::filesystem::path sounds = std::filesystem::path(dir) / "sounds";
            std::error_code ec;
            if (std::filesystem::is_directory(sounds, ec))
                return sounds;
        }
        start = end + 1;
    }
    return "/usr/share/sounds";
}

} // namespace vx
