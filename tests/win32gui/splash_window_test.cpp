// The splash on screen: it shows, and after its two seconds it goes and the main window comes.
#include "win32gui/splash_window.h"

#include "window_driver.h"

#include <gtest/gtest.h>

namespace vx::win32gui {
namespace {

TEST(SplashWindow, GoesAfterTwoSecondsAndShowsTheMainWindow) {
    bool mainShown = false;
    SplashWindow splash([&] { mainShown = true; });
    splash.Start();
    EXPECT_TRUE(IsWindowVisible(splash.handle()));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(testing::PumpUntil([&] { return mainShown; }, std::chrono::seconds(10)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
    EXPECT_TRUE(splash.closed());
    EXPECT_FALSE(IsWindowVisible(splash.handle()));
}

} // namespace
} // namespace vx::win32gui
