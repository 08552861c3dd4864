// A home folder as the Wine launchers leave it, built on disk.
#include "support/fixture_home.h"

#include <fstream>
#include <stdexcept>

namespace vx::test {

namespace fs = std::filesystem;

fs::path FixtureHome::Prefix(const fs::path& relative) {
    const fs::path prefix = relative.is_absolute() ? relative : root_ / relative;
    fs::create_directories(prefix / "drive_c" / "windows");
    std::ofstream(prefix / "system.reg") << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n";
    return prefix;
}

void FixtureHome::Write(const fs::path& relative, std::string_view text) {
    const fs::path file = root_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

fs::path FixtureHome::SteamGame(const fs::path& library, std::string_view appid, std::string_view name) {
    const fs::path steamapps = library / "steamapps";
    const fs::path prefix = Prefix(steamapps / "compatdata" / appid / "pfx");
    if (!name.empty())
        Write(steamapps / ("appmanifest_" + std::string(appid) + ".acf"),
              "\"AppState\"\n{\n\t\"appid\"\t\t\"" + std::string(appid) + "\"\n\t\"name\"\t\t\"" +
                  std::string(name) + "\"\n\t\"StateFlags\"\t\t\"4\"\n}\n");
    return prefix;
}

fs::path FixtureHome::LutrisGame(std::string_view slug, std::string_view name, const fs::path& prefix) {
    const fs::path made = Prefix(prefix);
    Write(fs::path(".config/lutris/games") / (std::string(slug) + ".yml"),
          "name: " + std::string(name) + "\ngame:\n  exe: " + (made / "drive_c/game.exe").string() +
              "\n  prefix: " + made.string() +
              "\nsystem:\n  env:\n    DXVK_HUD: fps\nwine:\n  version: lutris-7\n");
    return made;
}

fs::path FixtureHome::Bottle(std::string_view folder, std::string_view name) {
    const fs::path relative = fs::path(".local/share/bottles/bottles") / folder;
    const fs::path made = Prefix(relative);
    Write(relative / "bottle.yml",
          "Arch: win64\nCustom_Path: false\nDLL_Overrides: {}\nName: " + std::string(name) +
              "\nPath: " + std::string(folder) + "\nRunner: soda-7.0\n");
    return made;
}

fs::path FixtureHome::HeroicGame(std::string_view app, const fs::path& prefix) {
    const fs::path made = Prefix(prefix);
    Write(fs::path(".config/heroic/GamesConfig") / (std::string(app) + ".json"),
          "{\n  \"" + std::string(app) + "\": {\n    \"autoInstallDxvk\": true,\n    \"winePrefix\": \"" +
              made.string() +
              "\",\n    \"wineVersion\": {\"type\": \"proton\"}\n  },\n  \"version\": \"v0\"\n}\n");
    return made;
}

void FixtureHome::WithEverySource(int each) {
    Prefix(".wine");
    const fs::path steam = root_ / ".local/share/Steam";
    const fs::path second = root_ / "SteamLibrary";
    Write(".local/share/Steam/steamapps/libraryfolders.vdf",
          "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
              "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + second.string() + "\"\n\t}\n}\n");
    for (int i = 0; i < each; ++i) {
        const std::string n = std::to_string(i);
        Prefix(".PlayOnLinux/wineprefix/pol" + n);
        SteamGame(i % 2 ? second : steam, std::to_string(1000 + i), i % 3 ? "Game " + n : "");
        LutrisGame("lutris-game-" + n, "Lutris Game " + n, "Games/lutris-" + n);
        Bottle("bottle" + n, "Bottle " + n);
        HeroicGame("heroic" + n, root_ / "Games/Heroic/Prefixes" / ("heroic" + n));
        Prefix("Games/Heroic/Prefixes/unlisted" + n);
    }
}

} // namespace vx::test
