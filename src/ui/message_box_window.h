#pragma once
// FrmMessagebox's layout and buttons, free of any toolkit. The kinds, their messages and the protocol
// through App::MessageBoxKind are the app's (app/message_box.h); this is the window around them.
#include "ui/image_buttons.h"
#include "ui/window_drag.h"

#include <string>
#include <string_view>

namespace vx {

enum class MessageBoxButton { OK, Cancel, Count };

// Sizes and places in twips.
inline constexpr int kMessageBoxWidth = 6720;
inline constexpr int kMessageBoxButtonWidth = 1800;
inline constexpr int kMessageBoxOkLeft = 1395;
inline constexpr int kMessageBoxCancelLeft = 3450;
inline constexpr int kMessageBoxLoneOkLeft = 2565;

class FrmMessagebox {
  public:
    // Loading for a message: `withCancel` false shows OK alone, moved to the middle.
    FrmMessagebox(std::string message, bool withCancel);

    void MouseMove(MessageBoxButton button) { buttons_.Hover(button); }
    // Over the background: plain pictures again (the Cancel button stays hidden when it is).
    void Picture1_MouseMove() { buttons_.Reset(MessageBoxButton::OK), buttons_.Reset(MessageBoxButton::Cancel); }

    enum class Answer { None, OK, Cancel };
    // A click on a button's highlighted picture answers; on a plain picture nothing happens.
    Answer Click(MessageBoxButton button) const;
    // The keyboard: Enter or Space on a focused button answers it; Escape answers Cancel (OK for an
    // information box, which has no Cancel).
    Answer Press(MessageBoxButton button) const;
    Answer Escape() const;

    const std::string& lblMessage() const { return message_; }
    bool withCancel() const { return withCancel_; }
    int OkLeft() const { return withCancel_ ? kMessageBoxOkLeft : kMessageBoxLoneOkLeft; }
    const ImageButtons<MessageBoxButton>& buttons() const { return buttons_; }
    WindowDrag drag;

  private:
    std::string message_;
    bool withCancel_;
    ImageButtons<MessageBoxButton> buttons_;
};

} // namespace vx
