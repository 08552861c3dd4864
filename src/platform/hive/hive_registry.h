#pragma once
// The registry of an offline Windows installation, arranged from its hive files as Windows arranges it:
//
//   HKLM\SOFTWARE                  Windows\System32\config\SOFTWARE
//   HKLM\SYSTEM                    Windows\System32\config\SYSTEM
//   HKLM\SYSTEM\CurrentControlSet  a link to ControlSet00N, N from HKLM\SYSTEM\Select "Current"
//   HKU\<user>, HKEY_CURRENT_USER  Users\<user>\NTUSER.DAT
//   HKU\<user>_Classes             Users\<user>\AppData\Local\Microsoft\Windows\UsrClass.dat, also reached
//                                  as HKCU\Software\Classes (a link, as on Windows)
//   HKEY_CLASSES_ROOT              HKLM\SOFTWARE\Classes merged with the user's classes
//
// A hive that is not there leaves its key out, as an unloaded hive does on Windows.
#include "platform/hive/hive_file.h"
#include "platform/registry_view.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vx {

// Where the hives lie on the host; an empty path is a hive that is not there.
struct HiveLocations {
    std::filesystem::path software;
    std::filesystem::path system;
    std::filesystem::path user;        // NTUSER.DAT
    std::filesystem::path userClasses; // UsrClass.dat
    std::string userName;              // the key below HKEY_USERS; empty when there is no user
};

class HiveRegistry : public RegistryView {
  public:
    // Saves every changed hive. Refused (ERROR_ACCESS_DENIED, nothing written) while a hive is read-only;
    // ERROR_CANTWRITE when a hive could not be saved. LastError() says why in one line.
    Status Flush() override;
    bool LastFlushWroteNothing() const override { return wroteNothing_; }
    // Whether changes could be written: false, with the first read-only hive's reason, when a hive was
    // not closed cleanly, is damaged, or cannot be replaced.
    bool CanWrite(std::string& why) const;

    // The loaded hives (null when not there).
    HiveFile* Software() { return software_.get(); }
    HiveFile* System() { return system_.get(); }
    HiveFile* User() { return user_.get(); }
    HiveFile* UserClasses() { return classes_.get(); }

  private:
    friend std::unique_ptr<HiveRegistry> OpenHiveRegistry(const HiveLocations&, std::string&,
                                                          std::vector<std::string>&);
    HiveRegistry() = default;
    std::vector<HiveFile*> Hives() const;
    // Hangs a link named `name` below `parent`, pointing at `target` (a \Registry\… path).
    void Link(RegKeyNode& parent, std::string_view name, std::string_view target);

    RegistryStore names_{RegistryStore::ValueOrder::Sorted, "Registry"};
    std::vector<std::unique_ptr<RegistryStore>> links_;
    std::unique_ptr<HiveFile> software_, system_, user_, classes_;
    bool wroteNothing_ = true;
};

// Loads the hives named in `hives`. Null with `why` set (one line naming the file) when a hive is not a
// regf hive or cannot be opened; what could not be read of a damaged hive is listed in `warnings`.
std::unique_ptr<HiveRegistry> OpenHiveRegistry(const HiveLocations& hives, std::string& why,
                                               std::vector<std::string>& warnings);

} // namespace vx
