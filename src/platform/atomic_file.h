#pragma once
// Replacing a file so that an interruption leaves either the old file or the new one, never a mix.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vx {

// Writes a temporary file beside `path` (beside the file a symbolic link names), gives it the old file's
// mode and, where permitted, its owner (a new file gets the umask's mode), syncs it, and renames it over
// `path`; the folder is synced afterwards. `fill` writes the content: it receives an open descriptor and
// the temporary file's path (for writers that open the file themselves) and returns 0 or an errno value.
// `beforeRename`, when given, may still refuse with an errno value. Returns 0 or the errno of the step
// that failed; on failure the original is untouched and no temporary file is left. Temporary files of
// `path` that an earlier save left when it was killed (its process gone, its lock free) are removed first.
int ReplaceFileAtomically(const std::filesystem::path& path,
                          const std::function<int(int fd, const std::string& tempPath)>& fill,
                          const std::function<int()>& beforeRename = {});

// ReplaceFileAtomically in two steps, so that several files can be replaced together: Prepare writes and
// syncs every file's temporary file first (a full disk then leaves every file as it was); Commit renames
// one over its file, keeping the old file under a hidden name until Finish (which drops it) or Rollback
// (which renames it back). An object that is dropped before Commit removes its temporary file; one that
// is dropped after Commit keeps the new file.
class FileReplacement {
  public:
    FileReplacement() = default;
    // `followLink` false: a file of the program's own, never replaced through a link (see
    // ReplaceFileContent).
    explicit FileReplacement(bool followLink) : followLink_(followLink) {}
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Prepare, then the temporary file linked under the file's name when that name is free (EEXIST when
    // not): a new file, never one written over another.
    int PrepareAndLink(const std::filesystem::path& path,
                       const std::function<int(int fd, const std::string& tempPath)>& fill);
    // The first step of ReplaceFileAtomically, up to the synced temporary file. 0 or an errno value.
    int Prepare(const std::filesystem::path& path,
                const std::function<int(int fd, const std::string& tempPath)>& fill);
    // The temporary file renamed over the file (the old one kept aside), the folder synced.
    int Commit(const std::function<int()>& beforeRename = {});
    // The old file back in place after a Commit; 0 or an errno value.
    int Rollback();
    // Drops the old file kept by Commit.
    void Finish();

  private:
    void Abandon();

    std::filesystem::path target_, dir_;
    std::string temp_, old_;
    int fd_ = -1;
    bool existed_ = false;
    bool committed_ = false;
    bool followLink_ = true;
};

// Creates `path` holding `bytes`, whole or not at all (written aside, synced, then linked into place), and
// never over anything: EEXIST when the name is taken by then. 0 or an errno value.
int CreateFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// ReplaceFileAtomically with these bytes as the new content, for a file of the program's own: what stands
// in its place is never followed; a symbolic link there is refused (ELOOP), and so is anything else that is
// not a regular file (EISDIR for a folder, EINVAL otherwise).
int ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes);

} // namespace vx
