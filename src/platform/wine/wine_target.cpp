// A Wine prefix as a target: its registry files, its dosdevices drives, and the Shell's view of its files.
#include "platform/wine/wine_target.h"

#include "platform/host_file_system.h"
#include "platform/registry_access.h"
#include "platform/root_keys.h"
#include "platform/shell_link_reader.h"
#include "platform/wine/wine_drives.h"

namespace vx {
namespace {

// Drive types Wine keeps in HKLM\Software\Wine\Drives ("d:" = "cdrom").
WineDriveTypes ReadWineDriveTypes(Registry& registry) {
    WineDriveTypes types;
    HKEY key = 0;
    if (registry.RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", key) != ERROR_SUCCESS)
        return types;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 256;
        if (registry.RegEnumValue(key, i, name, nameSize, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        std::string type;
        if (ReadRegistryString(registry, HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", name, type))
            types[name] = type;
    }
    registry.RegCloseKey(key);
    return types;
}

class WineTarget final : public Target {
  public:
    WineTarget(std::filesystem::path prefix, std::unique_ptr<WineRegistry> registry)
        : prefix_(std::move(prefix)), registry_(std::move(registry)) {
        std::string systemRoot;
        ReadRegistryString(*registry_, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                           "SystemRoot", systemRoot);
        files_ = std::make_unique<HostFileSystem>(
            WinePrefixFileSystemConfig(prefix_, ReadWineDriveTypes(*registry_), systemRoot));
        shell_ = std::make_unique<TargetShellItems>(*files_, *registry_);
    }

    Registry& registry() override { return *registry_; }
    FileSystem& files() override { return *files_; }
    ShellItems& shell() override { return *shell_; }
    std::string Describe() const override { return prefix_.string(); }
    std::optional<std::filesystem::path> HostFolder() const override { return prefix_; }
    std::string Identity() const override { return "Wine prefix " + CanonicalFolderText(prefix_); }
    std::unique_ptr<TargetLock> LockForChanges(std::string& why) override {
        return LockTargetFolder(prefix_, why);
    }
    bool CanWrite(std::string& why) const override { return registry_->CanWrite(why); }

  private:
    std::filesystem::path prefix_;
    std::unique_ptr<WineRegistry> registry_;
    std::unique_ptr<HostFileSystem> files_;
    std::unique_ptr<TargetShellItems> shell_;
};

} // namespace

std::unique_ptr<Target> OpenWineTarget(const std::filesystem::path& prefix, std::string& why,
                                       std::vector<std::string>& warnings) {
    auto registry = OpenWineRegistry(prefix, why, warnings);
    if (!registry)
        return nullptr;
    return std::make_unique<WineTarget>(prefix, std::move(registry));
}

} // namespace vx
