// Every Wine prefix on the machine that the user's launchers know of.
#include "platform/wine/prefix_collector.h"

#include <cassert>
#include <cstdlib>

namespace vx {
namespace {

std::filesystem::path Environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::filesystem::path(value) : std::filesystem::path();
}

void AddIfOther(std::vector<std::filesystem::path>& dirs, const std::filesystem::path& dir) {
    if (!dir.empty() && dir.lexically_normal() != dirs.front().lexically_normal())
        dirs.push_back(dir);
}

} // namespace

std::string_view PrefixSourceName(PrefixSource source) {
    switch (source) {
    case PrefixSource::Wine:
        return "wine";
    case PrefixSource::PlayOnLinux:
        return "playonlinux";
    case PrefixSource::Steam:
        return "steam";
    case PrefixSource::Lutris:
        return "lutris";
    case PrefixSource::Bottles:
        return "bottles";
    case PrefixSource::Heroic:
        return "heroic";
    }
    assert(false);
    return "wine";
}

PrefixPlaces PrefixPlaces::ForHome(const std::filesystem::path& home) {
    PrefixPlaces places;
    places.home = home;
    places.configDirs = {home / ".config"};
    places.dataDirs = {home / ".local" / "share"};
    return places;
}

PrefixPlaces PrefixPlaces::FromEnvironment() {
    PrefixPlaces places = ForHome(Environment("HOME"));
    places.winePrefix = Environment("WINEPREFIX");
    AddIfOther(places.configDirs, Environment("XDG_CONFIG_HOME"));
    AddIfOther(places.dataDirs, Environment("XDG_DATA_HOME"));
    return places;
}

std::vector<FoundPrefix> FindPrefixes(const PrefixPlaces& places, std::vector<std::string>& warnings) {
    PrefixCollector collector(warnings);
    if (places.home.empty())
        return {};
    FindWinePrefixes(places, collector);
    FindPlayOnLinuxPrefixes(places, collector);
    FindSteamPrefixes(places, collector);
    FindLutrisPrefixes(places, collector);
    FindBottlesPrefixes(places, collector);
    FindHeroicPrefixes(places, collector);
    return collector.Take();
}

} // namespace vx
