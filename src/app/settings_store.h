#pragma once
// The per-user settings store: text values addressed by application, section and key. Keys (and the
// application and section names) compare without regard to case.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

inline constexpr std::string_view kAppName = "Vantrelix v3.0";
inline constexpr std::string_view kSettingsSection = "Settings";

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when the key was never written.
    virtual std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                   std::string_view defaultValue) = 0;
    virtual void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
    // Every key of a section with its value, ordered by key (for the "settings" command).
    virtual std::map<std::string, std::string> AllSettings(std::string_view app,
                                                           std::string_view section) = 0;
};

// Kept in an INI-style file; every save rewrites it atomically (temporary file, then rename), and every
// read notices changes another process made since.
class FileSettingsStore : public SettingsStore {
  public:
    explicit FileSettingsStore(std::filesystem::path file);
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;
    std::map<std::string, std::string> AllSettings(std::string_view app, std::string_view section) override;
    // Why the last save failed, or empty.
    const std::string& LastError() const { return lastError_; }
    const std::filesystem::path& file() const { return file_; }

  private:
    struct Entry {
        std::string key; // as first written
        std::string value;
    };
    void Reload();
    bool Save();
    std::string Address(std::string_view app, std::string_view section, std::string_view key) const;

    std::filesystem::path file_;
    // What one stat tells of the file: enough to see another writer's change, which replaces the file.
    struct FileStamp {
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static std::optional<FileStamp> StampOf(const std::filesystem::path& file);

    std::optional<FileStamp> loaded_;      // the file as last read or written; none while it is absent
    std::map<std::string, Entry> entries_; // folded "app\section\key" → entry
    std::string lastError_;
};

// Where the program keeps its own files on this host.
std::filesystem::path DefaultSettingsFile(); // $XDG_CONFIG_HOME/vantrelix/settings.ini
std::filesystem::path ProgramDataFolder();   // $XDG_DATA_HOME/vantrelix, created when missing

// The keys' value forms: check boxes hold "0"/"1", check-list rows "True"/"False".
int SettingAsNumber(std::string_view text, int fallback = 0);
// True/False (any case) or a number (non-zero is true); nullopt-like false with ok=false otherwise.
bool SettingAsBool(std::string_view text, bool& ok);

} // namespace vx
