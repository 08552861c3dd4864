// The scan command: one scan run over the check-list, its summary and details, and the report.
#include "cli/commands.h"
#include "cli/scan_output.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "results/scan_report.h"

#include <iostream>

namespace vx {

bool RunOneScan(CliSession& session, const ScanOptions& options) {
    App& app = *session.app;
    std::string error;
    if (!ChooseSections(app, options.sections, error)) {
        std::cerr << "vantrelix-cli: " << error << "\n";
        return false;
    }
    session.frontEnd->SetScanning(true);
    ImgScanNowMouseMove_Click(app);
    session.frontEnd->SetScanning(false);
    session.frontEnd->ClearProgress();
    return true;
}

int RunScanCommand(CliSession& session, const ScanOptions& options, std::ostream& out) {
    App& app = *session.app;
    if (!RunOneScan(session, options))
        return 2;
    // A report the run was asked for and could not write was said by the run itself.
    bool reportFailed = !app.main().ScanReportRefused.empty();
    if (options.report && !reportFailed) {
        std::string why;
        const std::string written = MakeScanReport(app, true, &why);
        reportFailed = written.empty();
        if (written.empty())
            std::cerr << "vantrelix-cli: " << kScanReportName << " was not written: " << why << "\n";
        else if (!options.json)
            out << "Report written to " << written << "\n";
    }
    if (options.json)
        PrintScanJson(app, session.targetName, out);
    else
        PrintScanResults(app, out);
    const bool found = !app.main().lvwErrors.empty() || !app.main().lvwShortcut.empty();
    return reportFailed ? 2 : found ? 1 : 0;
}

int RunSectionsCommand(CliSession& session, std::ostream& out) {
    App& app = *session.app;
    LoadlvwRegistryvaluesScanValues(app);
    for (const auto& row : app.main().lvwRegistryvaluesScan.rows)
        out << (row.checked ? "[x] " : "[ ] ") << row.text << "\n";
    return 0;
}

int RunSettingsCommand(CliSession& session, const std::vector<std::string>& args, std::ostream& out) {
    App& app = *session.app;
    if (args.empty()) {
        for (const auto& [key, value] : session.settings->AllSettings(kAppName, kSettingsSection))
            out << key << "=" << value << "\n";
        return 0;
    }
    if (args.size() == 1) {
        out << app.GetSetting(args[0], "") << "\n";
        return 0;
    }
    app.SaveSetting(args[0], args[1]);
    if (!session.settings->LastError().empty()) {
        std::cerr << "vantrelix-cli: " << session.settings->LastError() << "\n";
        return 2;
    }
    return 0;
}

} // namespace vx
