// The settings store in the registry of the current user.
#include "app/registry_settings_store.h"

#include "platform/root_keys.h"

#include <vector>

namespace vx {
namespace {

// A string value of an open key, without its terminating zero; nothing when it is missing or not text.
std::optional<std::string> ReadText(Registry& registry, HKEY key, std::string_view name) {
    uint32_t type = REG_NONE;
    uint32_t size = 0;
    if (registry.RegQueryValueEx(key, name, &type, {}, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<uint8_t> data(size + 1);
    if (registry.RegQueryValueEx(key, name, &type, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(data.data()), size);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

} // namespace

std::string RegistrySettingsStore::SectionPath(std::string_view app, std::string_view section) {
    return std::string(kProgramSettingsKey) + "\\" + std::string(app) + "\\" + std::string(section);
}

std::string RegistrySettingsStore::GetSetting(std::string_view app, std::string_view section,
                                              std::string_view key, std::string_view defaultValue) {
    HKEY handle = 0;
    if (registry_.RegOpenKeyEx(HKEY_CURRENT_USER, SectionPath(app, section), KEY_QUERY_VALUE, handle) !=
        ERROR_SUCCESS)
        return std::string(defaultValue);
    const auto text = ReadText(registry_, handle, key);
    registry_.RegCloseKey(handle);
    return text ? *text : std::string(defaultValue);
}

void RegistrySettingsStore::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                        std::string_view value) {
    lastError_.clear();
    HKEY handle = 0;
    const std::string path = SectionPath(app, section);
    Status status = registry_.RegCreateKeyEx(HKEY_CURRENT_USER, path, KEY_WRITE, handle);
    if (status == ERROR_SUCCESS) {
        std::string data(value);
        data += '\0';
        status = registry_.RegSetValueEx(
            handle, key, REG_SZ, std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
        registry_.RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS)
        lastError_ = "cannot save the setting " + std::string(key) + " in HKEY_CURRENT_USER\\" + path +
                     " (error " + std::to_string(status) + ")";
}

std::map<std::string, std::string> RegistrySettingsStore::AllSettings(std::string_view app,
                                                                      std::string_view section) {
    std::map<std::string, std::string> out;
    HKEY handle = 0;
    if (registry_.RegOpenKeyEx(HKEY_CURRENT_USER, SectionPath(app, section), KEY_READ, handle) !=
        ERROR_SUCCESS)
        return out;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 16384;
        if (registry_.RegEnumValue(handle, i, name, nameSize, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        if (const auto text = ReadText(registry_, handle, name))
            out[name] = *text;
    }
    registry_.RegCloseKey(handle);
    return out;
}

} // namespace vx
