// The sliding menu rises from the edge of the screen the tray icon's panel stands at.
#include "ui/menu_edge.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

constexpr ScreenRect kScreen{1920, 0, 1366, 768}; // a second screen, right of the first

TEST(MenuEdge, ThePanelIsTheEdgeTheIconIsOnElseTheWidestLeftOut) {
    struct Case {
        const char* what;
        ScreenRect available;
        std::optional<ScreenRect> icon;
        MenuPanel panel;
    };
    const Case cases[] = {
        {"no panel", kScreen, std::nullopt, {PanelEdge::Bottom, 0}},
        {"at the bottom", {1920, 0, 1366, 738}, std::nullopt, {PanelEdge::Bottom, 30}},
        {"at the top", {1920, 28, 1366, 740}, std::nullopt, {PanelEdge::Top, 28}},
        {"at the left", {1968, 0, 1318, 768}, std::nullopt, {PanelEdge::Left, 48}},
        {"at the right", {1920, 0, 1318, 768}, std::nullopt, {PanelEdge::Right, 48}},
        {"two panels, the icon at the top",
         {1920, 28, 1366, 710},
         ScreenRect{3200, 4, 22, 22},
         {PanelEdge::Top, 28}},
        {"two panels, the icon at the bottom",
         {1920, 28, 1366, 710},
         ScreenRect{3200, 740, 22, 22},
         {PanelEdge::Bottom, 30}},
    };
    for (const Case& c : cases) {
        const MenuPanel panel = FindMenuPanel(kScreen, c.available, c.icon);
        EXPECT_EQ(panel.edge, c.panel.edge) << c.what;
        EXPECT_EQ(panel.thickness, c.panel.thickness) << c.what;
    }
}

TEST(MenuEdge, TheMenuStandsOnTheIconsScreenAgainstItsPanel) {
    const int width = 190, height = 180;
    // The rules' place in twips: left near the right edge, top where the menu has risen to.
    const int left = 17500, top = 8000;
    struct Case {
        const char* what;
        MenuPanel panel;
        MenuPoint at;
    };
    const Case cases[] = {
        {"bottom: as the rules say", {PanelEdge::Bottom, 30}, {1920 + 1166, 533}},
        {"top: mirrored, coming down from the panel",
         {PanelEdge::Top, 28},
         {1920 + 1166, 768 - 533 - height}},
        {"left: beside the panel", {PanelEdge::Left, 48}, {1920 + 48, 533}},
        {"right: left of the panel", {PanelEdge::Right, 48}, {1920 + 1366 - 48 - width, 533}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MenuOnScreen(kScreen, c.panel, width, height, left, top), c.at) << c.what;
    // A panel at the top or bottom is the rules' taskbar; beside a side panel the menu rises from the bottom.
    EXPECT_EQ(MenuScreenFor(kScreen, {PanelEdge::Top, 28}, width, height).taskbarHeight, 28);
    EXPECT_EQ(MenuScreenFor(kScreen, {PanelEdge::Left, 48}, width, height).taskbarHeight, 0);
    EXPECT_EQ(MenuScreenFor(kScreen, {PanelEdge::Bottom, 30}, width, height).menuHeightTwips, height * 15);
}

} // namespace
} // namespace vx
