#pragma once
// The walkers that turn a section's starting key into a stream of registry entries for its checker.
#include "platform/registry.h"
#include "platform/root_keys.h"

#include <string>
#include <string_view>

namespace vx {

class App;

// Depth first, pre-order: for every key below the start, its values, then its subkeys. The starting
// key's own values are not visited.
void WalkRegistryKeys(App& app, RootKey root, const std::string& keyPath, const std::string& section,
                      const std::string& rootName, std::string& label);
// The values of one key, each dispatched to the section's checker.
void WalkRegistryValues(App& app, RootKey root, const std::string& keyPath, const std::string& section,
                        const std::string& rootName, std::string& label);
// Shows the names of the direct subkeys of one key; checks nothing.
void ShowRegistrySubkeyNames(App& app, RootKey root, const std::string& keyPath);
// One value of an open key as text: strings (the first of a multi-string), DWORDs in signed decimal;
// every other type, and a value that cannot be read, gives empty text.
std::string ReadValueAsText(Registry& registry, HKEY key, std::string_view valueName);
// Sends one entry to the checker of its section (none for an unknown section).
void DispatchRegistryEntry(App& app, const std::string& text, const std::string& section,
                           const std::string& valueName, RootKey root, const std::string& rootName,
                           const std::string& keyPath);

} // namespace vx
