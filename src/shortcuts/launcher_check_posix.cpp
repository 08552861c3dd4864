// Whether a launcher Wine left on the host desktop is broken.
#include "shortcuts/launcher_check.h"

#include "app/app.h"
#include "paths/folders.h"
#include "paths/program_folders.h"
#include "platform/text.h"
#include "platform/wine/wine_target.h"
#include "shortcuts/shortcut_checker.h"

#include <cerrno>
#include <sys/stat.h>

namespace vx {
namespace {

namespace fs = std::filesystem;

// The check asks nothing and plays nothing.
class QuietFrontEnd final : public FrontEnd {
  public:
    void Yield(App&) override {}
    bool ShowMessageBox(App&, std::string_view, bool) override { return false; }
};
class NoSound final : public SoundPlayer {
  public:
    void PlayAsync(const fs::path&) override {}
};

// The Windows path of a host path inside the prefix (drive_c/… is C:\…, dosdevices/x:/… is X:\…);
// empty for any other place.
std::string WindowsPathOf(const fs::path& prefix, const fs::path& host) {
    const fs::path relative = host.lexically_normal().lexically_relative(prefix.lexically_normal());
    auto part = relative.begin();
    if (part == relative.end())
        return {};
    std::string path;
    if (*part == "drive_c") {
        path = "C:";
    } else if (*part == "dosdevices" && std::next(part) != relative.end()) {
        const std::string drive = (++part)->string();
        if (drive.size() != 2 || !IsAsciiLetter(drive[0]) || drive[1] != ':')
            return {};
        path = UpperAscii(drive);
    } else {
        return {};
    }
    for (++part; part != relative.end(); ++part)
        path += "\\" + part->string();
    return path;
}

fs::path RealFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(folder, ec);
    return ec ? folder.lexically_normal() : real;
}

bool IsShortcutPath(std::string_view path) {
    return path.size() >= 4 && EqualsNoCase(path.substr(path.size() - 4), ".lnk");
}

} // namespace

std::optional<std::string> WhyLauncherIsBroken(const WineLauncher& launcher, SettingsStore& settings) {
    switch (PrefixPresenceOf(launcher.prefix)) {
    case PrefixPresence::Away:
        return std::nullopt;
    case PrefixPresence::Gone:
        return "its Wine prefix " + launcher.prefix.string() + " is gone";
    case PrefixPresence::Present:
        break;
    }
    std::string windowsPath = launcher.windowsPath;
    if (windowsPath.empty() && !launcher.unixPath.empty()) {
        windowsPath = WindowsPathOf(launcher.prefix, launcher.unixPath);
        if (windowsPath.empty()) { // a file outside the prefix: only the host can say
            struct stat st {};
            if (::lstat(launcher.unixPath.c_str(), &st) != 0 && errno == ENOENT)
                return launcher.unixPath.string() + " is gone";
            return std::nullopt;
        }
    }
    if (windowsPath.empty())
        return std::nullopt;
    std::string error;
    std::vector<std::string> warnings;
    const auto target = OpenWineTarget(launcher.prefix, error, warnings);
    if (!target)
        return std::nullopt;
    QuietFrontEnd frontEnd;
    NoSound sound;
    App app(*target, settings, frontEnd, sound);
    const bool shortcut = IsShortcutPath(windowsPath);
    if (!(shortcut ? TargetExists(target->files(), windowsPath) : FileExists(*target, windowsPath)))
        return windowsPath + " is gone from its prefix";
    if (shortcut && IsBrokenShortcut(*target, ProgramFolder(app, "txtBackup"), windowsPath))
        return "the target of " + windowsPath + " is gone";
    return std::nullopt;
}

std::string BrokenLauncherText(const BrokenLauncher& broken) {
    return broken.launcher.file.string() + ": " + broken.why;
}

std::vector<BrokenLauncher> FindBrokenLaunchers(const fs::path& home, const fs::path& prefix,
                                                SettingsStore& settings, std::vector<std::string>& warnings) {
    const fs::path scanned = RealFolder(prefix);
    std::vector<BrokenLauncher> broken;
    for (auto& launcher : FindWineLaunchers(home, warnings)) {
        const bool own = RealFolder(launcher.prefix) == scanned;
        if (!own && PrefixPresenceOf(launcher.prefix) != PrefixPresence::Gone)
            continue;
        if (auto why = WhyLauncherIsBroken(launcher, settings))
            broken.push_back({std::move(launcher), std::move(*why)});
    }
    return broken;
}

} // namespace vx
