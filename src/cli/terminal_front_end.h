#pragma once
// The terminal's side of the program: progress on standard error, Ctrl-C as the Cancel button, and the
// message box as a y/N prompt.
#include "app/app.h"
#include "results/run_observer.h"

#include <chrono>
#include <iosfwd>
#include <string>

namespace vx {

class Engine;

// The front end of the app and the observer of the engine's runs.
class TerminalFrontEnd : public FrontEnd, public RunObserver {
  public:
    TerminalFrontEnd(bool assumeYes, bool showProgress);
    ~TerminalFrontEnd() override;

    // The app and engine whose runs this front end shows.
    void Attach(App& app, Engine& engine) {
        app_ = &app;
        engine_ = &engine;
    }

    void Yield(App& app) override;
    bool ShowMessageBox(App& app, std::string_view message, bool withCancel) override;

    // RunObserver.
    void Yield() override;
    bool Ask(std::string_view message, bool withCancel) override;
    void ScanStarted() override;
    void StatusChanged(std::string_view status) override;
    void PlaceShown(std::string_view place) override;
    void ProgressMoved(int width) override;
    void FindingAdded(size_t found) override;

    // While a scan runs, Ctrl-C cancels it (after a question once something was found); otherwise it ends
    // the program as usual.
    void SetScanning(bool scanning) { scanning_ = scanning; }
    void ClearProgress();

  private:
    void CancelScan(App& app);
    void DrawProgress();

    App* app_ = nullptr;
    Engine* engine_ = nullptr;
    bool assumeYes_;
    bool showProgress_;
    bool scanning_ = false;
    bool drawn_ = false;
    // What the progress line shows, and whether it changed since it was drawn.
    std::string status_;
    std::string place_;
    size_t found_ = 0;
    int progress_ = 0;
    bool changed_ = false;
    long abortAtYield_ = 0;
    long yields_ = 0;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace vx
