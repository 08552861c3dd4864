#pragma once
// The detection sound through winmm's PlaySoundW: played in the background, each new sound stopping the
// last, as sndPlaySound's asynchronous mode does.
#include "platform/sound_player.h"

namespace vx {

class Win32SoundPlayer final : public SoundPlayer {
  public:
    void PlayAsync(const std::filesystem::path& waveFile) override;
};

} // namespace vx
