#pragma once
// The program's own thin layer over the registry: single values read and written by path, each call
// opening and closing its key. Failures show only in the results.
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/root_keys.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>

namespace vx {

// A value as the layer writes and reads it: empty, text, or a 32-bit signed number.
using RegValue = std::variant<std::monostate, std::string, int32_t>;

void WriteRegistryValue(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, const RegValue& value);
bool ReadRegistryString(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::string& text);
Status QueryRegistryValue(Registry& registry, HKEY key, std::string_view valueName, RegValue& value);
void CreateRegistryKey(Registry& registry, RootKey root, std::string_view keyPath);
void SetRegistryValueCreatingKey(Registry& registry, RootKey root, std::string_view keyPath,
                                 std::string_view valueName, const RegValue& value, uint32_t type);
Status SetRegistryValueOfType(Registry& registry, HKEY key, std::string_view valueName, uint32_t type,
                              const RegValue& value);
void DeleteRegistryValue(Registry& registry, RootKey root, std::string_view keyPath,
                         std::string_view valueName);
uint32_t GetWindowsPlatformId(uint32_t platformId);
// True when the path's drive letter names a fixed disk of the drive collection; `yield` runs between
// drives.
bool IsFixedDrivePath(FileSystem& files, std::string_view path, const std::function<void()>& yield);

} // namespace vx
