// The sliding menu on a panel at any edge of any screen.
#include "ui/menu_edge.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace vx {
namespace {

constexpr int kTwipsPerPixel = 15;

// How far the icon is from an edge of the screen.
int DistanceTo(PanelEdge edge, ScreenRect screen, ScreenRect icon) {
    switch (edge) {
    case PanelEdge::Bottom:
        return std::abs(screen.top + screen.height - (icon.top + icon.height));
    case PanelEdge::Top:
        return std::abs(icon.top - screen.top);
    case PanelEdge::Left:
        return std::abs(icon.left - screen.left);
    case PanelEdge::Right:
        return std::abs(screen.left + screen.width - (icon.left + icon.width));
    }
    return 0;
}

} // namespace

MenuPanel FindMenuPanel(ScreenRect screen, ScreenRect available, std::optional<ScreenRect> icon) {
    const std::array<MenuPanel, 4> gaps{{
        {PanelEdge::Bottom, screen.top + screen.height - (available.top + available.height)},
        {PanelEdge::Top, available.top - screen.top},
        {PanelEdge::Left, available.left - screen.left},
        {PanelEdge::Right, screen.left + screen.width - (available.left + available.width)},
    }};
    std::optional<MenuPanel> best;
    for (const MenuPanel& gap : gaps) {
        if (gap.thickness <= 0)
            continue;
        const bool better =
            !best || (icon ? DistanceTo(gap.edge, screen, *icon) < DistanceTo(best->edge, screen, *icon)
                           : gap.thickness > best->thickness);
        if (better)
            best = gap;
    }
    return best.value_or(MenuPanel{});
}

MenuScreen MenuScreenFor(ScreenRect screen, MenuPanel panel, int menuWidth, int menuHeight) {
    MenuScreen measured;
    measured.desktopWidth = screen.width;
    measured.desktopHeight = screen.height;
    measured.taskbarHeight =
        panel.edge == PanelEdge::Bottom || panel.edge == PanelEdge::Top ? panel.thickness : 0;
    measured.menuWidth = menuWidth;
    measured.menuHeightTwips = menuHeight * kTwipsPerPixel;
    return measured;
}

MenuPoint MenuOnScreen(ScreenRect screen, MenuPanel panel, int menuWidth, int menuHeight, int leftTwips,
                       int topTwips) {
    int x = leftTwips / kTwipsPerPixel;
    int y = topTwips / kTwipsPerPixel;
    switch (panel.edge) {
    case PanelEdge::Bottom:
        break;
    case PanelEdge::Top:
        y = screen.height - y - menuHeight;
        break;
    case PanelEdge::Left:
        x = panel.thickness;
        break;
    case PanelEdge::Right:
        x = std::min(x, screen.width - panel.thickness - menuWidth);
        break;
    }
    return {screen.left + x, screen.top + y};
}

} // namespace vx
