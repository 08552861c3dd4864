#pragma once
// The settings store where Windows programs of this kind keep it: string values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, one value per key.
#include "app/settings_store.h"
#include "platform/registry.h"

namespace vx {

inline constexpr std::string_view kProgramSettingsKey = "Software\\VB and VBA Program Settings";

class RegistrySettingsStore final : public SettingsStore {
  public:
    // The registry must outlive the store.
    explicit RegistrySettingsStore(Registry& registry) : registry_(registry) {}

    // A value that is missing, or not a string, reads as the default.
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    // Creates the section's key when missing; the value is stored as REG_SZ with its terminating zero.
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;
    std::map<std::string, std::string> AllSettings(std::string_view app, std::string_view section) override;
    std::string LastError() const override { return lastError_; }

  private:
    static std::string SectionPath(std::string_view app, std::string_view section);

    Registry& registry_;
    std::string lastError_;
};

} // namespace vx
