#pragma once
// The per-user settings store: text values addressed by application, section and key. Keys (and the
// application and section names) compare without regard to case.
#include "platform/host_file_io.h"
#include "platform/host_folders.h" // where the store and the program's own files live

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx {

inline constexpr std::string_view kAppName = "Vantrelix v3.0";
inline constexpr std::string_view kSettingsSection = "Settings";
// How late GetOftenReadSetting may see another process's change: no later than the detection sound may
// start again (a sound restarted sooner is not heard as another), so nobody can tell.
inline constexpr std::chrono::milliseconds kOftenReadAge{20};

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when the key was never written.
    virtual std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                   std::string_view defaultValue) = 0;
    // The same for a setting read again and again in a tight loop (the detection sound's, at every
    // finding): a change another process made may show up to kOftenReadAge late, while a save made in
    // this process shows at once. A store whose reads cost nothing answers as GetSetting.
    virtual std::string GetOftenReadSetting(std::string_view app, std::string_view section,
                                            std::string_view key, std::string_view defaultValue) {
        return GetSetting(app, section, key, defaultValue);
    }
    virtual void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
    // Every key of a section with its value, ordered by key (for the "settings" command).
    virtual std::map<std::string, std::string> AllSettings(std::string_view app,
                                                           std::string_view section) = 0;
    // Why the last save failed (or, before any save, why the store cannot keep settings), or empty.
    virtual std::string LastError() const { return {}; }
};

// Kept in memory only, for a run that must not touch the user's settings (tests, benchmarks, fuzzing):
// an empty store gives every key its default.
class MemorySettingsStore : public SettingsStore {
  public:
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;
    std::map<std::string, std::string> AllSettings(std::string_view app, std::string_view section) override;

    std::vector<std::pair<std::string, std::string>> saves; // every save, in order (key, value)

  private:
    struct Entry {
        std::string key; // as first written
        std::string value;
    };
    std::map<std::string, Entry> values_; // by the case-folded "app\section\key"
};

// Kept in an INI-style file; every save rewrites it atomically (temporary file, then rename), and every
// read notices changes another process made since (GetOftenReadSetting within kOftenReadAge).
class FileSettingsStore : public SettingsStore {
  public:
    explicit FileSettingsStore(std::filesystem::path file);
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    std::string GetOftenReadSetting(std::string_view app, std::string_view section, std::string_view key,
                                    std::string_view defaultValue) override;
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;
    std::map<std::string, std::string> AllSettings(std::string_view app, std::string_view section) override;
    std::string LastError() const override { return lastError_; }
    const std::filesystem::path& file() const { return file_; }

  private:
    struct Entry {
        std::string head; // "app\section", as first written
        std::string key;  // as first written
        std::string value;
    };
    void Reload();
    std::string Lookup(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view defaultValue) const;
    bool Save();
    // Why the file cannot hold the settings (no home folder, a folder another user may change), or empty.
    std::string WhyNotKept() const;
    std::string Address(std::string_view app, std::string_view section, std::string_view key) const;

    std::filesystem::path file_;
    // The file as last read or written (one look at it shows another writer's change, which replaces
    // the file); none while it is absent.
    std::optional<HostFileStamp> loaded_;
    // When the file was last looked at, and how many saves this process had made by then (a look costs a
    // system call, which a read at every finding of a scan would feel).
    std::chrono::steady_clock::time_point lookedAt_;
    uint64_t savesSeen_ = 0;
    std::map<std::string, Entry> entries_; // folded "app\section\key" → entry
    std::string lastError_;
};

// The keys' value forms: check boxes hold "0"/"1", check-list rows "True"/"False".
int SettingAsNumber(std::string_view text, int fallback = 0);
// True/False (any case) or a number (non-zero is true); nullopt-like false with ok=false otherwise.
bool SettingAsBool(std::string_view text, bool& ok);

} // namespace vx
