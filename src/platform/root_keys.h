#pragma once
// The predefined roots the program knows, by handle value and by name.
#include "platform/registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace vx {

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
constexpr HKEY HKEY_USERS = 0x80000003;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
constexpr HKEY HKEY_DYN_DATA = 0x80000006;

using RootKey = HKEY;

// "HKEY_LOCAL_MACHINE" → 0x80000002; the name is trimmed of blanks and compared upper-cased.
std::optional<RootKey> RootKeyFromName(std::string_view name);
// Also accepts the short forms HKLM, HKCU, HKCR, HKU, HKCC (for the reg command line).
std::optional<RootKey> RootKeyFromNameOrAbbreviation(std::string_view name);
// 0x80000002 → "HKEY_LOCAL_MACHINE"; empty for an unknown handle.
std::string RootKeyName(RootKey root);
bool IsPredefinedRoot(HKEY key);

} // namespace vx
