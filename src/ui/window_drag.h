#pragma once
// Dragging a borderless window by its title strip. Positions are twips; the grab point is kept as 16-bit
// integers, as the strip reports it.
#include <cstdint>
#include <optional>

namespace vx {

struct WindowPosition {
    int left = 0;
    int top = 0;
    bool operator==(const WindowPosition&) const = default;
};

class WindowDrag {
  public:
    // A button pressed on the strip at (x, y), relative to the strip.
    void Press(int16_t x, int16_t y);
    // A movement over the strip: where the window goes while a drag is on, nothing otherwise.
    std::optional<WindowPosition> Move(WindowPosition window, int16_t x, int16_t y) const;
    void Release() { dragging_ = false; }
    bool dragging() const { return dragging_; }

  private:
    bool dragging_ = false;
    int16_t grabX_ = 0;
    int16_t grabY_ = 0;
};

// Pixels to twips at the fixed factor the windows use (15 twips a pixel), saturated to 16 bits.
int16_t PixelsToTwips16(int pixels);

} // namespace vx
