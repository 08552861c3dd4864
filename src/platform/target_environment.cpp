// The environment variables a program started inside the target would see, built from the target itself
// (its Windows folder, its registry's environment, folder and profile keys), for expanding the
// "%windir%\…" paths that shortcuts and registry data hold.
#include "platform/target_environment.h"

#include "platform/root_keys.h"
#include "platform/text.h"

#include <array>
#include <vector>

namespace vx {
namespace {

constexpr std::string_view kSystemEnvironment =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr std::string_view kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kProfileList = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string TextOf(std::span<const uint8_t> data) {
    std::string text(reinterpret_cast<const char*>(data.data()), data.size());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

bool IsText(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Every string value of a key, in the registry's order.
std::vector<std::pair<std::string, std::string>> TextValues(Registry& registry, HKEY root,
                                                            std::string_view subKey) {
    std::vector<std::pair<std::string, std::string>> values;
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, subKey, KEY_READ, key) != ERROR_SUCCESS)
        return values;
    std::vector<uint8_t> data(32768);
    for (uint32_t index = 0;; ++index) {
        std::string name;
        uint32_t nameSize = 16384;
        uint32_t type = REG_NONE;
        uint32_t dataSize = static_cast<uint32_t>(data.size());
        const Status status = registry.RegEnumValue(key, index, name, nameSize, &type, data, &dataSize);
        if (status == ERROR_MORE_DATA)
            continue; // too long to be a path worth expanding
        if (status != ERROR_SUCCESS)
            break;
        if (IsText(type))
            values.emplace_back(name, TextOf(std::span(data).first(std::min<size_t>(dataSize, data.size()))));
    }
    registry.RegCloseKey(key);
    return values;
}

std::vector<std::string> SubKeyNames(Registry& registry, HKEY root, std::string_view subKey) {
    std::vector<std::string> names;
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, subKey, KEY_READ, key) != ERROR_SUCCESS)
        return names;
    for (uint32_t index = 0;; ++index) {
        std::string name;
        uint32_t nameSize = 256;
        const Status status = registry.RegEnumKeyEx(key, index, name, nameSize);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    registry.RegCloseKey(key);
    return names;
}

bool IsInside(std::string_view path, std::string_view folder) {
    return !folder.empty() && path.size() > folder.size() &&
           EqualsNoCase(path.substr(0, folder.size()), folder) && path[folder.size()] == '\\';
}

std::string ParentOf(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

} // namespace

std::optional<std::string> QueryRegistryText(Registry& registry, HKEY root, std::string_view subKey,
                                             std::string_view valueName) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, subKey, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> text;
    uint32_t type = REG_NONE;
    uint32_t size = 0;
    if (registry.RegQueryValueEx(key, valueName, &type, {}, &size) == ERROR_SUCCESS && IsText(type)) {
        std::vector<uint8_t> data(size);
        if (size == 0 || registry.RegQueryValueEx(key, valueName, &type, data, &size) == ERROR_SUCCESS)
            text = TextOf(std::span(data).first(std::min<size_t>(size, data.size())));
    }
    registry.RegCloseKey(key);
    return text;
}

TargetEnvironment::TargetEnvironment(FileSystem& files, Registry& registry)
    : files_(files), registry_(registry) {}

void TargetEnvironment::Set(std::string_view name, std::string value) {
    if (!value.empty())
        variables_[FoldCase(name)] = std::move(value);
}

std::string TargetEnvironment::ExpandWith(std::string_view text) const {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('%', i);
        if (open == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        out += text.substr(i, open - i);
        const size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(open);
            break;
        }
        const auto found = variables_.find(FoldCase(text.substr(open + 1, close - open - 1)));
        if (found != variables_.end()) {
            out += found->second;
            i = close + 1;
        } else {
            // The closing sign may open the next name, as Windows reads "%unknown%windir%".
            out += text.substr(open, close - open);
            i = close;
        }
    }
    return out;
}

void TargetEnvironment::Load() {
    loaded_ = true;
    std::array<char, 261> buffer{};
    const uint32_t n = files_.GetWindowsDirectory(std::span<char>(buffer.data(), buffer.size() - 1));
    if (n > 0 && n < buffer.size()) {
        const std::string windows(buffer.data(), n);
        Set("SystemRoot", windows);
        Set("windir", windows);
        if (windows.size() >= 2 && windows[1] == ':')
            Set("SystemDrive", windows.substr(0, 2));
    }

    auto text = [&](HKEY root, std::string_view key, std::string_view value) {
        return ExpandWith(QueryRegistryText(registry_, root, key, value).value_or(""));
    };
    Set("ProgramFiles", text(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"));
    Set("ProgramW6432", text(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"));
    Set("ProgramFiles(x86)", text(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir (x86)"));
    Set("CommonProgramFiles", text(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir"));
    Set("CommonProgramW6432", text(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir"));
    Set("CommonProgramFiles(x86)", text(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir (x86)"));
    Set("ProgramData", text(HKEY_LOCAL_MACHINE, kProfileList, "ProgramData"));
    Set("ALLUSERSPROFILE", text(HKEY_LOCAL_MACHINE, kProfileList, "ProgramData"));
    Set("PUBLIC", text(HKEY_LOCAL_MACHINE, kProfileList, "Public"));

    // The user whose registry is HKEY_CURRENT_USER: the profile holding that user's shell folders, or the
    // only user profile there is.
    const std::string appData = text(HKEY_CURRENT_USER, kShellFolders, "AppData");
    const std::string desktop = text(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    std::vector<std::string> profiles;
    for (const auto& sid : SubKeyNames(registry_, HKEY_LOCAL_MACHINE, kProfileList)) {
        if (!sid.starts_with("S-1-5-21-"))
            continue;
        std::string path =
            text(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + sid, "ProfileImagePath");
        if (!path.empty())
            profiles.push_back(std::move(path));
    }
    std::string profile;
    for (const auto& path : profiles)
        if (IsInside(appData, path) || IsInside(desktop, path))
            profile = path;
    if (profile.empty() && profiles.size() == 1)
        profile = profiles.front();
    if (profile.empty())
        profile = ParentOf(desktop);
    if (!profile.empty()) {
        Set("USERPROFILE", profile);
        if (profile.size() >= 2 && profile[1] == ':') {
            Set("HOMEDRIVE", profile.substr(0, 2));
            Set("HOMEPATH", profile.size() > 2 ? profile.substr(2) : "\\");
        }
        Set("USERNAME", profile.substr(profile.rfind('\\') + 1));
    }
    Set("APPDATA", appData);
    Set("LOCALAPPDATA", text(HKEY_CURRENT_USER, kShellFolders, "Local AppData"));

    // The machine's variables, then the user's, which win.
    for (const auto& [name, value] : TextValues(registry_, HKEY_LOCAL_MACHINE, kSystemEnvironment))
        if (!EqualsNoCase(name, "SystemRoot"))
            Set(name, ExpandWith(value));
    for (const auto& [name, value] : TextValues(registry_, HKEY_CURRENT_USER, "Environment"))
        Set(name, ExpandWith(value));
}

std::string TargetEnvironment::Expand(std::string_view text) {
    if (text.find('%') == std::string_view::npos)
        return std::string(text);
    if (!loaded_)
        Load();
    return ExpandWith(text);
}

std::optional<std::string> TargetEnvironment::Get(std::string_view name) {
    if (!loaded_)
        Load();
    const auto found = variables_.find(FoldCase(name));
    if (found == variables_.end())
        return std::nullopt;
    return found->second;
}

} // namespace vx
