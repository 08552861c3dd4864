// The predefined roots the program knows, by handle value and by name.
#include "platform/root_keys.h"

#include "platform/text.h"

#include <array>
#include <utility>

namespace vx {
namespace {

struct RootRow {
    std::string_view name;
    std::string_view abbreviation;
    RootKey key;
};

constexpr std::array<RootRow, 6> kRoots{{
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", "HKU", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA", "", HKEY_DYN_DATA},
}};

} // namespace

std::optional<RootKey> RootKeyFromName(std::string_view name) {
    const std::string wanted = UpperAscii(TrimBlanks(name));
    for (const auto& row : kRoots)
        if (row.name == wanted)
            return row.key;
    return std::nullopt;
}

std::optional<RootKey> RootKeyFromNameOrAbbreviation(std::string_view name) {
    if (auto key = RootKeyFromName(name))
        return key;
    const std::string wanted = UpperAscii(TrimBlanks(name));
    for (const auto& row : kRoots)
        if (!row.abbreviation.empty() && row.abbreviation == wanted)
            return row.key;
    return std::nullopt;
}

std::string RootKeyName(RootKey root) {
    for (const auto& row : kRoots)
        if (row.key == root)
            return std::string(row.name);
    return {};
}

bool IsPredefinedRoot(HKEY key) { return key >= 0x80000000u && key <= 0x80000006u; }

} // namespace vx
