// Lutris's prefixes: the "game: prefix:" of each game's configuration in lutris/games/*.yml.
#include "platform/wine/prefix_collector.h"
#include "platform/wine/yaml_keys.h"

namespace vx {

void FindLutrisPrefixes(const PrefixPlaces& places, PrefixCollector& collector) {
    std::vector<std::filesystem::path> folders;
    for (const auto& dirs : {places.configDirs, places.dataDirs})
        for (const auto& dir : dirs)
            folders.push_back(dir / "lutris" / "games");
    for (const auto& folder : folders) {
        for (const auto& file : FilesEnding(folder, ".yml")) {
            const auto text = collector.ReadFile(file);
            if (!text)
                continue;
            std::string error;
            const auto keys = ReadYamlKeys(*text, error);
            if (!keys) {
                collector.Warn(file, error);
                continue;
            }
            const auto prefix = keys->find("game.prefix");
            if (prefix == keys->end())
                continue;
            const auto name = keys->find("name");
            collector.Add({LauncherPath(prefix->second, places.home), PrefixSource::Lutris,
                           name != keys->end() ? name->second : file.stem().string(), Installed::Yes});
        }
    }
}

} // namespace vx
