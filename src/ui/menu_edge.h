#pragma once
// The sliding menu on a screen whose panel (and the tray icon on it) may be at any edge. The menu's rules
// place and slide it as on a screen with its taskbar at the bottom; this finds the panel's edge and turns
// the rules' place into the screen's own, so that the menu rises from the edge the icon is on.
#include "ui/popup_menu.h"
#include "ui/window_placement.h"

#include <optional>

namespace vx {

enum class PanelEdge { Bottom, Top, Left, Right };

struct MenuPanel {
    PanelEdge edge = PanelEdge::Bottom;
    int thickness = 0; // pixels the panel takes from the screen
};

// The edge the tray icon's panel stands at: of the edges the available area leaves out, the one nearest
// the icon (when its place is known), else the widest; the bottom when none is left out.
MenuPanel FindMenuPanel(ScreenRect screen, ScreenRect available, std::optional<ScreenRect> icon);

struct MenuPoint {
    int x = 0;
    int y = 0;
    bool operator==(const MenuPoint&) const = default;
};

// What the rules measure on such a screen: a panel at the top or bottom is the taskbar; beside one at
// the left or right the menu rises from the screen's bottom edge.
MenuScreen MenuScreenFor(ScreenRect screen, MenuPanel panel, int menuWidth, int menuHeight);

// Where the menu the rules put at (leftTwips, topTwips) stands on the screen, in pixels of the desktop:
// at the bottom as the rules say; at the top mirrored, so that it comes down from the panel; beside a
// side panel, next to it.
MenuPoint MenuOnScreen(ScreenRect screen, MenuPanel panel, int menuWidth, int menuHeight, int leftTwips,
                       int topTwips);

} // namespace vx
