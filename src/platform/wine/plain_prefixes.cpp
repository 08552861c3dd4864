// The prefixes no launcher keeps a list of: $WINEPREFIX, ~/.wine and PlayOnLinux's folders.
#include "platform/wine/prefix_collector.h"

namespace vx {

void FindWinePrefixes(const PrefixPlaces& places, PrefixCollector& collector) {
    for (const auto& folder : {places.winePrefix, places.home / ".wine"}) {
        const std::filesystem::path named = folder.lexically_normal();
        const std::filesystem::path leaf =
            named.has_filename() ? named.filename() : named.parent_path().filename();
        if (!folder.empty())
            collector.Add({folder, PrefixSource::Wine, leaf.string()});
    }
}

void FindPlayOnLinuxPrefixes(const PrefixPlaces& places, PrefixCollector& collector) {
    for (const auto& folder : SubFolders(places.home / ".PlayOnLinux" / "wineprefix"))
        collector.Add({folder, PrefixSource::PlayOnLinux, folder.filename().string()});
}

} // namespace vx
