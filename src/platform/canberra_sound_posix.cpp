// The detection sound through libcanberra: played in the background, each new sound stopping the last.
#include "platform/canberra_sound.h"

#include <canberra.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace vx {

struct CanberraSoundPlayer::Worker {
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<std::filesystem::path> next; // the newest request not yet played
    bool idle = false;                         // the worker waits for a request (and needs waking)
    bool stopping = false;
    std::thread thread;
    ca_context* handle = nullptr; // used by the worker thread only

    void Run() {
        // A sound restarted more often than this is not heard as more sounds; the requests in between
        // are merged, and the scan that makes them keeps the processor.
        constexpr auto kShortestGap = std::chrono::milliseconds(20);
        for (;;) {
            std::filesystem::path file;
            {
                std::unique_lock lock(mutex);
                idle = true;
                wake.wait(lock, [&] { return stopping || next; });
                idle = false;
                if (stopping)
                    return;
                file = std::move(*next);
                next.reset();
            }
            Play(file);
            std::unique_lock lock(mutex);
            if (wake.wait_for(lock, kShortestGap, [&] { return stopping; }))
                return;
        }
    }

    void Play(const std::filesystem::path& waveFile) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(waveFile, ec))
            return; // a missing file plays nothing, and no default sound stands in for it
        if (!handle && ca_context_create(&handle) != CA_SUCCESS) {
            handle = nullptr;
            return;
        }
        constexpr uint32_t kSoundId = 1;
        ca_context_cancel(handle, kSoundId); // a new finding restarts the sound
        ca_context_play(handle, kSoundId, CA_PROP_MEDIA_FILENAME, waveFile.c_str(), nullptr);
    }
};

CanberraSoundPlayer::CanberraSoundPlayer() : worker_(std::make_unique<Worker>()) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (worker_->thread.joinable()) {
        {
            std::lock_guard lock(worker_->mutex);
            worker_->stopping = true;
        }
        worker_->wake.notify_one();
        worker_->thread.join();
    }
    if (worker_->handle)
        ca_context_destroy(worker_->handle);
}

void CanberraSoundPlayer::PlayAsync(const std::filesystem::path& waveFile) {
    bool wake = false;
    {
        std::lock_guard lock(worker_->mutex);
        worker_->next = waveFile;
        // Started with the first sound: a program that never plays one never connects to the server.
        if (!worker_->thread.joinable())
            worker_->thread = std::thread([worker = worker_.get()] { worker->Run(); });
        wake = worker_->idle; // a busy worker finds the request when it is done
    }
    if (wake)
        worker_->wake.notify_one();
}

} // namespace vx
