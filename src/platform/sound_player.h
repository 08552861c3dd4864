#pragma once
// The detection sound: a wave file played in the background (sndPlaySound's asynchronous mode).
#include <filesystem>

namespace vx {

// Plays a wave file in the background; silent when it cannot be played.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    virtual void PlayAsync(const std::filesystem::path& waveFile) = 0;
};

} // namespace vx
