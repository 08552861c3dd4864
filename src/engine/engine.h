#pragma once
// The program's logic as one object that every front end drives: the check-list, the findings and the
// summary rows of the last scan, the state of the last run; and the scan, repair and restore, each telling
// its front end what happens through one observer. Nothing here knows a window.
#include "checks/check_context.h"
#include "checks/findings.h"
#include "engine/repair.h"
#include "engine/run_state.h"
#include "engine/section_list.h"
#include "results/backup_manager.h"
#include "results/run_observer.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx {

class App;

class Engine final : private FindingSink, private WalkControl {
  public:
    Engine(App& app, RunObserver& observer) : app_(app), observer_(observer) {}
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    App& app() { return app_; }
    RunObserver& observer() { return observer_; }
    CheckList& checkList() { return checkList_; }
    const CheckList& checkList() const { return checkList_; }
    Findings& findings() { return findings_; }
    const Findings& findings() const { return findings_; }
    // The summary rows of the last scan run, in the order the sections were tallied.
    std::vector<std::string>& summaryRows() { return summaryRows_; }
    const std::vector<std::string>& summaryRows() const { return summaryRows_; }
    RunState& run() { return run_; }
    const RunState& run() const { return run_; }

    // A scan run over the ticked rows of the check-list. False, with nothing done, while another scan,
    // repair or restore is at work.
    bool Scan();
    // The running scan ends at its next step.
    void Cancel() { run_.ScanCancelled = -1; }
    // Every finding of the last scan is backed up, then removed; what is left in place stays listed.
    RepairOutcome Repair();
    // The ticked backup files of the manager, newest run first.
    RestoreOutcome Restore(BackupManager& manager);

    // What the checkers and walkers of a scan run work with.
    CheckContext Context();
    // Counts the findings of a section and adds its summary row (none for no findings); returns the count,
    // capped to 16 bits.
    int16_t TallySection(const std::string& section);

  private:
    // FindingSink: a finding joins its list, the detection sound plays, the front end hears of it.
    void Found(ProblemEntry problem) override;
    void Found(ShortcutEntry shortcut) override;
    void Found(LauncherEntry launcher) override;
    void Announce();
    // WalkControl.
    bool Cancelled() const override { return run_.Cancelled(); }
    void Yield() override { observer_.Yield(); }
    void ShowingPlace(std::string_view place) override { observer_.PlaceShown(place); }
    void ShowingItem(std::string_view item) override { observer_.ItemShown(item); }

    App& app_;
    RunObserver& observer_;
    CheckList checkList_;
    Findings findings_;
    std::vector<std::string> summaryRows_;
    RunState run_;
};

} // namespace vx
