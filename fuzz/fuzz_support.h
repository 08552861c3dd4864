#pragma once
// What the fuzz targets share: a scratch folder of their own, a small Wine prefix to read shortcuts and
// paths against, an App with a front end that never waits, and a way to fail loudly.
#include "app/app.h"
#include "engine/engine.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vx::fuzz {

// A folder for this process only (on tmpfs when there is one: a save syncs its file), removed at exit.
// VANTRELIX_FUZZ_TMP chooses where it is made.
const std::filesystem::path& ScratchFolder();

// Writes the bytes to a file of the scratch folder (created or truncated) and returns its path.
std::filesystem::path WriteScratchFile(std::string_view relativePath, const uint8_t* data, size_t size);

// A Wine prefix made once per process: a system.reg with the shortcut classes, the environment and the
// folders Windows keeps, and a drive C: holding a few files and folders.
const std::filesystem::path& SmallPrefix();
// That prefix opened as a target, once per process.
Target& SmallPrefixTarget();

// Prints the message (and the detail, with control and non-ASCII bytes escaped) and aborts, which the
// fuzzer reports as a crash.
[[noreturn]] void Fail(std::string_view message, std::string_view detail = {});
std::string Printable(std::string_view bytes);
// Fails with the message when the texts differ, showing where they part.
void ExpectSameText(std::string_view message, std::string_view expected, std::string_view actual);

class QuietFrontEnd : public FrontEnd {
  public:
    void Yield(App&) override {}
    bool ShowMessageBox(App&, std::string_view, bool) override { return true; }
};

class SilentSound : public SoundPlayer {
  public:
    void PlayAsync(const std::filesystem::path&) override {}
};

using MemorySettings = MemorySettingsStore;

// An App over a target and its engine, as a scan run sees them: nothing cancelled.
struct FuzzApp {
    explicit FuzzApp(Target& target);
    MemorySettings settings;
    QuietFrontEnd frontEnd;
    SilentSound sound;
    App app;
    FrontEndObserver observer{app};
    Engine engine{app, observer};
    CheckContext check = engine.Context();
};

} // namespace vx::fuzz
