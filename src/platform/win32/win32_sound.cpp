// The detection sound through PlaySoundW.
#include "platform/win32/win32_sound.h"

#include "platform/win32/win32_calls.h"

namespace vx {

void Win32SoundPlayer::PlayAsync(const std::filesystem::path& waveFile) {
    win32::PlayWaveFile(waveFile.wstring()); // silent when it cannot be played
}

} // namespace vx
