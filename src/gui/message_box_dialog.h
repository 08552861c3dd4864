#pragma once
// FrmMessagebox: the program's own message box, modal, with OK alone or OK and Cancel.
#include "gui/frameless_window.h"
#include "ui/message_box_window.h"

#include <QDialog>

namespace vx::gui {

class ImageButton;

class MessageBoxDialog : public QDialog {
    Q_OBJECT
  public:
    MessageBoxDialog(QWidget* parent, const std::string& message, bool withCancel);
    // exec(): Accepted for OK, Rejected for Cancel (and for any other way of closing).

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Answer(FrmMessagebox::Answer answer);
    void Render();

    FrmMessagebox rules_;
    FramedParts parts_;
    ImageButton* ok_ = nullptr;
    ImageButton* cancel_ = nullptr;
};

} // namespace vx::gui
