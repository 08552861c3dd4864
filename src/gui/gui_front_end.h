#pragma once
// The windows' side of the program's long work: the scan, repair and restore run on the one
// user-interface thread and call Yield after every step; Yield lets Qt handle the events that came in
// (clicks, timers, repaints), at most every few milliseconds so that the pumping costs little, and has the
// main window redraw what changed.
#include "app/app.h"

#include <QElapsedTimer>

#include <chrono>
#include <functional>

class QWidget;

namespace vx::gui {

class GuiFrontEnd : public FrontEnd {
  public:
    GuiFrontEnd();

    void Yield(App& app) override;
    bool ShowMessageBox(App& app, std::string_view message, bool withCancel) override;

    // The window message boxes belong to, and what redraws the main window.
    QWidget* owner = nullptr;
    std::function<void()> render;
    // Runs when a message box has closed (the window it covered puts its buttons back to plain).
    std::function<void()> afterModal;
    // The message boxes, replaceable by tests: returns true for OK.
    std::function<bool(QWidget*, std::string_view, bool)> messageBox;

    // The longest time between two turns of the event loop since the last reset (for the benchmark).
    std::chrono::nanoseconds longestGap() const { return longestGap_; }
    void ResetGaps();
    // How often the long work lets events in at most; tests take every turn.
    std::chrono::nanoseconds pumpEvery = std::chrono::milliseconds(10);

  private:
    QElapsedTimer sincePump_;
    std::chrono::nanoseconds longestGap_{0};
};

} // namespace vx::gui
