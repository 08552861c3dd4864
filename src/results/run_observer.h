#pragma once
// What a scan, repair or restore tells the front end that runs it, and asks of it. The runs know nothing
// of windows: a window projects these events into its controls, the terminal into its progress line.
// Every hook but Yield and Ask does nothing unless a front end wants it.
#include "app/app.h"

#include <cstddef>
#include <string_view>

namespace vx {

class RunObserver {
  public:
    virtual ~RunObserver() = default;

    // Between two steps: the front end draws and takes its events (a Cancel among them).
    virtual void Yield() = 0;
    // Shows a message; with `withCancel` it is a question, and true is its OK.
    virtual bool Ask(std::string_view message, bool withCancel) = 0;

    // A scan run: it starts; a check-list row starts (its status line) and ends; the status line changes
    // within a row; the walk shows a place (a key, a folder) and an item in it (a value's data, a file);
    // the progress moves (width out of kFullProgress); a finding is added (`found` in all); a section's
    // summary row is added; the run ends.
    virtual void ScanStarted() {}
    virtual void RowStarted(int /*row*/) {}
    virtual void StatusChanged(std::string_view /*status*/) {}
    virtual void PlaceShown(std::string_view /*place*/) {}
    virtual void ItemShown(std::string_view /*item*/) {}
    virtual void ProgressMoved(int /*width*/) {}
    virtual void FindingAdded(size_t /*found*/) {}
    virtual void SectionTallied(std::string_view /*summaryRow*/) {}
    virtual void RowFinished(int /*row*/) {}
    virtual void ScanEnded() {}

    // The check-list was rebuilt or a mark changed; its marks are being saved (the window waits meanwhile).
    virtual void CheckListChanged() {}
    virtual void CheckListSaving(bool /*saving*/) {}

    // A repair: it starts, takes one step, ends.
    virtual void RepairStarted() {}
    virtual void RepairStep() {}
    virtual void RepairEnded() {}

    // The progress a scan run fills, in the program's own unit (the width of the progress bar in twips).
    static constexpr int kFullProgress = 4275;
};

// The observer of a front end that shows nothing of a run but its questions: yields and messages go to
// the app's front end.
class FrontEndObserver : public RunObserver {
  public:
    explicit FrontEndObserver(App& app) : app_(app) {}
    void Yield() override { app_.Yield(); }
    bool Ask(std::string_view message, bool withCancel) override {
        return app_.ShowMessageBox(message, withCancel);
    }

  protected:
    App& app_;
};

} // namespace vx
