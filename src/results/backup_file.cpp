// The backup files of repair runs: where they live, how each run gets a file of its own, and how a record
// (and a shortcut's copy) is put on disk before its finding is removed. The files and their copies are
// host files of the program, never files of the target.
#include "results/backup_file.h"

#include "app/app.h"
#include "paths/path_text.h"
#include "paths/program_folders.h"
#include "platform/host_file_io.h"
#include "platform/own_file_guard.h"
#include "platform/text.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vx {
namespace {

namespace fs = std::filesystem;

void Append2(std::string& out, int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    out += text;
}

std::string BackupFileName(const std::tm& now) {
    std::string name = "BackUp ";
    Append2(name, now.tm_mday);
    name += '-';
    Append2(name, now.tm_mon + 1);
    name += '-';
    Append2(name, now.tm_year);
    name += ' ';
    Append2(name, now.tm_hour);
    name += '-';
    Append2(name, now.tm_min);
    name += '-';
    Append2(name, now.tm_sec);
    return name;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Copies the shortcut into the backup file's folder of copies.
std::string CopyShortcut(App& app, const std::string& shortcutPath, const fs::path& copies,
                         std::string& why) {
    const auto source = app.files().HostPath(shortcutPath);
    if (!source) {
        why = "cannot read " + shortcutPath + " to copy it";
        return {};
    }
    return KeepCopy(*source, shortcutPath, copies, GetFileNamePart(shortcutPath), why);
}

} // namespace

std::string KeepCopy(const fs::path& source, const std::string& shownPath, const fs::path& copies,
                     const std::string& baseName, std::string& why) {
    const auto bytes = ReadRegularFile(source);
    if (!bytes) {
        why = "cannot read " + shownPath + " to copy it";
        return {};
    }
    std::error_code ec;
    fs::create_directory(copies, ec);
    if (!IsOwnFolderEntry(copies)) {
        why = "the folder of copies " + PathUtf8(copies) +
              " is a symbolic link or not the program's own; nothing was copied through it";
        return {};
    }
    for (int n = 1; n < 100000; ++n) {
        const std::string name = std::to_string(n) + " " + baseName;
        const fs::path copy = copies / Utf8Path(name);
        const int err = CreateSynced(copy, *bytes);
        if (err == EEXIST)
            continue;
        if (err != 0) {
            why = "cannot copy it into " + PathUtf8(copies) + ": " + std::strerror(err);
            return {};
        }
        KeepAttributesOf(source, copy); // what restore gives back: mode, owner, hidden and system
        return name;
    }
    why = "no free name for its copy in " + PathUtf8(copies);
    return {};
}

fs::path BackupFolder(App& app) {
    return ProgramFolder(app, "txtBackup");
}

bool BackupsEnabled(App& app) {
    return SettingAsNumber(app.GetSetting("chkMakeBackUp", "1"), 1) != 0;
}

bool IsBackupFileName(std::string_view name) {
    name = TrimBlanks(name);
    constexpr std::string_view kForm = "BACKUP 00-00-00 00-00-00";
    if (name.size() < kForm.size() || UpperAscii(name.substr(0, 7)) != "BACKUP ")
        return false;
    for (size_t i = 7; i < kForm.size(); ++i)
        if (kForm[i] == '0' ? !IsDigit(name[i]) : name[i] != kForm[i])
            return false;
    const std::string_view rest = name.substr(kForm.size());
    if (rest.empty())
        return true;
    // " (N)": a later run of the same second
    if (rest.size() < 4 || rest.substr(0, 2) != " (" || rest.back() != ')')
        return false;
    for (char c : rest.substr(2, rest.size() - 3))
        if (!IsDigit(c))
            return false;
    return true;
}

uint64_t BackupRunOrder(std::string_view name) {
    name = TrimBlanks(name);
    if (!IsBackupFileName(name))
        return 0;
    auto two = [&](size_t at) { return static_cast<uint64_t>((name[at] - '0') * 10 + (name[at + 1] - '0')); };
    const uint64_t yy = two(13);
    const uint64_t year = yy < 70 ? 2000 + yy : 1900 + yy;
    uint64_t run = 1;
    if (name.size() > 24) // " (N)"
        for (char c : name.substr(26, name.size() - 27))
            run = std::min<uint64_t>(run * 10 + static_cast<uint64_t>(c - '0'), 99999);
    uint64_t order = year;
    for (const size_t at : {size_t{10}, size_t{7}, size_t{16}, size_t{19}, size_t{22}}) // month, day, h, m, s
        order = order * 100 + two(at);
    return order * 100000 + run;
}

fs::path ShortcutCopiesFolder(const fs::path& backupFile) {
    return backupFile.parent_path() / Utf8Path(PathUtf8(backupFile.filename()) + " shortcuts");
}

std::optional<fs::path> StartBackupFile(App& app, std::string& why) {
    const fs::path folder = BackupFolder(app);
    if (why = WhyNotAProgramFolder(app, PathUtf8(folder)); !why.empty())
        return std::nullopt;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        why = "the backup folder " + folder.string() + " cannot be created" +
              (ec ? ": " + ec.message() : std::string());
        return std::nullopt;
    }
    if (why = WhyNotOwnFolder(folder); !why.empty()) // made by someone else since it was looked at
        return std::nullopt;
    const std::string name = BackupFileName(app.now());
    for (int n = 1; n < 10000; ++n) {
        const fs::path file = folder / Utf8Path(n == 1 ? name : name + " (" + std::to_string(n) + ")");
        if (const int err = CreateSynced(file, {}); err == EEXIST) {
            continue;
        } else if (err != 0) {
            why = "cannot write a backup file in " + folder.string() + ": " + std::strerror(err);
            return std::nullopt;
        }
        // A copies folder left by a file of this name that was deleted by hand belongs to no one now.
        fs::remove_all(ShortcutCopiesFolder(file), ec);
        const std::string header = JoinBackupFields(TargetRecordFields(app.target().Identity()));
        if (const int err = AppendSynced(file, EncodeBackupText(header) + "\r\n"); err != 0) {
            why = "cannot write " + file.string() + ": " + std::strerror(err);
            fs::remove(file, ec);
            return std::nullopt;
        }
        return file;
    }
    why = "no free backup file name in " + folder.string();
    return std::nullopt;
}

