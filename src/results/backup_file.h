#pragma once
// The backup file: one per repair run, one encoded record per line, each line ended by CR LF.
//
// A record's fields are joined by "^". Registry records ("R") carry root name, key path, the reported
// path, the value name and the "Yes" mark, followed by what an exact undo needs: whether the value
// existed, its type and its data (hex), for the value repair changed and, for "(Default)" findings, for a
// value literally named "(Default)" too. Records of older files have only the first six fields.
//
// Every byte c of a line is stored as (c + 10) mod 256. Inside a field, "^", NUL and the two bytes 0xFE
// and 0xFF are escaped with 0xFE (bytes that neither UTF-8 nor an older file's encodable range ever
// holds), so any text survives and no byte but the terminator ends a line.
#include "ui/main_window_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

class App;

std::string EncodeBackupText(std::string_view text);
std::string DecodeBackupText(std::string_view text);

// Joins fields with "^", escaping what needs it; splits a decoded line back into fields.
std::string JoinBackupFields(const std::vector<std::string>& fields);
std::vector<std::string> SplitBackupFields(std::string_view decodedLine);

// The lines of a backup file's content, split only at CR LF.
std::vector<std::string> SplitBackupLines(std::string_view content);

// What a value held before repair changed it.
struct SavedValue {
    bool existed = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct RegistryBackup {
    ProblemEntry entry;
    SavedValue value;                       // the value repair changed
    std::optional<SavedValue> namedDefault; // for "(Default)": a value literally named "(Default)"
};

std::vector<std::string> RegistryRecordFields(const RegistryBackup& backup);
std::string HexOf(const std::vector<uint8_t>& data);
std::optional<std::vector<uint8_t>> BytesOfHex(std::string_view hex);

// "BackUp dd-mm-yy hh-mm-ss" in the backup folder (the "txtBackup" setting, else the program's folder).
std::string BackupFolder(App& app, std::string_view settingKey = "txtBackUp");
std::string BackupFilePathFor(App& app);

// Appends one record and makes sure it is on disk (flushed and synced) before returning; for a shortcut
// the file is copied into the backup folder first. False when the record or the copy could not be
// written. With backups switched off it writes nothing and returns true.
bool WriteBackupRecord(App& app, std::string_view kind, const std::string& backupFile,
                       const RegistryBackup* registryRow, const ShortcutEntry* shortcutRow);
bool BackupsEnabled(App& app);

} // namespace vx
