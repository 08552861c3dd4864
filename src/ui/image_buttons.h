#pragma once
// Image buttons: a plain picture and its highlighted twin at one place, one of them visible. Moving over
// the plain picture shows the twin; the action runs when the twin is clicked; moving over the reset area
// shows the plain picture again. A disabled or hidden plain picture receives no movement, so its twin
// never shows and its action cannot be reached.
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace vx {

struct ImageButton {
    bool highlighted = false; // the twin shows instead of the plain picture
    bool enabled = true;      // of the plain picture
    bool visible = true;      // of both pictures
};

// The buttons of one window, indexed by its own enum (whose last member is Count).
template <class Button> class ImageButtons {
  public:
    static constexpr size_t kCount = static_cast<size_t>(Button::Count);

    ImageButton& operator[](Button b) { return buttons_[Index(b)]; }
    const ImageButton& operator[](Button b) const { return buttons_[Index(b)]; }

    // The pointer moved over the plain picture; false when it cannot receive the movement.
    bool Hover(Button b) {
        ImageButton& button = (*this)[b];
        if (!button.enabled || !button.visible)
            return false;
        if (!button.highlighted) {
            button.highlighted = true;
            ++revision_;
        }
        return true;
    }
    // The plain picture shows again.
    void Reset(Button b) {
        ImageButton& button = (*this)[b];
        if (button.highlighted) {
            button.highlighted = false;
            ++revision_;
        }
    }
    template <size_t N> void Reset(const std::array<Button, N>& group) {
        for (Button b : group)
            Reset(b);
    }
    // Whether a click on the button runs its action: only on a shown twin.
    bool Clickable(Button b) const {
        const ImageButton& button = (*this)[b];
        return button.highlighted && button.visible && button.enabled;
    }
    void SetEnabled(Button b, bool enabled) {
        ImageButton& button = (*this)[b];
        if (button.enabled != enabled) {
            button.enabled = enabled;
            if (!enabled)
                button.highlighted = false;
            ++revision_;
        }
    }
    void SetVisible(Button b, bool visible) {
        ImageButton& button = (*this)[b];
        if (button.visible != visible) {
            button.visible = visible;
            ++revision_;
        }
    }
    // Moves on with every change, so that a window repaints its buttons only when one changed.
    uint64_t Revision() const { return revision_; }

  private:
    static size_t Index(Button b) {
        const auto i = static_cast<size_t>(b);
        assert(i < kCount);
        return i;
    }
    std::array<ImageButton, kCount> buttons_{};
    uint64_t revision_ = 0;
};

} // namespace vx
