// Steam's Proton prefixes: steamapps/compatdata/<appid>/pfx in every library of every Steam
// installation, named from the library's appmanifest_<appid>.acf, which Steam removes with the game.
#include "platform/wine/key_values.h"
#include "platform/wine/prefix_collector.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

namespace vx {
namespace {

// The libraries libraryfolders.vdf lists: "libraryfolders" { "0" { "path" "…" } … }, or in older
// versions "LibraryFolders" { "1" "…" }.
std::vector<std::filesystem::path> ListedLibraries(const std::filesystem::path& steam,
                                                   PrefixCollector& collector) {
    const std::filesystem::path file = steam / "steamapps" / "libraryfolders.vdf";
    const auto text = collector.ReadFile(file);
    if (!text)
        return {};
    std::string error;
    const auto pairs = ReadKeyValues(*text, error);
    if (!pairs) {
        collector.Warn(file, error);
        return {};
    }
    std::vector<std::filesystem::path> libraries;
    for (const auto& top : *pairs) {
        for (const auto& entry : top.children) {
            const KeyValues* path = entry.block ? entry.Find("path") : nullptr;
            const bool numbered =
                !entry.key.empty() && entry.key.find_first_not_of("0123456789") == std::string::npos;
            const std::string& text = path ? path->value : entry.value;
            if ((path || (numbered && !entry.block)) && text.starts_with('/'))
                libraries.emplace_back(text);
        }
    }
    return libraries;
}

struct Manifest {
    std::string name;
    bool readable = true;
};

// appid -> the game's manifest, from every library.
std::map<std::string, Manifest> ReadManifests(const std::vector<std::filesystem::path>& libraries,
                                              PrefixCollector& collector) {
    std::map<std::string, Manifest> manifests;
    for (const auto& library : libraries) {
        for (const auto& file : FilesEnding(library / "steamapps", ".acf")) {
            const std::string stem = file.stem().string();
            if (!stem.starts_with("appmanifest_"))
                continue;
            const std::string appid = stem.substr(std::string_view("appmanifest_").size());
            const auto text = collector.ReadFile(file);
            std::string error;
            const auto pairs = text ? ReadKeyValues(*text, error) : std::nullopt;
            if (text && !pairs)
                collector.Warn(file, error);
            Manifest manifest{{}, pairs.has_value()};
            if (pairs && !pairs->empty())
                if (const KeyValues* name = pairs->front().Find("name"); name && !name->block)
                    manifest.name = name->value;
            if (text) // a file that went away meanwhile says nothing
                manifests.try_emplace(appid, std::move(manifest));
        }
    }
    return manifests;
}

// Non-Steam games added to the library get ids of 2^31 and above, and never have a manifest.
bool IsShortcutId(const std::string& appid) {
    unsigned long long id = 0;
    const auto [end, error] = std::from_chars(appid.data(), appid.data() + appid.size(), id);
    return error == std::errc() && end == appid.data() + appid.size() && id >= (1ull << 31);
}

} // namespace

void FindSteamPrefixes(const PrefixPlaces& places, PrefixCollector& collector) {
    const std::vector<std::filesystem::path> installations = {
        places.home / ".local" / "share" / "Steam", places.home / ".steam" / "steam",
        places.home / ".var" / "app" / "com.valvesoftware.Steam" / ".local" / "share" / "Steam"};
    std::vector<std::filesystem::path> libraries, real;
    const auto addLibrary = [&](const std::filesystem::path& library) {
        std::error_code ec;
        std::filesystem::path canonical = std::filesystem::canonical(library, ec);
        if (ec || std::find(real.begin(), real.end(), canonical) != real.end())
            return false;
        real.push_back(std::move(canonical));
        libraries.push_back(library);
        return true;
    };
    for (const auto& steam : installations) {
        if (!addLibrary(steam)) // absent, or another name of one already read (~/.steam/steam)
            continue;
        for (const auto& library : ListedLibraries(steam, collector))
            addLibrary(library);
    }
    const auto manifests = ReadManifests(libraries, collector);
    for (const auto& library : libraries) {
        for (const auto& app : SubFolders(library / "steamapps" / "compatdata")) {
            const std::string appid = app.filename().string();
            FoundPrefix prefix{app / "pfx", PrefixSource::Steam, {}, Installed::No};
            if (const auto manifest = manifests.find(appid); manifest != manifests.end()) {
                prefix.name = manifest->second.name;
                prefix.installed = manifest->second.readable ? Installed::Yes : Installed::Unknown;
            } else if (IsShortcutId(appid)) {
                prefix.installed = Installed::Unknown;
            }
            collector.Add(std::move(prefix));
        }
    }
}

} // namespace vx
