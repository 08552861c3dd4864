#pragma once
// The backup manager's logic: the list of backup files, restore and delete.
#include <string>
#include <vector>

namespace vx {

class App;

struct BackupRow {
    std::string name;
    std::string date; // "07/03/05"
    std::string time; // "09:05:01"
    std::string size; // bytes, as decimal text
    bool ticked = false;
};

struct BackupManager {
    std::string folder;
    std::vector<BackupRow> lvwBackUp;
};

// What one restore did: the records that could not be written back, each as a line for the user.
struct RestoreOutcome {
    int restored = 0;
    std::vector<std::string> failures;
};

// Form_Load: lists the backup files of the backup folder.
BackupManager LoadBackupManager(App& app);
void AddBackupRow(App& app, BackupManager& manager, const std::string& fileName);
std::string GetFileSizeText(App& app, const std::string& path);

// Replays one backup file into the registry (records in reverse order, so that an undo of several
// changes to one value ends with the oldest) and puts its shortcut files back. Nothing is saved yet.
RestoreOutcome RestoreBackupFile(App& app, const std::string& path, std::vector<std::string>& copiesUsed);
bool RestoreShortcutFile(App& app, const std::string& shortcutPath, std::vector<std::string>& copiesUsed);

// The Restore button over the ticked rows. A backup file is deleted (with the shortcut copies it used)
// only when every record was written back and the registry was saved.
RestoreOutcome imgRestoreMouseMove_Click(App& app, BackupManager& manager);
// The Delete button: one confirmation per ticked row.
void ImgDeleteMouseMove_Click(App& app, BackupManager& manager);

} // namespace vx
