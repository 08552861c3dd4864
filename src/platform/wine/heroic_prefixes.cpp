// Heroic's prefixes: the "winePrefix" of each game's GamesConfig/<app>.json, and the folders of its
// default place, ~/Games/Heroic/Prefixes. A game is installed when one of the stores' lists of installed
// games names it; a game no list names may come from a store whose list is not read here, so it is not
// taken for uninstalled.
#include "platform/wine/prefix_collector.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <set>

namespace vx {
namespace {

std::optional<nlohmann::json> ReadJson(const std::filesystem::path& file, PrefixCollector& collector) {
    const auto text = collector.ReadFile(file);
    if (!text)
        return std::nullopt;
    auto json = nlohmann::json::parse(*text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        collector.Warn(file, json.is_discarded() ? "not JSON" : "not a JSON object");
        return std::nullopt;
    }
    return json;
}

// The games the stores list as installed: Epic's (legendary) by key, GOG's by "appName", sideloaded
// games with "is_installed".
std::set<std::string> InstalledGames(const std::filesystem::path& heroic, PrefixCollector& collector) {
    std::set<std::string> games;
    if (const auto epic = ReadJson(heroic / "legendaryConfig" / "legendary" / "installed.json", collector))
        for (const auto& [app, details] : epic->items())
            games.insert(app);
    if (const auto gog = ReadJson(heroic / "gog_store" / "installed.json", collector))
        if (const auto list = gog->find("installed"); list != gog->end() && list->is_array())
            for (const auto& game : *list)
                if (game.is_object() && game.contains("appName") && game["appName"].is_string())
                    games.insert(game["appName"].get<std::string>());
    if (const auto side = ReadJson(heroic / "sideload_apps" / "library.json", collector))
        if (const auto list = side->find("games"); list != side->end() && list->is_array())
            for (const auto& game : *list)
                if (game.is_object() && game.value("is_installed", false) && game.contains("app_name") &&
                    game["app_name"].is_string())
                    games.insert(game["app_name"].get<std::string>());
    return games;
}

} // namespace

void FindHeroicPrefixes(const PrefixPlaces& places, PrefixCollector& collector) {
    std::vector<std::filesystem::path> heroics;
    for (const auto& dir : places.configDirs)
        heroics.push_back(dir / "heroic");
    heroics.push_back(places.home / ".var" / "app" / "com.heroicgameslauncher.hgl" / "config" / "heroic");
    for (const auto& heroic : heroics) {
        std::optional<std::set<std::string>> installed; // read once the first game is found
        for (const auto& file : FilesEnding(heroic / "GamesConfig", ".json")) {
            const auto json = ReadJson(file, collector);
            if (!json)
                continue;
            // { "<app>": { "winePrefix": "…", … }, "version": …, "explicit": … }
            for (const auto& [app, settings] : json->items()) {
                if (!settings.is_object())
                    continue;
                const auto prefix = settings.find("winePrefix");
                if (prefix == settings.end() || !prefix->is_string())
                    continue;
                if (!installed)
                    installed = InstalledGames(heroic, collector);
                collector.Add({LauncherPath(prefix->get<std::string>(), places.home), PrefixSource::Heroic,
                               app, installed->contains(app) ? Installed::Yes : Installed::Unknown});
            }
        }
    }
    for (const auto& folder : SubFolders(places.home / "Games" / "Heroic" / "Prefixes"))
        collector.Add({folder, PrefixSource::Heroic, folder.filename().string(), Installed::Unknown});
}

} // namespace vx
