// What the machine the program runs on provides to both front ends besides the target.
#include "ui/host_services.h"

#ifdef _WIN32
#include "app/registry_settings_store.h"
#include "platform/win32/win32_sound.h"
#else
#include "platform/canberra_sound.h"
#endif

namespace vx {

#ifdef _WIN32

std::unique_ptr<SettingsStore> OpenSettingsStore(Target& target) {
    return std::make_unique<RegistrySettingsStore>(target.registry());
}

std::unique_ptr<SoundPlayer> MakeSoundPlayer() {
    return std::make_unique<Win32SoundPlayer>();
}

#else

std::unique_ptr<SettingsStore> OpenSettingsStore(Target&) {
    return std::make_unique<FileSettingsStore>(DefaultSettingsFile());
}

std::unique_ptr<SoundPlayer> MakeSoundPlayer() {
    return std::make_unique<CanberraSoundPlayer>();
}

#endif

} // namespace vx
