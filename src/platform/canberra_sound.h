#pragma once
// The detection sound through libcanberra: played in the background, each new sound stopping the last.
//
// Talking to the sound server can take a while (it connects, and every play is a round trip), so a
// worker thread of the player's own does it: PlayAsync only hands the file over and returns at once.
// Requests that arrive while the worker is busy are merged into the newest one, as a new sound replaces
// one still playing.
#include "platform/sound_player.h"

#include <memory>

namespace vx {

class CanberraSoundPlayer : public SoundPlayer {
  public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    void PlayAsync(const std::filesystem::path& waveFile) override;

  private:
    struct Worker;
    std::unique_ptr<Worker> worker_;
};

} // namespace vx
