// The desktop program scanning a large prefix: the longest time the window waits for its event loop
// during the scan (goal: at most 50 ms), and the scan's time against the terminal front end's on the same
// prefix (goal: at most 1.2 times). Printed, not asserted. Runs on Qt's display-less platform.
// Usage: gui_scan_bench PREFIX VANTRELIX-CLI   (make PREFIX with: scan_bench --generate PREFIX)
#include "../bench_app.h"

#include "gui/gui_context.h"
#include "gui/gui_front_end.h"
#include "gui/main_window.h"
#include "platform/wine/wine_target.h"
#include "ui/autostart_entry.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct GuiRun {
    double seconds = 0;
    double longestGapMs = 0;
    size_t findings = 0;
    double scanSeconds = 0;   // the scan alone, from the click on Scan Now
    double repairSeconds = 0; // the repair of everything found, from the click on Repair (when asked)
};

// Presses an image button as a user does: the pointer over it first, then the click; the work it starts
// runs once the click is over, in here.
void Press(QWidget* button) {
    QTest::mouseMove(button);
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(button, &move);
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

// Opens the prefix and scans it through the main window's Scan Now, as a user would; then, when asked,
// repairs everything found through Repair.
GuiRun ScanInWindow(const std::filesystem::path& prefix, const std::filesystem::path& scratch,
                    bool repair = false) {
    using namespace vx;
    const auto start = Clock::now();
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWineTarget(prefix, error, warnings);
    if (!target) {
        std::cerr << error << "\n";
        std::exit(2);
    }
    bench::DefaultSettings settings;
    bench::NoSound sound;
    gui::GuiFrontEnd frontEnd;
    frontEnd.messageBox = [](QWidget*, std::string_view, bool) { return true; };
    App app(*target, settings, frontEnd, sound);
    app.SetApplicationFolder(scratch.string());
    AutostartEntry startup(scratch / "autostart", "/bin/true", {});
    gui::DialogPickers pickers;
    gui::GuiContext context{app, startup, pickers};
    gui::MainWindow window(context, frontEnd);
    window.show();
    QApplication::processEvents();
    frontEnd.ResetGaps();
    const auto scanStart = Clock::now();
    Press(window.findChild<QWidget*>("ImgScanNowNormal"));
    GuiRun run;
    run.seconds = Seconds(Clock::now() - start);
    run.scanSeconds = Seconds(Clock::now() - scanStart);
    run.longestGapMs = std::chrono::duration<double, std::milli>(frontEnd.longestGap()).count();
    run.findings = window.rules().engine().findings().size();
    if (repair) {
        const auto repairStart = Clock::now();
        Press(window.findChild<QWidget*>("ImgRepairNormal"));
        run.repairSeconds = Seconds(Clock::now() - repairStart);
        if (const auto& left = window.rules().engine().findings().lvwErrors; !left.empty())
            std::cerr << left.size() << " findings were left in place\n";
    }
    return run;
}

double ScanInTerminal(const std::string& cli, const std::filesystem::path& prefix) {
    const std::string command = "'" + cli + "' --prefix '" + prefix.string() + "' scan --json >/dev/null";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::cerr << "the terminal scan failed: " << command << "\n";
        std::exit(2);
    }
    return Seconds(Clock::now() - start);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(art);
    if (argc != 3) {
        std::cerr << "usage: gui_scan_bench PREFIX VANTRELIX-CLI\n";
        return 2;
    }
    const std::filesystem::path prefix = argv[1];
    const auto scratch =
        std::filesystem::temp_directory_path() / ("vantrelix-gui-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);

    std::vector<double> window, terminal, gaps;
    size_t findings = 0;
    for (int i = 0; i < 3; ++i) {
        const GuiRun run = ScanInWindow(prefix, scratch);
        window.push_back(run.seconds);
        gaps.push_back(run.longestGapMs);
        findings = run.findings;
        terminal.push_back(ScanInTerminal(argv[2], prefix));
    }
    // The repair in the window, on a copy of the prefix (it changes it), with backups in the scratch folder.
    const auto copy = scratch / "prefix";
    std::filesystem::copy(prefix, copy,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::copy_symlinks);
    const GuiRun repaired = ScanInWindow(copy, scratch, true);
    std::filesystem::remove_all(scratch);
    std::printf("gui scan bench on %s (%zu findings), median of 3 (open + scan):\n", prefix.c_str(),
                findings);
    std::printf("  window            %8.3f s\n", Median(window));
    std::printf("  terminal          %8.3f s\n", Median(terminal));
    std::printf("  window / terminal %8.2f x   (goal <= 1.2)\n", Median(window) / Median(terminal));
    std::printf(
        "  longest gap between two turns of the event loop: %.1f ms (worst of 3: %.1f ms; goal <= 50)\n",
        Median(gaps), *std::max_element(gaps.begin(), gaps.end()));
    std::printf("  repair in the window %8.3f s vs its scan %8.3f s: %.2f x (goal <= 2)\n",
                repaired.repairSeconds, repaired.scanSeconds, repaired.repairSeconds / repaired.scanSeconds);
    return 0;
}
