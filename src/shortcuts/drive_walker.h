#pragma once
// Walks every folder of a drive and hands every candidate file to the shortcut checker.
#include <string>
#include <string_view>

namespace vx {

class App;

void ScanDriveForShortcuts(App& app, const std::string& root);
bool IsVolumeAvailable(App& app, const std::string& root);
// Files of a folder first, then its subfolders, depth first.
void WalkFolderForShortcuts(App& app, std::string folder);
// The platform's short (8.3) form of a path, or empty text.
std::string ShortPathOf(App& app, std::string_view path);

} // namespace vx
