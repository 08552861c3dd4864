// The reg command on the target the options name.
#include "cli/commands.h"
#include "cli/reg_command.h"
#include "platform/target_lock.h"
#include "platform/text.h"
#ifdef _WIN32
#include "ui/target_options.h"
#else
#include "platform/hive/windows_volume.h"
#include "platform/wine/wine_registry.h"
#endif

#include <iostream>

namespace vx {

#ifdef _WIN32

// On Windows the registry is this computer's own, changed under the same lock as repair and restore.
int RunRegFromCli(const TargetOptions& target, const std::vector<std::string>& args) {
    OpenedTarget opened = OpenTargetFromOptions(target);
    if (!opened.target) {
        std::cerr << "vantrelix-cli: " << opened.error << "\n";
        return 2;
    }
    std::unique_ptr<TargetLock> lock;
    if (!args.empty() && !EqualsNoCase(args.front(), "query")) {
        std::string why;
        if (!(lock = opened.target->LockForChanges(why))) {
            std::cerr << "vantrelix-cli: " << why << "\n";
            return 2;
        }
    }
    const int status = RunRegCommand(opened.target->registry(), args, std::cout, std::cerr);
    if (status != 0 && !opened.target->registry().LastError().empty())
        std::cerr << "vantrelix-cli: " << opened.target->registry().LastError() << "\n";
    return status;
}

#else

int RunRegFromCli(const TargetOptions& target, const std::vector<std::string>& args) {
    // A change holds the target for its whole load, change and save, as repair and restore do.
    std::unique_ptr<TargetLock> lock;
    if (!args.empty() && !EqualsNoCase(args.front(), "query")) {
        const std::filesystem::path folder = !target.windows.empty() ? std::filesystem::path(target.windows)
                                             : target.prefix.empty() ? DefaultWinePrefix()
                                                                     : std::filesystem::path(target.prefix);
        std::string why;
        if (std::filesystem::is_directory(folder) && !(lock = LockTargetFolder(folder, why))) {
            std::cerr << "vantrelix-cli: " << why << "\n";
            return 2;
        }
    }
    if (!target.windows.empty()) {
        std::string error;
        std::vector<std::string> warnings;
        auto volume = OpenWindowsVolumeTarget(target.windows, target.user, error, warnings);
        for (const auto& warning : warnings)
            std::cerr << "warning: " << warning << "\n";
        if (!volume) {
            std::cerr << "vantrelix-cli: " << error << "\n";
            return 2;
        }
        // Say why a hive cannot be written before the command tries, rather than after it fails.
        std::string why;
        if (!args.empty() && !EqualsNoCase(args.front(), "query") && !volume->CanWrite(why)) {
            std::cerr << "vantrelix-cli: cannot change the registry: " << why << "\n";
            return 2;
        }
        return RunRegCommand(volume->registry(), args, std::cout, std::cerr);
    }
    const std::filesystem::path prefix =
        target.prefix.empty() ? DefaultWinePrefix() : std::filesystem::path(target.prefix);
    return RunRegCommandOnPrefix(prefix, args, std::cout, std::cerr);
}

#endif

} // namespace vx
