#pragma once
// The backup files of repair runs: where they live, how each run gets a file of its own, and how a record
// (and a shortcut's copy) is put on disk before its finding is removed. The files and their copies are
// host files of the program, never files of the target.
//
// A run's file is "BackUp dd-mm-yy hh-mm-ss" in the backup folder (" (2)", " (3)" … appended when a run
// of the same second took the name), claimed exclusively, and begins with the target it was made from.
// Copies of removed shortcut files go into that file's own folder of copies, "<file name> shortcuts", one
// per record, so that no two records or runs share a copy.
#include "results/backup_record.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

class App;

// The "txtBackup" setting, else the program's own folder.
std::filesystem::path BackupFolder(App& app);
bool BackupsEnabled(App& app);

// Whether a file name is one a repair run gives its backup file ("BackUp dd-mm-yy hh-mm-ss", any letter
// case, with the " (N)" of a second run within one second).
bool IsBackupFileName(std::string_view name);

// When a backup file's run was made, as its name tells it, in an order that sorts as the runs were made
// (year, month, day, hour, minute, second, and the " (N)" of a later run in the same second). The two-digit
// year is taken as 1970 to 2069. Zero for a name that is not a backup file's.
uint64_t BackupRunOrder(std::string_view name);

// Where the copies of a backup file's shortcut records live.
std::filesystem::path ShortcutCopiesFolder(const std::filesystem::path& backupFile);

// Copies a host file into a folder of copies under a name no earlier record took ("1 x.lnk", "2 x.lnk",
// …), synced, with the file's mode and owner; never through a symbolic link. The name taken, or empty with
// `why` set (naming the file as `shownPath`).
std::string KeepCopy(const std::filesystem::path& source, const std::string& shownPath,
                     const std::filesystem::path& copies, const std::string& baseName, std::string& why);

// Starts the backup file of a repair run: creates the backup folder when missing, claims a name no
// other file has, and writes the target record. Empty with `why` set (one sentence) when it cannot.
std::optional<std::filesystem::path> StartBackupFile(App& app, std::string& why);

// Appends one record and makes sure it is on disk (flushed and synced) before returning; for a shortcut
// the file is first copied into the backup file's folder of copies. False, with nothing of the record left
// in the file, when the record or the copy could not be written (`why`, when given, then says why). With
// backups switched off it writes nothing and returns true.
bool WriteBackupRecord(App& app, std::string_view kind, const std::string& backupFile,
                       const RegistryBackup* registryRow, const ShortcutEntry* shortcutRow,
                       std::string* why = nullptr);

// A registry record as one line of a backup file, encoded and ended.
std::string RegistryRecordLine(const RegistryBackup& backup);
// Appends records made by RegistryRecordLine in one write and makes sure they are on disk (flushed and
// synced). False, with none of them left in the file and `why` saying why, when they could not be.
bool AppendBackupRecords(const std::filesystem::path& backupFile, std::string_view lines, std::string& why);

// Cuts the file back to `size` bytes: drops the records of changes that were never saved.
void CutBackupFile(const std::filesystem::path& backupFile, uintmax_t size);
// Removes a backup file and its folder of copies.
bool RemoveBackupFile(const std::filesystem::path& backupFile);

} // namespace vx
