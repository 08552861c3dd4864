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

// No setting of the user's: every key has its default.
using DefaultSettings = MemorySettingsStore;

} // namespace vx::bench
