// The check-list row of the launchers Wine left on the Linux desktop.
#include "engine/desktop_launchers.h"

#include "app/app.h"
#include "engine/engine.h"
#include "platform/host_folders.h"
#include "platform/utf8_path.h"
#include "platform/wine/wine_launchers.h"
#include "platform/wine/wine_registry.h"
#include "results/launcher_repair.h"
#include "shortcuts/launcher_check.h"

#include <algorithm>

namespace vx {
namespace {

// The prefix the engine's target is, if it is one.
std::optional<std::filesystem::path> TargetPrefix(Engine& engine) {
    const auto folder = engine.app().target().HostFolder();
    if (!folder || !IsWinePrefix(*folder))
        return std::nullopt;
    return folder;
}

std::vector<BrokenLauncher> BrokenNow(Engine& engine) {
    const auto prefix = TargetPrefix(engine);
    if (!prefix)
        return {};
    std::vector<std::string> warnings; // a damaged launcher file is passed over, as the scan's rule is
    return FindBrokenLaunchers(HomeFolder(), *prefix, engine.app().settings(), warnings);
}

LauncherEntry EntryOf(const BrokenLauncher& broken) {
    return {PathUtf8(broken.launcher.file), BrokenLauncherText(broken)};
}

} // namespace

bool OffersLauncherRow(Engine& engine) {
    if (!TargetPrefix(engine))
        return false;
    std::vector<std::string> warnings;
    return !FindWineLaunchers(HomeFolder(), warnings).empty();
}

void ScanDesktopLaunchers(Engine& engine) {
    CheckContext check = engine.Context();
    for (const auto& broken : BrokenNow(engine)) {
        if (check.walk.Cancelled())
            return;
        check.sink.Found(EntryOf(broken));
        check.walk.Yield();
    }
}

LauncherRepairTally RepairLauncherFindings(Engine& engine, const std::filesystem::path& backupFile) {
    LauncherRepairTally tally;
    const auto& found = engine.findings().lvwLaunchers;
    // Judged again: a launcher that works by now (its program came back) is not removed.
    std::vector<BrokenLauncher> broken;
    for (auto& now : BrokenNow(engine))
        if (std::any_of(found.begin(), found.end(), [&](const LauncherEntry& entry) {
                return entry.file == PathUtf8(now.launcher.file);
            }))
            broken.push_back(std::move(now));
    const LauncherRepairOutcome outcome =
        RepairBrokenLaunchers(engine.app(), HomeFolder(), broken, backupFile);
    tally.repaired = outcome.repaired;
    tally.records = outcome.records;
    tally.reasons = outcome.reasons;
    for (const auto& kept : outcome.kept)
        tally.kept.push_back(EntryOf(kept));
    return tally;
}

} // namespace vx
