#pragma once
// Putting back the files of the launchers Wine left on the Linux desktop, and refreshing the desktop's
// caches after they changed.
#include "results/backup_record.h"

#include <filesystem>
#include <string>

namespace vx {

// Puts one "L" record's file back from its copy, byte for byte with its mode: only into one of Wine's
// launcher places under `home`, into folders made when missing but never through a symbolic link below
// the place's own folder, and never over another file (one holding exactly the copy counts as restored).
// False with `why` set (one sentence) when it was not put back.
bool RestoreLauncherFile(const std::filesystem::path& home, const std::filesystem::path& backupFile,
                         const BackupRecord& record, std::string& why);

// Has the desktop read the launchers again (update-desktop-database, update-mime-database) where those
// tools are installed; without them nothing happens, and nothing fails.
void RefreshDesktopCaches(const std::filesystem::path& home);

} // namespace vx
