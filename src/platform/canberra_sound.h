#pragma once
// The detection sound through libcanberra: played in the background, each new sound stopping the last.
#include "platform/sound_player.h"

#include <memory>

namespace vx {

class CanberraSoundPlayer : public SoundPlayer {
  public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    void PlayAsync(const std::filesystem::path& waveFile) override;

  private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace vx
