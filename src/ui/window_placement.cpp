// Placing windows inside the screen's available area.
#include "ui/window_placement.h"

#include <algorithm>

namespace vx {
namespace {

// One axis: the start of a span `size` long inside [areaStart, areaStart + areaSize). A span longer than
// the area keeps its far end in view when `keepEnd`, else its start.
int PlaceSpan(int start, int size, int areaStart, int areaSize, bool keepEnd) {
    if (size > areaSize)
        return keepEnd ? areaStart + areaSize - size : areaStart;
    return std::clamp(start, areaStart, areaStart + areaSize - size);
}

} // namespace

ScreenRect PlaceInside(ScreenRect wanted, ScreenRect available) {
    wanted.left = PlaceSpan(wanted.left, wanted.width, available.left, available.width, true);
    wanted.top = PlaceSpan(wanted.top, wanted.height, available.top, available.height, false);
    return wanted;
}

ScreenRect CentreOn(ScreenRect owner, int width, int height, ScreenRect available) {
    const ScreenRect centred{owner.left + (owner.width - width) / 2, owner.top + (owner.height - height) / 2,
                             width, height};
    return PlaceInside(centred, available);
}

} // namespace vx
