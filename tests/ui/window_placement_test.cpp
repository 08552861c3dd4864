// Windows placed inside the screen's available area; dialogs centred on their owner.
#include "ui/window_placement.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

// The main window is 720 x 480; its Close button spans 682..710 of its width.
constexpr int kCloseLeft = 682, kCloseRight = 710;

TEST(WindowPlacement, AWindowStaysInsideTheAvailableAreaItsCloseButtonAlwaysInView) {
    struct Case {
        const char* what;
        ScreenRect wanted;
        ScreenRect available;
        ScreenRect placed;
    };
    const Case cases[] = {
        {"inside already", {100, 50, 720, 480}, {0, 0, 1366, 740}, {100, 50, 720, 480}},
        {"off the right and bottom", {1000, 600, 720, 480}, {0, 0, 1366, 740}, {646, 260, 720, 480}},
        {"above a panel at the top", {10, 0, 720, 480}, {0, 28, 1366, 740}, {10, 28, 720, 480}},
        {"on a second screen to the left",
         {-2000, 10, 720, 480},
         {-1920, 0, 1920, 1050},
         {-1920, 10, 720, 480}},
        // 1366 x 768 at twice the scale: 683 x 384 with a 24-pixel panel at the bottom.
        {"larger than a 2x 1366 x 768 screen", {0, 0, 720, 480}, {0, 0, 683, 360}, {-37, 0, 720, 480}},
    };
    for (const Case& c : cases) {
        const ScreenRect placed = PlaceInside(c.wanted, c.available);
        EXPECT_EQ(placed, c.placed) << c.what;
        EXPECT_GE(placed.left + kCloseLeft, c.available.left) << c.what;
        EXPECT_LE(placed.left + kCloseRight, c.available.left + c.available.width) << c.what;
        EXPECT_GE(placed.top, c.available.top) << c.what;
    }
}

TEST(WindowPlacement, ADialogIsCentredOnItsOwnerAndKeptOnScreen) {
    const ScreenRect screen{0, 0, 1024, 740};
    EXPECT_EQ(CentreOn({100, 100, 720, 480}, 420, 300, screen), (ScreenRect{250, 190, 420, 300}));
    // An owner dragged half off the screen: the dialog stays on it.
    EXPECT_EQ(CentreOn({800, 600, 720, 480}, 420, 300, screen), (ScreenRect{604, 440, 420, 300}));
}

} // namespace
} // namespace vx
