#pragma once
// The file operations the program needs on a target, in the shape of the Windows calls. Paths are Windows
// paths of the target ("C:\windows\system32\ole32.dll", matched without regard to case); a path without a
// drive letter that begins with "/" is a path of the host (the program's own folders: backups, report).
#include "platform/lookup.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x1;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr uint32_t FILE_ATTRIBUTE_COMPRESSED = 0x800;
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// A search with an attribute mask admits an entry only when every one of these bits it carries is in the
// mask; all other bits are admitted always.
constexpr uint32_t kSearchMaskedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr bool AdmittedByMask(uint32_t attributes, uint32_t mask) {
    return (attributes & kSearchMaskedAttributes & ~mask) == 0;
}

// The Scripting runtime's drive types.
enum class DriveType : int { Unknown = 0, Removable = 1, Fixed = 2, Network = 3, CdRom = 4, RamDisk = 5 };

struct Drive {
    std::string letter; // "C"
    DriveType type = DriveType::Unknown;
};

struct FindData {
    std::string name; // the entry's name, as the directory holds it
    uint32_t attributes = 0;
    uint64_t size = 0;
};

// An open directory search (FindFirstFileA … FindClose); destroying it closes the search.
class FileSearch {
  public:
    virtual ~FileSearch() = default;
    // FindNextFileA: false when no further entry exists.
    virtual bool FindNextFile(FindData& entry) = 0;
};

// How much a directory search delivers per entry (FindFirstFileEx's info levels).
enum class FindInfoLevel {
    Standard, // the name, the exact attributes and the size
    // The name and the folder bit; the other attributes and the size may be left 0. Cheap enough for a
    // walk over a whole drive, which asks GetFileAttributes only for the few entries whose attributes
    // matter. The entries are those of Standard, in the same order, with the same folder bit.
    Basic,
};

// The outcome of a file search with an attribute mask.
struct FindResult {
    Lookup kind = Lookup::NotFound;
    std::string name; // the first admitted entry's name when Found
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // GetSystemDirectoryA / GetWindowsDirectoryA: the length written into the buffer (without the
    // terminating zero), or 0 when the call fails or the buffer is too small.
    virtual uint32_t GetSystemDirectory(std::span<char> buffer) = 0;
    virtual uint32_t GetWindowsDirectory(std::span<char> buffer) = 0;
    // GetTempPathA: the temporary folder, with a trailing backslash.
    virtual std::string GetTempPath() = 0;

    // The drive collection, in drive-letter order.
    virtual std::vector<Drive> Drives() = 0;
    // GetVolumeInformationA: true when the drive's root ("C:\") can be read.
    virtual bool GetVolumeInformation(std::string_view root) = 0;

    // The platform's file search: the first entry matching the pattern ("*" and "?" in the last
    // component) whose hidden, system and folder bits all stand in the mask; read-only and archive never
    // exclude. Failed when the path cannot be searched (malformed name, missing drive).
    virtual FindResult FindFirstEntry(std::string_view pattern, uint32_t mask) = 0;
    // What FindFirstEntry(pattern, mask) for each mask in turn comes to: the kind of the first result that
    // is not NotFound (NotFound when all are, or when there are no masks). A file system that can resolve
    // the path once for all the masks answers faster.
    virtual Lookup FindAnyEntry(std::string_view pattern, std::span<const uint32_t> masks) {
        for (uint32_t mask : masks)
            if (const FindResult found = FindFirstEntry(pattern, mask); found.kind != Lookup::NotFound)
                return found.kind;
        return Lookup::NotFound;
    }

    // FindFirstFileA: an open search and its first entry, or null (INVALID_HANDLE_VALUE) when nothing can
    // be listed. "folder\*" lists "." and ".." too, then the entries in name order without regard to case.
    virtual std::unique_ptr<FileSearch> FindFirstFile(std::string_view pattern, FindData& first) = 0;
    // FindFirstFileExA: the same search at the given info level. A file system without a cheaper listing
    // answers every level with the standard one, which holds everything Basic promises.
    virtual std::unique_ptr<FileSearch> FindFirstFileEx(std::string_view pattern, FindInfoLevel level,
                                                        FindData& first) {
        (void)level;
        return FindFirstFile(pattern, first);
    }

    virtual uint32_t GetFileAttributes(std::string_view path) = 0;
    // GetShortPathNameA: the length written (without the zero), 0 on failure; the short form may be the
    // path itself. A buffer too small gives the size needed (counting the zero), as Windows does.
    virtual uint32_t GetShortPathName(std::string_view path, std::span<char> buffer) = 0;
    virtual std::optional<uint64_t> GetFileSize(std::string_view path) = 0;

    // CopyFileA; with failIfExists false an existing file is replaced.
    virtual bool CopyFile(std::string_view existing, std::string_view newFile, bool failIfExists) = 0;
    virtual bool DeleteFile(std::string_view path) = 0;

    // Where a path of the target lies on the host, when it can be resolved (for readers of file
    // contents: shortcut files, text files). Resolves through existing entries without regard to case;
    // a missing last component is kept as given.
    virtual std::optional<std::filesystem::path> HostPath(std::string_view path) = 0;
};

} // namespace vx
