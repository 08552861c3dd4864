#pragma once
// Plain reads and writes of the program's own host files, safe against interruptions and links.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

// Writes every byte (going on after interruptions); 0 or an errno value.
int WriteAll(int fd, std::string_view bytes);

// The content of a regular file, read without following a symbolic link; empty when the path is a link,
// not a regular file, or cannot be read.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& path);

// Appends to an existing regular file (never through a symbolic link) and syncs; 0 or an errno value. On
// any failure the file is cut back to where it was, so that no partial record stays behind.
int AppendSynced(const std::filesystem::path& file, std::string_view bytes);

// Creates `file` holding `bytes`, synced; never replaces anything (EEXIST when the name is taken) and never
// writes through a link. 0 or an errno value; on failure no file is left.
int CreateSynced(const std::filesystem::path& file, std::string_view bytes);

// Gives `to` (a file the program just made) the mode, owner (where permitted) and Wine's DOS attributes of
// `from`, neither followed if it is a link; best effort: what cannot be given stays as it is.
void KeepAttributesOf(const std::filesystem::path& from, const std::filesystem::path& to);

// An exclusive lock on a lock file (made when missing, never through a link), held until destroyed: writers
// of one file take turns through it. Without the lock file (a folder that cannot be written) it holds
// nothing and the writer goes on alone.
class ExclusiveFileLock {
  public:
    explicit ExclusiveFileLock(const std::filesystem::path& lockFile);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

  private:
    intptr_t handle_ = -1;
};

// Removes a file (a link itself, never what it points at); 0, or an errno value (ENOENT when it is gone).
int RemoveFile(const std::filesystem::path& file);

// Cuts a file back to `size` bytes and syncs it; nothing when it cannot be opened.
void TruncateSynced(const std::filesystem::path& file, uintmax_t size);

// What one look at a file tells of it: enough to see that another writer replaced or changed it.
struct HostFileStamp {
    uint64_t device = 0, file = 0, size = 0;
    int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const HostFileStamp&) const = default;
};
// Nothing when the file cannot be looked at.
std::optional<HostFileStamp> StampHostFile(const std::filesystem::path& file);

} // namespace vx
