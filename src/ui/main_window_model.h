#pragma once
// Plain data for every control of the main window: FrmMain projects the engine's runs into it, the window
// front ends render it, tests assert on it. Member names are the controls' names.
#include "app/revised_list.h"
#include "results/run_observer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

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
    static constexpr int kFullProgressWidth = RunObserver::kFullProgress;

    // The section check-list and its select-all box (0 clear, 1 checked, 2 grayed), as the engine holds
    // them.
    ListView lvwRegistryvaluesScan;
    int chkSelectlistviewItems = 0;

    // The results lists.
    ListView lvwRegistryProblems;
    ListView lvwRegistryErrorsDetail;

    // Labels.
    std::string lblStatus;
    std::string lblRegistryScan;
    std::string lblRegistryFilesScan;
    std::string lblProblemsFound = "0"; // the engine's count of findings

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
