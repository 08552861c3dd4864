#pragma once
// The drives and files of the machine the program runs on, through the wide-character file calls. Paths
// are the program's UTF-8 text, converted at each call. Listings are put in the order the interface
// promises (".", "..", then names without regard to case), which NTFS gives anyway and other file systems
// need not.
#include "platform/file_system.h"

namespace vx {

// GetDriveTypeW's answer (DRIVE_REMOVABLE = 2 …) in the Scripting runtime's numbering the interface uses.
DriveType DriveTypeFromWin32(uint32_t driveType);

// Under Wine a drive may be a folder of the Linux host outside the prefix (Z: is the host's whole file
// system; others are linked to its disks): those hold other prefixes' and the user's own files, not this
// Windows', and a fixed one is taken as a network drive, which the shortcut walk leaves alone, as the Linux
// program takes it. `driveUnixPath` and `cUnixPath`: where Wine puts the drive's root and C:\ on the host
// (empty outside Wine: the type stays).
DriveType DriveTypeUnderWine(DriveType type, std::string_view driveUnixPath, std::string_view cUnixPath);

class Win32FileSystem final : public FileSystem {
  public:
    uint32_t GetSystemDirectory(std::span<char> buffer) override;
    uint32_t GetWindowsDirectory(std::span<char> buffer) override;
    std::string GetTempPath() override;

    std::vector<Drive> Drives() override;
    bool GetVolumeInformation(std::string_view root) override;

    FindResult FindFirstEntry(std::string_view pattern, uint32_t mask) override;
    Lookup FindAnyEntry(std::string_view pattern, std::span<const uint32_t> masks) override;
    std::unique_ptr<FileSearch> FindFirstFile(std::string_view pattern, FindData& first) override;
    std::unique_ptr<FileSearch> FindFirstFileEx(std::string_view pattern, FindInfoLevel level,
                                                FindData& first) override;

    uint32_t GetFileAttributes(std::string_view path) override;
    uint32_t GetShortPathName(std::string_view path, std::span<char> buffer) override;
    std::optional<uint64_t> GetFileSize(std::string_view path) override;

    bool CopyFile(std::string_view existing, std::string_view newFile, bool failIfExists) override;
    bool DeleteFile(std::string_view path) override;

    // Windows paths are the host's own.
    std::optional<std::filesystem::path> HostPath(std::string_view path) override;

  private:
    // Every entry the pattern lists, in the promised order; nothing with `failed` set when the path
    // cannot be searched at all.
    std::vector<FindData> List(std::string_view pattern, bool basic, bool& failed);
};

} // namespace vx
