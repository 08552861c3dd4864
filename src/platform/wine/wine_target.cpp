#include "platform/wine/wine_target.h"

#include <cstdlib>

namespace vx {

std::filesystem::path DefaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return prefix;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/") / ".wine";
}

std::unique_ptr<Target> OpenWineTarget(const std::filesystem::path& prefix, std::string& error,
                                       std::vector<std::string>&) {
    error = "cannot open " + prefix.string() + ": the Wine registry backend is not built yet";
    return nullptr;
}

} // namespace vx
