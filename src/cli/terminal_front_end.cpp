// The terminal's side of the program: progress on standard error, Ctrl-C as the Cancel button, and the
// message box as a y/N prompt.
#include "cli/terminal_front_end.h"

#include "engine/scan_run.h"

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
        if (app.main().cmdCancelOrStop) {
            ClearProgress();
            cmdCancelOrStop_Click(app);
        }
    }
    if (showProgress_) {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastDraw_ >= std::chrono::milliseconds(100)) {
            lastDraw_ = now;
            // Drawn again only when what the line shows has changed.
            const auto& main = app.main();
            const std::pair revisions{main.Revision(MainWindowModel::FieldGroup::Labels),
                                      main.Revision(MainWindowModel::FieldGroup::Progress)};
            if (!drawn_ || revisions != drawnRevisions_) {
                drawnRevisions_ = revisions;
                DrawProgress(app);
            }
        }
    }
}

void TerminalFrontEnd::DrawProgress(App& app) {
    const auto& main = app.main();
    constexpr int kBar = 24;
    const int filled = main.PicMainProgress > 0 ? main.PicProgress * kBar / main.PicMainProgress : 0;
    std::string line = "\r[" + std::string(filled, '#') + std::string(kBar - filled, '.') + "] ";
    line += Shorten(main.lblStatus, 28) + "  " + Shorten(main.lblRegistryScan, 40) + "  (" +
            main.lblProblemsFound + " found)";
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
