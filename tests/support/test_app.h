#pragma once
// An App over a fixture target, with a front end whose events are scripted and a sound that only records.
#include "app/app.h"
#include "support/fixture_prefix.h"

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

struct TestApp {
    explicit TestApp(std::unique_ptr<Target> target);
    std::unique_ptr<Target> target;
    MemorySettings settings;
    ScriptedFrontEnd frontEnd;
    RecordingSound sound;
    std::unique_ptr<App> app;
    TempDir dataFolder; // the program's own folder (reports, backups)
    App& operator*() { return *app; }
    App* operator->() { return app.get(); }
};

} // namespace vx::test
