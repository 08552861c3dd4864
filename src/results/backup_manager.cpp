// The backup manager's logic: the list of backup files, restore and delete.
#include "results/backup_manager.h"

#include "app/app.h"
#include "app/message_box.h"
#include "paths/path_text.h"
#include "paths/program_folders.h"
#include "platform/atomic_file.h"
#include "platform/host_file_io.h"
#include "platform/host_folders.h"
#include "platform/own_file_guard.h"
#include "platform/registry_access.h"
#include "platform/text.h"
#include "platform/utf8_path.h"
#include "results/backup_file.h"
#include "results/launcher_restore.h"
#include "results/run_observer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vx {
namespace {

namespace fs = std::filesystem;

std::string Replace(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

// Restores one saved value exactly: written back when it existed, removed when repair created it.
bool RestoreSavedValue(Registry& registry, RootKey root, const std::string& keyPath, const std::string& name,
                       const SavedValue& value) {
    HKEY key = 0;
    if (!value.existed) {
        if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
            return true; // nothing to remove
        const Status status = registry.RegDeleteValue(key, name);
        registry.RegCloseKey(key);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    if (registry.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
        return false;
    const Status status =
        value.raw ? registry.RegSetValueRaw(
                        key, name, value.type,
                        std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()))
                  : registry.RegSetValueEx(key, name, value.type, value.data);
    registry.RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// A record of an older file: the path it reported goes back as text (or as the bare name for "Yes").
bool RestoreSixFieldRecord(App& app, RootKey root, const std::vector<std::string>& f,
                           const std::string& name) {
    Registry& registry = app.registry();
    std::string written;
    if (UpperAscii(TrimBlanks(f[5])) == "YES") {
        std::string data = GetFileNamePart(f[3]);
        if (data.empty())
            data = std::string(TrimBlanks(f[3]));
        WriteRegistryValue(registry, root, f[2], name, data);
        return ReadRegistryString(registry, root, f[2], name, written);
    }
    SetRegistryValueCreatingKey(registry, root, f[2], name, f[3], REG_SZ);
    return ReadRegistryString(registry, root, f[2], name, written) && written == f[3];
}

bool RestoreRegistryRecord(App& app, const BackupRecord& record) {
    const auto& f = record.f;
    const auto root = RootKeyFromName(f[1]);
    if (!root)
        return false;
    if (!record.exact)
        return RestoreSixFieldRecord(app, *root, f, f[4] == "(Default)" ? std::string() : f[4]);
    Registry& registry = app.registry();
    bool ok = true;
    if (record.namedDefault)
        ok = RestoreSavedValue(registry, *root, f[2], record.namedDefaultName, *record.namedDefault);
    return RestoreSavedValue(registry, *root, f[2], record.valueName, record.value) && ok;
}

// Where a shortcut may go back to: a .lnk or .url file on a fixed drive of the target (a drive that maps
// outside the target's folders is never fixed), reached without passing a symbolic link, into a folder
// that exists. The host path, or empty with `why` set.
std::optional<fs::path> RestorablePlace(App& app, const std::string& path, std::string& why) {
    why = path + " is not a place a shortcut can be restored to";
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\')
        return std::nullopt;
    // Only the form repair writes: every part a plain name (no empty, "." or ".." part, no "/").
    for (size_t start = 3; start <= path.size();) {
        const size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view part = std::string_view(path).substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string_view::npos)
            return std::nullopt;
        start = end + 1;
    }
    const std::string extension = GetFileExtension(path);
    if (extension != "lnk" && extension != "url")
        return std::nullopt;
    if (!IsFixedDrivePath(path, app.files().Drives()))
        return std::nullopt;
    const auto root = app.files().HostPath(path.substr(0, 3));
    const auto host = app.files().HostPath(path);
    if (!root || !host)
        return std::nullopt;
    const fs::path relative = host->lexically_normal().lexically_relative(root->lexically_normal());
    if (relative.empty() || *relative.begin() == ".." || relative.filename().empty())
        return std::nullopt;
    fs::path walked = *root;
    std::error_code ec;
    for (auto part = relative.begin(); part != relative.end(); ++part) {
        walked /= *part;
        const fs::file_status status = fs::symlink_status(walked, ec);
        const bool last = std::next(part) == relative.end();
        if (fs::is_symlink(status)) {
            why = walked.string() + " is a symbolic link; the shortcut was not restored through it";
            return std::nullopt;
        }
        if (!last && !fs::is_directory(status)) {
            why = "the folder " + walked.string() + " no longer exists";
            return std::nullopt;
        }
        if (last && fs::exists(status) && !fs::is_regular_file(status))
            return std::nullopt;
    }
    return walked;
}

std::string RestoreFailure(const fs::path& file, const BackupRecord& record, const std::string& why) {
    return file.filename().string() + ", line " + std::to_string(record.line) + ": " + why;
}

} // namespace

std::string GetFileSizeText(App& app, const std::string& path) {
    (void)app;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? std::string() : std::to_string(size);
}

void AddBackupRow(App& app, BackupManager& manager, const std::string& fileName) {
    const std::string upper = UpperAscii(TrimBlanks(fileName));
    const size_t p = upper.find("BACKUP") + 1; // 1-based positions below
    const size_t b = InStr(fileName, " ", p + 6);
    BackupRow row;
    row.name = fileName;
    if (b != 0 && b > p + 6) {
        row.date = std::string(TrimBlanks(Replace(fileName.substr(p + 5, b - p - 6), '-', '/')));
        row.time = std::string(TrimBlanks(Replace(fileName.substr(b - 1), '-', ':')));
    }
    row.size = GetFileSizeText(app, PathUtf8(Utf8Path(manager.folder) / Utf8Path(fileName)));
    manager.lvwBackUp.push_back(std::move(row));
}

BackupManager LoadBackupManager(App& app) {
    BackupManager manager;
    manager.folder = PathUtf8(BackupFolder(app));
    // Backups another user could have planted are never offered for restore.
    if (manager.refused = WhyNotAProgramFolder(app, manager.folder); !manager.refused.empty())
        return manager;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(manager.folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = PathUtf8(it->path().filename());
        if (name.starts_with(".") || !it->is_regular_file(ec) || it->is_symlink(ec) ||
            !BelongsToUserOrRoot(it->path()))
            continue;
        if (IsBackupFileName(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names)
        AddBackupRow(app, manager, name);
    return manager;
}

bool RestoreShortcutFile(App& app, const fs::path& backupFile, const BackupRecord& record, std::string& why) {
    const std::string& shortcutPath = record.f[1];
    const auto place = RestorablePlace(app, shortcutPath, why);
    if (!place)
        return false;
    // A newer record's copy lies in its own file's folder of copies; an older one's beside the file under
    // its bare name. Either way the name is a plain one: a record cannot point anywhere else.
    const std::string name = record.copyName.empty() ? GetFileNamePart(shortcutPath) : record.copyName;
    if (!IsPlainCopyName(name)) {
        why = "its copy's name is not a plain file name";
        return false;
    }
    if (!record.copyName.empty() && !IsOwnFolderEntry(ShortcutCopiesFolder(backupFile))) {
        why = "its folder of copies is a symbolic link or not the program's own";
        return false;
    }
    const fs::path copy =
        (record.copyName.empty() ? backupFile.parent_path() : ShortcutCopiesFolder(backupFile)) /
        Utf8Path(name);
    const auto bytes = ReadRegularFile(copy);
    if (!bytes) {
        why = "its copy " + copy.string() + " is missing";
        return false;
    }
    // A file standing there now is never written over: the user may have made a new, working shortcut of
    // that name. One that holds exactly the copy counts as restored.
    if (const auto existing = ReadRegularFile(*place)) {
        if (*existing == *bytes)
            return true;
        why = "a different file now stands at " + PathUtf8(*place) + "; it was left as it is";
        return false;
    }
    if (const int err = CreateFileAtomically(*place, *bytes); err != 0) {
        why = err == EEXIST ? "a different file now stands at " + PathUtf8(*place) + "; it was left as it is"
                            : "cannot write " + place->string() + ": " + std::strerror(err);
        return false;
    }
    KeepAttributesOf(copy, *place); // the mode, owner and DOS attributes the shortcut had
    return true;
}

RestoreOutcome RestoreBackupFile(App& app, RunObserver& observer, const fs::path& backupFile) {
    RestoreOutcome outcome;
    const std::string name = PathUtf8(backupFile.filename());
    if (!BelongsToUserOrRoot(backupFile)) {
        outcome.failures.push_back(name + " belongs to another user; it was not restored");
        return outcome;
    }
    const auto content = ReadRegularFile(backupFile);
    if (!content) {
        outcome.failures.push_back(name + ": cannot be read");
        return outcome;
    }
    const BackupContent read = ReadBackupRecords(*content);
    for (const auto& record : read.records) {
        if (record.kind == BackupRecord::Kind::Target && record.f[1] != app.target().Identity()) {
            outcome.failures.push_back(name + " was made from " + record.f[1] + ", not from " +
                                       app.target().Identity() + "; it was not restored");
            return outcome;
        }
    }
    for (const auto& damaged : read.damaged)
        outcome.failures.push_back(name + ", " + damaged + "; nothing of it was written");
    bool launchers = false;
    for (auto record = read.records.rbegin(); record != read.records.rend(); ++record) {
        std::string why = "could not be written back";
        bool ok = true;
        if (record->kind == BackupRecord::Kind::Registry) {
            ok = RestoreRegistryRecord(app, *record);
        } else if (record->kind == BackupRecord::Kind::Shortcut) {
            ok = RestoreShortcutFile(app, backupFile, *record, why);
        } else if (record->kind == BackupRecord::Kind::Launcher) {
            ok = RestoreLauncherFile(HomeFolder(), backupFile, *record, why);
            launchers = launchers || ok;
        } else {
            continue;
        }
        if (ok)
            ++outcome.restored;
        else
            outcome.failures.push_back(RestoreFailure(backupFile, *record, why));
        observer.Yield();
    }
    if (launchers)
        RefreshDesktopCaches(HomeFolder());
    return outcome;
}

RestoreOutcome imgRestoreMouseMove_Click(App& app, RunObserver& observer, BackupManager& manager) {
    RestoreOutcome total;
    const RunTurn turn(app);
    if (!turn.held()) {
        total.failures.push_back("nothing was restored: " + std::string(kAnotherRunAtWork));
        return total;
    }
    std::string why;
    if (!app.target().CanWrite(why)) {
        total.failures.push_back("nothing was restored: " + why);
        return total;
    }
    const auto lock = app.target().LockForChanges(why);
    if (!lock) {
        total.failures.push_back("nothing was restored: " + why);
        return total;
    }
    if (why = WhyNotAProgramFolder(app, manager.folder); !why.empty()) {
        total.failures.push_back("nothing was restored: " + why);
        return total;
    }
    // Runs are undone newest first across files too, as records are within one: a value removed by two
    // runs ends with what the older run found.
    std::vector<std::string> ticked;
    for (const auto& row : manager.lvwBackUp)
        if (row.ticked)
            ticked.push_back(row.name);
    std::stable_sort(ticked.begin(), ticked.end(), [](const std::string& a, const std::string& b) {
        return BackupRunOrder(a) > BackupRunOrder(b);
    });
    std::vector<std::string> complete;
    for (const auto& name : ticked) {
        const fs::path path = Utf8Path(manager.folder) / Utf8Path(name);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            continue;
        RestoreOutcome one = RestoreBackupFile(app, observer, path);
        total.restored += one.restored;
        if (one.failures.empty())
            complete.push_back(name);
        total.failures.insert(total.failures.end(), one.failures.begin(), one.failures.end());
    }
    // The registry is saved once; only then is a fully restored backup (and its copies) removed.
    if (app.registry().Flush() != ERROR_SUCCESS) {
        const std::string error = app.registry().LastError();
        total.failures.push_back("the registry could not be saved" + (error.empty() ? "" : ": " + error));
        return total;
    }
    for (const auto& name : complete) {
        RemoveBackupFile(Utf8Path(manager.folder) / Utf8Path(name));
        std::erase_if(manager.lvwBackUp, [&](const BackupRow& row) { return row.name == name; });
    }
    return total;
}

void ImgDeleteMouseMove_Click(App& app, BackupManager& manager) {
    std::vector<std::string> ticked;
    for (const auto& row : manager.lvwBackUp)
        if (row.ticked)
            ticked.push_back(row.name);
    for (const auto& name : ticked) {
        if (AskMessageBox(app, kDeleteBackupFile)) {
            const fs::path path = Utf8Path(manager.folder) / Utf8Path(name);
            std::error_code ec;
            if (fs::is_regular_file(path, ec) && RemoveBackupFile(path))
                std::erase_if(manager.lvwBackUp, [&](const BackupRow& row) { return row.name == name; });
        }
        app.MessageBoxKind.clear();
    }
}

} // namespace vx