bool WriteBackupRecord(App& app, std::string_view kind, const std::string& backupFile,
                       const RegistryBackup* registryRow, const ShortcutEntry* shortcutRow,
                       std::string* why) {
    if (!BackupsEnabled(app))
        return true;
    std::string reason;
    std::string copy;
    std::vector<std::string> fields;
    if (UpperAscii(TrimBlanks(kind)) == "R" && registryRow) {
        fields = RegistryRecordFields(*registryRow);
    } else if (UpperAscii(TrimBlanks(kind)) != "R" && shortcutRow) {
        // The copy first: a record whose copy is missing would promise a restore it cannot make.
        copy = CopyShortcut(app, shortcutRow->path, ShortcutCopiesFolder(Utf8Path(backupFile)), reason);
        if (!copy.empty())
            fields = ShortcutRecordFields(shortcutRow->path, copy);
    } else {
        reason = "no row to back up";
    }
    if (!fields.empty()) {
        const int err =
            AppendSynced(Utf8Path(backupFile), EncodeBackupText(JoinBackupFields(fields)) + "\r\n");
        if (err == 0)
            return true;
        // The copy stays: when the disk failed, the record may still be in the file although it could
        // not be cut back, and a record must never name a copy that is gone.
        reason = "cannot write " + backupFile + ": " + std::strerror(err);
    }
    if (why)
        *why = reason;
    return false;
}

std::string RegistryRecordLine(const RegistryBackup& backup) {
    return EncodeBackupText(JoinBackupFields(RegistryRecordFields(backup))) + "\r\n";
}

bool AppendBackupRecords(const fs::path& backupFile, std::string_view lines, std::string& why) {
    if (const int err = AppendSynced(backupFile, lines); err != 0) {
        why = "cannot write " + PathUtf8(backupFile) + ": " + std::strerror(err);
        return false;
    }
    return true;
}

void CutBackupFile(const fs::path& backupFile, uintmax_t size) {
    TruncateSynced(backupFile, size);
}

bool RemoveBackupFile(const fs::path& backupFile) {
    // The file first: copies without their file are never used, a file without its copies would fail.
    if (const int err = RemoveFile(backupFile); err != 0 && err != ENOENT)
        return false;
    std::error_code ec;
    fs::remove_all(ShortcutCopiesFolder(backupFile), ec);
    return true;
}

} // namespace vx
