// Heroic's prefixes: the "winePrefix" of each game's GamesConfig/<app>.json, and the folders of its
// default place, ~/Games/Heroic/Prefixes.
#include "platform/wine/prefix_collector.h"

#include <nlohmann/json.hpp>

namespace vx {

void FindHeroicPrefixes(const PrefixPlaces& places, PrefixCollector& collector) {
    std::vector<std::filesystem::path> folders;
    for (const auto& dir : places.configDirs)
        folders.push_back(dir / "heroic" / "GamesConfig");
    folders.push_back(places.home / ".var" / "app" / "com.heroicgameslauncher.hgl" / "config" / "heroic" /
                      "GamesConfig");
    for (const auto& folder : folders) {
        for (const auto& file : FilesEnding(folder, ".json")) {
            const auto text = collector.ReadFile(file);
            if (!text)
                continue;
            const auto json = nlohmann::json::parse(*text, nullptr, false);
            if (json.is_discarded() || !json.is_object()) {
                collector.Warn(file, json.is_discarded() ? "not JSON" : "not a JSON object");
                continue;
            }
            // { "<app>": { "winePrefix": "…", … }, "version": …, "explicit": … }
            for (const auto& [app, settings] : json.items()) {
                if (!settings.is_object())
                    continue;
                const auto prefix = settings.find("winePrefix");
                if (prefix != settings.end() && prefix->is_string())
                    collector.Add({LauncherPath(prefix->get<std::string>(), places.home),
                                   PrefixSource::Heroic, app, Installed::Unknown});
            }
        }
    }
    for (const auto& folder : SubFolders(places.home / "Games" / "Heroic" / "Prefixes"))
        collector.Add({folder, PrefixSource::Heroic, folder.filename().string(), Installed::Unknown});
}

} // namespace vx
