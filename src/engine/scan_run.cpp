// One scan run over the ticked rows of the section check-list.
#include "engine/scan_run.h"

#include "app/app.h"
#include "app/clock.h"
#include "engine/desktop_launchers.h"
#include "engine/engine.h"
#include "engine/registry_walkers.h"
#include "engine/scan_catalogue.h"
#include "results/scan_report.h"
#include "results/summary_rows.h"
#include "shortcuts/drive_walker.h"

#include <cmath>

namespace vx {
namespace {

void RunWalk(CheckContext& check, const SectionWalk& walk, const ScanSection& entry) {
    const std::string section(entry.sectionName);
    const std::string rootName(walk.rootName);
    const std::string keyPath(walk.keyPath);
    switch (walk.kind) {
    case WalkKind::Recursive:
        WalkRegistryKeys(check, walk.root, keyPath, section, rootName, entry.showOnly);
        break;
    case WalkKind::Flat:
        WalkRegistryValues(check, walk.root, keyPath, section, rootName, entry.showOnly);
        break;
    case WalkKind::DisplayOnly:
        ShowRegistrySubkeyNames(check, walk.root, keyPath);
        break;
    }
}

// Runs one registry section; false when the run must end at once.
bool RunSection(Engine& engine, const ScanSection& entry) {
    const std::string section(entry.sectionName);
    CheckContext check = engine.Context();
    const RunState& run = engine.run();
    switch (entry.style) {
    case RunStyle::CheckOnceThenTally:
        if (run.Cancelled())
            return false;
        for (const auto& walk : entry.walks)
            RunWalk(check, walk, entry);
        engine.TallySection(section);
        return true;
    case RunStyle::CheckBeforeEachWalk:
        for (const auto& walk : entry.walks) {
            if (run.Cancelled())
                return false;
            RunWalk(check, walk, entry);
        }
        if (entry.summary)
            engine.TallySection(section);
        return true;
    case RunStyle::CheckBeforeAndAfter:
        if (run.Cancelled())
            return false;
        for (const auto& walk : entry.walks)
            RunWalk(check, walk, entry);
        if (run.Cancelled())
            return false;
        engine.TallySection(section);
        return true;
    case RunStyle::NoCheck:
        for (const auto& walk : entry.walks)
            RunWalk(check, walk, entry);
        return true;
    }
    return true;
}

// A drive row; false when the run must end at once.
bool RunDriveRow(Engine& engine, const std::string& drive) {
    RunObserver& observer = engine.observer();
    observer.StatusChanged(kShortcutsStatus);
    if (engine.run().Cancelled())
        return false;
    const std::string root = drive + ":\\";
    observer.StatusChanged(" Shortcuts " + root + "...");
    CheckContext check = engine.Context();
    ScanDriveForShortcuts(check, root);
    return true;
}

// The launcher row; false when the run must end at once.
bool RunLauncherRow(Engine& engine) {
    engine.observer().StatusChanged(kLaunchersStatus);
    if (engine.run().Cancelled())
        return false;
    ScanDesktopLaunchers(engine);
    return true;
}

// Every ticked row of the check-list, in turn; ends early when the run is cancelled.
void RunScanSections(Engine& engine) {
    RunState& run = engine.run();
    RunObserver& observer = engine.observer();
    const auto& rows = engine.checkList().rows;
    const int rowCount = static_cast<int>(rows.size());
    run.progress = 0;
    run.ProgressStep = ProgressStepFor(rowCount);
    observer.ProgressMoved(run.progress);
    const auto& catalogue = FixedScanSections(engine.app().target().PlatformId());

    for (int i = 0; i < rowCount; ++i) {
        run.progress += run.ProgressStep;
        if (run.progress > RunObserver::kFullProgress)
            run.progress -= run.ProgressStep;
        observer.ProgressMoved(run.progress);

        // A Cancel may rebuild the check-list during a yield; rows are read afresh each time.
        const bool checked = i < static_cast<int>(rows.size()) && rows[i].checked;
        if (checked) {
            observer.RowStarted(i);
            if (run.Cancelled())
                return;
            bool goOn = true;
            if (i < static_cast<int>(catalogue.size())) {
                const ScanSection& entry = catalogue[i];
                observer.StatusChanged(entry.statusText);
                goOn = RunSection(engine, entry);
            } else if (rows[i].text == kLauncherRowText) {
                goOn = RunLauncherRow(engine);
            } else if (const std::string drive = DriveOfRow(rows[i].text); !drive.empty()) {
                goOn = RunDriveRow(engine, drive);
            }
            if (!goOn)
                return;
        }
        if (run.Cancelled())
            return;
        observer.RowFinished(i);
        observer.Yield();
    }

    if (std::string text = ShortcutSummaryRowText(engine.findings().lvwShortcut.size()); !text.empty()) {
        engine.summaryRows().push_back(text);
        observer.SectionTallied(text);
    }
    if (std::string text = LauncherSummaryRowText(engine.findings().lvwLaunchers.size()); !text.empty()) {
        engine.summaryRows().push_back(text);
        observer.SectionTallied(text);
    }
    run.ProgressStep = 0;
}

} // namespace

ScanOfReport ReportOfLastScan(const Engine& engine) {
    ScanOfReport scan{engine.findings(), {}, engine.run().ScanStartTime, engine.run().ScanEndTime};
    for (const auto& row : engine.checkList().rows)
        scan.rows.push_back({row.text, row.checked});
    return scan;
}

int ProgressStepFor(int rows) {
    if (rows <= 0)
        return 0;
    return static_cast<int>(std::nearbyint(static_cast<double>(RunObserver::kFullProgress) / rows));
}

void RunScan(Engine& engine) {
    App& app = engine.app();
    RunState& run = engine.run();
    RunObserver& observer = engine.observer();
    run.ScanCancelled = 0;
    engine.findings().clear();
    engine.summaryRows().clear();
    run.ScanStartTime = TimeOfDayText(app.now());
    run.ScanEndTime.clear();
    run.DetectionWaveFile = {};
    run.scanning = true;
    observer.ScanStarted();
    RunScanSections(engine);
    run.scanning = false;
    run.DetectionWaveFile = {};
    run.ScanEndTime = TimeOfDayText(app.now());
    run.ScanReportRefused.clear();
    // A report the program may not write (another user's folder, a link in its place) is said once.
    if (MakeScanReport(app, observer, ReportOfLastScan(engine), false, &run.ScanReportRefused).empty() &&
        !run.ScanReportRefused.empty())
        observer.Ask(std::string(kScanReportName) + " was not written: " + run.ScanReportRefused, false);
    observer.ScanEnded();
}

} // namespace vx
