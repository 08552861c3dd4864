// vantrelix.exe's window scanning this computer's registry (under Wine: a prefix holding the large
// generated registry, tools/bench-windows.sh): the longest time the window waits for its message loop
// during the scan and at its end until the results are on screen (goal: at most 50 ms, as the Qt window),
// and the scan's time, through Scan Now as a user presses it. Printed, not asserted.
// Usage: win32gui_scan_bench [RUNS]
#include "ui/host_services.h"
#include "ui/target_options.h"
#include "win32gui/main_window.h"
#include "win32gui/modal_loop.h"
#include "win32gui/win32_front_end.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace vx;

struct Run {
    double scanSeconds = 0;
    double longestGapMs = 0;
    double scanGapMs = 0; // during the scan
    double endGapMs = 0;  // at its end, until the results are on screen
    size_t findings = 0;
};

// Hands the messages to their windows until `done`; the longest time one took to be handled.
template <class Done> Clock::duration PumpUntil(Done done) {
    MSG message{};
    Clock::duration longest{};
    while (!done()) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        const auto start = Clock::now();
        win32gui::Deliver(message, nullptr);
        longest = std::max(longest, Clock::now() - start);
    }
    return longest;
}

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

Run ScanInWindow(win32gui::Win32FrontEnd& frontEnd, win32gui::MainWindow& window) {
    const auto& main = window.rules().model();
    // Scan Now as the pointer presses it: over the button, then its click.
    HWND button = GetDlgItem(window.handle(), win32gui::ButtonId(MainButton::ScanNow));
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    frontEnd.ResetGaps();
    const auto start = Clock::now();
    PostMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(win32gui::ButtonId(MainButton::ScanNow), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    // The scan runs inside the click's own message, pumping the window's messages itself: it is over when
    // the engine has its end time and the scanning panel is gone.
    const RunState& state = window.rules().engine().run();
    PumpUntil([&] { return !state.ScanEndTime.empty() && !main.PicScanning; });
    Run run;
    run.scanSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The scan's end (the last yield to the results on screen) waits too: from the last turn of the loop
    // during the scan to this one, and each message handled while the results panel is first painted.
    const Clock::duration atTheEnd = Clock::now() - frontEnd.lastPump();
    const auto painted = Clock::now() + std::chrono::seconds(1);
    const Clock::duration afterwards = PumpUntil([&] { return Clock::now() >= painted; });
    run.scanGapMs = Milliseconds(frontEnd.longestGap());
    run.endGapMs = Milliseconds(std::max(atTheEnd, afterwards));
    run.longestGapMs = std::max(run.scanGapMs, run.endGapMs);
    run.findings = window.rules().engine().findings().size();
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 3;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    win32gui::Win32FrontEnd frontEnd;
    OpenedTarget opened = OpenTargetFromOptions({});
    if (!opened.target) {
        std::fprintf(stderr, "%s\n", opened.error.c_str());
        return 2;
    }
    const auto settings = OpenSettingsStore(*opened.target);
    const auto sound = MakeSoundPlayer();
    App app(*opened.target, *settings, frontEnd, *sound);
    std::vector<double> seconds, gaps;
    size_t findings = 0;
    for (int i = 0; i < runs; ++i) {
        // A fresh window each run, as the program opens.
        win32gui::MainWindow window(app, frontEnd);
        window.Show();
        const Run run = ScanInWindow(frontEnd, window);
        seconds.push_back(run.scanSeconds);
        gaps.push_back(run.longestGapMs);
        findings = run.findings;
        std::printf(
            "run %d: scan %.2f s, longest wait %.1f ms (during the scan %.1f ms, at its end %.1f ms), "
            "%zu findings\n",
            i + 1, run.scanSeconds, run.longestGapMs, run.scanGapMs, run.endGapMs, run.findings);
        std::fflush(stdout);
    }
    std::printf("win32gui scan bench (%zu findings), median of %d:\n", findings, runs);
    std::printf("  scan through Scan Now %8.2f s\n", Median(seconds));
    std::printf("  longest wait of the window for its message loop: %.1f ms (worst: %.1f ms; goal <= 50)\n",
                Median(gaps), *std::max_element(gaps.begin(), gaps.end()));
    CoUninitialize();
    return 0;
}
