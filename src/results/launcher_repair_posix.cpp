// Repair of the launchers Wine left on the Linux desktop.
#include "results/launcher_repair.h"

#include "app/app.h"
#include "platform/host_file_io.h"
#include "platform/utf8_path.h"
#include "platform/wine/launcher_files.h"
#include "results/backup_file.h"
#include "results/launcher_restore.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <sys/stat.h>

namespace vx {
namespace {

namespace fs = std::filesystem;

void LeaveInPlace(LauncherRepairOutcome& outcome, const BrokenLauncher& launcher, std::string reason) {
    outcome.kept.push_back(launcher);
    if (std::find(outcome.reasons.begin(), outcome.reasons.end(), reason) == outcome.reasons.end())
        outcome.reasons.push_back(std::move(reason));
}

// Copies every file into the backup file's folder of copies, then appends their records in one synced
// write. False with `why` set when any of it could not be written.
bool BackUpLauncherFiles(const std::vector<fs::path>& files, const fs::path& backupFile, std::string& why) {
    std::string lines;
    for (const auto& file : files) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0) {
            why = "cannot read " + PathUtf8(file) + " to copy it";
            return false;
        }
        const std::string copy =
            KeepCopy(file, PathUtf8(file), ShortcutCopiesFolder(backupFile), PathUtf8(file.filename()), why);
        if (copy.empty())
            return false;
        lines += EncodeBackupText(JoinBackupFields(LauncherRecordFields(PathUtf8(file), copy, st.st_mode))) +
                 "\r\n";
    }
    return AppendBackupRecords(backupFile, lines, why);
}

} // namespace

LauncherRepairOutcome RepairBrokenLaunchers(App& app, const fs::path& home,
                                            const std::vector<BrokenLauncher>& broken,
                                            const fs::path& backupFile) {
    LauncherRepairOutcome outcome;
    std::vector<std::string> warnings;
    const std::vector<WineLauncher> all = FindWineLaunchers(home, warnings);
    std::vector<bool> stays(broken.size(), false);
    // Which files go with which launcher is worked out again whenever one stays, since it keeps using them.
    const auto filesOfEach = [&] {
        std::vector<WineLauncher> removing;
        for (size_t i = 0; i < broken.size(); ++i)
            if (!stays[i])
                removing.push_back(broken[i].launcher);
        auto files = WineLauncherFiles(home, removing, all);
        std::vector<std::vector<fs::path>> byIndex(broken.size());
        for (size_t i = 0, at = 0; i < broken.size(); ++i)
            if (!stays[i])
                byIndex[i] = std::move(files[at++]);
        return byIndex;
    };
    auto files = filesOfEach();
    for (size_t i = 0; i < broken.size(); ++i) {
        if (files[i].empty())
            continue; // listed twice: gone with its first listing
        assert(files[i].front() == broken[i].launcher.file);
        std::string why;
        if (!backupFile.empty() && !BackUpLauncherFiles(files[i], backupFile, why)) {
            stays[i] = true;
            LeaveInPlace(outcome, broken[i], "a launcher could not be backed up: " + why);
            files = filesOfEach();
        } else if (const int err = RemoveFile(files[i].front()); err != 0 && err != ENOENT) {
            // The entry first: when it cannot go, whatever it uses stays with it.
            stays[i] = true;
            LeaveInPlace(outcome, broken[i], "a launcher file could not be deleted");
            files = filesOfEach();
        } else {
            for (size_t f = 1; f < files[i].size(); ++f)
                RemoveFile(files[i][f]);
            ++outcome.repaired;
            outcome.records += backupFile.empty() ? 0 : static_cast<int>(files[i].size());
        }
        app.Yield();
    }
    if (outcome.repaired > 0)
        RefreshDesktopCaches(home);
    return outcome;
}

} // namespace vx
