// Where the program keeps its own files on a POSIX host: the XDG folders of the user running it.
#include "platform/host_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

namespace vx {
namespace {

// Empty when the account has no home folder.
std::filesystem::path XdgFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value && *value == '/')
        return std::filesystem::path(value);
    const std::filesystem::path home = HomeFolder();
    return home.empty() ? home : home / fallbackUnderHome;
}

} // namespace

// The home folder of the account running the program: $HOME, else the password database's entry (a
// program started without HOME, by cron or a service, must not fall back to a folder other users share).
std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir == '/')
        return found->pw_dir;
    return {};
}

std::filesystem::path DefaultSettingsFile() {
    const std::filesystem::path config = XdgFolder("XDG_CONFIG_HOME", ".config");
    return config.empty() ? config : config / "vantrelix" / "settings.ini";
}

std::filesystem::path ProgramDataFolder() {
    const std::filesystem::path data = XdgFolder("XDG_DATA_HOME", ".local/share");
    if (data.empty())
        return data;
    const auto folder = data / "vantrelix";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

} // namespace vx
