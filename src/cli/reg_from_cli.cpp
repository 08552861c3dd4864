#include "cli/commands.h"
#include "cli/reg_command.h"
#include "platform/wine/wine_registry.h"

#include <iostream>

namespace vx {

int RunRegFromCli(const TargetOptions& target, const std::vector<std::string>& args) {
    const std::filesystem::path prefix =
        target.prefix.empty() ? DefaultWinePrefix() : std::filesystem::path(target.prefix);
    return RunRegCommandOnPrefix(prefix, args, std::cout, std::cerr);
}

} // namespace vx
