// An offline Windows installation (a Windows partition mounted on this machine) as a target: its hives,
// the volume as drive C:, and the Shell's view of its files.
#include "platform/hive/windows_volume.h"

#include "platform/host_file_system.h"
#include "platform/root_keys.h"
#include "platform/shell_link_reader.h"
#include "platform/text.h"

#include <algorithm>

namespace vx {
namespace {

constexpr std::string_view kConfigFolder = "C:\\Windows\\System32\\config\\";
constexpr std::string_view kUsersFolder = "C:\\Users\\";
constexpr std::string_view kClassesFile = "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";

bool IsFile(FileSystem& files, const std::string& path) {
    const uint32_t attributes = files.GetFileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The host path of a file of the volume, or empty when it is not there.
std::filesystem::path FileOnVolume(FileSystem& files, const std::string& path) {
    if (!IsFile(files, path))
        return {};
    return files.HostPath(path).value_or(std::filesystem::path());
}

std::vector<std::string> ProfilesOn(FileSystem& files) {
    std::vector<std::string> profiles;
    FindData entry;
    auto search = files.FindFirstFile(std::string(kUsersFolder) + "*", entry);
    if (!search)
        return profiles;
    do {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && entry.name != "." && entry.name != ".." &&
            IsFile(files, std::string(kUsersFolder) + entry.name + "\\NTUSER.DAT"))
            profiles.push_back(entry.name);
    } while (search->FindNextFile(entry));
    return profiles;
}

// The template profiles Windows copies for new users: never the user someone means.
bool IsTemplateProfile(std::string_view name) {
    return EqualsNoCase(name, "Default") || EqualsNoCase(name, "Default User");
}

std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

// SystemRoot of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion, moved onto drive C: (the volume is
// C: here, whichever letter it had when Windows ran from it); empty when not recorded.
std::string WindowsFolderOf(Registry& registry) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", KEY_READ,
                              key) != ERROR_SUCCESS)
        return {};
    std::string data(260, '\0');
    uint32_t type = 0;
    uint32_t size = static_cast<uint32_t>(data.size());
    const Status status = registry.RegQueryValueEx(
        key, "SystemRoot", &type, {reinterpret_cast<uint8_t*>(data.data()), data.size()}, &size);
    registry.RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    data.resize(std::min<size_t>(size, data.size()));
    data.resize(std::min(data.size(), data.find('\0')));
    while (!data.empty() && data.back() == '\\')
        data.pop_back();
    if (data.size() < 3 || data[1] != ':' || data[2] != '\\')
        return {};
    return "C:" + data.substr(2);
}

class WindowsVolumeTarget final : public Target {
  public:
    WindowsVolumeTarget(std::filesystem::path root, std::string userName,
                        std::unique_ptr<HiveRegistry> registry)
        : root_(std::move(root)), userName_(std::move(userName)), registry_(std::move(registry)) {
        HostFileSystemConfig config = VolumeAsDriveC(root_);
        if (const std::string windows = WindowsFolderOf(*registry_); !windows.empty()) {
            config.windowsFolder = windows;
            config.systemFolder = windows + "\\System32";
            config.tempFolder = windows + "\\Temp";
        }
        files_ = std::make_unique<HostFileSystem>(std::move(config));
        shell_ = std::make_unique<TargetShellItems>(*files_, *registry_);
    }

    Registry& registry() override { return *registry_; }
    FileSystem& files() override { return *files_; }
    ShellItems& shell() override { return *shell_; }
    std::string Describe() const override { return root_.string(); }
    std::optional<std::filesystem::path> HostFolder() const override { return root_; }
    std::string Identity() const override {
        return "Windows volume " + CanonicalFolderText(root_) +
               (userName_.empty() ? "" : ", user " + userName_);
    }
    std::unique_ptr<TargetLock> LockForChanges(std::string& why) override {
        return LockTargetFolder(root_, why);
    }
    bool CanWrite(std::string& why) const override { return registry_->CanWrite(why); }

  private:
    std::filesystem::path root_;
    std::string userName_;
    std::unique_ptr<HiveRegistry> registry_;
    std::unique_ptr<HostFileSystem> files_;
    std::unique_ptr<TargetShellItems> shell_;
};

} // namespace

std::vector<std::string> WindowsUserProfiles(const std::filesystem::path& root) {
    HostFileSystem files(VolumeAsDriveC(root));
    return ProfilesOn(files);
}

bool LocateWindowsHives(const std::filesystem::path& root, const std::string& user, HiveLocations& hives,
                        std::string& why, std::vector<std::string>& warnings) {
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        why =
            root.string() + ": " +
            (std::filesystem::exists(root, ec) ? "not a folder, so not a Windows volume" : "no such folder");
        return false;
    }
    HostFileSystem files(VolumeAsDriveC(root));
    const std::string config(kConfigFolder);
    hives = HiveLocations{};
    hives.software = FileOnVolume(files, config + "SOFTWARE");
    hives.system = FileOnVolume(files, config + "SYSTEM");

    const std::vector<std::string> profiles = ProfilesOn(files);
    const uint32_t usersAttributes = files.GetFileAttributes("C:\\Users");
    const bool usersFolder =
        usersAttributes != INVALID_FILE_ATTRIBUTES && (usersAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (hives.software.empty() && hives.system.empty() && profiles.empty()) {
        // Folders of the volume as the host names them, as the root before them is.
        why = root.string() + ": no Windows installation here (no hives in Windows/System32/config, no "
                              "user profile with an NTUSER.DAT in Users)";
        return false;
    }

    std::string chosen;
    if (!user.empty()) {
        for (const auto& profile : profiles)
            if (EqualsNoCase(profile, user))
                chosen = profile;
        if (chosen.empty()) {
            why = root.string() + ": no user \"" + user + "\" with an NTUSER.DAT in " +
                  (usersFolder ? "Users" : "Users (there is no Users folder)") +
                  "; users: " + Listed(profiles);
            return false;
        }
    } else {
        std::vector<std::string> people;
        std::copy_if(profiles.begin(), profiles.end(), std::back_inserter(people),
                     [](const std::string& name) { return !IsTemplateProfile(name); });
        if (people.size() > 1) {
            why = root.string() + ": " + std::to_string(people.size()) + " users have a profile here (" +
                  Listed(people) + "); choose one with --user NAME";
            return false;
        }
        if (people.empty())
            warnings.push_back(
                root.string() +
                ": no user profile with an NTUSER.DAT in Users, so HKEY_CURRENT_USER is empty");
        else
            chosen = people.front();
    }
    if (!chosen.empty()) {
        const std::string profile = std::string(kUsersFolder) + chosen;
        hives.userName = chosen;
        hives.user = FileOnVolume(files, profile + "\\NTUSER.DAT");
        hives.userClasses = FileOnVolume(files, profile + std::string(kClassesFile));
    }
    return true;
}

std::unique_ptr<Target> OpenWindowsVolumeTarget(const std::filesystem::path& root, const std::string& user,
                                                std::string& why, std::vector<std::string>& warnings) {
    HiveLocations hives;
    if (!LocateWindowsHives(root, user, hives, why, warnings))
        return nullptr;
    auto registry = OpenHiveRegistry(hives, why, warnings);
    if (!registry)
        return nullptr;
    return std::make_unique<WindowsVolumeTarget>(root, hives.userName, std::move(registry));
}

} // namespace vx
