#pragma once
// What the machine the program runs on provides to both front ends besides the target: the settings store
// and the detection sound.
#include "app/settings_store.h"
#include "platform/sound_player.h"
#include "platform/target.h"

#include <memory>

namespace vx {

// On Linux the settings file of the user; on Windows the registry of the current user (the target is
// this machine, so its registry is the one the store lives in).
std::unique_ptr<SettingsStore> OpenSettingsStore(Target& target);
// libcanberra on Linux, PlaySoundW on Windows.
std::unique_ptr<SoundPlayer> MakeSoundPlayer();

} // namespace vx
