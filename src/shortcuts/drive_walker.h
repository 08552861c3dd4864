#pragma once
// Walks every folder of a drive and hands every candidate file to the shortcut checker.
#include <string>
#include <string_view>

namespace vx {

struct CheckContext;

void ScanDriveForShortcuts(CheckContext& check, const std::string& root);
bool IsVolumeAvailable(CheckContext& check, const std::string& root);
// Files of a folder first, then its subfolders, depth first.
void WalkFolderForShortcuts(CheckContext& check, std::string folder);
// The platform's short (8.3) form of a path, or empty text.
std::string ShortPathOf(CheckContext& check, std::string_view path);

} // namespace vx
