#pragma once
// The windows' side of the program's long work on Windows: the scan, repair and restore run on the one
// window thread and call Yield after every step; Yield hands the messages that came in (clicks, timers,
// repaints) to their windows, at most every few milliseconds, and has the main window redraw what changed.
#include "app/app.h"

#include "win32gui/windows_api.h"

#include <chrono>
#include <functional>

namespace vx::win32gui {

class Win32FrontEnd : public FrontEnd {
  public:
    Win32FrontEnd();

    void Yield(App& app) override;
    bool ShowMessageBox(App& app, std::string_view message, bool withCancel) override;

    // The window message boxes belong to and that takes the dialog keys; what redraws it; what runs
    // when a message box has closed.
    HWND owner = nullptr;
    std::function<void()> render;
    std::function<void()> afterModal;

    // The longest time between two turns of the message loop since the last reset (for the benchmark).
    std::chrono::nanoseconds longestGap() const { return longestGap_; }
    // When the message loop last had its turn during long work.
    std::chrono::steady_clock::time_point lastPump() const { return lastPump_; }
    void ResetGaps();
    std::chrono::nanoseconds pumpEvery = std::chrono::milliseconds(10);

  private:
    std::chrono::steady_clock::time_point lastPump_;
    std::chrono::nanoseconds longestGap_{0};
};

} // namespace vx::win32gui
