#pragma once
// A target is what the program scans and repairs: a registry, the drives and files around it, and the
// Shell's view of its items. Backends build one (a Wine prefix, an offline Windows volume).
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell_items.h"
#include "platform/target_lock.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace vx {

class Target {
  public:
    virtual ~Target() = default;
    virtual Registry& registry() = 0;
    virtual FileSystem& files() = 0;
    virtual ShellItems& shell() = 0;
    // GetVersionExA's platform id: 2 for the NT family.
    virtual uint32_t PlatformId() const { return 2; }
    // How the target is named to the user (its folder).
    virtual std::string Describe() const = 0;
    // The host folder that holds the target (a Wine prefix, a mounted volume's root); none for the
    // machine the program runs on.
    virtual std::optional<std::filesystem::path> HostFolder() const { return std::nullopt; }
    // What a backup file names as the target it was made from: the same for every opening of the same
    // target, different for any other.
    virtual std::string Identity() const { return Describe(); }
    // Taken by every run that changes the target (repair, restore, registry edits); null with `why` set
    // when another run holds it.
    virtual std::unique_ptr<TargetLock> LockForChanges(std::string& why) {
        (void)why;
        return std::make_unique<TargetLock>();
    }
    // Whether changes may be written now; when not, `why` says why in one line.
    virtual bool CanWrite(std::string& why) const {
        (void)why;
        return true;
    }
};

} // namespace vx
