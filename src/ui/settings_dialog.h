#pragma once
// The settings dialog's rules, free of any toolkit: four options, three of them with a path, stored as
// they change; the paths stored by OK; the start-up option writing or removing the start-up entry.
#include "ui/image_buttons.h"
#include "ui/window_drag.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vx {

class App;
class StartupEntry;

enum class SettingsOption { PlaySound, MakeLogFile, MakeBackUp, RunAtStartup, Count };
enum class SettingsButton { Close, WaveFileBrowse, Browse, BackUpBrowse, OK, Count };

// What the dialog asks of its front end.
class SettingsDialogShell {
  public:
    virtual ~SettingsDialogShell() = default;
    // The folder picker titled "Choose directory...", starting at `startFolder` (the text box's folder;
    // empty: where the picker likes): the chosen folder, or empty text.
    virtual std::string BrowseForFolder(const std::string& startFolder) = 0;
    // The open-file dialog with the filter "wav Files (*.wav)|*.wav", starting in `initialFolder`
    // (a host folder, or a host file path): the chosen file, or empty text.
    virtual std::string ChooseWaveFile(const std::string& initialFolder) = 0;
    virtual void CloseDialog() = 0;
};

struct OptionControls {
    int check = 0;          // chk...: 0 or 1
    std::string text;       // txt... (none for the start-up option)
    bool editable = false;  // the text box takes edits
    bool labelBold = false; // the label beside the box
};

class FrmSetings {
  public:
    FrmSetings(App& app, SettingsDialogShell& shell, StartupEntry& startup);

    // Loading: every control from the settings, the change handling as the dialog's load runs it.
    void Form_Load();

    // The user changed a box (a click on it).
    void SetCheck(SettingsOption option, int state);
    // A click on an option's label: the box flips and its change handling runs.
    void Label_Click(SettingsOption option);
    // The user edits a path box (only while it is editable).
    void SetText(SettingsOption option, std::string text);

    // Hover and reset: over a label (bold), over a button's plain picture, over Picture2 or the strip.
    void LabelMouseMove(SettingsOption option);
    void MouseMove(SettingsButton button);
    void Picture2_MouseMove();
    // A movement over the title strip (ImgFormMove, ImgToolBarDrevanto): the Picture2 reset first, then
    // where the dialog goes while a drag is on.
    std::optional<WindowPosition> StripMouseMove(WindowPosition dialog, int16_t x, int16_t y);
    void Click(SettingsButton button);

    const OptionControls& option(SettingsOption o) const { return options_[Index(o)]; }
    const ImageButtons<SettingsButton>& buttons() const { return buttons_; }
    WindowDrag drag;

    // The folder the wave-file dialog starts in when no file is chosen yet: the target's Windows folder +
    // "\media" as a host folder when it exists, else the host's sound folder.
    std::string WaveFileInitialFolder() const;

  private:
    static size_t Index(SettingsOption o) { return static_cast<size_t>(o); }
    void SetCheckFromCode(SettingsOption option, int state);
    void CheckChanged(SettingsOption option);
    void StartupChanged();
    void BrowseFolder(SettingsOption option);
    void BrowseWaveFile();
    void OK();

    App& app_;
    SettingsDialogShell& shell_;
    StartupEntry& startup_;
    std::array<OptionControls, 4> options_{};
    ImageButtons<SettingsButton> buttons_;
};

// The host's own sound folder, for the wave-file dialog: $XDG_DATA_DIRS' first "sounds" folder that
// exists, else /usr/share/sounds.
std::filesystem::path HostSoundFolder();

} // namespace vx
