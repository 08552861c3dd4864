// Bottles's prefixes: the folders of bottles/bottles, each described by its bottle.yml.
#include "platform/wine/prefix_collector.h"
#include "platform/wine/yaml_keys.h"

namespace vx {

void FindBottlesPrefixes(const PrefixPlaces& places, PrefixCollector& collector) {
    std::vector<std::filesystem::path> folders;
    for (const auto& dir : places.dataDirs)
        folders.push_back(dir / "bottles" / "bottles");
    folders.push_back(places.home / ".var" / "app" / "com.usebottles.bottles" / "data" / "bottles" /
                      "bottles");
    for (const auto& folder : folders) {
        for (const auto& bottle : SubFolders(folder)) {
            FoundPrefix prefix{bottle, PrefixSource::Bottles, bottle.filename().string(), Installed::Unknown};
            const std::filesystem::path file = bottle / "bottle.yml";
            if (const auto text = collector.ReadFile(file)) {
                std::string error;
                if (const auto keys = ReadYamlKeys(*text, error)) {
                    prefix.installed = Installed::Yes;
                    if (const auto name = keys->find("Name"); name != keys->end() && !name->second.empty())
                        prefix.name = name->second;
                } else {
                    collector.Warn(file, error);
                }
            }
            collector.Add(std::move(prefix));
        }
    }
}

} // namespace vx
