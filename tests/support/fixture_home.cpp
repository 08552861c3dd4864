// A home folder as the Wine launchers leave it, built on disk.
#include "support/fixture_home.h"

#include <fstream>
#include <stdexcept>

namespace vx::test {

namespace fs = std::filesystem;

fs::path FixtureHome::Prefix(const fs::path& relative) {
    const fs::path prefix = relative.is_absolute() ? relative : root_ / relative;
    fs::create_directories(prefix / "drive_c" / "windows");
    std::ofstream(prefix / "system.reg") << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n";
    return prefix;
}

void FixtureHome::Write(const fs::path& relative, std::string_view text) {
    const fs::path file = root_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

namespace {

// A Windows path as Wine writes it into Exec: backslashes and blanks escaped for Exec, then for the file.
std::string ExecEscaped(std::string_view program) {
    std::string out;
    for (char c : program)
        out += c == '\\' ? std::string(R"(\\\\)") : c == ' ' ? std::string(R"(\\ )") : std::string(1, c);
    return out;
}

std::string DesktopEntry(const std::string& name, const fs::path& prefix, const std::string& arguments,
                         const std::string& icon) {
    return "[Desktop Entry]\nName=" + name + "\nExec=env WINEPREFIX=\"" + prefix.string() +
           "\" wine-stable " + arguments + "\nType=Application\nStartupNotify=true\nIcon=" + icon + "\n";
}

void WriteIcon(FixtureHome& home, const std::string& icon) {
    for (const char* size : {"16x16", "32x32", "48x48"})
        home.Write(fs::path(".local/share/icons/hicolor") / size / "apps" / (icon + ".png"),
                   "\x89PNG " + icon + " " + size);
}

} // namespace

fs::path FixtureHome::WineMenuEntry(const std::string& menuPath, const fs::path& prefix,
                                    std::string_view program, const std::string& icon) {
    const fs::path entry = fs::path(".local/share/applications/wine") / (menuPath + ".desktop");
    Write(entry, DesktopEntry(fs::path(menuPath).filename().string(), prefix, ExecEscaped(program), icon));
    WriteIcon(*this, icon);
    // The menu file nests one menu per folder, each with its folder's entry, as Wine writes it.
    std::string id = "wine";
    std::string menu = "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                       "\"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n<Menu>\n"
                       "  <Name>Applications</Name>\n";
    std::string closing = "</Menu>\n";
    const fs::path folders = fs::path("wine") / fs::path(menuPath).parent_path();
    for (const auto& part : folders) {
        const std::string folder = id == "wine" && part == "wine" ? "wine-wine" : id + "-" + part.string();
        if (part != "wine")
            id += "-" + part.string();
        menu += "  <Menu>\n    <Name>" + folder + "</Name>\n    <Directory>" + folder +
                ".directory</Directory>\n";
        closing = "  </Menu>\n" + closing;
        Write(fs::path(".local/share/desktop-directories") / (folder + ".directory"),
              "[Desktop Entry]\nType=Directory\nName=" + part.string() + "\nIcon=folder\n");
    }
    const std::string file = id + "-" + fs::path(menuPath).filename().string();
    menu += "    <Include>\n      <Filename>" + file + ".desktop</Filename>\n    </Include>\n" + closing;
    Write(fs::path(".config/menus/applications-merged") / (file + ".menu"), menu);
    return root_ / entry;
}

fs::path FixtureHome::WineDesktopIcon(const std::string& name, const fs::path& prefix,
                                      std::string_view program, const std::string& icon) {
    const fs::path entry = fs::path("Desktop") / (name + ".desktop");
    Write(entry, DesktopEntry(name, prefix, ExecEscaped(program), icon));
    fs::permissions(root_ / entry, fs::perms(0755)); // Wine makes desktop icons executable
    WriteIcon(*this, icon);
    return root_ / entry;
}

fs::path FixtureHome::WineFileType(const std::string& extension, const fs::path& prefix,
                                   std::string_view progId, const std::string& icon,
                                   const std::string& mimeType) {
    const fs::path entry =
        fs::path(".local/share/applications") / ("wine-extension-" + extension + ".desktop");
    Write(entry, DesktopEntry(extension, prefix, "start /ProgIDOpen " + std::string(progId) + " %f", icon) +
                     "MimeType=" + mimeType + ";\nNoDisplay=true\n");
    WriteIcon(*this, icon);
    Write(fs::path(".local/share/mime/packages") / ("x-wine-extension-" + extension + ".xml"),
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
          "  <mime-type type=\"" +
              mimeType + "\">\n    <glob pattern=\"*." + extension +
              "\"/>\n"
              "  </mime-type>\n</mime-info>\n");
    return root_ / entry;
}

fs::path FixtureHome::SteamGame(const fs::path& library, std::string_view appid, std::string_view name) {
    const fs::path steamapps = library / "steamapps";
    const fs::path prefix = Prefix(steamapps / "compatdata" / appid / "pfx");
    if (!name.empty())
        Write(steamapps / ("appmanifest_" + std::string(appid) + ".acf"),
              "\"AppState\"\n{\n\t\"appid\"\t\t\"" + std::string(appid) + "\"\n\t\"name\"\t\t\"" +
                  std::string(name) + "\"\n\t\"StateFlags\"\t\t\"4\"\n}\n");
    return prefix;
}

fs::path FixtureHome::LutrisGame(std::string_view slug, std::string_view name, const fs::path& prefix) {
    const fs::path made = Prefix(prefix);
    Write(fs::path(".config/lutris/games") / (std::string(slug) + ".yml"),
          "name: " + std::string(name) + "\ngame:\n  exe: " + (made / "drive_c/game.exe").string() +
              "\n  prefix: " + made.string() +
              "\nsystem:\n  env:\n    DXVK_HUD: fps\nwine:\n  version: lutris-7\n");
    return made;
}

fs::path FixtureHome::Bottle(std::string_view folder, std::string_view name) {
    const fs::path relative = fs::path(".local/share/bottles/bottles") / folder;
    const fs::path made = Prefix(relative);
    Write(relative / "bottle.yml",
          "Arch: win64\nCustom_Path: false\nDLL_Overrides: {}\nName: " + std::string(name) +
              "\nPath: " + std::string(folder) + "\nRunner: soda-7.0\n");
    return made;
}

fs::path FixtureHome::HeroicGame(std::string_view app, const fs::path& prefix) {
    const fs::path made = Prefix(prefix);
    Write(fs::path(".config/heroic/GamesConfig") / (std::string(app) + ".json"),
          "{\n  \"" + std::string(app) + "\": {\n    \"autoInstallDxvk\": true,\n    \"winePrefix\": \"" +
              made.string() +
              "\",\n    \"wineVersion\": {\"type\": \"proton\"}\n  },\n  \"version\": \"v0\"\n}\n");
    return made;
}

void FixtureHome::WithEverySource(int each) {
    Prefix(".wine");
    const fs::path steam = root_ / ".local/share/Steam";
    const fs::path second = root_ / "SteamLibrary";
    Write(".local/share/Steam/steamapps/libraryfolders.vdf",
          "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
              "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + second.string() + "\"\n\t}\n}\n");
    for (int i = 0; i < each; ++i) {
        const std::string n = std::to_string(i);
        Prefix(".PlayOnLinux/wineprefix/pol" + n);
        SteamGame(i % 2 ? second : steam, std::to_string(1000 + i), i % 3 ? "Game " + n : "");
        LutrisGame("lutris-game-" + n, "Lutris Game " + n, "Games/lutris-" + n);
        Bottle("bottle" + n, "Bottle " + n);
        HeroicGame("heroic" + n, root_ / "Games/Heroic/Prefixes" / ("heroic" + n));
        Prefix("Games/Heroic/Prefixes/unlisted" + n);
    }
}

} // namespace vx::test
