#pragma once
// OpenWebPage on the host: finds the program the desktop associates with a file type (through a scratch
// file of that type in the temporary folder, always deleted again), and starts it, detached, with the
// address. When no program is associated it falls back on the desktop's generic opener; when that fails
// too the caller is told, so that the user learns where the page is.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vx {

// The host's desktop, as the launcher uses it; tests replace the starting of programs.
struct LauncherHost {
    // The environment ($TMPDIR, $XDG_DATA_HOME, $XDG_DATA_DIRS, $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS,
    // $HOME, $PATH), read through this so that tests set their own.
    std::function<std::optional<std::string>(const char*)> getenv;
    // Starts `argv` detached; false when it could not be started.
    std::function<bool(const std::vector<std::string>& argv)> startDetached;
};

LauncherHost DefaultLauncherHost();

// The temporary folder with its trailing separator: $TMPDIR, else "/tmp/".
std::string TemporaryFolder(const LauncherHost& host);

// The program the desktop opens files of `path`'s type with: the MIME type of its extension (the
// shared MIME database's globs), that type's default application (mimeapps.list, then the
// applications' cache), that application's desktop entry, the first word of its Exec (found on $PATH
// when it is a bare name). Empty when there is none.
std::string FindAssociatedProgram(const LauncherHost& host, const std::filesystem::path& path);

enum class LaunchResult { Opened, OpenedByGenericOpener, NotOpened, NoTemporaryFolder };

// Opens `address` (trimmed) with the program associated with `fileType` ("htm"); the scratch file
// "temphtm." + fileType is made in the temporary folder and deleted in every case.
LaunchResult OpenWebPage(const LauncherHost& host, const std::string& address, const std::string& fileType);

} // namespace vx
