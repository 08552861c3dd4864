// The scan command: one scan run over the check-list, its summary and details, and the report.
#include "cli/commands.h"
#include "cli/scan_output.h"
#include "engine/engine.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "results/scan_report.h"

#include <iostream>

namespace vx {

bool RunOneScan(CliSession& session, const ScanOptions& options) {
    std::string error;
    if (!ChooseSections(*session.engine, options.sections, error)) {
        std::cerr << "vantrelix-cli: " << error << "\n";
        return false;
    }
    session.frontEnd->SetScanning(true);
    session.engine->Scan();
    session.frontEnd->SetScanning(false);
    session.frontEnd->ClearProgress();
    return true;
}

int RunScanCommand(CliSession& session, const ScanOptions& options, std::ostream& out) {
    App& app = *session.app;
    Engine& engine = *session.engine;
    if (!RunOneScan(session, options))
        return 2;
    // A report the run was asked for and could not write was said by the run itself.
    bool reportFailed = !engine.run().ScanReportRefused.empty();
    if (options.report && !reportFailed) {
        std::string why;
        const std::string written =
            MakeScanReport(app, *session.frontEnd, ReportOfLastScan(engine), true, &why);
        reportFailed = written.empty();
        if (written.empty())
            std::cerr << "vantrelix-cli: " << kScanReportName << " was not written: " << why << "\n";
        else if (!options.json)
            out << "Report written to " << written << "\n";
    }
    if (options.json)
        PrintScanJson(engine, session.targetName, out);
    else
        PrintScanResults(engine, out);
    const bool found = !engine.findings().empty();
    return reportFailed ? 2 : found ? 1 : 0;
}

int RunSectionsCommand(CliSession& session, std::ostream& out) {
    LoadlvwRegistryvaluesScanValues(*session.engine);
    for (const auto& row : session.engine->checkList().rows)
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
