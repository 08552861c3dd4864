#pragma once
// The section checkers: each turns one registry value into a file path by its section's rules, tests it,
// and records a problem when the file is missing. They change nothing in the registry.
#include "checks/registry_entry.h"

namespace vx {

struct CheckContext;

// COM class registrations and application paths.
void CheckComEntry(CheckContext& check, const RegistryEntry& entry);
void CheckAppPathEntry(CheckContext& check, const RegistryEntry& entry);
void CheckPlaceholderPath(CheckContext& check, const RegistryEntry& entry, std::string_view trimmedText);

// Plain file references.
void CheckHelpEntry(CheckContext& check, const RegistryEntry& entry);
void CheckSharedEntry(CheckContext& check, const RegistryEntry& entry);
void CheckVxdEntry(CheckContext& check, const RegistryEntry& entry);
void CheckFontEntry(CheckContext& check, const RegistryEntry& entry);

// Command lines: start-up and uninstall entries.
void CheckUninstallEntry(CheckContext& check, const RegistryEntry& entry);
void CheckCommandLineEntry(CheckContext& check, const RegistryEntry& entry);
void CheckInstallPathEntry(CheckContext& check, const RegistryEntry& entry);
void CheckQuietUninstallEntry(CheckContext& check, const RegistryEntry& entry);
void CheckDrivePaths(CheckContext& check, const RegistryEntry& entry, std::string_view valueText);
void CheckBareName(CheckContext& check, const RegistryEntry& entry, std::string_view piece);

} // namespace vx
