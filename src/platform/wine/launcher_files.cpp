// The files Wine's menu builder writes beside its launchers, and the places under the home they stand in.
#include "platform/wine/launcher_files.h"

#include "platform/host_file_io.h"
#include "platform/wine/prefix_collector.h"

#include <algorithm>
#include <set>
#include <string>

namespace vx {
namespace {

namespace fs = std::filesystem;

struct Places {
    fs::path applications, menus, directories, mimePackages, icons;
    explicit Places(const fs::path& home)
        : applications(home / ".local/share/applications"), menus(home / ".config/menus/applications-merged"),
          directories(home / ".local/share/desktop-directories"),
          mimePackages(home / ".local/share/mime/packages"), icons(home / ".local/share/icons/hicolor") {}
};

bool NameIs(const fs::path& file, std::string_view prefix, std::string_view suffix) {
    const std::string name = file.filename().string();
    return name.size() > prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix);
}

// `file` below `folder`, in plain parts; empty when it is not.
fs::path Below(const fs::path& folder, const fs::path& file) {
    const fs::path relative = file.lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..")
        return {};
    return relative;
}

std::string XmlUnescaped(std::string_view text) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                         [&](const auto& e) { return text.substr(i).starts_with(e.first); });
        if (entity != std::end(kEntities)) {
            out += entity->second;
            i += entity->first.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The texts between every <tag> and </tag>.
std::vector<std::string> ElementTexts(std::string_view xml, std::string_view tag) {
    const std::string open = "<" + std::string(tag) + ">", close = "</" + std::string(tag) + ">";
    std::vector<std::string> texts;
    for (size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at)) {
        at += open.size();
        const size_t end = xml.find(close, at);
        if (end == std::string_view::npos)
            break;
        texts.push_back(XmlUnescaped(xml.substr(at, end - at)));
        at = end + close.size(); // each part of the text is read once, however the tags nest
    }
    return texts;
}

bool ListsType(const WineLauncher& launcher, const std::string& type) {
    std::string_view list = launcher.mimeTypes;
    while (!list.empty()) {
        const size_t end = std::min(list.find(';'), list.size());
        if (list.substr(0, end) == type)
            return true;
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return false;
}

struct MenuFile {
    fs::path file;
    WineMenuFile names;
};

std::vector<MenuFile> ReadMenuFiles(const Places& places) {
    std::vector<MenuFile> menus;
    for (auto& file : FilesEnding(places.menus, ".menu")) {
        if (!NameIs(file, "wine-", ".menu"))
            continue;
        const auto text = ReadRegularFile(file);
        if (!text)
            continue;
        menus.push_back({std::move(file), ReadWineMenuFile(*text)});
    }
    return menus;
}

// A menu entry's desktop file id: its path below the applications folder, "/" turned into "-".
std::string DesktopFileId(const Places& places, const fs::path& entry) {
    std::string id;
    for (const auto& part : Below(places.applications, entry))
        id += (id.empty() ? "" : "-") + part.string();
    return id;
}

// The icon files of a theme icon name, in every size Wine wrote.
std::vector<fs::path> IconFiles(const Places& places, const std::string& icon) {
    std::vector<fs::path> files;
    if (icon.empty() || icon.find('/') != std::string::npos || icon == "." || icon == "..")
        return files;
    for (const auto& size : SubFolders(places.icons))
        for (const char* extension : {".png", ".xpm", ".svg"}) {
            const fs::path file = size / "apps" / (icon + extension);
            std::error_code ec;
            if (fs::is_regular_file(fs::symlink_status(file, ec)))
                files.push_back(file);
        }
    return files;
}

} // namespace

WineMenuFile ReadWineMenuFile(std::string_view xml) {
    return {ElementTexts(xml, "Filename"), ElementTexts(xml, "Directory")};
}

std::vector<std::string> MimePackageTypes(std::string_view xml) {
    std::vector<std::string> types;
    constexpr std::string_view kOpen = "<mime-type type=\"";
    for (size_t at = xml.find(kOpen); at != std::string_view::npos; at = xml.find(kOpen, at)) {
        at += kOpen.size();
        const size_t end = xml.find('"', at);
        if (end == std::string_view::npos)
            break;
        types.push_back(XmlUnescaped(xml.substr(at, end - at)));
        at = end + 1;
    }
    return types;
}

