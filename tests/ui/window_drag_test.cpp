// Dragging a borderless window by its strip, and the pixel-to-twip conversion of the strip's positions.
#include "ui/window_drag.h"

#include <climits>
#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(WindowDrag, TheWindowFollowsThePointersOffsetFromTheGrabPoint) {
    struct Case {
        const char* what;
        int16_t grabX, grabY;
        WindowPosition window;
        int16_t x, y;
        WindowPosition to;
    };
    const std::vector<Case> cases{
        {"right and down", 100, 50, {1000, 2000}, 130, 80, {1030, 2030}},
        {"left and up", 100, 50, {1000, 2000}, 40, 20, {940, 1970}},
        {"no movement", 7, 7, {15, 30}, 7, 7, {15, 30}},
        {"past the screen's left edge", 300, 0, {100, 0}, -150, 0, {-350, 0}},
        {"the widest reach of 16 bits", -32768, 0, {0, 0}, 32767, 0, {65535, 0}},
    };
    for (const Case& c : cases) {
        WindowDrag drag;
        EXPECT_EQ(drag.Move(c.window, c.x, c.y), std::nullopt) << c.what << ": no drag before a press";
        drag.Press(c.grabX, c.grabY);
        EXPECT_TRUE(drag.dragging());
        EXPECT_EQ(drag.Move(c.window, c.x, c.y), c.to) << c.what;
        drag.Release();
        EXPECT_EQ(drag.Move(c.window, c.x, c.y), std::nullopt) << c.what << ": none after the release";
    }
}

TEST(WindowDrag, PixelsBecomeTwipsSaturatedTo16Bits) {
    struct Case {
        int pixels;
        int16_t twips;
    };
    const std::vector<Case> cases{
        {0, 0},          {1, 15},          {515, 7725},        {517, 7755},        {2184, 32760},
        {2185, 32767},   {-2184, -32760},  {-2185, -32768},    {INT_MAX, 32767},   {INT_MIN, -32768},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PixelsToTwips16(c.pixels), c.twips) << c.pixels;
}

} // namespace
} // namespace vx
