#pragma once
// Plain data for every control of the main window that the logic drives. Front ends render it (the
// terminal front end and the windows), tests assert on it. Member names are the controls' names.
#include "app/revised_list.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vx {

// One row of lvwErrors: a registry value whose file is missing.
struct ProblemEntry {
    std::string MainKey;          // the root's handle as signed decimal text
    std::string KeyName;          // the value name, "(Default)" for the unnamed value
    std::string KeyValue;         // the file path that was tested and found missing
    std::string RegistryScanners; // the section's internal name ("Registry Scanners")
    std::string FullKeyPath;      // the key's path below the root
    std::string mainkeyname;      // the root's name
    std::string DefaultOrNot;     // "Yes" when KeyValue joins the system folder and a bare name
    // Not a column: the value's name as the registry holds it. "(Default)" is shown for a name of blanks
    // too, and repair must remove the value that was tested, not the key's unnamed one.
    std::string valueName;

    bool operator==(const ProblemEntry&) const = default;
};

// One row of lvwShortcut.
struct ShortcutEntry {
    std::string path; // the shortcut file's full path (the row text)
    std::string kind = "Windows Shortcut";
    bool operator==(const ShortcutEntry&) const = default;
};

struct ListRow {
    std::string text;
    int icon = 0;
    bool checked = false;
    bool selected = false;
};

// A one-column list view with the sorting behaviour of the results lists: once a header was clicked the
// list stays sorted by text, and rows added later are inserted in sort order.
struct ListView {
    RevisedList<ListRow> rows;
    bool visible = true;
    bool sorted = false;
    int sortKey = 0;
    bool descending = false;

    void Add(std::string text, int icon = 0);
    void Clear() { rows.clear(); }
    void Sort();
};

struct MainWindowModel {
    static constexpr int kFullProgressWidth = 4275;

    // The section check-list and its select-all box (0 clear, 1 checked, 2 grayed).
    ListView lvwRegistryvaluesScan;
    int chkSelectlistviewItems = 0;
    bool SelectAllChanging = false;

    // The finding lists (never shown) and the results lists.
    RevisedList<ProblemEntry, std::deque<ProblemEntry>> lvwErrors; // a scan may find 100,000
    RevisedList<ShortcutEntry> lvwShortcut;
    ListView lvwRegistryProblems;
    ListView lvwRegistryErrorsDetail;

    // Labels.
    std::string lblStatus;
    std::string lblRegistryScan;
    std::string lblRegistryFilesScan;
    std::string lblProblemsFound = "0";

    // Progress bar: fill and background widths.
    int PicProgress = 0;
    int PicMainProgress = kFullProgressWidth;

    // Panels, frames and buttons.
    bool PicScanning = false;
    bool PicResults = false;
    bool FrameRegistryProblemsDetails = true;
    bool FrameScanning = false;
    bool FrameScanSettingShelidButton = true;
    bool ImgScanNowNormal = true; // enabled: no scan is running
    bool cmdCancelOrStop = false; // enabled
    std::string cmdCancelOrStopCaption = "Cancel";
    bool tmrPicVisibleOrNot = false; // blink timer enabled
    bool PicBug = false;             // blink picture visible
    bool busyPointer = false;
    bool enabled = true; // the window itself (disabled while the check-list saves)

    // Repair progress.
    bool lblDeletingCourrutpfils = false;
    bool ImgDeleteProgress = false;
    int ImgDeleteProgressWidth = 4275;
    int ImgDeleteProgressInside = 0;
    bool ImgRepairNormal = true;
    bool ImgReturnNormal = true;

    // Run state.
    int16_t ScanCancelled = 0; // 0 or -1
    bool Cancelled() const { return ScanCancelled != 0; }
    int32_t ProgressStep = 0;
    std::string ScanStartTime;
    std::string ScanEndTime;
    std::string BackupFilePath;
    // Why the last scan run's report was not written although it was asked for, or empty.
    std::string ScanReportRefused;
    // The detection sound's wave file as the running scan found it: looked up once per run for the path
    // the settings name, and again when they name another. Reset by each scan run, unused outside one.
    struct WaveFileLookup {
        bool duringScan = false;
        bool lookedUp = false;
        std::string path;           // the "txtWaveFilesPath" text it was looked up for
        std::filesystem::path host; // where it is on the host; empty when it is missing
    };
    WaveFileLookup DetectionWaveFile;

    // The lists count their own changes (Revision, ChangesSince). The other fields, by group: a number
    // that moves on whenever a field of the group changed since it was last asked for.
    enum class FieldGroup { Labels, Progress, PanelsAndButtons };
    uint64_t Revision(FieldGroup group) const;

  private:
    struct Seen {
        std::string snapshot;
        uint64_t revision = 0;
    };
    std::string Snapshot(FieldGroup group) const;
    mutable Seen seen_[3];
};

} // namespace vx
