// frmNotification: the notice shown when the main window closes to the notification area.
#include "ui/notification.h"

#include "app/app.h"

namespace vx {

void FrmNotification::SetCheck(int state) {
    if (state == check_)
        return;
    check_ = state;
    app_.SaveSetting("chkDoNotShowInFuture", std::to_string(state));
}

void FrmNotification::Label1_Click() { SetCheck(check_ != 0 ? 0 : 1); }

} // namespace vx
