#pragma once
// Where the program may keep and write its own files on the host (settings, backups and their copies, the
// report): only in folders that no other user can change, and never through a symbolic link, a pipe or a
// folder that stands in a file's place. Another user who may add names to a folder could otherwise plant a
// link there and have the program overwrite a file of that user's choosing.
#include <filesystem>
#include <string>

namespace vx {

// Why `folder` may not hold files of the program's own, in one sentence; empty when it may. The folder is
// taken where its links lead (links on the way are the user's to make). It must belong to the user running
// the program or to root, and no one else may write in it, unless its sticky bit keeps others from
// removing or renaming what is not theirs (a group of the owner's own, as with umask 002, is no one else).
// A folder that does not exist yet passes: the program makes it its own.
std::string WhyNotOwnFolder(const std::filesystem::path& folder);

// Why no file of the program's own may be written or replaced at `file`, in one sentence; empty when it
// may (a regular file, or nothing yet). A symbolic link, a named pipe, a folder or a device there is left
// as it is.
std::string WhyNotOwnFile(const std::filesystem::path& file);

// Whether `entry` (a link itself, never followed) is a folder of the user running the program or of root.
bool IsOwnFolderEntry(const std::filesystem::path& entry);
// Whether `entry` (never followed) belongs to the user running the program or to root.
bool BelongsToUserOrRoot(const std::filesystem::path& entry);

} // namespace vx
