#pragma once
// The walkers that turn a section's starting key into a stream of registry entries for its checker.
#include "checks/registry_entry.h"
#include "platform/registry.h"
#include "platform/root_keys.h"

#include <string>
#include <string_view>

namespace vx {

struct CheckContext;

// Depth first, pre-order: for every key below the start, its values, then its subkeys. The starting
// key's own values are not visited.
// With `showOnly` the values are shown but never checked.
void WalkRegistryKeys(CheckContext& check, RootKey root, const std::string& keyPath,
                      const std::string& section, const std::string& rootName, bool showOnly = false);
// The values of one key, each dispatched to the section's checker.
void WalkRegistryValues(CheckContext& check, RootKey root, const std::string& keyPath,
                        const std::string& section, const std::string& rootName, bool showOnly = false);
// Shows the names of the direct subkeys of one key; checks nothing.
void ShowRegistrySubkeyNames(CheckContext& check, RootKey root, const std::string& keyPath);
// The checker of a section; none for a section in no row of the catalogue.
using Checker = void (*)(CheckContext&, const RegistryEntry&);
Checker FindChecker(std::string_view section);

} // namespace vx
