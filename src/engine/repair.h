#pragma once
// Repair: every finding of the last scan run is backed up, then removed.
#include <string>
#include <vector>

namespace vx {

class Engine;

struct RepairOutcome {
    int repaired = 0;
    int skipped = 0;                  // left in place
    std::vector<std::string> reasons; // why findings were left in place, each once
    std::string backupFile;           // a host path; empty when backups are off or nothing was backed up
    std::string error;                // why nothing was repaired, or why the registry could not be saved
    bool ran = false; // the target was locked and the backup file started: the findings were gone through
};

// Backs up and removes every finding of the engine's last scan. While a scan, repair or restore is at work
// it changes nothing and says so.
RepairOutcome RepairAllProblems(Engine& engine);

// The message the closing box shows: success only when everything was repaired.
std::string RepairClosingMessage(const RepairOutcome& outcome);

} // namespace vx
