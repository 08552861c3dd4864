// The program's logic as one object that every front end drives.
#include "engine/engine.h"

#include "app/app.h"
#include "engine/detection_sound.h"
#include "engine/scan_run.h"
#include "paths/program_folders.h"
#include "results/summary_rows.h"

#include <algorithm>

namespace vx {

bool Engine::Scan() {
    const RunTurn turn(app_);
    if (!turn.held())
        return false;
    RunScan(*this);
    return true;
}

RepairOutcome Engine::Repair() {
    return RepairAllProblems(*this);
}

RestoreOutcome Engine::Restore(BackupManager& manager) {
    return imgRestoreMouseMove_Click(app_, observer_, manager);
}

CheckContext Engine::Context() {
    return {app_.target(), *this, *this, ProgramFolder(app_, "txtBackup")};
}

int16_t Engine::TallySection(const std::string& section) {
    // Counted in full so that a section with more than 32767 problems still shows its true count; only the
    // returned figure is capped to its 16-bit range.
    int count = 0;
    for (const auto& row : findings_.lvwErrors) {
        if (row.RegistryScanners == section)
            ++count;
        observer_.Yield();
    }
    if (std::string text = SummaryRowText(section, count); !text.empty()) {
        summaryRows_.push_back(text);
        observer_.SectionTallied(text);
    }
    return static_cast<int16_t>(std::min(count, static_cast<int>(INT16_MAX)));
}

void Engine::Found(ProblemEntry problem) {
    findings_.lvwErrors.push_back(std::move(problem));
    Announce();
}

void Engine::Found(ShortcutEntry shortcut) {
    findings_.lvwShortcut.push_back(std::move(shortcut));
    Announce();
}

void Engine::Found(LauncherEntry launcher) {
    findings_.lvwLaunchers.push_back(std::move(launcher));
    Announce();
}

void Engine::Announce() {
    PlayDetectionSound(app_, run_.scanning ? &run_.DetectionWaveFile : nullptr);
    observer_.FindingAdded(findings_.size());
}

} // namespace vx
