// The drives of a Wine prefix and the folders Windows lives in, as the host file system needs them.
#include "platform/wine/wine_drives.h"

#include "platform/text.h"

#include <algorithm>
#include <system_error>

namespace vx {
namespace fs = std::filesystem;
namespace {

bool IsDriveName(const std::string& name) {
    return name.size() == 2 && name[1] == ':' && IsAsciiLetter(name[0]);
}

bool IsWithin(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (f->empty() && std::next(f) == folder.end())
            break; // "folder/" ends in an empty element
        if (p == path.end() || *p != *f)
            return false;
    }
    return true;
}

} // namespace

DriveType WineDriveType(std::string_view wineType) {
    const std::string t = LowerAscii(TrimBlanks(wineType));
    if (t == "hd")
        return DriveType::Fixed;
    if (t == "network")
        return DriveType::Network;
    if (t == "cdrom")
        return DriveType::CdRom;
    if (t == "floppy")
        return DriveType::Removable;
    if (t == "ramdisk")
        return DriveType::RamDisk;
    return DriveType::Fixed; // Wine's mount manager keeps a hard disk for anything it does not know
}

std::vector<HostDrive> WineDrives(const fs::path& prefix, const WineDriveTypes& types) {
    std::error_code ec;
    const fs::path absPrefix = fs::absolute(prefix, ec).lexically_normal();
    const fs::path realPrefix = fs::weakly_canonical(absPrefix, ec);
    const fs::path devices = absPrefix / "dosdevices";

    std::vector<HostDrive> drives;
    for (fs::directory_iterator it(devices, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsDriveName(name))
            continue;
        HostDrive drive;
        drive.letter = UpperAsciiChar(name[0]);

        fs::path target = it->path();
        std::error_code linkError;
        if (fs::is_symlink(it->symlink_status(linkError))) {
            const fs::path link = fs::read_symlink(it->path(), linkError);
            target = link.is_absolute() ? link : devices / link;
        }
        target = target.lexically_normal();
        std::error_code folderError;
        const fs::path folder = fs::canonical(target, folderError);
        if (!folderError && fs::is_directory(folder, folderError))
            drive.folder = folder;

        bool explicitType = false;
        for (const auto& [valueName, type] : types) {
            if (!valueName.empty() && UpperAsciiChar(valueName[0]) == drive.letter &&
                (valueName.size() == 1 || valueName.substr(1) == ":")) {
                drive.type = WineDriveType(type);
                explicitType = !IsBlank(type);
            }
        }
        if (!explicitType)
            drive.type = DriveType::Fixed;
        // Decided on the real place the whole chain of links reaches: a drive linked to a folder of the
        // prefix that is itself a link to elsewhere lies elsewhere.
        const bool inside = drive.folder ? IsWithin(*drive.folder, realPrefix)
                                         : IsWithin(target, absPrefix) || IsWithin(target, realPrefix);
        if (!inside && drive.type == DriveType::Fixed)
            drive.type = DriveType::Network;
        drives.push_back(std::move(drive));
    }
    std::sort(drives.begin(), drives.end(),
              [](const HostDrive& a, const HostDrive& b) { return a.letter < b.letter; });
    return drives;
}

WindowsFolders WindowsFoldersFromSystemRoot(std::string_view systemRoot) {
    std::string windows(TrimBlanks(systemRoot));
    while (windows.size() > 3 && (windows.back() == '\\' || windows.back() == '/'))
        windows.pop_back();
    if (windows.empty())
        windows = "C:\\windows";
    const bool root = windows.size() == 3 || windows.back() == '\\';
    return WindowsFolders{windows, windows + (root ? "" : "\\") + "system32"};
}

HostFileSystemConfig WinePrefixFileSystemConfig(const fs::path& prefix, const WineDriveTypes& types,
                                                std::string_view systemRoot, std::string_view tempFolder) {
    HostFileSystemConfig config;
    config.drives = WineDrives(prefix, types);
    WindowsFolders folders = WindowsFoldersFromSystemRoot(systemRoot);
    config.windowsFolder = std::move(folders.windows);
    config.systemFolder = std::move(folders.system);
    config.tempFolder =
        IsBlank(tempFolder) ? config.windowsFolder + "\\temp" : std::string(TrimBlanks(tempFolder));
    return config;
}

} // namespace vx
