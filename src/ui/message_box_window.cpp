// FrmMessagebox: the window around the program's message box.
#include "ui/message_box_window.h"

namespace vx {

FrmMessagebox::FrmMessagebox(std::string message, bool withCancel)
    : message_(std::move(message)), withCancel_(withCancel) {
    if (!withCancel_)
        buttons_.SetVisible(MessageBoxButton::Cancel, false);
}

FrmMessagebox::Answer FrmMessagebox::Click(MessageBoxButton button) const {
    if (!buttons_.Clickable(button))
        return Answer::None;
    return Press(button);
}

FrmMessagebox::Answer FrmMessagebox::Press(MessageBoxButton button) const {
    switch (button) {
    case MessageBoxButton::OK:
        return Answer::OK;
    case MessageBoxButton::Cancel:
        return withCancel_ ? Answer::Cancel : Answer::None;
    case MessageBoxButton::Count:
        break;
    }
    return Answer::None;
}

FrmMessagebox::Answer FrmMessagebox::Escape() const { return withCancel_ ? Answer::Cancel : Answer::OK; }

} // namespace vx
