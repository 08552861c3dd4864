// Repair: every finding of the last scan run is backed up, then removed.
#include "engine/repair.h"

#include "app/app.h"
#include "app/message_box.h"
#include "engine/desktop_launchers.h"
#include "engine/engine.h"
#include "platform/registry_access.h"
#include "platform/root_keys.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "results/backup_file.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <filesystem>
#include <tuple>

namespace vx {
namespace {

// One registry finding changed in memory, with what its value (and a "(Default)" twin) held before. The
// record names the key the value was really stored in (see StoredSide); `row` is the finding as shown.
struct MemoryChange {
    RootKey root;
    RegistryBackup backup;
    ProblemEntry row;
};

// What one repair run holds between its steps.
struct RepairRun {
    std::unique_ptr<TargetLock> lock;
    bool backups = false;
    std::filesystem::path backupFile;
    uintmax_t backupSizeBeforeRegistry = 0;
    int records = 0;                   // records in the backup file that describe a change made
    std::vector<MemoryChange> changed; // registry findings changed in memory, not yet saved
    std::vector<ProblemEntry> kept;    // registry findings left in place
    std::vector<ShortcutEntry> keptShortcuts;
    std::vector<LauncherEntry> keptLaunchers;
};

// Each reason is said once, however many findings it left in place.
void NoteReason(RepairOutcome& outcome, std::string reason) {
    if (std::find(outcome.reasons.begin(), outcome.reasons.end(), reason) == outcome.reasons.end())
        outcome.reasons.push_back(std::move(reason));
}

void LeaveInPlace(RepairOutcome& outcome, std::string reason) {
    ++outcome.skipped;
    NoteReason(outcome, std::move(reason));
}

// What a value holds, as the registry stores it where the registry can say (an exact undo), else as the
// single-byte calls deliver it.
SavedValue ReadSavedValue(Registry& registry, RootKey root, const std::string& keyPath,
                          std::string_view name) {
    SavedValue saved;
    HKEY key = 0;
    if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
        return saved;
    uint32_t type = 0;
    std::string raw;
    const Status rawStatus = registry.RegQueryValueRaw(key, name, type, raw);
    if (rawStatus == ERROR_SUCCESS) {
        saved = {true, type, std::vector<uint8_t>(raw.begin(), raw.end()), true};
    } else if (rawStatus == Registry::kErrorCallNotImplemented) {
        uint32_t size = 0;
        if (registry.RegQueryValueEx(key, name, &type, {}, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            if (registry.RegQueryValueEx(key, name, &type, saved.data, &size) == ERROR_SUCCESS) {
                saved.existed = true;
                saved.type = type;
                saved.data.resize(size);
            }
        }
    }
    registry.RegCloseKey(key);
    return saved;
}

// The name a value is stored under, in its own letter case; `name` when the key holds no such value.
std::string NameAsStored(Registry& registry, RootKey root, const std::string& keyPath,
                         const std::string& name) {
    HKEY key = 0;
    if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
        return name;
    std::string stored = name;
    std::string enumerated;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 16384;
        if (registry.RegEnumValue(key, i, enumerated, nameSize, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        if (EqualsNoCase(enumerated, name)) {
            stored = enumerated;
            break;
        }
    }
    registry.RegCloseKey(key);
    return stored;
}

bool HoldsValue(Registry& registry, RootKey root, const std::string& keyPath, const std::string& name) {
    HKEY key = 0;
    if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
        return false;
    uint32_t size = 0;
    const bool held = registry.RegQueryValueEx(key, name, nullptr, {}, &size) == ERROR_SUCCESS;
    registry.RegCloseKey(key);
    return held;
}

// HKEY_CLASSES_ROOT is a view of two keys, the user's and the machine's classes. A finding read through it
// is changed, recorded and restored in the one that holds its value (the user's when both do, as the view
// reads it): a write through the view would go to the user's key whenever that exists, and so put a
// machine's value back into the user's registry.
std::pair<RootKey, std::string> StoredSide(Registry& registry, RootKey root, const std::string& keyPath,
                                           const std::string& name) {
    if (root != HKEY_CLASSES_ROOT)
        return {root, keyPath};
    const std::string classes = "Software\\Classes\\" + keyPath;
    for (const RootKey side : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        if (HoldsValue(registry, side, classes, name))
            return {side, classes};
    return {root, keyPath};
}

std::optional<RootKey> RootOfMainKey(std::string_view mainKey) {
    int32_t number = 0;
    const auto [end, error] = std::from_chars(mainKey.data(), mainKey.data() + mainKey.size(), number);
    if (error != std::errc() || end != mainKey.data() + mainKey.size())
        return std::nullopt;
    return static_cast<RootKey>(number);
}

// The value a finding names: its real name travels with it, so a value whose name is only blanks (shown
// as "(Default)") is told apart from the key's unnamed value. Null for the unnamed value.
std::optional<std::string> NamedValueOf(const ProblemEntry& row) {
    if (row.KeyName != "(Default)")
        return row.KeyName;
    if (!row.valueName.empty())
        return row.valueName;
    return std::nullopt;
}

// The registry change of one finding; ERROR_SUCCESS when it was made (a value already gone counts).
Status RemoveFinding(Registry& registry, RootKey root, const ProblemEntry& row) {
    HKEY key = 0;
    Status status = registry.RegOpenKey(root, row.FullKeyPath, key);
    if (status != ERROR_SUCCESS)
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    if (const auto name = NamedValueOf(row)) {
        status = registry.RegDeleteValue(key, *name);
    } else {
        // The unnamed value stays, emptied; a value literally named "(Default)" goes.
        status = registry.RegSetValueEx(key, "", REG_SZ, std::span<const uint8_t>());
        if (status == ERROR_SUCCESS)
            status = registry.RegDeleteValue(key, "(Default)");
    }
    registry.RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::string WhyRefused(App& app, Status status) {
    const std::string why = app.registry().LastError();
    return why.empty() ? "the registry refused the change (error " + std::to_string(status) + ")" : why;
}

// Locks the target, checks it may be written, and starts the backup file.
bool BeginRepair(Engine& engine, RepairRun& run, RepairOutcome& outcome) {
    App& app = engine.app();
    if (!app.target().CanWrite(outcome.error))
        return false;
    run.lock = app.target().LockForChanges(outcome.error);
    if (!run.lock)
        return false;
    run.backups = BackupsEnabled(app);
    engine.run().BackupFilePath.clear();
    if (run.backups) {
        auto file = StartBackupFile(app, outcome.error);
        if (!file)
            return false;
        run.backupFile = *file;
        engine.run().BackupFilePath = file->string();
        std::error_code ec;
        run.backupSizeBeforeRegistry = std::filesystem::file_size(*file, ec);
    }
    return true;
}

// Puts back in memory what a change removed, newest first, so that nothing unrecorded is ever saved.
void UndoInMemory(Registry& registry, const std::vector<MemoryChange>& changes) {
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        HKEY key = 0;
        if (registry.RegCreateKeyEx(change->root, change->backup.entry.FullKeyPath, KEY_ALL_ACCESS, key) !=
            ERROR_SUCCESS)
            continue;
        auto put = [&](const std::string& name, const SavedValue& saved) {
            const std::string_view bytes(reinterpret_cast<const char*>(saved.data.data()), saved.data.size());
            if (!saved.existed)
                registry.RegDeleteValue(key, name);
            else if (saved.raw)
                registry.RegSetValueRaw(key, name, saved.type, bytes);
            else
                registry.RegSetValueEx(key, name, saved.type, saved.data);
        };
        put(change->backup.valueName, change->backup.value);
        if (change->backup.namedDefault)
            put(change->backup.namedDefaultName, *change->backup.namedDefault);
        registry.RegCloseKey(key);
    }
}

// One registry finding: reads exactly what will change, then changes it in memory. Null when the
// registry refused the change (the finding is then left in place).
std::optional<MemoryChange> ChangeInMemory(App& app, RepairOutcome& outcome, const ProblemEntry& row,
                                           RootKey root) {
    Registry& registry = app.registry();
    const auto name = NamedValueOf(row);
    MemoryChange change{root, RegistryBackup{row, name.value_or(""), {}, std::nullopt}, row};
    ProblemEntry& stored = change.backup.entry;
    std::tie(change.root, stored.FullKeyPath) =
        StoredSide(registry, root, row.FullKeyPath, name.value_or(""));
    if (change.root != root) {
        stored.MainKey = std::to_string(static_cast<int32_t>(change.root));
        stored.mainkeyname = RootKeyName(change.root);
    }
    change.backup.value = ReadSavedValue(registry, change.root, stored.FullKeyPath, change.backup.valueName);
    if (!name) {
        // The twin goes back under its own name, in whatever letter case it had.
        change.backup.namedDefaultName = NameAsStored(registry, change.root, stored.FullKeyPath, "(Default)");
        change.backup.namedDefault =
            ReadSavedValue(registry, change.root, stored.FullKeyPath, change.backup.namedDefaultName);
    }
    if (const Status status = RemoveFinding(registry, change.root, stored); status != ERROR_SUCCESS) {
        LeaveInPlace(outcome, WhyRefused(app, status));
        return std::nullopt;
    }
    return change;
}

// Every registry finding is changed in memory, one pass over the list; then their records reach the
// backup file in one write and one sync, before anything is saved. When the records cannot be written,
// the changes are undone in memory and every finding stays.
void RepairRegistryFindings(Engine& engine, RepairRun& run, RepairOutcome& outcome) {
    App& app = engine.app();
    RunObserver& observer = engine.observer();
    Findings& findings = engine.findings();
    if (findings.lvwErrors.empty() || engine.summaryRows().empty())
        return;
    observer.RepairStarted();
    std::optional<RootKey> root;
    std::vector<MemoryChange> changes;
    std::string records;
    // The rows are taken out first: the window's events that come in meanwhile may touch the list.
    const std::vector<ProblemEntry> rows = findings.lvwErrors.ToVector();
    findings.lvwErrors.clear();
    for (const ProblemEntry& row : rows) {
        observer.RepairStep();
        if (!row.MainKey.empty())
            if (auto parsed = RootOfMainKey(row.MainKey))
                root = parsed;
        if (!row.KeyName.empty() && root) {
            if (auto change = ChangeInMemory(app, outcome, row, *root)) {
                if (run.backups)
                    records += RegistryRecordLine(change->backup);
                changes.push_back(std::move(*change));
            } else {
                run.kept.push_back(row);
            }
        }
        observer.Yield();
    }
    if (run.backups && !records.empty()) {
        std::string why;
        if (!AppendBackupRecords(run.backupFile, records, why)) {
            UndoInMemory(app.registry(), changes);
            for (auto& change : changes) {
                LeaveInPlace(outcome, "its backup could not be written: " + why);
                run.kept.push_back(std::move(change.row));
            }
            return;
        }
        run.records += static_cast<int>(changes.size());
    }
    run.changed = std::move(changes);
}

// The registry files are written once, together, after every record is on disk. When they cannot be,
// nothing of the registry changed: the changes are taken back in memory too (a later save must not write
// them), their findings stay, and their records leave the backup file. Only when the files could not even
// be put back as they were does every record stay, and the message names the files saved.
void SaveRepairedRegistry(App& app, RepairRun& run, RepairOutcome& outcome) {
    Registry& registry = app.registry();
    if (registry.Flush() == ERROR_SUCCESS) {
        outcome.repaired += static_cast<int>(run.changed.size());
        run.changed.clear();
        return;
    }
    outcome.error = registry.LastError();
    if (outcome.error.empty())
        outcome.error = "the registry files could not be written";
    const bool wroteNothing = registry.LastFlushWroteNothing();
    if (wroteNothing) {
        UndoInMemory(registry, run.changed);
    } else {
        outcome.error = "the registry was saved only in part (" + outcome.error +
                        "); the backup file keeps the record of every change";
    }
    for (auto& change : run.changed) {
        LeaveInPlace(outcome, outcome.error);
        run.kept.push_back(std::move(change.row));
    }
    if (run.backups && wroteNothing) {
        CutBackupFile(run.backupFile, run.backupSizeBeforeRegistry);
        run.records = 0;
    }
    run.changed.clear();
}

void RepairShortcutFindings(Engine& engine, RepairRun& run, RepairOutcome& outcome) {
    App& app = engine.app();
    const auto& shortcuts = engine.findings().lvwShortcut;
    for (size_t i = 0; i < shortcuts.size(); ++i) {
        engine.observer().RepairStep();
        const ShortcutEntry row = shortcuts[i];
        std::string why;
        if (run.backups && !WriteBackupRecord(app, "S", PathUtf8(run.backupFile), nullptr, &row, &why)) {
            LeaveInPlace(outcome, "a shortcut file could not be backed up: " + why);
            run.keptShortcuts.push_back(row);
        } else if (app.files().DeleteFile(row.path)) {
            ++outcome.repaired;
            run.records += run.backups ? 1 : 0;
        } else {
            LeaveInPlace(outcome, "a shortcut file could not be deleted");
            run.keptShortcuts.push_back(row);
        }
        engine.observer().Yield();
    }
}

// The launchers Wine left on the desktop, each with the files only it uses, after their records.
void RepairLaunchers(Engine& engine, RepairRun& run, RepairOutcome& outcome) {
    if (engine.findings().lvwLaunchers.empty())
        return;
    engine.observer().RepairStep();
    LauncherRepairTally tally =
        RepairLauncherFindings(engine, run.backups ? run.backupFile : std::filesystem::path());
    outcome.repaired += tally.repaired;
    run.records += run.backups ? tally.records : 0;
    for (auto& reason : tally.reasons)
        NoteReason(outcome, std::move(reason));
    outcome.skipped += static_cast<int>(tally.kept.size());
    run.keptLaunchers = std::move(tally.kept);
    engine.observer().Yield();
}

// The findings after the run: what was left in place stays listed.
void FinishRepair(Engine& engine, RepairRun& run, RepairOutcome& outcome) {
    if (run.backups && run.records == 0) {
        RemoveBackupFile(run.backupFile); // it would describe nothing that happened
        engine.run().BackupFilePath.clear();
    } else if (run.backups) {
        outcome.backupFile = PathUtf8(run.backupFile);
    }
    run.lock.reset();
    engine.findings().lvwShortcut = std::move(run.keptShortcuts);
    engine.findings().lvwErrors = std::move(run.kept);
    engine.findings().lvwLaunchers = std::move(run.keptLaunchers);
    engine.summaryRows().clear();
    engine.run().ScanCancelled = 0;
    engine.observer().RepairEnded();
}

} // namespace

std::string RepairClosingMessage(const RepairOutcome& outcome) {
    if (outcome.skipped == 0 && outcome.error.empty())
        return MessageOfKind(kFilesRepaired);
    if (outcome.repaired == 0 && outcome.skipped == 0)
        return "Nothing was repaired: " + outcome.error;
    std::string reasons;
    for (const auto& reason : outcome.reasons)
        reasons += (reasons.empty() ? "" : "; ") + reason;
    return std::to_string(outcome.repaired) + " problem(s) were repaired; " +
           std::to_string(outcome.skipped) + " were left in place: " + reasons + ".";
}

RepairOutcome RepairAllProblems(Engine& engine) {
    App& app = engine.app();
    RepairOutcome outcome;
    const RunTurn turn(app);
    if (!turn.held()) {
        outcome.error = std::string(kAnotherRunAtWork);
        return outcome;
    }
    RepairRun run;
    if (!BeginRepair(engine, run, outcome))
        return outcome;
    outcome.ran = true;
    RepairRegistryFindings(engine, run, outcome);
    SaveRepairedRegistry(app, run, outcome);
    RepairShortcutFindings(engine, run, outcome);
    RepairLaunchers(engine, run, outcome);
    assert(run.changed.empty());
    FinishRepair(engine, run, outcome);
    return outcome;
}

} // namespace vx
