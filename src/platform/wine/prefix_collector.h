#pragma once
// What the readers of the launchers' files share: the list they add to, and the careful reading of a
// launcher's file.
#include "platform/wine/prefix_finder.h"

#include <optional>

namespace vx {

class PrefixCollector {
  public:
    explicit PrefixCollector(std::vector<std::string>& warnings) : warnings_(warnings) {}

    // Adds the folder when it is a Wine prefix not listed yet. A prefix found again by a launcher takes
    // that launcher's name for the one found only through $WINEPREFIX or ~/.wine.
    void Add(FoundPrefix prefix);
    void Warn(const std::filesystem::path& file, std::string_view why);

    // The text of a launcher's file; nullopt when it is missing (silently) or cannot be read, is not a
    // regular file or is too large to be one of the launcher's (with a warning).
    std::optional<std::string> ReadFile(const std::filesystem::path& file);

    std::vector<FoundPrefix> Take() { return std::move(found_); }

  private:
    std::vector<std::string>& warnings_;
    std::vector<FoundPrefix> found_;
    std::vector<std::filesystem::path> real_; // the real folder of each found prefix
};

// The folders in `folder` (following links), sorted; none when it cannot be listed.
std::vector<std::filesystem::path> SubFolders(const std::filesystem::path& folder);
// The entries of `folder` whose names end with `suffix`, sorted.
std::vector<std::filesystem::path> FilesEnding(const std::filesystem::path& folder, std::string_view suffix);
// A path a launcher wrote: "~/" is the home; a relative path means nothing and is empty.
std::filesystem::path LauncherPath(std::string_view text, const std::filesystem::path& home);

void FindWinePrefixes(const PrefixPlaces& places, PrefixCollector& collector);
void FindPlayOnLinuxPrefixes(const PrefixPlaces& places, PrefixCollector& collector);
void FindSteamPrefixes(const PrefixPlaces& places, PrefixCollector& collector);
void FindLutrisPrefixes(const PrefixPlaces& places, PrefixCollector& collector);
void FindBottlesPrefixes(const PrefixPlaces& places, PrefixCollector& collector);
void FindHeroicPrefixes(const PrefixPlaces& places, PrefixCollector& collector);

} // namespace vx
