// Dragging a borderless window by its title strip.
#include "ui/window_drag.h"

#include <algorithm>
#include <limits>

namespace vx {

void WindowDrag::Press(int16_t x, int16_t y) {
    dragging_ = true;
    grabX_ = x;
    grabY_ = y;
}

std::optional<WindowPosition> WindowDrag::Move(WindowPosition window, int16_t x, int16_t y) const {
    if (!dragging_)
        return std::nullopt;
    return WindowPosition{window.left + x - grabX_, window.top + y - grabY_};
}

int16_t PixelsToTwips16(int pixels) {
    const long long twips = static_cast<long long>(pixels) * 15;
    return static_cast<int16_t>(std::clamp<long long>(twips, std::numeric_limits<int16_t>::min(),
                                                      std::numeric_limits<int16_t>::max()));
}

} // namespace vx
