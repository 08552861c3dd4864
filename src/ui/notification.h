#pragma once
// frmNotification: the notice shown when the main window is closed to the notification area, with the
// box that turns it off for the future ("chkDoNotShowInFuture", stored as it changes).
#include "ui/image_buttons.h"

#include <string>
#include <string_view>

namespace vx {

class App;

enum class NotificationButton { OK, Count };

inline constexpr std::string_view kNotificationMessage =
    "Although you have closed the program window. Vantrelix v3.0 will continue to run in the task manager "
    "near to the clock for your quick reference.";
inline constexpr std::string_view kDoNotShowLabel = "Do not show this message in future.";

class FrmNotification {
  public:
    explicit FrmNotification(App& app) : app_(app) {}

    // A click on the box sets its new state; the state is stored at once.
    void SetCheck(int state);
    // Label1: the box to 0 when it is not 0, else to 1; stored by the change handling.
    void Label1_Click();
    void MouseMove(NotificationButton button) { buttons_.Hover(button); }
    void Picture1_MouseMove() { buttons_.Reset(NotificationButton::OK); }
    // True when the click closes the window (OK shown highlighted).
    bool Click(NotificationButton button) const { return buttons_.Clickable(button); }

    int chkDoNotShowInFuture() const { return check_; }
    const ImageButtons<NotificationButton>& buttons() const { return buttons_; }
    std::string caption;

  private:
    App& app_;
    int check_ = 0; // unchecked each time the window opens
    ImageButtons<NotificationButton> buttons_;
};

} // namespace vx
