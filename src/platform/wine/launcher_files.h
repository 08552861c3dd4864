#pragma once
// The files Wine's menu builder writes beside its launchers (menu files, menu folders' entries, MIME
// packages, icons), which of them a launcher alone uses, and the places under the home they stand in.
#include "platform/wine/wine_launchers.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// What a menu file Wine wrote names: the desktop file ids it includes (<Filename>) and its menu folders'
// entries (<Directory>), XML escapes undone.
struct WineMenuFile {
    std::vector<std::string> entries;
    std::vector<std::string> directories;
};
WineMenuFile ReadWineMenuFile(std::string_view xml);

// The MIME types a MIME package defines (<mime-type type="…">).
std::vector<std::string> MimePackageTypes(std::string_view xml);

// The folder of Wine's launcher places that holds `file` under `home` (the place's own folder, such as
// ~/.local/share/applications or a desktop folder), when `file` has the name and depth Wine gives that
// place's files:
//   applications/wine/**/*.desktop, applications/wine-extension-*.desktop, *.desktop in a desktop folder
//   under the home, mime/packages/x-wine-extension-*.xml, icons/hicolor/<size>/apps/*,
//   ~/.config/menus/applications-merged/wine-*.menu, desktop-directories/wine-*.directory.
// Nullopt for any other path (one with "." or ".." parts among them).
std::optional<std::filesystem::path> WineLauncherPlaceOf(const std::filesystem::path& home,
                                                         const std::filesystem::path& file);

// For each launcher of `removed`, the files that go with it: its own entry first, then the menu files that
// list only entries being removed, the menu folders' entries and MIME packages no remaining menu file or
// launcher uses, and the icons no remaining launcher names. `all` is every launcher under the home
// (FindWineLaunchers); the remaining ones are those not in `removed`. A file two removed launchers share
// goes with the first.
std::vector<std::vector<std::filesystem::path>> WineLauncherFiles(const std::filesystem::path& home,
                                                                  const std::vector<WineLauncher>& removed,
                                                                  const std::vector<WineLauncher>& all);

} // namespace vx
