#pragma once
// The terminal's side of the program: progress on standard error, Ctrl-C as the Cancel button, and the
// message box as a y/N prompt.
#include "app/app.h"

#include <chrono>
#include <iosfwd>
#include <utility>

namespace vx {

class TerminalFrontEnd : public FrontEnd {
  public:
    TerminalFrontEnd(bool assumeYes, bool showProgress);
    ~TerminalFrontEnd() override;

    void Yield(App& app) override;
    bool ShowMessageBox(App& app, std::string_view message, bool withCancel) override;

    // While a scan runs, Ctrl-C presses its Cancel button; otherwise it ends the program as usual.
    void SetScanning(bool scanning) { scanning_ = scanning; }
    void ClearProgress();

  private:
    void DrawProgress(App& app);

    bool assumeYes_;
    bool showProgress_;
    bool scanning_ = false;
    bool drawn_ = false;
    std::pair<uint64_t, uint64_t> drawnRevisions_; // labels, progress
    long abortAtYield_ = 0;
    long yields_ = 0;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace vx
