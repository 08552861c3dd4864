// The screen's pointer over Qt's stack of override cursors, of which it holds at most one.
#include "gui/screen_pointer.h"

#include <QApplication>

namespace vx::gui {
namespace {

bool busy_ = false;

} // namespace

void SetScreenPointerBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool ScreenPointerBusy() {
    return busy_;
}

} // namespace vx::gui
