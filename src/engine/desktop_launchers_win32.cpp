// Windows keeps no launchers of Wine's: the row is never offered.
#include "engine/desktop_launchers.h"

#include "engine/engine.h"

namespace vx {

bool OffersLauncherRow(Engine&) {
    return false;
}

void ScanDesktopLaunchers(Engine&) {}

LauncherRepairTally RepairLauncherFindings(Engine& engine, const std::filesystem::path&) {
    LauncherRepairTally tally;
    tally.kept = engine.findings().lvwLaunchers.ToVector();
    return tally;
}

} // namespace vx
