// Opening the target the command line names, for both front ends.
#include "ui/target_options.h"

#ifdef _WIN32
#include "platform/win32/win32_target.h"
#else
#include "platform/hive/windows_volume.h"
#include "platform/wine/wine_target.h"
#endif

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

#ifdef _WIN32

OpenedTarget OpenTargetFromOptions(const TargetOptions& options) {
    OpenedTarget opened;
    if (!options.windows.empty() || !options.prefix.empty()) {
        opened.error = std::string(!options.windows.empty() ? "--windows" : "--prefix") +
                       " is not available on Windows: the program works on this computer's own registry "
                       "and drives";
        return opened;
    }
    opened.target = OpenThisMachine();
    opened.name = opened.target->Describe();
    return opened;
}

#else

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

#endif

} // namespace vx
