#pragma once
// The drives of a Wine prefix and the folders Windows lives in, as the host file system needs them.
#include "platform/host_file_system.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The values of HKLM\Software\Wine\Drives: value name ("d:") to Wine's type ("hd", "network", "cdrom",
// "floppy", "ramdisk"). Names are matched by their letter, in either case.
using WineDriveTypes = std::map<std::string, std::string>;

DriveType WineDriveType(std::string_view wineType);

// The drives of PREFIX/dosdevices ("c:" -> "../drive_c", "z:" -> "/"), in letter order; device entries
// ("com1", "d::") are not drives. A drive whose folder lies outside the prefix is a share of the host and
// is typed as a network drive unless Wine names a removable type for it, so that walks of the fixed drives
// never wander over the host's own file system. A link whose folder is missing gives a drive without a
// folder (not ready).
std::vector<HostDrive> WineDrives(const std::filesystem::path& prefix, const WineDriveTypes& types = {});

struct WindowsFolders {
    std::string windows; // "C:\windows"
    std::string system;  // "C:\windows\system32"
};

// From the SystemRoot value of HKLM\Software\Microsoft\Windows NT\CurrentVersion; empty or blank text
// gives Wine's own "C:\windows".
WindowsFolders WindowsFoldersFromSystemRoot(std::string_view systemRoot);

// Everything the host file system needs for a Wine prefix. An empty temp folder gives "<windows>\temp".
HostFileSystemConfig WinePrefixFileSystemConfig(const std::filesystem::path& prefix,
                                                const WineDriveTypes& types, std::string_view systemRoot,
                                                std::string_view tempFolder = {});

} // namespace vx
