#pragma once
// Repair: every finding of the last scan run is backed up, then removed.
#include <string>

namespace vx {

class App;

struct RepairOutcome {
    int repaired = 0;
    int skipped = 0;        // left in place: their backup record or copy could not be written
    std::string backupFile; // empty when backups are off
    std::string error;      // why nothing was repaired (the registry cannot be written), or empty
};

// The Repair button: runs RepairAllProblems, then leaves the results panel.
RepairOutcome ImgRepairMouseMove_Click(App& app);
RepairOutcome RepairAllProblems(App& app);

// The message the closing box shows: success only when nothing was skipped.
std::string RepairClosingMessage(const RepairOutcome& outcome);

} // namespace vx
