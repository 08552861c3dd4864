// The windows' front end: yielding to Qt's event loop (throttled) and the program's message box.
#include "gui/gui_front_end.h"

#include "gui/message_box_dialog.h"

#include <QCoreApplication>

namespace vx::gui {

GuiFrontEnd::GuiFrontEnd() {
    sincePump_.start();
    messageBox = [](QWidget* owner, std::string_view message, bool withCancel) {
        MessageBoxDialog box(owner, std::string(message), withCancel);
        return box.exec() == QDialog::Accepted;
    };
}

void GuiFrontEnd::Yield(App&) {
    const auto waited = std::chrono::nanoseconds(sincePump_.nsecsElapsed());
    if (waited < pumpEvery)
        return;
    if (render)
        render();
    longestGap_ = std::max(longestGap_, std::chrono::nanoseconds(sincePump_.nsecsElapsed()));
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sincePump_.restart();
}

bool GuiFrontEnd::ShowMessageBox(App&, std::string_view message, bool withCancel) {
    if (render)
        render();
    const bool ok = messageBox(owner, message, withCancel);
    if (afterModal)
        afterModal();
    sincePump_.restart();
    return ok;
}

void GuiFrontEnd::ResetGaps() {
    longestGap_ = std::chrono::nanoseconds(0);
    sincePump_.restart();
}

} // namespace vx::gui
