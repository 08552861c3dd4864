// The repair and backups commands: repair after a backup, and the backup manager.
#include "app/message_box.h"
#include "cli/commands.h"
#include "engine/engine.h"
#include "paths/program_folders.h"
#include "platform/utf8_path.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"

#include <iostream>

namespace vx {

int RunRepairCommand(CliSession& session, const ScanOptions& options, std::ostream& out) {
    App& app = *session.app;
    std::string why;
    if (!app.target().CanWrite(why) ||
        (BackupsEnabled(app) && !(why = WhyNotAProgramFolder(app, PathUtf8(BackupFolder(app)))).empty())) {
        std::cerr << "vantrelix-cli: cannot repair " << session.targetName << ": " << why << "\n";
        return 2;
    }
    if (!RunOneScan(session, options))
        return 2;
    Engine& engine = *session.engine;
    if (engine.run().Cancelled()) {
        out << "Scan cancelled; nothing was repaired.\n";
        return 1;
    }
    const Findings& findings = engine.findings();
    const size_t found = findings.size();
    if (found == 0) {
        out << "No problems found; nothing to repair.\n";
        return 0;
    }
    for (const auto& p : findings.lvwErrors)
        out << p.mainkeyname << "\\" << p.FullKeyPath << "  " << p.KeyName << "  -> missing " << p.KeyValue
            << "\n";
    for (const auto& s : findings.lvwShortcut)
        out << "shortcut " << s.path << "\n";
    for (const auto& l : findings.lvwLaunchers)
        out << "launcher " << l.text << "\n";
    if (!app.ShowMessageBox("Repair these " + std::to_string(found) + " problem(s)?", true)) {
        out << "Nothing was repaired.\n";
        return 1;
    }
    const RepairOutcome outcome = engine.Repair();
    if (outcome.ran) // the closing box, as the window shows it
        app.ShowMessageBox(RepairClosingMessage(outcome), false);
    if (outcome.repaired == 0 && outcome.skipped == 0 && !outcome.error.empty()) {
        std::cerr << "vantrelix-cli: nothing was repaired: " << outcome.error << "\n";
        return 2;
    }
    out << "Repaired: " << outcome.repaired << "\n";
    out << "Skipped:  " << outcome.skipped << "\n";
    for (const auto& reason : outcome.reasons)
        out << "  left in place: " << reason << "\n";
    if (!outcome.backupFile.empty())
        out << "Backup:   " << outcome.backupFile << "\n";
    else if (!BackupsEnabled(app))
        out << "Backup:   none (backups are switched off)\n";
    else
        out << "Backup:   none (nothing was changed)\n";
    if (!outcome.error.empty())
        return 2;
    return outcome.skipped == 0 ? 0 : 1;
}

int RunBackupsCommand(CliSession& session, const std::vector<std::string>& args, std::ostream& out) {
    App& app = *session.app;
    BackupManager manager = LoadBackupManager(app);
    if (!manager.refused.empty()) {
        std::cerr << "vantrelix-cli: " << manager.refused << "\n";
        return 2;
    }
    if (args.empty()) {
        if (manager.lvwBackUp.empty())
            out << "No backup files in " << manager.folder << "\n";
        for (const auto& row : manager.lvwBackUp)
            out << row.name << "\t" << row.date << "\t" << row.time << "\t" << row.size << "\n";
        return 0;
    }
    const std::string& action = args[0];
    if ((action != "restore" && action != "delete") || args.size() < 2) {
        std::cerr << "vantrelix-cli: usage: backups [restore|delete NAME...]\n";
        return 2;
    }
    for (size_t i = 1; i < args.size(); ++i) {
        bool found = false;
        for (auto& row : manager.lvwBackUp)
            if (row.name == args[i])
                row.ticked = found = true;
        if (!found) {
            std::cerr << "vantrelix-cli: no backup file named \"" << args[i] << "\" in " << manager.folder
                      << "\n";
            return 2;
        }
    }
    if (action == "delete") {
        ImgDeleteMouseMove_Click(app, manager);
        int left = 0;
        for (const auto& row : manager.lvwBackUp)
            left += row.ticked ? 1 : 0;
        out << "Deleted: " << (args.size() - 1 - left) << "\n";
        return left == 0 ? 0 : 1;
    }
    const RestoreOutcome outcome = session.engine->Restore(manager);
    out << "Records restored: " << outcome.restored << "\n";
    for (const auto& failure : outcome.failures)
        std::cerr << "vantrelix-cli: " << failure << "\n";
    if (!outcome.failures.empty())
        std::cerr << "vantrelix-cli: backup files with failed records were kept\n";
    return outcome.failures.empty() ? 0 : 1;
}

} // namespace vx
