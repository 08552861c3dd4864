#pragma once
// A Wine prefix as a target: its registry files, its dosdevices drives, and the Shell's view of its files.
#include "platform/target.h"
#include "platform/wine/wine_registry.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vx {

// Opens the prefix; null with `why` set (one line naming the folder or file) when it cannot be used.
// Lines of the registry files that could not be read are skipped and listed in `warnings`.
std::unique_ptr<Target> OpenWineTarget(const std::filesystem::path& prefix, std::string& why,
                                       std::vector<std::string>& warnings);

} // namespace vx
