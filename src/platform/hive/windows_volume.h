#pragma once
// An offline Windows installation (a Windows partition mounted on this machine) as a target: its hives,
// the volume as drive C:, and the Shell's view of its files.
#include "platform/hive/hive_registry.h"
#include "platform/target.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vx {

// Finds the hives below `root` without regard to case. The user is `user` when given (a folder of
// Users), else the only user folder holding an NTUSER.DAT (the "Default" template profile does not
// count). False with `why` set (one line) when `root` is not a folder, holds no Windows installation,
// or the user cannot be chosen (the line lists the users there are).
bool LocateWindowsHives(const std::filesystem::path& root, const std::string& user, HiveLocations& hives,
                        std::string& why, std::vector<std::string>& warnings);

// The user folders below `root` that hold an NTUSER.DAT, in name order ("Default" included).
std::vector<std::string> WindowsUserProfiles(const std::filesystem::path& root);

// Opens the volume; null with `why` set (one line naming the folder or file) when it cannot be used.
std::unique_ptr<Target> OpenWindowsVolumeTarget(const std::filesystem::path& root, const std::string& user,
                                                std::string& why, std::vector<std::string>& warnings);

} // namespace vx
