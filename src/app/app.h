#pragma once
// Everything the program's logic works with: the target, the settings, and the few things a front end
// provides (yielding to its event loop, showing the message box, playing a sound, the clock).
#include "app/clock.h"
#include "app/settings_store.h"
#include "platform/sound_player.h"
#include "platform/target.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vx {

class App;

// One scan, repair or restore at a time: the windows let their events in while one runs, and a second
// start meanwhile would change the lists and the registry under the first.
inline constexpr std::string_view kAnotherRunAtWork = "a scan, repair or restore is already running";

// Implemented by the GUI, the terminal front end and the tests.
class FrontEnd {
  public:
    virtual ~FrontEnd() = default;
    // Called after every step of long work: pump events, notice Ctrl-C, run scripted events.
    virtual void Yield(App& app) = 0;
    // Shows the program's message box modally with `message`; `withCancel` adds the Cancel button.
    // Returns true for OK, false for Cancel.
    virtual bool ShowMessageBox(App& app, std::string_view message, bool withCancel) = 0;
};

class App {
  public:
    App(Target& target, SettingsStore& settings, FrontEnd& frontEnd, SoundPlayer& sound)
        : now(LocalTimeNow), target_(target), settings_(settings), frontEnd_(frontEnd), sound_(sound) {}

    Target& target() { return target_; }
    Registry& registry() { return target_.registry(); }
    FileSystem& files() { return target_.files(); }
    SoundPlayer& sound() { return sound_; }

    void Yield() { frontEnd_.Yield(*this); }
    bool ShowMessageBox(std::string_view message, bool withCancel) {
        return frontEnd_.ShowMessageBox(*this, message, withCancel);
    }

    // Settings of the "Settings" section of this program.
    std::string GetSetting(std::string_view key, std::string_view defaultValue) {
        return settings_.GetSetting(kAppName, kSettingsSection, key, defaultValue);
    }
    // The same for a setting read at every finding (see SettingsStore::GetOftenReadSetting).
    std::string GetOftenReadSetting(std::string_view key, std::string_view defaultValue) {
        return settings_.GetOftenReadSetting(kAppName, kSettingsSection, key, defaultValue);
    }
    void SaveSetting(std::string_view key, std::string_view value) {
        settings_.SaveSetting(kAppName, kSettingsSection, key, value);
    }
    SettingsStore& settings() { return settings_; }
    // Why the last save of a setting failed, or empty.
    std::string SettingsError() const { return settings_.LastError(); }

    // The folder the program's own files default to (backups, report): a host folder.
    std::string ApplicationFolder() const;
    void SetApplicationFolder(std::string folder) { applicationFolder_ = std::move(folder); }

    // Whether a scan, repair or restore is at work (RunTurn).
    bool RunAtWork() const { return runAtWork_; }

    // The local time now; tests fix it.
    std::function<std::tm()> now;

    // The one text through which callers and the message box talk.
    std::string MessageBoxKind;

  private:
    Target& target_;
    SettingsStore& settings_;
    FrontEnd& frontEnd_;
    SoundPlayer& sound_;
    std::string applicationFolder_;
    bool runAtWork_ = false;
    friend class RunTurn;
};

// Held by a scan, repair or restore for its whole length. A run whose turn is not held must do nothing:
// another is at work.
class RunTurn {
  public:
    explicit RunTurn(App& app) : app_(app), held_(!app.runAtWork_) { app_.runAtWork_ = true; }
    ~RunTurn() {
        if (held_)
            app_.runAtWork_ = false;
    }
    RunTurn(const RunTurn&) = delete;
    RunTurn& operator=(const RunTurn&) = delete;
    bool held() const { return held_; }

  private:
    App& app_;
    bool held_;
};

} // namespace vx
