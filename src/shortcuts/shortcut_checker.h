#pragma once
// Decides whether a file is a shortcut whose target is gone, and records it.
#include <string>
#include <string_view>

namespace vx {

class App;

void CheckShortcutFile(App& app, const std::string& path);
// The trimmed path up to and including its last backslash; empty without one.
std::string FolderPartOf(std::string_view path);
// The path with its folder part removed from the front.
std::string NamePartOf(std::string_view path);
// True when the path names an existing file or folder.
bool TargetExists(App& app, std::string_view path);

} // namespace vx
