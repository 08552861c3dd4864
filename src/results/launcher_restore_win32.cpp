// Windows has no launchers of Wine's to put back.
#include "results/launcher_restore.h"

namespace vx {

bool RestoreLauncherFile(const std::filesystem::path&, const std::filesystem::path&,
                         const BackupRecord& record, std::string& why) {
    why = record.f[1] + " is a launcher of the Linux desktop; it is restored only on Linux";
    return false;
}

void RefreshDesktopCaches(const std::filesystem::path&) {}

} // namespace vx
