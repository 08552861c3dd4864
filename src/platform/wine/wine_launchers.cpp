// The launchers Wine's menu builder leaves on the host desktop.
#include "platform/wine/wine_launchers.h"

#include "platform/desktop_entry.h"
#include "platform/text.h"
#include "platform/wine/prefix_collector.h"
#include "platform/wine/wine_registry.h"

#include <algorithm>

namespace vx {
namespace {

bool IsWineProgram(const std::string& argument) {
    const std::string name = std::filesystem::path(argument).filename().string();
    return name == "wine" || name == "wine64" || name.starts_with("wine-");
}

// What follows "wine" on the Exec line: a Windows path, "start /unix PATH", "start /ProgIDOpen ID", or
// (older versions) "C:\windows\command\start.exe /Unix PATH".
void ReadWineArguments(const std::vector<std::string>& args, size_t i, WineLauncher& launcher) {
    if (i >= args.size())
        return;
    const bool start = EqualsNoCase(args[i], "start") ||
                       EqualsNoCase(std::filesystem::path(args[i]).filename().string(), "start.exe") ||
                       EqualsNoCase(args[i], "C:\\windows\\command\\start.exe");
    if (!start) {
        launcher.windowsPath = args[i];
        return;
    }
    for (++i; i + 1 < args.size(); ++i) {
        if (EqualsNoCase(args[i], "/unix")) {
            launcher.unixPath = args[i + 1];
            return;
        }
        if (EqualsNoCase(args[i], "/ProgIDOpen")) {
            launcher.progId = args[i + 1];
            return;
        }
    }
}

// Where Wine puts desktop icons: the desktop folder xdg-user-dirs names, else ~/Desktop; when the home has
// no desktop folder, Wine's menu builder writes them into the home itself.
std::vector<std::filesystem::path> DesktopFolders(const std::filesystem::path& home,
                                                  PrefixCollector& reader) {
    std::vector<std::filesystem::path> folders;
    if (const auto dirs = reader.ReadFile(home / ".config" / "user-dirs.dirs")) {
        const std::string_view text = *dirs;
        const size_t at = text.find("XDG_DESKTOP_DIR=\"");
        const size_t start = at == std::string_view::npos ? at : at + 17;
        const size_t end = start == std::string_view::npos ? start : text.find('"', start);
        if (end != std::string_view::npos) {
            std::string folder(text.substr(start, end - start));
            if (folder.starts_with("$HOME/"))
                folders.push_back(home / folder.substr(6));
            else if (folder.starts_with('/'))
                folders.emplace_back(folder);
        }
    }
    folders.push_back(home / "Desktop");
    folders.push_back(home);
    return folders;
}

void DesktopFilesBelow(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files) {
    std::error_code ec;
    // Links are not followed: Wine writes plain files and folders here.
    for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->path().extension() == ".desktop")
            files.push_back(it->path());
}

} // namespace

std::optional<WineLauncher> ReadWineLauncher(std::string_view text, const std::filesystem::path& home,
                                             std::string& why) {
    const auto exec = DesktopEntryValue(text, "Exec");
    if (!exec)
        return std::nullopt;
    const auto args = SplitExecArguments(*exec);
    if (!args) {
        why = "its Exec line has an unclosed quote";
        return std::nullopt;
    }
    WineLauncher launcher;
    launcher.prefix = home / ".wine";
    size_t i = 0;
    if (i < args->size() && (*args)[i] == "env") {
        for (++i; i < args->size() && (*args)[i].find('=') != std::string::npos; ++i)
            if ((*args)[i].starts_with("WINEPREFIX="))
                launcher.prefix = LauncherPath((*args)[i].substr(11), home);
    }
    if (i >= args->size() || !IsWineProgram((*args)[i]) || launcher.prefix.empty())
        return std::nullopt;
    ReadWineArguments(*args, i + 1, launcher);
    launcher.icon = DesktopEntryValue(text, "Icon").value_or("");
    launcher.mimeTypes = DesktopEntryValue(text, "MimeType").value_or("");
    return launcher;
}

std::vector<std::filesystem::path> WineDesktopFolders(const std::filesystem::path& home,
                                                      std::vector<std::string>& warnings) {
    PrefixCollector reader(warnings);
    return DesktopFolders(home, reader);
}

std::vector<WineLauncher> FindWineLaunchers(const std::filesystem::path& home,
                                            std::vector<std::string>& warnings) {
    const std::filesystem::path applications = home / ".local" / "share" / "applications";
    PrefixCollector reader(warnings);
    std::vector<std::pair<std::filesystem::path, LauncherKind>> files;
    std::vector<std::filesystem::path> menuEntries;
    DesktopFilesBelow(applications / "wine", menuEntries);
    for (auto& file : menuEntries)
        files.emplace_back(std::move(file), LauncherKind::MenuEntry);
    std::vector<std::filesystem::path> seen;
    for (const auto& folder : DesktopFolders(home, reader)) {
        if (std::find(seen.begin(), seen.end(), folder.lexically_normal()) != seen.end())
            continue;
        seen.push_back(folder.lexically_normal());
        for (auto& file : FilesEnding(folder, ".desktop"))
            files.emplace_back(std::move(file), LauncherKind::DesktopIcon);
    }
    for (auto& file : FilesEnding(applications, ".desktop"))
        if (file.filename().string().starts_with("wine-extension-"))
            files.emplace_back(std::move(file), LauncherKind::FileType);

    std::vector<WineLauncher> launchers;
    for (const auto& [file, kind] : files) {
        const auto text = reader.ReadFile(file);
        if (!text)
            continue;
        std::string why;
        auto launcher = ReadWineLauncher(*text, home, why);
        if (!why.empty())
            reader.Warn(file, why);
        if (!launcher)
            continue;
        launcher->file = file;
        launcher->kind = kind;
        launchers.push_back(std::move(*launcher));
    }
    std::stable_sort(launchers.begin(), launchers.end(), [](const WineLauncher& a, const WineLauncher& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.file < b.file;
    });
    return launchers;
}

PrefixPresence PrefixPresenceOf(const std::filesystem::path& prefix) {
    std::error_code ec;
    if (std::filesystem::is_directory(prefix, ec) && IsWinePrefix(prefix))
        return PrefixPresence::Present;
    const std::filesystem::path normal = prefix.lexically_normal();
    const std::filesystem::path parent =
        (normal.has_filename() ? normal : normal.parent_path()).parent_path();
    if (!std::filesystem::is_directory(parent, ec))
        return PrefixPresence::Away;
    const std::string text = parent.string();
    const bool mountPlace = text.starts_with("/media/") || text.starts_with("/mnt/") || text == "/mnt" ||
                            text.starts_with("/run/media/");
    if (mountPlace && std::filesystem::is_empty(parent, ec) && !ec)
        return PrefixPresence::Away;
    return PrefixPresence::Gone;
}

} // namespace vx
