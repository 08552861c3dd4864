#pragma once
// Whether a launcher Wine left on the host desktop is broken: its prefix is gone, or the shortcut or
// program it starts is gone from its prefix, by the program's own existence and shortcut rules.
#include "platform/wine/wine_launchers.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vx {

class SettingsStore;

// Why the launcher is broken, in a phrase; nullopt when it works or cannot be judged: a prefix on
// storage that is merely away, a prefix that cannot be opened, a file type entry of a prefix that is
// there. `settings` gives the backup folder, whose copies are never broken shortcuts.
std::optional<std::string> WhyLauncherIsBroken(const WineLauncher& launcher, SettingsStore& settings);

struct BrokenLauncher {
    WineLauncher launcher;
    std::string why;
};

// A finding's line for the results and the report: the launcher's file, and why it is broken.
std::string BrokenLauncherText(const BrokenLauncher& broken);

// The findings a scan of `prefix` makes among the launchers under `home`: its own broken launchers, and
// every launcher whose prefix is gone (whichever prefix is scanned, since no other scan can find them).
// A launcher file that cannot be read is passed over with a line in `warnings`.
std::vector<BrokenLauncher> FindBrokenLaunchers(const std::filesystem::path& home,
                                                const std::filesystem::path& prefix, SettingsStore& settings,
                                                std::vector<std::string>& warnings);

} // namespace vx
