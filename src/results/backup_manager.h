#pragma once
// The backup manager's logic: the list of backup files, restore and delete.
#include "results/backup_record.h"

#include <filesystem>
#include <string>
#include <vector>

namespace vx {

class App;
class RunObserver;

struct BackupRow {
    std::string name;
    std::string date; // "07/03/05"
    std::string time; // "09:05:01"
    std::string size; // bytes, as decimal text
    bool ticked = false;
};

struct BackupManager {
    std::string folder; // a host folder
    std::vector<BackupRow> lvwBackUp;
    // Why the folder's backups are not listed (another user's folder, or one others may write in), in one
    // sentence; empty when they are.
    std::string refused;
};

// What a restore did: the records written back, and each failure as a line for the user.
struct RestoreOutcome {
    int restored = 0;
    std::vector<std::string> failures;
};

// Form_Load: lists the backup files of the backup folder (and nothing else: not their copies), those of
// the user or root only; nothing from a folder that is not the program's own (`refused` says why).
BackupManager LoadBackupManager(App& app);
void AddBackupRow(App& app, BackupManager& manager, const std::string& fileName);
std::string GetFileSizeText(App& app, const std::string& path);

// Replays one backup file into the registry (records newest first, so that an undo of several changes to
// one value ends with the oldest) and puts its shortcut files back from its own copies. Nothing is saved
// yet. A file made from another target is refused whole; a damaged record is reported and not written.
RestoreOutcome RestoreBackupFile(App& app, RunObserver& observer, const std::filesystem::path& backupFile);
// Puts one shortcut record's file back: only to a place repair could have removed it from.
bool RestoreShortcutFile(App& app, const std::filesystem::path& backupFile, const BackupRecord& record,
                         std::string& why);

// The Restore button over the ticked rows. A backup file is deleted (with its copies) only when every
// record was written back and the registry was saved.
RestoreOutcome imgRestoreMouseMove_Click(App& app, RunObserver& observer, BackupManager& manager);
// The Delete button: one confirmation per ticked row.
void ImgDeleteMouseMove_Click(App& app, BackupManager& manager);

} // namespace vx
