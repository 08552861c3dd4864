#include "engine/registry_walkers.h"

#include "checks/section_checkers.h"
#include "platform/text.h"
#include "ui/app.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <vector>

namespace vx {
namespace {

// The walkers read names and data into buffers of this size, as the program always has; a longer name
// or a value with more data ends the enumeration of its key.
constexpr uint32_t kBufferSize = 255;

// Closes the key however the walker leaves it.
class OpenKey {
  public:
    OpenKey(Registry& registry, HKEY key) : registry_(registry), key_(key) {}
    ~OpenKey() { registry_.RegCloseKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

  private:
    Registry& registry_;
    HKEY key_;
};

Status EnumSubkey(Registry& registry, HKEY key, uint32_t index, std::string& name) {
    uint32_t nameSize = kBufferSize;
    uint32_t classSize = kBufferSize;
    return registry.RegEnumKeyEx(key, index, name, nameSize, &classSize);
}

// Whether the status line, trimmed and upper-cased, reads "CONFIGURATION FILES...". Asked for every
// value, so it compares in place rather than building the upper-cased copy.
bool ShowsConfigurationFiles(std::string_view status) {
    constexpr std::string_view kText = "CONFIGURATION FILES...";
    status = TrimBlanks(status);
    if (status.size() != kText.size())
        return false;
    for (size_t i = 0; i < kText.size(); ++i) {
        const char c = status[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c) != kText[i])
            return false;
    }
    return true;
}

// ReadValueAsText into `text`, so that a walk reuses one string and one buffer for all its values.
void ReadValueText(Registry& registry, HKEY key, std::string_view valueName, std::vector<uint8_t>& buffer,
                   std::string& text) {
    text.clear();
    uint32_t type = REG_NONE;
    uint32_t size = 0;
    if (registry.RegQueryValueEx(key, valueName, &type, {}, &size) != ERROR_SUCCESS)
        return;
    if (type == REG_SZ || type == REG_MULTI_SZ) {
        if (size == 0)
            return;
        buffer.assign(size, 0);
        if (registry.RegQueryValueEx(key, valueName, &type, buffer, &size) != ERROR_SUCCESS)
            return;
        const auto* begin = reinterpret_cast<const char*>(buffer.data());
        const size_t length = std::min<size_t>(size, buffer.size());
        const void* zero = std::memchr(begin, 0, length);
        text.assign(begin, zero ? static_cast<const char*>(zero) - begin : length);
        return;
    }
    if (type == REG_DWORD) {
        std::array<uint8_t, 4> number{};
        uint32_t dwordSize = 4;
        if (registry.RegQueryValueEx(key, valueName, &type, number, &dwordSize) != ERROR_SUCCESS)
            return;
        int32_t value = 0;
        std::memcpy(&value, number.data(), 4);
        char digits[16];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
        text.assign(digits, end);
    }
}

using Checker = void (*)(App&, RegistryEntry);

struct DispatchRow {
    std::string_view section;
    Checker checker;
};

const std::array<DispatchRow, 9> kDispatch{{
    {"ActiveX \\ COM", CheckComEntry},
    {"ActiveX \\ COM Subsections", CheckComEntry},
    {"Application Paths", CheckAppPathEntry},
    {"Help Files", CheckHelpEntry},
    {"Microsoft Shared", CheckSharedEntry},
    {"Windows Startup", CheckCommandLineEntry},
    {"Uninstall Section", CheckUninstallEntry},
    {"VxD Section", CheckVxdEntry},
    {"Windows Fonts", CheckFontEntry},
}};

} // namespace

void WalkRegistryKeys(App& app, RootKey root, const std::string& keyPath, const std::string& section,
                      const std::string& rootName, std::string& label) {
    Registry& registry = app.registry();
    HKEY handle = 0;
    if (registry.RegOpenKeyEx(root, keyPath, KEY_ENUMERATE_SUB_KEYS, handle) != ERROR_SUCCESS)
        return;
    OpenKey key(registry, handle);
    std::string name;
    for (uint32_t i = 0;; ++i) {
        if (EnumSubkey(registry, key.get(), i, name) != ERROR_SUCCESS)
            break;
        const std::string child = keyPath + '\\' + name;
        app.main().lblRegistryScan = name;
        WalkRegistryValues(app, root, child, section, rootName, label);
        WalkRegistryKeys(app, root, child, section, rootName, label);
        if (app.main().Cancelled())
            return;
        app.Yield();
    }
}

void WalkRegistryValues(App& app, RootKey root, const std::string& keyPath, const std::string& section,
                        const std::string& rootName, std::string& label) {
    Registry& registry = app.registry();
    HKEY handle = 0;
    if (registry.RegOpenKey(root, keyPath, handle) != ERROR_SUCCESS)
        return;
    OpenKey key(registry, handle);
    std::array<uint8_t, kBufferSize> data;
    std::string name;
    std::string text;
    std::vector<uint8_t> buffer;
    for (uint32_t i = 0;; ++i) {
        if (app.main().Cancelled())
            return;
        uint32_t nameSize = kBufferSize;
        uint32_t dataSize = kBufferSize;
        if (registry.RegEnumValue(key.get(), i, name, nameSize, nullptr, data, &dataSize) != ERROR_SUCCESS)
            break;
        ReadValueText(registry, key.get(), name, buffer, text);
        label = text;
        if (app.main().Cancelled())
            return;
        // The configuration-files row walks its trees for display only.
        if (!ShowsConfigurationFiles(app.main().lblStatus))
            DispatchRegistryEntry(app, text, section, name, root, rootName, keyPath);
        if (app.main().Cancelled())
            return;
        app.Yield();
    }
}

void ShowRegistrySubkeyNames(App& app, RootKey root, const std::string& keyPath) {
    Registry& registry = app.registry();
    HKEY handle = 0;
    if (registry.RegOpenKey(root, keyPath, handle) != ERROR_SUCCESS)
        return;
    OpenKey key(registry, handle);
    std::string name;
    for (uint32_t i = 0; app.main().cmdCancelOrStop; ++i) {
        if (EnumSubkey(registry, key.get(), i, name) != ERROR_SUCCESS)
            break;
        app.main().lblRegistryScan = name.substr(0, name.find('\\'));
        app.Yield();
    }
}

std::string ReadValueAsText(Registry& registry, HKEY key, std::string_view valueName) {
    std::vector<uint8_t> buffer;
    std::string text;
    ReadValueText(registry, key, valueName, buffer, text);
    return text;
}

void DispatchRegistryEntry(App& app, const std::string& text, const std::string& section,
                           const std::string& valueName, RootKey root, const std::string& rootName,
                           const std::string& keyPath) {
    for (const auto& row : kDispatch) {
        if (row.section != section)
            continue;
        if (!app.main().Cancelled())
            row.checker(app, RegistryEntry{root, rootName, valueName, text, section, keyPath});
        return;
    }
}

} // namespace vx
