// FrmMessagebox on screen: its message, its one or two buttons, dragging and the keyboard.
#include "gui/message_box_dialog.h"

#include "gui/image_button.h"
#include "gui/svg_picture.h"

#include <QKeyEvent>
#include <QLabel>

namespace vx::gui {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kHeight = 200;
constexpr int kButtonTop = 140;
constexpr int kButtonHeight = 40;

int Pixels(int twips) { return twips / kTwipsPerPixel; }

} // namespace

MessageBoxDialog::MessageBoxDialog(QWidget* parent, const std::string& message, bool withCancel)
    : QDialog(parent), rules_(message, withCancel) {
    setObjectName("FrmMessagebox");
    setModal(true);
    parts_ = BuildFrame(this, QSize(Pixels(kMessageBoxWidth), kHeight), "Vantrelix v3.0", "Picture1", true);
    AttachDrag(parts_, this, rules_.drag);

    auto* label = new QLabel(QString::fromStdString(rules_.lblMessage()), this);
    label->setObjectName("lblMessage");
    label->setGeometry(24, kStripHeight + 14, width() - 48, kButtonTop - kStripHeight - 24);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet("font-size: 10pt; color: #F4F7FB;");
    label->setAttribute(Qt::WA_TransparentForMouseEvents);

    ok_ = new ImageButton("button", "OK", this, "ImgOKNormal");
    ok_->setGeometry(Pixels(rules_.OkLeft()), kButtonTop, Pixels(kMessageBoxButtonWidth), kButtonHeight);
    cancel_ = new ImageButton("button", "Cancel", this, "ImgCancelNormal");
    cancel_->setGeometry(Pixels(kMessageBoxCancelLeft), kButtonTop, Pixels(kMessageBoxButtonWidth), kButtonHeight);
    cancel_->setVisible(withCancel);

    const std::pair<ImageButton*, MessageBoxButton> pairs[] = {{ok_, MessageBoxButton::OK},
                                                               {cancel_, MessageBoxButton::Cancel}};
    for (auto [widget, button] : pairs) {
        connect(widget, &ImageButton::hovered, this, [this, button] { rules_.MouseMove(button), Render(); });
        connect(widget, &ImageButton::clicked, this, [this, button] { Answer(rules_.Click(button)); });
        connect(widget, &ImageButton::keyPressed, this, [this, button] { Answer(rules_.Press(button)); });
        widget->setToolTip(widget == ok_ ? "OK (Enter)" : "Cancel (Escape)");
    }
    connect(parts_.background, &SvgPicture::mouseMoved, this, [this] { rules_.Picture1_MouseMove(), Render(); });
    ok_->setFocus();
}

void MessageBoxDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Answer(rules_.Escape());
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageBoxDialog::Answer(FrmMessagebox::Answer answer) {
    switch (answer) {
    case FrmMessagebox::Answer::OK:
        accept();
        break;
    case FrmMessagebox::Answer::Cancel:
        reject();
        break;
    case FrmMessagebox::Answer::None:
        break;
    }
}

void MessageBoxDialog::Render() {
    ok_->SetHighlighted(rules_.buttons()[MessageBoxButton::OK].highlighted);
    cancel_->SetHighlighted(rules_.buttons()[MessageBoxButton::Cancel].highlighted);
}

} // namespace vx::gui
