#pragma once
// The section checkers: each turns one registry value into a file path by its section's rules, tests it,
// and records a problem when the file is missing. They change nothing in the registry.
#include "checks/registry_entry.h"

namespace vx {

class App;

// COM class registrations and application paths.
void CheckComEntry(App& app, const RegistryEntry& entry);
void CheckAppPathEntry(App& app, const RegistryEntry& entry);
void CheckPlaceholderPath(App& app, const RegistryEntry& entry, std::string_view trimmedText);

// Plain file references.
void CheckHelpEntry(App& app, const RegistryEntry& entry);
void CheckSharedEntry(App& app, const RegistryEntry& entry);
void CheckVxdEntry(App& app, const RegistryEntry& entry);
void CheckFontEntry(App& app, const RegistryEntry& entry);

// Command lines: start-up and uninstall entries.
void CheckUninstallEntry(App& app, const RegistryEntry& entry);
void CheckCommandLineEntry(App& app, const RegistryEntry& entry);
void CheckInstallPathEntry(App& app, const RegistryEntry& entry);
void CheckQuietUninstallEntry(App& app, const RegistryEntry& entry);
void CheckDrivePaths(App& app, const RegistryEntry& entry, std::string_view valueText);
void CheckBareName(App& app, const RegistryEntry& entry, std::string_view piece);

} // namespace vx
