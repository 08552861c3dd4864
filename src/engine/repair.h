#pragma once
// Repair: every finding of the last scan run is backed up, then removed. The run is a sequence of named
// steps so that every front end drives the same ones.
#include <string>
#include <vector>

namespace vx {

class App;

struct RepairOutcome {
    int repaired = 0;
    int skipped = 0;                  // left in place
    std::vector<std::string> reasons; // why findings were left in place, each once
    std::string backupFile;           // a host path; empty when backups are off or nothing was backed up
    std::string error;                // why nothing was repaired, or why the registry could not be saved
};

// The Repair button: runs RepairAllProblems, then leaves the results panel. While a scan, repair or
// restore is at work it changes nothing and says so.
RepairOutcome ImgRepairMouseMove_Click(App& app);
RepairOutcome RepairAllProblems(App& app);

// The message the closing box shows: success only when everything was repaired.
std::string RepairClosingMessage(const RepairOutcome& outcome);

} // namespace vx
