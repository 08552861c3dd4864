// The program's own thin layer over the registry: single values read, written and deleted by root and
// key path, plus the two small system queries the checks need. Every operation opens what it needs and
// closes it before returning; failures show only in the results.
#include "platform/registry_access.h"

#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace vx {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::span<const uint8_t> Bytes(const int32_t& number) {
    return {reinterpret_cast<const uint8_t*>(&number), sizeof number};
}

// The number a value is stored as, when it is stored as a REG_DWORD.
std::optional<int32_t> NumberOf(const RegValue& value) {
    if (const auto* number = std::get_if<int32_t>(&value))
        return *number;
    if (const auto* text = std::get_if<std::string>(&value))
        return RoundToInt32(*text);
    return std::nullopt;
}

} // namespace

std::string RegValueText(const RegValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<int32_t>(&value))
        return std::to_string(*number);
    return {};
}

bool IsNumericText(std::string_view text) {
    text = TrimBlanks(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t exponent = 0;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == text.size();
}

std::optional<int32_t> RoundToInt32(std::string_view text) {
    if (!IsNumericText(text))
        return std::nullopt;
    text = TrimBlanks(text);
    if (text.front() == '+')
        text.remove_prefix(1);
    double number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    // nearbyint rounds halves to even under the default rounding mode, as the conversion must.
    const double rounded = std::nearbyint(number);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return std::nullopt;
    return static_cast<int32_t>(rounded);
}

void WriteRegistryValue(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, const RegValue& value) {
    HKEY key = 0;
    if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
        return;
    if (const auto number = NumberOf(value)) {
        registry.RegSetValueEx(key, valueName, REG_DWORD, Bytes(*number));
    } else {
        const std::string text(TrimBlanks(RegValueText(value)));
        registry.RegSetValueEx(key, valueName, REG_SZ, Bytes(text));
    }
    registry.RegCloseKey(key);
}

uint32_t QueryRegistryValue(Registry& registry, HKEY key, std::string_view valueName, RegValue& out) {
    uint32_t type = 0, size = 0;
    const Status status = registry.RegQueryValueEx(key, valueName, &type, {}, &size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type == REG_SZ) {
        std::string buffer(size, '\0');
        uint32_t read = size;
        if (size > 0 && registry.RegQueryValueEx(key, valueName, &type,
                                                 {reinterpret_cast<uint8_t*>(buffer.data()), buffer.size()},
                                                 &read) != ERROR_SUCCESS) {
            out = std::monostate{};
        } else {
            buffer.resize(size > 0 ? size - 1 : 0);
            out = std::move(buffer);
        }
    } else if (type == REG_DWORD) {
        int32_t number = 0;
        uint32_t read = sizeof number;
        if (registry.RegQueryValueEx(key, valueName, &type,
                                     {reinterpret_cast<uint8_t*>(&number), sizeof number},
                                     &read) == ERROR_SUCCESS)
            out = number;
        else
            out = std::monostate{};
    } else {
        out = std::monostate{};
    }
    return ERROR_SUCCESS;
}

bool ReadRegistryString(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::string& out) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
        return false;
    RegValue value;
    const bool read = QueryRegistryValue(registry, key, valueName, value) == ERROR_SUCCESS;
    if (read)
        out = RegValueText(value);
    registry.RegCloseKey(key);
    return read;
}

void CreateRegistryKey(Registry& registry, RootKey root, std::string_view keyPath) {
    HKEY key = 0;
    if (registry.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key) == ERROR_SUCCESS)
        registry.RegCloseKey(key);
}

void SetRegistryValueCreatingKey(Registry& registry, RootKey root, std::string_view keyPath,
                                 std::string_view valueName, const RegValue& value, uint32_t type) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) {
        CreateRegistryKey(registry, root, keyPath);
        if (registry.RegOpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
            return;
    }
    SetRegistryValueOfType(registry, key, valueName, type, value);
    registry.RegCloseKey(key);
}

uint32_t SetRegistryValueOfType(Registry& registry, HKEY key, std::string_view valueName, uint32_t type,
                                const RegValue& value) {
    if (type == REG_SZ) {
        const std::string text = RegValueText(value) + '\0';
        return registry.RegSetValueEx(key, valueName, REG_SZ, Bytes(text));
    }
    if (type == REG_DWORD) {
        if (std::holds_alternative<std::monostate>(value))
            return registry.RegSetValueEx(key, valueName, REG_DWORD, Bytes(int32_t{0}));
        if (const auto number = NumberOf(value))
            return registry.RegSetValueEx(key, valueName, REG_DWORD, Bytes(*number));
        const std::string& text = std::get<std::string>(value);
        if (!IsNumericText(text))
            return ERROR_INVALID_PARAMETER;
        // Beyond 32 bits: keep the number as text rather than store a different number.
        const std::string stored = std::string(TrimBlanks(text)) + '\0';
        return registry.RegSetValueEx(key, valueName, REG_SZ, Bytes(stored));
    }
    return ERROR_SUCCESS;
}

void DeleteRegistryValue(Registry& registry, RootKey root, std::string_view keyPath,
                         std::string_view valueName) {
    HKEY key = 0;
    if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
        return;
    registry.RegDeleteValue(key, valueName);
    registry.RegCloseKey(key);
}

uint32_t GetWindowsPlatformId(const Target& target) {
    return target.PlatformId();
}

bool IsFixedDrivePath(std::string_view path, const std::vector<Drive>& drives,
                      const std::function<void()>& yield) {
    const std::string letter = UpperAscii(TrimBlanks(path.substr(0, path.empty() ? 0 : 1)));
    for (size_t i = 0; i < drives.size(); ++i) {
        const Drive& drive = drives[i];
        const int type = static_cast<int>(drive.type);
        if (type >= 0 && type <= 5 && UpperAscii(TrimBlanks(drive.letter)) == letter)
            return drive.type == DriveType::Fixed;
        if (yield && i + 1 < drives.size())
            yield();
    }
    return false;
}

size_t KeyDepth(std::string_view path) {
    size_t depth = 0;
    for (size_t start = 0; start < path.size();) {
        const size_t end = std::min(path.find('\\', start), path.size());
        depth += end > start;
        start = end + 1;
    }
    return depth;
}

} // namespace vx
