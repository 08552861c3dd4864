#pragma once
// Every Wine prefix on the machine that the user's launchers know of: $WINEPREFIX and ~/.wine,
// PlayOnLinux, Steam's Proton, Lutris, Bottles and Heroic.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

enum class PrefixSource { Wine, PlayOnLinux, Steam, Lutris, Bottles, Heroic };

// "wine", "playonlinux", "steam", "lutris", "bottles", "heroic".
std::string_view PrefixSourceName(PrefixSource source);

// Whether the launcher that made the prefix still lists its program as installed.
enum class Installed { Unknown, Yes, No };

struct FoundPrefix {
    std::filesystem::path path;
    PrefixSource source = PrefixSource::Wine;
    std::string name; // the game's or bottle's name where the launcher gives one, else the folder's
    Installed installed = Installed::Unknown;
};

// Where the launchers keep their files.
struct PrefixPlaces {
    std::filesystem::path home;
    std::filesystem::path winePrefix;              // $WINEPREFIX; empty when not set
    std::vector<std::filesystem::path> configDirs; // ~/.config, and $XDG_CONFIG_HOME when it differs
    std::vector<std::filesystem::path> dataDirs;   // ~/.local/share, and $XDG_DATA_HOME when it differs

    // The places of this home alone (as a test builds it).
    static PrefixPlaces ForHome(const std::filesystem::path& home);
    // $HOME, $WINEPREFIX and the XDG folders of this process.
    static PrefixPlaces FromEnvironment();
};

// The prefixes, each once (by its real folder), in the order of the sources above and by path within a
// source. Only folders that are Wine prefixes by the program's own rule are listed. A launcher's file
// that cannot be read or makes no sense is passed over with a line in `warnings` naming it.
std::vector<FoundPrefix> FindPrefixes(const PrefixPlaces& places, std::vector<std::string>& warnings);

} // namespace vx
