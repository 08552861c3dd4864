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

LauncherKind KindOf(const std::filesystem::path& file, const std::filesystem::path& home) {
    if (file.parent_path() == home / "Desktop")
        return LauncherKind::DesktopIcon;
    if (file.filename().string().starts_with("wine-extension-"))
        return LauncherKind::FileType;
    return LauncherKind::MenuEntry;
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
    return launcher;
}

std::vector<WineLauncher> FindWineLaunchers(const std::filesystem::path& home,
                                            std::vector<std::string>& warnings) {
    const std::filesystem::path applications = home / ".local" / "share" / "applications";
    std::vector<std::filesystem::path> files;
    DesktopFilesBelow(applications / "wine", files);
    for (const auto& file : FilesEnding(home / "Desktop", ".desktop"))
        files.push_back(file);
    for (const auto& file : FilesEnding(applications, ".desktop"))
        if (file.filename().string().starts_with("wine-extension-"))
            files.push_back(file);

    PrefixCollector reader(warnings);
    std::vector<WineLauncher> launchers;
    for (const auto& file : files) {
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
        launcher->kind = KindOf(file, home);
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
