#include "results/repair.h"

#include "engine/section_list.h"
#include "platform/registry_access.h"
#include "results/backup_file.h"
#include "results/results_view.h"
#include "ui/app.h"
#include "ui/message_box.h"

#include <charconv>

namespace vx {
namespace {

SavedValue ReadSavedValue(Registry& registry, RootKey root, const std::string& keyPath,
                          std::string_view name) {
    SavedValue saved;
    HKEY key = 0;
    if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
        return saved;
    uint32_t type = 0;
    uint32_t size = 0;
    if (registry.RegQueryValueEx(key, name, &type, {}, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        if (registry.RegQueryValueEx(key, name, &type, saved.data, &size) == ERROR_SUCCESS) {
            saved.existed = true;
            saved.type = type;
            saved.data.resize(size);
        }
    }
    registry.RegCloseKey(key);
    return saved;
}

std::optional<RootKey> RootOfMainKey(std::string_view mainKey) {
    int32_t number = 0;
    const auto [end, error] = std::from_chars(mainKey.data(), mainKey.data() + mainKey.size(), number);
    if (error != std::errc() || end != mainKey.data() + mainKey.size())
        return std::nullopt;
    return static_cast<RootKey>(number);
}

void StepDeleteProgress(MainWindowModel& main) {
    main.ImgDeleteProgressInside += 5;
    if (main.ImgDeleteProgressInside >= main.ImgDeleteProgressWidth)
        main.ImgDeleteProgressInside = 1;
}

// One registry finding: back up exactly what will change, then change it. False when it was skipped.
bool RepairRegistryFinding(App& app, const ProblemEntry& row, RootKey root, bool backups) {
    Registry& registry = app.registry();
    const bool isDefault = row.KeyName == "(Default)";
    RegistryBackup backup{row, {}, std::nullopt};
    backup.value = ReadSavedValue(registry, root, row.FullKeyPath, isDefault ? "" : row.KeyName);
    if (isDefault)
        backup.namedDefault = ReadSavedValue(registry, root, row.FullKeyPath, "(Default)");
    if (backups && !WriteBackupRecord(app, "R", app.main().BackupFilePath, &backup, nullptr))
        return false;
    if (isDefault) {
        WriteRegistryValue(registry, root, row.FullKeyPath, "", std::string());
        DeleteRegistryValue(registry, root, row.FullKeyPath, "(Default)");
    } else {
        DeleteRegistryValue(registry, root, row.FullKeyPath, row.KeyName);
    }
    return true;
}

} // namespace

std::string RepairClosingMessage(const RepairOutcome& outcome) {
    if (!outcome.error.empty())
        return "Nothing was repaired: " + outcome.error;
    if (outcome.skipped == 0)
        return MessageOfKind(kFilesRepaired);
    return std::to_string(outcome.repaired) + " problem(s) were repaired; " +
           std::to_string(outcome.skipped) +
           " were left in place (their backup could not be written, or they could not be removed).";
}

RepairOutcome RepairAllProblems(App& app) {
    auto& main = app.main();
    RepairOutcome outcome;
    std::string why;
    if (!app.target().CanWrite(why)) {
        outcome.error = why;
        return outcome;
    }
    main.BackupFilePath = BackupFilePathFor(app);
    const bool backups = BackupsEnabled(app);
    if (backups)
        outcome.backupFile = main.BackupFilePath;

    std::vector<ProblemEntry> kept; // findings whose backup failed stay listed
    if (!main.lvwErrors.empty() && !main.lvwRegistryProblems.rows.empty()) {
        main.lvwRegistryProblems.visible = false;
        main.lvwRegistryErrorsDetail.visible = false;
        main.ImgRepairNormal = false;
        main.ImgReturnNormal = false;
        main.lblDeletingCourrutpfils = true;
        main.ImgDeleteProgress = true;
        main.ImgDeleteProgressInside = 5;
        std::optional<RootKey> root;
        while (!main.lvwErrors.empty()) {
            StepDeleteProgress(main);
            const ProblemEntry row = main.lvwErrors.front();
            if (!row.MainKey.empty())
                if (auto parsed = RootOfMainKey(row.MainKey))
                    root = parsed;
            if (!row.KeyName.empty() && root) {
                if (RepairRegistryFinding(app, row, *root, backups))
                    ++outcome.repaired;
                else {
                    ++outcome.skipped;
                    kept.push_back(row);
                }
            }
            main.lvwErrors.erase(main.lvwErrors.begin());
            app.Yield();
        }
    }

    std::vector<ShortcutEntry> keptShortcuts;
    for (size_t i = 0; i < main.lvwShortcut.size(); ++i) {
        StepDeleteProgress(main);
        const ShortcutEntry row = main.lvwShortcut[i];
        if (backups && !WriteBackupRecord(app, "S", main.BackupFilePath, nullptr, &row)) {
            ++outcome.skipped;
            keptShortcuts.push_back(row);
        } else if (app.files().DeleteFile(row.path)) {
            ++outcome.repaired;
        } else {
            ++outcome.skipped; // a read-only or vanished file: not claimed as repaired
            keptShortcuts.push_back(row);
        }
        app.Yield();
    }

    // The registry files are written once, atomically, after every record is on disk.
    if (app.registry().Flush() != ERROR_SUCCESS) {
        outcome.error = app.registry().LastError();
        if (outcome.error.empty())
            outcome.error = "the registry files could not be written";
    }

    main.lvwShortcut = std::move(keptShortcuts);
    main.lvwErrors = std::move(kept);
    main.lvwRegistryErrorsDetail.Clear();
    main.lvwRegistryProblems.Clear();
    main.ScanCancelled = 0;
    main.lvwRegistryProblems.visible = true;
    main.lvwRegistryErrorsDetail.visible = true;
    main.lblDeletingCourrutpfils = false;
    main.ImgDeleteProgress = false;
    main.ImgRepairNormal = true;
    main.ImgReturnNormal = true;

    app.MessageBoxKind = std::string(kFilesRepaired);
    if (outcome.skipped == 0 && outcome.error.empty())
        ShowFrmMessagebox(app);
    else
        app.ShowMessageBox(RepairClosingMessage(outcome), false);
    LoadlvwRegistryvaluesScanValues(app);
    app.MessageBoxKind.clear();
    ImgReturnMouseMove_Click(app);
    return outcome;
}

RepairOutcome ImgRepairMouseMove_Click(App& app) {
    RepairOutcome outcome = RepairAllProblems(app);
    app.main().PicResults = false;
    app.main().PicScanning = false;
    return outcome;
}

} // namespace vx
