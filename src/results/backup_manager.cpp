#include "results/backup_manager.h"

#include "paths/folders.h"
#include "paths/path_text.h"
#include "platform/registry_access.h"
#include "platform/text.h"
#include "results/backup_file.h"
#include "ui/app.h"
#include "ui/message_box.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vx {
namespace {

std::string Replace(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

bool PathExists(App& app, const std::string& path) {
    return app.files().GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> ReadWholeFile(App& app, const std::string& path) {
    const auto host = app.files().HostPath(path);
    if (!host)
        return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Restores one saved value exactly: written back when it existed, removed when repair created it.
bool RestoreSavedValue(Registry& registry, RootKey root, const std::string& keyPath, const std::string& name,
                       std::string_view existed, std::string_view type, std::string_view hex) {
    const auto data = BytesOfHex(hex);
    if (!data || (existed != "0" && existed != "1"))
        return false;
    uint32_t typeNumber = 0;
    for (char c : type) {
        if (c < '0' || c > '9')
            return false;
        typeNumber = typeNumber * 10 + static_cast<uint32_t>(c - '0');
    }
    HKEY key = 0;
    if (existed == "0") {
        if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
            return true; // nothing to remove
        const Status status = registry.RegDeleteValue(key, name);
        registry.RegCloseKey(key);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    if (registry.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
        return false;
    const Status status = registry.RegSetValueEx(key, name, typeNumber, *data);
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
        if (!ReadRegistryString(registry, root, f[2], name, written))
            return false;
        return true;
    }
    SetRegistryValueCreatingKey(registry, root, f[2], name, f[3], REG_SZ);
    return ReadRegistryString(registry, root, f[2], name, written) && written == f[3];
}

bool RestoreRegistryRecord(App& app, const std::vector<std::string>& f) {
    if (f.size() < 6)
        return false;
    const auto root = RootKeyFromName(f[1]);
    if (!root)
        return false;
    const std::string name = f[4] == "(Default)" ? std::string() : f[4];
    if (f.size() == 6)
        return RestoreSixFieldRecord(app, *root, f, name);
    if (f.size() != 9 && f.size() != 12)
        return false;
    Registry& registry = app.registry();
    bool ok = true;
    if (f.size() == 12)
        ok = RestoreSavedValue(registry, *root, f[2], "(Default)", f[9], f[10], f[11]);
    return RestoreSavedValue(registry, *root, f[2], name, f[6], f[7], f[8]) && ok;
}

// A shortcut goes back only to a .lnk or .url file on a drive of the target: a backup file must not be
// able to make the program write anywhere else.
bool IsShortcutPathOnTarget(App& app, const std::string& path) {
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\')
        return false;
    const std::string extension = GetFileExtension(path);
    if (extension != "lnk" && extension != "url")
        return false;
    const std::string letter(1, path[0]);
    for (const auto& drive : app.files().Drives())
        if (EqualsNoCase(drive.letter, letter))
            return true;
    return false;
}

} // namespace

std::string GetFileSizeText(App& app, const std::string& path) {
    const auto size = app.files().GetFileSize(path);
    return size ? std::to_string(*size) : std::string();
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
    row.size = GetFileSizeText(app, manager.folder + "\\" + fileName);
    manager.lvwBackUp.push_back(std::move(row));
}

BackupManager LoadBackupManager(App& app) {
    BackupManager manager;
    manager.folder = BackupFolder(app, "txtBackup");
    FindData entry;
    auto search = app.files().FindFirstFile(manager.folder + "\\*", entry);
    if (!search)
        return manager;
    do {
        constexpr uint32_t kNotPlain =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((entry.attributes & kNotPlain) == 0 && ContainsAsciiNoCase(TrimBlanks(entry.name), "BACKUP"))
            AddBackupRow(app, manager, entry.name);
    } while (search->FindNextFile(entry));
    return manager;
}

bool RestoreShortcutFile(App& app, const std::string& shortcutPath, std::vector<std::string>& copiesUsed) {
    if (!IsShortcutPathOnTarget(app, shortcutPath))
        return false;
    const std::string copy = BackupFolder(app) + "\\" + GetFileNamePart(shortcutPath);
    if (!FileExists(app, copy))
        return false;
    if (!app.files().CopyFile(copy, shortcutPath, false))
        return false;
    copiesUsed.push_back(copy);
    return true;
}

RestoreOutcome RestoreBackupFile(App& app, const std::string& path, std::vector<std::string>& copiesUsed) {
    RestoreOutcome outcome;
    const auto content = ReadWholeFile(app, path);
    if (!content) {
        outcome.failures.push_back(path + ": cannot be read");
        return outcome;
    }
    const std::vector<std::string> lines = SplitBackupLines(*content);
    for (size_t n = lines.size(); n-- > 0;) {
        const std::vector<std::string> fields = SplitBackupFields(DecodeBackupText(lines[n]));
        const std::string kind = UpperAscii(TrimBlanks(fields[0]));
        bool ok = false;
        if (kind == "R")
            ok = RestoreRegistryRecord(app, fields);
        else if (kind == "S" && fields.size() == 2)
            ok = RestoreShortcutFile(app, fields[1], copiesUsed);
        if (ok)
            ++outcome.restored;
        else
            outcome.failures.push_back(
                path + ", line " + std::to_string(n + 1) + ": " +
                (kind == "R" || kind == "S" ? "could not be written back" : "is not a backup record"));
        app.Yield();
    }
    return outcome;
}

RestoreOutcome imgRestoreMouseMove_Click(App& app, BackupManager& manager) {
    RestoreOutcome total;
    std::string why;
    if (!app.target().CanWrite(why)) {
        total.failures.push_back("nothing was restored: " + why);
        return total;
    }
    struct Done {
        std::string name;
        std::string path;
        std::vector<std::string> copies;
    };
    std::vector<Done> complete;
    for (const auto& row : manager.lvwBackUp) {
        if (!row.ticked)
            continue;
        const std::string path = manager.folder + "\\" + row.name;
        if (!PathExists(app, path))
            continue;
        std::vector<std::string> copies;
        RestoreOutcome one = RestoreBackupFile(app, path, copies);
        total.restored += one.restored;
        if (one.failures.empty())
            complete.push_back({row.name, path, std::move(copies)});
        total.failures.insert(total.failures.end(), one.failures.begin(), one.failures.end());
    }
    // The registry is saved once; only then is a fully restored backup (and its copies) removed.
    if (app.registry().Flush() != ERROR_SUCCESS) {
        const std::string error = app.registry().LastError();
        total.failures.push_back("the registry could not be saved" + (error.empty() ? "" : ": " + error));
        return total;
    }
    for (const auto& done : complete) {
        for (const auto& copy : done.copies)
            app.files().DeleteFile(copy);
        app.files().DeleteFile(done.path);
        std::erase_if(manager.lvwBackUp, [&](const BackupRow& row) { return row.name == done.name; });
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
            const std::string path = manager.folder + "\\" + name;
            if (PathExists(app, path) && app.files().DeleteFile(path))
                std::erase_if(manager.lvwBackUp, [&](const BackupRow& row) { return row.name == name; });
        }
        app.MessageBoxKind.clear();
    }
}

} // namespace vx
