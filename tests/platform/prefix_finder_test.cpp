// Finding every Wine prefix on the machine through the launchers' own files, on fixture homes.
#include "platform/wine/prefix_finder.h"
#include "support/fixture_home.h"
#include "support/fixture_prefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

namespace vx {
namespace {
namespace fs = std::filesystem;
using test::FixtureHome;

struct Row {
    fs::path path;
    std::string source;
    std::string name;
    Installed installed;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.path << " " << row.source << " \"" << row.name << "\" " << static_cast<int>(row.installed);
}

std::vector<Row> Rows(const std::vector<FoundPrefix>& found) {
    std::vector<Row> rows;
    for (const auto& prefix : found)
        rows.push_back(
            {prefix.path, std::string(PrefixSourceName(prefix.source)), prefix.name, prefix.installed});
    return rows;
}

class PrefixFinderTest : public ::testing::Test {
  protected:
    std::vector<Row> Find() {
        warnings.clear();
        return Rows(FindPrefixes(places, warnings));
    }

    test::TempDir dir;
    FixtureHome home{dir.path()};
    PrefixPlaces places = PrefixPlaces::ForHome(dir.path());
    std::vector<std::string> warnings;
};

TEST_F(PrefixFinderTest, EverySourceListsItsPrefixesWithNameAndInstalledState) {
    const fs::path& h = home.root();
    test::TempDir elsewhere;
    places.winePrefix = FixtureHome(elsewhere.path()).Prefix("mine");
    home.Prefix(".wine");
    home.Prefix(".PlayOnLinux/wineprefix/Office");
    const fs::path steam = h / ".local/share/Steam";
    home.Write(".local/share/Steam/steamapps/libraryfolders.vdf",
               "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
                   "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + (h / "Library2").string() +
                   "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"620\"\t\t\"100\"\n\t\t}\n\t}\n}\n");
    home.SteamGame(steam, "220", "Half-Life 2");
    home.SteamGame(h / "Library2", "620", "Portal 2");
    home.SteamGame(h / "Library2", "700", ""); // uninstalled: Proton's folder stays behind
    home.SteamGame(steam, "3000000000", "");   // a non-Steam game added to the library
    home.LutrisGame("gog-witcher-1700000000", "The Witcher", "Games/witcher");
    home.Bottle("Work", "Work Bottle");
    home.HeroicGame("Fortnite", h / "Games/Heroic/Prefixes/Fortnite");
    home.HeroicGame("Sable", h / "Games/Heroic/Prefixes/Sable");
    home.HeroicGame("Gwent", h / "Games/Heroic/Prefixes/Gwent");
    home.Write(".config/heroic/legendaryConfig/legendary/installed.json",
               "{\"Fortnite\": {\"title\": \"Fortnite\"}}");
    home.Write(".config/heroic/gog_store/installed.json", "{\"installed\": [{\"appName\": \"Gwent\"}]}");
    home.Prefix("Games/Heroic/Prefixes/Other");
    home.Prefix(".var/app/com.usebottles.bottles/data/bottles/bottles/Flat");

    const std::vector<Row> expected = {
        {places.winePrefix, "wine", "mine", Installed::Unknown},
        {h / ".wine", "wine", ".wine", Installed::Unknown},
        {h / ".PlayOnLinux/wineprefix/Office", "playonlinux", "Office", Installed::Unknown},
        {steam / "steamapps/compatdata/220/pfx", "steam", "Half-Life 2", Installed::Yes},
        {steam / "steamapps/compatdata/3000000000/pfx", "steam", "", Installed::Unknown},
        {h / "Library2/steamapps/compatdata/620/pfx", "steam", "Portal 2", Installed::Yes},
        {h / "Library2/steamapps/compatdata/700/pfx", "steam", "", Installed::No},
        {h / "Games/witcher", "lutris", "The Witcher", Installed::Yes},
        {h / ".local/share/bottles/bottles/Work", "bottles", "Work Bottle", Installed::Yes},
        {h / ".var/app/com.usebottles.bottles/data/bottles/bottles/Flat", "bottles", "Flat",
         Installed::Unknown},
        {h / "Games/Heroic/Prefixes/Fortnite", "heroic", "Fortnite", Installed::Yes},
        {h / "Games/Heroic/Prefixes/Gwent", "heroic", "Gwent", Installed::Yes},
        {h / "Games/Heroic/Prefixes/Sable", "heroic", "Sable", Installed::Unknown}, // no list names it
        {h / "Games/Heroic/Prefixes/Other", "heroic", "Other", Installed::Unknown},
    };
    EXPECT_EQ(Find(), expected);
    EXPECT_EQ(warnings, std::vector<std::string>());
}

TEST_F(PrefixFinderTest, EachPrefixIsListedOnceUnderItsLauncher) {
    const fs::path& h = home.root();
    // ~/.steam/steam is Steam's link to its own folder; the vdf lists that folder again.
    const fs::path steam = h / ".local/share/Steam";
    home.SteamGame(steam, "220", "Half-Life 2");
    home.Write(".local/share/Steam/steamapps/libraryfolders.vdf",
               "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n\t\"1\"\t\t\"" +
                   (h / ".steam/steam").string() + "\"\n}\n");
    fs::create_directories(h / ".steam");
    fs::create_directory_symlink(steam, h / ".steam/steam");
    // $WINEPREFIX names a Lutris game's prefix through a trailing slash.
    const fs::path lutris = home.LutrisGame("game", "Game", "Games/game");
    places.winePrefix = lutris.string() + "/";

    const std::vector<Row> expected = {
        {lutris, "lutris", "Game", Installed::Yes},
        {steam / "steamapps/compatdata/220/pfx", "steam", "Half-Life 2", Installed::Yes},
    };
    EXPECT_EQ(Find(), expected);
}

TEST_F(PrefixFinderTest, OnlyWinePrefixesAreListed) {
    const fs::path& h = home.root();
    fs::create_directories(h / ".local/share/Steam/steamapps/compatdata/10/pfx"); // Proton never ran
    fs::create_directories(h / ".local/share/bottles/bottles/Empty");
    fs::create_directories(h / "Games/Heroic/Prefixes/Downloading");
    home.Write(".PlayOnLinux/wineprefix/notes.txt", "a file, not a folder");
    home.Write(".config/lutris/games/gone.yml", "game:\n  prefix: /nowhere/at/all\n");
    home.Write(".config/lutris/games/relative.yml", "game:\n  prefix: Games/relative\n");
    home.Prefix("Games/relative");
    home.Write(".config/heroic/GamesConfig/native.json", "{\"native\": {\"winePrefix\": 42}}");

    EXPECT_EQ(Find(), std::vector<Row>());
    EXPECT_EQ(warnings, std::vector<std::string>());
}

// A damaged launcher's file is passed over with a warning naming it; the other sources still answer.
TEST_F(PrefixFinderTest, DamagedFilesArePassedOverWithAWarning) {
    enum class Kind { Text, Folder, Pipe, Dangling };
    struct Case {
        const char* file;
        Kind kind;
        std::string text;
    };
    const std::vector<Case> cases = {
        {".local/share/Steam/steamapps/libraryfolders.vdf", Kind::Text,
         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n"},
        {".local/share/Steam/steamapps/libraryfolders.vdf", Kind::Text, "}\n"},
        {".local/share/Steam/steamapps/libraryfolders.vdf", Kind::Folder, ""},
        {".local/share/Steam/steamapps/appmanifest_220.acf", Kind::Text, "\"AppState\" { \"name\" \"Half"},
        {".local/share/Steam/steamapps/appmanifest_220.acf", Kind::Text, "\"AppState\" { \"name\" }"},
        {".local/share/Steam/steamapps/appmanifest_220.acf", Kind::Pipe, ""},
        {".config/lutris/games/broken.yml", Kind::Text, "game:\n\tprefix: /x\n"},
        {".config/lutris/games/broken.yml", Kind::Text, "game:\n  prefix: '/x\n"},
        {".config/lutris/games/broken.yml", Kind::Text, "just some words\n"},
        {".config/lutris/games/broken.yml", Kind::Pipe, ""},
        {".config/lutris/games/broken.yml", Kind::Dangling, ""},
        {".local/share/bottles/bottles/Work/bottle.yml", Kind::Text, "Name: \"Work\n"},
        {".local/share/bottles/bottles/Work/bottle.yml", Kind::Folder, ""},
        {".config/heroic/GamesConfig/broken.json", Kind::Text, "{\"game\": {\"winePrefix\": \"/x\""},
        {".config/heroic/GamesConfig/broken.json", Kind::Text, "[\"winePrefix\"]"},
        {".config/heroic/GamesConfig/broken.json", Kind::Folder, ""},
        {".config/heroic/gog_store/installed.json", Kind::Text, "{\"installed\": ["},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        FixtureHome home(dir.path());
        const fs::path file = dir.path() / c.file;
        fs::create_directories(file.parent_path());
        home.Prefix(".wine");
        const fs::path steamGame = home.SteamGame(dir.path() / ".local/share/Steam", "220", "");
        home.Prefix(".local/share/bottles/bottles/Work");
        const fs::path heroicGame = home.HeroicGame("Game", dir.path() / "Games/Heroic/Prefixes/Game");
        switch (c.kind) {
        case Kind::Text:
            home.Write(c.file, c.text);
            break;
        case Kind::Folder:
            fs::create_directories(file);
            break;
        case Kind::Pipe:
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
            break;
        case Kind::Dangling:
            fs::create_symlink(dir.path() / "nothing", file);
            break;
        }
        std::vector<std::string> warnings;
        const auto found = FindPrefixes(PrefixPlaces::ForHome(dir.path()), warnings);
        SCOPED_TRACE(std::string(c.file) + " " + c.text);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(warnings[0].starts_with(file.string() + ": ")) << warnings[0];
        std::vector<fs::path> paths;
        for (const auto& prefix : found)
            paths.push_back(prefix.path);
        EXPECT_EQ(paths,
                  (std::vector<fs::path>{dir.path() / ".wine", steamGame,
                                         dir.path() / ".local/share/bottles/bottles/Work", heroicGame}));
    }
}

} // namespace
} // namespace vx
