#pragma once
// What a benchmark needs around the logic: a front end that never waits, no sound, settings at their
// defaults.
#include "app/app.h"

namespace vx::bench {

class QuietFrontEnd : public FrontEnd {
  public:
    void Yield(App&) override {}
    bool ShowMessageBox(App&, std::string_view, bool) override { return true; }
};

class NoSound : public SoundPlayer {
  public:
    void PlayAsync(const std::filesystem::path&) override {}
};

class DefaultSettings : public SettingsStore {
  public:
    std::string GetSetting(std::string_view, std::string_view, std::string_view,
                           std::string_view d) override {
        return std::string(d);
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override {}
    std::map<std::string, std::string> AllSettings(std::string_view, std::string_view) override { return {}; }
};

} // namespace vx::bench