std::optional<fs::path> WineLauncherPlaceOf(const fs::path& home, const fs::path& file) {
    if (!file.is_absolute() || !file.has_filename())
        return std::nullopt;
    for (const auto& part : file)
        if (part == "." || part == "..")
            return std::nullopt;
    const Places places(home);
    const fs::path parent = file.parent_path();
    if (const fs::path rel = Below(places.applications, file); !rel.empty()) {
        const bool menuEntry = *rel.begin() == "wine" && std::distance(rel.begin(), rel.end()) >= 2 &&
                               NameIs(file, "", ".desktop");
        const bool fileType = parent == places.applications && NameIs(file, "wine-extension-", ".desktop");
        if (menuEntry || fileType)
            return places.applications;
    }
    if ((parent == places.menus && NameIs(file, "wine-", ".menu")) ||
        (parent == places.directories && NameIs(file, "wine-", ".directory")) ||
        (parent == places.mimePackages && NameIs(file, "x-wine-extension-", ".xml")))
        return parent;
    if (const fs::path rel = Below(places.icons, file);
        std::distance(rel.begin(), rel.end()) == 3 && *std::next(rel.begin()) == "apps")
        return places.icons;
    std::vector<std::string> warnings;
    for (const auto& folder : WineDesktopFolders(home, warnings))
        if ((folder == home || !Below(home, folder).empty()) && parent == folder.lexically_normal() &&
            NameIs(file, "", ".desktop"))
            return parent;
    return std::nullopt;
}

std::vector<std::vector<fs::path>> WineLauncherFiles(const fs::path& home,
                                                     const std::vector<WineLauncher>& removed,
                                                     const std::vector<WineLauncher>& all) {
    const Places places(home);
    std::set<fs::path> removing;
    std::set<std::string> removedIds;
    for (const auto& launcher : removed) {
        removing.insert(launcher.file);
        if (launcher.kind == LauncherKind::MenuEntry)
            removedIds.insert(DesktopFileId(places, launcher.file));
    }
    std::vector<const WineLauncher*> remaining;
    for (const auto& launcher : all)
        if (!removing.contains(launcher.file))
            remaining.push_back(&launcher);

    // A menu file goes when every entry it lists goes; a menu folder's entry when no remaining menu file
    // names it.
    const std::vector<MenuFile> menus = ReadMenuFiles(places);
    const auto goes = [&](const MenuFile& menu) {
        return !menu.names.entries.empty() &&
               std::all_of(menu.names.entries.begin(), menu.names.entries.end(),
                           [&](auto& id) { return removedIds.contains(id); });
    };
    std::set<std::string> keptDirectories;
    for (const auto& menu : menus)
        if (!goes(menu))
            keptDirectories.insert(menu.names.directories.begin(), menu.names.directories.end());

    std::set<fs::path> taken;
    std::vector<std::vector<fs::path>> files(removed.size());
    for (size_t i = 0; i < removed.size(); ++i) {
        const WineLauncher& launcher = removed[i];
        const auto take = [&](const fs::path& file) {
            if (taken.insert(file).second)
                files[i].push_back(file);
        };
        take(launcher.file);
        if (launcher.kind == LauncherKind::MenuEntry) {
            const std::string id = DesktopFileId(places, launcher.file);
            for (const auto& menu : menus) {
                if (!goes(menu) || std::find(menu.names.entries.begin(), menu.names.entries.end(), id) ==
                                       menu.names.entries.end())
                    continue;
                take(menu.file);
                for (const auto& directory : menu.names.directories) {
                    const fs::path file = places.directories / directory;
                    std::error_code ec;
                    if (!keptDirectories.contains(directory) && WineLauncherPlaceOf(home, file) &&
                        fs::is_regular_file(fs::symlink_status(file, ec)))
                        take(file);
                }
            }
        }
        if (launcher.kind == LauncherKind::FileType) {
            const fs::path package = places.mimePackages / ("x-" + launcher.file.stem().string() + ".xml");
            if (const auto text = ReadRegularFile(package)) {
                const auto types = MimePackageTypes(*text);
                const bool used =
                    std::any_of(remaining.begin(), remaining.end(), [&](const WineLauncher* other) {
                        return std::any_of(types.begin(), types.end(),
                                           [&](const std::string& type) { return ListsType(*other, type); });
                    });
                if (!used)
                    take(package);
            }
        }
        const bool iconUsed = std::any_of(remaining.begin(), remaining.end(), [&](const WineLauncher* other) {
            return other->icon == launcher.icon;
        });
        if (!iconUsed)
            for (const auto& icon : IconFiles(places, launcher.icon))
                take(icon);
    }
    return files;
}

} // namespace vx
