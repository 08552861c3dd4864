// The terminal's side of the program: progress on standard error, Ctrl-C as the Cancel button, and the
// message box as a y/N prompt.
#include "cli/terminal_front_end.h"

#include "app/message_box.h"
#include "engine/engine.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace vx {
namespace {

std::atomic<int> gInterrupts{0};
TerminalFrontEnd* gActive = nullptr;

extern "C" void OnInterrupt(int) {
    gInterrupts.fetch_add(1);
}

std::string Shorten(const std::string& text, size_t width) {
    if (text.size() <= width)
        return text;
    return "…" + text.substr(text.size() - width + 1);
}

} // namespace

TerminalFrontEnd::TerminalFrontEnd(bool assumeYes, bool showProgress)
    : assumeYes_(assumeYes), showProgress_(showProgress && isatty(STDERR_FILENO)) {
    if (const char* abortAt = std::getenv("VANTRELIX_ABORT_AT_YIELD"))
        abortAtYield_ = std::atol(abortAt);
    gActive = this;
#ifdef _WIN32
    signal(SIGINT, OnInterrupt);
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
#endif
}

TerminalFrontEnd::~TerminalFrontEnd() {
    ClearProgress();
    signal(SIGINT, SIG_DFL);
    gActive = nullptr;
}

void TerminalFrontEnd::Yield(App& app) {
    // Fault injection for the interruption tests: end the process abruptly at the given yield.
    if (abortAtYield_ > 0 && ++yields_ == abortAtYield_)
        std::_Exit(137);
    if (gInterrupts.load() > 0) {
        gInterrupts.store(0);
        if (!scanning_) {
            ClearProgress();
            std::fputs("vantrelix-cli: interrupted\n", stderr);
            std::_Exit(130);
        }
        if (engine_ && !engine_->run().Cancelled()) {
            ClearProgress();
            CancelScan(app);
        }
    }
    if (showProgress_ && scanning_) {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastDraw_ >= std::chrono::milliseconds(100)) {
            lastDraw_ = now;
            // Drawn again only when what the line shows has changed.
            if (!drawn_ || changed_) {
                changed_ = false;
                DrawProgress();
            }
        }
    }
}

void TerminalFrontEnd::CancelScan(App& app) {
    // The terminal's Cancel: at once while nothing was found; else the question, and the scan goes on
    // with the sections chosen for it when the answer is no.
    if (engine_->findings().empty() || AskMessageBox(app, kCancelScanning))
        engine_->Cancel();
    app.MessageBoxKind.clear();
}

void TerminalFrontEnd::Yield() {
    if (app_)
        Yield(*app_);
}

bool TerminalFrontEnd::Ask(std::string_view message, bool withCancel) {
    return app_ && ShowMessageBox(*app_, message, withCancel);
}

void TerminalFrontEnd::ScanStarted() {
    status_ = "Inspecting...";
    place_.clear();
    found_ = 0;
    progress_ = 0;
    changed_ = true;
}

void TerminalFrontEnd::StatusChanged(std::string_view status) {
    status_ = status;
    changed_ = true;
}

void TerminalFrontEnd::PlaceShown(std::string_view place) {
    place_ = place;
    changed_ = true;
}

void TerminalFrontEnd::ProgressMoved(int width) {
    progress_ = width;
    changed_ = true;
}

void TerminalFrontEnd::FindingAdded(size_t found) {
    found_ = found;
    changed_ = true;
}

void TerminalFrontEnd::DrawProgress() {
    constexpr int kBar = 24;
    const int filled = progress_ * kBar / RunObserver::kFullProgress;
    std::string line = "\r[" + std::string(filled, '#') + std::string(kBar - filled, '.') + "] ";
    line += Shorten(status_, 28) + "  " + Shorten(place_, 40) + "  (" + std::to_string(found_) + " found)";
    line += "\x1b[K";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

void TerminalFrontEnd::ClearProgress() {
    if (drawn_) {
        std::fputs("\r\x1b[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }
}

bool TerminalFrontEnd::ShowMessageBox(App&, std::string_view message, bool withCancel) {
    ClearProgress();
    const std::string text(message.substr(
        message.find_first_not_of(' ') == std::string_view::npos ? 0 : message.find_first_not_of(' ')));
    if (!withCancel) {
        std::cerr << text << "\n";
        return true;
    }
    if (assumeYes_) {
        std::cerr << text << " [y/N] y (--yes)\n";
        return true;
    }
    if (!isatty(STDIN_FILENO)) {
        std::cerr << text << " [y/N] n (no terminal to ask; use --yes)\n";
        return false;
    }
    std::cerr << text << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cin.clear();
        std::cerr << "\n";
        return false;
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

} // namespace vx
