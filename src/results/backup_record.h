#pragma once
// The records of a backup file: their encoding, their fields, and reading them back.
//
// Every byte c of a line is stored as (c + 10) mod 256, and each line ends with CR LF (unencoded). Inside a
// field "^", NUL and the two bytes 0xFE and 0xFF are escaped with 0xFE (bytes that neither UTF-8 nor an
// older file's encodable range ever holds), so any text survives and no byte but the terminator ends a line.
//
// Kinds, by their first field:
//   T^identity                       the target the file was made from (the first line of newer files)
//   R^root^key^path^name^yes         a registry record as older files hold it (six fields), followed in
//     ^existed^type^hex^valueName      newer files by what an exact undo needs: whether the value existed,
//     [^existed^type^hex^twinName]     its type, its data and its real name; a "(Default)" finding also
//                                      (a type written "r<type>" marks data stored as the registry holds
//                                      it, strings in UTF-16LE of any length; older files' data is text)
//                                      carries the value literally named "(Default)", with that name in
//                                      its own letter case. (Files of earlier versions have the exact
//                                      fields without the names, 9 or 12 fields, or without the twin's
//                                      name, 13 fields.)
//                                      The root and key are where the value was stored: a finding read
//                                      through HKEY_CLASSES_ROOT names the user's or the machine's classes.
//   S^path[^copy]                    a shortcut record; newer ones name their copy in the file's own folder
//                                      of copies, older ones have a copy under the bare file name.
//   L^path^copy^mode                 a file of a launcher Wine left on the Linux desktop (its entry, menu
//                                      file, MIME package or icon): its host path, its copy in the file's
//                                      folder of copies, its permission bits in octal.
#include "checks/findings.h"
#include "platform/hex.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

std::string EncodeBackupText(std::string_view text);
std::string DecodeBackupText(std::string_view text);

// Joins fields with "^", escaping what needs it; splits a decoded line back into fields.
std::string JoinBackupFields(const std::vector<std::string>& fields);
std::vector<std::string> SplitBackupFields(std::string_view decodedLine);

// The lines of a backup file's content, split only at CR LF. A last line without its CR LF is returned
// too; `lastLineEnded` says whether it had one.
std::vector<std::string> SplitBackupLines(std::string_view content, bool* lastLineEnded = nullptr);

// What a value held before repair changed it.
struct SavedValue {
    bool existed = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    // The data as the registry stores it (strings as UTF-16LE, any length), written back as it is; else
    // as the single-byte calls deliver it (strings as UTF-8 text), as older files hold it.
    bool raw = false;
    bool operator==(const SavedValue&) const = default;
};

struct RegistryBackup {
    ProblemEntry entry;
    std::string valueName; // the value repair changed, by its real name
    SavedValue value;      // what it held
    std::optional<SavedValue>
        namedDefault; // for the key's unnamed value: a value literally named "(Default)"
    std::string namedDefaultName = "(Default)"; // that value's name in its own letter case
};

std::vector<std::string> RegistryRecordFields(const RegistryBackup& backup);
std::vector<std::string> ShortcutRecordFields(const std::string& shortcutPath, const std::string& copyName);
std::vector<std::string> TargetRecordFields(const std::string& identity);
std::vector<std::string> LauncherRecordFields(const std::string& hostPath, const std::string& copyName,
                                              uint32_t mode);

// One record read back from a file.
struct BackupRecord {
    enum class Kind { Target, Registry, Shortcut, Launcher } kind = Kind::Registry;
    size_t line = 0;            // 1-based
    std::vector<std::string> f; // the decoded fields, as the file holds them
    bool exact = false;         // registry: carries the saved value (else the older rule applies)
    std::string valueName;      // registry, exact: the real name of the value
    SavedValue value;           // registry, exact
    std::optional<SavedValue> namedDefault;
    std::string namedDefaultName = "(Default)";
    std::string copyName; // shortcut, launcher: the copy's name in the file's folder of copies; empty for
                          // an older shortcut record
    uint32_t mode = 0;    // launcher: the file's permission bits
};

struct BackupContent {
    std::vector<BackupRecord> records;
    std::vector<std::string> damaged; // "line N: why", for every line that is not a complete record
};

// Reads every line. A record counts only when it is complete: a known kind, every field present, saved
// data whose length fits its type, and the line ended by CR LF. Anything else is listed as damaged.
BackupContent ReadBackupRecords(std::string_view content);

// A copy's name as a record may give it: one plain name, never a path.
bool IsPlainCopyName(std::string_view name);

} // namespace vx
