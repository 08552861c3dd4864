#pragma once
// The launchers Wine's menu builder leaves on the host desktop: menu entries, desktop icons and file
// type entries (.desktop files whose Exec runs a program of a prefix through wine).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

enum class LauncherKind {
    MenuEntry,   // ~/.local/share/applications/wine/**/*.desktop
    DesktopIcon, // *.desktop in the desktop folder (xdg-user-dirs', ~/Desktop, or the home itself)
    FileType,    // ~/.local/share/applications/wine-extension-*.desktop
};

struct WineLauncher {
    std::filesystem::path file;
    LauncherKind kind = LauncherKind::MenuEntry;
    std::filesystem::path prefix;   // the WINEPREFIX its Exec sets, else Wine's default ~/.wine
    std::string windowsPath;        // what it starts as a Windows path ("C:\…\x.lnk"), or
    std::filesystem::path unixPath; // as a host path (wine start /unix …), or
    std::string progId;             // the file type it opens (wine start /ProgIDOpen …)
    std::string icon;               // its Icon key
    std::string mimeTypes;          // its MimeType key (a file type entry's)
};

// The launcher a desktop entry's text describes; nullopt when its Exec runs no Wine program. `why` is
// set when the text is damaged (an unclosed quote in Exec).
std::optional<WineLauncher> ReadWineLauncher(std::string_view text, const std::filesystem::path& home,
                                             std::string& why);

// Every launcher Wine left under the home, by kind, then by path. A .desktop file that cannot be read,
// is not a regular file or is damaged is passed over with a line in `warnings` naming it.
std::vector<WineLauncher> FindWineLaunchers(const std::filesystem::path& home,
                                            std::vector<std::string>& warnings);

// The folders Wine puts desktop icons in: the desktop folder xdg-user-dirs names, ~/Desktop, and the home
// itself (when there is no desktop folder). A damaged user-dirs.dirs is named in `warnings`.
std::vector<std::filesystem::path> WineDesktopFolders(const std::filesystem::path& home,
                                                      std::vector<std::string>& warnings);

// Whether a prefix a launcher names is there, gone, or on storage that is merely away (media not
// mounted: its parent folder is missing, or is an empty folder under /media, /mnt or /run/media).
enum class PrefixPresence { Present, Gone, Away };
PrefixPresence PrefixPresenceOf(const std::filesystem::path& prefix);

} // namespace vx
