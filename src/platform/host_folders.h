#pragma once
// Where the program keeps its own files on the machine it runs on.
#include <filesystem>

namespace vx {

// The XDG folders default to the home folder of the account running the program ($HOME, else the password
// database's), never to a folder other users share; both are empty when the account has no home folder.

// The home folder of the account running the program ($HOME, else the password database's; on Windows the
// user's profile); empty when it has none.
std::filesystem::path HomeFolder();

// The settings file, where the settings store is a file: $XDG_CONFIG_HOME/vantrelix/settings.ini.
std::filesystem::path DefaultSettingsFile();
// The program's own folder (backups, the scan report), created when missing: $XDG_DATA_HOME/vantrelix;
// on Windows the executable's folder when it may be written there, else %LOCALAPPDATA%\Vantrelix.
std::filesystem::path ProgramDataFolder();

} // namespace vx
