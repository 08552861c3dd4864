#pragma once
// Decides whether a file is a shortcut whose target is gone, and records it.
#include <filesystem>
#include <string>
#include <string_view>

namespace vx {

struct CheckContext;
class FileSystem;
class Target;

// Hands the file to the sink when it is a shortcut whose target is gone.
void CheckShortcutFile(CheckContext& check, const std::string& path);
// Whether the file (a Windows path of the target) is a shortcut the program counts as broken: a link
// whose target on an existing fixed drive is gone, and no copy of the program's own backups.
bool IsBrokenShortcut(Target& target, const std::filesystem::path& ownBackups, const std::string& path);
// The trimmed path up to and including its last backslash; empty without one.
std::string FolderPartOf(std::string_view path);
// The path with its folder part removed from the front.
std::string NamePartOf(std::string_view path);
// True when the path names an existing file or folder.
bool TargetExists(FileSystem& files, std::string_view path);

} // namespace vx
