#pragma once
// An App over a fixture target, with a front end whose events are scripted and a sound that only records;
// the engine over it, observed by the main window's rules (on a shell that does nothing).
#include "app/app.h"
#include "engine/engine.h"
#include "support/fixture_prefix.h"
#include "ui/main_window.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vx::test {

using MemorySettings = MemorySettingsStore;

class ScriptedFrontEnd : public FrontEnd {
  public:
    void Yield(App& app) override;
    bool ShowMessageBox(App& app, std::string_view message, bool withCancel) override;

    int yields = 0;
    // Runs at the given yield (1-based).
    std::map<int, std::function<void(App&)>> atYield;
    // Answers for the message boxes, in order (true: OK); OK when none is left.
    std::vector<bool> answers;
    std::vector<std::string> messages; // every message shown
    // Runs while a message box is open, before it answers.
    std::function<void(App&)> onMessageBox;
};

class RecordingSound : public SoundPlayer {
  public:
    void PlayAsync(const std::filesystem::path& waveFile) override { played.push_back(waveFile); }
    std::vector<std::filesystem::path> played;
};

// A main window without a screen: the rules run, nothing is shown.
class NoShell : public MainWindowShell {
  public:
    void HideWindow() override {}
    void MinimiseWindow() override {}
    bool IsMinimised() const override { return false; }
    void ShowNormalWindow() override {}
    void ShowIcon() override {}
    void ChangeToolTip(std::string_view) override {}
    bool RunningInTray() const override { return false; }
    void EndProgram() override {}
    void ShowPopupMenu() override {}
    void ShowNotification(std::string_view, std::string_view) override {}
    void ShowSettingsDialog() override {}
    void ShowBackupManager() override {}
    void OpenWebPage(std::string_view) override {}
    void RepaintControl(std::string_view) override {}
};

struct TestApp {
    explicit TestApp(std::unique_ptr<Target> target);
    ~TestApp();
    std::unique_ptr<Target> target;
    MemorySettings settings;
    ScriptedFrontEnd frontEnd;
    RecordingSound sound;
    std::unique_ptr<App> app;
    TempDir dataFolder; // the program's own folder (reports, backups)
    App& operator*() { return *app; }
    App* operator->() { return app.get(); }

    // The main window's rules over this app; their engine is the one every helper below uses.
    FrmMain& window() { return *window_; }
    Engine& engine() { return window_->engine(); }

  private:
    NoShell shell_;
    std::unique_ptr<FrmMain> window_;
};

// The parts of the TestApp an App belongs to, for helpers that get only the App.
FrmMain& WindowOf(App& app);
Engine& EngineOf(App& app);
MainWindowModel& ModelOf(App& app);
Findings& FindingsOf(App& app);
RunState& RunOf(App& app);
// What the checkers get during a scan of this app, as of the current settings (valid until the next call).
CheckContext& ContextOf(App& app);
// The scan report of the engine's last scan run.
std::string MakeReport(App& app, bool force = false, std::string* why = nullptr);
std::string ReportText(App& app);

} // namespace vx::test
