#pragma once
// The program's start-up entry. The program runs on the host, so the entry is the host's: a desktop file
// in the autostart folder of the XDG configuration ($XDG_CONFIG_HOME/autostart, default
// ~/.config/autostart), named after the executable, whose Exec starts the executable with the target
// options it runs with now.
#include <filesystem>
#include <string>
#include <vector>

namespace vx {

class StartupEntry {
  public:
    virtual ~StartupEntry() = default;
    // Both report whether they succeeded; callers ignore failures (the option is stored all the same).
    virtual bool Write() = 0;
    virtual bool Remove() = 0;
};

class AutostartEntry : public StartupEntry {
  public:
    // `executable`: the program's real path; `arguments`: the target options, one per element.
    AutostartEntry(std::filesystem::path autostartFolder, std::filesystem::path executable,
                   std::vector<std::string> arguments);
    bool Write() override;  // replaced atomically; the folder is made when missing
    bool Remove() override; // a missing entry counts as removed
    std::filesystem::path File() const;
    // The desktop file's text.
    std::string Contents() const;

  private:
    std::filesystem::path folder_;
    std::filesystem::path executable_;
    std::vector<std::string> arguments_;
};

// $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
std::filesystem::path DefaultAutostartFolder();

// Quotes one argument for a desktop file's Exec key (the desktop entry rules: reserved characters in
// double quotes, with ", `, $ and \ escaped).
std::string QuoteExecArgument(const std::string& argument);

} // namespace vx
