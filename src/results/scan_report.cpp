// "ScanReport.txt": when the scan ran, what it found, which sections were chosen.
#include "results/scan_report.h"

#include "app/app.h"
#include "app/clock.h"
#include "paths/program_folders.h"
#include "platform/atomic_file.h"
#include "platform/own_file_guard.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "results/run_observer.h"

#include <cstring>
#include <filesystem>

namespace vx {
namespace {

// A name or path as the report shows it: control characters (a line break in a file name, an escape
// sequence) written as "<CR>", "<LF>", "<TAB>" or "<0xHH>", so that no name puts a line of its own into
// the report. "<" never occurs in a Windows name, so the marks cannot be mistaken for one.
std::string Shown(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F) {
            out += c;
            continue;
        }
        static constexpr char kHex[] = "0123456789ABCDEF";
        out += b == '\r' ? "<CR>" : b == '\n' ? "<LF>" : b == '\t' ? "<TAB>" : "";
        if (b != '\r' && b != '\n' && b != '\t')
            out += std::string("<0x") + kHex[b >> 4] + kHex[b & 15] + ">";
    }
    return out;
}

constexpr std::string_view kProduct = "Vantrelix v3.0";
constexpr std::string_view kCrLf = "\r\n";

std::string Repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

class ReportWriter {
  public:
    void Line(std::string_view text = {}) {
        text_ += text;
        text_ += kCrLf;
    }
    // Empty lines: "two empty lines" are one CR LF written as a line, that is CR LF CR LF.
    void EmptyLines(int count) {
        for (int i = 0; i < count; ++i)
            text_ += kCrLf;
    }
    void CarriageReturnLines(int count) {
        for (int i = 0; i < count; ++i)
            Line("\r");
    }
    std::string& text() { return text_; }

  private:
    std::string text_;
};

} // namespace

std::string ScanReportText(App& app, RunObserver& observer, const ScanOfReport& scan) {
    const Findings& found = scan.findings;
    const std::string wideRule = Repeat("<>", 63);
    const std::string narrowRule = Repeat("<>", 60);
    const std::string tildeRule = Repeat("~", 124);
    const std::string problemRule = Repeat("*", 117);
    const std::string shortcutRule = Repeat("*", 90);

    ReportWriter out;
    out.Line(wideRule);
    out.Line(std::string(21, ' ') + std::string(kProduct) + " Report." + std::string(19, ' '));
    out.Line(wideRule);
    out.Line(std::string(75, ' ') + "Created on : " + ShortDateText(app.now()));
    out.EmptyLines(2);
    out.Line(std::string(kProduct) + " started scanning your system registry at " + scan.startTime +
             " and finished scanning at " + scan.endTime);
    out.CarriageReturnLines(1);
    out.Line("Total numbers of problems detected : " + std::to_string(found.size()));
    out.CarriageReturnLines(2);
    out.Line(" Sections scanned.");
    out.Line(tildeRule);
    for (const auto& row : scan.rows) {
        if (row.checked)
            out.Line(" >>>> " + row.text);
        observer.Yield();
    }
    out.Line(tildeRule);
    out.EmptyLines(2);
    out.Line(narrowRule);
    if (found.empty())
        out.Line(std::string(27, ' ') + "Your system is clean Please run " + std::string(kProduct) +
                 " to keep your system in good health");
    else
        out.Line(std::string(27, ' ') + "Registry Section Defected In Detail");
    out.Line(narrowRule);
    for (const auto& problem : found.lvwErrors) {
        out.EmptyLines(2);
        out.Line(problemRule);
        out.Line(" Name of Section : " + Shown(problem.RegistryScanners));
        out.Line(" File Name       : " + Shown(problem.KeyValue));
        out.Line(" Registry Path   : " + Shown(problem.FullKeyPath));
        out.Line(problemRule);
        out.EmptyLines(2);
        observer.Yield();
    }
    for (const auto& shortcut : found.lvwShortcut) {
        out.EmptyLines(2);
        out.Line(shortcutRule);
        out.Line(" Name of Section : " + Shown(shortcut.kind));
        out.Line(" File Name       : " + Shown(shortcut.path));
        out.Line(shortcutRule);
        out.EmptyLines(2);
        observer.Yield();
    }
    for (const auto& launcher : found.lvwLaunchers) {
        out.EmptyLines(2);
        out.Line(shortcutRule);
        out.Line(" Name of Section : Desktop Launcher");
        out.Line(" File Name       : " + Shown(launcher.text));
        out.Line(shortcutRule);
        out.EmptyLines(2);
        observer.Yield();
    }
    out.EmptyLines(2);
    out.Line(Repeat("<", 61) + " End of Report " + Repeat(">", 46));
    out.Line("Vantrelix v3.0 is made by the Vantrelix developers.");
    out.Line("Copyright (C) 2026 the Vantrelix developers.");
    out.EmptyLines(1);
    return std::move(out.text());
}

std::string MakeScanReport(App& app, RunObserver& observer, const ScanOfReport& scan, bool force,
                           std::string* why) {
    if (!force && SettingAsNumber(app.GetSetting("chkMakeLogFile", "0")) == 0)
        return {};
    const std::filesystem::path folder = ProgramFolder(app, "txtLogFile");
    if (std::string refused = WhyNotAProgramFolder(app, PathUtf8(folder)); !refused.empty()) {
        if (why)
            *why = std::move(refused);
        return {};
    }
    const std::filesystem::path path = folder / kScanReportName;
    if (std::string refused = WhyNotOwnFile(path); !refused.empty()) {
        if (why)
            *why = std::move(refused);
        return {};
    }
    const std::string text = ScanReportText(app, observer, scan);
    // Replaced as a whole, so a failed write never leaves half a report.
    if (const int err = ReplaceFileContent(path, text); err != 0) {
        if (why)
            *why = "cannot write " + PathUtf8(path) + ": " + std::strerror(err);
        return {};
    }
    return PathUtf8(path);
}

} // namespace vx
