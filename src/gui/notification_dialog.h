#pragma once
// frmNotification: the notice that the program goes on running in the notification area.
#include "gui/frameless_window.h"
#include "ui/notification.h"

#include <QDialog>

class QCheckBox;

namespace vx::gui {

class ImageButton;

class NotificationDialog : public QDialog {
    Q_OBJECT
  public:
    NotificationDialog(QWidget* parent, App& app, const QString& caption, const QString& message);

  private:
    void Render();

    FrmNotification rules_;
    FramedParts parts_;
    QCheckBox* check_ = nullptr;
    ImageButton* ok_ = nullptr;
};

} // namespace vx::gui
