#pragma once
// What every section checker receives about one registry value.
#include "platform/root_keys.h"

#include <string>

namespace vx {

struct RegistryEntry {
    RootKey root = 0;
    std::string rootName;  // as the catalogue gave it, e.g. "HKEY_LOCAL_MACHINE"
    std::string valueName; // empty for the key's unnamed value
    std::string valueText; // the value's data as text
    std::string section;   // the section's internal name, e.g. "ActiveX \ COM"
    std::string keyPath;   // the key holding the value, relative to the root
};

} // namespace vx
