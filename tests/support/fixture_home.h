#pragma once
// A home folder as the Wine launchers leave it (Steam, Lutris, Bottles, Heroic, PlayOnLinux), built on
// disk for the prefix finder's tests and benchmark.
#include <filesystem>
#include <string>
#include <string_view>

namespace vx::test {

class FixtureHome {
  public:
    explicit FixtureHome(std::filesystem::path root) : root_(std::move(root)) {}
    const std::filesystem::path& root() const { return root_; }

    // A small Wine prefix (a drive_c and a system.reg) at `relative`; its absolute path.
    std::filesystem::path Prefix(const std::filesystem::path& relative);
    // A launcher's file at `relative` (folders made as needed).
    void Write(const std::filesystem::path& relative, std::string_view text);

    // Steam: the library's compatdata/<appid>/pfx, with an appmanifest naming the game unless `name` is
    // empty (a game no longer installed).
    std::filesystem::path SteamGame(const std::filesystem::path& library, std::string_view appid,
                                    std::string_view name);
    // Lutris: .config/lutris/games/<slug>.yml naming `prefix` (a relative prefix is made in the home).
    std::filesystem::path LutrisGame(std::string_view slug, std::string_view name,
                                     const std::filesystem::path& prefix);
    // Bottles: .local/share/bottles/bottles/<folder>, its bottle.yml naming it.
    std::filesystem::path Bottle(std::string_view folder, std::string_view name);
    // Heroic: .config/heroic/GamesConfig/<app>.json naming `prefix` (made in the home).
    std::filesystem::path HeroicGame(std::string_view app, const std::filesystem::path& prefix);

    // Wine's launchers as its menu builder writes them, each starting `program` (a Windows path, or a file
    // type's ProgID) of `prefix` with the theme icon `icon` (whose files it writes in three sizes). A menu
    // entry at .local/share/applications/wine/<menuPath>.desktop comes with its menu file and its menu
    // folders' entries; a file type entry with its MIME package, which defines `mimeType`. Each returns
    // the entry's path.
    std::filesystem::path WineMenuEntry(const std::string& menuPath, const std::filesystem::path& prefix,
                                        std::string_view program, const std::string& icon);
    std::filesystem::path WineDesktopIcon(const std::string& name, const std::filesystem::path& prefix,
                                          std::string_view program, const std::string& icon);
    std::filesystem::path WineFileType(const std::string& extension, const std::filesystem::path& prefix,
                                       std::string_view progId, const std::string& icon,
                                       const std::string& mimeType);

    // `each` prefixes of every source, Steam's spread over two libraries.
    void WithEverySource(int each);

  private:
    std::filesystem::path root_;
};

} // namespace vx::test
