// Putting back the files of the launchers Wine left on the Linux desktop.
#include "results/launcher_restore.h"

#include "platform/atomic_file.h"
#include "platform/host_file_io.h"
#include "platform/host_tool.h"
#include "platform/own_file_guard.h"
#include "platform/utf8_path.h"
#include "platform/wine/launcher_files.h"
#include "results/backup_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace vx {
namespace {

namespace fs = std::filesystem;

// Makes the folders from the place's own folder down to `folder` where they are missing; false with `why`
// set when one of them is a symbolic link or no folder.
bool MakeFoldersTo(const fs::path& place, const fs::path& folder, std::string& why) {
    std::error_code ec;
    fs::create_directories(place, ec);
    if (!fs::is_directory(place, ec)) {
        why = "the folder " + PathUtf8(place) + " cannot be made";
        return false;
    }
    fs::path walked = place;
    for (const auto& part : folder.lexically_relative(place)) {
        if (part == ".")
            continue;
        walked /= part;
        fs::file_status status = fs::symlink_status(walked, ec);
        if (!fs::exists(status) && fs::create_directory(walked, ec))
            status = fs::symlink_status(walked, ec);
        if (fs::is_symlink(status) || !fs::is_directory(status)) {
            why = PathUtf8(walked) + " is a symbolic link or no folder; nothing was restored through it";
            return false;
        }
    }
    return true;
}

} // namespace

bool RestoreLauncherFile(const fs::path& home, const fs::path& backupFile, const BackupRecord& record,
                         std::string& why) {
    const fs::path file = Utf8Path(record.f[1]);
    const auto place = home.empty() ? std::nullopt : WineLauncherPlaceOf(home, file);
    if (!place) {
        why = record.f[1] + " is not a place of Wine's launchers under " + PathUtf8(home);
        return false;
    }
    const fs::path copies = ShortcutCopiesFolder(backupFile);
    if (!IsOwnFolderEntry(copies)) {
        why = "its folder of copies is a symbolic link or not the program's own";
        return false;
    }
    const fs::path copy = copies / Utf8Path(record.copyName);
    const auto bytes = ReadRegularFile(copy);
    if (!bytes) {
        why = "its copy " + PathUtf8(copy) + " is missing";
        return false;
    }
    if (!MakeFoldersTo(*place, file.parent_path(), why))
        return false;
    // What stands there now is the user's: a launcher made again since, or another program's file.
    if (const auto existing = ReadRegularFile(file); existing && *existing == *bytes)
        return true;
    if (const int err = CreateFileAtomically(file, *bytes); err != 0) {
        why = err == EEXIST ? "a different file now stands at " + record.f[1] + "; it was left as it is"
                            : "cannot write " + record.f[1] + ": " + std::strerror(err);
        return false;
    }
    if (::chmod(file.c_str(), static_cast<mode_t>(record.mode)) != 0) {
        why = "cannot give " + record.f[1] + " its mode back: " + std::strerror(errno);
        return false;
    }
    return true;
}

void RefreshDesktopCaches(const fs::path& home) {
    std::error_code ec;
    const fs::path share = home / ".local/share";
    if (fs::is_directory(share / "applications", ec))
        RunHostTool("update-desktop-database", {"-q", PathUtf8(share / "applications")});
    if (fs::is_directory(share / "mime/packages", ec))
        RunHostTool("update-mime-database", {PathUtf8(share / "mime")});
}

} // namespace vx
