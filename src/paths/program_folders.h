#pragma once
// The host folders that hold the program's own files (backups with their shortcut copies, the report),
// and where they may not be: the program's files must never be taken for the target's, nor changed by
// its repairs.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

class App;

// The folder a setting ("txtBackup", "txtLogFile") names, else the program's own folder.
std::filesystem::path ProgramFolder(App& app, std::string_view settingKey);

// Why `folder` may not hold the program's own files, in one sentence; empty when it may. A relative
// folder is refused (it would move with the working folder), and so is one inside the target's own
// folder (a Wine prefix, a mounted volume), whatever links or ".." lead there, and so is one that another
// user owns or may write in (see WhyNotOwnFolder).
std::string WhyNotAProgramFolder(App& app, const std::string& folder);

// Whether a host path lies inside a folder (their real places, through any links).
bool InsideFolder(const std::filesystem::path& inner, const std::filesystem::path& outer);

} // namespace vx
