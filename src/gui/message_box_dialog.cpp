// FrmMessagebox on screen: its message, its one or two buttons, dragging and the keyboard.
#include "gui/message_box_dialog.h"

#include "gui/image_button.h"
#include "gui/svg_picture.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>

#include <algorithm>

namespace vx::gui {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kHeight = 200;
constexpr int kButtonTop = 140;
constexpr int kButtonHeight = 40;
constexpr int kTallestText = 420;

int Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

} // namespace

MessageBoxDialog::MessageBoxDialog(QWidget* parent, const std::string& message, bool withCancel)
    : QDialog(parent), rules_(message, withCancel) {
    setObjectName("FrmMessagebox");
    setModal(true);
    auto* label = new QLabel(QString::fromStdString(rules_.lblMessage()));
    label->setObjectName("lblMessage");
    label->setWordWrap(true);
    // A question or a notice is centred; a list (a line per record) reads from the left.
    const bool list = rules_.lblMessage().find('\n') != std::string::npos;
    label->setAlignment(list ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignCenter);
    label->setStyleSheet("font-size: 10pt; color: #F4F7FB; background: transparent;");
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long message (a list of what a restore could not write back) makes the box taller, and scrolls
    // beyond a screenful; nothing of it is cut.
    const int textWidth = Pixels(kMessageBoxWidth) - 48;
    label->setFixedWidth(textWidth - 16);
    label->ensurePolished();
    const int textHeight = std::max(kButtonTop - kStripHeight - 24, label->heightForWidth(textWidth - 16));
    const int shownHeight = std::min(textHeight, kTallestText);
    const int height = kHeight + shownHeight - (kButtonTop - kStripHeight - 24);
    parts_ = BuildFrame(this, QSize(Pixels(kMessageBoxWidth), height), "Vantrelix v3.0", "Picture1", true);
    AttachDrag(parts_, this, rules_.drag);
    auto* area = new QScrollArea(this);
    area->setObjectName("lblMessageArea");
    area->setGeometry(24, kStripHeight + 14, textWidth, shownHeight);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setStyleSheet("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }");
    area->setWidget(label);
    area->setAlignment(Qt::AlignCenter);
    const int buttonTop = height - (kHeight - kButtonTop);

    ok_ = new ImageButton("button", "OK", this, "ImgOKNormal");
    ok_->setGeometry(Pixels(rules_.OkLeft()), buttonTop, Pixels(kMessageBoxButtonWidth), kButtonHeight);
    cancel_ = new ImageButton("button", "Cancel", this, "ImgCancelNormal");
    cancel_->setGeometry(Pixels(kMessageBoxCancelLeft), buttonTop, Pixels(kMessageBoxButtonWidth),
                         kButtonHeight);
    cancel_->setVisible(withCancel);

    const std::pair<ImageButton*, MessageBoxButton> pairs[] = {{ok_, MessageBoxButton::OK},
                                                               {cancel_, MessageBoxButton::Cancel}};
    for (auto [widget, button] : pairs) {
        connect(widget, &ImageButton::hovered, this, [this, button] { rules_.MouseMove(button), Render(); });
        connect(widget, &ImageButton::clicked, this, [this, button] { Answer(rules_.Click(button)); });
        connect(widget, &ImageButton::keyPressed, this, [this, button] { Answer(rules_.Press(button)); });
        widget->setToolTip(widget == ok_ ? "OK (Enter)" : "Cancel (Escape)");
    }
    connect(parts_.background, &SvgPicture::mouseMoved, this,
            [this] { rules_.Picture1_MouseMove(), Render(); });
    OnPointerLeaving(this, [this] { rules_.Picture1_MouseMove(), Render(); });
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
