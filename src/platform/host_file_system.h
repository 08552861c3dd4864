#pragma once
// The file system of a target whose drives are folders of this machine (a Wine prefix's drives, a mounted
// Windows volume). Windows paths are mapped onto host paths the way Windows and Wine look names up:
// without regard to case, "/" as a separator, "." and ".." resolved, trailing blanks and dots of a name
// dropped. Attributes follow Wine's rules: folder and read-only from the mode, hidden for names beginning
// with a dot, hidden and system from the "user.DOSATTRIB" extended attribute, archive for plain files.
//
// Walks stay on the drive: a symbolic link to a folder, and a folder on another mounted file system,
// are reported as plain entries without the folder bit.
#include "platform/file_system.h"
#include "platform/wildcard.h" // the pattern rule its searches follow

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vx {

struct HostDrive {
    char letter = 'C'; // upper case
    // Where the drive's root lies on the host; none for a drive without a medium (not ready).
    std::optional<std::filesystem::path> folder;
    DriveType type = DriveType::Fixed;
};

struct HostFileSystemConfig {
    std::vector<HostDrive> drives; // any order; listed in letter order
    std::string windowsFolder;     // "C:\windows"
    std::string systemFolder;      // "C:\windows\system32"
    std::string tempFolder;        // a Windows path of the target, or a host path
};

// A mounted Windows volume (or any folder) as drive C:, with the usual Windows folders on it.
HostFileSystemConfig VolumeAsDriveC(const std::filesystem::path& root);

class HostFileSystem final : public FileSystem {
  public:
    explicit HostFileSystem(HostFileSystemConfig config);
    ~HostFileSystem() override;

    uint32_t GetSystemDirectory(std::span<char> buffer) override;
    uint32_t GetWindowsDirectory(std::span<char> buffer) override;
    std::string GetTempPath() override;

    std::vector<Drive> Drives() override;
    bool GetVolumeInformation(std::string_view root) override;

    FindResult FindFirstEntry(std::string_view pattern, uint32_t mask) override;
    // Resolves the path once for all the masks.
    Lookup FindAnyEntry(std::string_view pattern, std::span<const uint32_t> masks) override;
    std::unique_ptr<FileSearch> FindFirstFile(std::string_view pattern, FindData& first) override;
    // Basic reads each entry's type from the folder itself: a stat only for folders (the device they lie
    // on), links and entries of unknown type, and no extended attributes.
    std::unique_ptr<FileSearch> FindFirstFileEx(std::string_view pattern, FindInfoLevel level,
                                                FindData& first) override;

    uint32_t GetFileAttributes(std::string_view path) override;
    uint32_t GetShortPathName(std::string_view path, std::span<char> buffer) override;
    std::optional<uint64_t> GetFileSize(std::string_view path) override;

    bool CopyFile(std::string_view existing, std::string_view newFile, bool failIfExists) override;
    bool DeleteFile(std::string_view path) override;

    std::optional<std::filesystem::path> HostPath(std::string_view path) override;

    const HostFileSystemConfig& config() const { return config_; }

    class Impl;

  private:
    // FindFirstEntry for a list of masks; the name is left out unless `nameWanted`.
    FindResult FindEntry(std::string_view pattern, std::span<const uint32_t> masks, bool nameWanted);

    HostFileSystemConfig config_;
    std::unique_ptr<Impl> impl_;
};

} // namespace vx
