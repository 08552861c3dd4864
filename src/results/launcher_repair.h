#pragma once
// Repair of the launchers Wine left on the Linux desktop: each broken launcher goes with the files only it
// uses, after every one of them is kept in the run's backup.
#include "shortcuts/launcher_check.h"

#include <filesystem>
#include <string>
#include <vector>

namespace vx {

class App;

struct LauncherRepairOutcome {
    int repaired = 0;                 // launchers removed
    int records = 0;                  // "L" records of files removed
    std::vector<BrokenLauncher> kept; // left in place
    std::vector<std::string> reasons; // why, each once
};

// Removes each launcher of `broken` with the menu files, MIME packages and icons it alone uses (never a
// file a remaining launcher uses). With a backup file, every one of its files is first copied into the
// file's folder of copies and its "L" record appended, all on disk (synced) before any of them is
// removed; a launcher whose backup cannot be written stays whole. Without one (backups off) they are
// removed at once. The desktop's caches are refreshed afterwards. `home` is the home the launchers lie in.
LauncherRepairOutcome RepairBrokenLaunchers(App& app, const std::filesystem::path& home,
                                            const std::vector<BrokenLauncher>& broken,
                                            const std::filesystem::path& backupFile);

} // namespace vx
