// Where the program keeps its own files on a POSIX host: the XDG folders of the user running it.
#include "platform/host_folders.h"

#include <cstdlib>
#include <system_error>

namespace vx {
namespace {

std::filesystem::path XdgFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value && *value == '/')
        return std::filesystem::path(value);
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / fallbackUnderHome;
}

} // namespace

std::filesystem::path DefaultSettingsFile() {
    return XdgFolder("XDG_CONFIG_HOME", ".config") / "vantrelix" / "settings.ini";
}

std::filesystem::path ProgramDataFolder() {
    auto folder = XdgFolder("XDG_DATA_HOME", ".local/share") / "vantrelix";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

} // namespace vx
