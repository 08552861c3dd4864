// The detection sound hands its file to a worker of its own: many requests in a row, and the player's end
// right after them, neither wait on the sound server nor leave the worker behind.
#include "platform/canberra_sound.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vx {
namespace {

TEST(CanberraSound, ManyRequestsThenTheEndLeaveNothingRunning) {
    const auto folder = std::filesystem::temp_directory_path() / "vantrelix-sound-test";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "ding.wav") << "RIFF";
    for (int round = 0; round < 3; ++round) {
        CanberraSoundPlayer player;
        for (int i = 0; i < 2000; ++i)
            player.PlayAsync(i % 2 ? folder / "ding.wav" : folder / "missing.wav");
    } // each player joins its worker here; a worker left running would crash or hang the test
    CanberraSoundPlayer unused; // a player that never plays starts no worker and ends at once
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace vx
