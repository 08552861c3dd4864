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

// ReplaceFileAtomically with these bytes as the new content.
int ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes);

} // namespace vx
