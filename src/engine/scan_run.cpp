// One scan run over the rows of the section check-list, and the Scan and Cancel buttons around it.
#include "engine/scan_run.h"

#include "app/app.h"
#include "app/clock.h"
#include "app/message_box.h"
#include "engine/registry_walkers.h"
#include "engine/scan_catalogue.h"
#include "engine/section_list.h"
#include "platform/text.h"
#include "results/results_view.h"
#include "results/scan_report.h"
#include "shortcuts/drive_walker.h"

#include <cmath>

namespace vx {
namespace {

bool AnythingFound(App& app) {
    return !app.main().lvwErrors.empty() || !app.main().lvwShortcut.empty();
}

void RunWalk(App& app, const SectionWalk& walk, const std::string& section) {
    auto& main = app.main();
    const std::string rootName(walk.rootName);
    const std::string keyPath(walk.keyPath);
    switch (walk.kind) {
    case WalkKind::Recursive:
        WalkRegistryKeys(app, walk.root, keyPath, section, rootName, main.lblRegistryFilesScan);
        break;
    case WalkKind::Flat:
        WalkRegistryValues(app, walk.root, keyPath, section, rootName, main.lblRegistryFilesScan);
        break;
    case WalkKind::DisplayOnly:
        ShowRegistrySubkeyNames(app, walk.root, keyPath);
        break;
    }
}

// Runs one registry section; false when the run must end at once.
bool RunSection(App& app, const ScanSection& entry) {
    const std::string section(entry.sectionName);
    switch (entry.style) {
    case RunStyle::CheckOnceThenTally:
        if (app.main().Cancelled())
            return false;
        for (const auto& walk : entry.walks)
            RunWalk(app, walk, section);
        TallySection(app, section);
        return true;
    case RunStyle::CheckBeforeEachWalk:
        for (const auto& walk : entry.walks) {
            if (app.main().Cancelled())
                return false;
            RunWalk(app, walk, section);
        }
        if (entry.summary)
            TallySection(app, section);
        return true;
    case RunStyle::CheckBeforeAndAfter:
        if (app.main().Cancelled())
            return false;
        for (const auto& walk : entry.walks)
            RunWalk(app, walk, section);
        if (app.main().Cancelled())
            return false;
        TallySection(app, section);
        return true;
    case RunStyle::NoCheck:
        for (const auto& walk : entry.walks)
            RunWalk(app, walk, section);
        return true;
    }
    return true;
}

// A drive row; false when the run must end at once.
bool RunDriveRow(App& app, int rowIndex, const std::string& drive) {
    auto& main = app.main();
    main.lblStatus = std::string(kShortcutsStatus);
    main.lvwRegistryvaluesScan.rows.Edit(rowIndex).selected = true;
    if (app.main().Cancelled())
        return false;
    const std::string root = drive + ":\\";
    main.lblStatus = " Shortcuts " + root + "...";
    ScanDriveForShortcuts(app, root);
    return true;
}

void SelectRow(App& app, int rowIndex, bool selected) {
    auto& rows = app.main().lvwRegistryvaluesScan.rows;
    if (rowIndex < static_cast<int>(rows.size()))
        rows.Edit(rowIndex).selected = selected;
}

} // namespace

int ProgressStepFor(int rows) {
    if (rows <= 0)
        return 0;
    return static_cast<int>(std::nearbyint(static_cast<double>(MainWindowModel::kFullProgressWidth) / rows));
}

void ImgScanNowMouseMove_Click(App& app) {
    const RunTurn turn(app);
    if (!turn.held())
        return;
    auto& main = app.main();
    main.ImgScanNowNormal = false;
    main.PicScanning = true;
    main.tmrPicVisibleOrNot = false;
    main.PicBug = false;
    StartScanRun(app);
    main.PicProgress = main.PicMainProgress;
    if (!app.main().Cancelled() && AnythingFound(app))
        main.PicResults = true;
    main.tmrPicVisibleOrNot = false;
    main.PicBug = false;
    main.PicScanning = false;
    main.ImgScanNowNormal = true;
}

void StartScanRun(App& app) {
    auto& main = app.main();
    main.FrameRegistryProblemsDetails = false;
    main.FrameScanning = true;
    main.FrameScanSettingShelidButton = false;
    main.lblDeletingCourrutpfils = false;
    main.ImgDeleteProgress = false;
    main.lblStatus = "Inspecting...";
    main.cmdCancelOrStop = true;
    main.cmdCancelOrStopCaption = "Cancel";
    main.ScanCancelled = 0;
    main.lvwErrors.clear();
    main.lvwShortcut.clear();
    main.lvwRegistryErrorsDetail.Clear();
    main.lvwRegistryProblems.Clear();
    main.ScanStartTime.clear();
    main.ScanEndTime.clear();
    main.lblProblemsFound = "0";
    main.ScanStartTime = TimeOfDayText(app.now());
    main.DetectionWaveFile = {.duringScan = true};
    RunScanSections(app);
    main.DetectionWaveFile = {};
    main.ScanEndTime = TimeOfDayText(app.now());
    main.ScanReportRefused.clear();
    // A report the program may not write (another user's folder, a link in its place) is said once.
    if (MakeScanReport(app, false, &main.ScanReportRefused).empty() && !main.ScanReportRefused.empty())
        app.ShowMessageBox(std::string(kScanReportName) + " was not written: " + main.ScanReportRefused,
                           false);
    main.busyPointer = false;
    main.FrameRegistryProblemsDetails = true;
    main.FrameScanning = false;
    main.FrameScanSettingShelidButton = false;
}

void RunScanSections(App& app) {
    auto& main = app.main();
    main.PicProgress = 0;
    const int rowCount = static_cast<int>(main.lvwRegistryvaluesScan.rows.size());
    main.ProgressStep = ProgressStepFor(rowCount);
    main.busyPointer = true;
    main.PicProgress = 0;
    const auto& catalogue = FixedScanSections(app.target().PlatformId());

    for (int i = 0; i < rowCount; ++i) {
        if (AnythingFound(app))
            main.tmrPicVisibleOrNot = true;
        main.PicProgress += main.ProgressStep;
        if (main.PicProgress > MainWindowModel::kFullProgressWidth)
            main.PicProgress -= main.ProgressStep;

        // The Cancel handler may rebuild the check-list during a yield; rows are read afresh each time.
        auto& rows = main.lvwRegistryvaluesScan.rows;
        const bool checked = i < static_cast<int>(rows.size()) && rows[i].checked;
        if (checked) {
            SelectRow(app, i, true);
            if (app.main().Cancelled())
                return;
            bool goOn = true;
            if (i < static_cast<int>(catalogue.size())) {
                const ScanSection& entry = catalogue[i];
                main.lblStatus = std::string(entry.statusText);
                SelectRow(app, i, true);
                goOn = RunSection(app, entry);
            } else if (const std::string drive = DriveOfRow(rows[i].text); !drive.empty()) {
                goOn = RunDriveRow(app, i, drive);
            }
            if (!goOn)
                return;
        }
        if (app.main().Cancelled())
            return;
        main.lblProblemsFound = std::to_string(main.lvwErrors.size() + main.lvwShortcut.size());
        SelectRow(app, i, false);
        app.Yield();
    }

    if (const size_t found = main.lvwShortcut.size(); found >= 1)
        main.lvwRegistryProblems.Add("Invalid Windows Shortcut File (" + std::to_string(found) +
                                     " Problems)");
    main.busyPointer = false;
    main.ProgressStep = 0;
    main.tmrPicVisibleOrNot = false;
}

void cmdCancelOrStop_Click(App& app) {
    auto& main = app.main();
    if (!AnythingFound(app)) {
        main.ScanCancelled = -1;
        main.tmrPicVisibleOrNot = false;
        main.cmdCancelOrStop = false;
        return;
    }
    const bool stop = AskMessageBox(app, kCancelScanning);
    LoadlvwRegistryvaluesScanValues(app);
    if (stop) {
        main.ScanCancelled = -1;
        main.tmrPicVisibleOrNot = false;
        main.cmdCancelOrStop = false;
    }
    app.MessageBoxKind.clear();
}

} // namespace vx
