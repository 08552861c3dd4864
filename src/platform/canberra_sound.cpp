// The detection sound through libcanberra: played in the background, each new sound stopping the last.
#include "platform/canberra_sound.h"

#include <canberra.h>
#include <system_error>

namespace vx {

struct CanberraSoundPlayer::Context {
    ca_context* handle = nullptr;
};

CanberraSoundPlayer::CanberraSoundPlayer() : context_(std::make_unique<Context>()) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (context_->handle)
        ca_context_destroy(context_->handle);
}

void CanberraSoundPlayer::PlayAsync(const std::filesystem::path& waveFile) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(waveFile, ec))
        return; // a missing file plays nothing, and no default sound stands in for it
    if (!context_->handle && ca_context_create(&context_->handle) != CA_SUCCESS) {
        context_->handle = nullptr;
        return;
    }
    constexpr uint32_t kSoundId = 1;
    ca_context_cancel(context_->handle, kSoundId); // a new finding restarts the sound
    ca_context_play(context_->handle, kSoundId, CA_PROP_MEDIA_FILENAME, waveFile.c_str(), nullptr);
}

} // namespace vx
