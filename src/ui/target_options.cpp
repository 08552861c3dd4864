// Opening the target the command line names, for both front ends.
#include "ui/target_options.h"

#include "platform/hive/windows_volume.h"
#include "platform/wine/wine_target.h"

#include <filesystem>
#include <system_error>

namespace vx {
namespace {

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

} // namespace

std::vector<std::string> TargetOptions::Arguments() const {
    if (!windows.empty()) {
        std::vector<std::string> arguments{"--windows", Absolute(windows)};
        if (!user.empty()) {
            arguments.push_back("--user");
            arguments.push_back(user);
        }
        return arguments;
    }
    if (!prefix.empty())
        return {"--prefix", Absolute(prefix)};
    return {};
}

OpenedTarget OpenTargetFromOptions(const TargetOptions& options) {
    OpenedTarget opened;
    if (!options.windows.empty()) {
        opened.target = OpenWindowsVolumeTarget(options.windows, options.user, opened.error, opened.warnings);
        opened.name = options.windows;
    } else {
        const std::filesystem::path prefix =
            options.prefix.empty() ? DefaultWinePrefix() : std::filesystem::path(options.prefix);
        opened.target = OpenWineTarget(prefix, opened.error, opened.warnings);
        opened.name = prefix.string();
    }
    if (opened.target)
        opened.error.clear();
    return opened;
}

} // namespace vx
