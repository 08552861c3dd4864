#pragma once
// The check-list row of the launchers Wine left on the Linux desktop: offered only for a Wine prefix on a
// host whose home holds such launchers, so that the check-list stays as it was everywhere else.
#include "checks/findings.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

class Engine;

inline constexpr std::string_view kLauncherRowText = "Desktop Launchers";
inline constexpr std::string_view kLaunchersStatus = " Desktop Launchers...";

// Whether the check-list has the launcher row for the engine's target.
bool OffersLauncherRow(Engine& engine);
// The row's scan: the broken launchers of the target's prefix, and every launcher whose prefix is gone.
void ScanDesktopLaunchers(Engine& engine);

struct LauncherRepairTally {
    int repaired = 0;
    int records = 0;                  // backup records written for the files removed
    std::vector<LauncherEntry> kept;  // left in place
    std::vector<std::string> reasons; // why, each once
};
// Removes the launchers the engine found (those still broken now), each with the files only it uses,
// after their records reached `backupFile` (none when empty: backups are off).
LauncherRepairTally RepairLauncherFindings(Engine& engine, const std::filesystem::path& backupFile);

} // namespace vx
